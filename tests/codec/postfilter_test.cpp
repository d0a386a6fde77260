// The deblocking post-filter: the two modes on the edge cases of each direction, the strip
// schedule on a small picture, and the decoder's output with the switch on (the reference
// pictures stay unfiltered).
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "codec/mp4dec/postfilter.h"
#include "mp4dec_harness.h"

namespace {

// A 16-wide image of `rows` rows, every row holding `line` at columns 3..12 (s0..s9 of the edge
// at column 8), the rest copying the nearest end.
std::vector<std::uint8_t> AcrossVerticalEdge(const std::array<int, 10>& line, int rows) {
  std::vector<std::uint8_t> image(static_cast<std::size_t>(16 * rows));
  for (int r = 0; r < rows; ++r) {
    for (int x = 0; x < 16; ++x) {
      image[static_cast<std::size_t>(16 * r + x)] =
          static_cast<std::uint8_t>(line[static_cast<std::size_t>(std::clamp(x - 3, 0, 9))]);
    }
  }
  return image;
}

struct EdgeCase {
  const char* name;
  std::array<int, 10> line;
  int qp;
  int s4;  // s4 and s5 afterwards
  int s5;
  bool othersUnchanged;
};

TEST(Deblock, VerticalEdgeModes) {
  const EdgeCase cases[] = {
      {"DcOffsetMode", {100, 100, 100, 100, 100, 104, 104, 104, 104, 104}, 4, 102, 103, false},
      {"OutOfRangeForDcOffset",
       {100, 100, 100, 100, 100, 104, 104, 104, 104, 104},
       2,
       100,
       104,
       true},
      {"DefaultMode", {60, 66, 60, 66, 60, 80, 86, 80, 74, 80}, 10, 63, 77, true},
      {"DefaultModeLeavesALargeStep", {60, 66, 60, 66, 60, 80, 86, 80, 74, 80}, 1, 60, 80, true},
  };
  for (const EdgeCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::uint8_t> image = AcrossVerticalEdge(c.line, 4);
    const std::vector<std::uint8_t> before = image;
    const std::int32_t qpRow[2] = {c.qp, c.qp};
    Mp4DecDeblockVerticalEdges(image.data(), 16, 16, qpRow);
    for (int r = 0; r < 4; ++r) {
      EXPECT_EQ(image[static_cast<std::size_t>(16 * r + 7)], c.s4) << r;
      EXPECT_EQ(image[static_cast<std::size_t>(16 * r + 8)], c.s5) << r;
      if (c.othersUnchanged) {
        for (int x = 0; x < 16; ++x) {
          if (x != 7 && x != 8) {
            EXPECT_EQ(image[static_cast<std::size_t>(16 * r + x)],
                      before[static_cast<std::size_t>(16 * r + x)]);
          }
        }
      }
    }
  }
}

TEST(Deblock, HorizontalEdgeTakesTheInclusiveRangeTest) {
  // The same samples down the columns of a 16x16 image, the edge at row 8.
  const std::array<int, 10> line = {100, 100, 100, 100, 100, 104, 104, 104, 104, 104};
  std::vector<std::uint8_t> image(16 * 16);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      image[static_cast<std::size_t>(16 * y + x)] =
          static_cast<std::uint8_t>(line[static_cast<std::size_t>(std::clamp(y - 3, 0, 9))]);
    }
  }
  const std::int32_t qpRow[1] = {2};  // |s1 - s8| = 4 <= 2 QP: filtered
  Mp4DecDeblockHorizontalEdge(image.data() + 8 * 16, 16, 16, qpRow);
  for (int x = 0; x < 16; ++x) {
    EXPECT_EQ(image[static_cast<std::size_t>(7 * 16 + x)], 102) << x;
    EXPECT_EQ(image[static_cast<std::size_t>(8 * 16 + x)], 103) << x;
  }
}

TEST(Deblock, ScheduleOnASixteenBySixteenPicture) {
  // A picture of four flat 8x8 quadrants: one vertical edge (column 8) in every strip and one
  // horizontal edge (row 8), both in DC offset mode at QP 8.
  constexpr int kStride = 16 + 64;
  std::vector<std::uint8_t> y(kStride * 16), u(40 * 8, 0), v(40 * 8, 0);
  for (int r = 0; r < 16; ++r) {
    for (int x = 0; x < 16; ++x) {
      y[static_cast<std::size_t>(r * kStride + x)] =
          static_cast<std::uint8_t>(100 + (x >= 8 ? 4 : 0) + (r >= 8 ? 8 : 0));
    }
  }
  for (std::size_t i = 0; i < u.size(); ++i) {
    u[i] = static_cast<std::uint8_t>(i);
    v[i] = static_cast<std::uint8_t>(255 - i);
  }
  std::vector<std::uint8_t> out(16 * 16 + 2 * 64, 0);
  const std::uint8_t* source[3] = {y.data(), u.data(), v.data()};
  std::uint8_t* destination[3] = {out.data(), out.data() + 256, out.data() + 320};
  const std::int32_t map[46] = {8};
  Mp4DecPostFilter(source, kStride, destination, 16, 16, 16, map, 46, 0);
  // Across the vertical edge (before the horizontal one): 102 | 103 in the top rows.
  EXPECT_EQ(out[7], 102);
  EXPECT_EQ(out[8], 103);
  // The first column and row are never edges; samples away from both edges keep their value.
  EXPECT_EQ(out[0], 100);
  EXPECT_EQ(out[15], 104);
  // Across the horizontal edge the rows next to it move toward each other.
  EXPECT_GT(out[7 * 16 + 0], 100);
  EXPECT_LT(out[8 * 16 + 0], 108);
  // Chroma is copied as it is.
  for (int r = 0; r < 8; ++r) {
    for (int x = 0; x < 8; ++x) {
      EXPECT_EQ(destination[1][r * 8 + x], u[static_cast<std::size_t>(r * 40 + x)]);
      EXPECT_EQ(destination[2][r * 8 + x], v[static_cast<std::size_t>(r * 40 + x)]);
    }
  }
}

TEST(Deblock, DecoderOutputFilteredWhileTheReferencesStayUnfiltered) {
  const std::vector<std::uint8_t> stream =
      ReadFile(std::string(TEST_DATA_DIR) + "/p_176x144_pan40.m4v");
  const auto frames = SplitFrames(stream);
  ASSERT_GE(frames.size(), 4u);
  DecoderHarness plain(176, 144, kMp4DecModePlanar, 0);
  DecoderHarness filtered(176, 144, kMp4DecModePlanar, 0);
  filtered.Ctx().postFilter = 1;
  constexpr std::size_t kLuma = 176 * 144;
  bool anyDifference = false;
  for (std::size_t k = 0; k < 4; ++k) {
    ASSERT_EQ(plain.Decode(frames[k]), kMp4DecOk);
    ASSERT_EQ(filtered.Decode(frames[k]), kMp4DecOk);
    EXPECT_EQ(plain.frame0, filtered.frame0) << k;
    EXPECT_EQ(plain.frame1, filtered.frame1) << k;
    EXPECT_TRUE(std::equal(plain.output.begin() + kLuma, plain.output.begin() + kLuma * 3 / 2,
                           filtered.output.begin() + kLuma));
    anyDifference = anyDifference || !std::equal(plain.output.begin(), plain.output.begin() + kLuma,
                                                 filtered.output.begin());
  }
  EXPECT_TRUE(anyDifference);
}

}  // namespace
