// A server that goes silent in the middle of a stream: the real TCP receiver, started by the
// program's login resources, reports the lost connection after its receive time-out, and the
// re-login asks the server for the stream again.
#include <gtest/gtest.h>

#include <chrono>

#include "fakes/fake_stream_server.h"
#include "fakes/fake_video_server.h"
#include "fakes/stream_packets.h"
#include "lifecycle/lifecycle_fixture.h"
#include "media/media_hooks.h"

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

}  // namespace
