// APPLY of the configuration sheets: every page shown is checked first, then the apply steps run
// in their fixed order, each on its page's values against the mirror, and each changed record
// is sent once. Then the alarm database is read again, a network change ends in a new login,
// and the sheet ends with 3.
#include "app/app_data.h"
#include "net/config_record_layout.h"
#include "net/config_records.h"
#include "net/record_fields.h"
#include "platform/message_box.h"
#include "ui/common/qt_message_box.h"
#include "ui/config/config_text.h"
#include "ui/config/sys_conf_prop_sheet.h"
#include "ui/config/time_zones.h"

void CSysConfPropSheet::OnApply() {
  if (g_lpApp && RunApply(kApplyOrder))
    EndDialog(kResultApplied);
}

bool CSysConfSheetBase::RunApply(std::span<const SysConfApplyStep> order) {
  if (!g_lpApp || !CheckPagesForApply())
    return false;
  bool networkChanged = false;
  for (SysConfApplyStep step : order)
    RunStep(step, networkChanged);
  // The file-path page's folders go back to the opener with the result.
  if (m_RecordPage.HasWindow() && m_RecordPage.UpdateData(true))
    m_Folders = m_RecordPage.Folders(m_Folders);
  if (m_engine.reloadAlarmDatabase)
    m_engine.reloadAlarmDatabase();
  if (networkChanged && m_engine.reportConnectionLost)
    m_engine.reportConnectionLost();
  return true;
}

void CSysConfSheetBase::RunStep(SysConfApplyStep step, bool& networkChanged) {
  switch (step) {
    case SysConfApplyStep::kDns:
      return ApplyDNS();
    case SysConfApplyStep::kTrigger:
      return ApplyTrigger();
    case SysConfApplyStep::kMail:
      return ApplyMail();
    case SysConfApplyStep::kFtp:
      return ApplyFTP();
    case SysConfApplyStep::kSntp:
      return ApplySNTP();
    case SysConfApplyStep::kAccount:
      return ApplyAccount();
    case SysConfApplyStep::kPeripheral:
      return ApplyPeripheral();
    case SysConfApplyStep::kSystem:
      return ApplySystem();
    case SysConfApplyStep::kNetwork:
      return ApplyNetwork(networkChanged);
    case SysConfApplyStep::kVideo:
      return ApplyVideo(networkChanged);
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
  return page.HasWindow() && page.UpdateData(true);
}

bool CSysConfSheetBase::SendRecord(std::uint8_t option, const QString& failureText, int refresh) {
  const std::span<std::uint8_t> record = CachedConfigRecord(option);
  if (SetSysCfg(option, record.data(), static_cast<std::uint32_t>(record.size()), refresh) == 1)
    return true;
  if (failureText.isEmpty()) {
    ui::MessageBoxById(4012);
  } else {
    platform::ShowMessageBox(failureText.toStdString());
  }
  return false;
}

void CSysConfSheetBase::ApplyDNS() {
  using namespace cfg;
  const CDNSPage& page = m_DnsPage;
  if (!BeginStep(m_DnsPage))
    return;
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
  const struct {
    const QString& value;
    const QString& mirror;
    TextField field;
  } texts[] = {{page.m_strUser, m_Mirror.ddnsUser, dns::kUser},
               {page.m_strPassword, m_Mirror.ddnsPassword, dns::kPassword},
               {page.m_strDomain, m_Mirror.ddnsDomain, dns::kDomain}};
  for (const auto& t : texts) {
    if (t.value != t.mirror && syscfg::WriteText(record, t.field, t.value))
      changed = refresh = true;
  }
  if (page.m_nProvider >= 0 && page.m_nProvider != m_Mirror.ddnsProvider &&
      syscfg::WriteText(record, dns::kProvider, syscfg::ProviderText(page.m_nProvider))) {
    changed = refresh = true;
  }
  if (changed)
    SendRecord(kConfigDns, {}, refresh ? 1 : 0);
}

void CSysConfSheetBase::ApplyMail() {
  using namespace cfg;
  const MailPropertyPage& page = m_MailPage;
  if (!BeginStep(m_MailPage))
    return;
  const std::span<std::uint8_t> record = g_lpApp->m_SmtpConfig;
  bool changed = false;
  const struct {
    const QString& value;
    const QString& mirror;
    TextField field;
  } texts[] = {{page.m_strFrom, m_Mirror.mailFrom, smtp::kFrom},
               {page.m_strServer, m_Mirror.smtpServer, smtp::kServer},
               {page.m_strPassword, m_Mirror.smtpPassword, smtp::kPassword},
               {page.m_strUser, m_Mirror.smtpUser, smtp::kUser}};
  for (const auto& t : texts) {
    if (t.value != t.mirror && syscfg::WriteText(record, t.field, t.value))
      changed = true;
  }
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
    SendRecord(kConfigSmtp);
}

void CSysConfSheetBase::ApplyFTP() {
  using namespace cfg;
  const FTPPropertyPage& page = m_FtpPage;
  if (!BeginStep(m_FtpPage))
    return;
  const std::span<std::uint8_t> record = g_lpApp->m_FtpConfig;
  bool changed = false;
  // The record holds one site: the one in the entry fields.
  const struct {
    const QString& value;
    const QString& mirror;
    TextField field;
  } texts[] = {{page.m_strServer, m_Mirror.ftpServer, ftp::kServer},
               {page.m_strUser, m_Mirror.ftpUser, ftp::kUser},
               {page.m_strPassword, m_Mirror.ftpPassword, ftp::kPassword},
               {page.m_strDirectory, m_Mirror.ftpDirectory, ftp::kDirectory}};
  for (const auto& t : texts) {
    if (t.value != t.mirror && syscfg::WriteText(record, t.field, t.value))
      changed = true;
  }
  if (page.m_dwPort != m_Mirror.ftpPort) {
    net::SetRecordU16(record, ftp::kPort, static_cast<std::uint16_t>(page.m_dwPort));
    changed = true;
  }
  if (changed)
    SendRecord(kConfigFtp);
}

void CSysConfSheetBase::ApplySNTP() {
  using namespace cfg;
  const CSNTPPage& page = m_SntpPage;
  if (!BeginStep(m_SntpPage))
    return;
  const std::span<std::uint8_t> record = g_lpApp->m_SntpConfig;
  bool changed = false;
  if (page.m_strTimeServer != m_Mirror.sntpServer &&
      syscfg::WriteText(record, sntp::kServer, page.m_strTimeServer)) {
    changed = true;
  }
  if (page.m_nTimeZone >= 0 && page.m_nTimeZone != m_Mirror.timeZone) {
    const syscfg::ZoneOffset offset = syscfg::TimeZoneOffset(page.m_nTimeZone);
    net::SetRecordU8(record, sntp::kZone, static_cast<std::uint8_t>(page.m_nTimeZone));
    net::SetRecordU8(record, sntp::kHourOffset, static_cast<std::uint8_t>(offset.hours));
    net::SetRecordU8(record, sntp::kMinuteOffset, static_cast<std::uint8_t>(offset.minutes));
    changed = true;
  }
  if (changed)
    SendRecord(kConfigSntp);
}
