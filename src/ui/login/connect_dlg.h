// CConnectDlg: logs in for the firmware upgrade. It creates the session object with the login
// window's address, user name, password and port, starts its login thread, animates its text
// while the thread works, and ends with the login's result (1 when the login and the stream
// request succeeded, else the failing request's result).
#pragma once

#include <QString>
#include <cstdint>

#include "ui/common/ui_dialog.h"

class QLabel;

namespace ui::login {
inline constexpr int IDC_CONNECT_TEXT = 1393;
inline constexpr int kConnectTimer = 1000;
inline constexpr int kConnectPeriodMs = 300;
}  // namespace ui::login

class CConnectDlg : public ui::UiDialog {
  Q_OBJECT

 public:
  CConnectDlg(QString address, QString userName, QString password, QString port,
              QWidget* parent = nullptr);

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
  void OnLoginStep(ui::WParam result);

  QLabel* m_pText = nullptr;
  QString m_strAddress;
  QString m_strUserName;
  QString m_strPassword;
  QString m_strPort;
  std::uint32_t m_nCounter = 0;
};
