#include "prim/resize/resize_nearest.h"

#include <cstring>

#include "prim/resize/resize_element.h"

namespace {

using Byte = std::uint8_t;

// Copies one destination row of 8-bit three-channel pixels packed three bytes apart. Pairs of
// pixels are read four bytes each (the fourth is the next element of the image) and stored as
// one eight-byte word whose last two bytes the next pair overwrites. `wide` columns have a
// fourth byte inside the image row; the last column is never stored wide, so nothing after
// the row's last pixel is written.
void GatherRow8uC3(const Byte* srcRow, Byte* dstRow, const std::ptrdiff_t* columns,
                   std::int32_t width, std::int32_t wide) {
  const auto pixel = [&](std::int32_t c) -> std::uint64_t {
    return resize::Load<std::uint32_t>(srcRow + columns[c]);
  };
  std::int32_t c = 0;
  const std::int32_t bodyEnd = wide < width - 1 ? wide : width - 1;
  for (; c + 8 <= bodyEnd; c += 8) {
    Byte* d = dstRow + 3 * static_cast<std::ptrdiff_t>(c);
    for (int j = 0; j < 8; j += 2) {
      resize::Store<std::uint64_t>(d + 3 * j,
                                   (pixel(c + j) & 0xFFFFFFu) | (pixel(c + j + 1) << 24));
    }
  }
  for (; c < width; ++c) {
    std::memcpy(dstRow + 3 * static_cast<std::ptrdiff_t>(c), srcRow + columns[c], 3);
  }
}

// Runs of destination columns that take the same source pixel (enlarging): its byte offset
// and the number of columns.
struct Run {
  std::int32_t offset;
  std::int32_t length;
};

// The runs of the leading columns whose stores stay inside the row: each run writes eight-byte
// words of its pixel repeated from its first column on, at most eleven bytes past its last
// column, which the following runs overwrite. Returns the columns covered.
std::int32_t MakeRuns(const std::ptrdiff_t* columns, std::int32_t width, std::int32_t wide,
                      Run* runs, std::int32_t& count) {
  count = 0;
  std::int32_t c = 0;
  while (c < wide) {
    std::int32_t e = c + 1;
    while (e < wide && columns[e] == columns[c]) {
      ++e;
    }
    const std::int32_t length = e - c;
    const std::int32_t stores = length < 4 ? 2 : (length + 1) / 2;
    if (3 * c + 3 * 2 * (stores - 1) + 8 > 3 * width) {
      break;
    }
    runs[count++] = {static_cast<std::int32_t>(columns[c]), length};
    c = e;
  }
  return c;
}

// One destination row from its runs: each run's pixel repeated into an eight-byte word (the
// three bytes times 0x0001000001000001 puts them at bytes 0, 3 and 6), stored every two
// columns; then the columns after the runs one by one.
void GatherRuns8uC3(const Byte* srcRow, Byte* dstRow, const Run* runs, std::int32_t count,
                    std::int32_t covered, const std::ptrdiff_t* columns, std::int32_t width) {
  Byte* d = dstRow;
  for (std::int32_t r = 0; r < count; ++r) {
    const Run run = runs[r];
    const std::uint64_t word =
        (resize::Load<std::uint32_t>(srcRow + run.offset) & 0xFFFFFFu) * 0x0001000001000001ull;
    resize::Store<std::uint64_t>(d, word);
    resize::Store<std::uint64_t>(d + 6, word);
    for (std::int32_t i = 4; i < run.length; i += 2) {
      resize::Store<std::uint64_t>(d + 3 * i, word);
    }
    d += 3 * run.length;
  }
  for (std::int32_t c = covered; c < width; ++c) {
    std::memcpy(dstRow + 3 * static_cast<std::ptrdiff_t>(c), srcRow + columns[c], 3);
  }
}

// Leading columns whose source pixel has `extra` more bytes after it inside the image row;
// the offsets do not decrease along a row, so they form a prefix.
std::int32_t WideColumns(const ResizePassArgs& a, std::ptrdiff_t extra) {
  std::int32_t wide = a.width;
  while (wide > 0 && a.columnOffsets[wide - 1] + 3 + extra > a.rowElements) {
    --wide;
  }
  return wide;
}

// `kCopy` elements of type T per pixel; the destination advances by `kCopy` elements per
// pixel, or by the pixel's element count for three channels. A destination row that maps to
// the same source row as the one before it is that row again, so it is copied from the
// destination instead of gathered a second time (when the rows hold nothing but the pixels).
// Packed 8-bit three-channel rows enlarged by four or more are written run by run when the
// driver gives room for the runs (ResizePassArgs::columnScratch).
template <class T, int kCopy>
void NearestPass(const ResizePassArgs& a) {
  if (a.width < 1 || a.height < 1) {
    return;
  }
  const std::ptrdiff_t advance = kCopy == 3 ? a.pixelElements : kCopy;
  const std::size_t rowBytes = sizeof(T) * kCopy * static_cast<std::size_t>(a.width);
  const bool reuseRows = advance == kCopy && a.dstStep * static_cast<std::ptrdiff_t>(sizeof(T)) >=
                                                 static_cast<std::ptrdiff_t>(rowBytes);
  const bool packed8uC3 = sizeof(T) == 1 && kCopy == 3 && advance == 3;
  const std::int32_t wide = packed8uC3 ? WideColumns(a, 1) : 0;
  // Enlarging by four or more, the runs of equal columns (in the driver's scratch).
  auto* runs = static_cast<Run*>(a.columnScratch);
  std::int32_t runCount = 0;
  std::int32_t covered = 0;
  if (packed8uC3 && runs != nullptr) {
    covered = MakeRuns(a.columnOffsets, a.width, wide, runs, runCount);
    if (4 * runCount > covered) {
      runs = nullptr;
    }
  }
  for (std::int32_t r = 0; r < a.height; ++r) {
    const resize::DstRow<T> dstRow = resize::DestinationRow<T>(a.dst, a.dstStep, r);
    if (r > 0 && reuseRows && a.rowOffsets[r] == a.rowOffsets[r - 1]) {
      std::memcpy(dstRow.bytes, dstRow.bytes - a.dstStep * sizeof(T), rowBytes);
      continue;
    }
    const resize::SrcRow<T> srcRow = resize::SourceRow<T>(a.srcBase, a.rowOffsets[r]);
    if (packed8uC3 && runs != nullptr) {
      GatherRuns8uC3(srcRow.bytes, dstRow.bytes, runs, runCount, covered, a.columnOffsets, a.width);
      continue;
    }
    if (packed8uC3) {
      GatherRow8uC3(srcRow.bytes, dstRow.bytes, a.columnOffsets, a.width, wide);
      continue;
    }
    for (std::int32_t c = 0; c < a.width; ++c) {
      std::memcpy(dstRow.At(c * advance), srcRow.At(a.columnOffsets[c]), sizeof(T) * kCopy);
    }
  }
}

}  // namespace

void ResizeNearestPass_8u_C3(const ResizePassArgs& args) {
  NearestPass<std::uint8_t, 3>(args);
}
void ResizeNearestPass_16u_C3(const ResizePassArgs& args) {
  NearestPass<std::uint16_t, 3>(args);
}
void ResizeNearestPass_32f_C3(const ResizePassArgs& args) {
  NearestPass<float, 3>(args);
}
void ResizeNearestPass_8u_C1(const ResizePassArgs& args) {
  NearestPass<std::uint8_t, 1>(args);
}
void ResizeNearestPass_16u_C1(const ResizePassArgs& args) {
  NearestPass<std::uint16_t, 1>(args);
}
void ResizeNearestPass_32f_C1(const ResizePassArgs& args) {
  NearestPass<float, 1>(args);
}
void ResizeNearestPass_8u_C4(const ResizePassArgs& args) {
  NearestPass<std::uint8_t, 4>(args);
}
void ResizeNearestPass_16u_C4(const ResizePassArgs& args) {
  NearestPass<std::uint16_t, 4>(args);
}
void ResizeNearestPass_32f_C4(const ResizePassArgs& args) {
  NearestPass<float, 4>(args);
}

void ResizeNearestPass_8u_C3_Sse2(const ResizePassArgs& args) {
  NearestPass<std::uint8_t, 3>(args);
}
