// Writes the program's skin bitmaps into <folder>/BMP and <folder>/BMP/LOGIN: flat fills with a
// one-pixel bevel and a short label, with a lighter tint for the under-the-mouse images, a darker
// one with a sunken bevel for the pressed images and grey for the disabled ones.
// Usage: kavelin_bitmapgen <program folder>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "skin/skin_bitmap_list.h"
#include "tiny_font.h"

namespace {

struct Rgb {
  int r, g, b;
};

enum class Variant { Normal, Over, Down, Disabled };

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// File stem as spelled, without folders and extension.
std::string Stem(const std::string& path) {
  const std::string name = path.substr(path.find_last_of('\\') + 1);
  return name.substr(0, name.rfind('.'));
}

Variant VariantOf(const std::string& spelled) {
  const std::string stem = Lower(spelled);
  if (EndsWith(stem, "_n") || stem.find("disable") != std::string::npos) {
    return Variant::Disabled;
  }
  // "_down" and "_Down" mark a pressed image; "_DOWN" is the direction key.
  if (EndsWith(spelled, "_down") || EndsWith(spelled, "_Down"))
    return Variant::Down;
  if (EndsWith(stem, "_over") || EndsWith(stem, "_a"))
    return Variant::Over;
  return Variant::Normal;
}

// The stem without its variant suffix, so that the images of one button share a hue.
std::string FamilyOf(const std::string& spelled) {
  std::string stem = Lower(spelled);
  for (const char* tail : {"_over", "_down", "_a", "_n"}) {
    if (std::string_view(tail) == "_down" && VariantOf(spelled) != Variant::Down)
      continue;
    if (EndsWith(stem, tail)) {
      stem.resize(stem.size() - std::string(tail).size());
      break;
    }
  }
  return stem;
}

Rgb BaseColour(const std::string& family) {
  // FNV-1a of the family name picks one of a few calm hues.
  std::uint32_t h = 2166136261u;
  for (unsigned char c : family)
    h = (h ^ c) * 16777619u;
  static constexpr std::array<Rgb, 8> kHues = {{{40, 70, 120},
                                                {30, 100, 90},
                                                {110, 60, 40},
                                                {80, 50, 110},
                                                {50, 90, 50},
                                                {120, 90, 30},
                                                {40, 90, 130},
                                                {100, 40, 70}}};
  if (family.find("_bg") != std::string::npos || family.find("background") != std::string::npos) {
    return {28, 34, 48};
  }
  return kHues[h % kHues.size()];
}

int Clamp(int v) {
  return std::clamp(v, 0, 255);
}

Rgb Tint(Rgb c, Variant v) {
  switch (v) {
    case Variant::Over:
      return {Clamp(c.r + 70), Clamp(c.g + 70), Clamp(c.b + 70)};
    case Variant::Down:
      return {c.r / 2, c.g / 2, c.b / 2};
    case Variant::Disabled: {
      const int y = (c.r * 30 + c.g * 59 + c.b * 11) / 100;
      return {y + 40, y + 40, y + 40};
    }
    case Variant::Normal:
      break;
  }
  return c;
}

class Canvas {
 public:
  Canvas(int w, int h, Rgb fill) : m_w(w), m_h(h), m_px(static_cast<std::size_t>(w * h), fill) {}
  void Set(int x, int y, Rgb c) {
    if (x >= 0 && y >= 0 && x < m_w && y < m_h)
      m_px[static_cast<std::size_t>(y * m_w + x)] = c;
  }
  void Bevel(Rgb light, Rgb dark) {
    for (int x = 0; x < m_w; ++x) {
      Set(x, 0, light);
      Set(x, m_h - 1, dark);
    }
    for (int y = 0; y < m_h; ++y) {
      Set(0, y, light);
      Set(m_w - 1, y, dark);
    }
  }
  void Text(const std::string& text, Rgb colour) {
    const int advance = skin::kGlyphWidth + 1;
    const int fit = std::max(0, (m_w - 2) / advance);
    const std::string shown = text.substr(0, static_cast<std::size_t>(fit));
    if (shown.empty() || m_h < skin::kGlyphHeight)
      return;
    const int x0 = (m_w - static_cast<int>(shown.size()) * advance + 1) / 2;
    const int y0 = (m_h - skin::kGlyphHeight) / 2;
    for (std::size_t i = 0; i < shown.size(); ++i) {
      const auto& rows = skin::GlyphRows(shown[i]);
      for (int y = 0; y < skin::kGlyphHeight; ++y) {
        for (int x = 0; x < skin::kGlyphWidth; ++x) {
          if (rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] == '#') {
            Set(x0 + static_cast<int>(i) * advance + x, y0 + y, colour);
          }
        }
      }
    }
  }
  // 24-bit bottom-up BMP, rows padded to four bytes.
  bool Save(const std::filesystem::path& file) const {
    const int stride = (m_w * 3 + 3) & ~3;
    const std::uint32_t imageSize = static_cast<std::uint32_t>(stride * m_h);
    std::vector<std::uint8_t> out;
    auto put16 = [&](std::uint32_t v) {
      out.push_back(static_cast<std::uint8_t>(v));
      out.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    auto put32 = [&](std::uint32_t v) {
      put16(v & 0xFFFF);
      put16(v >> 16);
    };
    out.push_back('B');
    out.push_back('M');
    put32(54 + imageSize);
    put32(0);
    put32(54);
    put32(40);
    put32(static_cast<std::uint32_t>(m_w));
    put32(static_cast<std::uint32_t>(m_h));
    put16(1);
    put16(24);
    put32(0);
    put32(imageSize);
    put32(2835);
    put32(2835);
    put32(0);
    put32(0);
    for (int y = m_h - 1; y >= 0; --y) {
      for (int x = 0; x < m_w; ++x) {
        const Rgb& c = m_px[static_cast<std::size_t>(y * m_w + x)];
        out.push_back(static_cast<std::uint8_t>(c.b));
        out.push_back(static_cast<std::uint8_t>(c.g));
        out.push_back(static_cast<std::uint8_t>(c.r));
      }
      for (int pad = m_w * 3; pad < stride; ++pad)
        out.push_back(0);
    }
    std::ofstream f(file, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
    return static_cast<bool>(f);
  }

 private:
  int m_w, m_h;
  std::vector<Rgb> m_px;
};

bool Draw(const skin::SkinBitmap& bmp, const std::filesystem::path& root) {
  const std::string stem = Stem(bmp.path);
  // Frame pieces have no variants ("left_down" is the bottom left corner, not a pressed look).
  const Variant variant = bmp.tone.empty() ? VariantOf(stem) : Variant::Normal;
  const Rgb face = Tint(BaseColour(bmp.tone.empty() ? FamilyOf(stem) : bmp.tone), variant);
  Canvas canvas(bmp.width, bmp.height, face);
  const Rgb light = Tint(face, Variant::Over);
  const Rgb dark = {face.r / 2, face.g / 2, face.b / 2};
  if (bmp.stretched) {
    // Flat: a stretched bevel would smear into bands.
  } else if (variant == Variant::Down) {
    canvas.Bevel(dark, light);
  } else {
    canvas.Bevel(light, dark);
  }
  const Rgb ink = variant == Variant::Disabled ? Rgb{90, 90, 90} : Rgb{245, 245, 245};
  canvas.Text(bmp.label, ink);
  std::string relative = bmp.path;
  std::replace(relative.begin(), relative.end(), '\\', '/');
  const std::filesystem::path file = root / relative;
  std::filesystem::create_directories(file.parent_path());
  return canvas.Save(file);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <program folder>\n", argv[0]);
    return 2;
  }
  const std::filesystem::path root = argv[1];
  int failures = 0;
  for (const skin::SkinBitmap& bmp : skin::AllSkinBitmaps()) {
    if (!Draw(bmp, root)) {
      std::fprintf(stderr, "kavelin_bitmapgen: cannot write %s\n", bmp.path.c_str());
      ++failures;
    }
  }
  return failures == 0 ? 0 : 1;
}
