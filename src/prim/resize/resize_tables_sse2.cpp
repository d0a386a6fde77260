// Pass table and kernel set of the SSE2 variant. Until its own filtering kernels are in, it
// holds the generic ones, which give the same results.
#include "prim/resize/resize_driver.h"
#include "prim/resize/resize_filters.h"
#include "prim/resize/resize_nearest.h"

namespace {

constexpr ResizePassTable kPasses = MakeGenericPassTable(ResizeNearestPass_8u_C3_Sse2);

}  // namespace

const ResizeKernelSet kResizeKernelsSse2{&kPasses, ResizeBuildCoeffs_Generic};
