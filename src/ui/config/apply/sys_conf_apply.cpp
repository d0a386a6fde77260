// APPLY of the configuration sheets: every page shown is checked first, then the apply steps run
// in their fixed order, each on its page's values against the mirror, and each changed record
// is sent once. Then the alarm database is read again, a network change ends in a new login,
// and the sheet ends with 3.
// The steps are coroutines on the GUI thread: a record send or a stream pause runs on the
// sheet's worker, and the step goes on where it waited when the worker's message arrives, so
// the window keeps working while the server takes its time (up to 5 s a record). Messages,
// questions and engine actions stay on the GUI thread, in the order they always had.
#include <vector>

#include "app/app_data.h"
#include "net/config_record_layout.h"
#include "net/config_records.h"
#include "net/net_environment.h"
#include "net/record_fields.h"
#include "platform/message_box.h"
#include "ui/common/message_ids.h"
#include "ui/common/qt_message_box.h"
#include "ui/config/records/config_text.h"
#include "ui/config/records/time_zones.h"
#include "ui/config/sheets/sys_conf_prop_sheet.h"

void CSysConfPropSheet::OnApply() {
  StartApply(kApplyOrder);
}

void CSysConfSheetBase::OnApplyFinished() {
  Sheet().EndDialog(kResultApplied);
}

bool CSysConfSheetBase::StartApply(std::span<const SysConfApplyStep> order) {
  if (!g_lpApp || m_bApplying || m_bRebooting || !CheckPagesForApply())
    return false;
  m_applyTask.Reset();
  m_bApplying = true;
  m_bApplyStopped = false;
  m_bApplyPaused = false;
  m_nApplyResult = 0;
  // The pages keep what they hold while the steps read them: no input until APPLY ends.
  DisableButtons();
  if (QWidget* run = Sheet().GetRunWindow())
    run->setEnabled(false);
  m_applyTask = RunApplySteps(std::vector<SysConfApplyStep>(order.begin(), order.end()));
  m_bApplyRunning = true;
  m_applyTask.Start();
  m_bApplyRunning = false;
  AfterApplyRan();
  return true;
}

syscfg::ApplyTask<> CSysConfSheetBase::RunApplySteps(std::vector<SysConfApplyStep> order) {
  bool networkChanged = false;
  for (SysConfApplyStep step : order)
    co_await RunStep(step, networkChanged);
  if (m_bApplyStopped)
    co_return;
  // The file-path page's folders go back to the opener with the result.
  if (m_RecordPage.HasWindow() && m_RecordPage.UpdateData(true))
    m_Folders = m_RecordPage.Folders(m_Folders);
  if (m_engine.reloadAlarmDatabase)
    m_engine.reloadAlarmDatabase();
  if (networkChanged && m_engine.reportConnectionLost)
    m_engine.reportConnectionLost();
  // A new login is reported once.
  m_bApplyPaused = false;
}

bool CSysConfSheetBase::WorkerWait::await_suspend(std::coroutine_handle<> step) {
  const bool started = m_sheet.m_applyWorker.Start(
      "ApplyConfigThread",
      [body = std::move(m_body)](const ui::WorkerRun<>& run) { return body(run.Token()); },
      [sheet = &m_sheet](int result) { sheet->OnApplyStepDone(result); });
  if (!started) {
    // No thread: the wait ends at once as failed.
    m_sheet.m_nApplyResult = 0;
    return false;
  }
  m_sheet.m_applyResume = step;
  return true;
}

void CSysConfSheetBase::OnApplyStepDone(int result) {
  if (!m_bApplying || !m_applyResume)
    return;
  m_nApplyResult = result;
  ResumeApply(std::exchange(m_applyResume, {}));
}

void CSysConfSheetBase::ResumeApply(std::coroutine_handle<> step) {
  m_bApplyRunning = true;
  step.resume();
  m_bApplyRunning = false;
  AfterApplyRan();
}

void CSysConfSheetBase::AfterApplyRan() {
  if (m_bApplyStopped) {
    // Stopped while the steps ran (a message box of theirs was open): they have ended now.
    if (!m_applyResume)
      EndApply();
    return;
  }
  if (!m_applyTask.Done())
    return;  // waiting for the worker
  EndApply();
  if (QWidget* run = Sheet().GetRunWindow())
    run->setEnabled(true);
  EnableButtons();
  OnApplyFinished();
}

void CSysConfSheetBase::StopApply() {
  if (!m_bApplying)
    return;
  m_bApplyStopped = true;
  m_applyWorker.Stop();
  // Steps waiting for the worker are ended here; steps running (under an open message box)
  // end by themselves, sending nothing more, and are cleared when they return.
  if (!m_bApplyRunning)
    EndApply();
}

void CSysConfSheetBase::EndApply() {
  m_applyResume = {};
  m_applyTask.Reset();
  m_bApplying = false;
  if (!m_bApplyStopped)
    return;
  // A stopped IP send may or may not have reached the server: the client keeps its address
  // and port, and paused streams end in a new login as after a failed send.
  net::ClearPendingChanges();
  if (std::exchange(m_bApplyPaused, false) && m_engine.reportConnectionLost)
    m_engine.reportConnectionLost();
}

syscfg::ApplyTask<> CSysConfSheetBase::RunStep(SysConfApplyStep step, bool& networkChanged) {
  switch (step) {
    case SysConfApplyStep::kDns:
      co_await ApplyDNS();
      break;
    case SysConfApplyStep::kTrigger:
      co_await ApplyTrigger();
      break;
    case SysConfApplyStep::kMail:
      co_await ApplyMail();
      break;
    case SysConfApplyStep::kFtp:
      co_await ApplyFTP();
      break;
    case SysConfApplyStep::kSntp:
      co_await ApplySNTP();
      break;
    case SysConfApplyStep::kAccount:
      co_await ApplyAccount();
      break;
    case SysConfApplyStep::kPeripheral:
      co_await ApplyPeripheral();
      break;
    case SysConfApplyStep::kSystem:
      co_await ApplySystem();
      break;
    case SysConfApplyStep::kNetwork:
      co_await ApplyNetwork(networkChanged);
      break;
    case SysConfApplyStep::kVideo:
      co_await ApplyVideo(networkChanged);
      break;
  }
}

bool CSysConfSheetBase::CheckPagesForApply() {
  // The active page first, then the others in page order; nothing is sent before all pass.
  ui::CPropertySheet& sheet = Sheet();
  std::vector<CSysConfPage*> shown;
  auto* active = dynamic_cast<CSysConfPage*>(sheet.GetActivePage());
  if (active != nullptr && active->HasWindow())
    shown.push_back(active);
  for (int i = 0; i < sheet.GetPageCount(); ++i) {
    auto* page = dynamic_cast<CSysConfPage*>(sheet.GetPage(i));
    if (page != nullptr && page->HasWindow() && page != active)
      shown.push_back(page);
  }
  for (CSysConfPage* page : shown) {
    // A failing page has shown its message and focused its control (which takes the focus
    // once the page shows).
    if (!page->CheckForApply()) {
      sheet.SetActivePage(page);
      return false;
    }
  }
  return true;
}

bool CSysConfSheetBase::BeginStep(CSysConfPage& page) {
  return !m_bApplyStopped && page.HasWindow() && page.UpdateData(true);
}

syscfg::ApplyTask<bool> CSysConfSheetBase::SendRecord(std::uint8_t option, QString failureText,
                                                      int refresh) {
  // The worker sends a copy: the bytes are those of the record at this point of the steps.
  // (Body and wait are named locals: see apply_task.h.)
  const std::span<const std::uint8_t> record = CachedConfigRecord(option);
  WorkerWait wait(
      *this, [send = m_engine.setRecord, option, refresh,
              bytes = std::vector<std::uint8_t>(record.begin(), record.end())](
                 const platform::StopToken& stop) { return send(option, bytes, refresh, stop); });
  const int result = co_await wait;
  if (result == 1)
    co_return true;
  if (m_bApplyStopped)
    co_return false;
  if (failureText.isEmpty()) {
    ui::MessageBoxById(ui::kMsgChangeConfigFailed);
  } else {
    platform::ShowMessageBox(failureText.toStdString());
  }
  co_return false;
}

syscfg::ApplyTask<> CSysConfSheetBase::PauseStreams() {
  if (m_bApplyStopped || !m_engine.pauseStreams)
    co_return;
  const std::uint8_t option = m_engine.avOption ? m_engine.avOption() : std::uint8_t{0};
  m_bApplyPaused = true;
  WorkerWait wait(*this, [pause = m_engine.pauseStreams, option](const platform::StopToken&) {
    pause(option);
    return 1;
  });
  co_await wait;
}

syscfg::ApplyTask<> CSysConfSheetBase::ApplyDNS() {
  using namespace cfg;
  const CDNSPage& page = m_DnsPage;
  if (!BeginStep(m_DnsPage))
    co_return;
  const std::span<std::uint8_t> record = g_lpApp->m_DnsConfig;
  bool changed = false;
  bool refresh = false;  // every change but the address asks the server to refresh
  if (page.m_dwDnsServer != m_Mirror.dnsServer) {
    net::SetRecordAddress(record, dns::kServer, page.m_dwDnsServer);
    changed = true;
  }
  if (page.m_byEnabled != m_Mirror.ddnsEnabled) {
    net::SetRecordU8(record, dns::kEnabled, page.m_byEnabled);
    changed = refresh = true;
  }
  if (syscfg::WriteChangedTexts(record,
                                {{page.m_strUser, m_Mirror.ddnsUser, dns::kUser},
                                 {page.m_strPassword, m_Mirror.ddnsPassword, dns::kPassword},
                                 {page.m_strDomain, m_Mirror.ddnsDomain, dns::kDomain}})) {
    changed = refresh = true;
  }
  if (page.m_nProvider >= 0 && page.m_nProvider != m_Mirror.ddnsProvider &&
      syscfg::WriteText(record, dns::kProvider, syscfg::ProviderText(page.m_nProvider))) {
    changed = refresh = true;
  }
  if (changed)
    co_await SendRecord(kConfigDns, {}, refresh ? 1 : 0);
}

syscfg::ApplyTask<> CSysConfSheetBase::ApplyMail() {
  using namespace cfg;
  const MailPropertyPage& page = m_MailPage;
  if (!BeginStep(m_MailPage))
    co_return;
  const std::span<std::uint8_t> record = g_lpApp->m_SmtpConfig;
  bool changed = syscfg::WriteChangedTexts(
      record, {{page.m_strFrom, m_Mirror.mailFrom, smtp::kFrom},
               {page.m_strServer, m_Mirror.smtpServer, smtp::kServer},
               {page.m_strPassword, m_Mirror.smtpPassword, smtp::kPassword},
               {page.m_strUser, m_Mirror.smtpUser, smtp::kUser}});
  if (page.m_byVerify != m_Mirror.mailVerify) {
    net::SetRecordU8(record, smtp::kVerify, page.m_byVerify);
    changed = true;
  }
  if (page.m_bChanged) {
    // The record holds bare addresses.
    const QStringList addresses = page.AddressesToStore();
    std::fill_n(record.begin() + smtp::kAddresses, smtp::kAddressWidth * smtp::kAddressCount, 0);
    for (qsizetype i = 0; i < addresses.size() && i < qsizetype{smtp::kAddressCount}; ++i)
      syscfg::WriteText(record, smtp::Address(static_cast<std::size_t>(i)), addresses.at(i));
    changed = true;
  }
  if (changed)
    co_await SendRecord(kConfigSmtp);
}

syscfg::ApplyTask<> CSysConfSheetBase::ApplyFTP() {
  using namespace cfg;
  const FTPPropertyPage& page = m_FtpPage;
  if (!BeginStep(m_FtpPage))
    co_return;
  const std::span<std::uint8_t> record = g_lpApp->m_FtpConfig;
  // The record holds one site: the one in the entry fields.
  bool changed = syscfg::WriteChangedTexts(
      record, {{page.m_strServer, m_Mirror.ftpServer, ftp::kServer},
               {page.m_strUser, m_Mirror.ftpUser, ftp::kUser},
               {page.m_strPassword, m_Mirror.ftpPassword, ftp::kPassword},
               {page.m_strDirectory, m_Mirror.ftpDirectory, ftp::kDirectory}});
  if (page.m_dwPort != m_Mirror.ftpPort) {
    net::SetRecordU16(record, ftp::kPort, static_cast<std::uint16_t>(page.m_dwPort));
    changed = true;
  }
  if (changed)
    co_await SendRecord(kConfigFtp);
}

syscfg::ApplyTask<> CSysConfSheetBase::ApplySNTP() {
  using namespace cfg;
  const CSNTPPage& page = m_SntpPage;
  if (!BeginStep(m_SntpPage))
    co_return;
  const std::span<std::uint8_t> record = g_lpApp->m_SntpConfig;
  bool changed = syscfg::WriteChangedTexts(
      record, {{page.m_strTimeServer, m_Mirror.sntpServer, sntp::kServer}});
  if (page.m_nTimeZone >= 0 && page.m_nTimeZone != m_Mirror.timeZone) {
    const syscfg::ZoneOffset offset = syscfg::TimeZoneOffset(page.m_nTimeZone);
    net::SetRecordU8(record, sntp::kZone, static_cast<std::uint8_t>(page.m_nTimeZone));
    net::SetRecordU8(record, sntp::kHourOffset, static_cast<std::uint8_t>(offset.hours));
    net::SetRecordU8(record, sntp::kMinuteOffset, static_cast<std::uint8_t>(offset.minutes));
    changed = true;
  }
  if (changed)
    co_await SendRecord(kConfigSntp);
}
