#include "ui/main/remote_commands.h"

#include <algorithm>
#include <cstdio>

#include "ui/main/panel_table.h"

namespace mainwin {
namespace {

// Command slots that send no device command of their own index.
constexpr int kTurboSlot = 59;
constexpr int kPtzControlSlot = 60;
constexpr int kRetrSlot = 61;
constexpr int kDigitalZoomSlot = 64;

// The keys whose turbo argument is the turbo flag: ZOOM Tele/Wide, FOCUS Near/Far and the four
// directions.
bool TakesTurbo(int slot) {
  return (slot >= 30 && slot <= 33) || slot == 54 || slot == 55 || slot == 57 || slot == 58;
}

}  // namespace

std::optional<PanelKeyCommand> PanelKeyCommandOf(int controlId) {
  const int slot = panel::SlotOfControlId(controlId);
  if (slot < 0 || slot == kTurboSlot || slot == kPtzControlSlot || slot == kRetrSlot ||
      slot == kDigitalZoomSlot)
    return std::nullopt;
  // A key's command index is its record number in the panel table.
  return PanelKeyCommand{static_cast<std::uint16_t>(slot), TakesTurbo(slot)};
}

std::string CommandHexText(std::span<const std::uint8_t> command) {
  if (command.empty() || command.size() < static_cast<std::size_t>(command[0]) + 3)
    return {};
  const std::size_t count = static_cast<std::size_t>(command[0]) + 3;
  std::string text;
  text.reserve(count * 2);
  for (std::size_t i = 0; i < count; ++i) {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02x", command[i]);
    text += digits;
  }
  return text;
}

PtzControlBytes PtzControlCommand(std::uint8_t deviceId, std::uint8_t authority,
                                  std::uint8_t selector) {
  return {0x06, 0xFF, 0xC0, deviceId, authority, selector, 0x7F, 0x02, 0x32};
}

std::uint8_t PtzTypeOfSavedType(std::uint8_t savedType) {
  switch (savedType) {
    case 10:
    case 12:
    case 13:
    case 14:
    case 16:
      return 17;
    case 15:
      return 11;
    default:
      return 8;
  }
}

std::uint8_t PtzTypeOfServerByte(std::uint8_t deviceByte) {
  return deviceByte == 0x32 ? 8 : deviceByte == 0x84 ? 11 : 17;
}

std::optional<std::uint8_t> HotPointCell(const HotPointArea& area, int x, int y) {
  if (x <= area.left || x >= area.right || y <= area.top || y >= area.bottom)
    return std::nullopt;
  const int cellWidth = (area.right - area.left) / kHotPointColumns;
  const int cellHeight = (area.bottom - area.top) / kHotPointRows;
  // Boundaries strictly left of (above) the click, counted up to the grid's size.
  const auto count = [](int start, int cell, int at, int limit) {
    int n = 0;
    while (n < limit && start + (n + 1) * cell < at)
      ++n;
    return n;
  };
  const int column =
      std::min(count(area.left, cellWidth, x, kHotPointColumns), kHotPointColumns - 1);
  const int row = std::min(count(area.top, cellHeight, y, kHotPointRows), kHotPointRows - 1);
  return static_cast<std::uint8_t>(row * kHotPointColumns + column);
}

HotPointBytes HotPointCommand(std::uint8_t deviceId, std::uint8_t authority, std::uint8_t cell) {
  HotPointBytes bytes = {0x07, 0xD0, deviceId, authority, 0x52, cell, 0x00, 0x00, 0x01, 0x32};
  unsigned sum = 0;
  for (std::size_t i = 1; i <= 6; ++i)
    sum += bytes[i];
  bytes[7] = static_cast<std::uint8_t>(sum & 0xFF);
  return bytes;
}

std::optional<std::uint8_t> NextAvOption(std::uint8_t option) {
  switch (option) {
    case 1:
      return 3;
    case 3:
      return 2;
    case 2:
      return 1;
    default:
      return std::nullopt;
  }
}

}  // namespace mainwin
