#include "ui/login/connect_dlg.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include "app/trace.h"
#include "net/login_session.h"
#include "ui/common/string_table.h"

using namespace ui::login;

CConnectDlg::CConnectDlg(QString address, QString userName, QString password, QString port,
                         QWidget* parent)
    : ui::UiDialog(parent),
      m_strAddress(std::move(address)),
      m_strUserName(std::move(userName)),
      m_strPassword(std::move(password)),
      m_strPort(std::move(port)) {
  setWindowTitle(QStringLiteral("Connect"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(20, 18, 20, 18);
  layout->setSpacing(10);
  m_pText = new QLabel(this);
  m_pText->setMinimumWidth(260);
  layout->addWidget(m_pText);
  // A busy bar under the text: the login has no steps to count.
  auto* busy = new QProgressBar(this);
  busy->setRange(0, 0);
  busy->setTextVisible(false);
  busy->setFixedHeight(8);
  layout->addWidget(busy);
  RegisterControl(IDC_CONNECT_TEXT, m_pText, ui::ControlRegistry::Tooltip::None);
  setFixedSize(sizeHint());

  // 0x42B from the session's login thread.
  OnMessage(::WM_LOGIN_RESULT, [this](ui::WParam result, ui::LParam) { OnLoginStep(result); });
}

QString CConnectDlg::ShownText() const {
  return m_pText->text();
}

void CConnectDlg::InitForPicture() {
  ui::UiDialog::OnInitDialog();
  m_pText->setText(m_strText);
}

bool CConnectDlg::OnInitDialog() {
  ui::UiDialog::OnInitDialog();
  // 1. The session object with the login window's fields, its login thread, the animation.
  CreateLoginObject();
  g_pLogin->m_dwOwnerFlag = 0;
  g_pLogin->m_hOwnerWindow = Handle();
  g_pLogin->m_strServerName = m_strAddress.toStdString();
  g_pLogin->m_strUserName = m_strUserName.toStdString();
  g_pLogin->m_strPassword = m_strPassword.toStdString();
  g_pLogin->m_strWebPort = m_strPort.toStdString();
  SetTimer(kConnectTimer, kConnectPeriodMs);
  m_pText->setText(m_strText);
  if (!g_pLogin->CreateThread()) {
    DebugPrint("CConnectDlg : create the login thread failed \n");
    KillTimer(kConnectTimer);
    EndDialog(0);
  }
  return true;
}

void CConnectDlg::OnTimer(int id) {
  if (id != kConnectTimer)
    return;
  const QString word = ui::FirstWord(ui::LoadString(8532));
  m_strText = QStringLiteral("%1 %2 %3")
                  .arg(word, m_strAddress, QString(static_cast<int>(m_nCounter % 4) + 1, '.'));
  ++m_nCounter;
  m_pText->setText(m_strText);
}

void CConnectDlg::OnLoginStep(ui::WParam result) {
  KillTimer(kConnectTimer);
  EndDialog(static_cast<int>(result));
}
