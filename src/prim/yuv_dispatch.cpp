// Public entry, variant table and registration record of the YUV 4:2:0 to BGR primitive.
#include "prim/prim_yuv.h"

const PrimVariantTable<PrimYUV420ToBGRFn> primYUV420ToBGR_8u_P3C3R_table =
    PrimMakeVariantTable<PrimYUV420ToBGRFn>(
        primYUV420ToBGR_8u_P3C3R_generic, primYUV420ToBGR_8u_P3C3R_sse,
        primYUV420ToBGR_8u_P3C3R_sse2, primYUV420ToBGR_8u_P3C3R_sse3);

PrimDispatchRecord primYUV420ToBGR_8u_P3C3R_record{"i", "primYUV420ToBGR_8u_P3C3R",
                                                   &primYUV420ToBGR_8u_P3C3R_table, nullptr};

PrimStatus primYUV420ToBGR_8u_P3C3R(const std::uint8_t* const pSrc[3],
                                    const std::int32_t srcStep[3], std::uint8_t* pDst,
                                    std::int32_t dstStep, std::int32_t width, std::int32_t height) {
  return PrimDispatch(primYUV420ToBGR_8u_P3C3R_table, pSrc, srcStep, pDst, dstStep, width, height);
}
