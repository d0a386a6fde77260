// Pass table and kernel set of the generic variant.
#include "prim/resize/resize_driver.h"
#include "prim/resize/resize_filters.h"

namespace {

constexpr ResizePassTable kPasses = MakeGenericPassTable();

}  // namespace

const ResizeKernelSet kResizeKernelsGeneric{&kPasses, ResizeBuildCoeffs_Generic, false, false,
                                            kAligned32};
