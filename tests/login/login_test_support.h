// Shared set-up of the login window tests: one offscreen QApplication, a data block with a
// temporary program folder, a recording message box, and a way to run a dialog's real modal
// loop with a script inside it.
#pragma once

#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/app_data.h"
#include "fakes/qt_test_environment.h"
#include "fakes/temp_folder.h"
#include "fakes/wait_until.h"
#include "net/net_environment.h"
#include "platform/folders.h"
#include "platform/testing/fake_message_box.h"
#include "ui/common/string_table.h"
#include "ui/common/ui_dialog.h"

namespace login_test {

// What a dialog left open by its script ends with.
inline constexpr int kLeftOpen = -999;

// Runs dialog.DoModal() and, inside its modal loop, the script; a dialog still open when the
// script returns (a failed assertion, a script that does not close it) is ended with kLeftOpen,
// so a test never hangs in the loop.
inline int RunModalWith(ui::UiDialog& dialog, const std::function<void()>& script) {
  QTimer::singleShot(0, &dialog, [&dialog, &script] {
    script();
    if (dialog.IsInModalRun() && dialog.isVisible())
      dialog.EndDialog(kLeftOpen);
  });
  return dialog.DoModal();
}

class LoginUiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_lpApp = std::make_unique<CAppData>();
    g_lpApp->m_SettingINI.m_strProgramDir = m_folder.Dir();
    platform::SetProgramFolder(m_folder.Path());
    net::SetEnvironment(nullptr);
    net::ClearPendingChanges();
    SessionIdBuffer.Clear();
    LocalAddressText.Set("127.0.0.1");
  }
  void TearDown() override {
    SessionIdBuffer.Clear();
    g_lpApp.reset();
    platform::SetProgramFolder({});
  }

  // The texts of the message boxes shown so far.
  std::vector<std::string> Boxes() {
    std::vector<std::string> texts;
    for (const auto& shown : m_box->Shown())
      texts.push_back(shown.text);
    return texts;
  }
  static std::string Text(int id) { return ui::LoadString(id).toStdString(); }

  fakes::TempFolder m_folder;
  std::shared_ptr<platform::testing::FakeMessageBox> m_box =
      std::make_shared<platform::testing::FakeMessageBox>();
  platform::testing::ScopedMessageBox m_scopedBox{m_box};
};

}  // namespace login_test
