// The decoder's own dequantisers: the H.263 and MPEG intra rules, the inter rules and the
// mismatch control.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "codec/mp4dec/dequant.h"

namespace {

using Block = std::array<std::int16_t, 64>;

TEST(Mp4DecDequantH263, IntraFromStartWrapsIn16Bits) {
  struct Case {
    std::int16_t in;
    std::int32_t qp;
    std::int16_t out;
  };
  const Case cases[] = {
      {1, 4, 11},        {-1, 4, -11},
      {0, 4, 0},         {2047, 31, -4127},  // 126,945 keeps its low 16 bits
      {-2047, 31, 4127}, {3, 1, 7},
  };
  for (const Case& c : cases) {
    Block b{};
    b[0] = 77;  // the DC coefficient is never touched with start 1
    b[1] = c.in;
    b[63] = c.in;
    Mp4DecDequantH263(b.data(), 1, c.qp);
    EXPECT_EQ(b[0], 77);
    EXPECT_EQ(b[1], c.out) << c.in << " qp " << c.qp;
    EXPECT_EQ(b[63], c.out);
  }
}

TEST(Mp4DecDequantH263, StartZeroUsesTheClampingPrimitive) {
  Block b{};
  b[0] = 40;
  b[5] = -1;
  Mp4DecDequantH263(b.data(), 0, 31);
  EXPECT_EQ(b[0], 2047);
  EXPECT_EQ(b[5], -93);
}

TEST(Mp4DecDequantMpeg, IntraTruncatesTowardZeroAndSkipsDc) {
  std::array<std::uint32_t, 64> w{};
  w.fill(16);
  w[1] = 17;
  Block b{};
  b[0] = -5;
  b[1] = -1;  // (2 * -1 * 1 * 17) / 16 = -34 / 16 -> -2
  b[2] = 3;   // (2 * 3 * 1 * 16) / 16 = 6
  b[3] = 0;
  Mp4DecDequantMpeg(b.data(), 1, w.data());
  EXPECT_EQ(b[0], -5);
  EXPECT_EQ(b[1], -2);
  EXPECT_EQ(b[2], 6);
  EXPECT_EQ(b[3], 0);

  Block big{};
  big[10] = 2047;
  w[10] = 255;
  Mp4DecDequantMpeg(big.data(), 31, w.data());  // 2 * 2047 * 31 * 255 / 16 = 2,022,691
  EXPECT_EQ(big[10], static_cast<std::int16_t>(2022691 & 0xFFFF));
}

TEST(Mp4DecDequantInter, H263Levels) {
  EXPECT_EQ(Mp4DecDequantInterH263(1, 4), 11);
  EXPECT_EQ(Mp4DecDequantInterH263(-1, 4), -11);
  EXPECT_EQ(Mp4DecDequantInterH263(5, 7), 77);
  EXPECT_EQ(Mp4DecDequantInterH263(2047, 31), -4127);  // wraps, no clamp
}

TEST(Mp4DecDequantInter, MpegLevelAndMismatchControl) {
  Block b{};
  const std::int16_t c = Mp4DecDequantInterMpeg(1, 2, 16);  // ((2 + 1) * 2 * 16) >> 4
  EXPECT_EQ(c, 6);
  b[0] = c;
  Mp4DecMismatchControl(b.data(), c);  // sum even: bit 0 of coefficient 63 flips
  EXPECT_EQ(b[63], 1);

  Block odd{};
  const std::int16_t d = Mp4DecDequantInterMpeg(-2, 3, 16);  // -((5 * 3 * 16) >> 4) = -15
  EXPECT_EQ(d, -15);
  odd[63] = d;
  Mp4DecMismatchControl(odd.data(), d);
  EXPECT_EQ(odd[63], -15);
}

TEST(Mp4DecDequant, NullBlocksAreIgnored) {
  std::array<std::uint32_t, 64> w{};
  Mp4DecDequantH263(nullptr, 1, 4);
  Mp4DecDequantH263(nullptr, 0, 4);
  Mp4DecDequantMpeg(nullptr, 4, w.data());
  Block b{};
  b[1] = 3;
  Mp4DecDequantMpeg(b.data(), 4, nullptr);
  EXPECT_EQ(b[1], 3);
  Mp4DecMismatchControl(nullptr, 0);
}

}  // namespace
