#include <algorithm>
#include <array>

#include "prim/resize/resize_filters.h"
#include "prim/resize/resize_rings.h"

namespace {

// Newton weights of the cubic through four samples, evaluated at distance 1 + t from the
// first one.
struct CubicWeights {
  double a;
  double b;
  double c;
};

CubicWeights WeightsFor(double t) {
  const double a = 1.0 + t;
  const double b = t * a * 0.5;
  return {a, b, (t - 1.0) * b / 3.0};
}

double CubicValue(double p0, double p1, double p2, double p3, const CubicWeights& w) {
  const double d1 = p1 - p0;
  const double d2 = (p2 - p1) - (p1 - p0);
  const double d3 = p1 - 2.0 * p2 + p3 - d2;
  return p0 + w.a * d1 + w.b * d2 + w.c * d3;
}

// Truncates toward zero after the 1e-7 bias and clamps to a byte; clamping in double first
// gives the same value and never converts an out-of-range number.
std::uint8_t TruncateToByte(double v) {
  return static_cast<std::uint8_t>(std::clamp(v + 1e-7, 0.0, 255.0));
}

}  // namespace

void ResizeCubicWorker5_8u_Generic(const std::uint8_t* src, std::int32_t count, std::int32_t stride,
                                   const std::ptrdiff_t* xoff, const float* fractions, float* out) {
  for (std::int32_t k = 0; k < count; ++k) {
    const std::uint8_t* p = src + xoff[k];
    const CubicWeights w = WeightsFor(fractions[k]);
    for (int c = 0; c < 3; ++c) {
      out[3 * k + c] =
          static_cast<float>(CubicValue(p[c - stride], p[c], p[c + stride], p[c + 2 * stride], w));
    }
  }
}

void ResizeCubicWorker2_8u_Generic(std::uint8_t* dst, std::int32_t count, float fraction,
                                   const float* row0, const float* row1, const float* row2,
                                   const float* row3) {
  CubicWeights w = WeightsFor(fraction);
  w.c = static_cast<float>(w.c);
  for (std::int32_t e = 0; e < count; ++e) {
    dst[e] = TruncateToByte(CubicValue(row0[e], row1[e], row2[e], row3[e], w));
  }
}

void ResizeCubicPass_8u_C3_Generic(const ResizePassArgs& a) {
  const auto* src = static_cast<const std::uint8_t*>(a.srcBase);
  auto* dst = static_cast<std::uint8_t*>(a.dst);
  const auto* rowFractions = static_cast<const float*>(a.rowWeights);
  const auto* columnFractions = static_cast<const float*>(a.columnWeights);
  resize::RunCubicWindow(
      a,
      [&](std::ptrdiff_t offset, float* out) {
        ResizeCubicWorker5_8u_Generic(src + offset, a.width, a.pixelElements, a.columnOffsets,
                                      columnFractions, out);
      },
      [&](std::int32_t r, const std::array<float*, 4>& ring) {
        ResizeCubicWorker2_8u_Generic(dst + r * a.dstStep, 3 * a.width, rowFractions[r], ring[0],
                                      ring[1], ring[2], ring[3]);
      });
}
