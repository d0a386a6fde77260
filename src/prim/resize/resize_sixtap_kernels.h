// Six-tap (Lanczos, three lobes) kernels of the vector kernel sets, for every data type and
// pixel layout, and the pass that drives them. Horizontal sums are single precision in tap
// order, taps beyond the image's edges taking the edge pixel; the vertical sum is the
// kernel set's policy (`Vertical`). Each vector lane performs the scalar form's operations in
// the scalar form's order, so the vector and scalar paths give the same bits.
#pragma once

#include <emmintrin.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <type_traits>

#include "prim/resize/resize_element.h"
#include "prim/resize/resize_float_rows.h"
#include "prim/resize/resize_rings.h"
#include "prim/resize/resize_types.h"

namespace resize::sixtap {

// ((((q0·w0 + q1·w1) + q2·w2) + q3·w3) + q4·w4) + q5·w5, each operation rounded to float.
inline float TapSum(const float* q, const float* w) {
  float sum = q[0] * w[0];
  for (int j = 1; j < 6; ++j) {
    sum = sum + q[j] * w[j];
  }
  return sum;
}

inline __m128 TapSum(const __m128* q, const float* w) {
  __m128 sum = _mm_mul_ps(q[0], _mm_set1_ps(w[0]));
  for (int j = 1; j < 6; ++j) {
    sum = _mm_add_ps(sum, _mm_mul_ps(q[j], _mm_set1_ps(w[j])));
  }
  return sum;
}

// Bytes 0..2 of `v` (and a spare) as four float lanes.
inline __m128 BytesToFloats(__m128i v) {
  const __m128i zero = _mm_setzero_si128();
  return _mm_cvtepi32_ps(_mm_unpacklo_epi16(_mm_unpacklo_epi8(v, zero), zero));
}

// A source row in floats for the columns [begin, end), whose six taps all lie inside the
// image: `floats` from the element at offset `first` from the rectangle's corner, `weights`
// six vectors per column (each weight in every lane).
struct FloatTaps {
  const float* floats;
  std::ptrdiff_t first;
  std::int32_t begin;
  std::int32_t end;
  const __m128* weights;
};

// Horizontal step of one source row. Column k's taps are the pixels u − 2 .. u + 3 around its
// pixel u, held inside the image (pixelsLeft pixels left of the rectangle, pixelsRight from its
// first column to the right edge); `stride` elements per pixel, `channels` sums per column.
template <class T>
void Row(SrcRow<T> src, const ResizePassArgs& a, std::ptrdiff_t stride, int channels, float* out,
         const FloatTaps* fast = nullptr) {
  const auto* coeffs = static_cast<const float*>(a.columnWeights);
  const std::ptrdiff_t lowest = -static_cast<std::ptrdiff_t>(a.pixelsLeft);
  const std::ptrdiff_t highest = static_cast<std::ptrdiff_t>(a.pixelsRight) - 1;
  // Columns whose six taps all lie inside the image: a contiguous run, the offsets growing.
  const std::ptrdiff_t firstInside = (lowest + 2) * stride;
  const std::ptrdiff_t lastInside = (highest - 3) * stride;
  const bool packed8uC3 = sizeof(T) == 1 && channels == 3 && stride == 3;
  // Columns [begin, end) from the float row, with their broadcast weights.
  const std::int32_t begin = fast != nullptr ? fast->begin : a.width;
  const std::int32_t end = fast != nullptr ? fast->end : a.width;
  if (fast != nullptr) {
    const float* floats = fast->floats;
    const std::ptrdiff_t first = fast->first;
    const __m128* kw = fast->weights + 6 * static_cast<std::ptrdiff_t>(begin);
    const std::ptrdiff_t* xoff = a.columnOffsets;
    float* dst = out + channels * static_cast<std::ptrdiff_t>(begin);
    for (std::int32_t k = begin; k < end; ++k, kw += 6, dst += channels) {
      const float* p = floats + (xoff[k] - first);
      __m128 sum = _mm_mul_ps(_mm_loadu_ps(p - 2 * stride), kw[0]);
      sum = _mm_add_ps(sum, _mm_mul_ps(_mm_loadu_ps(p - stride), kw[1]));
      sum = _mm_add_ps(sum, _mm_mul_ps(_mm_loadu_ps(p), kw[2]));
      sum = _mm_add_ps(sum, _mm_mul_ps(_mm_loadu_ps(p + stride), kw[3]));
      sum = _mm_add_ps(sum, _mm_mul_ps(_mm_loadu_ps(p + 2 * stride), kw[4]));
      sum = _mm_add_ps(sum, _mm_mul_ps(_mm_loadu_ps(p + 3 * stride), kw[5]));
      _mm_storeu_ps(dst, sum);
    }
  }
  for (std::int32_t k = 0; k < a.width; ++k) {
    if (k == begin) {
      k = end;
      if (k == a.width) {
        break;
      }
    }
    const std::ptrdiff_t o = a.columnOffsets[k];
    const float* w = coeffs + 6 * static_cast<std::ptrdiff_t>(k);
    float* dst = out + channels * static_cast<std::ptrdiff_t>(k);
    const bool inside = o >= firstInside && o <= lastInside;
    if (packed8uC3 && inside) {
      // The six three-byte taps are the 18 bytes from o − 6: five from one 16-byte read, the
      // last from the four bytes ending on its third byte.
      const std::uint8_t* p = src.At(o - 6);
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      const __m128i last =
          _mm_srli_epi32(_mm_cvtsi32_si128(static_cast<int>(Load<std::uint32_t>(p + 14))), 8);
      const __m128 q[6] = {BytesToFloats(v),
                           BytesToFloats(_mm_srli_si128(v, 3)),
                           BytesToFloats(_mm_srli_si128(v, 6)),
                           BytesToFloats(_mm_srli_si128(v, 9)),
                           BytesToFloats(_mm_srli_si128(v, 12)),
                           BytesToFloats(last)};
      _mm_storeu_ps(dst, TapSum(q, w));
      continue;
    }
    std::array<std::ptrdiff_t, 6> taps{};
    if (inside) {
      for (int j = 0; j < 6; ++j) {
        taps[j] = o + (j - 2) * stride;
      }
    } else {
      const std::ptrdiff_t u = o / stride;
      for (int j = 0; j < 6; ++j) {
        taps[j] = std::clamp<std::ptrdiff_t>(u + j - 2, lowest, highest) * stride;
      }
    }
    for (int c = 0; c < channels; ++c) {
      std::array<float, 6> q{};
      for (int j = 0; j < 6; ++j) {
        q[j] = static_cast<float>(src[taps[j] + c]);
      }
      dst[c] = TapSum(q.data(), w);
    }
  }
}

// Four integer results from two pairs of double sums: each lane plus 1e-7, held in [0, max]
// (NaN gives 0), truncated, stored as four elements of T.
template <class T>
inline void StoreTruncated(__m128d low, __m128d high, std::uint8_t* dst) {
  constexpr double kMax = sizeof(T) == 1 ? 255.0 : 65535.0;
  const __m128d bias = _mm_set1_pd(1e-7);
  const auto convert = [&](__m128d x) {
    x = _mm_min_pd(_mm_max_pd(_mm_add_pd(x, bias), _mm_setzero_pd()), _mm_set1_pd(kMax));
    return _mm_cvttpd_epi32(x);
  };
  const __m128i ints = _mm_unpacklo_epi64(convert(low), convert(high));
  if constexpr (sizeof(T) == 1) {
    const __m128i words = _mm_packs_epi32(ints, ints);
    Store<std::uint32_t>(
        dst, static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(words, words))));
  } else {
    const __m128i moved = _mm_sub_epi32(ints, _mm_set1_epi32(32768));
    _mm_storel_epi64(
        reinterpret_cast<__m128i*>(dst),
        _mm_xor_si128(_mm_packs_epi32(moved, moved), _mm_set1_epi16(static_cast<short>(0x8000))));
  }
}

// Vertical sum of the SSE set: single precision in tap order; integer results widen it to
// double, add 1e-7, truncate and clamp.
struct FloatSum {
  // The row's six weights in every lane, formed once per destination row.
  struct Broadcast {
    __m128 w[6];
  };
  static Broadcast Prepare(const float* w) {
    Broadcast k{};
    for (int j = 0; j < 6; ++j) {
      k.w[j] = _mm_set1_ps(w[j]);
    }
    return k;
  }

  template <class T, class Rows>
  static T Scalar(const Rows& rows, std::ptrdiff_t e, const float* w) {
    std::array<float, 6> q{};
    for (int j = 0; j < 6; ++j) {
      q[j] = rows[j][e];
    }
    const float sum = TapSum(q.data(), w);
    if constexpr (std::is_same_v<T, float>) {
      return sum;
    } else {
      return TruncateBiased<T>(sum);
    }
  }

  // Four contiguous elements from `e`.
  template <class T, class Rows>
  static void Vector(const Rows& rows, std::ptrdiff_t e, const Broadcast& k, std::uint8_t* dst) {
    __m128 sum = _mm_mul_ps(_mm_load_ps(rows[0] + e), k.w[0]);
    sum = _mm_add_ps(sum, _mm_mul_ps(_mm_load_ps(rows[1] + e), k.w[1]));
    sum = _mm_add_ps(sum, _mm_mul_ps(_mm_load_ps(rows[2] + e), k.w[2]));
    sum = _mm_add_ps(sum, _mm_mul_ps(_mm_load_ps(rows[3] + e), k.w[3]));
    sum = _mm_add_ps(sum, _mm_mul_ps(_mm_load_ps(rows[4] + e), k.w[4]));
    sum = _mm_add_ps(sum, _mm_mul_ps(_mm_load_ps(rows[5] + e), k.w[5]));
    if constexpr (std::is_same_v<T, float>) {
      _mm_storeu_ps(reinterpret_cast<float*>(dst), sum);
    } else {
      StoreTruncated<T>(_mm_cvtps_pd(sum), _mm_cvtps_pd(_mm_movehl_ps(sum, sum)), dst);
    }
  }
};

// Vertical sum of the SSE2 and SSE3 sets: integer results from the six products and five sums
// in double precision, in tap order (each float widened, each product exact, each sum rounded
// to double), plus 1e-7, truncated and clamped; float results the single-precision sum of
// FloatSum.
struct DoubleSum {
  struct Broadcast {
    FloatSum::Broadcast single;
    __m128d w[6];
  };
  static Broadcast Prepare(const float* w) {
    Broadcast k{FloatSum::Prepare(w), {}};
    for (int j = 0; j < 6; ++j) {
      k.w[j] = _mm_set1_pd(static_cast<double>(w[j]));
    }
    return k;
  }

  template <class T, class Rows>
  static T Scalar(const Rows& rows, std::ptrdiff_t e, const float* w) {
    if constexpr (std::is_same_v<T, float>) {
      return FloatSum::Scalar<T>(rows, e, w);
    } else {
      double sum = static_cast<double>(rows[0][e]) * static_cast<double>(w[0]);
      for (int j = 1; j < 6; ++j) {
        sum = sum + static_cast<double>(rows[j][e]) * static_cast<double>(w[j]);
      }
      return TruncateBiased<T>(sum);
    }
  }

  // Two buffered floats from `p` as doubles.
  static __m128d Widen(const float* p) {
    return _mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p))));
  }

  // Four contiguous elements from `e`.
  template <class T, class Rows>
  static void Vector(const Rows& rows, std::ptrdiff_t e, const Broadcast& k, std::uint8_t* dst) {
    if constexpr (std::is_same_v<T, float>) {
      FloatSum::Vector<T>(rows, e, k.single, dst);
    } else {
      const auto pair = [&](std::ptrdiff_t at) {
        __m128d sum = _mm_mul_pd(Widen(rows[0] + at), k.w[0]);
        sum = _mm_add_pd(sum, _mm_mul_pd(Widen(rows[1] + at), k.w[1]));
        sum = _mm_add_pd(sum, _mm_mul_pd(Widen(rows[2] + at), k.w[2]));
        sum = _mm_add_pd(sum, _mm_mul_pd(Widen(rows[3] + at), k.w[3]));
        sum = _mm_add_pd(sum, _mm_mul_pd(Widen(rows[4] + at), k.w[4]));
        return _mm_add_pd(sum, _mm_mul_pd(Widen(rows[5] + at), k.w[5]));
      };
      StoreTruncated<T>(pair(e), pair(e + 2), dst);
    }
  }
};

// Vertical step of one destination row with the kernel set's sum: `count` contiguous elements
// (vector groups of four, then one by one), or `count` pixels of three channels inside
// four-element pixels, the fourth element not touched.
template <class T, class Vertical>
void Column(DstRow<T> dst, std::int32_t count, bool threeOfFour, const float* w,
            const std::array<const float*, 6>& rows) {
  const std::array<float, 6> weights{w[0], w[1], w[2], w[3], w[4], w[5]};
  if (threeOfFour) {
    for (std::int32_t k = 0; k < count; ++k) {
      for (int c = 0; c < 3; ++c) {
        dst.Set(4 * k + c, Vertical::template Scalar<T>(rows, 3 * k + c, weights.data()));
      }
    }
    return;
  }
  const typename Vertical::Broadcast k = Vertical::Prepare(weights.data());
  std::int32_t e = 0;
  for (; e + 4 <= count; e += 4) {
    Vertical::template Vector<T>(rows, e, k, dst.At(e));
  }
  for (; e < count; ++e) {
    dst.Set(e, Vertical::template Scalar<T>(rows, e, weights.data()));
  }
}

// The six-tap pass of one data type with the kernel set's vertical sum: one channel (or a
// plane), three channels at the pixel's element count, or four channels; the vertical step
// runs flat when every element of a pixel is processed.
//
// With the driver's scratch (ResizePassArgs::columnScratch and workArea), 8-bit and 16-bit
// rows of three and four channels go to floats once per source row, and the columns whose
// taps lie inside the image take them from there with weights broadcast once per call; the
// sums are the same.
template <class T, class Vertical>
void Pass(const ResizePassArgs& a) {
  const int channels = a.channels;
  const std::ptrdiff_t stride = channels == 1 ? 1 : a.pixelElements;
  const bool flat = a.pixelElements == channels;
  const auto* rowCoeffs = static_cast<const float*>(a.rowWeights);
  FloatTaps taps{};
  std::ptrdiff_t first = 0;
  std::ptrdiff_t end = 0;
  auto* weights = static_cast<__m128*>(a.columnScratch);
  const bool fast = weights != nullptr && a.workArea != nullptr && channels != 1 &&
                    (stride == 3 || stride == 4) && !std::is_same_v<T, float>;
  if (fast) {
    const std::ptrdiff_t firstInside = (2 - static_cast<std::ptrdiff_t>(a.pixelsLeft)) * stride;
    const std::ptrdiff_t lastInside = (static_cast<std::ptrdiff_t>(a.pixelsRight) - 4) * stride;
    while (taps.begin < a.width && a.columnOffsets[taps.begin] < firstInside) {
      ++taps.begin;
    }
    taps.end = taps.begin;
    while (taps.end < a.width && a.columnOffsets[taps.end] <= lastInside) {
      ++taps.end;
    }
    if (taps.begin < taps.end) {
      first = a.columnOffsets[taps.begin] - 2 * stride;
      end = a.columnOffsets[taps.end - 1] + 4 * stride;
    }
    taps.floats = a.workArea;
    taps.first = first;
    taps.weights = weights;
    const auto* coeffs = static_cast<const float*>(a.columnWeights);
    for (std::ptrdiff_t i = 0; i < 6 * static_cast<std::ptrdiff_t>(a.width); ++i) {
      weights[i] = _mm_set1_ps(coeffs[i]);
    }
  }
  RunSixTapWindow(
      a, channels * static_cast<std::ptrdiff_t>(a.width),
      [&](std::ptrdiff_t offset, float* out) {
        const SrcRow<T> src = SourceRow<T>(a.srcBase, offset);
        if (fast && taps.begin < taps.end) {
          RowToFloats<T>(src, first, end, a.workArea);
          Row<T>(src, a, stride, channels, out, &taps);
        } else {
          Row<T>(src, a, stride, channels, out);
        }
      },
      [&](std::int32_t r, const std::array<float*, 6>& rows) {
        const DstRow<T> dst = DestinationRow<T>(a.dst, a.dstStep, r);
        const float* w = rowCoeffs + 6 * static_cast<std::ptrdiff_t>(r);
        // Local copies: stores through byte pointers may alias the ring's memory.
        const std::array<const float*, 6> local{rows[0], rows[1], rows[2],
                                                rows[3], rows[4], rows[5]};
        Column<T, Vertical>(dst, flat ? channels * a.width : a.width, !flat, w, local);
      });
}

}  // namespace resize::sixtap
