// Public entry, variant table and registration record of the H.263 inverse quantisation.
#include "prim/prim_quant.h"

const PrimVariantTable<PrimQuantInvInterFn> primQuantInvInter_Compact_H263_16s_I_table =
    PrimMakeVariantTable<PrimQuantInvInterFn>(
        primQuantInvInter_Compact_H263_16s_I_generic, primQuantInvInter_Compact_H263_16s_I_sse,
        primQuantInvInter_Compact_H263_16s_I_sse2, primQuantInvInter_Compact_H263_16s_I_sse3);

PrimDispatchRecord primQuantInvInter_Compact_H263_16s_I_record{
    "vc", "primQuantInvInter_Compact_H263_16s_I", &primQuantInvInter_Compact_H263_16s_I_table,
    nullptr};

PrimStatus primQuantInvInter_Compact_H263_16s_I(std::int16_t* pSrcDst, std::int32_t len,
                                                std::int32_t QP) {
  return PrimDispatch(primQuantInvInter_Compact_H263_16s_I_table, pSrcDst, len, QP);
}
