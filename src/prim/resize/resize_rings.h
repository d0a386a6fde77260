// Pass control of the filtering kinds, shared by every kernel set: the rows of buffered,
// horizontally filtered source rows that a pass keeps while it walks down the destination.
// A pass supplies its horizontal step (`filter`: source row offset, buffer) and its vertical
// step (`blend`: destination row, buffers); the windows decide which source rows to filter.
// Each window tracks the source row that each buffer holds, so a source row is filtered once
// while the destination rows advance by fewer rows than the window holds, whatever the first
// row offset is.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>

#include "prim/resize/resize_types.h"

namespace resize {

// Linear: two buffers hold source rows `held` and `held` + 1; a destination row one source row
// further swaps them and filters only the new lower row.
template <class Buffer, class Filter, class Blend>
void RunLinearWindow(const ResizePassArgs& a, Filter&& filter, Blend&& blend) {
  if (a.width < 1 || a.height < 1) {
    return;
  }
  auto* upper = static_cast<Buffer*>(a.rowBuffers[0]);
  auto* lower = static_cast<Buffer*>(a.rowBuffers[1]);
  std::ptrdiff_t held = a.rowOffsets[0];
  filter(held, upper);
  filter(held + a.srcStep, lower);
  for (std::int32_t r = 0; r < a.height; ++r) {
    const std::ptrdiff_t offset = a.rowOffsets[r];
    if (offset != held) {
      if (offset == held + a.srcStep) {
        std::swap(upper, lower);
      } else {
        filter(offset, upper);
      }
      filter(offset + a.srcStep, lower);
      held = offset;
    }
    blend(r, static_cast<const Buffer*>(upper), static_cast<const Buffer*>(lower));
  }
}

// Cubic: four buffers hold stencil rows -1..+2 around `held`; when the stencil moves down, the
// rows it still needs keep their buffers and only the new ones are filtered (all four after a
// move of four rows or more).
template <class Filter, class Blend>
void RunCubicWindow(const ResizePassArgs& a, Filter&& filter, Blend&& blend) {
  if (a.width < 1 || a.height < 1) {
    return;
  }
  std::array<float*, 4> ring{};
  for (int b = 0; b < 4; ++b) {
    ring[b] = static_cast<float*>(a.rowBuffers[b]);
  }
  const auto fill = [&](std::ptrdiff_t centre, int from) {
    for (int b = from; b < 4; ++b) {
      filter(centre + (b - 1) * a.srcStep, ring[b]);
    }
  };
  std::ptrdiff_t held = a.rowOffsets[0];
  fill(held, 0);
  for (std::int32_t r = 0; r < a.height; ++r) {
    const std::ptrdiff_t offset = a.rowOffsets[r];
    if (offset != held) {
      const std::ptrdiff_t advance = (offset - held) / a.srcStep;
      if (advance >= 4 || advance < 0) {
        fill(offset, 0);
      } else {
        std::rotate(ring.begin(), ring.begin() + advance, ring.end());
        fill(offset, 4 - static_cast<int>(advance));
      }
      held = offset;
    }
    blend(r, ring);
  }
}

// Six-tap: six buffers hold stencil rows -2..+3 around the centre row; rows beyond the image's
// first or last row are its edge row again, copied from the buffer that already holds it
// instead of filtered twice. `usedElements` is the part of a buffer that a filter writes.
template <class Filter, class Blend>
void RunSixTapWindow(const ResizePassArgs& a, std::ptrdiff_t usedElements, Filter&& filter,
                     Blend&& blend) {
  if (a.width < 1 || a.height < 1) {
    return;
  }
  std::array<float*, 6> ring{};
  std::array<std::ptrdiff_t, 6> rowOf{};  // image row (relative to the rectangle) per buffer
  for (int b = 0; b < 6; ++b) {
    ring[b] = static_cast<float*>(a.rowBuffers[b]);
  }
  const std::ptrdiff_t firstRow = -static_cast<std::ptrdiff_t>(a.rowsAbove);
  const std::ptrdiff_t lastRow = static_cast<std::ptrdiff_t>(a.rowsBelow) - 1;
  const auto fill = [&](std::ptrdiff_t centre, int from) {
    for (int b = from; b < 6; ++b) {
      rowOf[b] = std::clamp<std::ptrdiff_t>(centre + b - 2, firstRow, lastRow);
    }
    for (int b = 5; b >= from; --b) {  // newest first, like the window advance
      if (b < 5 && rowOf[b] == rowOf[b + 1]) {
        std::memcpy(ring[b], ring[b + 1], sizeof(float) * usedElements);
      } else if (b > 0 && b - 1 < from && rowOf[b] == rowOf[b - 1]) {
        std::memcpy(ring[b], ring[b - 1], sizeof(float) * usedElements);
      } else {
        filter(rowOf[b] * a.srcStep, ring[b]);
      }
    }
  };
  std::ptrdiff_t held = a.rowOffsets[0] / a.srcStep;
  fill(held, 0);
  for (std::int32_t r = 0; r < a.height; ++r) {
    const std::ptrdiff_t centre = a.rowOffsets[r] / a.srcStep;
    if (centre != held) {
      const std::ptrdiff_t advance = centre - held;
      if (advance >= 6 || advance < 0) {
        fill(centre, 0);
      } else {
        std::rotate(ring.begin(), ring.begin() + advance, ring.end());
        std::rotate(rowOf.begin(), rowOf.begin() + advance, rowOf.end());
        fill(centre, 6 - static_cast<int>(advance));
      }
      held = centre;
    }
    blend(r, ring);
  }
}

}  // namespace resize
