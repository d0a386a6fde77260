#include "prim/resize/resize_nearest.h"

#include <cstring>

namespace {

using Byte = std::uint8_t;

// The three bytes of a pixel, read as four (the fourth exists: see wideColumns) and masked.
std::uint64_t LoadPixel(const Byte* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v & 0xFFFFFFu;
}

void StoreWord(Byte* p, std::uint64_t v) {
  std::memcpy(p, &v, 8);
}

// Copies one destination row of 8-bit three-channel pixels. While the source pixels of eight
// destination columns all have a byte after them in the image (columns below wideColumns),
// the eight pixels are packed into three 64-bit words and stored as exactly 24 bytes; the
// rest is copied byte by byte.
void GatherRow8uC3(const Byte* srcRow, Byte* dstRow, const std::ptrdiff_t* columns,
                   std::int32_t width, std::int32_t wideColumns, std::int32_t advance) {
  std::int32_t c = 0;
  if (advance == 3) {
    for (; c + 8 <= wideColumns; c += 8) {
      const std::ptrdiff_t* o = columns + c;
      const std::uint64_t p0 = LoadPixel(srcRow + o[0]);
      const std::uint64_t p1 = LoadPixel(srcRow + o[1]);
      const std::uint64_t p2 = LoadPixel(srcRow + o[2]);
      const std::uint64_t p3 = LoadPixel(srcRow + o[3]);
      const std::uint64_t p4 = LoadPixel(srcRow + o[4]);
      const std::uint64_t p5 = LoadPixel(srcRow + o[5]);
      const std::uint64_t p6 = LoadPixel(srcRow + o[6]);
      const std::uint64_t p7 = LoadPixel(srcRow + o[7]);
      Byte* d = dstRow + 3 * static_cast<std::ptrdiff_t>(c);
      StoreWord(d, p0 | (p1 << 24) | (p2 << 48));
      StoreWord(d + 8, (p2 >> 16) | (p3 << 8) | (p4 << 32) | (p5 << 56));
      StoreWord(d + 16, (p5 >> 8) | (p6 << 16) | (p7 << 40));
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
