// Generic form of the H.263 inverse quantisation primitive: the element rule, one at a time.
#include "prim/prim_quant.h"
#include "prim/quant_check.h"
#include "prim/quant_rule.h"

void QuantInvInterWorker_Generic(std::int16_t* pSrcDst, std::int32_t keepFirst, std::int32_t len,
                                 std::int32_t QP, std::int32_t lower, std::int32_t upper) {
  const std::int16_t first = prim_quant::LoadElement(pSrcDst);
  for (std::int32_t i = 0; i < len; ++i) {
    prim_quant::InverseElement(pSrcDst, i, QP, lower, upper);
  }
  if (keepFirst != 0) {
    prim_quant::StoreElement(pSrcDst, first);
  }
}

PrimStatus primQuantInvInter_Compact_H263_16s_I_generic(std::int16_t* pSrcDst, std::int32_t len,
                                                        std::int32_t QP) {
  return prim_quant::CheckedInverse(QuantInvInterWorker_Generic, pSrcDst, len, QP);
}
