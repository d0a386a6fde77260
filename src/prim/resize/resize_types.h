// Data shared by the resize drivers, the pass tables and the passes of every kernel set.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "prim/prim_status.h"
#include "prim/resize/aligned_alloc.h"

// Whole image size in pixels.
struct PrimSize {
  std::int32_t width;
  std::int32_t height;
};

// Rectangle of an image, in pixels.
struct PrimRect {
  std::int32_t x;
  std::int32_t y;
  std::int32_t width;
  std::int32_t height;
};

// Interpolation codes of the resize primitive.
inline constexpr std::int32_t kResizeNearest = 1;
inline constexpr std::int32_t kResizeLinear = 2;
inline constexpr std::int32_t kResizeCubic = 4;
inline constexpr std::int32_t kResizeSuper = 8;
inline constexpr std::int32_t kResizeSixTap = 16;

// Positions, sizes and counts computed in double become integers as trunc(v + kResizeBias): the
// bias absorbs the rounding error of a quotient that is mathematically whole.
inline constexpr double kResizeBias = 1e-7;

// Data types of the drivers.
inline constexpr std::int32_t kResizeData8u = 0;
inline constexpr std::int32_t kResizeData16u = 1;
inline constexpr std::int32_t kResizeData32f = 2;

// Everything a pass needs; the driver fills it once per call (once per plane for planar data).
// Offsets and steps are in elements of the data type. Offsets are pointer-sized, so images past
// 2 GiB address safely. The source and destination are the caller's memory: passes read and
// write their elements with unaligned accesses. Tables and row buffers belong to the driver and
// are 32-byte aligned.
struct ResizePassArgs {
  const void* srcBase;  // source element at the rectangle's corner
  void* dst;            // first destination element
  std::ptrdiff_t srcStep;
  std::ptrdiff_t dstStep;
  std::int32_t width;  // destination size used
  std::int32_t height;
  const std::ptrdiff_t* rowOffsets;     // per destination row: source row offset from srcBase
  const std::ptrdiff_t* columnOffsets;  // per destination column: offset within a source row
  // Linear: int16 lower-row weight (8u, 16u) or float fraction (32f); cubic: float fraction;
  // six-tap: 6 floats per row.
  const void* rowWeights;
  // Linear: int16 pairs (8u, 16u) or float fractions (32f); cubic: float; six-tap: 6 floats.
  const void* columnWeights;
  // 2 (linear), 4 (cubic) or 6 (six-tap) row buffers.
  std::array<void*, 6> rowBuffers;
  // Nearest neighbour, in every set: 8 bytes per destination column. When the kernel set asks
  // for them (ResizeKernelSet::passScratch), for the filtering kinds: room for 2 (linear), 3
  // (cubic) or 6 (six-tap) 16-byte vectors per destination column, where a pass keeps what it
  // forms once per call for each column, and a work area of four times (the elements of the
  // rectangle's width plus eight pixels, plus 16), in floats. Null otherwise.
  void* columnScratch;
  float* workArea;
  std::int32_t pixelElements;  // elements per pixel of the interleaved data (1 for a plane)
  std::int32_t channels;       // channels processed: 1, 3 or 4 (1 for a plane)
  // Elements from the start of a source row's rectangle to the end of that image row: reads at
  // or past it leave the image (on its last row), so wide moves stop before it.
  std::ptrdiff_t rowElements;
  // Six-tap: pixels (rows) of the image left of (above) the rectangle, and pixels (rows) from
  // the rectangle's first column (row) to the image's right (bottom) edge.
  std::int32_t pixelsLeft;
  std::int32_t rowsAbove;
  std::int32_t pixelsRight;
  std::int32_t rowsBelow;
  std::int32_t rowFlag;  // six-tap: 1 when the source row advances by at most one per row
};

using ResizePassFn = void (*)(const ResizePassArgs&);

// 27 passes: group base (six-tap 0, cubic 6, linear 12, nearest 18) + data type + 3 for one
// channel (+ 6 for four channels in the nearest group; the filtering groups take four
// channels through their three-channel entry). Members that are not built are null; the
// driver refuses a request that would reach one.
using ResizePassTable = std::array<ResizePassFn, 27>;

inline constexpr int kPassGroupSixTap = 0;
inline constexpr int kPassGroupCubic = 6;
inline constexpr int kPassGroupLinear = 12;
inline constexpr int kPassGroupNearest = 18;

// Pass table index of a group, data type and channel count (planes count as one channel).
constexpr int ResizePassIndex(int group, std::int32_t dataType, std::int32_t channels) {
  int index = group + dataType;
  if (channels == 1) {
    index += 3;
  } else if (channels == 4 && group == kPassGroupNearest) {
    index += 6;
  }
  return index;
}

// Six-tap weight builder of a kernel set: six float weights for each of `count` fractions.
using ResizeCoeffBuilderFn = void (*)(const double* fractions, std::int32_t count, float* coeffs);

// What differs between the kernel sets that share one general driver.
struct ResizeKernelSet {
  const ResizePassTable* passTable;
  ResizeCoeffBuilderFn buildCoeffs;
  // Whether the filtering passes (linear, cubic, six-tap) take four-element pixels (three or
  // four channels processed); otherwise they take packed pixels of their channel count only.
  bool filtersTakeFourElementPixels;
  // Whether the filtering passes want a column scratch and a work area (see ResizePassArgs).
  bool passScratch;
  // The set's allocator of 32-bit tables and rows (the 16-bit ones come from AlignedAlloc16s).
  AlignedAllocator words;
};
