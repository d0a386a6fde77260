// The device command file CtrlFile.ini: which bytes each panel key sends to each kind of
// device wired to the server's RS485 channels. Loaded once at start-up into a table of
// devices, each linked by name to a row of the built-in table of eighteen device kinds.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct CtrlFileDevice;

// Commands hold at most 255 bytes; one placeholder mark per byte.
inline constexpr std::size_t kMaxCommandBytes = 255;
inline constexpr std::size_t kCommandCount = 65;

struct DeviceCommand {
  CtrlFileDevice* owner = nullptr;
  std::bitset<kMaxCommandBytes> placeholderMask;  // bit i: byte i is a placeholder code
  uint32_t length = 0;                            // 0: the key has no command
  std::vector<uint8_t> bytes;                     // `length` bytes

  bool IsMarked(std::size_t i) const { return i < placeholderMask.size() && placeholderMask[i]; }
};

struct CtrlFileDevice {
  std::array<uint8_t, 16> parameters{};  // slots 0..9 set by "[PARAMETER]"
  DeviceCommand powerCommand;
  std::string name;  // at most 79 characters, upper case
  std::array<DeviceCommand, kCommandCount> commands;
  uint8_t display = 0;
};

// Section keys in search order: "[DEVICE NUMBER]", "[DEVICE NAME]", the 65 command keys (command
// index k is key k + 2), "[PARAMETER]", "[POWER]", "[EOF]", "[DISPLAY]".
inline constexpr std::array<const char*, 71> CtrlFileKeys = {"[DEVICE NUMBER]",
                                                             "[DEVICE NAME]",
                                                             "[CH1]",
                                                             "[CH2]",
                                                             "[CH3]",
                                                             "[CH4]",
                                                             "[CH5]",
                                                             "[CH6]",
                                                             "[CH7]",
                                                             "[CH8]",
                                                             "[CH9]",
                                                             "[CH10]",
                                                             "[CH11]",
                                                             "[CH12]",
                                                             "[CH13]",
                                                             "[CH14]",
                                                             "[CH15]",
                                                             "[CH16]",
                                                             "[UP_PIP]",
                                                             "[UP_QUAD]",
                                                             "[4CUT]",
                                                             "[9CUT]",
                                                             "[16CUT]",
                                                             "[PIP]",
                                                             "[POP]",
                                                             "[71013]",
                                                             "[AUTO]",
                                                             "[ESC]",
                                                             "[VCR]",
                                                             "[LIVE]",
                                                             "[QUAD]",
                                                             "[FREEZE]",
                                                             "[ZOOM_IN]",
                                                             "[ZOOM_OUT]",
                                                             "[FOCUS_IN]",
                                                             "[FOCUS_OUT]",
                                                             "[PLUSE]",
                                                             "[MINUS]",
                                                             "[REMOTE_RECORD]",
                                                             "[REBOOT]",
                                                             "[ESCAPE]",
                                                             "[SEC_ENTER]",
                                                             "[STOP_RECORD]",
                                                             "[RECORDING]",
                                                             "[ZOOM]",
                                                             "[SELECT]",
                                                             "[LOCK]",
                                                             "[SEARCH]",
                                                             "[ENTER]",
                                                             "[STOP]",
                                                             "[RECORD]",
                                                             "[REW]",
                                                             "[FAST]",
                                                             "[PAUSE]",
                                                             "[SLOW]",
                                                             "[PLAY]",
                                                             "[JOYSTICK_LEFT]",
                                                             "[JOYSTICK_UP]",
                                                             "[JOYSTICK_MENU]",
                                                             "[JOYSTICK_DOWN]",
                                                             "[JOYSTICK_RIGHT]",
                                                             "[TURBO]",
                                                             "[PTZ]",
                                                             "[ALARM]",
                                                             "[ZOOM_IN_MAX]",
                                                             "[ZOOM_OUT_MAX]",
                                                             "[DIGITAL_ZOOM]",
                                                             "[PARAMETER]",
                                                             "[POWER]",
                                                             "[EOF]",
                                                             "[DISPLAY]"};

inline constexpr int kKeyDeviceNumber = 0;
inline constexpr int kKeyDeviceName = 1;
inline constexpr int kKeyFirstCommand = 2;
inline constexpr int kKeyParameter = 67;
inline constexpr int kKeyPower = 68;
inline constexpr int kKeyEof = 69;
inline constexpr int kKeyDisplay = 70;

// Limits of the reading: names are cut to 79 characters, the device count to
// kMaxCtrlFileDevices; extra devices, commands without a device and parameter slots outside
// 0..9 are ignored. Lines are read whole up to kMaxCtrlFileLine characters, so a command of
// 255 bytes (1,279 characters) is never cut short.
inline constexpr std::size_t kMaxCtrlFileLine = 4096;
inline constexpr std::size_t kMaxDeviceName = 79;
inline constexpr int kMaxCtrlFileDevices = 256;

struct CtrlFileContents {
  std::unique_ptr<CtrlFileDevice[]> devices;
  int count = 0;
  std::vector<int> messages;  // message ids to show, in order (4084, 4051)
};

namespace net {
// Reads the text of a command file. Never fails: what cannot be read is left out.
CtrlFileContents ParseCtrlFile(std::string_view text);
// Reduces a line to its characters 32..126, letters upper case, cut to kMaxCtrlFileLine.
std::string ReduceCtrlFileLine(std::string_view line);
}  // namespace net

// One row of the built-in table of device kinds.
struct DeviceKindRow {
  const char* name;  // display name, upper case; matched exactly against the file's names
  uint32_t flags;
  uint8_t kind;
  CtrlFileDevice* device = nullptr;  // the file's device of the same name, or null
};
inline constexpr int kDeviceKindCount = 18;
extern std::array<DeviceKindRow, kDeviceKindCount> DeviceCommandTable;

// Loads "CtrlFile.ini" from the program folder into the application data block's device
// table. 1 read; 0 not read (message 4094 shown).
int LoadCtrlFile();
int LoadCtrlFileFrom(const std::filesystem::path& path);
// Links every row of DeviceCommandTable to the first loaded device of the same name. 1.
int MatchCtrlFileDevices();
// Frees the loaded table and clears the links and the block's fields.
void FreeCtrlFileDevices();
// Writes the built-in default command file. 1 written; 0 not (message 4009 shown).
int WriteDefaultCtrlFile(const std::filesystem::path& path);
std::string_view DefaultCtrlFileText();
