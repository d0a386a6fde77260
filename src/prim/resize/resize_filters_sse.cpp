#include "prim/resize/resize_filters_sse.h"

#include <array>
#include <cmath>

#include "prim/resize/resize_cubic_kernels.h"
#include "prim/resize/resize_filters.h"
#include "prim/resize/resize_linear_kernels.h"
#include "prim/resize/resize_sixtap_kernels.h"

void ResizeBuildCoeffs_Sse(const double* fractions, std::int32_t count, float* coeffs) {
  const float* table = ResizeLanczos3Table();
  for (std::int32_t k = 0; k < count; ++k) {
    const auto t = static_cast<float>(fractions[k]);
    for (int j = 0; j < 6; ++j) {
      const float d = static_cast<float>(j - 2) - t;
      float weight = 0.0f;
      if (d > -3.0f && d < 3.0f) {
        // |d| just below 3 can give x = 300.0: entry 301 of the padded table is 0.
        const float x = std::fabs(d) * 100.0f;
        const auto n = static_cast<int>(x);
        const float step = table[n + 1] - table[n];
        weight = table[n] + step * (x - static_cast<float>(n));
      }
      coeffs[6 * static_cast<std::ptrdiff_t>(k) + j] = weight;
    }
  }
}

void ResizeLinearPass_8u_C3_Sse(const ResizePassArgs& args) {
  resize::linear::Pass<std::uint8_t>(args);
}
void ResizeLinearPass_16u_C3_Sse(const ResizePassArgs& args) {
  resize::linear::Pass<std::uint16_t>(args);
}
void ResizeLinearPass_32f_C3_Sse(const ResizePassArgs& args) {
  resize::linear::Pass<float>(args);
}
void ResizeLinearPass_8u_C1_Sse(const ResizePassArgs& args) {
  resize::linear::Pass<std::uint8_t>(args);
}
void ResizeLinearPass_16u_C1_Sse(const ResizePassArgs& args) {
  resize::linear::Pass<std::uint16_t>(args);
}
void ResizeLinearPass_32f_C1_Sse(const ResizePassArgs& args) {
  resize::linear::Pass<float>(args);
}

void ResizeLinearWorker2_8u_Sse(void* dst, std::int32_t count, std::int32_t weight,
                                const std::uint16_t* upper, const std::uint16_t* lower) {
  const auto w = static_cast<std::uint16_t>(weight);
  resize::linear::ColumnFlat<std::uint8_t>({static_cast<std::uint8_t*>(dst)}, count, &w, 0, upper,
                                           lower);
}

void ResizeLinearWorker3_8u_Sse(const void* src, std::int32_t count, const std::ptrdiff_t* xoff,
                                const std::int16_t* weights, std::uint16_t* out) {
  resize::linear::RowScalar<std::uint8_t>({static_cast<const std::uint8_t*>(src)}, 0, count, 4, 4,
                                          xoff, weights, out);
}

void ResizeLinearWorker3_16u_Sse(void* dst, std::int32_t count, std::int32_t weight,
                                 const std::uint16_t* upper, const std::uint16_t* lower) {
  const auto w = static_cast<std::uint16_t>(weight);
  resize::linear::ColumnThreeOfFour<std::uint16_t>({static_cast<std::uint8_t*>(dst)}, count, &w, 0,
                                                   upper, lower);
}

void ResizeCubicPass_8u_C3_Sse(const ResizePassArgs& args) {
  resize::cubic::Pass<std::uint8_t, resize::cubic::SseForm>(args);
}
void ResizeCubicPass_16u_C3_Sse(const ResizePassArgs& args) {
  resize::cubic::Pass<std::uint16_t, resize::cubic::SseForm>(args);
}
void ResizeCubicPass_32f_C3_Sse(const ResizePassArgs& args) {
  resize::cubic::Pass<float, resize::cubic::SseForm>(args);
}
void ResizeCubicPass_8u_C1_Sse(const ResizePassArgs& args) {
  resize::cubic::Pass<std::uint8_t, resize::cubic::SseForm>(args);
}
void ResizeCubicPass_16u_C1_Sse(const ResizePassArgs& args) {
  resize::cubic::Pass<std::uint16_t, resize::cubic::SseForm>(args);
}
void ResizeCubicPass_32f_C1_Sse(const ResizePassArgs& args) {
  resize::cubic::Pass<float, resize::cubic::SseForm>(args);
}

namespace {

using Rows4 = std::array<const float*, 4>;

template <class T>
void CubicRowOne(const void* src, std::int32_t count, const std::ptrdiff_t* xoff,
                 const float* fractions, float* out) {
  resize::cubic::RowOneChannel<T, resize::cubic::SseForm>({static_cast<const std::uint8_t*>(src)},
                                                          count, xoff, fractions, out);
}

template <class T>
void CubicRowChannels(const void* src, std::int32_t count, std::ptrdiff_t stride, int channels,
                      const std::ptrdiff_t* xoff, const float* fractions, float* out) {
  resize::cubic::RowChannels<T, resize::cubic::SseForm>(
      {static_cast<const std::uint8_t*>(src)}, count, stride, channels, xoff, fractions, out);
}

template <class T>
void CubicColumnFlat(void* dst, std::int32_t count, float t, const Rows4& rows) {
  resize::cubic::ColumnFlat<T, resize::cubic::SseForm>({static_cast<std::uint8_t*>(dst)}, count, t,
                                                       rows);
}

template <class T>
void CubicColumnThreeOfFour(void* dst, std::int32_t count, float t, const Rows4& rows) {
  resize::cubic::ColumnThreeOfFour<T, resize::cubic::SseForm>({static_cast<std::uint8_t*>(dst)},
                                                              count, t, rows);
}

}  // namespace

void ResizeCubicWorker1_8u_Sse(const void* src, std::int32_t count, const std::ptrdiff_t* xoff,
                               const float* fractions, float* out) {
  CubicRowOne<std::uint8_t>(src, count, xoff, fractions, out);
}
void ResizeCubicWorker2_8u_Sse(void* dst, std::int32_t count, float t, const float* r0,
                               const float* r1, const float* r2, const float* r3) {
  CubicColumnFlat<std::uint8_t>(dst, count, t, {r0, r1, r2, r3});
}
void ResizeCubicWorker3_8u_Sse(const void* src, std::int32_t count, const std::ptrdiff_t* xoff,
                               const float* fractions, float* out) {
  CubicRowChannels<std::uint8_t>(src, count, 4, 4, xoff, fractions, out);
}
void ResizeCubicWorker4_8u_Sse(void* dst, std::int32_t count, float t, const float* r0,
                               const float* r1, const float* r2, const float* r3) {
  CubicColumnThreeOfFour<std::uint8_t>(dst, count, t, {r0, r1, r2, r3});
}
void ResizeCubicWorker5_8u_Sse(const void* src, std::int32_t count, std::int32_t stride,
                               const std::ptrdiff_t* xoff, const float* fractions, float* out) {
  CubicRowChannels<std::uint8_t>(src, count, stride, 3, xoff, fractions, out);
}

void ResizeCubicWorker1_16u_Sse(const void* src, std::int32_t count, const std::ptrdiff_t* xoff,
                                const float* fractions, float* out) {
  CubicRowOne<std::uint16_t>(src, count, xoff, fractions, out);
}
void ResizeCubicWorker2_16u_Sse(void* dst, std::int32_t count, float t, const float* r0,
                                const float* r1, const float* r2, const float* r3) {
  CubicColumnFlat<std::uint16_t>(dst, count, t, {r0, r1, r2, r3});
}
void ResizeCubicWorker3_16u_Sse(const void* src, std::int32_t count, const std::ptrdiff_t* xoff,
                                const float* fractions, float* out) {
  CubicRowChannels<std::uint16_t>(src, count, 4, 4, xoff, fractions, out);
}
void ResizeCubicWorker4_16u_Sse(void* dst, std::int32_t count, float t, const float* r0,
                                const float* r1, const float* r2, const float* r3) {
  CubicColumnThreeOfFour<std::uint16_t>(dst, count, t, {r0, r1, r2, r3});
}
void ResizeCubicWorker5_16u_Sse(const void* src, std::int32_t count, std::int32_t stride,
                                const std::ptrdiff_t* xoff, const float* fractions, float* out) {
  CubicRowChannels<std::uint16_t>(src, count, stride, 3, xoff, fractions, out);
}

void ResizeCubicWorker1_32f_Sse(const void* src, std::int32_t count, const std::ptrdiff_t* xoff,
                                const float* fractions, float* out) {
  CubicRowOne<float>(src, count, xoff, fractions, out);
}
void ResizeCubicWorker2_32f_Sse(void* dst, std::int32_t count, float t, const float* r0,
                                const float* r1, const float* r2, const float* r3) {
  CubicColumnFlat<float>(dst, count, t, {r0, r1, r2, r3});
}
void ResizeCubicWorker3_32f_Sse(const void* src, std::int32_t count, const std::ptrdiff_t* xoff,
                                const float* fractions, float* out) {
  CubicRowChannels<float>(src, count, 4, 4, xoff, fractions, out);
}
void ResizeCubicWorker4_32f_Sse(void* dst, std::int32_t count, float t, const float* r0,
                                const float* r1, const float* r2, const float* r3) {
  CubicColumnThreeOfFour<float>(dst, count, t, {r0, r1, r2, r3});
}
void ResizeCubicWorker5_32f_Sse(const void* src, std::int32_t count, std::int32_t stride,
                                const std::ptrdiff_t* xoff, const float* fractions, float* out) {
  CubicRowChannels<float>(src, count, stride, 3, xoff, fractions, out);
}

void ResizeSixTapPass_8u_C3_Sse(const ResizePassArgs& args) {
  resize::sixtap::Pass<std::uint8_t, resize::sixtap::FloatSum>(args);
}
void ResizeSixTapPass_16u_C3_Sse(const ResizePassArgs& args) {
  resize::sixtap::Pass<std::uint16_t, resize::sixtap::FloatSum>(args);
}
void ResizeSixTapPass_32f_C3_Sse(const ResizePassArgs& args) {
  resize::sixtap::Pass<float, resize::sixtap::FloatSum>(args);
}
void ResizeSixTapPass_8u_C1_Sse(const ResizePassArgs& args) {
  resize::sixtap::Pass<std::uint8_t, resize::sixtap::FloatSum>(args);
}
void ResizeSixTapPass_16u_C1_Sse(const ResizePassArgs& args) {
  resize::sixtap::Pass<std::uint16_t, resize::sixtap::FloatSum>(args);
}
void ResizeSixTapPass_32f_C1_Sse(const ResizePassArgs& args) {
  resize::sixtap::Pass<float, resize::sixtap::FloatSum>(args);
}

namespace {

template <class T>
void SixTapColumnFlat(void* dst, std::int32_t count, const float* coeffs,
                      const float* const* rows) {
  const std::array<const float*, 6> r{rows[0], rows[1], rows[2], rows[3], rows[4], rows[5]};
  resize::sixtap::Column<T, resize::sixtap::FloatSum>({static_cast<std::uint8_t*>(dst)}, count,
                                                      false, coeffs, r);
}

}  // namespace

void ResizeSixTapWorker2_8u_Sse(void* dst, std::int32_t count, const float* coeffs,
                                const float* const* rows) {
  SixTapColumnFlat<std::uint8_t>(dst, count, coeffs, rows);
}

void ResizeSixTapWorker2_16u_Sse(void* dst, std::int32_t count, const float* coeffs,
                                 const float* const* rows) {
  SixTapColumnFlat<std::uint16_t>(dst, count, coeffs, rows);
}
