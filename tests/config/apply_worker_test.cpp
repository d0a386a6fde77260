// APPLY's record sends on the sheet's worker: a server that holds a send leaves the sheet
// working (controls and buttons disabled, presses ignored), the close and EXIT end a stalled
// APPLY with nothing sent after, and the messages of refused steps appear in their order.
#include <QAbstractButton>
#include <QCoreApplication>
#include <QTest>
#include <atomic>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "config_fixture.h"
#include "net/config_records.h"
#include "page_controls.h"

namespace {

using config_testing::ConfigTest;
using config_testing::Ctl;
using config_testing::Pick;
using config_testing::Type;
using config_testing::WaitForDroppedResults;

constexpr auto kStall = std::chrono::seconds(30);

void ShowAllPages(CSysConfPropSheet& s) {
  for (int i = s.GetPageCount() - 1; i >= 0; --i)
    ASSERT_TRUE(s.SetActivePage(i));
}

// Changes the DNS, Mail, FTP and Network records, so APPLY has four records to send.
void ChangeFourRecords(CSysConfPropSheet& sheet) {
  Type(sheet.m_DnsPage, CDNSPage::IDC_DDNS_DOMAIN, "new.dyndns.org");
  Type(sheet.m_MailPage, MailPropertyPage::IDC_SERVER, "smtp2.example.net");
  Type(sheet.m_FtpPage, FTPPropertyPage::IDC_DIRECTORY, "/new");
  Type(sheet.m_NetworkPage, NetworkConfigPage::IDC_STREAM_PORT, "6000");
}

bool ButtonEnabled(CSysConfPropSheet& s, int id) {
  return s.GetDlgItem(id)->isEnabled();
}

// Records the boxes like the fake box and runs a hook while a box is "open" (as a real box's
// own event loop would run the window's messages).
class HookedMessageBox final : public platform::IMessageBox {
 public:
  explicit HookedMessageBox(std::shared_ptr<platform::testing::FakeMessageBox> boxes)
      : m_boxes(std::move(boxes)) {}
  int Show(std::string_view text, std::string_view caption, std::uint32_t flags) override {
    const int answer = m_boxes->Show(text, caption, flags);
    if (onShow)
      std::exchange(onShow, {})();
    return answer;
  }
  std::function<void()> onShow;

 private:
  std::shared_ptr<platform::testing::FakeMessageBox> m_boxes;
};

class ApplyWorkerTest : public ConfigTest {
 public:
  bool WaitForSends(std::size_t count) const {
    return fakes::WaitUntil([&] { return server->RequestsTo("/SetSysCfg.cgi").size() >= count; });
  }
};

TEST_F(ApplyWorkerTest, AStalledSendLeavesTheSheetWorkingAndTheCloseEndsItWithNothingSentAfter) {
  ASSERT_EQ(Load(), 1);
  fakes::StallSetSysCfg(*server, {"SMTP"}, kStall);
  CSysConfPropSheet& s = NewSheet();
  const int result = RunSheet([this](CSysConfPropSheet& sheet) {
    ShowAllPages(sheet);
    ChangeFourRecords(sheet);
    sheet.OnApply();
    // OnApply has returned while the server holds the second send.
    ASSERT_TRUE(WaitForSends(2));
    EXPECT_TRUE(sheet.Applying());
    EXPECT_TRUE(sheet.ApplyWorker().IsRunning());
    for (int id : {CSysConfPropSheet::IDC_EXIT, CSysConfPropSheet::IDC_APPLY,
                   CSysConfPropSheet::IDC_REBOOT}) {
      EXPECT_FALSE(ButtonEnabled(sheet, id)) << id;
    }
    // The pages take no input while their values are being applied.
    EXPECT_FALSE(Ctl<QLineEdit>(sheet.m_FtpPage, FTPPropertyPage::IDC_DIRECTORY)->isEnabled());
    // The window answers: its messages and timers run, and it paints.
    bool ticked = false;
    QTimer::singleShot(0, &sheet, [&] { ticked = true; });
    ASSERT_TRUE(fakes::WaitUntil([&] { return ticked; }));
    EXPECT_FALSE(sheet.grab().isNull());
    // Presses meanwhile are ignored: no second APPLY, no reboot.
    static_cast<QAbstractButton*>(sheet.GetDlgItem(CSysConfPropSheet::IDC_APPLY))->click();
    sheet.OnApply();
    sheet.OnReboot();
    EXPECT_FALSE(sheet.Rebooting());
    EXPECT_FALSE(sheet.RebootWorker().IsRunning());
    EXPECT_TRUE(sheet.ApplyWorker().IsRunning());
    EXPECT_EQ(sheet.ApplyWorker().DroppedResults(), 0);
    EXPECT_EQ(server->RequestsTo("/SetSysCfg.cgi").size(), 2u);
    EXPECT_TRUE(server->RequestsTo("/RebootServer.cgi").empty());
    sheet.CloseForLostConnection();
    ASSERT_TRUE(fakes::WaitUntil([&] { return !sheet.isVisible(); }));
  });
  EXPECT_EQ(result, CSysConfPropSheet::kResultClosed);
  EXPECT_FALSE(s.Applying());
  EXPECT_FALSE(s.ApplyWorker().IsRunning());
  // The stopped send's answer arrives and is dropped; no step starts after it.
  ASSERT_TRUE(WaitForDroppedResults(s.ApplyWorker()));
  EXPECT_FALSE(s.Applying());
  EXPECT_FALSE(s.ApplyWorker().IsRunning());
  EXPECT_EQ(SentOptions(), (std::vector<std::string>{"DNS", "SMTP"}));
  // Nothing reported: no message, no reload, no new login (the streams were not paused).
  EXPECT_TRUE(Messages().empty());
  EXPECT_TRUE(calls.empty());

  // Reopened, the sheet applies again.
  fakes::StallSetSysCfg(*server, {}, kStall);
  const int again = RunSheet([](CSysConfPropSheet& sheet) {
    ASSERT_TRUE(sheet.SetActivePage(&sheet.m_FtpPage));
    Type(sheet.m_FtpPage, FTPPropertyPage::IDC_DIRECTORY, "/other");
    config_testing::ApplyAndWait(sheet);
  });
  EXPECT_EQ(again, CSysConfPropSheet::kResultApplied);
  EXPECT_EQ(SentOptions(), (std::vector<std::string>{"DNS", "SMTP", "FTP"}));
  EXPECT_EQ(calls, std::vector<std::string>{"ReadAll"});
  EXPECT_TRUE(Messages().empty());
}

// The same over a scripted sheet engine, no server: the steps call the port's setRecord one
// after another, each once the one before has answered; the call held until its stop is cut by
// the close, its answer reaches nothing and no step calls again. The port records each call on
// the worker as it begins.
TEST_F(ApplyWorkerTest, TheStepsCallThePortInOrderAndTheCloseCutsTheHeldCall) {
  ASSERT_EQ(Load(), 1);
  ports::SysConfEngine engine = RecordingEngine();
  std::mutex lock;
  std::vector<std::string> sends;
  std::atomic<bool> stopSeen{false};
  engine.setRecord = [&](std::uint8_t option, std::span<const std::uint8_t>, int,
                         const platform::StopToken& stop) {
    {
      const std::lock_guard guard(lock);
      sends.emplace_back(ConfigOptionNames[option]);
    }
    if (option != kConfigSmtp)
      return 1;
    platform::WaitAny({&stop.StopEvent()}, platform::kInfinite);
    stopSeen = true;
    return 1;
  };
  CSysConfPropSheet& s = NewSheet();
  s.SetEngine(engine);
  const int result = RunSheet([&](CSysConfPropSheet& sheet) {
    ShowAllPages(sheet);
    ChangeFourRecords(sheet);
    sheet.OnApply();
    ASSERT_TRUE(fakes::WaitUntil([&] {
      const std::lock_guard guard(lock);
      return sends.size() == 2;
    }));
    EXPECT_TRUE(sheet.Applying());
    sheet.CloseForLostConnection();
    ASSERT_TRUE(fakes::WaitUntil([&] { return !sheet.isVisible(); }));
  });
  EXPECT_EQ(result, CSysConfPropSheet::kResultClosed);
  EXPECT_TRUE(stopSeen.load());
  ASSERT_TRUE(WaitForDroppedResults(s.ApplyWorker()));
  EXPECT_FALSE(s.Applying());
  EXPECT_FALSE(s.ApplyWorker().IsRunning());
  EXPECT_EQ(sends, (std::vector<std::string>{"DNS", "SMTP"}));
  EXPECT_TRUE(SentOptions().empty());
  EXPECT_TRUE(Messages().empty());
  EXPECT_TRUE(calls.empty());
}

TEST_F(ApplyWorkerTest, EscapeDuringAStalledIpSendEndsInANewLoginAndKeepsTheAddress) {
  ASSERT_EQ(Load(), 1);
  fakes::StallSetSysCfg(*server, {"IP"}, kStall);
  const std::uint16_t port = server->WebPort();
  const int result = RunSheet([this](CSysConfPropSheet& sheet) {
    Type(sheet.m_NetworkPage, NetworkConfigPage::IDC_WEB_PORT, "8080");
    ASSERT_TRUE(sheet.SetActivePage(&sheet.m_PentaPage));
    Pick(sheet.m_PentaPage, C2ChSetPentaPage::IDC_BIT_RATE, 6);
    sheet.OnApply();
    ASSERT_TRUE(WaitForSends(1));
    EXPECT_TRUE(sheet.Applying());
    // Escape is EXIT: it stops the APPLY and ends the run.
    QTest::keyClick(&sheet, Qt::Key_Escape);
    ASSERT_TRUE(fakes::WaitUntil([&] { return !sheet.isVisible(); }));
  });
  EXPECT_EQ(result, CSysConfPropSheet::kResultClosed);
  EXPECT_FALSE(sheet->Applying());
  ASSERT_TRUE(WaitForDroppedResults(sheet->ApplyWorker()));
  EXPECT_FALSE(sheet->ApplyWorker().IsRunning());
  // The video step never ran; the paused streams still end in a new login, and the client
  // keeps its web port (the server never accepted the new one).
  EXPECT_EQ(SentOptions(), std::vector<std::string>{"IP"});
  EXPECT_EQ(calls, (std::vector<std::string>{"PauseStreams(3)", "MessageTrigger(1)"}));
  EXPECT_EQ(environment.WebPort(), port);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(ApplyWorkerTest, RefusedStepsShowTheirMessagesInTheStepOrder) {
  ASSERT_EQ(Load(), 1);
  fakes::RefuseSetSysCfg(*server, {"DNS", "FTP", "SECURE", "PENTA"});
  const int result = RunSheet([](CSysConfPropSheet& s) {
    ShowAllPages(s);
    Type(s.m_DnsPage, CDNSPage::IDC_DDNS_DOMAIN, "new.dyndns.org");
    Type(s.m_MailPage, MailPropertyPage::IDC_SERVER, "smtp2.example.net");
    Type(s.m_FtpPage, FTPPropertyPage::IDC_DIRECTORY, "/new");
    Type(s.m_AccountPage, AccountPropertyPage::IDC_MAX_USERS, "7");
    Type(s.m_NetworkPage, NetworkConfigPage::IDC_STREAM_PORT, "6000");
    Pick(s.m_PentaPage, C2ChSetPentaPage::IDC_BIT_RATE, 6);
    config_testing::ApplyAndWait(s);
  });
  EXPECT_EQ(result, CSysConfPropSheet::kResultApplied);
  EXPECT_EQ(SentOptions(),
            (std::vector<std::string>{"DNS", "SMTP", "FTP", "SECURE", "IP", "PENTA"}));
  EXPECT_EQ(Messages(), (std::vector<std::string>{Text(4012), Text(4012), kSetSysConfigFailedText,
                                                  kSetSysConfigFailedText}));
  EXPECT_EQ(calls, (std::vector<std::string>{"PauseStreams(3)", "ReadAll", "MessageTrigger(1)"}));
}

TEST_F(ApplyWorkerTest, TheCloseWhileARefusalIsShownSendsNothingMore) {
  ASSERT_EQ(Load(), 1);
  auto hooked = std::make_shared<HookedMessageBox>(messages);
  scopedBox.reset();
  scopedBox.emplace(hooked);
  fakes::RefuseSetSysCfg(*server, {"DNS"});
  CSysConfPropSheet& s = NewSheet();
  hooked->onShow = [&s] {
    // The lost-connection close arrives while the box is open.
    s.CloseForLostConnection();
    QCoreApplication::processEvents();
  };
  const int result = RunSheet([](CSysConfPropSheet& sheet) {
    ShowAllPages(sheet);
    Type(sheet.m_DnsPage, CDNSPage::IDC_DDNS_DOMAIN, "new.dyndns.org");
    Type(sheet.m_MailPage, MailPropertyPage::IDC_SERVER, "smtp2.example.net");
    Type(sheet.m_NetworkPage, NetworkConfigPage::IDC_STREAM_PORT, "6000");
    sheet.OnApply();
    EXPECT_TRUE(fakes::WaitUntil([&] { return !sheet.Applying(); }));
  });
  EXPECT_EQ(result, CSysConfPropSheet::kResultClosed);
  EXPECT_FALSE(s.Applying());
  // The steps ended with the run while no send was under way: none starts after it.
  EXPECT_FALSE(s.ApplyWorker().IsRunning());
  EXPECT_EQ(SentOptions(), std::vector<std::string>{"DNS"});
  EXPECT_EQ(Messages(), std::vector<std::string>{Text(4012)});
  EXPECT_TRUE(calls.empty());
}

}  // namespace
