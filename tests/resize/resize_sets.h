// The drivers of the vector kernel sets (SSE, SSE2, SSE3), for the tests that hold every set
// to the same rules.
#pragma once

#include <vector>

#include "prim/resize/resize_driver.h"
#include "prim/resize/resize_supersample.h"
#include "prim/resize/resize_variants.h"

namespace resize_test {

using GeneralDriver = PrimStatus (*)(const void*, PrimSize, std::int32_t, PrimRect, void*,
                                     std::int32_t, PrimSize, double, double, double, double,
                                     std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                                     std::int32_t, std::int32_t);
using SuperDriver = PrimStatus (*)(const void*, PrimSize, std::int32_t, PrimRect, void*,
                                   std::int32_t, PrimSize, double, double, std::int32_t,
                                   std::int32_t, std::int32_t, std::int32_t, std::int32_t);

struct KernelSet {
  const char* name;
  GeneralDriver general;
  SuperDriver super;
};

inline const std::vector<KernelSet>& VectorSets() {
  static const std::vector<KernelSet> sets{
      {"sse", ResizeInterpolate_Sse, ResizeSuperSample_Sse},
      {"sse2", ResizeInterpolate_Sse2, ResizeSuperSample_Sse2},
      {"sse3", ResizeInterpolate_Sse3, ResizeSuperSample_Sse3},
  };
  return sets;
}

}  // namespace resize_test
