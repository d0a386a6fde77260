// CKavelinDlg: construction, start-up (OnInitDialog), user messages, the key and click filter,
// dragging, and the window's end.
#include "ui/main/kavelin_dlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <new>

#include "app/app_data.h"
#include "app/app_seams.h"
#include "app/engine_threads.h"
#include "app/kavelin_app.h"
#include "app/main_window_state.h"
#include "app/relogin_thread.h"
#include "app/trace.h"
#include "media/frame_header.h"
#include "media/record/recorder.h"
#include "ui/common/control_images.h"
#include "ui/common/modal_runner.h"
#include "ui/common/services.h"
#include "ui/common/skinned_window.h"
#include "ui/common/string_table.h"
#include "ui/config/sheets/system_config_seam.h"
#include "ui/main/about_dlg.h"
#include "ui/main/main_window_sink.h"
#include "ui/main/main_window_texts.h"
#include "ui/main/table_rect_qt.h"
#include "ui/main/time_stamp_wnd.h"

using namespace mainwin;

namespace {

constexpr const char* kWindowTitlePrefix = "TELVORA : ";
constexpr std::uint32_t WM_CLOSEREQUEST = platform::WM_USER + 0x0C;    // 0x40C
constexpr std::uint32_t WM_SHOWSTATUS_MSG = platform::WM_USER + 0x1B;  // 0x41B
constexpr std::uint32_t WM_MODIFYSIZE = platform::WM_USER + 0x20;      // 0x420

QString HostText(CAppData& app) {
  const std::lock_guard lock(app.m_SettingINI.m_TextLock);
  const std::string& host = app.m_SettingINI.m_strServerName.empty()
                                ? app.m_SettingINI.m_strServerAddress
                                : app.m_SettingINI.m_strServerName;
  return QString::fromStdString(host);
}

bool IsOwnWidget(const QObject* object, const QWidget* window) {
  for (const QObject* o = object; o != nullptr; o = o->parent()) {
    if (o == window)
      return true;
    if (o->isWidgetType() && static_cast<const QWidget*>(o)->isWindow())
      return false;
  }
  return false;
}

}  // namespace

CKavelinDlg::CKavelinDlg(ports::MainWindowEngine engine, ports::SysConfEngine sysConf,
                         QWidget* parent)
    : UiDialog(parent), m_engine(std::move(engine)), m_sysConf(std::move(sysConf)) {
  connect(&m_rateWatch, &QTimer::timeout, this, [this] { OnRateWatch(); });
  setWindowFlag(Qt::FramelessWindowHint, true);
  // paintEvent covers every pixel it repaints (the skin, or the picture over the video
  // rectangle), so the toolkit's own background fill under it is skipped: with a picture 30 times
  // a second it was a second pass over the video rectangle.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  setWindowIcon(QIcon(ui::KavelinIconPixmap(32)));
  OnMessage(WM_SHOWSTATUS_MSG,
            [this](platform::WParam w, platform::LParam l) { OnShowStatus(w, l); });
  OnMessage(WM_CLOSEREQUEST, [this](platform::WParam, platform::LParam) { OnCloseRequest(); });
  OnMessage(WM_PICTURETOOLARGE,
            [this](platform::WParam w, platform::LParam l) { OnPictureTooLarge(w, l); });
  OnMessage(WM_MODIFYSIZE,
            [this](platform::WParam, platform::LParam) { OnModifyMainDialogSize(); });
  OnMessage(WM_ALARMSTATE, [this](platform::WParam, platform::LParam l) { OnAlarmSound(l); });
  OnMessage(WM_RECORDSTARTED, [this](platform::WParam, platform::LParam) { OnRecordStarted(); });
  OnMessage(WM_RECONNECT, [this](platform::WParam, platform::LParam) { OnReconnect(); });
  OnMessage(WM_HOTPOINTCLICK, [this](platform::WParam, platform::LParam) { OnHotPointClick(); });
  OnMessage(WM_UPDATEPTZCONTROL,
            [this](platform::WParam, platform::LParam) { OnUpdatePtzControlButton(); });
  // Messages nothing posts; they do nothing.
  for (const std::uint32_t msg : {platform::WM_USER + 0x05, platform::WM_USER + 0x07,
                                  platform::WM_USER + 0x08, platform::WM_USER + 0x09})
    OnMessage(msg, [](platform::WParam, platform::LParam) {});
}

CKavelinDlg::~CKavelinDlg() {
  if (qApp != nullptr)
    qApp->removeEventFilter(this);
  // A long wait's worker watches its stop request in every wait, and a request is cut by its
  // stop: both end at once.
  m_waitWorker.Stop();
  m_requests.Stop();
  // The engine lets go of the window first: the kernel thread's painter signals the motion
  // dialog that the configuration windows own, and Detach waits for a painter run under way.
  if (m_sink) {
    m_sink->Detach();
    if (app::MainWindowSink() == m_sink)
      app::SetMainWindowSink(nullptr);
  }
  m_closeConfigSheet = nullptr;
  m_pSystemConfig.reset();
  if (g_lpApp)
    app::WithdrawMainWindow(*g_lpApp, *this);
}

bool CKavelinDlg::Create() {
  if (!OnInitDialog())
    return false;
  show();
  return true;
}

CVtxButton* CKavelinDlg::NewButton(int id, const TableRect& rect,
                                   ui::ControlRegistry::Tooltip tooltip) {
  auto* button = new CVtxButton(this);
  button->setGeometry(ToQRect(rect));
  RegisterControl(id, button, tooltip);
  connect(button, &QAbstractButton::clicked, this, [this, id] { OnCommand(id); });
  return button;
}

void CKavelinDlg::PublishWindow() {
  CAppData& app = *g_lpApp;
  m_sink = std::make_shared<CMainWindowSink>(*this, InboxSender());
  app::PublishMainWindow(app, *this, Handle());
  app::SetMainWindowSink(m_sink);
}

bool CKavelinDlg::OnInitDialog() {
  if (!g_lpApp)
    return false;
  CAppData& app = *g_lpApp;
  // 1.-2.
  UiDialog::OnInitDialog();
  app::TraceStep("KavelinDlg: OnInitDialog in");
  // The work area is read before the window is published: the painter reads it too.
  m_rcWorkArea = ui::WorkArea().Rect();
  PublishWindow();
  // 3. The rights row of the session's level.
  app.m_byUserRightsRow = RightsRowOfLevel(app.m_wUserLevelShown.load(), app.m_byUserRightsRow);
  // 4.-5. Resolution mode, standard and skin from the picture size (unknown sizes: 320 x 240).
  ApplyStreamLayout(app, app.m_wFrameWidth, app.m_wFrameHeight);
  // 6. The window's size and place in the work area, its rounded region.
  PlaceWindow(Skin().ClosedWindow(), true);
  // 7.-9.
  LoadExternalBitmap();
  setWindowTitle(QString::fromLatin1(kWindowTitlePrefix) + HostText(app));
  setToolTip(QString::fromLatin1(kWindowTitlePrefix) + QString::fromStdString(app.m_strVersion));
  // 10.-15.
  CreateControls();
  // 16.-17.
  CreateSkinButtons(app.m_wSkinIndex, 1);
  app.m_byLastChannel = app.m_SettingINI.m_bySelectedChannel.load();
  app.m_nLastResolution = app.m_SettingINI.m_nImageResolution.load();
  // 18. The selected channel's button is the chosen one; the others are disabled.
  const std::uint8_t selected = CheckedSelectedChannel(app.m_SettingINI.m_bySelectedChannel);
  for (int i = 0; i < kChannelButtonCount; ++i) {
    CVtxButton* button = m_ChannelButtons[static_cast<std::size_t>(i)];
    button->SetButtonState(i == selected ? 0 : 1);
    if (i != selected && i != 17 && i != 18)
      button->setEnabled(false);
  }
  // 19. The device-type code: only '2' has the channel strip's channel 1; 'q' and 's' the power.
  const std::uint8_t code = app.m_byDeviceType.load();
  if (code != '2') {
    m_ChannelButtons[1]->hide();
    app.m_SettingINI.m_bySelectedChannel = 1;
  }
  m_Power->setVisible((code == 'q' || code == 's') && app.m_wUserLevelShown.load() == 30);
  // 20.
  const bool noPanel =
      panel::PanelEntry(CurrentDeviceType()).trailer.flags & panel::kTrailerNoPanel;
  m_PanelDown->setVisible(noPanel);
  m_PanelUp->setVisible(!noPanel);
  // 21. The full-screen buffer, sized by the work area.
  const std::size_t bytes = static_cast<std::size_t>(std::max(0, m_rcWorkArea.width())) *
                            static_cast<std::size_t>(std::max(0, m_rcWorkArea.height())) * 3;
  app.m_pShowImageBuffer.reset(bytes > 0 ? new (std::nothrow) std::uint8_t[bytes] : nullptr);
  app.m_nShowImageBufferBytes = app.m_pShowImageBuffer ? bytes : 0;
  m_bFullScreenRelayout = false;
  // 22.
  ApplyRights();
  // 23.
  app.m_bStatusShown = 0;
  ApplyResolutionMode(app.m_SettingINI.m_nImageResolution);
  RefreshPanelButtons();
  ArrangeControls();
  ShowStatusText(QString::fromLatin1(kStartToGetImageText));
  // 24.
  UpdateData(true);
  qApp->installEventFilter(this);
  // 25.-26. The pacing timer, then the receivers and the life-time count; the rate watch.
  StartMainTimer();
  m_rateWatch.start(kRateWatchMs);
  SignalMainWindowOpened();
  // 27. The time-stamp box, just above the status strip, hidden.
  if (m_pTimeStampWnd == nullptr)
    m_pTimeStampWnd = new CTimeStampWnd(this);
  const TableRect strip = Skin().Strip();
  m_pTimeStampWnd->setGeometry(strip.left, strip.top - 19, CTimeStampWnd::kWidth,
                               CTimeStampWnd::kHeight);
  m_pTimeStampWnd->hide();
  // 28.
  app::TraceStep("KavelinDlg: OnInitDialog out");
  return true;
}

void CKavelinDlg::CreateControls() {
  CAppData& app = *g_lpApp;
  const SkinLayoutRecord& skin = Skin();
  const int layoutSkin = LayoutSkin();
  // 10. Title-bar buttons (8203 is not made).
  for (int i = 0; i < kTitleButtonCount; ++i) {
    m_TitleButtons[static_cast<std::size_t>(i)] = NewButton(
        IDC_TITLE_MINIMIZE + i, skin.TitleButton(i), ui::ControlRegistry::Tooltip::FromStringTable);
  }
  // 11. Channel strip, all hidden; the DVR button is 5 pixels wider on each side.
  for (int i = 0; i < kChannelButtonCount; ++i) {
    const ChannelButtonRecord& rec = ChannelButtonTable()[static_cast<std::size_t>(i)];
    TableRect r = rec.rects[static_cast<std::size_t>(layoutSkin)];
    if (i == 0) {
      r.left -= 5;
      r.right += 5;
    }
    CVtxButton* button = NewButton(rec.controlId, r, ui::ControlRegistry::Tooltip::FromStringTable);
    button->hide();
    m_ChannelButtons[static_cast<std::size_t>(i)] = button;
  }
  // 12. The two ports' devices, then the command buttons of the current device, hidden.
  if (app.m_pPeripheralInfo) {
    for (std::size_t port = 0; port < 2; ++port) {
      const PeripheralInfo::Record& rec = app.m_pPeripheralInfo->m_Records[port];
      app.m_abyChannelDeviceId[port] = rec.m_byDeviceId;
      const std::uint8_t type = CheckedDeviceType(rec.m_wDeviceType);
      (port == 0 ? app.m_SettingINI.m_byChannel1Device : app.m_SettingINI.m_byChannel2Device) =
          type;
    }
  }
  const panel::PanelDeviceEntry& entry = panel::PanelEntry(CurrentDeviceType());
  for (int k = 0; k < panel::kSlotCount; ++k) {
    const panel::PanelButtonRecord& rec = entry.buttons[static_cast<std::size_t>(k)];
    const auto& r = rec.rects[static_cast<std::size_t>(layoutSkin)];
    CVtxButton* button = NewButton(rec.controlId, {r.left, r.top, r.right, r.bottom},
                                   ui::ControlRegistry::Tooltip::None);
    const QString label = ui::LoadString(rec.controlId);
    button->setToolTip(rec.flags & panel::kFlagTipFirstWord    ? ui::FirstWord(label)
                       : rec.flags & panel::kFlagTipSecondWord ? ui::SecondWord(label)
                                                               : ui::LoadString(rec.textId));
    button->hide();
    m_CommandButtons[static_cast<std::size_t>(k)] = button;
  }
  // 13.
  m_Power = NewButton(IDC_POWER, skin.Power(), ui::ControlRegistry::Tooltip::FromStringTable);
  // 14. The button bar; RECORD shows the first word of its label.
  for (int i = 0; i < kToolbarButtonCount; ++i) {
    const int id = IDC_AV_SWITCH + i;
    CVtxButton* button =
        NewButton(id, BarButtonRect(layoutSkin, i), ui::ControlRegistry::Tooltip::FromStringTable);
    if (id == IDC_RECORD)
      button->setToolTip(ui::FirstWord(ui::LoadString(IDC_RECORD)));
    m_BarButtons[static_cast<std::size_t>(i)] = button;
  }
  // 15.
  m_PanelUp = NewButton(IDC_PANELUP, skin.PanelUp(), ui::ControlRegistry::Tooltip::None);
  m_PanelDown = NewButton(IDC_PANELDOWN, skin.PanelDown(), ui::ControlRegistry::Tooltip::None);
  // The dialog's one control of its own, "Mot", does nothing and stays hidden.
  auto* mot = new CVtxButton(this);
  mot->setText(QStringLiteral("Mot"));
  mot->hide();
  RegisterControl(IDC_MOT, mot, ui::ControlRegistry::Tooltip::None);
}

void CKavelinDlg::ApplyRights() {
  const int row = g_lpApp->m_byUserRightsRow.load();
  const UserRightsRow& rights = RightsRow(row);
  for (std::uint32_t i = 0; i < rights.count && i < kRightsEntryCount; ++i) {
    QWidget* control = GetDlgItem(static_cast<int>(rights.ids[i]));
    if (control == nullptr)
      continue;
    const bool allowed = rights.flags[i] != 0;
    control->setEnabled(allowed);
    if (!allowed && (control == m_PanelUp || control == m_PanelDown))
      control->hide();
  }
}

CVtxButton* CKavelinDlg::Button(int id) const {
  return qobject_cast<CVtxButton*>(GetDlgItem(id));
}

void CKavelinDlg::SetButtonState(int id, int state) {
  if (CVtxButton* button = Button(id))
    button->SetButtonState(state);
}

void CKavelinDlg::SetToolTipText(int id, const QString& text) {
  if (QWidget* control = GetDlgItem(id))
    control->setToolTip(text);
}

void CKavelinDlg::ShowTimeStampWindow(bool show) {
  if (m_pTimeStampWnd != nullptr)
    m_pTimeStampWnd->setVisible(show && !InFullScreen());
}

void CKavelinDlg::CloseConfigSheet() {
  if (m_closeConfigSheet)
    m_closeConfigSheet();
}

void CKavelinDlg::OnShowStatus(platform::WParam wParam, platform::LParam lParam) {
  const int code = static_cast<int>(lParam);
  switch (code) {
    case kShowStatusConnected:
      SetButtonState(IDC_CONNECT, 0);
      return;
    case kShowStatusDisconnected:
      SetButtonState(IDC_CONNECT, 1);
      return;
    case kShowStatusStrip:
      if (!InFullScreen()) {
        g_lpApp->m_bStatusShown = 1;
        update(ToQRect(Skin().Strip()));
      }
      return;
    default:
      break;
  }
  // Code 1 carries its text's address in wParam; the text is the fixed one.
  if (const std::optional<std::string> text = mainwin::ShowStatusText(code, wParam))
    ShowStatusText(QString::fromStdString(*text));
}

void CKavelinDlg::OnCloseRequest() {
  OnTitleClose();
}

void CKavelinDlg::OnPictureTooLarge(platform::WParam width, platform::LParam height) {
  if (RefusePicture(static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height)))
    OnTitleClose();
}

void CKavelinDlg::OnTitleClose() {
  // The engine is in the middle of a long wait's steps: the window ends once they are done.
  if (m_bWaiting) {
    m_bCloseWhenIdle = true;
    return;
  }
  DestroyWindow();
}

void CKavelinDlg::OnMinimized() {
  if (m_pTimeStampWnd != nullptr)
    m_pTimeStampWnd->hide();
  showMinimized();
}

void CKavelinDlg::OnAbout() {
  CAboutDlg about(this);
  ui::RunModal(about);
}

bool CKavelinDlg::DestroyWindow() {
  if (m_bDestroyed || !g_lpApp)
    return true;
  CAppData& app = *g_lpApp;
  app::TraceLine("CKavelinDlg::DestroyWindow : Enter function \n");
  // A request still on its way is cut, and the waiting ones are not sent.
  m_requests.Stop();
  m_engine.stopRecorders();
  if (!m_engine.endSessionResources())
    return false;
  if (app.m_uMainTimerId.load() != 0)
    StopMainTimer();
  app.m_SettingINI.Save();
  app::SignalEvent(app.h_EndofGetJpegImageEvent);
  app::SignalEvent(app.m_hConnectionStopEvent);
  m_bDestroyed = true;
  if (m_sink) {
    m_sink->Detach();
    if (app::MainWindowSink() == m_sink)
      app::SetMainWindowSink(nullptr);
  }
  if (IsInModalRun()) {
    EndDialog(ui::IDOK);
  } else {
    hide();
  }
  return true;
}

void CKavelinDlg::OnOK() {
  // Enter never ends or activates anything in the main window.
}

void CKavelinDlg::OnCancel() {
  // Esc and the cancel road never close the main window.
}

void CKavelinDlg::closeEvent(QCloseEvent* event) {
  // A close from the window manager takes the Close button's road: the recorders finish and the
  // settings are saved.
  event->ignore();
  OnTitleClose();
}

bool CKavelinDlg::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::KeyPress && type != QEvent::MouseButtonPress)
    return false;
  if (!IsOwnWidget(watched, this))
    return false;
  if (type == QEvent::MouseButtonPress) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::LeftButton)
      m_engine.silenceAlarmSound();
    // While a long wait runs the buttons take no press (and show none), but the window can
    // still be minimised.
    if (m_bWaiting && mouse->button() == Qt::LeftButton) {
      auto* button = qobject_cast<CVtxButton*>(watched);
      if (button != nullptr && button != GetDlgItem(IDC_TITLE_MINIMIZE))
        return true;
    }
    return false;  // the press still reaches the control under the mouse
  }
  auto* key = static_cast<QKeyEvent*>(event);
  if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
    return true;
  if (key->key() == Qt::Key_Escape) {
    if (InFullScreen())
      ExitFullScreen();
    UpdateTimeStampVisibility();
  }
  return false;
}

void CKavelinDlg::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    UiDialog::mousePressEvent(event);
    return;
  }
  CAppData* app = g_lpApp.get();
  if (!InFullScreen()) {
    m_bDragging = true;
    m_dragOffset = event->globalPosition().toPoint() - pos();
  }
  if (app != nullptr) {
    const QPoint at = event->position().toPoint();
    if (app->m_byHotPointMode.load() != 1) {
      app->m_wClickX = static_cast<std::uint16_t>(at.x());
      app->m_wClickY = static_cast<std::uint16_t>(at.y());
    }
    if (app::HotPointOn(*app) && app::SessionUp(*app))
      platform::PostMessage(Handle(), WM_HOTPOINTCLICK, 0, 0);
  }
  event->accept();
}

void CKavelinDlg::mouseMoveEvent(QMouseEvent* event) {
  if (CAppData* app = g_lpApp.get(); app != nullptr && app->m_byHotPointMode.load() != 1) {
    const QPoint at = event->position().toPoint();
    app->m_wClickX = static_cast<std::uint16_t>(at.x());
    app->m_wClickY = static_cast<std::uint16_t>(at.y());
  }
  if (m_bDragging && (event->buttons() & Qt::LeftButton) && !InFullScreen())
    move(event->globalPosition().toPoint() - m_dragOffset);
  event->accept();
}

void CKavelinDlg::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton)
    m_bDragging = false;
  event->accept();
}

void CKavelinDlg::contextMenuEvent(QContextMenuEvent* event) {
  // The window has no system menu; its about command lives in this menu instead.
  QMenu menu(this);
  QAction* about = menu.addAction(ui::LoadString(IDC_TITLE_INFO));
  if (menu.exec(event->globalPos()) == about)
    OnAbout();
}
