#include "prim/resize/resize_driver.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "prim/resize/aligned_alloc.h"

namespace {

constexpr double kBias = 1e-7;  // positions and sizes become integers as trunc(v + 1e-7)

bool IsDriverInterpolation(std::int32_t interpolation) {
  return interpolation == kResizeNearest || interpolation == kResizeLinear ||
         interpolation == kResizeCubic || interpolation == kResizeSixTap;
}

// Arguments in the order they are checked; 0 when every check passes.
PrimStatus CheckArguments(const void* pSrc, PrimSize srcSize, std::int32_t srcStep, PrimRect roi,
                          const void* pDst, std::int32_t dstStep, PrimSize dstSize, double xFactor,
                          double yFactor, std::int32_t interpolation) {
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
  if (!IsDriverInterpolation(interpolation)) {
    return StsBadInterpolation;
  }
  return StsNoError;
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

}  // namespace

// The product is compared in double, so no huge value is ever converted to an integer.
std::int32_t ResizeUsedLength(std::int32_t rectLength, double factor, std::int32_t dstLength) {
  const double scaled = static_cast<double>(rectLength) * factor + kBias;
  if (!(scaled < static_cast<double>(dstLength))) {
    return dstLength;
  }
  return std::max<std::int32_t>(1, static_cast<std::int32_t>(scaled));
}

// However far a tiny factor pushes a position, its index stays inside the rectangle.
std::int32_t ResizeClampedIndex(double position, std::int32_t length) {
  const double biased = position + kBias;
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

AxisMap MapAxis(std::int32_t interpolation, std::int32_t rectLength, double factor, double shift) {
  if (interpolation == kResizeNearest) {
    const double step = 1.0 / factor;
    return {0.5 * step + shift, step};
  }
  const double scaled = static_cast<double>(rectLength) * factor;
  const double step = scaled > 1.0 ? (rectLength - 1) / (scaled - 1.0) : 0.0;
  return {shift, step};
}

// Walks the source positions of one axis and hands each destination index k its clamped
// source index i (relative to the rectangle) and its position p, held inside the rectangle.
template <class Visit>
void ForEachPosition(AxisMap map, std::int32_t used, std::int32_t rectLength, Visit&& visit) {
  double position = map.start;
  for (std::int32_t k = 0; k < used; ++k, position += map.step) {
    const std::int32_t i = ResizeClampedIndex(position, rectLength);
    visit(k, i, std::min(position, static_cast<double>(rectLength - 1)));
  }
}

// Linear taps: at the image's last pixel the pair moves one left with weights (0, 16384).
// `origin` is the rectangle's first pixel in the image, `last` the image's last pixel.
void LinearTap(std::int32_t i, double p, std::int32_t origin, std::int32_t last,
               std::int32_t& index, std::int16_t& secondWeight) {
  if (origin + i >= last) {
    index = i - 1;
    secondWeight = 16384;
    return;
  }
  index = i;
  secondWeight = static_cast<std::int16_t>(std::clamp((p - i) * 16384.0 + kBias, 0.0, 16384.0));
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

std::int32_t PassIndex(std::int32_t interpolation, std::int32_t dataType, std::int32_t channels) {
  int group = kPassGroupNearest;
  switch (interpolation) {
    case kResizeLinear:
      group = kPassGroupLinear;
      break;
    case kResizeCubic:
      group = kPassGroupCubic;
      break;
    case kResizeSixTap:
      group = kPassGroupSixTap;
      break;
    default:
      break;
  }
  int index = group + dataType;
  if (channels == 1) {
    index += 3;
  } else if (channels == 4 && group == kPassGroupNearest) {
    index += 6;
  }
  return index;
}

// Elements per row buffer: one destination row plus four spare pixels.
std::int64_t RowBufferElements(std::int32_t width, std::int32_t channels) {
  const std::int64_t perPixel = channels == 1 ? 1 : (channels == 4 ? 4 : 3);
  return perPixel * (static_cast<std::int64_t>(width) + 4);
}

// Tables and buffers of one call, owned here and released on every way out.
struct Scratch {
  AlignedPtr<std::ptrdiff_t> rowOffsets;
  AlignedPtr<std::ptrdiff_t> columnOffsets;
  AlignedPtr<std::int16_t> rowWeights;
  AlignedPtr<std::int16_t> columnWeights;
  AlignedPtr<float> rowFloats;
  AlignedPtr<float> columnFloats;
  std::array<AlignedPtr<std::uint8_t>, 6> buffers;
};

}  // namespace

PrimStatus ResizeInterpolate(const ResizeKernelSet& set, const void* pSrc, PrimSize srcSize,
                             std::int32_t srcStep, PrimRect srcRoi, void* pDst,
                             std::int32_t dstStep, PrimSize dstRoiSize, double xFactor,
                             double yFactor, double xShift, double yShift,
                             std::int32_t pixelElements, std::int32_t channels,
                             std::int32_t dataType, std::int32_t planar, std::int32_t interpolation,
                             std::int32_t sizeMode) {
  const PrimStatus checked = CheckArguments(pSrc, srcSize, srcStep, srcRoi, pDst, dstStep,
                                            dstRoiSize, xFactor, yFactor, interpolation);
  if (checked != StsNoError) {
    return checked;
  }
  // Only packed data sized by ratio is built. Four-channel filtering would reach the
  // three-channel entries of the table, whose passes treat three channels only, and the
  // filtering passes write whole rows, so they need pixels without a spare element.
  if (planar != 0 || sizeMode != 1 || dataType < kResizeData8u || dataType > kResizeData32f ||
      pixelElements < channels || (channels != 1 && channels != 3 && channels != 4) ||
      (interpolation != kResizeNearest && (pixelElements != channels || channels == 4))) {
    return StsBadInterpolation;
  }
  interpolation = DowngradeInterpolation(interpolation, srcSize);
  const ResizePassFn pass = (*set.passTable)[PassIndex(interpolation, dataType, channels)];
  if (pass == nullptr) {
    return StsBadInterpolation;
  }

  PrimRect roi = srcRoi;
  roi.width = std::min(roi.width, srcSize.width - roi.x);
  roi.height = std::min(roi.height, srcSize.height - roi.y);
  const std::int32_t width = ResizeUsedLength(roi.width, xFactor, dstRoiSize.width);
  const std::int32_t height = ResizeUsedLength(roi.height, yFactor, dstRoiSize.height);

  const std::int32_t elementSize = dataType == kResizeData8u ? 1 : (dataType == 1 ? 2 : 4);
  const std::ptrdiff_t srcStepElements = srcStep / elementSize;
  const std::ptrdiff_t dstStepElements = dstStep / elementSize;
  const auto* srcBase = static_cast<const std::uint8_t*>(pSrc) +
                        static_cast<std::ptrdiff_t>(roi.y) * srcStep +
                        static_cast<std::ptrdiff_t>(roi.x) * pixelElements * elementSize;

  const AxisMap columnMap = MapAxis(interpolation, roi.width, xFactor, xShift);
  const AxisMap rowMap = MapAxis(interpolation, roi.height, yFactor, yShift);
  const std::int32_t lastColumn = srcSize.width - 1;
  const std::int32_t lastRow = srcSize.height - 1;
  const std::ptrdiff_t columnScale = channels == 1 ? 1 : pixelElements;

  Scratch s;
  s.rowOffsets = MakeAligned<std::ptrdiff_t>(height);
  s.columnOffsets = MakeAligned<std::ptrdiff_t>(width);
  if (!s.rowOffsets || !s.columnOffsets) {
    return StsAllocFailed;
  }
  std::ptrdiff_t* rowOffsets = s.rowOffsets.get();
  std::ptrdiff_t* columnOffsets = s.columnOffsets.get();

  ResizePassArgs args{};
  args.srcBase = srcBase;
  args.dst = pDst;
  args.srcStep = srcStepElements;
  args.dstStep = dstStepElements;
  args.width = width;
  args.height = height;
  args.rowOffsets = s.rowOffsets.get();
  args.columnOffsets = s.columnOffsets.get();
  args.pixelElements = pixelElements;
  args.channels = channels;
  args.pixelsLeft = roi.x;
  args.rowsAbove = roi.y;
  args.pixelsRight = srcSize.width - roi.x;
  args.rowsBelow = srcSize.height - roi.y;
  args.rowFlag = yFactor < 1.0 ? 0 : 1;

  const std::int64_t bufferElements = RowBufferElements(width, channels);
  int bufferCount = 0;
  std::int64_t bufferBytes = 0;
  switch (interpolation) {
    case kResizeNearest: {
      ForEachPosition(columnMap, width, roi.width, [&](std::int32_t k, std::int32_t i, double) {
        columnOffsets[k] = i * columnScale;
      });
      ForEachPosition(rowMap, height, roi.height, [&](std::int32_t k, std::int32_t i, double) {
        rowOffsets[k] = i * srcStepElements;
      });
      // Wide moves may read one element past a pixel that is not the image's last in its row.
      const std::ptrdiff_t lastOffset = (lastColumn - roi.x) * columnScale;
      std::int32_t wide = 0;
      while (wide < width - 1 && columnOffsets[wide] < lastOffset) {
        ++wide;
      }
      args.wideColumns = wide;
      break;
    }
    case kResizeLinear: {
      s.rowWeights = MakeAligned<std::int16_t>(height);
      s.columnWeights = MakeAligned<std::int16_t>(2 * static_cast<std::int64_t>(width));
      if (!s.rowWeights || !s.columnWeights) {
        return StsAllocFailed;
      }
      std::int16_t* rowWeights = s.rowWeights.get();
      std::int16_t* columnWeights = s.columnWeights.get();
      ForEachPosition(columnMap, width, roi.width, [&](std::int32_t k, std::int32_t i, double p) {
        std::int32_t index = 0;
        std::int16_t second = 0;
        LinearTap(i, p, roi.x, lastColumn, index, second);
        columnOffsets[k] = index * columnScale;
        columnWeights[2 * k] = static_cast<std::int16_t>(16384 - second);
        columnWeights[2 * k + 1] = second;
      });
      ForEachPosition(rowMap, height, roi.height, [&](std::int32_t k, std::int32_t i, double p) {
        std::int32_t index = 0;
        LinearTap(i, p, roi.y, lastRow, index, rowWeights[k]);
        rowOffsets[k] = index * srcStepElements;
      });
      args.rowWeights = rowWeights;
      args.columnWeights = columnWeights;
      bufferCount = 2;
      bufferBytes = bufferElements * (dataType == kResizeData32f ? 4 : 2);
      break;
    }
    case kResizeCubic: {
      s.rowFloats = MakeAligned<float>(height);
      s.columnFloats = MakeAligned<float>(width);
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
      bufferBytes = bufferElements * 4;
      break;
    }
    default: {  // six-tap
      s.rowFloats = MakeAligned<float>(6 * static_cast<std::int64_t>(height));
      s.columnFloats = MakeAligned<float>(6 * static_cast<std::int64_t>(width));
      if (!s.rowFloats || !s.columnFloats) {
        return StsAllocFailed;
      }
      float* rowCoeffs = s.rowFloats.get();
      float* columnCoeffs = s.columnFloats.get();
      ForEachPosition(columnMap, width, roi.width, [&](std::int32_t k, std::int32_t i, double p) {
        columnOffsets[k] = i * columnScale;
        set.buildCoeffs(p - i, columnCoeffs + 6 * static_cast<std::ptrdiff_t>(k));
      });
      ForEachPosition(rowMap, height, roi.height, [&](std::int32_t k, std::int32_t i, double p) {
        rowOffsets[k] = i * srcStepElements;
        set.buildCoeffs(p - i, rowCoeffs + 6 * static_cast<std::ptrdiff_t>(k));
      });
      args.rowWeights = rowCoeffs;
      args.columnWeights = columnCoeffs;
      bufferCount = 6;
      bufferBytes = bufferElements * 4;
      break;
    }
  }
  for (int b = 0; b < bufferCount; ++b) {
    s.buffers[b] = MakeAligned<std::uint8_t>(bufferBytes);
    if (!s.buffers[b]) {
      return StsAllocFailed;
    }
    args.rowBuffers[b] = s.buffers[b].get();
  }

  pass(args);
  return StsNoError;
}

PrimStatus ResizeInterpolate_Generic(const void* pSrc, PrimSize srcSize, std::int32_t srcStep,
                                     PrimRect srcRoi, void* pDst, std::int32_t dstStep,
                                     PrimSize dstRoiSize, double xFactor, double yFactor,
                                     double xShift, double yShift, std::int32_t pixelElements,
                                     std::int32_t channels, std::int32_t dataType,
                                     std::int32_t planar, std::int32_t interpolation,
                                     std::int32_t sizeMode) {
  return ResizeInterpolate(kResizeKernelsGeneric, pSrc, srcSize, srcStep, srcRoi, pDst, dstStep,
                           dstRoiSize, xFactor, yFactor, xShift, yShift, pixelElements, channels,
                           dataType, planar, interpolation, sizeMode);
}

PrimStatus ResizeInterpolate_Sse(const void* pSrc, PrimSize srcSize, std::int32_t srcStep,
                                 PrimRect srcRoi, void* pDst, std::int32_t dstStep,
                                 PrimSize dstRoiSize, double xFactor, double yFactor, double xShift,
                                 double yShift, std::int32_t pixelElements, std::int32_t channels,
                                 std::int32_t dataType, std::int32_t planar,
                                 std::int32_t interpolation, std::int32_t sizeMode) {
  return ResizeInterpolate(kResizeKernelsSse, pSrc, srcSize, srcStep, srcRoi, pDst, dstStep,
                           dstRoiSize, xFactor, yFactor, xShift, yShift, pixelElements, channels,
                           dataType, planar, interpolation, sizeMode);
}

PrimStatus ResizeInterpolate_Sse2(const void* pSrc, PrimSize srcSize, std::int32_t srcStep,
                                  PrimRect srcRoi, void* pDst, std::int32_t dstStep,
                                  PrimSize dstRoiSize, double xFactor, double yFactor,
                                  double xShift, double yShift, std::int32_t pixelElements,
                                  std::int32_t channels, std::int32_t dataType, std::int32_t planar,
                                  std::int32_t interpolation, std::int32_t sizeMode) {
  return ResizeInterpolate(kResizeKernelsSse2, pSrc, srcSize, srcStep, srcRoi, pDst, dstStep,
                           dstRoiSize, xFactor, yFactor, xShift, yShift, pixelElements, channels,
                           dataType, planar, interpolation, sizeMode);
}

PrimStatus ResizeInterpolate_Sse3(const void* pSrc, PrimSize srcSize, std::int32_t srcStep,
                                  PrimRect srcRoi, void* pDst, std::int32_t dstStep,
                                  PrimSize dstRoiSize, double xFactor, double yFactor,
                                  double xShift, double yShift, std::int32_t pixelElements,
                                  std::int32_t channels, std::int32_t dataType, std::int32_t planar,
                                  std::int32_t interpolation, std::int32_t sizeMode) {
  return ResizeInterpolate(kResizeKernelsSse3, pSrc, srcSize, srcStep, srcRoi, pDst, dstStep,
                           dstRoiSize, xFactor, yFactor, xShift, yShift, pixelElements, channels,
                           dataType, planar, interpolation, sizeMode);
}
