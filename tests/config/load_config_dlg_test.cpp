// The load-configuration dialog against the fake server.
#include <QLabel>
#include <QTest>

#include "config_fixture.h"
#include "net/config_records.h"

namespace {

using config_testing::ConfigTest;

using LoadConfigTest = ConfigTest;

TEST_F(LoadConfigTest, FetchesTheFifteenRecordsInOrderIntoTheCache) {
  fakes::ServeConfig(*server, fakes::SampleConfig());
  CEnterSysConfigDlg dialog;
  EXPECT_EQ(dialog.DoModal(), CEnterSysConfigDlg::kResultLoaded);
  const char* order[] = {"IP",  "SMTP", "FTP",  "SECURE",  "DNS",   "PPPOE", "SYSTEM", "SNTP",
                         "IMG", "SNTP", "WLAN", "TRIGGER", "RS485", "PENTA", "INF"};
  const auto requests = server->RequestsTo("/GetSysCfg.cgi");
  ASSERT_EQ(requests.size(), 15u);
  for (std::size_t i = 0; i < 15; ++i) {
    EXPECT_EQ(requests[i].Param("Option"), order[i]) << i;
    EXPECT_EQ(requests[i].Param("Size"), std::to_string(fakes::SampleConfig().at(order[i]).size()));
    EXPECT_EQ(requests[i].Param("SessionID"), "S1");
  }
  for (const auto& [option, record] : fakes::SampleConfig()) {
    std::uint8_t index = 0;
    while (ConfigOptionNames[index] != option)
      ++index;
    const auto cache = CachedConfigRecord(index);
    EXPECT_EQ(std::vector<std::uint8_t>(cache.begin(), cache.end()), record) << option;
  }
  EXPECT_TRUE(Messages().empty());
}

TEST_F(LoadConfigTest, AFailedFetchEndsWithTwoAfterItsMessage) {
  struct Case {
    const char* name;
    std::function<void()> script;
    std::size_t requests;
  };
  const Case cases[] = {
      {"SMTP refused", [&] { fakes::RefuseGetSysCfg(*server, "SMTP"); }, 2},
      {"PENTA of the wrong size",
       [&] { server->SetConfigRecord("PENTA", std::vector<std::uint8_t>(155, 1)); }, 14},
      {"INF too long", [&] { server->SetConfigRecord("INF", std::vector<std::uint8_t>(57, 1)); },
       15},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    server = std::make_unique<fakes::FakeVideoServer>();
    environment.SetWebPort(server->WebPort());
    messages = std::make_shared<platform::testing::FakeMessageBox>();
    scopedBox.emplace(messages);
    c.script();
    const std::vector<std::uint8_t> ipBefore(g_lpApp->m_IpConfig.begin(),
                                             g_lpApp->m_IpConfig.end());
    CEnterSysConfigDlg dialog;
    EXPECT_EQ(dialog.DoModal(), CEnterSysConfigDlg::kResultFailed);
    EXPECT_EQ(server->RequestsTo("/GetSysCfg.cgi").size(), c.requests);
    EXPECT_EQ(Messages(), std::vector<std::string>{Text(4029)});
  }
}

TEST_F(LoadConfigTest, TheTextGrowsByOneDotATickAndTheCountGoesOnInTheNextRun) {
  CEnterSysConfigDlg dialog;
  // The worker answers only when told, so the test owns the ticks.
  platform::Event release(platform::ResetMode::Auto);
  dialog.SetLoader([&](const platform::StopToken& stop) -> std::uint32_t {
    platform::WaitAny({&stop.StopEvent(), &release}, platform::kInfinite);
    return CEnterSysConfigDlg::kResultLoaded;
  });
  std::vector<QString> shown;
  auto run = [&](int ticks) {
    QTimer::singleShot(0, &dialog, [&, ticks] {
      auto* text = dialog.Controls().Get<QLabel>(CEnterSysConfigDlg::IDC_TEXT);
      shown.push_back(text->text());
      EXPECT_TRUE(dialog.Timers().IsRunning(CEnterSysConfigDlg::kAnimationTimer));
      EXPECT_EQ(dialog.Timers().Interval(CEnterSysConfigDlg::kAnimationTimer), 300);
      for (int i = 0; i < ticks; ++i) {
        dialog.Timers().FireForTest(CEnterSysConfigDlg::kAnimationTimer);
        shown.push_back(text->text());
      }
      // No real tick may count between here and the worker's answer, however slow the machine.
      dialog.KillTimer(CEnterSysConfigDlg::kAnimationTimer);
      release.Set();
    });
    return dialog.DoModal();
  };
  EXPECT_EQ(run(6), 1);
  EXPECT_EQ(shown,
            (std::vector<QString>{"", "entering system config .", "entering system config ..",
                                  "entering system config ...", "entering system config ....",
                                  "entering system config .....", "entering system config ."}));
  shown.clear();
  EXPECT_EQ(run(1), 1);
  EXPECT_EQ(shown, (std::vector<QString>{"entering system config .", "entering system config .."}));
}

TEST_F(LoadConfigTest, KeysDoNotEndTheLoading) {
  CEnterSysConfigDlg dialog;
  platform::Event release(platform::ResetMode::Auto);
  dialog.SetLoader([&](const platform::StopToken& stop) -> std::uint32_t {
    platform::WaitAny({&stop.StopEvent(), &release}, platform::kInfinite);
    return CEnterSysConfigDlg::kResultFailed;
  });
  QTimer::singleShot(0, &dialog, [&] {
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QTest::keyClick(&dialog, Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    release.Set();
  });
  EXPECT_EQ(dialog.DoModal(), CEnterSysConfigDlg::kResultFailed);
  EXPECT_EQ(Messages(), std::vector<std::string>{Text(4029)});
}

}  // namespace
