#include "platform/sync.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "fakes/joining_thread.h"
#include "fakes/wait_until.h"

namespace platform {
namespace {

// Generous bound for waits that are expected to succeed; they return as soon as they do.
constexpr std::uint32_t kLongWait = 10000;

TEST(EventTest, AutoResetLetsOneWaitThroughPerSet) {
  Event event(ResetMode::Auto);
  EXPECT_FALSE(event.Wait(0));
  event.Set();
  EXPECT_TRUE(event.IsSet());
  EXPECT_TRUE(event.Wait(0));
  EXPECT_FALSE(event.IsSet());
  EXPECT_FALSE(event.Wait(0));
}

TEST(EventTest, ManualResetStaysSetUntilReset) {
  Event event(ResetMode::Manual, true);
  EXPECT_TRUE(event.IsManualReset());
  EXPECT_TRUE(event.Wait(0));
  EXPECT_TRUE(event.Wait(0));
  event.Reset();
  EXPECT_FALSE(event.Wait(0));
}

TEST(EventTest, TimedWaitEndsWithoutSignal) {
  Event event;
  EXPECT_FALSE(event.Wait(20));
}

TEST(EventTest, SetFromAnotherThreadWakesWaiter) {
  Event event;
  std::thread setter([&] { event.Set(); });
  EXPECT_TRUE(event.Wait(kLongWait));
  setter.join();
}

TEST(EventTest, ManualSetReleasesEveryWaiter) {
  Event event(ResetMode::Manual);
  std::atomic<int> woken{0};
  std::vector<std::thread> waiters;
  for (int i = 0; i < 4; ++i) {
    waiters.emplace_back([&] {
      if (event.Wait(kLongWait)) {
        ++woken;
      }
    });
  }
  event.Set();
  for (auto& waiter : waiters) {
    waiter.join();
  }
  EXPECT_EQ(woken.load(), 4);
}

// A thread about to block on an event sets the event's wait signal, alone or in a WaitAny, and
// counts as a waiter until it leaves; a look with no time-out neither signals nor counts.
TEST(EventTest, WaitSignalTellsThatSomeoneWaits) {
  for (const bool alone : {true, false}) {
    SCOPED_TRACE(alone ? "alone" : "in a WaitAny");
    Event event;
    Event other;
    auto signal = std::make_shared<Event>();
    event.SetWaitSignal(signal);
    EXPECT_FALSE(event.Wait(0));
    EXPECT_EQ(WaitAny({&other, &event}, 0), kWaitTimeout);
    EXPECT_FALSE(signal->IsSet());
    EXPECT_FALSE(event.HasWaiters());
    std::atomic<bool> taken{false};
    std::thread waiter([&] {
      taken = alone ? event.Wait(kLongWait) : WaitAny({&other, &event}, kLongWait) == 1;
    });
    // The signal comes once the waiter is counted.
    ASSERT_TRUE(signal->Wait(kLongWait));
    EXPECT_TRUE(event.HasWaiters());
    event.Set();
    waiter.join();
    EXPECT_TRUE(taken.load());
    EXPECT_FALSE(event.HasWaiters());
    // A signalled event is taken without blocking: no signal.
    event.Set();
    EXPECT_TRUE(alone ? event.Wait(kLongWait) : WaitAny({&other, &event}, kLongWait) == 1);
    EXPECT_FALSE(signal->IsSet());
    event.SetWaitSignal(nullptr);
  }
}

// A periodic event counts as set once its period has passed since it was last taken, and is
// taken like an auto-reset event; Set still lets one wait through at once.
TEST(EventTest, PeriodicEventIsSetOncePerPeriod) {
  Event hourly;
  hourly.SetPeriod(std::chrono::hours(1));
  EXPECT_FALSE(hourly.IsSet());
  EXPECT_FALSE(hourly.Wait(0));
  hourly.Set();
  EXPECT_TRUE(hourly.Wait(0));
  EXPECT_FALSE(hourly.Wait(0));

  Event fast;
  fast.SetPeriod(std::chrono::milliseconds(1));
  std::this_thread::sleep_for(std::chrono::milliseconds(2));
  EXPECT_TRUE(fast.IsSet());
  EXPECT_TRUE(fast.Wait(0));
  std::this_thread::sleep_for(std::chrono::milliseconds(2));
  Event other;
  EXPECT_EQ(WaitAny({&other, &fast}, 0), 1u);

  // Without its period it is an ordinary auto-reset event again.
  fast.SetPeriod(std::chrono::steady_clock::duration::zero());
  std::this_thread::sleep_for(std::chrono::milliseconds(2));
  EXPECT_FALSE(fast.Wait(0));
}

TEST(SemaphoreTest, CountsAndMaximum) {
  Semaphore semaphore(1, 3);
  EXPECT_EQ(semaphore.Count(), 1u);
  EXPECT_EQ(semaphore.Maximum(), 3u);
  std::uint32_t previous = 99;
  EXPECT_TRUE(semaphore.Release(2, &previous));
  EXPECT_EQ(previous, 1u);
  EXPECT_EQ(semaphore.Count(), 3u);
  // Past the maximum: refused, count unchanged.
  EXPECT_FALSE(semaphore.Release(1, &previous));
  EXPECT_EQ(previous, 3u);
  EXPECT_EQ(semaphore.Count(), 3u);
  EXPECT_FALSE(semaphore.Release(0));
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(semaphore.Wait(0));
  }
  EXPECT_FALSE(semaphore.Wait(0));
  EXPECT_EQ(semaphore.Count(), 0u);
}

TEST(SemaphoreTest, InitialCountLimitedToMaximum) {
  Semaphore semaphore(5, 2);
  EXPECT_EQ(semaphore.Count(), 2u);
  Semaphore atLeastOne(0, 0);
  EXPECT_EQ(atLeastOne.Maximum(), 1u);
  EXPECT_FALSE(atLeastOne.Release(2));
}

TEST(SemaphoreTest, ReleaseThatWouldOverflowIsRefused) {
  Semaphore semaphore(1, 0xFFFFFFFFu);
  EXPECT_FALSE(semaphore.Release(0xFFFFFFFFu));
  EXPECT_EQ(semaphore.Count(), 1u);
}

// A ring hand-over as the media threads do it: free and filled counts, many items, no item
// lost or doubled, counts back where they started.
TEST(SemaphoreTest, RingHandOverAcrossThreadsKeepsCounts) {
  constexpr std::uint32_t kSlots = 29;
  constexpr int kItems = 20000;
  Semaphore freeSlots(kSlots, kSlots);
  Semaphore filledSlots(0, kSlots);
  std::vector<int> ring(kSlots + 1, -1);
  long long sum = 0;
  // On a failed assertion the producer ends at its next wait (each is bounded).
  fakes::JoiningThread producer([&] {
    std::size_t write = 0;
    for (int i = 0; i < kItems; ++i) {
      ASSERT_TRUE(freeSlots.Wait(kLongWait));
      ring[write] = i;
      write = (write + 1) % ring.size();
      ASSERT_TRUE(filledSlots.Release());
    }
  });
  std::size_t read = 0;
  for (int i = 0; i < kItems; ++i) {
    ASSERT_TRUE(filledSlots.Wait(kLongWait));
    EXPECT_EQ(ring[read], i);
    sum += ring[read];
    read = (read + 1) % ring.size();
    ASSERT_TRUE(freeSlots.Release());
  }
  producer.join();
  EXPECT_EQ(sum, static_cast<long long>(kItems) * (kItems - 1) / 2);
  EXPECT_EQ(freeSlots.Count(), kSlots);
  EXPECT_EQ(filledSlots.Count(), 0u);
}

struct WaitAnyCase {
  const char* name;
  bool firstAutoSet;  // objects: [auto event, manual event, semaphore(count, max 5)]
  bool secondManualSet;
  std::uint32_t semaphoreCount;
  std::uint32_t expected;
  bool autoSetAfter;
  bool manualSetAfter;
  std::uint32_t semaphoreAfter;
};

class WaitAnyOrderTest : public ::testing::TestWithParam<WaitAnyCase> {};

TEST_P(WaitAnyOrderTest, FirstSignalledInListOrderWinsAndOnlyItIsConsumed) {
  const WaitAnyCase& c = GetParam();
  Event autoEvent(ResetMode::Auto, c.firstAutoSet);
  Event manualEvent(ResetMode::Manual, c.secondManualSet);
  Semaphore semaphore(c.semaphoreCount, 5);
  EXPECT_EQ(WaitAny({&autoEvent, &manualEvent, &semaphore}, 0), c.expected);
  EXPECT_EQ(autoEvent.IsSet(), c.autoSetAfter);
  EXPECT_EQ(manualEvent.IsSet(), c.manualSetAfter);
  EXPECT_EQ(semaphore.Count(), c.semaphoreAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WaitAnyOrderTest,
    ::testing::Values(WaitAnyCase{"nothing", false, false, 0, kWaitTimeout, false, false, 0},
                      WaitAnyCase{"all", true, true, 2, 0, false, true, 2},
                      WaitAnyCase{"manualAndSemaphore", false, true, 2, 1, false, true, 2},
                      WaitAnyCase{"semaphoreOnly", false, false, 2, 2, false, false, 1},
                      WaitAnyCase{"autoAndSemaphore", true, false, 1, 0, false, false, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WaitAnyTest, EmptyListOrNullEntryFails) {
  Event event(ResetMode::Manual, true);
  EXPECT_EQ(WaitAny(std::span<Waitable* const>(), 0), kWaitFailed);
  EXPECT_EQ(WaitAny({&event, nullptr}, 0), kWaitFailed);
}

TEST(WaitAnyTest, TimesOutWhenNothingIsSignalled) {
  Event a;
  Semaphore b(0, 1);
  EXPECT_EQ(WaitAny({&a, &b}, 30), kWaitTimeout);
}

TEST(WaitAnyTest, WakesOnObjectSignalledByAnotherThread) {
  Event stop;
  Semaphore filled(0, 10);
  std::thread releaser([&] { filled.Release(); });
  EXPECT_EQ(WaitAny({&stop, &filled}, kLongWait), 1u);
  releaser.join();
  EXPECT_EQ(filled.Count(), 0u);
  std::thread setter([&] { stop.Set(); });
  EXPECT_EQ(WaitAny({&stop, &filled}, kInfinite), 0u);
  setter.join();
  EXPECT_FALSE(stop.IsSet());
}

// Several consumers wait on {stop, semaphore}; every released unit is taken exactly once.
TEST(WaitAnyTest, SemaphoreUnitsAreTakenOnceAcrossConsumers) {
  constexpr int kConsumers = 4;
  constexpr int kUnits = 4000;
  Event stop(ResetMode::Manual);
  Semaphore work(0, kUnits);
  std::atomic<int> taken{0};
  std::vector<std::thread> consumers;
  for (int i = 0; i < kConsumers; ++i) {
    consumers.emplace_back([&] {
      for (;;) {
        const std::uint32_t r = WaitAny({&stop, &work}, kLongWait);
        if (r != 1) {
          return;
        }
        ++taken;
      }
    });
  }
  for (int i = 0; i < kUnits; ++i) {
    ASSERT_TRUE(work.Release());
  }
  // Wait for the consumers to drain the semaphore, then stop them.
  EXPECT_TRUE(fakes::WaitUntil([&] { return taken.load() == kUnits; }));
  stop.Set();
  for (auto& consumer : consumers) {
    consumer.join();
  }
  EXPECT_EQ(taken.load(), kUnits);
  EXPECT_EQ(work.Count(), 0u);
}

// An auto-reset event set once wakes exactly one of two threads waiting on it.
TEST(WaitAnyTest, AutoEventReleasesOneOfTwoWaiters) {
  Event event;
  Event stop(ResetMode::Manual);
  std::atomic<int> woken{0};
  auto waiter = [&] {
    if (WaitAny({&stop, &event}, kLongWait) == 1) {
      ++woken;
    }
  };
  std::thread a(waiter);
  std::thread b(waiter);
  event.Set();
  EXPECT_TRUE(fakes::WaitUntil([&] { return woken.load() != 0; }));
  stop.Set();
  a.join();
  b.join();
  EXPECT_EQ(woken.load(), 1);
  EXPECT_FALSE(event.IsSet());
}

}  // namespace
}  // namespace platform
