#include "ui/main/panel_table.h"

#include <initializer_list>
#include <utility>
#include <vector>

namespace panel {
namespace {

// Record k's control id, in record order.
constexpr std::array<std::uint16_t, kSlotCount> kSlotIds = [] {
  std::array<std::uint16_t, kSlotCount> ids{};
  int k = 0;
  for (int id = 8250; id <= 8265; ++id)
    ids[k++] = static_cast<std::uint16_t>(id);
  ids[k++] = 8322;
  ids[k++] = 8321;
  for (int id = 8271; id <= 8273; ++id)
    ids[k++] = static_cast<std::uint16_t>(id);
  for (int id = 8280; id <= 8288; ++id)
    ids[k++] = static_cast<std::uint16_t>(id);
  ids[k++] = 8291;
  ids[k++] = 8292;
  ids[k++] = 8289;
  ids[k++] = 8290;
  ids[k++] = 8313;
  ids[k++] = 8314;
  for (int id = 8323; id <= 8328; ++id)
    ids[k++] = static_cast<std::uint16_t>(id);
  ids[k++] = 8220;
  ids[k++] = 8222;
  for (int id = 8223; id <= 8232; ++id)
    ids[k++] = static_cast<std::uint16_t>(id);
  for (int id = 8240; id <= 8244; ++id)
    ids[k++] = static_cast<std::uint16_t>(id);
  ids[k++] = 8310;
  ids[k++] = 8312;
  ids[k++] = 8331;
  ids[k++] = 8350;
  ids[k++] = 8351;
  ids[k++] = 8353;
  return ids;
}();

// Base image name of each slot. Direction and zoom/focus keys use the names the turbo switch
// swaps with; every other key has names of its own.
const char* SlotImageBase(int slot) {
  static constexpr std::array<const char*, kSlotCount> kBases = {"ch1",
                                                                 "ch2",
                                                                 "ch3",
                                                                 "ch4",
                                                                 "ch5",
                                                                 "ch6",
                                                                 "ch7",
                                                                 "ch8",
                                                                 "ch9",
                                                                 "ch10",
                                                                 "ch11",
                                                                 "ch12",
                                                                 "ch13",
                                                                 "ch14",
                                                                 "ch15",
                                                                 "ch16",
                                                                 "pip_quad",
                                                                 "quad_key",
                                                                 "cut4",
                                                                 "cut9",
                                                                 "cut16",
                                                                 "pip",
                                                                 "pop",
                                                                 "multicut",
                                                                 "auto",
                                                                 "esc",
                                                                 "vcr",
                                                                 "live",
                                                                 "quad",
                                                                 "freeze",
                                                                 "",
                                                                 "",
                                                                 "",
                                                                 "",
                                                                 "pip_plus",
                                                                 "quad_minus",
                                                                 "remote_rec",
                                                                 "reboot",
                                                                 "escape",
                                                                 "ptz_enter",
                                                                 "stop_rec",
                                                                 "rec",
                                                                 "zoom",
                                                                 "select",
                                                                 "lock",
                                                                 "search",
                                                                 "enter",
                                                                 "stop",
                                                                 "record",
                                                                 "rew",
                                                                 "fast",
                                                                 "pause",
                                                                 "slow",
                                                                 "play",
                                                                 "",
                                                                 "",
                                                                 "menu",
                                                                 "",
                                                                 "",
                                                                 "turbo",
                                                                 "ptz_control",
                                                                 "retr",
                                                                 "max_zoom_in",
                                                                 "max_zoom_out",
                                                                 "digital_zoom"};
  return kBases[static_cast<std::size_t>(slot)];
}

constexpr std::array<const char*, 4> kZoomFocus = {"2Col_zoom_in", "2Col_zoom_out", "2Col_focus_in",
                                                   "2Col_focus_out"};

const char* DirectionName(int slot) {
  switch (slot) {
    case 54:
      return "LEFT";
    case 55:
      return "UP";
    case 57:
      return "DOWN";
    case 58:
      return "RIGHT";
    default:
      return nullptr;
  }
}

// Places: three rows of 22 cells below the video, split around the PANELDOWN button.
PanelRect CellRect(int slot, int layoutSkin) {
  const int row = slot / 22;
  const int col = slot % 22;
  const bool vga = layoutSkin == 0 || layoutSkin == 2;
  const int bandTop = layoutSkin == 0 ? 608 : layoutSkin == 1 ? 366 : layoutSkin == 2 ? 705 : 414;
  if (vga) {
    const int x = (col < 11 ? 10 + col * 30 : 384 + (col - 11) * 30);
    const int y = bandTop + 4 + row * 22;
    return {x, y, x + 28, y + 20};
  }
  const int x = (col < 11 ? 8 + col * 14 : 200 + (col - 11) * 14);
  const int y = bandTop + 6 + row * 28;
  return {x, y, x + 13, y + 20};
}

std::array<std::string, kImageNameCount> SlotImages(int slot, std::uint8_t kind) {
  std::array<std::string, kImageNameCount> names;
  const auto bmp = [](const std::string& base) { return "BMP\\" + base + ".bmp"; };
  if (const char* dir = DirectionName(slot)) {
    const std::string big = std::string("N_VGA_") + dir;
    const std::string small = std::string("N_QVGA_") + dir;
    names[0] = bmp(big);
    names[1] = bmp(big + "_OVER");
    names[3] = bmp(small);
    names[4] = bmp(small + "_OVER");
    names[5] = bmp(big);
    return names;
  }
  if (slot >= 30 && slot <= 33) {
    const std::string base = kZoomFocus[static_cast<std::size_t>(slot - 30)];
    names[0] = bmp(base);
    names[1] = bmp(base + "_a");
    names[3] = bmp(base);
    names[4] = bmp(base + "_a");
    names[5] = bmp(base);
    return names;
  }
  const std::string base = SlotImageBase(slot);
  if (kind == kKindStatesHover || kind == kKindFrames) {
    names[0] = bmp(base + "_on");
    names[1] = bmp(base + "_on_a");
    names[2] = bmp(base + "_off");
    names[3] = bmp(base + "_off_a");
    return names;
  }
  names[0] = bmp(base);
  names[1] = bmp(base + "_a");
  names[3] = bmp(base + "_s");
  names[4] = bmp(base + "_s_a");
  names[5] = bmp(base);
  return names;
}

std::uint8_t SlotKind(int slot) {
  // TURBO, PTZ_CONTROL and R.E.T.R. show one of two words: two state pairs.
  return (slot >= 59 && slot <= 61) ? kKindStatesHover : kKindSinglePair;
}

using IdRange = std::pair<int, int>;

std::vector<IdRange> ShownIds(int type) {
  const std::vector<IdRange> type8 = {{8250, 8265}, {8283, 8283}, {8291, 8292}, {8289, 8290},
                                      {8225, 8225}, {8240, 8244}, {8310, 8310}, {8350, 8351}};
  const std::vector<IdRange> type9 = {{8250, 8253}, {8313, 8314}, {8326, 8326}, {8328, 8328},
                                      {8220, 8220}, {8223, 8224}, {8226, 8226}, {8228, 8232},
                                      {8240, 8244}, {8310, 8310}};
  const auto plus = [](std::vector<IdRange> base, std::initializer_list<IdRange> more) {
    base.insert(base.end(), more);
    return base;
  };
  switch (type) {
    case 1:
      return {{8224, 8232}, {8240, 8244}, {8310, 8310}};
    case 2:
      return {{8250, 8253}, {8313, 8314}, {8220, 8220}, {8223, 8232}, {8240, 8244}, {8310, 8310}};
    case 3:
      return {{8250, 8253}, {8281, 8281}, {8313, 8314}, {8223, 8232}, {8240, 8244}, {8310, 8310}};
    case 4:
      return {{8250, 8253}, {8271, 8271}, {8280, 8280}, {8220, 8220},
              {8223, 8232}, {8240, 8244}, {8310, 8310}};
    case 5:
    case 13:
      return {{8250, 8258}, {8271, 8272}, {8280, 8280}, {8220, 8220},
              {8222, 8223}, {8225, 8232}, {8240, 8244}, {8310, 8310}};
    case 6:
    case 14:
      return {{8250, 8265}, {8271, 8273}, {8280, 8280}, {8220, 8220},
              {8222, 8223}, {8225, 8232}, {8240, 8244}, {8310, 8310}};
    case 7:
      return {{8250, 8253}, {8283, 8283}, {8287, 8287}, {8223, 8232}, {8240, 8244}, {8310, 8310}};
    case 8:
      return type8;
    case 9:
      return type9;
    case 10:
      return {{8250, 8253}, {8313, 8314}, {8220, 8220}, {8223, 8232}, {8240, 8244}, {8310, 8310}};
    case 11:
    case 17:
      return plus(type8, {{8312, 8312}, {8353, 8353}});
    case 12:
      return {{8250, 8253}, {8280, 8281}, {8287, 8287}, {8223, 8232}, {8240, 8244}, {8310, 8310}};
    case 15:
      return plus(type9, {{8312, 8312}, {8331, 8331}});
    case 16:
      return plus(type9, {{8312, 8312}});
    default:
      return {};
  }
}

bool IsPtzLayout(int type) {
  return type == 8 || type == 11 || type == 17;
}

constexpr std::array<const char*, kDeviceTypeCount> kTitles = {
    "No device",           "Recorder 1",           "Recorder 2",
    "Recorder 3",          "Recorder 4",           "4-channel recorder",
    "16-channel recorder", "Recorder 7",           "PTZ camera",
    "Recorder 9",          "Recorder 10",          "PTZ camera (zoom)",
    "Recorder 12",         "4-channel recorder B", "16-channel recorder B",
    "Recorder 15",         "Recorder 16",          "PTZ camera (zoom) B"};

PanelDeviceEntry BuildEntry(int type) {
  PanelDeviceEntry entry;
  const auto shown = ShownIds(type);
  for (int k = 0; k < kSlotCount; ++k) {
    PanelButtonRecord& rec = entry.buttons[static_cast<std::size_t>(k)];
    for (int skinIndex = 0; skinIndex < kLayoutSkinCount; ++skinIndex) {
      rec.rects[static_cast<std::size_t>(skinIndex)] = CellRect(k, skinIndex);
    }
    rec.controlId = kSlotIds[static_cast<std::size_t>(k)];
    rec.recordNumber = static_cast<std::uint16_t>(k);
    rec.textId = rec.controlId;
    if (IsPtzLayout(type) && k < 16)
      rec.textId = static_cast<std::uint16_t>(8333 + k);
    rec.imageKind = SlotKind(k);
    rec.images = SlotImages(k, rec.imageKind);
    bool isShown = false;
    for (const auto& [first, last] : shown) {
      if (rec.controlId >= first && rec.controlId <= last)
        isShown = true;
    }
    if (isShown) {
      rec.flags = kFlagEnabled | kFlagShown | kFlagLoadImages;
      if (type == 15 && rec.controlId == 8331)
        rec.flags |= kFlagHighestRights;
      if ((type == 15 || type == 16) && rec.controlId == 8223)
        rec.flags |= kFlagMiddleRights;
    }
  }
  entry.trailer.title = kTitles[static_cast<std::size_t>(type)];
  entry.trailer.flags = type == 0 ? kTrailerNoPanel : 0;
  entry.trailer.entryNumber = static_cast<std::uint32_t>(type);
  return entry;
}

}  // namespace

std::uint16_t SlotControlId(int slot) {
  if (slot < 0 || slot >= kSlotCount)
    return 0;
  return kSlotIds[static_cast<std::size_t>(slot)];
}

int SlotOfControlId(int controlId) {
  for (int k = 0; k < kSlotCount; ++k) {
    if (kSlotIds[static_cast<std::size_t>(k)] == controlId)
      return k;
  }
  return -1;
}

bool IsTurboSlot(int slot) {
  return slot == 54 || slot == 55 || slot == 57 || slot == 58 || (slot >= 30 && slot <= 33);
}

const PanelDeviceEntry& PanelEntry(int deviceType) {
  static const std::array<PanelDeviceEntry, kDeviceTypeCount> kTable = [] {
    std::array<PanelDeviceEntry, kDeviceTypeCount> table;
    for (int t = 0; t < kDeviceTypeCount; ++t)
      table[static_cast<std::size_t>(t)] = BuildEntry(t);
    return table;
  }();
  if (deviceType < 0 || deviceType >= kDeviceTypeCount)
    return kTable[0];
  return kTable[static_cast<std::size_t>(deviceType)];
}

}  // namespace panel
