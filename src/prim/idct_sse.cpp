// SSE and SSE2 forms of the table-driven inverse DCT. SSE2 is part of every x86-64 processor,
// so these need no instruction-set switch; the SSE form runs the column pass four columns at a
// time, the SSE2 form eight.
#include <immintrin.h>

#include "prim/idct_check.h"
#include "prim/idct_simd_kernel.h"
#include "prim/prim_idct.h"

namespace {

__m128i LoadRowUnaligned(const std::int16_t* row) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(row));
}

}  // namespace

void DCT8x8InvWorker_Sse(const std::int16_t* src, std::int16_t* dst) {
  idct_kernel::Transform<4>(src, dst, LoadRowUnaligned);
}

void DCT8x8InvWorker_Sse2(const std::int16_t* src, std::int16_t* dst) {
  idct_kernel::Transform<8>(src, dst, LoadRowUnaligned);
}

PrimStatus primDCT8x8Inv_16s_C1I_sse(std::int16_t* pSrcDst) {
  return prim_idct::CheckedTransform(DCT8x8InvWorker_Sse, pSrcDst);
}

PrimStatus primDCT8x8Inv_16s_C1I_sse2(std::int16_t* pSrcDst) {
  return prim_idct::CheckedTransform(DCT8x8InvWorker_Sse2, pSrcDst);
}
