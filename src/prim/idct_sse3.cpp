// SSE3 form of the table-driven inverse DCT: the SSE2 form with the SSE3 unaligned load, and on
// the AVX2 path (simd_path.h) the table-driven AVX2 worker, which gives the same results.
#include <immintrin.h>

#include "prim/idct_check.h"
#include "prim/idct_tables.h"
#include "prim/prim_idct.h"
#include "prim/simd_path.h"

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("sse3"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("sse3")
#endif

#include "prim/idct_simd_kernel.h"

namespace {

__m128i LoadRowSse3(const std::int16_t* row) {
  return _mm_lddqu_si128(reinterpret_cast<const __m128i*>(row));
}

}  // namespace

void DCT8x8InvWorker_Sse3(const std::int16_t* src, std::int16_t* dst) {
  idct_kernel::Transform<8>(src, dst, LoadRowSse3);
}

PrimStatus primDCT8x8Inv_16s_C1I_sse3(std::int16_t* pSrcDst) {
  static constexpr PrimSimdPaths<void(const std::int16_t*, std::int16_t*)> kPaths{
      DCT8x8InvWorker_Sse3, DCT8x8InvWorker_TableAvx2};
  return prim_idct::CheckedTransform(kPaths.InUse(), pSrcDst);
}

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif
