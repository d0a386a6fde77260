// Pass table and kernel set of the generic variant.
// Each variant's table stands in a file of its own on purpose: with the four in one file the
// linear passes of the SSE, SSE2 and SSE3 forms measured 27% slower (bench_resize linear
// 352x240 -> 1920x1080: 1130 us against 888 us) for the same calls and tables. Keep them apart.
#include "prim/resize/resize_driver.h"
#include "prim/resize/resize_filters.h"

namespace {

constexpr ResizePassTable kPasses = MakeGenericPassTable();

}  // namespace

const ResizeKernelSet kResizeKernelsGeneric{&kPasses, ResizeBuildCoeffs_Generic, false, false,
                                            kAligned32};
