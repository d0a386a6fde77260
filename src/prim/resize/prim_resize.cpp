// Public entry, variant table and registration record of the resize primitive.
#include "prim/resize/prim_resize.h"

#include "prim/prim_dispatch.h"

const PrimVariantTable<PrimResizeFn> primResize_8u_C3R_table =
    PrimMakeVariantTable<PrimResizeFn>(primResize_8u_C3R_generic, primResize_8u_C3R_sse,
                                       primResize_8u_C3R_sse2, primResize_8u_C3R_sse3);

PrimDispatchRecord primResize_8u_C3R_record{"i", "primResize_8u_C3R", &primResize_8u_C3R_table,
                                            nullptr};

namespace {

const PrimAutoRegister g_registerResize{primResize_8u_C3R_record};

}  // namespace

PrimStatus primResize_8u_C3R(const std::uint8_t* pSrc, PrimSize srcSize, std::int32_t srcStep,
                             PrimRect srcRoi, std::uint8_t* pDst, std::int32_t dstStep,
                             PrimSize dstRoiSize, double xFactor, double yFactor,
                             std::int32_t interpolation) {
  return PrimDispatch(primResize_8u_C3R_table, pSrc, srcSize, srcStep, srcRoi, pDst, dstStep,
                      dstRoiSize, xFactor, yFactor, interpolation);
}
