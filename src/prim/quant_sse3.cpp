// SSE3 form of the H.263 inverse quantisation primitive: the SSE2 form with the SSE3 load, and
// on the AVX2 path (simd_path.h) the generic worker's AVX2 code, which gives the same results.
#include <immintrin.h>

#include "prim/prim_quant.h"
#include "prim/quant_check.h"
#include "prim/quant_rule.h"
#include "prim/simd_path.h"

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("sse3"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("sse3")
#endif

#include "prim/quant_simd_kernel.h"

namespace {

__m128i LoadSse3(const __m128i* p) {
  return _mm_lddqu_si128(p);
}

}  // namespace

void QuantInvInterWorker_Sse3(std::int16_t* pSrcDst, std::int32_t keepFirst, std::int32_t len,
                              std::int32_t QP, std::int32_t lower, std::int32_t upper) {
  quant_kernel::Worker<8>(pSrcDst, keepFirst, len, QP, lower, upper, LoadSse3);
}

PrimStatus primQuantInvInter_Compact_H263_16s_I_sse3(std::int16_t* pSrcDst, std::int32_t len,
                                                     std::int32_t QP) {
  using Worker =
      void(std::int16_t*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t);
  static constexpr PrimSimdPaths<Worker> kPaths{QuantInvInterWorker_Sse3,
                                                QuantInvInterWorker_GenericAvx2};
  return prim_quant::CheckedInverse(kPaths.InUse(), pSrcDst, len, QP);
}

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif
