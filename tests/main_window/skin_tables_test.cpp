// The main window's tables and rules as data: rights rows, the slot rights tests, the bar's
// image sets, the turbo faces, the checked device type and channel, the texts and the rates.
#include <gtest/gtest.h>

#include <string>

#include "ui/main/main_window_texts.h"
#include "ui/main/panel_table.h"
#include "ui/main/skin_tables.h"

namespace {

using namespace mainwin;

TEST(SkinTables, RightsRowOfLevel) {
  struct Case {
    std::uint16_t level;
    std::uint8_t current;
    std::uint8_t row;
  };
  for (const Case c : {Case{30, 2, 0}, Case{20, 2, 1}, Case{0, 0, 2}, Case{10, 2, 3},
                       Case{100, 3, 3}, Case{25, 1, 1}}) {
    EXPECT_EQ(RightsRowOfLevel(c.level, c.current), c.row) << c.level;
  }
  EXPECT_EQ(RightsRow(0).authority, 60);
  EXPECT_EQ(RightsRow(1).authority, 40);
  EXPECT_EQ(RightsRow(2).authority, 4);
  EXPECT_EQ(RightsRow(3).authority, 20);
  EXPECT_EQ(RightsRow(9).nameId, 3013u);  // an unknown row reads GUEST
  // GUEST: only CONNECT of the bar, no panel buttons, no power.
  for (int id : {1001, 1003, 1004, 1005, 1006, 8192, 8193, 8311})
    EXPECT_FALSE(RightsAllow(kGuestRow, id)) << id;
  EXPECT_TRUE(RightsAllow(kGuestRow, 1002));
  EXPECT_FALSE(RightsAllow(1, 1003));
  EXPECT_TRUE(RightsAllow(3, 1005));
}

TEST(SkinTables, AddressAnchorsAndTitleButtonsOfEverySkin) {
  // The address text stands at (anchor x - 30, anchor y). The full-size PAL skin's anchor is 32
  // px left of the NTSC one while their title buttons share x 663: the table's own places.
  struct Case {
    int skin, anchorX, anchorY, titleX;
  };
  const Case cases[] = {{0, 592, 7, 663}, {1, 240, 7, 311}, {2, 560, 7, 663},
                        {3, 240, 7, 311}, {4, 240, 7, 311}, {5, 240, 7, 311}};
  for (const Case& c : cases) {
    const SkinLayoutRecord& r = SkinRecord(c.skin);
    EXPECT_EQ(r.AnchorX(), c.anchorX) << c.skin;
    EXPECT_EQ(r.AnchorY(), c.anchorY) << c.skin;
    EXPECT_EQ(r.fields[32], c.titleX) << c.skin;
  }
}

TEST(SkinTables, SlotRightsTestsOfBothRoads) {
  struct Case {
    std::uint16_t flags;
    std::uint16_t level;
    std::uint8_t authority;
    bool levelAndAuthority;
    bool authorityOnly;
  };
  // 0x23 only for level 30 (or authority 60); 0x42 for authority 30 and up (or 40 and up).
  for (const Case c : {Case{0x23, 30, 60, true, true}, Case{0x23, 20, 40, false, false},
                       Case{0x23, 10, 60, false, true}, Case{0x42, 30, 60, true, true},
                       Case{0x42, 20, 40, true, true}, Case{0x42, 10, 20, false, false},
                       Case{0x42, 0, 30, true, false}, Case{0x03, 0, 4, true, true}}) {
    SCOPED_TRACE(testing::Message()
                 << std::hex << c.flags << std::dec << " " << c.level << " " << int{c.authority});
    EXPECT_EQ(
        SlotVisibleByRights(c.flags, c.level, c.authority, SlotRightsTest::kLevelAndAuthority),
        c.levelAndAuthority);
    EXPECT_EQ(SlotVisibleByRights(c.flags, c.level, c.authority, SlotRightsTest::kAuthorityOnly),
              c.authorityOnly);
  }
}

TEST(SkinTables, BarImagesByKind) {
  // Hover buttons take three images (never the two pairs that would leave them blank).
  for (int index : {2, 3, 5}) {
    SCOPED_TRACE(index);
    const BarImages images = ToolbarImages(index, true);
    EXPECT_TRUE(images.threeImages);
    EXPECT_EQ(images.count, 3);
  }
  EXPECT_EQ(ToolbarImages(3, true).names[2], "BMP\\snapshoot_down.bmp");
  const BarImages av = ToolbarImages(0, true);
  EXPECT_FALSE(av.threeImages);
  EXPECT_EQ(av.pairs, 3);
  EXPECT_EQ(av.names[5], "BMP\\00_AudioVideo_down.bmp");
  const BarImages record = ToolbarImages(4, true);
  EXPECT_EQ(record.pairs, 2);
  EXPECT_EQ(record.names[2], "BMP\\Recording_Button.bmp");
  // Refused images.
  EXPECT_EQ(ToolbarImages(0, false).names[0], "BMP\\00_AudioVideo_n.bmp");
  EXPECT_EQ(ToolbarImages(1, false).names[2], "BMP\\link_off_n.bmp");
  EXPECT_EQ(ToolbarImages(5, false).names[1], "BMP\\system_setting_n.bmp");
}

TEST(SkinTables, FixedImagesAndTurboFaces) {
  const ThreeImages close = TitleButtonImages(2);
  EXPECT_EQ(close.flat, "BMP\\Title_Bar_Close.bmp");
  EXPECT_EQ(close.focus, "BMP\\Title_Bar_Close_a.bmp");
  EXPECT_EQ(close.selected, close.focus);  // the missing third image repeats the hover one
  EXPECT_EQ(PanelUpImages("P_QVGA").focus, "BMP\\P_QVGA_PANELUP_OVER.bmp");
  EXPECT_EQ(TurboFaceImages(55, "N_VGA").flat, "BMP\\N_VGA_UP_TURBO.bmp");
  EXPECT_EQ(TurboFaceImages(55, "N_QVGA").focus, "BMP\\N_QVGA_UP_TURBO_OVER.bmp");
  EXPECT_EQ(TurboFaceImages(58, "P_VGA").selected, "BMP\\P_VGA_RIGHT_TURBO.bmp");
  EXPECT_EQ(TurboFaceImages(31, "N_VGA").focus, "BMP\\2Col_zoom_turbo_out_a.bmp");
  EXPECT_TRUE(TurboFaceImages(56, "N_VGA").flat.empty());
  EXPECT_EQ(DirectionKeyFaceImages(54, "P_QVGA", false).focus, "BMP\\P_QVGA_LEFT_OVER.bmp");
  EXPECT_EQ(DirectionKeyFaceImages(32, "N_VGA", false).flat, "BMP\\2Col_focus_in.bmp");
  EXPECT_EQ(DirectionKeyFaceImages(33, "N_VGA", true).selected, "BMP\\2Col_focus_turbo_out_a.bmp");
  EXPECT_EQ(SkinBackgroundFiles(4).background, "BMP\\N_QVGA_BG.bmp");
  EXPECT_EQ(SkinBackgroundFiles(5).strip, "BMP\\StatusBar.bmp");
  EXPECT_EQ(SkinBackgroundFiles(2).strip, "BMP\\VGA_Status_Bar.bmp");
  EXPECT_STREQ(PanelLoaderPrefix(1, 1), "N_VGA");
  EXPECT_STREQ(PanelLoaderPrefix(1, 3), "N_QVGA");
  EXPECT_STREQ(PanelLoaderPrefix(2, 2), "P_QVGA");
  EXPECT_EQ(PanelLoaderPrefix(1, 0), nullptr);
}

TEST(SkinTables, LoginValuesAreCheckedNotNarrowed) {
  EXPECT_EQ(CheckedDeviceType(8), 8);
  EXPECT_EQ(CheckedDeviceType(17), 17);
  EXPECT_EQ(CheckedDeviceType(18), 0);
  EXPECT_EQ(CheckedDeviceType(264), 0);  // would be 8 as a byte
  EXPECT_EQ(CheckedSelectedChannel(16), 16);
  EXPECT_EQ(CheckedSelectedChannel(17), 1);
  EXPECT_EQ(CheckedSelectedChannel(255), 1);
}

TEST(SkinTables, PanelKeysOfEveryDeviceFitTheTrayApart) {
  // Layout skin l is shown in skin l (4 and 5 share 1 and 3).
  for (int layoutSkin = 0; layoutSkin < kLayoutSkinCount; ++layoutSkin) {
    const SkinLayoutRecord& skin = SkinRecord(layoutSkin);
    const TableRect tray{0, skin.ClosedWindow().bottom, skin.OpenWindow().right,
                         skin.OpenWindow().bottom};
    const TableRect down = skin.PanelDown();
    const auto overlap = [](const panel::PanelRect& a, const TableRect& b) {
      return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
    };
    for (int type = 0; type < panel::kDeviceTypeCount; ++type) {
      SCOPED_TRACE(testing::Message() << "layout skin " << layoutSkin << " type " << type);
      std::vector<panel::PanelRect> placed;
      for (const auto& rec : panel::PanelEntry(type).buttons) {
        if (!(rec.flags & panel::kFlagShown))
          continue;
        const panel::PanelRect r = rec.rects[static_cast<std::size_t>(layoutSkin)];
        EXPECT_EQ(r.Width(), panel::kKeyWidth);
        EXPECT_EQ(r.Height(), panel::kKeyHeight);
        EXPECT_GE(r.left, tray.left);
        EXPECT_LE(r.right, tray.right);
        EXPECT_GE(r.top, tray.top);
        EXPECT_LE(r.bottom, tray.bottom);
        EXPECT_FALSE(overlap(r, down)) << rec.controlId;
        for (const panel::PanelRect& other : placed) {
          EXPECT_FALSE(overlap(r, {other.left, other.top, other.right, other.bottom}))
              << rec.controlId;
        }
        placed.push_back(r);
      }
    }
  }
}

TEST(MainWindowTexts, StatusCodesAndFormats) {
  EXPECT_EQ(EscapedTimeText(125), "ESCAPED TIME:  02:05");
  EXPECT_EQ(EscapedTimeText(0), "ESCAPED TIME:  00:00");
  EXPECT_EQ(*ShowStatusText(0, 3599), "ESCAPED TIME:  59:59");
  EXPECT_EQ(*ShowStatusText(1, 0), "Start login");
  EXPECT_EQ(*ShowStatusText(2, 0), "Server is too busy!! Try later !!");
  EXPECT_EQ(*ShowStatusText(3, 0), "Login process is failed,wait a moment !!");
  EXPECT_EQ(*ShowStatusText(7, 0),
            "System relogin too many times.Wait for 40 sec!!\nApplication will try again.");
  for (int code : {4, 5, 6, 8, 9, -1})
    EXPECT_FALSE(ShowStatusText(code, 0).has_value()) << code;
  EXPECT_EQ(StampTimeText(SystemTime{2005, 3, 6, 5, 9, 4, 3, 0}), "2005/03/05 09:04:03");
}

TEST(MainWindowTexts, AddressOfDottedAndNamedHosts) {
  struct Case {
    const char* host;
    const char* text;
  };
  for (const Case c :
       {Case{"192.168.1.100", "IP:192.168.1.100"}, Case{"10.0.0.1", "IP:10.0.0.1"},
        Case{"camera.example.net", "IP:camera.example.net"}, Case{"1.2.3", "IP:1.2.3"},
        Case{"1.2.3.4.5", "IP:1.2.3.4.5"}, Case{"1.2.3.256", "IP:1.2.3.256"},
        Case{"1..3.4", "IP:1..3.4"}, Case{"", "IP:"}, Case{"-1.2.3.4", "IP:-1.2.3.4"}}) {
    EXPECT_EQ(AddressText(c.host), c.text) << c.host;
  }
}

TEST(MainWindowTexts, RatesOfTwoSecondWindows) {
  // 25 frames and 3000 bytes in 2000 ms.
  const RateSample sample{25, 3000, 2000, 1};
  EXPECT_EQ(FrameRateText(FrameRate(sample)) + DataRateText(DataRateKbps(sample)),
            "FR:12.50 fps DR:11 kbps ");
  // The cap compares the integer part.
  EXPECT_EQ(FrameRateText(FrameRate({273, 0, 10000, 2})), "FR:25.00 fps ");
  EXPECT_EQ(FrameRateText(FrameRate({259, 0, 10000, 2})), "FR:25.90 fps ");
  EXPECT_EQ(FrameRateText(FrameRate({305, 0, 10000, 1})), "FR:30.50 fps ");
  EXPECT_EQ(FrameRateText(FrameRate({315, 0, 10000, 1})), "FR:30.00 fps ");
  // 64-bit data rate: 5,000,000 bytes in 2 s.
  EXPECT_EQ(DataRateKbps({50, 5000000, 2000, 1}), 19531u);
  EXPECT_EQ(DataRateKbps({50, 40000000000ull, 2000, 1}), 156250000u);
  // Due from 2000 ms on; a wrapped (negative) elapsed time is not due.
  EXPECT_FALSE(RateUpdateDue(1999));
  EXPECT_TRUE(RateUpdateDue(2000));
  EXPECT_FALSE(RateUpdateDue(0xFFFFFFF0u));
}

}  // namespace
