// The life-time thread on a test clock: the window is told to close 61 seconds after the
// connection starts for LIFE-TIME 1, never for no limit, and a life time whose seconds do not
// fit 32 bits is not cut short.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "fakes/joining_thread.h"
#include "lifecycle_fixture.h"
#include "platform/testing/manual_clock.h"

namespace lifecycle_test {
namespace {

using std::chrono::milliseconds;

class LifeTimeTest : public EngineThreadTest<CountingClock> {
 protected:
  void SetUp() override {
    EngineThreadTest::SetUp();
    g_lpApp = std::make_unique<CAppData>();
    g_lpApp->m_SettingINI.m_byAvSwitchOption = 0;
    AttachMainWindow();
    app::StoreHandle(g_lpApp->m_hConnectionStartEvent, std::make_shared<platform::Event>());
    app::StoreHandle(g_lpApp->m_hConnectionStopEvent, std::make_shared<platform::Event>());
  }
  void Start(std::uint32_t lifeTime) {
    g_lpApp->m_dwLifeTime = lifeTime;
    ASSERT_TRUE(m_thread.Start("Polling", Polling_Net_Connection));
    ASSERT_TRUE(m_clock.WaitForWait(1));  // the wait for the connection start
    app::SignalEvent(g_lpApp->m_hConnectionStartEvent);
  }
  // Lets the second that the count shows as `second` pass: wait 2 is the first second's sleep,
  // every later wait one second of the count.
  void Second(std::uint32_t second) {
    ASSERT_TRUE(m_clock.WaitForWait(second + 1));
    m_clock.Advance(1000);
  }
};

TEST_F(LifeTimeTest, OneMinuteClosesTheWindowSixtyOneSecondsAfterTheStart) {
  // The video receiver answers its reset request, as the real one does.
  g_lpApp->m_SettingINI.m_byAvSwitchOption = 1;
  auto reset = std::make_shared<platform::Event>();
  auto resetDone = std::make_shared<platform::Event>();
  app::StoreHandle(g_lpApp->NotifyGetJPEGImageThreadResetEvent, reset);
  app::StoreHandle(g_lpApp->ReceiverResetDoneImageEvent, resetDone);
  fakes::JoiningThread receiver(
      [&] {
        if (reset->Wait(60000)) {
          m_log->Add("receiver reset");
          resetDone->Set();
        }
      },
      [&] { reset->Set(); });

  Start(1);
  for (std::uint32_t second = 1; second <= 60; ++second) {
    Second(second);
  }
  ASSERT_TRUE(m_sink->WaitForCount(2));
  receiver.join();
  EXPECT_EQ(g_lpApp->m_dwConnectionSeconds.load(), 60u);
  EXPECT_EQ(m_log->Count("receiver reset"), 1u);
  EXPECT_EQ(m_sink->Calls(), (std::vector<std::string>{
                                 "ClearStatusText()",
                                 "ShowStatusText(Life time is Up.Application shutdown later)"}));
  // Wait 62 was the receiver's answer; wait 63 the last second before the post.
  ASSERT_TRUE(m_clock.WaitForWait(63));
  m_clock.Advance(999);
  EXPECT_EQ(m_window.Count(), 0u);
  m_clock.Advance(1);
  ASSERT_TRUE(m_window.WaitForCount(1));
  EXPECT_EQ(m_window.Messages()[0], (platform::testing::PostedMessage{WM_LIFETIMEUP, 0, 0}));
  EXPECT_EQ(m_clock.Ticks(), 61000u);
  EXPECT_TRUE(m_thread.Join(20000));
  EXPECT_EQ(m_log->Count("Polling_Net_Connection: start"), 1u);
}

TEST_F(LifeTimeTest, NoLimitEndsAfterTheFirstSecond) {
  Start(kNoLifeTimeLimit);
  ASSERT_TRUE(m_clock.WaitForWait(2));
  m_clock.Advance(1000);
  EXPECT_TRUE(m_thread.Join(20000));
  EXPECT_EQ(m_window.Count(), 0u);
  EXPECT_EQ(m_sink->Count(), 0u);
  EXPECT_EQ(m_log->Count("Polling_Net_Connection: start"), 0u);
}

TEST_F(LifeTimeTest, SecondsAreCountedInSixtyFourBits) {
  // 71582789 minutes x 60 wraps to 44 in 32 bits.
  static_assert(LifeTimeSeconds(71582789) == 4294967340ull);
  Start(71582789);
  for (std::uint32_t second = 1; second <= 50; ++second) {
    Second(second);
  }
  ASSERT_TRUE(m_clock.WaitForWait(52));
  EXPECT_EQ(g_lpApp->m_dwConnectionSeconds.load(), 50u);
  EXPECT_TRUE(m_thread.IsRunning());
  EXPECT_EQ(m_window.Count(), 0u);
  EXPECT_EQ(m_sink->Count(), 0u);
  // The connection stop event ends the count at once.
  app::SignalEvent(g_lpApp->m_hConnectionStopEvent);
  EXPECT_TRUE(m_thread.Join(20000));
  EXPECT_EQ(m_window.Count(), 0u);
}

TEST_F(LifeTimeTest, StopRequestEndsTheWaitForTheStart) {
  ASSERT_TRUE(m_thread.Start("Polling", Polling_Net_Connection));
  ASSERT_TRUE(m_clock.WaitForWait(1));
  EXPECT_TRUE(m_thread.StopAndJoin(20000));
  EXPECT_EQ(m_window.Count(), 0u);
}

}  // namespace
}  // namespace lifecycle_test
