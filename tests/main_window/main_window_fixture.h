// Shared set-up of the main window tests: a data block as a login leaves it, a fixture skin
// whose every bitmap is one solid colour of its own (so a pixel tells which bitmap shows), a
// fixed work area, a temporary program folder, and the window made modeless.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <array>
#include <map>
#include <memory>
#include <string>

#include "app/app_data.h"
#include "app/app_seams.h"
#include "app/kavelin_app.h"
#include "fakes/qt_test_environment.h"
#include "fakes/temp_folder.h"
#include "media/frame_header.h"
#include "platform/folders.h"
#include "skin/skin_bitmap_list.h"
#include "ui/common/services.h"
#include "ui/common/testing/solid_bitmap_folder.h"
#include "ui/main/kavelin_dlg.h"
#include "ui/main/main_window_sink.h"

namespace main_window_test {

class FixedWorkArea final : public ui::IWorkArea {
 public:
  explicit FixedWorkArea(QRect rect) : m_rect(rect) {}
  QRect Rect() override { return m_rect; }

 private:
  QRect m_rect;
};

// What the login left in the data block.
struct Session {
  int width = 704;
  int height = 480;
  std::uint16_t level = 30;
  std::uint8_t deviceCode = 'q';
  std::uint16_t type1 = 2;
  std::uint16_t type2 = 8;
  std::uint8_t selectedChannel = 1;
  std::uint8_t avOption = 1;
};

inline void ProcessEvents() {
  for (int i = 0; i < 4; ++i)
    QCoreApplication::processEvents();
}

// A packet header with both status words (alarm on) and, when asked, the time stamp of
// 5 March 2005, 09:04:03.
inline void ParseAlarmHeader(CFrameHeader& header, bool timeStamp = true) {
  const std::uint32_t seconds = 3319002243u;
  std::vector<std::uint8_t> packet = {1, 0, 12, 0, 0, 0, 0x06, 0, 1, 0, 1, 0};
  if (timeStamp) {
    packet[2] = 16;
    packet[6] = 0x46;
    for (int i = 0; i < 4; ++i)
      packet.push_back(static_cast<std::uint8_t>(seconds >> (8 * i)));
  }
  header.Parse(packet);
}

class MainWindowTest : public ::testing::Test {
 public:
  static void SetUpTestSuite() {
    s_skin = new ui::testing::SolidBitmapFolder;
    s_colours = new std::map<std::string, QColor>;
    std::uint32_t index = 0;
    for (const skin::SkinBitmap& bmp : skin::AllSkinBitmaps()) {
      // Odd multiplier: distinct indexes give distinct 24-bit colours.
      const std::uint32_t value = ((++index) * 2654435761u) & 0xFFFFFFu;
      const QColor colour((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
      (*s_colours)[bmp.path] = colour;
      s_skin->Add(QString::fromStdString(bmp.path), bmp.width, bmp.height, colour);
    }
  }
  static void TearDownTestSuite() {
    delete s_skin;
    delete s_colours;
    s_skin = nullptr;
    s_colours = nullptr;
  }

  // The fixture colour of a skin bitmap ("BMP\\x.bmp").
  static QColor Colour(const std::string& path) {
    const auto it = s_colours->find(path);
    return it == s_colours->end() ? QColor() : it->second;
  }

 protected:
  void SetUp() override {
    platform::SetProgramFolder(m_folder.Path());
    ui::Services services;
    services.workArea = std::make_shared<FixedWorkArea>(m_workArea);
    m_previousServices = ui::InstallServices(std::move(services));
    g_bAlarmClear = 1;
  }

  void TearDown() override {
    m_window.reset();
    StopMainTimer();
    app::SetMainWindowSink(nullptr);
    app::SetClock(nullptr);
    g_bAlarmClear = 1;
    g_lpApp.reset();
    ui::InstallServices(std::move(m_previousServices));
  }

  // A data block as the login leaves it for the session.
  void BuildSession(const Session& s) {
    g_lpApp = std::make_unique<CAppData>();
    CAppData& app = *g_lpApp;
    app.m_SettingINI.Load();
    app.m_SettingINI.m_strServerName = "192.168.1.100";
    app.m_SettingINI.m_byAvSwitchOption = s.avOption;
    app.m_SettingINI.m_bySelectedChannel = s.selectedChannel;
    app.m_wUserLevel = s.level;
    app.m_wUserLevelShown = s.level;
    app.m_byDeviceType = s.deviceCode;
    app.m_wFrameWidth = static_cast<std::uint16_t>(s.width);
    app.m_wFrameHeight = static_cast<std::uint16_t>(s.height);
    app.m_pPeripheralInfo = std::make_unique<PeripheralInfo>();
    app.m_pPeripheralInfo->m_Records[0] = {1, s.type1, 9600};
    app.m_pPeripheralInfo->m_Records[1] = {2, s.type2, 4800};
    app.FinishShowImageJobEvent = std::make_shared<platform::Event>(platform::ResetMode::Auto);
  }

  // Another work area for the windows opened from now on.
  void UseWorkArea(QRect rect) {
    m_workArea = rect;
    ui::Services services;
    services.workArea = std::make_shared<FixedWorkArea>(rect);
    ui::InstallServices(std::move(services));
  }

  CKavelinDlg& Open(const Session& s = {}) {
    BuildSession(s);
    return OpenBuilt();
  }
  CKavelinDlg& OpenBuilt() {
    m_window = std::make_unique<CKavelinDlg>(m_engine, m_sysConf);
    EXPECT_TRUE(m_window->Create());
    ProcessEvents();
    return *m_window;
  }

  QImage Grab() { return m_window->grab().toImage(); }
  QColor PixelAt(int x, int y) { return Grab().pixelColor(x, y); }

  // A bottom-up blue-green-red picture whose pixel (x, y), counted from the top, has blue x,
  // green y and red 0x80: the shown picture tells orientation and byte order.
  static std::vector<std::uint8_t> CodedPicture(int width, int height) {
    std::vector<std::uint8_t> picture(static_cast<std::size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y) {
      std::uint8_t* row = picture.data() + static_cast<std::size_t>(height - 1 - y) * width * 3;
      for (int x = 0; x < width; ++x) {
        row[3 * x] = static_cast<std::uint8_t>(x);
        row[3 * x + 1] = static_cast<std::uint8_t>(y);
        row[3 * x + 2] = 0x80;
      }
    }
    return picture;
  }

  // Hands a picture to the window as the show thread does, connected.
  void Hand(std::vector<std::uint8_t>& picture) {
    g_lpApp->m_pCurrentPicture = picture.data();
    g_lpApp->m_bConnected = 1;
  }

  fakes::TempFolder m_folder;
  QRect m_workArea{0, 0, 1280, 800};
  ui::Services m_previousServices;
  // The ports the window is opened with: the program's, or what a test scripts in their place.
  ports::MainWindowEngine m_engine = ports::MainWindowEngine::Defaults();
  ports::SysConfEngine m_sysConf = ports::SysConfEngine::Defaults();
  std::unique_ptr<CKavelinDlg> m_window;

  static inline ui::testing::SolidBitmapFolder* s_skin = nullptr;
  static inline std::map<std::string, QColor>* s_colours = nullptr;
};

}  // namespace main_window_test
