// SSE and SSE2 forms of the H.263 inverse quantisation primitive (SSE2 is part of every
// x86-64 processor): the SSE form works four coefficients a step, the SSE2 form eight. All
// forms give the same results, so on the AVX2 path (simd_path.h) both entries run the generic
// worker's AVX2 code.
#include <immintrin.h>

#include "prim/prim_quant.h"
#include "prim/quant_check.h"
#include "prim/quant_simd_kernel.h"
#include "prim/simd_path.h"

namespace {

__m128i LoadAligned(const __m128i* p) {
  return _mm_load_si128(p);
}

using Worker = void(std::int16_t*, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                    std::int32_t);

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
  static constexpr PrimSimdPaths<Worker> kPaths{QuantInvInterWorker_Sse,
                                                QuantInvInterWorker_GenericAvx2};
  return prim_quant::CheckedInverse(kPaths.InUse(), pSrcDst, len, QP);
}

PrimStatus primQuantInvInter_Compact_H263_16s_I_sse2(std::int16_t* pSrcDst, std::int32_t len,
                                                     std::int32_t QP) {
  static constexpr PrimSimdPaths<Worker> kPaths{QuantInvInterWorker_Sse2,
                                                QuantInvInterWorker_GenericAvx2};
  return prim_quant::CheckedInverse(kPaths.InUse(), pSrcDst, len, QP);
}
