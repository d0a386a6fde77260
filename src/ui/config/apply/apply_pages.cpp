// The apply steps of the trigger, account, peripheral and information pages: the TRIGGER,
// SECURE, RS485 and SYSTEM records.
#include <mutex>

#include "app/account_table.h"
#include "app/app_data.h"
#include "net/config_record_layout.h"
#include "net/config_records.h"
#include "net/record_fields.h"
#include "platform/message_box.h"
#include "ui/config/records/config_text.h"
#include "ui/config/sheets/sys_conf_sheet_base.h"

namespace {

constexpr const char* kTurboRangeText = "Max value should be 1 ~ 10";
constexpr std::uint8_t kClipDeviceType = '2';

}  // namespace

syscfg::ApplyTask<> CSysConfSheetBase::ApplyTrigger() {
  using namespace cfg;
  const AlarmPropertyPage& page = m_AlarmPage;
  if (!BeginStep(m_AlarmPage))
    co_return;
  CAppData& app = *g_lpApp;
  const std::span<std::uint8_t> record = app.m_TriggerConfig;
  bool changed = false;
  const struct {
    std::uint8_t value;
    std::uint8_t mirror;
    std::size_t offset;
  } bytes[] = {{page.m_byAlarm, m_Mirror.alarm, trigger::kAlarm},
               {page.m_byMotion, m_Mirror.motion, trigger::kMotion},
               {page.m_byMethod, m_Mirror.method, trigger::kMethod},
               {page.m_byVideoType, m_Mirror.videoType, trigger::kVideoType}};
  for (const auto& b : bytes) {
    if (b.value != b.mirror) {
      net::SetRecordU8(record, b.offset, b.value);
      changed = true;
    }
  }
  app.m_byTriggerMotionCopy = page.m_byMotion;
  // A row picked on the page (a duration without a row is kept).
  if (page.m_nDuration >= 0 && page.m_nDuration != m_Mirror.durationIndex) {
    net::SetRecordU16(record, trigger::kDuration,
                      static_cast<std::uint16_t>(syscfg::DurationOfRow(page.m_nDuration)));
    changed = true;
  }
  if (app.m_byDeviceType.load() == kClipDeviceType) {
    if (page.m_nMpeg4Length >= 0 && page.m_nMpeg4Length != m_Mirror.mpeg4LengthIndex) {
      net::SetRecordU8(record, trigger::kMpeg4Length,
                       static_cast<std::uint8_t>((page.m_nMpeg4Length + 1) * 24));
      changed = true;
    }
    if (page.m_nJpegCount >= 0 && page.m_nJpegCount != m_Mirror.jpegPicturesIndex) {
      net::SetRecordU8(record, trigger::kJpegPictures,
                       static_cast<std::uint8_t>(page.m_nJpegCount + 1));
      changed = true;
    }
  }
  if (changed)
    co_await SendRecord(kConfigTrigger);
}

syscfg::ApplyTask<> CSysConfSheetBase::ApplyAccount() {
  using namespace cfg;
  AccountPropertyPage& page = m_AccountPage;
  if (!BeginStep(m_AccountPage))
    co_return;
  CAppData& app = *g_lpApp;
  const std::span<std::uint8_t> record = app.m_SecureConfig;
  bool changed = false;
  if (page.m_bChanged) {
    for (std::size_t slot = 0; slot < secure::kAccountCount; ++slot) {
      const std::size_t at = secure::kAccounts + secure::kAccountBytes * slot;
      const cfg::TextField name{at + secure::kAccountName.offset, secure::kAccountName.width};
      const cfg::TextField password{at + secure::kAccountPassword.offset,
                                    secure::kAccountPassword.width};
      const WorkingAccount account = ReadWorkingAccount(app.m_TextPairRecords[slot]);
      if (!account.used) {
        std::fill_n(record.begin() + static_cast<std::ptrdiff_t>(name.offset), name.width, 0);
        std::fill_n(record.begin() + static_cast<std::ptrdiff_t>(password.offset), password.width,
                    0);
        continue;
      }
      syscfg::WriteText(record, name, QString::fromStdString(account.name));
      syscfg::WriteText(record, password, QString::fromStdString(account.password));
      net::SetRecordU32(record, at + secure::kAccountLevel, account.level);
      net::SetRecordU32(record, at + secure::kAccountLifeTime, account.lifeTime);
    }
    changed = true;
  }
  // The page refused a maximum outside 1..10 before anything was sent.
  if (page.m_wMaxUsers != m_Mirror.maxUsers) {
    net::SetRecordU16(record, secure::kMaxUsers, page.m_wMaxUsers);
    changed = true;
  }
  if (!changed)
    co_return;
  const bool sent =
      co_await SendRecord(kConfigSecure, QString::fromLatin1(kSetSysConfigFailedText));
  if (sent && page.m_PendingLogin) {
    // The client logs in with the new name and password once the server has them.
    const std::lock_guard lock(app.m_SettingINI.m_TextLock);
    app.m_SettingINI.m_strUserName = page.m_PendingLogin->first;
    app.m_SettingINI.m_strPassword = page.m_PendingLogin->second;
  }
  page.m_PendingLogin.reset();
}

syscfg::ApplyTask<> CSysConfSheetBase::ApplyPeripheral() {
  using namespace cfg;
  const CPeripheralPage& page = m_PeripheralPage;
  if (!BeginStep(m_PeripheralPage))
    co_return;
  CAppData& app = *g_lpApp;
  const std::span<std::uint8_t> record = app.m_Rs485Config;
  const bool turboChanged = page.m_nTurbo != m_Mirror.turboIndex;
  if (turboChanged && (page.m_nTurbo + 1 < 1 || page.m_nTurbo + 1 > 10)) {
    platform::ShowMessageBox(kTurboRangeText);
    co_return;
  }
  bool changed = false;
  // Both channels alike: channel 1 at +4/+6/+8 and the first port, channel 2 at +12/+14/+16
  // and the second port. Models and bauds compare as rows, so a value without a row of its own
  // is kept unless a row is picked.
  const struct {
    int baudRow;
    std::uint32_t mirrorBaud;
    std::uint32_t id;
    std::uint8_t mirrorId;
    int modelRow;
    std::uint8_t mirrorType;
    std::size_t idAt, typeAt, baudAt;
    std::size_t port;
  } channels[] = {
      {page.m_nBaud1, m_Mirror.baudRate1, page.m_dwId1, m_Mirror.deviceId1, page.m_nModel1,
       m_Mirror.deviceType1, rs485::kPort1Id, rs485::kPort1Type, rs485::kPort1Baud, 0},
      {page.m_nBaud2, m_Mirror.baudRate2, page.m_dwId2, m_Mirror.deviceId2, page.m_nModel2,
       m_Mirror.deviceType2, rs485::kPort2Id, rs485::kPort2Type, rs485::kPort2Baud, 1}};
  for (const auto& ch : channels) {
    if (ch.baudRow >= 0 && ch.baudRow != syscfg::BaudRow(ch.mirrorBaud)) {
      net::SetRecordU32(record, ch.baudAt, syscfg::BaudOfRow(ch.baudRow));
      changed = true;
    }
    if (ch.id != ch.mirrorId) {
      const auto id = static_cast<std::uint8_t>(ch.id);
      net::SetRecordU8(record, ch.idAt, id);
      app.m_abyChannelDeviceId[ch.port] = id;
      changed = true;
    }
    const int type = page.m_Rows.TypeOf(ch.modelRow);
    if (type >= 0 && ch.modelRow != page.m_Rows.RowOf(ch.mirrorType)) {
      net::SetRecordU16(record, ch.typeAt, static_cast<std::uint16_t>(type));
      (ch.port == 0 ? app.m_SettingINI.m_byChannel1Device : app.m_SettingINI.m_byChannel2Device) =
          static_cast<std::uint8_t>(type);
      m_bDeviceTypeChanged = 1;
      changed = true;
    }
  }
  if (turboChanged) {
    net::SetRecordU8(record, rs485::kTurboStep, static_cast<std::uint8_t>(page.m_nTurbo + 1));
    changed = true;
  }
  if (changed)
    co_await SendRecord(kConfigRs485);
}

syscfg::ApplyTask<> CSysConfSheetBase::ApplySystem() {
  const COnlineUserPage& page = m_OnlineUserPage;
  if (!BeginStep(m_OnlineUserPage))
    co_return;
  if (syscfg::WriteChangedTexts(g_lpApp->m_SystemConfig, {{page.m_strHostName, m_Mirror.hostName,
                                                           cfg::system::kHostName}})) {
    co_await SendRecord(kConfigSystem);
  }
}
