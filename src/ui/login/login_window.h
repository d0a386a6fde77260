// The program's login window as start-up runs it: a new LoginDialog for every round of the
// login loop, filled with start-up's field texts.
#pragma once

#include <memory>

#include "app/app_seams.h"
#include "ui/login/login_engine.h"

namespace ui::login {

class LoginWindow final : public app::ILoginWindow {
 public:
  explicit LoginWindow(ports::LoginEngine engine) : m_engine(std::move(engine)) {}
  int DoModal(const app::LoginDialogFields& fields) override;

 private:
  const ports::LoginEngine m_engine;
};

// Every request of the login window and of the tools it opens goes through engine.
std::shared_ptr<app::ILoginWindow> MakeLoginWindow(ports::LoginEngine engine);

}  // namespace ui::login
