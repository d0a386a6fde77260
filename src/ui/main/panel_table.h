// The remote-control panel table: for each of the 18 device types, the 65 panel buttons (command
// slots) with their places in the four layout skins, flags, tooltip text id, image names, image
// kind and control id, and a trailer naming the device. Pure data, no Qt: the skin bitmap
// generator reads the image names too.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace panel {

inline constexpr int kDeviceTypeCount = 18;
inline constexpr int kSlotCount = 65;
inline constexpr int kLayoutSkinCount = 4;  // 0 N_VGA, 1 N_QVGA, 2 P_VGA, 3 P_QVGA
inline constexpr int kImageNameCount = 12;

// Button flags.
inline constexpr std::uint16_t kFlagEnabled = 0x1;
inline constexpr std::uint16_t kFlagShown = 0x2;
inline constexpr std::uint16_t kFlagLoadImages = 0x4;
inline constexpr std::uint16_t kFlagSingleImage = 0x10;
inline constexpr std::uint16_t kFlagHighestRights = 0x20;
inline constexpr std::uint16_t kFlagMiddleRights = 0x40;
inline constexpr std::uint16_t kFlagTipFirstWord = 0x80;
inline constexpr std::uint16_t kFlagTipSecondWord = 0x100;

// Image kinds.
inline constexpr std::uint8_t kKindSinglePair = 0x2;
inline constexpr std::uint8_t kKindFrames = 0x10;
inline constexpr std::uint8_t kKindStatesHover = 0x40;

// Trailer flag: the device has no fold-out panel.
inline constexpr std::uint32_t kTrailerNoPanel = 0x2;

// Every panel key has one size in every skin, so one image serves all of them.
inline constexpr int kKeyWidth = 30;
inline constexpr int kKeyHeight = 20;

struct PanelRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  constexpr std::int32_t Width() const { return right - left; }
  constexpr std::int32_t Height() const { return bottom - top; }
};

struct PanelButtonRecord {
  std::array<PanelRect, kLayoutSkinCount> rects;
  std::uint16_t flags = 0;
  std::uint16_t textId = 0;
  // Name 1 is images[0]. Empty names mean "no image".
  std::array<std::string, kImageNameCount> images;
  std::uint8_t imageKind = 0;
  std::uint16_t controlId = 0;
  std::uint16_t recordNumber = 0;
};

struct PanelTrailer {
  std::string title;
  std::uint32_t flags = 0;
  std::uint32_t entryNumber = 0;
  // The device's command table is not held here: the engine keeps the table loaded from
  // CtrlFile.ini, indexed by the same device type.
};

struct PanelDeviceEntry {
  std::array<PanelButtonRecord, kSlotCount> buttons;
  PanelTrailer trailer;
};

// Control id of command slot k (0..64); 0 for a slot outside that range.
std::uint16_t SlotControlId(int slot);

// Command slot of a control id, or -1 when the id is not a panel key.
int SlotOfControlId(int controlId);

// The entry of a device type; types outside 0..17 give the entry of type 0 (no buttons).
const PanelDeviceEntry& PanelEntry(int deviceType);

// Whether the turbo images replace the slot's own images while turbo mode is on.
bool IsTurboSlot(int slot);

}  // namespace panel
