#include "ui/login/confirm_authority_dlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

using namespace ui::login;

CConfirmAuthorityDlg::CConfirmAuthorityDlg(QWidget* parent) : ui::UiDialog(parent) {
  setWindowTitle(QStringLiteral("Confirm Authority"));
  auto* form = new QFormLayout(this);
  form->setContentsMargins(16, 16, 16, 12);
  form->setHorizontalSpacing(10);
  form->setVerticalSpacing(8);
  auto* user = new QLineEdit(this);
  auto* password = new QLineEdit(this);
  password->setEchoMode(QLineEdit::Password);
  for (QLineEdit* edit : {user, password}) {
    edit->setMaxLength(kConfirmTextChars);
    edit->setMinimumWidth(180);
  }
  form->addRow(QStringLiteral("User name :"), user);
  form->addRow(QStringLiteral("Password :"), password);
  RegisterControl(IDC_CONFIRM_USER, user, ui::ControlRegistry::Tooltip::None);
  RegisterControl(IDC_CONFIRM_PASSWORD, password, ui::ControlRegistry::Tooltip::None);

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  QPushButton* cancel = buttons->addButton(QStringLiteral("CANCEL"), QDialogButtonBox::RejectRole);
  RegisterControl(ui::IDOK, ok, ui::ControlRegistry::Tooltip::None);
  RegisterControl(ui::IDCANCEL, cancel, ui::ControlRegistry::Tooltip::None);
  connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
  connect(cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
  form->addRow(buttons);
  setFixedSize(sizeHint());
}

void CConfirmAuthorityDlg::DoDataExchange(ui::DataExchange& dx) {
  dx.Text(IDC_CONFIRM_USER, m_strUserName, kConfirmTextChars);
  dx.Text(IDC_CONFIRM_PASSWORD, m_strPassword, kConfirmTextChars);
}
