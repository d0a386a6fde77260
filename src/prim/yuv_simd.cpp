// Vector forms of the YUV 4:2:0 to BGR primitive (interim: scalar rows until the packed
// kernel lands).
#include "prim/prim_yuv.h"
#include "prim/yuv_rule.h"

namespace {

PrimStatus ConvertScalar(const std::uint8_t* const pSrc[3], const std::int32_t srcStep[3],
                         std::uint8_t* pDst, std::int32_t dstStep, std::int32_t width,
                         std::int32_t height) {
  if (const PrimStatus status = prim_yuv::CheckArguments(pSrc, srcStep, pDst, width, height);
      status != StsNoError) {
    return status;
  }
  for (std::int32_t r = 0; r < height; ++r) {
    prim_yuv::RowScalar(
        prim_yuv::Row(pSrc[0], srcStep[0], r), prim_yuv::Row(pSrc[1], srcStep[1], r / 2),
        prim_yuv::Row(pSrc[2], srcStep[2], r / 2), prim_yuv::Row(pDst, dstStep, r), 0, width);
  }
  return StsNoError;
}

}  // namespace

PrimStatus primYUV420ToBGR_8u_P3C3R_sse(const std::uint8_t* const pSrc[3],
                                        const std::int32_t srcStep[3], std::uint8_t* pDst,
                                        std::int32_t dstStep, std::int32_t width,
                                        std::int32_t height) {
  return ConvertScalar(pSrc, srcStep, pDst, dstStep, width, height);
}

PrimStatus primYUV420ToBGR_8u_P3C3R_sse2(const std::uint8_t* const pSrc[3],
                                         const std::int32_t srcStep[3], std::uint8_t* pDst,
                                         std::int32_t dstStep, std::int32_t width,
                                         std::int32_t height) {
  return ConvertScalar(pSrc, srcStep, pDst, dstStep, width, height);
}

PrimStatus primYUV420ToBGR_8u_P3C3R_sse3(const std::uint8_t* const pSrc[3],
                                         const std::int32_t srcStep[3], std::uint8_t* pDst,
                                         std::int32_t dstStep, std::int32_t width,
                                         std::int32_t height) {
  return ConvertScalar(pSrc, srcStep, pDst, dstStep, width, height);
}
