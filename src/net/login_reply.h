// The login and stream replies: fields of KEY, one separator character, VALUE, ";". Keys are
// found without regard to case (the first occurrence counts), values keep their case. Every
// copy is bounded: a missing ";", an over-long value, MAC or session id never reads or writes
// past a field or a buffer.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace net {

// A value is held in a 128-byte buffer: at most 127 characters are kept.
inline constexpr std::size_t kReplyValueMax = 127;

// The value of the first occurrence of `key`: from the character after the separator up to the
// first ";" behind it (or the end of the text), cut to kReplyValueMax. nullopt when the key is
// absent or nothing (not even a separator) follows it. The reply ends at its first NUL.
std::optional<std::string> FindReplyValue(std::string_view reply, std::string_view key);

// Leading decimal text (optional blanks and sign) as a 64-bit value, 0 when there are no
// digits; saturates instead of overflowing. Destinations cut it to their width.
int64_t ReplyNumber(std::string_view text);

// Hex text to bytes after dropping every `drop` character: each pair of characters gives one
// byte (a character's value is its code minus 48 below "A", else minus 55, after upper-casing).
// Writes at most out.size() bytes, clears them first; a lone last character is ignored.
void HexTextToByteArray(std::string_view text, char drop, std::span<uint8_t> out);

struct LoginReplyFields {
  std::optional<std::string> sessionId;  // at most 63 characters
  std::optional<int32_t> productId;
  std::optional<std::array<char, 20>> firmwareVersion;  // cut or zero-padded to 20 bytes
  std::optional<std::array<uint8_t, 6>> macAddress;
};

struct PeripheralFields {
  uint8_t deviceId = 0;
  uint16_t deviceType = 0;
  uint32_t baudRate = 0;
};

struct StreamReplyFields {
  std::optional<std::array<char, 2>> videoFormatText;
  std::optional<int32_t> userLevel;
  std::optional<uint32_t> lifeTime;
  std::array<PeripheralFields, 2> peripherals{};  // fields whose keys are missing stay 0
  std::optional<uint16_t> mpeg4Width;
  std::optional<uint16_t> mpeg4Height;
  std::optional<uint16_t> jpegWidth;
  std::optional<uint16_t> jpegHeight;
  std::optional<uint16_t> streamPort;
};

LoginReplyFields ParseLoginReplyFields(std::string_view reply);
StreamReplyFields ParseStreamReplyFields(std::string_view reply);

}  // namespace net

// Store the reply's values: the session id into the session text (cleared first, so no tail of
// an older id stays), the rest into the application data block when it exists. Missing keys
// leave their destination unchanged. Both return 1.
int ParseLoginReply(const char* reply);
int ParseLoginReplyEx(const char* reply);

// The storing halves of the two, for values parsed elsewhere (the login window parses on its
// worker and stores on the GUI thread).
void StoreLoginReplyFields(const net::LoginReplyFields& fields);
void StoreStreamReplyFields(const net::StreamReplyFields& fields);
