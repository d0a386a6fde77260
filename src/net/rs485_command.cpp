#include "net/rs485_command.h"

#include <cstdio>

#include "app/app_data.h"
#include "app/trace.h"
#include "net/cgi_url.h"
#include "net/config_records.h"
#include "net/net_environment.h"
#include "net/net_messages.h"
#include "net/penta_send_command.h"

namespace net {
namespace {

// Seconds for the connect, each write and each read of a command.
constexpr uint16_t kRs485TimeoutSeconds = 5;
constexpr uint8_t kCodeDeviceId = 0x0D;
constexpr uint8_t kCodeAuthority = 0x01;
constexpr uint8_t kCodeSum = 0x02;
constexpr uint8_t kCodePtzNumber = 0x0B;
constexpr uint8_t kCodeLiteral = 0x04;
constexpr uint8_t kCodeLiteralEnd = 0x05;
constexpr uint8_t kFormA = 0x0A;
constexpr uint8_t kFormB = 0x03;

class FrameWriter {
 public:
  explicit FrameWriter(uint8_t count) { m_Frame.assign(static_cast<std::size_t>(count) + 3, 0); }
  // Writes one payload byte; false when the payload is full.
  bool Put(uint8_t byte) {
    if (m_nWritten >= kRs485PayloadMax || m_nWritten + 1 >= m_Frame.size())
      return false;
    m_Frame[++m_nWritten] = byte;
    m_wSum = static_cast<uint16_t>(m_wSum + byte);
    return true;
  }
  uint8_t SumLowByte() const { return static_cast<uint8_t>(m_wSum & 0xFF); }
  std::size_t Written() const { return m_nWritten; }
  std::vector<uint8_t>& Frame() { return m_Frame; }

 private:
  std::vector<uint8_t> m_Frame;
  std::size_t m_nWritten = 0;
  uint16_t m_wSum = 0;
};

// The value of a placeholder in forms A and C (and B for the codes it shares).
std::optional<uint8_t> PlaceholderValue(uint8_t code, const DeviceCommand& command,
                                        const Rs485Values& values, const FrameWriter& writer) {
  switch (code) {
    case kCodeDeviceId:
      return values.deviceId;
    case kCodeAuthority:
      if (values.userRightsRow >= UserRightsAuthority.size())
        return std::nullopt;
      return UserRightsAuthority[values.userRightsRow];
    case kCodeSum:
      return writer.SumLowByte();
    case kCodePtzNumber:
      return values.ptzNumber;
    default:
      if (command.owner == nullptr || code >= command.owner->parameters.size())
        return 0;
      return command.owner->parameters[code];
  }
}

// Copies bytes [from, from + count) of the command as payload, filling placeholders.
bool PutPayload(const DeviceCommand& command, std::size_t from, std::size_t count,
                const Rs485Values& values, FrameWriter& writer) {
  if (from + count > command.bytes.size())
    return false;
  for (std::size_t i = from; i < from + count; ++i) {
    uint8_t byte = command.bytes[i];
    if (command.IsMarked(i)) {
      const auto value = PlaceholderValue(byte, command, values, writer);
      if (!value)
        return false;
      byte = *value;
    }
    if (!writer.Put(byte))
      return false;
  }
  return true;
}

std::optional<std::vector<uint8_t>> Finish(FrameWriter& writer, uint8_t count,
                                           const Rs485Values& values) {
  std::vector<uint8_t>& frame = writer.Frame();
  frame[0] = count;
  frame[count + 1u] = values.repeat;
  frame[count + 2u] = kRs485RepeatInterval;
  return std::move(frame);
}

std::optional<std::vector<uint8_t>> BuildFormA(const DeviceCommand& command,
                                               const Rs485Values& values) {
  // Two alternatives; with R.E.T.R. on the first (from byte 1), else the one behind the first
  // 0x0A after byte 0.
  std::size_t start = 1;
  if (!values.retrOn) {
    std::size_t i = 1;
    while (i < command.bytes.size() && command.bytes[i] != kFormA)
      ++i;
    if (i >= command.bytes.size())
      return std::nullopt;
    start = i + 1;
  }
  if (start >= command.bytes.size())
    return std::nullopt;
  const uint8_t count = command.bytes[start];
  if (count > kRs485PayloadMax)
    return std::nullopt;
  FrameWriter writer(count);
  if (!PutPayload(command, start + 1, count, values, writer))
    return std::nullopt;
  return Finish(writer, count, values);
}

std::optional<std::vector<uint8_t>> BuildFormB(const DeviceCommand& command,
                                               const Rs485Values& values) {
  if (command.bytes.size() < 2)
    return std::nullopt;
  const uint8_t count = command.bytes[1];
  if (count > kRs485PayloadMax)
    return std::nullopt;
  FrameWriter writer(count);
  std::size_t p = 2;
  while (p < command.bytes.size()) {
    const uint8_t byte = command.bytes[p];
    if (byte == 0 && writer.Written() >= count)
      break;  // the payload is complete
    if (!command.IsMarked(p)) {
      if (!writer.Put(byte))
        return std::nullopt;
      ++p;
      continue;
    }
    if (byte == kCodeLiteral || byte == kCodeLiteralEnd) {
      if (p + 1 >= command.bytes.size())
        return std::nullopt;  // the pair runs past the end
      if (!writer.Put(command.bytes[p + 1]))
        return std::nullopt;
      p += 2;
      if (byte == kCodeLiteralEnd)
        break;
      continue;
    }
    uint8_t value = 0;  // other codes give 0 in this form
    if (byte == kCodeDeviceId || byte == kCodeAuthority || byte == kCodeSum ||
        byte == kCodePtzNumber) {
      const auto filled = PlaceholderValue(byte, command, values, writer);
      if (!filled)
        return std::nullopt;
      value = *filled;
    }
    if (!writer.Put(value))
      return std::nullopt;
    ++p;
  }
  // No repeat or interval: the frame is sent as count + 3 bytes as it stands.
  std::vector<uint8_t>& frame = writer.Frame();
  frame[0] = count;
  return std::move(frame);
}

}  // namespace

std::optional<std::vector<uint8_t>> BuildRs485Frame(const DeviceCommand& command,
                                                    const Rs485Values& values) {
  if (command.length == 0 || command.bytes.size() != command.length)
    return std::nullopt;
  if (command.IsMarked(0) && command.bytes[0] == kFormA)
    return BuildFormA(command, values);
  if (command.IsMarked(0) && command.bytes[0] == kFormB)
    return BuildFormB(command, values);
  if (command.length > kRs485PayloadMax)
    return std::nullopt;
  const auto count = static_cast<uint8_t>(command.length);
  FrameWriter writer(count);
  if (!PutPayload(command, 0, count, values, writer))
    return std::nullopt;
  return Finish(writer, count, values);
}

std::string FrameHexText(const std::vector<uint8_t>& frame) {
  std::string text;
  text.reserve(frame.size() * 2);
  for (const uint8_t byte : frame) {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02x", byte);
    text += digits;
  }
  return text;
}

}  // namespace net

namespace {

// The channel a key acts on: 0 when channel 1 is selected, else 1.
std::size_t SelectedChannel() {
  return g_lpApp && g_lpApp->m_SettingINI.m_bySelectedChannel == 1 ? 0 : 1;
}

}  // namespace

namespace net {

CCgiUrl Rs485CommandUrl(const std::string& hexText) {
  CCgiUrl url(CgiIndex::kCgiRs485Cmd);
  url.AddParam("Command", hexText.c_str());
  AddSessionId(url, Environment().SessionId());
  return url;
}

int SendRs485Request(const Rs485Request& request, const platform::StopToken& stop) {
  CgiExchange exchange = MakeCgiExchange(request.url, kRs485TimeoutSeconds, stop);
  if (request.body)
    exchange.body = std::span<const uint8_t>(*request.body);
  return SendCgiRequest(exchange);
}

}  // namespace net

net::PreparedRs485 PrepareRS485Command(const DeviceCommand* command, uint8_t deviceId,
                                       uint8_t repeat) {
  if (command == nullptr || command->length == 0)
    return {std::nullopt, net::kMsgCommandNotSupported};
  net::Rs485Values values;
  values.deviceId = deviceId;
  values.repeat = repeat;
  if (g_lpApp) {
    const std::size_t c = SelectedChannel();
    values.ptzNumber = g_lpApp->m_abyChannelPtzNumber[c].load();
    values.userRightsRow = g_lpApp->m_byUserRightsRow;
    values.retrOn = g_lpApp->m_bRetrOn.load() != 0;
  }
  auto frame = net::BuildRs485Frame(*command, values);
  if (!frame) {
    DebugPrint("SendRS485Command : command of %u bytes cannot be framed\n", command->length);
    return {std::nullopt, net::kMsgCommandNotSupported};
  }
  CCgiUrl url = net::Rs485CommandUrl(net::FrameHexText(*frame));
  return {net::Rs485Request{std::move(url), std::move(*frame)}, 0};
}

net::PreparedRs485 PrepareDeviceCommand(uint32_t useRepeat, uint16_t index) {
  if (!g_lpApp || index >= kCommandCount) {
    DebugPrint("SendDeviceCommand : command index %u refused\n", index);
    return {};
  }
  CAppData& app = *g_lpApp;
  const std::size_t c = SelectedChannel();
  const uint8_t deviceId = app.m_abyChannelDeviceId[c].load();
  const uint8_t kind =
      c == 0 ? app.m_SettingINI.m_byChannel1Device : app.m_SettingINI.m_byChannel2Device;
  if (app.m_byDeviceType.load() == kRetrDeviceType && app.m_bRetrOn.load() != 0 &&
      index != kRetrCommandIndex) {
    return {};  // R.E.T.R. mode: only the alarm key goes out
  }
  // A kind from the settings outside the table has no command description.
  const CtrlFileDevice* device =
      kind < DeviceCommandTable.size() ? DeviceCommandTable[kind].device : nullptr;
  if (device == nullptr)
    return {std::nullopt, net::kMsgNoDeviceProtocol};
  uint8_t repeat = 1;
  if (useRepeat != 0) {
    const uint8_t configured = app.m_Rs485Config[2];
    repeat = configured >= 1 && configured <= 10 ? configured : 5;
  }
  return PrepareRS485Command(&device->commands[index], deviceId, repeat);
}
