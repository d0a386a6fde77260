#include "ui/login/login_window.h"

#include "ui/login/login_dialog.h"

namespace ui::login {

int LoginWindow::DoModal(const app::LoginDialogFields& fields) {
  LoginDialog dialog(m_engine);
  dialog.m_strHost = QString::fromStdString(fields.host);
  dialog.m_strUserName = QString::fromStdString(fields.userName);
  dialog.m_strPassword = QString::fromStdString(fields.password);
  dialog.m_strPort = QString::fromStdString(fields.port);
  dialog.m_strBitRate = QString::fromStdString(fields.bitRate);
  return dialog.DoModal();
}

std::shared_ptr<app::ILoginWindow> MakeLoginWindow(ports::LoginEngine engine) {
  return std::make_shared<LoginWindow>(std::move(engine));
}

}  // namespace ui::login
