#include "prim/resize/resize_driver.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "prim/resize/aligned_alloc.h"

namespace {

bool IsDriverInterpolation(std::int32_t interpolation) {
  return interpolation == kResizeNearest || interpolation == kResizeLinear ||
         interpolation == kResizeCubic || interpolation == kResizeSixTap;
}

// The shared checks, then the interpolation; 0 when every check passes.
PrimStatus CheckArguments(const void* pSrc, PrimSize srcSize, std::int32_t srcStep, PrimRect roi,
                          const void* pDst, std::int32_t dstStep, PrimSize dstSize, double xFactor,
                          double yFactor, std::int32_t interpolation) {
  const PrimStatus status =
      ResizeCheckArguments(pSrc, srcSize, srcStep, roi, pDst, dstStep, dstSize, xFactor, yFactor);
  if (status != StsNoError) {
    return status;
  }
  return IsDriverInterpolation(interpolation) ? StsNoError : StsBadInterpolation;
}

// Lowers the interpolation until its kernels fit the source image: six-tap needs 6 pixels,
// cubic 4, linear 2 in each direction. The cascade runs in one order for every kernel set,
// so a small source never reaches a kernel that would read outside it.
std::int32_t DowngradeInterpolation(std::int32_t interpolation, PrimSize srcSize) {
  const std::int32_t smaller = std::min(srcSize.width, srcSize.height);
  if (smaller < 2) {
    return kResizeNearest;
  }
  if (interpolation == kResizeSixTap && smaller < 6) {
    interpolation = kResizeCubic;
  }
  if (interpolation == kResizeCubic && smaller < 4) {
    interpolation = kResizeLinear;
  }
  return interpolation;
}

std::int32_t PlaneCount(std::int32_t channels) {
  return channels == 3 ? 3 : 4;
}

// The shared data and plane checks, then the pixel layout a kernel set can take; all before
// anything is allocated. Interleaved pixels: one channel of one element, three channels of
// three or more elements (nearest) or of three or four (filtering), four of four.
PrimStatus CheckLayout(const ResizeKernelSet& set, const void* pSrc, const void* pDst,
                       std::int32_t pixelElements, std::int32_t channels, std::int32_t dataType,
                       std::int32_t planar, std::int32_t interpolation) {
  const PrimStatus status = ResizeCheckDataAndPlanes(pSrc, pDst, channels, dataType, planar);
  if (status != StsNoError || planar != 0) {
    return status;
  }
  const bool filtering = interpolation != kResizeNearest;
  bool valid = false;
  switch (channels) {
    case 1:
      valid = pixelElements == 1;
      break;
    case 3:
      valid = filtering
                  ? pixelElements == 3 || (pixelElements == 4 && set.filtersTakeFourElementPixels)
                  : pixelElements >= 3;
      break;
    case 4:
      valid = pixelElements == 4 && (!filtering || set.filtersTakeFourElementPixels);
      break;
    default:
      break;
  }
  return valid ? StsNoError : StsBadInterpolation;
}

// Destination length along one axis when the factor is a source step per destination pixel
// (sizing flag 0): the count of positions that start inside the rectangle, compared in
// double so that a tiny step never converts a huge value.
std::int32_t StepUsedLength(std::int32_t rectLength, double step, std::int32_t dstLength,
                            bool nearest) {
  const double reach =
      static_cast<double>(nearest ? rectLength : rectLength - 1) / step + kResizeBias;
  if (!(reach < static_cast<double>(dstLength) - 1.0)) {
    return dstLength;
  }
  const auto whole = static_cast<std::int32_t>(reach);
  return std::max<std::int32_t>(1, nearest ? whole : whole + 1);
}

}  // namespace

PrimStatus ResizeCheckArguments(const void* pSrc, PrimSize srcSize, std::int32_t srcStep,
                                PrimRect roi, const void* pDst, std::int32_t dstStep,
                                PrimSize dstSize, double xFactor, double yFactor) {
  if (pSrc == nullptr || pDst == nullptr) {
    return StsNullPointer;
  }
  if (srcSize.width < 1 || srcSize.height < 1) {
    return StsSizeError;
  }
  if (srcStep < 1 || dstStep < 1) {
    return StsStepError;
  }
  if (roi.x < 0 || roi.y < 0 || roi.width < 1 || roi.height < 1) {
    return StsSizeError;
  }
  if (roi.x >= srcSize.width || roi.y >= srcSize.height) {
    return StsNoIntersection;
  }
  if (dstSize.width < 1 || dstSize.height < 1) {
    return StsSizeError;
  }
  if (!(xFactor > 0.0) || !(yFactor > 0.0)) {  // NaN is not greater than 0
    return StsBadFactor;
  }
  return StsNoError;
}

PrimStatus ResizeCheckDataAndPlanes(const void* pSrc, const void* pDst, std::int32_t channels,
                                    std::int32_t dataType, std::int32_t planar) {
  if (dataType < kResizeData8u || dataType > kResizeData32f) {
    return StsBadInterpolation;
  }
  if (planar != 0) {
    const auto* sources = static_cast<const void* const*>(pSrc);
    const auto* destinations = static_cast<void* const*>(pDst);
    for (std::int32_t p = 0; p < PlaneCount(channels); ++p) {
      if (sources[p] == nullptr || destinations[p] == nullptr) {
        return StsNullPointer;
      }
    }
  }
  return StsNoError;
}

// The product is compared in double, so no huge value is ever converted to an integer.
std::int32_t ResizeUsedLength(std::int32_t rectLength, double factor, std::int32_t dstLength) {
  const double scaled = static_cast<double>(rectLength) * factor + kResizeBias;
  if (!(scaled < static_cast<double>(dstLength))) {
    return dstLength;
  }
  return std::max<std::int32_t>(1, static_cast<std::int32_t>(scaled));
}

// However far a tiny factor pushes a position, its index stays inside the rectangle.
std::int32_t ResizeClampedIndex(double position, std::int32_t length) {
  const double biased = position + kResizeBias;
  if (!(biased < static_cast<double>(length - 1))) {
    return length - 1;
  }
  if (!(biased > 0.0)) {
    return 0;
  }
  return static_cast<std::int32_t>(biased);
}

namespace {

// Positions along one axis, by repeated addition as every kernel set does it.
struct AxisMap {
  double start;
  double step;
};

// Ratio factors (sizing flag 1) put nearest neighbour on pixel centres and the filtering
// kinds on the corners; a step factor (flag 0) is the step itself.
AxisMap MapAxis(std::int32_t interpolation, std::int32_t rectLength, double factor, double shift,
                bool ratio) {
  double step = factor;
  if (ratio && interpolation == kResizeNearest) {
    step = 1.0 / factor;
  } else if (ratio) {
    const double scaled = static_cast<double>(rectLength) * factor;
    step = scaled > 1.0 ? (rectLength - 1) / (scaled - 1.0) : 0.0;
  }
  if (interpolation == kResizeNearest) {
    return {0.5 * step + shift, step};
  }
  return {shift, step};
}

// Walks the source positions of one axis and hands each destination index k its clamped
// source index i (relative to the rectangle) and its position p, held inside the rectangle.
template <class Visit>
void ForEachPosition(AxisMap map, std::int32_t used, std::int32_t rectLength, Visit&& visit) {
  double position = map.start;
  for (std::int32_t k = 0; k < used; ++k, position += map.step) {
    const std::int32_t i = ResizeClampedIndex(position, rectLength);
    visit(k, i, std::clamp(position, 0.0, static_cast<double>(rectLength - 1)));
  }
}

// Linear taps: at the image's last pixel the pair moves one left with the whole weight on the
// second pixel. `origin` is the rectangle's first pixel in the image, `last` the image's last.
// Returns the index of the first tap; `second` is the second tap's share of 1.
std::int32_t LinearTap(std::int32_t i, double p, std::int32_t origin, std::int32_t last,
                       double& second) {
  if (origin + i >= last) {
    second = 1.0;
    return i - 1;
  }
  second = p - i;
  return i;
}

std::int16_t Q14(double second) {
  return static_cast<std::int16_t>(std::clamp(second * 16384.0 + kResizeBias, 0.0, 16384.0));
}

// Cubic stencil: the four taps stay inside the image, the polynomial extrapolates at edges.
void CubicTap(std::int32_t i, double p, std::int32_t origin, std::int32_t last, std::int32_t& index,
              float& fraction) {
  const std::int32_t a = origin + i;
  if (a == last) {
    index = i - 2;
    fraction = 2.0f;
    return;
  }
  index = a == 0 ? i + 1 : (a == last - 1 ? i - 1 : i);
  fraction = static_cast<float>(p - index);
}

int GroupOf(std::int32_t interpolation) {
  switch (interpolation) {
    case kResizeLinear:
      return kPassGroupLinear;
    case kResizeCubic:
      return kPassGroupCubic;
    case kResizeSixTap:
      return kPassGroupSixTap;
    default:
      return kPassGroupNearest;
  }
}

std::int32_t ElementSize(std::int32_t dataType) {
  return dataType == kResizeData8u ? 1 : (dataType == kResizeData16u ? 2 : 4);
}

// Tables and buffers of one call, owned here and released on every way out.
struct Scratch {
  AlignedPtr<std::ptrdiff_t> rowOffsets;
  AlignedPtr<std::ptrdiff_t> columnOffsets;
  AlignedPtr<std::int16_t> rowWeights;
  AlignedPtr<std::int16_t> columnWeights;
  AlignedPtr<float> rowFloats;
  AlignedPtr<float> columnFloats;
  AlignedPtr<double> fractions;
  std::array<AlignedPtr<std::uint8_t>, 6> buffers;
  AlignedPtr<std::uint8_t> columnScratch;
  AlignedPtr<float> workArea;
};

}  // namespace

PrimStatus ResizeInterpolate(const ResizeKernelSet& set, const void* pSrc, PrimSize srcSize,
                             std::int32_t srcStep, PrimRect srcRoi, void* pDst,
                             std::int32_t dstStep, PrimSize dstRoiSize, double xFactor,
                             double yFactor, double xShift, double yShift,
                             std::int32_t pixelElements, std::int32_t channels,
                             std::int32_t dataType, std::int32_t planar, std::int32_t interpolation,
                             std::int32_t sizeMode) {
  PrimStatus status = CheckArguments(pSrc, srcSize, srcStep, srcRoi, pDst, dstStep, dstRoiSize,
                                     xFactor, yFactor, interpolation);
  if (status == StsNoError) {
    status = CheckLayout(set, pSrc, pDst, pixelElements, channels, dataType, planar, interpolation);
  }
  if (status != StsNoError) {
    return status;
  }
  interpolation = DowngradeInterpolation(interpolation, srcSize);
  const std::int32_t passChannels = planar != 0 ? 1 : channels;
  const ResizePassFn pass =
      (*set.passTable)[ResizePassIndex(GroupOf(interpolation), dataType, passChannels)];
  if (pass == nullptr) {
    return StsBadInterpolation;
  }
  // Steps become element counts; one that is not a whole number of elements has no meaning.
  const std::int32_t elementSize = ElementSize(dataType);
  if (srcStep % elementSize != 0 || dstStep % elementSize != 0) {
    return StsStepError;
  }

  PrimRect roi = srcRoi;
  roi.width = std::min(roi.width, srcSize.width - roi.x);
  roi.height = std::min(roi.height, srcSize.height - roi.y);
  const bool ratio = sizeMode != 0;
  const bool nearest = interpolation == kResizeNearest;
  const std::int32_t width = ratio ? ResizeUsedLength(roi.width, xFactor, dstRoiSize.width)
                                   : StepUsedLength(roi.width, xFactor, dstRoiSize.width, nearest);
  const std::int32_t height = ratio
                                  ? ResizeUsedLength(roi.height, yFactor, dstRoiSize.height)
                                  : StepUsedLength(roi.height, yFactor, dstRoiSize.height, nearest);

  const std::ptrdiff_t srcStepElements = srcStep / elementSize;
  const std::ptrdiff_t dstStepElements = dstStep / elementSize;
  const std::ptrdiff_t columnScale = passChannels == 1 ? 1 : pixelElements;
  // Bytes from an image (or plane) start to the rectangle's corner.
  const std::ptrdiff_t cornerBytes = static_cast<std::ptrdiff_t>(roi.y) * srcStep +
                                     static_cast<std::ptrdiff_t>(roi.x) * columnScale * elementSize;

  const AxisMap columnMap = MapAxis(interpolation, roi.width, xFactor, xShift, ratio);
  const AxisMap rowMap = MapAxis(interpolation, roi.height, yFactor, yShift, ratio);
  const std::int32_t lastColumn = srcSize.width - 1;
  const std::int32_t lastRow = srcSize.height - 1;

  Scratch s;
  s.rowOffsets = MakeAligned<std::ptrdiff_t>(height, set.words);
  s.columnOffsets = MakeAligned<std::ptrdiff_t>(width, set.words);
  if (!s.rowOffsets || !s.columnOffsets) {
    return StsAllocFailed;
  }
  std::ptrdiff_t* rowOffsets = s.rowOffsets.get();
  std::ptrdiff_t* columnOffsets = s.columnOffsets.get();

  ResizePassArgs args{};
  args.srcStep = srcStepElements;
  args.dstStep = dstStepElements;
  args.width = width;
  args.height = height;
  args.rowOffsets = rowOffsets;
  args.columnOffsets = columnOffsets;
  args.pixelElements = passChannels == 1 ? 1 : pixelElements;
  args.channels = passChannels;
  args.rowElements = static_cast<std::ptrdiff_t>(srcSize.width - roi.x) * columnScale;
  args.pixelsLeft = roi.x;
  args.rowsAbove = roi.y;
  args.pixelsRight = srcSize.width - roi.x;
  args.rowsBelow = srcSize.height - roi.y;
  args.rowFlag = (ratio ? yFactor >= 1.0 : yFactor < 1.0) ? 1 : 0;

  // Row buffers: one destination row of the processed channels plus four spare pixels.
  const std::int64_t bufferElements = static_cast<std::int64_t>(passChannels) * (width + 4);
  const bool integerLinear = interpolation == kResizeLinear && dataType != kResizeData32f;
  int bufferCount = 0;
  switch (interpolation) {
    case kResizeNearest:
      // Room for the nearest pass's runs of equal columns (8 bytes a column), in every set.
      s.columnScratch = MakeAligned<std::uint8_t>(8 * static_cast<std::int64_t>(width), set.words);
      if (!s.columnScratch) {
        return StsAllocFailed;
      }
      args.columnScratch = s.columnScratch.get();
      ForEachPosition(columnMap, width, roi.width, [&](std::int32_t k, std::int32_t i, double) {
        columnOffsets[k] = i * columnScale;
      });
      ForEachPosition(rowMap, height, roi.height, [&](std::int32_t k, std::int32_t i, double) {
        rowOffsets[k] = i * srcStepElements;
      });
      break;
    case kResizeLinear: {
      // 8u and 16u take Q14 weights (pairs per column, the lower row's per row); 32f the
      // second tap's fraction.
      double second = 0.0;
      if (integerLinear) {
        s.rowWeights = MakeAligned<std::int16_t>(height, kAligned16s);
        s.columnWeights =
            MakeAligned<std::int16_t>(2 * static_cast<std::int64_t>(width), kAligned16s);
        if (!s.rowWeights || !s.columnWeights) {
          return StsAllocFailed;
        }
        std::int16_t* rowWeights = s.rowWeights.get();
        std::int16_t* columnWeights = s.columnWeights.get();
        ForEachPosition(columnMap, width, roi.width, [&](std::int32_t k, std::int32_t i, double p) {
          columnOffsets[k] = LinearTap(i, p, roi.x, lastColumn, second) * columnScale;
          const std::int16_t w = Q14(second);
          columnWeights[2 * k] = static_cast<std::int16_t>(16384 - w);
          columnWeights[2 * k + 1] = w;
        });
        ForEachPosition(rowMap, height, roi.height, [&](std::int32_t k, std::int32_t i, double p) {
          rowOffsets[k] = LinearTap(i, p, roi.y, lastRow, second) * srcStepElements;
          rowWeights[k] = Q14(second);
        });
        args.rowWeights = rowWeights;
        args.columnWeights = columnWeights;
      } else {
        s.rowFloats = MakeAligned<float>(height, set.words);
        s.columnFloats = MakeAligned<float>(width, set.words);
        if (!s.rowFloats || !s.columnFloats) {
          return StsAllocFailed;
        }
        float* rowFractions = s.rowFloats.get();
        float* columnFractions = s.columnFloats.get();
        ForEachPosition(columnMap, width, roi.width, [&](std::int32_t k, std::int32_t i, double p) {
          columnOffsets[k] = LinearTap(i, p, roi.x, lastColumn, second) * columnScale;
          columnFractions[k] = static_cast<float>(second);
        });
        ForEachPosition(rowMap, height, roi.height, [&](std::int32_t k, std::int32_t i, double p) {
          rowOffsets[k] = LinearTap(i, p, roi.y, lastRow, second) * srcStepElements;
          rowFractions[k] = static_cast<float>(second);
        });
        args.rowWeights = rowFractions;
        args.columnWeights = columnFractions;
      }
      bufferCount = 2;
      break;
    }
    case kResizeCubic: {
      s.rowFloats = MakeAligned<float>(height, set.words);
      s.columnFloats = MakeAligned<float>(width, set.words);
      if (!s.rowFloats || !s.columnFloats) {
        return StsAllocFailed;
      }
      float* rowFractions = s.rowFloats.get();
      float* columnFractions = s.columnFloats.get();
      ForEachPosition(columnMap, width, roi.width, [&](std::int32_t k, std::int32_t i, double p) {
        std::int32_t index = 0;
        CubicTap(i, p, roi.x, lastColumn, index, columnFractions[k]);
        columnOffsets[k] = index * columnScale;
      });
      ForEachPosition(rowMap, height, roi.height, [&](std::int32_t k, std::int32_t i, double p) {
        std::int32_t index = 0;
        CubicTap(i, p, roi.y, lastRow, index, rowFractions[k]);
        rowOffsets[k] = index * srcStepElements;
      });
      args.rowWeights = rowFractions;
      args.columnWeights = columnFractions;
      bufferCount = 4;
      break;
    }
    default: {  // six-tap: the kernel set turns each fraction into six weights
      s.rowFloats = MakeAligned<float>(6 * static_cast<std::int64_t>(height), set.words);
      s.columnFloats = MakeAligned<float>(6 * static_cast<std::int64_t>(width), set.words);
      s.fractions = MakeAligned<double>(std::max(width, height), set.words);
      if (!s.rowFloats || !s.columnFloats || !s.fractions) {
        return StsAllocFailed;
      }
      double* fractions = s.fractions.get();
      ForEachPosition(columnMap, width, roi.width, [&](std::int32_t k, std::int32_t i, double p) {
        columnOffsets[k] = i * columnScale;
        fractions[k] = p - i;
      });
      set.buildCoeffs(fractions, width, s.columnFloats.get());
      ForEachPosition(rowMap, height, roi.height, [&](std::int32_t k, std::int32_t i, double p) {
        rowOffsets[k] = i * srcStepElements;
        fractions[k] = p - i;
      });
      set.buildCoeffs(fractions, height, s.rowFloats.get());
      args.rowWeights = s.rowFloats.get();
      args.columnWeights = s.columnFloats.get();
      bufferCount = 6;
      break;
    }
  }
  // The 16-bit rows of the integer linear kinds, else 32-bit rows.
  const std::int64_t bufferBytes = bufferElements * (integerLinear ? 2 : 4);
  const AlignedAllocator& bufferAllocator = integerLinear ? kAligned16s : set.words;
  for (int b = 0; b < bufferCount; ++b) {
    s.buffers[b] = MakeAligned<std::uint8_t>(bufferBytes, bufferAllocator);
    if (!s.buffers[b]) {
      return StsAllocFailed;
    }
    args.rowBuffers[b] = s.buffers[b].get();
  }
  if (interpolation != kResizeNearest && set.passScratch) {
    const std::int64_t vectors =
        interpolation == kResizeSixTap ? 6 : (interpolation == kResizeCubic ? 3 : 2);
    // The work area holds source rows of the taps' span: the rectangle and a few pixels on
    // either side.
    const std::int64_t span = (static_cast<std::int64_t>(roi.width) + 8) * columnScale;
    s.columnScratch =
        MakeAligned<std::uint8_t>(16 * vectors * static_cast<std::int64_t>(width), set.words);
    s.workArea = MakeAligned<float>(4 * (span + 16), set.words);
    if (!s.columnScratch || !s.workArea) {
      return StsAllocFailed;
    }
    args.columnScratch = s.columnScratch.get();
    args.workArea = s.workArea.get();
  }

  if (planar == 0) {
    args.srcBase = static_cast<const std::uint8_t*>(pSrc) + cornerBytes;
    args.dst = pDst;
    pass(args);
    return StsNoError;
  }
  // Planes: the one-channel pass once per plane, with the same tables.
  const auto* sources = static_cast<const void* const*>(pSrc);
  const auto* destinations = static_cast<void* const*>(pDst);
  for (std::int32_t p = 0; p < PlaneCount(channels); ++p) {
    args.srcBase = static_cast<const std::uint8_t*>(sources[p]) + cornerBytes;
    args.dst = destinations[p];
    pass(args);
  }
  return StsNoError;
}
