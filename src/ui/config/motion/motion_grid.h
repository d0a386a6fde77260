// The motion-detection grid as data: 24 x 18 cells whose marks travel as 54-byte masks (cell
// row x 24 + column, most significant bit first), the server's motion report, the motion
// settings of the PENTA record, the cells of the picture and the drawing of the grid into a
// 24-bit bottom-up picture. All of it works on byte buffers, without windows.
#pragma once

#include <QPoint>
#include <QRect>
#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "net/config_records.h"

namespace syscfg {

inline constexpr int kGridColumns = 24;
inline constexpr int kGridRows = 18;
inline constexpr int kGridCells = kGridColumns * kGridRows;
inline constexpr std::size_t kCellMaskBytes = 54;
// Columns 22 and 23 are never drawn.
inline constexpr int kDrawnColumns = 22;
inline constexpr std::size_t kMotionReportBytes = 73;  // 72 bytes of cells and the "S" mark

using CellMask = std::array<std::uint8_t, kCellMaskBytes>;
inline constexpr std::size_t kPentaRecordBytes = ConfigRecordSizes[kConfigPenta];

constexpr int CellIndex(int row, int column) {
  return row * kGridColumns + column;
}
bool IsCellSet(const CellMask& mask, int cell);
void SetCell(CellMask& mask, int cell, bool set);
void ToggleCell(CellMask& mask, int cell);

// The cell mask of a motion report: valid when byte 72 is "S". Each of its eighteen 32-bit
// little-endian words h gives one grid row: with r = ((h & 0xFF0000) >> 7) |
// ((h & 0xFE00) << 8) | (h & 0xFF), the row's three bytes are r's bytes 0, 2 and 1.
std::optional<CellMask> DecodeMotionReport(std::span<const std::uint8_t> report);
// The 704 grid (16-pixel cells) from the 352 grid (32-pixel cells) and back: each set cell
// (r < 9, c < 12) of the 352 grid sets its four cells (2r..2r+1, 2c..2c+1); each set cell
// (r, c) of the 704 grid sets cell (r / 2, c / 2).
CellMask Derive704Mask(const CellMask& mask352);
CellMask Derive352Mask(const CellMask& mask704);

// The picture the grid lies on and its cells: 352 x 240 (video standard 1) or 352 x 288 (2);
// cells of 16 pixels for a frame 704 wide, of 32 pixels for every other width.
struct GridGeometry {
  int cellSize = 32;
  int width = 352;
  int height = 240;
};
GridGeometry MotionGridGeometry(int frameWidth, int videoStandard);
// A cell's rectangle within the picture, cut at the picture's edge; empty for a cell not drawn
// (columns 22 and 23, or wholly outside the picture).
QRect CellRect(const GridGeometry& geometry, int cell);
// The drawn cell under a picture point; -1 for none.
int CellAt(const GridGeometry& geometry, QPoint point);
// The cells a drag from anchor to point selects: every drawn cell the drag rectangle touches
// (edges inside), also one it crosses without a corner of either lying in the other.
CellMask CellsInDrag(const GridGeometry& geometry, QPoint anchor, QPoint point);

// A 24-bit picture of blue, green, red bytes, rows bottom-up, width x 3 bytes a row.
struct BgrPicture {
  std::span<std::uint8_t> bytes;
  int width = 0;
  int height = 0;
};
// Brightens each reported cell: its two-pixel border by 70 and its inside by 30 (each of blue,
// green and red, at most 255).
void HighlightReport(BgrPicture picture, const GridGeometry& geometry, const CellMask& report);
// Tints each cell whose mark is clear (blue and green c x 155 / 255, red 100 + c x 155 / 255)
// and outlines it in yellow; a selected cell is outlined in blue instead; a marked cell in no
// selection gets no outline.
void DrawGrid(BgrPicture picture, const GridGeometry& geometry, const CellMask& mask,
              const CellMask& selection);

// The detection parameters NS, LS, DT, SS, FT: a typed number taken as 0..255, then kept
// within NS 0..7, LS 1..63, DT 1..127, SS 1..255, FT 1..255.
inline constexpr int kMotionParameterCount = 5;
int ClampMotionParameter(int index, long long typed);
// The presets of sensitivity 1..5 for NS, LS, SS, FT (DT stays); nullopt for 0 (custom).
struct MotionPreset {
  int ns, ls, ss, ft;
};
std::optional<MotionPreset> SensitivityPreset(int sensitivity);

// What the motion dialog takes from a PENTA record: the sensitivity and the five parameters of
// the stream's video format (the JPEG set when jpeg, else the MPEG-4 set), and the mask of the
// grid the frame width uses (the 704 grid for 704, the 352 grid for every other width). The
// values are the record's bytes as they stand.
struct MotionRecordSettings {
  int sensitivity = 0;
  std::array<int, kMotionParameterCount> parameters{};
  CellMask mask{};
};
MotionRecordSettings ReadMotionRecord(std::span<const std::uint8_t, kPentaRecordBytes> record,
                                      bool jpeg, int frameWidth);

}  // namespace syscfg
