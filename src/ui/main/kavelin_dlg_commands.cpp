// CKavelinDlg: the command dispatch by control id, and the connection, AV, alarm-sound, record
// and snapshot commands. The waits of DISCONNECT, AV SWITCH and the reconnect pause run on the
// window's worker (connection_waits.h); their outcome is applied here on the GUI thread.

#include "app/app_data.h"
#include "app/app_seams.h"
#include "app/engine_threads.h"
#include "app/main_window_state.h"
#include "app/trace.h"
#include "media/frame_header.h"
#include "media/record/recorder.h"
#include "net/rs485_command.h"
#include "platform/message_box.h"
#include "ui/common/message_ids.h"
#include "ui/common/qt_message_box.h"
#include "ui/common/services.h"
#include "ui/common/string_table.h"
#include "ui/main/connection_waits.h"
#include "ui/main/kavelin_dlg.h"
#include "ui/main/remote_commands.h"

using namespace mainwin;

namespace {

constexpr const char* kDisconnectText = "DISCONNECT!!";
constexpr const char* kConnectText = "CONNECT!!";
constexpr const char* kRecordingRunsText = "Recording is running now, can't switch AV option.";
constexpr std::uint8_t kFeedbackDeviceByte = 0x84;
// Commands of the window's menu resource ("R.E.T.R", "PTZ HOT POINT"); no menu shows them, the
// ids still reach the handlers of their buttons.
constexpr int kMenuRetr = 32781;
constexpr int kMenuPtzHotPoint = 32782;

bool AnyRecorderRecording(CAppData& app) {
  const auto busy = [](CRecorder& recorder) {
    return recorder.IsRecording() || recorder.HasOpenFile();
  };
  return busy(app.m_AlarmRecord) || busy(app.m_UserRecord) || busy(app.m_SchRecord);
}

// A snapshot is of the session that runs: none while the re-login brings a session back (the
// server is gone) or while the session's streams end. The painter would otherwise save the
// next session's first picture, long after the press, under its later time.
bool SessionStreamsRun(CAppData& app) {
  if (app::EngineThreadRunning(app.h_ReLoginThread))
    return false;
  const EventHandle ends = app::LoadHandle(app.h_EndofGetJpegImageEvent);
  return ends == nullptr || !ends->IsSet();
}

}  // namespace

void CKavelinDlg::OnCommand(int id) {
  if (m_bWaiting && id != IDC_TITLE_MINIMIZE) {
    if (id == IDC_TITLE_CLOSE)
      m_bCloseWhenIdle = true;
    return;
  }
  switch (id) {
    case IDC_TITLE_MINIMIZE:
      OnMinimized();
      return;
    case IDC_TITLE_FULLSCREEN:
      OnTitleFullScreen();
      return;
    case IDC_TITLE_CLOSE:
      OnTitleClose();
      return;
    case IDC_PANELUP:
      OnPanelUp();
      return;
    case IDC_PANELDOWN:
      OnPanelDown();
      return;
    case IDC_AV_SWITCH:
      OnAvSwitch();
      return;
    case IDC_CONNECT:
      OnLogin();
      return;
    case IDC_IMAGE_ADJUST:
      OnImageAdjust();
      return;
    case IDC_SNAPSHOT:
      OnSnapshot();
      return;
    case IDC_RECORD:
      OnRecord();
      return;
    case IDC_SYSTEM_CONFIG:
      OnSystemConfig();
      return;
    case IDC_RESOLUTION:
      OnResolution();
      return;
    case IDC_POWER:
      OnPower();
      return;
    case IDC_TURBO:
      OnTurbo();
      return;
    case IDC_PTZ_CONTROL:
      OnPtzControl();
      return;
    case IDC_RETR:
    case kMenuRetr:
      OnRetr();
      return;
    case IDC_HOT_POINT:
    case kMenuPtzHotPoint:
      OnHotPoint();
      return;
    case IDC_DIGITAL_ZOOM:
      OnDigitalZoom();
      return;
    default:
      break;
  }
  if (id >= IDC_CHANNEL_DVR && id <= IDC_CHANNEL_RIGHT) {
    OnChannelButton(id);
  } else if (PanelKeyCommandOf(id)) {
    OnPanelKey(id);
  }
}

// --- Long waits --------------------------------------------------------------------------------

void CKavelinDlg::RunLongWait(const char* name, LongWait wait,
                              std::function<void(std::uint32_t)> then) {
  m_bWaiting = true;
  const bool started = m_waitWorker.Start(
      name, [wait](const ui::WorkerRun<>& run) { return wait(run.Token()); },
      [this, then](std::uint32_t result) { OnLongWaitDone(then, result); });
  if (!started) {
    // No thread: the waits run here, within their limits, as the window would otherwise skip
    // the steps.
    const platform::StopToken never;
    OnLongWaitDone(then, wait(never));
  }
}

void CKavelinDlg::OnLongWaitDone(const std::function<void(std::uint32_t)>& then,
                                 std::uint32_t result) {
  m_bWaiting = false;
  if (then)
    then(result);
  if (!m_bWaiting && m_bCloseWhenIdle) {
    m_bCloseWhenIdle = false;
    OnTitleClose();
  }
}

// --- CONNECT / DISCONNECT ----------------------------------------------------------------------

void CKavelinDlg::OnLogin() {
  Login(nullptr);
}

void CKavelinDlg::Login(std::function<void()> then) {
  if (!g_lpApp)
    return;
  if (app::SessionUp(*g_lpApp)) {
    Disconnect(std::move(then));
    return;
  }
  Connect();
  if (then)
    then();
}

void CKavelinDlg::Disconnect(std::function<void()> then) {
  CAppData& app = *g_lpApp;
  SetButtonState(IDC_CONNECT, 1);
  ShowStatusText(QString::fromLatin1(kDisconnectText));
  DisconnectPlan plan;
  plan.streamsRunning = app.m_bStreamsStarted.load() != 0;
  plan.avOption = app.m_SettingINI.m_byAvSwitchOption;
  plan.postFeedback =
      app.m_wUserLevelShown.load() == 30 && app.m_byDeviceType.load() == kFeedbackDeviceByte;
  RunLongWait(
      "DisconnectThread",
      [disconnect = m_engine.disconnect, plan](const platform::StopToken& stop) {
        return disconnect(plan, stop).stopped ? 0u : 1u;
      },
      [this, then = std::move(then)](std::uint32_t) {
        m_strHuText.clear();
        update(QRect(0, Skin().Strip().top - 20, width(), 44));
        if (then)
          then();
      });
}

void CKavelinDlg::Connect() {
  if (!m_engine.connect()) {
    app::TraceLine("CKavelinDlg::OnLogin() : Create the h_ReLoginThread failed, error \n");
    return;
  }
  ShowStatusText(QString::fromLatin1(kConnectText));
  SetButtonState(IDC_CONNECT, 0);
}

void CKavelinDlg::OnReconnect() {
  if (!g_lpApp || m_bWaiting)
    return;
  const std::uint32_t pause = app::Clock().Ticks() % 2000u;
  RunLongWait(
      "ReconnectPause",
      [wait = m_engine.pause, pause](const platform::StopToken& stop) {
        return wait(pause, stop) ? 1u : 0u;
      },
      [this](std::uint32_t paused) {
        if (paused != 0)
          Login([this] { Login(nullptr); });
      });
}

// --- AV SWITCH ---------------------------------------------------------------------------------

void CKavelinDlg::OnAvSwitch() {
  if (!g_lpApp)
    return;
  CAppData& app = *g_lpApp;
  // The press showed the next face already; a refused press goes back to the face it had.
  const auto keepFace = [this] {
    if (CVtxButton* button = Button(IDC_AV_SWITCH))
      button->SetButtonState(button->SetButtonState(-1));
  };
  if (AnyRecorderRecording(app)) {
    platform::ShowMessageBox(kRecordingRunsText);
    keepFace();
    return;
  }
  if (!RequireSession()) {
    keepFace();
    return;
  }
  const std::uint8_t oldOption = app.m_SettingINI.m_byAvSwitchOption;
  const std::optional<std::uint8_t> newOption = NextAvOption(oldOption);
  if (!newOption) {
    keepFace();
    return;
  }
  app.m_SettingINI.m_byAvSwitchOption = *newOption;
  app.m_bAvSwitched = 1;
  RunLongWait(
      "AvSwitchThread",
      [avSwitch = m_engine.avSwitch, oldOption](const platform::StopToken& stop) {
        return avSwitch(oldOption, stop) ? 1u : 0u;
      },
      nullptr);
}

// --- Alarm sound -------------------------------------------------------------------------------

int CKavelinDlg::OnAlarmSound(platform::LParam lParam) {
  if (lParam == kAlarmStateOff) {
    m_engine.stopAlarmSound();
    return 0;
  }
  return m_engine.startAlarmSound() ? 0 : -1;
}

// --- RECORD and SNAPSHOT -----------------------------------------------------------------------

void CKavelinDlg::OnRecord() {
  if (!g_lpApp)
    return;
  CAppData& app = *g_lpApp;
  CUserRecord& recorder = app.m_UserRecord;
  const bool recording = recorder.HasOpenFile();
  if (!recording && !RequireSession())
    return;
  std::string path = app.m_SettingINI.LockedText(app.m_SettingINI.m_strRecordPath);
  if (!recording) {
    RecorderEnvironment disk;
    disk.freeDiskBytes = [](const std::string& folder) -> std::uint64_t {
      return ui::DiskSpace().FreeBytes(QString::fromStdString(folder)).value_or(0);
    };
    if (!CheckDiskFreeSpace(path, disk)) {
      ui::MessageBoxById(ui::kMsgDiskFull);
      return;
    }
  }
  if (!recording) {
    if (!recorder.OpenRecordFile(path, app.m_byVideoFormat.load()))
      app::TraceLine("CKavelinDlg::OnRecord : the record file could not be opened \n");
  } else if (!recorder.StopRecord()) {
    app::TraceLine("CKavelinDlg::OnRecord : the record did not finish in time \n");
  }
  // RECORDING only for a record that opened; a record still finishing shows until its close is
  // told (RefreshRecordButton again).
  RefreshRecordButton();
}

void CKavelinDlg::RefreshRecordButton() {
  const bool open = g_lpApp && g_lpApp->m_UserRecord.HasOpenFile();
  const QString label = ui::LoadString(IDC_RECORD);
  SetToolTipText(IDC_RECORD, open ? ui::SecondWord(label) : ui::FirstWord(label));
  SetButtonState(IDC_RECORD, open ? 1 : 0);
}

void CKavelinDlg::OnRecordStarted() {
  SetButtonState(IDC_RECORD, 1);
}

void CKavelinDlg::OnSnapshot() {
  if (!g_lpApp)
    return;
  CAppData& app = *g_lpApp;
  if (app.m_SettingINI.m_byAvSwitchOption == 2) {
    ui::MessageBoxById(ui::kMsgAudioOnly);
  } else if (RequireSession(SessionNeed::kStreams)) {
    app.m_bSnapshotRequest = 1;
  }
}

void CKavelinDlg::OnSnapshotNotTaken() {
  ui::MessageBoxById(ui::kMsgConnectFirst);
}

bool CKavelinDlg::RequireSession(SessionNeed need) const {
  const bool up = g_lpApp && app::SessionUp(*g_lpApp) &&
                  (need == SessionNeed::kSession || SessionStreamsRun(*g_lpApp));
  if (!up)
    ui::MessageBoxById(ui::kMsgConnectFirst);
  return up;
}
