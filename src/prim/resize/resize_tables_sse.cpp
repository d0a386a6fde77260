// Pass table and kernel set of the SSE variant. Until its own filtering kernels are in, it
// holds the generic ones, which give the same results; nearest neighbour is shared.
#include "prim/resize/resize_driver.h"
#include "prim/resize/resize_filters.h"
#include "prim/resize/resize_nearest.h"

namespace {

constexpr ResizePassTable kPasses = MakeGenericPassTable(ResizeNearestPass_8u_C3);

}  // namespace

const ResizeKernelSet kResizeKernelsSse{&kPasses, ResizeBuildCoeffs_Generic};
