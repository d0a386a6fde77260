#include "app/utility.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

namespace {

TEST(FormatTwoDigitsTest, TakesTheValueModulo100WithALeadingZero) {
  const std::vector<std::pair<int, const char*>> cases = {{2026, "26"}, {7, "07"},   {0, "00"},
                                                          {10, "10"},   {99, "99"},  {100, "00"},
                                                          {1905, "05"}, {312, "12"}, {999, "99"}};
  for (const auto& [value, expected] : cases) {
    EXPECT_EQ(FormatTwoDigits(value), expected) << value;
  }
}

TEST(FilterDigitsTest, KeepsDigitsAndALeadingMinusByMode) {
  struct Case {
    const char* text;
    std::uint8_t mode;
    const char* expected;
  };
  const Case cases[] = {
      {"-12a-3", 0, "-123"}, {"-12a-3", 1, "123"}, {"a-1", 0, "-1"}, {"1-2", 0, "12"},
      {"--5", 0, "-5"},      {"", 0, ""},          {"abc", 0, ""},   {" 4 2 ", 1, "42"},
      {"-", 0, "-"},         {"-", 1, ""},         {"x-9", 2, "9"},
  };
  for (const Case& c : cases) {
    std::string text = c.text;
    EXPECT_EQ(FilterDigits(text, c.mode), 1) << c.text;
    EXPECT_EQ(text, c.expected) << c.text << " mode " << int{c.mode};
  }
}

TEST(FilterDigitsTest, LeavesATextOf256CharactersOrMoreUnchanged) {
  for (const std::size_t length : {256u, 300u}) {
    std::string text(length, 'a');
    EXPECT_EQ(FilterDigits(text, 0), 0);
    EXPECT_EQ(text, std::string(length, 'a'));
  }
  std::string text(255, 'a');
  EXPECT_EQ(FilterDigits(text, 0), 1);
  EXPECT_EQ(text, "");
}

TEST(HexTextToBytesTest, ConvertsPairsOfCharacters) {
  struct Case {
    const char* text;
    std::vector<std::uint8_t> expected;  // the whole 4-byte output, 0xEE untouched
  };
  const Case cases[] = {
      {"0a1B", {0x0A, 0x1B, 0xEE, 0xEE}},
      {"FFfe0001", {0xFF, 0xFE, 0x00, 0x01}},
      {"0a1", {0x0A, 0xEE, 0xEE, 0xEE}},  // an odd last character is ignored
      {"", {0xEE, 0xEE, 0xEE, 0xEE}},
      // No validation: 'Z' counts 35, so "ZZ" is 16 x 35 + 35 cut to a byte.
      {"ZZ", {static_cast<std::uint8_t>(16 * 35 + 35), 0xEE, 0xEE, 0xEE}},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> out(4, 0xEE);
    EXPECT_EQ(HexTextToBytes(c.text, out), 1);
    EXPECT_EQ(out, c.expected) << c.text;
  }
}

TEST(HexTextToBytesTest, NeverWritesPastTheOutput) {
  std::vector<std::uint8_t> buffer(8, 0xEE);
  const std::span<std::uint8_t> out(buffer.data(), 6);
  EXPECT_EQ(HexTextToBytes("00112233445566778899", out), 1);
  EXPECT_EQ(buffer, (std::vector<std::uint8_t>{0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0xEE, 0xEE}));
}

TEST(HexTextToBytesTest, DropsTheRemovedCharacterFirst) {
  std::vector<std::uint8_t> out(6, 0xEE);
  EXPECT_EQ(HexTextToBytes("00_1a_2B_33_44_55", out, '_'), 1);
  EXPECT_EQ(out, (std::vector<std::uint8_t>{0x00, 0x1A, 0x2B, 0x33, 0x44, 0x55}));
}

TEST(SplitTextToBytesTest, StoresEachFieldCutToAByte) {
  struct Case {
    const char* text;
    const char* delimiters;
    std::vector<std::uint8_t> expected;  // the whole 4-byte output
  };
  const Case cases[] = {
      {"192.168.1.10", ".", {0xC0, 0xA8, 0x01, 0x0A}},
      {"1..2", ".", {1, 2, 0, 0}},  // empty fields are skipped
      {".7.", ".", {7, 0, 0, 0}},
      {"300.-1.256", ".", {0x2C, 0xFF, 0x00, 0}},
      {"1:2.3", ".:", {1, 2, 3, 0}},
      {"a.12b", ".", {0, 12, 0, 0}},
      {"", ".", {0, 0, 0, 0}},
      {"1.2.3.4.5.6", ".", {1, 2, 3, 4}},  // fields beyond the output are dropped
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> out(4, 0xEE);
    EXPECT_EQ(SplitTextToBytes(c.text, out, c.delimiters), 1);
    EXPECT_EQ(out, c.expected) << c.text;
  }
}

// Pixels of the marker by its description: the box of 17 x 17 around (x, r), bars three
// pixels thick through the centre, brackets of four pixels at each corner.
std::set<std::pair<int, int>> ExpectedMarker(int x, int r, int width, int height) {
  std::set<std::pair<int, int>> pixels;
  for (int dy = -8; dy <= 8; ++dy) {
    for (int dx = -8; dx <= 8; ++dx) {
      const int ax = dx < 0 ? -dx : dx;
      const int ay = dy < 0 ? -dy : dy;
      const bool bar = ax <= 1 || ay <= 1;
      const bool bracket = (ay == 8 && ax >= 5) || (ax == 8 && ay >= 5);
      const int column = x + dx;
      const int row = r + dy;
      if ((bar || bracket) && column >= 0 && row >= 0 && column < width && row < height) {
        pixels.insert({column, row});
      }
    }
  }
  return pixels;
}

std::set<std::pair<int, int>> DrawnPixels(const std::vector<std::uint8_t>& image, int width,
                                          int height) {
  std::set<std::pair<int, int>> pixels;
  for (int row = 0; row < height; ++row) {
    for (int column = 0; column < width; ++column) {
      const std::size_t at = (static_cast<std::size_t>(row) * width + column) * 3;
      if (image[at] != 0 || image[at + 1] != 0 || image[at + 2] != 0) {
        EXPECT_EQ(image[at], 0xAA);
        EXPECT_EQ(image[at + 1], 0xBB);
        EXPECT_EQ(image[at + 2], 0xCC);
        pixels.insert({column, row});
      }
    }
  }
  return pixels;
}

TEST(DrawCrossMarkerTest, DrawsTheMarkerClippedToThePicture) {
  constexpr int kWidth = 40;
  constexpr int kHeight = 30;
  struct Case {
    std::uint16_t x;
    std::uint32_t y;
    std::size_t pixels;  // drawn pixels, 121 for a whole marker
  };
  const Case cases[] = {
      {20, 15, 121},  // whole marker
      {0, 15, 0},     // left half cut away
      {39, 15, 0},    // right half cut away
      {20, 0, 0},     // centre row is the height: only the lower part lies inside
      {20, 30, 0},    // centre row 0
      {20, 40, 0},    // centre below the picture: nothing or the top brackets
      {20, 100, 0},   // far outside: nothing
      {200, 15, 0},   // far right: nothing
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> image(kWidth * kHeight * 3, 0);
    EXPECT_EQ(DrawCrossMarker(image, kWidth, kHeight, 0x00CCBBAA, 0, c.x, c.y), 1);
    const int r = kHeight - static_cast<int>(c.y);
    const auto expected = ExpectedMarker(c.x, r, kWidth, kHeight);
    EXPECT_EQ(DrawnPixels(image, kWidth, kHeight), expected) << c.x << "," << c.y;
    if (c.pixels != 0) {
      EXPECT_EQ(expected.size(), c.pixels);
    }
  }
}

TEST(DrawCrossMarkerTest, StaysInsideAShortBuffer) {
  // The buffer holds only rows 0..9 of a 20 x 20 picture and ends in the middle of the
  // marker (rows 2..18); rows past it must not be written (the sanitizer build checks).
  constexpr int kWidth = 20;
  constexpr int kHeight = 20;
  std::vector<std::uint8_t> image(kWidth * 10 * 3, 0);
  EXPECT_EQ(DrawCrossMarker(image, kWidth, kHeight, 0xFFFFFF, 0, 10, 10), 1);
  EXPECT_EQ(image[(9 * kWidth + 10) * 3], 0xFF);  // the vertical bar in the last row held
}

TEST(IsMmxPresentTest, MatchesTheBuildTarget) {
#if defined(__x86_64__)
  EXPECT_TRUE(IsMmxPresent());
#else
  SUCCEED();
#endif
}

}  // namespace
