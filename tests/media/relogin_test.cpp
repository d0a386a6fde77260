// A server that goes silent in the middle of a stream: the real TCP receiver, started by the
// program's login resources, reports the lost connection after its receive time-out, and the
// re-login asks the server for the stream again. A server that ends every stream at its start
// gets its logins no faster than a failed attempt's waits allow.
#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "fakes/fake_stream_server.h"
#include "fakes/fake_video_server.h"
#include "fakes/stream_packets.h"
#include "fakes/wait_until.h"
#include "lifecycle/lifecycle_fixture.h"
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

INSTANTIATE_TEST_SUITE_P(Transports, RefusedStreamStartTest,
                         ::testing::Values(RefusedStartCase{"TcpClosedAtStart", false},
                                           RefusedStartCase{"UdpRuntDatagram", true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
