// Linear kernels of the vector kernel sets, for every data type and pixel layout, and the
// pass that drives them. 8-bit and 16-bit data are blended in Q14 fixed point with one
// rounding per step (exact integer arithmetic, so every form gives the generic bytes); float
// data in single precision, one rounding per operation in the order written. The vector
// bodies compute exactly what the scalar forms beside them compute.
#pragma once

#include <emmintrin.h>

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

// 8-bit three-channel pixels packed three bytes apart: each column's two pixels are read as
// one eight-byte word, widened, interleaved (left, right) per channel and blended with one
// multiply-add of the Q14 pair; the four results (three and a spare) are stored as 16-bit
// values, the spare overwritten by the next column. Columns below `wide` have the eight bytes
// inside the image row. Returns the columns done.
inline std::int32_t RowPacked8uC3(const std::uint8_t* src, std::int32_t wide,
                                  const std::ptrdiff_t* xoff, const std::uint16_t* pairs,
                                  std::uint16_t* out) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i round = _mm_set1_epi32(128);
  std::int32_t k = 0;
  for (; k < wide; ++k) {
    const __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(src + xoff[k]));
    const __m128i samples = _mm_unpacklo_epi8(bytes, zero);  // l0 l1 l2 r0 r1 r2 . .
    const __m128i taps = _mm_unpacklo_epi16(samples, _mm_srli_si128(samples, 6));
    const __m128i weight = _mm_set1_epi32(static_cast<int>(Load<std::uint32_t>(pairs + 2 * k)));
    const __m128i sums = _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(taps, weight), round), 8);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 3 * k), _mm_packs_epi32(sums, sums));
  }
  return k;
}

// Leading columns whose taps and `extra` elements after the second tap lie inside the image
// row (the offsets do not decrease, so they form a prefix).
inline std::int32_t WideColumns(const ResizePassArgs& a, std::ptrdiff_t reach) {
  std::int32_t wide = a.width;
  while (wide > 0 && a.columnOffsets[wide - 1] + reach > a.rowElements) {
    --wide;
  }
  return wide;
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
      // (upper, lower) pairs times (16384 − w, w) in one signed multiply-add: buffered values
      // are at most 16320 and the weights at most 16384, so both fit signed 16 bits.
      const __m128i pair = _mm_set1_epi32(static_cast<int>(v | (w << 16)));
      const __m128i round = _mm_set1_epi32(524288);
      const auto blend8 = [&](std::int32_t at) {
        const __m128i u = _mm_load_si128(reinterpret_cast<const __m128i*>(upper + at));
        const __m128i l = _mm_load_si128(reinterpret_cast<const __m128i*>(lower + at));
        const __m128i lo = _mm_madd_epi16(_mm_unpacklo_epi16(u, l), pair);
        const __m128i hi = _mm_madd_epi16(_mm_unpackhi_epi16(u, l), pair);
        return _mm_packs_epi32(_mm_srai_epi32(_mm_add_epi32(lo, round), 20),
                               _mm_srai_epi32(_mm_add_epi32(hi, round), 20));
      };
      for (; e + 16 <= count; e += 16) {
        const __m128i bytes = _mm_packus_epi16(blend8(e), blend8(e + 8));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst.At(e)), bytes);
      }
      for (; e < count; ++e) {
        dst.Set(e, static_cast<T>((upper[e] * v + lower[e] * w + 524288) >> 20));
      }
    } else {
      // Unsigned 16 x 16 products from the low and high halves, summed in 32 bits; the
      // results (0..65535) are packed with a bias since the packs saturate signed.
      const __m128i vv = _mm_set1_epi16(static_cast<short>(v));
      const __m128i vw = _mm_set1_epi16(static_cast<short>(w));
      const __m128i round = _mm_set1_epi32(8192);
      const __m128i bias32 = _mm_set1_epi32(32768);
      const __m128i bias16 = _mm_set1_epi16(static_cast<short>(0x8000));
      for (; e + 8 <= count; e += 8) {
        const __m128i u = _mm_load_si128(reinterpret_cast<const __m128i*>(upper + e));
        const __m128i l = _mm_load_si128(reinterpret_cast<const __m128i*>(lower + e));
        const __m128i ulo = _mm_mullo_epi16(u, vv);
        const __m128i uhi = _mm_mulhi_epu16(u, vv);
        const __m128i llo = _mm_mullo_epi16(l, vw);
        const __m128i lhi = _mm_mulhi_epu16(l, vw);
        const auto half = [&](__m128i a, __m128i b) {
          return _mm_sub_epi32(_mm_srli_epi32(_mm_add_epi32(_mm_add_epi32(a, b), round), 14),
                               bias32);
        };
        const __m128i first = half(_mm_unpacklo_epi16(ulo, uhi), _mm_unpacklo_epi16(llo, lhi));
        const __m128i second = half(_mm_unpackhi_epi16(ulo, uhi), _mm_unpackhi_epi16(llo, lhi));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst.At(e)),
                         _mm_xor_si128(_mm_packs_epi32(first, second), bias16));
      }
      for (; e < count; ++e) {
        dst.Set(e, static_cast<T>((upper[e] * v + lower[e] * w + 8192) >> 14));
      }
    }
  }
}

// Vertical blend of three buffered samples per pixel into four-element destination pixels;
// the fourth element is not touched.
template <class T>
void ColumnThreeOfFour(DstRow<T> dst, std::int32_t pixels, const void* rowWeights, std::int32_t r,
                       const Buffer<T>* upper, const Buffer<T>* lower) {
  if constexpr (std::is_same_v<T, float>) {
    const float t = static_cast<const float*>(rowWeights)[r];
    const float s = 1.0f - t;
    for (std::int32_t k = 0; k < pixels; ++k) {
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
    for (std::int32_t k = 0; k < pixels; ++k) {
      for (int c = 0; c < 3; ++c) {
        const std::uint32_t u = upper[3 * k + c];
        const std::uint32_t l = lower[3 * k + c];
        dst.Set(4 * k + c, static_cast<T>((u * v + l * w + kRound) >> kShift));
      }
    }
  }
}

// The linear pass of one data type: one channel (or a plane), three channels at the pixel's
// element count, or four channels; the vertical step runs flat when every element of a pixel
// is processed.
template <class T>
void Pass(const ResizePassArgs& a) {
  const int channels = a.channels;
  const bool flat = a.pixelElements == channels;
  const std::ptrdiff_t stride = channels == 1 ? 1 : a.pixelElements;
  const bool packed8uC3 = sizeof(T) == 1 && channels == 3 && stride == 3;
  const std::int32_t wide = packed8uC3 ? WideColumns(a, 8) : 0;
  RunLinearWindow<Buffer<T>>(
      a,
      [&](std::ptrdiff_t offset, Buffer<T>* out) {
        const SrcRow<T> src = SourceRow<T>(a.srcBase, offset);
        std::int32_t done = 0;
        if constexpr (sizeof(T) == 1) {
          if (packed8uC3) {
            done = RowPacked8uC3(src.bytes, wide, a.columnOffsets,
                                 static_cast<const std::uint16_t*>(a.columnWeights), out);
          }
        }
        RowScalar<T>(src, done, a.width, stride, channels, a.columnOffsets, a.columnWeights, out);
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
