#include "ui/config/records/video_tables.h"

#include <algorithm>
#include <array>

namespace syscfg {
namespace {

constexpr std::array<std::uint16_t, 7> kBitRateCodes = {17, 21, 34, 51, 68, 102, 153};
constexpr std::array<std::uint8_t, 3> kQualityValues = {30, 50, 70};

struct SizeRow {
  int size;
  std::uint8_t code;
  std::uint8_t units;
};
constexpr SizeRow kWidths[] = {{704, 0, 44}, {720, 0, 45}, {640, 1, 40},
                               {352, 2, 22}, {320, 3, 20}, {176, 4, 11}};
constexpr SizeRow kHeights[] = {{480, 0, 30}, {576, 0, 36}, {288, 1, 18},
                                {240, 1, 15}, {144, 1, 9},  {112, 1, 7}};

template <std::size_t N>
SizeCode Lookup(const SizeRow (&rows)[N], int size, SizeCode fallback) {
  for (const SizeRow& row : rows) {
    if (row.size == size)
      return {row.code, row.units, true};
  }
  fallback.known = false;
  return fallback;
}

bool IsPal(int videoStandard) {
  return videoStandard == 2;
}

}  // namespace

QStringList ResolutionRows(int videoStandard) {
  if (IsPal(videoStandard))
    return {QStringLiteral("352 x 288"), QStringLiteral("704 x 576")};
  return {QStringLiteral("352 x 240"), QStringLiteral("704 x 480")};
}

int ResolutionIndex(FrameSize size) {
  if (size.width == 352 && (size.height == 240 || size.height == 288))
    return 0;
  if (size.width == 704 && (size.height == 480 || size.height == 576))
    return 1;
  return -1;
}

std::optional<FrameSize> ResolutionSize(int row, int videoStandard) {
  const bool pal = IsPal(videoStandard);
  if (row == 0)
    return FrameSize{352, pal ? 288 : 240};
  if (row == 1)
    return FrameSize{704, pal ? 576 : 480};
  return std::nullopt;
}

int QualityIndex(int quality) {
  if (quality >= 1 && quality <= 49)
    return 0;
  if (quality >= 50 && quality <= 69)
    return 1;
  if (quality >= 70 && quality <= 100)
    return 2;
  return -1;
}

std::optional<std::uint8_t> QualityValue(int row) {
  if (row < 0 || row >= static_cast<int>(kQualityValues.size()))
    return std::nullopt;
  return kQualityValues[static_cast<std::size_t>(row)];
}

int BitRateClass(int code) {
  constexpr std::array<int, 6> kClassStarts = {21, 34, 51, 68, 102, 153};
  return static_cast<int>(std::upper_bound(kClassStarts.begin(), kClassStarts.end(), code) -
                          kClassStarts.begin());
}

std::optional<std::uint16_t> BitRateCode(int row) {
  if (row < 0 || row >= static_cast<int>(kBitRateCodes.size()))
    return std::nullopt;
  return kBitRateCodes[static_cast<std::size_t>(row)];
}

int VideoTypeIndex(int videoFormat) {
  if (videoFormat == 0)
    return 0;
  if (videoFormat == 4)
    return 1;
  return -1;
}

std::optional<std::uint8_t> VideoFormatOf(int row) {
  if (row == 0)
    return 0;
  if (row == 1)
    return 4;
  return std::nullopt;
}

SizeCode WidthCode(int width) {
  return Lookup(kWidths, width, SizeCode{3, 20, false});
}

SizeCode HeightCode(int height) {
  return Lookup(kHeights, height, SizeCode{1, 15, false});
}

std::optional<std::uint8_t> ScaleCode(int mpeg4WidthUnits, int jpegWidthUnits) {
  if (jpegWidthUnits <= 0)
    return std::nullopt;
  switch (std::max(1, mpeg4WidthUnits / jpegWidthUnits)) {
    case 1:
      return 0;
    case 2:
      return 1;
    case 3:
      return 0;
    case 4:
      return 3;
    default:
      return std::nullopt;
  }
}

}  // namespace syscfg
