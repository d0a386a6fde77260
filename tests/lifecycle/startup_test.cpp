// Start-up and shut-down: the order of the steps with fake subsystems, the teardown run twice,
// the user levels after the login window, which stream threads a login starts, and the stream
// sizes the buffers can hold.
#include <gtest/gtest.h>

#include <fstream>
#include <optional>

#include "lifecycle_fixture.h"
#include "media/frame_header.h"
#include "platform/display.h"

namespace lifecycle_test {
namespace {

// The stand-in media engine, with every factory and operation also noted in the log.
app::MediaEngineHooks RecordingHooks(const std::shared_ptr<TraceLog>& log) {
  app::MediaEngineHooks hooks = app::StandInMediaHooks();
  const auto wrap = [log](app::ThreadFactory& factory, const std::string& name) {
    factory = [log, name, inner = factory] {
      log->Add("make " + name);
      return inner();
    };
  };
  wrap(hooks.udpGetImageData, "UdpGetImageData");
  wrap(hooks.udpGetAudio, "UdpGetAudio");
  wrap(hooks.tcpGetImageData, "TcpGetImageData");
  wrap(hooks.tcpGetAudio, "TcpGetAudio");
  wrap(hooks.jpegCompose, "JpegCompose");
  wrap(hooks.mpeg4Compose, "Mpeg4Compose");
  wrap(hooks.showImageData, "ShowImageData");
  wrap(hooks.playAudioData, "PlayAudioData");
  wrap(hooks.receiverReport, "RTCP");
  hooks.createRecorders = [log] {
    log->Add("createRecorders");
    return 1;
  };
  hooks.freeRecorders = [log] { log->Add("freeRecorders"); };
  hooks.allocateRecorderBuffers = [log] {
    log->Add("allocateRecorderBuffers");
    return 1;
  };
  hooks.freeRecorderBuffers = [log] { log->Add("freeRecorderBuffers"); };
  hooks.startRecorderThreads = [log, inner = hooks.startRecorderThreads](std::uint8_t format) {
    log->Add("startRecorderThreads " + std::to_string(format));
    inner(format);
  };
  hooks.endRecorderThreads = [log, inner = hooks.endRecorderThreads] {
    log->Add("endRecorderThreads");
    inner();
  };
  return hooks;
}

// The lines of the log that name a step (not the debug lines of the threads).
std::vector<std::string> Steps(TraceLog& log) {
  std::vector<std::string> steps;
  for (const std::string& line : log.Lines()) {
    if (line.rfind("make ", 0) == 0 || line.find("Recorder") != std::string::npos ||
        line.find("is exit with code") != std::string::npos || line == "login" ||
        line == "main window") {
      // A stop line is reduced to its routine and thread name.
      const std::size_t id = line.find(" 0x");
      steps.push_back(id == std::string::npos ? line : line.substr(0, id));
    }
  }
  return steps;
}

class StartupTest : public LifecycleTest {};

TEST_F(StartupTest, StartsInOrderAndTearsDownOnceWhenRunTwice) {
  app::SetMediaHooks(RecordingHooks(m_log));
  auto login = std::make_shared<HeadlessLoginWindow>(
      std::vector<HeadlessLoginWindow::Round>{{platform::IDOK, 0}});
  auto main = std::make_shared<HeadlessMainWindow>();
  main->scenario = [this] { m_log->Add("main window"); };
  app::SetLoginWindow(login);
  app::SetMainWindow(main);

  EXPECT_EQ(theApp.InitInstance(), 0);
  EXPECT_EQ(main->runs, 1);
  ASSERT_TRUE(g_lpApp);
  // The main window's destruction took everything down; ExitInstance's run finds nothing.
  const std::vector<std::string> afterWindow = Steps(*m_log);
  EXPECT_EQ(theApp.ExitInstance(), 0);
  EXPECT_FALSE(g_lpApp);

  const std::vector<std::string> expectedStart = {"allocateRecorderBuffers",
                                                  "createRecorders",
                                                  "make UdpGetImageData",
                                                  "make UdpGetAudio",
                                                  "make Mpeg4Compose",
                                                  "make ShowImageData",
                                                  "make PlayAudioData",
                                                  "startRecorderThreads 4",
                                                  "make RTCP",
                                                  "main window"};
  const std::vector<std::string> expectedStop = {
      "ExitLoginResource: GetJpegImageThread",
      "ExitLoginResource: h_GetAudioThread",
      "ExitLoginResource: ComposeImageDataThread",
      "ExitLoginResource: ShowImageDataThread",
      "ExitLoginResource: PlayAudioThread",
      "ExitLoginResource: RTCPThread",
      "endRecorderThreads",
      "ExitProcessResource: ConnectionThread",
      "ExitProcessResource: h_Process_KernelMessageThread"};
  std::vector<std::string> expected = expectedStart;
  expected.insert(expected.end(), expectedStop.begin(), expectedStop.end());
  EXPECT_EQ(afterWindow, expected);

  // The second run stopped no thread again; it freed the buffers and the semaphores.
  std::vector<std::string> all = Steps(*m_log);
  std::vector<std::string> secondRun(all.begin() + static_cast<long>(afterWindow.size()),
                                     all.end());
  EXPECT_EQ(secondRun, (std::vector<std::string>{"endRecorderThreads", "freeRecorderBuffers",
                                                 "freeRecorders"}));
  EXPECT_EQ(m_log->Count("freeRecorderBuffers"), 1u);
  EXPECT_EQ(m_log->Count("freeRecorders"), 1u);

  // The login window got the settings' host and user, the built-in password and bit rate.
  ASSERT_EQ(login->Fields().size(), 1u);
  EXPECT_EQ(login->Fields()[0].password, "wopal");
  EXPECT_EQ(login->Fields()[0].bitRate, "1200");
  EXPECT_EQ(login->Fields()[0].port, "80");
}

TEST_F(StartupTest, DebugTraceFileIsCreatedEmptyAndStaysEmpty) {
  {
    std::ofstream old(m_folder.Path() / "DebugTrace.log");
    old << "left from an earlier run\r\n";
  }
  auto main = std::make_shared<HeadlessMainWindow>();
  app::SetLoginWindow(std::make_shared<HeadlessLoginWindow>(
      std::vector<HeadlessLoginWindow::Round>{{platform::IDOK, 0}}));
  app::SetMainWindow(main);
  theApp.InitInstance();
  // The steps were traced (to the observer) but nothing reached the file.
  EXPECT_GT(m_log->Count("is exit with code"), 0u);
  EXPECT_EQ(std::filesystem::file_size(m_folder.Path() / "DebugTrace.log"), 0u);
}

struct UserLevelCase {
  std::vector<HeadlessLoginWindow::Round> rounds;
  std::size_t loginRounds;
  int mainWindowRuns;
  bool processThreads;  // the process resources were built
};

class UserLevelTest : public LifecycleTest, public ::testing::WithParamInterface<UserLevelCase> {};

TEST_P(UserLevelTest, OpensMainWindowLoopsBackOrEnds) {
  const UserLevelCase& c = GetParam();
  auto login = std::make_shared<HeadlessLoginWindow>(c.rounds);
  auto main = std::make_shared<HeadlessMainWindow>();
  app::SetLoginWindow(login);
  app::SetMainWindow(main);
  EXPECT_EQ(theApp.InitInstance(), 0);
  EXPECT_EQ(login->Fields().size(), c.loginRounds);
  EXPECT_EQ(main->runs, c.mainWindowRuns);
  ASSERT_TRUE(g_lpApp);
  EXPECT_EQ(g_lpApp->h_Process_KernelMessageThread != nullptr, c.processThreads);
  EXPECT_EQ(theApp.ExitInstance(), 0);
  EXPECT_FALSE(g_lpApp);
}

using Round = HeadlessLoginWindow::Round;
INSTANTIATE_TEST_SUITE_P(
    Levels, UserLevelTest,
    ::testing::Values(
        UserLevelCase{{Round{platform::IDOK, 0}}, 1, 1, false},
        UserLevelCase{{Round{platform::IDOK, 10}}, 1, 1, false},
        UserLevelCase{{Round{platform::IDOK, 20}}, 1, 1, false},
        UserLevelCase{{Round{platform::IDOK, 30}}, 1, 1, false},
        // 100: a re-login was under way; the login window comes again.
        UserLevelCase{
            {Round{platform::IDOK, 100}, Round{platform::IDOK, 100}, Round{platform::IDOK, 20}},
            3,
            1,
            false},
        // Another level skips the main window; the program ends.
        UserLevelCase{{Round{platform::IDOK, 5}}, 1, 0, true},
        UserLevelCase{{Round{platform::IDOK, 101}}, 1, 0, true},
        // Cancel ends start-up before any process thread.
        UserLevelCase{{Round{platform::IDCANCEL, 0}}, 1, 0, false},
        UserLevelCase{{Round{platform::IDOK, 100}, Round{platform::IDCANCEL, 0}}, 2, 0, false}));

TEST_F(StartupTest, MissingCommandFileEndsStartUpWithItsMessage) {
  std::filesystem::remove(m_folder.Path() / "CtrlFile.ini");
  auto login = std::make_shared<HeadlessLoginWindow>(
      std::vector<HeadlessLoginWindow::Round>{{platform::IDOK, 0}});
  app::SetLoginWindow(login);
  EXPECT_EQ(theApp.InitInstance(), 0);
  EXPECT_TRUE(login->Fields().empty());
  ASSERT_EQ(m_box->Count(), 1u);
  EXPECT_EQ(m_box->Shown()[0].text, "Open device control file is failed");
}

// An MPEG-4 stream reply that announces a picture the client cannot show (larger than the
// decoder takes, or without its size fields, which the decoder cannot be opened at): the message
// once, no stream thread, and the login window again; a login there with a size that fits opens
// the main window.
TEST_F(StartupTest, StreamTooLargeShowsItsMessageAndOpensTheLoginWindowAgain) {
  struct Case {
    std::uint16_t width;
    std::uint16_t height;
  };
  for (const Case c : {Case{65535, 65535}, Case{0, 0}, Case{0, 576}}) {
    const std::string size = std::to_string(c.width) + " x " + std::to_string(c.height);
    // A round's size of 0 takes the window's, which is the size under test here.
    auto login = std::make_shared<HeadlessLoginWindow>(
        std::vector<HeadlessLoginWindow::Round>{{platform::IDOK, 0, 0, 0, 4},
                                                {platform::IDOK, 0, 704, 576}},
        c.width, c.height);
    auto main = std::make_shared<HeadlessMainWindow>();
    app::SetLoginWindow(login);
    app::SetMainWindow(main);
    const std::size_t boxes = m_box->Count();
    EXPECT_EQ(theApp.InitInstance(), 0) << size;
    // The main window of the second session closed as a person closes it: the program ends.
    EXPECT_EQ(login->Fields().size(), 2u) << size;
    EXPECT_EQ(main->runs, 1) << size;
    ASSERT_EQ(m_box->Count(), boxes + 1) << size;
    EXPECT_EQ(m_box->Shown()[boxes].text,
              "The video server sends a picture of " + size + ", which this program cannot show.");
    EXPECT_EQ(g_lpApp->m_bPictureRefused.load(), 0u);
    theApp.ExitInstance();
  }
}

// A JPEG stream reply without its size fields, or larger than the window shows: no message, and
// the session goes on to the main window.
TEST_F(StartupTest, StreamSizesTheWindowCannotShowStillOpenTheMainWindow) {
  struct Case {
    std::uint8_t format;
    std::uint16_t width;
    std::uint16_t height;
  };
  for (const Case c : {Case{0, 0, 0}, Case{0, 1280, 720}}) {
    auto login = std::make_shared<HeadlessLoginWindow>(
        std::vector<HeadlessLoginWindow::Round>{{platform::IDOK, 0, 0, 0, c.format}}, c.width,
        c.height);
    auto main = std::make_shared<HeadlessMainWindow>();
    app::SetLoginWindow(login);
    app::SetMainWindow(main);
    EXPECT_EQ(theApp.InitInstance(), 0) << int(c.format) << " " << c.width << "x" << c.height;
    EXPECT_EQ(main->runs, 1) << int(c.format) << " " << c.width << "x" << c.height;
    EXPECT_EQ(m_box->Count(), 0u) << int(c.format) << " " << c.width << "x" << c.height;
    EXPECT_EQ(login->Fields().size(), 1u);
    theApp.ExitInstance();
  }
}

// Which stream threads a login starts.
struct LoginThreadsCase {
  std::uint8_t transmission;
  std::uint8_t avSwitch;
  std::uint8_t videoFormat;
  std::vector<std::string> made;
  int result;
};

class LoginThreadsTest : public LifecycleTest,
                         public ::testing::WithParamInterface<LoginThreadsCase> {};

TEST_P(LoginThreadsTest, StartsTheThreadsTheSettingsAskFor) {
  const LoginThreadsCase& c = GetParam();
  app::SetMediaHooks(RecordingHooks(m_log));
  BuildDataBlock();
  g_lpApp->m_SettingINI.m_byTransmissionType = c.transmission;
  g_lpApp->m_SettingINI.m_byAvSwitchOption = c.avSwitch;
  g_lpApp->m_byVideoFormat = c.videoFormat;
  g_lpApp->m_wStreamMpeg4Width = 352;
  g_lpApp->m_wStreamMpeg4Height = 288;
  g_lpApp->m_wStreamJpegWidth = 640;
  g_lpApp->m_wStreamJpegHeight = 480;
  m_log->Clear();
  EXPECT_EQ(theApp.InitLoginResource(), c.result);
  std::vector<std::string> made;
  for (const std::string& line : m_log->Lines()) {
    if (line.rfind("make ", 0) == 0) {
      made.push_back(line.substr(5));
    }
  }
  EXPECT_EQ(made, c.made);
  theApp.ExitLoginResource();
}

INSTANTIATE_TEST_SUITE_P(
    Options, LoginThreadsTest,
    ::testing::Values(
        LoginThreadsCase{
            0,
            1,
            4,
            {"UdpGetImageData", "Mpeg4Compose", "ShowImageData", "PlayAudioData", "RTCP"},
            1},
        LoginThreadsCase{
            0, 2, 4, {"UdpGetAudio", "Mpeg4Compose", "ShowImageData", "PlayAudioData", "RTCP"}, 1},
        LoginThreadsCase{1,
                         3,
                         0,
                         {"TcpGetImageData", "TcpGetAudio", "JpegCompose", "ShowImageData",
                          "PlayAudioData", "RTCP"},
                         1},
        // A video format other than 0 and 4 starts no compose thread; the login goes on.
        LoginThreadsCase{
            0,
            3,
            7,
            {"UdpGetImageData", "UdpGetAudio", "ShowImageData", "PlayAudioData", "RTCP"},
            1},
        // Other options start no receiver.
        LoginThreadsCase{0, 0, 4, {"Mpeg4Compose", "ShowImageData", "PlayAudioData", "RTCP"}, 1}));

TEST_F(StartupTest, MissingReceiverFailsTheLoginResource) {
  app::MediaEngineHooks hooks = RecordingHooks(m_log);
  hooks.udpGetAudio = {};
  app::SetMediaHooks(hooks);
  BuildDataBlock();
  g_lpApp->m_SettingINI.m_byAvSwitchOption = 3;
  g_lpApp->m_wStreamMpeg4Width = 352;
  g_lpApp->m_wStreamMpeg4Height = 288;
  EXPECT_EQ(theApp.InitLoginResource(), 0);
  EXPECT_EQ(m_log->Count("create the h_GetJpegImageThread, h_GetAudioThread failed"), 1u);
  EXPECT_EQ(m_log->Count("make ShowImageData"), 0u);
  theApp.ExitLoginResource();
}

TEST_F(StartupTest, StreamStateResetFollowsTheAvSwitchOption) {
  BuildDataBlock();
  struct Case {
    std::uint8_t option;
    std::uint32_t before;
    std::uint32_t after;
  };
  const Case cases[] = {{2, 0, 1}, {1, 1, 0}, {3, 1, 0}, {0, 1, 1}, {0, 0, 0}, {9, 0, 0}};
  for (const Case& c : cases) {
    g_lpApp->m_SettingINI.m_byAvSwitchOption = c.option;
    g_lpApp->m_AudioFrameHeader.m_bRecordOnAlarm = c.before;
    g_lpApp->m_VideoFrameHeader.m_bAlarmRecordStarted = 1;
    g_lpApp->m_AudioFrameHeader.m_bAlarmRecordStarted = 1;
    g_lpApp->m_wImageSocketWriteIndex = 7;
    g_lpApp->m_wAudioPlayWriteIndex = 3;
    ResetStreamState();
    EXPECT_EQ(g_lpApp->m_AudioFrameHeader.m_bRecordOnAlarm.load(), c.after) << int(c.option);
    EXPECT_EQ(g_lpApp->m_VideoFrameHeader.m_bAlarmRecordStarted.load(), 0u);
    EXPECT_EQ(g_lpApp->m_AudioFrameHeader.m_bAlarmRecordStarted.load(), 0u);
    EXPECT_EQ(g_lpApp->m_wImageSocketWriteIndex, 0);
    EXPECT_EQ(g_lpApp->m_wAudioPlayWriteIndex, 0);
  }
}

// The display scale is the display's horizontal dots per inch over 96; without a display (or
// with a value no screen gives) the scale is 1.
TEST_F(StartupTest, DisplayScaleFollowsTheHorizontalResolution) {
  struct Case {
    std::optional<platform::DisplayCaps> caps;
    float scale;
  };
  const Case cases[] = {{std::nullopt, 1.0f},
                        {platform::DisplayCaps{96, 96}, 1.0f},
                        {platform::DisplayCaps{120, 96}, 1.25f},
                        {platform::DisplayCaps{144, 144}, 1.5f},
                        {platform::DisplayCaps{192, 72}, 2.0f},
                        {platform::DisplayCaps{0, -5}, 1.0f}};
  ASSERT_EQ(theApp.InitApplicationData(), 1);
  for (const Case& c : cases) {
    platform::SetDisplayCaps(c.caps);
    g_lpApp->m_fDisplayScale = 7.0f;
    EXPECT_EQ(theApp.GetDisplayCaps(), 1);
    EXPECT_FLOAT_EQ(g_lpApp->m_fDisplayScale, c.scale) << (c.caps ? c.caps->horizontalDpi : -1);
  }
  platform::SetDisplayCaps(std::nullopt);
  EXPECT_EQ(platform::ReadDisplayCaps(), (platform::DisplayCaps{96, 96}));
}

// MPEG-4 from 1 x 1 to the 720 x 576 the decoder takes: a size of 0 (a reply without its size
// fields) cannot open the decoder; JPEG any size, as the layout makes an unknown one 320 x 240
// and a picture of another size than the session's is dropped.
TEST(StreamSizeTest, MpegFourFitsTheDecoderAndOtherSizesAreTaken) {
  struct Case {
    std::uint8_t format;
    std::uint16_t width;
    std::uint16_t height;
    bool fits;
  };
  const Case cases[] = {{4, 720, 576, true},     {4, 176, 144, true},   {4, 721, 576, false},
                        {4, 720, 577, false},    {4, 1280, 720, false}, {4, 0, 576, false},
                        {4, 704, 0, false},      {4, 0, 0, false},      {4, 0, 577, false},
                        {0, 720, 576, true},     {0, 352, 288, true},   {0, 1024, 512, true},
                        {0, 721, 576, true},     {0, 720, 577, true},   {0, 0, 0, true},
                        {0, 65535, 65535, true}, {7, 4000, 4000, true}};
  for (const Case& c : cases) {
    EXPECT_EQ(StreamSizeFits(c.format, c.width, c.height), c.fits)
        << int(c.format) << " " << c.width << "x" << c.height;
  }
}

TEST(TimerResolutionTest, TakesTheMinimumPeriodButAtLeastOneAndAtMostTheMaximum) {
  EXPECT_EQ(TimerResolution(0, 1000000), 1);
  EXPECT_EQ(TimerResolution(1, 1000000), 1);
  EXPECT_EQ(TimerResolution(5, 1000000), 5);
  EXPECT_EQ(TimerResolution(5, 3), 3);
}

}  // namespace
}  // namespace lifecycle_test
