// Generic form of the H.263 inverse quantisation primitive and the shared argument checks.
#include "prim/prim_quant.h"
#include "prim/quant_check.h"
#include "prim/quant_rule.h"

PrimStatus primQuantInvInter_Compact_H263_16s_I_generic(std::int16_t* pSrcDst, std::int32_t len,
                                                        std::int32_t QP) {
  if (const PrimStatus status = prim_quant::CheckArguments(pSrcDst, len, QP);
      status != StsNoError) {
    return status;
  }
  for (std::int32_t i = 0; i < len; ++i) {
    prim_quant::InverseElement(pSrcDst, i, QP, prim_quant::kLower, prim_quant::kUpper);
  }
  return StsNoError;
}
