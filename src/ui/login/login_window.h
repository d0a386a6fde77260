// The program's login window as start-up runs it: a new LoginDialog for every round of the
// login loop, filled with start-up's field texts.
#pragma once

#include <memory>

#include "app/app_seams.h"

namespace ui::login {

class LoginWindow final : public app::ILoginWindow {
 public:
  int DoModal(const app::LoginDialogFields& fields) override;
};

std::shared_ptr<app::ILoginWindow> MakeLoginWindow();

}  // namespace ui::login
