// A 5x7 pixel font for the short labels on generated skin bitmaps.
#pragma once

#include <array>
#include <string_view>

namespace skin {

inline constexpr int kGlyphWidth = 5;
inline constexpr int kGlyphHeight = 7;

struct Glyph {
  char ch;
  std::array<std::string_view, kGlyphHeight> rows;  // '#' marks a set pixel
};

// Rows of the glyph for ch (upper case); a blank glyph for characters the font lacks.
const std::array<std::string_view, kGlyphHeight>& GlyphRows(char ch);

}  // namespace skin
