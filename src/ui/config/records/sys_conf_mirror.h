// The configuration sheet's mirror: for every record field a page edits, the value the record
// held when the sheet was shown, in the form in which the page shows it (addresses as 32-bit
// numbers, texts as the page shows them, coded values as row indices). APPLY compares each page
// value with it; "changed" always means different from the mirror.
//
// A value that no row of its page stands for has the row -1 here as on the page, so that it
// counts as changed only once the operator picks a row.
#pragma once

#include <QString>
#include <cstdint>
#include <span>

class CAppData;

namespace syscfg {

struct SysConfMirror {
  // IP and PPPOE.
  std::uint32_t serverAddress = 0;
  std::uint32_t gateway = 0;
  std::uint32_t netMask = 0;
  int webPort = 0;
  std::uint32_t streamPort = 0;
  std::uint8_t ipType = 0;
  QString pppoeUser;
  QString pppoePassword;
  // DNS.
  std::uint32_t dnsServer = 0;
  std::uint8_t ddnsEnabled = 0;
  QString ddnsUser;
  QString ddnsPassword;
  QString ddnsDomain;
  int ddnsProvider = -1;
  // SMTP.
  QString mailFrom;
  QString smtpServer;
  QString smtpPassword;
  QString smtpUser;
  std::uint8_t mailVerify = 0;
  // FTP.
  QString ftpServer;
  QString ftpDirectory;
  QString ftpUser;
  QString ftpPassword;
  std::uint32_t ftpPort = 0;
  // SNTP.
  QString sntpServer;
  std::uint8_t timeZone = 0;
  // TRIGGER.
  int durationIndex = 0;
  int mpeg4LengthIndex = 0;
  int jpegPicturesIndex = 0;
  std::uint8_t videoType = 0;
  std::uint8_t alarm = 0;
  std::uint8_t motion = 0;
  std::uint8_t method = 0;
  // SECURE.
  std::uint16_t maxUsers = 0;
  // RS485.
  std::uint32_t baudRate1 = 0;
  std::uint32_t baudRate2 = 0;
  std::uint8_t deviceId1 = 0;
  std::uint8_t deviceId2 = 0;
  std::uint8_t deviceType1 = 0;
  std::uint8_t deviceType2 = 0;
  int turboIndex = 0;
  // The session's video format and PENTA.
  int videoTypeIndex = -1;
  int mpeg4Width = 0;
  int mpeg4Height = 0;
  int jpegWidth = 0;
  int jpegHeight = 0;
  int qualityIndex = -1;
  int bitRateClass = 0;
  // SYSTEM.
  QString hostName;
};

// Fills a mirror from the cached records and the session's video format.
SysConfMirror LoadMirror(const CAppData& app);

// Zeroes the last byte of the SMTP record's server, sender, user and password fields, so that
// a text the server sent filling its whole field ends within it in what the sheet shows and
// sends back. The five mail addresses are left as they are.
void TerminateSmtpTexts(std::span<std::uint8_t> record);

// The conversions of the mirror, shared with the pages.
// TRIGGER duration in seconds: 3 -> 0, 15 -> 1, 30 -> 2, 60 -> 3, 1800 -> 4, other -> 5.
int DurationIndex(int seconds);
// TRIGGER clip length in units of 24: value / 24 - 1, not below 0.
int ClipLengthIndex(int value);
// TRIGGER pictures per alarm: value - 1, not below 0.
int PictureCountIndex(int value);
// DDNS provider text: "custom" 0, "dyndns" 1, "statdns" 2, compared exactly; -1 otherwise.
int ProviderIndex(const QString& text);
QString ProviderText(int index);
// An FTP text as the FTP page shows it: the text within its field, or empty when it, or its
// decoded form, does not fit width - 1 bytes.
QString FtpShownText(std::span<const std::uint8_t> record, std::size_t offset, std::size_t width);

}  // namespace syscfg
