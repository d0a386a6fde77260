#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "prim/resize/resize_filters.h"

namespace {

std::array<float, kResizeLanczos3TableSize> MakeLanczos3Table() {
  std::array<float, kResizeLanczos3TableSize> table{};
  table[0] = 1.0f;
  for (int n = 1; n < 300; ++n) {
    if (n % 100 == 0) {
      continue;  // the zeros of the window are exact
    }
    const double x = n / 100.0;
    const double px = std::numbers::pi * x;
    table[n] = static_cast<float>(3.0 * std::sin(px) * std::sin(px / 3.0) / (px * px));
  }
  return table;  // entries 300..304 stay 0
}

std::uint8_t TruncateToByte(double v) {
  return static_cast<std::uint8_t>(std::clamp(v + 1e-7, 0.0, 255.0));
}

}  // namespace

const float* ResizeLanczos3Table() {
  static const std::array<float, kResizeLanczos3TableSize> table = MakeLanczos3Table();
  return table.data();
}

void ResizeBuildCoeffs_Generic(double fraction, float* weights) {
  const float* table = ResizeLanczos3Table();
  for (int j = 0; j < 6; ++j) {
    const double d = (j - 2) - fraction;
    if (!(d > -3.0 && d < 3.0)) {
      weights[j] = 0.0f;
      continue;
    }
    const double scaled = std::fabs(d) * 100.0;
    const int n = static_cast<int>(scaled);
    weights[j] = static_cast<float>(table[n] +
                                    (scaled - n) * (static_cast<double>(table[n + 1]) - table[n]));
  }
}

void ResizeSixTapWorker5_8u_Generic(const std::uint8_t* src, const std::ptrdiff_t* xoff,
                                    const float* coeffs, float* out, std::int32_t count,
                                    std::int32_t pixelsLeft, std::int32_t pixelsRight,
                                    std::int32_t stride) {
  // Taps are clamped to the image, so its edge pixels are repeated.
  const std::ptrdiff_t lowest = -static_cast<std::ptrdiff_t>(std::min(pixelsLeft, 2));
  const std::ptrdiff_t highest = static_cast<std::ptrdiff_t>(pixelsRight) - 1;
  for (std::int32_t k = 0; k < count; ++k) {
    const std::ptrdiff_t x = xoff[k] / stride;
    const float* c = coeffs + 6 * static_cast<std::ptrdiff_t>(k);
    std::array<const std::uint8_t*, 6> taps{};
    for (int j = 0; j < 6; ++j) {
      taps[j] = src + std::clamp<std::ptrdiff_t>(x + j - 2, lowest, highest) * stride;
    }
    for (int ch = 0; ch < 3; ++ch) {
      double sum = 0.0;
      for (int j = 0; j < 6; ++j) {
        sum += static_cast<double>(c[j]) * taps[j][ch];
      }
      out[3 * k + ch] = static_cast<float>(sum);
    }
  }
}

void ResizeSixTapWorker2_8u_Generic(std::uint8_t* dst, std::int32_t count, const float* coeffs,
                                    const float* const* rows) {
  for (std::int32_t e = 0; e < count; ++e) {
    double sum = 0.0;
    for (int j = 0; j < 6; ++j) {
      sum += static_cast<double>(coeffs[j]) * rows[j][e];
    }
    dst[e] = TruncateToByte(sum);
  }
}

// Six buffers hold stencil rows -2..+3 around `held`. Rows outside the image are its edge
// rows again. When the stencil moves down, rows it still needs keep their buffers.
void ResizeSixTapPass_8u_C3_Generic(const ResizePassArgs& a) {
  if (a.width < 1 || a.height < 1) {
    return;
  }
  const auto* src = static_cast<const std::uint8_t*>(a.srcBase);
  auto* dst = static_cast<std::uint8_t*>(a.dst);
  const auto* rowCoeffs = static_cast<const float*>(a.rowWeights);
  const auto* columnCoeffs = static_cast<const float*>(a.columnWeights);
  std::array<float*, 6> ring{};
  for (int b = 0; b < 6; ++b) {
    ring[b] = static_cast<float*>(a.rowBuffers[b]);
  }
  const std::ptrdiff_t firstRow = -static_cast<std::ptrdiff_t>(a.rowsAbove);
  const std::ptrdiff_t lastRow = static_cast<std::ptrdiff_t>(a.rowsBelow) - 1;
  const auto fill = [&](std::ptrdiff_t centre, int from) {
    for (int b = from; b < 6; ++b) {
      const std::ptrdiff_t row = std::clamp<std::ptrdiff_t>(centre + b - 2, firstRow, lastRow);
      ResizeSixTapWorker5_8u_Generic(src + row * a.srcStep, a.columnOffsets, columnCoeffs, ring[b],
                                     a.width, a.pixelsLeft, a.pixelsRight, a.pixelElements);
    }
  };
  std::ptrdiff_t held = a.rowOffsets[0] / a.srcStep;
  fill(held, 0);
  for (std::int32_t r = 0; r < a.height; ++r) {
    const std::ptrdiff_t centre = a.rowOffsets[r] / a.srcStep;
    if (centre != held) {
      const std::ptrdiff_t advance = centre - held;
      if (advance >= 6) {
        fill(centre, 0);
      } else {
        std::rotate(ring.begin(), ring.begin() + advance, ring.end());
        fill(centre, 6 - static_cast<int>(advance));
      }
      held = centre;
    }
    const std::array<const float*, 6> rows{ring[0], ring[1], ring[2], ring[3], ring[4], ring[5]};
    ResizeSixTapWorker2_8u_Generic(dst + r * a.dstStep, 3 * a.width,
                                   rowCoeffs + 6 * static_cast<std::ptrdiff_t>(r), rows.data());
  }
}
