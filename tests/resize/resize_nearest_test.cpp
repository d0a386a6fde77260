// Nearest neighbour against an exact integer formula, the mapping examples and the index
// clamp that keeps tiny factors inside the rectangle.
#include <gtest/gtest.h>

#include "resize/resize_test_util.h"

namespace {

using namespace resize_test;

// Pixel-centre nearest neighbour in exact integers: destination k samples source
// floor((k + 0.5)·src/dst) = ((2k + 1)·src) div (2·dst).
std::int32_t OracleIndex(std::int32_t k, std::int32_t src, std::int32_t dst) {
  return static_cast<std::int32_t>((2 * std::int64_t{k} + 1) * src / (2 * std::int64_t{dst}));
}

void ExpectNearestMatchesOracle(Entry entry, const Image& src, std::int32_t dstW,
                                std::int32_t dstH) {
  Image dst(dstW, dstH);
  const double xf = static_cast<double>(dstW) / src.width;
  const double yf = static_cast<double>(dstH) / src.height;
  ASSERT_EQ(Resize(entry, src, src.whole(), dst, xf, yf, 1), StsNoError);
  for (std::int32_t y = 0; y < dstH; ++y) {
    const std::int32_t sy = OracleIndex(y, src.height, dstH);
    for (std::int32_t x = 0; x < dstW; ++x) {
      const std::int32_t sx = OracleIndex(x, src.width, dstW);
      for (int c = 0; c < 3; ++c) {
        if (dst.at(x, y, c) != src.at(sx, sy, c)) {
          FAIL() << Describe(src.width, src.height, xf, yf, 1) << " to " << dstW << "x" << dstH
                 << " pixel (" << x << "," << y << ") channel " << c;
        }
      }
    }
  }
}

TEST(ResizeNearest, MatchesExactIntegerFormulaOverManySizePairs) {
  const std::int32_t sourceWidths[] = {1, 2, 3, 7, 176, 320, 352, 704, 720};
  const std::int32_t destinationWidths[] = {1, 2, 5, 13, 240, 288, 352, 480, 576, 1024, 1080};
  std::uint32_t seed = 1;
  for (std::int32_t sw : sourceWidths) {
    // Heights are kept small; the same formula runs down the rows.
    const Image src = NoiseImage(sw, 5, seed++);
    for (std::int32_t dw : destinationWidths) {
      ExpectNearestMatchesOracle(primResize_8u_C3R_generic, src, dw, 7);
    }
  }
  // The application's frame sizes, both directions at once.
  const PrimSize frames[] = {{352, 240}, {704, 480}, {704, 576}, {720, 576}};
  const PrimSize windows[] = {{1280, 1024}, {1920, 1080}, {352, 288}, {352, 240}};
  for (PrimSize f : frames) {
    const Image src = NoiseImage(f.width, f.height, seed++);
    for (PrimSize w : windows) {
      ExpectNearestMatchesOracle(primResize_8u_C3R_generic, src, w.width, w.height);
    }
  }
}

TEST(ResizeNearest, MappingExamples) {
  // 2x2 to 4x4 repeats each pixel in a 2x2 block.
  const Image small = NoiseImage(2, 2, 3);
  Image big(4, 4);
  ASSERT_EQ(Resize(primResize_8u_C3R_generic, small, small.whole(), big, 2.0, 2.0, 1), StsNoError);
  for (std::int32_t y = 0; y < 4; ++y) {
    for (std::int32_t x = 0; x < 4; ++x) {
      for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(big.at(x, y, c), small.at(x / 2, y / 2, c));
      }
    }
  }
  // 4 columns at 0.75 take columns 0, 2 and 3.
  const Image four = NoiseImage(4, 1, 4);
  Image three(3, 1);
  ASSERT_EQ(Resize(primResize_8u_C3R_generic, four, four.whole(), three, 0.75, 1.0, 1), StsNoError);
  const std::int32_t taken[] = {0, 2, 3};
  for (std::int32_t x = 0; x < 3; ++x) {
    for (int c = 0; c < 3; ++c) {
      EXPECT_EQ(three.at(x, 0, c), four.at(taken[x], 0, c)) << x;
    }
  }
}

// A factor so small that the single destination pixel's position lies past the rectangle
// (10 pixels at 0.05 gives position 10.0) samples the rectangle's last pixel instead.
TEST(ResizeNearest, TinyFactorsStayInsideTheRectangle) {
  struct Case {
    PrimRect roi;
    double factor;
    std::int32_t expectedX;  // absolute source column of the single destination pixel
  };
  const Case cases[] = {
      {{0, 0, 10, 10}, 0.05, 9},   {{0, 0, 10, 10}, 0.001, 9},
      {{2, 2, 4, 4}, 0.1, 5},      {{3, 3, 20, 20}, 0.01, 9},  // clipped to 7 pixels: columns 3..9
      {{0, 0, 10, 10}, 5e-324, 9},
  };
  for (const NamedEntry& e : AllEntries()) {
    for (const Case& c : cases) {
      const Image src = NoiseImage(10, 10, 9);
      Image dst(2, 2, 0, 0xEE);
      ASSERT_EQ(Resize(e.entry, src, c.roi, dst, c.factor, c.factor, 1), StsNoError);
      for (int ch = 0; ch < 3; ++ch) {
        EXPECT_EQ(dst.at(0, 0, ch), src.at(c.expectedX, c.expectedX, ch))
            << e.name << " factor " << c.factor;
      }
      EXPECT_EQ(dst.at(1, 0, 0), 0xEE);
      EXPECT_EQ(dst.at(0, 1, 0), 0xEE);
    }
  }
}

TEST(ResizeNearest, RectangleInsideTheImage) {
  const Image src = NoiseImage(20, 16, 21, 5);
  const PrimRect roi{3, 4, 10, 8};
  Image dst(20, 16);
  ASSERT_EQ(Resize(primResize_8u_C3R_generic, src, roi, dst, 2.0, 2.0, 1), StsNoError);
  for (std::int32_t y = 0; y < 16; ++y) {
    for (std::int32_t x = 0; x < 20; ++x) {
      for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(dst.at(x, y, c), src.at(roi.x + x / 2, roi.y + y / 2, c));
      }
    }
  }
}

}  // namespace
