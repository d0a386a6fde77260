#include "net/ctrl_file.h"

#include <algorithm>
#include <cctype>
#include <mutex>

#include "app/app_data.h"
#include "app/trace.h"
#include "net/net_messages.h"
#include "platform/folders.h"

std::array<DeviceKindRow, kDeviceKindCount> DeviceCommandTable = {{
    {"CAMERA", 3, 0},
    {"DVR 1CH", 1, 1},
    {"DVR 4CH", 1, 2},
    {"DVR 4CH BASIC", 1, 3},
    {"MUX 4CH", 1, 4},
    {"MUX 9CH", 1, 5},
    {"MUX 16CH", 1, 6},
    {"QUAD 4CH", 1, 7},
    {"PTZ", 1, 8},
    {"MPEG2 DVR 4CH", 1, 9},
    {"NVR 4CH", 0, 10},
    {"PTZ SLAVE", 0, 11},
    {"NVR 4CH BASIC", 0, 12},
    {"NETWORK MUX 9CH", 0, 13},
    {"NETWORK MUX 16CH", 0, 14},
    {"NETWORK MPEG2 DVR 4CH", 1, 15},
    {"DVR II", 1, 16},
    {"PTZ SLAVE BASIC", 0, 17},
}};

namespace net {
namespace {

// A character's digit value in a command line; anything that is not a hex digit adds 0.
int HexValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  return 0;
}

// The two characters at `at` read as one value; characters past the end count as 0.
uint8_t HexPair(std::string_view line, std::size_t at) {
  const char high = at < line.size() ? line[at] : '0';
  const char low = at + 1 < line.size() ? line[at + 1] : '0';
  return static_cast<uint8_t>(HexValue(high) * 16 + HexValue(low));
}

int SectionOf(std::string_view line) {
  for (std::size_t k = 0; k < CtrlFileKeys.size(); ++k) {
    if (line == CtrlFileKeys[k])
      return static_cast<int>(k);
  }
  return -1;
}

int DecimalValue(std::string_view text) {
  std::size_t p = 0;
  while (p < text.size() && text[p] == ' ')
    ++p;
  int value = 0;
  for (; p < text.size() && std::isdigit(static_cast<unsigned char>(text[p])); ++p) {
    value = std::min(value * 10 + (text[p] - '0'), 1'000'000);
  }
  return value;
}

// "0xLL 0xB1 0x%C ...": LL is the length; each later "X" brings one byte, "X%" a placeholder.
// false when the line holds fewer values than its length.
bool ParseCommandLine(std::string_view line, CtrlFileDevice& owner, DeviceCommand& command) {
  command = DeviceCommand{};
  command.owner = &owner;
  std::size_t x = line.find('X');
  if (x == std::string_view::npos) {
    return false;
  }
  command.length = HexPair(line, x + 1);
  command.bytes.assign(command.length, 0);
  std::size_t filled = 0;
  for (x = line.find('X', x + 1); x != std::string_view::npos && filled < command.length;
       x = line.find('X', x + 1)) {
    if (x + 1 < line.size() && line[x + 1] == '%')
      command.placeholderMask.set(filled);
    command.bytes[filled++] = HexPair(line, x + 1);
  }
  // Values beyond the length are ignored.
  return filled == command.length;
}

}  // namespace

std::string ReduceCtrlFileLine(std::string_view line) {
  std::string reduced;
  for (const char c : line) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 32 || byte > 126)
      continue;
    if (reduced.size() == kMaxCtrlFileLine)
      break;
    reduced += static_cast<char>(std::toupper(byte));
  }
  return reduced;
}

CtrlFileContents ParseCtrlFile(std::string_view text) {
  CtrlFileContents contents;
  int section = -1;
  int current = -1;  // index of the device being read
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    const std::string line = ReduceCtrlFileLine(text.substr(at, end - at));
    at = end + 1;
    if (line.empty() || line[0] == ';')
      continue;
    if (line[0] == '[') {
      section = SectionOf(line);
      continue;
    }
    CtrlFileDevice* device =
        current >= 0 && current < contents.count ? &contents.devices[current] : nullptr;
    switch (section) {
      case -1:
        contents.messages.push_back(kMsgCommandNotSupported);
        break;
      case kKeyDeviceNumber:
        if (!contents.devices) {  // a second count is ignored: the table is built once
          contents.count = std::clamp(DecimalValue(line), 0, kMaxCtrlFileDevices);
          contents.devices = std::make_unique<CtrlFileDevice[]>(contents.count);
        }
        break;
      case kKeyDeviceName:
        ++current;
        if (current < contents.count) {
          contents.devices[current].name = line.substr(0, kMaxDeviceName);
        } else {
          DebugPrint("ParseCtrlFile : device %d is beyond the declared count\n", current);
        }
        break;
      case kKeyParameter: {
        const std::size_t percent = line.find('%');
        const std::size_t x = line.find('X');
        if (device == nullptr || percent == std::string::npos || x == std::string::npos)
          break;
        const int slot = percent + 1 < line.size() ? line[percent + 1] - '0' : -1;
        if (slot < 0 || slot > 9)
          break;
        device->parameters[static_cast<std::size_t>(slot)] = HexPair(line, x + 1);
        break;
      }
      case kKeyEof:
        if (line == "END")
          return contents;
        break;
      case kKeyDisplay:
        if (device != nullptr)
          device->display = static_cast<uint8_t>(DecimalValue(line));
        break;
      default: {  // the power key and the 65 command keys
        if (device == nullptr)
          break;
        DeviceCommand& command =
            section == kKeyPower
                ? device->powerCommand
                : device->commands[static_cast<std::size_t>(section - kKeyFirstCommand)];
        if (!ParseCommandLine(line, *device, command)) {
          contents.messages.push_back(kMsgInputServerCommand);
        }
        break;
      }
    }
  }
  return contents;
}

}  // namespace net

namespace {

// The loaded table; the block's fields point into it.
std::mutex g_TableLock;
std::unique_ptr<CtrlFileDevice[]> g_pDevices;
int g_nDevices = 0;

void Install(CtrlFileContents contents) {
  const std::lock_guard lock(g_TableLock);
  g_pDevices = std::move(contents.devices);
  g_nDevices = contents.count;
  for (DeviceKindRow& row : DeviceCommandTable)
    row.device = nullptr;
  if (g_lpApp) {
    g_lpApp->m_pCtrlFileDevices = g_pDevices.get();
    g_lpApp->m_nCtrlFileDeviceCount = g_nDevices;
  }
}

}  // namespace

int LoadCtrlFile() {
  return LoadCtrlFileFrom(platform::ProgramFolder() / "CtrlFile.ini");
}

int LoadCtrlFileFrom(const std::filesystem::path& path) {
  const auto bytes = platform::ReadWholeFile(path);
  if (!bytes) {
    net::ShowNetMessage(net::kMsgOpenCtrlFileFailed);
    return 0;
  }
  CtrlFileContents contents = net::ParseCtrlFile(
      std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
  const std::vector<int> messages = contents.messages;
  Install(std::move(contents));
  for (const int id : messages)
    net::ShowNetMessage(id);
  return 1;
}

int MatchCtrlFileDevices() {
  const std::lock_guard lock(g_TableLock);
  for (DeviceKindRow& row : DeviceCommandTable) {
    row.device = nullptr;
    for (int i = 0; i < g_nDevices; ++i) {
      if (g_pDevices[i].name == row.name) {
        row.device = &g_pDevices[i];
        break;
      }
    }
  }
  return 1;
}

void FreeCtrlFileDevices() {
  Install(CtrlFileContents{});
}

std::string_view DefaultCtrlFileText() {
  static constexpr std::string_view kText =
      ";=====================================================================\n"
      ";=  Device control file: the RS485 command bytes of every panel key\n"
      ";=  Frame: (Length) (Command1...Command2...) (Repeat times) (Repeat interval)\n"
      ";=  0x%d : the device id of the channel\n"
      ";=  %0..%9 under [Parameter] : the ten reserve values, used as 0x%0..0x%9\n"
      ";=  [] : a command name; the line below it holds the command\n"
      ";=  [EOF] with End : the end of the file\n"
      ";=====================================================================\n"
      "[Device Number]\n"
      "1\n"
      "[Parameter]\n"
      "%0 = 0x00\n"
      "[Device Name]\n"
      "DVR 4CH\n"
      "[Power]\n"
      "0x05 0xFF 0xC0 0x%d 0x50 0x7F\n"
      "[CH1]\n"
      "0x05 0xFF 0xC0 0x%d 0x01 0x7F\n"
      "[CH2]\n"
      "0x05 0xFF 0xC0 0x%d 0x02 0x7F\n"
      "[CH3]\n"
      "0x05 0xFF 0xC0 0x%d 0x03 0x7F\n"
      "[CH4]\n"
      "0x05 0xFF 0xC0 0x%d 0x04 0x7F\n"
      "[4CUT]\n"
      "0x05 0xFF 0xC0 0x%d 0x14 0x7F\n"
      "[DISPLAY]\n"
      "1\n"
      "[EOF]\n"
      "End\n";
  return kText;
}

int WriteDefaultCtrlFile(const std::filesystem::path& path) {
  const std::string_view text = DefaultCtrlFileText();
  if (!platform::WriteFileAtomically(
          path, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()))) {
    net::ShowNetMessage(net::kMsgCantCreateCtrlFile);
    return 0;
  }
  return 1;
}
