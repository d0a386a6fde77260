// SSE and SSE2 forms of the table-driven inverse DCT. SSE2 is part of every x86-64 processor,
// so these need no instruction-set switch; the SSE form runs the column pass four columns at a
// time, the SSE2 form eight. On the AVX2 path (simd_path.h) both run the table-driven AVX2
// worker, which gives the same results.
#include <immintrin.h>

#include "prim/idct_check.h"
#include "prim/idct_simd_kernel.h"
#include "prim/prim_idct.h"
#include "prim/simd_path.h"

namespace {

__m128i LoadRowUnaligned(const std::int16_t* row) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(row));
}

using Worker = void(const std::int16_t*, std::int16_t*);

}  // namespace

void DCT8x8InvWorker_Sse(const std::int16_t* src, std::int16_t* dst) {
  idct_kernel::Transform<4>(src, dst, LoadRowUnaligned);
}

void DCT8x8InvWorker_Sse2(const std::int16_t* src, std::int16_t* dst) {
  idct_kernel::Transform<8>(src, dst, LoadRowUnaligned);
}

PrimStatus primDCT8x8Inv_16s_C1I_sse(std::int16_t* pSrcDst) {
  static constexpr PrimSimdPaths<Worker> kPaths{DCT8x8InvWorker_Sse, DCT8x8InvWorker_TableAvx2};
  return prim_idct::CheckedTransform(kPaths.InUse(), pSrcDst);
}

PrimStatus primDCT8x8Inv_16s_C1I_sse2(std::int16_t* pSrcDst) {
  static constexpr PrimSimdPaths<Worker> kPaths{DCT8x8InvWorker_Sse2, DCT8x8InvWorker_TableAvx2};
  return prim_idct::CheckedTransform(kPaths.InUse(), pSrcDst);
}
