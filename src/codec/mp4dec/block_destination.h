// Where a block of a macroblock lies in the decode frame, for every writer of blocks.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/mp4dec/context.h"

// The first sample of a block and the step from one of its rows to the next.
struct Mp4DecBlockDestination {
  std::uint8_t* origin;
  std::ptrdiff_t stride;
};

// Block b (0..3 luma, 4 Cb, 5 Cr) of the macroblock at (x, y) of the decode frame. With
// `fieldLayout` (dct_type 1) a luma block takes every other row of the macroblock: blocks 0
// and 1 the top field's rows, 2 and 3 the bottom field's, from the first or the second row.
inline Mp4DecBlockDestination Mp4DecBlockDestinationOf(const Mp4DecInstance& inst, int b, int x,
                                                       int y, bool fieldLayout) {
  const Mp4DecGeometry& g = ContextOf(inst).geometry;
  if (b < 4) {
    const std::ptrdiff_t stride = g.paddedLumaWidth;
    const int column = 16 * x + 8 * (b & 1);
    const int half = (b >> 1) & 1;
    if (fieldLayout) {
      return {inst.decodeOrigin[0] + (16 * y + half) * stride + column, 2 * stride};
    }
    return {inst.decodeOrigin[0] + (16 * y + 8 * half) * stride + column, stride};
  }
  const std::ptrdiff_t stride = g.paddedChromaWidth;
  return {inst.decodeOrigin[b == 4 ? 1 : 2] + 8 * y * stride + 8 * x, stride};
}
