#include "ui/login/connect_dlg.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include "app/trace.h"
#include "net/login_session.h"
#include "ui/common/string_table.h"

using namespace ui::login;

CConnectDlg::CConnectDlg(ports::LoginEngine engine, QString address, QString userName,
                         QString password, QString port, QWidget* parent)
    : ui::UiDialog(parent),
      m_engine(std::move(engine)),
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
}

CConnectDlg::~CConnectDlg() {
  m_login.Stop(net::kSessionStopMs);
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
  // 1. The animation, and the login thread with the login window's fields; its result ends
  // the dialog.
  SetTimer(kConnectTimer, kConnectPeriodMs);
  m_pText->setText(m_strText);
  const net::SessionLogin request{m_strAddress.toStdString(), m_strUserName.toStdString(),
                                  m_strPassword.toStdString(), m_strPort.toStdString()};
  const bool started = m_login.Start(
      "LoginThread",
      [login = m_engine.sessionLogin, request](const ui::WorkerRun<>& run) {
        return login(request, run.Token());
      },
      [this](int result) { OnLoginStep(result); });
  if (!started) {
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

void CConnectDlg::OnLoginStep(int result) {
  KillTimer(kConnectTimer);
  EndDialog(result);
}
