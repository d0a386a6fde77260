// The image and codec primitives used by the decoder: dispatch, inverse DCT, inverse
// quantisation and YUV 4:2:0 to BGR.
#pragma once

#include "prim/prim_dispatch.h"
#include "prim/prim_idct.h"
#include "prim/prim_quant.h"
#include "prim/prim_status.h"
#include "prim/prim_yuv.h"
