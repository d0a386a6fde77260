// The LAN search dialog offscreen against the fake LAN responder: rows and indices, caption,
// Escape, SEARCH AGAIN, APPLY and RESET DEFAULT with each kind of answer, the refusals that send
// nothing, and the login window taking the chosen server over. Time is a manual clock.
#include "ui/login/search_dlg.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <chrono>

#include "fakes/fake_lan_responder.h"
#include "fakes/hand_ticks.h"
#include "login_test_support.h"
#include "platform/testing/manual_clock.h"
#include "ui/common/list_ctrl.h"
#include "ui/common/testing/scripted_modal_runner.h"
#include "ui/common/vtx_button.h"
#include "ui/login/confirm_authority_dlg.h"
#include "ui/login/login_dialog.h"
#include "ui/login/login_layout.h"

namespace {

using fakes::FakeLanDevice;
using fakes::FakeLanResponder;
using fakes::WaitUntil;
using login_test::RunModalWith;
using namespace std::chrono_literals;
using namespace ui::login;

FakeLanDevice Device(std::uint8_t last, std::uint8_t kind, std::uint16_t port) {
  FakeLanDevice device;
  device.kind = kind;
  device.mac = {0x00, 0x0E, 0x53, 0x12, 0xAB, last};
  device.ip = {192, 168, 1, last};
  device.netMask = {255, 255, 255, 0};
  device.gateway = {192, 168, 1, 1};
  device.dns = {192, 168, 1, 2};
  device.port = port;
  return device;
}

class SearchDialogTest : public login_test::LoginUiTest {
 protected:
  void SetUp() override {
    LoginUiTest::SetUp();
    net::LanSearchSettings settings;
    settings.destinationAddress = "127.0.0.1";
    settings.destinationPort = m_responder.Port();
    settings.sendPort = 0;
    settings.receivePort = 0;
    settings.clock = &m_clock;
    settings.onReceiveBound = [this](std::uint16_t port) { m_responder.SetAnswerPort(port); };
    net::SetLanSearchSettings(settings);
    m_runner->ScriptHandler(QStringLiteral("CConfirmAuthorityDlg"), [this](ui::UiDialog& dialog) {
      auto& confirm = static_cast<CConfirmAuthorityDlg&>(dialog);
      confirm.m_strUserName = m_user;
      confirm.m_strPassword = m_password;
      return m_confirmResult;
    });
  }
  void TearDown() override {
    net::SetLanSearchSettings({});
    LoginUiTest::TearDown();
  }

  // Two servers will answer: an MPEG-4 video server (index 0, row 1) and a video server
  // (index 1, row 0). Set before the dialog opens (its search starts at once).
  void AnswerWithTwoServers() {
    m_responder.SetReplies(1, {{0ms, FakeLanResponder::SearchAnswer(Device(0x10, 0x01, 80))},
                               {0ms, FakeLanResponder::SearchAnswer(Device(0x11, 0x32, 8080))}});
  }
  // Waits for both answers and ends the search by the clock.
  void FindTwoServers(CSearchDlg& dialog) {
    ASSERT_TRUE(WaitUntil([&] { return dialog.Devices().size() == 2; }));
    m_clock.Advance(3000);
    ASSERT_TRUE(WaitUntil([&] { return !dialog.IsSearching(); }));
  }
  QLineEdit* Edit(CSearchDlg& dialog, int id) { return dialog.Controls().Get<QLineEdit>(id); }
  void Click(CSearchDlg& dialog, int id) {
    auto* button = dialog.Controls().Get<QPushButton>(id);
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->isEnabled()) << id;
    button->click();
  }
  ui::ListCtrl& List(CSearchDlg& dialog) {
    return *dialog.Controls().Get<ui::ListCtrl>(IDC_SEARCH_LIST);
  }
  std::string LastBox() { return Boxes().empty() ? std::string() : Boxes().back(); }
  // Waits for a command's answer; a command that gets none ends when the clock passes 7 s.
  void FinishCommand(CSearchDlg& dialog, std::size_t requestsBefore, bool answered) {
    ASSERT_TRUE(m_responder.WaitForRequests(requestsBefore + 1, 20s));
    if (!answered) {
      ASSERT_TRUE(WaitUntil([&] { return dialog.m_bChosen; }));
      m_clock.Advance(7000);
    }
    ASSERT_TRUE(WaitUntil([&] { return !dialog.IsCommandRunning(); }));
  }

  FakeLanResponder m_responder;
  platform::testing::ManualClock m_clock{5000};
  std::shared_ptr<ui::testing::ScriptedModalRunner> m_runner =
      std::make_shared<ui::testing::ScriptedModalRunner>();
  ui::testing::ScopedModalRunner m_scopedRunner{m_runner};
  QString m_user = QStringLiteral("admin");
  QString m_password = QStringLiteral("secret");
  int m_confirmResult = ui::IDOK;
};

TEST_F(SearchDialogTest, TwoServersListNewestOnTopAndOkChoosesTheSelectedOne) {
  AnswerWithTwoServers();
  fakes::HandTicks ticks;
  CSearchDlg dialog(ports::LoginEngine::Defaults());
  const int result = RunModalWith(dialog, [&] {
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("SEARCH"));
    EXPECT_FALSE(List(dialog).isEnabled());
    EXPECT_FALSE(dialog.GetDlgItem(ui::IDOK)->isEnabled());
    ASSERT_TRUE(dialog.Timers().IsRunning(kSearchCaptionTimer));
    EXPECT_EQ(dialog.Timers().Interval(kSearchCaptionTimer), 300);
    for (const char* caption :
         {" Search .", " Search ..", " Search ...", " Search ....", " Search ."}) {
      ticks.Fire(dialog, kSearchCaptionTimer);
      EXPECT_EQ(dialog.windowTitle(), QString::fromLatin1(caption));
    }
    FindTwoServers(dialog);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Stop_Search"));
    EXPECT_FALSE(dialog.Timers().IsRunning(kSearchCaptionTimer));
    for (const int id : {IDC_SEARCH_AGAIN, IDC_SEARCH_APPLY, IDC_SEARCH_RESET, ui::IDOK})
      EXPECT_TRUE(dialog.GetDlgItem(id)->isEnabled()) << id;
    EXPECT_TRUE(List(dialog).isEnabled());
    ui::ListCtrl& list = List(dialog);
    ASSERT_EQ(list.GetItemCount(), 2);
    EXPECT_EQ(list.headerItem()->text(0), QStringLiteral("IP"));
    EXPECT_EQ(list.headerItem()->text(3), QStringLiteral("DEVICE"));
    EXPECT_EQ(list.GetItemText(0, 0), QStringLiteral("192.168.1.17"));
    EXPECT_EQ(list.GetItemText(0, 1), QStringLiteral("00:0e:53:12:ab:11"));
    EXPECT_EQ(list.GetItemText(0, 2), QStringLiteral("8080"));
    EXPECT_EQ(list.GetItemText(0, 3), QStringLiteral("Video server"));
    EXPECT_EQ(list.GetItemText(1, 0), QStringLiteral("192.168.1.16"));
    EXPECT_EQ(list.GetItemText(1, 3), QStringLiteral("MPEG-4 video server"));
    // Selecting row 0 shows the second server (index 1).
    list.SelectItem(0);
    EXPECT_EQ(dialog.SelectedIndex(), 1);
    EXPECT_EQ(Edit(dialog, IDC_SEARCH_IP)->text(), QStringLiteral("192.168.1.17"));
    EXPECT_EQ(Edit(dialog, IDC_SEARCH_PORT)->text(), QStringLiteral("8080"));
    EXPECT_EQ(Edit(dialog, IDC_SEARCH_MASK)->text(), QStringLiteral("255.255.255.0"));
    EXPECT_EQ(Edit(dialog, IDC_SEARCH_GATEWAY)->text(), QStringLiteral("192.168.1.1"));
    EXPECT_EQ(Edit(dialog, IDC_SEARCH_DNS)->text(), QStringLiteral("192.168.1.2"));
    EXPECT_TRUE(Edit(dialog, IDC_SEARCH_IP)->isEnabled());
    // Escape does not close the window.
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
    Click(dialog, ui::IDOK);
  });
  EXPECT_EQ(result, ui::IDOK);
  EXPECT_TRUE(dialog.m_bChosen);
  EXPECT_EQ(dialog.m_strResultIp, QStringLiteral("192.168.1.17"));
  EXPECT_EQ(dialog.m_strResultMac, QStringLiteral("00:0e:53:12:ab:11"));
  EXPECT_EQ(dialog.m_nResultPort, 8080);
  EXPECT_FALSE(dialog.IsSearching());
}

TEST_F(SearchDialogTest, SilenceLeavesAnEmptyListAndSearchAgainSearchesAnew) {
  CSearchDlg dialog(ports::LoginEngine::Defaults());
  const int result = RunModalWith(dialog, [&] {
    ASSERT_TRUE(m_responder.WaitForRequests(1, 20s));
    m_clock.Advance(3000);
    ASSERT_TRUE(WaitUntil([&] { return !dialog.IsSearching(); }));
    EXPECT_EQ(List(dialog).GetItemCount(), 0);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Stop_Search"));
    // OK without a server chooses nothing; SEARCH AGAIN first.
    m_responder.SetReplies(1, {{0ms, FakeLanResponder::SearchAnswer(Device(0x20, 0x01, 80))}});
    Click(dialog, IDC_SEARCH_AGAIN);
    EXPECT_FALSE(List(dialog).isEnabled());
    EXPECT_TRUE(dialog.Timers().IsRunning(kSearchCaptionTimer));
    ASSERT_TRUE(WaitUntil([&] { return dialog.Devices().size() == 1; }));
    EXPECT_EQ(m_responder.Requests().size(), 2u);
    m_clock.Advance(3000);
    ASSERT_TRUE(WaitUntil([&] { return !dialog.IsSearching(); }));
    EXPECT_EQ(List(dialog).GetItemCount(), 1);
    EXPECT_EQ(dialog.Devices()[0].index, 0);
    Click(dialog, ui::IDOK);
  });
  EXPECT_EQ(result, ui::IDOK);
  EXPECT_FALSE(dialog.m_bChosen);  // no server was selected
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(SearchDialogTest, ClosingWhileSearchingStopsTheSearch) {
  CSearchDlg dialog(ports::LoginEngine::Defaults());
  const int result = RunModalWith(dialog, [&] {
    ASSERT_TRUE(m_responder.WaitForRequests(1, 20s));
    dialog.close();  // the close box still ends it
  });
  EXPECT_EQ(result, ui::IDCANCEL);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_FALSE(dialog.m_bChosen);
}

TEST_F(SearchDialogTest, ApplyAndResetReportEachAnswer) {
  const struct {
    const char* name;
    int button;
    std::vector<fakes::ScriptedDatagram> replies;
    bool answered;
    int message;
    const char* resultIp;  // APPLY reads the edits; RESET takes the fields as last read
  } cases[] = {
      {"apply, result 1",
       IDC_SEARCH_APPLY,
       {{0ms, FakeLanResponder::CommandAnswer(2, 1)}},
       true,
       4005,
       "10.0.0.5"},
      {"apply, result 0",
       IDC_SEARCH_APPLY,
       {{0ms, FakeLanResponder::CommandAnswer(2, 0)}},
       true,
       4004,
       "10.0.0.5"},
      {"apply, no answer", IDC_SEARCH_APPLY, {}, false, 4064, "10.0.0.5"},
      {"apply, a late search answer only",
       IDC_SEARCH_APPLY,
       {{0ms, FakeLanResponder::SearchAnswer(Device(0x30, 0x01, 80))}},
       false,
       4064,
       "10.0.0.5"},
      {"reset, result 1",
       IDC_SEARCH_RESET,
       {{0ms, FakeLanResponder::CommandAnswer(3, 1)}},
       true,
       4062,
       ""},
      {"reset, result 0",
       IDC_SEARCH_RESET,
       {{0ms, FakeLanResponder::CommandAnswer(3, 0)}},
       true,
       4081,
       ""},
      {"reset, result 2",
       IDC_SEARCH_RESET,
       {{0ms, FakeLanResponder::CommandAnswer(3, 2)}},
       true,
       4061,
       ""},
      {"reset, no answer", IDC_SEARCH_RESET, {}, false, 4064, "192.168.1.16"},
  };
  AnswerWithTwoServers();
  CSearchDlg dialog(ports::LoginEngine::Defaults());
  RunModalWith(dialog, [&] {
    FindTwoServers(dialog);
    List(dialog).SelectItem(1);  // the MPEG-4 video server
    ASSERT_EQ(dialog.SelectedIndex(), 0);
    for (const auto& c : cases) {
      SCOPED_TRACE(c.name);
      m_responder.SetReplies(c.button == IDC_SEARCH_APPLY ? 2 : 3, c.replies);
      dialog.m_bChosen = false;
      dialog.m_strResultIp.clear();
      Edit(dialog, IDC_SEARCH_IP)->setText(QStringLiteral("10.0.0.5"));
      const std::size_t before = m_responder.Requests().size();
      Click(dialog, c.button);
      FinishCommand(dialog, before, c.answered);
      EXPECT_EQ(LastBox(), Text(c.message));
      EXPECT_TRUE(dialog.m_bChosen);
      EXPECT_EQ(dialog.m_strResultIp, QString::fromLatin1(c.resultIp));
      EXPECT_TRUE(dialog.GetDlgItem(IDC_SEARCH_APPLY)->isEnabled());
      // Put the server back as found, so every APPLY changes something again.
      List(dialog).SelectItem(-1);
      List(dialog).SelectItem(1);
    }
    dialog.EndDialog(ui::IDOK);
  });
  // The first request, byte by byte: the edits, the port and the confirmed credentials.
  const auto requests = m_responder.Requests();
  ASSERT_GE(requests.size(), 2u);
  const auto sent = net::DecodeSearchDatagram(requests[1]);
  ASSERT_TRUE(sent);
  net::DeviceNetworkSettings expected;
  expected.mac = {0x00, 0x0E, 0x53, 0x12, 0xAB, 0x10};
  expected.ip = {10, 0, 0, 5};
  expected.netMask = {255, 255, 255, 0};
  expected.gateway = {192, 168, 1, 1};
  expected.dns = {192, 168, 1, 2};
  expected.port = 80;
  EXPECT_EQ(*sent, net::MakeSetIpRequest(expected, "admin", "secret"));
  const auto reset = net::DecodeSearchDatagram(requests[5]);
  ASSERT_TRUE(reset);
  EXPECT_EQ(reset->command, "AV_RESET");
  EXPECT_EQ(reset->code, 3);
  // The reset takes the fields as last read (APPLY read the edited address).
  EXPECT_EQ(reset->ip, (net::DottedAddress{192, 168, 1, 16}));
}

TEST_F(SearchDialogTest, RefusalsSendNothing) {
  const std::string badDotted =
      "The %1 must be four numbers from 0 to 255 separated by dots, such as 192.168.1.100.";
  const auto dotted = [&](const char* name) {
    return QString::fromStdString(badDotted).arg(QLatin1String(name)).toStdString();
  };
  const struct {
    const char* name;
    int row;  // -1: nothing selected
    int editId;
    const char* editText;
    const char* user;
    const char* password;
    int confirm;
    int button;
    std::string message;  // empty: no message
  } cases[] = {
      {"no row selected", -1, 0, "", "admin", "secret", ui::IDOK, IDC_SEARCH_APPLY, Text(4044)},
      {"a video server cannot be changed", 0, 0, "", "admin", "secret", ui::IDOK, IDC_SEARCH_APPLY,
       Text(4036)},
      {"nor reset", 0, 0, "", "admin", "secret", ui::IDOK, IDC_SEARCH_RESET, Text(4036)},
      {"16-character user", 1, IDC_SEARCH_IP, "10.0.0.9", "sixteen-chars-us", "secret", ui::IDOK,
       IDC_SEARCH_APPLY, Text(4080)},
      {"empty user on reset", 1, 0, "", "", "secret", ui::IDOK, IDC_SEARCH_RESET, Text(4080)},
      {"empty password", 1, IDC_SEARCH_IP, "10.0.0.9", "admin", "", ui::IDOK, IDC_SEARCH_APPLY,
       Text(4049)},
      {"unchanged", 1, 0, "", "admin", "secret", ui::IDOK, IDC_SEARCH_APPLY, Text(4067)},
      {"confirmation cancelled", 1, IDC_SEARCH_IP, "10.0.0.9", "admin", "secret", ui::IDCANCEL,
       IDC_SEARCH_APPLY, ""},
      {"short MAC", 1, IDC_SEARCH_MAC, "00:0e:53", "admin", "secret", ui::IDOK, IDC_SEARCH_APPLY,
       "The MAC address must be six pairs of hexadecimal digits, such as 00:0e:53:12:ab:cd."},
      {"address part above 255", 1, IDC_SEARCH_IP, "300.1.1.1", "admin", "secret", ui::IDOK,
       IDC_SEARCH_APPLY, dotted("server IP")},
      {"three-part gateway", 1, IDC_SEARCH_GATEWAY, "1.2.3", "admin", "secret", ui::IDOK,
       IDC_SEARCH_APPLY, dotted("gateway")},
      {"five-part mask", 1, IDC_SEARCH_MASK, "255.255.255.0.0", "admin", "secret", ui::IDOK,
       IDC_SEARCH_APPLY, dotted("net mask")},
      {"DNS with a letter", 1, IDC_SEARCH_DNS, "8.8.8.x", "admin", "secret", ui::IDOK,
       IDC_SEARCH_APPLY, dotted("DNS server")},
      {"port 0", 1, IDC_SEARCH_PORT, "0", "admin", "secret", ui::IDOK, IDC_SEARCH_APPLY,
       Text(4053)},
      {"port above 65535", 1, IDC_SEARCH_PORT, "70000", "admin", "secret", ui::IDOK,
       IDC_SEARCH_APPLY, "Enter a whole number from 0 to 65535."},
  };
  AnswerWithTwoServers();
  CSearchDlg dialog(ports::LoginEngine::Defaults());
  RunModalWith(dialog, [&] {
    FindTwoServers(dialog);
    for (const auto& c : cases) {
      SCOPED_TRACE(c.name);
      List(dialog).SelectItem(-1);
      if (c.row >= 0)
        List(dialog).SelectItem(c.row);
      if (c.editId != 0)
        Edit(dialog, c.editId)->setText(QString::fromLatin1(c.editText));
      m_user = QString::fromLatin1(c.user);
      m_password = QString::fromLatin1(c.password);
      m_confirmResult = c.confirm;
      const std::size_t boxes = Boxes().size();
      Click(dialog, c.button);
      EXPECT_FALSE(dialog.IsCommandRunning());
      if (c.message.empty()) {
        EXPECT_EQ(Boxes().size(), boxes);
      } else {
        ASSERT_EQ(Boxes().size(), boxes + 1);
        EXPECT_EQ(LastBox(), c.message);
      }
    }
    // A row without an entry: 4031 when it is selected, 4035 on APPLY.
    List(dialog).SelectItem(1);  // valid edits again
    List(dialog).SelectItem(-1);
    List(dialog).InsertItem(2, QStringLiteral("no entry"));
    List(dialog).SelectItem(2);
    EXPECT_EQ(LastBox(), Text(4031));
    Click(dialog, IDC_SEARCH_APPLY);
    EXPECT_EQ(LastBox(), Text(4035));
    dialog.EndDialog(ui::IDCANCEL);
  });
  EXPECT_EQ(m_responder.Requests().size(), 1u);  // the search request only
  EXPECT_FALSE(dialog.m_bChosen);
}

class SearchButtonTest : public login_test::LoginUiTest {
 protected:
  void SetUp() override {
    LoginUiTest::SetUp();
    m_runner->ScriptHandler(QStringLiteral("CSearchDlg"), [this](ui::UiDialog& dialog) {
      auto& search = static_cast<CSearchDlg&>(dialog);
      search.m_bChosen = m_chosen;
      search.m_strResultIp = m_ip;
      search.m_nResultPort = m_port;
      return ui::IDOK;
    });
    m_dialog = std::make_unique<LoginDialog>(ports::LoginEngine::Defaults());
    m_dialog->m_strHost = QStringLiteral("cam.example.org");
    m_dialog->m_strPort = QStringLiteral("80");
    m_dialog->InitForPicture();
    m_dialog->UpdateData(false);
  }
  void TearDown() override {
    m_dialog.reset();
    LoginUiTest::TearDown();
  }
  void ClickSearch() {
    auto* button = qobject_cast<CVtxButton*>(m_dialog->GetDlgItem(IDC_TOOL_SEARCH));
    ASSERT_NE(button, nullptr);
    button->click();
  }
  QString Field(int id) { return m_dialog->Controls().Get<QLineEdit>(id)->text(); }

  std::shared_ptr<ui::testing::ScriptedModalRunner> m_runner =
      std::make_shared<ui::testing::ScriptedModalRunner>();
  ui::testing::ScopedModalRunner m_scopedRunner{m_runner};
  std::unique_ptr<LoginDialog> m_dialog;
  bool m_chosen = false;
  QString m_ip;
  int m_port = 80;
};

TEST_F(SearchButtonTest, AChosenServerFillsTheAddressAndPort) {
  m_chosen = false;
  m_ip = QStringLiteral("192.168.1.50");
  ClickSearch();
  EXPECT_EQ(Field(IDC_LOGIN_ADDRESS), QStringLiteral("cam.example.org"));
  // Chosen, but with no address to take (a reset that was answered): nothing changes.
  m_chosen = true;
  m_ip.clear();
  ClickSearch();
  EXPECT_EQ(Field(IDC_LOGIN_ADDRESS), QStringLiteral("cam.example.org"));
  m_ip = QStringLiteral("192.168.1.50");
  m_port = 8080;
  m_dialog->Controls().Get<QLineEdit>(IDC_LOGIN_USER)->setText(QStringLiteral("typed"));
  ClickSearch();
  EXPECT_EQ(Field(IDC_LOGIN_ADDRESS), QStringLiteral("192.168.1.50"));
  EXPECT_EQ(Field(IDC_LOGIN_PORT), QStringLiteral("8080"));
  EXPECT_EQ(Field(IDC_LOGIN_USER), QStringLiteral("typed"));
  EXPECT_EQ(g_lpApp->m_SettingINI.m_wWebPort, 8080);
  EXPECT_EQ(g_lpApp->m_SettingINI.m_strServerAddress, "192.168.1.50");
  EXPECT_EQ(m_runner->Runs().size(), 3u);
}

}  // namespace
