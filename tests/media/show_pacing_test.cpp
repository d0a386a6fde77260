// Show and audio pacing: the decision table, and the show thread driven tick by tick on a
// manual clock (first picture after 500 ms, then each picture its interval after the one
// before, the slot freed only once the window has drawn).
#include "media/show_pacing.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "app/app_data.h"
#include "platform/testing/manual_clock.h"

namespace {

struct DecideCase {
  std::string name;
  std::uint16_t interval;
  std::uint8_t option;
  std::uint32_t waiting;  // decoded pictures behind the one in hand
  std::uint32_t last, now;
  ShowDecision decision;
};

class DecideShowTest : public ::testing::TestWithParam<DecideCase> {};

TEST_P(DecideShowTest, Table) {
  const DecideCase& c = GetParam();
  EXPECT_EQ(DecideShow(c.interval, c.option, c.waiting, c.last, c.now), c.decision);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DecideShowTest,
    ::testing::Values(
        DecideCase{"FirstPicture", 65535, 3, 0, 0, 0, ShowDecision::kFirstAfterDelay},
        DecideCase{"FirstPictureWithABacklog", 65535, 3, 10, 0, 0, ShowDecision::kFirstAfterDelay},
        DecideCase{"VideoOnlyLongGap", 200, 1, 0, 1000, 1000, ShowDecision::kNow},
        DecideCase{"VideoOnlyShortGapEarly", 40, 1, 0, 1000, 1039, ShowDecision::kWait},
        DecideCase{"Due", 40, 3, 0, 1000, 1040, ShowDecision::kNowRestartClock},
        DecideCase{"AudioAndVideoLongGap", 2500, 3, 0, 1000, 1000, ShowDecision::kNow},
        DecideCase{"AudioAndVideo200Waits", 200, 3, 0, 1000, 1100, ShowDecision::kWait},
        // The tick count wraps between the two pictures.
        DecideCase{"DueAcrossTheWrap", 40, 3, 0, 0xFFFFFFF0u, 24, ShowDecision::kNowRestartClock},
        DecideCase{"EarlyAcrossTheWrap", 40, 3, 0, 0xFFFFFFF0u, 10, ShowDecision::kWait},
        // Up to three pictures behind it keep the interval; more halve it until caught up.
        DecideCase{"ThreeWaitingKeepTheInterval", 40, 3, 3, 1000, 1020, ShowDecision::kWait},
        DecideCase{"FourWaitingCatchUp", 40, 3, 4, 1000, 1020, ShowDecision::kNowRestartClock},
        DecideCase{"CatchingUpStillEarly", 40, 3, 12, 1000, 1019, ShowDecision::kWait},
        DecideCase{"CatchingUpLongGapAtOnce", 2500, 3, 12, 1000, 1000, ShowDecision::kNow}),
    [](const auto& info) { return info.param.name; });

TEST(ShowSpacingTest, NextPictureCountsFromTheDueTimeUnlessAWholeSpacingLate) {
  struct Case {
    std::uint16_t spacing;
    std::uint32_t last, now, next;
  };
  const Case cases[] = {
      {40, 1000, 1040, 1040},                             // on time
      {40, 1000, 1041, 1040},                             // a tick late: the cadence holds
      {40, 1000, 1079, 1040},    {40, 1000, 1080, 1080},  // a whole spacing late: from now
      {40, 1000, 5000, 5000},                             // after a stall, no burst
      {0, 1000, 1000, 1000},     {0, 1000, 1003, 1003},
      {40, 0xFFFFFFF0u, 30, 24},  // across the tick count's wrap
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NextShowStart(c.spacing, c.last, c.now), c.next) << c.last << " " << c.now;
  }
  EXPECT_EQ(ShowSpacing(40, 0), 40);
  EXPECT_EQ(ShowSpacing(40, kCatchUpBacklog), 40);
  EXPECT_EQ(ShowSpacing(40, kCatchUpBacklog + 1), 20);
  EXPECT_EQ(ShowSpacing(33, 19), 16);
}

class ShowThreadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_app.ReceiverStartedEvent =
        std::make_shared<platform::Event>(platform::ResetMode::Manual, true);
    m_app.ShowStopEvent = std::make_shared<platform::Event>();
    m_app.FinishShowImageJobEvent = std::make_shared<platform::Event>();
    m_app.JPEGImageBufferSemaphore = std::make_shared<platform::Semaphore>(19, 19);
    m_app.JPEGImageBufferRelSemaphore = std::make_shared<platform::Semaphore>(0, 19);
    m_app.MainTimerTickEvent[0] = std::make_shared<platform::Event>();
    m_app.m_pImageBuffer = std::make_unique<std::uint8_t[]>(kDecodedRingSlots * 16);
    m_app.m_pFrameInfoBlocks =
        std::make_unique<std::uint8_t[]>(kDecodedRingSlots * kFrameInfoRecordBytes);
    m_setup.app = &m_app;
    m_setup.handles = app::TakeSessionHandles(m_app);
    m_setup.slotInfo = &m_slots;
    m_setup.avSwitchOption = 3;
    m_setup.clock = &m_clock;
    m_setup.imageReady = [this] {
      std::lock_guard lock(m_lock);
      m_shownAt.push_back(m_clock.Ticks());
      if (m_drawn)
        m_app.FinishShowImageJobEvent->Set();
    };
  }
  void TearDown() override {
    m_app.ShowStopEvent->Set();
    m_thread.RequestStop();
    m_thread.Join(10000);
  }
  // Decoded pictures as the compose thread announces them.
  void Decoded(std::initializer_list<std::uint16_t> intervals) {
    std::size_t i = 0;
    for (std::uint16_t v : intervals) {
      m_slots.image[i++].wInterval = v;
      ASSERT_TRUE(m_app.JPEGImageBufferSemaphore->Wait(0));
      m_app.JPEGImageBufferRelSemaphore->Release(1);
    }
  }
  // One millisecond at a time: a tick (when the last one was taken), a short real wait for the
  // thread to take it, then the clock moves on. A thread in another wait leaves the tick set.
  void RunTicks(int count) {
    platform::Event& tick = *m_app.MainTimerTickEvent[0];
    for (int i = 0; i < count; ++i) {
      ASSERT_TRUE(m_clock.WaitForWaiters(1));
      if (!tick.IsSet())
        tick.Set();
      for (int spin = 0; spin < 30 && tick.IsSet(); ++spin) {
        std::this_thread::sleep_for(std::chrono::microseconds(100));
      }
      ASSERT_TRUE(m_clock.WaitForWaiters(1));
      m_clock.Advance(1);
    }
  }
  std::vector<std::uint32_t> ShownAt() {
    std::lock_guard lock(m_lock);
    return m_shownAt;
  }

  CAppData m_app;
  StreamSlotInfo m_slots;
  platform::testing::ManualClock m_clock{100000};
  PacingSetup m_setup;
  platform::Thread m_thread;
  std::mutex m_lock;
  std::vector<std::uint32_t> m_shownAt;
  bool m_drawn = true;
};

TEST_F(ShowThreadTest, FirstPictureAfterHalfASecondThenByInterval) {
  Decoded({65535, 40, 40});
  m_thread.Start("show",
                 [this](platform::StopToken stop) { return RunShowImageData(m_setup, stop); });
  RunTicks(700);
  const auto shown = ShownAt();
  ASSERT_EQ(shown.size(), 3u);
  // Within a few milliseconds: a loaded machine may let the clock move on before the thread
  // has looked at it.
  EXPECT_GE(shown[0] - 100000, 500u);
  EXPECT_LE(shown[0] - 100000, 505u);
  EXPECT_GE(shown[1] - shown[0], 40u);
  EXPECT_LE(shown[1] - shown[0], 44u);
  EXPECT_GE(shown[2] - shown[1], 40u);
  EXPECT_LE(shown[2] - shown[1], 44u);
  EXPECT_EQ(m_app.m_dwShownFrames.load(), 3u);
  EXPECT_EQ(m_app.m_pCurrentPicture.load(), m_app.m_pImageBuffer.get() + 2 * kDecodedImageBytes);
  // Every slot was given back once drawn.
  EXPECT_EQ(m_app.JPEGImageBufferSemaphore->Count(), 19u);
}

TEST_F(ShowThreadTest, AWindowThatHasNotDrawnKeepsTheSlot) {
  m_drawn = false;
  Decoded({65535, 40});
  m_thread.Start("show",
                 [this](platform::StopToken stop) { return RunShowImageData(m_setup, stop); });
  // The thread waits for the drawing without a time limit (and without ticks).
  for (int i = 0; i < 600 && ShownAt().empty(); ++i)
    RunTicks(1);
  ASSERT_EQ(ShownAt().size(), 1u);
  EXPECT_EQ(m_app.JPEGImageBufferSemaphore->Count(), 17u);
  m_app.FinishShowImageJobEvent->Set();
  for (int i = 0; i < 100 && ShownAt().size() < 2; ++i)
    RunTicks(1);
  EXPECT_EQ(ShownAt().size(), 2u);
}

}  // namespace

namespace {

// Without a player the blocks are taken off the ring on the ticks all the same; in an
// audio-only session every block also asks the window to refresh.
class PlayAudioTest : public ::testing::TestWithParam<std::uint8_t> {};

TEST_P(PlayAudioTest, BlocksLeaveTheRingOnTheTicks) {
  CAppData app;
  StreamSlotInfo slots;
  app.EndofPlayAudioEvent = std::make_shared<platform::Event>();
  app.JPEGAudioBufferSemaphore = std::make_shared<platform::Semaphore>(19, 19);
  app.JPEGAudioBufferRelSemaphore = std::make_shared<platform::Semaphore>(0, 19);
  app.MainTimerTickEvent[1] = std::make_shared<platform::Event>();
  for (std::uint32_t i = 0; i < 3; ++i) {
    slots.audio[i].dwTimeStamp = 100 + i;
    ASSERT_TRUE(app.JPEGAudioBufferSemaphore->Wait(0));
    app.JPEGAudioBufferRelSemaphore->Release(1);
  }
  std::atomic<int> refreshes{0};
  PacingSetup setup;
  setup.app = &app;
  setup.handles = app::TakeSessionHandles(app);
  setup.slotInfo = &slots;
  setup.avSwitchOption = GetParam();
  setup.imageReady = [&] { refreshes.fetch_add(1); };
  platform::Thread thread;
  thread.Start("audio", [&](platform::StopToken stop) { return RunPlayAudioData(setup, stop); });
  for (int i = 0; i < 5000 && app.JPEGAudioBufferSemaphore->Count() < 19; ++i) {
    app.MainTimerTickEvent[1]->Set();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  app.EndofPlayAudioEvent->Set();
  ASSERT_TRUE(thread.Join(10000));
  EXPECT_EQ(app.JPEGAudioBufferSemaphore->Count(), 19u);
  EXPECT_EQ(app.m_dwAudioTime.load(), 102u);
  EXPECT_EQ(refreshes.load(), GetParam() == 2 ? 3 : 0);
}

INSTANTIATE_TEST_SUITE_P(AvSwitchOptions, PlayAudioTest, ::testing::Values(1, 2, 3));

}  // namespace
