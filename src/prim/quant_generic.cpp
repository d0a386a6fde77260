// Generic form of the H.263 inverse quantisation primitive: the element rule, one at a time,
// and the same results on the vector path the processor runs.
#include "prim/generic_path.h"
#include "prim/prim_quant.h"
#include "prim/quant_check.h"
#include "prim/quant_rule.h"

void QuantInvInterWorker_GenericScalar(std::int16_t* pSrcDst, std::int32_t keepFirst,
                                       std::int32_t len, std::int32_t QP, std::int32_t lower,
                                       std::int32_t upper) {
  const std::int16_t first = prim_quant::LoadElement(pSrcDst);
  for (std::int32_t i = 0; i < len; ++i) {
    prim_quant::InverseElement(pSrcDst, i, QP, lower, upper);
  }
  if (keepFirst != 0) {
    prim_quant::StoreElement(pSrcDst, first);
  }
}

#if defined(__x86_64__)
void QuantInvInterWorker_GenericSse2(std::int16_t* pSrcDst, std::int32_t keepFirst,
                                     std::int32_t len, std::int32_t QP, std::int32_t lower,
                                     std::int32_t upper) {
  QuantInvInterWorker_Sse2(pSrcDst, keepFirst, len, QP, lower, upper);
}
#endif

namespace {

using Worker = void(std::int16_t*, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                    std::int32_t);
#if defined(__x86_64__)
constexpr PrimGenericPaths<Worker> kPaths{QuantInvInterWorker_GenericScalar,
                                          QuantInvInterWorker_GenericSse2,
                                          QuantInvInterWorker_GenericAvx2};
#else
constexpr PrimGenericPaths<Worker> kPaths{QuantInvInterWorker_GenericScalar,
                                          QuantInvInterWorker_GenericScalar,
                                          QuantInvInterWorker_GenericScalar};
#endif

}  // namespace

void QuantInvInterWorker_Generic(std::int16_t* pSrcDst, std::int32_t keepFirst, std::int32_t len,
                                 std::int32_t QP, std::int32_t lower, std::int32_t upper) {
  kPaths.InUse()(pSrcDst, keepFirst, len, QP, lower, upper);
}

PrimStatus primQuantInvInter_Compact_H263_16s_I_generic(std::int16_t* pSrcDst, std::int32_t len,
                                                        std::int32_t QP) {
  return prim_quant::CheckedInverse(QuantInvInterWorker_Generic, pSrcDst, len, QP);
}
