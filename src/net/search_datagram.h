// The LAN search datagram: one fixed 76-byte layout shared by the search, set-IP and reset
// requests and their answers, the texts the search dialog shows of an answer, and the checked
// parsers of the MAC and dotted texts an operator types before a request is built from them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace net {

inline constexpr std::size_t kSearchDatagramBytes = 76;
inline constexpr std::size_t kSearchCommandBytes = 16;
// User name and password: 16-byte fields, NUL-padded, so at most 15 characters travel.
inline constexpr std::size_t kSearchCredentialBytes = 16;
inline constexpr std::size_t kSearchCredentialMaxChars = kSearchCredentialBytes - 1;

// Command codes (byte 16).
inline constexpr std::uint8_t kSearchCode = 1;
inline constexpr std::uint8_t kSetIpCode = 2;
inline constexpr std::uint8_t kResetCode = 3;

inline constexpr const char* kSearchCommandText = "AV_SEARCH";
inline constexpr const char* kSetIpCommandText = "AV_SET_IP";
inline constexpr const char* kResetCommandText = "AV_RESET";

// The port a search request names: the client's sending port.
inline constexpr std::uint16_t kSearchRequestPort = 3333;

// The one device kind whose network settings may be changed or reset.
inline constexpr std::uint8_t kChangeableDeviceKind = 0x01;

using MacAddress = std::array<std::uint8_t, 6>;
// One byte per dotted part, first part first.
using DottedAddress = std::array<std::uint8_t, 4>;

struct SearchDatagram {
  std::string command;  // at most 16 bytes travel
  std::uint8_t code = 0;
  // Requests: 0. Search answers: the device kind. Set-IP and reset answers: the result.
  std::uint8_t kindOrResult = 0;
  MacAddress mac{};
  std::string userName;  // at most 15 bytes travel
  std::string password;  // at most 15 bytes travel
  DottedAddress ip{};
  DottedAddress netMask{};
  DottedAddress gateway{};
  DottedAddress dns{};
  std::uint16_t port = 0;

  friend bool operator==(const SearchDatagram&, const SearchDatagram&) = default;
};

// The 76 bytes of a datagram; texts are cut to their fields and NUL-padded, numbers
// little-endian, bytes 74 and 75 zero.
std::array<std::uint8_t, kSearchDatagramBytes> EncodeSearchDatagram(const SearchDatagram& datagram);
// A datagram of exactly 76 bytes; nullopt for any other length. Texts end at their first NUL
// or at the end of their field.
std::optional<SearchDatagram> DecodeSearchDatagram(std::span<const std::uint8_t> bytes);

// "AV_SEARCH", code 1, the client's own address, the client's sending port; all else zero.
SearchDatagram MakeSearchRequest(const DottedAddress& ownAddress,
                                 std::uint16_t port = kSearchRequestPort);

// The network settings a set-IP or reset request carries.
struct DeviceNetworkSettings {
  MacAddress mac{};
  DottedAddress ip{};
  DottedAddress netMask{};
  DottedAddress gateway{};
  DottedAddress dns{};
  std::uint16_t port = 0;
};
// "AV_SET_IP" with code 2, or "AV_RESET" with code 3, with the settings and credentials.
SearchDatagram MakeSetIpRequest(const DeviceNetworkSettings& settings, std::string_view userName,
                                std::string_view password);
SearchDatagram MakeResetRequest(const DeviceNetworkSettings& settings, std::string_view userName,
                                std::string_view password);

// The kind byte of an answer as the device list keeps it: the byte when it is a known kind,
// else 0.
std::uint8_t KnownDeviceKind(std::uint8_t kindByte);
// A short English name of a kind; "Unknown" for a kind outside the table.
std::string_view DeviceKindName(std::uint8_t kind);

// "%.2x:%.2x:%.2x:%.2x:%.2x:%.2x" and "%d.%d.%d.%d".
std::string FormatMacText(const MacAddress& mac);
std::string FormatDottedText(const DottedAddress& address);

// Six pairs of hexadecimal digits, separated by ":" or "-" or not at all; blanks around the
// text are ignored. nullopt for anything else.
std::optional<MacAddress> ParseMacText(std::string_view text);
// Four decimal parts of one to three digits, each 0..255, separated by "."; blanks around the
// text are ignored. nullopt for anything else ("300", "1.2.3", "1.2.3.4.5", "1..2.3").
std::optional<DottedAddress> ParseDottedText(std::string_view text);

// One found server as the search dialog lists it.
struct SearchDeviceEntry {
  std::string mac;  // "%.2x:..." text
  std::string ip;
  std::uint32_t webPort = 0;
  std::string gateway;
  std::string dns;
  std::string netMask;
  std::uint8_t kind = 0;   // 0 for a kind outside the table
  std::int32_t index = 0;  // 0 for the first answer, counting up
};
SearchDeviceEntry MakeSearchDeviceEntry(const SearchDatagram& answer, std::int32_t index);

}  // namespace net
