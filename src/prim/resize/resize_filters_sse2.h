// Filtering kernels of the SSE2 and SSE3 kernel sets, which are one set: the same passes,
// workers and weight builder serve both tables (the SSE3 names below are those functions), and
// both use SSE2 instructions only. Linear, cubic and six-tap passes for 8-bit, 16-bit and
// float data with one, three or four channels (the three-channel entries also take four
// channels and three channels inside four-element pixels). Sources and destinations may sit
// at any address; row buffers and tables are the driver's, 16-byte aligned.
//
// What the set computes:
// - linear: 8u and 16u in exact Q14 fixed point (the generic bytes), float in single
//   precision, L + (R − L)·t across and P·(1 − t) + Q·t down;
// - cubic: the Newton form in single precision, the vector steps multiplying by 0.333333313
//   (Sse2Form); vertical vector bodies round to nearest after + 1e-5, the tails truncate
//   after + 1e-7;
// - six-tap: float horizontal sums in tap order, vertical sums in double for 8u and 16u (plus
//   1e-7, truncated, clamped) and in float for float data.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "prim/resize/resize_nearest.h"
#include "prim/resize/resize_types.h"

// Six weights per fraction, every step in single precision on the fraction rounded to float:
// u = −t − 2; for tap j, d = min(|u + j|, 3), x = d·100, n = trunc(x), weight =
// L[n] + (x − n)·(L[n + 1] − L[n]) with L the padded Lanczos table. Two fractions a step.
void ResizeBuildCoeffs_Sse2(const double* fractions, std::int32_t count, float* coeffs);
inline constexpr ResizeCoeffBuilderFn ResizeBuildCoeffs_Sse3 = ResizeBuildCoeffs_Sse2;

void ResizeLinearPass_8u_C3_Sse2(const ResizePassArgs& args);
void ResizeLinearPass_16u_C3_Sse2(const ResizePassArgs& args);
void ResizeLinearPass_32f_C3_Sse2(const ResizePassArgs& args);
void ResizeLinearPass_8u_C1_Sse2(const ResizePassArgs& args);
void ResizeLinearPass_16u_C1_Sse2(const ResizePassArgs& args);
void ResizeLinearPass_32f_C1_Sse2(const ResizePassArgs& args);

// Linear workers. Horizontal, from a source row into a row buffer (Q6 values for 8u, samples
// for 16u, floats for float data): E one channel, B four channels, D three channels at
// `pixelSize` elements per pixel. Integer `weights` are Q14 pairs (left, right) per column,
// float ones the right pixel's fraction. Vertical, from the upper and lower buffers with the
// lower row's weight: A `count` contiguous elements, C `count` pixels of three channels inside
// four-element pixels (the fourth element kept).
void ResizeLinearWorkerE_8u_Sse2(const void* src, std::int32_t count, const std::ptrdiff_t* xoff,
                                 const std::uint16_t* weights, std::uint16_t* out);
void ResizeLinearWorkerB_8u_Sse2(const void* src, std::int32_t count, const std::ptrdiff_t* xoff,
                                 const std::uint16_t* weights, std::uint16_t* out);
void ResizeLinearWorkerD_8u_Sse2(const void* src, std::int32_t count, std::int32_t pixelSize,
                                 const std::ptrdiff_t* xoff, const std::uint16_t* weights,
                                 std::uint16_t* out);
void ResizeLinearWorkerA_8u_Sse2(void* dst, std::int32_t count, std::uint16_t weight,
                                 const std::uint16_t* upper, const std::uint16_t* lower);
void ResizeLinearWorkerC_8u_Sse2(void* dst, std::int32_t count, std::uint16_t weight,
                                 const std::uint16_t* upper, const std::uint16_t* lower);
void ResizeLinearWorkerE_16u_Sse2(const void* src, std::int32_t count, const std::ptrdiff_t* xoff,
                                  const std::uint16_t* weights, std::uint16_t* out);
void ResizeLinearWorkerB_16u_Sse2(const void* src, std::int32_t count, const std::ptrdiff_t* xoff,
                                  const std::uint16_t* weights, std::uint16_t* out);
void ResizeLinearWorkerD_16u_Sse2(const void* src, std::int32_t count, std::int32_t pixelSize,
                                  const std::ptrdiff_t* xoff, const std::uint16_t* weights,
                                  std::uint16_t* out);
void ResizeLinearWorkerA_16u_Sse2(void* dst, std::int32_t count, std::uint16_t weight,
                                  const std::uint16_t* upper, const std::uint16_t* lower);
void ResizeLinearWorkerC_16u_Sse2(void* dst, std::int32_t count, std::uint16_t weight,
                                  const std::uint16_t* upper, const std::uint16_t* lower);
void ResizeLinearWorkerE_32f_Sse2(const void* src, std::int32_t count, const std::ptrdiff_t* xoff,
                                  const float* fractions, float* out);
void ResizeLinearWorkerB_32f_Sse2(const void* src, std::int32_t count, const std::ptrdiff_t* xoff,
                                  const float* fractions, float* out);
void ResizeLinearWorkerD_32f_Sse2(const void* src, std::int32_t count, std::int32_t pixelSize,
                                  const std::ptrdiff_t* xoff, const float* fractions, float* out);
void ResizeLinearWorkerA_32f_Sse2(void* dst, std::int32_t count, float t, const float* upper,
                                  const float* lower);
void ResizeLinearWorkerC_32f_Sse2(void* dst, std::int32_t count, float t, const float* upper,
                                  const float* lower);

void ResizeCubicPass_8u_C3_Sse2(const ResizePassArgs& args);
void ResizeCubicPass_16u_C3_Sse2(const ResizePassArgs& args);
void ResizeCubicPass_32f_C3_Sse2(const ResizePassArgs& args);
void ResizeCubicPass_8u_C1_Sse2(const ResizePassArgs& args);
void ResizeCubicPass_16u_C1_Sse2(const ResizePassArgs& args);
void ResizeCubicPass_32f_C1_Sse2(const ResizePassArgs& args);

// Cubic workers. Horizontal, from a source row into a float buffer at the columns' fractions:
// A one channel (four columns a vector step, the rest by the scalar tail), C four channels,
// E three channels at `stride` elements per pixel. Vertical, from the buffers of stencil rows
// -1..+2 at the row's fraction t: B `count` contiguous elements, D `count` pixels of three
// channels inside four-element pixels (the fourth element kept).
void ResizeCubicWorkerA_8u_Sse2(const void* src, std::int32_t count, const std::ptrdiff_t* xoff,
                                const float* fractions, float* out);
void ResizeCubicWorkerC_8u_Sse2(const void* src, std::int32_t count, const std::ptrdiff_t* xoff,
                                const float* fractions, float* out);
void ResizeCubicWorkerE_8u_Sse2(const void* src, std::int32_t count, std::int32_t stride,
                                const std::ptrdiff_t* xoff, const float* fractions, float* out);
void ResizeCubicWorkerB_8u_Sse2(void* dst, std::int32_t count, float t, const float* r0,
                                const float* r1, const float* r2, const float* r3);
void ResizeCubicWorkerD_8u_Sse2(void* dst, std::int32_t count, float t, const float* r0,
                                const float* r1, const float* r2, const float* r3);
void ResizeCubicWorkerA_16u_Sse2(const void* src, std::int32_t count, const std::ptrdiff_t* xoff,
                                 const float* fractions, float* out);
void ResizeCubicWorkerC_16u_Sse2(const void* src, std::int32_t count, const std::ptrdiff_t* xoff,
                                 const float* fractions, float* out);
void ResizeCubicWorkerE_16u_Sse2(const void* src, std::int32_t count, std::int32_t stride,
                                 const std::ptrdiff_t* xoff, const float* fractions, float* out);
void ResizeCubicWorkerB_16u_Sse2(void* dst, std::int32_t count, float t, const float* r0,
                                 const float* r1, const float* r2, const float* r3);
void ResizeCubicWorkerD_16u_Sse2(void* dst, std::int32_t count, float t, const float* r0,
                                 const float* r1, const float* r2, const float* r3);
void ResizeCubicWorkerA_32f_Sse2(const void* src, std::int32_t count, const std::ptrdiff_t* xoff,
                                 const float* fractions, float* out);
void ResizeCubicWorkerC_32f_Sse2(const void* src, std::int32_t count, const std::ptrdiff_t* xoff,
                                 const float* fractions, float* out);
void ResizeCubicWorkerE_32f_Sse2(const void* src, std::int32_t count, std::int32_t stride,
                                 const std::ptrdiff_t* xoff, const float* fractions, float* out);
void ResizeCubicWorkerB_32f_Sse2(void* dst, std::int32_t count, float t, const float* r0,
                                 const float* r1, const float* r2, const float* r3);
void ResizeCubicWorkerD_32f_Sse2(void* dst, std::int32_t count, float t, const float* r0,
                                 const float* r1, const float* r2, const float* r3);

void ResizeSixTapPass_8u_C3_Sse2(const ResizePassArgs& args);
void ResizeSixTapPass_16u_C3_Sse2(const ResizePassArgs& args);
void ResizeSixTapPass_32f_C3_Sse2(const ResizePassArgs& args);
void ResizeSixTapPass_8u_C1_Sse2(const ResizePassArgs& args);
void ResizeSixTapPass_16u_C1_Sse2(const ResizePassArgs& args);
void ResizeSixTapPass_32f_C1_Sse2(const ResizePassArgs& args);

// Six-tap vertical workers: B `count` contiguous elements, D `count` pixels of three channels
// inside four-element pixels (the fourth element kept), from the buffers of stencil rows
// -2..+3 with the row's six weights.
void ResizeSixTapWorkerB_8u_Sse2(void* dst, std::int32_t count, const float* coeffs,
                                 const float* const* rows);
void ResizeSixTapWorkerD_8u_Sse2(void* dst, std::int32_t count, const float* coeffs,
                                 const float* const* rows);
void ResizeSixTapWorkerB_16u_Sse2(void* dst, std::int32_t count, const float* coeffs,
                                  const float* const* rows);
void ResizeSixTapWorkerD_16u_Sse2(void* dst, std::int32_t count, const float* coeffs,
                                  const float* const* rows);
void ResizeSixTapWorkerB_32f_Sse2(void* dst, std::int32_t count, const float* coeffs,
                                  const float* const* rows);
void ResizeSixTapWorkerD_32f_Sse2(void* dst, std::int32_t count, const float* coeffs,
                                  const float* const* rows);

// The pass table of the SSE2 and SSE3 sets: the nine nearest-neighbour members and every
// filtering pass above.
constexpr ResizePassTable MakeSse2PassTable() {
  ResizePassTable table{};
  PutNearestPasses(table);
  table[kPassGroupNearest] = ResizeNearestPass_8u_C3_Sse2;
  const std::array<ResizePassFn, 6> sixTap{
      ResizeSixTapPass_8u_C3_Sse2, ResizeSixTapPass_16u_C3_Sse2, ResizeSixTapPass_32f_C3_Sse2,
      ResizeSixTapPass_8u_C1_Sse2, ResizeSixTapPass_16u_C1_Sse2, ResizeSixTapPass_32f_C1_Sse2};
  const std::array<ResizePassFn, 6> cubic{ResizeCubicPass_8u_C3_Sse2,  ResizeCubicPass_16u_C3_Sse2,
                                          ResizeCubicPass_32f_C3_Sse2, ResizeCubicPass_8u_C1_Sse2,
                                          ResizeCubicPass_16u_C1_Sse2, ResizeCubicPass_32f_C1_Sse2};
  const std::array<ResizePassFn, 6> linear{
      ResizeLinearPass_8u_C3_Sse2, ResizeLinearPass_16u_C3_Sse2, ResizeLinearPass_32f_C3_Sse2,
      ResizeLinearPass_8u_C1_Sse2, ResizeLinearPass_16u_C1_Sse2, ResizeLinearPass_32f_C1_Sse2};
  for (int i = 0; i < 6; ++i) {
    table[kPassGroupSixTap + i] = sixTap[i];
    table[kPassGroupCubic + i] = cubic[i];
    table[kPassGroupLinear + i] = linear[i];
  }
  return table;
}
