// Padding, the converters' per-pixel rules and layouts, and the mode-1 deinterlacer.
#include "codec/mp4dec/output.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "codec/mp4dec/padding.h"

namespace {

TEST(YuvToBgrPixel, ColourRuleOfThePackedModes) {
  struct Case {
    std::uint8_t y, u, v;
    std::uint8_t b, g, r;
  };
  for (const Case& c : {Case{235, 128, 128, 255, 255, 255}, Case{16, 128, 128, 0, 0, 0},
                        Case{10, 128, 128, 0, 0, 0}, Case{128, 128, 255, 130, 26, 255}}) {
    const Mp4DecBgr out = Mp4DecYuvToBgrPixel(c.y, c.u, c.v);
    EXPECT_EQ(out.b, c.b) << int(c.y) << " " << int(c.u) << " " << int(c.v);
    EXPECT_EQ(out.g, c.g);
    EXPECT_EQ(out.r, c.r);
  }
  // Negative terms shift toward minus infinity: u = -38, v = 112 at y = 65.
  const Mp4DecBgr red = Mp4DecYuvToBgrPixel(81, 90, 240);
  const int l = (8 * 65 * 9576) >> 16;  // 75
  EXPECT_EQ(red.r, std::clamp(l + ((8 * 112 * 13123) >> 16), 0, 255));
  EXPECT_EQ(red.g, std::clamp(l + ((8 * -38 * -3218) >> 16) + ((8 * 112 * -6686) >> 16), 0, 255));
  EXPECT_EQ(red.b, std::clamp(l + ((8 * -38 * 16591) >> 16), 0, 255));
  EXPECT_EQ(red.b, 0);
}

// A small picture in a bordered layout like the decoder's frames.
struct TestPicture {
  TestPicture(int w, int h) : width(w), height(h), yStride(w + 64), cStride((w + 64) / 2) {
    y.assign(static_cast<std::size_t>(yStride) * (h + 64), 0);
    u.assign(static_cast<std::size_t>(cStride) * (h / 2 + 33), 0);
    v.assign(u.size(), 0);
    for (int r = 0; r < h; ++r) {
      for (int c = 0; c < w; ++c) {
        Y(c, r) = static_cast<std::uint8_t>(16 + (r * 7 + c * 3) % 220);
      }
    }
    for (int r = 0; r < (h + 1) / 2; ++r) {
      for (int c = 0; c < (w + 1) / 2; ++c) {
        U(c, r) = static_cast<std::uint8_t>(40 + (r * 11 + c * 5) % 180);
        V(c, r) = static_cast<std::uint8_t>(200 - (r * 3 + c * 13) % 180);
      }
    }
  }
  std::uint8_t& Y(int c, int r) { return y[static_cast<std::size_t>((r + 32) * yStride + c + 32)]; }
  std::uint8_t& U(int c, int r) { return u[static_cast<std::size_t>((r + 16) * cStride + c + 16)]; }
  std::uint8_t& V(int c, int r) { return v[static_cast<std::size_t>((r + 16) * cStride + c + 16)]; }
  const std::uint8_t* YO() { return &Y(0, 0); }
  const std::uint8_t* UO() { return &U(0, 0); }
  const std::uint8_t* VO() { return &V(0, 0); }

  int width, height, yStride, cStride;
  std::vector<std::uint8_t> y, u, v;
};

using Converter = decltype(&Mp4DecYuvToRgb32);

struct RgbCase {
  const char* name;
  Converter convert;
  int bytes;
  bool is565;
  bool bottomUp;
};

std::uint32_t Pack(const Mp4DecBgr& c, int bytes, bool is565) {
  if (bytes == 2) {
    return is565 ? ((c.r >> 3) << 11) | ((c.g >> 2) << 5) | (c.b >> 3)
                 : ((c.r >> 3) << 10) | ((c.g >> 3) << 5) | (c.b >> 3);
  }
  return static_cast<std::uint32_t>(c.b | (c.g << 8) | (c.r << 16));
}

void PrintTo(const RgbCase& c, std::ostream* os) {
  *os << c.name;
}

class RgbConverterTest : public ::testing::TestWithParam<RgbCase> {};

TEST_P(RgbConverterTest, EveryPixelFollowsTheRuleInItsLayout) {
  const RgbCase& c = GetParam();
  for (int width : {8, 20, 2}) {  // 20: the pixels past the last group of 8 are written too
    TestPicture pic(width, 6);
    const std::size_t bytes = static_cast<std::size_t>(width * 6 * c.bytes);
    std::vector<std::uint8_t> out(bytes + 8, 0xEE);
    c.convert(pic.YO(), pic.yStride, pic.UO(), pic.VO(), pic.cStride, out.data(), width,
              c.bottomUp ? -6 : 6, 999, nullptr);
    for (int j = 0; j < 6; ++j) {
      const int row = c.bottomUp ? 5 - j : j;
      for (int i = 0; i < width; ++i) {
        const Mp4DecBgr px =
            Mp4DecYuvToBgrPixel(pic.Y(i, row), pic.U(i / 2, row / 2), pic.V(i / 2, row / 2));
        const std::uint8_t* p = out.data() + (j * width + i) * c.bytes;
        std::uint32_t got = 0;
        for (int k = 0; k < std::min(c.bytes, 3); ++k) {
          got |= static_cast<std::uint32_t>(p[k]) << (8 * k);
        }
        ASSERT_EQ(got, Pack(px, c.bytes, c.is565)) << "w " << width << " row " << j << " px " << i;
        if (c.bytes == 4) {
          EXPECT_EQ(p[3], 0);
        }
      }
    }
    EXPECT_EQ(out[bytes], 0xEE);  // nothing written beyond the picture
  }
}

INSTANTIATE_TEST_SUITE_P(
    Modes, RgbConverterTest,
    ::testing::Values(RgbCase{"Rgb32", Mp4DecYuvToRgb32, 4, false, false},
                      RgbCase{"Rgb32BottomUp", Mp4DecYuvToRgb32, 4, false, true},
                      RgbCase{"Rgb24", Mp4DecYuvToRgb24, 3, false, false},
                      RgbCase{"Rgb24BottomUp", Mp4DecYuvToRgb24, 3, false, true},
                      RgbCase{"Rgb555", Mp4DecYuvToRgb555, 2, false, false},
                      RgbCase{"Rgb555BottomUp", Mp4DecYuvToRgb555, 2, false, true},
                      RgbCase{"Rgb565", Mp4DecYuvToRgb565, 2, true, false},
                      RgbCase{"Rgb565BottomUp", Mp4DecYuvToRgb565, 2, true, true}),
    [](const auto& info) { return info.param.name; });

TEST(Rgb16, WhiteFillsTheFieldsAndLeavesBitFifteenOf555Clear) {
  TestPicture pic(8, 2);
  for (int c = 0; c < 8; ++c) {
    pic.Y(c, 0) = 235;
    pic.Y(c, 1) = 235;
  }
  for (int c = 0; c < 4; ++c) {
    pic.U(c, 0) = 128;
    pic.V(c, 0) = 128;
  }
  std::vector<std::uint8_t> out(32);
  Mp4DecYuvToRgb555(pic.YO(), pic.yStride, pic.UO(), pic.VO(), pic.cStride, out.data(), 8, 2, 8,
                    nullptr);
  EXPECT_EQ(out[0], 0xFF);
  EXPECT_EQ(out[1], 0x7F);
  Mp4DecYuvToRgb565(pic.YO(), pic.yStride, pic.UO(), pic.VO(), pic.cStride, out.data(), 8, 2, 8,
                    nullptr);
  EXPECT_EQ(out[0], 0xFF);
  EXPECT_EQ(out[1], 0xFF);
}

TEST(CopyPlanar, LayoutIsYThenVThenUWithTheOutputStride) {
  TestPicture pic(8, 4);
  const int stride = 12;
  std::vector<std::uint8_t> out(static_cast<std::size_t>(stride * 4 * 3 / 2), 0xEE);
  Mp4DecCopyPlanar(pic.YO(), pic.yStride, pic.UO(), pic.VO(), pic.cStride, out.data(), 8, 4, stride,
                   nullptr);
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 8; ++c) {
      EXPECT_EQ(out[static_cast<std::size_t>(r * stride + c)], pic.Y(c, r));
    }
    EXPECT_EQ(out[static_cast<std::size_t>(r * stride + 8)], 0xEE);  // pitch gap untouched
  }
  for (int r = 0; r < 2; ++r) {
    for (int c = 0; c < 4; ++c) {
      EXPECT_EQ(out[static_cast<std::size_t>(stride * 4 + r * stride / 2 + c)], pic.V(c, r));
      EXPECT_EQ(out[static_cast<std::size_t>(stride * 4 * 5 / 4 + r * stride / 2 + c)],
                pic.U(c, r));
    }
  }
}

TEST(Uyvy, TwoRowsShareOneChromaRow) {
  TestPicture pic(4, 4);
  const int stride = 6;  // pixels; output rows are 2 * stride bytes apart
  std::vector<std::uint8_t> out(static_cast<std::size_t>(2 * stride * 4), 0xEE);
  Mp4DecYuvToUyvy(pic.YO(), pic.yStride, pic.UO(), pic.VO(), pic.cStride, out.data(), 4, 4, stride,
                  nullptr);
  for (int r = 0; r < 4; ++r) {
    const std::uint8_t* row = out.data() + r * 2 * stride;
    for (int pair = 0; pair < 2; ++pair) {
      EXPECT_EQ(row[4 * pair], pic.U(pair, r / 2));
      EXPECT_EQ(row[4 * pair + 1], pic.Y(2 * pair, r));
      EXPECT_EQ(row[4 * pair + 2], pic.V(pair, r / 2));
      EXPECT_EQ(row[4 * pair + 3], pic.Y(2 * pair + 1, r));
    }
    EXPECT_EQ(row[8], 0xEE);
  }
}

TEST(Deinterlace, ReplacesCombingAndKeepsGradients) {
  struct Case {
    std::uint8_t a, b, c, expected;
  };
  for (const Case& k : {Case{200, 40, 200, 200}, Case{200, 120, 40, 120}, Case{40, 200, 40, 40},
                        Case{100, 100, 100, 100}, Case{0, 255, 0, 0}}) {
    std::vector<std::uint8_t> plane = {k.a, k.b, k.c, k.b};  // 1 pixel wide, 4 rows
    Mp4DecDeinterlaceRows(plane.data(), 1, 1, 4);
    EXPECT_EQ(plane[1], k.expected) << int(k.a) << " " << int(k.b) << " " << int(k.c);
    EXPECT_EQ(plane[0], k.a);
    EXPECT_EQ(plane[3], k.b);  // the last odd row of an even height is left
  }
}

// The packed twin tests the luma bytes (every second byte, from byte 1) with the same rule: the
// table's cases at every pixel of a U Y V Y row, the chroma bytes untouched.
TEST(Deinterlace, PackedTwinTestsTheLumaBytesOnly) {
  struct Case {
    std::uint8_t a, b, c, expected;
  };
  for (const Case& k : {Case{200, 40, 200, 200}, Case{200, 120, 40, 120}, Case{40, 200, 40, 40},
                        Case{100, 100, 100, 100}, Case{0, 255, 0, 0}}) {
    // 3 pixels wide (6 bytes, stride 8), 4 rows; chroma bytes 77.
    std::vector<std::uint8_t> image(8 * 4, 77);
    const std::uint8_t luma[4] = {k.a, k.b, k.c, k.b};
    for (int row = 0; row < 4; ++row) {
      for (int i = 0; i < 3; ++i) {
        image[static_cast<std::size_t>(row * 8 + 2 * i + 1)] = luma[row];
      }
    }
    Mp4DecDeinterlacePacked(image.data(), 8, 3, 4);
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(image[static_cast<std::size_t>(8 + 2 * i + 1)], k.expected) << i;
      EXPECT_EQ(image[static_cast<std::size_t>(8 + 2 * i)], 77);
    }
    EXPECT_EQ(image[24 + 1], k.b);  // the last odd row of an even height is left
    EXPECT_EQ(image[6], 77);        // past the width
  }
}

// On random pictures the packed twin equals the planar rule on the same luma samples.
TEST(Deinterlace, PackedTwinEqualsThePlanarRule) {
  std::uint32_t seed = 99;
  const int width = 13;
  const int height = 9;
  std::vector<std::uint8_t> planar(static_cast<std::size_t>(width * height));
  std::vector<std::uint8_t> packed(static_cast<std::size_t>(2 * width * height));
  for (std::size_t i = 0; i < planar.size(); ++i) {
    seed = seed * 1103515245u + 12345u;
    planar[i] = static_cast<std::uint8_t>(seed >> 16);
    packed[2 * i] = static_cast<std::uint8_t>(seed >> 24);
    packed[2 * i + 1] = planar[i];
  }
  const std::vector<std::uint8_t> before = packed;
  Mp4DecDeinterlaceRows(planar.data(), width, width, height);
  Mp4DecDeinterlacePacked(packed.data(), 2 * width, width, height);
  for (std::size_t i = 0; i < planar.size(); ++i) {
    ASSERT_EQ(packed[2 * i + 1], planar[i]) << i;
    ASSERT_EQ(packed[2 * i], before[2 * i]) << i;
  }
}

TEST(Deinterlace, BorderedEntryWorksOnTheRowsInside) {
  std::vector<std::uint8_t> plane(static_cast<std::size_t>(66 * 4), 7);
  plane[32] = 200;
  plane[66 + 32] = 40;
  plane[132 + 32] = 200;
  Mp4DecDeinterlaceLuma(plane.data(), 66, 4);  // width 2, height 4: only row 1
  EXPECT_EQ(plane[66 + 32], 200);
  EXPECT_EQ(plane[66 + 31], 7);  // the border is not touched
}

TEST(BgrPrim, GreyPictureIsGreyAndBottomUp) {
  TestPicture pic(6, 4);
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 6; ++c) {
      pic.Y(c, r) = static_cast<std::uint8_t>(100 + 10 * r);  // bands, no combing
    }
  }
  for (int r = 0; r < 2; ++r) {
    for (int c = 0; c < 3; ++c) {
      pic.U(c, r) = 128;
      pic.V(c, r) = 128;
    }
  }
  std::vector<std::uint8_t> scratch(6 * 4);
  std::vector<std::uint8_t> out(6 * 4 * 3 + 4, 0xEE);
  Mp4DecYuvToBgrPrim(pic.YO(), pic.yStride, pic.UO(), pic.VO(), pic.cStride, out.data(), 6, 4, 999,
                     scratch.data());
  for (int j = 0; j < 4; ++j) {
    for (int i = 0; i < 6 * 3; ++i) {
      EXPECT_EQ(out[static_cast<std::size_t>(j * 18 + i)], 100 + 10 * (3 - j)) << j;
    }
  }
  EXPECT_EQ(out[72], 0xEE);
  // Without a scratch area there is no picture (and no allocation).
  std::vector<std::uint8_t> untouched(6 * 4 * 3, 0xEE);
  Mp4DecYuvToBgrPrim(pic.YO(), pic.yStride, pic.UO(), pic.VO(), pic.cStride, untouched.data(), 6, 4,
                     999, nullptr);
  EXPECT_EQ(untouched[0], 0xEE);
}

TEST(BgrPrim, DeinterlacesACopyNotTheDecodedPicture) {
  TestPicture pic(2, 4);
  for (int c = 0; c < 2; ++c) {
    pic.Y(c, 0) = 200;
    pic.Y(c, 1) = 40;
    pic.Y(c, 2) = 200;
    pic.Y(c, 3) = 200;
  }
  for (int r = 0; r < 2; ++r) {
    pic.U(0, r) = 128;
    pic.V(0, r) = 128;
  }
  std::vector<std::uint8_t> scratch(8);
  std::vector<std::uint8_t> out(2 * 4 * 3);
  Mp4DecYuvToBgrPrim(pic.YO(), pic.yStride, pic.UO(), pic.VO(), pic.cStride, out.data(), 2, 4, 2,
                     scratch.data());
  EXPECT_EQ(out[2 * 2 * 3], 200);  // output row 2 shows picture row 1, deinterlaced
  EXPECT_EQ(pic.Y(0, 1), 40);      // the reference picture keeps its row
}

TEST(Padding, ReplicatesEdgesAndCorners) {
  // A 16 x 16 plane padded by 16 on each side: 48 x 48.
  const int n = 16, w = 16, h = 16, stride = w + 2 * n;
  std::vector<std::uint8_t> plane(static_cast<std::size_t>(stride * (h + 2 * n)), 0);
  std::uint8_t* origin = plane.data() + n * stride + n;
  for (int r = 0; r < h; ++r) {
    for (int c = 0; c < w; ++c) {
      origin[r * stride + c] = static_cast<std::uint8_t>(r * 16 + c);
    }
  }
  Mp4DecPadFrame(origin, stride, h + 2 * n, n);
  auto at = [&](int r, int c) { return plane[static_cast<std::size_t>(r * stride + c)]; };
  for (int r = 0; r < n; ++r) {
    for (int c = 0; c < n; ++c) {
      EXPECT_EQ(at(r, c), 0);
      EXPECT_EQ(at(r, stride - 1 - c), 15);
      EXPECT_EQ(at(stride - 1 - r, c), 240);
      EXPECT_EQ(at(stride - 1 - r, stride - 1 - c), 255);
    }
  }
  EXPECT_EQ(at(0, n + 5), 5);             // above: the first row
  EXPECT_EQ(at(stride - 1, n + 5), 245);  // below: the last row
  EXPECT_EQ(at(n + 3, 0), 48);            // left: the row's first pixel
  EXPECT_EQ(at(n + 3, stride - 1), 63);   // right: the row's last pixel
}

TEST(SelectOutput, ModesSetConverterAndOrientation) {
  auto ctx = std::make_unique<Mp4DecContext>();
  EXPECT_EQ(Mp4DecSelectOutput(*ctx, 4), 1);
  EXPECT_EQ(ctx->orientation, -1);
  EXPECT_EQ(ctx->converter, &Mp4DecYuvToRgb32);
  Mp4DecSelectOutput(*ctx, 12);  // outside 1..11: only the orientation changes
  EXPECT_EQ(ctx->orientation, 1);
  EXPECT_EQ(ctx->converter, &Mp4DecYuvToRgb32);
  const std::pair<int, Mp4DecConverter> modes[] = {
      {1, Mp4DecYuvToBgrPrim}, {2, Mp4DecYuvToUyvy},   {3, Mp4DecCopyPlanar}, {5, Mp4DecYuvToRgb24},
      {6, Mp4DecYuvToRgb555},  {7, Mp4DecYuvToRgb565}, {8, Mp4DecYuvToRgb32}, {9, Mp4DecYuvToRgb24},
      {10, Mp4DecYuvToRgb555}, {11, Mp4DecYuvToRgb565}};
  for (const auto& [mode, converter] : modes) {
    Mp4DecSelectOutput(*ctx, mode);
    EXPECT_EQ(ctx->converter, converter) << mode;
    EXPECT_EQ(ctx->orientation, mode >= 4 && mode <= 7 ? -1 : 1) << mode;
  }
}

TEST(OutputBytes, PerMode) {
  EXPECT_EQ(Mp4DecOutputBytes(1, 720, 576, 720), 720U * 576 * 3);
  EXPECT_EQ(Mp4DecOutputBytes(4, 720, 576, 720), 720U * 576 * 4);
  EXPECT_EQ(Mp4DecOutputBytes(10, 720, 576, 720), 720U * 576 * 2);
  EXPECT_EQ(Mp4DecOutputBytes(2, 720, 576, 800), 800U * 576 * 2);
  EXPECT_EQ(Mp4DecOutputBytes(3, 720, 576, 720), 720U * 576 * 3 / 2);
  EXPECT_EQ(Mp4DecOutputBytes(12, 720, 576, 720), 0U);
}

}  // namespace
