// The LAN search datagram: its byte layout both ways, its length rule, the device kinds, the
// entry texts and the checked MAC and dotted parsers, as tables.
#include "net/search_datagram.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using net::DottedAddress;
using net::MacAddress;

std::vector<std::uint8_t> Bytes(const std::array<std::uint8_t, net::kSearchDatagramBytes>& array) {
  return {array.begin(), array.end()};
}

// The expected bytes, written out field by field.
std::vector<std::uint8_t> Expected(const std::string& command, std::uint8_t code, std::uint8_t kind,
                                   const MacAddress& mac, const std::string& user,
                                   const std::string& password, const DottedAddress& ip,
                                   const DottedAddress& mask, const DottedAddress& gateway,
                                   const DottedAddress& dns, std::uint16_t port) {
  std::vector<std::uint8_t> bytes(76, 0);
  std::copy(command.begin(), command.end(), bytes.begin());
  bytes[16] = code;
  bytes[17] = kind;
  std::copy(mac.begin(), mac.end(), bytes.begin() + 18);
  std::copy(user.begin(), user.end(), bytes.begin() + 24);
  std::copy(password.begin(), password.end(), bytes.begin() + 40);
  std::copy(ip.begin(), ip.end(), bytes.begin() + 56);
  std::copy(mask.begin(), mask.end(), bytes.begin() + 60);
  std::copy(gateway.begin(), gateway.end(), bytes.begin() + 64);
  std::copy(dns.begin(), dns.end(), bytes.begin() + 68);
  bytes[72] = static_cast<std::uint8_t>(port & 0xFF);
  bytes[73] = static_cast<std::uint8_t>(port >> 8);
  return bytes;
}

const net::DeviceNetworkSettings kSettings{{0x00, 0x0E, 0x53, 0x12, 0xAB, 0xCD},
                                           {192, 168, 1, 120},
                                           {255, 255, 255, 0},
                                           {192, 168, 1, 1},
                                           {8, 8, 4, 4},
                                           8080};

TEST(SearchDatagramTest, RequestsAreLaidOutFieldByField) {
  const struct {
    const char* name;
    net::SearchDatagram request;
    std::vector<std::uint8_t> bytes;
  } cases[] = {
      {"search", net::MakeSearchRequest({10, 0, 0, 7}),
       Expected("AV_SEARCH", 1, 0, {}, "", "", {10, 0, 0, 7}, {}, {}, {}, 3333)},
      {"set ip", net::MakeSetIpRequest(kSettings, "admin", "pass word"),
       Expected("AV_SET_IP", 2, 0, kSettings.mac, "admin", "pass word", kSettings.ip,
                kSettings.netMask, kSettings.gateway, kSettings.dns, 8080)},
      {"reset", net::MakeResetRequest(kSettings, "fifteen-chars-u", "fifteen-chars-p"),
       Expected("AV_RESET", 3, 0, kSettings.mac, "fifteen-chars-u", "fifteen-chars-p", kSettings.ip,
                kSettings.netMask, kSettings.gateway, kSettings.dns, 8080)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Bytes(net::EncodeSearchDatagram(c.request)), c.bytes);
    EXPECT_EQ(net::DecodeSearchDatagram(c.bytes), c.request);
  }
}

TEST(SearchDatagramTest, TextsAreCutToTheirFields) {
  net::SearchDatagram datagram;
  datagram.command = "AV_SEARCH_AND_MORE_THAN_SIXTEEN";
  datagram.userName = "a-user-name-of-twenty";
  datagram.password = std::string(40, 'p');
  const auto bytes = Bytes(net::EncodeSearchDatagram(datagram));
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 16), "AV_SEARCH_AND_MO");
  EXPECT_EQ(std::string(bytes.begin() + 24, bytes.begin() + 40),
            std::string("a-user-name-of-") + '\0');
  EXPECT_EQ(std::string(bytes.begin() + 40, bytes.begin() + 56), std::string(15, 'p') + '\0');
  // A field filled to its end reads back within the field.
  std::vector<std::uint8_t> full(76, 'x');
  const auto decoded = net::DecodeSearchDatagram(full);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->command, std::string(16, 'x'));
  EXPECT_EQ(decoded->userName, std::string(16, 'x'));
  EXPECT_EQ(decoded->password, std::string(16, 'x'));
  EXPECT_EQ(decoded->port, 0x7878);
}

TEST(SearchDatagramTest, OnlyDatagramsOfExactly76BytesDecode) {
  for (const std::size_t size : {0u, 1u, 17u, 75u, 77u, 152u, 1500u}) {
    SCOPED_TRACE(size);
    const std::vector<std::uint8_t> bytes(size, 0x01);
    EXPECT_FALSE(net::DecodeSearchDatagram(bytes));
  }
  EXPECT_TRUE(net::DecodeSearchDatagram(std::vector<std::uint8_t>(76, 0)));
}

TEST(SearchDatagramTest, KindsHaveNamesAndUnknownKindsReadAsZero) {
  const struct {
    std::uint8_t byte;
    std::uint8_t kept;
    const char* name;
  } cases[] = {
      {0x32, 0x32, "Video server"},
      {0x01, 0x01, "MPEG-4 video server"},
      {0x57, 0x57, "16-ch MPEG-4 recorder"},
      {0x71, 0x71, "4-ch DVR"},
      {0x72, 0x72, "4-ch DVR"},
      {0x73, 0x73, "4-ch DVR"},
      {0x76, 0x76, "9-ch DMR"},
      {0x77, 0x77, "16-ch DMR"},
      {0x80, 0x80, "4-ch MPEG-2 recorder"},
      {0x84, 0x84, "4-ch MPEG-2 recorder"},
      {0x8A, 0x8A, "4-ch MPEG-2 recorder"},
      {0x00, 0x00, "Unknown"},
      {0x02, 0x00, "Unknown"},
      {0x74, 0x00, "Unknown"},
      {0xFF, 0x00, "Unknown"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.byte));
    EXPECT_EQ(net::KnownDeviceKind(c.byte), c.kept);
    EXPECT_EQ(net::DeviceKindName(net::KnownDeviceKind(c.byte)), c.name);
  }
}

TEST(SearchDatagramTest, AnEntryShowsTheAnswersTexts) {
  net::SearchDatagram answer;
  answer.code = 1;
  answer.kindOrResult = 0x99;  // outside the table
  answer.mac = {0x00, 0x0E, 0x53, 0x12, 0xAB, 0xCD};
  answer.ip = {192, 168, 1, 100};
  answer.netMask = {255, 255, 0, 0};
  answer.gateway = {192, 168, 1, 254};
  answer.dns = {0, 0, 0, 0};
  answer.port = 65535;
  const net::SearchDeviceEntry entry = net::MakeSearchDeviceEntry(answer, 3);
  EXPECT_EQ(entry.mac, "00:0e:53:12:ab:cd");
  EXPECT_EQ(entry.ip, "192.168.1.100");
  EXPECT_EQ(entry.netMask, "255.255.0.0");
  EXPECT_EQ(entry.gateway, "192.168.1.254");
  EXPECT_EQ(entry.dns, "0.0.0.0");
  EXPECT_EQ(entry.webPort, 65535u);
  EXPECT_EQ(entry.kind, 0);
  EXPECT_EQ(entry.index, 3);
}

TEST(SearchDatagramTest, MacTextsParseOnlyAsSixHexPairs) {
  const MacAddress mac{0x00, 0x0E, 0x53, 0x12, 0xAB, 0xCD};
  const struct {
    const char* text;
    std::optional<MacAddress> parsed;
  } cases[] = {
      {"00:0e:53:12:ab:cd", mac},
      {"00:0E:53:12:AB:CD", mac},
      {"00-0e-53-12-ab-cd", mac},
      {"000e5312abcd", mac},
      {"  00:0e:53:12:ab:cd ", mac},
      {"", std::nullopt},
      {"00:0e:53:12:ab", std::nullopt},
      {"00:0e:53:12:ab:cd:ef", std::nullopt},
      {"00:0e:53:12:ab:cg", std::nullopt},
      {"00:0e-53:12:ab:cd", std::nullopt},
      {"00.0e.53.12.ab.cd", std::nullopt},
      {"0:00e:53:12:ab:cd", std::nullopt},
      {"000e5312abc", std::nullopt},
      {"00:0e:53:12:ab:c d", std::nullopt},
      {"00:0e:53:12:ab:cd\xff", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(net::ParseMacText(c.text), c.parsed);
  }
  EXPECT_EQ(net::FormatMacText(mac), "00:0e:53:12:ab:cd");
}

TEST(SearchDatagramTest, DottedTextsParseOnlyAsFourPartsOfAByte) {
  const struct {
    const char* text;
    std::optional<DottedAddress> parsed;
  } cases[] = {
      {"192.168.1.10", DottedAddress{192, 168, 1, 10}},
      {"0.0.0.0", DottedAddress{0, 0, 0, 0}},
      {"255.255.255.255", DottedAddress{255, 255, 255, 255}},
      {"010.001.000.009", DottedAddress{10, 1, 0, 9}},
      {" 10.0.0.1 ", DottedAddress{10, 0, 0, 1}},
      {"300.1.1.1", std::nullopt},  // the original stored 44
      {"1.2.3.256", std::nullopt},
      {"1.2.3", std::nullopt},
      {"1.2.3.4.5", std::nullopt},
      {"1..2.3", std::nullopt},
      {"1.2.3.", std::nullopt},
      {".1.2.3", std::nullopt},
      {"1.2.3.4x", std::nullopt},
      {"1.2.-3.4", std::nullopt},
      {"1.2.3.0004", std::nullopt},
      {"1. 2.3.4", std::nullopt},
      {"", std::nullopt},
      {"a.b.c.d", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(net::ParseDottedText(c.text), c.parsed);
  }
  EXPECT_EQ(net::FormatDottedText({192, 168, 1, 100}), "192.168.1.100");
}

}  // namespace
