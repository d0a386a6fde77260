#include "prim/resize/resize_filters_sse2.h"

#include <emmintrin.h>

#include <array>

#include "prim/resize/resize_cubic_kernels.h"
#include "prim/resize/resize_filters.h"
#include "prim/resize/resize_linear_kernels.h"
#include "prim/resize/resize_sixtap_kernels.h"

namespace {

// Four weights of the builder: lanes of fractions `t` at tap numbers `j`, each lane the
// scalar steps in the same order. The table lookups are per lane.
__m128 LanczosWeights(__m128 t, __m128 j, const float* table) {
  const __m128 sign = _mm_castsi128_ps(_mm_set1_epi32(static_cast<int>(0x80000000u)));
  const __m128 u = _mm_sub_ps(_mm_xor_ps(t, sign), _mm_set1_ps(2.0f));
  const __m128 d = _mm_min_ps(_mm_andnot_ps(sign, _mm_add_ps(u, j)), _mm_set1_ps(3.0f));
  const __m128 x = _mm_mul_ps(d, _mm_set1_ps(100.0f));
  const __m128i n = _mm_cvttps_epi32(x);
  const __m128 f = _mm_sub_ps(x, _mm_cvtepi32_ps(n));
  alignas(16) std::array<std::int32_t, 4> index{};
  _mm_store_si128(reinterpret_cast<__m128i*>(index.data()), n);
  const __m128 low =
      _mm_setr_ps(table[index[0]], table[index[1]], table[index[2]], table[index[3]]);
  const __m128 high = _mm_setr_ps(table[index[0] + 1], table[index[1] + 1], table[index[2] + 1],
                                  table[index[3] + 1]);
  return _mm_add_ps(low, _mm_mul_ps(f, _mm_sub_ps(high, low)));
}

}  // namespace

void ResizeBuildCoeffs_Sse2(const double* fractions, std::int32_t count, float* coeffs) {
  const float* table = ResizeLanczos3Table();
  std::int32_t k = 0;
  // Two fractions a step: their twelve weights as three groups of four.
  for (; k + 2 <= count; k += 2) {
    const auto a = static_cast<float>(fractions[k]);
    const auto b = static_cast<float>(fractions[k + 1]);
    float* out = coeffs + 6 * static_cast<std::ptrdiff_t>(k);
    _mm_storeu_ps(out, LanczosWeights(_mm_set1_ps(a), _mm_setr_ps(0, 1, 2, 3), table));
    _mm_storeu_ps(out + 4, LanczosWeights(_mm_setr_ps(a, a, b, b), _mm_setr_ps(4, 5, 0, 1), table));
    _mm_storeu_ps(out + 8, LanczosWeights(_mm_set1_ps(b), _mm_setr_ps(2, 3, 4, 5), table));
  }
  if (k < count) {
    const auto a = static_cast<float>(fractions[k]);
    alignas(16) std::array<float, 8> w{};
    _mm_store_ps(w.data(), LanczosWeights(_mm_set1_ps(a), _mm_setr_ps(0, 1, 2, 3), table));
    _mm_store_ps(w.data() + 4, LanczosWeights(_mm_set1_ps(a), _mm_setr_ps(4, 5, 0, 0), table));
    std::copy(w.begin(), w.begin() + 6, coeffs + 6 * static_cast<std::ptrdiff_t>(k));
  }
}

// ---- Linear ------------------------------------------------------------------------------

void ResizeLinearPass_8u_C3_Sse2(const ResizePassArgs& args) {
  resize::linear::Pass<std::uint8_t>(args);
}
void ResizeLinearPass_16u_C3_Sse2(const ResizePassArgs& args) {
  resize::linear::Pass<std::uint16_t>(args);
}
void ResizeLinearPass_32f_C3_Sse2(const ResizePassArgs& args) {
  resize::linear::Pass<float>(args);
}
void ResizeLinearPass_8u_C1_Sse2(const ResizePassArgs& args) {
  resize::linear::Pass<std::uint8_t>(args);
}
void ResizeLinearPass_16u_C1_Sse2(const ResizePassArgs& args) {
  resize::linear::Pass<std::uint16_t>(args);
}
void ResizeLinearPass_32f_C1_Sse2(const ResizePassArgs& args) {
  resize::linear::Pass<float>(args);
}

namespace {

// A horizontal worker is the pass's row step for one layout. It is not told where the source
// row ends, so three channels at a stride of 3, whose vector body reads two elements past the
// right pixel, take the scalar form here; the passes hand the body the columns that have them.
template <class T, class Weight>
void LinearRow(const void* src, std::int32_t count, std::ptrdiff_t stride, int channels,
               const std::ptrdiff_t* xoff, const Weight* weights, resize::linear::Buffer<T>* out) {
  resize::linear::Row<T>({static_cast<const std::uint8_t*>(src)}, count, stride, channels, 0, xoff,
                         weights, out);
}

template <class T, class Weight, class Buffer>
void LinearColumn(void* dst, std::int32_t count, bool threeOfFour, Weight weight,
                  const Buffer* upper, const Buffer* lower) {
  const resize::DstRow<T> row{static_cast<std::uint8_t*>(dst)};
  if (threeOfFour) {
    resize::linear::ColumnThreeOfFour<T>(row, count, &weight, 0, upper, lower);
  } else {
    resize::linear::ColumnFlat<T>(row, count, &weight, 0, upper, lower);
  }
}

}  // namespace

void ResizeLinearWorkerE_8u_Sse2(const void* src, std::int32_t count, const std::ptrdiff_t* xoff,
                                 const std::uint16_t* weights, std::uint16_t* out) {
  LinearRow<std::uint8_t>(src, count, 1, 1, xoff, weights, out);
}
void ResizeLinearWorkerB_8u_Sse2(const void* src, std::int32_t count, const std::ptrdiff_t* xoff,
                                 const std::uint16_t* weights, std::uint16_t* out) {
  LinearRow<std::uint8_t>(src, count, 4, 4, xoff, weights, out);
}
void ResizeLinearWorkerD_8u_Sse2(const void* src, std::int32_t count, std::int32_t pixelSize,
                                 const std::ptrdiff_t* xoff, const std::uint16_t* weights,
                                 std::uint16_t* out) {
  LinearRow<std::uint8_t>(src, count, pixelSize == 4 ? 4 : 3, 3, xoff, weights, out);
}
void ResizeLinearWorkerA_8u_Sse2(void* dst, std::int32_t count, std::uint16_t weight,
                                 const std::uint16_t* upper, const std::uint16_t* lower) {
  LinearColumn<std::uint8_t>(dst, count, false, weight, upper, lower);
}
void ResizeLinearWorkerC_8u_Sse2(void* dst, std::int32_t count, std::uint16_t weight,
                                 const std::uint16_t* upper, const std::uint16_t* lower) {
  LinearColumn<std::uint8_t>(dst, count, true, weight, upper, lower);
}
void ResizeLinearWorkerE_16u_Sse2(const void* src, std::int32_t count, const std::ptrdiff_t* xoff,
                                  const std::uint16_t* weights, std::uint16_t* out) {
  LinearRow<std::uint16_t>(src, count, 1, 1, xoff, weights, out);
}
void ResizeLinearWorkerB_16u_Sse2(const void* src, std::int32_t count, const std::ptrdiff_t* xoff,
                                  const std::uint16_t* weights, std::uint16_t* out) {
  LinearRow<std::uint16_t>(src, count, 4, 4, xoff, weights, out);
}
void ResizeLinearWorkerD_16u_Sse2(const void* src, std::int32_t count, std::int32_t pixelSize,
                                  const std::ptrdiff_t* xoff, const std::uint16_t* weights,
                                  std::uint16_t* out) {
  LinearRow<std::uint16_t>(src, count, pixelSize == 4 ? 4 : 3, 3, xoff, weights, out);
}
void ResizeLinearWorkerA_16u_Sse2(void* dst, std::int32_t count, std::uint16_t weight,
                                  const std::uint16_t* upper, const std::uint16_t* lower) {
  LinearColumn<std::uint16_t>(dst, count, false, weight, upper, lower);
}
void ResizeLinearWorkerC_16u_Sse2(void* dst, std::int32_t count, std::uint16_t weight,
                                  const std::uint16_t* upper, const std::uint16_t* lower) {
  LinearColumn<std::uint16_t>(dst, count, true, weight, upper, lower);
}
void ResizeLinearWorkerE_32f_Sse2(const void* src, std::int32_t count, const std::ptrdiff_t* xoff,
                                  const float* fractions, float* out) {
  LinearRow<float>(src, count, 1, 1, xoff, fractions, out);
}
void ResizeLinearWorkerB_32f_Sse2(const void* src, std::int32_t count, const std::ptrdiff_t* xoff,
                                  const float* fractions, float* out) {
  LinearRow<float>(src, count, 4, 4, xoff, fractions, out);
}
void ResizeLinearWorkerD_32f_Sse2(const void* src, std::int32_t count, std::int32_t pixelSize,
                                  const std::ptrdiff_t* xoff, const float* fractions, float* out) {
  LinearRow<float>(src, count, pixelSize, 3, xoff, fractions, out);
}
void ResizeLinearWorkerA_32f_Sse2(void* dst, std::int32_t count, float t, const float* upper,
                                  const float* lower) {
  LinearColumn<float>(dst, count, false, t, upper, lower);
}
void ResizeLinearWorkerC_32f_Sse2(void* dst, std::int32_t count, float t, const float* upper,
                                  const float* lower) {
  LinearColumn<float>(dst, count, true, t, upper, lower);
}

// ---- Cubic -------------------------------------------------------------------------------

namespace {

using resize::cubic::Sse2Form;

template <class T>
void CubicPass(const ResizePassArgs& args) {
  resize::cubic::Pass<T, Sse2Form>(args);
}

using Rows4 = std::array<const float*, 4>;

template <class T>
void CubicRowOne(const void* src, std::int32_t count, const std::ptrdiff_t* xoff,
                 const float* fractions, float* out) {
  resize::cubic::RowOneChannel<T, Sse2Form>({static_cast<const std::uint8_t*>(src)}, count, xoff,
                                            fractions, out);
}

template <class T>
void CubicRowChannels(const void* src, std::int32_t count, std::ptrdiff_t stride, int channels,
                      const std::ptrdiff_t* xoff, const float* fractions, float* out) {
  resize::cubic::RowChannels<T, Sse2Form>({static_cast<const std::uint8_t*>(src)}, count, stride,
                                          channels, xoff, fractions, out);
}

template <class T>
void CubicColumn(void* dst, std::int32_t count, bool threeOfFour, float t, const Rows4& rows) {
  const resize::DstRow<T> row{static_cast<std::uint8_t*>(dst)};
  if (threeOfFour) {
    resize::cubic::ColumnThreeOfFour<T, Sse2Form>(row, count, t, rows);
  } else {
    resize::cubic::ColumnFlat<T, Sse2Form>(row, count, t, rows);
  }
}

}  // namespace

void ResizeCubicPass_8u_C3_Sse2(const ResizePassArgs& args) {
  CubicPass<std::uint8_t>(args);
}
void ResizeCubicPass_16u_C3_Sse2(const ResizePassArgs& args) {
  CubicPass<std::uint16_t>(args);
}
void ResizeCubicPass_32f_C3_Sse2(const ResizePassArgs& args) {
  CubicPass<float>(args);
}
void ResizeCubicPass_8u_C1_Sse2(const ResizePassArgs& args) {
  CubicPass<std::uint8_t>(args);
}
void ResizeCubicPass_16u_C1_Sse2(const ResizePassArgs& args) {
  CubicPass<std::uint16_t>(args);
}
void ResizeCubicPass_32f_C1_Sse2(const ResizePassArgs& args) {
  CubicPass<float>(args);
}

void ResizeCubicWorkerA_8u_Sse2(const void* src, std::int32_t count, const std::ptrdiff_t* xoff,
                                const float* fractions, float* out) {
  CubicRowOne<std::uint8_t>(src, count, xoff, fractions, out);
}
void ResizeCubicWorkerC_8u_Sse2(const void* src, std::int32_t count, const std::ptrdiff_t* xoff,
                                const float* fractions, float* out) {
  CubicRowChannels<std::uint8_t>(src, count, 4, 4, xoff, fractions, out);
}
void ResizeCubicWorkerE_8u_Sse2(const void* src, std::int32_t count, std::int32_t stride,
                                const std::ptrdiff_t* xoff, const float* fractions, float* out) {
  CubicRowChannels<std::uint8_t>(src, count, stride == 4 ? 4 : 3, 3, xoff, fractions, out);
}
void ResizeCubicWorkerB_8u_Sse2(void* dst, std::int32_t count, float t, const float* r0,
                                const float* r1, const float* r2, const float* r3) {
  CubicColumn<std::uint8_t>(dst, count, false, t, {r0, r1, r2, r3});
}
void ResizeCubicWorkerD_8u_Sse2(void* dst, std::int32_t count, float t, const float* r0,
                                const float* r1, const float* r2, const float* r3) {
  CubicColumn<std::uint8_t>(dst, count, true, t, {r0, r1, r2, r3});
}
void ResizeCubicWorkerA_16u_Sse2(const void* src, std::int32_t count, const std::ptrdiff_t* xoff,
                                 const float* fractions, float* out) {
  CubicRowOne<std::uint16_t>(src, count, xoff, fractions, out);
}
void ResizeCubicWorkerC_16u_Sse2(const void* src, std::int32_t count, const std::ptrdiff_t* xoff,
                                 const float* fractions, float* out) {
  CubicRowChannels<std::uint16_t>(src, count, 4, 4, xoff, fractions, out);
}
void ResizeCubicWorkerE_16u_Sse2(const void* src, std::int32_t count, std::int32_t stride,
                                 const std::ptrdiff_t* xoff, const float* fractions, float* out) {
  CubicRowChannels<std::uint16_t>(src, count, stride == 4 ? 4 : 3, 3, xoff, fractions, out);
}
void ResizeCubicWorkerB_16u_Sse2(void* dst, std::int32_t count, float t, const float* r0,
                                 const float* r1, const float* r2, const float* r3) {
  CubicColumn<std::uint16_t>(dst, count, false, t, {r0, r1, r2, r3});
}
void ResizeCubicWorkerD_16u_Sse2(void* dst, std::int32_t count, float t, const float* r0,
                                 const float* r1, const float* r2, const float* r3) {
  CubicColumn<std::uint16_t>(dst, count, true, t, {r0, r1, r2, r3});
}
void ResizeCubicWorkerA_32f_Sse2(const void* src, std::int32_t count, const std::ptrdiff_t* xoff,
                                 const float* fractions, float* out) {
  CubicRowOne<float>(src, count, xoff, fractions, out);
}
void ResizeCubicWorkerC_32f_Sse2(const void* src, std::int32_t count, const std::ptrdiff_t* xoff,
                                 const float* fractions, float* out) {
  CubicRowChannels<float>(src, count, 4, 4, xoff, fractions, out);
}
void ResizeCubicWorkerE_32f_Sse2(const void* src, std::int32_t count, std::int32_t stride,
                                 const std::ptrdiff_t* xoff, const float* fractions, float* out) {
  CubicRowChannels<float>(src, count, stride == 4 ? 4 : 3, 3, xoff, fractions, out);
}
void ResizeCubicWorkerB_32f_Sse2(void* dst, std::int32_t count, float t, const float* r0,
                                 const float* r1, const float* r2, const float* r3) {
  CubicColumn<float>(dst, count, false, t, {r0, r1, r2, r3});
}
void ResizeCubicWorkerD_32f_Sse2(void* dst, std::int32_t count, float t, const float* r0,
                                 const float* r1, const float* r2, const float* r3) {
  CubicColumn<float>(dst, count, true, t, {r0, r1, r2, r3});
}

// ---- Six-tap -----------------------------------------------------------------------------

namespace {

using resize::sixtap::DoubleSum;

template <class T>
void SixTapPass(const ResizePassArgs& args) {
  resize::sixtap::Pass<T, DoubleSum>(args);
}

template <class T>
void SixTapColumn(void* dst, std::int32_t count, bool threeOfFour, const float* coeffs,
                  const float* const* rows) {
  const std::array<const float*, 6> r{rows[0], rows[1], rows[2], rows[3], rows[4], rows[5]};
  resize::sixtap::Column<T, DoubleSum>({static_cast<std::uint8_t*>(dst)}, count, threeOfFour,
                                       coeffs, r);
}

}  // namespace

void ResizeSixTapPass_8u_C3_Sse2(const ResizePassArgs& args) {
  SixTapPass<std::uint8_t>(args);
}
void ResizeSixTapPass_16u_C3_Sse2(const ResizePassArgs& args) {
  SixTapPass<std::uint16_t>(args);
}
void ResizeSixTapPass_32f_C3_Sse2(const ResizePassArgs& args) {
  SixTapPass<float>(args);
}
void ResizeSixTapPass_8u_C1_Sse2(const ResizePassArgs& args) {
  SixTapPass<std::uint8_t>(args);
}
void ResizeSixTapPass_16u_C1_Sse2(const ResizePassArgs& args) {
  SixTapPass<std::uint16_t>(args);
}
void ResizeSixTapPass_32f_C1_Sse2(const ResizePassArgs& args) {
  SixTapPass<float>(args);
}

void ResizeSixTapWorkerB_8u_Sse2(void* dst, std::int32_t count, const float* coeffs,
                                 const float* const* rows) {
  SixTapColumn<std::uint8_t>(dst, count, false, coeffs, rows);
}
void ResizeSixTapWorkerD_8u_Sse2(void* dst, std::int32_t count, const float* coeffs,
                                 const float* const* rows) {
  SixTapColumn<std::uint8_t>(dst, count, true, coeffs, rows);
}
void ResizeSixTapWorkerB_16u_Sse2(void* dst, std::int32_t count, const float* coeffs,
                                  const float* const* rows) {
  SixTapColumn<std::uint16_t>(dst, count, false, coeffs, rows);
}
void ResizeSixTapWorkerD_16u_Sse2(void* dst, std::int32_t count, const float* coeffs,
                                  const float* const* rows) {
  SixTapColumn<std::uint16_t>(dst, count, true, coeffs, rows);
}
void ResizeSixTapWorkerB_32f_Sse2(void* dst, std::int32_t count, const float* coeffs,
                                  const float* const* rows) {
  SixTapColumn<float>(dst, count, false, coeffs, rows);
}
void ResizeSixTapWorkerD_32f_Sse2(void* dst, std::int32_t count, const float* coeffs,
                                  const float* const* rows) {
  SixTapColumn<float>(dst, count, true, coeffs, rows);
}
