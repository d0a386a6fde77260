// Supersampling against an exact area mean, the examples with known boxes, and the
// degenerate boxes that must neither read outside the rectangle nor count a pixel twice.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "resize/resize_test_util.h"

namespace {

using namespace resize_test;

// Exact mean of the box of destination (x, y) over the part of it inside the rectangle,
// normalised by the box's nominal area, rounded half up.
double AreaMean(const Image& src, PrimRect rect, double sx, double sy, std::int32_t x,
                std::int32_t y, int c) {
  double sum = 0.0;
  const double x0 = x * sx, x1 = (x + 1) * sx, y0 = y * sy, y1 = (y + 1) * sy;
  for (std::int32_t row = static_cast<std::int32_t>(y0); row < rect.height && row < y1; ++row) {
    const double h = std::min<double>(row + 1, y1) - std::max<double>(row, y0);
    for (std::int32_t col = static_cast<std::int32_t>(x0); col < rect.width && col < x1; ++col) {
      const double w = std::min<double>(col + 1, x1) - std::max<double>(col, x0);
      sum += w * h * src.at(rect.x + col, rect.y + row, c);
    }
  }
  return sum / (sx * sy);
}

struct Case {
  std::int32_t w, h;
  PrimRect roi;
  double xf, yf;
};

TEST(ResizeSupersample, MatchesExactAreaMeanWithinOne) {
  const Case cases[] = {
      {16, 16, {0, 0, 16, 16}, 0.5, 0.5},           {15, 9, {0, 0, 15, 9}, 0.4, 0.7},
      {98, 5, {0, 0, 98, 5}, 1.0 / 49, 1.0},        {20, 20, {3, 4, 12, 13}, 1.0 / 3, 0.25},
      {21, 17, {0, 0, 21, 17}, 0.3, 0.6},           {704, 16, {0, 0, 704, 16}, 0.5, 0.5},
      {720, 12, {0, 0, 720, 12}, 352.0 / 720, 0.5}, {9, 9, {0, 0, 9, 9}, 1.0, 1.0},
  };
  std::uint32_t seed = 300;
  for (const NamedEntry& e : AllEntries()) {
    for (const Case& c : cases) {
      const Image src = NoiseImage(c.w, c.h, seed++, 1);
      const PrimRect rect{c.roi.x, c.roi.y, std::min(c.roi.width, c.w - c.roi.x),
                          std::min(c.roi.height, c.h - c.roi.y)};
      const std::int32_t dstW = std::max(1, static_cast<std::int32_t>(rect.width * c.xf + 1e-7));
      const std::int32_t dstH = std::max(1, static_cast<std::int32_t>(rect.height * c.yf + 1e-7));
      Image dst(dstW, dstH);
      ASSERT_EQ(Resize(e.entry, src, c.roi, dst, c.xf, c.yf, 8), StsNoError);
      int worst = 0;
      for (std::int32_t y = 0; y < dstH; ++y) {
        for (std::int32_t x = 0; x < dstW; ++x) {
          for (int ch = 0; ch < 3; ++ch) {
            const double v = AreaMean(src, rect, 1 / c.xf, 1 / c.yf, x, y, ch);
            worst = std::max(worst, std::abs(dst.at(x, y, ch) - static_cast<int>(v + 0.5)));
          }
        }
      }
      EXPECT_LE(worst, 1) << e.name << " " << Describe(c.w, c.h, c.xf, c.yf, 8);
    }
  }
}

// Halving: the 2x2 block mean rounded half up, exactly.
TEST(ResizeSupersample, HalvingIsTheBlockMeanRoundedHalfUp) {
  Image src(4, 2);
  const std::uint8_t blocks[2][4] = {{1, 1, 0, 0}, {0, 0, 0, 1}};  // sums 2 and 1
  for (std::int32_t y = 0; y < 2; ++y) {
    for (std::int32_t x = 0; x < 4; ++x) {
      src.at(x, y, 0) = blocks[y][x];
      src.at(x, y, 1) = 3;                                                    // sum 12: mean 3
      src.at(x, y, 2) = static_cast<std::uint8_t>(x == 0 && y == 0 ? 6 : 0);  // 1.5 -> 2
    }
  }
  Image dst(2, 1);
  ASSERT_EQ(Resize(primResize_8u_C3R_generic, src, src.whole(), dst, 0.5, 0.5, 8), StsNoError);
  EXPECT_EQ(dst.at(0, 0, 0), 1);  // 2/4 = 0.5 rounds up
  EXPECT_EQ(dst.at(1, 0, 0), 0);  // 1/4
  EXPECT_EQ(dst.at(0, 0, 1), 3);
  EXPECT_EQ(dst.at(0, 0, 2), 2);
}

// 0.4 on one row: boxes of 2.5 columns with weights 1, 1, 0.5 then 0.5, 1, 1.
TEST(ResizeSupersample, FractionalBoxesWeighCutPixels) {
  Image src(10, 1);
  for (std::int32_t x = 0; x < 10; ++x) {
    src.at(x, 0, 0) = static_cast<std::uint8_t>(10 * x);
  }
  Image dst(4, 1);
  ASSERT_EQ(Resize(primResize_8u_C3R_generic, src, src.whole(), dst, 0.4, 1.0, 8), StsNoError);
  // (0 + 10 + 0.5·20)·0.4 = 8; (0.5·20 + 30 + 40)·0.4 = 32; (50 + 60 + 35)·0.4 = 58;
  // (35 + 80 + 90)·0.4 = 82.
  const std::uint8_t expected[] = {8, 32, 58, 82};
  for (std::int32_t x = 0; x < 4; ++x) {
    EXPECT_EQ(dst.at(x, 0, 0), expected[x]) << x;
  }
}

// A scale a hair below 3 (a third rounded to float) puts a weight of about 1e-7 on the pixel
// that ends each box. That pixel is passed, not counted again whole in the next box: every
// box stays three pixels further down.
TEST(ResizeSupersample, CarriedFractionNearOneNeverCountsAPixelTwice) {
  const double third = static_cast<double>(1.0f / 3.0f);  // scale 2.99999991
  Image src(1, 30);
  Image wide(30, 1);
  for (std::int32_t i = 0; i < 30; ++i) {
    const auto v = static_cast<std::uint8_t>(i % 3 == 2 ? 200 : 0);
    for (int c = 0; c < 3; ++c) {
      src.at(0, i, c) = v;
      wide.at(i, 0, c) = v;
    }
  }
  Image column(1, 10);
  Image row(10, 1);
  ASSERT_EQ(Resize(primResize_8u_C3R_generic, src, src.whole(), column, 1.0, third, 8), StsNoError);
  ASSERT_EQ(Resize(primResize_8u_C3R_generic, wide, wide.whole(), row, third, 1.0, 8), StsNoError);
  for (std::int32_t k = 0; k < 10; ++k) {
    // Each box holds 0, 0, 200: the mean is 66.67 (a double-counted 200 would give 133).
    EXPECT_NEAR(column.at(0, k, 0), 67, 1) << k;
    EXPECT_NEAR(row.at(k, 0, 0), 67, 1) << k;
  }
}

// Boxes larger than the rectangle add only the pixels that exist, over the nominal area.
TEST(ResizeSupersample, BoxesPastTheRectangleAddNothing) {
  Image src(2, 10, 0, 100);
  Image dst(3, 3, 0, 0xEE);
  // Two columns at 0.4: one destination column with a 2.5-column box.
  ASSERT_EQ(Resize(primResize_8u_C3R_generic, src, src.whole(), dst, 0.4, 0.5, 8), StsNoError);
  EXPECT_EQ(dst.at(0, 0, 0), 80);  // (100 + 100)·0.4
  EXPECT_EQ(dst.at(1, 0, 0), 0xEE);
  // Ten rows at 0.05: one destination row with a 20-row box.
  Image tall(1, 10, 0, 200);
  Image one(2, 2, 0, 0xEE);
  ASSERT_EQ(Resize(primResize_8u_C3R_generic, tall, tall.whole(), one, 1.0, 0.05, 8), StsNoError);
  EXPECT_EQ(one.at(0, 0, 0), 100);  // 10·200·0.05
  EXPECT_EQ(one.at(0, 1, 0), 0xEE);
}

TEST(ResizeSupersample, UniformImagesStayUniform) {
  const double factors[] = {1.0, 0.5, 0.4, 0.7, 1.0 / 3, 0.29, 0.125};
  for (std::uint8_t value : {0, 1, 77, 255}) {
    for (double xf : factors) {
      for (double yf : factors) {
        const Image src(40, 24, 0, value);
        const std::int32_t w = std::max(1, static_cast<std::int32_t>(40 * xf + 1e-7));
        const std::int32_t h = std::max(1, static_cast<std::int32_t>(24 * yf + 1e-7));
        Image dst(w, h);
        ASSERT_EQ(Resize(primResize_8u_C3R_generic, src, src.whole(), dst, xf, yf, 8), StsNoError);
        // The last box of an axis may reach past the image; the others hold the value.
        for (std::int32_t y = 0; y + 1 < h; ++y) {
          for (std::int32_t x = 0; x + 1 < w; ++x) {
            ASSERT_EQ(dst.at(x, y, 0), value) << xf << " " << yf;
          }
        }
      }
    }
  }
}

// Whole boxes are summed in 64 bits: a box of 2^24 + 1 bright pixels would wrap 32 bits.
TEST(ResizeSupersample, WholeBoxSumsDoNotWrap) {
  const std::int32_t side = 4200;       // 4200·4200·255 > 2^32
  ASSERT_EQ(1.0 / (1.0 / side), side);  // a whole scale: the integer path
  const Image src(side, side, 0, 255);
  Image dst(1, 1);
  ASSERT_EQ(Resize(primResize_8u_C3R_generic, src, src.whole(), dst, 1.0 / side, 1.0 / side, 8),
            StsNoError);
  EXPECT_EQ(dst.at(0, 0, 0), 255);
}

}  // namespace
