#include "app/pause_streams.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "app/app_data.h"
#include "app/app_seams.h"
#include "platform/testing/manual_clock.h"

namespace {

EventHandle NewEvent() {
  return std::make_shared<platform::Event>(platform::ResetMode::Auto, false);
}

class PauseStreamsTest : public ::testing::Test {
 protected:
  PauseStreamsTest() {
    g_lpApp = std::make_unique<CAppData>();
    g_lpApp->NotifyGetJPEGImageThreadResetEvent = NewEvent();
    g_lpApp->ReceiverResetDoneImageEvent = NewEvent();
    g_lpApp->NotifyGetAudioThreadResetEvent = NewEvent();
    g_lpApp->ReceiverResetDoneAudioEvent = NewEvent();
    app::SetClock(&m_clock);
  }
  ~PauseStreamsTest() override {
    app::SetClock(nullptr);
    g_lpApp.reset();
  }
  platform::testing::ManualClock m_clock;
};

TEST_F(PauseStreamsTest, EachOptionAsksItsReceiversAndTakesTheirAnswers) {
  struct Case {
    std::uint8_t option;
    bool video, audio;
  };
  const Case cases[] = {
      {1, true, false}, {2, false, true}, {3, true, true}, {0, false, false}, {4, false, false}};
  CAppData& app = *g_lpApp;
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.option));
    // Receivers that answer at once.
    if (c.video)
      app.ReceiverResetDoneImageEvent->Set();
    if (c.audio)
      app.ReceiverResetDoneAudioEvent->Set();
    EXPECT_TRUE(PauseStreams(c.option));
    EXPECT_EQ(app.NotifyGetJPEGImageThreadResetEvent->IsSet(), c.video);
    EXPECT_EQ(app.NotifyGetAudioThreadResetEvent->IsSet(), c.audio);
    app.NotifyGetJPEGImageThreadResetEvent->Reset();
    app.NotifyGetAudioThreadResetEvent->Reset();
  }
}

TEST_F(PauseStreamsTest, AReceiverThatDoesNotAnswerIsGivenUpAfterASecond) {
  CAppData& app = *g_lpApp;
  app.ReceiverResetDoneAudioEvent->Set();
  std::atomic<bool> answered{true}, done{false};
  std::thread apply([&] {
    answered = PauseStreams(3);
    done = true;
  });
  const bool waiting = m_clock.WaitForWaiters(1);
  m_clock.Advance(kPauseStreamWaitMs - 1);
  const std::size_t stillWaiting = m_clock.Waiters();
  m_clock.Advance(1);
  // Joined on every path: time moves on until the pause has given up.
  while (!done) {
    m_clock.Advance(kPauseStreamWaitMs);
    std::this_thread::yield();
  }
  apply.join();
  EXPECT_TRUE(waiting);
  EXPECT_EQ(stillWaiting, 1u);
  EXPECT_FALSE(answered);
  EXPECT_TRUE(app.NotifyGetAudioThreadResetEvent->IsSet());  // audio asked after the video
}

TEST_F(PauseStreamsTest, WithoutRunningReceiversNothingWaits) {
  g_lpApp->NotifyGetJPEGImageThreadResetEvent.reset();
  g_lpApp->ReceiverResetDoneAudioEvent.reset();
  EXPECT_TRUE(PauseStreams(3));
  g_lpApp.reset();
  EXPECT_TRUE(PauseStreams(3));
}

}  // namespace
