// The variant entries: supersampling when it is asked for and both factors shrink (a factor
// that is not a number does not), the general driver otherwise.
#include "prim/resize/prim_resize.h"
#include "prim/resize/resize_driver.h"
#include "prim/resize/resize_supersample.h"

namespace {

using SuperDriver = PrimStatus (*)(const void*, PrimSize, std::int32_t, PrimRect, void*,
                                   std::int32_t, PrimSize, double, double, std::int32_t,
                                   std::int32_t, std::int32_t, std::int32_t, std::int32_t);
using GeneralDriver = PrimStatus (*)(const void*, PrimSize, std::int32_t, PrimRect, void*,
                                     std::int32_t, PrimSize, double, double, double, double,
                                     std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                                     std::int32_t, std::int32_t);

PrimStatus Route(SuperDriver super, GeneralDriver general, const std::uint8_t* pSrc,
                 PrimSize srcSize, std::int32_t srcStep, PrimRect srcRoi, std::uint8_t* pDst,
                 std::int32_t dstStep, PrimSize dstRoiSize, double xFactor, double yFactor,
                 std::int32_t interpolation) {
  constexpr std::int32_t kPixelElements = 3;
  constexpr std::int32_t kChannels = 3;
  if (interpolation == kResizeSuper && xFactor <= 1.0 && yFactor <= 1.0) {
    return super(pSrc, srcSize, srcStep, srcRoi, pDst, dstStep, dstRoiSize, xFactor, yFactor,
                 kPixelElements, kChannels, kResizeData8u, 0, 1);
  }
  return general(pSrc, srcSize, srcStep, srcRoi, pDst, dstStep, dstRoiSize, xFactor, yFactor, 0.0,
                 0.0, kPixelElements, kChannels, kResizeData8u, 0, interpolation, 1);
}

}  // namespace

PrimStatus primResize_8u_C3R_generic(const std::uint8_t* pSrc, PrimSize srcSize,
                                     std::int32_t srcStep, PrimRect srcRoi, std::uint8_t* pDst,
                                     std::int32_t dstStep, PrimSize dstRoiSize, double xFactor,
                                     double yFactor, std::int32_t interpolation) {
  return Route(ResizeSuperSample_Generic, ResizeInterpolate_Generic, pSrc, srcSize, srcStep, srcRoi,
               pDst, dstStep, dstRoiSize, xFactor, yFactor, interpolation);
}

PrimStatus primResize_8u_C3R_sse(const std::uint8_t* pSrc, PrimSize srcSize, std::int32_t srcStep,
                                 PrimRect srcRoi, std::uint8_t* pDst, std::int32_t dstStep,
                                 PrimSize dstRoiSize, double xFactor, double yFactor,
                                 std::int32_t interpolation) {
  return Route(ResizeSuperSample_Sse, ResizeInterpolate_Sse, pSrc, srcSize, srcStep, srcRoi, pDst,
               dstStep, dstRoiSize, xFactor, yFactor, interpolation);
}

PrimStatus primResize_8u_C3R_sse2(const std::uint8_t* pSrc, PrimSize srcSize, std::int32_t srcStep,
                                  PrimRect srcRoi, std::uint8_t* pDst, std::int32_t dstStep,
                                  PrimSize dstRoiSize, double xFactor, double yFactor,
                                  std::int32_t interpolation) {
  return Route(ResizeSuperSample_Sse2, ResizeInterpolate_Sse2, pSrc, srcSize, srcStep, srcRoi, pDst,
               dstStep, dstRoiSize, xFactor, yFactor, interpolation);
}

PrimStatus primResize_8u_C3R_sse3(const std::uint8_t* pSrc, PrimSize srcSize, std::int32_t srcStep,
                                  PrimRect srcRoi, std::uint8_t* pDst, std::int32_t dstStep,
                                  PrimSize dstRoiSize, double xFactor, double yFactor,
                                  std::int32_t interpolation) {
  return Route(ResizeSuperSample_Sse3, ResizeInterpolate_Sse3, pSrc, srcSize, srcStep, srcRoi, pDst,
               dstStep, dstRoiSize, xFactor, yFactor, interpolation);
}
