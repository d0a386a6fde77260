#include "prim/resize/resize_supersample.h"

#include <algorithm>
#include <cmath>

#include "prim/resize/resize_driver.h"
#include "prim/resize/resize_super_kernel.h"

namespace {

// The shared checks (a factor not above 0 has no box), then the factors' range.
PrimStatus CheckSuperArguments(const void* pSrc, PrimSize srcSize, std::int32_t srcStep,
                               PrimRect roi, const void* pDst, std::int32_t dstStep,
                               PrimSize dstSize, double xFactor, double yFactor, bool ratio) {
  const PrimStatus status =
      ResizeCheckArguments(pSrc, srcSize, srcStep, roi, pDst, dstStep, dstSize, xFactor, yFactor);
  if (status != StsNoError) {
    return status;
  }
  // Boxes must hold at least one whole pixel: a ratio above 1 would enlarge (the general
  // driver's case), a step below 1 is not a box.
  if (ratio && (xFactor > 1.0 || yFactor > 1.0)) {
    return StsBadInterpolation;
  }
  if (!ratio && (xFactor < 1.0 || yFactor < 1.0)) {
    return StsBadFactor;
  }
  return StsNoError;
}

// The shared data and plane checks; then layout 1 takes one element per pixel, layout 4 four,
// any other three channels of pixels of at least three elements.
PrimStatus CheckSuperLayout(const void* pSrc, const void* pDst, std::int32_t pixelElements,
                            std::int32_t channels, std::int32_t dataType, std::int32_t planar) {
  const PrimStatus status = ResizeCheckDataAndPlanes(pSrc, pDst, channels, dataType, planar);
  if (status != StsNoError || planar != 0) {
    return status;
  }
  const bool valid = channels == 1   ? pixelElements == 1
                     : channels == 4 ? pixelElements == 4
                                     : pixelElements >= 3;
  return valid ? StsNoError : StsBadInterpolation;
}

// Destination length when the factor is source pixels per destination pixel: the boxes that
// start inside the rectangle, compared in double so that no huge value is converted.
std::int32_t StepUsedLength(std::int32_t rectLength, double step, std::int32_t dstLength) {
  const double last = static_cast<double>(rectLength - 1) / step + kResizeBias;
  if (!(static_cast<double>(dstLength) - 1.0 > std::trunc(last))) {
    return dstLength;
  }
  const double count = static_cast<double>(rectLength) / step + kResizeBias;
  return std::max<std::int32_t>(1, static_cast<std::int32_t>(count) + 1);
}

int SuperLayoutIndex(std::int32_t planar, std::int32_t channels) {
  if (planar != 0 || channels == 1) {
    return 1;
  }
  return channels == 4 ? 2 : 0;
}

}  // namespace

PrimStatus ResizeSuperSample(const ResizeSuperKernelSet& set, const AlignedAllocator& words,
                             const void* pSrc, PrimSize srcSize, std::int32_t srcStep,
                             PrimRect srcRoi, void* pDst, std::int32_t dstStep, PrimSize dstRoiSize,
                             double xFactor, double yFactor, std::int32_t pixelElements,
                             std::int32_t channels, std::int32_t dataType, std::int32_t planar,
                             std::int32_t sizeMode) {
  const bool ratio = sizeMode != 0;
  PrimStatus status = CheckSuperArguments(pSrc, srcSize, srcStep, srcRoi, pDst, dstStep, dstRoiSize,
                                          xFactor, yFactor, ratio);
  if (status == StsNoError) {
    status = CheckSuperLayout(pSrc, pDst, pixelElements, channels, dataType, planar);
  }
  if (status != StsNoError) {
    return status;
  }
  const SuperKernelFn kernel = set[dataType + 3 * SuperLayoutIndex(planar, channels)];
  if (kernel == nullptr) {
    return StsBadInterpolation;
  }
  PrimRect roi = srcRoi;
  roi.width = std::min(roi.width, srcSize.width - roi.x);
  roi.height = std::min(roi.height, srcSize.height - roi.y);

  SuperKernelArgs args{};
  args.srcStep = srcStep;
  args.dstStep = dstStep;
  args.rows = roi.height;
  if (ratio) {
    args.width = ResizeUsedLength(roi.width, xFactor, dstRoiSize.width);
    args.height = ResizeUsedLength(roi.height, yFactor, dstRoiSize.height);
    args.x = resize::super::MakeAxis(1.0 / xFactor);
    args.y = resize::super::MakeAxis(1.0 / yFactor);
    args.norm = xFactor * yFactor;
  } else {
    args.width = StepUsedLength(roi.width, xFactor, dstRoiSize.width);
    args.height = StepUsedLength(roi.height, yFactor, dstRoiSize.height);
    args.x = resize::super::MakeAxis(xFactor);
    args.y = resize::super::MakeAxis(yFactor);
    args.norm = 1.0 / (xFactor * yFactor);
  }
  const double reach = (static_cast<double>(args.width) + 1.0) * args.x.scale;
  args.readWidth =
      reach < roi.width ? std::min(static_cast<std::int32_t>(reach) + 1, roi.width) : roi.width;
  args.stride = planar != 0 ? 1 : pixelElements;
  args.words = words;

  const std::int32_t elementSize = dataType == kResizeData8u ? 1 : (dataType == 1 ? 2 : 4);
  const std::ptrdiff_t perPixel = (planar != 0 || channels == 1) ? 1 : pixelElements;
  const std::ptrdiff_t cornerBytes = static_cast<std::ptrdiff_t>(roi.y) * srcStep +
                                     static_cast<std::ptrdiff_t>(roi.x) * perPixel * elementSize;
  if (planar == 0) {
    args.src = static_cast<const std::uint8_t*>(pSrc) + cornerBytes;
    args.dst = pDst;
    return kernel(args);
  }
  // Planes: the one-channel kernel once per plane; the first failure ends the call.
  const auto* sources = static_cast<const void* const*>(pSrc);
  const auto* destinations = static_cast<void* const*>(pDst);
  for (std::int32_t p = 0; p < (channels == 3 ? 3 : 4); ++p) {
    args.src = static_cast<const std::uint8_t*>(sources[p]) + cornerBytes;
    args.dst = destinations[p];
    status = kernel(args);
    if (status != StsNoError) {
      return status;
    }
  }
  return StsNoError;
}

PrimStatus ResizeSuperKernel_8u_C3_Generic(const SuperKernelArgs& args) {
  return resize::super::Kernel<std::uint8_t, 3, resize::super::ScalarRows>(args);
}

void ResizeSuperHelper4_Generic(const void* src, std::int32_t srcStep, std::int32_t pixels,
                                std::int64_t rows, std::uint32_t* cells, std::int32_t stride) {
  resize::super::ScalarRows::AddInteger<std::uint16_t>(static_cast<const std::uint8_t*>(src),
                                                       srcStep, pixels, stride, rows, cells);
}

const ResizeSuperKernelSet kResizeSuperKernelsGeneric{ResizeSuperKernel_8u_C3_Generic};
