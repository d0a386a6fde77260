// The kernel sets of the four variants' general drivers: each variant's pass table, six-tap
// weight builder and allocator of 32-bit tables. The SSE3 set takes the SSE2 set's passes and
// weight builder (SSE2 instructions only; the two variants compute the same bytes) with its own
// allocator.
#include "prim/resize/aligned_alloc.h"
#include "prim/resize/resize_driver.h"
#include "prim/resize/resize_filters.h"
#include "prim/resize/resize_filters_sse.h"
#include "prim/resize/resize_filters_sse2.h"

namespace {

constexpr ResizePassTable kGenericPasses = MakeGenericPassTable();
constexpr ResizePassTable kSsePasses = MakeSsePassTable();
constexpr ResizePassTable kSse2Passes = MakeSse2PassTable();
constexpr ResizePassTable kSse3Passes = MakeSse2PassTable();

}  // namespace

const ResizeKernelSet kResizeKernelsGeneric{&kGenericPasses, ResizeBuildCoeffs_Generic, false,
                                            false, kAligned32};
const ResizeKernelSet kResizeKernelsSse{&kSsePasses, ResizeBuildCoeffs_Sse, true, true, kAligned32};
const ResizeKernelSet kResizeKernelsSse2{&kSse2Passes, ResizeBuildCoeffs_Sse2, true, true,
                                         kAligned32};
const ResizeKernelSet kResizeKernelsSse3{&kSse3Passes, ResizeBuildCoeffs_Sse3, true, true,
                                         kAligned32Sse3};
