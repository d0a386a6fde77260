#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "prim/resize/resize_filters.h"
#include "prim/resize/resize_rings.h"

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

namespace {

void BuildCoeffsGeneric(double fraction, float* weights) {
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

}  // namespace

void ResizeBuildCoeffs_Generic(const double* fractions, std::int32_t count, float* coeffs) {
  for (std::int32_t k = 0; k < count; ++k) {
    BuildCoeffsGeneric(fractions[k], coeffs + 6 * static_cast<std::ptrdiff_t>(k));
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

void ResizeSixTapPass_8u_C3_Generic(const ResizePassArgs& a) {
  const auto* src = static_cast<const std::uint8_t*>(a.srcBase);
  auto* dst = static_cast<std::uint8_t*>(a.dst);
  const auto* rowCoeffs = static_cast<const float*>(a.rowWeights);
  const auto* columnCoeffs = static_cast<const float*>(a.columnWeights);
  resize::RunSixTapWindow(
      a, 3 * static_cast<std::ptrdiff_t>(a.width),
      [&](std::ptrdiff_t offset, float* out) {
        ResizeSixTapWorker5_8u_Generic(src + offset, a.columnOffsets, columnCoeffs, out, a.width,
                                       a.pixelsLeft, a.pixelsRight, a.pixelElements);
      },
      [&](std::int32_t r, const std::array<float*, 6>& ring) {
        const std::array<const float*, 6> rows{ring[0], ring[1], ring[2],
                                               ring[3], ring[4], ring[5]};
        ResizeSixTapWorker2_8u_Generic(dst + r * a.dstStep, 3 * a.width,
                                       rowCoeffs + 6 * static_cast<std::ptrdiff_t>(r), rows.data());
      });
}
