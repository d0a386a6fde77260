// The tabbed configuration sheet: its pages by the server's device type, its scaled buttons,
// its own order of the apply steps (in which the SNTP step also writes the zone row), and its
// reboot on the sheet's worker.
#include <QTest>

#include "config_fixture.h"
#include "page_controls.h"
#include "ui/config/sheets/my_system_dialog.h"

namespace {

using namespace config_testing;

class TabbedSheetTest : public ConfigTest {
 public:
  int Run(MySystemDialog& dialog, const std::function<void()>& body) {
    QTimer::singleShot(0, &dialog, [&] {
      body();
      if (dialog.IsInModalRun() && dialog.isVisible())
        dialog.EndDialog(kNotEnded);
    });
    return dialog.DoModal();
  }
  std::unique_ptr<MySystemDialog> NewDialog(std::uint8_t deviceType) {
    g_lpApp->m_byDeviceType = deviceType;
    auto dialog =
        std::make_unique<MySystemDialog>(RecordingEngine(), QStringLiteral("System Config"));
    return dialog;
  }
};

TEST_F(TabbedSheetTest, PagesFollowTheDeviceType) {
  const auto full = NewDialog('2');
  const std::vector<ui::CPropertyPage*> fullPages = {
      &full->m_PentaPage,  &full->m_OnlineUserPage, &full->m_LogPage,       &full->m_AlarmPage,
      &full->m_MailPage,   &full->m_FtpPage,        &full->m_AlarmDataPage, &full->m_SchedulePage,
      &full->m_RecordPage, &full->m_PeripheralPage, &full->m_AccountPage,   &full->m_NetworkPage,
      &full->m_SntpPage,   &full->m_DnsPage};
  ASSERT_EQ(full->GetPageCount(), 14);
  for (int i = 0; i < 14; ++i)
    EXPECT_EQ(full->GetPage(i), fullPages[static_cast<std::size_t>(i)]) << i;
  EXPECT_EQ(full->windowTitle(), "System Config");

  const auto other = NewDialog('q');
  const std::vector<ui::CPropertyPage*> otherPages = {
      &other->m_MailPage,     &other->m_FtpPage,        &other->m_RecordPage,
      &other->m_AccountPage,  &other->m_OnlineUserPage, &other->m_AlarmPage,
      &other->m_SchedulePage, &other->m_AlarmDataPage};
  ASSERT_EQ(other->GetPageCount(), 8);
  for (int i = 0; i < 8; ++i)
    EXPECT_EQ(other->GetPage(i), otherPages[static_cast<std::size_t>(i)]) << i;

  MySystemDialog empty(ports::SysConfEngine::Defaults());
  EXPECT_EQ(empty.GetPageCount(), 0);
}

TEST_F(TabbedSheetTest, ButtonsLieAlongTheLeftScaledByTheDisplay) {
  const auto at = [](int h, double scale) {
    std::vector<QRect> rects;
    for (const auto& place : MySystemDialog::ButtonPlaces(h, scale))
      rects.push_back(place.rect);
    return rects;
  };
  EXPECT_EQ(at(500, 1.0), (std::vector<QRect>{QRect(10, 473, 70, 22), QRect(140, 473, 80, 22),
                                              QRect(277, 473, 80, 22)}));
  // Each term is cut on its own: 27 * 1.25 = 33.75 -> 33, 22 * 1.25 = 27.5 -> 27.
  EXPECT_EQ(at(500, 1.25), (std::vector<QRect>{QRect(12, 467, 87, 27), QRect(175, 467, 100, 27),
                                               QRect(346, 467, 100, 27)}));
  ASSERT_EQ(Load(), 1);
  g_lpApp->m_fDisplayScale = 1.25f;
  const auto dialog = NewDialog('2');
  Run(*dialog, [&] {
    const auto places = MySystemDialog::ButtonPlaces(dialog->height(), 1.25);
    for (const auto& place : places) {
      QWidget* button = dialog->GetDlgItem(place.id);
      ASSERT_NE(button, nullptr);
      EXPECT_EQ(button->geometry(), place.rect);
      EXPECT_TRUE(button->isVisible());
    }
    for (int id : {ui::IDOK, ui::IDCANCEL, ui::IDHELP, ui::ID_APPLY_NOW})
      EXPECT_FALSE(dialog->GetDlgItem(id)->isVisible()) << id;
    EXPECT_EQ(dialog->DisableButtons(), 1);
    EXPECT_FALSE(dialog->GetDlgItem(MySystemDialog::IDC_APPLY)->isEnabled());
    EXPECT_EQ(dialog->EnableButtons(), 1);
    dialog->SetActivePage(&dialog->m_LogPage);
    EXPECT_EQ(dialog->SysConfPageCode, 4);
  });
}

TEST_F(TabbedSheetTest, ApplyRunsItsOwnOrder) {
  ASSERT_EQ(Load(), 1);
  const auto dialog = NewDialog('2');
  const int result = Run(*dialog, [&] {
    MySystemDialog& d = *dialog;
    for (int i = d.GetPageCount() - 1; i >= 0; --i)
      ASSERT_TRUE(d.SetActivePage(i));
    Pick(d.m_PentaPage, C2ChSetPentaPage::IDC_BIT_RATE, 6);
    Type(d.m_NetworkPage, NetworkConfigPage::IDC_STREAM_PORT, "6000");
    Type(d.m_NetworkPage, NetworkConfigPage::IDC_PPPOE_USER, "other");
    Type(d.m_OnlineUserPage, COnlineUserPage::IDC_HOST_NAME, "camera-7");
    Type(d.m_PeripheralPage, CPeripheralPage::IDC_ID1, "7");
    Type(d.m_AccountPage, AccountPropertyPage::IDC_MAX_USERS, "7");
    Pick(d.m_SntpPage, CSNTPPage::IDC_TIME_ZONE, 3);
    Type(d.m_FtpPage, FTPPropertyPage::IDC_DIRECTORY, "/new");
    Type(d.m_MailPage, MailPropertyPage::IDC_SERVER, "smtp2.example.net");
    Click(d.m_AlarmPage, AlarmPropertyPage::IDC_FTP);
    Type(d.m_DnsPage, CDNSPage::IDC_DDNS_DOMAIN, "new.dyndns.org");
    config_testing::ApplyAndWait(d);
  });
  EXPECT_EQ(result, MySystemDialog::kResultApplied);
  EXPECT_EQ(SentOptions(),
            (std::vector<std::string>{"PPPOE", "IP", "DNS", "TRIGGER", "SMTP", "FTP", "SNTP",
                                      "SECURE", "RS485", "PENTA", "SYSTEM"}));
  EXPECT_EQ(calls, (std::vector<std::string>{"PauseStreams(3)", "ReadAll", "MessageTrigger(1)"}));
  // The zone row travels with its offsets.
  const auto sntp = Sent("SNTP");
  ASSERT_TRUE(sntp.has_value());
  EXPECT_EQ(sntp->at(39), 3);
}

TEST_F(TabbedSheetTest, EscapeDuringAStalledSendEndsTheApplyWithNothingSentAfter) {
  ASSERT_EQ(Load(), 1);
  fakes::StallSetSysCfg(*server, {"DNS"}, std::chrono::seconds(30));
  const auto dialog = NewDialog('2');
  const int result = Run(*dialog, [&] {
    MySystemDialog& d = *dialog;
    ASSERT_TRUE(d.SetActivePage(&d.m_MailPage));
    Type(d.m_MailPage, MailPropertyPage::IDC_SERVER, "smtp2.example.net");
    ASSERT_TRUE(d.SetActivePage(&d.m_DnsPage));
    Type(d.m_DnsPage, CDNSPage::IDC_DDNS_DOMAIN, "new.dyndns.org");
    d.OnApply();
    ASSERT_TRUE(fakes::WaitUntil([&] { return !server->RequestsTo("/SetSysCfg.cgi").empty(); }));
    EXPECT_TRUE(d.Applying());
    EXPECT_FALSE(d.GetDlgItem(MySystemDialog::IDC_APPLY)->isEnabled());
    EXPECT_FALSE(d.GetDlgItem(MySystemDialog::IDC_EXIT)->isEnabled());
    QTest::keyClick(&d, Qt::Key_Escape);
    ASSERT_TRUE(fakes::WaitUntil([&] { return !d.isVisible(); }));
  });
  EXPECT_EQ(result, ui::IDCANCEL);
  EXPECT_FALSE(dialog->Applying());
  EXPECT_FALSE(dialog->ApplyWorker().IsRunning());
  // The stopped send's answer arrives and is dropped; no step starts after it.
  ASSERT_TRUE(config_testing::WaitForDroppedResults(dialog->ApplyWorker()));
  EXPECT_FALSE(dialog->Applying());
  EXPECT_EQ(SentOptions(), std::vector<std::string>{"DNS"});
  EXPECT_TRUE(calls.empty());
  EXPECT_TRUE(Messages().empty());
}

TEST_F(TabbedSheetTest, ExitAndAnUntouchedApply) {
  ASSERT_EQ(Load(), 1);
  auto dialog = NewDialog('q');
  EXPECT_EQ(Run(*dialog, [&] { dialog->OnExit(); }), MySystemDialog::kResultClosed);
  EXPECT_EQ(Run(*dialog,
                [&] {
                  for (int i = 0; i < dialog->GetPageCount(); ++i)
                    dialog->SetActivePage(i);
                  config_testing::ApplyAndWait(*dialog);
                }),
            MySystemDialog::kResultApplied);
  EXPECT_TRUE(SentOptions().empty());
  EXPECT_EQ(calls, std::vector<std::string>{"ReadAll"});
}

TEST_F(TabbedSheetTest, RebootEndsTheRunOnceSentAndReportsAFailure) {
  ASSERT_EQ(Load(), 1);
  auto dialog = NewDialog('q');
  const auto rebootButton = [&] { return dialog->GetDlgItem(MySystemDialog::IDC_REBOOT); };
  EXPECT_EQ(Run(*dialog,
                [&] {
                  static_cast<QAbstractButton*>(rebootButton())->click();
                  EXPECT_TRUE(dialog->Rebooting());
                  EXPECT_FALSE(rebootButton()->isEnabled());
                  ASSERT_TRUE(fakes::WaitUntil([&] { return !dialog->isVisible(); }));
                }),
            MySystemDialog::kResultClosed);
  ASSERT_TRUE(server->WaitForRequests(1, std::chrono::seconds(10)));
  EXPECT_EQ(server->RequestsTo("/RebootServer.cgi").size(), 1u);
  EXPECT_FALSE(dialog->RebootWorker().IsRunning());
  server->Stop();
  EXPECT_EQ(Run(*dialog,
                [&] {
                  dialog->OnReboot();
                  ASSERT_TRUE(fakes::WaitUntil([&] { return !dialog->Rebooting(); }));
                  EXPECT_TRUE(rebootButton()->isEnabled());
                }),
            kNotEnded);
  EXPECT_EQ(Messages(), std::vector<std::string>{Text(4065)});
}

}  // namespace
