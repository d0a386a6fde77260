// The motion grid as data: masks, the motion report, cells and drags, and the drawing of the
// grid into a picture.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "ui/config/motion/motion_grid.h"

namespace {

using namespace syscfg;

CellMask MaskOf(std::initializer_list<int> cells) {
  CellMask mask{};
  for (int cell : cells)
    SetCell(mask, cell, true);
  return mask;
}

std::vector<int> CellsOf(const CellMask& mask) {
  std::vector<int> cells;
  for (int cell = 0; cell < kGridCells; ++cell) {
    if (IsCellSet(mask, cell))
      cells.push_back(cell);
  }
  return cells;
}

TEST(MotionGrid, CellBitsRunMostSignificantFirst) {
  CellMask mask{};
  SetCell(mask, 0, true);
  SetCell(mask, 9, true);
  SetCell(mask, 431, true);
  EXPECT_EQ(mask[0], 0x80);
  EXPECT_EQ(mask[1], 0x40);
  EXPECT_EQ(mask[53], 0x01);
  ToggleCell(mask, 9);
  EXPECT_EQ(mask[1], 0x00);
  SetCell(mask, 432, true);  // outside the grid: ignored
  SetCell(mask, -1, true);
  EXPECT_EQ(CellsOf(mask), (std::vector<int>{0, 431}));
}

TEST(MotionGrid, ReportWordsBecomeGridRows) {
  struct Case {
    const char* name;
    std::uint32_t word;  // row 0's word
    std::array<std::uint8_t, 3> row;
  };
  // r = ((h & 0xFF0000) >> 7) | ((h & 0xFE00) << 8) | (h & 0xFF); bytes r0, r2, r1.
  const Case cases[] = {
      {"low byte", 0x000000A5, {0xA5, 0x00, 0x00}},
      {"third byte", 0x00FF0000, {0x00, 0x01, 0xFE}},
      {"second byte", 0x0000FE00, {0x00, 0xFE, 0x00}},
      {"bit 8 dropped", 0x00000100, {0x00, 0x00, 0x00}},
      {"top byte dropped", 0xFF000000, {0x00, 0x00, 0x00}},
      {"all", 0xFFFFFFFF, {0xFF, 0xFF, 0xFE}},
  };
  for (const Case& c : cases) {
    std::array<std::uint8_t, kMotionReportBytes> report{};
    for (int i = 0; i < 4; ++i)
      report[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(c.word >> (8 * i));
    report[72] = 'S';
    const auto mask = DecodeMotionReport(report);
    ASSERT_TRUE(mask.has_value()) << c.name;
    EXPECT_EQ((*mask)[0], c.row[0]) << c.name;
    EXPECT_EQ((*mask)[1], c.row[1]) << c.name;
    EXPECT_EQ((*mask)[2], c.row[2]) << c.name;
    for (std::size_t i = 3; i < kCellMaskBytes; ++i)
      ASSERT_EQ((*mask)[i], 0) << c.name;
  }
}

TEST(MotionGrid, OnlyAMarkedReportOfFullSizeIsRead) {
  std::array<std::uint8_t, kMotionReportBytes> report;
  report.fill(0xFF);
  EXPECT_EQ(DecodeMotionReport(report), std::nullopt);  // no "S"
  report[72] = 'S';
  EXPECT_TRUE(DecodeMotionReport(report).has_value());
  EXPECT_EQ(DecodeMotionReport(std::span(report).first(72)), std::nullopt);
  EXPECT_EQ(DecodeMotionReport({}), std::nullopt);
  // Row 17 comes from the last word.
  report.fill(0);
  report[68] = 0x01;
  report[72] = 'S';
  EXPECT_EQ(CellsOf(*DecodeMotionReport(report)), (std::vector<int>{CellIndex(17, 7)}));
}

TEST(MotionGrid, MasksDeriveBetweenTheTwoGrids) {
  struct Case {
    const char* name;
    CellMask mask352;
    std::vector<int> cells704;
  };
  const Case cases[] = {
      {"top left", MaskOf({0}), {0, 1, 24, 25}},
      {"row 8 column 11",
       MaskOf({CellIndex(8, 11)}),
       {CellIndex(16, 22), CellIndex(16, 23), CellIndex(17, 22), CellIndex(17, 23)}},
      {"beyond the 352 picture is dropped", MaskOf({CellIndex(9, 0), CellIndex(0, 12)}), {}},
      {"none", CellMask{}, {}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CellsOf(Derive704Mask(c.mask352)), c.cells704) << c.name;
  CellMask all;
  all.fill(0xFF);
  EXPECT_EQ(CellsOf(Derive704Mask(all)).size(), 432u);  // rows 0..17, columns 0..23
  EXPECT_EQ(CellsOf(Derive352Mask(MaskOf({CellIndex(17, 23)}))),
            (std::vector<int>{CellIndex(8, 11)}));
  EXPECT_EQ(CellsOf(Derive352Mask(MaskOf({0, 1, 24, 25, 2}))), (std::vector<int>{0, 1}));
  EXPECT_EQ(Derive352Mask(Derive704Mask(MaskOf({5, 30}))), MaskOf({5, 30}));
}

TEST(MotionGrid, CellsOfThePicture) {
  const GridGeometry ntsc352 = MotionGridGeometry(352, 1);
  EXPECT_EQ(ntsc352.cellSize, 32);
  EXPECT_EQ(ntsc352.height, 240);
  EXPECT_EQ(MotionGridGeometry(704, 2).cellSize, 16);
  EXPECT_EQ(MotionGridGeometry(704, 2).height, 288);
  EXPECT_EQ(MotionGridGeometry(320, 1).cellSize, 32);  // every other width: the 352 cells
  // Row 7 of an NTSC 352 picture is 32 wide and 16 high.
  EXPECT_EQ(CellRect(ntsc352, CellIndex(7, 3)), QRect(96, 224, 32, 16));
  EXPECT_TRUE(CellRect(ntsc352, CellIndex(8, 0)).isEmpty());
  EXPECT_TRUE(CellRect(ntsc352, CellIndex(0, 11)).isEmpty());
  EXPECT_TRUE(CellRect(MotionGridGeometry(704, 1), CellIndex(0, 22)).isEmpty());
  EXPECT_EQ(CellRect(MotionGridGeometry(704, 1), CellIndex(0, 21)), QRect(336, 0, 16, 16));
  EXPECT_EQ(CellAt(ntsc352, QPoint(0, 0)), 0);
  EXPECT_EQ(CellAt(ntsc352, QPoint(351, 239)), CellIndex(7, 10));
  EXPECT_EQ(CellAt(ntsc352, QPoint(352, 0)), -1);
  EXPECT_EQ(CellAt(ntsc352, QPoint(-1, 5)), -1);
}

TEST(MotionGrid, ADragSelectsEveryCellItTouches) {
  const GridGeometry g = MotionGridGeometry(352, 2);
  struct Case {
    const char* name;
    QPoint anchor, point;
    std::vector<int> cells;
  };
  const Case cases[] = {
      {"inside one cell", {5, 5}, {20, 20}, {0}},
      {"across four cells", {20, 20}, {40, 40}, {0, 1, 24, 25}},
      {"backwards", {40, 40}, {20, 20}, {0, 1, 24, 25}},
      {"edge counts as inside", {31, 5}, {32, 5}, {0, 1}},
      {"covering a cell", {10, 10}, {80, 20}, {0, 1, 2}},
      // Cell 2 has no corner in the drag and the drag none in it: crossed all the same.
      {"thin drag across", {40, 10}, {100, 12}, {1, 2, 3}},
      {"outside the picture", {340, 280}, {400, 300}, {CellIndex(8, 10)}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CellsOf(CellsInDrag(g, c.anchor, c.point)), c.cells) << c.name;
}

TEST(MotionGrid, GridTintsClearCellsAndOutlinesThem) {
  const GridGeometry g{32, 64, 32};  // two cells
  std::vector<std::uint8_t> bytes(64 * 32 * 3, 200);
  const BgrPicture picture{bytes, 64, 32};
  const auto at = [&](int x, int y) {  // y from the top; rows are stored bottom-up
    const std::size_t i =
        ((31 - static_cast<std::size_t>(y)) * 64 + static_cast<std::size_t>(x)) * 3;
    return std::array<int, 3>{bytes[i], bytes[i + 1], bytes[i + 2]};
  };
  DrawGrid(picture, g, MaskOf({1}), CellMask{});
  // Cell 0 clear: tinted inside, yellow outline. Cell 1 marked: untouched.
  EXPECT_EQ(at(10, 10),
            (std::array<int, 3>{200 * 155 / 255, 200 * 155 / 255, 100 + 200 * 155 / 255}));
  EXPECT_EQ(at(0, 10), (std::array<int, 3>{0, 255, 255}));
  EXPECT_EQ(at(31, 31), (std::array<int, 3>{0, 255, 255}));
  EXPECT_EQ(at(40, 10), (std::array<int, 3>{200, 200, 200}));
  EXPECT_EQ(at(32, 0), (std::array<int, 3>{200, 200, 200}));
  // A selected cell is outlined in blue, marked or not.
  std::fill(bytes.begin(), bytes.end(), 10);
  DrawGrid(picture, g, MaskOf({1}), MaskOf({0, 1}));
  EXPECT_EQ(at(0, 0), (std::array<int, 3>{255, 0, 0}));
  EXPECT_EQ(at(63, 31), (std::array<int, 3>{255, 0, 0}));
  EXPECT_EQ(at(10, 10), (std::array<int, 3>{10 * 155 / 255, 10 * 155 / 255, 100 + 10 * 155 / 255}));
  EXPECT_EQ(at(40, 10), (std::array<int, 3>{10, 10, 10}));
}

TEST(MotionGrid, ReportedCellsAreBrightened) {
  const GridGeometry g{32, 64, 32};
  std::vector<std::uint8_t> bytes(64 * 32 * 3, 100);
  bytes[0] = 250;  // bottom-left pixel's blue: saturates
  HighlightReport({bytes, 64, 32}, g, MaskOf({0}));
  const auto blue = [&](int x, int y) {
    return bytes[((31 - static_cast<std::size_t>(y)) * 64 + static_cast<std::size_t>(x)) * 3];
  };
  EXPECT_EQ(blue(1, 1), 170);    // border, two pixels
  EXPECT_EQ(blue(2, 2), 130);    // inside
  EXPECT_EQ(blue(30, 15), 170);  // right border
  EXPECT_EQ(blue(0, 31), 255);   // saturated
  EXPECT_EQ(blue(40, 15), 100);  // cell 1 not reported
  // A picture smaller than its bytes claim is left alone.
  std::vector<std::uint8_t> small(10, 1);
  HighlightReport({small, 64, 32}, g, MaskOf({0}));
  DrawGrid({small, 64, 32}, g, CellMask{}, CellMask{});
  EXPECT_EQ(small, std::vector<std::uint8_t>(10, 1));
}

TEST(MotionGrid, ParametersAndPresets) {
  struct Case {
    int index;
    long long typed;
    int value;
  };
  const Case cases[] = {{0, 3, 3},     {0, 9, 7},     {1, 200, 63}, {1, 0, 1},  {2, 300, 127},
                        {3, 255, 255}, {3, 999, 255}, {4, -5, 1},   {0, -5, 0}, {2, 64, 64}};
  for (const Case& c : cases)
    EXPECT_EQ(ClampMotionParameter(c.index, c.typed), c.value) << c.index << " " << c.typed;
  const std::pair<int, MotionPreset> presets[] = {{1, {5, 24, 4, 5}},
                                                  {2, {4, 20, 3, 5}},
                                                  {3, {3, 16, 2, 5}},
                                                  {4, {2, 12, 1, 5}},
                                                  {5, {1, 8, 1, 5}}};
  for (const auto& [level, preset] : presets) {
    const auto got = SensitivityPreset(level);
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(got->ns, preset.ns);
    EXPECT_EQ(got->ls, preset.ls);
    EXPECT_EQ(got->ss, preset.ss);
    EXPECT_EQ(got->ft, preset.ft);
  }
  EXPECT_EQ(SensitivityPreset(0), std::nullopt);
  EXPECT_EQ(SensitivityPreset(6), std::nullopt);
}

// The dialog's settings are the record's bytes as they stand (255 too, which no preset or range
// knows): the set of the video format, the mask of the frame width's grid.
TEST(MotionGrid, RecordSettingsOfTheFormatAndTheGrid) {
  std::array<std::uint8_t, kPentaRecordBytes> record{};
  record[16] = 3;  // MPEG-4 sensitivity and NS, LS, DT, SS, FT
  for (std::size_t i = 0; i < 5; ++i)
    record[18 + i] = static_cast<std::uint8_t>(10 + i);
  record[92] = 255;  // JPEG sensitivity and parameters
  for (std::size_t i = 0; i < 5; ++i)
    record[94 + i] = static_cast<std::uint8_t>(250 + i);
  record[23] = 0x80;       // 704 grid: cell 0
  record[99 + 53] = 0x01;  // 352 grid: cell 431
  struct Case {
    bool jpeg;
    int frameWidth;
    int sensitivity;
    int firstParameter;
    std::vector<int> cells;
  };
  for (const Case& c : {Case{false, 704, 3, 10, {0}}, Case{false, 352, 3, 10, {431}},
                        Case{true, 704, 255, 250, {0}}, Case{true, 720, 255, 250, {431}}}) {
    const MotionRecordSettings s = ReadMotionRecord(record, c.jpeg, c.frameWidth);
    EXPECT_EQ(s.sensitivity, c.sensitivity) << c.jpeg << " " << c.frameWidth;
    for (int i = 0; i < kMotionParameterCount; ++i)
      EXPECT_EQ(s.parameters[static_cast<std::size_t>(i)], c.firstParameter + i);
    EXPECT_EQ(CellsOf(s.mask), c.cells) << c.jpeg << " " << c.frameWidth;
  }
}

}  // namespace
