#include "ui/login/wait_dlg.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <atomic>
#include <mutex>

#include "ui/common/message_ids.h"
#include "ui/common/qt_message_box.h"
#include "ui/common/string_table.h"

namespace {

std::atomic<int> g_dotCounter{1};

struct EndHookSlot {
  std::mutex lock;
  ProgramEndHook hook;
};

EndHookSlot& EndHook() {
  static EndHookSlot slot;
  return slot;
}

}  // namespace

std::shared_ptr<platform::Event> WaitBoxEvent() {
  static const auto event = std::make_shared<platform::Event>(platform::ResetMode::Auto, false);
  return event;
}

void SetProgramEndHook(ProgramEndHook hook) {
  const std::lock_guard lock(EndHook().lock);
  EndHook().hook = std::move(hook);
}

void RequestProgramEnd() {
  ProgramEndHook hook;
  {
    const std::lock_guard lock(EndHook().lock);
    hook = EndHook().hook;
  }
  if (hook)
    hook();
  else
    QCoreApplication::exit(0);
}

CWaitDlg::CWaitDlg(QWidget* parent) : ui::UiDialog(parent) {
  setWindowTitle(ui::LoadString(3029));
  setFixedSize(260, 110);
  auto* layout = new QVBoxLayout(this);
  auto* text = new QLabel(this);
  text->setMinimumWidth(220);
  auto* note = new QLabel(this);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  cancel->setAutoDefault(false);
  layout->addWidget(text);
  note->hide();  // the template's second static has no text
  layout->addWidget(note);
  layout->addWidget(cancel, 0, Qt::AlignRight);
  RegisterControl(IDC_WAIT_TEXT, text, ui::ControlRegistry::Tooltip::None);
  RegisterControl(IDC_WAIT_STATIC, note, ui::ControlRegistry::Tooltip::None);
  RegisterControl(IDC_WAIT_CANCEL, cancel, ui::ControlRegistry::Tooltip::None);
  connect(cancel, &QPushButton::clicked, this, &CWaitDlg::OnCancelButton);
}

int CWaitDlg::DotCounter() {
  return g_dotCounter.load();
}

void CWaitDlg::SetDotCounter(int count) {
  g_dotCounter = count < 1 || count > kWaitMaxDots ? 1 : count;
}

bool CWaitDlg::OnInitDialog() {
  ui::UiDialog::OnInitDialog();
  SetTimer(kWaitDotTimer, kWaitDotPeriodMs);
  SetTimer(kWaitLimitTimer, kWaitLimitMs);
  return true;
}

void CWaitDlg::OnTimer(int id) {
  if (id == kWaitDotTimer) {
    const int count = g_dotCounter.load();
    if (auto* text = qobject_cast<QLabel*>(GetDlgItem(IDC_WAIT_TEXT)))
      text->setText(ui::LoadString(3029) + QString(count, QLatin1Char('.')));
    g_dotCounter = count >= kWaitMaxDots ? 1 : count + 1;
    // The GUI thread only looks at the event; it never waits on it.
    if (WaitBoxEvent()->Wait(0))
      m_bDone = 1;
  } else if (id == kWaitLimitTimer) {
    ui::MessageBoxById(ui::kMsgNoServerDetected);
    KillTimer(kWaitDotTimer);
    KillTimer(kWaitLimitTimer);
    RequestProgramEnd();
    return;
  }
  update();
  if (m_bDone != 0) {
    KillTimer(kWaitDotTimer);
    KillTimer(kWaitLimitTimer);
    EndDialog(0);
  }
}

void CWaitDlg::OnCancelButton() {
  KillTimer(kWaitDotTimer);
  KillTimer(kWaitLimitTimer);
  RequestProgramEnd();
}
