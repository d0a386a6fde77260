// SSE3 form of the MPEG-4 dequantisation workers: the SSE2 form with the SSE3 unaligned load,
// and on the AVX2 path (simd_path.h) the generic workers' AVX2 code, which gives the same
// results.
#include <immintrin.h>

#include "prim/prim_mpeg4_quant.h"
#include "prim/simd_path.h"

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("sse3"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("sse3")
#endif

#include "prim/mpeg4_quant_simd_kernel.h"

namespace {

__m128i LoadSse3(const __m128i* p) {
  return _mm_lddqu_si128(p);
}

using Sse3Code = mpeg4_quant_kernel::Code<8, LoadSse3>;

const QuantInvMpeg4GenericPath& Sse3() {
  static constexpr PrimSimdPaths<const QuantInvMpeg4GenericPath> kPaths{&Sse3Code::kPath,
                                                                        &kQuantInvMpeg4GenericAvx2};
  return *kPaths.InUse();
}

}  // namespace

void QuantInvIntraMpeg4Worker_Sse3(std::int16_t* pSrcDst, const std::uint8_t* pWeights,
                                   std::int32_t QP, std::int32_t lower, std::int32_t upper,
                                   std::int32_t* pSum) {
  Sse3().intra(pSrcDst, pWeights, QP, lower, upper, pSum);
}
void QuantInvInterMpeg4Worker_Sse3(std::int16_t* pSrcDst, const std::uint8_t* pWeights,
                                   std::int32_t QP, std::int32_t lower, std::int32_t upper,
                                   std::int32_t* pSum) {
  Sse3().inter(pSrcDst, pWeights, QP, lower, upper, pSum);
}
void QuantInvIntraMpeg4ScanWorker_Sse3(std::int16_t* pSrcDst, std::int32_t count,
                                       const std::uint8_t* pWeights, const std::uint8_t* pScan,
                                       std::int32_t QP, std::int32_t* pSum) {
  Sse3().intraScan(pSrcDst, count, pWeights, pScan, QP, pSum);
}
void QuantInvInterMpeg4ScanWorker_Sse3(std::int16_t* pSrcDst, std::int32_t count,
                                       const std::uint8_t* pWeights, const std::uint8_t* pScan,
                                       std::int32_t QP, std::int32_t* pSum) {
  Sse3().interScan(pSrcDst, count, pWeights, pScan, QP, pSum);
}

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif
