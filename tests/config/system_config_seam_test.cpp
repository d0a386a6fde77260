// The seam the main window's SYSTEM CONFIG command uses, driven as the command drives it.
#include <QTest>

#include "config_fixture.h"
#include "ui/config/sheets/system_config_seam.h"

namespace {

using config_testing::ConfigTest;
using SystemConfigSeamTest = ConfigTest;

// Runs body on the open sheet inside the seam's run.
int RunOpenSheet(ISystemConfigWindows& windows,
                 const std::function<void(CSysConfPropSheet&)>& body) {
  QObject context;
  QTimer::singleShot(0, &context, [&] {
    CSysConfPropSheet* sheet = g_lpApp->m_pOpenSysConfSheet.load();
    ASSERT_NE(sheet, nullptr);
    body(*sheet);
  });
  return windows.RunSheet();
}

TEST_F(SystemConfigSeamTest, TheCommandsStepsLoadShowAndReuseTheSheet) {
  auto windows = CreateSystemConfigWindows(nullptr, ports::SysConfEngine::Defaults());
  EXPECT_EQ(windows->RunLoadConfigDialog(), 1);
  EXPECT_EQ(server->RequestsTo("/GetSysCfg.cgi").size(), 15u);
  const SysConfFolders folders{"/rec", "/snap", "/sound"};
  windows->PrepareSheet(CSysConfPropSheet::kEmptyPageText, folders);
  const int first = RunOpenSheet(*windows, [](CSysConfPropSheet& sheet) {
    EXPECT_EQ(sheet.m_bOpen, 1u);
    EXPECT_EQ(sheet.GetActivePage(), &sheet.m_NetworkPage);
    EXPECT_EQ(sheet.GetTreeTitle(), "Please select a child item of '%s'.");
    EXPECT_TRUE(sheet.IsTreeMode());
    sheet.SetActivePage(&sheet.m_SntpPage);
    sheet.OnExit();
  });
  EXPECT_EQ(first, 0);
  EXPECT_EQ(g_lpApp->m_pOpenSysConfSheet, nullptr);
  EXPECT_EQ(windows->PageCode(), 2048);
  EXPECT_EQ(windows->Folders(), folders);
  EXPECT_FALSE(windows->DeviceTypeChanged());

  // The next opening shows the page active last, on the same sheet.
  windows->PrepareSheet(CSysConfPropSheet::kEmptyPageText, folders);
  CSysConfPropSheet* before = nullptr;
  const int second = RunOpenSheet(*windows, [&](CSysConfPropSheet& sheet) {
    before = &sheet;
    EXPECT_EQ(sheet.GetActivePage(), &sheet.m_SntpPage);
    config_testing::ApplyAndWait(sheet);
  });
  EXPECT_EQ(second, 3);
  windows->PrepareSheet(CSysConfPropSheet::kEmptyPageText, folders);
  RunOpenSheet(*windows, [&](CSysConfPropSheet& sheet) {
    EXPECT_EQ(&sheet, before);
    sheet.OnExit();
  });
  EXPECT_EQ(server->RequestsTo("/SetSysCfg.cgi").size(), 0u);
}

// The engine's close arrives on the GUI thread (the main window's sink brings it there).
TEST_F(SystemConfigSeamTest, ALostConnectionClosesTheOpenSheet) {
  auto windows = CreateSystemConfigWindows(nullptr, ports::SysConfEngine::Defaults());
  windows->CloseForLostConnection();  // no sheet: nothing happens
  ASSERT_EQ(windows->RunLoadConfigDialog(), 1);
  windows->PrepareSheet(CSysConfPropSheet::kEmptyPageText, {});
  const int result = RunOpenSheet(*windows, [&](CSysConfPropSheet& sheet) {
    windows->CloseForLostConnection();
    EXPECT_TRUE(fakes::WaitUntil([&] { return !sheet.isVisible(); }));
  });
  EXPECT_EQ(result, 0);
}

TEST_F(SystemConfigSeamTest, AFailedLoadIsReported) {
  fakes::RefuseGetSysCfg(*server, "SMTP");
  auto windows = CreateSystemConfigWindows(nullptr, ports::SysConfEngine::Defaults());
  EXPECT_EQ(windows->RunLoadConfigDialog(), 2);
  EXPECT_EQ(Messages(), std::vector<std::string>{Text(4029)});
}

}  // namespace
