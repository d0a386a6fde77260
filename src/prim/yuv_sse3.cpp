// SSE3 form of the YUV 4:2:0 to BGR primitive: the SSE2 form with the SSE3 unaligned load, and
// on the AVX2 path (simd_path.h) the generic form's AVX2 code, which gives the same bytes.
#include <immintrin.h>

#include <cstdint>
#include <cstring>

#include "prim/prim_yuv.h"
#include "prim/simd_path.h"
#include "prim/yuv_generic_paths.h"
#include "prim/yuv_rule.h"

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("sse3"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("sse3")
#endif

#include "prim/yuv_simd_kernel.h"

namespace {

__m128i LoadSse3(const std::uint8_t* p) {
  return _mm_lddqu_si128(reinterpret_cast<const __m128i*>(p));
}

void YUV420ToBGRWorker_Sse3(const std::uint8_t* const src[3], const std::int32_t srcStep[3],
                            std::uint8_t* dst, std::int32_t dstStep, std::int32_t width,
                            std::int32_t height) {
  yuv_kernel::Convert<16>(src, srcStep, dst, dstStep, width, height, LoadSse3);
}

constexpr PrimSimdPaths<YUV420ToBGRWorkerFn> kPaths{YUV420ToBGRWorker_Sse3,
                                                    YUV420ToBGRWorker_GenericAvx2};

}  // namespace

PrimStatus primYUV420ToBGR_8u_P3C3R_sse3(const std::uint8_t* const pSrc[3],
                                         const std::int32_t srcStep[3], std::uint8_t* pDst,
                                         std::int32_t dstStep, std::int32_t width,
                                         std::int32_t height) {
  return prim_yuv::CheckedConvert(kPaths.InUse(), pSrc, srcStep, pDst, dstStep, width, height);
}

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif
