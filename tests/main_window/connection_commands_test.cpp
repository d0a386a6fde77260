// CONNECT/DISCONNECT, AV SWITCH, RECORD, SNAPSHOT and the alarm sound on the window, with the
// engine's events, mailbox and recorders made by the test: the waits run on the worker with
// their limits on the injected clock while the window goes on handling its messages.
#include <QTest>
#include <chrono>
#include <filesystem>
#include <thread>

#include "app/engine_threads.h"
#include "app/kernel_threads.h"
#include "app/relogin_thread.h"
#include "commands_fixture.h"
#include "fakes/wait_until.h"
#include "media/record/recorder.h"
#include "platform/audio_out.h"
#include "platform/testing/manual_clock.h"
#include "ui/main/connection_waits.h"
#include "ui/main/main_window_texts.h"

namespace main_window_test {
namespace {

using namespace mainwin;

using Clock = std::chrono::steady_clock;

// Processes the window's messages until done() holds (real time, at most 10 s).
class FixedDiskSpace final : public ui::IDiskSpace {
 public:
  explicit FixedDiskSpace(std::uint64_t bytes) : m_bytes(bytes) {}
  std::optional<std::uint64_t> FreeBytes(const QString&) override { return m_bytes; }

 private:
  std::uint64_t m_bytes;
};

class ConnectionTest : public CommandsTest {
 protected:
  void TearDown() override {
    m_window.reset();
    StopReLoginStandIn();
    m_endOfStreams.Set();
    if (g_lpApp) {
      g_lpApp->m_UserRecord.ExitThread(1000);
      app::StopEngineThread("test", "PlayAudioWavThread", g_lpApp->h_PlayAudioWavThread,
                            g_lpApp->h_PlayAudioWavThreadId, 1000);
    }
    CloseMailbox();
    platform::SetAudioOutFactory({});
    CommandsTest::TearDown();
  }

  // The receivers' and the terminate thread's request/answer pairs and the kernel mailbox.
  void MakeEngineEvents() {
    CAppData& app = *g_lpApp;
    const auto event = [] { return std::make_shared<platform::Event>(platform::ResetMode::Auto); };
    app.NotifyGetJPEGImageThreadResetEvent = event();
    app.ReceiverResetDoneImageEvent = event();
    app.NotifyGetAudioThreadResetEvent = event();
    app.ReceiverResetDoneAudioEvent = event();
    app.h_Process_Notify_TerminateEvent = event();
    app.m_hTerminateDoneEvent = event();
    app.h_NotifyMessageTriggerEvent =
        std::make_shared<platform::Event>(platform::ResetMode::Manual);
    app.h_FeedBackMessageTriggerSemaphore = std::make_shared<platform::Semaphore>(1, 1);
    app.h_KernelMessageSemaphore = std::make_shared<platform::Semaphore>(0, 1);
    OpenMailbox();
  }

  // A re-login thread that runs until it is asked to stop.
  void StartReLoginStandIn() {
    ASSERT_TRUE(app::StartEngineThread(g_lpApp->h_ReLoginThread, g_lpApp->h_ReLoginThreadId,
                                       "ReLoginStandIn", [](platform::StopToken stop) {
                                         stop.StopEvent().Wait(platform::kInfinite);
                                         return 0u;
                                       }));
  }
  void StopReLoginStandIn() {
    if (g_lpApp)
      app::StopEngineThread("test", "ReLoginStandIn", g_lpApp->h_ReLoginThread,
                            g_lpApp->h_ReLoginThreadId, 1000);
  }

  // The user recorder with its thread over the pre-record ring, writing into the folder.
  void StartUserRecorder() {
    CAppData& app = *g_lpApp;
    ASSERT_TRUE(app.m_SystemBuffer.Allocate());
    RecorderEnvironment env = RecorderEnvironment::Defaults();
    env.ring = &app.m_SystemBuffer;
    env.endOfStreams = &m_endOfStreams;
    env.freeDiskBytes = [](const std::string&) { return std::uint64_t{1} << 40; };
    app.m_UserRecord.SetEnvironment(env);
    ASSERT_TRUE(app.m_UserRecord.CreateThread(4));
    app.m_SettingINI.m_strRecordPath = m_folder.Dir();
  }

  void UseDiskSpace(std::uint64_t bytes) {
    ui::Services services;
    services.workArea = std::make_shared<FixedWorkArea>(m_workArea);
    services.diskSpace = std::make_shared<FixedDiskSpace>(bytes);
    ui::InstallServices(std::move(services));
  }

  void Press(int id) { QTest::mouseClick(m_window->Button(id), Qt::LeftButton); }

  platform::Event m_endOfStreams{platform::ResetMode::Manual};
};

TEST_F(ConnectionTest, DisconnectWaitsOffTheGuiThreadInOrderWithinItsLimits) {
  platform::testing::ManualClock clock(1000);
  app::SetClock(&clock);
  CKavelinDlg& window = OpenConnected({.level = 30, .deviceCode = 0x84, .avOption = 3});
  CAppData& app = *g_lpApp;
  MakeEngineEvents();
  StartReLoginStandIn();
  app.m_bStreamsStarted = 1;
  window.ShowStatusText("FR:25.00 fps ");
  Press(IDC_CONNECT);
  EXPECT_TRUE(window.IsWaiting());
  EXPECT_EQ(window.StatusText(), "DISCONNECT!!");
  EXPECT_EQ(window.Button(IDC_CONNECT)->CurrentState(), 1);

  // The video receivers are asked first; their answer is waited for 1000 ms.
  ASSERT_TRUE(clock.WaitForWaiters(1));
  EXPECT_FALSE(app::EngineThreadRunning(app.h_ReLoginThread));
  EXPECT_TRUE(app.NotifyGetJPEGImageThreadResetEvent->IsSet());
  EXPECT_FALSE(app.NotifyGetAudioThreadResetEvent->IsSet());
  clock.Advance(999);
  ASSERT_TRUE(clock.WaitForWaiters(1));
  EXPECT_FALSE(app.NotifyGetAudioThreadResetEvent->IsSet());
  clock.Advance(1);
  // Then the audio receivers, which answer.
  ASSERT_TRUE(clock.WaitForWaiters(1));
  EXPECT_TRUE(app.NotifyGetAudioThreadResetEvent->IsSet());
  EXPECT_FALSE(app.h_Process_Notify_TerminateEvent->IsSet());
  app.ReceiverResetDoneAudioEvent->Set();
  // Then the terminate request, waited for 7000 ms; the window goes on handling its messages.
  ASSERT_TRUE(clock.WaitForWaiters(1));
  EXPECT_TRUE(app.h_Process_Notify_TerminateEvent->IsSet());
  platform::PostMessage(window.Handle(), WM_SHOWSTATUS, 125, kShowStatusElapsed);
  ProcessEvents();
  EXPECT_EQ(window.StatusText(), "ESCAPED TIME:  02:05");
  EXPECT_TRUE(window.IsWaiting());
  // A press meanwhile is ignored.
  Press(IDC_SNAPSHOT);
  EXPECT_TRUE(Messages().empty());
  clock.Advance(6999);
  ASSERT_TRUE(clock.WaitForWaiters(1));
  EXPECT_EQ(app.m_bConnected, 1u);
  clock.Advance(1);
  ASSERT_TRUE(fakes::WaitUntil([&] { return !window.IsWaiting(); }));
  EXPECT_EQ(app.m_bConnected, 0u);
  EXPECT_EQ(app.KernelMessageCode, kKernelFeedback);
  EXPECT_EQ(app.h_KernelMessageSemaphore->Count(), 1u);
  EXPECT_TRUE(window.HuText().isEmpty());

  // No frame is painted after.
  auto picture = CodedPicture(704, 480);
  g_lpApp->m_pCurrentPicture = picture.data();
  std::thread kernel([&] { EXPECT_EQ(window.ShowImage(), 0); });
  kernel.join();
  ProcessEvents();
  const QPoint inside = window.VideoRect().topLeft() + QPoint(20, 30);
  EXPECT_NE(PixelAt(inside.x(), inside.y()), QColor(0x80, 30, 20));
}

TEST_F(ConnectionTest, TheFeedbackCodeGoesOnlyAtLevelThirtyToA0x84Server) {
  struct Case {
    std::uint16_t level;
    std::uint8_t code;
    bool posted;
  };
  for (const Case c : {Case{30, 0x84, true}, Case{20, 0x84, false}, Case{30, 'q', false},
                       Case{30, 0x32, false}, Case{0, 0x84, false}}) {
    SCOPED_TRACE(testing::Message() << c.level << " " << int{c.code});
    CKavelinDlg& window = OpenConnected({.level = c.level, .deviceCode = c.code});
    MakeEngineEvents();
    g_lpApp->m_bStreamsStarted = 0;  // nothing to wait for
    window.OnCommand(IDC_CONNECT);
    ASSERT_TRUE(fakes::WaitUntil([&] { return !window.IsWaiting(); }));
    EXPECT_EQ(g_lpApp->KernelMessageCode, c.posted ? kKernelFeedback : 0u);
    EXPECT_EQ(g_lpApp->h_KernelMessageSemaphore->Count(), c.posted ? 1u : 0u);
    // The terminate request is not made without streams.
    EXPECT_FALSE(g_lpApp->h_Process_Notify_TerminateEvent->IsSet());
    EXPECT_EQ(g_lpApp->m_bConnected, 0u);
    m_window.reset();
    StopMainTimer();
    CloseMailbox();
  }
}

TEST_F(ConnectionTest, TheFeedbackCodeWaitsForABusyMailboxWithinItsLimit) {
  platform::testing::ManualClock clock(1000);
  app::SetClock(&clock);
  CKavelinDlg& window = OpenConnected({.level = 30, .deviceCode = 0x84});
  CAppData& app = *g_lpApp;
  MakeEngineEvents();
  app.m_bStreamsStarted = 0;
  // The kernel thread holds the mailbox lock and does not give it back.
  ASSERT_TRUE(app.h_FeedBackMessageTriggerSemaphore->Wait(0));
  window.OnCommand(IDC_CONNECT);
  ASSERT_TRUE(clock.WaitForWaiters(1));
  EXPECT_TRUE(window.IsWaiting());
  EXPECT_EQ(app.m_bConnected, 0u);  // the connect choice is cleared before the post
  clock.Advance(kFeedbackLockMs - 1);
  ASSERT_TRUE(clock.WaitForWaiters(1));
  platform::PostMessage(window.Handle(), WM_SHOWSTATUS, 7, kShowStatusElapsed);
  ProcessEvents();
  EXPECT_EQ(window.StatusText(), "ESCAPED TIME:  00:07");
  EXPECT_TRUE(window.IsWaiting());
  clock.Advance(1);
  ASSERT_TRUE(fakes::WaitUntil([&] { return !window.IsWaiting(); }));
  EXPECT_EQ(app.KernelMessageCode, 0u);
  EXPECT_EQ(app.h_KernelMessageSemaphore->Count(), 0u);
  EXPECT_EQ(window.Button(IDC_CONNECT)->CurrentState(), 1);

  // A stop asked for ends that wait at once, without the code.
  const platform::StopToken stop;
  stop.StopEvent().Set();
  const DisconnectOutcome outcome = RunDisconnectWaits({.postFeedback = true}, stop);
  EXPECT_FALSE(outcome.feedbackPosted);
  EXPECT_EQ(app.KernelMessageCode, 0u);
  app.h_FeedBackMessageTriggerSemaphore->Release();
}

TEST_F(ConnectionTest, ACloseDuringTheWaitsEndsTheWindowAfterThem) {
  platform::testing::ManualClock clock(1000);
  app::SetClock(&clock);
  CKavelinDlg& window = OpenConnected();
  MakeEngineEvents();
  g_lpApp->m_bStreamsStarted = 1;
  window.OnCommand(IDC_CONNECT);
  ASSERT_TRUE(clock.WaitForWaiters(1));
  platform::PostMessage(window.Handle(), 0x40C, 0, 0);  // the life time is over
  ProcessEvents();
  EXPECT_TRUE(window.isVisible());
  clock.Advance(1000);
  ASSERT_TRUE(clock.WaitForWaiters(1));
  clock.Advance(7000);
  ASSERT_TRUE(fakes::WaitUntil([&] { return !window.IsWaiting(); }));
  EXPECT_FALSE(window.isVisible());
}

TEST_F(ConnectionTest, ConnectStartsTheReLoginAndShowsIt) {
  CKavelinDlg& window = OpenConnected();
  g_lpApp->m_bConnected = 0;
  window.SetButtonState(IDC_CONNECT, 1);
  // The re-login finds no server here; it is only started.
  environment.SetWebPort(1);
  window.OnCommand(IDC_CONNECT);
  EXPECT_FALSE(window.IsWaiting());
  EXPECT_EQ(window.StatusText(), "CONNECT!!");
  EXPECT_EQ(window.Button(IDC_CONNECT)->CurrentState(), 0);
  EXPECT_TRUE(g_lpApp->h_ReLoginThread != nullptr);
}

// CONNECT asks the port to start the re-login; the window shows it only when it started.
TEST_F(ConnectionTest, ConnectShowsTheConnectTextOnlyWhenThePortStartedTheReLogin) {
  for (const bool started : {true, false}) {
    SCOPED_TRACE(started ? "started" : "refused");
    int connects = 0;
    m_engine.connect = [&] {
      ++connects;
      return started;
    };
    CKavelinDlg& window = OpenConnected();
    g_lpApp->m_bConnected = 0;
    window.SetButtonState(IDC_CONNECT, 1);
    window.ShowStatusText("before");
    window.OnCommand(IDC_CONNECT);
    EXPECT_EQ(connects, 1);
    EXPECT_FALSE(window.IsWaiting());
    EXPECT_EQ(window.StatusText(), started ? "CONNECT!!" : "before");
    EXPECT_EQ(window.Button(IDC_CONNECT)->CurrentState(), started ? 0 : 1);
    m_window.reset();
  }
}

TEST_F(ConnectionTest, ReconnectPausesThenDisconnectsAndConnects) {
  platform::testing::ManualClock clock(41500);  // a pause of 41500 % 2000 = 1500 ms
  app::SetClock(&clock);
  CKavelinDlg& window = OpenConnected();
  MakeEngineEvents();
  environment.SetWebPort(1);  // the new re-login finds no server; it is only started
  platform::PostMessage(window.Handle(), WM_RECONNECT, 0, 0);
  ProcessEvents();
  EXPECT_TRUE(window.IsWaiting());
  ASSERT_TRUE(clock.WaitForWaiters(1));
  clock.Advance(1499);
  ASSERT_TRUE(clock.WaitForWaiters(1));
  EXPECT_EQ(window.StatusText(), "Start to get image!!");
  // A second reconnect meanwhile is ignored.
  platform::PostMessage(window.Handle(), WM_RECONNECT, 0, 0);
  ProcessEvents();
  clock.Advance(1);
  ASSERT_TRUE(
      fakes::WaitUntil([&] { return !window.IsWaiting() && window.StatusText() == "CONNECT!!"; }));
  EXPECT_EQ(window.Button(IDC_CONNECT)->CurrentState(), 0);
  EXPECT_TRUE(g_lpApp->h_ReLoginThread != nullptr);
  ProcessEvents();
  EXPECT_FALSE(window.IsWaiting());
  // The re-login waits on this test's clock: it ends before the clock goes.
  StopReLoginStandIn();
}

TEST_F(ConnectionTest, AvSwitchCyclesStopsTheOldStreamsAndReportsTheLoss) {
  CKavelinDlg& window = OpenConnected({.avOption = 1});
  CAppData& app = *g_lpApp;
  MakeEngineEvents();
  EXPECT_EQ(window.Button(IDC_AV_SWITCH)->CurrentState(), 2);
  struct Step {
    std::uint8_t next;
    bool video;
    bool audio;
    int face;
  };
  const Step steps[] = {{3, true, false, 0}, {2, true, true, 1}, {1, false, true, 2}};
  for (const Step& s : steps) {
    SCOPED_TRACE(int{s.next});
    // The receivers answer at once; the kernel has taken the last report.
    app.ReceiverResetDoneImageEvent->Set();
    app.ReceiverResetDoneAudioEvent->Set();
    app.h_NotifyMessageTriggerEvent->Reset();
    app.KernelMessageCode = 0;
    app.m_bAvSwitched = 0;
    Press(IDC_AV_SWITCH);
    EXPECT_EQ(app.m_SettingINI.m_byAvSwitchOption, s.next);
    EXPECT_EQ(app.m_bAvSwitched, 1u);
    ASSERT_TRUE(fakes::WaitUntil([&] { return !window.IsWaiting(); }));
    EXPECT_EQ(app.NotifyGetJPEGImageThreadResetEvent->Wait(0), s.video);
    EXPECT_EQ(app.NotifyGetAudioThreadResetEvent->Wait(0), s.audio);
    EXPECT_EQ(app.KernelMessageCode, kKernelConnectionLost);
    ASSERT_TRUE(app.h_KernelMessageSemaphore->Wait(0));
    app.h_FeedBackMessageTriggerSemaphore->Release();
    EXPECT_EQ(window.Button(IDC_AV_SWITCH)->CurrentState(), s.face);
    app.ReceiverResetDoneImageEvent->Reset();
    app.ReceiverResetDoneAudioEvent->Reset();
  }
  EXPECT_TRUE(Messages().empty());
}

TEST_F(ConnectionTest, AvSwitchRefusalsKeepTheOptionAndTheFace) {
  CKavelinDlg& window = OpenConnected({.avOption = 3});
  CAppData& app = *g_lpApp;
  EXPECT_EQ(window.Button(IDC_AV_SWITCH)->CurrentState(), 0);
  StartUserRecorder();
  std::string path = m_folder.Dir();
  ASSERT_TRUE(app.m_UserRecord.OpenRecordFile(path, 4));
  Press(IDC_AV_SWITCH);
  ASSERT_TRUE(app.m_UserRecord.StopRecord());
  app.m_bConnected = 0;
  Press(IDC_AV_SWITCH);
  EXPECT_EQ(Messages(), (std::vector<std::string>{
                            "Recording is running now, can't switch AV option.", Text(4085)}));
  EXPECT_EQ(app.m_SettingINI.m_byAvSwitchOption, 3);
  EXPECT_EQ(app.m_bAvSwitched, 0u);
  EXPECT_EQ(window.Button(IDC_AV_SWITCH)->CurrentState(), 0);
  EXPECT_FALSE(window.IsWaiting());
}

TEST_F(ConnectionTest, RecordStartsAndStopsTheUserRecordWithItsFaceAndTooltip) {
  CKavelinDlg& window = OpenConnected();
  CAppData& app = *g_lpApp;
  StartUserRecorder();
  EXPECT_EQ(window.Button(IDC_RECORD)->toolTip(), "RECORD");
  Press(IDC_RECORD);
  EXPECT_TRUE(app.m_UserRecord.HasOpenFile());
  EXPECT_EQ(window.Button(IDC_RECORD)->toolTip(), "RECORDING");
  EXPECT_EQ(window.Button(IDC_RECORD)->CurrentState(), 1);
  // While recording RECORD always stops, connected or not.
  app.m_bConnected = 0;
  Press(IDC_RECORD);
  EXPECT_FALSE(app.m_UserRecord.HasOpenFile());
  EXPECT_EQ(window.Button(IDC_RECORD)->toolTip(), "RECORD");
  EXPECT_EQ(window.Button(IDC_RECORD)->CurrentState(), 0);
  // No frame reached the record (no stream runs here): it leaves no file.
  EXPECT_EQ(app.m_UserRecord.FilesFinished(), 1u);
  EXPECT_FALSE(std::filesystem::exists(app.m_UserRecord.LastFileName()));
  // Not recording and not connected.
  Press(IDC_RECORD);
  EXPECT_EQ(Messages(), std::vector<std::string>{Text(4085)});
  EXPECT_FALSE(app.m_UserRecord.HasOpenFile());
}

// The engine asks the window, from its own threads, to show the record button as the user
// recorder stands: the re-login does (a record interrupted by the loss stays open through it),
// and so does the recorder when it closed its file by itself (a full disk, a failed write).
TEST_F(ConnectionTest, TheRecordButtonShowsTheRecorderWhenTheEngineAsks) {
  CKavelinDlg& window = OpenConnected();
  CAppData& app = *g_lpApp;
  StartUserRecorder();
  const auto refreshFromAnotherThread = [&] {
    std::thread engine([&] { window.Sink()->RefreshRecordButton(); });
    engine.join();
    ProcessEvents();
  };
  std::string path = app.m_SettingINI.m_strRecordPath;
  ASSERT_TRUE(app.m_UserRecord.OpenRecordFile(path, 4));
  refreshFromAnotherThread();
  EXPECT_EQ(window.Button(IDC_RECORD)->CurrentState(), 1);
  EXPECT_EQ(window.Button(IDC_RECORD)->toolTip(), "RECORDING");
  ASSERT_TRUE(app.m_UserRecord.StopRecord());
  refreshFromAnotherThread();
  EXPECT_EQ(window.Button(IDC_RECORD)->CurrentState(), 0);
  EXPECT_EQ(window.Button(IDC_RECORD)->toolTip(), "RECORD");
}

TEST_F(ConnectionTest, RecordRefusesALowDiskAndShowsNoRecordingForAFileThatDidNotOpen) {
  CKavelinDlg& window = OpenConnected();
  CAppData& app = *g_lpApp;
  StartUserRecorder();
  UseDiskSpace(100ull << 20);  // not more than 100 MB
  Press(IDC_RECORD);
  EXPECT_EQ(Messages(), std::vector<std::string>{Text(4068)});
  EXPECT_FALSE(app.m_UserRecord.HasOpenFile());

  UseDiskSpace(1ull << 40);
  fakes::TempFolder::Write(m_folder / "plain", "a file, not a folder");
  app.m_SettingINI.m_strRecordPath = (m_folder / "plain" / "records").string() + "/";
  window.SetToolTipText(IDC_RECORD, "RECORDING");
  Press(IDC_RECORD);
  EXPECT_FALSE(app.m_UserRecord.HasOpenFile());
  EXPECT_EQ(window.Button(IDC_RECORD)->CurrentState(), 0);
  EXPECT_EQ(window.Button(IDC_RECORD)->toolTip(), "RECORD");
  EXPECT_EQ(Messages().size(), 1u);

  platform::PostMessage(window.Handle(), WM_RECORDSTARTED, 0, 0);
  ProcessEvents();
  EXPECT_EQ(window.Button(IDC_RECORD)->CurrentState(), 1);
}

TEST_F(ConnectionTest, SnapshotAsksThePainterForABitmap) {
  CKavelinDlg& window = OpenConnected({.width = 352, .height = 240, .avOption = 2});
  CAppData& app = *g_lpApp;
  app.m_bConnected = 0;
  Press(IDC_SNAPSHOT);  // audio only: refused even without a connection
  app.m_SettingINI.m_byAvSwitchOption = 1;
  Press(IDC_SNAPSHOT);
  EXPECT_EQ(Messages(), (std::vector<std::string>{Text(4100), Text(4085)}));
  EXPECT_EQ(app.m_bSnapshotRequest, 0u);

  const std::filesystem::path shots = m_folder / "shots";
  std::filesystem::create_directories(shots);
  app.m_SettingINI.m_strSnapshotPath = shots.string() + "/";
  auto picture = CodedPicture(352, 240);
  Hand(picture);
  Press(IDC_SNAPSHOT);
  EXPECT_EQ(app.m_bSnapshotRequest, 1u);
  std::thread kernel([&] { window.ShowImage(); });
  kernel.join();
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(shots))
    files.push_back(entry.path());
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].extension(), ".bmp");
  EXPECT_EQ(QImage(QString::fromStdString(files[0].string())).size(), QSize(352, 240));
}

// A snapshot request the lost streams took with them is told as a press made without a
// connection is (the engine calls this from its kernel thread).
TEST_F(ConnectionTest, ASnapshotTheLossDroppedIsToldToTheOperator) {
  CKavelinDlg& window = OpenConnected({.width = 352, .height = 240, .avOption = 1});
  std::thread kernel([&] { window.Sink()->SnapshotNotTaken(); });
  kernel.join();
  ProcessEvents();
  EXPECT_EQ(Messages(), (std::vector<std::string>{Text(4085)}));
}

// A sound device that keeps its blocks queued and counts the devices open at once.
class CountingAudioOut final : public platform::IAudioOut {
 public:
  static inline std::atomic<int> s_open{0};
  static inline std::atomic<int> s_opened{0};
  platform::AudioResult Open(const platform::PcmFormat&, DoneCallback) override {
    if (!m_open.exchange(true)) {
      ++s_open;
      ++s_opened;
    }
    return platform::AudioResult::NoError;
  }
  platform::AudioResult Prepare(platform::AudioBlock&) override {
    return platform::AudioResult::NoError;
  }
  platform::AudioResult Unprepare(platform::AudioBlock&) override {
    return platform::AudioResult::NoError;
  }
  platform::AudioResult Write(platform::AudioBlock&) override {
    return platform::AudioResult::NoError;
  }
  platform::AudioResult Reset() override { return platform::AudioResult::NoError; }
  platform::AudioResult Close() override {
    if (m_open.exchange(false))
      --s_open;
    return platform::AudioResult::NoError;
  }
  bool IsOpen() const override { return m_open.load(); }

 private:
  std::atomic<bool> m_open{false};
};

class AlarmSoundTest : public ConnectionTest {
 protected:
  CKavelinDlg& OpenWithSound() {
    CountingAudioOut::s_open = 0;
    CountingAudioOut::s_opened = 0;
    platform::SetAudioOutFactory([] { return std::make_unique<CountingAudioOut>(); });
    // Half a second of 8 kHz 16-bit mono.
    std::string wav = "RIFF";
    const auto put32 = [&wav](std::uint32_t v) {
      for (int i = 0; i < 4; ++i)
        wav.push_back(static_cast<char>(v >> (8 * i)));
    };
    const std::uint32_t samples = 8000;
    put32(36 + samples);
    wav += "WAVEfmt ";
    put32(16);
    wav += std::string("\x01\x00\x01\x00", 4);
    put32(8000);
    put32(16000);
    wav += std::string("\x02\x00\x10\x00", 4);
    wav += "data";
    put32(samples);
    wav += std::string(samples, '\x10');
    fakes::TempFolder::Write(m_folder / "alarm.wav", wav);
    CKavelinDlg& window = OpenConnected();
    g_lpApp->m_bConnected = 0;
    return window;
  }
  void Alarm(platform::LParam lParam) {
    platform::PostMessage(m_window->Handle(), WM_ALARMSTATE, 0, lParam);
    ProcessEvents();
  }
};

// The alarm's start and end reach the sound only through the window's port.
TEST_F(ConnectionTest, AlarmMessagesStartAndStopTheSoundThroughThePort) {
  std::vector<std::string> calls;
  m_engine.startAlarmSound = [&] {
    calls.push_back("start");
    return true;
  };
  m_engine.stopAlarmSound = [&] { calls.push_back("stop"); };
  m_engine.silenceAlarmSound = [&] { calls.push_back("silence"); };
  CKavelinDlg& window = OpenConnected();
  for (const platform::LParam state : {kAlarmStateOn, kAlarmStateOff, kAlarmStateOn})
    platform::PostMessage(window.Handle(), WM_ALARMSTATE, 0, state);
  ProcessEvents();
  // A left press anywhere in the window silences the sound; a right press does not.
  QTest::mouseClick(window.Button(IDC_SNAPSHOT), Qt::RightButton);
  QTest::mouseClick(window.Button(IDC_SNAPSHOT), Qt::LeftButton);
  EXPECT_EQ(calls, (std::vector<std::string>{"start", "stop", "start", "silence"}));
}

TEST_F(AlarmSoundTest, TwoAlarmsInARowLeaveOneSoundThreadAndTheEndStopsIt) {
  OpenWithSound();
  CAppData& app = *g_lpApp;
  Alarm(kAlarmStateOn);
  ASSERT_TRUE(fakes::WaitUntil([] { return CountingAudioOut::s_opened == 1; }));
  EXPECT_EQ(app.m_bAlarmWavPending, 1u);
  Alarm(kAlarmStateOn);
  ASSERT_TRUE(fakes::WaitUntil([] { return CountingAudioOut::s_opened == 2; }));
  // The first thread had ended (and closed its device) before the second one began.
  EXPECT_EQ(CountingAudioOut::s_open, 1);
  EXPECT_TRUE(app::EngineThreadRunning(app.h_PlayAudioWavThread));
  Alarm(kAlarmStateOff);
  EXPECT_EQ(app.m_bAlarmWavPending, 0u);
  EXPECT_FALSE(app::EngineThreadRunning(app.h_PlayAudioWavThread));
  EXPECT_EQ(CountingAudioOut::s_open, 0);
  // A missing sound file plays nothing.
  std::filesystem::remove(m_folder / "alarm.wav");
  Alarm(kAlarmStateOn);
  EXPECT_EQ(app.m_bAlarmWavPending, 0u);
  EXPECT_EQ(CountingAudioOut::s_opened, 2);
}

TEST_F(AlarmSoundTest, ALeftClickSilencesTheAlarmAndStillReachesTheButton) {
  CKavelinDlg& window = OpenWithSound();
  CAppData& app = *g_lpApp;
  Alarm(kAlarmStateOn);
  ASSERT_TRUE(fakes::WaitUntil([] { return CountingAudioOut::s_open == 1; }));
  QTest::mouseClick(window.Button(IDC_SNAPSHOT), Qt::LeftButton);
  EXPECT_EQ(app.m_bAlarmWavPending, 0u);
  EXPECT_EQ(Messages(), std::vector<std::string>{Text(4085)});
  // The sound thread ends by itself.
  ASSERT_TRUE(fakes::WaitUntil([] { return CountingAudioOut::s_open == 0; }));
}

}  // namespace
}  // namespace main_window_test
