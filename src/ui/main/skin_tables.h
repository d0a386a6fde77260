// The main window's constant tables and the rules that read them: the layout of each skin, the
// channel strip, the button bar, the user rights, the skin bitmap names, and how a video size,
// a user level or a device type select among them. Plain data without Qt, tested as data.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace mainwin {

inline constexpr int kSkinCount = 6;
inline constexpr int kLayoutSkinCount = 4;
inline constexpr int kSkinLayoutFields = 79;
inline constexpr int kChannelButtonCount = 19;
inline constexpr int kToolbarButtonCount = 6;
inline constexpr int kRightsRowCount = 4;
inline constexpr int kRightsEntryCount = 9;
inline constexpr int kTitleButtonCount = 3;

// Control ids.
inline constexpr int IDC_AV_SWITCH = 1001;
inline constexpr int IDC_CONNECT = 1002;
inline constexpr int IDC_IMAGE_ADJUST = 1003;
inline constexpr int IDC_SNAPSHOT = 1004;
inline constexpr int IDC_RECORD = 1005;
inline constexpr int IDC_SYSTEM_CONFIG = 1006;
inline constexpr int IDC_RESOLUTION = 1007;
inline constexpr int IDC_IMAGE_QUALITY = 1008;
inline constexpr int IDC_MOT = 1068;
inline constexpr int IDC_PANELUP = 8192;
inline constexpr int IDC_PANELDOWN = 8193;
inline constexpr int IDC_TITLE_MINIMIZE = 8200;
inline constexpr int IDC_TITLE_FULLSCREEN = 8201;
inline constexpr int IDC_TITLE_CLOSE = 8202;
inline constexpr int IDC_TITLE_INFO = 8203;
inline constexpr int IDC_TURBO = 8310;
inline constexpr int IDC_POWER = 8311;
inline constexpr int IDC_PTZ_CONTROL = 8312;
inline constexpr int IDC_RETR = 8331;
inline constexpr int IDC_HOT_POINT = 8352;
inline constexpr int IDC_DIGITAL_ZOOM = 8353;
inline constexpr int IDC_CHANNEL_DVR = 8410;
inline constexpr int IDC_CHANNEL_LEFT = 8427;
inline constexpr int IDC_CHANNEL_RIGHT = 8428;

// A rectangle of the tables: left, top, right, bottom in client pixels.
struct TableRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  constexpr int Width() const { return right - left; }
  constexpr int Height() const { return bottom - top; }
  friend constexpr bool operator==(const TableRect&, const TableRect&) = default;
};

// One record of SkinLayoutTable: 79 unsigned 16-bit fields.
struct SkinLayoutRecord {
  std::array<std::uint16_t, kSkinLayoutFields> fields{};

  constexpr TableRect Corners(int first) const {
    return {fields[first], fields[first + 1], fields[first + 2], fields[first + 3]};
  }
  // Fields given as x, y, width, height.
  constexpr TableRect Sized(int first) const {
    return {fields[first], fields[first + 1], fields[first] + fields[first + 2],
            fields[first + 1] + fields[first + 3]};
  }
  constexpr TableRect ClosedWindow() const { return Corners(0); }
  constexpr TableRect OpenWindow() const { return Corners(4); }
  constexpr TableRect Background() const { return Corners(8); }
  constexpr TableRect Video() const { return Corners(12); }
  constexpr TableRect Strip() const { return Corners(16); }
  constexpr int PowerWidth() const { return fields[20]; }
  constexpr int PowerHeight() const { return fields[21]; }
  constexpr int PowerRight() const { return fields[22]; }
  constexpr int PowerTop() const { return fields[23]; }
  constexpr TableRect PanelUp() const { return Sized(24); }
  constexpr TableRect PanelDown() const { return Sized(28); }
  constexpr int TitleX() const { return fields[32]; }
  constexpr int TitleY() const { return fields[33]; }
  constexpr int TitleWidth() const { return fields[34]; }
  constexpr int TitleHeight() const { return fields[35]; }
  constexpr int TitleGap() const { return fields[36]; }
  constexpr int AnchorX() const { return fields[69]; }
  constexpr int AnchorY() const { return fields[70]; }
  constexpr TableRect InfoIcon() const { return Corners(75); }

  // Title-bar button i (0..2) and the power button, as ArrangeControls places them.
  constexpr TableRect TitleButton(int i) const {
    const int x = TitleX() + i * (TitleWidth() + TitleGap());
    return {x, TitleY(), x + TitleWidth(), TitleY() + TitleHeight()};
  }
  constexpr TableRect Power() const {
    return {PowerRight() - PowerWidth(), PowerTop(), PowerRight(), PowerTop() + PowerHeight()};
  }
};

// Skin index 0..5 (N_VGA, N_QVGA, P_VGA, P_QVGA, NTSC quarter, PAL quarter).
extern const std::array<SkinLayoutRecord, kSkinCount> SkinLayoutTable;
// The record of a skin; an index outside 0..5 reads skin 0.
const SkinLayoutRecord& SkinRecord(int skin);

struct ChannelButtonRecord {
  std::array<TableRect, kLayoutSkinCount> rects;
  std::uint16_t textId = 0;
  // Four per layout skin: enabled, enabled under the mouse, disabled, disabled under the mouse.
  std::array<std::string, 16> bitmaps;
  std::uint16_t kind = 2;
  std::uint16_t controlId = 0;
  std::uint32_t index = 0;
};
const std::array<ChannelButtonRecord, kChannelButtonCount>& ChannelButtonTable();

struct ToolbarButtonRecord {
  std::array<TableRect, kLayoutSkinCount> rects;
  std::uint16_t reserved = 0;
  std::uint16_t controlId = 0;
  // Eight groups of six: groups 0-3 the normal images, groups 4-7 the refused ones.
  std::array<std::string, 48> bitmaps;
  std::uint16_t kind = 0;  // the CVtxButton type
  std::uint16_t controlIdAgain = 0;
  std::uint32_t index = 0;
};
const std::array<ToolbarButtonRecord, kToolbarButtonCount>& ToolbarButtonTable();

struct UserRightsRow {
  std::uint8_t row = 0;
  std::uint8_t authority = 0;
  std::uint8_t level = 0;
  std::uint32_t nameId = 0;
  std::uint32_t count = kRightsEntryCount;
  std::array<std::uint32_t, kRightsEntryCount> ids{};
  std::array<std::uint32_t, kRightsEntryCount> flags{};
};
// Rows: 0 SUPERVISOR, 1 HIGH USER, 2 GUEST, 3 NORMAL USER.
extern const std::array<UserRightsRow, kRightsRowCount> UserRightsTable;
// The row of an index; an index outside 0..3 reads the GUEST row.
const UserRightsRow& RightsRow(int row);
inline constexpr std::uint8_t kGuestRow = 2;

// The rights row of a login's user level: 30 -> 0, 20 -> 1, 0 -> 2, 10 -> 3; any other level
// keeps the current row.
std::uint8_t RightsRowOfLevel(std::uint16_t level, std::uint8_t current);
// The row's flag for a control; controls the row does not list are allowed.
bool RightsAllow(int row, int controlId);

// Layout skin (rectangle column 0..3) of a skin index: 4 reads 1, 5 reads 3.
int LayoutSkinOf(int skin);
// The skin's file prefix: "N_VGA", "N_QVGA" (skins 1, 4), "P_VGA", "P_QVGA" (3, 5).
const char* SkinFilePrefix(int skin);
// The prefix the panel refresh loads by video standard and resolution mode (1 N, else P;
// mode 1 VGA, 2 or 3 QVGA); null for another mode.
const char* PanelLoaderPrefix(std::uint8_t standard, int resolutionMode);

// Button-bar button i's rectangle for a layout skin: record 0's rectangle moved i widths right.
TableRect BarButtonRect(int layoutSkin, int i);

// The skin's background, background with the panel open, and status-strip bitmaps.
struct SkinBackgrounds {
  std::string background;
  std::string extended;
  std::string strip;
};
SkinBackgrounds SkinBackgroundFiles(int skin);

// The information icons, in the order the window keeps them.
enum InfoIcon { kInfoOnlineUser, kInfoAlarmRed, kInfoAlarmBlue, kInfoMotionRed, kInfoMotionBlue };
inline constexpr int kInfoIconCount = 5;
const std::array<std::string, kInfoIconCount>& InfoIconFiles();

// The three images of a button loaded with the flat, focus and selected overload.
struct ThreeImages {
  std::string flat;
  std::string focus;
  std::string selected;
};
// Title-bar button i (0 hide, 1 full screen, 2 close): its normal and under-the-mouse images;
// the missing third image repeats the under-the-mouse one, so the hover takes effect.
ThreeImages TitleButtonImages(int i);
ThreeImages PowerButtonImages();
ThreeImages PanelUpImages(const std::string& prefix);
ThreeImages PanelDownImages(const std::string& prefix);
// The turbo faces of command slot 54, 55, 57, 58 or 30..33 for a file prefix; empty names for
// any other slot.
ThreeImages TurboFaceImages(int slot, const std::string& prefix);
// The faces of those slots with turbo on (the turbo faces) or off (the plain faces of the prefix:
// "BMP\\N_VGA_LEFT.bmp", "BMP\\2Col_zoom_in.bmp", ...).
ThreeImages DirectionKeyFaceImages(int slot, const std::string& prefix, bool turbo);

// How the bar button's images are handed to the button: the three-image overload for kinds 1
// (VTX_HOVER) and 32 (VTX_PRESS_HOVER), the state-pair overload with (n + 1) / 2 pairs for the
// others. names holds the group's non-empty names (normal or refused group).
struct BarImages {
  bool threeImages = false;
  int pairs = 0;
  std::array<std::string, 6> names;
  int count = 0;  // non-empty names
};
BarImages ToolbarImages(int index, bool allowed);

// Which rights a command slot's restriction flags are tested against. ArrangeControls, OnPanelUp
// and the refresh of a device with a panel test the session's level (== 30) and the authority
// (>= 30); the refresh of a device without a panel tests the authority only (>= 60, >= 40).
enum class SlotRightsTest { kLevelAndAuthority, kAuthorityOnly };
bool SlotVisibleByRights(std::uint16_t flags, std::uint16_t sessionLevel, std::uint8_t authority,
                         SlotRightsTest test);

// A device type of the login reply as the panel uses it: outside 0..17 the type has no panel
// (0); it is never narrowed to a byte, which could turn 264 into the PTZ type 8.
std::uint8_t CheckedDeviceType(std::uint32_t loginType);
// "Selected Channel" as an index of the 19 channel buttons' first 17: above 16 reads 1.
std::uint8_t CheckedSelectedChannel(std::uint8_t selected);

}  // namespace mainwin
