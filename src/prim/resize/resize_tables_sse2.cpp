// Pass table and kernel set of the SSE2 variant.
// Each variant's table stands in a file of its own on purpose: with the four in one file the
// linear passes of the SSE, SSE2 and SSE3 forms measured 27% slower (bench_resize linear
// 352x240 -> 1920x1080: 1130 us against 888 us) for the same calls and tables. Keep them apart.
#include "prim/resize/resize_driver.h"
#include "prim/resize/resize_filters_sse2.h"

namespace {

constexpr ResizePassTable kPasses = MakeSse2PassTable();

}  // namespace

const ResizeKernelSet kResizeKernelsSse2{&kPasses, ResizeBuildCoeffs_Sse2, true, true, kAligned32};
