// Generic form of the YUV 4:2:0 to BGR primitive: the scalar rule pixel by pixel, and the same
// bytes sixteen pixels a step (SSE2) or thirty-two (AVX2) on the path the processor runs.
#include "prim/generic_path.h"
#include "prim/prim_yuv.h"
#include "prim/yuv_generic_paths.h"
#include "prim/yuv_rule.h"

#if defined(__x86_64__)
#include "prim/yuv_simd_kernel.h"
#endif

void YUV420ToBGRWorker_GenericScalar(const std::uint8_t* const src[3],
                                     const std::int32_t srcStep[3], std::uint8_t* dst,
                                     std::int32_t dstStep, std::int32_t width,
                                     std::int32_t height) {
  for (std::int32_t r = 0; r < height; ++r) {
    prim_yuv::RowScalar(
        prim_yuv::Row(src[0], srcStep[0], r), prim_yuv::Row(src[1], srcStep[1], r / 2),
        prim_yuv::Row(src[2], srcStep[2], r / 2), prim_yuv::Row(dst, dstStep, r), 0, width);
  }
}

#if defined(__x86_64__)
void YUV420ToBGRWorker_GenericSse2(const std::uint8_t* const src[3], const std::int32_t srcStep[3],
                                   std::uint8_t* dst, std::int32_t dstStep, std::int32_t width,
                                   std::int32_t height) {
  yuv_kernel::Convert<16>(src, srcStep, dst, dstStep, width, height, [](const std::uint8_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  });
}
#endif

namespace {

#if defined(__x86_64__)
constexpr PrimGenericPaths<YUV420ToBGRWorkerFn> kPaths{
    YUV420ToBGRWorker_GenericScalar, YUV420ToBGRWorker_GenericSse2, YUV420ToBGRWorker_GenericAvx2};
#else
constexpr PrimGenericPaths<YUV420ToBGRWorkerFn> kPaths{YUV420ToBGRWorker_GenericScalar,
                                                       YUV420ToBGRWorker_GenericScalar,
                                                       YUV420ToBGRWorker_GenericScalar};
#endif

void YUV420ToBGRWorker_Generic(const std::uint8_t* const src[3], const std::int32_t srcStep[3],
                               std::uint8_t* dst, std::int32_t dstStep, std::int32_t width,
                               std::int32_t height) {
  kPaths.InUse()(src, srcStep, dst, dstStep, width, height);
}

}  // namespace

PrimStatus primYUV420ToBGR_8u_P3C3R_generic(const std::uint8_t* const pSrc[3],
                                            const std::int32_t srcStep[3], std::uint8_t* pDst,
                                            std::int32_t dstStep, std::int32_t width,
                                            std::int32_t height) {
  return prim_yuv::CheckedConvert(YUV420ToBGRWorker_Generic, pSrc, srcStep, pDst, dstStep, width,
                                  height);
}
