// The login window, the LAN search, the connect dialog and the firmware dialog over a scripted
// login port: no sockets and no sleeps. Each test hands the window lambdas that record their
// calls and give prepared answers (a success, a refusal), hold a call open until its stop (a
// stop mid-way), or take a second request while the first still runs; the login window also
// takes an Enter held down (fakes/held_key.h).
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "fakes/fake_lan_responder.h"
#include "fakes/held_key.h"
#include "login_test_support.h"
#include "net/search_datagram.h"
#include "scripted_login_port.h"
#include "ui/common/list_ctrl.h"
#include "ui/common/message_ids.h"
#include "ui/common/qt_message_box.h"
#include "ui/common/testing/scripted_modal_runner.h"
#include "ui/login/confirm_authority_dlg.h"
#include "ui/login/connect_dlg.h"
#include "ui/login/login_dialog.h"
#include "ui/login/login_layout.h"
#include "ui/login/search_dlg.h"
#include "ui/login/upgrade_fw_dlg.h"

namespace {

using fakes::WaitUntil;
using login_test::CallLog;
using login_test::CurrentThreadName;
using login_test::Gate;
using login_test::RunModalWith;
using namespace ui::login;

constexpr int kHeldRepeats = 12;

// What a scripted call saw: its arguments (as text) and whether its stop was requested.
struct Call {
  std::string what;
  std::string thread;
  bool stopped = false;
};

class ScriptedPortTest : public login_test::LoginUiTest {
 protected:
  static void Click(ui::UiDialog& dialog, int id) {
    auto* button = dialog.Controls().Get<QPushButton>(id);
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->isEnabled()) << id;
    button->click();
  }
  static bool Enabled(ui::UiDialog& dialog, int id) {
    QWidget* control = dialog.GetDlgItem(id);
    return control != nullptr && control->isEnabled();
  }
};

// ---- The login window -------------------------------------------------------------------

class ScriptedLoginWindowTest : public ScriptedPortTest {
 protected:
  // A window over `engine` with the fields filled.
  std::unique_ptr<LoginDialog> Window(ports::LoginEngine engine) {
    auto dialog = std::make_unique<LoginDialog>(std::move(engine));
    dialog->m_strHost = QStringLiteral("10.1.1.9");
    dialog->m_strUserName = QStringLiteral("admin");
    dialog->m_strPassword = QStringLiteral("secret");
    dialog->m_strPort = QStringLiteral("8080");
    return dialog;
  }
  static void PressEnter(LoginDialog& dialog) {
    auto* user = dialog.Controls().Get<QLineEdit>(IDC_LOGIN_USER);
    ASSERT_NE(user, nullptr);
    user->setFocus();
    QTest::keyClick(user, Qt::Key_Return);
  }
  static app::LoginPassResult Answer(int code) {
    app::LoginPassResult result;
    result.code = code;
    result.serverName = "10.1.1.9";
    result.serverAddress = "10.1.1.9";
    result.userName = "admin";
    result.password = "secret";
    result.webPort = 8080;
    return result;
  }

  // The settings' user name before any commit.
  static constexpr const char* kNoUser = "nobody yet";
  CallLog<app::LoginPassInput> m_passes;
};

TEST_F(ScriptedLoginWindowTest, AnAnswerClosesWithOneAndARefusalShowsItsText) {
  const struct {
    const char* name;
    int code;
    int dialogResult;  // login_test::kLeftOpen: the window stays with the result's text
  } cases[] = {
      {"accepted", app::kLoginSucceeded, ui::IDOK},
      {"refused", 18, login_test::kLeftOpen},
      {"another product", app::kLoginWrongProduct, login_test::kLeftOpen},
      {"no answer", app::kLoginFailed, login_test::kLeftOpen},
  };
  g_lpApp->m_SettingINI.m_strUserName = kNoUser;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CallLog<app::LoginPassInput> passes;
    ports::LoginEngine engine;
    engine.loginPass = [&](const app::LoginPassInput& input, const platform::StopToken&) {
      passes.Add(input);
      return Answer(c.code);
    };
    auto dialog = Window(engine);
    const int result = RunModalWith(*dialog, [&] {
      PressEnter(*dialog);
      if (c.dialogResult == ui::IDOK)
        WaitUntil([&] { return !dialog->isVisible(); });
      else
        ASSERT_TRUE(WaitUntil([&] { return dialog->ShownResultText() == ResultText(c.code); }));
    });
    EXPECT_EQ(result, c.dialogResult);
    ASSERT_EQ(passes.Count(), 1u);
    const app::LoginPassInput input = passes.Calls()[0];
    EXPECT_EQ(input.host, "10.1.1.9");
    EXPECT_EQ(input.userName, "admin");
    EXPECT_EQ(input.password, "secret");
    EXPECT_EQ(input.portText, "8080");
    EXPECT_EQ(input.localAddress, "127.0.0.1");
    // Only an accepted pass is committed.
    EXPECT_EQ(g_lpApp->m_SettingINI.m_strUserName, c.code == 1 ? "admin" : kNoUser);
    g_lpApp->m_SettingINI.m_strUserName = kNoUser;
  }
}

TEST_F(ScriptedLoginWindowTest, ASecondConnectStopsTheFirstAndOnlyItsAnswerCounts) {
  Gate held;
  CallLog<Call> calls;
  std::atomic<int> number{0};
  ports::LoginEngine engine;
  engine.loginPass = [&](const app::LoginPassInput&, const platform::StopToken& stop) {
    const int n = ++number;
    Call call{"pass " + std::to_string(n), CurrentThreadName()};
    if (n == 1) {
      // The first is held until its stop: its answer would be a refusal.
      call.stopped = !held.Pass(stop);
      calls.Add(call);
      return Answer(18);
    }
    calls.Add(call);
    return Answer(app::kLoginSucceeded);
  };
  auto dialog = Window(engine);
  const int result = RunModalWith(*dialog, [&] {
    PressEnter(*dialog);
    ASSERT_TRUE(WaitUntil([&] { return held.Arrived() == 1 && dialog->IsAnimating(); }));
    PressEnter(*dialog);
    WaitUntil([&] { return !dialog->isVisible(); });
  });
  EXPECT_EQ(result, ui::IDOK);
  // The first saw its stop before the second began; its late refusal was dropped unseen.
  ASSERT_TRUE(WaitUntil([&] { return dialog->StaleResults() == 1; }));
  const std::vector<Call> seen = calls.Calls();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].what, "pass 1");
  EXPECT_TRUE(seen[0].stopped);
  EXPECT_EQ(seen[1].what, "pass 2");
  EXPECT_EQ(seen[0].thread, "Login");
  EXPECT_FALSE(dialog->ShownResultText().has_value());
  EXPECT_EQ(g_lpApp->m_SettingINI.m_strUserName, "admin");
}

TEST_F(ScriptedLoginWindowTest, EscapeWhileAPassRunsStopsItAndCommitsNothing) {
  Gate held;
  CallLog<Call> calls;
  ports::LoginEngine engine;
  engine.loginPass = [&](const app::LoginPassInput&, const platform::StopToken& stop) {
    calls.Add({"pass", CurrentThreadName(), !held.Pass(stop)});
    return Answer(app::kLoginSucceeded);
  };
  g_lpApp->m_SettingINI.m_strUserName = kNoUser;
  auto dialog = Window(engine);
  const int result = RunModalWith(*dialog, [&] {
    PressEnter(*dialog);
    ASSERT_TRUE(WaitUntil([&] { return held.Arrived() == 1; }));
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
  });
  EXPECT_EQ(result, ui::IDCANCEL);
  ASSERT_TRUE(WaitUntil([&] { return calls.Count() == 1; }));
  EXPECT_TRUE(calls.Calls()[0].stopped);
  // Its late success is dropped unseen.
  ASSERT_TRUE(WaitUntil([&] { return dialog->StaleResults() == 1; }));
  EXPECT_EQ(g_lpApp->m_SettingINI.m_strUserName, kNoUser);
}

TEST_F(ScriptedLoginWindowTest, FieldsThatCannotBeSentNeverReachThePort) {
  ports::LoginEngine engine;
  engine.loginPass = [&](const app::LoginPassInput& input, const platform::StopToken&) {
    m_passes.Add(input);
    return Answer(app::kLoginSucceeded);
  };
  auto dialog = Window(engine);
  dialog->m_strPassword.clear();
  const int result = RunModalWith(*dialog, [&] {
    PressEnter(*dialog);
    // The refusal's box is the positive event; then no call may have been made.
    ASSERT_TRUE(WaitUntil([&] { return !Boxes().empty(); }));
  });
  EXPECT_EQ(result, login_test::kLeftOpen);
  EXPECT_EQ(Boxes(), std::vector<std::string>{Text(ui::kMsgWrongUserOrPassword)});
  EXPECT_EQ(m_passes.Count(), 0u);
}

// A held Enter is one Connect: the keyboard's repeats, in each form the window systems give
// them, start no second login while the first runs, nor after its refusal shows.
TEST_F(ScriptedLoginWindowTest, HoldingEnterStartsOneLogin) {
  for (const fakes::KeyRepeats style : fakes::kAllKeyRepeats) {
    SCOPED_TRACE(fakes::KeyRepeatsName(style));
    CallLog<app::LoginPassInput> passes;
    ports::LoginEngine engine;
    engine.loginPass = [&](const app::LoginPassInput& input, const platform::StopToken&) {
      passes.Add(input);
      return Answer(18);
    };
    auto dialog = Window(engine);
    fakes::HeldKey held(Qt::Key_Return, kHeldRepeats, style);
    held.CountRepeatsFrom([&] { return passes.Count() > 0; });
    const int result = RunModalWith(*dialog, [&] {
      dialog->Controls().Get<QLineEdit>(IDC_LOGIN_PASSWORD)->setFocus();
      held.Start();
      ASSERT_TRUE(WaitUntil([&] { return held.Done(); }));
      // What the key posted has run, and the last login it started has answered.
      ASSERT_TRUE(WaitUntil([&] { return dialog->ShownResultText() == ResultText(18); }));
    });
    EXPECT_EQ(result, login_test::kLeftOpen);
    EXPECT_GE(held.RepeatsSent(), kHeldRepeats);
    EXPECT_EQ(passes.Count(), 1u);
    EXPECT_TRUE(Boxes().empty());
  }
}

// The refusal of fields that cannot be sent is a message box, opened by the Enter that is still
// down: the box stays up through the key's repeats and its release, and the next press ends it.
// The key starts no login and no second box.
TEST_F(ScriptedLoginWindowTest, TheRefusalsBoxStaysUpThroughAHeldEnterAndEndsOnANewPress) {
  platform::testing::ScopedMessageBox realBoxes(std::make_shared<ui::QtMessageBox>());
  for (const fakes::KeyRepeats style : fakes::kAllKeyRepeats) {
    SCOPED_TRACE(fakes::KeyRepeatsName(style));
    ports::LoginEngine engine;
    engine.loginPass = [&](const app::LoginPassInput& input, const platform::StopToken&) {
      m_passes.Add(input);
      return Answer(app::kLoginSucceeded);
    };
    auto dialog = Window(engine);
    dialog->m_strPassword.clear();
    const auto boxUp = [] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); };
    fakes::HeldKey held(Qt::Key_Return, kHeldRepeats, style);
    held.CountRepeatsFrom([&] { return boxUp() != nullptr; });
    // Watches each turn of the loop: the boxes that come, and once the key is let go, whether
    // the box is still up; then a new Enter. A box still up after that (one the key should not
    // have opened) is ended here, so that a failing run ends.
    int boxes = 0;
    int leftOver = 0;
    QPointer<QMessageBox> lastBox;
    std::optional<bool> upAfterRelease;
    bool endedByNewPress = false;
    QTimer watch;
    watch.setInterval(0);
    QObject::connect(&watch, &QTimer::timeout, [&] {
      QMessageBox* box = boxUp();
      if (box != nullptr && box != lastBox) {
        ++boxes;
        lastBox = box;
      }
      if (!held.Done())
        return;
      if (!upAfterRelease) {
        upAfterRelease = box != nullptr;
        if (box != nullptr) {
          fakes::HoldKey(fakes::KeyboardWindow(), Qt::Key_Return, 0);
          endedByNewPress = boxUp() == nullptr;
        }
      } else if (box != nullptr) {
        ++leftOver;
        box->reject();
      }
    });
    const int result = RunModalWith(*dialog, [&] {
      dialog->Controls().Get<QLineEdit>(IDC_LOGIN_USER)->setFocus();
      held.Start();
      watch.start();
      ASSERT_TRUE(WaitUntil([&] { return upAfterRelease.has_value() && boxUp() == nullptr; }));
    });
    EXPECT_EQ(result, login_test::kLeftOpen);
    EXPECT_GE(held.RepeatsSent(), kHeldRepeats);
    EXPECT_EQ(upAfterRelease, true);
    EXPECT_TRUE(endedByNewPress);
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(leftOver, 0);
    EXPECT_EQ(m_passes.Count(), 0u);
  }
}

// ---- The LAN search ---------------------------------------------------------------------

net::SearchDatagram Answer(std::uint8_t last) {
  fakes::FakeLanDevice device;
  device.kind = 0x01;
  device.mac = {0x00, 0x0E, 0x53, 0x12, 0xAB, last};
  device.ip = {192, 168, 1, last};
  device.netMask = {255, 255, 255, 0};
  device.gateway = {192, 168, 1, 1};
  device.dns = {192, 168, 1, 2};
  device.port = 80;
  return *net::DecodeSearchDatagram(fakes::FakeLanResponder::SearchAnswer(device));
}

TEST_F(ScriptedPortTest, TheSearchShowsEachAnswerAndABroadcastThatFailed) {
  CallLog<Call> searches;
  ports::LoginEngine engine;
  engine.lanSearch = [&](const std::string& ownAddress, const net::LanSearchSettings&,
                         const net::LanSearchEvents& events, const platform::StopToken&) {
    searches.Add({ownAddress, CurrentThreadName()});
    events.sendFailed();
    events.answer(Answer(0x10));
    events.answer(Answer(0x11));
    return net::LanSearchEnd::Completed;
  };
  CSearchDlg dialog(engine);
  const int result = RunModalWith(dialog, [&] {
    ASSERT_TRUE(WaitUntil([&] { return !dialog.IsSearching(); }));
    ASSERT_EQ(dialog.Devices().size(), 2u);
    EXPECT_EQ(dialog.Devices()[1].ip, "192.168.1.17");
    EXPECT_TRUE(Enabled(dialog, IDC_SEARCH_AGAIN));
    // A second search starts afresh.
    Click(dialog, IDC_SEARCH_AGAIN);
    ASSERT_TRUE(WaitUntil([&] { return searches.Count() == 2 && !dialog.IsSearching(); }));
    EXPECT_EQ(dialog.Devices().size(), 2u);
    dialog.EndDialog(ui::IDCANCEL);
  });
  EXPECT_EQ(result, ui::IDCANCEL);
  const std::vector<Call> seen = searches.Calls();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].what, "127.0.0.1");
  EXPECT_EQ(seen[0].thread, "SearchReceive");
  EXPECT_EQ(Boxes(), std::vector<std::string>(2, kSendBroadcastFailedText));
}

TEST_F(ScriptedPortTest, ClosingTheSearchStopsTheSearchInFlight) {
  Gate held;
  CallLog<Call> searches;
  ports::LoginEngine engine;
  engine.lanSearch = [&](const std::string&, const net::LanSearchSettings&,
                         const net::LanSearchEvents& events, const platform::StopToken& stop) {
    events.answer(Answer(0x10));
    searches.Add({"search", CurrentThreadName(), !held.Pass(stop)});
    return net::LanSearchEnd::Stopped;
  };
  CSearchDlg dialog(engine);
  const int result = RunModalWith(dialog, [&] {
    ASSERT_TRUE(WaitUntil([&] { return held.Arrived() == 1 && dialog.Devices().size() == 1; }));
    EXPECT_TRUE(dialog.IsSearching());
    dialog.close();
  });
  EXPECT_EQ(result, ui::IDCANCEL);
  // Closing waits for the search to end.
  ASSERT_EQ(searches.Count(), 1u);
  EXPECT_TRUE(searches.Calls()[0].stopped);
}

TEST_F(ScriptedPortTest, ApplyWhileItsRequestRunsIsOneRequest) {
  auto runner = std::make_shared<ui::testing::ScriptedModalRunner>();
  ui::testing::ScopedModalRunner scopedRunner{runner};
  runner->ScriptHandler(QStringLiteral("CConfirmAuthorityDlg"), [](ui::UiDialog& dialog) {
    auto& confirm = static_cast<CConfirmAuthorityDlg&>(dialog);
    confirm.m_strUserName = QStringLiteral("admin");
    confirm.m_strPassword = QStringLiteral("secret");
    return ui::IDOK;
  });
  Gate held;
  CallLog<net::SearchDatagram> commands;
  ports::LoginEngine engine;
  engine.lanSearch = [&](const std::string&, const net::LanSearchSettings&,
                         const net::LanSearchEvents& events, const platform::StopToken&) {
    events.answer(Answer(0x10));
    return net::LanSearchEnd::Completed;
  };
  engine.lanCommand = [&](const net::SearchDatagram& request, const std::string&,
                          const net::LanSearchSettings&, const std::function<void()>& sent,
                          const platform::StopToken& stop) {
    commands.Add(request);
    sent();
    held.Pass(stop);
    return net::LanCommandResult{net::LanCommandOutcome::Answered, 1};
  };
  CSearchDlg dialog(engine);
  RunModalWith(dialog, [&] {
    ASSERT_TRUE(WaitUntil([&] { return !dialog.IsSearching(); }));
    dialog.Controls().Get<ui::ListCtrl>(IDC_SEARCH_LIST)->SelectItem(0);
    dialog.Controls().Get<QLineEdit>(IDC_SEARCH_IP)->setText(QStringLiteral("10.0.0.5"));
    Click(dialog, IDC_SEARCH_APPLY);
    ASSERT_TRUE(WaitUntil([&] { return held.Arrived() == 1; }));
    // While it runs, the buttons are off and a second press sends nothing.
    EXPECT_TRUE(dialog.IsCommandRunning());
    EXPECT_FALSE(Enabled(dialog, IDC_SEARCH_APPLY));
    EXPECT_FALSE(Enabled(dialog, IDC_SEARCH_RESET));
    held.Open();
    ASSERT_TRUE(WaitUntil([&] { return !dialog.IsCommandRunning(); }));
    dialog.EndDialog(ui::IDOK);
  });
  ASSERT_EQ(commands.Count(), 1u);
  EXPECT_EQ(commands.Calls()[0].command, net::kSetIpCommandText);
  EXPECT_EQ(commands.Calls()[0].code, net::kSetIpCode);
  EXPECT_EQ(Boxes(), std::vector<std::string>{Text(ui::kMsgApplySettingDone)});
  EXPECT_EQ(dialog.m_strResultIp, QStringLiteral("10.0.0.5"));
}

// ---- The connect dialog -----------------------------------------------------------------

TEST_F(ScriptedPortTest, TheConnectDialogEndsWithTheSessionLoginsResult) {
  for (const int code : {1, 18, 0}) {
    SCOPED_TRACE(code);
    CallLog<Call> logins;
    ports::LoginEngine engine;
    engine.sessionLogin = [&](const net::SessionLogin& request, const platform::StopToken&) {
      logins.Add({request.serverName + " " + request.userName + " " + request.password + " " +
                      request.webPort,
                  CurrentThreadName()});
      return code;
    };
    CConnectDlg connect(engine, QStringLiteral("10.1.1.9"), QStringLiteral("admin"),
                        QStringLiteral("secret"), QStringLiteral("8080"));
    EXPECT_EQ(connect.DoModal(), code);
    ASSERT_EQ(logins.Count(), 1u);
    EXPECT_EQ(logins.Calls()[0].what, "10.1.1.9 admin secret 8080");
    EXPECT_EQ(logins.Calls()[0].thread, "LoginThread");
  }
}

TEST_F(ScriptedPortTest, ClosingTheConnectDialogStopsItsLogin) {
  Gate held;
  CallLog<Call> logins;
  ports::LoginEngine engine;
  engine.sessionLogin = [&](const net::SessionLogin&, const platform::StopToken& stop) {
    logins.Add({"login", CurrentThreadName(), !held.Pass(stop)});
    return 1;
  };
  {
    CConnectDlg connect(engine, QStringLiteral("10.1.1.9"), QStringLiteral("admin"),
                        QStringLiteral("secret"), QStringLiteral("8080"));
    const int result = RunModalWith(connect, [&] {
      ASSERT_TRUE(WaitUntil([&] { return held.Arrived() == 1; }));
      connect.EndDialog(ui::IDCANCEL);
    });
    EXPECT_EQ(result, ui::IDCANCEL);
  }
  ASSERT_TRUE(WaitUntil([&] { return logins.Count() == 1; }));
  EXPECT_TRUE(logins.Calls()[0].stopped);
}

// ---- The firmware dialog ----------------------------------------------------------------

class ScriptedFirmwareTest : public ScriptedPortTest {
 protected:
  void SetUp() override {
    ScriptedPortTest::SetUp();
    SessionIdBuffer.Set("5A3F19C2");
    m_file = (m_folder / "fw.bin").string();
    fakes::TempFolder::Write(m_folder / "fw.bin", std::string(2000, '\x5A'));
  }
  // A port whose keep-alive records its thread and waits for its stop, and whose abort is
  // recorded after everything before it.
  ports::LoginEngine Engine() {
    ports::LoginEngine engine;
    engine.keepAlive = [this](const platform::StopToken& stop) {
      const std::string thread = CurrentThreadName();
      platform::WaitAny({&stop.StopEvent()}, platform::kInfinite);
      m_calls.Add({"keep-alive ended", thread, true});
    };
    engine.abortFirmware = [this](const std::string& session, const platform::StopToken&) {
      m_calls.Add({"abort " + session, CurrentThreadName()});
      return 1;
    };
    return engine;
  }
  void SetPath(UpgradeFWDlg& dialog) {
    dialog.m_strPath = QString::fromStdString(m_file);
    dialog.UpdateData(false);
  }
  std::vector<std::string> What() const {
    std::vector<std::string> what;
    for (const Call& call : m_calls.Calls())
      what.push_back(call.what);
    return what;
  }

  std::string m_file;
  CallLog<Call> m_calls;
};

TEST_F(ScriptedFirmwareTest, AFinishedUploadShowsItsProgressAndEndsTheSession) {
  ports::LoginEngine engine = Engine();
  engine.uploadFirmware = [this](std::span<const std::uint8_t> image, const std::string& session,
                                 const std::function<void(int)>& progress,
                                 const platform::StopToken&) {
    m_calls.Add({"upload " + std::to_string(image.size()) + " " + session, CurrentThreadName()});
    for (const int percent : {0, 45, 45, 90, 100})
      progress(percent);
    return net::FirmwareUploadResult{net::FirmwareUploadEnd::Finished};
  };
  UpgradeFWDlg dialog(engine);
  const int result = RunModalWith(dialog, [&] {
    EXPECT_TRUE(dialog.IsKeepingAlive());
    SetPath(dialog);
    Click(dialog, IDC_FW_UPGRADE);
    WaitUntil([&] { return !dialog.isVisible(); });
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(Boxes(), std::vector<std::string>{Text(ui::kMsgOverwritingFlash)});
  // A repeated percentage reaches the window once.
  EXPECT_EQ(dialog.ProgressUpdates(), 4);
  EXPECT_FALSE(dialog.IsKeepingAlive());
  ASSERT_TRUE(WaitUntil([&] { return m_calls.Count() == 2; }));
  const std::vector<Call> seen = m_calls.Calls();
  EXPECT_EQ(seen[0].what, "upload 2000 5A3F19C2");
  EXPECT_EQ(seen[0].thread, std::string("UpgradeFirmwareThread").substr(0, 15));
  EXPECT_EQ(seen[1].what, "keep-alive ended");
  EXPECT_EQ(seen[1].thread, "KeepAliveThread");
}

TEST_F(ScriptedFirmwareTest, ARefusedBlockKeepsTheSessionAndUpgradeMayBePressedAgain) {
  ports::LoginEngine engine = Engine();
  engine.uploadFirmware = [this](std::span<const std::uint8_t>, const std::string&,
                                 const std::function<void(int)>& progress,
                                 const platform::StopToken&) {
    m_calls.Add({"upload", CurrentThreadName()});
    progress(0);
    return net::FirmwareUploadResult{net::FirmwareUploadEnd::BlockFailed};
  };
  UpgradeFWDlg dialog(engine);
  RunModalWith(dialog, [&] {
    SetPath(dialog);
    Click(dialog, IDC_FW_UPGRADE);
    ASSERT_TRUE(WaitUntil([&] { return !dialog.IsUploading(); }));
    EXPECT_EQ(Boxes(), std::vector<std::string>{Text(ui::kMsgUpgradeFirmwareError)});
    EXPECT_TRUE(Enabled(dialog, IDC_FW_UPGRADE));
    EXPECT_FALSE(dialog.IsProgressShown());
    EXPECT_TRUE(dialog.IsKeepingAlive());
    EXPECT_TRUE(dialog.isVisible());
    Click(dialog, IDC_FW_UPGRADE);
    ASSERT_TRUE(WaitUntil([&] { return Boxes().size() == 2 && !dialog.IsUploading(); }));
    dialog.EndDialog(0);
  });
  // The dialog's end waits only briefly for the keep-alive and gives its thread up after that,
  // so its last record may come after the dialog has gone.
  ASSERT_TRUE(WaitUntil([&] { return m_calls.Count() == 3; }));
  EXPECT_EQ(What(), (std::vector<std::string>{"upload", "upload", "keep-alive ended"}));
}

TEST_F(ScriptedFirmwareTest, CancelMidwayStopsTheUploadBeforeTheAbortGoesOut) {
  Gate held;
  ports::LoginEngine engine = Engine();
  engine.uploadFirmware = [&](std::span<const std::uint8_t>, const std::string&,
                              const std::function<void(int)>& progress,
                              const platform::StopToken& stop) {
    progress(35);
    const bool stopped = !held.Pass(stop);
    m_calls.Add({"upload ended", CurrentThreadName(), stopped});
    return net::FirmwareUploadResult{net::FirmwareUploadEnd::Stopped};
  };
  UpgradeFWDlg dialog(engine);
  const int result = RunModalWith(dialog, [&] {
    SetPath(dialog);
    Click(dialog, IDC_FW_UPGRADE);
    ASSERT_TRUE(WaitUntil([&] { return held.Arrived() == 1 && dialog.ProgressValue() == 35; }));
    // The upload is on: a second Upgrade cannot be pressed.
    EXPECT_FALSE(Enabled(dialog, IDC_FW_UPGRADE));
    Click(dialog, IDC_FW_CANCEL);
    EXPECT_TRUE(dialog.IsCancelling());
    EXPECT_FALSE(dialog.IsUploading());
    EXPECT_FALSE(dialog.IsKeepingAlive());
    WaitUntil([&] { return !dialog.isVisible(); });
  });
  EXPECT_EQ(result, 0);
  // The session ends (its keep-alive stops), the upload is stopped between two blocks, and
  // only then the abort goes out.
  ASSERT_TRUE(WaitUntil([&] { return m_calls.Count() == 3; }));
  const std::vector<std::string> what = What();
  const auto upload = std::find(what.begin(), what.end(), "upload ended");
  const auto abort = std::find(what.begin(), what.end(), "abort 5A3F19C2");
  ASSERT_NE(upload, what.end());
  ASSERT_NE(abort, what.end());
  EXPECT_LT(upload, abort);
  EXPECT_NE(std::find(what.begin(), what.end(), "keep-alive ended"), what.end());
  EXPECT_TRUE(m_calls.Calls()[static_cast<std::size_t>(upload - what.begin())].stopped);
  EXPECT_EQ(m_calls.Calls()[static_cast<std::size_t>(abort - what.begin())].thread, "UpgradeAbort");
  EXPECT_TRUE(Boxes().empty());
}

// What stands in for the program's shut-down step for the upload thread: whatever ends the
// dialog while an upload runs, the upload has ended when the dialog is gone.
TEST_F(ScriptedFirmwareTest, AnUploadNeverOutlivesItsDialog) {
  Gate held;
  ports::LoginEngine engine = Engine();
  engine.uploadFirmware = [&](std::span<const std::uint8_t>, const std::string&,
                              const std::function<void(int)>&, const platform::StopToken& stop) {
    const bool stopped = !held.Pass(stop);
    m_calls.Add({"upload ended", CurrentThreadName(), stopped});
    return net::FirmwareUploadResult{net::FirmwareUploadEnd::Stopped};
  };
  {
    UpgradeFWDlg dialog(engine);
    RunModalWith(dialog, [&] {
      SetPath(dialog);
      Click(dialog, IDC_FW_UPGRADE);
      ASSERT_TRUE(WaitUntil([&] { return held.Arrived() == 1; }));
      dialog.EndDialog(0);  // not through Cancel: no abort
    });
    // The dialog's end waited for the upload.
    EXPECT_EQ(What().front(), "upload ended");
    EXPECT_FALSE(dialog.IsUploading());
  }
  ASSERT_TRUE(WaitUntil([&] { return m_calls.Count() == 2; }));
  EXPECT_EQ(What(), (std::vector<std::string>{"upload ended", "keep-alive ended"}));
  EXPECT_TRUE(m_calls.Calls()[0].stopped);
}

}  // namespace
