// CConfirmAuthorityDlg: asks for a server's user name and password before the search dialog
// changes or resets that server's network settings. The server checks them itself.
#pragma once

#include <QString>

#include "ui/common/ui_dialog.h"

namespace ui::login {
inline constexpr int IDC_CONFIRM_USER = 1043;
inline constexpr int IDC_CONFIRM_PASSWORD = 1040;
inline constexpr int kConfirmTextChars = 15;
}  // namespace ui::login

class CConfirmAuthorityDlg : public ui::UiDialog {
  Q_OBJECT

 public:
  explicit CConfirmAuthorityDlg(QWidget* parent = nullptr);

  QString m_strUserName;  // 1043
  QString m_strPassword;  // 1040

 protected:
  void DoDataExchange(ui::DataExchange& dx) override;
};
