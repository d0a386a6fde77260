// SSE and SSE2 forms of the H.263 inverse quantisation primitive (SSE2 is part of every
// x86-64 processor): the SSE form works four coefficients a step, the SSE2 form eight.
#include <immintrin.h>

#include "prim/prim_quant.h"
#include "prim/quant_check.h"
#include "prim/quant_simd_kernel.h"

namespace {

__m128i LoadAligned(const __m128i* p) {
  return _mm_load_si128(p);
}

}  // namespace

void QuantInvInterWorker_Sse(std::int16_t* pSrcDst, std::int32_t keepFirst, std::int32_t len,
                             std::int32_t QP, std::int32_t lower, std::int32_t upper) {
  quant_kernel::Worker<4>(pSrcDst, keepFirst, len, QP, lower, upper, LoadAligned);
}

void QuantInvInterWorker_Sse2(std::int16_t* pSrcDst, std::int32_t keepFirst, std::int32_t len,
                              std::int32_t QP, std::int32_t lower, std::int32_t upper) {
  quant_kernel::Worker<8>(pSrcDst, keepFirst, len, QP, lower, upper, LoadAligned);
}

PrimStatus primQuantInvInter_Compact_H263_16s_I_sse(std::int16_t* pSrcDst, std::int32_t len,
                                                    std::int32_t QP) {
  return prim_quant::CheckedInverse(QuantInvInterWorker_Sse, pSrcDst, len, QP);
}

PrimStatus primQuantInvInter_Compact_H263_16s_I_sse2(std::int16_t* pSrcDst, std::int32_t len,
                                                     std::int32_t QP) {
  return prim_quant::CheckedInverse(QuantInvInterWorker_Sse2, pSrcDst, len, QP);
}
