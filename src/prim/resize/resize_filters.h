// Filtering passes of the generic kernel set (linear, cubic, six-tap) and the row workers
// they drive. Each pass filters source rows horizontally into row buffers, once per source
// row, and combines the buffered rows vertically into each destination row.
#pragma once

#include <cstddef>
#include <cstdint>

#include "prim/resize/resize_nearest.h"
#include "prim/resize/resize_types.h"

// Linear, 8-bit: horizontal values are kept times 64 in 16-bit buffers, weights are Q14.
void ResizeLinearWorker4_8u_Generic(const std::uint8_t* src, std::int32_t count,
                                    std::int32_t stride, const std::ptrdiff_t* xoff,
                                    const std::int16_t* weights, std::uint16_t* out);
void ResizeLinearWorker2_8u_Generic(std::uint8_t* dst, std::int32_t count, std::int32_t weight,
                                    const std::uint16_t* upper, const std::uint16_t* lower);
// Vertical blend of three samples per pixel into four-element destination pixels; the fourth
// element is left as it was.
void ResizeLinearWorker3_8u_Generic(std::uint8_t* dst, std::int32_t count, std::int32_t weight,
                                    const std::uint16_t* upper, const std::uint16_t* lower);
void ResizeLinearPass_8u_C3_Generic(const ResizePassArgs& args);

// Linear, 16-bit horizontal: (left·a + right·b + 8192) >> 14 per sample, four samples at
// stride 4 (Worker3) or three at the given stride (Worker4). The source may sit at any address.
void ResizeLinearWorker3_16u_Generic(const void* src, std::int32_t count,
                                     const std::ptrdiff_t* xoff, const std::int16_t* weights,
                                     std::uint16_t* out);
void ResizeLinearWorker4_16u_Generic(const void* src, std::int32_t count, std::int32_t stride,
                                     const std::ptrdiff_t* xoff, const std::int16_t* weights,
                                     std::uint16_t* out);

// Cubic (four-point Lagrange), 8-bit, float row buffers.
void ResizeCubicWorker5_8u_Generic(const std::uint8_t* src, std::int32_t count, std::int32_t stride,
                                   const std::ptrdiff_t* xoff, const float* fractions, float* out);
void ResizeCubicWorker2_8u_Generic(std::uint8_t* dst, std::int32_t count, float fraction,
                                   const float* row0, const float* row1, const float* row2,
                                   const float* row3);
void ResizeCubicPass_8u_C3_Generic(const ResizePassArgs& args);

// Six-tap (Lanczos, three lobes), 8-bit, float row buffers. `pixelsLeft` counts the image's
// pixels left of the rectangle, `pixelsRight` those from its first column to the image edge.
void ResizeSixTapWorker5_8u_Generic(const std::uint8_t* src, const std::ptrdiff_t* xoff,
                                    const float* coeffs, float* out, std::int32_t count,
                                    std::int32_t pixelsLeft, std::int32_t pixelsRight,
                                    std::int32_t stride);
void ResizeSixTapWorker2_8u_Generic(std::uint8_t* dst, std::int32_t count, const float* coeffs,
                                    const float* const* rows);
void ResizeSixTapPass_8u_C3_Generic(const ResizePassArgs& args);

// Six weights for taps -2..+3 around each position with the given fraction, from the Lanczos
// table, in double precision.
void ResizeBuildCoeffs_Generic(const double* fractions, std::int32_t count, float* coeffs);
// The Lanczos table: L(n / 100) for n = 0..300, then zero padding so that the lookup of
// entry n + 1 is always inside the table.
const float* ResizeLanczos3Table();
inline constexpr int kResizeLanczos3TableSize = 305;

// The generic pass table: the nine nearest-neighbour members and the 8-bit three-channel
// filtering passes.
constexpr ResizePassTable MakeGenericPassTable() {
  ResizePassTable table{};
  PutNearestPasses(table);
  table[kPassGroupSixTap] = ResizeSixTapPass_8u_C3_Generic;
  table[kPassGroupCubic] = ResizeCubicPass_8u_C3_Generic;
  table[kPassGroupLinear] = ResizeLinearPass_8u_C3_Generic;
  return table;
}
