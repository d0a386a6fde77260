// SYSTEM CONFIG around the configuration windows: with scripted windows for its steps (the
// PTZ ports' types before, during and after the sheet, the folders, the panel refresh), and once
// with the program's own windows against the fake server.
#include <QTimer>
#include <filesystem>
#include <functional>

#include "commands_fixture.h"
#include "fakes/fake_config_server.h"
#include "ui/config/sheets/sys_conf_prop_sheet.h"
#include "ui/config/sheets/system_config_seam.h"
#include "ui/main/main_window_sink.h"

namespace main_window_test {
namespace {

using namespace mainwin;

class ScriptedConfigWindows final : public ISystemConfigWindows {
 public:
  ~ScriptedConfigWindows() override {
    if (onDestroy)
      onDestroy();
  }
  int RunLoadConfigDialog() override {
    calls.push_back("load");
    return loadResult;
  }
  void PrepareSheet(const QString& emptyPageText, const SysConfFolders& folders) override {
    calls.push_back("prepare");
    preparedText = emptyPageText;
    prepared = folders;
    sheetFolders = folders;
  }
  int RunSheet() override {
    calls.push_back("sheet");
    if (duringSheet)
      duringSheet(*this);
    return sheetResult;
  }
  SysConfFolders Folders() const override { return sheetFolders; }
  bool DeviceTypeChanged() const override { return typeChanged; }
  int PageCode() const override { return 0; }
  void CloseForLostConnection() override { calls.push_back("close"); }

  int loadResult = 1;
  int sheetResult = 3;
  bool typeChanged = false;
  std::function<void(ScriptedConfigWindows&)> duringSheet;
  std::function<void()> onDestroy;
  std::vector<std::string> calls;
  QString preparedText;
  SysConfFolders prepared;
  SysConfFolders sheetFolders;
};

class SystemConfigTest : public CommandsTest {
 protected:
  CKavelinDlg& OpenScripted(const Session& s = {}) {
    CKavelinDlg& window = OpenConnected(s);
    auto scripted = std::make_unique<ScriptedConfigWindows>();
    windows = scripted.get();
    window.SetSystemConfigWindows(std::move(scripted));
    return window;
  }
  ScriptedConfigWindows* windows = nullptr;
};

TEST_F(SystemConfigTest, RefusedWithoutAConnectionAndStopsAfterAFailedLoad) {
  CKavelinDlg& window = OpenScripted();
  g_lpApp->m_bConnected = 0;
  window.OnCommand(IDC_SYSTEM_CONFIG);
  EXPECT_EQ(Messages(), std::vector<std::string>{Text(4085)});
  EXPECT_TRUE(windows->calls.empty());
  g_lpApp->m_bConnected = 1;
  windows->loadResult = 2;
  window.OnCommand(IDC_SYSTEM_CONFIG);
  EXPECT_EQ(windows->calls, std::vector<std::string>{"load"});
}

TEST_F(SystemConfigTest, TheSheetOpensOnItsLastPageWithTheFoldersOfTheSettingsEachTime) {
  CKavelinDlg& window = OpenScripted();
  g_lpApp->m_SettingINI.m_strRecordPath = "/records/";
  g_lpApp->m_SettingINI.m_strSnapshotPath = "/shots/";
  g_lpApp->m_SettingINI.m_strAlarmWavPath = "/sound/alarm.wav";
  windows->sheetResult = 0;
  window.OnCommand(IDC_SYSTEM_CONFIG);
  window.OnCommand(IDC_SYSTEM_CONFIG);
  EXPECT_EQ(windows->calls,
            (std::vector<std::string>{"load", "prepare", "sheet", "load", "prepare", "sheet"}));
  EXPECT_EQ(windows->preparedText, "Please select a child item of '%s'.");
  EXPECT_EQ(windows->prepared, (SysConfFolders{"/records/", "/shots/", "/sound/alarm.wav"}));
  // A lost connection closes the sheet through the window's sink.
  window.Sink()->CloseConfigSheet();
  ProcessEvents();
  EXPECT_EQ(windows->calls.back(), "close");
}

TEST_F(SystemConfigTest, PtzPortsShowTheirOwnTypeInTheSheetAndThePtzTypeOfTheServerAfter) {
  struct Case {
    const char* name;
    int result;
    std::uint8_t serverByte;
    bool sheetChangesPort1;
    std::uint8_t port0After;
    std::uint8_t port1After;
    std::uint32_t port1Ptz;
  };
  const Case cases[] = {
      {"applied, server 0x32", 3, 0x32, false, 8, 8, 1},
      {"applied, server 0x84", 3, 0x84, false, 11, 11, 1},
      {"applied, server 'q'", 3, 'q', false, 17, 17, 1},
      {"applied, port 1 changed", 3, 'q', true, 17, 4, 0},
      {"exit, port 1 changed", 0, 0x84, true, 11, 11, 1},
  };
  CKavelinDlg& window = OpenScripted({.deviceCode = '2'});
  CAppData& app = *g_lpApp;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    windows->calls.clear();
    app.m_byDeviceType = c.serverByte;
    // Port 0: a type-2 recorder in PTZ control as 8; port 1: a type-15 one as 11.
    app.m_abPtzControl[0] = 1;
    app.m_abPtzControl[1] = 1;
    app.m_abySavedDeviceType[0] = 2;
    app.m_abySavedDeviceType[1] = 15;
    app.m_SettingINI.m_byChannel1Device = 8;
    app.m_SettingINI.m_byChannel2Device = 11;
    std::pair<int, int> shown{-1, -1};
    windows->sheetResult = c.result;
    windows->duringSheet = [&](ScriptedConfigWindows&) {
      shown = {app.m_SettingINI.m_byChannel1Device, app.m_SettingINI.m_byChannel2Device};
      if (c.sheetChangesPort1)
        app.m_SettingINI.m_byChannel2Device = 4;
    };
    window.OnCommand(IDC_SYSTEM_CONFIG);
    EXPECT_EQ(shown, (std::pair<int, int>{2, 15}));
    EXPECT_EQ(app.m_SettingINI.m_byChannel1Device, c.port0After);
    EXPECT_EQ(app.m_SettingINI.m_byChannel2Device, c.port1After);
    EXPECT_EQ(app.m_abPtzControl[0], 1u);
    EXPECT_EQ(app.m_abPtzControl[1], c.port1Ptz);
  }
  // A port out of PTZ control keeps what the sheet gave it.
  app.m_abPtzControl[0] = 0;
  app.m_abPtzControl[1] = 0;
  app.m_SettingINI.m_byChannel1Device = 3;
  windows->duringSheet = nullptr;
  window.OnCommand(IDC_SYSTEM_CONFIG);
  EXPECT_EQ(app.m_SettingINI.m_byChannel1Device, 3);
}

TEST_F(SystemConfigTest, AppliedFoldersComeBackAndAreMade) {
  CKavelinDlg& window = OpenScripted();
  CAppData& app = *g_lpApp;
  const std::string records = (m_folder / "new" / "records").string() + "/";
  const std::string shots = (m_folder / "new" / "shots").string() + "/";
  const std::string sound = (m_folder / "sound" / "bell.wav").string();
  windows->duringSheet = [&](ScriptedConfigWindows& w) {
    w.sheetFolders = {QString::fromStdString(records), QString::fromStdString(shots),
                      QString::fromStdString(sound)};
  };
  windows->sheetResult = 0;
  window.OnCommand(IDC_SYSTEM_CONFIG);
  EXPECT_NE(app.m_SettingINI.m_strRecordPath, records);
  EXPECT_FALSE(std::filesystem::exists(m_folder / "new"));
  windows->sheetResult = 3;
  window.OnCommand(IDC_SYSTEM_CONFIG);
  EXPECT_EQ(app.m_SettingINI.m_strRecordPath, records);
  EXPECT_EQ(app.m_SettingINI.m_strSnapshotPath, shots);
  EXPECT_EQ(app.m_SettingINI.m_strAlarmWavPath, sound);
  EXPECT_TRUE(std::filesystem::is_directory(records));
  EXPECT_TRUE(std::filesystem::is_directory(shots));
  EXPECT_FALSE(std::filesystem::exists(m_folder / "sound"));
}

TEST_F(SystemConfigTest, ThePanelIsRefreshedWhenTheSheetChangedADeviceType) {
  CKavelinDlg& window = OpenScripted({.deviceCode = '2', .type1 = 2});
  CAppData& app = *g_lpApp;
  ASSERT_EQ(app.m_byHotPointMode, 1);
  windows->duringSheet = [&](ScriptedConfigWindows&) { app.m_SettingINI.m_byChannel1Device = 8; };
  window.OnCommand(IDC_SYSTEM_CONFIG);
  EXPECT_EQ(app.m_byHotPointMode, 1);  // flag clear: no refresh
  windows->typeChanged = true;
  window.OnCommand(IDC_SYSTEM_CONFIG);
  EXPECT_EQ(app.m_byHotPointMode, 2);  // the PTZ panel of type 8
}

// The configuration windows own the motion dialog that the painter signals from the kernel
// thread: when the window goes, the engine loses its way to the painter before they go.
TEST_F(SystemConfigTest, TheWindowsEndCutsTheEngineOffBeforeTheConfigurationWindowsGo) {
  OpenScripted();
  CAppData& app = *g_lpApp;
  const std::shared_ptr<platform::IMainWindowSink> sink = app::MainWindowSink();
  ASSERT_NE(sink, nullptr);
  // A painter run now would take the received bytes into its rates.
  app.m_lReceivedBytes = 4096;
  app.m_dwStreamStartTick = app::Clock().Ticks() - 10000;
  bool sinkInstalled = true;
  std::int64_t bytesAfterShowImage = -1;
  windows->onDestroy = [&] {
    sinkInstalled = app::MainWindowSink() != nullptr;
    // The kernel thread's call at this moment.
    sink->ShowImage();
    bytesAfterShowImage = app.m_lReceivedBytes.load();
  };
  ASSERT_FALSE(app.FinishShowImageJobEvent->Wait(0));
  m_window.reset();
  EXPECT_FALSE(sinkInstalled);
  EXPECT_EQ(bytesAfterShowImage, 4096);
  // The show thread still gets its picture back.
  EXPECT_TRUE(app.FinishShowImageJobEvent->Wait(0));
}

TEST_F(SystemConfigTest, TheProgramsWindowsReopenTheSheetOnItsLastPage) {
  fakes::ServeConfig(*server, fakes::SampleConfig());
  CKavelinDlg& window = OpenConnected();
  // Acts on the sheet once it runs.
  std::function<void(CSysConfPropSheet&)> onSheet;
  QTimer poll;
  poll.setInterval(5);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    CSysConfPropSheet* sheet = g_lpApp->m_pOpenSysConfSheet.load();
    if (sheet == nullptr || !sheet->isVisible() || !onSheet)
      return;
    auto body = std::move(onSheet);
    onSheet = nullptr;
    body(*sheet);
  });
  poll.start();
  CSysConfPropSheet* first = nullptr;
  onSheet = [&](CSysConfPropSheet& sheet) {
    first = &sheet;
    EXPECT_EQ(sheet.parentWidget(), &window);
    sheet.SetActivePage(&sheet.m_SntpPage);
    sheet.OnExit();
  };
  window.OnCommand(IDC_SYSTEM_CONFIG);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(server->RequestsTo("/GetSysCfg.cgi").size(), 15u);
  bool reopened = false;
  onSheet = [&](CSysConfPropSheet& sheet) {
    reopened = &sheet == first && sheet.GetActivePage() == &sheet.m_SntpPage;
    // The kernel thread's close after a lost connection goes through the window's sink.
    window.Sink()->CloseConfigSheet();
  };
  window.OnCommand(IDC_SYSTEM_CONFIG);
  EXPECT_TRUE(reopened);
  EXPECT_EQ(g_lpApp->m_pOpenSysConfSheet, nullptr);
  EXPECT_TRUE(server->RequestsTo("/SetSysCfg.cgi").empty());
}

}  // namespace
}  // namespace main_window_test
