// Linear kernels of the vector kernel sets, for every data type and pixel layout, and the
// pass that drives them. 8-bit and 16-bit data are blended in Q14 fixed point with one
// rounding per step (exact integer arithmetic, so every form gives the generic bytes); float
// data in single precision, one rounding per operation in the order written. The vector
// bodies compute exactly what the scalar forms beside them compute.
#pragma once

#include <emmintrin.h>

#include <algorithm>
#include <cstdint>
#include <type_traits>

#include "prim/resize/resize_element.h"
#include "prim/resize/resize_rings.h"
#include "prim/resize/resize_types.h"

namespace resize::linear {

// Row buffer element: Q6 or 16-bit samples for the integer types, floats for float data.
template <class T>
using Buffer = std::conditional_t<std::is_same_v<T, float>, float, std::uint16_t>;

// Horizontal blend of one sample pair. 8u: (l·a + r·b + 128) >> 8, the sample times 64;
// 16u: (l·a + r·b + 8192) >> 14. Weights are the column's Q14 pair.
template <class T>
inline std::uint16_t BlendQ14(std::uint32_t a, std::uint32_t b, std::uint32_t left,
                              std::uint32_t right) {
  if constexpr (sizeof(T) == 1) {
    return static_cast<std::uint16_t>((left * a + right * b + 128) >> 8);
  } else {
    return static_cast<std::uint16_t>((left * a + right * b + 8192) >> 14);
  }
}

// Float horizontal blend: the difference, its product with t, the sum with the left sample.
inline float BlendFloat(float a, float b, float t) {
  const float difference = b - a;
  const float scaled = difference * t;
  return a + scaled;
}

// Horizontal step of one source row: `channels` samples per destination column, the second
// tap `stride` elements after the first. `weights` are Q14 pairs (integer types) or one float
// fraction per column (float data).
template <class T>
void RowScalar(SrcRow<T> src, std::int32_t from, std::int32_t count, std::ptrdiff_t stride,
               int channels, const std::ptrdiff_t* xoff, const void* weights, Buffer<T>* out) {
  for (std::int32_t k = from; k < count; ++k) {
    const std::ptrdiff_t o = xoff[k];
    if constexpr (std::is_same_v<T, float>) {
      const float t = static_cast<const float*>(weights)[k];
      for (int c = 0; c < channels; ++c) {
        out[channels * k + c] = BlendFloat(src[o + c], src[o + stride + c], t);
      }
    } else {
      const auto* pairs = static_cast<const std::uint16_t*>(weights);
      const std::uint32_t left = pairs[2 * k];
      const std::uint32_t right = pairs[2 * k + 1];
      for (int c = 0; c < channels; ++c) {
        out[channels * k + c] = BlendQ14<T>(src[o + c], src[o + stride + c], left, right);
      }
    }
  }
}

// Vector helpers. 8u: Q14 pairs through one signed multiply-add of (left, right) 16-bit
// lanes (samples at most 255, weights at most 16384). 16u: full unsigned 16 x 16 products from
// the low and high halves of the multiplies, joined into 32-bit lanes.
inline __m128i Round8(__m128i sums) {
  return _mm_srai_epi32(_mm_add_epi32(sums, _mm_set1_epi32(128)), 8);
}
inline __m128i Round16(__m128i sums) {
  return _mm_srli_epi32(_mm_add_epi32(sums, _mm_set1_epi32(8192)), 14);
}
inline __m128i ProductsLow(__m128i a, __m128i w) {
  return _mm_unpacklo_epi16(_mm_mullo_epi16(a, w), _mm_mulhi_epu16(a, w));
}
inline __m128i ProductsHigh(__m128i a, __m128i w) {
  return _mm_unpackhi_epi16(_mm_mullo_epi16(a, w), _mm_mulhi_epu16(a, w));
}
// Eight 32-bit lanes of 0..65535 as eight 16-bit lanes (the pack saturates signed, so the
// values are moved down by 32768 and back).
inline __m128i PackUnsigned(__m128i a, __m128i b) {
  const __m128i bias = _mm_set1_epi32(32768);
  return _mm_xor_si128(_mm_packs_epi32(_mm_sub_epi32(a, bias), _mm_sub_epi32(b, bias)),
                       _mm_set1_epi16(static_cast<short>(0x8000)));
}
// The column's Q14 pair (left, right) in every 32-bit lane.
inline __m128i PairLanes(const std::uint16_t* pairs, std::int32_t k) {
  return _mm_set1_epi32(static_cast<int>(Load<std::uint32_t>(pairs + 2 * k)));
}

// One channel, 8u: eight columns a step, each column's two samples read as one 16-bit word.
inline std::int32_t RowOne8u(const std::uint8_t* src, std::int32_t count,
                             const std::ptrdiff_t* xoff, const std::uint16_t* pairs,
                             std::uint16_t* out) {
  const __m128i zero = _mm_setzero_si128();
  std::int32_t k = 0;
  for (; k + 8 <= count; k += 8) {
    __m128i taps = zero;
    taps = _mm_insert_epi16(taps, Load<std::uint16_t>(src + xoff[k]), 0);
    taps = _mm_insert_epi16(taps, Load<std::uint16_t>(src + xoff[k + 1]), 1);
    taps = _mm_insert_epi16(taps, Load<std::uint16_t>(src + xoff[k + 2]), 2);
    taps = _mm_insert_epi16(taps, Load<std::uint16_t>(src + xoff[k + 3]), 3);
    taps = _mm_insert_epi16(taps, Load<std::uint16_t>(src + xoff[k + 4]), 4);
    taps = _mm_insert_epi16(taps, Load<std::uint16_t>(src + xoff[k + 5]), 5);
    taps = _mm_insert_epi16(taps, Load<std::uint16_t>(src + xoff[k + 6]), 6);
    taps = _mm_insert_epi16(taps, Load<std::uint16_t>(src + xoff[k + 7]), 7);
    const __m128i w0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pairs + 2 * k));
    const __m128i w1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pairs + 2 * k + 8));
    const __m128i low = Round8(_mm_madd_epi16(_mm_unpacklo_epi8(taps, zero), w0));
    const __m128i high = Round8(_mm_madd_epi16(_mm_unpackhi_epi8(taps, zero), w1));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k), _mm_packs_epi32(low, high));
  }
  return k;
}

// One channel, 16u: four columns a group, each column's two samples read as one 32-bit word;
// the products of a column's pair are added across neighbouring lanes.
inline __m128i Four16u(const std::uint8_t* src, const std::ptrdiff_t* xoff,
                       const std::uint16_t* pairs, std::int32_t k) {
  const __m128i taps = _mm_setr_epi32(static_cast<int>(Load<std::uint32_t>(src + 2 * xoff[k])),
                                      static_cast<int>(Load<std::uint32_t>(src + 2 * xoff[k + 1])),
                                      static_cast<int>(Load<std::uint32_t>(src + 2 * xoff[k + 2])),
                                      static_cast<int>(Load<std::uint32_t>(src + 2 * xoff[k + 3])));
  const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pairs + 2 * k));
  const __m128 first = _mm_castsi128_ps(ProductsLow(taps, w));    // l0a r0b l1a r1b
  const __m128 second = _mm_castsi128_ps(ProductsHigh(taps, w));  // l2a r2b l3a r3b
  const __m128i left = _mm_castps_si128(_mm_shuffle_ps(first, second, _MM_SHUFFLE(2, 0, 2, 0)));
  const __m128i right = _mm_castps_si128(_mm_shuffle_ps(first, second, _MM_SHUFFLE(3, 1, 3, 1)));
  return Round16(_mm_add_epi32(left, right));
}

inline std::int32_t RowOne16u(const std::uint8_t* src, std::int32_t count,
                              const std::ptrdiff_t* xoff, const std::uint16_t* pairs,
                              std::uint16_t* out) {
  std::int32_t k = 0;
  for (; k + 8 <= count; k += 8) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k),
                     PackUnsigned(Four16u(src, xoff, pairs, k), Four16u(src, xoff, pairs, k + 4)));
  }
  return k;
}

// One channel, float: four columns a step, each column's two samples read as one pair and
// sorted into a vector of left and one of right samples.
inline std::int32_t RowOne32f(const std::uint8_t* src, std::int32_t count,
                              const std::ptrdiff_t* xoff, const float* fractions, float* out) {
  std::int32_t k = 0;
  const auto pair = [&](std::int32_t c) {
    return _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(src + 4 * xoff[c])));
  };
  for (; k + 4 <= count; k += 4) {
    const __m128 first = _mm_movelh_ps(pair(k), pair(k + 1));       // l0 r0 l1 r1
    const __m128 second = _mm_movelh_ps(pair(k + 2), pair(k + 3));  // l2 r2 l3 r3
    const __m128 left = _mm_shuffle_ps(first, second, _MM_SHUFFLE(2, 0, 2, 0));
    const __m128 right = _mm_shuffle_ps(first, second, _MM_SHUFFLE(3, 1, 3, 1));
    const __m128 t = _mm_loadu_ps(fractions + k);
    _mm_storeu_ps(out + k, _mm_add_ps(left, _mm_mul_ps(_mm_sub_ps(right, left), t)));
  }
  return k;
}

// Four results of one column of three or four channels, the right pixel `stride` elements
// after the left one (stride 3 or 4); the fourth result is a spare when three channels are
// processed.
template <class T>
inline __m128i ColumnInts(const std::uint8_t* p, std::ptrdiff_t stride, const std::uint16_t* pairs,
                          std::int32_t k) {
  if constexpr (sizeof(T) == 1) {
    const __m128i samples = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)),
                                              _mm_setzero_si128());
    const __m128i right = stride == 4 ? _mm_srli_si128(samples, 8) : _mm_srli_si128(samples, 6);
    return Round8(_mm_madd_epi16(_mm_unpacklo_epi16(samples, right), PairLanes(pairs, k)));
  } else {
    const __m128i samples = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i right = stride == 4 ? _mm_srli_si128(samples, 8) : _mm_srli_si128(samples, 6);
    const __m128i a = _mm_set1_epi16(static_cast<short>(pairs[2 * k]));
    const __m128i b = _mm_set1_epi16(static_cast<short>(pairs[2 * k + 1]));
    return Round16(_mm_add_epi32(ProductsLow(samples, a), ProductsLow(right, b)));
  }
}

// Three or four channels, pixels of `stride` (3 or 4) elements: one column a step, its
// channels in the lanes of one vector. Four channels are stored two columns at once; three
// channels store a spare fourth value that the next column overwrites (the buffers have spare
// elements). Columns below `wide` have eight elements from their first tap inside the image
// row (only stride 3 reads past the right pixel). Returns the columns done.
template <class T>
std::int32_t RowChannels(SrcRow<T> src, std::int32_t count, std::ptrdiff_t stride, int channels,
                         std::int32_t wide, const std::ptrdiff_t* xoff, const void* weights,
                         Buffer<T>* out) {
  const std::int32_t limit = stride == 4 ? count : wide;
  std::int32_t k = 0;
  if constexpr (std::is_same_v<T, float>) {
    const auto* fractions = static_cast<const float*>(weights);
    for (; k < limit; ++k) {
      const std::uint8_t* p = src.At(xoff[k]);
      const __m128 left = _mm_loadu_ps(reinterpret_cast<const float*>(p));
      const __m128 right = _mm_loadu_ps(reinterpret_cast<const float*>(p) + stride);
      const __m128 t = _mm_set1_ps(fractions[k]);
      _mm_storeu_ps(out + channels * static_cast<std::ptrdiff_t>(k),
                    _mm_add_ps(left, _mm_mul_ps(_mm_sub_ps(right, left), t)));
    }
  } else {
    const auto* pairs = static_cast<const std::uint16_t*>(weights);
    if (channels == 4) {
      for (; k + 2 <= limit; k += 2) {
        const __m128i first = ColumnInts<T>(src.At(xoff[k]), 4, pairs, k);
        const __m128i second = ColumnInts<T>(src.At(xoff[k + 1]), 4, pairs, k + 1);
        const __m128i packed =
            sizeof(T) == 1 ? _mm_packs_epi32(first, second) : PackUnsigned(first, second);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * static_cast<std::ptrdiff_t>(k)),
                         packed);
      }
    }
    for (; k < limit; ++k) {
      const __m128i v = ColumnInts<T>(src.At(xoff[k]), stride, pairs, k);
      const __m128i packed = sizeof(T) == 1 ? _mm_packs_epi32(v, v) : PackUnsigned(v, v);
      _mm_storel_epi64(reinterpret_cast<__m128i*>(out + channels * static_cast<std::ptrdiff_t>(k)),
                       packed);
    }
  }
  return k;
}

// Leading columns whose first tap and `reach` − 1 elements after it lie inside the image row
// (the offsets do not decrease, so they form a prefix).
inline std::int32_t WideColumns(const ResizePassArgs& a, std::ptrdiff_t reach) {
  std::int32_t wide = a.width;
  while (wide > 0 && a.columnOffsets[wide - 1] + reach > a.rowElements) {
    --wide;
  }
  return wide;
}

// Horizontal step of one source row: the vector bodies of each layout, then the scalar form
// for the columns they leave (the last columns of one channel; three channels at strides other
// than 3 and 4, or whose eight elements would pass the image row's end).
template <class T>
void Row(SrcRow<T> src, std::int32_t count, std::ptrdiff_t stride, int channels, std::int32_t wide,
         const std::ptrdiff_t* xoff, const void* weights, Buffer<T>* out) {
  std::int32_t done = 0;
  if (channels == 1) {
    if constexpr (sizeof(T) == 1) {
      done = RowOne8u(src.bytes, count, xoff, static_cast<const std::uint16_t*>(weights), out);
    } else if constexpr (sizeof(T) == 2) {
      done = RowOne16u(src.bytes, count, xoff, static_cast<const std::uint16_t*>(weights), out);
    } else {
      done = RowOne32f(src.bytes, count, xoff, static_cast<const float*>(weights), out);
    }
  } else if (stride == 3 || stride == 4) {
    done = RowChannels<T>(src, count, stride, channels, wide, xoff, weights, out);
  }
  RowScalar<T>(src, done, count, stride, channels, xoff, weights, out);
}

// Vertical blend of eight buffered values of the upper and lower rows with the weights
// (16384 − w, w), as eight 16-bit lanes. 8u: (u·(16384 − w) + l·w + 2^19) >> 20 from one
// signed multiply-add of (upper, lower) pairs (buffered values at most 16320, weights at most
// 16384), the results 0..255; 16u: (u·(16384 − w) + l·w + 8192) >> 14 from unsigned products.
template <class T>
inline __m128i BlendEight(__m128i upper, __m128i lower, std::uint32_t v, std::uint32_t w) {
  if constexpr (sizeof(T) == 1) {
    const __m128i pair = _mm_set1_epi32(static_cast<int>(v | (w << 16)));
    const __m128i round = _mm_set1_epi32(524288);
    const __m128i lo = _mm_madd_epi16(_mm_unpacklo_epi16(upper, lower), pair);
    const __m128i hi = _mm_madd_epi16(_mm_unpackhi_epi16(upper, lower), pair);
    return _mm_packs_epi32(_mm_srai_epi32(_mm_add_epi32(lo, round), 20),
                           _mm_srai_epi32(_mm_add_epi32(hi, round), 20));
  } else {
    const __m128i vv = _mm_set1_epi16(static_cast<short>(v));
    const __m128i vw = _mm_set1_epi16(static_cast<short>(w));
    const __m128i first = _mm_add_epi32(ProductsLow(upper, vv), ProductsLow(lower, vw));
    const __m128i second = _mm_add_epi32(ProductsHigh(upper, vv), ProductsHigh(lower, vw));
    return PackUnsigned(Round16(first), Round16(second));
  }
}

// Vertical blend of `count` contiguous elements. 8u: (u·(16384 − w) + l·w + 2^19) >> 20;
// 16u: (u·(16384 − w) + l·w + 8192) >> 14; float: u·(1 − t) + l·t (products first).
template <class T>
void ColumnFlat(DstRow<T> dst, std::int32_t count, const void* rowWeights, std::int32_t r,
                const Buffer<T>* upper, const Buffer<T>* lower) {
  std::int32_t e = 0;
  if constexpr (std::is_same_v<T, float>) {
    const float t = static_cast<const float*>(rowWeights)[r];
    const float s = 1.0f - t;
    const __m128 vs = _mm_set1_ps(s);
    const __m128 vt = _mm_set1_ps(t);
    for (; e + 4 <= count; e += 4) {
      const __m128 v = _mm_add_ps(_mm_mul_ps(_mm_load_ps(upper + e), vs),
                                  _mm_mul_ps(_mm_load_ps(lower + e), vt));
      _mm_storeu_ps(reinterpret_cast<float*>(dst.At(e)), v);
    }
    for (; e < count; ++e) {
      const float a = upper[e] * s;
      const float b = lower[e] * t;
      dst.Set(e, a + b);
    }
  } else {
    const auto w = static_cast<std::uint32_t>(static_cast<const std::uint16_t*>(rowWeights)[r]);
    const std::uint32_t v = 16384 - w;
    if constexpr (sizeof(T) == 1) {
      for (; e + 16 <= count; e += 16) {
        const __m128i* u = reinterpret_cast<const __m128i*>(upper + e);
        const __m128i* l = reinterpret_cast<const __m128i*>(lower + e);
        const __m128i first = BlendEight<T>(_mm_load_si128(u), _mm_load_si128(l), v, w);
        const __m128i second = BlendEight<T>(_mm_load_si128(u + 1), _mm_load_si128(l + 1), v, w);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst.At(e)), _mm_packus_epi16(first, second));
      }
    } else {
      for (; e + 8 <= count; e += 8) {
        const __m128i u = _mm_load_si128(reinterpret_cast<const __m128i*>(upper + e));
        const __m128i l = _mm_load_si128(reinterpret_cast<const __m128i*>(lower + e));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst.At(e)), BlendEight<T>(u, l, v, w));
      }
    }
    constexpr std::uint32_t kRound = sizeof(T) == 1 ? 524288 : 8192;
    constexpr int kShift = sizeof(T) == 1 ? 20 : 14;
    for (; e < count; ++e) {
      dst.Set(e, static_cast<T>((upper[e] * v + lower[e] * w + kRound) >> kShift));
    }
  }
}

// Vertical blend of three buffered samples per pixel into four-element destination pixels;
// the fourth element keeps its value. Integer types take two pixels a step: eight buffered
// values blended at once, six of them laid out as two pixels whose fourth elements are the
// destination's own, read and written back. The row's last pixel is written element by
// element, so nothing after its third element is stored.
template <class T>
void ColumnThreeOfFour(DstRow<T> dst, std::int32_t pixels, const void* rowWeights, std::int32_t r,
                       const Buffer<T>* upper, const Buffer<T>* lower) {
  std::int32_t k = 0;
  if constexpr (std::is_same_v<T, float>) {
    const float t = static_cast<const float*>(rowWeights)[r];
    const float s = 1.0f - t;
    for (; k < pixels; ++k) {
      for (int c = 0; c < 3; ++c) {
        const float a = upper[3 * k + c] * s;
        const float b = lower[3 * k + c] * t;
        dst.Set(4 * k + c, a + b);
      }
    }
  } else {
    const auto w = static_cast<std::uint32_t>(static_cast<const std::uint16_t*>(rowWeights)[r]);
    const std::uint32_t v = 16384 - w;
    constexpr std::uint32_t kRound = sizeof(T) == 1 ? 524288 : 8192;
    constexpr int kShift = sizeof(T) == 1 ? 20 : 14;
    const __m128i firstThree = _mm_setr_epi16(-1, -1, -1, 0, 0, 0, 0, 0);
    const __m128i nextThree = _mm_setr_epi16(0, 0, 0, 0, -1, -1, -1, 0);
    for (; k + 2 < pixels; k += 2) {
      const __m128i u = _mm_loadu_si128(reinterpret_cast<const __m128i*>(upper + 3 * k));
      const __m128i l = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lower + 3 * k));
      const __m128i values = BlendEight<T>(u, l, v, w);
      // d0 d1 d2 . d3 d4 d5 . from d0 .. d7
      const __m128i laid = _mm_or_si128(_mm_and_si128(values, firstThree),
                                        _mm_and_si128(_mm_slli_si128(values, 2), nextThree));
      std::uint8_t* p = dst.At(4 * k);
      if constexpr (sizeof(T) == 1) {
        const __m128i keep = _mm_setr_epi8(0, 0, 0, -1, 0, 0, 0, -1, 0, 0, 0, 0, 0, 0, 0, 0);
        const __m128i old = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
        const __m128i bytes = _mm_packus_epi16(laid, laid);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p),
                         _mm_or_si128(bytes, _mm_and_si128(old, keep)));
      } else {
        const __m128i keep = _mm_setr_epi16(0, 0, 0, -1, 0, 0, 0, -1);
        const __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p),
                         _mm_or_si128(laid, _mm_and_si128(old, keep)));
      }
    }
    for (; k < pixels; ++k) {
      for (int c = 0; c < 3; ++c) {
        const std::uint32_t a = upper[3 * k + c];
        const std::uint32_t b = lower[3 * k + c];
        dst.Set(4 * k + c, static_cast<T>((a * v + b * w + kRound) >> kShift));
      }
    }
  }
}

// 8-bit rows of three or four channels, `kStride` elements a pixel: one column a step, its
// two pixels read as one eight-byte word, widened and interleaved (left, right) per channel,
// one multiply-add with its Q14 pair (`pairs`: the pair in every 32-bit lane, per column).
// Columns below `wide` have their eight bytes inside the image row. Returns the columns done.
template <int kStride>
std::int32_t RowPairs8u(const std::uint8_t* src, std::int32_t wide, int channels,
                        const std::ptrdiff_t* xoff, const __m128i* pairs, std::uint16_t* out) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i round = _mm_set1_epi32(128);
  std::int32_t k = 0;
  for (; k < wide; ++k) {
    const __m128i samples =
        _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(src + xoff[k])), zero);
    const __m128i taps = _mm_unpacklo_epi16(samples, _mm_srli_si128(samples, 2 * kStride));
    const __m128i sums =
        _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(taps, _mm_load_si128(pairs + k)), round), 8);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + channels * static_cast<std::ptrdiff_t>(k)),
                     _mm_packs_epi32(sums, sums));
  }
  return k;
}

// The linear pass of one data type: one channel (or a plane), three channels at the pixel's
// element count, or four channels; the vertical step runs flat when every element of a pixel
// is processed.
//
// With the driver's column scratch (ResizePassArgs::columnScratch), 8-bit rows of three or
// four channels take their column pairs from there (RowPairs8u); the values are the same.
template <class T>
void Pass(const ResizePassArgs& a) {
  const int channels = a.channels;
  const bool flat = a.pixelElements == channels;
  const std::ptrdiff_t stride = channels == 1 ? 1 : a.pixelElements;
  const std::int32_t wide = channels == 3 && stride == 3 ? WideColumns(a, 8) : 0;
  // 8-bit rows of three or four channels with the column pairs laid out once per call.
  auto* pairs = static_cast<__m128i*>(a.columnScratch);
  const bool laidOut =
      sizeof(T) == 1 && pairs != nullptr && channels != 1 && (stride == 3 || stride == 4);
  std::int32_t pairColumns = 0;
  if (laidOut) {
    for (std::int32_t k = 0; k < a.width; ++k) {
      pairs[k] = PairLanes(static_cast<const std::uint16_t*>(a.columnWeights), k);
    }
    pairColumns = stride == 4 ? a.width : wide;
  }
  RunLinearWindow<Buffer<T>>(
      a,
      [&](std::ptrdiff_t offset, Buffer<T>* out) {
        const SrcRow<T> src = SourceRow<T>(a.srcBase, offset);
        if constexpr (sizeof(T) == 1) {
          if (laidOut) {
            const std::int32_t done =
                stride == 3
                    ? RowPairs8u<3>(src.bytes, pairColumns, channels, a.columnOffsets, pairs, out)
                    : RowPairs8u<4>(src.bytes, pairColumns, channels, a.columnOffsets, pairs, out);
            RowScalar<T>(src, done, a.width, stride, channels, a.columnOffsets, a.columnWeights,
                         out);
            return;
          }
        }
        Row<T>(src, a.width, stride, channels, wide, a.columnOffsets, a.columnWeights, out);
      },
      [&](std::int32_t r, const Buffer<T>* upper, const Buffer<T>* lower) {
        const DstRow<T> dst = DestinationRow<T>(a.dst, a.dstStep, r);
        if (flat) {
          ColumnFlat<T>(dst, channels * a.width, a.rowWeights, r, upper, lower);
        } else {
          ColumnThreeOfFour<T>(dst, a.width, a.rowWeights, r, upper, lower);
        }
      });
}

}  // namespace resize::linear
