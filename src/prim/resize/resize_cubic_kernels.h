// Cubic kernels of the vector kernel sets, for every data type and pixel layout, and the pass
// that drives them. All arithmetic is single precision, operation by operation in the order
// written (nothing is contracted in this folder), so each vector lane gives what the scalar
// emulation of the same form gives. The value is the cubic through four samples placed at -1,
// 0, 1 and 2, evaluated at t, in Newton's form; the forms differ only in the order of their
// operations.
//
// Vertical results: the vector bodies (groups of four elements) add 1e-5 and round to
// nearest; the one to three elements after the last group are truncated after adding 1e-7. An
// element's integer result can therefore depend on its place in the row, by at most one.
#pragma once

#include <emmintrin.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <type_traits>

#include "prim/resize/resize_element.h"
#include "prim/resize/resize_float_rows.h"
#include "prim/resize/resize_rings.h"
#include "prim/resize/resize_types.h"

namespace resize::cubic {

inline constexpr float kBodyBias = 1e-5f;

// Newton weights of one fraction (scalar) or of four fractions (vector).
struct ScalarWeights {
  float k1, k2, k3;
};
struct VectorWeights {
  __m128 k1, k2, k3;
};

template <class V>
using Weights = std::conditional_t<std::is_same_v<V, float>, ScalarWeights, VectorWeights>;

inline __m128 Add(__m128 a, __m128 b) {
  return _mm_add_ps(a, b);
}
inline __m128 Sub(__m128 a, __m128 b) {
  return _mm_sub_ps(a, b);
}
inline __m128 Mul(__m128 a, __m128 b) {
  return _mm_mul_ps(a, b);
}
inline float Add(float a, float b) {
  return a + b;
}
inline float Sub(float a, float b) {
  return a - b;
}
inline float Mul(float a, float b) {
  return a * b;
}
template <class V>
V Splat(float v) {
  if constexpr (std::is_same_v<V, float>) {
    return v;
  } else {
    return _mm_set1_ps(v);
  }
}

// A kernel set's form (`Form`) fixes the weights of its vector steps and its one-channel
// horizontal tail:
//   Form::Row(t)     weights of the one-channel horizontal body (four columns a step);
//   Form::Pixel(t)   weights of the three- and four-channel horizontal step (one column a step);
//   Form::Column(t)  weights of the vertical body (groups of four elements);
//   Form::RowTail    the scalar value of the one-channel horizontal tail.
// The vertical tail and the float three-of-four step are the same in every form.
//
// The SSE set divides by 3 everywhere: k1 = t + 1, k2 = (t·0.5)·k1, k3 = ((t − 1)·k2) / 3, so
// that at t = 2 (the last column or row) the weights are exactly 3, 3 and 1 and integer taps
// give p3 exactly, as they give p0 at t = -1 and p1 at t = 0.
struct SseForm {
  static VectorWeights Weights(__m128 t) {
    const __m128 k1 = Add(t, Splat<__m128>(1.0f));
    const __m128 k2 = Mul(Mul(t, Splat<__m128>(0.5f)), k1);
    const __m128 k3 = _mm_div_ps(Mul(Sub(t, Splat<__m128>(1.0f)), k2), Splat<__m128>(3.0f));
    return {k1, k2, k3};
  }
  static VectorWeights Row(__m128 t) { return Weights(t); }
  static VectorWeights Pixel(__m128 t) { return Weights(t); }
  static VectorWeights Column(__m128 t) { return Weights(t); }
  static float RowTail(float p0, float p1, float p2, float p3, const ScalarWeights& k);
};

// The SSE2 and SSE3 sets multiply by 0.333333313 (the float just below a third) instead of
// dividing: the one-channel horizontal body as k3 = (t − 1)·(k2·c), the other vector steps as
// k3 = ((t − 1)·c)·k2. At t = 2 k3 is 0.99999994, so the vector steps need not give p3 exactly.
// Its one-channel horizontal tail sums in another order than the vertical one.
struct Sse2Form {
  static constexpr float kThird = std::bit_cast<float>(0x3EAAAAAAu);

  static VectorWeights Row(__m128 t) {
    const __m128 k1 = Add(t, Splat<__m128>(1.0f));
    const __m128 k2 = Mul(Mul(t, Splat<__m128>(0.5f)), k1);
    const __m128 k3 = Mul(Sub(t, Splat<__m128>(1.0f)), Mul(k2, Splat<__m128>(kThird)));
    return {k1, k2, k3};
  }
  static VectorWeights Pixel(__m128 t) {
    const __m128 k1 = Add(t, Splat<__m128>(1.0f));
    const __m128 k2 = Mul(Mul(t, Splat<__m128>(0.5f)), k1);
    const __m128 k3 = Mul(Mul(Sub(t, Splat<__m128>(1.0f)), Splat<__m128>(kThird)), k2);
    return {k1, k2, k3};
  }
  static VectorWeights Column(__m128 t) { return Pixel(t); }
  // d3 = ((p1 − (p2 + p2)) + p3) − d2; ((p0 + k3·d3) + k2·d2) + k1·d1.
  static float RowTail(float p0, float p1, float p2, float p3, const ScalarWeights& k) {
    const float d1 = p1 - p0;
    const float d2 = (p2 - p1) - d1;
    const float d3 = ((p1 - (p2 + p2)) + p3) - d2;
    return ((p0 + k.k3 * d3) + k.k2 * d2) + k.k1 * d1;
  }
};

// Lane 0 of vector weights, for the scalar emulation of a vector body.
inline ScalarWeights LaneZero(const VectorWeights& k) {
  return {_mm_cvtss_f32(k.k1), _mm_cvtss_f32(k.k2), _mm_cvtss_f32(k.k3)};
}

// Weights of the scalar forms: k1 = 1 + t, k2 = (t·k1)·0.5, k3 = ((t − 1)·k2) / 3.
inline ScalarWeights TailWeights(float t) {
  const float k1 = 1.0f + t;
  const float k2 = (t * k1) * 0.5f;
  const float k3 = ((t - 1.0f) * k2) / 3.0f;
  return {k1, k2, k3};
}

// Horizontal vector form: (p0 + d1·k1) + (d2·k2 + d3·k3), d3 = ((p3 − p2) − p2) + (p1 − d2).
template <class V>
V RowValue(V p0, V p1, V p2, V p3, const Weights<V>& k) {
  const V d1 = Sub(p1, p0);
  const V d2 = Sub(Sub(p2, p1), d1);
  const V d3 = Add(Sub(Sub(p3, p2), p2), Sub(p1, d2));
  return Add(Add(p0, Mul(d1, k.k1)), Add(Mul(d2, k.k2), Mul(d3, k.k3)));
}

// Vertical vector form: d3 = (r3 − d2) + ((r1 − r2) − r2).
template <class V>
V ColumnValue(V r0, V r1, V r2, V r3, const Weights<V>& k) {
  const V d1 = Sub(r1, r0);
  const V d2 = Sub(Sub(r2, r1), d1);
  const V d3 = Add(Sub(r3, d2), Sub(Sub(r1, r2), r2));
  return Add(Add(r0, Mul(d1, k.k1)), Add(Mul(d2, k.k2), Mul(d3, k.k3)));
}

// Scalar form of the tails: ((p0 + d3·k3) + d2·k2) + d1·k1, d3 = (((p3 − p2) − p2) + p1) − d2.
inline float TailValue(float p0, float p1, float p2, float p3, const ScalarWeights& k) {
  const float d1 = p1 - p0;
  const float d2 = (p2 - p1) - d1;
  const float d3 = (((p3 - p2) - p2) + p1) - d2;
  return ((p0 + d3 * k.k3) + d2 * k.k2) + d1 * k.k1;
}

inline float SseForm::RowTail(float p0, float p1, float p2, float p3, const ScalarWeights& k) {
  return TailValue(p0, p1, p2, p3, k);
}

// Scalar form of the float three-of-four vertical step: ((d3·k3 + d2·k2) + d1·k1) + r0.
inline float ThreeOfFourFloatValue(float r0, float r1, float r2, float r3, const ScalarWeights& k) {
  const float d1 = r1 - r0;
  const float d2 = (r2 - d1) - r1;
  const float d3 = (((r3 - d2) - r2) - r2) + r1;
  return ((d3 * k.k3 + d2 * k.k2) + d1 * k.k1) + r0;
}

// Four consecutive source elements from `p` as floats (integers convert exactly).
template <class T>
__m128 LoadFour(const std::uint8_t* p) {
  const __m128i zero = _mm_setzero_si128();
  if constexpr (sizeof(T) == 1) {
    const __m128i bytes = _mm_cvtsi32_si128(static_cast<int>(Load<std::uint32_t>(p)));
    return _mm_cvtepi32_ps(_mm_unpacklo_epi16(_mm_unpacklo_epi8(bytes, zero), zero));
  } else if constexpr (sizeof(T) == 2) {
    const __m128i words = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
    return _mm_cvtepi32_ps(_mm_unpacklo_epi16(words, zero));
  } else {
    return _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
  }
}

// Exactly three source elements (nothing after the third is read), the fourth lane 0.
template <class T>
__m128 LoadThree(const std::uint8_t* p) {
  const SrcRow<T> row{p};
  return _mm_setr_ps(static_cast<float>(row[0]), static_cast<float>(row[1]),
                     static_cast<float>(row[2]), 0.0f);
}

// Horizontal step, one channel: four destination columns a step through the vector form
// (each column's four taps read at once, then transposed), the rest one by one.
template <class T, class Form>
void RowOneChannel(SrcRow<T> src, std::int32_t count, const std::ptrdiff_t* xoff,
                   const float* fractions, float* out) {
  std::int32_t i = 0;
  for (; i + 4 <= count; i += 4) {
    __m128 a = LoadFour<T>(src.At(xoff[i] - 1));
    __m128 b = LoadFour<T>(src.At(xoff[i + 1] - 1));
    __m128 c = LoadFour<T>(src.At(xoff[i + 2] - 1));
    __m128 d = LoadFour<T>(src.At(xoff[i + 3] - 1));
    _MM_TRANSPOSE4_PS(a, b, c, d);
    const __m128 t = _mm_load_ps(fractions + i);
    _mm_store_ps(out + i, RowValue(a, b, c, d, Form::Row(t)));
  }
  for (; i < count; ++i) {
    const std::ptrdiff_t o = xoff[i];
    out[i] = Form::RowTail(src[o - 1], src[o], src[o + 1], src[o + 2], TailWeights(fractions[i]));
  }
}

// Horizontal step, three or four channels per pixel: one destination column a step, its
// channels in the lanes of one vector. Three channels read the pixel's three elements only
// for the last tap, so nothing after it is read; stores of three channels leave a spare lane
// that the next column overwrites (the row buffers have four spare pixels).
template <class T, class Form>
void RowChannels(SrcRow<T> src, std::int32_t count, std::ptrdiff_t stride, int channels,
                 const std::ptrdiff_t* xoff, const float* fractions, float* out,
                 std::int32_t wide = 0, const VectorWeights* columnWeights = nullptr) {
  const bool threeOfThree = channels == 3 && stride == 3;
  std::int32_t i = 0;
  if constexpr (sizeof(T) == 1) {
    // Packed three-byte pixels: the twelve bytes of the four taps from one 16-byte read
    // (columns below `wide` have its four spare bytes inside the image row).
    if (threeOfThree) {
      const __m128i zero = _mm_setzero_si128();
      const auto floats = [&](__m128i v) {
        return _mm_cvtepi32_ps(_mm_unpacklo_epi16(_mm_unpacklo_epi8(v, zero), zero));
      };
      for (; i < wide; ++i) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src.At(xoff[i] - 3)));
        const VectorWeights k =
            columnWeights != nullptr ? columnWeights[i] : Form::Pixel(_mm_set1_ps(fractions[i]));
        const __m128 value =
            RowValue(floats(v), floats(_mm_srli_si128(v, 3)), floats(_mm_srli_si128(v, 6)),
                     floats(_mm_srli_si128(v, 9)), k);
        _mm_storeu_ps(out + 3 * static_cast<std::ptrdiff_t>(i), value);
      }
    }
  }
  for (; i < count; ++i) {
    const std::ptrdiff_t o = xoff[i];
    const __m128 p0 = LoadFour<T>(src.At(o - stride));
    const __m128 p1 = LoadFour<T>(src.At(o));
    const __m128 p2 = LoadFour<T>(src.At(o + stride));
    const __m128 p3 =
        threeOfThree ? LoadThree<T>(src.At(o + 2 * stride)) : LoadFour<T>(src.At(o + 2 * stride));
    const __m128 v = RowValue(p0, p1, p2, p3, Form::Pixel(_mm_set1_ps(fractions[i])));
    _mm_storeu_ps(out + channels * static_cast<std::ptrdiff_t>(i), v);
  }
}

// Horizontal step, three or four channels per pixel, from a source row already in floats
// (`floats` holds the row's elements from offset `first` on, with four spare values after the
// last tap): one destination column a step, the four taps four float reads, the weights the
// columns' own (computed once per call).
inline void RowChannelsFromFloats(const float* floats, std::ptrdiff_t first, std::int32_t count,
                                  std::ptrdiff_t stride, int channels, const std::ptrdiff_t* xoff,
                                  const VectorWeights* columnWeights, float* out) {
  for (std::int32_t i = 0; i < count; ++i) {
    const float* p = floats + (xoff[i] - first);
    const __m128 value =
        RowValue(_mm_loadu_ps(p - stride), _mm_loadu_ps(p), _mm_loadu_ps(p + stride),
                 _mm_loadu_ps(p + 2 * stride), columnWeights[i]);
    _mm_storeu_ps(out + channels * static_cast<std::ptrdiff_t>(i), value);
  }
}

// The horizontal vector form in two halves, for enlarging, where many columns take their taps
// from the same source pixels: the differences d1, d2, d3 of every element of a source row in
// floats (`floats`, `n` elements from the first tap of the first column, taps `stride`
// elements apart), formed once per row with RowValue's operations, then each column's value
// from p0 and its differences. `out` receives three rows of at least n + 4 floats.
inline void RowDifferences(const float* floats, std::ptrdiff_t n, std::ptrdiff_t stride,
                           const std::array<float*, 3>& out) {
  for (std::ptrdiff_t e = 0; e < n; e += 4) {
    const __m128 p0 = _mm_loadu_ps(floats + e);
    const __m128 p1 = _mm_loadu_ps(floats + e + stride);
    const __m128 p2 = _mm_loadu_ps(floats + e + 2 * stride);
    const __m128 p3 = _mm_loadu_ps(floats + e + 3 * stride);
    const __m128 d1 = Sub(p1, p0);
    const __m128 d2 = Sub(Sub(p2, p1), d1);
    const __m128 d3 = Add(Sub(Sub(p3, p2), p2), Sub(p1, d2));
    _mm_storeu_ps(out[0] + e, d1);
    _mm_storeu_ps(out[1] + e, d2);
    _mm_storeu_ps(out[2] + e, d3);
  }
}

inline void RowChannelsFromDifferences(const float* floats, const std::array<float*, 3>& d,
                                       std::ptrdiff_t first, std::int32_t count,
                                       std::ptrdiff_t stride, int channels,
                                       const std::ptrdiff_t* xoff,
                                       const VectorWeights* columnWeights, float* out) {
  for (std::int32_t i = 0; i < count; ++i) {
    const std::ptrdiff_t e = xoff[i] - stride - first;
    const VectorWeights& k = columnWeights[i];
    const __m128 value =
        Add(Add(_mm_loadu_ps(floats + e), Mul(_mm_loadu_ps(d[0] + e), k.k1)),
            Add(Mul(_mm_loadu_ps(d[1] + e), k.k2), Mul(_mm_loadu_ps(d[2] + e), k.k3)));
    _mm_storeu_ps(out + channels * static_cast<std::ptrdiff_t>(i), value);
  }
}

// Integer result of a vertical body element: + 1e-5, rounded to nearest (ties to even, the
// processor's default), saturated to the element's range.
template <class T>
T BodyResult(float v) {
  const int rounded = _mm_cvtss_si32(_mm_set_ss(v + kBodyBias));
  constexpr int kMax = sizeof(T) == 1 ? 255 : 65535;
  return static_cast<T>(std::clamp(rounded, 0, kMax));
}

// Four body results as 32-bit integers: + 1e-5, rounded to nearest.
inline __m128i RoundBody(__m128 v) {
  return _mm_cvtps_epi32(_mm_add_ps(v, _mm_set1_ps(kBodyBias)));
}

// Saturates four 32-bit lanes to 0..65535 through a signed pack of the values moved down by
// 32768, then moved back.
inline __m128i PackUnsigned16(__m128i a, __m128i b) {
  const __m128i bias = _mm_set1_epi32(32768);
  return _mm_xor_si128(_mm_packs_epi32(_mm_sub_epi32(a, bias), _mm_sub_epi32(b, bias)),
                       _mm_set1_epi16(static_cast<short>(0x8000)));
}

// Vertical step over `count` contiguous elements: groups of four through the vector form
// (several groups per store where the type allows), the rest through the scalar form.
template <class T, class Form, class Rows>
void ColumnFlat(DstRow<T> dst, std::int32_t count, float t, const Rows& r) {
  const float* r0 = r[0];
  const float* r1 = r[1];
  const float* r2 = r[2];
  const float* r3 = r[3];
  const std::int32_t groups = count & ~3;
  const VectorWeights k = Form::Column(_mm_set1_ps(t));
  const auto value = [&](std::int32_t e) {
    return ColumnValue(_mm_load_ps(r0 + e), _mm_load_ps(r1 + e), _mm_load_ps(r2 + e),
                       _mm_load_ps(r3 + e), k);
  };
  std::int32_t e = 0;
  if constexpr (std::is_same_v<T, float>) {
    for (; e < groups; e += 4) {
      _mm_storeu_ps(reinterpret_cast<float*>(dst.At(e)),
                    _mm_add_ps(value(e), _mm_set1_ps(kBodyBias)));
    }
  } else if constexpr (sizeof(T) == 1) {
    for (; e + 16 <= groups; e += 16) {
      const __m128i low = _mm_packs_epi32(RoundBody(value(e)), RoundBody(value(e + 4)));
      const __m128i high = _mm_packs_epi32(RoundBody(value(e + 8)), RoundBody(value(e + 12)));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst.At(e)), _mm_packus_epi16(low, high));
    }
    for (; e < groups; e += 4) {
      const __m128i words = _mm_packs_epi32(RoundBody(value(e)), _mm_setzero_si128());
      Store<std::uint32_t>(
          dst.At(e), static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(words, words))));
    }
  } else {
    for (; e + 8 <= groups; e += 8) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst.At(e)),
                       PackUnsigned16(RoundBody(value(e)), RoundBody(value(e + 4))));
    }
    for (; e < groups; e += 4) {
      const __m128i rounded = RoundBody(value(e));
      _mm_storel_epi64(reinterpret_cast<__m128i*>(dst.At(e)), PackUnsigned16(rounded, rounded));
    }
  }
  const ScalarWeights ks = TailWeights(t);
  for (; e < count; ++e) {
    const float v = TailValue(r0[e], r1[e], r2[e], r3[e], ks);
    if constexpr (std::is_same_v<T, float>) {
      dst.Set(e, v);
    } else {
      dst.Set(e, TruncateBiased<T>(v));
    }
  }
}

// Stores eight body results (two groups of four) as elements of T: integers rounded to
// nearest after + 1e-5 and saturated, floats plus 1e-5.
template <class T>
void StoreEight(std::uint8_t* dst, __m128 first, __m128 second) {
  if constexpr (std::is_same_v<T, float>) {
    const __m128 bias = _mm_set1_ps(kBodyBias);
    _mm_storeu_ps(reinterpret_cast<float*>(dst), _mm_add_ps(first, bias));
    _mm_storeu_ps(reinterpret_cast<float*>(dst) + 4, _mm_add_ps(second, bias));
  } else if constexpr (sizeof(T) == 1) {
    const __m128i words = _mm_packs_epi32(RoundBody(first), RoundBody(second));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(dst), _mm_packus_epi16(words, words));
  } else {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst),
                     PackUnsigned16(RoundBody(first), RoundBody(second)));
  }
}

// The vertical steps of destination rows that share their four source rows (`ts` their
// fractions, `dsts` their rows), over `count` contiguous elements: eight elements a step, the
// buffered values read and their differences formed once for all the rows, each row then
// weighing them with its own weights. The values are ColumnFlat's: the same operations on the
// same operands.
template <class T, class Form, class Rows>
void ColumnFlatRows(const DstRow<T>* dsts, const float* ts, int rows, std::int32_t count,
                    const Rows& r) {
  constexpr int kMaxRows = 8;
  std::array<VectorWeights, kMaxRows> k{};
  for (int j = 0; j < rows; ++j) {
    k[j] = Form::Column(_mm_set1_ps(ts[j]));
  }
  const float* p0 = r[0];
  const float* p1 = r[1];
  const float* p2 = r[2];
  const float* p3 = r[3];
  const std::int32_t eights = count & ~7;
  for (std::int32_t e = 0; e < eights; e += 8) {
    // d1, d2 and d3 of ColumnValue, for elements e..e+3 (a) and e+4..e+7 (b)
    const __m128 a0 = _mm_load_ps(p0 + e);
    const __m128 a1 = _mm_load_ps(p1 + e);
    const __m128 a2 = _mm_load_ps(p2 + e);
    const __m128 ad1 = Sub(a1, a0);
    const __m128 ad2 = Sub(Sub(a2, a1), ad1);
    const __m128 ad3 = Add(Sub(_mm_load_ps(p3 + e), ad2), Sub(Sub(a1, a2), a2));
    const __m128 b0 = _mm_load_ps(p0 + e + 4);
    const __m128 b1 = _mm_load_ps(p1 + e + 4);
    const __m128 b2 = _mm_load_ps(p2 + e + 4);
    const __m128 bd1 = Sub(b1, b0);
    const __m128 bd2 = Sub(Sub(b2, b1), bd1);
    const __m128 bd3 = Add(Sub(_mm_load_ps(p3 + e + 4), bd2), Sub(Sub(b1, b2), b2));
    for (int j = 0; j < rows; ++j) {
      const VectorWeights& w = k[j];
      const __m128 first = Add(Add(a0, Mul(ad1, w.k1)), Add(Mul(ad2, w.k2), Mul(ad3, w.k3)));
      const __m128 second = Add(Add(b0, Mul(bd1, w.k1)), Add(Mul(bd2, w.k2), Mul(bd3, w.k3)));
      StoreEight<T>(dsts[j].At(e), first, second);
    }
  }
  // The rest of each row (a last group of four, the tail) as ColumnFlat does it from here:
  // the groups and the tail keep their places, `eights` being a multiple of four.
  const std::array<const float*, 4> rest{r[0] + eights, r[1] + eights, r[2] + eights,
                                         r[3] + eights};
  for (int j = 0; j < rows; ++j) {
    ColumnFlat<T, Form>(DstRow<T>{dsts[j].At(eights)}, count - eights, ts[j], rest);
  }
}

// Vertical step of three channels into four-element pixels (the fourth element is not
// touched). Integer types: the 3·pixels values form groups of four in the vector form and a
// tail in the scalar form, as in the flat step; float data: the scalar float form throughout.
template <class T, class Form, class Rows>
void ColumnThreeOfFour(DstRow<T> dst, std::int32_t pixels, float t, const Rows& r) {
  const std::int32_t values = 3 * pixels;
  const std::int32_t groups = values & ~3;
  const ScalarWeights kb = LaneZero(Form::Column(_mm_set1_ps(t)));
  const ScalarWeights ks = TailWeights(t);
  for (std::int32_t e = 0; e < values; ++e) {
    const std::ptrdiff_t at = 4 * (e / 3) + e % 3;
    if constexpr (std::is_same_v<T, float>) {
      dst.Set(at, ThreeOfFourFloatValue(r[0][e], r[1][e], r[2][e], r[3][e], ks));
    } else if (e < groups) {
      dst.Set(at, BodyResult<T>(ColumnValue(r[0][e], r[1][e], r[2][e], r[3][e], kb)));
    } else {
      dst.Set(at, TruncateBiased<T>(TailValue(r[0][e], r[1][e], r[2][e], r[3][e], ks)));
    }
  }
}

// The cubic pass of one data type: one channel (or a plane), three channels at the pixel's
// element count, or four channels; the vertical step runs flat when every element of a pixel
// is processed.
//
// With the driver's scratch (ResizePassArgs::columnScratch and workArea) the
// 8-bit and 16-bit three- and four-channel rows are converted to floats once per source row
// before the columns take their taps; when the columns outnumber the source pixels by more
// than half, the differences of the horizontal form are formed once per source element.
// Destination rows that share their four source rows are written in one pass over the
// buffers. All of this gives the values of the plain steps.
template <class T, class Form>
void Pass(const ResizePassArgs& a) {
  const int channels = a.channels;
  const std::ptrdiff_t stride = channels == 1 ? 1 : a.pixelElements;
  const bool flat = a.pixelElements == channels;
  const auto* rowFractions = static_cast<const float*>(a.rowWeights);
  const auto* columnFractions = static_cast<const float*>(a.columnWeights);
  // Columns whose 16 bytes from the first tap lie inside the image row (packed 8-bit pixels).
  std::int32_t wide = a.width;
  while (wide > 0 && a.columnOffsets[wide - 1] - 3 + 16 > a.rowElements) {
    --wide;
  }
  // The column weights, once per call when the driver gave room for them (every source row
  // filtered uses the same ones).
  auto* columnWeights = static_cast<VectorWeights*>(a.columnScratch);
  if (columnWeights != nullptr) {
    for (std::int32_t i = 0; i < a.width; ++i) {
      columnWeights[i] = Form::Pixel(_mm_set1_ps(columnFractions[i]));
    }
  }
  // The work area: a source row in floats, from the first column's first tap to the last
  // column's last, then (enlarging by more than half) its three difference rows.
  float* work = a.workArea;
  const bool floatRows =
      work != nullptr && columnWeights != nullptr && channels != 1 && !std::is_same_v<T, float>;
  const std::ptrdiff_t first = a.width > 0 ? a.columnOffsets[0] - stride : 0;
  const std::ptrdiff_t end = a.width > 0 ? a.columnOffsets[a.width - 1] + 3 * stride : 0;
  const std::ptrdiff_t spanned = end - first - 3 * stride;  // first taps of the columns
  const bool rowDifferences =
      floatRows && 2 * static_cast<std::ptrdiff_t>(a.width) * stride > 3 * (spanned + stride);
  std::array<float*, 3> differences{};
  if (floatRows) {
    const std::ptrdiff_t rowSize = (end - first + 16) & ~std::ptrdiff_t{3};
    for (int d = 0; d < 3; ++d) {
      differences[d] = work + (d + 1) * rowSize;
    }
  }
  const std::int32_t flatCount = channels * a.width;
  std::int32_t doneUntil = 0;  // rows below have been written with an earlier row of their run
  RunCubicWindow(
      a,
      [&](std::ptrdiff_t offset, float* out) {
        const SrcRow<T> src = SourceRow<T>(a.srcBase, offset);
        if (channels == 1) {
          RowOneChannel<T, Form>(src, a.width, a.columnOffsets, columnFractions, out);
        } else if (rowDifferences) {
          RowToFloats<T>(src, first, end, work);
          RowDifferences(work, spanned + 1, stride, differences);
          RowChannelsFromDifferences(work, differences, first, a.width, stride, channels,
                                     a.columnOffsets, columnWeights, out);
        } else if (floatRows) {
          RowToFloats<T>(src, first, end, work);
          RowChannelsFromFloats(work, first, a.width, stride, channels, a.columnOffsets,
                                columnWeights, out);
        } else {
          RowChannels<T, Form>(src, a.width, stride, channels, a.columnOffsets, columnFractions,
                               out, wide, columnWeights);
        }
      },
      [&](std::int32_t r, const std::array<float*, 4>& ring) {
        if (r < doneUntil) {
          return;
        }
        const DstRow<T> dst = DestinationRow<T>(a.dst, a.dstStep, r);
        if (!flat) {
          ColumnThreeOfFour<T, Form>(dst, a.width, rowFractions[r], ring);
          return;
        }
        // Rows with the same source rows (enlarging) are written together, up to eight.
        int run = 1;
        while (run < 8 && r + run < a.height && a.rowOffsets[r + run] == a.rowOffsets[r]) {
          ++run;
        }
        if (run == 1) {
          ColumnFlat<T, Form>(dst, flatCount, rowFractions[r], ring);
          return;
        }
        std::array<DstRow<T>, 8> dsts{};
        for (int j = 0; j < run; ++j) {
          dsts[j] = DestinationRow<T>(a.dst, a.dstStep, r + j);
        }
        ColumnFlatRows<T, Form>(dsts.data(), rowFractions + r, run, flatCount, ring);
        doneUntil = r + run;
      });
}

}  // namespace resize::cubic
