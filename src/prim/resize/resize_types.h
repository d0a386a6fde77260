// Data shared by the resize drivers, the pass tables and the passes of every kernel set.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "prim/prim_status.h"

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

// Data types of the drivers.
inline constexpr std::int32_t kResizeData8u = 0;
inline constexpr std::int32_t kResizeData16u = 1;
inline constexpr std::int32_t kResizeData32f = 2;

// Everything a pass needs; the driver fills it once per call. Offsets and steps are in
// elements of the data type. Offsets are pointer-sized, so images past 2 GiB address safely.
struct ResizePassArgs {
  const void* srcBase;  // source pixel at the rectangle's corner
  void* dst;            // first destination pixel
  std::ptrdiff_t srcStep;
  std::ptrdiff_t dstStep;
  std::int32_t width;  // destination size used
  std::int32_t height;
  const std::ptrdiff_t* rowOffsets;     // per destination row: source row offset from srcBase
  const std::ptrdiff_t* columnOffsets;  // per destination column: offset within a source row
  const void* rowWeights;           // linear: int16 lower weight; cubic: float; six-tap: 6 floats
  const void* columnWeights;        // linear: int16 pairs; cubic: float; six-tap: 6 floats
  std::array<void*, 6> rowBuffers;  // 2 (linear), 4 (cubic) or 6 (six-tap) row buffers
  std::int32_t pixelElements;
  std::int32_t channels;
  // Nearest neighbour: leading destination columns whose source pixel is followed by at least
  // one more element in the image, so a wide move may read one element past the pixel.
  std::int32_t wideColumns;
  // Six-tap: pixels (rows) of the image left of (above) the rectangle, and pixels (rows) from
  // the rectangle's first column (row) to the image's right (bottom) edge.
  std::int32_t pixelsLeft;
  std::int32_t rowsAbove;
  std::int32_t pixelsRight;
  std::int32_t rowsBelow;
  std::int32_t rowFlag;  // six-tap: 0 when the vertical factor is below 1.0, else 1
};

using ResizePassFn = void (*)(const ResizePassArgs&);

// 27 passes: group base (six-tap 0, cubic 6, linear 12, nearest 18) + data type + 3 for one
// channel (+ 6 for four channels in the nearest group). Members that are not built are null;
// the driver refuses a request that would reach one.
using ResizePassTable = std::array<ResizePassFn, 27>;

inline constexpr int kPassGroupSixTap = 0;
inline constexpr int kPassGroupCubic = 6;
inline constexpr int kPassGroupLinear = 12;
inline constexpr int kPassGroupNearest = 18;

// Six-tap weight builder of a kernel set: the six float weights of one fraction.
using ResizeCoeffBuilderFn = void (*)(double fraction, float* weights);

// What differs between the kernel sets that share one general driver.
struct ResizeKernelSet {
  const ResizePassTable* passTable;
  ResizeCoeffBuilderFn buildCoeffs;
};
