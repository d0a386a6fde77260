// Vector body of the H.263 inverse quantisation worker, written once for groups of 4 or 8
// coefficients. Included by the source file of each form after it sets the instruction set;
// internal linkage, so each form gets its own code.
#pragma once

#include <immintrin.h>

#include <cstdint>

#include "prim/quant_rule.h"

namespace {
namespace quant_kernel {

// One group: products 2 QP c saturated to 16 bits, +-k with the sign of c (saturating), limited
// to the bounds; zeros stay zero. Equal to the scalar rule because the bounds lie inside the
// 16-bit range.
inline __m128i Group(__m128i c, __m128i twoQp, __m128i k, __m128i lower, __m128i upper) {
  const __m128i lo = _mm_mullo_epi16(c, twoQp);
  const __m128i hi = _mm_mulhi_epi16(c, twoQp);
  const __m128i product = _mm_packs_epi32(_mm_unpacklo_epi16(lo, hi), _mm_unpackhi_epi16(lo, hi));
  const __m128i sign = _mm_srai_epi16(c, 15);
  const __m128i signedK = _mm_sub_epi16(_mm_xor_si128(k, sign), sign);
  const __m128i v = _mm_max_epi16(_mm_min_epi16(_mm_adds_epi16(product, signedK), upper), lower);
  const __m128i zero = _mm_cmpeq_epi16(c, _mm_setzero_si128());
  return _mm_andnot_si128(zero, v);
}

// Group: 4 or 8 coefficients a step, on addresses aligned to 2 * Group bytes. Load: a callable
// reading 16 bytes at an address aligned to 16 (used for groups of 8).
template <int GroupSize, typename Load>
inline void Worker(std::int16_t* data, std::int32_t keepFirst, std::int32_t len, std::int32_t qp,
                   std::int32_t lower, std::int32_t upper, Load load) {
  static_assert(GroupSize == 4 || GroupSize == 8);
  if (data == nullptr || len < 1) {
    return;
  }
  const std::int16_t first = prim_quant::LoadElement(data);
  constexpr std::uintptr_t kAlign = 2 * GroupSize;
  std::int32_t i = 0;
  const auto address = reinterpret_cast<std::uintptr_t>(data);
  if (address % 2 == 0) {
    // Single elements up to the group alignment.
    while (i < len && (address + 2 * static_cast<std::uintptr_t>(i)) % kAlign != 0) {
      prim_quant::InverseElement(data, i, qp, lower, upper);
      ++i;
    }
    const __m128i twoQp = _mm_set1_epi16(static_cast<std::int16_t>(2 * qp));
    const __m128i k = _mm_set1_epi16(static_cast<std::int16_t>(prim_quant::OddRounding(qp)));
    const __m128i lo = _mm_set1_epi16(static_cast<std::int16_t>(lower));
    const __m128i hi = _mm_set1_epi16(static_cast<std::int16_t>(upper));
    for (; i + GroupSize <= len; i += GroupSize) {
      auto* group = reinterpret_cast<__m128i*>(data + i);
      if constexpr (GroupSize == 8) {
        const __m128i c = load(group);
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(c, _mm_setzero_si128())) == 0xFFFF) {
          continue;
        }
        _mm_store_si128(group, Group(c, twoQp, k, lo, hi));
      } else {
        const __m128i c = _mm_loadl_epi64(group);
        if (_mm_cvtsi128_si64(c) == 0) {
          continue;
        }
        _mm_storel_epi64(group, Group(c, twoQp, k, lo, hi));
      }
    }
  }
  // The rest (all of it at an odd address) one element at a time.
  for (; i < len; ++i) {
    prim_quant::InverseElement(data, i, qp, lower, upper);
  }
  if (keepFirst != 0) {
    prim_quant::StoreElement(data, first);
  }
}

}  // namespace quant_kernel
}  // namespace
