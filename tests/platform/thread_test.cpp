#include "platform/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace platform {
namespace {

constexpr std::uint32_t kLongWait = 10000;

TEST(ThreadTest, BodyReturnValueIsTheExitCode) {
  Thread thread;
  EXPECT_EQ(thread.ExitCode(), 0u);
  EXPECT_FALSE(thread.IsStarted());
  EXPECT_TRUE(thread.Join(0));  // nothing to wait for
  Event release;
  ASSERT_TRUE(thread.Start("exit-code", [&](StopToken) -> std::uint32_t {
    release.Wait(kLongWait);
    return 7;
  }));
  EXPECT_TRUE(thread.IsRunning());
  EXPECT_EQ(thread.ExitCode(), kStillActive);
  release.Set();
  EXPECT_TRUE(thread.Join(kLongWait));
  EXPECT_FALSE(thread.IsRunning());
  EXPECT_EQ(thread.ExitCode(), 7u);
}

TEST(ThreadTest, StopRequestEndsStopAwareWaitsAndSleeps) {
  Thread thread;
  std::atomic<bool> sleptWhole{true};
  ASSERT_TRUE(thread.Start("stopper", [&](StopToken stop) -> std::uint32_t {
    // A sleep far longer than the test would allow, ended by the stop request.
    sleptWhole = stop.SleepFor(600000);
    return stop.StopRequested() ? 0 : 1;
  }));
  thread.RequestStop();
  EXPECT_TRUE(thread.Join(kLongWait));
  EXPECT_FALSE(sleptWhole.load());
  EXPECT_EQ(thread.ExitCode(), 0u);
}

TEST(ThreadTest, StopEventWorksInWaitAny) {
  Thread thread;
  Semaphore work(0, 1);
  ASSERT_TRUE(thread.Start("waitany", [&](StopToken stop) -> std::uint32_t {
    return WaitAny({&stop.StopEvent(), &work}, kInfinite);
  }));
  EXPECT_TRUE(thread.StopAndJoin(kLongWait));
  EXPECT_EQ(thread.ExitCode(), 0u);  // index of the stop event
}

TEST(ThreadTest, StopAndJoinOfCooperativeThreadReturnsItsCode) {
  Thread thread;
  ASSERT_TRUE(thread.Start("cooperative", [](StopToken stop) -> std::uint32_t {
    stop.StopEvent().Wait(kInfinite);
    return 0;
  }));
  EXPECT_TRUE(thread.StopAndJoin(kLongWait));
  EXPECT_EQ(thread.ExitCode(), 0u);
}

// A thread that ignores its stop request is given up after the time-out: exit code 31, the
// object is detached, and the thread itself keeps running safely until it returns.
TEST(ThreadTest, ThreadIgnoringStopGetsExitCode31AndIsDetached) {
  auto release = std::make_shared<Event>(ResetMode::Manual);
  auto finished = std::make_shared<Event>(ResetMode::Manual);
  Thread thread;
  ASSERT_TRUE(thread.Start("stubborn", [release, finished](StopToken) -> std::uint32_t {
    release->Wait(kLongWait);  // ignores the stop request
    finished->Set();
    return 5;
  }));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(thread.StopAndJoin(50));
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(50));
  EXPECT_LT(waited, std::chrono::milliseconds(kLongWait));
  EXPECT_EQ(thread.ExitCode(), kForcedExitCode);
  EXPECT_FALSE(thread.IsRunning());
  // It still runs; once it returns the recorded code stays 31.
  EXPECT_FALSE(finished->IsSet());
  release->Set();
  EXPECT_TRUE(thread.Join(kLongWait));
  EXPECT_TRUE(finished->IsSet());
  EXPECT_EQ(thread.ExitCode(), kForcedExitCode);
}

TEST(ThreadTest, NewThreadCanStartAfterForcedDetach) {
  auto release = std::make_shared<Event>(ResetMode::Manual);
  Thread thread;
  ASSERT_TRUE(thread.Start("given-up", [release](StopToken) -> std::uint32_t {
    release->Wait(kLongWait);
    return 0;
  }));
  EXPECT_FALSE(thread.StopAndJoin(10));
  ASSERT_TRUE(thread.Start(
      "successor", [](StopToken stop) -> std::uint32_t { return stop.StopRequested() ? 1 : 6; }));
  EXPECT_TRUE(thread.Join(kLongWait));
  EXPECT_EQ(thread.ExitCode(), 6u);
  release->Set();
}

TEST(ThreadTest, DetachedThreadOutlivesItsObject) {
  auto release = std::make_shared<Event>(ResetMode::Manual);
  auto finished = std::make_shared<Event>(ResetMode::Manual);
  {
    Thread thread;
    ASSERT_TRUE(thread.Start("outlives", [release, finished](StopToken stop) -> std::uint32_t {
      release->Wait(kLongWait);
      // The token still works after the Thread object is gone.
      const bool stopped = stop.StopRequested();
      finished->Set();
      return stopped ? 0 : 1;
    }));
    EXPECT_FALSE(thread.StopAndJoin(10));
  }
  release->Set();
  EXPECT_TRUE(finished->Wait(kLongWait));
}

TEST(ThreadTest, JoinTimesOutWhileRunning) {
  Thread thread;
  ASSERT_TRUE(thread.Start("join-timeout", [](StopToken stop) -> std::uint32_t {
    stop.StopEvent().Wait(kLongWait);
    return 0;
  }));
  EXPECT_FALSE(thread.Join(20));
  EXPECT_TRUE(thread.IsRunning());
  thread.RequestStop();
  EXPECT_TRUE(thread.Join(kLongWait));
}

TEST(ThreadTest, SecondStartWhileRunningIsRefusedAndRestartAfterEndWorks) {
  Thread thread;
  ASSERT_TRUE(thread.Start("first", [](StopToken stop) -> std::uint32_t {
    stop.StopEvent().Wait(kLongWait);
    return 1;
  }));
  EXPECT_FALSE(thread.Start("second", [](StopToken) -> std::uint32_t { return 2; }));
  EXPECT_TRUE(thread.StopAndJoin(kLongWait));
  EXPECT_EQ(thread.ExitCode(), 1u);
  // A new run gets a fresh stop request.
  ASSERT_TRUE(thread.Start(
      "again", [](StopToken stop) -> std::uint32_t { return stop.StopRequested() ? 9 : 3; }));
  EXPECT_TRUE(thread.Join(kLongWait));
  EXPECT_EQ(thread.ExitCode(), 3u);
  EXPECT_EQ(thread.Name(), "again");
}

TEST(ThreadTest, HighestPriorityRunsEvenWhenRefused) {
  Thread thread;
  ASSERT_TRUE(thread.Start(
      "a-very-long-thread-name-cut", [](StopToken) -> std::uint32_t { return 4; },
      ThreadPriority::Highest));
  EXPECT_TRUE(thread.Join(kLongWait));
  EXPECT_EQ(thread.ExitCode(), 4u);
}

// The owner's members die right after its Thread: the body has returned by then.
TEST(ThreadTest, DestroyingRunningThreadStopsAndJoinsIt) {
  auto stopSeen = std::make_shared<Event>(ResetMode::Manual);
  auto returned = std::make_shared<Event>(ResetMode::Manual);
  {
    Thread thread;
    ASSERT_TRUE(thread.Start("destroyed", [stopSeen, returned](StopToken stop) -> std::uint32_t {
      if (stop.StopEvent().Wait(kInfinite)) {
        stopSeen->Set();
      }
      returned->Set();
      return 0;
    }));
  }
  EXPECT_TRUE(stopSeen->IsSet());
  EXPECT_TRUE(returned->IsSet());
}

// Two shut-down paths stopping the same thread at once both see it end.
TEST(ThreadTest, ConcurrentStopAndJoinFromTwoThreads) {
  for (int round = 0; round < 50; ++round) {
    Thread thread;
    ASSERT_TRUE(thread.Start("shared", [](StopToken stop) -> std::uint32_t {
      stop.StopEvent().Wait(kLongWait);
      return 0;
    }));
    std::atomic<int> ended{0};
    auto stopper = [&] {
      if (thread.StopAndJoin(kLongWait)) {
        ++ended;
      }
    };
    std::thread a(stopper);
    std::thread b(stopper);
    a.join();
    b.join();
    EXPECT_EQ(ended.load(), 2);
    EXPECT_EQ(thread.ExitCode(), 0u);
    EXPECT_FALSE(thread.IsRunning());
  }
}

TEST(StopTokenTest, DefaultTokenNeverStopsAndSleepsWhole) {
  StopToken token;
  EXPECT_FALSE(token.StopRequested());
  EXPECT_TRUE(token.SleepFor(1));
}

}  // namespace
}  // namespace platform
