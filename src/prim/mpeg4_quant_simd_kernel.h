// Vector body of the MPEG-4 dequantisation workers, written once for groups of 4 or 8
// coefficients. Included by the source file of each form after it sets the instruction set;
// internal linkage, so each form gets its own code.
#pragma once

#include <immintrin.h>

#include <cstdint>
#include <cstring>

#include "prim/mpeg4_quant_rule.h"
#include "prim/prim_mpeg4_quant.h"

namespace {
namespace mpeg4_quant_kernel {

// One group of eight (the SSE form uses the low four lanes): c and the weights as 16-bit
// lanes. The product c QP w is formed exactly in 32 bits (QP w fits 16 bits), divided with
// truncation toward zero, packed with saturation (the bounds lie inside the 16-bit range, so
// saturating first cannot change the outcome), limited and zeroed where c was zero.
template <bool kInter>
inline __m128i Group(__m128i c, __m128i weights, __m128i qp, __m128i lower, __m128i upper) {
  const __m128i k = _mm_mullo_epi16(weights, qp);
  const __m128i lo = _mm_mullo_epi16(c, k);
  const __m128i hi = _mm_mulhi_epi16(c, k);
  __m128i p0 = _mm_unpacklo_epi16(lo, hi);
  __m128i p1 = _mm_unpackhi_epi16(lo, hi);
  int shift = 3;
  if constexpr (kInter) {
    // (2 c + sign(c)) QP w = 2 c k + sign(c) k.
    const __m128i zero = _mm_setzero_si128();
    const __m128i signedK = _mm_sub_epi16(_mm_and_si128(_mm_cmpgt_epi16(c, zero), k),
                                          _mm_and_si128(_mm_cmpgt_epi16(zero, c), k));
    const __m128i s0 = _mm_srai_epi32(_mm_unpacklo_epi16(signedK, signedK), 16);
    const __m128i s1 = _mm_srai_epi32(_mm_unpackhi_epi16(signedK, signedK), 16);
    p0 = _mm_add_epi32(_mm_add_epi32(p0, p0), s0);
    p1 = _mm_add_epi32(_mm_add_epi32(p1, p1), s1);
    shift = 4;
  }
  const __m128i bias = _mm_set1_epi32((1 << shift) - 1);
  p0 = _mm_add_epi32(p0, _mm_and_si128(_mm_srai_epi32(p0, 31), bias));
  p1 = _mm_add_epi32(p1, _mm_and_si128(_mm_srai_epi32(p1, 31), bias));
  const __m128i count = _mm_cvtsi32_si128(shift);
  const __m128i v = _mm_packs_epi32(_mm_sra_epi32(p0, count), _mm_sra_epi32(p1, count));
  const __m128i limited = _mm_max_epi16(_mm_min_epi16(v, upper), lower);
  return _mm_andnot_si128(_mm_cmpeq_epi16(c, _mm_setzero_si128()), limited);
}

// Adds the 16-bit lanes of v (sign-extended) to the four 32-bit lanes of sum.
inline __m128i Accumulate(__m128i sum, __m128i v) {
  const __m128i wide0 = _mm_srai_epi32(_mm_unpacklo_epi16(v, v), 16);
  const __m128i wide1 = _mm_srai_epi32(_mm_unpackhi_epi16(v, v), 16);
  return _mm_add_epi32(sum, _mm_add_epi32(wide0, wide1));
}

inline std::int32_t Total(__m128i sum) {
  sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, _MM_SHUFFLE(1, 0, 3, 2)));
  sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, _MM_SHUFFLE(2, 3, 0, 1)));
  return _mm_cvtsi128_si32(sum);
}

// Elements [0, count) of data with weights[i], GroupSize a step and the ragged tail one at a
// time; returns the sum of the results. Load reads 16 unaligned bytes (groups of eight).
template <int GroupSize, bool kInter, typename Load>
inline std::int32_t Run(std::int16_t* data, const std::uint8_t* weights, std::int32_t count,
                        std::int32_t qp, std::int32_t lower, std::int32_t upper, Load load) {
  static_assert(GroupSize == 4 || GroupSize == 8);
  const __m128i qpLanes = _mm_set1_epi16(static_cast<std::int16_t>(qp));
  const __m128i lo = _mm_set1_epi16(static_cast<std::int16_t>(lower));
  const __m128i hi = _mm_set1_epi16(static_cast<std::int16_t>(upper));
  const __m128i zero = _mm_setzero_si128();
  __m128i sum = zero;
  std::int32_t i = 0;
  for (; i + GroupSize <= count; i += GroupSize) {
    auto* group = reinterpret_cast<__m128i*>(data + i);
    if constexpr (GroupSize == 8) {
      const __m128i w =
          _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(weights + i)), zero);
      const __m128i v = Group<kInter>(load(group), w, qpLanes, lo, hi);
      _mm_storeu_si128(group, v);
      sum = Accumulate(sum, v);
    } else {
      std::int32_t packed = 0;
      std::memcpy(&packed, weights + i, sizeof(packed));
      const __m128i w = _mm_unpacklo_epi8(_mm_cvtsi32_si128(packed), zero);
      const __m128i v = Group<kInter>(_mm_loadl_epi64(group), w, qpLanes, lo, hi);
      _mm_storel_epi64(group, v);
      sum = Accumulate(sum, _mm_unpacklo_epi64(v, zero));
    }
  }
  return Total(sum) + prim_mpeg4_quant::Walk<kInter>(data, weights, i, count, qp, lower, upper);
}

// The four workers of one form over Run.
template <int GroupSize>
struct Worker {
  template <typename Load>
  static void Intra(std::int16_t* data, const std::uint8_t* weights, std::int32_t qp,
                    std::int32_t lower, std::int32_t upper, std::int32_t* sum, Load load) {
    const std::int16_t first = data[0];
    const std::int32_t total =
        Run<GroupSize, false>(data, weights, prim_mpeg4_quant::kBlock, qp, lower, upper, load);
    *sum += total - data[0];
    data[0] = first;
  }
  template <typename Load>
  static void Inter(std::int16_t* data, const std::uint8_t* weights, std::int32_t qp,
                    std::int32_t lower, std::int32_t upper, std::int32_t* sum, Load load) {
    *sum += Run<GroupSize, true>(data, weights, prim_mpeg4_quant::kBlock, qp, lower, upper, load);
  }
  template <typename Load>
  static void IntraScan(std::int16_t* data, std::int32_t count, const std::uint8_t* weights,
                        const std::uint8_t* scan, std::int32_t qp, std::int32_t* sum, Load load) {
    const std::int32_t n = prim_mpeg4_quant::ScanCount(count);
    if (n == 0) {
      return;
    }
    const auto gathered = prim_mpeg4_quant::ScanWeights(weights, scan, n);
    const std::int16_t first = data[0];
    const std::int32_t total =
        Run<GroupSize, false>(data, gathered.data(), n, qp, prim_mpeg4_quant::kScanLower,
                              prim_mpeg4_quant::kScanUpper, load);
    *sum += total - data[0];
    data[0] = first;
  }
  template <typename Load>
  static void InterScan(std::int16_t* data, std::int32_t count, const std::uint8_t* weights,
                        const std::uint8_t* scan, std::int32_t qp, std::int32_t* sum, Load load) {
    const std::int32_t n = prim_mpeg4_quant::ScanCount(count);
    const auto gathered = prim_mpeg4_quant::ScanWeights(weights, scan, n);
    *sum += Run<GroupSize, true>(data, gathered.data(), n, qp, prim_mpeg4_quant::kScanLower,
                                 prim_mpeg4_quant::kScanUpper, load);
  }
};

// The four workers of one form's 128-bit code with its load, as one path record.
template <int GroupSize, __m128i (*kLoad)(const __m128i*)>
struct Code {
  using W = Worker<GroupSize>;
  static void Intra(std::int16_t* data, const std::uint8_t* weights, std::int32_t qp,
                    std::int32_t lower, std::int32_t upper, std::int32_t* sum) {
    W::Intra(data, weights, qp, lower, upper, sum, kLoad);
  }
  static void Inter(std::int16_t* data, const std::uint8_t* weights, std::int32_t qp,
                    std::int32_t lower, std::int32_t upper, std::int32_t* sum) {
    W::Inter(data, weights, qp, lower, upper, sum, kLoad);
  }
  static void IntraScan(std::int16_t* data, std::int32_t count, const std::uint8_t* weights,
                        const std::uint8_t* scan, std::int32_t qp, std::int32_t* sum) {
    W::IntraScan(data, count, weights, scan, qp, sum, kLoad);
  }
  static void InterScan(std::int16_t* data, std::int32_t count, const std::uint8_t* weights,
                        const std::uint8_t* scan, std::int32_t qp, std::int32_t* sum) {
    W::InterScan(data, count, weights, scan, qp, sum, kLoad);
  }
  static constexpr QuantInvMpeg4GenericPath kPath{Intra, Inter, IntraScan, InterScan};
};

}  // namespace mpeg4_quant_kernel
}  // namespace
