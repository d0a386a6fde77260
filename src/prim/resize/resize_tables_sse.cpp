// Pass table and kernel set of the SSE variant.
#include "prim/resize/resize_driver.h"
#include "prim/resize/resize_filters_sse.h"

namespace {

constexpr ResizePassTable kPasses = MakeSsePassTable();

}  // namespace

const ResizeKernelSet kResizeKernelsSse{&kPasses, ResizeBuildCoeffs_Sse, true, true, kAligned32};
