// Filtering kernels of the SSE kernel set: linear, cubic and six-tap passes for 8-bit, 16-bit
// and float data with one, three or four channels (the three-channel entries also take four
// channels and three channels inside four-element pixels), the named workers, and the
// single-precision six-tap weight builder. Sources and destinations may sit at any address.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "prim/resize/resize_nearest.h"
#include "prim/resize/resize_types.h"

// Six weights per fraction, in single precision from the fraction rounded to float: for the
// taps at distances d = j − 2 − t, 0 when |d| >= 3, else L[n] + (L[n + 1] − L[n])·(x − n) with
// x = |d|·100 and n = trunc(x), L the padded Lanczos table.
void ResizeBuildCoeffs_Sse(const double* fractions, std::int32_t count, float* coeffs);

void ResizeLinearPass_8u_C3_Sse(const ResizePassArgs& args);
void ResizeLinearPass_16u_C3_Sse(const ResizePassArgs& args);
void ResizeLinearPass_32f_C3_Sse(const ResizePassArgs& args);
void ResizeLinearPass_8u_C1_Sse(const ResizePassArgs& args);
void ResizeLinearPass_16u_C1_Sse(const ResizePassArgs& args);
void ResizeLinearPass_32f_C1_Sse(const ResizePassArgs& args);

// Linear workers other kernel sets share. Vertical 8-bit blend of `count` contiguous elements
// from Q6 buffers: (lower·w + upper·(16384 − w) + 2^19) >> 20.
void ResizeLinearWorker2_8u_Sse(void* dst, std::int32_t count, std::int32_t weight,
                                const std::uint16_t* upper, const std::uint16_t* lower);
// Horizontal 8-bit blend of four channels: (right·s[o + 4 + c] + left·s[o + c] + 128) >> 8.
void ResizeLinearWorker3_8u_Sse(const void* src, std::int32_t count, const std::ptrdiff_t* xoff,
                                const std::int16_t* weights, std::uint16_t* out);
// Vertical 16-bit blend of three buffered samples per pixel into four-element pixels, the
// fourth left as it was: (upper·(16384 − w) + lower·w + 8192) >> 14.
void ResizeLinearWorker3_16u_Sse(void* dst, std::int32_t count, std::int32_t weight,
                                 const std::uint16_t* upper, const std::uint16_t* lower);

void ResizeCubicPass_8u_C3_Sse(const ResizePassArgs& args);
void ResizeCubicPass_16u_C3_Sse(const ResizePassArgs& args);
void ResizeCubicPass_32f_C3_Sse(const ResizePassArgs& args);
void ResizeCubicPass_8u_C1_Sse(const ResizePassArgs& args);
void ResizeCubicPass_16u_C1_Sse(const ResizePassArgs& args);
void ResizeCubicPass_32f_C1_Sse(const ResizePassArgs& args);

// Cubic workers. Horizontal (a source row, `count` destination columns): Worker1 one channel,
// Worker3 four channels, Worker5 three channels at `stride` elements per pixel, into float
// buffers. Vertical (a destination row from the buffers of stencil rows -1..+2 at fraction t):
// Worker2 `count` contiguous elements, Worker4 `count` pixels of three channels inside
// four-element pixels.
void ResizeCubicWorker1_8u_Sse(const void* src, std::int32_t count, const std::ptrdiff_t* xoff,
                               const float* fractions, float* out);
void ResizeCubicWorker2_8u_Sse(void* dst, std::int32_t count, float t, const float* r0,
                               const float* r1, const float* r2, const float* r3);
void ResizeCubicWorker3_8u_Sse(const void* src, std::int32_t count, const std::ptrdiff_t* xoff,
                               const float* fractions, float* out);
void ResizeCubicWorker4_8u_Sse(void* dst, std::int32_t count, float t, const float* r0,
                               const float* r1, const float* r2, const float* r3);
void ResizeCubicWorker5_8u_Sse(const void* src, std::int32_t count, std::int32_t stride,
                               const std::ptrdiff_t* xoff, const float* fractions, float* out);
void ResizeCubicWorker1_16u_Sse(const void* src, std::int32_t count, const std::ptrdiff_t* xoff,
                                const float* fractions, float* out);
void ResizeCubicWorker2_16u_Sse(void* dst, std::int32_t count, float t, const float* r0,
                                const float* r1, const float* r2, const float* r3);
void ResizeCubicWorker3_16u_Sse(const void* src, std::int32_t count, const std::ptrdiff_t* xoff,
                                const float* fractions, float* out);
void ResizeCubicWorker4_16u_Sse(void* dst, std::int32_t count, float t, const float* r0,
                                const float* r1, const float* r2, const float* r3);
void ResizeCubicWorker5_16u_Sse(const void* src, std::int32_t count, std::int32_t stride,
                                const std::ptrdiff_t* xoff, const float* fractions, float* out);
void ResizeCubicWorker1_32f_Sse(const void* src, std::int32_t count, const std::ptrdiff_t* xoff,
                                const float* fractions, float* out);
void ResizeCubicWorker2_32f_Sse(void* dst, std::int32_t count, float t, const float* r0,
                                const float* r1, const float* r2, const float* r3);
void ResizeCubicWorker3_32f_Sse(const void* src, std::int32_t count, const std::ptrdiff_t* xoff,
                                const float* fractions, float* out);
void ResizeCubicWorker4_32f_Sse(void* dst, std::int32_t count, float t, const float* r0,
                                const float* r1, const float* r2, const float* r3);
void ResizeCubicWorker5_32f_Sse(const void* src, std::int32_t count, std::int32_t stride,
                                const std::ptrdiff_t* xoff, const float* fractions, float* out);

void ResizeSixTapPass_8u_C3_Sse(const ResizePassArgs& args);
void ResizeSixTapPass_16u_C3_Sse(const ResizePassArgs& args);
void ResizeSixTapPass_32f_C3_Sse(const ResizePassArgs& args);
void ResizeSixTapPass_8u_C1_Sse(const ResizePassArgs& args);
void ResizeSixTapPass_16u_C1_Sse(const ResizePassArgs& args);
void ResizeSixTapPass_32f_C1_Sse(const ResizePassArgs& args);

// Six-tap vertical worker: `count` contiguous elements from the buffers of stencil rows
// -2..+3 with the row's six weights; the single-precision sum in tap order, widened to double,
// plus 1e-7, truncated and clamped.
void ResizeSixTapWorker2_8u_Sse(void* dst, std::int32_t count, const float* coeffs,
                                const float* const* rows);
void ResizeSixTapWorker2_16u_Sse(void* dst, std::int32_t count, const float* coeffs,
                                 const float* const* rows);

// The SSE pass table: the nine nearest-neighbour members and every filtering pass above.
constexpr ResizePassTable MakeSsePassTable() {
  ResizePassTable table{};
  PutNearestPasses(table);
  const std::array<ResizePassFn, 6> sixTap{
      ResizeSixTapPass_8u_C3_Sse, ResizeSixTapPass_16u_C3_Sse, ResizeSixTapPass_32f_C3_Sse,
      ResizeSixTapPass_8u_C1_Sse, ResizeSixTapPass_16u_C1_Sse, ResizeSixTapPass_32f_C1_Sse};
  const std::array<ResizePassFn, 6> cubic{ResizeCubicPass_8u_C3_Sse,  ResizeCubicPass_16u_C3_Sse,
                                          ResizeCubicPass_32f_C3_Sse, ResizeCubicPass_8u_C1_Sse,
                                          ResizeCubicPass_16u_C1_Sse, ResizeCubicPass_32f_C1_Sse};
  const std::array<ResizePassFn, 6> linear{
      ResizeLinearPass_8u_C3_Sse, ResizeLinearPass_16u_C3_Sse, ResizeLinearPass_32f_C3_Sse,
      ResizeLinearPass_8u_C1_Sse, ResizeLinearPass_16u_C1_Sse, ResizeLinearPass_32f_C1_Sse};
  for (int i = 0; i < 6; ++i) {
    table[kPassGroupSixTap + i] = sixTap[i];
    table[kPassGroupCubic + i] = cubic[i];
    table[kPassGroupLinear + i] = linear[i];
  }
  return table;
}
