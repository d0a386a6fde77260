// Source rows in floats, for the filtering passes whose columns read the same source
// elements many times: each element is converted once per row instead of once per tap.
#pragma once

#include <emmintrin.h>

#include <cstddef>
#include <cstdint>

#include "prim/resize/resize_element.h"

namespace resize {

// Elements [first, end) of a source row (offsets from the rectangle's corner) converted to
// floats (exactly) into `out`, followed by eight zeros.
template <class T>
void RowToFloats(SrcRow<T> src, std::ptrdiff_t first, std::ptrdiff_t end, float* out) {
  const __m128i zero = _mm_setzero_si128();
  const std::ptrdiff_t n = end - first;
  const std::uint8_t* p = src.At(first);
  std::ptrdiff_t i = 0;
  if constexpr (sizeof(T) == 1) {
    for (; i + 16 <= n; i += 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
      const __m128i low = _mm_unpacklo_epi8(v, zero);
      const __m128i high = _mm_unpackhi_epi8(v, zero);
      _mm_storeu_ps(out + i, _mm_cvtepi32_ps(_mm_unpacklo_epi16(low, zero)));
      _mm_storeu_ps(out + i + 4, _mm_cvtepi32_ps(_mm_unpackhi_epi16(low, zero)));
      _mm_storeu_ps(out + i + 8, _mm_cvtepi32_ps(_mm_unpacklo_epi16(high, zero)));
      _mm_storeu_ps(out + i + 12, _mm_cvtepi32_ps(_mm_unpackhi_epi16(high, zero)));
    }
  } else if constexpr (sizeof(T) == 2) {
    for (; i + 8 <= n; i += 8) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 2 * i));
      _mm_storeu_ps(out + i, _mm_cvtepi32_ps(_mm_unpacklo_epi16(v, zero)));
      _mm_storeu_ps(out + i + 4, _mm_cvtepi32_ps(_mm_unpackhi_epi16(v, zero)));
    }
  }
  const SrcRow<T> row{p};
  for (; i < n; ++i) {
    out[i] = static_cast<float>(row[i]);
  }
  _mm_storeu_ps(out + n, _mm_setzero_ps());
  _mm_storeu_ps(out + n + 4, _mm_setzero_ps());
}

}  // namespace resize
