#include "net/search_datagram.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace net {
namespace {

constexpr std::size_t kCommandAt = 0;
constexpr std::size_t kCodeAt = 16;
constexpr std::size_t kKindAt = 17;
constexpr std::size_t kMacAt = 18;
constexpr std::size_t kUserAt = 24;
constexpr std::size_t kPasswordAt = 40;
constexpr std::size_t kIpAt = 56;
constexpr std::size_t kNetMaskAt = 60;
constexpr std::size_t kGatewayAt = 64;
constexpr std::size_t kDnsAt = 68;
constexpr std::size_t kPortAt = 72;

using Bytes = std::array<std::uint8_t, kSearchDatagramBytes>;

void PutText(Bytes& bytes, std::size_t at, std::size_t width, std::string_view text) {
  const std::size_t count = std::min(text.size(), width);
  std::memcpy(bytes.data() + at, text.data(), count);
}

std::string GetText(std::span<const std::uint8_t> bytes, std::size_t at, std::size_t width) {
  const auto* first = reinterpret_cast<const char*>(bytes.data() + at);
  const auto* end = static_cast<const char*>(std::memchr(first, '\0', width));
  return std::string(first, end != nullptr ? end : first + width);
}

template <std::size_t N>
void PutBytes(Bytes& bytes, std::size_t at, const std::array<std::uint8_t, N>& value) {
  std::copy(value.begin(), value.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
}

template <std::size_t N>
std::array<std::uint8_t, N> GetBytes(std::span<const std::uint8_t> bytes, std::size_t at) {
  std::array<std::uint8_t, N> value{};
  std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), N, value.begin());
  return value;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
    text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
    text.remove_suffix(1);
  return text;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

SearchDatagram MakeCommandRequest(const char* command, std::uint8_t code,
                                  const DeviceNetworkSettings& settings, std::string_view userName,
                                  std::string_view password) {
  SearchDatagram request;
  request.command = command;
  request.code = code;
  request.mac = settings.mac;
  request.userName = std::string(userName);
  request.password = std::string(password);
  request.ip = settings.ip;
  request.netMask = settings.netMask;
  request.gateway = settings.gateway;
  request.dns = settings.dns;
  request.port = settings.port;
  return request;
}

struct KindName {
  std::uint8_t kind;
  std::string_view name;
};

constexpr std::array<KindName, 11> kKindNames = {{
    {0x32, "Video server"},
    {0x01, "MPEG-4 video server"},
    {0x57, "16-ch MPEG-4 recorder"},
    {0x71, "4-ch DVR"},
    {0x72, "4-ch DVR"},
    {0x73, "4-ch DVR"},
    {0x76, "9-ch DMR"},
    {0x77, "16-ch DMR"},
    {0x80, "4-ch MPEG-2 recorder"},
    {0x84, "4-ch MPEG-2 recorder"},
    {0x8A, "4-ch MPEG-2 recorder"},
}};

}  // namespace

std::array<std::uint8_t, kSearchDatagramBytes> EncodeSearchDatagram(
    const SearchDatagram& datagram) {
  Bytes bytes{};
  PutText(bytes, kCommandAt, kSearchCommandBytes, datagram.command);
  bytes[kCodeAt] = datagram.code;
  bytes[kKindAt] = datagram.kindOrResult;
  PutBytes(bytes, kMacAt, datagram.mac);
  PutText(bytes, kUserAt, kSearchCredentialMaxChars, datagram.userName);
  PutText(bytes, kPasswordAt, kSearchCredentialMaxChars, datagram.password);
  PutBytes(bytes, kIpAt, datagram.ip);
  PutBytes(bytes, kNetMaskAt, datagram.netMask);
  PutBytes(bytes, kGatewayAt, datagram.gateway);
  PutBytes(bytes, kDnsAt, datagram.dns);
  bytes[kPortAt] = static_cast<std::uint8_t>(datagram.port & 0xFF);
  bytes[kPortAt + 1] = static_cast<std::uint8_t>(datagram.port >> 8);
  return bytes;
}

std::optional<SearchDatagram> DecodeSearchDatagram(std::span<const std::uint8_t> bytes) {
  if (bytes.size() != kSearchDatagramBytes)
    return std::nullopt;
  SearchDatagram datagram;
  datagram.command = GetText(bytes, kCommandAt, kSearchCommandBytes);
  datagram.code = bytes[kCodeAt];
  datagram.kindOrResult = bytes[kKindAt];
  datagram.mac = GetBytes<6>(bytes, kMacAt);
  datagram.userName = GetText(bytes, kUserAt, kSearchCredentialBytes);
  datagram.password = GetText(bytes, kPasswordAt, kSearchCredentialBytes);
  datagram.ip = GetBytes<4>(bytes, kIpAt);
  datagram.netMask = GetBytes<4>(bytes, kNetMaskAt);
  datagram.gateway = GetBytes<4>(bytes, kGatewayAt);
  datagram.dns = GetBytes<4>(bytes, kDnsAt);
  datagram.port = static_cast<std::uint16_t>(bytes[kPortAt] | (bytes[kPortAt + 1] << 8));
  return datagram;
}

SearchDatagram MakeSearchRequest(const DottedAddress& ownAddress, std::uint16_t port) {
  SearchDatagram request;
  request.command = kSearchCommandText;
  request.code = kSearchCode;
  request.ip = ownAddress;
  request.port = port;
  return request;
}

SearchDatagram MakeSetIpRequest(const DeviceNetworkSettings& settings, std::string_view userName,
                                std::string_view password) {
  return MakeCommandRequest(kSetIpCommandText, kSetIpCode, settings, userName, password);
}

SearchDatagram MakeResetRequest(const DeviceNetworkSettings& settings, std::string_view userName,
                                std::string_view password) {
  return MakeCommandRequest(kResetCommandText, kResetCode, settings, userName, password);
}

std::uint8_t KnownDeviceKind(std::uint8_t kindByte) {
  for (const KindName& entry : kKindNames) {
    if (entry.kind == kindByte)
      return kindByte;
  }
  return 0;
}

std::string_view DeviceKindName(std::uint8_t kind) {
  for (const KindName& entry : kKindNames) {
    if (entry.kind == kind)
      return entry.name;
  }
  return "Unknown";
}

std::string FormatMacText(const MacAddress& mac) {
  char text[20];
  std::snprintf(text, sizeof text, "%.2x:%.2x:%.2x:%.2x:%.2x:%.2x", mac[0], mac[1], mac[2], mac[3],
                mac[4], mac[5]);
  return text;
}

std::string FormatDottedText(const DottedAddress& address) {
  char text[16];
  std::snprintf(text, sizeof text, "%d.%d.%d.%d", address[0], address[1], address[2], address[3]);
  return text;
}

std::optional<MacAddress> ParseMacText(std::string_view text) {
  text = Trimmed(text);
  // Either twelve digits, or six pairs with one separator kind between them.
  const bool separated = text.size() == 17;
  if (!separated && text.size() != 12)
    return std::nullopt;
  const char separator = separated ? text[2] : '\0';
  if (separated && separator != ':' && separator != '-')
    return std::nullopt;
  MacAddress mac{};
  for (std::size_t i = 0; i < mac.size(); ++i) {
    const std::size_t at = separated ? i * 3 : i * 2;
    if (separated && i > 0 && text[at - 1] != separator)
      return std::nullopt;
    const int high = HexValue(text[at]);
    const int low = HexValue(text[at + 1]);
    if (high < 0 || low < 0)
      return std::nullopt;
    mac[i] = static_cast<std::uint8_t>(high * 16 + low);
  }
  return mac;
}

std::optional<DottedAddress> ParseDottedText(std::string_view text) {
  text = Trimmed(text);
  DottedAddress address{};
  std::size_t at = 0;
  for (std::size_t part = 0; part < address.size(); ++part) {
    if (part > 0) {
      if (at >= text.size() || text[at] != '.')
        return std::nullopt;
      ++at;
    }
    int value = 0;
    std::size_t digits = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < 3) {
      value = value * 10 + (text[at] - '0');
      ++at;
      ++digits;
    }
    if (digits == 0 || value > 255)
      return std::nullopt;
    address[part] = static_cast<std::uint8_t>(value);
  }
  if (at != text.size())
    return std::nullopt;
  return address;
}

SearchDeviceEntry MakeSearchDeviceEntry(const SearchDatagram& answer, std::int32_t index) {
  SearchDeviceEntry entry;
  entry.mac = FormatMacText(answer.mac);
  entry.ip = FormatDottedText(answer.ip);
  entry.webPort = answer.port;
  entry.gateway = FormatDottedText(answer.gateway);
  entry.dns = FormatDottedText(answer.dns);
  entry.netMask = FormatDottedText(answer.netMask);
  entry.kind = KnownDeviceKind(answer.kindOrResult);
  entry.index = index;
  return entry;
}

}  // namespace net
