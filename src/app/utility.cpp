#include "app/utility.h"

#include <algorithm>
#include <cctype>
#include <cstddef>

namespace {

void UpperCase(std::string& text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
}

// Value of one hexadecimal character the way the login reply's fields are read: no validation,
// garbage gives garbage but stays within a byte.
unsigned HexValue(char c) {
  const auto code = static_cast<unsigned char>(c);
  return code < 'A' ? code - 48u : code - 55u;
}

// Decimal value of a field as the C library's integer reading takes it: blanks, an optional
// sign, then the leading digits; wraps instead of overflowing.
std::uint32_t DecimalValue(std::string_view field) {
  std::size_t i = 0;
  while (i < field.size() && std::isspace(static_cast<unsigned char>(field[i]))) {
    ++i;
  }
  bool negative = false;
  if (i < field.size() && (field[i] == '-' || field[i] == '+')) {
    negative = field[i] == '-';
    ++i;
  }
  std::uint32_t value = 0;
  for (; i < field.size() && std::isdigit(static_cast<unsigned char>(field[i])); ++i) {
    value = value * 10u + static_cast<std::uint32_t>(field[i] - '0');
  }
  return negative ? 0u - value : value;
}

}  // namespace

int HexTextToBytes(std::string text, std::span<std::uint8_t> out) {
  UpperCase(text);
  const std::size_t pairs = std::min(text.size() / 2, out.size());
  std::fill_n(out.begin(), pairs, std::uint8_t{0});
  for (std::size_t i = 0; i < pairs; ++i) {
    out[i] = static_cast<std::uint8_t>(16u * HexValue(text[2 * i]) + HexValue(text[2 * i + 1]));
  }
  return 1;
}

int HexTextToBytes(std::string text, std::span<std::uint8_t> out, char removed) {
  std::erase(text, removed);
  return HexTextToBytes(std::move(text), out);
}

int SplitTextToBytes(std::string text, std::span<std::uint8_t> out, std::string_view delimiters) {
  std::fill(out.begin(), out.end(), std::uint8_t{0});
  UpperCase(text);
  std::size_t stored = 0;
  std::size_t pos = 0;
  while (stored < out.size()) {
    pos = text.find_first_not_of(delimiters, pos);
    if (pos == std::string::npos) {
      break;
    }
    const std::size_t end = std::min(text.find_first_of(delimiters, pos), text.size());
    out[stored++] =
        static_cast<std::uint8_t>(DecimalValue(std::string_view(text).substr(pos, end - pos)));
    pos = end;
  }
  return 1;
}

std::string FormatTwoDigits(int value) {
  const int part = value % 100;
  return part < 10 ? "0" + std::to_string(part) : std::to_string(part);
}

int FilterDigits(std::string& text, std::uint8_t mode) {
  if (text.size() >= 256) {
    return 0;
  }
  std::string kept;
  kept.reserve(text.size());
  for (const char c : text) {
    if (std::isdigit(static_cast<unsigned char>(c)) || (mode == 0 && c == '-' && kept.empty())) {
      kept.push_back(c);
    }
  }
  text = std::move(kept);
  return 1;
}

namespace {

// Writes one pixel when (column, row) lies inside the picture and the buffer.
class MarkerCanvas {
 public:
  MarkerCanvas(std::span<std::uint8_t> image, int width, int height, std::uint32_t colour)
      : m_image(image), m_width(width), m_height(height) {
    m_bytes[0] = static_cast<std::uint8_t>(colour);
    m_bytes[1] = static_cast<std::uint8_t>(colour >> 8);
    m_bytes[2] = static_cast<std::uint8_t>(colour >> 16);
  }

  void Plot(long long column, long long row) {
    if (column < 0 || row < 0 || column >= m_width || row >= m_height) {
      return;
    }
    const auto offset = static_cast<std::size_t>((row * m_width + column) * 3);
    if (offset + 3 > m_image.size()) {
      return;
    }
    std::copy(m_bytes, m_bytes + 3, m_image.begin() + static_cast<std::ptrdiff_t>(offset));
  }

 private:
  std::span<std::uint8_t> m_image;
  int m_width;
  int m_height;
  std::uint8_t m_bytes[3] = {};
};

}  // namespace

int DrawCrossMarker(std::span<std::uint8_t> image, std::uint16_t width, std::uint16_t height,
                    std::uint32_t colour, std::uint32_t /*reserved*/, std::uint16_t x,
                    std::uint32_t y) {
  MarkerCanvas canvas(image, width, height, colour);
  // Signed arithmetic, so a marker near an edge is clipped instead of wrapping around.
  const long long cx = x;
  const long long r = static_cast<long long>(height) - static_cast<long long>(y);
  for (long long d = -8; d <= 8; ++d) {
    for (long long t = -1; t <= 1; ++t) {
      canvas.Plot(cx + d, r + t);  // horizontal bar
      canvas.Plot(cx + t, r + d);  // vertical bar
    }
  }
  for (long long d = 5; d <= 8; ++d) {
    for (const long long side : {-8LL, 8LL}) {
      // Brackets on the top and bottom rows of the box.
      canvas.Plot(cx - d, r + side);
      canvas.Plot(cx + d, r + side);
      // Brackets on the left and right columns of the box.
      canvas.Plot(cx + side, r - d);
      canvas.Plot(cx + side, r + d);
    }
  }
  return 1;
}

bool IsMmxPresent() {
#if defined(__x86_64__) || defined(__i386__)
  return __builtin_cpu_supports("mmx");
#else
  return false;
#endif
}
