// The skin bitmaps the windows load by name, with the pixel size each one is drawn at.
// The generator writes every entry below into BMP/ beside the programs; the tests check that
// every name the windows ask for is in this list. Pure C++ (no Qt), so the generator needs
// nothing but the standard library.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace skin {

struct SkinBitmap {
  std::string path;  // as the windows name it: "BMP\\x.bmp" or "BMP\\LOGIN\\x.bmp"
  std::uint16_t width;
  std::uint16_t height;
  std::string label;  // a short text drawn on the face; empty for plain fills
  // Pieces of one window frame share a tone (empty: the tone follows the name); a piece drawn
  // stretched is a flat fill without a bevel, so stretching does not smear its edges.
  std::string tone;
  bool stretched = false;
};

// Every skin bitmap of the program, without duplicates, in a stable order.
std::vector<SkinBitmap> AllSkinBitmaps();

}  // namespace skin
