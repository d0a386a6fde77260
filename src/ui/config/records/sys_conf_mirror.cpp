#include "ui/config/records/sys_conf_mirror.h"

#include <algorithm>
#include <array>

#include "app/app_data.h"
#include "net/config_record_layout.h"
#include "net/record_fields.h"
#include "ui/config/records/config_text.h"
#include "ui/config/records/video_tables.h"

namespace syscfg {
namespace {

constexpr std::array<const char*, 3> kProviders = {"custom", "dyndns", "statdns"};

}  // namespace

int DurationIndex(int seconds) {
  switch (seconds) {
    case 3:
      return 0;
    case 15:
      return 1;
    case 30:
      return 2;
    case 60:
      return 3;
    case 1800:
      return 4;
    default:
      return 5;
  }
}

int ClipLengthIndex(int value) {
  return std::max(0, value / 24 - 1);
}

int PictureCountIndex(int value) {
  return std::max(0, value - 1);
}

int ProviderIndex(const QString& text) {
  for (std::size_t i = 0; i < kProviders.size(); ++i) {
    if (text == QLatin1String(kProviders[i]))
      return static_cast<int>(i);
  }
  return -1;
}

QString ProviderText(int index) {
  if (index < 0 || index >= static_cast<int>(kProviders.size()))
    return {};
  return QLatin1String(kProviders[static_cast<std::size_t>(index)]);
}

QString FtpShownText(std::span<const std::uint8_t> record, std::size_t offset, std::size_t width) {
  const std::string text = net::RecordText(record, offset, width);
  if (!net::FitsRecordText(text, width))
    return {};
  // Bytes that are not UTF-8 are shown as U+FFFD, three bytes stored: the shown text must fit
  // too.
  QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  return FitsBytes(shown, static_cast<int>(width) - 1) ? shown : QString();
}

void TerminateSmtpTexts(std::span<std::uint8_t> record) {
  using namespace cfg;
  for (const TextField field : {smtp::kServer, smtp::kFrom, smtp::kUser, smtp::kPassword}) {
    const std::size_t last = field.offset + field.width - 1;
    if (last < record.size())
      record[last] = 0;
  }
}

SysConfMirror LoadMirror(const CAppData& app) {
  using namespace cfg;
  SysConfMirror m;
  const std::span<const std::uint8_t> ip = app.m_IpConfig;
  m.serverAddress = net::RecordAddress(ip, ip::kServerAddress);
  m.gateway = net::RecordAddress(ip, ip::kGateway);
  m.netMask = net::RecordAddress(ip, ip::kNetMask);
  m.webPort = net::RecordU16(ip, ip::kWebPort);
  m.streamPort = net::RecordU16(ip, ip::kStreamPort);
  m.ipType = net::RecordU8(ip, ip::kType);

  m.pppoeUser = ShownText(app.m_PppoeConfig, pppoe::kUser);
  m.pppoePassword = ShownText(app.m_PppoeConfig, pppoe::kPassword);

  const std::span<const std::uint8_t> dnsRecord = app.m_DnsConfig;
  m.dnsServer = net::RecordAddress(dnsRecord, dns::kServer);
  m.ddnsEnabled = net::RecordU8(dnsRecord, dns::kEnabled);
  m.ddnsUser = ShownText(dnsRecord, dns::kUser);
  m.ddnsPassword = ShownText(dnsRecord, dns::kPassword);
  m.ddnsDomain = ShownText(dnsRecord, dns::kDomain);
  m.ddnsProvider = ProviderIndex(ShownText(dnsRecord, dns::kProvider));

  const std::span<const std::uint8_t> smtpRecord = app.m_SmtpConfig;
  m.mailFrom = ShownText(smtpRecord, smtp::kFrom);
  m.smtpServer = ShownText(smtpRecord, smtp::kServer);
  m.smtpPassword = ShownText(smtpRecord, smtp::kPassword);
  m.smtpUser = ShownText(smtpRecord, smtp::kUser);
  m.mailVerify = net::RecordU8(smtpRecord, smtp::kVerify);

  const std::span<const std::uint8_t> ftpRecord = app.m_FtpConfig;
  m.ftpServer = FtpShownText(ftpRecord, ftp::kServer.offset, ftp::kServer.width);
  m.ftpDirectory = FtpShownText(ftpRecord, ftp::kDirectory.offset, ftp::kDirectory.width);
  m.ftpUser = FtpShownText(ftpRecord, ftp::kUser.offset, ftp::kUser.width);
  m.ftpPassword = FtpShownText(ftpRecord, ftp::kPassword.offset, ftp::kPassword.width);
  m.ftpPort = net::RecordU16(ftpRecord, ftp::kPort);

  m.sntpServer = ShownText(app.m_SntpConfig, sntp::kServer);
  m.timeZone = net::RecordU8(app.m_SntpConfig, sntp::kZone);

  const std::span<const std::uint8_t> triggerRecord = app.m_TriggerConfig;
  m.durationIndex = DurationIndex(net::RecordU16(triggerRecord, trigger::kDuration));
  m.mpeg4LengthIndex = ClipLengthIndex(net::RecordU8(triggerRecord, trigger::kMpeg4Length));
  m.jpegPicturesIndex = PictureCountIndex(net::RecordU8(triggerRecord, trigger::kJpegPictures));
  m.videoType = net::RecordU8(triggerRecord, trigger::kVideoType);
  m.alarm = net::RecordU8(triggerRecord, trigger::kAlarm);
  m.motion = net::RecordU8(triggerRecord, trigger::kMotion);
  m.method = net::RecordU8(triggerRecord, trigger::kMethod);

  m.maxUsers = net::RecordU16(app.m_SecureConfig, secure::kMaxUsers);

  const std::span<const std::uint8_t> rs = app.m_Rs485Config;
  m.baudRate1 = net::RecordU32(rs, rs485::kPort1Baud);
  m.baudRate2 = net::RecordU32(rs, rs485::kPort2Baud);
  m.deviceId1 = net::RecordU8(rs, rs485::kPort1Id);
  m.deviceId2 = net::RecordU8(rs, rs485::kPort2Id);
  m.deviceType1 = net::RecordU8(rs, rs485::kPort1Type);
  m.deviceType2 = net::RecordU8(rs, rs485::kPort2Type);
  m.turboIndex = net::RecordU8(rs, rs485::kTurboStep) - 1;

  m.videoTypeIndex = VideoTypeIndex(app.m_byVideoFormat.load());
  const std::span<const std::uint8_t> p = app.m_PentaConfig;
  m.mpeg4Width = net::RecordU8(p, penta::kMpeg4WidthUnits) * 16;
  m.mpeg4Height = net::RecordU8(p, penta::kMpeg4HeightUnits) * 16;
  m.jpegWidth = net::RecordU8(p, penta::kJpegWidthUnits) * 16;
  m.jpegHeight = net::RecordU8(p, penta::kJpegHeightUnits) * 16;
  m.qualityIndex = QualityIndex(net::RecordU8(p, penta::kJpegQuality));
  m.bitRateClass = BitRateClass(net::RecordU16(p, penta::kBitRate));

  m.hostName = ShownText(app.m_SystemConfig, cfg::system::kHostName);
  return m;
}

}  // namespace syscfg
