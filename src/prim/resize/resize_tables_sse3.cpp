// Pass table and kernel set of the SSE3 variant: the SSE2 set's passes and weight builder
// (SSE2 instructions only; the two variants compute the same bytes).
// Each variant's table stands in a file of its own on purpose: with the four in one file the
// linear passes of the SSE, SSE2 and SSE3 forms measured 27% slower (bench_resize linear
// 352x240 -> 1920x1080: 1130 us against 888 us) for the same calls and tables. Keep them apart.
#include "prim/resize/resize_driver.h"
#include "prim/resize/resize_filters_sse2.h"

namespace {

constexpr ResizePassTable kPasses = MakeSse2PassTable();

}  // namespace

const ResizeKernelSet kResizeKernelsSse3{&kPasses, ResizeBuildCoeffs_Sse3, true, true,
                                         kAligned32Sse3};
