// Nearest-neighbour passes: a pure gather through the driver's row and column tables.
#pragma once

#include "prim/resize/resize_types.h"

// 8-bit three-channel pass of the generic and SSE pass tables.
void ResizeNearestPass_8u_C3(const ResizePassArgs& args);
// 8-bit three-channel pass of the SSE2 and SSE3 pass tables.
void ResizeNearestPass_8u_C3_Sse2(const ResizePassArgs& args);
