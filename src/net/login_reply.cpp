#include "net/login_reply.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <limits>

#include "app/app_data.h"
#include "net/net_environment.h"

namespace net {
namespace {

char Upper(char c) {
  return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

// Position of the first occurrence of `key` in `text`, ignoring case.
std::size_t FindIgnoreCase(std::string_view text, std::string_view key) {
  if (key.empty() || key.size() > text.size())
    return std::string_view::npos;
  for (std::size_t at = 0; at + key.size() <= text.size(); ++at) {
    std::size_t i = 0;
    while (i < key.size() && Upper(text[at + i]) == Upper(key[i]))
      ++i;
    if (i == key.size())
      return at;
  }
  return std::string_view::npos;
}

template <typename T>
std::optional<T> NumberField(std::string_view reply, std::string_view key) {
  const auto value = FindReplyValue(reply, key);
  if (!value)
    return std::nullopt;
  // Cut to the destination's width, as a conversion to a narrower integer does.
  using Unsigned = std::make_unsigned_t<T>;
  return static_cast<T>(static_cast<Unsigned>(static_cast<uint64_t>(ReplyNumber(*value))));
}

}  // namespace

std::optional<std::string> FindReplyValue(std::string_view reply, std::string_view key) {
  reply = reply.substr(0, std::min(reply.find('\0'), reply.size()));
  const std::size_t at = FindIgnoreCase(reply, key);
  if (at == std::string_view::npos)
    return std::nullopt;
  const std::size_t start = at + key.size() + 1;  // behind the separator
  if (start > reply.size())
    return std::nullopt;
  // The ";" is searched behind the separator, so a separator that is itself ";" cannot end
  // the value before it starts.
  const std::size_t end = std::min(reply.find(';', start), reply.size());
  return std::string(reply.substr(start, std::min(end - start, kReplyValueMax)));
}

int64_t ReplyNumber(std::string_view text) {
  std::size_t p = 0;
  while (p < text.size() && (text[p] == ' ' || (text[p] >= '\t' && text[p] <= '\r')))
    ++p;
  bool negative = false;
  if (p < text.size() && (text[p] == '-' || text[p] == '+'))
    negative = text[p++] == '-';
  uint64_t magnitude = 0;
  constexpr uint64_t kLimit = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
  for (; p < text.size() && std::isdigit(static_cast<unsigned char>(text[p])); ++p) {
    magnitude = std::min(kLimit, magnitude * 10 + static_cast<uint64_t>(text[p] - '0'));
  }
  const auto value = static_cast<int64_t>(magnitude);
  return negative ? -value : value;
}

void HexTextToByteArray(std::string_view text, char drop, std::span<uint8_t> out) {
  std::fill(out.begin(), out.end(), 0);
  std::string digits;
  for (const char c : text) {
    if (c != drop)
      digits += Upper(c);
  }
  auto value = [](char c) { return static_cast<int>(c) - (c < 'A' ? 48 : 55); };
  for (std::size_t i = 0; i < out.size() && 2 * i + 1 < digits.size(); ++i) {
    out[i] = static_cast<uint8_t>(16 * value(digits[2 * i]) + value(digits[2 * i + 1]));
  }
}

LoginReplyFields ParseLoginReplyFields(std::string_view reply) {
  LoginReplyFields fields;
  if (auto id = FindReplyValue(reply, "SESSION-ID"))
    fields.sessionId = id->substr(0, 63);
  fields.productId = NumberField<int32_t>(reply, "PRODUCT-ID");
  if (auto version = FindReplyValue(reply, "FIRMWARE-VERSION")) {
    std::array<char, 20> bytes{};
    std::copy_n(version->begin(), std::min(version->size(), bytes.size()), bytes.begin());
    fields.firmwareVersion = bytes;
  }
  if (auto mac = FindReplyValue(reply, "MAC-ADDRESS")) {
    std::array<uint8_t, 6> bytes{};
    HexTextToByteArray(*mac, '_', bytes);
    fields.macAddress = bytes;
  }
  // HOST-NAME is recognised and not kept.
  return fields;
}

StreamReplyFields ParseStreamReplyFields(std::string_view reply) {
  StreamReplyFields fields;
  if (auto format = FindReplyValue(reply, "VIDEO-FORMAT")) {
    std::array<char, 2> text{};
    std::copy_n(format->begin(), std::min(format->size(), text.size()), text.begin());
    fields.videoFormatText = text;
  }
  fields.userLevel = NumberField<int32_t>(reply, "USER-LEVEL");
  fields.lifeTime = NumberField<uint32_t>(reply, "LIFE-TIME");
  for (int i = 0; i < 2; ++i) {
    const std::string n = std::to_string(i);
    PeripheralFields& record = fields.peripherals[static_cast<std::size_t>(i)];
    record.deviceId = NumberField<uint8_t>(reply, "DEVICE-ID" + n).value_or(0);
    record.deviceType = NumberField<uint16_t>(reply, "DEVICE-TYPE" + n).value_or(0);
    record.baudRate = NumberField<uint32_t>(reply, "BAUD-RATE" + n).value_or(0);
  }
  fields.mpeg4Width = NumberField<uint16_t>(reply, "MPEG4-WIDTH");
  fields.mpeg4Height = NumberField<uint16_t>(reply, "MPEG4-HEIGHT");
  fields.jpegWidth = NumberField<uint16_t>(reply, "JPEG-WIDTH");
  fields.jpegHeight = NumberField<uint16_t>(reply, "JPEG-HEIGHT");
  fields.streamPort = NumberField<uint16_t>(reply, "STREAM-PORT");
  return fields;
}

}  // namespace net

int ParseLoginReply(const char* reply) {
  StoreLoginReplyFields(net::ParseLoginReplyFields(reply != nullptr ? reply : std::string_view()));
  return 1;
}

void StoreLoginReplyFields(const net::LoginReplyFields& fields) {
  if (fields.sessionId)
    net::Environment().SetSessionId(*fields.sessionId);
  if (!g_lpApp)
    return;
  if (fields.productId)
    g_lpApp->m_dwProductId = *fields.productId;
  if (fields.firmwareVersion)
    g_lpApp->m_szFirmwareVersion = *fields.firmwareVersion;
  if (fields.macAddress)
    g_lpApp->m_abyMacAddress = *fields.macAddress;
}

int ParseLoginReplyEx(const char* reply) {
  StoreStreamReplyFields(
      net::ParseStreamReplyFields(reply != nullptr ? reply : std::string_view()));
  return 1;
}

void StoreStreamReplyFields(const net::StreamReplyFields& fields) {
  if (!g_lpApp)
    return;
  CAppData& app = *g_lpApp;
  if (fields.videoFormatText)
    app.m_szVideoFormatText = *fields.videoFormatText;
  if (fields.userLevel)
    app.m_dwReplyUserLevel = *fields.userLevel;
  if (fields.lifeTime)
    app.m_dwLifeTime = *fields.lifeTime;
  // A new peripheral block at every parse, replacing (and freeing) the previous one.
  auto info = std::make_unique<PeripheralInfo>();
  for (std::size_t i = 0; i < 2; ++i) {
    info->m_Records[i].m_byDeviceId = fields.peripherals[i].deviceId;
    info->m_Records[i].m_wDeviceType = fields.peripherals[i].deviceType;
    info->m_Records[i].m_dwBaudRate = fields.peripherals[i].baudRate;
  }
  app.m_pPeripheralInfo = std::move(info);
  if (fields.mpeg4Width)
    app.m_wMpeg4Width = *fields.mpeg4Width;
  if (fields.mpeg4Height)
    app.m_wMpeg4Height = *fields.mpeg4Height;
  if (fields.jpegWidth)
    app.m_wJpegWidth = *fields.jpegWidth;
  if (fields.jpegHeight)
    app.m_wJpegHeight = *fields.jpegHeight;
  if (fields.streamPort)
    app.m_wStreamPort = *fields.streamPort;
}
