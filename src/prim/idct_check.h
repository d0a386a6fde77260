// The one checked entry of every inverse DCT form: the block checked, then transformed in place
// by the form's worker.
#pragma once

#include <cstdint>

#include "prim/prim_status.h"

namespace prim_idct {

template <typename Worker>
PrimStatus CheckedTransform(Worker worker, std::int16_t* pSrcDst) {
  if (pSrcDst == nullptr) {
    return StsNullPointer;
  }
  worker(pSrcDst, pSrcDst);
  return StsNoError;
}

}  // namespace prim_idct
