// AVX2 paths of the generic dequantisation workers: the H.263 inverse quantisation and the
// MPEG-4 workers sixteen coefficients a step, in the same arithmetic as their SSE2 bodies
// (quant_simd_kernel.h, mpeg4_quant_simd_kernel.h) on 256-bit registers; each unpack and pack
// stays within 128-bit halves, so the coefficients keep their order. The rest of an array goes
// to the SSE2 body or the scalar rule.
#if defined(__x86_64__)

#include <immintrin.h>

#include <array>
#include <cstdint>

#include "prim/mpeg4_quant_rule.h"
#include "prim/prim_mpeg4_quant.h"
#include "prim/prim_quant.h"
#include "prim/quant_rule.h"

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

namespace {

constexpr std::int32_t kStep = 16;

__m256i Load(const std::int16_t* p) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

void Store(std::int16_t* p, __m256i v) {
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}

// H.263: products 2 QP c saturated to 16 bits, +-k with the sign of c (saturating), limited to
// the bounds; zeros stay zero.
__m256i H263Group(__m256i c, __m256i twoQp, __m256i k, __m256i lower, __m256i upper) {
  const __m256i lo = _mm256_mullo_epi16(c, twoQp);
  const __m256i hi = _mm256_mulhi_epi16(c, twoQp);
  const __m256i product =
      _mm256_packs_epi32(_mm256_unpacklo_epi16(lo, hi), _mm256_unpackhi_epi16(lo, hi));
  const __m256i sign = _mm256_srai_epi16(c, 15);
  const __m256i signedK = _mm256_sub_epi16(_mm256_xor_si256(k, sign), sign);
  const __m256i v =
      _mm256_max_epi16(_mm256_min_epi16(_mm256_adds_epi16(product, signedK), upper), lower);
  return _mm256_andnot_si256(_mm256_cmpeq_epi16(c, _mm256_setzero_si256()), v);
}

// MPEG-4: c QP w formed exactly in 32 bits, divided with truncation toward zero, packed with
// saturation (the bounds lie inside the 16-bit range), limited, zeroed where c was zero.
template <bool kInter>
__m256i Mpeg4Group(__m256i c, __m256i weights, __m256i qp, __m256i lower, __m256i upper) {
  const __m256i k = _mm256_mullo_epi16(weights, qp);
  const __m256i lo = _mm256_mullo_epi16(c, k);
  const __m256i hi = _mm256_mulhi_epi16(c, k);
  __m256i p0 = _mm256_unpacklo_epi16(lo, hi);
  __m256i p1 = _mm256_unpackhi_epi16(lo, hi);
  int shift = 3;
  if constexpr (kInter) {
    // (2 c + sign(c)) QP w = 2 c k + sign(c) k.
    const __m256i zero = _mm256_setzero_si256();
    const __m256i signedK = _mm256_sub_epi16(_mm256_and_si256(_mm256_cmpgt_epi16(c, zero), k),
                                             _mm256_and_si256(_mm256_cmpgt_epi16(zero, c), k));
    const __m256i s0 = _mm256_srai_epi32(_mm256_unpacklo_epi16(signedK, signedK), 16);
    const __m256i s1 = _mm256_srai_epi32(_mm256_unpackhi_epi16(signedK, signedK), 16);
    p0 = _mm256_add_epi32(_mm256_add_epi32(p0, p0), s0);
    p1 = _mm256_add_epi32(_mm256_add_epi32(p1, p1), s1);
    shift = 4;
  }
  const __m256i bias = _mm256_set1_epi32((1 << shift) - 1);
  p0 = _mm256_add_epi32(p0, _mm256_and_si256(_mm256_srai_epi32(p0, 31), bias));
  p1 = _mm256_add_epi32(p1, _mm256_and_si256(_mm256_srai_epi32(p1, 31), bias));
  const __m128i count = _mm_cvtsi32_si128(shift);
  const __m256i v = _mm256_packs_epi32(_mm256_sra_epi32(p0, count), _mm256_sra_epi32(p1, count));
  const __m256i limited = _mm256_max_epi16(_mm256_min_epi16(v, upper), lower);
  return _mm256_andnot_si256(_mm256_cmpeq_epi16(c, _mm256_setzero_si256()), limited);
}

// Sum of the sixteen 16-bit lanes of v, sign-extended.
std::int32_t LaneSum(__m256i v) {
  const __m256i wide = _mm256_madd_epi16(v, _mm256_set1_epi16(1));
  __m128i sum = _mm_add_epi32(_mm256_castsi256_si128(wide), _mm256_extracti128_si256(wide, 1));
  sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, _MM_SHUFFLE(1, 0, 3, 2)));
  sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, _MM_SHUFFLE(2, 3, 0, 1)));
  return _mm_cvtsi128_si32(sum);
}

// Elements [0, count) with weights[i]; returns the sum of the results.
template <bool kInter>
std::int32_t Mpeg4Run(std::int16_t* data, const std::uint8_t* weights, std::int32_t count,
                      std::int32_t qp, std::int32_t lower, std::int32_t upper) {
  const __m256i qpLanes = _mm256_set1_epi16(static_cast<std::int16_t>(qp));
  const __m256i lo = _mm256_set1_epi16(static_cast<std::int16_t>(lower));
  const __m256i hi = _mm256_set1_epi16(static_cast<std::int16_t>(upper));
  std::int32_t sum = 0;
  std::int32_t i = 0;
  for (; i + kStep <= count; i += kStep) {
    const __m256i w =
        _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(weights + i)));
    const __m256i v = Mpeg4Group<kInter>(Load(data + i), w, qpLanes, lo, hi);
    Store(data + i, v);
    sum += LaneSum(v);
  }
  return sum + prim_mpeg4_quant::Walk<kInter>(data, weights, i, count, qp, lower, upper);
}

}  // namespace

void QuantInvInterWorker_GenericAvx2(std::int16_t* pSrcDst, std::int32_t keepFirst,
                                     std::int32_t len, std::int32_t QP, std::int32_t lower,
                                     std::int32_t upper) {
  if (pSrcDst == nullptr || len < 1) {
    return;
  }
  if (reinterpret_cast<std::uintptr_t>(pSrcDst) % 2 != 0) {
    // Element by element at an odd address, as every path does.
    QuantInvInterWorker_GenericScalar(pSrcDst, keepFirst, len, QP, lower, upper);
    return;
  }
  const std::int16_t first = pSrcDst[0];
  const __m256i twoQp = _mm256_set1_epi16(static_cast<std::int16_t>(2 * QP));
  const __m256i k = _mm256_set1_epi16(static_cast<std::int16_t>(prim_quant::OddRounding(QP)));
  const __m256i lo = _mm256_set1_epi16(static_cast<std::int16_t>(lower));
  const __m256i hi = _mm256_set1_epi16(static_cast<std::int16_t>(upper));
  std::int32_t i = 0;
  for (; i + kStep <= len; i += kStep) {
    const __m256i c = Load(pSrcDst + i);
    if (_mm256_testz_si256(c, c) == 0) {
      Store(pSrcDst + i, H263Group(c, twoQp, k, lo, hi));
    }
  }
  if (i < len) {
    QuantInvInterWorker_GenericSse2(pSrcDst + i, 0, len - i, QP, lower, upper);
  }
  if (keepFirst != 0) {
    pSrcDst[0] = first;
  }
}

void QuantInvIntraMpeg4Worker_GenericAvx2(std::int16_t* pSrcDst, const std::uint8_t* pWeights,
                                          std::int32_t QP, std::int32_t lower, std::int32_t upper,
                                          std::int32_t* pSum) {
  const std::int16_t first = pSrcDst[0];
  const std::int32_t total =
      Mpeg4Run<false>(pSrcDst, pWeights, prim_mpeg4_quant::kBlock, QP, lower, upper);
  *pSum += total - pSrcDst[0];
  pSrcDst[0] = first;
}

void QuantInvInterMpeg4Worker_GenericAvx2(std::int16_t* pSrcDst, const std::uint8_t* pWeights,
                                          std::int32_t QP, std::int32_t lower, std::int32_t upper,
                                          std::int32_t* pSum) {
  *pSum += Mpeg4Run<true>(pSrcDst, pWeights, prim_mpeg4_quant::kBlock, QP, lower, upper);
}

void QuantInvIntraMpeg4ScanWorker_GenericAvx2(std::int16_t* pSrcDst, std::int32_t count,
                                              const std::uint8_t* pWeights,
                                              const std::uint8_t* pScan, std::int32_t QP,
                                              std::int32_t* pSum) {
  const std::int32_t n = prim_mpeg4_quant::ScanCount(count);
  if (n == 0) {
    return;
  }
  const auto gathered = prim_mpeg4_quant::ScanWeights(pWeights, pScan, n);
  const std::int16_t first = pSrcDst[0];
  const std::int32_t total = Mpeg4Run<false>(
      pSrcDst, gathered.data(), n, QP, prim_mpeg4_quant::kScanLower, prim_mpeg4_quant::kScanUpper);
  *pSum += total - pSrcDst[0];
  pSrcDst[0] = first;
}

void QuantInvInterMpeg4ScanWorker_GenericAvx2(std::int16_t* pSrcDst, std::int32_t count,
                                              const std::uint8_t* pWeights,
                                              const std::uint8_t* pScan, std::int32_t QP,
                                              std::int32_t* pSum) {
  const std::int32_t n = prim_mpeg4_quant::ScanCount(count);
  const auto gathered = prim_mpeg4_quant::ScanWeights(pWeights, pScan, n);
  *pSum += Mpeg4Run<true>(pSrcDst, gathered.data(), n, QP, prim_mpeg4_quant::kScanLower,
                          prim_mpeg4_quant::kScanUpper);
}

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#endif  // __x86_64__
