// The gallery's pictures of the main window: every skin with the panel closed and open (a
// recorder and a PTZ camera), a supervisor and a guest, a test picture through the painter with
// its rate text, the alarm and motion icons with the time stamp, black video, full screen over a
// 1280 x 720 work area, and the about box; the commands' states (turbo, PTZ control, recording,
// disconnected, the AV SWITCH faces, the hot-point cross), the image-adjust dialog and the PTZ
// selection dialog.
#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>
#include <array>
#include <cstdio>
#include <functional>
#include <vector>

#include "app/app_data.h"
#include "app/app_seams.h"
#include "media/frame_header.h"
#include "platform/folders.h"
#include "ui/common/modal_runner.h"
#include "ui/common/services.h"
#include "ui/common/ui_dialog.h"
#include "ui/main/about_dlg.h"
#include "ui/main/image_adjust_dlg.h"
#include "ui/main/kavelin_dlg.h"
#include "ui/main/main_window_sink.h"
#include "ui/main/select_ptz_dlg.h"
#include "ui/main/time_stamp_wnd.h"

#include "gallery_sections.h"

namespace gallery {
namespace {

class FixedWorkArea final : public ui::IWorkArea {
 public:
  explicit FixedWorkArea(QRect rect) : m_rect(rect) {}
  QRect Rect() override { return m_rect; }

 private:
  QRect m_rect;
};

struct Scene {
  QString name;
  int width = 704;
  int height = 480;
  std::uint16_t level = 30;
  std::uint16_t deviceType = 2;
  bool panelOpen = false;
  bool picture = true;
  bool alarm = false;
  bool blackVideo = false;
  bool fullScreen = false;
  // Run on the open window before the pictures are painted.
  std::function<void(CKavelinDlg&)> before = nullptr;
};

// A test card: colour bars, a grey ramp, a circle and the frame size, as a bottom-up
// blue-green-red picture.
std::vector<std::uint8_t> TestPicture(int width, int height) {
  QImage card(width, height, QImage::Format_RGB888);
  QPainter p(&card);
  p.setRenderHint(QPainter::Antialiasing);
  const std::array<QColor, 7> bars = {
      QColor(192, 192, 192), QColor(192, 192, 0), QColor(0, 192, 192), QColor(0, 192, 0),
      QColor(192, 0, 192),   QColor(192, 0, 0),   QColor(0, 0, 192)};
  const int barsHeight = height * 2 / 3;
  for (int i = 0; i < 7; ++i) {
    const int x0 = width * i / 7;
    const int x1 = width * (i + 1) / 7;
    p.fillRect(QRect(x0, 0, x1 - x0, barsHeight), bars[static_cast<std::size_t>(i)]);
  }
  for (int x = 0; x < width; ++x) {
    const int v = x * 255 / std::max(1, width - 1);
    p.fillRect(QRect(x, barsHeight, 1, height - barsHeight), QColor(v, v, v));
  }
  const int r = std::min(width, height) / 3;
  p.setPen(QPen(Qt::white, std::max(1, r / 20)));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QPoint(width / 2, height / 2), r, r);
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(std::max(8, height / 12));
  font.setBold(true);
  p.setFont(font);
  p.setPen(Qt::black);
  p.drawText(QRect(0, 0, width, barsHeight), Qt::AlignCenter,
             QStringLiteral("%1 x %2").arg(width).arg(height));
  p.end();
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    const uchar* row = card.constScanLine(height - 1 - y);
    std::uint8_t* out = bytes.data() + static_cast<std::size_t>(y) * width * 3;
    for (int x = 0; x < width; ++x) {
      out[3 * x] = row[3 * x + 2];
      out[3 * x + 1] = row[3 * x + 1];
      out[3 * x + 2] = row[3 * x];
    }
  }
  return bytes;
}

// A packet header with both status words set and a time stamp (5 March 2005, 09:04:03).
void ParseAlarmHeader(CFrameHeader& header) {
  const std::uint32_t seconds = 3319002243u;
  const std::uint8_t packet[16] = {1,
                                   0,
                                   16,
                                   0,
                                   0,
                                   0,
                                   0x46,
                                   0,
                                   1,
                                   0,
                                   1,
                                   0,
                                   static_cast<std::uint8_t>(seconds),
                                   static_cast<std::uint8_t>(seconds >> 8),
                                   static_cast<std::uint8_t>(seconds >> 16),
                                   static_cast<std::uint8_t>(seconds >> 24)};
  header.Parse(packet);
}

void Settle() {
  for (int i = 0; i < 5; ++i)
    QCoreApplication::processEvents();
}

void RenderScene(const Scene& scene, const QString& programFolder) {
  g_lpApp = std::make_unique<CAppData>();
  CAppData& app = *g_lpApp;
  app.m_SettingINI.Load();
  app.m_SettingINI.m_strProgramDir = programFolder.toStdString() + "/";
  app.m_SettingINI.m_strServerName = "192.168.1.100";
  app.m_SettingINI.m_byAvSwitchOption = 1;
  app.m_SettingINI.m_bySelectedChannel = 1;
  app.m_wUserLevel = scene.level;
  app.m_wUserLevelShown = scene.level;
  app.m_byDeviceType = 'q';
  app.m_wFrameWidth = static_cast<std::uint16_t>(scene.width);
  app.m_wFrameHeight = static_cast<std::uint16_t>(scene.height);
  app.m_pPeripheralInfo = std::make_unique<PeripheralInfo>();
  app.m_pPeripheralInfo->m_Records[0] = {1, scene.deviceType, 9600};
  app.m_pPeripheralInfo->m_Records[1] = {2, 8, 4800};
  app.FinishShowImageJobEvent = std::make_shared<platform::Event>(platform::ResetMode::Auto);
  g_bAlarmClear = 1;

  std::vector<std::uint8_t> picture;
  {
    CKavelinDlg window(ports::MainWindowEngine::Defaults(), ports::SysConfEngine::Defaults());
    if (!window.Create()) {
      std::fprintf(stderr, "kavelin_gallery: %s: the main window did not open\n",
                   qPrintable(scene.name));
      Fail();
      g_lpApp.reset();
      return;
    }
    Settle();
    if (scene.panelOpen)
      window.OnPanelUp();
    if (scene.alarm) {
      ParseAlarmHeader(app.m_VideoFrameHeader);
      Settle();
    }
    if (scene.fullScreen)
      window.OnTitleFullScreen();
    if (scene.before) {
      scene.before(window);
      Settle();
    }
    if (scene.picture) {
      // One picture, then a second one two seconds later, so the rates read 25 frames a second.
      picture = TestPicture(app.m_wFrameWidth, app.m_wFrameHeight);
      app.m_pCurrentPicture = picture.data();
      app.m_bConnected = 1;
      app.m_dwStreamStartTick = app::Clock().Ticks();
      window.Sink()->ShowImage();
      Settle();
      app.m_dwDisplayedFrames = 50;
      app.m_lReceivedBytes = 640000;
      app.m_dwStreamStartTick = app::Clock().Ticks() - 2000;
      window.Sink()->ShowImage();
      Settle();
    }
    app.m_bBlackVideo = scene.blackVideo ? 1 : 0;
    window.update();
    Settle();
    if (!scene.name.isEmpty())
      Save(window.grab().toImage(), scene.name);
    window.Sink()->Detach();
  }
  g_bAlarmClear = 1;
  g_lpApp.reset();
}

// The bar's six buttons of a window, cut out.
QImage BarOf(CKavelinDlg& window) {
  QRect bar;
  for (int id = mainwin::IDC_AV_SWITCH; id <= mainwin::IDC_SYSTEM_CONFIG; ++id)
    bar = bar.united(window.Button(id)->geometry());
  return window.grab(bar.adjusted(-6, -4, 6, 2)).toImage();
}

// The AV SWITCH faces of options 1 (video), 2 (audio) and 3 (both), one bar under the other.
void RenderAvSwitchFaces(const QString& programFolder) {
  std::vector<QImage> bars;
  for (const std::uint8_t option : {1, 2, 3}) {
    RenderScene({.name = QString(),
                 .picture = false,
                 .before =
                     [&bars, option](CKavelinDlg& window) {
                       g_lpApp->m_SettingINI.m_byAvSwitchOption = option;
                       window.RefreshPanelButtons();
                       Settle();
                       bars.push_back(BarOf(window));
                     }},
                programFolder);
  }
  if (bars.size() != 3 || bars[0].isNull()) {
    Fail();
    return;
  }
  const int labelWidth = 120;
  QImage sheet(bars[0].width() + labelWidth, bars[0].height() * 3, QImage::Format_RGB32);
  sheet.fill(QColor(0x1b, 0x1f, 0x25));
  QPainter p(&sheet);
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(12);
  p.setFont(font);
  p.setPen(QColor(0xdd, 0xe4, 0xeb));
  const char* names[] = {"option 1: video", "option 2: audio", "option 3: both"};
  for (int i = 0; i < 3; ++i) {
    const int y = i * bars[0].height();
    p.drawText(QRect(8, y, labelWidth - 8, bars[0].height()), Qt::AlignVCenter, names[i]);
    p.drawImage(labelWidth, y, bars[static_cast<std::size_t>(i)]);
  }
  p.end();
  Save(sheet, "main_av_switch_faces");
}

void RenderImageAdjust(const QString& name, bool pressDefault) {
  g_lpApp = std::make_unique<CAppData>();
  CImageAdjustDlg dialog;
  dialog.m_nInitial = {96, 160, 128, 200};
  QTimer::singleShot(0, &dialog, [&] {
    if (pressDefault)
      dialog.OnDefault();
    Settle();
    Save(dialog.grab().toImage(), name);
    dialog.EndDialog(ui::IDCANCEL);
  });
  dialog.DoModal();
  g_lpApp.reset();
}

void RenderSelectPtz(const QString& name, bool inPtzControl) {
  g_lpApp = std::make_unique<CAppData>();
  g_lpApp->m_SettingINI.m_bySelectedChannel = 1;
  g_lpApp->m_abPtzControl[0] = inPtzControl ? 1 : 0;
  g_lpApp->m_abyChannelPtzNumber[0] = 2;
  CSelectPTZDlg dialog;
  QTimer::singleShot(0, &dialog, [&] {
    Settle();
    Save(dialog.grab().toImage(), name);
    dialog.EndDialog(ui::IDCANCEL);
  });
  dialog.DoModal();
  g_lpApp.reset();
}

void RenderAbout() {
  CAboutDlg about;
  about.adjustSize();
  about.show();
  Settle();
  Save(about.grab().toImage(), "main_about");
}

}  // namespace

void RenderMainWindow() {
  QTemporaryDir folder;
  platform::SetProgramFolder(folder.path().toStdString() + "/");
  ui::Services services;
  services.workArea = std::make_shared<FixedWorkArea>(QRect(0, 0, 1280, 720));
  const ui::Services previous = ui::InstallServices(std::move(services));
  struct Size {
    int width;
    int height;
  };
  constexpr std::array<Size, 6> kSkinSizes = {Size{704, 480}, Size{352, 240}, Size{704, 576},
                                              Size{352, 288}, Size{176, 112}, Size{176, 144}};
  for (int skin = 0; skin < 6; ++skin) {
    const auto [w, h] = kSkinSizes[static_cast<std::size_t>(skin)];
    const QString base = QStringLiteral("main_skin%1_").arg(skin);
    RenderScene({.name = base + "closed", .width = w, .height = h}, folder.path());
    RenderScene({.name = base + "open_type2", .width = w, .height = h, .panelOpen = true},
                folder.path());
    RenderScene(
        {.name = base + "open_type8", .width = w, .height = h, .deviceType = 8, .panelOpen = true},
        folder.path());
    RenderScene({.name = base + "guest", .width = w, .height = h, .level = 0, .panelOpen = false},
                folder.path());
  }
  // The header's online-user count and "HU" text, as the strip shows them.
  RenderScene({.name = "main_skin0_alarm",
               .alarm = true,
               .before =
                   [](CKavelinDlg&) {
                     g_lpApp->m_VideoFrameHeader.SetOnlineUserCount(3);
                     g_lpApp->m_VideoFrameHeader.SetHuText("cam-2");
                   }},
              folder.path());
  RenderScene({.name = "main_skin1_alarm_time_stamp", .width = 352, .height = 240, .alarm = true},
              folder.path());
  RenderScene({.name = "main_skin0_black_video", .picture = false, .blackVideo = true},
              folder.path());
  RenderScene(
      {.name = "main_full_screen_1280x720", .width = 704, .height = 576, .fullScreen = true},
      folder.path());
  RenderAbout();

  // The commands' states.
  RenderScene({.name = "main_panel_turbo_on",
               .panelOpen = true,
               .before = [](CKavelinDlg& window) { window.OnTurbo(); }},
              folder.path());
  RenderScene({.name = "main_panel_ptz_control",
               .deviceType = 16,
               .panelOpen = true,
               .before =
                   [](CKavelinDlg& window) {
                     // Port 0's recorder in PTZ control: the PTZ layout of type 17.
                     g_lpApp->m_abPtzControl[0] = 1;
                     g_lpApp->m_abySavedDeviceType[0] = 16;
                     g_lpApp->m_SettingINI.m_byChannel1Device = 17;
                     window.RefreshPanelButtons();
                   }},
              folder.path());
  RenderScene({.name = "main_record_recording",
               .before =
                   [](CKavelinDlg& window) {
                     window.SetButtonState(mainwin::IDC_RECORD, 1);
                     window.SetToolTipText(mainwin::IDC_RECORD, QStringLiteral("RECORDING"));
                   }},
              folder.path());
  RenderScene({.name = "main_connect_off",
               .picture = false,
               .before =
                   [](CKavelinDlg& window) {
                     window.SetButtonState(mainwin::IDC_CONNECT, 1);
                     window.ShowStatusText(QStringLiteral("DISCONNECT!!"));
                   }},
              folder.path());
  RenderScene({.name = "main_hot_point_cross",
               .deviceType = 8,
               .panelOpen = true,
               .before =
                   [](CKavelinDlg&) {
                     g_lpApp->m_byHotPointMode = 2;
                     g_lpApp->m_wMarkX = 530;
                     g_lpApp->m_wMarkY = 400;
                     g_lpApp->m_wMarkCount = 10;
                   }},
              folder.path());
  RenderAvSwitchFaces(folder.path());
  RenderImageAdjust("main_image_adjust_fetched", false);
  RenderImageAdjust("main_image_adjust_default", true);
  RenderSelectPtz("main_select_ptz", false);
  RenderSelectPtz("main_select_ptz_in_control", true);
  ui::InstallServices(previous);
}

}  // namespace gallery
