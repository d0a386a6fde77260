// The main window's device-request queue alone, with scripted request bodies in place of the
// sender: the order, the room for waiting requests, what a failure drops, and the window's end.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "fakes/wait_until.h"
#include "platform/sync.h"
#include "ui/main/device_requests.h"

namespace main_window_test {
namespace {

using mainwin::DeviceRequestQueue;
using mainwin::DropCause;
using mainwin::DropIsUntold;

// Request bodies that wait on the worker until the test lets each go with a result.
class ScriptedSender {
 public:
  // The body of request `name`: it counts as run, then waits for its release (or the stop).
  int Run(const std::string& name, const platform::StopToken& stop) {
    {
      const std::lock_guard lock(m_lock);
      m_ran.push_back(name);
      m_changed.notify_all();
    }
    if (platform::WaitAny({&m_released, &stop.StopEvent()}, platform::kInfinite) != 0)
      return 0;
    const std::lock_guard lock(m_lock);
    const int result = m_results.front();
    m_results.erase(m_results.begin());
    return result;
  }
  void Release(int result) {
    {
      const std::lock_guard lock(m_lock);
      m_results.push_back(result);
    }
    m_released.Release();
  }
  bool WaitRan(std::size_t count) {
    std::unique_lock lock(m_lock);
    return m_changed.wait_for(lock, std::chrono::seconds(10),
                              [&] { return m_ran.size() >= count; });
  }
  std::vector<std::string> Ran() {
    const std::lock_guard lock(m_lock);
    return m_ran;
  }

 private:
  std::mutex m_lock;
  std::condition_variable m_changed;
  std::vector<std::string> m_ran;
  std::vector<int> m_results;
  platform::Semaphore m_released{0, 1000};
};

class DeviceRequestsTest : public ::testing::Test {
 protected:
  void TearDown() override {
    sender.Release(1);
    queue.Stop(1000);
  }
  // Pushes request `name`: result 1 is success; completions and drops are written to `events`.
  bool Push(const std::string& name) {
    return queue.Push<int>(
        name, [this, name](const platform::StopToken& stop) { return sender.Run(name, stop); },
        [](const int& result) { return result != 1; },
        [this, name](int result) { events.push_back(name + " done " + std::to_string(result)); },
        [this, name](DropCause cause) {
          events.push_back(name + " dropped " + std::to_string(static_cast<int>(cause)));
        });
  }
  static std::string Dropped(const std::string& name, DropCause cause) {
    return name + " dropped " + std::to_string(static_cast<int>(cause));
  }
  void Settle() {
    EXPECT_TRUE(fakes::WaitUntil([&] { return !queue.Pending(); }));
  }

  ScriptedSender sender;
  DeviceRequestQueue queue;
  std::vector<std::string> events;
};

TEST_F(DeviceRequestsTest, RequestsRunOneAtATimeInTheOrderPushed) {
  EXPECT_TRUE(Push("a"));
  EXPECT_TRUE(Push("b"));
  EXPECT_TRUE(Push("c"));
  ASSERT_TRUE(sender.WaitRan(1));
  EXPECT_EQ(queue.Waiting(), 2u);
  for (int i = 0; i < 3; ++i)
    sender.Release(1);
  Settle();
  EXPECT_EQ(sender.Ran(), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(events, (std::vector<std::string>{"a done 1", "b done 1", "c done 1"}));
  EXPECT_EQ(queue.Dropped(), 0u);
}

// Beyond the room a push is refused at once: its handler hears so (a cause the window must
// tell of itself), it never runs, and what waits goes on.
TEST_F(DeviceRequestsTest, APushBeyondTheRoomIsDroppedAtOnceAndNeverRuns) {
  ASSERT_TRUE(Push("held"));
  ASSERT_TRUE(sender.WaitRan(1));
  for (std::size_t i = 0; i < DeviceRequestQueue::kMaxWaiting; ++i)
    ASSERT_TRUE(Push("w" + std::to_string(i)));
  EXPECT_FALSE(Push("late"));
  EXPECT_EQ(events, std::vector<std::string>{Dropped("late", DropCause::kFull)});
  EXPECT_TRUE(DropIsUntold(DropCause::kFull));
  EXPECT_EQ(queue.Waiting(), DeviceRequestQueue::kMaxWaiting);
  for (std::size_t i = 0; i <= DeviceRequestQueue::kMaxWaiting; ++i)
    sender.Release(1);
  Settle();
  const std::vector<std::string> ran = sender.Ran();
  EXPECT_EQ(ran.size(), DeviceRequestQueue::kMaxWaiting + 1);
  EXPECT_EQ(std::count(ran.begin(), ran.end(), "late"), 0);
  EXPECT_EQ(queue.Dropped(), 1u);
}

// A failed request drops what waits behind it, latest first (so that each press can be undone
// in the reverse order of the presses), before its own completion tells of the failure.
TEST_F(DeviceRequestsTest, AFailureDropsTheWaitingLatestFirstBeforeItsCompletion) {
  ASSERT_TRUE(Push("held"));
  ASSERT_TRUE(sender.WaitRan(1));
  ASSERT_TRUE(Push("a"));
  ASSERT_TRUE(Push("b"));
  ASSERT_TRUE(Push("c"));
  sender.Release(0);
  Settle();
  EXPECT_EQ(events,
            (std::vector<std::string>{Dropped("c", DropCause::kBehindFailure),
                                      Dropped("b", DropCause::kBehindFailure),
                                      Dropped("a", DropCause::kBehindFailure), "held done 0"}));
  EXPECT_FALSE(DropIsUntold(DropCause::kBehindFailure));
  EXPECT_EQ(sender.Ran(), std::vector<std::string>{"held"});
  // The next push goes out again.
  EXPECT_TRUE(Push("d"));
  sender.Release(1);
  Settle();
  EXPECT_EQ(sender.Ran(), (std::vector<std::string>{"held", "d"}));
}

// Stop is the window's end and holds: what waits is dropped, the request in flight completes
// no more, and a push after it never runs.
TEST_F(DeviceRequestsTest, StopDropsWhatWaitsAndEveryLaterPush) {
  ASSERT_TRUE(Push("held"));
  ASSERT_TRUE(sender.WaitRan(1));
  ASSERT_TRUE(Push("a"));
  queue.Stop(1000);
  EXPECT_TRUE(queue.Stopped());
  EXPECT_FALSE(queue.Pending());
  EXPECT_EQ(events, std::vector<std::string>{Dropped("a", DropCause::kStopped)});
  EXPECT_FALSE(Push("after"));
  EXPECT_FALSE(queue.Pending());
  EXPECT_EQ(events, (std::vector<std::string>{Dropped("a", DropCause::kStopped),
                                              Dropped("after", DropCause::kStopped)}));
  EXPECT_FALSE(DropIsUntold(DropCause::kStopped));
  QCoreApplication::processEvents();
  EXPECT_EQ(sender.Ran(), std::vector<std::string>{"held"});
  EXPECT_EQ(events.size(), 2u);
}

}  // namespace
}  // namespace main_window_test
