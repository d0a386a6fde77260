#include "ui/config/motion/motion_grid.h"

#include <algorithm>

#include "net/config_record_layout.h"

namespace syscfg {
namespace {

struct Bgr {
  std::uint8_t b, g, r;
};
constexpr Bgr kSelectionOutline{255, 0, 0};
constexpr Bgr kClearOutline{0, 255, 255};

// Pixel (x, y) of the picture, y counted from the top.
std::uint8_t* Pixel(BgrPicture& picture, int x, int y) {
  const std::size_t row = static_cast<std::size_t>(picture.height - 1 - y);
  return picture.bytes.data() +
         (row * static_cast<std::size_t>(picture.width) + static_cast<std::size_t>(x)) * 3;
}

bool Fits(const BgrPicture& picture) {
  return picture.width > 0 && picture.height > 0 &&
         picture.bytes.size() >=
             static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height) * 3;
}

void Brighten(std::uint8_t* pixel, int amount) {
  for (int i = 0; i < 3; ++i)
    pixel[i] = static_cast<std::uint8_t>(std::min(255, pixel[i] + amount));
}

void Tint(std::uint8_t* pixel) {
  pixel[0] = static_cast<std::uint8_t>(pixel[0] * 155 / 255);
  pixel[1] = static_cast<std::uint8_t>(pixel[1] * 155 / 255);
  pixel[2] = static_cast<std::uint8_t>(std::min(255, 100 + pixel[2] * 155 / 255));
}

void Paint(std::uint8_t* pixel, Bgr colour) {
  pixel[0] = colour.b;
  pixel[1] = colour.g;
  pixel[2] = colour.r;
}

bool OnBorder(const QRect& rect, int x, int y, int thickness) {
  return x < rect.left() + thickness || x > rect.right() - thickness ||
         y < rect.top() + thickness || y > rect.bottom() - thickness;
}

}  // namespace

bool IsCellSet(const CellMask& mask, int cell) {
  if (cell < 0 || cell >= kGridCells)
    return false;
  return (mask[static_cast<std::size_t>(cell / 8)] & (0x80 >> (cell % 8))) != 0;
}

void SetCell(CellMask& mask, int cell, bool set) {
  if (cell < 0 || cell >= kGridCells)
    return;
  const auto bit = static_cast<std::uint8_t>(0x80 >> (cell % 8));
  std::uint8_t& byte = mask[static_cast<std::size_t>(cell / 8)];
  byte = set ? static_cast<std::uint8_t>(byte | bit) : static_cast<std::uint8_t>(byte & ~bit);
}

void ToggleCell(CellMask& mask, int cell) {
  SetCell(mask, cell, !IsCellSet(mask, cell));
}

std::optional<CellMask> DecodeMotionReport(std::span<const std::uint8_t> report) {
  if (report.size() < kMotionReportBytes || report[72] != 'S')
    return std::nullopt;
  CellMask mask{};
  for (std::size_t row = 0; row < 18; ++row) {
    const std::size_t at = row * 4;
    const std::uint32_t h = static_cast<std::uint32_t>(report[at]) |
                            static_cast<std::uint32_t>(report[at + 1]) << 8 |
                            static_cast<std::uint32_t>(report[at + 2]) << 16 |
                            static_cast<std::uint32_t>(report[at + 3]) << 24;
    const std::uint32_t r = ((h & 0x00FF0000u) >> 7) | ((h & 0x0000FE00u) << 8) | (h & 0xFFu);
    mask[row * 3] = static_cast<std::uint8_t>(r);
    mask[row * 3 + 1] = static_cast<std::uint8_t>(r >> 16);
    mask[row * 3 + 2] = static_cast<std::uint8_t>(r >> 8);
  }
  return mask;
}

CellMask Derive704Mask(const CellMask& mask352) {
  CellMask mask{};
  for (int row = 0; row < 9; ++row) {
    for (int column = 0; column < 12; ++column) {
      if (!IsCellSet(mask352, CellIndex(row, column)))
        continue;
      for (int dr = 0; dr < 2; ++dr) {
        for (int dc = 0; dc < 2; ++dc)
          SetCell(mask, CellIndex(2 * row + dr, 2 * column + dc), true);
      }
    }
  }
  return mask;
}

CellMask Derive352Mask(const CellMask& mask704) {
  CellMask mask{};
  for (int cell = 0; cell < kGridCells; ++cell) {
    if (IsCellSet(mask704, cell))
      SetCell(mask, CellIndex(cell / kGridColumns / 2, cell % kGridColumns / 2), true);
  }
  return mask;
}

GridGeometry MotionGridGeometry(int frameWidth, int videoStandard) {
  return {frameWidth == 704 ? 16 : 32, 352, videoStandard == 2 ? 288 : 240};
}

QRect CellRect(const GridGeometry& geometry, int cell) {
  if (cell < 0 || cell >= kGridCells || cell % kGridColumns >= kDrawnColumns)
    return {};
  const int size = geometry.cellSize;
  const QRect rect(cell % kGridColumns * size, cell / kGridColumns * size, size, size);
  return rect.intersected(QRect(0, 0, geometry.width, geometry.height));
}

int CellAt(const GridGeometry& geometry, QPoint point) {
  if (point.x() < 0 || point.y() < 0 || point.x() >= geometry.width ||
      point.y() >= geometry.height || geometry.cellSize <= 0) {
    return -1;
  }
  const int column = point.x() / geometry.cellSize;
  const int row = point.y() / geometry.cellSize;
  if (column >= kDrawnColumns || row >= kGridRows)
    return -1;
  return CellIndex(row, column);
}

CellMask CellsInDrag(const GridGeometry& geometry, QPoint anchor, QPoint point) {
  const QRect drag = QRect(anchor, point).normalized();
  CellMask selection{};
  for (int cell = 0; cell < kGridCells; ++cell) {
    const QRect rect = CellRect(geometry, cell);
    if (rect.isEmpty())
      continue;
    const bool hit = rect.intersects(drag);
    if (hit)
      SetCell(selection, cell, true);
  }
  return selection;
}

void HighlightReport(BgrPicture picture, const GridGeometry& geometry, const CellMask& report) {
  if (!Fits(picture))
    return;
  for (int cell = 0; cell < kGridCells; ++cell) {
    if (!IsCellSet(report, cell))
      continue;
    const QRect rect =
        CellRect(geometry, cell).intersected(QRect(0, 0, picture.width, picture.height));
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
      for (int x = rect.left(); x <= rect.right(); ++x)
        Brighten(Pixel(picture, x, y), OnBorder(rect, x, y, 2) ? 70 : 30);
    }
  }
}

void DrawGrid(BgrPicture picture, const GridGeometry& geometry, const CellMask& mask,
              const CellMask& selection) {
  if (!Fits(picture))
    return;
  for (int cell = 0; cell < kGridCells; ++cell) {
    const QRect rect =
        CellRect(geometry, cell).intersected(QRect(0, 0, picture.width, picture.height));
    if (rect.isEmpty())
      continue;
    const bool marked = IsCellSet(mask, cell);
    const bool selected = IsCellSet(selection, cell);
    if (!marked) {
      for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x)
          Tint(Pixel(picture, x, y));
      }
    }
    if (!selected && marked)
      continue;
    const Bgr outline = selected ? kSelectionOutline : kClearOutline;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
      for (int x = rect.left(); x <= rect.right(); ++x) {
        if (OnBorder(rect, x, y, 1))
          Paint(Pixel(picture, x, y), outline);
      }
    }
  }
}

int ClampMotionParameter(int index, long long typed) {
  constexpr std::array<std::pair<int, int>, kMotionParameterCount> kRanges = {
      {{0, 7}, {1, 63}, {1, 127}, {1, 255}, {1, 255}}};
  const int value = static_cast<int>(std::clamp<long long>(typed, 0, 255));
  if (index < 0 || index >= kMotionParameterCount)
    return value;
  const auto [low, high] = kRanges[static_cast<std::size_t>(index)];
  return std::clamp(value, low, high);
}

std::optional<MotionPreset> SensitivityPreset(int sensitivity) {
  constexpr std::array<MotionPreset, 5> kPresets = {
      {{5, 24, 4, 5}, {4, 20, 3, 5}, {3, 16, 2, 5}, {2, 12, 1, 5}, {1, 8, 1, 5}}};
  if (sensitivity < 1 || sensitivity > 5)
    return std::nullopt;
  return kPresets[static_cast<std::size_t>(sensitivity - 1)];
}

MotionRecordSettings ReadMotionRecord(std::span<const std::uint8_t, kPentaRecordBytes> record,
                                      bool jpeg, int frameWidth) {
  using namespace cfg::penta;
  static_assert(kMaskBytes == kCellMaskBytes && kParameterCount == kMotionParameterCount &&
                kMask352 + kMaskBytes <= kPentaRecordBytes);
  MotionRecordSettings settings;
  settings.sensitivity = record[jpeg ? kJpegSensitivity : kMpeg4Sensitivity];
  const std::size_t parameters = jpeg ? kJpegParameters : kMpeg4Parameters;
  for (std::size_t i = 0; i < settings.parameters.size(); ++i)
    settings.parameters[i] = record[parameters + i];
  const std::size_t mask = frameWidth == 704 ? kMask704 : kMask352;
  std::copy_n(record.begin() + static_cast<std::ptrdiff_t>(mask), kMaskBytes,
              settings.mask.begin());
  return settings;
}

}  // namespace syscfg
