#include "ui/main/skin_tables.h"

#include <vector>

namespace mainwin {
namespace {

// Fields 37-68 and 71-74 are carried as the tables hold them; no operation reads them.
constexpr std::array<std::uint16_t, 32> kVgaSpare = {
    8,  32, 35, 28, 293, 602, 30, 23,  13,  45, 602, 26,  23,  7,  8,  568,
    18, 18, 1,  8,  568, 18,  18, 345, 568, 18, 18,  365, 568, 18, 18, 1};
constexpr std::array<std::uint16_t, 32> kQvgaSpare = {
    8,  32, 35, 28, 9,   371, 30, 22, 19,  9,  401, 26, 22,  7,  9,  328,
    18, 18, 1,  9,  328, 18,  18, 9,  349, 18, 18,  9,  349, 18, 18, 1};

struct SkinValues {
  std::array<std::uint16_t, 37> head;  // fields 0-36
  bool vga;
  std::array<std::uint16_t, 2> anchor;     // fields 69-70
  std::array<std::uint16_t, 4> spareTail;  // fields 71-74
  std::array<std::uint16_t, 4> infoIcon;   // fields 75-78
};

constexpr SkinLayoutRecord MakeRecord(const SkinValues& v) {
  SkinLayoutRecord r;
  for (int i = 0; i < 37; ++i)
    r.fields[i] = v.head[i];
  const auto& spare = v.vga ? kVgaSpare : kQvgaSpare;
  for (int i = 0; i < 32; ++i)
    r.fields[37 + i] = spare[i];
  r.fields[69] = v.anchor[0];
  r.fields[70] = v.anchor[1];
  for (int i = 0; i < 4; ++i) {
    r.fields[71 + i] = v.spareTail[i];
    r.fields[75 + i] = v.infoIcon[i];
  }
  return r;
}

// closed window, open window, background, video, strip, power w h, power right y, PANELUP
// x y w h, PANELDOWN x y w h, title x y w h gap.
constexpr SkinValues kSkin0 = {
    {0,  0,  722, 608, 0,  0,   722, 680, 0,  0,   722, 608, 8,  84,  712, 564, 6,  63, 714,
     83, 26, 26,  584, 34, 345, 571, 32,  32, 345, 643, 32,  32, 663, 8,   13,  13, 4},
    true,
    {592, 7},
    {26, 26, 394, 34},
    {680, 65, 693, 81}};
constexpr SkinValues kSkin1 = {
    {0,  0,  370, 366, 0,  0,   370, 461, 0,  0,   370, 366, 8,  84,  360, 324, 6,  63, 362,
     83, 26, 26,  232, 35, 166, 329, 32,  32, 166, 424, 32,  32, 311, 8,   13,  13, 4},
    false,
    {240, 7},
    {26, 26, 72, 35},
    {328, 65, 341, 81}};
constexpr SkinValues kSkin2 = {
    {0,  0,  722, 705, 0,  0,   722, 776, 0,  0,   722, 705, 8,  84,  712, 660, 6,  63, 714,
     83, 26, 26,  584, 34, 345, 668, 32,  32, 345, 740, 32,  32, 663, 8,   13,  13, 4},
    true,
    {560, 7},
    {26, 26, 394, 34},
    {680, 65, 693, 81}};
constexpr SkinValues kSkin3 = {
    {0,  0,  370, 414, 0,  0,   370, 509, 0,  0,   370, 414, 8,  84,  360, 372, 6,  63, 362,
     83, 26, 26,  232, 35, 166, 377, 32,  32, 166, 472, 32,  32, 311, 8,   13,  13, 4},
    false,
    {240, 7},
    {26, 26, 72, 35},
    {328, 65, 341, 81}};
constexpr SkinValues kSkin4 = {
    {0,  0,  370, 366, 0,  0,   370, 461, 0,  0,   370, 366, 96, 148, 272, 260, 6,  63, 362,
     83, 26, 26,  232, 35, 166, 329, 32,  32, 166, 424, 32,  32, 311, 8,   13,  13, 4},
    false,
    {240, 7},
    {26, 26, 72, 35},
    {328, 65, 341, 81}};
constexpr SkinValues kSkin5 = {
    {0,  0,  370, 414, 0,  0,   370, 509, 0,  0,   370, 414, 96, 132, 272, 276, 6,  63, 362,
     83, 26, 26,  232, 35, 166, 377, 32,  32, 166, 472, 32,  32, 311, 8,   13,  13, 4},
    false,
    {240, 7},
    {26, 26, 72, 35},
    {328, 65, 341, 81}};

std::string Bmp(const std::string& name) {
  return "BMP\\" + name + ".bmp";
}

std::array<TableRect, kLayoutSkinCount> Same(TableRect r) {
  return {r, r, r, r};
}

ChannelButtonRecord ChannelRecord(int index) {
  ChannelButtonRecord rec;
  rec.index = static_cast<std::uint32_t>(index);
  rec.controlId = static_cast<std::uint16_t>(IDC_CHANNEL_DVR + index);
  rec.textId = rec.controlId;
  rec.kind = 2;
  TableRect r;
  std::array<std::string, 4> names;
  if (index == 0) {
    r = {20, 32, 55, 60};
    names = {Bmp("Channel_dvr_Enable"), Bmp("Channel_dvr_Enable_over"), Bmp("Channel_dvr_Disable"),
             Bmp("Channel_dvr_Disable_over")};
  } else if (index <= 16) {
    // Channels 1-7 and 9-15 share places; 8 and 16 have their own.
    const int k = index >= 9 && index <= 15 ? index - 8 : index;
    if (index == 8) {
      r = {55, 32, 90, 60};
    } else if (index == 16) {
      r = {300, 32, 335, 60};
    } else {
      r = {90 + 35 * (k - 1), 32, 125 + 35 * (k - 1), 60};
    }
    const std::string base = "Channel_" + std::to_string(index) + "_";
    names = {Bmp(base + "Enable"), Bmp(base + "Enable_over"), Bmp(base + "Disable"),
             Bmp(base + "Disable_over")};
  } else if (index == 17) {
    r = {8, 37, 17, 53};
    names = {Bmp("Channel_Left"), Bmp("Channel_Left"), Bmp("Channel_Left_Down"),
             Bmp("Channel_Left")};
  } else {
    r = {22, 37, 31, 53};
    names = {Bmp("Channel_Right"), Bmp("Channel_Right"), Bmp("Channel_Right_Down"),
             Bmp("Channel_Right")};
  }
  rec.rects = Same(r);
  for (int skin = 0; skin < kLayoutSkinCount; ++skin) {
    for (int i = 0; i < 4; ++i)
      rec.bitmaps[static_cast<std::size_t>(skin * 4 + i)] = names[static_cast<std::size_t>(i)];
  }
  return rec;
}

ToolbarButtonRecord ToolbarRecord(int index, std::uint16_t kind,
                                  const std::vector<std::string>& normal,
                                  const std::vector<std::string>& refused) {
  ToolbarButtonRecord rec;
  const TableRect vga{558, 34, 584, 60};
  const TableRect qvga{206, 35, 232, 61};
  rec.rects = {vga, qvga, vga, qvga};
  rec.controlId = static_cast<std::uint16_t>(IDC_AV_SWITCH + index);
  rec.controlIdAgain = rec.controlId;
  rec.kind = kind;
  rec.index = static_cast<std::uint32_t>(index);
  for (int group = 0; group < 8; ++group) {
    const auto& names = group < 4 ? normal : refused;
    for (std::size_t i = 0; i < names.size() && i < 6; ++i)
      rec.bitmaps[static_cast<std::size_t>(group * 6) + i] = Bmp(names[i]);
  }
  return rec;
}

}  // namespace

const std::array<SkinLayoutRecord, kSkinCount> SkinLayoutTable = {
    MakeRecord(kSkin0), MakeRecord(kSkin1), MakeRecord(kSkin2),
    MakeRecord(kSkin3), MakeRecord(kSkin4), MakeRecord(kSkin5)};

const SkinLayoutRecord& SkinRecord(int skin) {
  return SkinLayoutTable[static_cast<std::size_t>(skin >= 0 && skin < kSkinCount ? skin : 0)];
}

const std::array<ChannelButtonRecord, kChannelButtonCount>& ChannelButtonTable() {
  static const std::array<ChannelButtonRecord, kChannelButtonCount> table = [] {
    std::array<ChannelButtonRecord, kChannelButtonCount> t;
    for (int i = 0; i < kChannelButtonCount; ++i)
      t[static_cast<std::size_t>(i)] = ChannelRecord(i);
    return t;
  }();
  return table;
}

const std::array<ToolbarButtonRecord, kToolbarButtonCount>& ToolbarButtonTable() {
  static const std::array<ToolbarButtonRecord, kToolbarButtonCount> table = {
      ToolbarRecord(0, 16,
                    {"00_AudioVideo", "00_Audio_down", "00_Audio", "00_Video_down", "00_Video",
                     "00_AudioVideo_down"},
                    std::vector<std::string>(6, "00_AudioVideo_n")),
      ToolbarRecord(1, 64, {"link", "link_over", "link_off", "link_off_over"},
                    {"link_n", "link_n", "link_off_n", "link_off_n"}),
      ToolbarRecord(2, 1, {"Image_Quality", "Image_Quality_over", "Image_Quality_over"},
                    std::vector<std::string>(3, "Image_Quality_n")),
      ToolbarRecord(3, 32, {"snapshoot", "snapshoot_over", "snapshoot_down"},
                    std::vector<std::string>(3, "snapshoot_n")),
      ToolbarRecord(
          4, 64,
          {"Record_Button", "Record_Button_over", "Recording_Button", "Recording_Button_over"},
          std::vector<std::string>(4, "Record_Button_n")),
      ToolbarRecord(5, 1, {"system_setting", "system_setting_over", "system_setting_over"},
                    std::vector<std::string>(3, "system_setting_n")),
  };
  return table;
}

const std::array<UserRightsRow, kRightsRowCount> UserRightsTable = {{
    {0,
     60,
     30,
     3011,
     kRightsEntryCount,
     {1001, 1002, 1003, 1004, 1005, 1006, 8192, 8193, 8311},
     {1, 1, 1, 1, 1, 1, 1, 1, 1}},
    {1,
     40,
     20,
     8332,
     kRightsEntryCount,
     {1001, 1002, 1003, 1004, 1005, 1006, 8192, 8193, 8311},
     {1, 1, 0, 1, 1, 0, 1, 1, 0}},
    {2,
     4,
     0,
     3013,
     kRightsEntryCount,
     {1001, 1002, 1003, 1004, 1005, 1006, 8192, 8193, 8311},
     {0, 1, 0, 0, 0, 0, 0, 0, 0}},
    {3,
     20,
     10,
     3012,
     kRightsEntryCount,
     {1001, 1002, 1003, 1004, 1005, 1006, 8192, 8193, 8311},
     {0, 1, 0, 1, 1, 0, 1, 1, 0}},
}};

const UserRightsRow& RightsRow(int row) {
  return UserRightsTable[static_cast<std::size_t>(row >= 0 && row < kRightsRowCount ? row
                                                                                    : kGuestRow)];
}

std::uint8_t RightsRowOfLevel(std::uint16_t level, std::uint8_t current) {
  switch (level) {
    case 30:
      return 0;
    case 20:
      return 1;
    case 0:
      return 2;
    case 10:
      return 3;
    default:
      return current;
  }
}

bool RightsAllow(int row, int controlId) {
  const UserRightsRow& r = RightsRow(row);
  for (std::uint32_t i = 0; i < r.count && i < kRightsEntryCount; ++i) {
    if (r.ids[i] == static_cast<std::uint32_t>(controlId))
      return r.flags[i] != 0;
  }
  return true;
}

int LayoutSkinOf(int skin) {
  if (skin == 4)
    return 1;
  if (skin == 5)
    return 3;
  return skin >= 0 && skin < kLayoutSkinCount ? skin : 0;
}

const char* SkinFilePrefix(int skin) {
  switch (LayoutSkinOf(skin)) {
    case 1:
      return "N_QVGA";
    case 2:
      return "P_VGA";
    case 3:
      return "P_QVGA";
    default:
      return "N_VGA";
  }
}

const char* PanelLoaderPrefix(std::uint8_t standard, int resolutionMode) {
  const bool ntsc = standard == 1;
  if (resolutionMode == 1)
    return ntsc ? "N_VGA" : "P_VGA";
  if (resolutionMode == 2 || resolutionMode == 3)
    return ntsc ? "N_QVGA" : "P_QVGA";
  return nullptr;
}

TableRect BarButtonRect(int layoutSkin, int i) {
  const TableRect r = ToolbarButtonTable()[0].rects[static_cast<std::size_t>(
      layoutSkin >= 0 && layoutSkin < kLayoutSkinCount ? layoutSkin : 0)];
  const int w = r.Width();
  return {r.left + i * w, r.top, r.left + (i + 1) * w, r.bottom};
}

SkinBackgrounds SkinBackgroundFiles(int skin) {
  const std::string prefix = SkinFilePrefix(skin);
  const bool vga = LayoutSkinOf(skin) == 0 || LayoutSkinOf(skin) == 2;
  return {Bmp(prefix + "_BG"), Bmp(prefix + "_BG_EX"), Bmp(vga ? "VGA_Status_Bar" : "StatusBar")};
}

const std::array<std::string, kInfoIconCount>& InfoIconFiles() {
  static const std::array<std::string, kInfoIconCount> files = {
      Bmp("InfoOnlineUser"), Bmp("InfoAlarmRed"), Bmp("InfoAlarmBlue"), Bmp("InfoMotionRed"),
      Bmp("InfoMotionBlue")};
  return files;
}

ThreeImages TitleButtonImages(int i) {
  static constexpr std::array<const char*, kTitleButtonCount> kNames = {
      "Title_Bar_Hide", "Title_Bar_Fullscreen", "Title_Bar_Close"};
  const std::string base = kNames[static_cast<std::size_t>(i >= 0 && i < 3 ? i : 0)];
  return {Bmp(base), Bmp(base + "_a"), Bmp(base + "_a")};
}

ThreeImages PowerButtonImages() {
  return {Bmp("power"), Bmp("power_over"), Bmp("power_down")};
}

ThreeImages PanelUpImages(const std::string& prefix) {
  return {Bmp(prefix + "_PANELUP"), Bmp(prefix + "_PANELUP_OVER"), Bmp(prefix + "_PANELUP")};
}

ThreeImages PanelDownImages(const std::string& prefix) {
  return {Bmp(prefix + "_PANELDOWN"), Bmp(prefix + "_PANELDOWN_OVER"), Bmp(prefix + "_PANELDOWN")};
}

ThreeImages TurboFaceImages(int slot, const std::string& prefix) {
  return DirectionKeyFaceImages(slot, prefix, true);
}

ThreeImages DirectionKeyFaceImages(int slot, const std::string& prefix, bool turbo) {
  const char* direction = slot == 54   ? "LEFT"
                          : slot == 55 ? "UP"
                          : slot == 57 ? "DOWN"
                          : slot == 58 ? "RIGHT"
                                       : nullptr;
  if (direction != nullptr) {
    const std::string base = prefix + "_" + direction + (turbo ? "_TURBO" : "");
    return {Bmp(base), Bmp(base + "_OVER"), Bmp(base)};
  }
  static constexpr std::array<const char*, 4> kTwoColumn = {"zoom_%s_in", "zoom_%s_out",
                                                            "focus_%s_in", "focus_%s_out"};
  if (slot >= 30 && slot <= 33) {
    std::string base = std::string("2Col_") + kTwoColumn[static_cast<std::size_t>(slot - 30)];
    base.replace(base.find("%s_"), 3, turbo ? "turbo_" : "");
    return {Bmp(base), Bmp(base + "_a"), Bmp(base + "_a")};
  }
  return {};
}

BarImages ToolbarImages(int index, bool allowed) {
  BarImages images;
  const ToolbarButtonRecord& rec =
      ToolbarButtonTable()[static_cast<std::size_t>(index >= 0 && index < 6 ? index : 0)];
  const std::size_t group = allowed ? 0 : 4;
  for (std::size_t i = 0; i < 6; ++i) {
    const std::string& name = rec.bitmaps[group * 6 + i];
    if (!name.empty())
      images.names[static_cast<std::size_t>(images.count++)] = name;
  }
  images.threeImages = rec.kind == 1 || rec.kind == 32;
  images.pairs = (images.count + 1) / 2;
  return images;
}

bool SlotVisibleByRights(std::uint16_t flags, std::uint16_t sessionLevel, std::uint8_t authority,
                         SlotRightsTest test) {
  const bool authorityOnly = test == SlotRightsTest::kAuthorityOnly;
  if (flags & 0x20)
    return authorityOnly ? authority >= 60 : sessionLevel == 30;
  if (flags & 0x40)
    return authorityOnly ? authority >= 40 : authority >= 30;
  return true;
}

std::uint8_t CheckedDeviceType(std::uint32_t loginType) {
  return loginType <= 17 ? static_cast<std::uint8_t>(loginType) : 0;
}

std::uint8_t CheckedSelectedChannel(std::uint8_t selected) {
  return selected <= 16 ? selected : 1;
}

}  // namespace mainwin
