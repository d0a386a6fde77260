// Pass table and kernel set of the SSE2 variant.
#include "prim/resize/resize_driver.h"
#include "prim/resize/resize_filters_sse2.h"

namespace {

constexpr ResizePassTable kPasses = MakeSse2PassTable();

}  // namespace

const ResizeKernelSet kResizeKernelsSse2{&kPasses, ResizeBuildCoeffs_Sse2, true, true, kAligned32};
