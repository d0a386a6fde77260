#include "prim/resize/resize_supersample.h"

#include <algorithm>
#include <cmath>

#include "prim/resize/aligned_alloc.h"
#include "prim/resize/resize_driver.h"

namespace {

constexpr double kBias = 1e-7;
// Boxes longer than any image are cut here; cells and rows past the image add nothing anyway.
constexpr double kLongestBox = 4611686018427387904.0;  // 2^62

SuperAxis MakeAxis(double factor) {
  const double scale = 1.0 / factor;
  if (!(scale < kLongestBox)) {
    return {scale, static_cast<std::int64_t>(kLongestBox), 0.0};
  }
  const double whole = std::floor(scale);
  return {scale, static_cast<std::int64_t>(whole), scale - whole};
}

// Number of whole pixels after a cut one: n = floor(rest + 1e-7), kept in range.
std::int64_t WholeCount(double rest) {
  const double n = std::floor(rest + kBias);
  if (!(n > 0.0)) {
    return 0;
  }
  return n < kLongestBox ? static_cast<std::int64_t>(n) : static_cast<std::int64_t>(kLongestBox);
}

// One box along an axis: a weighted first pixel (or none), whole pixels, a weighted last one.
// `first` is where the box starts; the walker moves `next` to the start of the following box.
struct Box {
  std::int64_t first;
  double firstWeight;  // 0 when the first pixel is not part of the box
  std::int64_t whole;  // whole pixels after the first (or from `first` when firstWeight is 0)
  double lastWeight;   // weight of the pixel after the whole ones, 0 for none
};

// Walks the boxes of one axis the way every kernel set does: the carried fraction of the cut
// pixel decides the weights, and the walk always moves past a cut pixel, so a fraction that
// rounds to 1 never counts that pixel twice.
class BoxWalker {
 public:
  explicit BoxWalker(const SuperAxis& axis) : axis_(axis) {}

  Box Next() {
    Box box{};
    if (first_) {
      first_ = false;
      box = {0, 0.0, axis_.whole, axis_.fraction};
      position_ = axis_.whole;
      carried_ = axis_.fraction;
      return box;
    }
    const double lead = 1.0 - carried_;
    const double rest = axis_.scale - lead;
    const std::int64_t n = WholeCount(rest);
    const double cut = rest - static_cast<double>(n);
    box.first = position_;
    box.firstWeight = lead > kBias ? lead : 0.0;
    box.whole = n;
    box.lastWeight = cut > kBias ? cut : 0.0;
    position_ += 1 + n;
    carried_ = cut;
    return box;
  }

 private:
  SuperAxis axis_;
  bool first_ = true;
  std::int64_t position_ = 0;
  double carried_ = 0.0;
};

// Pixels of a box as (index, weight) pairs; a first pixel with weight 0 is skipped, whole
// pixels weigh 1. Indexes at or past `limit` are outside the image and add nothing.
template <class Visit>
void ForEachInBox(const Box& box, bool weighted, std::int64_t limit, Visit&& visit) {
  std::int64_t index = box.first;
  if (weighted) {
    if (box.firstWeight > 0.0 && index < limit) {
      visit(index, box.firstWeight);
    }
    ++index;
  }
  const std::int64_t end = std::min(index + box.whole, limit);
  for (; index < end; ++index) {
    visit(index, 1.0);
  }
  index = box.first + (weighted ? 1 : 0) + box.whole;
  if (box.lastWeight > 0.0 && index < limit) {
    visit(index, box.lastWeight);
  }
}

std::uint8_t RoundToByte(double v) {
  return static_cast<std::uint8_t>(std::clamp(v + 0.5, 0.0, 255.0));
}

// Whole scales in both directions: exact integer sums in 64-bit cells, so no box wraps.
void SuperWhole8uC3(const std::uint8_t* src, std::int32_t srcStep, std::uint8_t* dst,
                    std::int32_t dstStep, std::int32_t width, std::int32_t height,
                    std::int32_t readWidth, std::int32_t roiHeight, const SuperAxis& sx,
                    const SuperAxis& sy, double norm, std::int32_t stride, std::uint64_t* cells) {
  std::int64_t row = 0;
  for (std::int32_t j = 0; j < height; ++j, dst += dstStep) {
    std::fill(cells, cells + 3 * static_cast<std::ptrdiff_t>(readWidth), 0);
    const std::int64_t rows =
        std::min<std::int64_t>(sy.whole, std::max<std::int64_t>(0, roiHeight - row));
    if (rows > 0) {
      ResizeSuperHelper4_Sse(src + row * srcStep, srcStep, readWidth, rows, cells, stride);
    }
    row += sy.whole;
    for (std::int32_t k = 0; k < width; ++k) {
      const std::int64_t begin = std::min<std::int64_t>(k * sx.whole, readWidth);
      const std::int64_t end = std::min<std::int64_t>(begin + sx.whole, readWidth);
      for (int c = 0; c < 3; ++c) {
        std::uint64_t sum = 0;
        for (std::int64_t x = begin; x < end; ++x) {
          sum += cells[3 * x + c];
        }
        dst[stride * static_cast<std::ptrdiff_t>(k) + c] =
            RoundToByte(static_cast<double>(sum) * norm);
      }
    }
  }
}

// Fractional scales: double weights and products, float cells rounded at each store.
void SuperWeighted8uC3(const std::uint8_t* src, std::int32_t srcStep, std::uint8_t* dst,
                       std::int32_t dstStep, std::int32_t width, std::int32_t height,
                       std::int32_t readWidth, std::int32_t roiHeight, const SuperAxis& sx,
                       const SuperAxis& sy, double norm, std::int32_t stride, float* cells) {
  const bool rowsWeighted = sy.fraction != 0.0;
  const bool columnsWeighted = sx.fraction != 0.0;
  BoxWalker rowWalker(sy);
  std::int64_t wholeRowsStart = 0;
  for (std::int32_t j = 0; j < height; ++j, dst += dstStep) {
    std::fill(cells, cells + 3 * static_cast<std::ptrdiff_t>(readWidth), 0.0f);
    Box rowBox{};
    if (rowsWeighted) {
      rowBox = rowWalker.Next();
    } else {
      rowBox = {wholeRowsStart, 0.0, sy.whole, 0.0};
      wholeRowsStart += sy.whole;
    }
    // The first box of a walk has no leading cut pixel.
    const bool leadingCut = rowsWeighted && j > 0;
    ForEachInBox(rowBox, leadingCut, roiHeight, [&](std::int64_t y, double w) {
      const std::uint8_t* s = src + y * srcStep;
      for (std::int32_t x = 0; x < readWidth; ++x) {
        for (int c = 0; c < 3; ++c) {
          float& cell = cells[3 * x + c];
          cell = static_cast<float>(static_cast<double>(cell) + w * s[stride * x + c]);
        }
      }
    });
    BoxWalker columnWalker(sx);
    for (std::int32_t k = 0; k < width; ++k) {
      Box columnBox{};
      if (columnsWeighted) {
        columnBox = columnWalker.Next();
      } else {
        columnBox = {k * sx.whole, 0.0, sx.whole, 0.0};
      }
      const bool leading = columnsWeighted && k > 0;
      for (int c = 0; c < 3; ++c) {
        double sum = 0.0;
        ForEachInBox(columnBox, leading, readWidth,
                     [&](std::int64_t x, double w) { sum += w * cells[3 * x + c]; });
        const float stored = static_cast<float>(sum);
        dst[stride * static_cast<std::ptrdiff_t>(k) + c] = RoundToByte(stored * norm);
      }
    }
  }
}

PrimStatus CheckSuperArguments(const void* pSrc, PrimSize srcSize, std::int32_t srcStep,
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
  // A factor not above 0 (or not a number) has no box; above 1 it would not shrink.
  if (!(xFactor > 0.0) || !(yFactor > 0.0)) {
    return StsBadFactor;
  }
  if (xFactor > 1.0 || yFactor > 1.0) {
    return StsBadInterpolation;
  }
  return StsNoError;
}

}  // namespace

void ResizeSuperHelper4_Sse(const std::uint8_t* src, std::int32_t srcStep, std::int32_t pixels,
                            std::int64_t rows, std::uint64_t* cells, std::int32_t stride) {
  for (std::int64_t r = 0; r < rows; ++r, src += srcStep) {
    for (std::int32_t x = 0; x < pixels; ++x) {
      const std::uint8_t* p = src + stride * static_cast<std::ptrdiff_t>(x);
      cells[3 * x] += p[0];
      cells[3 * x + 1] += p[1];
      cells[3 * x + 2] += p[2];
    }
  }
}

PrimStatus ResizeSuperSample(const void* pSrc, PrimSize srcSize, std::int32_t srcStep,
                             PrimRect srcRoi, void* pDst, std::int32_t dstStep, PrimSize dstRoiSize,
                             double xFactor, double yFactor, std::int32_t pixelElements,
                             std::int32_t channels, std::int32_t dataType, std::int32_t planar,
                             std::int32_t sizeMode) {
  const PrimStatus checked = CheckSuperArguments(pSrc, srcSize, srcStep, srcRoi, pDst, dstStep,
                                                 dstRoiSize, xFactor, yFactor);
  if (checked != StsNoError) {
    return checked;
  }
  // Only packed 8-bit three-channel data sized by ratio is built.
  if (dataType != kResizeData8u || planar != 0 || sizeMode != 1 || channels != 3 ||
      pixelElements < 3) {
    return StsBadInterpolation;
  }
  PrimRect roi = srcRoi;
  roi.width = std::min(roi.width, srcSize.width - roi.x);
  roi.height = std::min(roi.height, srcSize.height - roi.y);
  const std::int32_t width = ResizeUsedLength(roi.width, xFactor, dstRoiSize.width);
  const std::int32_t height = ResizeUsedLength(roi.height, yFactor, dstRoiSize.height);
  const SuperAxis sx = MakeAxis(xFactor);
  const SuperAxis sy = MakeAxis(yFactor);
  const double norm = xFactor * yFactor;
  const double reach = (static_cast<double>(width) + 1.0) * sx.scale;
  const std::int32_t readWidth =
      reach < roi.width ? std::min(static_cast<std::int32_t>(reach) + 1, roi.width) : roi.width;

  const auto* src = static_cast<const std::uint8_t*>(pSrc) +
                    static_cast<std::ptrdiff_t>(roi.y) * srcStep +
                    static_cast<std::ptrdiff_t>(roi.x) * pixelElements;
  auto* dst = static_cast<std::uint8_t*>(pDst);
  const std::int64_t cellCount = 3 * static_cast<std::int64_t>(readWidth);
  if (sx.fraction == 0.0 && sy.fraction == 0.0) {
    const AlignedPtr<std::uint64_t> cells = MakeAligned<std::uint64_t>(cellCount);
    if (!cells) {
      return StsAllocFailed;
    }
    SuperWhole8uC3(src, srcStep, dst, dstStep, width, height, readWidth, roi.height, sx, sy, norm,
                   pixelElements, cells.get());
    return StsNoError;
  }
  const AlignedPtr<float> cells = MakeAligned<float>(cellCount);
  if (!cells) {
    return StsAllocFailed;
  }
  SuperWeighted8uC3(src, srcStep, dst, dstStep, width, height, readWidth, roi.height, sx, sy, norm,
                    pixelElements, cells.get());
  return StsNoError;
}

PrimStatus ResizeSuperSample_Generic(const void* pSrc, PrimSize srcSize, std::int32_t srcStep,
                                     PrimRect srcRoi, void* pDst, std::int32_t dstStep,
                                     PrimSize dstRoiSize, double xFactor, double yFactor,
                                     std::int32_t pixelElements, std::int32_t channels,
                                     std::int32_t dataType, std::int32_t planar,
                                     std::int32_t sizeMode) {
  return ResizeSuperSample(pSrc, srcSize, srcStep, srcRoi, pDst, dstStep, dstRoiSize, xFactor,
                           yFactor, pixelElements, channels, dataType, planar, sizeMode);
}

PrimStatus ResizeSuperSample_Sse(const void* pSrc, PrimSize srcSize, std::int32_t srcStep,
                                 PrimRect srcRoi, void* pDst, std::int32_t dstStep,
                                 PrimSize dstRoiSize, double xFactor, double yFactor,
                                 std::int32_t pixelElements, std::int32_t channels,
                                 std::int32_t dataType, std::int32_t planar,
                                 std::int32_t sizeMode) {
  return ResizeSuperSample(pSrc, srcSize, srcStep, srcRoi, pDst, dstStep, dstRoiSize, xFactor,
                           yFactor, pixelElements, channels, dataType, planar, sizeMode);
}

PrimStatus ResizeSuperSample_Sse2(const void* pSrc, PrimSize srcSize, std::int32_t srcStep,
                                  PrimRect srcRoi, void* pDst, std::int32_t dstStep,
                                  PrimSize dstRoiSize, double xFactor, double yFactor,
                                  std::int32_t pixelElements, std::int32_t channels,
                                  std::int32_t dataType, std::int32_t planar,
                                  std::int32_t sizeMode) {
  return ResizeSuperSample(pSrc, srcSize, srcStep, srcRoi, pDst, dstStep, dstRoiSize, xFactor,
                           yFactor, pixelElements, channels, dataType, planar, sizeMode);
}

PrimStatus ResizeSuperSample_Sse3(const void* pSrc, PrimSize srcSize, std::int32_t srcStep,
                                  PrimRect srcRoi, void* pDst, std::int32_t dstStep,
                                  PrimSize dstRoiSize, double xFactor, double yFactor,
                                  std::int32_t pixelElements, std::int32_t channels,
                                  std::int32_t dataType, std::int32_t planar,
                                  std::int32_t sizeMode) {
  return ResizeSuperSample(pSrc, srcSize, srcStep, srcRoi, pDst, dstStep, dstRoiSize, xFactor,
                           yFactor, pixelElements, channels, dataType, planar, sizeMode);
}
