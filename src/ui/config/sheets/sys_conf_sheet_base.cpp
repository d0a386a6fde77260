#include "ui/config/sheets/sys_conf_sheet_base.h"

#include <QPushButton>

#include "app/app_data.h"
#include "net/net_environment.h"
#include "net/session_command.h"
#include "ui/common/message_ids.h"
#include "ui/common/property_sheet.h"
#include "ui/common/qt_message_box.h"
#include "ui/common/string_table.h"

CSysConfSheetBase::CSysConfSheetBase(ports::SysConfEngine engine) : m_engine(std::move(engine)) {}

CSysConfSheetBase::~CSysConfSheetBase() = default;

namespace {

constexpr int kSheetKeys[] = {CSysConfSheetBase::IDC_EXIT, CSysConfSheetBase::IDC_APPLY,
                              CSysConfSheetBase::IDC_REBOOT};

}  // namespace

void CSysConfSheetBase::InitSheetKeys() {
  LoadPagesFromConfig();
  ui::CPropertySheet& sheet = Sheet();
  for (int id : {ui::IDOK, ui::IDCANCEL, ui::IDHELP, ui::ID_APPLY_NOW}) {
    if (QWidget* button = sheet.GetDlgItem(id)) {
      button->hide();
      button->setEnabled(false);
    }
  }
  const std::pair<int, std::function<void()>> keys[] = {{IDC_EXIT, [this] { OnExit(); }},
                                                        {IDC_APPLY, [this] { OnApply(); }},
                                                        {IDC_REBOOT, [this] { OnReboot(); }}};
  for (const auto& [id, handler] : keys) {
    auto* button = new QPushButton(ui::LoadString(id), sheet.GetRunWindow());
    button->setAutoDefault(false);
    button->show();
    sheet.RegisterControl(id, button, ui::ControlRegistry::Tooltip::None);
    QObject::connect(button, &QPushButton::clicked, &sheet, handler);
  }
}

int CSysConfSheetBase::DisableButtons() {
  for (int id : kSheetKeys) {
    if (QWidget* button = Sheet().GetDlgItem(id))
      button->setEnabled(false);
  }
  return 1;
}

int CSysConfSheetBase::EnableButtons() {
  for (int id : kSheetKeys) {
    if (QWidget* button = Sheet().GetDlgItem(id))
      button->setEnabled(true);
  }
  return 1;
}

void CSysConfSheetBase::OnReboot() {
  StartReboot();
}

void CSysConfSheetBase::OnExit() {
  StopApply();
  Sheet().EndDialog(kResultClosed);
}

void CSysConfSheetBase::StopRun() {
  StopApply();
  StopReboot();
}

void CSysConfSheetBase::StartReboot() {
  if (m_bRebooting || m_bApplying)
    return;
  StopReboot();
  DisableButtons();
  m_bRebooting = true;
  const bool started = m_rebootWorker.Start(
      "RebootServerThread",
      [send = m_engine.sessionCommand,
       session = net::Environment().SessionId()](const ui::WorkerRun<>& run) {
        return send(CgiIndex::kCgiRebootServer, session, run.Token());
      },
      [this](int result) { OnRebootDone(result); });
  if (!started)
    OnRebootDone(0);
}

void CSysConfSheetBase::StopReboot() {
  m_rebootWorker.Stop();
  m_bRebooting = false;
}

void CSysConfSheetBase::OnRebootDone(int result) {
  if (!m_bRebooting)
    return;
  StopReboot();
  EnableButtons();
  if (result == 0) {
    ui::MessageBoxById(ui::kMsgSendCommandFailed);
    return;
  }
  Sheet().EndDialog(0);
}

CSysConfPage* CSysConfSheetBase::PageOfCode(int code) const {
  const ui::CPropertySheet& sheet = Sheet();
  for (int i = 0; i < sheet.GetPageCount(); ++i) {
    auto* page = dynamic_cast<CSysConfPage*>(sheet.GetPage(i));
    if (page != nullptr && page->PageCode() == code)
      return page;
  }
  return nullptr;
}

void CSysConfSheetBase::LoadPagesFromConfig() {
  if (!g_lpApp)
    return;
  syscfg::TerminateSmtpTexts(g_lpApp->m_SmtpConfig);
  m_Mirror = syscfg::LoadMirror(*g_lpApp);
}
