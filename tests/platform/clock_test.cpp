#include "platform/clock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <thread>

#include "fakes/joining_thread.h"
#include "platform/testing/manual_clock.h"
#include "platform/thread.h"

namespace platform {
namespace {

constexpr std::uint32_t kLongWait = 10000;

struct TickCase {
  std::uint32_t since;
  std::uint32_t now;
  std::uint32_t elapsed;
};

class TickElapsedTest : public ::testing::TestWithParam<TickCase> {};

TEST_P(TickElapsedTest, ElapsedIsCorrectAcrossTheWrap) {
  const TickCase& c = GetParam();
  EXPECT_EQ(TickElapsed(c.since, c.now), c.elapsed);
  EXPECT_TRUE(TickReached(c.now, c.since + c.elapsed));
  if (c.elapsed > 0) {
    EXPECT_FALSE(TickReached(c.now, c.since + c.elapsed + 1));
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, TickElapsedTest,
                         ::testing::Values(TickCase{0, 0, 0}, TickCase{1000, 1500, 500},
                                           TickCase{0xFFFFFF00u, 0x00000100u, 0x200u},
                                           TickCase{0xFFFFFFFFu, 0, 1},
                                           TickCase{0x7FFFFFF0u, 0x80000010u, 0x20u}));

TEST(TickTest, DeadlineJustBeforeTheWrapIsReachedJustAfterIt) {
  const std::uint32_t start = 0xFFFFFFF0u;
  const std::uint32_t deadline = start + 0x40u;  // wraps to 0x30
  EXPECT_FALSE(TickReached(start, deadline));
  EXPECT_FALSE(TickReached(0x2Fu, deadline));
  EXPECT_TRUE(TickReached(0x30u, deadline));
  EXPECT_TRUE(TickReached(0x100u, deadline));
}

TEST(TickTest, TickCountMovesForward) {
  const std::uint32_t first = TickCount();
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_GE(TickElapsed(first, TickCount()), 4u);
}

TEST(LocalTimeTest, FieldsOfAKnownInstant) {
  const char* saved = std::getenv("TZ");
  const std::string savedTz = saved ? saved : "";
  setenv("TZ", "UTC0", 1);
  tzset();
  // 2024-02-29 23:59:58.250 UTC, a Thursday.
  const auto when =
      std::chrono::system_clock::time_point(std::chrono::milliseconds(1709251198250LL));
  const LocalTime t = ToLocalTime(when);
  if (saved) {
    setenv("TZ", savedTz.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
  EXPECT_EQ(t, (LocalTime{2024, 2, 4, 29, 23, 59, 58, 250}));
}

TEST(LocalTimeTest, NowIsPlausible) {
  const LocalTime t = GetLocalTime();
  EXPECT_GE(t.year, 2020);
  EXPECT_TRUE(t.month >= 1 && t.month <= 12);
  EXPECT_TRUE(t.dayOfWeek >= 0 && t.dayOfWeek <= 6);
  EXPECT_TRUE(t.millisecond >= 0 && t.millisecond <= 999);
}

TEST(SystemClockTest, StopAwareSleepEndsOnStop) {
  Thread thread;
  std::atomic<bool> whole{true};
  ASSERT_TRUE(thread.Start("sleeper", [&](StopToken stop) -> std::uint32_t {
    whole = RealClock().SleepFor(600000, stop);
    return 0;
  }));
  EXPECT_TRUE(thread.StopAndJoin(kLongWait));
  EXPECT_FALSE(whole.load());
}

TEST(SystemClockTest, WaitTakesSignalledObject) {
  Semaphore semaphore(1, 1);
  EXPECT_TRUE(RealClock().Wait(semaphore, 0));
  EXPECT_FALSE(RealClock().Wait(semaphore, 10));
}

using testing::ManualClock;

TEST(ManualClockTest, TimedWaitEndsOnlyWhenTimeIsAdvancedPastIt) {
  ManualClock clock(0xFFFFFF00u);  // the wait crosses the tick wrap
  EXPECT_FALSE(clock.NextTimeout());
  Event never;
  std::atomic<std::uint32_t> result{0};
  fakes::JoiningThread waiter([&] { result = clock.WaitAny({&never}, 7000); },
                              [&] { clock.Advance(7000); });
  ASSERT_TRUE(clock.WaitForWaiters(1));
  EXPECT_EQ(clock.NextTimeout(), 7000u);
  clock.Advance(6999);
  // Still waiting: the waiter looks at the time again and settles back into its wait (a wait
  // that wrongly ended would leave instead, and never settle).
  ASSERT_TRUE(clock.WaitForWaiters(1));
  EXPECT_EQ(clock.Waiters(), 1u);
  EXPECT_EQ(clock.NextTimeout(), 1u);  // across the wrap
  clock.Advance(1);
  waiter.join();
  EXPECT_EQ(result.load(), kWaitTimeout);
  EXPECT_EQ(clock.Waiters(), 0u);
  EXPECT_FALSE(clock.NextTimeout());
  EXPECT_EQ(clock.Ticks(), 0xFFFFFF00u + 7000u);
}

TEST(ManualClockTest, SignalledObjectEndsWaitWithoutTimeMoving) {
  ManualClock clock;
  Event stop(ResetMode::Manual);
  Semaphore work(0, 1);
  std::atomic<std::uint32_t> result{kWaitFailed};
  fakes::JoiningThread waiter(
      [&] {
        result = clock.WaitAny({&stop, &work}, kInfinite);
      },
      [&] { stop.Set(); });
  ASSERT_TRUE(clock.WaitForWaiters(1));
  EXPECT_FALSE(clock.NextTimeout());  // an untimed wait has no time-out to jump to
  work.Release();
  waiter.join();
  EXPECT_EQ(result.load(), 1u);
  EXPECT_EQ(work.Count(), 0u);
}

// A wait that is about to end (its object was signalled, or an earlier Advance passed its
// time-out) is not counted as waiting, so the next Advance reaches the wait that follows it.
// Several rounds, since the fault showed only when the waiter was slow to leave.
TEST(ManualClockTest, WaitForWaitersCountsOnlyWaitsThatStillWait) {
  for (int round = 0; round < 20; ++round) {
    ManualClock clock;
    Event go;
    Thread thread;
    ASSERT_TRUE(thread.Start("waits", [&](StopToken stop) -> std::uint32_t {
      if (clock.WaitAny({&go, &stop.StopEvent()}, kInfinite) != 0) {
        return 1;
      }
      for (int i = 0; i < 2; ++i) {
        if (clock.WaitAny({&stop.StopEvent()}, 1000) != kWaitTimeout) {
          return 2;
        }
      }
      return 0;
    }));
    ASSERT_TRUE(clock.WaitForWaiters(1));
    go.Set();
    ASSERT_TRUE(clock.WaitForWaiters(1));  // the first timed wait, not the untimed one
    clock.Advance(1000);
    ASSERT_TRUE(clock.WaitForWaiters(1));  // the second timed wait, not the first
    clock.Advance(1000);
    ASSERT_TRUE(thread.Join(kLongWait));
    EXPECT_EQ(thread.ExitCode(), 0u);
    EXPECT_EQ(clock.Waiters(), 0u);
  }
}

TEST(ManualClockTest, StopAwareSleepAndImmediateCases) {
  ManualClock clock(100);
  StopToken stop;
  EXPECT_TRUE(clock.SleepFor(0, stop));
  Event set(ResetMode::Manual, true);
  EXPECT_EQ(clock.WaitAny({&set}, 5000), 0u);
  EXPECT_EQ(clock.WaitAny(std::span<Waitable* const>(), 0), kWaitFailed);
  LocalTime t{2025, 6, 1, 2, 3, 4, 5, 6};
  clock.SetLocalTime(t);
  EXPECT_EQ(clock.Now(), t);
}

TEST(TickerTest, DeliversPeriodicTicksUntilStopped) {
  Ticker ticker;
  Semaphore ticks(0, 1000000);
  std::atomic<std::uint64_t> calls{0};
  ASSERT_TRUE(ticker.Start(1, [&] {
    ++calls;
    ticks.Release();
  }));
  EXPECT_TRUE(ticker.IsRunning());
  EXPECT_FALSE(ticker.Start(1, [] {}));  // already running
  for (int i = 0; i < 20; ++i) {
    ASSERT_TRUE(ticks.Wait(kLongWait));
  }
  ticker.Stop();  // joins the ticker's thread: no tick can come after it
  EXPECT_FALSE(ticker.IsRunning());
  EXPECT_GE(ticker.TickCountDelivered(), 20u);
  EXPECT_EQ(ticker.TickCountDelivered(), calls.load());
}

// On demand the ticker gives no tick while nobody waits for one, and every wait gets its tick.
TEST(TickerTest, OnDemandTicksOnlyForWaiters) {
  auto tick = std::make_shared<Event>();
  auto demand = std::make_shared<Event>();
  tick->SetWaitSignal(demand);
  Ticker ticker;
  ASSERT_TRUE(ticker.StartOnDemand(
      1, [&] { tick->Set(); }, [&] { return tick->HasWaiters(); }, demand));
  EXPECT_FALSE(ticker.StartOnDemand(
      1, [] {}, [] { return true; }, demand));  // already running
  std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(ticker.TickCountDelivered(), 0u);
  for (int i = 0; i < 20; ++i) {
    ASSERT_TRUE(tick->Wait(kLongWait));
  }
  ticker.Stop();  // (a tick is counted just after it is set)
  EXPECT_FALSE(ticker.IsRunning());
  EXPECT_GE(ticker.TickCountDelivered(), 20u);
  tick->SetWaitSignal(nullptr);
}

TEST(TickerTest, RefusesZeroPeriodOrMissingCallback) {
  Ticker ticker;
  EXPECT_FALSE(ticker.Start(0, [] {}));
  EXPECT_FALSE(ticker.Start(1, nullptr));
  EXPECT_FALSE(ticker.StartOnDemand(
      1, [] {}, nullptr, std::make_shared<Event>()));
  EXPECT_FALSE(ticker.StartOnDemand(
      1, [] {}, [] { return true; }, nullptr));
  ticker.Stop();  // harmless when not running
}

}  // namespace
}  // namespace platform
