// Pass table and kernel set of the SSE3 variant. Until its own kernels are in, it holds the
// generic passes with the shared nearest-neighbour members (entry 18 the SSE2 name).
#include "prim/resize/resize_driver.h"
#include "prim/resize/resize_filters.h"

namespace {

constexpr ResizePassTable MakePasses() {
  ResizePassTable table = MakeGenericPassTable();
  table[kPassGroupNearest] = ResizeNearestPass_8u_C3_Sse2;
  return table;
}

constexpr ResizePassTable kPasses = MakePasses();

}  // namespace

const ResizeKernelSet kResizeKernelsSse3{&kPasses, ResizeBuildCoeffs_Generic, false, false};
