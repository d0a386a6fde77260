// The re-login: the layout a stream size gives, the back-off, the status timeline of a failed
// attempt on a test clock, a refused stream size, a rebuild that does not answer, and a lost
// connection from the fake server taken through terminate, re-login, init and start.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <limits>
#include <thread>

#include "app/relogin_thread.h"
#include "fakes/fake_video_server.h"
#include "lifecycle_fixture.h"
#include "net/cgi_url.h"
#include "net/penta_send_command.h"
#include "platform/testing/manual_clock.h"

namespace lifecycle_test {
namespace {

using std::chrono::milliseconds;

TEST(StreamLayoutTest, WidthAndHeightGiveResolutionStandardAndSkin) {
  struct Case {
    std::uint16_t width;
    std::uint16_t height;
    StreamLayout layout;
  };
  // resolution, standard, skin index, skin A, skin B, skin mode, frame width, frame height
  const Case cases[] = {{704, 576, {1, 2, 2, 3, 3, 2, 704, 576}},
                        {720, 480, {1, 1, 0, 1, 1, 0, 720, 480}},
                        {640, 480, {1, 1, 0, 1, 1, 0, 640, 480}},
                        {352, 288, {2, 2, 3, 2, 2, 3, 352, 288}},
                        {320, 240, {2, 1, 1, 0, 0, 1, 320, 240}},
                        {176, 144, {3, 2, 5, 5, 5, 3, 176, 144}},
                        {176, 112, {3, 1, 4, 4, 4, 1, 176, 112}},
                        // Unknown sizes: the width becomes 320, the height 240.
                        {800, 600, {2, 1, 1, 0, 0, 1, 320, 240}},
                        {0, 0, {2, 1, 1, 0, 0, 1, 320, 240}},
                        // The height decides over the width.
                        {176, 576, {1, 2, 2, 3, 3, 2, 176, 576}},
                        {704, 144, {3, 2, 5, 5, 5, 3, 704, 144}}};
  for (const Case& c : cases) {
    EXPECT_EQ(ClassifyStreamSize(c.width, c.height), c.layout) << c.width << "x" << c.height;
  }
}

TEST(ReLoginBackOffTest, GrowsByThreeSecondsEveryTwoThousandFailuresUpToFifty) {
  EXPECT_EQ(ReLoginBackOffMs(0), 3000u);
  EXPECT_EQ(ReLoginBackOffMs(1999), 3000u);
  EXPECT_EQ(ReLoginBackOffMs(2000), 6000u);
  EXPECT_EQ(ReLoginBackOffMs(31999), 48000u);
  EXPECT_EQ(ReLoginBackOffMs(32000), 50000u);
  EXPECT_EQ(ReLoginBackOffMs(std::numeric_limits<std::uint64_t>::max()), 50000u);
}

// Runs ReLoginThread alone against the fake server, on the test clock.
class ReLoginTest : public EngineThreadTest<platform::testing::ManualClock> {
 protected:
  void SetUp() override {
    EngineThreadTest::SetUp();
    BuildDataBlock();
    UseServer(m_server.WebPort());
    AttachMainWindow();
    m_server.SetLoginReply(kLoginReply);
  }
  void Start() { ASSERT_TRUE(m_thread.Start("ReLogin", ReLoginThread)); }
  std::vector<platform::LParam> Statuses() {
    std::vector<platform::LParam> statuses;
    for (const auto& message : m_window.MessagesWithId(WM_SHOWSTATUS)) {
      statuses.push_back(message.lParam);
    }
    return statuses;
  }

  fakes::FakeVideoServer m_server;
};

TEST_F(ReLoginTest, FailedAttemptTimeline) {
  m_server.SetCredentials("nobody", "nothing");  // every login is refused
  Start();
  ASSERT_TRUE(m_window.WaitForCount(1));
  ASSERT_TRUE(m_clock.WaitForWaiters(1));  // the 2 s pause after the failed attempt
  EXPECT_EQ(Statuses(), (std::vector<platform::LParam>{kStatusStartLogin}));
  EXPECT_EQ(reinterpret_cast<const char*>(m_window.Messages()[0].wParam),
            std::string("Start login"));
  EXPECT_EQ(g_lpApp->m_wUserLevel.load(), kUserLevelReLogin);
  EXPECT_EQ(g_lpApp->m_bConnected.load(), 1u);

  m_clock.Advance(2000);
  ASSERT_TRUE(m_window.WaitForCount(2));
  ASSERT_TRUE(m_clock.WaitForWaiters(1));  // the 3 s back-off
  m_clock.Advance(2999);
  ASSERT_TRUE(m_clock.WaitForWaiters(1));
  EXPECT_EQ(m_window.Count(), 2u);
  m_clock.Advance(1);
  ASSERT_TRUE(m_window.WaitForCount(4));
  ASSERT_TRUE(m_clock.WaitForWaiters(1));  // the 4 s pause
  m_clock.Advance(4000);
  ASSERT_TRUE(m_window.WaitForCount(5));

  EXPECT_EQ(Statuses(),
            (std::vector<platform::LParam>{kStatusStartLogin, kStatusFailed, kStatusElapsed,
                                           kStatusRetrying, kStatusStartLogin}));
  // Status 0 carries the seconds counted before the back-off.
  EXPECT_EQ(m_window.Messages()[2].wParam, 2u);
  ASSERT_TRUE(m_server.WaitForRequests(2, milliseconds(20000)));
  const auto logins = m_server.RequestsTo("/Login.cgi");
  ASSERT_GE(logins.size(), 1u);
  EXPECT_FALSE(logins[0].Param("SessionID").has_value());
  EXPECT_TRUE(m_server.RequestsTo("/RequestStream.cgi").empty());
  // The record button is shown as the user recorder stands (a record interrupted by the loss
  // stays open through the re-login).
  EXPECT_EQ(m_sink->Calls(), (std::vector<std::string>{"RefreshRecordButton()"}));
  // The step lines, in order.
  EXPECT_LT(m_log->IndexOf("ReLoginThread: \"Start Login\" in"),
            m_log->IndexOf("ReLoginThread: \"Save Button 0\" in"));
  EXPECT_LT(m_log->IndexOf("ReLoginThread: \"WM_SHOWSTATUS,0,3\" out"),
            m_log->IndexOf("ReLoginThread: \"WM_SHOWSTATUS,totalsec,0\" in"));
  EXPECT_LT(m_log->IndexOf("ReLoginThread: \"Save Button 1\" out"),
            m_log->IndexOf("ReLoginThread: \"Start login 1\" in"));
}

TEST_F(ReLoginTest, LoginFromTheLoginWindowMeanwhileEndsTheAttempts) {
  // While the attempt runs, a login made in the login window sets its user level.
  m_server.SetHandler("/Login.cgi", [](const fakes::RecordedRequest&) {
    g_lpApp->m_wUserLevel = 10;
    return fakes::FakeReply::Status(202);
  });
  Start();
  ASSERT_TRUE(m_thread.Join(20000));
  // The loop ends without the back-off; no init thread serves the rebuild here, so the last
  // status says that the streams did not start.
  EXPECT_EQ(Statuses(),
            (std::vector<platform::LParam>{kStatusStartLogin, kStatusLoggedIn, kStatusFailed}));
  EXPECT_EQ(g_lpApp->m_wUserLevel.load(), 10);
  EXPECT_TRUE(m_server.RequestsTo("/RequestStream.cgi").empty());
  EXPECT_EQ(m_clock.Waiters(), 0u);
}

TEST_F(ReLoginTest, StopRequestEndsTheBackOffAtOnce) {
  m_server.SetCredentials("nobody", "nothing");
  Start();
  ASSERT_TRUE(m_clock.WaitForWaiters(1));
  EXPECT_TRUE(m_thread.StopAndJoin(20000));
  EXPECT_EQ(m_window.Count(), 1u);
}

// A stream reply announcing an MPEG-4 picture the client cannot show (larger than the decoder
// takes, or without its size fields, at which the decoder cannot be opened) ends the session:
// the main window is told the size (it closes, and start-up opens the login window again); no
// retry.
TEST_F(ReLoginTest, StreamTooLargeEndsTheSessionInsteadOfRetrying) {
  struct Case {
    std::string reply;
    std::uint32_t width;
    std::int32_t height;
  };
  const Case cases[] = {
      {StreamReply(1280, 720), 1280, 720},
      {"VIDEO-FORMAT=4;USER-LEVEL=0;LIFE-TIME=-1;STREAM-PORT=5000;", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reply);
    m_server.SetStreamReply(c.reply);
    g_lpApp->m_wMpeg4Width = g_lpApp->m_wMpeg4Height = 0;
    g_lpApp->m_wFrameWidth = 352;
    m_window.Clear();
    m_log->Clear();
    const std::size_t loginsBefore = m_server.RequestsTo("/Login.cgi").size();
    Start();
    ASSERT_TRUE(m_thread.Join(20000));
    EXPECT_EQ(m_log->Count("does not fit the picture buffers"), 1u);
    EXPECT_EQ(Statuses(), (std::vector<platform::LParam>{kStatusStartLogin}));
    const auto told = m_window.MessagesWithId(WM_PICTURETOOLARGE);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].wParam, c.width);
    EXPECT_EQ(told[0].lParam, c.height);
    EXPECT_EQ(g_lpApp->m_wFrameWidth.load(), 352);
    EXPECT_EQ(m_log->Count("Login Button 0"), 0u);
    EXPECT_EQ(m_server.RequestsTo("/Login.cgi").size(), loginsBefore + 1);
    EXPECT_EQ(m_clock.Waiters(), 0u);
  }
}

// A JPEG stream reply without its size fields, or larger than the window shows, keeps the
// session: the layout takes 320 for a width and 240 for a height it does not know, and JPEG
// pictures of another size are dropped later, so nothing is told and the login is not repeated.
TEST_F(ReLoginTest, ReplySizesTheWindowDoesNotShowKeepTheSession) {
  struct Case {
    std::uint8_t format;
    std::string reply;
    std::uint16_t frameWidth;
    std::uint16_t frameHeight;
    std::int32_t resolution;
    std::uint16_t skinIndex;
  };
  const Case cases[] = {
      {0, "VIDEO-FORMAT=0;USER-LEVEL=0;LIFE-TIME=-1;STREAM-PORT=5000;", 320, 240, 2, 1},
      {0, StreamReply(1280, 720), 320, 240, 2, 1},
      {0, StreamReply(1024, 576), 320, 576, 1, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reply);
    m_server.SetStreamReply(c.reply);
    g_lpApp->m_byVideoFormat = c.format;
    g_lpApp->m_wMpeg4Width = g_lpApp->m_wMpeg4Height = 0;
    g_lpApp->m_wJpegWidth = g_lpApp->m_wJpegHeight = 0;
    m_window.Clear();
    const std::size_t loginsBefore = m_server.RequestsTo("/Login.cgi").size();
    Start();
    ASSERT_TRUE(m_thread.Join(20000));
    // No init thread serves the rebuild here, so the last status says the streams did not start.
    EXPECT_EQ(Statuses(),
              (std::vector<platform::LParam>{kStatusStartLogin, kStatusLoggedIn, kStatusFailed}));
    EXPECT_TRUE(m_window.MessagesWithId(WM_PICTURETOOLARGE).empty());
    EXPECT_EQ(m_log->Count("does not fit the picture buffers"), 0u);
    EXPECT_EQ(m_server.RequestsTo("/Login.cgi").size(), loginsBefore + 1);
    EXPECT_EQ(g_lpApp->m_wFrameWidth.load(), c.frameWidth);
    EXPECT_EQ(g_lpApp->m_wFrameHeight.load(), c.frameHeight);
    EXPECT_EQ(g_lpApp->m_SettingINI.m_nImageResolution, c.resolution);
    EXPECT_EQ(g_lpApp->m_wSkinIndex, c.skinIndex);
  }
}

TEST_F(ReLoginTest, RebuildThatDoesNotAnswerDoesNotStartTheStreams) {
  m_server.SetStreamReply(StreamReply(704, 576, 20));
  // Init request and answer exist, but no init thread serves them.
  auto initRequest = std::make_shared<platform::Event>();
  app::StoreHandle(g_lpApp->Process_Notify_InitEvent, initRequest);
  app::StoreHandle(g_lpApp->m_hInitDoneEvent, std::make_shared<platform::Event>());
  auto startVideo = std::make_shared<platform::Event>();
  app::StoreHandle(g_lpApp->StartToGetJpegImageEvent, startVideo);
  Start();
  ASSERT_TRUE(m_window.WaitForCount(2));   // start login, logged in
  ASSERT_TRUE(m_clock.WaitForWaiters(1));  // the wait for the rebuild
  EXPECT_TRUE(initRequest->IsSet());
  m_clock.Advance(5000);
  ASSERT_TRUE(m_thread.Join(20000));

  EXPECT_EQ(Statuses(),
            (std::vector<platform::LParam>{kStatusStartLogin, kStatusLoggedIn, kStatusFailed}));
  EXPECT_FALSE(startVideo->IsSet());
  EXPECT_EQ(g_lpApp->m_bConnected.load(), 0u);
  EXPECT_EQ(g_lpApp->m_bStreamsStarted.load(), 0u);
  EXPECT_EQ(m_log->Count("the stream threads were not rebuilt"), 1u);
  // The reply was applied to the layout all the same.
  EXPECT_EQ(g_lpApp->m_wUserLevel.load(), 20);
  EXPECT_EQ(g_lpApp->m_wFrameWidth.load(), 704);
  EXPECT_EQ(g_lpApp->m_wSkinIndex, 2);
  EXPECT_EQ(g_lpApp->m_bySkinMode.load(), 2);
  EXPECT_EQ(g_lpApp->m_SettingINI.m_nImageResolution, 1);
  EXPECT_EQ(m_sink->CallsStartingWith("ApplyResolutionMode"),
            (std::vector<std::string>{"ApplyResolutionMode(1)"}));
  // Skin 3 carries no stream-time control.
  EXPECT_EQ(m_sink->CallsStartingWith("ShowStreamTimeControl"),
            (std::vector<std::string>{"ShowStreamTimeControl(0)"}));
}

// A stand-in video receiver that asks the fake server for its stream and reports a lost
// connection when the server drops it.
app::ThreadFactory NetworkReceiver(std::shared_ptr<TraceLog> log,
                                   std::shared_ptr<std::atomic<int>> starts) {
  return [log, starts]() -> app::ThreadBody {
    EventHandle start = app::LoadHandle(g_lpApp->StartToGetJpegImageEvent);
    EventHandle end = app::LoadHandle(g_lpApp->h_EndofGetJpegImageEvent);
    EventHandle reset = app::LoadHandle(g_lpApp->NotifyGetJPEGImageThreadResetEvent);
    EventHandle resetDone = app::LoadHandle(g_lpApp->ReceiverResetDoneImageEvent);
    return [=](platform::StopToken stop) -> std::uint32_t {
      if (platform::WaitAny({&stop.StopEvent(), end.get(), start.get()}, platform::kInfinite) !=
          2) {
        return 0;
      }
      log->Add("receiver started " + std::to_string(++*starts));
      CCgiUrl url(CgiIndex::kCgiRequestStream);
      std::array<std::uint8_t, 512> reply{};
      std::uint32_t length = 0;
      net::CgiExchange exchange;
      exchange.cgiIndex = CgiIndex::kCgiRequestStream;
      exchange.url = url.GetBuffer();
      exchange.reply = reply;
      exchange.replyLength = &length;
      if (net::SendCgiRequest(exchange) != 1) {
        log->Add("receiver lost the connection");
        MessageTrigger(1, stop);
        return 0;
      }
      if (platform::WaitAny({&stop.StopEvent(), end.get(), reset.get()}, platform::kInfinite) ==
          2) {
        resetDone->Set();
      }
      return 0;
    };
  };
}

class LostConnectionTest : public LifecycleTest {};

TEST_F(LostConnectionTest, GivesTerminateReLoginInitAndStartInThatOrder) {
  fakes::FakeVideoServer server;
  server.SetLoginReply(kLoginReply);
  server.SetStreamReply(StreamReply(352, 288));
  fakes::FakeReply drop;
  drop.closeWithoutReply = true;
  server.QueueReply("/RequestStream.cgi", drop);

  auto starts = std::make_shared<std::atomic<int>>(0);
  app::MediaEngineHooks hooks = app::StandInMediaHooks();
  hooks.udpGetImageData = NetworkReceiver(m_log, starts);
  app::SetMediaHooks(hooks);
  BuildDataBlock();
  UseServer(server.WebPort());
  g_lpApp->m_SettingINI.m_byAvSwitchOption = 1;
  g_lpApp->m_wStreamMpeg4Width = 352;
  g_lpApp->m_wStreamMpeg4Height = 288;
  g_lpApp->m_dwLifeTime = kNoLifeTimeLimit;
  HeadlessMainWindow main;
  g_lpApp->m_hWndMainDialog = main.window.Handle();
  app::SetMainWindowSink(main.sink);
  ASSERT_EQ(theApp.InitProcessResource(), 1);
  ASSERT_EQ(theApp.InitLoginResource(), 1);
  SignalMainWindowOpened();

  ASSERT_TRUE(m_log->WaitFor("ReLoginThread: out"));
  ASSERT_TRUE(m_log->WaitFor("receiver started 2"));
  const long lost = m_log->IndexOf("receiver lost the connection");
  const long terminate = m_log->IndexOf("Got h_Process_Notify_TerminateEvent");
  const long relogin = m_log->IndexOf("ReLoginThread: \"Start Login\" in");
  const long init = m_log->IndexOf("Got Process_Notify_InitEvent");
  const long out = m_log->IndexOf("ReLoginThread: out");
  const long restarted = m_log->IndexOf("receiver started 2");
  ASSERT_GE(lost, 0);
  EXPECT_LT(lost, terminate);
  EXPECT_LT(terminate, relogin);
  EXPECT_LT(relogin, init);
  EXPECT_LT(init, out);
  // The new receiver starts on the start event, which the re-login sets just before its last
  // line, so the two lines may come in either order.
  EXPECT_LT(init, restarted);
  EXPECT_EQ(m_log->Count("Got h_Process_Notify_TerminateEvent"), 1u);

  // The old receiver's thread was stopped and a new one runs; the server saw one new login.
  EXPECT_EQ(server.RequestsTo("/Login.cgi").size(), 1u);
  EXPECT_EQ(g_lpApp->m_wUserLevel.load(), 0);
  std::vector<platform::LParam> statuses;
  for (const auto& message : main.window.MessagesWithId(WM_SHOWSTATUS)) {
    statuses.push_back(message.lParam);
  }
  EXPECT_EQ(statuses, (std::vector<platform::LParam>{kStatusStartLogin, kStatusLoggedIn}));
  EXPECT_EQ(main.sink->CountOf("SetConnectButtonState(1)"), 1u);
  // The status line keeps the re-login's own texts; "Start login" stays until the rates come.
  EXPECT_EQ(main.sink->CountOf("ShowStatusText(Start to get image!!)"), 0u);
  EXPECT_TRUE(main.sink->CallsStartingWith("ShowStatusText").empty());
  // A new loss is reported again once the login resources were rebuilt.
  EXPECT_NE(app::LoadHandle(g_lpApp->h_NotifyMessageTriggerEvent), nullptr);
  EXPECT_FALSE(app::LoadHandle(g_lpApp->h_NotifyMessageTriggerEvent)->IsSet());
  app::SetMainWindowSink(nullptr);
  theApp.ExitLoginResource();
  theApp.ExitProcessResource();
}

}  // namespace
}  // namespace lifecycle_test
