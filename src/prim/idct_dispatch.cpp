// Public entry, variant table and registration record of the inverse DCT.
#include "prim/prim_idct.h"

const PrimVariantTable<PrimDCT8x8InvFn> primDCT8x8Inv_16s_C1I_table =
    PrimMakeVariantTable<PrimDCT8x8InvFn>(primDCT8x8Inv_16s_C1I_generic, primDCT8x8Inv_16s_C1I_sse,
                                          primDCT8x8Inv_16s_C1I_sse2, primDCT8x8Inv_16s_C1I_sse3);

PrimDispatchRecord primDCT8x8Inv_16s_C1I_record{"i", "primDCT8x8Inv_16s_C1I",
                                                &primDCT8x8Inv_16s_C1I_table, nullptr};

PrimStatus primDCT8x8Inv_16s_C1I(std::int16_t* pSrcDst) {
  return PrimDispatch(primDCT8x8Inv_16s_C1I_table, pSrcDst);
}
