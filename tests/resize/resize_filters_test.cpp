// Linear, cubic and six-tap results against small double-precision references written from
// the kernels' definitions (closed-form positions, Lagrange basis, exact Lanczos window), and
// the examples with known values.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "prim/resize/resize_filters.h"
#include "resize/resize_reference.h"
#include "resize/resize_test_util.h"

namespace {

using namespace resize_test;
using namespace resize_reference;

// Truncating kinds (cubic, six-tap) store trunc(v + 1e-7) clamped; linear rounds.
double Expected(double v, bool truncates) {
  if (truncates) {
    return std::clamp(std::trunc(v + 1e-7), 0.0, 255.0);
  }
  return std::clamp(v, 0.0, 255.0);
}

struct FilterKind {
  const char* name;
  std::int32_t interpolation;
  TapRule rule;
  bool truncates;
};

const FilterKind kKinds[] = {
    {"linear", 2, LinearTaps, false},
    {"cubic", 4, CubicTaps, true},
    {"six-tap", 16, SixTaps, true},
};

struct Geometry {
  std::int32_t srcW, srcH;
  PrimRect roi;
  double xf, yf;
};

const Geometry kGeometries[] = {
    {16, 16, {0, 0, 16, 16}, 2.0, 2.0},
    {16, 16, {0, 0, 16, 16}, 0.5, 0.75},
    {9, 7, {0, 0, 9, 7}, 1.7, 2.3},
    {9, 7, {0, 0, 9, 7}, 0.3, 0.4},
    {20, 18, {3, 2, 11, 9}, 1.5, 1.25},
    {20, 18, {1, 1, 19, 17}, 0.7, 1.0},
    {20, 18, {12, 10, 30, 30}, 2.5, 3.0},
    {12, 12, {0, 0, 12, 12}, 1.0, 1.0},
    {8, 8, {2, 0, 6, 8}, 1920.0 / 352, 1.0 / 3},
};

TEST(ResizeFilters, MatchDoublePrecisionReferencesWithinOne) {
  std::uint32_t seed = 100;
  for (const FilterKind& kind : kKinds) {
    for (const Geometry& g : kGeometries) {
      const Image src = NoiseImage(g.srcW, g.srcH, seed++, 2);
      const std::int32_t rectW = std::min(g.roi.width, g.srcW - g.roi.x);
      const std::int32_t rectH = std::min(g.roi.height, g.srcH - g.roi.y);
      const std::int32_t dstW = std::max(1, static_cast<std::int32_t>(rectW * g.xf + 1e-7));
      const std::int32_t dstH = std::max(1, static_cast<std::int32_t>(rectH * g.yf + 1e-7));
      Image dst(dstW, dstH, 1);
      ASSERT_EQ(Resize(primResize_8u_C3R_generic, src, g.roi, dst, g.xf, g.yf, kind.interpolation),
                StsNoError);
      int worst = 0;
      for (std::int32_t y = 0; y < dstH; ++y) {
        const Taps ty = kind.rule(Position(y, rectH, g.yf), g.roi.y, rectH, g.srcH);
        for (std::int32_t x = 0; x < dstW; ++x) {
          const Taps tx = kind.rule(Position(x, rectW, g.xf), g.roi.x, rectW, g.srcW);
          for (int c = 0; c < 3; ++c) {
            double v = 0.0;
            for (int a = 0; a < ty.count; ++a) {
              for (int b = 0; b < tx.count; ++b) {
                v += ty.weight[a] * tx.weight[b] * src.at(tx.index[b], ty.index[a], c);
              }
            }
            const double expected = Expected(v, kind.truncates);
            worst = std::max(
                worst, static_cast<int>(std::ceil(std::fabs(dst.at(x, y, c) - expected) - 1e-9)));
          }
        }
      }
      EXPECT_LE(worst, 1) << kind.name << " "
                          << Describe(g.srcW, g.srcH, g.xf, g.yf, kind.interpolation) << " roi x "
                          << g.roi.x << " y " << g.roi.y;
    }
  }
}

TEST(ResizeFilters, FactorOneCopiesTheRectangle) {
  for (const FilterKind& kind : kKinds) {
    const Image src = NoiseImage(13, 11, 5);
    const PrimRect roi{2, 1, 9, 8};
    Image dst(9, 8);
    ASSERT_EQ(Resize(primResize_8u_C3R_generic, src, roi, dst, 1.0, 1.0, kind.interpolation),
              StsNoError);
    for (std::int32_t y = 0; y < 8; ++y) {
      for (std::int32_t x = 0; x < 9; ++x) {
        for (int c = 0; c < 3; ++c) {
          ASSERT_EQ(dst.at(x, y, c), src.at(roi.x + x, roi.y + y, c)) << kind.name;
        }
      }
    }
  }
}

TEST(ResizeFilters, UniformImagesStayUniform) {
  for (std::int32_t kind : {2, 4}) {
    for (std::uint8_t value : {0, 1, 128, 254, 255}) {
      const Image src(11, 9, 0, value);
      Image dst(25, 7);
      ASSERT_EQ(Resize(primResize_8u_C3R_generic, src, src.whole(), dst, 25.0 / 11, 7.0 / 9, kind),
                StsNoError);
      for (std::uint8_t b : dst.bytes) {
        ASSERT_EQ(b, value) << "interpolation " << kind;
      }
    }
  }
}

// Doubling a 2-pixel row: positions 0, 1/3, 2/3, 1 with second-tap weights 0, 5461, 10922
// and at the last pixel (0, 16384).
TEST(ResizeFilters, LinearDoublingOfTwoPixels) {
  Image src(2, 2);
  for (std::int32_t y = 0; y < 2; ++y) {
    for (int c = 0; c < 3; ++c) {
      src.at(0, y, c) = 0;
      src.at(1, y, c) = 192;
    }
  }
  Image dst(4, 4);
  ASSERT_EQ(Resize(primResize_8u_C3R_generic, src, src.whole(), dst, 2.0, 2.0, 2), StsNoError);
  const std::uint8_t expected[] = {0, 64, 128, 192};
  for (std::int32_t y = 0; y < 4; ++y) {
    for (std::int32_t x = 0; x < 4; ++x) {
      EXPECT_EQ(dst.at(x, y, 1), expected[x]) << x << "," << y;
    }
  }
}

// The corner-aligned mapping puts the last destination pixel on the image's last pixel, where
// linear weighs it (0, 16384) and cubic evaluates its stencil at t = 2.0: both return it.
TEST(ResizeFilters, LastPixelIsReproducedExactly) {
  const Image src = NoiseImage(8, 6, 17);
  for (std::int32_t kind : {2, 4}) {
    Image dst(16, 12);
    ASSERT_EQ(Resize(primResize_8u_C3R_generic, src, src.whole(), dst, 2.0, 2.0, kind), StsNoError);
    for (int c = 0; c < 3; ++c) {
      EXPECT_EQ(dst.at(15, 11, c), src.at(7, 5, c)) << kind;
      EXPECT_EQ(dst.at(0, 0, c), src.at(0, 0, c)) << kind;
      EXPECT_EQ(dst.at(15, 0, c), src.at(7, 0, c)) << kind;
    }
  }
}

TEST(ResizeFilters, LanczosWeightsAtKnownDistances) {
  std::array<float, 6> w{};
  const double zero = 0.0;
  ResizeBuildCoeffs_Generic(&zero, 1, w.data());
  EXPECT_EQ(w, (std::array<float, 6>{0, 0, 1, 0, 0, 0}));
  const double half = 0.5;
  ResizeBuildCoeffs_Generic(&half, 1, w.data());
  EXPECT_FLOAT_EQ(w[2], w[3]);
  EXPECT_NEAR(w[2], 0.6079271, 2e-4);
  EXPECT_FLOAT_EQ(w[1], w[4]);
  EXPECT_FLOAT_EQ(w[0], w[5]);
  // Fractions that put a tap at distance 3 (or just below) read only inside the table.
  for (double f : {1e-12, 0.999999999999, 1.0}) {
    ResizeBuildCoeffs_Generic(&f, 1, w.data());
    for (float v : w) {
      EXPECT_TRUE(std::isfinite(v));
      EXPECT_LE(std::fabs(v), 1.0f);
    }
  }
  const float* table = ResizeLanczos3Table();
  EXPECT_EQ(table[0], 1.0f);
  EXPECT_EQ(table[100], 0.0f);
  EXPECT_EQ(table[200], 0.0f);
  for (int n = 300; n < kResizeLanczos3TableSize; ++n) {
    EXPECT_EQ(table[n], 0.0f) << n;
  }
}

}  // namespace
