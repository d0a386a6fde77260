// A server that goes silent in the middle of a stream: the real TCP receiver, started by the
// program's login resources, reports the lost connection after its receive time-out, and the
// re-login asks the server for the stream again. A server that ends every stream at its start
// gets its logins no faster than a failed attempt's waits allow. A compose thread held across
// a loss (as a stalled process holds it) keeps what it uses, and the next session is built only
// once it has ended.
#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "fakes/fake_stream_server.h"
#include "fakes/fake_video_server.h"
#include "fakes/stream_packets.h"
#include "fakes/thread_hold.h"
#include "fakes/wait_until.h"
#include "lifecycle/lifecycle_fixture.h"
#include "media/compose.h"
#include "media/media_hooks.h"
#include "platform/testing/manual_clock.h"

namespace {

using namespace lifecycle_test;

class SilentServerTest : public LifecycleTest {};

TEST_F(SilentServerTest, LeadsToAReLoginThatAsksForTheStreamAgain) {
  fakes::FakeStreamServer stream;
  const auto clip = fakes::Mpeg4Clip(fakes::ReadFile(MEDIA_TEST_DATA_DIR "/clip_176x144.m4v"));
  stream.SetVideoClip(std::vector<fakes::ClipFrame>(clip.begin(), clip.begin() + 5));
  stream.SetFrameInterval(std::chrono::milliseconds(5));
  fakes::FakeVideoServer web;
  web.SetLoginReply(kLoginReply);
  std::string reply = StreamReply(176, 144);
  reply.replace(reply.find("STREAM-PORT=5000"), 16, "STREAM-PORT=" + std::to_string(stream.Port()));
  web.SetStreamReply(reply);

  // The real receivers; the other stream threads stay stand-ins.
  app::MediaEngineHooks hooks = app::StandInMediaHooks();
  const app::MediaEngineHooks media = WithMediaEngineThreads(app::StandInMediaHooks());
  hooks.tcpGetImageData = media.tcpGetImageData;
  app::SetMediaHooks(hooks);
  BuildDataBlock();
  UseServer(web.WebPort());
  g_lpApp->m_SettingINI.m_byAvSwitchOption = 1;
  g_lpApp->m_SettingINI.m_byTransmissionType = 1;
  g_lpApp->m_wStreamMpeg4Width = 176;
  g_lpApp->m_wStreamMpeg4Height = 144;
  g_lpApp->m_wStreamPort = stream.Port();
  g_lpApp->m_dwLifeTime = kNoLifeTimeLimit;
  SessionIdBuffer.Set("ab12cd34");
  LocalAddressText.Set("127.0.0.1");
  HeadlessMainWindow main;
  g_lpApp->m_hWndMainDialog = main.window.Handle();
  app::SetMainWindowSink(main.sink);
  ASSERT_EQ(theApp.InitProcessResource(), 1);
  ASSERT_EQ(theApp.InitLoginResource(), 1);
  SignalMainWindowOpened();

  ASSERT_TRUE(stream.WaitForRequests(1, std::chrono::seconds(10)));
  EXPECT_EQ(stream.Requests().front().session, "ab12cd34");
  // 7 s of silence, the re-login, and the new receiver's request.
  ASSERT_TRUE(stream.WaitForRequests(2, std::chrono::seconds(40)));
  EXPECT_TRUE(m_log->WaitFor("ReLoginThread: out"));
  EXPECT_EQ(web.RequestsTo("/Login.cgi").size(), 1u);
  app::SetMainWindowSink(nullptr);
}

// A device that ends the stream at once: over TCP it closes the connection right after the
// start request, over UDP its first datagram is a runt of 8 bytes (which ends the stream, as a
// device may mean it). Each such session is short, so the re-login waits the 2 + 3 + 4 s of a
// failed attempt before it logs in: on the engine's clock, logins come 9 s apart at the least,
// however fast the device refuses.
struct RefusedStartCase {
  const char* name;
  bool udp;
};

class RefusedStreamStartTest : public LifecycleTest,
                               public ::testing::WithParamInterface<RefusedStartCase> {
 protected:
  // The engine's clock outlives the test body: the re-login still waits on it when the body
  // ends, and TearDown takes the engine's threads down before the fixture goes.
  platform::testing::ManualClock m_clock{1000000};
};

TEST_P(RefusedStreamStartTest, SpacesTheLoginsAsFailedAttemptsDo) {
  const bool udp = GetParam().udp;
  platform::testing::ManualClock& clock = m_clock;
  app::SetClock(&clock);
  fakes::FakeStreamServer stream;
  const auto clip = fakes::Mpeg4Clip(fakes::ReadFile(MEDIA_TEST_DATA_DIR "/clip_176x144.m4v"));
  stream.SetVideoClip(std::vector<fakes::ClipFrame>(clip.begin(), clip.begin() + 5));
  stream.SetLoops(1000);
  fakes::StreamFaults faults;
  if (udp)
    faults.runt = {0};
  else
    faults.disconnectBeforePacket = 0;
  stream.SetFaults(faults);
  fakes::FakeVideoServer web;
  web.SetLoginReply(kLoginReply);
  std::string reply = StreamReply(176, 144);
  reply.replace(reply.find("STREAM-PORT=5000"), 16, "STREAM-PORT=" + std::to_string(stream.Port()));
  web.SetStreamReply(reply);
  std::mutex lock;
  std::vector<std::uint32_t> loginTicks;
  web.SetLoginCheck([&](const std::string&, const std::string&) {
    const std::lock_guard guard(lock);
    loginTicks.push_back(clock.Ticks());
    return true;
  });
  const auto logins = [&] {
    const std::lock_guard guard(lock);
    return loginTicks;
  };

  app::MediaEngineHooks hooks = app::StandInMediaHooks();
  const app::MediaEngineHooks media = WithMediaEngineThreads(app::StandInMediaHooks());
  hooks.tcpGetImageData = media.tcpGetImageData;
  hooks.udpGetImageData = media.udpGetImageData;
  app::SetMediaHooks(hooks);
  BuildDataBlock();
  UseServer(web.WebPort());
  g_lpApp->m_SettingINI.m_byAvSwitchOption = 1;
  g_lpApp->m_SettingINI.m_byTransmissionType = udp ? 0 : 1;
  g_lpApp->m_wStreamMpeg4Width = 176;
  g_lpApp->m_wStreamMpeg4Height = 144;
  g_lpApp->m_wStreamPort = stream.Port();
  g_lpApp->m_dwLifeTime = kNoLifeTimeLimit;
  SessionIdBuffer.Set("ab12cd34");
  LocalAddressText.Set("127.0.0.1");
  HeadlessMainWindow main;
  g_lpApp->m_hWndMainDialog = main.window.Handle();
  app::SetMainWindowSink(main.sink);
  ASSERT_EQ(theApp.InitProcessResource(), 1);
  ASSERT_EQ(theApp.InitLoginResource(), 1);
  // The receivers start (the connection poller, which would sleep on the clock too, does not).
  app::SignalEvent(g_lpApp->StartToGetJpegImageEvent);

  // Lets the clock run to the re-login's next wait, once it waits exactly that long.
  const auto pass = [&](std::uint32_t ms) {
    return fakes::WaitUntil([&] {
      if (clock.NextTimeout() != ms)
        return false;
      clock.Advance(ms);
      return true;
    });
  };
  for (std::size_t session = 0; session < 2; ++session) {
    ASSERT_TRUE(stream.WaitForRequests(session + 1, std::chrono::seconds(20)));
    ASSERT_TRUE(m_log->WaitFor("the session ended soon after it started", session + 1));
    const std::uint32_t lost = clock.Ticks();
    EXPECT_EQ(logins().size(), session);
    ASSERT_TRUE(pass(2000));
    ASSERT_TRUE(pass(3000));
    EXPECT_EQ(logins().size(), session);
    ASSERT_TRUE(pass(4000));
    ASSERT_TRUE(fakes::WaitUntil([&] { return logins().size() == session + 1; }));
    EXPECT_GE(logins().back() - lost, 9000u);
  }
  EXPECT_EQ(logins().size(), 2u);
  app::SetMainWindowSink(nullptr);
}

class HeldComposeTest : public LifecycleTest {
 protected:
  // Start-up's login resources over UDP with the real receivers and the real MPEG-4 compose
  // thread, which m_hold can hold at the arrival of a frame; the trace says when each compose
  // thread ends.
  void StartSession() {
    const auto clip = fakes::Mpeg4Clip(fakes::ReadFile(MEDIA_TEST_DATA_DIR "/clip_176x144.m4v"));
    m_stream.SetVideoClip(clip);
    m_stream.SetLoops(1000);
    m_stream.SetFrameInterval(std::chrono::milliseconds(10));
    m_web.SetLoginReply(kLoginReply);
    std::string reply = StreamReply(176, 144);
    reply.replace(reply.find("STREAM-PORT=5000"), 16,
                  "STREAM-PORT=" + std::to_string(m_stream.Port()));
    m_web.SetStreamReply(reply);

    app::MediaEngineHooks hooks = app::StandInMediaHooks();
    const app::MediaEngineHooks media = WithMediaEngineThreads(app::StandInMediaHooks());
    hooks.udpGetImageData = media.udpGetImageData;
    hooks.mpeg4Compose = [hold = m_hold]() -> app::ThreadBody {
      auto setup = std::make_shared<ComposeSetup>(ComposeSetupFromApp(true));
      setup->frameArrived = [hold] { hold->At(); };
      return [setup](platform::StopToken stop) {
        const std::uint32_t code = RunCompose(*setup, stop);
        app::TraceLine("test: a compose thread ended\n");
        return code;
      };
    };
    app::SetMediaHooks(hooks);
    BuildDataBlock();
    UseServer(m_web.WebPort());
    g_lpApp->m_SettingINI.m_byAvSwitchOption = 1;
    g_lpApp->m_SettingINI.m_byTransmissionType = 0;
    g_lpApp->m_byVideoFormat = 4;
    g_lpApp->m_wStreamMpeg4Width = 176;
    g_lpApp->m_wStreamMpeg4Height = 144;
    g_lpApp->m_wFrameWidth = 176;
    g_lpApp->m_wFrameHeight = 144;
    g_lpApp->m_wStreamPort = m_stream.Port();
    g_lpApp->m_dwLifeTime = kNoLifeTimeLimit;
    SessionIdBuffer.Set("ab12cd34");
    LocalAddressText.Set("127.0.0.1");
    g_lpApp->m_hWndMainDialog = m_main.window.Handle();
    app::SetMainWindowSink(m_main.sink);
    ASSERT_EQ(theApp.InitProcessResource(), 1);
    ASSERT_EQ(theApp.InitLoginResource(), 1);
    app::SignalEvent(g_lpApp->StartToGetJpegImageEvent);
    ASSERT_TRUE(m_stream.WaitForRequests(1, std::chrono::seconds(20)));
  }

  // Holds the compose thread at its next frame, then reports the loss as a receiver does. The
  // session has run longer than a short one, so the re-login logs in at once.
  void HoldComposeAcrossALoss() {
    m_hold->Arm();
    ASSERT_TRUE(m_hold->WaitHeld());
    g_lpApp->m_bSessionStarted = 0;
    MessageTrigger(kKernelConnectionLost);
    ASSERT_TRUE(m_log->WaitFor("ComposeImageDataThread"));
    EXPECT_EQ(m_log->Count("is exit with code 31"), 1u);
  }

  void TearDown() override {
    m_hold->Release();
    app::SetMainWindowSink(nullptr);
    LifecycleTest::TearDown();
  }

  std::shared_ptr<fakes::ThreadHold> m_hold = std::make_shared<fakes::ThreadHold>();
  fakes::FakeStreamServer m_stream{std::chrono::seconds(120)};
  fakes::FakeVideoServer m_web;
  HeadlessMainWindow m_main;
};

// The loss's teardown gives the held thread up after its 30 ms, but answers, frees the
// session's semaphores and lets the re-login start only once the thread has ended: the thread
// goes on with its own semaphores when it is let go, and the next session's rings, indexes and
// decoder are built after it, never under it.
TEST_F(HeldComposeTest, TheReLoginWaitsForAGivenUpComposeThread) {
  StartSession();
  HoldComposeAcrossALoss();
  ASSERT_TRUE(m_log->WaitFor("Process_Terminate_Thread : a stream thread of the session before"));
  EXPECT_EQ(m_log->Count("ReLoginThread"), 0u);
  EXPECT_EQ(m_web.RequestsTo("/Login.cgi").size(), 0u);
  // The data block still holds the session's semaphores while the thread may use them.
  EXPECT_NE(app::LoadHandle(g_lpApp->ImageSocketBufferSem), nullptr);

  m_hold->Release();
  ASSERT_TRUE(m_stream.WaitForRequests(2, std::chrono::seconds(20)));
  ASSERT_TRUE(m_log->WaitFor("ReLoginThread: out"));
  const long ended = m_log->IndexOf("test: a compose thread ended");
  ASSERT_GE(ended, 0);
  EXPECT_GT(m_log->IndexOf("ReLoginThread: \"Start Login\""), ended);
  EXPECT_GT(m_log->IndexOf("Process_Init_Thread : Got Process_Notify_InitEvent"), ended);
  EXPECT_EQ(m_web.RequestsTo("/Login.cgi").size(), 1u);
  // The new session's compose thread decodes into its own rings.
  EXPECT_TRUE(fakes::WaitUntil(
      [] { return app::LoadHandle(g_lpApp->JPEGImageBufferRelSemaphore)->Count() > 0; }));
}

// DISCONNECT's teardown, whose answer the window stops waiting for after 7 s, then CONNECT's
// rebuild: the rebuild waits until the teardown has ended, the held thread with it, and the
// semaphores the teardown frees are the old session's, not the new one's.
TEST_F(HeldComposeTest, ARebuildAskedForMeanwhileWaitsForTheTeardown) {
  StartSession();
  m_hold->Arm();
  ASSERT_TRUE(m_hold->WaitHeld());
  app::SignalEvent(g_lpApp->h_Process_Notify_TerminateEvent);
  ASSERT_TRUE(m_log->WaitFor("Process_Terminate_Thread : a stream thread of the session before"));
  EXPECT_EQ(theApp.InitLoginResource(), 0);
  const EventHandle initDone = app::LoadHandle(g_lpApp->m_hInitDoneEvent);
  app::SignalEvent(g_lpApp->Process_Notify_InitEvent);
  ASSERT_TRUE(m_log->WaitFor("Process_Init_Thread : a stream thread of the session before"));
  EXPECT_TRUE(SessionRebuildUnderWay());
  EXPECT_FALSE(initDone->IsSet());

  m_hold->Release();
  ASSERT_TRUE(initDone->Wait(20000));
  EXPECT_EQ(m_log->Count("CKavelinApp::InitLoginResource : a stream thread"), 1u);
  EXPECT_NE(app::LoadHandle(g_lpApp->ImageSocketBufferSem), nullptr);
  EXPECT_NE(app::LoadHandle(g_lpApp->JPEGImageBufferRelSemaphore), nullptr);
  EXPECT_TRUE(app::EngineThreadRunning(g_lpApp->ComposeImageDataThread));
}

INSTANTIATE_TEST_SUITE_P(Transports, RefusedStreamStartTest,
                         ::testing::Values(RefusedStartCase{"TcpClosedAtStart", false},
                                           RefusedStartCase{"UdpRuntDatagram", true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
