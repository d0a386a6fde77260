// Argument checks of the H.263 inverse quantisation primitive, in their fixed order, and the one
// checked entry of every form.
#pragma once

#include <cstdint>

#include "prim/prim_status.h"
#include "prim/quant_rule.h"

namespace prim_quant {

constexpr PrimStatus CheckArguments(const std::int16_t* data, std::int32_t len, std::int32_t qp) {
  if (data == nullptr) {
    return StsNullPointer;
  }
  if (len < 1) {
    return StsSizeError;
  }
  if (qp < 1 || qp > 31) {
    return StsQuantParamError;
  }
  return StsNoError;
}

// A public form: the arguments checked, then the whole array run through the form's worker
// (pSrcDst, keepFirst, len, QP, lower, upper) with the primitive's bounds. Nothing is written
// when a check fails.
template <typename Worker>
PrimStatus CheckedInverse(Worker worker, std::int16_t* pSrcDst, std::int32_t len, std::int32_t qp) {
  const PrimStatus status = CheckArguments(pSrcDst, len, qp);
  if (status == StsNoError) {
    worker(pSrcDst, 0, len, qp, kLower, kUpper);
  }
  return status;
}

}  // namespace prim_quant
