// The load-configuration dialog against the fake server.
#include <QLabel>
#include <QTest>

#include "config_fixture.h"
#include "fakes/hand_ticks.h"
#include "net/config_records.h"

namespace {

using config_testing::ConfigTest;
using config_testing::kNotEnded;

using LoadConfigTest = ConfigTest;

// An engine whose record load waits for release (or its stop) and then answers fetched; the
// test owns the moment the worker answers.
ports::SysConfEngine HeldLoad(platform::Event& release, FetchedConfigRecords fetched) {
  ports::SysConfEngine engine = ports::SysConfEngine::Defaults();
  engine.loadConfigRecords = [&release, fetched](const platform::StopToken& stop) {
    platform::WaitAny({&stop.StopEvent(), &release}, platform::kInfinite);
    return fetched;
  };
  return engine;
}

TEST_F(LoadConfigTest, FetchesTheFifteenRecordsInOrderIntoTheCache) {
  fakes::ServeConfig(*server, fakes::SampleConfig());
  CEnterSysConfigDlg dialog(ports::SysConfEngine::Defaults());
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
    CEnterSysConfigDlg dialog(ports::SysConfEngine::Defaults());
    EXPECT_EQ(dialog.DoModal(), CEnterSysConfigDlg::kResultFailed);
    EXPECT_EQ(server->RequestsTo("/GetSysCfg.cgi").size(), c.requests);
    EXPECT_EQ(Messages(), std::vector<std::string>{Text(4029)});
  }
}

TEST_F(LoadConfigTest, TheTextGrowsByOneDotATickAndTheCountGoesOnInTheNextRun) {
  // The worker answers only when told, so the test owns the ticks.
  platform::Event release(platform::ResetMode::Auto);
  fakes::HandTicks hand;
  CEnterSysConfigDlg dialog(HeldLoad(release, {{}, true}));
  std::vector<QString> shown;
  auto run = [&](int ticks) {
    QTimer::singleShot(0, &dialog, [&, ticks] {
      auto* text = dialog.Controls().Get<QLabel>(CEnterSysConfigDlg::IDC_TEXT);
      shown.push_back(text->text());
      EXPECT_TRUE(dialog.Timers().IsRunning(CEnterSysConfigDlg::kAnimationTimer));
      EXPECT_EQ(dialog.Timers().Interval(CEnterSysConfigDlg::kAnimationTimer), 300);
      for (int i = 0; i < ticks; ++i) {
        hand.Fire(dialog, CEnterSysConfigDlg::kAnimationTimer);
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
  platform::Event release(platform::ResetMode::Auto);
  CEnterSysConfigDlg dialog(HeldLoad(release, {{}, false}));
  QTimer::singleShot(0, &dialog, [&] {
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QTest::keyClick(&dialog, Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    release.Set();
  });
  EXPECT_EQ(dialog.DoModal(), CEnterSysConfigDlg::kResultFailed);
  EXPECT_EQ(Messages(), std::vector<std::string>{Text(4029)});
}

// The records reach the cache on the GUI thread, when the worker answers: the worker's body
// only fetches. Those that arrived before a failure are stored as well, in their order (a
// record fetched twice keeps the later one).
TEST_F(LoadConfigTest, TheAnswerStoresTheFetchedRecordsOnTheGuiThread) {
  struct Case {
    const char* name;
    bool complete;
    int result;
    std::vector<std::string> messages;
  };
  const Case cases[] = {
      {"every record", true, CEnterSysConfigDlg::kResultLoaded, {}},
      {"a failure after three", false, CEnterSysConfigDlg::kResultFailed, {Text(4029)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    messages = std::make_shared<platform::testing::FakeMessageBox>();
    scopedBox.emplace(messages);
    g_lpApp->m_IpConfig.fill(0);
    g_lpApp->m_SntpConfig.fill(0);
    const FetchedConfigRecords fetched{{{kConfigIp, std::vector<std::uint8_t>(24, 7)},
                                        {kConfigSntp, std::vector<std::uint8_t>(40, 1)},
                                        {kConfigSntp, std::vector<std::uint8_t>(40, 2)}},
                                       c.complete};
    platform::Event release(platform::ResetMode::Auto);
    std::vector<std::uint8_t> ipWhileFetching;
    CEnterSysConfigDlg dialog(HeldLoad(release, fetched));
    QTimer::singleShot(0, &dialog, [&] {
      ipWhileFetching.assign(g_lpApp->m_IpConfig.begin(), g_lpApp->m_IpConfig.end());
      release.Set();
    });
    EXPECT_EQ(dialog.DoModal(), c.result);
    EXPECT_EQ(ipWhileFetching, std::vector<std::uint8_t>(24, 0));
    EXPECT_EQ(std::vector<std::uint8_t>(g_lpApp->m_IpConfig.begin(), g_lpApp->m_IpConfig.end()),
              std::vector<std::uint8_t>(24, 7));
    EXPECT_EQ(std::vector<std::uint8_t>(g_lpApp->m_SntpConfig.begin(), g_lpApp->m_SntpConfig.end()),
              std::vector<std::uint8_t>(40, 2));
    EXPECT_EQ(Messages(), c.messages);
  }
}

// A dialog that goes while its worker still fetches: the worker is stopped (its stop reaches the
// fetch) and nothing of its answer reaches the cache.
TEST_F(LoadConfigTest, ADialogThatGoesStopsTheFetchAndStoresNothing) {
  std::vector<bool> stopSeen;
  platform::Event entered(platform::ResetMode::Manual);
  ports::SysConfEngine engine = ports::SysConfEngine::Defaults();
  engine.loadConfigRecords = [&](const platform::StopToken& stop) {
    entered.Set();
    stopSeen.push_back(platform::WaitAny({&stop.StopEvent()}, platform::kInfinite) == 0);
    return FetchedConfigRecords{{{kConfigIp, std::vector<std::uint8_t>(24, 9)}}, true};
  };
  g_lpApp->m_IpConfig.fill(0);
  {
    auto dialog = std::make_unique<CEnterSysConfigDlg>(engine);
    QTimer::singleShot(0, dialog.get(), [&] {
      ASSERT_EQ(platform::WaitAny({&entered}, 5000), 0u);
      dialog->EndDialog(kNotEnded);
    });
    EXPECT_EQ(dialog->DoModal(), kNotEnded);
  }
  EXPECT_EQ(stopSeen, std::vector<bool>{true});
  EXPECT_EQ(std::vector<std::uint8_t>(g_lpApp->m_IpConfig.begin(), g_lpApp->m_IpConfig.end()),
            std::vector<std::uint8_t>(24, 0));
  EXPECT_TRUE(Messages().empty());
}

}  // namespace
