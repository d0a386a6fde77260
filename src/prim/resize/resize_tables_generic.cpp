// Pass table and kernel set of the generic variant.
#include "prim/resize/resize_driver.h"
#include "prim/resize/resize_filters.h"
#include "prim/resize/resize_nearest.h"

namespace {

constexpr ResizePassTable kPasses = MakeGenericPassTable(ResizeNearestPass_8u_C3);

}  // namespace

const ResizeKernelSet kResizeKernelsGeneric{&kPasses, ResizeBuildCoeffs_Generic};
