// Row accumulators and column gathers of the supersampling kernel in vector form (the `Rows`
// policy of the SSE, SSE2 and SSE3 kernels). Each vector lane performs the scalar form's
// operations (integer adds, and double products and sums of the same operands in the same
// order), so the values are those of the scalar policy.
#pragma once

#include <emmintrin.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <type_traits>

#include "prim/resize/resize_super_kernel.h"

namespace resize::super {

// Four elements from `p` as 32-bit integers (integer types) or floats.
template <class T>
__m128i LoadFourInts(const std::uint8_t* p) {
  const __m128i zero = _mm_setzero_si128();
  if constexpr (sizeof(T) == 1) {
    const __m128i bytes = _mm_cvtsi32_si128(static_cast<int>(resize::Load<std::uint32_t>(p)));
    return _mm_unpacklo_epi16(_mm_unpacklo_epi8(bytes, zero), zero);
  } else {
    return _mm_unpacklo_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), zero);
  }
}

template <class T>
__m128 LoadFourFloats(const std::uint8_t* p) {
  if constexpr (std::is_same_v<T, float>) {
    return _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
  } else {
    return _mm_cvtepi32_ps(LoadFourInts<T>(p));
  }
}

// Two lanes of a float vector as doubles.
inline __m128d LowDoubles(__m128 v) {
  return _mm_cvtps_pd(v);
}
inline __m128d HighDoubles(__m128 v) {
  return _mm_cvtps_pd(_mm_movehl_ps(v, v));
}

// trunc(v·norm + 0.5) of four double lanes held in [0, max] (NaN gives 0), as 32-bit lanes.
template <class T>
__m128i RoundFour(__m128d low, __m128d high, double norm) {
  const __m128d n = _mm_set1_pd(norm);
  const __m128d half = _mm_set1_pd(0.5);
  const __m128d max = _mm_set1_pd(resize::super::kMaxValue<T>);
  const auto round = [&](__m128d v) {
    v = _mm_add_pd(_mm_mul_pd(v, n), half);
    return _mm_cvttpd_epi32(_mm_min_pd(_mm_max_pd(v, _mm_setzero_pd()), max));
  };
  return _mm_unpacklo_epi64(round(low), round(high));
}

// Stores `channels` (3 or 4) of four 32-bit lanes, each within the element's range, as
// elements of type T; with `spare` the fourth lane may be stored too.
template <class T>
void StoreChannels(__m128i lanes, int channels, bool spare, std::uint8_t* dst) {
  const bool four = channels == 4 || spare;
  if constexpr (sizeof(T) == 1) {
    const __m128i words = _mm_packs_epi32(lanes, lanes);
    const auto bytes =
        static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(words, words)));
    if (four) {
      resize::Store<std::uint32_t>(dst, bytes);
    } else {
      resize::Store<std::uint16_t>(dst, static_cast<std::uint16_t>(bytes));
      dst[2] = static_cast<std::uint8_t>(bytes >> 16);
    }
  } else {
    const __m128i low = _mm_sub_epi32(lanes, _mm_set1_epi32(32768));
    const __m128i words =
        _mm_xor_si128(_mm_packs_epi32(low, low), _mm_set1_epi16(static_cast<short>(0x8000)));
    std::uint64_t packed = 0;
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&packed), words);
    if (four) {
      resize::Store<std::uint64_t>(dst, packed);
    } else {
      resize::Store<std::uint32_t>(dst, static_cast<std::uint32_t>(packed));
      resize::Store<std::uint16_t>(dst + 4, static_cast<std::uint16_t>(packed >> 32));
    }
  }
}

// Whole boxes of 8-bit data whose sums stay below 2^16 and whose normaliser is an exact power
// of two, 2^-k: a box's sum times the normaliser is then exact, so trunc(sum·norm + 0.5) is
// (sum + 2^(k-1)) >> k, and the sums can be taken in 16-bit lanes. Rows are summed straight
// into 16-bit cells (no clearing, no read-back), each destination pixel is the sum of its
// box's cells, shifted and narrowed with saturation (the clamp of the general form).
struct PowerOfTwoPlan {
  int shift = 0;  // k
  std::uint16_t half = 0;
};

inline bool PlanPowerOfTwo(const SuperKernelArgs& a, PowerOfTwoPlan& plan) {
  int exponent = 0;
  const double mantissa = std::frexp(a.norm, &exponent);
  const int k = 1 - exponent;
  if (mantissa != 0.5 || k < 0 || k > 15) {
    return false;
  }
  plan.shift = k;
  plan.half = static_cast<std::uint16_t>(k > 0 ? 1 << (k - 1) : 0);
  // Every box's sum plus the half fits 16 bits.
  return static_cast<double>(a.x.whole) * static_cast<double>(a.y.whole) * 255.0 + plan.half <=
         65535.0;
}

// `rows` rows (0 gives zeros) of `count` bytes summed into 16-bit cells.
inline void SumRows8u(const std::uint8_t* src, std::ptrdiff_t srcStep, std::int64_t rows,
                      std::int64_t count, std::uint16_t* cells) {
  const __m128i zero = _mm_setzero_si128();
  std::int64_t i = 0;
  for (; i + 16 <= count; i += 16) {
    __m128i low = zero;
    __m128i high = zero;
    const std::uint8_t* p = src + i;
    for (std::int64_t r = 0; r < rows; ++r, p += srcStep) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      low = _mm_add_epi16(low, _mm_unpacklo_epi8(v, zero));
      high = _mm_add_epi16(high, _mm_unpackhi_epi8(v, zero));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(cells + i), low);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(cells + i + 8), high);
  }
  for (; i < count; ++i) {
    std::uint16_t sum = 0;
    const std::uint8_t* p = src + i;
    for (std::int64_t r = 0; r < rows; ++r, p += srcStep) {
      sum = static_cast<std::uint16_t>(sum + *p);
    }
    cells[i] = sum;
  }
}

struct SseRows {
  template <class T, int kLayout>
  static bool PowerOfTwoBoxes(const SuperKernelArgs& a, PrimStatus& status) {
    PowerOfTwoPlan plan;
    if (sizeof(T) != 1 || !PlanPowerOfTwo(a, plan)) {
      return false;
    }
    const std::int32_t per = CellsPerPixel<kLayout>(a);
    const std::int64_t cellCount = static_cast<std::int64_t>(a.readWidth) * per;
    // Four spare cells: a pixel's cells are read four at a time.
    const AlignedPtr<std::uint16_t> cells = MakeAligned<std::uint16_t>(cellCount + 4, kAligned16s);
    if (!cells) {
      status = StsAllocFailed;
      return true;
    }
    std::fill(cells.get() + cellCount, cells.get() + cellCount + 4, std::uint16_t{0});
    const auto* src = static_cast<const std::uint8_t*>(a.src);
    auto* dst = static_cast<std::uint8_t*>(a.dst);
    const std::int64_t ix = a.x.whole;
    const __m128i half = _mm_set1_epi16(static_cast<short>(plan.half));
    const __m128i shift = _mm_cvtsi32_si128(plan.shift);
    std::int64_t row = 0;
    for (std::int32_t j = 0; j < a.height; ++j, dst += a.dstStep) {
      const std::int64_t rows = std::clamp<std::int64_t>(a.rows - row, 0, a.y.whole);
      SumRows8u(src + row * a.srcStep, a.srcStep, rows, cellCount, cells.get());
      row = a.y.whole < a.rows ? row + a.y.whole : a.rows;
      const auto emit = [&](std::int32_t k, __m128i sum) {
        const __m128i values = _mm_srl_epi16(_mm_add_epi16(sum, half), shift);
        const auto bytes =
            static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(values, values)));
        std::uint8_t* out = dst + static_cast<std::ptrdiff_t>(k) * per;
        if constexpr (kLayout == 1) {
          *out = static_cast<std::uint8_t>(bytes);
        } else if (kLayout == 4 || Spare<kLayout>(a, k, per)) {
          Store<std::uint32_t>(out, bytes);
        } else {
          Store<std::uint16_t>(out, static_cast<std::uint16_t>(bytes));
          out[2] = static_cast<std::uint8_t>(bytes >> 16);
        }
      };
      const auto pixel = [&](std::int64_t x) {
        return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(cells.get() + per * x));
      };
      // Boxes that lie whole inside the read width, then the rest (cut at the read width).
      std::int32_t k = 0;
      const auto full = static_cast<std::int32_t>(
          std::min<std::int64_t>(a.width, ix <= a.readWidth ? a.readWidth / ix : 0));
      if (ix == 2) {
        for (; k < full; ++k) {
          emit(k, _mm_add_epi16(pixel(2 * k), pixel(2 * k + 1)));
        }
      }
      for (; k < full; ++k) {
        __m128i sum = pixel(k * ix);
        for (std::int64_t x = k * ix + 1; x < (k + 1) * ix; ++x) {
          sum = _mm_add_epi16(sum, pixel(x));
        }
        emit(k, sum);
      }
      for (; k < a.width; ++k) {
        const std::int64_t begin = ix > a.readWidth ? (k == 0 ? 0 : a.readWidth)
                                                    : std::min<std::int64_t>(k * ix, a.readWidth);
        const std::int64_t end =
            std::min<std::int64_t>(begin + std::min(ix, std::int64_t{a.readWidth}), a.readWidth);
        __m128i sum = _mm_setzero_si128();
        for (std::int64_t x = begin; x < end; ++x) {
          sum = _mm_add_epi16(sum, pixel(x));
        }
        emit(k, sum);
      }
    }
    return true;
  }

  template <class T>
  static void AddInteger(const std::uint8_t* src, std::ptrdiff_t srcStep, std::int32_t pixels,
                         std::int32_t per, std::int64_t rows, std::uint32_t* cells) {
    const std::int64_t count = static_cast<std::int64_t>(pixels) * per;
    const __m128i zero = _mm_setzero_si128();
    for (std::int64_t r = 0; r < rows; ++r, src += srcStep) {
      std::int64_t i = 0;
      if constexpr (sizeof(T) == 1) {
        for (; i + 16 <= count; i += 16) {
          const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
          const __m128i lo = _mm_unpacklo_epi8(v, zero);
          const __m128i hi = _mm_unpackhi_epi8(v, zero);
          auto* c = reinterpret_cast<__m128i*>(cells + i);
          _mm_store_si128(c, _mm_add_epi32(_mm_load_si128(c), _mm_unpacklo_epi16(lo, zero)));
          _mm_store_si128(c + 1,
                          _mm_add_epi32(_mm_load_si128(c + 1), _mm_unpackhi_epi16(lo, zero)));
          _mm_store_si128(c + 2,
                          _mm_add_epi32(_mm_load_si128(c + 2), _mm_unpacklo_epi16(hi, zero)));
          _mm_store_si128(c + 3,
                          _mm_add_epi32(_mm_load_si128(c + 3), _mm_unpackhi_epi16(hi, zero)));
        }
      } else {
        for (; i + 8 <= count; i += 8) {
          const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 2 * i));
          auto* c = reinterpret_cast<__m128i*>(cells + i);
          _mm_store_si128(c, _mm_add_epi32(_mm_load_si128(c), _mm_unpacklo_epi16(v, zero)));
          _mm_store_si128(c + 1, _mm_add_epi32(_mm_load_si128(c + 1), _mm_unpackhi_epi16(v, zero)));
        }
      }
      const resize::SrcRow<T> row{src};
      for (; i < count; ++i) {
        cells[i] += row[i];
      }
    }
  }

  template <class T>
  static void AddWhole(const std::uint8_t* src, std::int64_t count, float* cells) {
    std::int64_t i = 0;
    for (; i + 4 <= count; i += 4) {
      const __m128 v = LoadFourFloats<T>(src + i * static_cast<std::int64_t>(sizeof(T)));
      _mm_store_ps(cells + i, _mm_add_ps(_mm_load_ps(cells + i), v));
    }
    ScalarRows::AddWholeRows<T>(src + i * static_cast<std::int64_t>(sizeof(T)), 0, 1, count - i,
                                false, cells + i);
  }

  // Whole rows into cells that hold 0: integer rows are summed in integer lanes first (8-bit
  // in 16-bit lanes up to 257 rows, 16-bit in 32-bit lanes up to 256) and converted once, which
  // gives the float additions' result, every partial sum being exact in a float.
  template <class T>
  static void AddWholeRows(const std::uint8_t* src, std::ptrdiff_t srcStep, std::int64_t rows,
                           std::int64_t count, bool fromZero, float* cells) {
    constexpr std::int64_t kMaxRows = sizeof(T) == 1 ? 257 : 256;
    if (std::is_same_v<T, float> || !fromZero || rows > kMaxRows) {
      for (std::int64_t r = 0; r < rows; ++r, src += srcStep) {
        AddWhole<T>(src, count, cells);
      }
      return;
    }
    const __m128i zero = _mm_setzero_si128();
    std::int64_t i = 0;
    if constexpr (sizeof(T) == 1) {
      for (; i + 16 <= count; i += 16) {
        __m128i low = zero;
        __m128i high = zero;
        const std::uint8_t* p = src + i;
        for (std::int64_t r = 0; r < rows; ++r, p += srcStep) {
          const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
          low = _mm_add_epi16(low, _mm_unpacklo_epi8(v, zero));
          high = _mm_add_epi16(high, _mm_unpackhi_epi8(v, zero));
        }
        _mm_store_ps(cells + i, _mm_cvtepi32_ps(_mm_unpacklo_epi16(low, zero)));
        _mm_store_ps(cells + i + 4, _mm_cvtepi32_ps(_mm_unpackhi_epi16(low, zero)));
        _mm_store_ps(cells + i + 8, _mm_cvtepi32_ps(_mm_unpacklo_epi16(high, zero)));
        _mm_store_ps(cells + i + 12, _mm_cvtepi32_ps(_mm_unpackhi_epi16(high, zero)));
      }
    } else if constexpr (sizeof(T) == 2) {
      for (; i + 8 <= count; i += 8) {
        __m128i low = zero;
        __m128i high = zero;
        const std::uint8_t* p = src + 2 * i;
        for (std::int64_t r = 0; r < rows; ++r, p += srcStep) {
          const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
          low = _mm_add_epi32(low, _mm_unpacklo_epi16(v, zero));
          high = _mm_add_epi32(high, _mm_unpackhi_epi16(v, zero));
        }
        _mm_store_ps(cells + i, _mm_cvtepi32_ps(low));
        _mm_store_ps(cells + i + 4, _mm_cvtepi32_ps(high));
      }
    }
    // The rest of the row, one row after the other.
    const std::uint8_t* p = src + i * static_cast<std::int64_t>(sizeof(T));
    for (std::int64_t r = 0; r < rows; ++r, p += srcStep) {
      ScalarRows::AddWholeRows<T>(p, 0, 1, count - i, false, cells + i);
    }
  }

  template <class T>
  static void AddWeighted(const std::uint8_t* src, std::int64_t count, double w, float* cells) {
    const __m128d weight = _mm_set1_pd(w);
    std::int64_t i = 0;
    for (; i + 4 <= count; i += 4) {
      const __m128 v = LoadFourFloats<T>(src + i * static_cast<std::int64_t>(sizeof(T)));
      const __m128 c = _mm_load_ps(cells + i);
      const __m128d low = _mm_add_pd(LowDoubles(c), _mm_mul_pd(weight, LowDoubles(v)));
      const __m128d high = _mm_add_pd(HighDoubles(c), _mm_mul_pd(weight, HighDoubles(v)));
      _mm_store_ps(cells + i, _mm_movelh_ps(_mm_cvtpd_ps(low), _mm_cvtpd_ps(high)));
    }
    ScalarRows::AddWeighted<T>(src + i * static_cast<std::int64_t>(sizeof(T)), count - i, w,
                               cells + i);
  }

  // Three or four channels gathered in the lanes of one vector (the spare lane of three
  // channels reads the next cell, which the accumulator row's four spare cells keep in range).
  // 32-bit lane sums are exact while a whole box stays below 2^31.
  template <class T, int kChannels>
  static void GatherInteger(const std::uint32_t* cells, std::int32_t per, std::int64_t begin,
                            std::int64_t end, double norm, bool smallBoxes, bool spare,
                            std::uint8_t* dst) {
    if (kChannels == 1 || !smallBoxes) {
      ScalarRows::GatherInteger<T, kChannels>(cells, per, begin, end, norm, smallBoxes, spare, dst);
      return;
    }
    __m128i sum = _mm_setzero_si128();
    for (std::int64_t x = begin; x < end; ++x) {
      sum = _mm_add_epi32(sum, _mm_loadu_si128(reinterpret_cast<const __m128i*>(cells + per * x)));
    }
    const __m128i lanes =
        RoundFour<T>(_mm_cvtepi32_pd(sum), _mm_cvtepi32_pd(_mm_srli_si128(sum, 8)), norm);
    StoreChannels<T>(lanes, kChannels, spare, dst);
  }

  template <class T, int kChannels>
  static void GatherFloat(const float* cells, std::int32_t per, const Span& span, double norm,
                          bool spare, std::uint8_t* dst) {
    if constexpr (kChannels == 1) {
      ScalarRows::GatherFloat<T, kChannels>(cells, per, span, norm, spare, dst);
    } else {
      __m128d low = _mm_setzero_pd();
      __m128d high = _mm_setzero_pd();
      const auto weighted = [&](std::int64_t x, double w) {
        const __m128 c = _mm_loadu_ps(cells + per * x);
        const __m128d weight = _mm_set1_pd(w);
        low = _mm_add_pd(low, _mm_mul_pd(weight, LowDoubles(c)));
        high = _mm_add_pd(high, _mm_mul_pd(weight, HighDoubles(c)));
      };
      if (span.lead >= 0) {
        weighted(span.lead, span.leadWeight);
      }
      for (std::int64_t x = span.begin; x < span.end; ++x) {
        const __m128 c = _mm_loadu_ps(cells + per * x);
        low = _mm_add_pd(low, LowDoubles(c));
        high = _mm_add_pd(high, HighDoubles(c));
      }
      if (span.cut >= 0) {
        weighted(span.cut, span.cutWeight);
      }
      // Each sum is stored once as a float, then scaled.
      const __m128 stored = _mm_movelh_ps(_mm_cvtpd_ps(low), _mm_cvtpd_ps(high));
      if constexpr (std::is_same_v<T, float>) {
        const __m128d n = _mm_set1_pd(norm);
        const __m128 scaled = _mm_movelh_ps(_mm_cvtpd_ps(_mm_mul_pd(LowDoubles(stored), n)),
                                            _mm_cvtpd_ps(_mm_mul_pd(HighDoubles(stored), n)));
        alignas(16) float values[4];
        _mm_store_ps(values, scaled);
        for (int c = 0; c < kChannels; ++c) {
          resize::Store<float>(dst + c * sizeof(float), values[c]);
        }
      } else {
        StoreChannels<T>(RoundFour<T>(LowDoubles(stored), HighDoubles(stored), norm), kChannels,
                         spare, dst);
      }
    }
  }
};

}  // namespace resize::super
