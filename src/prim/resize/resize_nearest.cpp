#include "prim/resize/resize_nearest.h"

#include <cstring>

namespace {

using Byte = std::uint8_t;

// Copies one destination row of 8-bit three-channel pixels. Columns below wideColumns move
// four bytes at once: the fourth source byte exists (the pixel is not the image's last in its
// row) and the fourth destination byte is the next pixel's first, written again right after.
void GatherRow8uC3(const Byte* srcRow, Byte* dstRow, const std::ptrdiff_t* columns,
                   std::int32_t width, std::int32_t wideColumns, std::int32_t advance) {
  std::int32_t c = 0;
  if (advance == 3) {
    for (; c < wideColumns; ++c) {
      std::uint32_t pixel;
      std::memcpy(&pixel, srcRow + columns[c], 4);
      std::memcpy(dstRow + 3 * static_cast<std::ptrdiff_t>(c), &pixel, 4);
    }
  }
  for (; c < width; ++c) {
    const Byte* s = srcRow + columns[c];
    Byte* d = dstRow + advance * static_cast<std::ptrdiff_t>(c);
    d[0] = s[0];
    d[1] = s[1];
    d[2] = s[2];
  }
}

// The gather of one 8-bit three-channel call. A destination row that maps to the same source
// row as the one before it is that row again, so it is copied from the destination instead of
// gathered a second time (only when the rows hold nothing but the pixels and do not overlap).
void Nearest8uC3(const ResizePassArgs& a) {
  const auto* src = static_cast<const Byte*>(a.srcBase);
  auto* dst = static_cast<Byte*>(a.dst);
  const std::size_t rowBytes = 3 * static_cast<std::size_t>(a.width);
  const bool reuseRows = a.pixelElements == 3 && a.dstStep >= static_cast<std::ptrdiff_t>(rowBytes);
  for (std::int32_t r = 0; r < a.height; ++r) {
    Byte* dstRow = dst + r * a.dstStep;
    if (r > 0 && reuseRows && a.rowOffsets[r] == a.rowOffsets[r - 1]) {
      std::memcpy(dstRow, dstRow - a.dstStep, rowBytes);
      continue;
    }
    GatherRow8uC3(src + a.rowOffsets[r], dstRow, a.columnOffsets, a.width, a.wideColumns,
                  a.pixelElements);
  }
}

}  // namespace

void ResizeNearestPass_8u_C3(const ResizePassArgs& args) {
  Nearest8uC3(args);
}

void ResizeNearestPass_8u_C3_Sse2(const ResizePassArgs& args) {
  Nearest8uC3(args);
}
