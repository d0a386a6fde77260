// The remote-control panel's rules as plain functions: which device port a key addresses, the
// command index of each panel key, the PTZ-control and hot-point command bytes and their text,
// the PTZ device types, the hot-point grid over the video, and the AV option cycle.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace mainwin {

// The device port the keys address: 0 when "Selected Channel" is 1, else 1.
constexpr std::size_t PortOfChannel(std::uint8_t selectedChannel) {
  return selectedChannel == 1 ? 0 : 1;
}

// What a panel key sends: the request PrepareDeviceCommand(turbo ? turbo flag : 0, index) makes.
struct PanelKeyCommand {
  std::uint16_t index = 0;
  bool turbo = false;
  friend bool operator==(const PanelKeyCommand&, const PanelKeyCommand&) = default;
};
// The command of a panel key's control id; nullopt for ids that send no device command
// (TURBO, PTZ_CONTROL, R.E.T.R., Digital Zoom and every id outside the panel).
std::optional<PanelKeyCommand> PanelKeyCommandOf(int controlId);

// A command as text: byte 0 is the count n, and bytes 0..n+2 are written as two lower-case
// hexadecimal digits each. Empty when the command is shorter than that.
std::string CommandHexText(std::span<const std::uint8_t> command);

// The PTZ-control command: 06 FF C0 (device id) (authority) (selector) 7F 02 32, the selector
// '0' + the PTZ number, or 'Q' to leave PTZ control.
inline constexpr std::uint8_t kPtzOffSelector = 'Q';
using PtzControlBytes = std::array<std::uint8_t, 9>;
PtzControlBytes PtzControlCommand(std::uint8_t deviceId, std::uint8_t authority,
                                  std::uint8_t selector);
constexpr bool IsValidPtzNumber(int number) {
  return number >= 1 && number <= 4;
}
// The PTZ device type a port takes in PTZ control, by its own type: 17 for 10, 12, 13, 14 and
// 16; 11 for 15; 8 for every other type.
std::uint8_t PtzTypeOfSavedType(std::uint8_t savedType);
// The PTZ device type after the configuration sheet, by the server's device-type byte: 8 for
// 0x32, 11 for 0x84, 17 otherwise.
std::uint8_t PtzTypeOfServerByte(std::uint8_t deviceByte);

// The hot-point grid: 16 columns and 12 rows over an area (left/top inclusive, right/bottom
// exclusive), cells of area / 16 by area / 12 pixels, truncated.
inline constexpr int kHotPointColumns = 16;
inline constexpr int kHotPointRows = 12;
struct HotPointArea {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};
// The cell byte (row x 16 + column) of a click; nullopt for a click on the area's border or
// outside it. Column and row count the cell boundaries left of and above the click; in the last
// few pixels of an area that is not a multiple of the grid that count reaches 16 or 12, and the
// click belongs to the last column or row (15, 11).
std::optional<std::uint8_t> HotPointCell(const HotPointArea& area, int x, int y);
// The hot-point command: 07 D0 (device id) (authority) 52 (cell) 00 (checksum) 01 32, the
// checksum the low byte of the sum of D0 through 00.
using HotPointBytes = std::array<std::uint8_t, 10>;
HotPointBytes HotPointCommand(std::uint8_t deviceId, std::uint8_t authority, std::uint8_t cell);

// The AV option after a press of AV SWITCH: 1 -> 3 -> 2 -> 1; nullopt for any other value.
std::optional<std::uint8_t> NextAvOption(std::uint8_t option);

}  // namespace mainwin
