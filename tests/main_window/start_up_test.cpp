// Start-up, layout by skin and panel state, the rights by level and device, and the skin
// bitmaps the controls show (by the fixture skin's solid colours).
#include <QEnterEvent>
#include <QRegion>
#include <set>

#include "main_window_fixture.h"
#include "ui/main/panel_table.h"
#include "ui/main/time_stamp_wnd.h"

namespace main_window_test {
namespace {

using namespace mainwin;

class StartUpTest : public MainWindowTest {};

TEST_F(StartUpTest, LoginSizeChoosesTheSkinAndPlacesTheWindow) {
  struct Case {
    int width, height;
    int mode, standard, skin, bitmapSet, layoutSkin;
    int frameWidth, frameHeight;
    QRect window;  // in the 1280 x 800 work area
  };
  const Case cases[] = {
      {720, 576, 1, 2, 2, 3, 2, 720, 576, {279, 47, 722, 705}},
      {704, 480, 1, 1, 0, 1, 0, 704, 480, {279, 96, 722, 608}},
      {640, 480, 1, 1, 0, 1, 0, 640, 480, {279, 96, 722, 608}},
      {352, 240, 2, 1, 1, 0, 1, 352, 240, {455, 217, 370, 366}},
      {352, 288, 2, 2, 3, 2, 3, 352, 288, {455, 193, 370, 414}},
      {176, 112, 3, 1, 4, 4, 1, 176, 112, {455, 217, 370, 366}},
      {176, 144, 3, 2, 5, 5, 3, 176, 144, {455, 193, 370, 414}},
      {1000, 100, 2, 1, 1, 0, 1, 320, 240, {455, 217, 370, 366}},
      {704, 100, 2, 1, 1, 0, 1, 704, 240, {455, 217, 370, 366}},
      {1000, 288, 2, 2, 3, 2, 3, 320, 288, {455, 193, 370, 414}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
    CKavelinDlg& window = Open({.width = c.width, .height = c.height});
    const CAppData& app = *g_lpApp;
    EXPECT_EQ(app.m_SettingINI.m_nImageResolution, c.mode);
    EXPECT_EQ(app.m_byVideoStandard.load(), c.standard);
    EXPECT_EQ(app.m_wSkinIndex.load(), c.skin);
    EXPECT_EQ(app.m_bySkinA.load(), c.bitmapSet);
    EXPECT_EQ(app.m_bySkinB.load(), c.bitmapSet);
    EXPECT_EQ(app.m_bySkinMode.load(), c.layoutSkin);
    EXPECT_EQ(app.m_wFrameWidth.load(), c.frameWidth);
    EXPECT_EQ(app.m_wFrameHeight.load(), c.frameHeight);
    EXPECT_EQ(window.geometry(), c.window);
    m_window.reset();
    StopMainTimer();
  }
}

TEST_F(StartUpTest, OpensPublishedWithItsStartValues) {
  BuildSession({.deviceCode = 's'});
  CAppData& app = *g_lpApp;
  for (EventHandle* event :
       {&app.StartToGetJpegImageEvent, &app.StartToGetAudioEvent, &app.m_hConnectionStartEvent}) {
    *event = std::make_shared<platform::Event>(platform::ResetMode::Manual);
  }
  app.m_SettingINI.m_bySelectedChannel = 3;
  CKavelinDlg& window = OpenBuilt();
  EXPECT_EQ(window.windowTitle(), "TELVORA : 192.168.1.100");
  EXPECT_EQ(window.StatusText(), "Start to get image!!");
  EXPECT_EQ(app.lp_wndMainDialog.load(), &window);
  EXPECT_EQ(app.m_hWndMainDialog.load(), window.Handle());
  EXPECT_EQ(app::MainWindowSink(), window.Sink());
  EXPECT_EQ(app.m_byUserRightsRow.load(), 0);
  EXPECT_EQ(app.m_uMainTimerId.load(), 1u);
  EXPECT_TRUE(app.StartToGetJpegImageEvent->IsSet());
  EXPECT_TRUE(app.StartToGetAudioEvent->IsSet());
  EXPECT_TRUE(app.m_hConnectionStartEvent->IsSet());
  EXPECT_EQ(app.m_nShowImageBufferBytes.load(), 1280u * 800u * 3u);
  EXPECT_NE(app.m_pShowImageBuffer, nullptr);
  EXPECT_FALSE(window.TimeStampWindow()->isVisible());
  // The channel strip stays hidden; a device code other than '2' selects channel 1.
  EXPECT_EQ(app.m_SettingINI.m_bySelectedChannel, 1);
  for (int i = 0; i < kChannelButtonCount; ++i) {
    CVtxButton* button = window.Button(IDC_CHANNEL_DVR + i);
    ASSERT_NE(button, nullptr);
    EXPECT_FALSE(button->isVisible()) << i;
    // The channel chosen at start-up is the current one; the others are disabled but the arrows
    // (which have no states).
    if (i < 17) {
      EXPECT_EQ(button->CurrentState(), i == 3 ? 0 : 1) << i;
    }
    EXPECT_EQ(button->isEnabled(), i == 3 || i == 17 || i == 18) << i;
  }
  // 's' at level 30 shows the power key, on the place of AV SWITCH.
  EXPECT_TRUE(window.Button(IDC_POWER)->isVisible());
  EXPECT_EQ(window.Button(IDC_POWER)->geometry(), window.Button(IDC_AV_SWITCH)->geometry());
  EXPECT_EQ(window.Button(IDC_RECORD)->toolTip(), "RECORD");
  EXPECT_EQ(window.Button(IDC_TITLE_CLOSE)->toolTip(), "Close");
  EXPECT_EQ(window.GetDlgItem(IDC_RESOLUTION), nullptr);
  EXPECT_EQ(window.GetDlgItem(IDC_TITLE_INFO), nullptr);
}

TEST_F(StartUpTest, PowerKeyOnlyForItsDeviceCodesAtTheTopLevel) {
  struct Case {
    std::uint8_t code;
    std::uint16_t level;
    bool power;
  };
  for (const Case c : {Case{'q', 30, true}, Case{'s', 30, true}, Case{'q', 20, false},
                       Case{'2', 30, false}, Case{0x84, 30, false}}) {
    SCOPED_TRACE(testing::Message() << int{c.code} << " " << c.level);
    CKavelinDlg& window = Open({.level = c.level, .deviceCode = c.code});
    EXPECT_EQ(window.Button(IDC_POWER)->isVisible(), c.power);
    // Channel 1's button of the strip exists only for code '2' (it stays hidden all the same).
    EXPECT_EQ(g_lpApp->m_SettingINI.m_bySelectedChannel, 1);
    m_window.reset();
    StopMainTimer();
  }
}

TEST_F(StartUpTest, LayoutOfEverySkinClosedAndOpen) {
  struct Case {
    int width, height;
    QSize closed, open;
    int titleX;
    QPoint bar, panelUp, panelDown;
    QRect video;
  };
  const Case cases[] = {
      {704, 480, {722, 608}, {722, 680}, 663, {558, 34}, {345, 571}, {345, 643}, {8, 84, 704, 480}},
      {352, 240, {370, 366}, {370, 461}, 311, {206, 35}, {166, 329}, {166, 424}, {8, 84, 352, 240}},
      {704, 576, {722, 705}, {722, 776}, 663, {558, 34}, {345, 668}, {345, 740}, {8, 84, 704, 576}},
      {352, 288, {370, 414}, {370, 509}, 311, {206, 35}, {166, 377}, {166, 472}, {8, 84, 352, 288}},
      {176,
       112,
       {370, 366},
       {370, 461},
       311,
       {206, 35},
       {166, 329},
       {166, 424},
       {96, 148, 176, 112}},
      {176,
       144,
       {370, 414},
       {370, 509},
       311,
       {206, 35},
       {166, 377},
       {166, 472},
       {96, 132, 176, 144}},
  };
  for (std::size_t skin = 0; skin < std::size(cases); ++skin) {
    const Case& c = cases[skin];
    SCOPED_TRACE(skin);
    CKavelinDlg& window = Open({.width = c.width, .height = c.height, .deviceCode = 'q'});
    ASSERT_EQ(g_lpApp->m_wSkinIndex.load(), skin);
    EXPECT_EQ(window.size(), c.closed);
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(window.Button(IDC_TITLE_MINIMIZE + i)->geometry(),
                QRect(c.titleX + 17 * i, 8, 13, 13));
    for (int i = 0; i < 6; ++i)
      EXPECT_EQ(window.Button(IDC_AV_SWITCH + i)->geometry(),
                QRect(c.bar + QPoint(26 * i, 0), QSize(26, 26)));
    EXPECT_EQ(window.Button(IDC_POWER)->geometry(), QRect(c.bar, QSize(26, 26)));
    EXPECT_EQ(window.Button(IDC_PANELUP)->geometry(), QRect(c.panelUp, QSize(32, 32)));
    EXPECT_EQ(window.Button(IDC_PANELDOWN)->geometry(), QRect(c.panelDown, QSize(32, 32)));
    EXPECT_EQ(window.VideoRect(), c.video);
    // Rounded corners.
    const QRegion mask = window.mask();
    EXPECT_FALSE(mask.contains(QPoint(0, 0)));
    EXPECT_FALSE(mask.contains(QPoint(c.closed.width() - 1, c.closed.height() - 1)));
    EXPECT_TRUE(mask.contains(QPoint(10, 0)));
    EXPECT_TRUE(mask.contains(QPoint(c.closed.width() / 2, c.closed.height() / 2)));
    const QPoint place = window.pos();
    window.OnPanelUp();
    EXPECT_TRUE(window.IsPanelOpen());
    EXPECT_EQ(window.size(), c.open);
    EXPECT_EQ(window.pos(), place);
    EXPECT_TRUE(window.mask().contains(QPoint(c.open.width() / 2, c.open.height() - 3)));
    EXPECT_FALSE(window.mask().contains(QPoint(0, c.open.height() - 1)));
    EXPECT_TRUE(window.Button(IDC_PANELDOWN)->isVisible());
    EXPECT_FALSE(window.Button(IDC_PANELUP)->isVisible());
    window.OnPanelDown();
    EXPECT_EQ(window.size(), c.closed);
    EXPECT_TRUE(window.Button(IDC_PANELUP)->isVisible());
    m_window.reset();
    StopMainTimer();
  }
}

std::set<int> Visible(CKavelinDlg& window) {
  std::set<int> ids;
  for (int k = 0; k < panel::kSlotCount; ++k) {
    const int id = panel::SlotControlId(k);
    if (window.Button(id)->isVisible())
      ids.insert(id);
  }
  return ids;
}

TEST_F(StartUpTest, RightsByLevelAndDevice) {
  struct Level {
    std::uint16_t level;
    std::array<bool, 6> bar;  // 1001..1006 enabled
    bool panelKeys;           // PANELUP / PANELDOWN
    bool power;
  };
  const Level levels[] = {{30, {true, true, true, true, true, true}, true, true},
                          {20, {true, true, false, true, true, false}, true, false},
                          {0, {false, true, false, false, false, false}, false, false},
                          {10, {false, true, false, true, true, false}, true, false}};
  for (const Level& l : levels) {
    for (std::uint16_t type : {0, 2, 8, 15, 16}) {
      SCOPED_TRACE(testing::Message() << "level " << l.level << " type " << type);
      CKavelinDlg& window = Open({.level = l.level, .type1 = type});
      for (int i = 0; i < 6; ++i)
        EXPECT_EQ(window.Button(IDC_AV_SWITCH + i)->isEnabled(), l.bar[static_cast<size_t>(i)])
            << 1001 + i;
      EXPECT_EQ(window.Button(IDC_POWER)->isEnabled(), l.power);
      EXPECT_EQ(g_lpApp->m_byHotPointMode.load(), type == 8 ? 2 : 1);
      if (type == 0) {
        // No fold-out panel: laid out closed (nothing to show) with PANELDOWN.
        EXPECT_FALSE(window.Button(IDC_PANELUP)->isVisible());
        EXPECT_EQ(window.Button(IDC_PANELDOWN)->isVisible(), l.panelKeys);
        EXPECT_TRUE(Visible(window).empty());
      } else {
        EXPECT_EQ(window.Button(IDC_PANELUP)->isVisible(), l.panelKeys);
        EXPECT_FALSE(window.Button(IDC_PANELDOWN)->isVisible());
        EXPECT_TRUE(Visible(window).empty());
      }
      if (l.panelKeys && type != 0) {
        window.Button(IDC_PANELUP)->click();
        ProcessEvents();
        ASSERT_TRUE(window.IsPanelOpen());
        const std::set<int> shown = Visible(window);
        std::set<int> expected;
        for (const auto& rec : panel::PanelEntry(type).buttons) {
          if (rec.flags & panel::kFlagShown)
            expected.insert(rec.controlId);
        }
        const bool top = l.level == 30;
        const bool middle = l.level == 30 || l.level == 20;
        if (type == 15 && !top)
          expected.erase(8331);  // R.E.T.R. for the highest rights only
        if ((type == 15 || type == 16) && !middle)
          expected.erase(8223);  // LOCK for authority 30 and up
        EXPECT_EQ(shown, expected);
        for (int id : shown)
          EXPECT_TRUE(window.Button(id)->isEnabled()) << id;
      }
      m_window.reset();
      StopMainTimer();
    }
  }
}

TEST_F(StartUpTest, SwitchingToAPortWithoutPanelClosesIt) {
  CKavelinDlg& window = Open({.type1 = 2, .type2 = 0});
  window.OnPanelUp();
  ASSERT_TRUE(window.IsPanelOpen());
  g_lpApp->m_SettingINI.m_bySelectedChannel = 2;
  window.RefreshPanelButtons();
  EXPECT_FALSE(window.IsPanelOpen());
  EXPECT_EQ(window.size(), QSize(722, 608));
  EXPECT_FALSE(window.Button(IDC_PANELUP)->isVisible());
  EXPECT_FALSE(window.Button(IDC_PANELDOWN)->isVisible());
  EXPECT_TRUE(Visible(window).empty());
}

TEST_F(StartUpTest, LoginDeviceTypeOutsideTheTableHasNoPanel) {
  // 264 is 8 as a byte: it must not become the PTZ layout.
  CKavelinDlg& window = Open({.type1 = 264});
  EXPECT_EQ(g_lpApp->m_SettingINI.m_byChannel1Device, 0);
  EXPECT_EQ(g_lpApp->m_byHotPointMode.load(), 1);
  EXPECT_FALSE(window.Button(IDC_PANELUP)->isVisible());
  EXPECT_EQ(window.Button(8250)->toolTip(), "CH 1");
}

QColor ButtonPixel(CKavelinDlg& window, int id) {
  return ui::testing::PixelOf(*window.Button(id), 1, 1);
}

TEST_F(StartUpTest, GuestGetsRefusedFacesButConnect) {
  CKavelinDlg& window = Open({.level = 0});
  EXPECT_EQ(ButtonPixel(window, IDC_AV_SWITCH), Colour("BMP\\00_AudioVideo_n.bmp"));
  EXPECT_EQ(ButtonPixel(window, IDC_CONNECT), Colour("BMP\\link.bmp"));
  EXPECT_EQ(ButtonPixel(window, IDC_IMAGE_ADJUST), Colour("BMP\\Image_Quality_n.bmp"));
  EXPECT_EQ(ButtonPixel(window, IDC_SNAPSHOT), Colour("BMP\\snapshoot_n.bmp"));
  EXPECT_EQ(ButtonPixel(window, IDC_RECORD), Colour("BMP\\Record_Button_n.bmp"));
  EXPECT_EQ(ButtonPixel(window, IDC_SYSTEM_CONFIG), Colour("BMP\\system_setting_n.bmp"));
}

TEST_F(StartUpTest, HoverButtonsOfTheBarAndTitleAreNotBlank) {
  CKavelinDlg& window = Open();
  EXPECT_EQ(ButtonPixel(window, IDC_IMAGE_ADJUST), Colour("BMP\\Image_Quality.bmp"));
  EXPECT_EQ(ButtonPixel(window, IDC_SNAPSHOT), Colour("BMP\\snapshoot.bmp"));
  EXPECT_EQ(ButtonPixel(window, IDC_SYSTEM_CONFIG), Colour("BMP\\system_setting.bmp"));
  EXPECT_EQ(window.Button(IDC_SNAPSHOT)->ButtonType(), VTX_PRESS_HOVER);
  EXPECT_EQ(window.Button(IDC_IMAGE_ADJUST)->ButtonType(), VTX_HOVER);
  // The title buttons' hover takes effect although their tables name two images.
  CVtxButton& close = *window.Button(IDC_TITLE_CLOSE);
  EXPECT_EQ(close.ButtonType(), VTX_HOVER);
  QEnterEvent enter(QPointF(3, 3), QPointF(3, 3), QPointF(3, 3));
  QCoreApplication::sendEvent(&close, &enter);
  EXPECT_EQ(ButtonPixel(window, IDC_TITLE_CLOSE), Colour("BMP\\Title_Bar_Close_a.bmp"));
}

TEST_F(StartUpTest, QuarterSkinUsesTheHalfSizeFiles) {
  CKavelinDlg& window = Open({.width = 176, .height = 112});
  const QImage shot = Grab();
  EXPECT_EQ(shot.pixelColor(30, 200), Colour("BMP\\N_QVGA_BG.bmp"));
  EXPECT_EQ(shot.pixelColor(250, 81), Colour("BMP\\StatusBar.bmp"));
  EXPECT_EQ(ButtonPixel(window, IDC_PANELUP), Colour("BMP\\N_QVGA_PANELUP.bmp"));
  window.OnPanelUp();
  EXPECT_EQ(Grab().pixelColor(30, 450), Colour("BMP\\N_QVGA_BG_EX.bmp"));
}

TEST_F(StartUpTest, TurboFaceOfTheUpKeyBySkin) {
  struct Case {
    int width, height;
    const char* turbo;
    const char* plain;
  };
  for (const Case c : {Case{704, 480, "BMP\\N_VGA_UP_TURBO.bmp", "BMP\\N_VGA_UP.bmp"},
                       Case{352, 240, "BMP\\N_QVGA_UP_TURBO.bmp", "BMP\\N_QVGA_UP.bmp"},
                       Case{704, 576, "BMP\\P_VGA_UP_TURBO.bmp", "BMP\\P_VGA_UP.bmp"}}) {
    SCOPED_TRACE(c.turbo);
    BuildSession({.width = c.width, .height = c.height, .type1 = 2});
    g_lpApp->m_bTurboOn = 1;
    CKavelinDlg& window = OpenBuilt();
    window.OnPanelUp();
    ASSERT_TRUE(window.Button(8241)->isVisible());  // slot 55, UP
    EXPECT_EQ(ButtonPixel(window, 8241), Colour(c.turbo));
    g_lpApp->m_bTurboOn = 0;
    window.RefreshPanelButtons();
    EXPECT_EQ(ButtonPixel(window, 8241), Colour(c.plain));
    m_window.reset();
    StopMainTimer();
  }
}

}  // namespace
}  // namespace main_window_test
