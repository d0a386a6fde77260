// The public entry until the process-wide variant dispatch is wired in: the generic variant.
#include "prim/resize/prim_resize.h"

PrimStatus primResize_8u_C3R(const std::uint8_t* pSrc, PrimSize srcSize, std::int32_t srcStep,
                             PrimRect srcRoi, std::uint8_t* pDst, std::int32_t dstStep,
                             PrimSize dstRoiSize, double xFactor, double yFactor,
                             std::int32_t interpolation) {
  return primResize_8u_C3R_generic(pSrc, srcSize, srcStep, srcRoi, pDst, dstStep, dstRoiSize,
                                   xFactor, yFactor, interpolation);
}
