// Pass table and kernel set of the SSE3 variant: the SSE2 set's passes and weight builder
// (SSE2 instructions only; the two variants compute the same bytes).
#include "prim/resize/resize_driver.h"
#include "prim/resize/resize_filters_sse2.h"

namespace {

constexpr ResizePassTable kPasses = MakeSse2PassTable();

}  // namespace

const ResizeKernelSet kResizeKernelsSse3{&kPasses, ResizeBuildCoeffs_Sse3, true, true,
                                         kAligned32Sse3};
