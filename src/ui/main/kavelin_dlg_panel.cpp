// CKavelinDlg: the remote-control panel: the channel strip, the keys (through the device command
// table), TURBO, the power key, PTZ control with its selection dialog, and the hot point. Every
// request is made ready here and sent on the window's request queue, one at a time in the order
// pressed; its answer comes back here, where the failure message shows.
#include <array>

#include "app/app_data.h"
#include "app/main_window_state.h"
#include "app/trace.h"
#include "net/ctrl_file.h"
#include "net/net_messages.h"
#include "net/rs485_command.h"
#include "ui/common/message_ids.h"
#include "ui/common/modal_runner.h"
#include "ui/common/qt_message_box.h"
#include "ui/common/string_table.h"
#include "ui/main/kavelin_dlg.h"
#include "ui/main/remote_commands.h"
#include "ui/main/select_ptz_dlg.h"

using namespace mainwin;

namespace {

constexpr std::uint8_t kRetrServerByte = 0x84;
constexpr std::uint16_t kMarkFramesAfterHotPoint = 10;
constexpr std::uint16_t kMarkFramesAfterFailedPtz = 2;

// A PTZ CONTROL command that did not reach the camera: the cross on the next frames and 4065.
void SayPtzCommandFailed() {
  if (g_lpApp)
    g_lpApp->m_wMarkCount = kMarkFramesAfterFailedPtz;
  ui::MessageBoxById(ui::kMsgSendCommandFailed);
}

}  // namespace

std::size_t CKavelinDlg::SelectedPort() const {
  return g_lpApp ? PortOfChannel(g_lpApp->m_SettingINI.m_bySelectedChannel) : 1;
}

std::uint8_t& CKavelinDlg::PortDeviceType(std::size_t port) {
  CSettingINI& settings = g_lpApp->m_SettingINI;
  return port == 0 ? settings.m_byChannel1Device : settings.m_byChannel2Device;
}

std::uint8_t CKavelinDlg::Authority() const {
  return RightsRow(g_lpApp ? g_lpApp->m_byUserRightsRow.load() : kGuestRow).authority;
}

void CKavelinDlg::ShowTwoWordTip(int id, bool first) {
  const QString label = ui::LoadString(id);
  SetToolTipText(id, first ? ui::FirstWord(label) : ui::SecondWord(label));
}

net::Rs485Request CKavelinDlg::PanelCommandRequest(std::span<const std::uint8_t> command) {
  return {net::Rs485CommandUrl(CommandHexText(command)), std::nullopt};
}

void CKavelinDlg::QueueDeviceRequest(const char* name, net::Rs485Request request,
                                     std::function<void(int result)> done,
                                     std::function<void(DropCause)> dropped) {
  if (!dropped) {
    dropped = [](DropCause cause) {
      if (DropIsUntold(cause))
        net::ShowNetMessage(net::kMsgSendCommandFailed);
    };
  }
  m_requests.Push<int>(
      name,
      [send = m_engine.sendDeviceRequest, request = std::move(request)](
          const platform::StopToken& stop) { return send(request, stop); },
      [](const int& result) { return result != 1; }, std::move(done), std::move(dropped));
}

void CKavelinDlg::QueueDeviceCommand(const char* name, net::PreparedRs485 prepared,
                                     std::function<void()> after) {
  if (!prepared.request) {
    if (prepared.message != 0)
      net::ShowNetMessage(prepared.message);
    if (after)
      after();
    return;
  }
  QueueDeviceRequest(name, std::move(*prepared.request), [after = std::move(after)](int result) {
    if (result != 1)
      net::ShowNetMessage(net::kMsgSendCommandFailed);
    if (after)
      after();
  });
}

// --- Channel strip and keys --------------------------------------------------------------------

void CKavelinDlg::OnChannelButton(int id) {
  if (!g_lpApp)
    return;
  CAppData& app = *g_lpApp;
  if (id == IDC_CHANNEL_LEFT || id == IDC_CHANNEL_RIGHT) {
    m_byChannelStripOffset =
        static_cast<std::uint8_t>(m_byChannelStripOffset + (id == IDC_CHANNEL_LEFT ? -1 : 1));
    ApplyResolutionMode(app.m_SettingINI.m_nImageResolution);
    return;
  }
  const int channel = id - IDC_CHANNEL_DVR;
  if (channel < 0 || channel > 16)
    return;
  app.m_SettingINI.m_bySelectedChannel = static_cast<std::uint8_t>(channel);
  for (int i = 0; i < kChannelButtonCount; ++i)
    m_ChannelButtons[static_cast<std::size_t>(i)]->SetButtonState(i == channel ? 0 : 1);
  RefreshPanelButtons();
  ArrangeControls();
  ApplyResolutionMode(app.m_SettingINI.m_nImageResolution);
}

void CKavelinDlg::OnPanelKey(int id) {
  const std::optional<PanelKeyCommand> key = PanelKeyCommandOf(id);
  if (!key || !g_lpApp)
    return;
  QueueDeviceCommand(
      "PanelKey", PrepareDeviceCommand(key->turbo ? g_lpApp->m_bTurboOn.load() : 0u, key->index));
}

void CKavelinDlg::OnTurbo() {
  if (!g_lpApp)
    return;
  CAppData& app = *g_lpApp;
  const bool turbo = app.m_bTurboOn.load() == 0;
  app.m_bTurboOn = turbo ? 1 : 0;
  {
    const std::lock_guard lock(m_layoutLock);
    LoadPanelBitmaps(SkinFilePrefix(LayoutSkin()));
  }
  SetButtonState(IDC_TURBO, turbo ? 1 : 0);
  ShowTwoWordTip(IDC_TURBO, turbo);
}

void CKavelinDlg::OnPower() {
  if (!g_lpApp)
    return;
  CAppData& app = *g_lpApp;
  if (!app::SessionUp(app)) {
    ui::MessageBoxById(ui::kMsgNoDeviceConnection);
    return;
  }
  // The power key always addresses port 0; a type outside the table has no commands.
  const std::uint8_t type = PortDeviceType(0);
  const CtrlFileDevice* device =
      type < DeviceCommandTable.size() ? DeviceCommandTable[type].device : nullptr;
  if (device == nullptr) {
    ui::MessageBoxById(ui::kMsgNoDeviceProtocol);
    return;
  }
  // The power state flips once the command has had its answer (whatever it was).
  QueueDeviceCommand(
      "PowerKey", PrepareRS485Command(&device->powerCommand, app.m_abyChannelDeviceId[0].load(), 1),
      [] {
        if (g_lpApp)
          g_lpApp->m_bPowerOn = g_lpApp->m_bPowerOn.load() == 0 ? 1 : 0;
      });
}

// --- PTZ control -------------------------------------------------------------------------------

void CKavelinDlg::LeavePtzControl(std::size_t port) {
  CAppData& app = *g_lpApp;
  app.m_abPtzControl[port] = 0;
  ShowTwoWordTip(IDC_PTZ_CONTROL, false);
  PortDeviceType(port) = app.m_abySavedDeviceType[port].load();
  SetButtonState(IDC_PTZ_CONTROL, 0);
  if (app::HotPointOn(app))
    app::SetHotPoint(app, false);
}

CKavelinDlg::PtzPortState CKavelinDlg::PtzStateOf(std::size_t port) {
  const CAppData& app = *g_lpApp;
  return {app.m_abPtzControl[port].load(),       PortDeviceType(port),
          app.m_abySavedDeviceType[port].load(), app.m_abyChannelPtzNumber[port].load(),
          app.m_byHotPointMode.load(),           app.m_bHotPointOn.load()};
}

void CKavelinDlg::RestorePtzState(std::size_t port, const PtzPortState& state) {
  CAppData& app = *g_lpApp;
  app.m_abPtzControl[port] = state.control;
  PortDeviceType(port) = state.deviceType;
  app.m_abySavedDeviceType[port] = state.savedType;
  app.m_abyChannelPtzNumber[port] = state.ptzNumber;
  app.m_byHotPointMode = state.hotPointMode;
  app.m_bHotPointOn = state.hotPointOn;
  if (port == SelectedPort()) {
    ShowTwoWordTip(IDC_PTZ_CONTROL, state.control != 0);
    SetButtonState(IDC_PTZ_CONTROL, state.control != 0 ? 1 : 0);
  }
}

void CKavelinDlg::OnPtzControl() {
  if (!g_lpApp)
    return;
  CAppData& app = *g_lpApp;
  if (app.m_byDeviceType.load() == kRetrServerByte && app.m_bRetrOn.load() != 0) {
    ui::MessageBoxById(ui::kMsgPtzWithRetr);
    return;
  }
  const std::size_t port = SelectedPort();
  CSelectPTZDlg select(this);
  const int result = ui::RunModal(select);
  const bool inPtzControl = app.m_abPtzControl[port].load() != 0;
  if (result == ui::IDCANCEL) {
    SetButtonState(IDC_PTZ_CONTROL, inPtzControl ? 1 : 0);
    return;
  }
  const PtzPortState before = PtzStateOf(port);
  std::uint8_t selector = 0;
  if (!inPtzControl || result == ui::IDOK) {
    if (!IsValidPtzNumber(select.m_nSelectNo)) {
      ui::MessageBoxById(ui::kMsgPtzNumberInvalid);
      return;
    }
    app.m_abyChannelPtzNumber[port] = static_cast<std::uint8_t>(select.m_nSelectNo);
    selector = static_cast<std::uint8_t>('0' + select.m_nSelectNo);
    if (!inPtzControl) {
      app.m_abPtzControl[port] = 1;
      ShowTwoWordTip(IDC_PTZ_CONTROL, true);
      const std::uint8_t own = PortDeviceType(port);
      app.m_abySavedDeviceType[port] = own;
      PortDeviceType(port) = PtzTypeOfSavedType(own);
      app::SetHotPoint(app, true);
    }
    SetButtonState(IDC_PTZ_CONTROL, 1);
  } else if (result == CSelectPTZDlg::kResultPtzOff) {
    LeavePtzControl(port);
    selector = kPtzOffSelector;
  } else {
    return;
  }
  const PtzPortState after = PtzStateOf(port);
  const PtzControlBytes command =
      PtzControlCommand(app.m_abyChannelDeviceId[port].load(), Authority(), selector);
  QueueDeviceRequest(
      "PtzControl", PanelCommandRequest(command),
      [this](int result) {
        if (result == 1) {
          RefreshPanelButtons();
        } else {
          SayPtzCommandFailed();
        }
      },
      [this, port, before, after](DropCause cause) {
        if (!g_lpApp)
          return;
        // The camera never got the command: the port is as it was before the press, unless
        // something changed it since (that change stands).
        if (PtzStateOf(port) == after)
          RestorePtzState(port, before);
        if (DropIsUntold(cause))
          SayPtzCommandFailed();
      });
}

void CKavelinDlg::OnUpdatePtzControlButton() {
  if (!g_lpApp)
    return;
  const std::size_t port = SelectedPort();
  if (g_lpApp->m_abPtzControl[port].load() == 0)
    return;
  LeavePtzControl(port);
  RefreshPanelButtons();
}

// --- Hot point ---------------------------------------------------------------------------------

void CKavelinDlg::OnHotPoint() {
  if (!g_lpApp)
    return;
  CAppData& app = *g_lpApp;
  // Mode 0 (no hot point for the port's device) stays.
  const std::uint8_t mode = app.m_byHotPointMode.load();
  if (mode == 1 || mode == 2)
    app::SetHotPoint(app, mode == 1);
}

void CKavelinDlg::OnHotPointClick() {
  if (!g_lpApp)
    return;
  CAppData& app = *g_lpApp;
  const int x = app.m_wClickX.load();
  const int y = app.m_wClickY.load();
  // In full screen the picture covers the window, which lies over the work area.
  const bool fullScreen = InFullScreen();
  const QRect video = fullScreen ? QRect(QPoint(0, 0), m_rcWorkArea.size()) : VideoRect();
  const HotPointArea area{video.left(), video.top(), video.left() + video.width(),
                          video.top() + video.height()};
  const std::optional<std::uint8_t> cell = HotPointCell(area, x, y);
  if (!cell)
    return;
  const std::array<std::uint16_t, 2> markBefore{app.m_wMarkX.load(), app.m_wMarkY.load()};
  const std::array<std::uint16_t, 2> mark{static_cast<std::uint16_t>(x - area.left),
                                          static_cast<std::uint16_t>(y - area.top)};
  app.m_wMarkX = mark[0];
  app.m_wMarkY = mark[1];
  const std::size_t port = SelectedPort();
  const HotPointBytes command =
      HotPointCommand(app.m_abyChannelDeviceId[port].load(), Authority(), *cell);
  QueueDeviceRequest(
      "HotPoint", PanelCommandRequest(command),
      [](int result) {
        if (result != 1) {
          ui::MessageBoxById(ui::kMsgSendCommandFailed);
        } else if (g_lpApp) {
          g_lpApp->m_wMarkCount = kMarkFramesAfterHotPoint;
        }
      },
      [markBefore, mark](DropCause cause) {
        // The cross stays where the last click that went put it.
        if (g_lpApp && g_lpApp->m_wMarkX.load() == mark[0] && g_lpApp->m_wMarkY.load() == mark[1]) {
          g_lpApp->m_wMarkX = markBefore[0];
          g_lpApp->m_wMarkY = markBefore[1];
        }
        if (DropIsUntold(cause))
          ui::MessageBoxById(ui::kMsgSendCommandFailed);
      });
}
