// The value tables of the configuration windows: mirror conversions, the zone list, the video
// tables, the address formatter and the texts of the records as the pages show them.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "app/app_data.h"
#include "fakes/qt_test_environment.h"
#include "fakes/sample_config.h"
#include "ui/common/string_table.h"
#include "ui/config/pages/mail_page.h"
#include "ui/config/pages/network_page.h"
#include "ui/config/records/config_text.h"
#include "ui/config/records/sys_conf_mirror.h"
#include "ui/config/records/time_zones.h"
#include "ui/config/records/video_tables.h"

namespace {

using namespace syscfg;

TEST(MirrorConversions, TriggerAndProviderValuesBecomeRows) {
  const std::pair<int, int> durations[] = {{3, 0},    {15, 1}, {30, 2}, {60, 3},
                                           {1800, 4}, {45, 5}, {0, 5},  {65535, 5}};
  for (const auto& [seconds, row] : durations)
    EXPECT_EQ(DurationIndex(seconds), row) << seconds;
  const std::pair<int, int> clips[] = {{48, 1}, {24, 0}, {0, 0}, {23, 0}, {72, 2}, {255, 9}};
  for (const auto& [value, row] : clips)
    EXPECT_EQ(ClipLengthIndex(value), row) << value;
  const std::pair<int, int> pictures[] = {{0, 0}, {1, 0}, {2, 1}, {255, 254}};
  for (const auto& [value, row] : pictures)
    EXPECT_EQ(PictureCountIndex(value), row) << value;
  const std::pair<const char*, int> providers[] = {{"custom", 0}, {"dyndns", 1}, {"statdns", 2},
                                                   {"noip", -1},  {"", -1},      {"DynDNS", -1}};
  for (const auto& [text, row] : providers) {
    EXPECT_EQ(ProviderIndex(QString::fromLatin1(text)), row) << text;
    if (row >= 0) {
      EXPECT_EQ(ProviderText(row), QString::fromLatin1(text));
    }
  }
  EXPECT_EQ(ProviderText(3), QString());
}

TEST(VideoTables, RowsOfTheVideoPage) {
  EXPECT_EQ(ResolutionRows(1), QStringList({"352 x 240", "704 x 480"}));
  EXPECT_EQ(ResolutionRows(2), QStringList({"352 x 288", "704 x 576"}));
  EXPECT_EQ(ResolutionRows(7), ResolutionRows(1));
  const std::pair<FrameSize, int> sizes[] = {{{352, 240}, 0},  {{352, 288}, 0},  {{704, 480}, 1},
                                             {{704, 576}, 1},  {{320, 240}, -1}, {{640, 480}, -1},
                                             {{352, 480}, -1}, {{0, 0}, -1}};
  for (const auto& [size, row] : sizes)
    EXPECT_EQ(ResolutionIndex(size), row) << size.width << "x" << size.height;
  EXPECT_EQ(ResolutionSize(0, 1), (FrameSize{352, 240}));
  EXPECT_EQ(ResolutionSize(1, 2), (FrameSize{704, 576}));
  EXPECT_EQ(ResolutionSize(-1, 1), std::nullopt);

  const std::pair<int, int> qualities[] = {{0, -1}, {1, 0},  {49, 0},  {50, 1},
                                           {69, 1}, {70, 2}, {100, 2}, {101, -1}};
  for (const auto& [quality, row] : qualities)
    EXPECT_EQ(QualityIndex(quality), row) << quality;
  EXPECT_EQ(QualityValue(0), 30);
  EXPECT_EQ(QualityValue(2), 70);
  EXPECT_EQ(QualityValue(-1), std::nullopt);

  const std::pair<int, int> rates[] = {{0, 0},   {20, 0},  {21, 1},  {33, 1},   {34, 2},
                                       {50, 2},  {51, 3},  {67, 3},  {68, 4},   {101, 4},
                                       {102, 5}, {152, 5}, {153, 6}, {65535, 6}};
  for (const auto& [code, row] : rates)
    EXPECT_EQ(BitRateClass(code), row) << code;
  const std::uint16_t codes[] = {17, 21, 34, 51, 68, 102, 153};
  for (int row = 0; row < 7; ++row) {
    EXPECT_EQ(BitRateCode(row), codes[row]);
    EXPECT_EQ(BitRateClass(codes[row]), row);
  }
  EXPECT_EQ(BitRateCode(7), std::nullopt);
  EXPECT_EQ(VideoTypeIndex(0), 0);
  EXPECT_EQ(VideoTypeIndex(4), 1);
  EXPECT_EQ(VideoTypeIndex(2), -1);
  EXPECT_EQ(VideoFormatOf(1), 4);
}

TEST(VideoTables, SizeCodesAndTheScaleCode) {
  struct SizeCase {
    int size;
    int code, units;
    bool known;
  };
  const SizeCase widths[] = {{704, 0, 44, true},  {720, 0, 45, true}, {640, 1, 40, true},
                             {352, 2, 22, true},  {320, 3, 20, true}, {176, 4, 11, true},
                             {800, 3, 20, false}, {0, 3, 20, false}};
  for (const SizeCase& c : widths) {
    const SizeCode code = WidthCode(c.size);
    EXPECT_EQ(code.code, c.code) << c.size;
    EXPECT_EQ(code.units, c.units) << c.size;
    EXPECT_EQ(code.known, c.known) << c.size;
  }
  const SizeCase heights[] = {{480, 0, 30, true}, {576, 0, 36, true}, {288, 1, 18, true},
                              {240, 1, 15, true}, {144, 1, 9, true},  {112, 1, 7, true},
                              {100, 1, 15, false}};
  for (const SizeCase& c : heights) {
    const SizeCode code = HeightCode(c.size);
    EXPECT_EQ(code.code, c.code) << c.size;
    EXPECT_EQ(code.units, c.units) << c.size;
    EXPECT_EQ(code.known, c.known) << c.size;
  }
  struct ScaleCase {
    int mpeg4, jpeg;
    std::optional<std::uint8_t> code;
  };
  const ScaleCase scales[] = {{44, 44, 0},
                              {44, 22, 1},
                              {33, 11, 0},
                              {44, 11, 3},
                              {22, 44, 0},
                              {44, 0, std::nullopt},
                              {55, 11, std::nullopt},
                              {0, 22, 0}};
  for (const ScaleCase& c : scales)
    EXPECT_EQ(ScaleCode(c.mpeg4, c.jpeg), c.code) << c.mpeg4 << "/" << c.jpeg;
}

TEST(TimeZones, EveryRowHasTheOffsetOfItsText) {
  ASSERT_EQ(kTimeZoneCount, 75);
  // The offset of each row as its text reads: hours then minutes, signed.
  const std::array<std::pair<int, int>, 75> expected = {{
      {-12, 0}, {-11, 0}, {-10, 0}, {-9, 0}, {-8, 0}, {-7, 0}, {-7, 0}, {-7, 0}, {-6, 0},   {-6, 0},
      {-6, 0},  {-6, 0},  {-5, 0},  {-5, 0}, {-5, 0}, {-4, 0}, {-4, 0}, {-4, 0}, {-3, -30}, {-3, 0},
      {-3, 0},  {-3, 0},  {-2, 0},  {-1, 0}, {-1, 0}, {0, 0},  {0, 0},  {1, 0},  {1, 0},    {1, 0},
      {1, 0},   {1, 0},   {2, 0},   {2, 0},  {2, 0},  {2, 0},  {2, 0},  {2, 0},  {3, 0},    {3, 0},
      {3, 0},   {3, 0},   {3, 30},  {4, 0},  {4, 0},  {4, 30}, {5, 0},  {5, 0},  {5, 30},   {5, 45},
      {6, 0},   {6, 0},   {6, 0},   {6, 30}, {7, 0},  {7, 0},  {8, 0},  {8, 0},  {8, 0},    {8, 0},
      {8, 0},   {9, 0},   {9, 0},   {9, 0},  {9, 30}, {9, 30}, {10, 0}, {10, 0}, {10, 0},   {10, 0},
      {10, 0},  {11, 0},  {12, 0},  {12, 0}, {13, 0},
  }};
  for (int row = 0; row < kTimeZoneCount; ++row) {
    SCOPED_TRACE(TimeZoneText(row).toStdString());
    ASSERT_FALSE(TimeZoneText(row).isEmpty());
    ASSERT_TRUE(ParseZoneOffset(TimeZoneText(row)).has_value());
    const ZoneOffset offset = TimeZoneOffset(row);
    EXPECT_EQ(offset.hours, expected[static_cast<std::size_t>(row)].first);
    EXPECT_EQ(offset.minutes, expected[static_cast<std::size_t>(row)].second);
  }
  EXPECT_EQ(TimeZoneText(0), "(GMT-12:00) International Date Line West");
  EXPECT_EQ(TimeZoneText(74), "(GMT+13:00) Nuku'alofa");
  EXPECT_EQ(TimeZoneText(75), QString());
  EXPECT_EQ(TimeZoneOffset(-1), ZoneOffset{});
}

TEST(TimeZones, MalformedZoneTextsHaveNoOffset) {
  const char* bad[] = {"",
                       "GMT+01:00",
                       "(GMT+1:00)",
                       "(GMT+01-00)",
                       "(GMT*01:00)",
                       "(GMT+15:00)",
                       "(GMT+01:60)",
                       "(GMT+0a:00)",
                       "(GMT+01:00",
                       "(GM"};
  for (const char* text : bad)
    EXPECT_EQ(ParseZoneOffset(QString::fromLatin1(text)), std::nullopt) << text;
  EXPECT_EQ(ParseZoneOffset("(GMT) anything"), ZoneOffset{});
  EXPECT_EQ(ParseZoneOffset("(GMT-00:30) x"), (ZoneOffset{0, -30}));
}

TEST(MailAddressFormatter, ShownFormAndBareAddress) {
  struct Case {
    const char* text;
    int mode;
    const char* expected;
  };
  const Case cases[] = {
      {"bob@x.org", 0, "bob <bob@x.org>"},
      {"alice.smith@example.net", 0, "alice.smith <alice.smith@example.net>"},
      {"nobody", 0, "nobody <nobody>"},
      {"bob <bob@x.org>", 1, "bob@x.org"},
      {"bob@x.org", 1, "bob@x.org"},
      {"a <b", 1, "a <b"},
      {"<>", 1, ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FormatMailAddress(QString::fromLatin1(c.text), c.mode),
              QString::fromLatin1(c.expected))
        << c.text << " mode " << c.mode;
  // A loaded address goes back as it came.
  EXPECT_EQ(FormatMailAddress(FormatMailAddress("bob@x.org", 0), 1), "bob@x.org");
}

TEST(RecordTexts, PagesShowTextsWithinTheirFieldsAndWriteThemWithin) {
  std::vector<std::uint8_t> record(12, 'x');
  // A field without a terminator shows width - 1 bytes, the most its edit takes.
  EXPECT_EQ(ShownText(record, {2, 6}), "xxxxx");
  record[4] = 0;
  EXPECT_EQ(ShownText(record, {2, 6}), "xx");
  EXPECT_EQ(FtpShownText(record, 2, 6), "xx");
  record[4] = 'x';
  EXPECT_EQ(FtpShownText(record, 2, 6), "");  // the FTP page drops a text too long for it
  EXPECT_TRUE(WriteText(record, {2, 6}, QString::fromUtf8("\xC3\xA9t\xC3\xA9")));
  EXPECT_EQ(ShownText(record, {2, 6}), QString::fromUtf8("\xC3\xA9t\xC3\xA9"));
  EXPECT_EQ(record[8], 'x');
  EXPECT_FALSE(WriteText(record, {2, 6}, QString::fromUtf8("\xC3\xA9\xC3\xA9\xC3\xA9")));
  EXPECT_EQ(StoredBytes(QString::fromUtf8("\xC3\xA9")), 2);
  EXPECT_EQ(ShownText(record, {10, 6}), "");
  // Bytes that are not UTF-8, and a character cut at the field's end, decode to U+FFFD (three
  // bytes stored): the shown text still fits the edit, and the FTP page drops it.
  const std::vector<std::uint8_t> latin(6, 0xE9);
  EXPECT_EQ(ShownText(latin, {0, 6}), QString(QChar(0xFFFD)));
  EXPECT_EQ(FtpShownText(latin, 0, 6), "");
  const std::vector<std::uint8_t> cut = {'a', 'b', 0xC3, 0xA9, 0xC3, 0xA9};
  EXPECT_EQ(ShownText(cut, {0, 6}), QString::fromUtf8("ab\xC3\xA9"));
  const std::uint8_t mac[] = {0x00, 0x0E, 0x53, 0x12, 0xAB, 0xCD};
  EXPECT_EQ(FormatMacText(mac), "00 : 0e : 53 : 12 : ab : cd");
}

TEST(RecordTexts, ApplyWritesTheTextsThatDifferFromTheMirrorAndFit) {
  const QString same = QStringLiteral("same");
  const QString old = QStringLiteral("old");
  const QString changed = QStringLiteral("new");
  const QString tooLong = QStringLiteral("longer");
  struct Case {
    const char* name;
    const QString& first;
    const QString& second;
    bool written;
    const char* bytes;  // the record after, '.' for a zero
  };
  const Case cases[] = {
      {"both as the mirror", same, old, false, "xxxxxxxxxx"},
      {"the first changed", changed, old, true, "new..xxxxx"},
      {"the second changed", same, changed, true, "xxxxxnew.."},
      {"a change too long for its field", same, tooLong, false, "xxxxxxxxxx"},
      {"one written, one too long", changed, tooLong, true, "new..xxxxx"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::uint8_t> record(10, 'x');
    EXPECT_EQ(WriteChangedTexts(record, {{c.first, same, {0, 5}}, {c.second, old, {5, 5}}}),
              c.written);
    std::string bytes(record.begin(), record.end());
    std::replace(bytes.begin(), bytes.end(), '\0', '.');
    EXPECT_EQ(bytes, c.bytes);
  }
}

}  // namespace

namespace {

void Store(CAppData& app, const fakes::ConfigRecords& records) {
  const std::pair<const char*, std::span<std::uint8_t>> places[] = {
      {"IP", app.m_IpConfig},           {"PPPOE", app.m_PppoeConfig},
      {"DNS", app.m_DnsConfig},         {"SMTP", app.m_SmtpConfig},
      {"FTP", app.m_FtpConfig},         {"SNTP", app.m_SntpConfig},
      {"TRIGGER", app.m_TriggerConfig}, {"SECURE", app.m_SecureConfig},
      {"RS485", app.m_Rs485Config},     {"PENTA", app.m_PentaConfig},
      {"SYSTEM", app.m_SystemConfig}};
  for (const auto& [option, place] : places) {
    const auto& record = records.at(option);
    std::copy(record.begin(), record.end(), place.begin());
  }
}

TEST(MirrorConversions, TheMirrorHoldsTheRecordsAsThePagesShowThem) {
  auto app = std::make_unique<CAppData>();
  Store(*app, fakes::SampleConfig());
  const SysConfMirror m = LoadMirror(*app);
  EXPECT_EQ(m.serverAddress, 0xC0A80132u);
  EXPECT_EQ(m.netMask, 0xFFFFFF00u);
  EXPECT_EQ(m.gateway, 0xC0A80101u);
  EXPECT_EQ(m.webPort, 80);
  EXPECT_EQ(m.streamPort, 5000u);
  EXPECT_EQ(m.ipType, 0);
  EXPECT_EQ(m.pppoeUser, "pppoe-user");
  EXPECT_EQ(m.pppoePassword, "pppoe-pass");
  EXPECT_EQ(m.dnsServer, 0xA85F0101u);
  EXPECT_EQ(m.ddnsEnabled, 1);
  EXPECT_EQ(m.ddnsUser, "ddns-user");
  EXPECT_EQ(m.ddnsPassword, "ddns-secret");
  EXPECT_EQ(m.ddnsDomain, "camera.dyndns.org");
  EXPECT_EQ(m.ddnsProvider, 1);
  EXPECT_EQ(m.mailFrom, "camera@example.net");
  EXPECT_EQ(m.smtpServer, "smtp.example.net");
  EXPECT_EQ(m.smtpUser, "mailer");
  EXPECT_EQ(m.smtpPassword, "mail-secret");
  EXPECT_EQ(m.mailVerify, 2);
  EXPECT_EQ(m.ftpServer, "ftp.example.net");
  EXPECT_EQ(m.ftpUser, "ftpuser");
  EXPECT_EQ(m.ftpPassword, "ftp-secret");
  EXPECT_EQ(m.ftpDirectory, "/alarm");
  EXPECT_EQ(m.ftpPort, 21u);
  EXPECT_EQ(m.sntpServer, "pool.ntp.org");
  EXPECT_EQ(m.timeZone, 60);
  EXPECT_EQ(m.durationIndex, 2);
  EXPECT_EQ(m.mpeg4LengthIndex, 1);  // 48 at TRIGGER +3
  EXPECT_EQ(m.jpegPicturesIndex, 2);
  EXPECT_EQ(m.method, 1);
  EXPECT_EQ(m.videoType, 1);
  EXPECT_EQ(m.alarm, 1);
  EXPECT_EQ(m.motion, 1);
  EXPECT_EQ(m.maxUsers, 5);
  EXPECT_EQ(m.baudRate1, 9600u);
  EXPECT_EQ(m.baudRate2, 4800u);
  EXPECT_EQ(m.deviceId1, 1);
  EXPECT_EQ(m.deviceType1, 3);
  EXPECT_EQ(m.deviceId2, 2);
  EXPECT_EQ(m.deviceType2, 8);
  EXPECT_EQ(m.turboIndex, 2);
  EXPECT_EQ(m.videoTypeIndex, 1);
  EXPECT_EQ(m.mpeg4Width, 352);
  EXPECT_EQ(m.mpeg4Height, 240);
  EXPECT_EQ(m.jpegWidth, 352);
  EXPECT_EQ(m.jpegHeight, 240);
  EXPECT_EQ(m.qualityIndex, 1);
  EXPECT_EQ(m.bitRateClass, 2);
  EXPECT_EQ(m.hostName, "fake-server");

  Store(*app, fakes::OffRowConfig());
  app->m_byVideoFormat = 0;
  const SysConfMirror off = LoadMirror(*app);
  EXPECT_EQ(off.ddnsProvider, -1);
  EXPECT_EQ(off.timeZone, 99);
  EXPECT_EQ(off.durationIndex, 5);
  EXPECT_EQ(off.qualityIndex, -1);
  EXPECT_EQ(off.mpeg4Width, 320);
  EXPECT_EQ(off.jpegWidth, 640);
  EXPECT_EQ(off.videoTypeIndex, 0);
  EXPECT_EQ(off.maxUsers, 12);
  EXPECT_EQ(off.baudRate1, 2400u);
  // Texts without a terminator are read within their fields.
  std::fill(app->m_SystemConfig.begin(), app->m_SystemConfig.end(), 'h');
  std::fill(app->m_FtpConfig.begin(), app->m_FtpConfig.end(), 'f');
  const SysConfMirror unterminated = LoadMirror(*app);
  EXPECT_EQ(unterminated.hostName, QString(31, 'h'));
  EXPECT_EQ(unterminated.ftpServer, QString());
  EXPECT_EQ(unterminated.ftpUser, QString());
}

}  // namespace
