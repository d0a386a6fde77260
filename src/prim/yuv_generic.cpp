// Generic form of the YUV 4:2:0 to BGR primitive: scalar, pixel by pixel.
#include "prim/prim_yuv.h"
#include "prim/yuv_rule.h"

namespace {

void YUV420ToBGRWorker_Generic(const std::uint8_t* const src[3], const std::int32_t srcStep[3],
                               std::uint8_t* dst, std::int32_t dstStep, std::int32_t width,
                               std::int32_t height) {
  for (std::int32_t r = 0; r < height; ++r) {
    prim_yuv::RowScalar(
        prim_yuv::Row(src[0], srcStep[0], r), prim_yuv::Row(src[1], srcStep[1], r / 2),
        prim_yuv::Row(src[2], srcStep[2], r / 2), prim_yuv::Row(dst, dstStep, r), 0, width);
  }
}

}  // namespace

PrimStatus primYUV420ToBGR_8u_P3C3R_generic(const std::uint8_t* const pSrc[3],
                                            const std::int32_t srcStep[3], std::uint8_t* pDst,
                                            std::int32_t dstStep, std::int32_t width,
                                            std::int32_t height) {
  return prim_yuv::CheckedConvert(YUV420ToBGRWorker_Generic, pSrc, srcStep, pDst, dstStep, width,
                                  height);
}
