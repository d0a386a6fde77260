// APPLY, REBOOT, EXIT and the lost-connection close of the configuration sheet, against the
// fake server.
#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <atomic>
#include <set>

#include "config_fixture.h"
#include "net/cgi_url.h"
#include "net/config_records.h"
#include "ui/common/ip_address_ctrl.h"
#include "ui/common/list_ctrl.h"

namespace {

using config_testing::ConfigTest;
using config_testing::kNotEnded;
using config_testing::WaitForDroppedResults;

template <typename T>
T* Ctl(ui::CPropertyPage& page, int id) {
  return page.Controls().Get<T>(id);
}
void Type(ui::CPropertyPage& page, int id, const QString& text) {
  Ctl<QLineEdit>(page, id)->setText(text);
}
void Pick(ui::CPropertyPage& page, int id, int row) {
  Ctl<QComboBox>(page, id)->setCurrentIndex(row);
}
void ShowAllPages(CSysConfPropSheet& s) {
  for (int i = s.GetPageCount() - 1; i >= 0; --i)
    ASSERT_TRUE(s.SetActivePage(i));
}
std::vector<std::string> SessionParams(const fakes::RecordedRequest& request) {
  std::vector<std::string> params;
  for (const auto& [name, value] : request.Params())
    params.push_back(name + "=" + value);
  return params;
}

using ApplyTest = ConfigTest;

TEST_F(ApplyTest, ViewingEveryPageAndApplyingSendsNothing) {
  config_testing::ScopedDeviceTable devices({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
  for (const auto& records : {fakes::SampleConfig(), fakes::OffRowConfig()}) {
    calls.clear();
    sheet.reset();
    ASSERT_EQ(Load(records), 1);
    const int result = RunSheet([&](CSysConfPropSheet& s) {
      ShowAllPages(s);
      config_testing::ApplyAndWait(s);
    });
    EXPECT_EQ(result, CSysConfPropSheet::kResultApplied);
    EXPECT_TRUE(SentOptions().empty());
    EXPECT_EQ(calls, std::vector<std::string>{"ReadAll"});
    EXPECT_TRUE(Messages().empty());
  }
}

TEST_F(ApplyTest, APageNotShownInTheRunSendsNothing) {
  ASSERT_EQ(Load(), 1);
  CSysConfPropSheet& s = NewSheet();
  // Values left from an earlier run on pages that this run does not show.
  s.m_DnsPage.m_strUser = "stale";
  s.m_FtpPage.m_dwPort = 2121;
  EXPECT_EQ(RunSheet([](CSysConfPropSheet& sheet) { config_testing::ApplyAndWait(sheet); }),
            CSysConfPropSheet::kResultApplied);
  EXPECT_TRUE(SentOptions().empty());
  EXPECT_EQ(s.GetActivePage(), nullptr);
}

TEST_F(ApplyTest, ChangesOnAllSixPagesArriveInTheStepOrder) {
  ASSERT_EQ(Load(), 1);
  const int result = RunSheet([](CSysConfPropSheet& s) {
    ShowAllPages(s);
    Pick(s.m_PentaPage, C2ChSetPentaPage::IDC_BIT_RATE, 6);
    Type(s.m_NetworkPage, NetworkConfigPage::IDC_STREAM_PORT, "6000");
    Type(s.m_NetworkPage, NetworkConfigPage::IDC_PPPOE_PASSWORD, "new-pass");
    Pick(s.m_SntpPage, CSNTPPage::IDC_TIME_ZONE, 3);
    Type(s.m_FtpPage, FTPPropertyPage::IDC_DIRECTORY, "/new");
    Type(s.m_MailPage, MailPropertyPage::IDC_SERVER, "smtp2.example.net");
    Type(s.m_DnsPage, CDNSPage::IDC_DDNS_DOMAIN, "new.dyndns.org");
    config_testing::ApplyAndWait(s);
  });
  EXPECT_EQ(result, CSysConfPropSheet::kResultApplied);
  EXPECT_EQ(SentOptions(),
            (std::vector<std::string>{"DNS", "SMTP", "FTP", "SNTP", "PPPOE", "IP", "PENTA"}));
  // The streams are paused once, before the first send that ends in a new login.
  EXPECT_EQ(calls, (std::vector<std::string>{"PauseStreams(3)", "ReadAll", "MessageTrigger(1)"}));
  for (const auto& request : server->RequestsTo("/SetSysCfg.cgi")) {
    const bool dns = request.Param("Option") == "DNS";
    EXPECT_EQ(SessionParams(request).size(), dns ? 3u : 2u);
    EXPECT_EQ(request.Param("SessionID"), "S1");
  }
}

TEST_F(ApplyTest, ChangesOnEveryPageSendTheTenRecordsInTheStepOrder) {
  ASSERT_EQ(Load(), 1);
  const int result = RunSheet([](CSysConfPropSheet& s) {
    ShowAllPages(s);
    Pick(s.m_PentaPage, C2ChSetPentaPage::IDC_BIT_RATE, 6);
    Type(s.m_NetworkPage, NetworkConfigPage::IDC_STREAM_PORT, "6000");
    Type(s.m_OnlineUserPage, COnlineUserPage::IDC_HOST_NAME, "camera-7");
    Type(s.m_PeripheralPage, CPeripheralPage::IDC_ID1, "7");
    Type(s.m_AccountPage, AccountPropertyPage::IDC_MAX_USERS, "7");
    Pick(s.m_SntpPage, CSNTPPage::IDC_TIME_ZONE, 3);
    Type(s.m_FtpPage, FTPPropertyPage::IDC_DIRECTORY, "/new");
    Type(s.m_MailPage, MailPropertyPage::IDC_SERVER, "smtp2.example.net");
    Ctl<QAbstractButton>(s.m_AlarmPage, AlarmPropertyPage::IDC_FTP)->click();
    Type(s.m_DnsPage, CDNSPage::IDC_DDNS_DOMAIN, "new.dyndns.org");
    config_testing::ApplyAndWait(s);
  });
  EXPECT_EQ(result, CSysConfPropSheet::kResultApplied);
  EXPECT_EQ(SentOptions(), (std::vector<std::string>{"DNS", "TRIGGER", "SMTP", "FTP", "SNTP",
                                                     "SECURE", "RS485", "SYSTEM", "IP", "PENTA"}));
  EXPECT_EQ(calls, (std::vector<std::string>{"PauseStreams(3)", "ReadAll", "MessageTrigger(1)"}));
  EXPECT_TRUE(Messages().empty());
}

TEST_F(ApplyTest, PppoeAloneSendsPppoeWithoutANewLogin) {
  ASSERT_EQ(Load(), 1);
  RunSheet([](CSysConfPropSheet& s) {
    Type(s.m_NetworkPage, NetworkConfigPage::IDC_PPPOE_USER, "other");
    config_testing::ApplyAndWait(s);
  });
  EXPECT_EQ(SentOptions(), std::vector<std::string>{"PPPOE"});
  EXPECT_EQ(calls, std::vector<std::string>{"ReadAll"});
}

TEST_F(ApplyTest, ANewWebPortIsTakenWithTheServerAndEndsInANewLogin) {
  ASSERT_EQ(Load(), 1);
  RunSheet([](CSysConfPropSheet& s) {
    Type(s.m_NetworkPage, NetworkConfigPage::IDC_WEB_PORT, "8080");
    Ctl<ui::IpAddressCtrl>(s.m_NetworkPage, NetworkConfigPage::IDC_SERVER_IP)
        ->SetAddress(192, 168, 1, 77);
    config_testing::ApplyAndWait(s);
  });
  EXPECT_EQ(SentOptions(), std::vector<std::string>{"IP"});
  EXPECT_EQ(environment.WebPort(), 8080);
  EXPECT_EQ(environment.ServerAddress(), "192.168.1.77");
  EXPECT_EQ(calls, (std::vector<std::string>{"PauseStreams(3)", "ReadAll", "MessageTrigger(1)"}));
}

TEST_F(ApplyTest, ARefusedIpRecordLeavesTheAddressAndStillLogsInAgain) {
  ASSERT_EQ(Load(), 1);
  fakes::RefuseSetSysCfg(*server, {"IP"});
  const std::uint16_t port = server->WebPort();
  RunSheet([](CSysConfPropSheet& s) {
    Type(s.m_NetworkPage, NetworkConfigPage::IDC_WEB_PORT, "8080");
    config_testing::ApplyAndWait(s);
  });
  EXPECT_EQ(Messages(), std::vector<std::string>{Text(4012)});
  EXPECT_EQ(calls, (std::vector<std::string>{"PauseStreams(3)", "ReadAll", "MessageTrigger(1)"}));
  // Nothing stays pending: the next accepted reply keeps the port.
  std::vector<std::uint8_t> inf(56);
  EXPECT_EQ(GetSysCfg(kConfigInf, inf.data(), 56), 1);
  EXPECT_EQ(environment.WebPort(), port);
}

TEST_F(ApplyTest, ARefusedPppoeRecordStillEndsInTheNewLoginOfThePausedStreams) {
  ASSERT_EQ(Load(), 1);
  fakes::RefuseSetSysCfg(*server, {"PPPOE"});
  RunSheet([](CSysConfPropSheet& s) {
    Type(s.m_NetworkPage, NetworkConfigPage::IDC_STREAM_PORT, "6000");
    Type(s.m_NetworkPage, NetworkConfigPage::IDC_PPPOE_USER, "other");
    config_testing::ApplyAndWait(s);
  });
  EXPECT_EQ(SentOptions(), std::vector<std::string>{"PPPOE"});  // refused; IP not sent
  EXPECT_EQ(Messages(), std::vector<std::string>{Text(4012)});
  EXPECT_EQ(calls, (std::vector<std::string>{"PauseStreams(3)", "ReadAll", "MessageTrigger(1)"}));
}

TEST_F(ApplyTest, ARefusedPentaRecordShowsItsBoxAndTheOtherStepsRun) {
  ASSERT_EQ(Load(), 1);
  fakes::RefuseSetSysCfg(*server, {"PENTA"});
  const int result = RunSheet([](CSysConfPropSheet& s) {
    s.SetActivePage(&s.m_PentaPage);
    s.SetActivePage(&s.m_DnsPage);
    Pick(s.m_PentaPage, C2ChSetPentaPage::IDC_BIT_RATE, 0);
    Type(s.m_DnsPage, CDNSPage::IDC_DDNS_USER, "x");
    config_testing::ApplyAndWait(s);
  });
  EXPECT_EQ(result, CSysConfPropSheet::kResultApplied);
  EXPECT_EQ(SentOptions(), (std::vector<std::string>{"DNS", "PENTA"}));
  EXPECT_EQ(Messages(), std::vector<std::string>{"Set the system config is failed\n"});
  EXPECT_EQ(server->ConfigRecord("DNS")[12], 'x');
}

TEST_F(ApplyTest, DnsRefreshIsAskedForByEveryChangeButTheAddress) {
  struct Case {
    const char* name;
    std::function<void(CDNSPage&)> edit;
    const char* refresh;
  };
  const Case cases[] = {
      {"address",
       [](CDNSPage& p) {
         Ctl<ui::IpAddressCtrl>(p, CDNSPage::IDC_DNS_SERVER)->SetAddress(1, 1, 1, 1);
       },
       "False"},
      {"user", [](CDNSPage& p) { Type(p, CDNSPage::IDC_DDNS_USER, "u"); }, "True"},
      {"provider", [](CDNSPage& p) { Pick(p, CDNSPage::IDC_PROVIDER, 0); }, "True"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sheet.reset();
    ASSERT_EQ(Load(), 1);
    RunSheet([&](CSysConfPropSheet& s) {
      s.SetActivePage(&s.m_DnsPage);
      c.edit(s.m_DnsPage);
      config_testing::ApplyAndWait(s);
    });
    const auto requests = server->RequestsTo("/SetSysCfg.cgi");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(SessionParams(requests[0]),
              (std::vector<std::string>{"Option=DNS", std::string("Refresh=") + c.refresh,
                                        "SessionID=S1"}));
  }
}

// Values that APPLY refuses: the message, that page active, nothing sent, the sheet open.
TEST_F(ApplyTest, RefusedValuesShowTheirMessageOnTheirPageAndSendNothing) {
  struct Case {
    const char* name;
    std::function<ui::CPropertyPage&(CSysConfPropSheet&)> edit;
    std::string message;
  };
  const Case cases[] = {
      {"web port 0",
       [](CSysConfPropSheet& s) -> ui::CPropertyPage& {
         Type(s.m_NetworkPage, NetworkConfigPage::IDC_WEB_PORT, "0");
         return s.m_NetworkPage;
       },
       "Enter a whole number from 1 to 65535."},
      {"web port 65536",
       [](CSysConfPropSheet& s) -> ui::CPropertyPage& {
         Type(s.m_NetworkPage, NetworkConfigPage::IDC_WEB_PORT, "65536");
         return s.m_NetworkPage;
       },
       "Enter a whole number from 1 to 65535."},
      {"stream port 255",
       [](CSysConfPropSheet& s) -> ui::CPropertyPage& {
         Type(s.m_NetworkPage, NetworkConfigPage::IDC_STREAM_PORT, "255");
         return s.m_NetworkPage;
       },
       "Enter a whole number from 256 to 65535."},
      {"empty web port",
       [](CSysConfPropSheet& s) -> ui::CPropertyPage& {
         Type(s.m_NetworkPage, NetworkConfigPage::IDC_WEB_PORT, "");
         return s.m_NetworkPage;
       },
       ConfigTest::Text(4090)},
      {"part of the server address missing",
       [](CSysConfPropSheet& s) -> ui::CPropertyPage& {
         Ctl<ui::IpAddressCtrl>(s.m_NetworkPage, NetworkConfigPage::IDC_SERVER_IP)
             ->Field(3)
             ->clear();
         return s.m_NetworkPage;
       },
       "Fill in all four parts of the address."},
      {"gateway typed as 192.168.1.300",
       [](CSysConfPropSheet& s) -> ui::CPropertyPage& {
         QLineEdit* part =
             Ctl<ui::IpAddressCtrl>(s.m_NetworkPage, NetworkConfigPage::IDC_GATEWAY)->Field(3);
         part->clear();
         QTest::keyClicks(part, "300");
         return s.m_NetworkPage;
       },
       "Enter a whole number from 0 to 255."},
      {"gateway part 300 behind the DHCP choice",
       [](CSysConfPropSheet& s) -> ui::CPropertyPage& {
         Ctl<ui::IpAddressCtrl>(s.m_NetworkPage, NetworkConfigPage::IDC_GATEWAY)
             ->Field(3)
             ->setText("300");
         Ctl<QAbstractButton>(s.m_NetworkPage, NetworkConfigPage::IDC_DHCP)->click();
         return s.m_NetworkPage;
       },
       "Enter a whole number from 0 to 255."},
      {"server address part 256",
       [](CSysConfPropSheet& s) -> ui::CPropertyPage& {
         Ctl<ui::IpAddressCtrl>(s.m_NetworkPage, NetworkConfigPage::IDC_SERVER_IP)
             ->Field(1)
             ->setText("256");
         return s.m_NetworkPage;
       },
       "Enter a whole number from 0 to 255."},
      {"net mask part 999",
       [](CSysConfPropSheet& s) -> ui::CPropertyPage& {
         Ctl<ui::IpAddressCtrl>(s.m_NetworkPage, NetworkConfigPage::IDC_NET_MASK)
             ->Field(0)
             ->setText("999");
         return s.m_NetworkPage;
       },
       "Enter a whole number from 0 to 255."},
      {"dns server part 300",
       [](CSysConfPropSheet& s) -> ui::CPropertyPage& {
         Ctl<ui::IpAddressCtrl>(s.m_DnsPage, CDNSPage::IDC_DNS_SERVER)->Field(2)->setText("300");
         return s.m_DnsPage;
       },
       "Enter a whole number from 0 to 255."},
      {"empty ftp port",
       [](CSysConfPropSheet& s) -> ui::CPropertyPage& {
         Type(s.m_FtpPage, FTPPropertyPage::IDC_PORT, "");
         return s.m_FtpPage;
       },
       ConfigTest::Text(4090)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sheet.reset();
    messages = std::make_shared<platform::testing::FakeMessageBox>();
    scopedBox.emplace(messages);
    ASSERT_EQ(Load(), 1);
    const int result = RunSheet([&](CSysConfPropSheet& s) {
      ShowAllPages(s);
      s.SetActivePage(&s.m_DnsPage);
      Type(s.m_DnsPage, CDNSPage::IDC_DDNS_USER, "changed");
      ui::CPropertyPage& failing = c.edit(s);
      config_testing::ApplyAndWait(s);
      EXPECT_EQ(s.GetActivePage(), &failing);
    });
    EXPECT_EQ(result, kNotEnded);
    EXPECT_EQ(Messages(), std::vector<std::string>{c.message});
    EXPECT_TRUE(SentOptions().empty());
    EXPECT_TRUE(calls.empty());
  }
}

TEST_F(ApplyTest, TheFtpPortIsCheckedAsItIsTyped) {
  ASSERT_EQ(Load(), 1);
  RunSheet([&](CSysConfPropSheet& s) {
    s.SetActivePage(&s.m_FtpPage);
    s.m_FtpPage.OnAdd();
    auto* port = Ctl<QLineEdit>(s.m_FtpPage, FTPPropertyPage::IDC_PORT);
    port->clear();
    QTest::keyClicks(port, "70000");
    EXPECT_EQ(port->text(), "21");
    QTest::keyClicks(port, "0");  // "210" is a port
    EXPECT_EQ(port->text(), "210");
    port->selectAll();
    QTest::keyClicks(port, "0");
    EXPECT_EQ(port->text(), "21");
  });
  EXPECT_EQ(Messages(), (std::vector<std::string>{Text(4054), Text(4054)}));
}

TEST_F(ApplyTest, AStepThatRefusesSendsNothingOfItsOwnAndTheSheetEnds) {
  struct Case {
    const char* name;
    std::function<void(CSysConfPropSheet&, ConfigTest&)> edit;
    std::vector<std::string> messages;
    std::vector<std::string> calls;
  };
  const Case cases[] = {
      {"jpeg larger than mpeg-4",
       [](CSysConfPropSheet& s, ConfigTest&) {
         Pick(s.m_PentaPage, C2ChSetPentaPage::IDC_JPEG_RESOLUTION, 1);
       },
       {"JPEG resolution can't be larger than MPEG-4 resolution"},
       {"ReadAll"}},
      {"jpeg larger checked before the recorders stop",
       [](CSysConfPropSheet& s, ConfigTest& t) {
         t.userRecording = true;
         Pick(s.m_PentaPage, C2ChSetPentaPage::IDC_VIDEO_TYPE, 0);
         Pick(s.m_PentaPage, C2ChSetPentaPage::IDC_JPEG_RESOLUTION, 1);
       },
       {"JPEG resolution can't be larger than MPEG-4 resolution"},
       {"ReadAll"}},
      {"no to the user record",
       [](CSysConfPropSheet& s, ConfigTest& t) {
         t.userRecording = true;
         t.messages->ScriptAnswers({platform::IDNO});
         Pick(s.m_PentaPage, C2ChSetPentaPage::IDC_VIDEO_TYPE, 0);
       },
       {"Do you sure to finish User Record ?"},
       {"ReadAll"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sheet.reset();
    calls.clear();
    messages = std::make_shared<platform::testing::FakeMessageBox>();
    scopedBox.emplace(messages);
    ASSERT_EQ(Load(), 1);
    const int result = RunSheet([&](CSysConfPropSheet& s) {
      s.SetActivePage(&s.m_PentaPage);
      c.edit(s, *this);
      config_testing::ApplyAndWait(s);
    });
    EXPECT_EQ(result, CSysConfPropSheet::kResultApplied);
    EXPECT_EQ(Messages(), c.messages);
    EXPECT_TRUE(SentOptions().empty());
    EXPECT_EQ(calls, c.calls);
    EXPECT_EQ(g_lpApp->m_byVideoFormat, 4);
  }
}

TEST_F(ApplyTest, ChangingTheFormatStopsTheRecordersAndRestartsTheStreams) {
  ASSERT_EQ(Load(), 1);
  userRecording = true;
  messages->ScriptAnswers({platform::IDYES});
  RunSheet([](CSysConfPropSheet& s) {
    s.SetActivePage(&s.m_PentaPage);
    Pick(s.m_PentaPage, C2ChSetPentaPage::IDC_VIDEO_TYPE, 0);
    s.m_PentaPage.OnVideoTypeChanged();
    EXPECT_FALSE(s.m_PentaPage.GetDlgItem(C2ChSetPentaPage::IDC_QUALITY)->isHidden());
    config_testing::ApplyAndWait(s);
  });
  EXPECT_EQ(g_lpApp->m_byVideoFormat, 0);
  EXPECT_EQ(calls, (std::vector<std::string>{"StopUserRecord", "StopAlarmAndSchedule",
                                             "PauseStreams(3)", "ReadAll", "MessageTrigger(1)"}));
  // The record is sent with its send marks only.
  EXPECT_EQ(SentOptions(), std::vector<std::string>{"PENTA"});
}

TEST_F(ApplyTest, TheScaleCodeFollowsTheWidthRatioAndKeepsItsValueWithoutOne) {
  struct Case {
    const char* name;
    std::uint8_t jpegUnits;
    std::uint8_t expected;
  };
  const Case cases[] = {{"704 with 176", 11, 3},
                        {"704 with 352", 22, 1},
                        {"jpeg units 0", 0, 0x5A},
                        {"ratio 5", 8, 0x5A}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sheet.reset();
    auto records = fakes::SampleConfig();
    records["PENTA"][87] = c.jpegUnits;
    records["PENTA"][90] = records["PENTA"][91] = 0x5A;
    ASSERT_EQ(Load(records), 1);
    RunSheet([](CSysConfPropSheet& s) {
      s.SetActivePage(&s.m_PentaPage);
      Pick(s.m_PentaPage, C2ChSetPentaPage::IDC_MPEG4_RESOLUTION, 1);
      config_testing::ApplyAndWait(s);
    });
    const auto sent = Sent("PENTA");
    ASSERT_TRUE(sent.has_value());
    EXPECT_EQ((*sent)[90], c.expected);
    EXPECT_EQ((*sent)[91], c.expected);
    EXPECT_EQ((*sent)[87], c.jpegUnits);
  }
}

TEST_F(ApplyTest, OffRowValuesAreWrittenOnlyOnceARowIsPicked) {
  ASSERT_EQ(Load(fakes::OffRowConfig()), 1);
  RunSheet([](CSysConfPropSheet& s) {
    ShowAllPages(s);
    Pick(s.m_PentaPage, C2ChSetPentaPage::IDC_QUALITY, 0);
    Pick(s.m_SntpPage, CSNTPPage::IDC_TIME_ZONE, 74);
    Pick(s.m_DnsPage, CDNSPage::IDC_PROVIDER, 0);
    config_testing::ApplyAndWait(s);
  });
  EXPECT_EQ(SentOptions(), (std::vector<std::string>{"DNS", "SNTP", "PENTA"}));
  EXPECT_EQ(Sent("PENTA")->at(89), 30);
  EXPECT_EQ(Sent("PENTA")->at(11), 20);  // the 320 width stays
  EXPECT_EQ(Sent("SNTP")->at(39), 74);
  EXPECT_EQ(Sent("SNTP")->at(36), 13);
}

TEST_F(ApplyTest, ExitRebootAndEscape) {
  ASSERT_EQ(Load(), 1);
  EXPECT_EQ(RunSheet([](CSysConfPropSheet& s) {
              static_cast<QAbstractButton*>(s.GetDlgItem(CSysConfPropSheet::IDC_EXIT))->click();
            }),
            0);
  EXPECT_EQ(RunSheet([](CSysConfPropSheet& s) { QTest::keyClick(&s, Qt::Key_Escape); }), 0);
  EXPECT_EQ(RunSheet([](CSysConfPropSheet& s) {
              QTest::keyClick(s.m_NetworkPage.GetDlgItem(NetworkConfigPage::IDC_WEB_PORT),
                              Qt::Key_Return);
            }),
            kNotEnded);
  // The reboot request runs on the sheet's worker: the run ends once it was sent.
  const auto rebootAndWait = [](CSysConfPropSheet& s) {
    ASSERT_TRUE(fakes::WaitUntil([&] { return !s.Rebooting(); }));
  };
  EXPECT_EQ(RunSheet([&](CSysConfPropSheet& s) {
              static_cast<QAbstractButton*>(s.GetDlgItem(CSysConfPropSheet::IDC_REBOOT))->click();
              rebootAndWait(s);
            }),
            0);
  environment.SetSessionId("");
  EXPECT_EQ(RunSheet([&](CSysConfPropSheet& s) {
              s.OnReboot();
              rebootAndWait(s);
            }),
            0);
  // The reboot request is not answered: the server may still be reading it.
  ASSERT_TRUE(server->WaitForRequests(2, std::chrono::seconds(10)));
  // Two connections: the server may finish reading them in either order.
  std::multiset<std::string> targets;
  for (const auto& reboot : server->RequestsTo("/RebootServer.cgi")) {
    targets.insert(reboot.target);
    EXPECT_TRUE(reboot.body.empty());
  }
  EXPECT_EQ(targets,
            (std::multiset<std::string>{"/RebootServer.cgi?SessionID=S1", "/RebootServer.cgi"}));
  EXPECT_TRUE(SentOptions().empty());
  server->Stop();
  EXPECT_EQ(RunSheet([&](CSysConfPropSheet& s) {
              s.OnReboot();
              rebootAndWait(s);
              EXPECT_TRUE(s.GetDlgItem(CSysConfPropSheet::IDC_REBOOT)->isEnabled());
            }),
            kNotEnded);
  EXPECT_EQ(Messages(), std::vector<std::string>{Text(4065)});
}

TEST_F(ApplyTest, RebootWaitsOnTheSheetsWorkerAndIgnoresAnEndedRequest) {
  ASSERT_EQ(Load(), 1);
  CSysConfPropSheet& s = NewSheet();
  const auto buttonsEnabled = [&] {
    return s.GetDlgItem(CSysConfPropSheet::IDC_EXIT)->isEnabled() ||
           s.GetDlgItem(CSysConfPropSheet::IDC_APPLY)->isEnabled() ||
           s.GetDlgItem(CSysConfPropSheet::IDC_REBOOT)->isEnabled();
  };
  // The press returns at once with the request on the worker; a second press changes nothing;
  // the request's own answer ends the run.
  EXPECT_EQ(
      RunSheet([&](CSysConfPropSheet& sheet) {
        static_cast<QAbstractButton*>(sheet.GetDlgItem(CSysConfPropSheet::IDC_REBOOT))->click();
        EXPECT_TRUE(sheet.Rebooting());
        EXPECT_FALSE(buttonsEnabled());
        sheet.OnReboot();
        EXPECT_TRUE(sheet.Rebooting());
        ASSERT_TRUE(fakes::WaitUntil([&] { return !sheet.isVisible(); }));
      }),
      CSysConfPropSheet::kResultClosed);
  ASSERT_TRUE(server->WaitForRequests(1, std::chrono::seconds(10)));
  EXPECT_EQ(server->RequestsTo("/RebootServer.cgi").size(), 1u);
  EXPECT_FALSE(s.RebootWorker().IsRunning());
  // Closing the sheet while the request runs stops it; nothing of it arrives later. The request
  // is held until its stop, so the close always comes first.
  ports::SysConfEngine engine = RecordingEngine();
  std::atomic<int> reboots{0};
  engine.sessionCommand = [&](CgiIndex cgiIndex, const std::string&,
                              const platform::StopToken& stop) {
    EXPECT_EQ(cgiIndex, CgiIndex::kCgiRebootServer);
    ++reboots;
    platform::WaitAny({&stop.StopEvent()}, platform::kInfinite);
    return 1;
  };
  s.SetEngine(engine);
  EXPECT_EQ(RunSheet([&](CSysConfPropSheet& sheet) {
              sheet.OnReboot();
              ASSERT_TRUE(fakes::WaitUntil([&] { return reboots.load() == 1; }));
              sheet.CloseForLostConnection();
              ASSERT_TRUE(fakes::WaitUntil([&] { return !sheet.isVisible(); }));
            }),
            CSysConfPropSheet::kResultClosed);
  EXPECT_FALSE(s.Rebooting());
  EXPECT_FALSE(s.RebootWorker().IsRunning());
  // Its answer (sent, which would end a run) arrives and is dropped.
  ASSERT_TRUE(WaitForDroppedResults(s.RebootWorker()));
  // The next run starts with its buttons and no request.
  EXPECT_EQ(RunSheet([&](CSysConfPropSheet& sheet) {
              EXPECT_FALSE(sheet.Rebooting());
              EXPECT_FALSE(sheet.RebootWorker().IsRunning());
              EXPECT_TRUE(buttonsEnabled());
            }),
            kNotEnded);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(ApplyTest, SyncServerTimeTakesOnlyAcceptanceAsSuccess) {
  struct Case {
    int status;
    bool message;
  };
  const Case cases[] = {{200, false}, {202, true}, {208, true}, {404, true}};
  ASSERT_EQ(Load(), 1);
  for (const Case& c : cases) {
    fakes::SetSyncServerTimeStatus(*server, c.status);
    messages = std::make_shared<platform::testing::FakeMessageBox>();
    scopedBox.emplace(messages);
    RunSheet([](CSysConfPropSheet& s) {
      s.SetActivePage(&s.m_SntpPage);
      CSNTPPage& page = s.m_SntpPage;
      static_cast<QAbstractButton*>(page.GetDlgItem(CSNTPPage::IDC_SYNC_SERVER_TIME))->click();
      ASSERT_TRUE(fakes::WaitUntil([&] { return !page.Syncing(); }));
      EXPECT_TRUE(page.GetDlgItem(CSNTPPage::IDC_SYNC_SERVER_TIME)->isEnabled());
      EXPECT_FALSE(page.SyncWorker().IsRunning());
    });
    EXPECT_EQ(Messages().size(), c.message ? 1u : 0u) << c.status;
  }
  const auto syncs = server->RequestsTo("/SyncServerTime.cgi");
  ASSERT_EQ(syncs.size(), 4u);
  EXPECT_EQ(syncs[0].target, "/SyncServerTime.cgi?SessionID=S1");
}

TEST_F(ApplyTest, AStalledSyncServerTimeLeavesTheSheetWorkingAndEndsWithIt) {
  ASSERT_EQ(Load(), 1);
  server->SetHandler("/SyncServerTime.cgi", [](const fakes::RecordedRequest&) {
    fakes::FakeReply reply = fakes::SyncServerTimeReply(200);
    reply.delay = std::chrono::seconds(30);
    return reply;
  });
  CSysConfPropSheet& s = NewSheet();
  const int result = RunSheet([&](CSysConfPropSheet& sheet) {
    CSNTPPage& page = sheet.m_SntpPage;
    ASSERT_TRUE(sheet.SetActivePage(&page));
    auto* sync = static_cast<QAbstractButton*>(page.GetDlgItem(CSNTPPage::IDC_SYNC_SERVER_TIME));
    sync->click();
    // The press has returned while the server holds the request.
    ASSERT_TRUE(
        fakes::WaitUntil([&] { return server->RequestsTo("/SyncServerTime.cgi").size() == 1; }));
    EXPECT_TRUE(page.Syncing());
    EXPECT_TRUE(page.SyncWorker().IsRunning());
    EXPECT_FALSE(sync->isEnabled());
    EXPECT_TRUE(sheet.GetDlgItem(CSysConfPropSheet::IDC_APPLY)->isEnabled());
    Type(page, CSNTPPage::IDC_TIME_SERVER, "pool.example.org");
    // A second press meanwhile sends nothing.
    page.OnSyncServerTime();
    EXPECT_TRUE(page.SyncWorker().IsRunning());
    EXPECT_EQ(page.SyncWorker().DroppedResults(), 0);
    EXPECT_EQ(server->RequestsTo("/SyncServerTime.cgi").size(), 1u);
    sheet.CloseForLostConnection();
    ASSERT_TRUE(fakes::WaitUntil([&] { return !sheet.isVisible(); }));
  });
  EXPECT_EQ(result, CSysConfPropSheet::kResultClosed);
  CSNTPPage& page = s.m_SntpPage;
  EXPECT_FALSE(page.Syncing());
  EXPECT_FALSE(page.SyncWorker().IsRunning());
  // The stopped request changes nothing later: its answer arrives and is dropped, no message.
  ASSERT_TRUE(WaitForDroppedResults(page.SyncWorker()));
  EXPECT_TRUE(Messages().empty());
  // Reopened, the key works again.
  fakes::SetSyncServerTimeStatus(*server, 202);
  RunSheet([&](CSysConfPropSheet& sheet) {
    ASSERT_TRUE(sheet.SetActivePage(&sheet.m_SntpPage));
    EXPECT_TRUE(page.GetDlgItem(CSNTPPage::IDC_SYNC_SERVER_TIME)->isEnabled());
    page.OnSyncServerTime();
    ASSERT_TRUE(fakes::WaitUntil([&] { return !page.Syncing(); }));
  });
  EXPECT_EQ(server->RequestsTo("/SyncServerTime.cgi").size(), 2u);
  EXPECT_EQ(Messages(), std::vector<std::string>{Text(4065)});
}

TEST_F(ApplyTest, ALostConnectionEndsTheRunWithZeroWhateverThePageSays) {
  ASSERT_EQ(Load(), 1);
  CSysConfPropSheet& s = NewSheet();
  s.m_bOpen = 1;
  const int result = RunSheet([&](CSysConfPropSheet& sheet) {
    // The page would refuse to be left.
    Type(sheet.m_NetworkPage, NetworkConfigPage::IDC_WEB_PORT, "");
    sheet.CloseForLostConnection();
    sheet.CloseForLostConnection();  // a second report of the loss changes nothing
    fakes::PumpEvents();
  });
  EXPECT_EQ(result, CSysConfPropSheet::kResultClosed);
  EXPECT_EQ(s.m_bOpen, 0u);
  EXPECT_TRUE(Messages().empty());
  EXPECT_TRUE(SentOptions().empty());
  // A close after the run closes nothing, then or later.
  s.m_bOpen = 1;
  s.CloseForLostConnection();
  EXPECT_EQ(s.m_bOpen, 1u);
  EXPECT_EQ(RunSheet([](CSysConfPropSheet&) { fakes::PumpEvents(); }), kNotEnded);
}

TEST_F(ApplyTest, TheSheetsButtonsAndPages) {
  ASSERT_EQ(Load(), 1);
  CSysConfPropSheet& s = NewSheet();
  EXPECT_EQ(s.windowTitle(), "System Config");
  EXPECT_FALSE(s.windowFlags() & Qt::WindowCloseButtonHint);
  RunSheet([](CSysConfPropSheet& sheet) {
    const int w = sheet.width();
    const int h = sheet.height();
    const std::pair<int, int> buttons[] = {{CSysConfPropSheet::IDC_EXIT, 270},
                                           {CSysConfPropSheet::IDC_APPLY, 180},
                                           {CSysConfPropSheet::IDC_REBOOT, 90}};
    for (const auto& [id, right] : buttons) {
      QWidget* button = sheet.GetDlgItem(id);
      ASSERT_NE(button, nullptr);
      EXPECT_EQ(button->geometry(), QRect(w - right, h - 27, 80, 22)) << id;
      EXPECT_TRUE(button->isVisible());
    }
    for (int id : {ui::IDOK, ui::IDCANCEL, ui::IDHELP, ui::ID_APPLY_NOW})
      EXPECT_FALSE(sheet.GetDlgItem(id)->isVisible()) << id;
    EXPECT_EQ(sheet.DisableButtons(), 1);
    EXPECT_FALSE(sheet.GetDlgItem(CSysConfPropSheet::IDC_APPLY)->isEnabled());
    EXPECT_EQ(sheet.EnableButtons(), 1);
    EXPECT_TRUE(sheet.GetDlgItem(CSysConfPropSheet::IDC_REBOOT)->isEnabled());
    // The tree: three top items, each itself a page, with their children in page order.
    QTreeWidget* tree = sheet.GetPageTreeControl();
    ASSERT_EQ(tree->topLevelItemCount(), 3);
    const std::pair<QString, QStringList> nodes[] = {
        {"Network", {"DDNS", "SNTP", "FTP", "Mail"}},
        {"General", {"Peripheral", "Account ", "File Path", "Schedule Record", "Trigger"}},
        {"Information", {"Log File", "Event Record List"}}};
    for (int i = 0; i < 3; ++i) {
      QTreeWidgetItem* item = tree->topLevelItem(i);
      EXPECT_EQ(item->text(0), nodes[i].first);
      QStringList children;
      for (int c = 0; c < item->childCount(); ++c)
        children << item->child(c)->text(0);
      EXPECT_EQ(children, nodes[i].second);
    }
    // Fourteen pages in the constructor's order; each writes its code when it becomes active.
    const std::pair<ui::CPropertyPage*, int> codes[] = {
        {&sheet.m_NetworkPage, 0},      {&sheet.m_DnsPage, 4096},     {&sheet.m_SntpPage, 2048},
        {&sheet.m_FtpPage, 32},         {&sheet.m_MailPage, 16},      {&sheet.m_PentaPage, 1},
        {&sheet.m_PeripheralPage, 512}, {&sheet.m_AccountPage, 1024}, {&sheet.m_RecordPage, 256},
        {&sheet.m_SchedulePage, 128},   {&sheet.m_AlarmPage, 8},      {&sheet.m_OnlineUserPage, 2},
        {&sheet.m_LogPage, 4},          {&sheet.m_AlarmDataPage, 64}};
    ASSERT_EQ(sheet.GetPageCount(), 14);
    for (int i = 0; i < 14; ++i)
      EXPECT_EQ(sheet.GetPage(i), codes[i].first) << i;
    for (const auto& [page, code] : codes) {
      sheet.SetActivePage(page);
      EXPECT_EQ(sheet.SysConfPageCode, code);
      EXPECT_EQ(sheet.PageOfCode(code), page);
    }
    // Built, never added.
    for (ui::CPropertyPage* page : std::initializer_list<ui::CPropertyPage*>{
             &sheet.m_ToolBoxPage, &sheet.m_Q4TPeripheralPage, &sheet.m_AlarmTriggerPage,
             &sheet.m_PentaCmdPage})
      EXPECT_EQ(sheet.GetPageIndex(page), -1);
    EXPECT_EQ(sheet.PageOfCode(3), nullptr);
  });
}

TEST_F(ApplyTest, TheMailListHoldsFiveAddresses) {
  ASSERT_EQ(Load(), 1);
  runner->ScriptHandler("CMailAccountEditDlg", [](ui::UiDialog& d) {
    static_cast<CMailAccountEditDlg&>(d).m_strAddress = "x@example.com";
    return ui::IDOK;
  });
  RunSheet([](CSysConfPropSheet& s) {
    s.SetActivePage(&s.m_MailPage);
    for (int i = 0; i < 4; ++i)
      s.m_MailPage.OnAdd();
    auto* list = Ctl<ui::ListCtrl>(s.m_MailPage, MailPropertyPage::IDC_ADDRESS_LIST);
    EXPECT_EQ(list->GetItemCount(), 5);
    s.m_MailPage.OnEdit();    // nothing selected
    s.m_MailPage.OnDelete();  // nothing selected
  });
  EXPECT_EQ(Messages(), (std::vector<std::string>{Text(4041), Text(4089), Text(4088)}));
  EXPECT_EQ(runner->Runs().size(), 3u);
}

TEST_F(ApplyTest, FtpSitesAreKeptInTheListThroughTheEntryFields) {
  ASSERT_EQ(Load(), 1);
  RunSheet([](CSysConfPropSheet& s) {
    FTPPropertyPage& p = s.m_FtpPage;
    s.SetActivePage(&p);
    p.OnAdd();
    EXPECT_FALSE(p.GetDlgItem(FTPPropertyPage::IDC_SERVER)->isHidden());
    EXPECT_FALSE(p.GetDlgItem(FTPPropertyPage::IDC_ADD)->isEnabled());
    EXPECT_EQ(Ctl<QLineEdit>(p, FTPPropertyPage::IDC_PORT)->text(), "21");
    EXPECT_EQ(Ctl<QLineEdit>(p, FTPPropertyPage::IDC_SERVER)->text(), "");
    Type(p, FTPPropertyPage::IDC_SERVER, "ftp.a.net");
    Type(p, FTPPropertyPage::IDC_USER, "a");
    Type(p, FTPPropertyPage::IDC_PASSWORD, "pa");
    p.OnEntryOk();
    auto* list = Ctl<ui::ListCtrl>(p, FTPPropertyPage::IDC_SITE_LIST);
    ASSERT_EQ(list->GetItemCount(), 1);
    EXPECT_EQ(list->GetItemText(0, 0), "a");
    EXPECT_EQ(list->GetItemText(0, 1), "ftp.a.net");
    EXPECT_EQ(list->GetItemText(0, 2), "21");
    EXPECT_TRUE(p.GetDlgItem(FTPPropertyPage::IDC_SERVER)->isHidden());
    p.OnAdd();
    p.OnEntryOk();  // nothing typed
    list->SelectItem(0);
    p.OnEdit();
    EXPECT_EQ(Ctl<QLineEdit>(p, FTPPropertyPage::IDC_SERVER)->text(), "ftp.a.net");
    p.OnEntryOk();  // the password is not in the list: the failed add left it empty
    p.OnEdit();
    Type(p, FTPPropertyPage::IDC_PASSWORD, "pa");
    Type(p, FTPPropertyPage::IDC_PORT, "2100");
    p.OnEntryOk();
    EXPECT_EQ(list->GetItemText(0, 2), "2100");
    p.OnDelete();
    EXPECT_EQ(list->GetItemCount(), 0);
    p.OnDelete();
  });
  EXPECT_EQ(Messages(), (std::vector<std::string>{Text(4003), Text(4023), Text(4045), Text(4088)}));
}

}  // namespace
