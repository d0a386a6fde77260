// Nearest-neighbour passes: a pure gather through the driver's row and column tables. The
// nine members stand in the pass table of every kernel set.
#pragma once

#include "prim/resize/resize_types.h"

// Three channels: three elements copied per pixel, the destination advancing by the pixel's
// element count (a fourth element of the destination pixel is left as it was).
void ResizeNearestPass_8u_C3(const ResizePassArgs& args);
void ResizeNearestPass_16u_C3(const ResizePassArgs& args);
void ResizeNearestPass_32f_C3(const ResizePassArgs& args);
// One channel or one plane.
void ResizeNearestPass_8u_C1(const ResizePassArgs& args);
void ResizeNearestPass_16u_C1(const ResizePassArgs& args);
void ResizeNearestPass_32f_C1(const ResizePassArgs& args);
// Four channels, all four copied.
void ResizeNearestPass_8u_C4(const ResizePassArgs& args);
void ResizeNearestPass_16u_C4(const ResizePassArgs& args);
void ResizeNearestPass_32f_C4(const ResizePassArgs& args);

// The 8-bit three-channel entry of the SSE2 and SSE3 pass tables: the same pass.
void ResizeNearestPass_8u_C3_Sse2(const ResizePassArgs& args);

// The nine members in their pass-table places (entries 18 to 26).
constexpr void PutNearestPasses(ResizePassTable& table) {
  table[18] = ResizeNearestPass_8u_C3;
  table[19] = ResizeNearestPass_16u_C3;
  table[20] = ResizeNearestPass_32f_C3;
  table[21] = ResizeNearestPass_8u_C1;
  table[22] = ResizeNearestPass_16u_C1;
  table[23] = ResizeNearestPass_32f_C1;
  table[24] = ResizeNearestPass_8u_C4;
  table[25] = ResizeNearestPass_16u_C4;
  table[26] = ResizeNearestPass_32f_C4;
}
