// General resize driver shared by the generic, SSE, SSE2 and SSE3 kernel sets: argument
// checks, clipping, destination size, index and weight tables, then one pass of the set.
#pragma once

#include "prim/resize/resize_types.h"

// The driver itself; the kernel set supplies the pass table and the six-tap weight builder.
PrimStatus ResizeInterpolate(const ResizeKernelSet& set, const void* pSrc, PrimSize srcSize,
                             std::int32_t srcStep, PrimRect srcRoi, void* pDst,
                             std::int32_t dstStep, PrimSize dstRoiSize, double xFactor,
                             double yFactor, double xShift, double yShift,
                             std::int32_t pixelElements, std::int32_t channels,
                             std::int32_t dataType, std::int32_t planar, std::int32_t interpolation,
                             std::int32_t sizeMode);

// The argument checks of every resize entry (this driver and supersampling), in their order:
// a null image pointer -8; a source size below 1 -6; a step below 1 -14; a rectangle with a
// negative corner or a size below 1 -6; a rectangle corner outside the source 29; a
// destination size below 1 -6; a factor not above 0 (or not a number) -23. 0 when all pass.
PrimStatus ResizeCheckArguments(const void* pSrc, PrimSize srcSize, std::int32_t srcStep,
                                PrimRect roi, const void* pDst, std::int32_t dstStep,
                                PrimSize dstSize, double xFactor, double yFactor);
// After those, the data type and the planes: an unknown data type -22; for planar data
// (pSrc and pDst arrays of 3 planes for three channels, else 4) a null plane -8. 0 when both
// pass.
PrimStatus ResizeCheckDataAndPlanes(const void* pSrc, const void* pDst, std::int32_t channels,
                                    std::int32_t dataType, std::int32_t planar);

// Destination length used along one axis: min(dstLength, max(1, trunc(rectLength·factor +
// 1e-7))).
std::int32_t ResizeUsedLength(std::int32_t rectLength, double factor, std::int32_t dstLength);
// Source index trunc(position + 1e-7), held inside [0, length - 1].
std::int32_t ResizeClampedIndex(double position, std::int32_t length);

// The kernel sets, one per variant, each defined in its own table file.
extern const ResizeKernelSet kResizeKernelsGeneric;
extern const ResizeKernelSet kResizeKernelsSse;
extern const ResizeKernelSet kResizeKernelsSse2;
extern const ResizeKernelSet kResizeKernelsSse3;
