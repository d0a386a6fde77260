// The login window without a window, for tests that run the program's start-up with the real
// main window: each run makes the login window's login pass with the fields start-up gives it
// (or the texts a test typed), commits it as the window does and answers OK after a login,
// Cancel after a failed one.
#pragma once

#include <string>

#include "app/app_data.h"
#include "app/app_seams.h"
#include "app/login_pass.h"
#include "platform/message_box.h"

namespace main_window_test {

class HeadlessLoginWindow final : public app::ILoginWindow {
 public:
  // The texts typed into the window; fields left empty take start-up's texts.
  struct Typed {
    std::string host;
    std::string port;
    std::string user;
    std::string password;
  };
  explicit HeadlessLoginWindow(Typed typed = {}) : m_typed(std::move(typed)) {}

  int DoModal(const app::LoginDialogFields& fields) override {
    ++m_runs;
    app::LoginPassInput input;
    input.host = m_typed.host.empty() ? fields.host : m_typed.host;
    input.portText = m_typed.port.empty() ? fields.port : m_typed.port;
    input.userName = m_typed.user.empty() ? fields.userName : m_typed.user;
    input.password = m_typed.password.empty() ? fields.password : m_typed.password;
    input.localAddress = "127.0.0.1";
    const app::LoginPassResult result = app::RunLoginPass(input);
    if (result.code != app::kLoginSucceeded)
      return platform::IDCANCEL;
    app::CommitLoginPass(result, *g_lpApp);
    return platform::IDOK;
  }

  int Runs() const { return m_runs; }

 private:
  Typed m_typed;
  int m_runs = 0;
};

}  // namespace main_window_test
