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

// Destination length used along one axis: min(dstLength, max(1, trunc(rectLength·factor +
// 1e-7))).
std::int32_t ResizeUsedLength(std::int32_t rectLength, double factor, std::int32_t dstLength);
// Source index trunc(position + 1e-7), held inside [0, length - 1].
std::int32_t ResizeClampedIndex(double position, std::int32_t length);

// The variants' drivers: the shared driver with each variant's kernel set.
PrimStatus ResizeInterpolate_Generic(const void* pSrc, PrimSize srcSize, std::int32_t srcStep,
                                     PrimRect srcRoi, void* pDst, std::int32_t dstStep,
                                     PrimSize dstRoiSize, double xFactor, double yFactor,
                                     double xShift, double yShift, std::int32_t pixelElements,
                                     std::int32_t channels, std::int32_t dataType,
                                     std::int32_t planar, std::int32_t interpolation,
                                     std::int32_t sizeMode);
PrimStatus ResizeInterpolate_Sse(const void* pSrc, PrimSize srcSize, std::int32_t srcStep,
                                 PrimRect srcRoi, void* pDst, std::int32_t dstStep,
                                 PrimSize dstRoiSize, double xFactor, double yFactor, double xShift,
                                 double yShift, std::int32_t pixelElements, std::int32_t channels,
                                 std::int32_t dataType, std::int32_t planar,
                                 std::int32_t interpolation, std::int32_t sizeMode);
PrimStatus ResizeInterpolate_Sse2(const void* pSrc, PrimSize srcSize, std::int32_t srcStep,
                                  PrimRect srcRoi, void* pDst, std::int32_t dstStep,
                                  PrimSize dstRoiSize, double xFactor, double yFactor,
                                  double xShift, double yShift, std::int32_t pixelElements,
                                  std::int32_t channels, std::int32_t dataType, std::int32_t planar,
                                  std::int32_t interpolation, std::int32_t sizeMode);
PrimStatus ResizeInterpolate_Sse3(const void* pSrc, PrimSize srcSize, std::int32_t srcStep,
                                  PrimRect srcRoi, void* pDst, std::int32_t dstStep,
                                  PrimSize dstRoiSize, double xFactor, double yFactor,
                                  double xShift, double yShift, std::int32_t pixelElements,
                                  std::int32_t channels, std::int32_t dataType, std::int32_t planar,
                                  std::int32_t interpolation, std::int32_t sizeMode);

// The kernel sets, one per variant, each defined in its own table file.
extern const ResizeKernelSet kResizeKernelsGeneric;
extern const ResizeKernelSet kResizeKernelsSse;
extern const ResizeKernelSet kResizeKernelsSse2;
extern const ResizeKernelSet kResizeKernelsSse3;
