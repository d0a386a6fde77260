// Set-up of the main window's command tests: the window over a session as the login leaves it,
// the fake video server on loopback with the device protocol pointed at it (session id "S1"),
// the device command file shipped beside the programs, a recording message box and a scripted
// modal runner.
#pragma once

#include <QCoreApplication>
#include <QTest>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fakes/fake_video_server.h"
#include "main_window_fixture.h"
#include "net/ctrl_file.h"
#include "net/net_environment.h"
#include "platform/testing/fake_message_box.h"
#include "ui/common/string_table.h"
#include "ui/common/testing/scripted_modal_runner.h"
#include "ui/main/select_ptz_dlg.h"

namespace main_window_test {

class CommandsTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    server = std::make_unique<fakes::FakeVideoServer>();
    environment.SetServerName("127.0.0.1");
    environment.SetWebPort(server->WebPort());
    environment.SetLocalAddress("127.0.0.1");
    environment.SetSessionId("S1");
    net::SetEnvironment(&environment);
    box = std::make_shared<platform::testing::FakeMessageBox>();
    scopedBox.emplace(box);
    runner = std::make_shared<ui::testing::ScriptedModalRunner>();
    scopedRunner.emplace(runner);
  }
  void TearDown() override {
    m_window.reset();
    FreeCtrlFileDevices();
    scopedRunner.reset();
    scopedBox.reset();
    net::SetEnvironment(nullptr);
    server.reset();
    MainWindowTest::TearDown();
  }

  // The window over a connected session, with the shipped device command file loaded.
  CKavelinDlg& OpenConnected(const Session& s = {}) {
    BuildSession(s);
    LoadShippedCtrlFile();
    g_lpApp->m_bConnected = 1;
    return OpenBuilt();
  }
  static void LoadShippedCtrlFile() {
    const std::filesystem::path shipped =
        std::filesystem::path(QCoreApplication::applicationDirPath().toStdString()) /
        "CtrlFile.ini";
    ASSERT_EQ(LoadCtrlFileFrom(shipped), 1);
    MatchCtrlFileDevices();
  }

  // Lets the window's requests go out and their answers come back: the panel and the image
  // adjustment send on the window's worker, one request after the other.
  void Settle() const {
    if (m_window) {
      EXPECT_TRUE(fakes::WaitUntil([&] { return !m_window->Requests().Pending(); }));
    }
    ProcessEvents();
  }

  // The PTZ selection dialog answers result with number.
  void AnswerPtzSelection(int result, int number) {
    runner->ScriptHandler(QStringLiteral("CSelectPTZDlg"), [result, number](ui::UiDialog& d) {
      static_cast<CSelectPTZDlg&>(d).m_nSelectNo = number;
      return result;
    });
  }

  std::vector<std::string> Messages() {
    Settle();
    std::vector<std::string> texts;
    for (const auto& shown : box->Shown())
      texts.push_back(shown.text);
    return texts;
  }
  static std::string Text(int id) { return ui::LoadString(id).toStdString(); }

  // The "/RS485Cmd.cgi" requests the server has seen, as their targets.
  std::vector<std::string> Rs485Targets() const {
    Settle();
    std::vector<std::string> targets;
    for (const auto& request : server->RequestsTo("/RS485Cmd.cgi"))
      targets.push_back(request.target);
    return targets;
  }
  static std::string Rs485Target(const std::string& hex) {
    return "/RS485Cmd.cgi?Command=" + hex + "&SessionID=S1";
  }

  std::unique_ptr<fakes::FakeVideoServer> server;
  net::MemoryNetEnvironment environment;
  std::shared_ptr<platform::testing::FakeMessageBox> box;
  std::optional<platform::testing::ScopedMessageBox> scopedBox;
  std::shared_ptr<ui::testing::ScriptedModalRunner> runner;
  std::optional<ui::testing::ScopedModalRunner> scopedRunner;
};

}  // namespace main_window_test
