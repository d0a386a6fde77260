// Argument checks of the H.263 inverse quantisation primitive, in their fixed order.
#pragma once

#include <cstdint>

#include "prim/prim_status.h"

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

}  // namespace prim_quant
