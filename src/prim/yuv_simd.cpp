// SSE and SSE2 forms of the YUV 4:2:0 to BGR primitive (SSE2 is part of every x86-64
// processor): the SSE form converts 8 pixels a step, the SSE2 form 16. All forms give the same
// bytes, so on the AVX2 path (simd_path.h) both run the generic form's AVX2 code.
#include <immintrin.h>

#include "prim/prim_yuv.h"
#include "prim/simd_path.h"
#include "prim/yuv_generic_paths.h"
#include "prim/yuv_rule.h"
#include "prim/yuv_simd_kernel.h"

namespace {

__m128i LoadUnaligned(const std::uint8_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

void YUV420ToBGRWorker_Sse(const std::uint8_t* const src[3], const std::int32_t srcStep[3],
                           std::uint8_t* dst, std::int32_t dstStep, std::int32_t width,
                           std::int32_t height) {
  yuv_kernel::Convert<8>(src, srcStep, dst, dstStep, width, height, LoadUnaligned);
}

void YUV420ToBGRWorker_Sse2(const std::uint8_t* const src[3], const std::int32_t srcStep[3],
                            std::uint8_t* dst, std::int32_t dstStep, std::int32_t width,
                            std::int32_t height) {
  yuv_kernel::Convert<16>(src, srcStep, dst, dstStep, width, height, LoadUnaligned);
}

constexpr PrimSimdPaths<YUV420ToBGRWorkerFn> kPathsSse{YUV420ToBGRWorker_Sse,
                                                       YUV420ToBGRWorker_GenericAvx2};
constexpr PrimSimdPaths<YUV420ToBGRWorkerFn> kPathsSse2{YUV420ToBGRWorker_Sse2,
                                                        YUV420ToBGRWorker_GenericAvx2};

}  // namespace

PrimStatus primYUV420ToBGR_8u_P3C3R_sse(const std::uint8_t* const pSrc[3],
                                        const std::int32_t srcStep[3], std::uint8_t* pDst,
                                        std::int32_t dstStep, std::int32_t width,
                                        std::int32_t height) {
  return prim_yuv::CheckedConvert(kPathsSse.InUse(), pSrc, srcStep, pDst, dstStep, width, height);
}

PrimStatus primYUV420ToBGR_8u_P3C3R_sse2(const std::uint8_t* const pSrc[3],
                                         const std::int32_t srcStep[3], std::uint8_t* pDst,
                                         std::int32_t dstStep, std::int32_t width,
                                         std::int32_t height) {
  return prim_yuv::CheckedConvert(kPathsSse2.InUse(), pSrc, srcStep, pDst, dstStep, width, height);
}
