// CConnectDlg: logs in for the firmware upgrade. Its worker (the login thread) runs the port's
// session login with the login window's address, user name, password and port; the dialog
// animates its text while it works and ends with the login's result (1 when the login and the
// stream request succeeded, else the failing request's result).
#pragma once

#include <QString>
#include <cstdint>

#include "ui/common/ui_dialog.h"
#include "ui/common/worker.h"
#include "ui/login/login_engine.h"

class QLabel;

namespace ui::login {
inline constexpr int IDC_CONNECT_TEXT = 1393;
inline constexpr int kConnectTimer = 1000;
inline constexpr int kConnectPeriodMs = 300;
}  // namespace ui::login

class CConnectDlg : public ui::UiDialog {
  Q_OBJECT

 public:
  // engine: the opener's port (its sessionLogin is run).
  CConnectDlg(ports::LoginEngine engine, QString address, QString userName, QString password,
              QString port, QWidget* parent = nullptr);
  // A login still running is stopped (and given up after a short wait).
  ~CConnectDlg() override;

  // The text of static 1393; the login window sets it to "Connect " and the address.
  QString m_strText = QStringLiteral("Connect ...");
  std::uint32_t AnimationCounter() const { return m_nCounter; }
  QString ShownText() const;

  // The window as it shows while it connects, without a session (for the gallery).
  void InitForPicture();

 protected:
  bool OnInitDialog() override;
  void OnTimer(int id) override;

 private:
  // The login's result: the dialog ends with it.
  void OnLoginStep(int result);

  ports::LoginEngine m_engine;
  ui::Worker m_login;
  QLabel* m_pText = nullptr;
  QString m_strAddress;
  QString m_strUserName;
  QString m_strPassword;
  QString m_strPort;
  std::uint32_t m_nCounter = 0;
};
