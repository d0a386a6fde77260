#include "ui/main/panel_table.h"

#include "ui/main/skin_tables.h"

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
  ids[k++] = mainwin::IDC_TURBO;
  ids[k++] = mainwin::IDC_PTZ_CONTROL;
  ids[k++] = mainwin::IDC_RETR;
  ids[k++] = 8350;
  ids[k++] = 8351;
  ids[k++] = mainwin::IDC_DIGITAL_ZOOM;
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

// Places. The panel keys of a device are laid out in the band below the closed window, around
// the PANELDOWN button in its middle: the channel keys and then the other function keys fill
// the left half row by row; the playback keys and what does not fit on the left fill the right
// half beside the direction cross (UP, LEFT MENU RIGHT, DOWN) at its right end.
struct Cell {
  int x;
  int y;
};

struct BandGeometry {
  int bandTop;
  int rows;
  int leftX;    // first column of the left half
  int rightX;   // first column of the right half
  int middleX;  // the column above PANELDOWN
  int columns;  // per half
  int middleRows;
  int pitchX;
  int pitchY;
  int topMargin;
  int padColumn;  // right-half column of the cross's middle
};

BandGeometry Geometry(int layoutSkin) {
  switch (layoutSkin) {
    case 0:
      return {608, 3, 10, 386, 346, 10, 1, 33, 23, 4, 8};
    case 2:
      return {705, 3, 10, 386, 346, 10, 1, 33, 23, 4, 8};
    case 1:
      return {366, 4, 7, 209, 167, 5, 2, 31, 23, 3, 3};
    default:
      return {414, 4, 7, 209, 167, 5, 2, 31, 23, 3, 3};
  }
}

PanelRect CellRect(const BandGeometry& g, int x, int row) {
  const int y = g.bandTop + g.topMargin + row * g.pitchY;
  return {x, y, x + kKeyWidth, y + kKeyHeight};
}

bool IsPlaybackSlot(int slot) {
  return slot >= 46 && slot <= 53;
}

// The order keys are placed in: channels, then the function keys, then playback as a player
// reads (rewind, play, pause, stop, fast, slow, record, enter).
const std::vector<int>& PlacementOrder() {
  static const std::vector<int> order = [] {
    std::vector<int> o;
    for (int k = 0; k < 16; ++k)
      o.push_back(k);
    for (int k : {18, 19, 20, 17, 16, 21, 22, 23, 28, 24, 29, 25, 26, 27, 34, 35, 42, 43,
                  44, 45, 30, 31, 32, 33, 62, 63, 64, 36, 40, 41, 37, 38, 39, 59, 60, 61})
      o.push_back(k);
    for (int k : {49, 53, 51, 47, 50, 52, 48, 46})
      o.push_back(k);
    return o;
  }();
  return order;
}

// The rectangles of one device type's shown keys in one layout skin (hidden keys keep the
// first cell).
std::array<PanelRect, kSlotCount> LayOutKeys(const std::vector<bool>& shown, int layoutSkin) {
  const BandGeometry g = Geometry(layoutSkin);
  std::array<PanelRect, kSlotCount> rects;
  rects.fill(CellRect(g, g.leftX, 0));
  // The direction cross at the right end of the right half.
  const int padX = g.rightX + g.padColumn * g.pitchX;
  rects[55] = CellRect(g, padX, 0);             // UP
  rects[54] = CellRect(g, padX - g.pitchX, 1);  // LEFT
  rects[56] = CellRect(g, padX, 1);             // MENU
  rects[58] = CellRect(g, padX + g.pitchX, 1);  // RIGHT
  rects[57] = CellRect(g, padX, 2);             // DOWN
  // Free cells of each half, in reading order: the left half; the right half outside the
  // cross's block, then the block's corners and the column above PANELDOWN.
  std::vector<PanelRect> left;
  for (int row = 0; row < g.rows; ++row) {
    for (int col = 0; col < g.columns; ++col)
      left.push_back(CellRect(g, g.leftX + col * g.pitchX, row));
  }
  std::vector<PanelRect> right;
  std::vector<PanelRect> corners;
  const int firstPadColumn = g.padColumn - 1;
  for (int row = 0; row < g.rows; ++row) {
    for (int col = 0; col < g.columns; ++col) {
      const bool inBlock = row <= 2 && col >= firstPadColumn && col <= g.padColumn + 1;
      const bool onCross = inBlock && (col == g.padColumn || row == 1);
      const PanelRect cell = CellRect(g, g.rightX + col * g.pitchX, row);
      if (!inBlock) {
        right.push_back(cell);
      } else if (!onCross) {
        corners.push_back(cell);
      }
    }
  }
  right.insert(right.end(), corners.begin(), corners.end());
  for (int row = 0; row < g.middleRows; ++row)
    right.push_back(CellRect(g, g.middleX, row));
  std::size_t nextLeft = 0;
  std::size_t nextRight = 0;
  for (int slot : PlacementOrder()) {
    if (!shown[static_cast<std::size_t>(slot)])
      continue;
    const bool leftHalf = !IsPlaybackSlot(slot) && nextLeft < left.size();
    if (leftHalf) {
      rects[static_cast<std::size_t>(slot)] = left[nextLeft++];
    } else if (nextRight < right.size()) {
      rects[static_cast<std::size_t>(slot)] = right[nextRight++];
    }
  }
  return rects;
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
    // State 0, the one a key starts in, is "off".
    names[0] = bmp(base + "_off");
    names[1] = bmp(base + "_off_a");
    names[2] = bmp(base + "_on");
    names[3] = bmp(base + "_on_a");
    return names;
  }
  // One size in every skin: the small pair is the full pair.
  names[0] = bmp(base);
  names[1] = bmp(base + "_a");
  names[3] = names[0];
  names[4] = names[1];
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
  std::vector<bool> isShown(kSlotCount, false);
  for (int k = 0; k < kSlotCount; ++k) {
    const int id = kSlotIds[static_cast<std::size_t>(k)];
    for (const auto& [first, last] : shown)
      isShown[static_cast<std::size_t>(k)] =
          isShown[static_cast<std::size_t>(k)] || (id >= first && id <= last);
  }
  std::array<std::array<PanelRect, kSlotCount>, kLayoutSkinCount> places;
  for (int skinIndex = 0; skinIndex < kLayoutSkinCount; ++skinIndex)
    places[static_cast<std::size_t>(skinIndex)] = LayOutKeys(isShown, skinIndex);
  for (int k = 0; k < kSlotCount; ++k) {
    PanelButtonRecord& rec = entry.buttons[static_cast<std::size_t>(k)];
    for (int skinIndex = 0; skinIndex < kLayoutSkinCount; ++skinIndex) {
      rec.rects[static_cast<std::size_t>(skinIndex)] =
          places[static_cast<std::size_t>(skinIndex)][static_cast<std::size_t>(k)];
    }
    rec.controlId = kSlotIds[static_cast<std::size_t>(k)];
    rec.recordNumber = static_cast<std::uint16_t>(k);
    rec.textId = rec.controlId;
    if (IsPtzLayout(type) && k < 16)
      rec.textId = static_cast<std::uint16_t>(8333 + k);
    rec.imageKind = SlotKind(k);
    rec.images = SlotImages(k, rec.imageKind);
    if (isShown[static_cast<std::size_t>(k)]) {
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
