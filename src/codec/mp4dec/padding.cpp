#include "codec/mp4dec/padding.h"

#include <cstring>

void Mp4DecPadFrame(std::uint8_t* origin, std::int32_t stride, std::int32_t paddedHeight,
                    std::int32_t n) {
  const std::int32_t width = stride - 2 * n;
  const std::int32_t height = paddedHeight - 2 * n;
  if (width < 1 || height < 1 || n < 0) {
    return;
  }
  // Left and right of every visible row.
  for (std::int32_t row = 0; row < height; ++row) {
    std::uint8_t* line = origin + static_cast<std::ptrdiff_t>(row) * stride;
    std::memset(line - n, line[0], static_cast<std::size_t>(n));
    std::memset(line + width, line[width - 1], static_cast<std::size_t>(n));
  }
  // Rows above and below, borders included, which gives the corners their nearest pixel.
  const std::uint8_t* first = origin - n;
  const std::uint8_t* last = origin + static_cast<std::ptrdiff_t>(height - 1) * stride - n;
  for (std::int32_t row = 1; row <= n; ++row) {
    std::memcpy(origin - static_cast<std::ptrdiff_t>(row) * stride - n, first,
                static_cast<std::size_t>(stride));
    std::memcpy(origin + static_cast<std::ptrdiff_t>(height - 1 + row) * stride - n, last,
                static_cast<std::size_t>(stride));
  }
}
