// The remote-control panel's rules as data: key indexes, command bytes and their text, PTZ
// types, the hot-point grid and the AV option cycle.
#include <gtest/gtest.h>

#include <vector>

#include "ui/main/remote_commands.h"

namespace {

using namespace mainwin;

TEST(RemoteCommands, KeysSendTheirRecordNumberWithTurboOnlyOnZoomFocusAndDirections) {
  struct Case {
    int id;
    std::optional<PanelKeyCommand> command;
  };
  const Case cases[] = {
      {8250, PanelKeyCommand{0, false}},   // CH 1
      {8265, PanelKeyCommand{15, false}},  // CH 16
      {8322, PanelKeyCommand{16, false}},  // PIP
      {8321, PanelKeyCommand{17, false}},  // Quad
      {8288, PanelKeyCommand{29, false}},  // FREEZE
      {8291, PanelKeyCommand{30, true}},   // ZOOM Tele
      {8292, PanelKeyCommand{31, true}},   // ZOOM Wide
      {8289, PanelKeyCommand{32, true}},   // FOCUS Near
      {8290, PanelKeyCommand{33, true}},   // FOCUS Far
      {8313, PanelKeyCommand{34, false}},  // PIP / +
      {8328, PanelKeyCommand{41, false}},  // Record
      {8220, PanelKeyCommand{42, false}},  // ZOOM
      {8222, PanelKeyCommand{43, false}},  // SELECT
      {8232, PanelKeyCommand{53, false}},  // PLAY
      {8240, PanelKeyCommand{54, true}},   // LEFT
      {8241, PanelKeyCommand{55, true}},   // UP
      {8242, PanelKeyCommand{56, false}},  // MENU
      {8243, PanelKeyCommand{57, true}},   // DOWN
      {8244, PanelKeyCommand{58, true}},   // RIGHT
      {8350, PanelKeyCommand{62, false}},  // Max zoom in
      {8351, PanelKeyCommand{63, false}},  // Max Zoom out
      {8310, std::nullopt},                // TURBO
      {8312, std::nullopt},                // PTZ_CONTROL
      {8331, std::nullopt},                // R.E.T.R.
      {8353, std::nullopt},                // Digital Zoom
      {8352, std::nullopt},                // Hot point
      {8311, std::nullopt},                // Power
      {1001, std::nullopt},
      {8410, std::nullopt},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PanelKeyCommandOf(c.id), c.command) << c.id;
}

TEST(RemoteCommands, HexTextWritesCountPlusThreeBytesWithLeadingZeros) {
  const std::vector<std::uint8_t> four = {0x01, 0x0a, 0xff, 0x00, 0x99};
  EXPECT_EQ(CommandHexText(four), "010aff00");
  EXPECT_EQ(CommandHexText(std::vector<std::uint8_t>{0x02, 0x00, 0x01}), "");  // short
  EXPECT_EQ(CommandHexText({}), "");
}

TEST(RemoteCommands, PtzControlCommandText) {
  struct Case {
    std::uint8_t id;
    std::uint8_t authority;
    std::uint8_t selector;
    const char* text;
  };
  const Case cases[] = {
      {1, 60, '0' + 1, "06ffc0013c317f0232"},
      {2, 40, '0' + 4, "06ffc00228347f0232"},
      {0x1f, 4, kPtzOffSelector, "06ffc01f04517f0232"},
      {200, 20, '0' + 3, "06ffc0c814337f0232"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CommandHexText(PtzControlCommand(c.id, c.authority, c.selector)), c.text);
  for (int n = -1; n <= 6; ++n)
    EXPECT_EQ(IsValidPtzNumber(n), n >= 1 && n <= 4) << n;
}

TEST(RemoteCommands, PtzTypesBySavedTypeAndByServerByte) {
  for (int type = 0; type < 18; ++type) {
    const std::uint8_t expected =
        (type == 10 || type == 12 || type == 13 || type == 14 || type == 16) ? 17
        : type == 15                                                         ? 11
                                                                             : 8;
    EXPECT_EQ(PtzTypeOfSavedType(static_cast<std::uint8_t>(type)), expected) << type;
  }
  EXPECT_EQ(PtzTypeOfServerByte(0x32), 8);
  EXPECT_EQ(PtzTypeOfServerByte(0x84), 11);
  EXPECT_EQ(PtzTypeOfServerByte('q'), 17);
  EXPECT_EQ(PtzTypeOfServerByte('s'), 17);
}

TEST(RemoteCommands, HotPointCellsClampToTheLastColumnAndRow) {
  const HotPointArea vga{24, 35, 24 + 704, 35 + 480};      // cells 44 x 40
  const HotPointArea quarter{10, 20, 10 + 176, 20 + 112};  // cells 11 x 9: rows 108..111 count 12
  const HotPointArea wide{0, 0, 1366, 768};                // cells 85 x 64: x 1361..1365 count 16
  struct Case {
    const char* name;
    HotPointArea area;
    int x;
    int y;
    std::optional<std::uint8_t> cell;
  };
  const Case cases[] = {
      {"first cell", vga, 25, 36, 0x00},
      {"on a boundary, still the first", vga, 24 + 44, 35 + 40, 0x00},
      {"past the boundary", vga, 24 + 45, 35 + 41, 0x11},
      {"last cell", vga, 24 + 703, 35 + 479, 0xBF},
      {"left border", vga, 24, 100, std::nullopt},
      {"top border", vga, 100, 35, std::nullopt},
      {"right edge", vga, 24 + 704, 100, std::nullopt},
      {"bottom edge", vga, 100, 35 + 480, std::nullopt},
      {"outside", vga, 5, 5, std::nullopt},
      {"quarter row 11", quarter, 11, 20 + 108, 0xB0},
      {"quarter offset 109", quarter, 11, 20 + 109, 0xB0},
      {"quarter offset 111", quarter, 10 + 175, 20 + 111, 0xBF},
      {"wide x 1360", wide, 1360, 1, 0x0F},
      {"wide x 1361", wide, 1361, 1, 0x0F},
      {"wide x 1365", wide, 1365, 767, 0xBF},
  };
  for (const Case& c : cases)
    EXPECT_EQ(HotPointCell(c.area, c.x, c.y), c.cell) << c.name;
}

TEST(RemoteCommands, HotPointCommandAndItsWrappingChecksum) {
  EXPECT_EQ(CommandHexText(HotPointCommand(1, 60, 0x00)), "07d0013c5200005f0132");
  EXPECT_EQ(CommandHexText(HotPointCommand(1, 60, 0xBF)), "07d0013c52bf001e0132");
  // d0 + ff + 3c + 52 + bf + 00 = 0x31c: the checksum keeps 0x1c.
  EXPECT_EQ(CommandHexText(HotPointCommand(0xff, 60, 0xBF)), "07d0ff3c52bf001c0132");
}

TEST(RemoteCommands, AvOptionsCycleOneThreeTwo) {
  EXPECT_EQ(NextAvOption(1), 3);
  EXPECT_EQ(NextAvOption(3), 2);
  EXPECT_EQ(NextAvOption(2), 1);
  EXPECT_EQ(NextAvOption(0), std::nullopt);
  EXPECT_EQ(NextAvOption(4), std::nullopt);
  EXPECT_EQ(PortOfChannel(1), 0u);
  for (std::uint8_t channel : {0, 2, 9, 16})
    EXPECT_EQ(PortOfChannel(channel), 1u) << int{channel};
}

}  // namespace
