// CKavelinDlg: the program's main window. A frameless skinned dialog whose controls are all
// made at start-up and placed from the skin tables; it paints the live picture the kernel-message
// thread hands it (ShowImage), the status strip with its texts and icons, and the sunken frame
// round the video; it opens the remote-control panel, goes full screen over the work area, and
// ends by stopping the recorders and the engine and saving the settings.
//
// Threads: every method runs on the GUI thread except ShowImage, which the kernel-message thread
// calls through the window's sink (CMainWindowSink). ShowImage touches no widget and never waits
// for the GUI thread: it copies the picture into a hand-off slot and queues the repaint and the
// new texts, in order, to the GUI thread. The window never waits for the network or the engine
// either: what it asks of them goes through its engine port (MainWindowEngine) on its workers,
// the panel's requests one at a time in the order pressed (DeviceRequestQueue).
#pragma once

#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QTimer>
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>

#include "net/rs485_command.h"
#include "ui/common/ui_dialog.h"
#include "ui/common/vtx_button.h"
#include "ui/common/worker.h"
#include "ui/config/engine/sys_conf_engine.h"
#include "ui/main/device_requests.h"
#include "ui/main/frame_handoff.h"
#include "ui/main/main_window_engine.h"
#include "ui/main/panel_table.h"
#include "ui/main/picture_paint.h"
#include "ui/main/skin_tables.h"

class CFrameHeader;
class CTimeStampWnd;
class ISystemConfigWindows;
class QPainter;

namespace mainwin {
class CMainWindowSink;
}

// The frame rate the painter measured last (frames a second, capped by the video standard);
// the live audio player reads it to pace its buffers.
extern std::atomic<float> g_fDisplayFrameRate;

// User messages of the main window.
inline constexpr std::uint32_t WM_RECORDSTARTED = platform::WM_USER + 0x03;     // 0x403
inline constexpr std::uint32_t WM_RECONNECT = platform::WM_USER + 0x04;         // 0x404
inline constexpr std::uint32_t WM_HOTPOINTCLICK = platform::WM_USER + 0x0A;     // 0x40A
inline constexpr std::uint32_t WM_UPDATEPTZCONTROL = platform::WM_USER + 0x0B;  // 0x40B

class CKavelinDlg : public ui::UiDialog {
  Q_OBJECT

 public:
  // Every request of the window goes through engine, and those of the configuration windows it
  // opens through sysConf; the opener binds both (start-up the program's, tests scripted ones).
  CKavelinDlg(ports::MainWindowEngine engine, ports::SysConfEngine sysConf,
              QWidget* parent = nullptr);
  ~CKavelinDlg() override;

  // Creates the window modeless (start-up without a modal run); false when it did not open.
  bool Create();
  // The window's end: stops the recorders and the engine, kills the timer, saves the settings
  // and closes the window. False (the window stays) when a stop routine fails.
  bool DestroyWindow();

  // The frame painter; the kernel-message thread calls it. Returns 0 when not connected.
  int ShowImage();
  // The rate watch (GUI thread, every half second): while connected, the painter's rates on the
  // status line and no picture painted for two seconds, the rates are measured again over the
  // time since their last update, as the painter measures them; a stream that stopped shows 0.
  void OnRateWatch();
  static constexpr int kRateWatchMs = 500;
  static constexpr std::uint32_t kNoPictureMs = 2000;

  // Layout (GUI thread; the engine reaches them through the sink).
  int ArrangeControls();
  int ApplyResolutionMode(int mode);
  int RefreshPanelButtons();
  void ExitFullScreen();
  int EnablePanelControls(int mode);
  // The panel keys' faces of a skin's file prefix ("N_VGA", "N_QVGA", "P_VGA", "P_QVGA"), then
  // the controls arranged.
  int SetSkin(const std::string& prefix);

  // Skin bitmaps.
  int LoadExternalBitmap();
  void CreateSkinButtons(int skin, int all);
  // Image helpers: the 16 x 16 icon resource iconId, or the bitmap file named as the skins name
  // theirs ("BMP\x.bmp"), set on the control controlId (a label's picture, a button's icon).
  // False when the image or the control is missing. The window class carries them, but the
  // program never calls them (only their tests do).
  bool SetControlIcon(int controlId, int iconId);
  bool SetControlBitmap(int controlId, const QString& bitmapFile);

  // Status strip.
  int ShowStatusText(const QString& text);
  void ClearStatusText();

  // Handlers.
  void OnPanelUp();
  void OnPanelDown();
  void OnTitleFullScreen();
  void OnMinimized();
  void OnTitleClose();
  void OnResolution();
  void OnShowStatus(platform::WParam wParam, platform::LParam lParam);
  void OnModifyMainDialogSize();
  void OnCloseRequest();
  // WM_PICTURETOOLARGE: the session ends as the Close button ends it; start-up says why and
  // opens the login window again.
  void OnPictureTooLarge(platform::WParam width, platform::LParam height);
  void OnAbout();

  // Commands by control id, as the buttons send them. While a long wait runs (DISCONNECT,
  // AV SWITCH, the reconnect pause) presses are ignored and a close waits for its end.
  void OnCommand(int id);
  // Connection, streams, recording and snapshots.
  void OnLogin();
  void OnReconnect();
  void OnAvSwitch();
  int OnAlarmSound(platform::LParam lParam);
  void OnRecord();
  void OnRecordStarted();
  // The record button's face and tool tip from whether the user recorder has a record open.
  void RefreshRecordButton();
  void OnSnapshot();
  // A snapshot request the lost streams took with them: message 4085, as for a press made
  // while no session runs.
  void OnSnapshotNotTaken();
  void OnSystemConfig();
  void OnImageAdjust();
  // The remote-control panel.
  void OnChannelButton(int id);
  void OnPanelKey(int id);
  void OnTurbo();
  void OnPower();
  void OnPtzControl();
  void OnHotPointClick();
  void OnHotPoint();
  void OnUpdatePtzControlButton();
  void OnRetr() {}
  void OnDigitalZoom() {}

  // The configuration windows SYSTEM CONFIG runs (made over the window's SysConfEngine on first
  // use when none was given; tests give stand-ins); the window's lost-connection close goes to
  // them.
  void SetSystemConfigWindows(std::unique_ptr<ISystemConfigWindows> windows);
  // The panel's and the image-adjust record's requests: on their way or waiting.
  const mainwin::DeviceRequestQueue& Requests() const { return m_requests; }

  // Services of the engine's sink.
  void SetButtonState(int id, int state);
  void SetToolTipText(int id, const QString& text);
  void ShowTimeStampWindow(bool show);
  void CloseConfigSheet();
  // What closes an open configuration sheet (the configuration road installs it).
  void SetConfigSheetCloser(std::function<void()> closer) {
    m_closeConfigSheet = std::move(closer);
  }

  // Read-outs for tests and the gallery.
  QString StatusText() const { return m_strStatusText; }
  QString HuText() const { return m_strHuText; }
  QString ChannelText(int channel) const {
    return channel == 1 ? m_strChannel1Text : channel == 2 ? m_strChannel2Text : QString();
  }
  CVtxButton* Button(int id) const;
  bool IsPanelOpen() const { return m_bPanelOpen; }
  QRect WorkAreaRect() const;
  CTimeStampWnd* TimeStampWindow() const { return m_pTimeStampWnd; }
  QRect VideoRect() const;
  // Where the strip's texts and icons may be drawn (outside it a repaint leaves them out).
  QRect StripTextArea() const;
  std::shared_ptr<mainwin::CMainWindowSink> Sink() const { return m_sink; }
  bool IsWaiting() const { return m_bWaiting; }
  std::uint8_t ChannelStripOffset() const { return m_byChannelStripOffset; }

 protected:
  bool OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct PainterUpdate;

  // Start-up steps.
  void CreateControls();
  CVtxButton* NewButton(int id, const mainwin::TableRect& rect,
                        ui::ControlRegistry::Tooltip tooltip);
  void PublishWindow();
  void ApplyRights();

  // Layout helpers.
  std::uint8_t CurrentDeviceType() const;
  int LayoutSkin() const;
  const mainwin::SkinLayoutRecord& Skin() const;
  void PlaceWindow(const mainwin::TableRect& rect, bool centre);
  void LayOutPanel(int deviceType, mainwin::SlotRightsTest test);
  void HideCommandButtons();
  void ShowPanelButtons(bool panelUp, bool panelDown);
  void UpdatePanelArea();
  void SelectSkin(int skin);
  void ApplyFullScreenLayout();
  void UpdateTimeStampVisibility();
  void CheckFrameWidthFits();
  bool InFullScreen() const;

  // Loaders.
  void LoadPanelBitmaps(const std::string& prefix);
  void LoadCommandButtonImages(int slot, const panel::PanelButtonRecord& record);

  // Painter helpers (kernel-message thread).
  bool PaintWindowFrame(std::uint8_t* picture, int width, int height);
  bool PaintFullScreenFrame(const std::uint8_t* picture, int width, int height);
  void QueuePainterUpdate(PainterUpdate update);
  void ApplyPainterUpdate(const PainterUpdate& update);
  // The rate update when it is due at now (the painter's, or the watch's): the rates, the "HU"
  // text of header and the time stamp's refresh into update; false when not due.
  bool UpdateRates(std::uint32_t now, CFrameHeader* header, PainterUpdate& update);

  // Long waits on the worker; then runs on the GUI thread with the wait's result.
  using LongWait = std::function<std::uint32_t(const platform::StopToken& stop)>;
  void RunLongWait(const char* name, LongWait wait, std::function<void(std::uint32_t)> then);
  void OnLongWaitDone(const std::function<void(std::uint32_t)>& then, std::uint32_t result);

  // The preamble of the commands that need a session: true while one is up (for kStreams, with
  // its streams running); otherwise message 4085 ("connect first") and false.
  enum class SessionNeed { kSession, kStreams };
  bool RequireSession(SessionNeed need = SessionNeed::kSession) const;

  // Connection steps.
  void Login(std::function<void()> then);
  void Disconnect(std::function<void()> then);
  void Connect();

  // Panel helpers.
  std::size_t SelectedPort() const;
  std::uint8_t& PortDeviceType(std::size_t port);
  std::uint8_t Authority() const;
  void ShowTwoWordTip(int id, bool first);
  void LeavePtzControl(std::size_t port);
  // The "/RS485Cmd.cgi" request of a command the panel builds itself (PTZ control, hot point).
  static net::Rs485Request PanelCommandRequest(std::span<const std::uint8_t> command);
  // What PTZ control and its press change of a port, compared and put back as one.
  struct PtzPortState {
    std::uint32_t control = 0;
    std::uint8_t deviceType = 0;
    std::uint8_t savedType = 0;
    std::uint8_t ptzNumber = 0;
    std::uint8_t hotPointMode = 0;
    std::uint32_t hotPointOn = 0;
    bool operator==(const PtzPortState&) const = default;
  };
  PtzPortState PtzStateOf(std::size_t port);
  void RestorePtzState(std::size_t port, const PtzPortState& state);
  // Queues a device request; done gets the sender's result on the GUI thread. A refused or
  // unanswered request drops the ones waiting behind it. A request that never goes calls
  // dropped instead; without one, a drop nothing else tells of shows message 4065 as a
  // refused send does.
  void QueueDeviceRequest(const char* name, net::Rs485Request request,
                          std::function<void(int result)> done,
                          std::function<void(mainwin::DropCause)> dropped = {});
  // A key's or the power key's prepared command: its message when nothing goes, else the
  // request, with message 4065 when it fails or is dropped; then `after` runs (on every
  // answer, never for a request that did not go).
  void QueueDeviceCommand(const char* name, net::PreparedRs485 prepared,
                          std::function<void()> after = {});
  // The image-adjust record fetched (or not): the dialog runs with it.
  void OnImageRecordFetched(const std::optional<mainwin::ImgRecord>& fetched);
  // The image-adjust dialog's OK: the record goes out in its turn.
  void QueueImageRecord(const mainwin::ImgRecord& record);
  ISystemConfigWindows& SystemConfigWindows();

  // Painting helpers (GUI thread).
  void PaintSkin(QPainter& painter);
  void PaintStatusStrip(QPainter& painter);
  void PaintVideo(QPainter& painter, const mainwin::ShownFrame* frame);
  void PaintVideoFrame(QPainter& painter);
  // Where the picture about to be drawn covers the window (empty when none is drawn).
  QRect PictureArea(const mainwin::ShownFrame* frame) const;

  // Controls, owned by the dialog.
  std::array<CVtxButton*, mainwin::kTitleButtonCount> m_TitleButtons{};
  std::array<CVtxButton*, mainwin::kChannelButtonCount> m_ChannelButtons{};
  std::array<CVtxButton*, panel::kSlotCount> m_CommandButtons{};
  std::array<CVtxButton*, mainwin::kToolbarButtonCount> m_BarButtons{};
  CVtxButton* m_PanelUp = nullptr;
  CVtxButton* m_PanelDown = nullptr;
  CVtxButton* m_Power = nullptr;
  CTimeStampWnd* m_pTimeStampWnd = nullptr;

  // Skin bitmaps by skin index, and the information icons.
  std::array<QPixmap, mainwin::kSkinCount> m_Backgrounds;
  std::array<QPixmap, mainwin::kSkinCount> m_ExtendedBackgrounds;
  std::array<QPixmap, mainwin::kSkinCount> m_StatusBars;
  std::array<QPixmap, mainwin::kInfoIconCount> m_InfoIcons;
  // Paints the handed-over pictures (GUI thread).
  mainwin::PicturePainter m_picturePainter;

  // Texts of the status strip (GUI thread).
  QString m_strStatusText;
  QString m_strHuText;
  QString m_strChannel1Text;
  QString m_strChannel2Text;

  bool m_bPanelOpen = false;
  QRect m_rcWorkArea;
  std::atomic<bool> m_bFullScreenRelayout{false};
  // The layout lock: skin switches on the GUI thread, snapshots on the painter's thread.
  std::mutex m_layoutLock;

  // Painter state (kernel-message thread). The rate state is also updated by the rate watch on
  // the GUI thread, under m_rateLock.
  mainwin::FrameHandoff m_frames;
  std::mutex m_rateLock;
  std::uint32_t m_dwFrameSnapshot = 0;
  std::string m_strFrameRateText;
  std::string m_strDataRateText;
  std::atomic<bool> m_bRepaintQueued{false};
  // Tick of the painter's last run while connected.
  std::atomic<std::uint32_t> m_dwLastPictureTick{0};
  // The rate watch (GUI thread): the status line shows the painter's rates.
  QTimer m_rateWatch;
  bool m_bRatesShown = false;

  std::shared_ptr<mainwin::CMainWindowSink> m_sink;
  std::function<void()> m_closeConfigSheet;

  // Dragging by the window's own surface.
  bool m_bDragging = false;
  QPoint m_dragOffset;
  bool m_bDestroyed = false;

  // The channel strip's offset (LEFT and RIGHT move it; nothing reads it).
  std::uint8_t m_byChannelStripOffset = 0;
  std::unique_ptr<ISystemConfigWindows> m_pSystemConfig;

  // The long wait under way (one at a time).
  bool m_bWaiting = false;
  bool m_bCloseWhenIdle = false;
  const ports::MainWindowEngine m_engine;
  const ports::SysConfEngine m_sysConf;
  ui::Worker m_waitWorker;
  mainwin::DeviceRequestQueue m_requests;
  // The image-adjust record is being fetched (a press meanwhile is ignored).
  bool m_bFetchingImage = false;
};
