// The pass tables and kernel sets of the four variants. The SSE, SSE2 and SSE3 sets hold the
// generic filtering passes until their own kernels are in; those give the same results.
#include "prim/resize/resize_driver.h"
#include "prim/resize/resize_filters.h"
#include "prim/resize/resize_nearest.h"

namespace {

constexpr ResizePassTable MakeTable(ResizePassFn nearest8uC3) {
  ResizePassTable table{};
  table[kPassGroupSixTap] = ResizeSixTapPass_8u_C3_Generic;
  table[kPassGroupCubic] = ResizeCubicPass_8u_C3_Generic;
  table[kPassGroupLinear] = ResizeLinearPass_8u_C3_Generic;
  table[kPassGroupNearest] = nearest8uC3;
  return table;
}

constexpr ResizePassTable kGenericPasses = MakeTable(ResizeNearestPass_8u_C3);
constexpr ResizePassTable kSsePasses = MakeTable(ResizeNearestPass_8u_C3);
constexpr ResizePassTable kSse2Passes = MakeTable(ResizeNearestPass_8u_C3_Sse2);
constexpr ResizePassTable kSse3Passes = MakeTable(ResizeNearestPass_8u_C3_Sse2);

}  // namespace

const ResizeKernelSet kResizeKernelsGeneric{&kGenericPasses, ResizeBuildCoeffs_Generic};
const ResizeKernelSet kResizeKernelsSse{&kSsePasses, ResizeBuildCoeffs_Generic};
const ResizeKernelSet kResizeKernelsSse2{&kSse2Passes, ResizeBuildCoeffs_Generic};
const ResizeKernelSet kResizeKernelsSse3{&kSse3Passes, ResizeBuildCoeffs_Generic};
