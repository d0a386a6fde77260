// Supersampling: every destination pixel is the mean of the source box it covers, partial
// pixels at the box's borders weighted by the covered fraction. Shrinking only.
#pragma once

#include "prim/resize/resize_types.h"

// Geometry of one axis of a supersampling call.
struct SuperAxis {
  double scale;        // source pixels per destination pixel (at least 1)
  std::int64_t whole;  // floor(scale), bounded so that it always fits
  double fraction;     // scale - floor(scale), 0 exactly for whole scales
};

// The supersampling driver shared by every kernel set. Sizes by ratio (sizeMode 1); only
// packed 8-bit data with three channels is built.
PrimStatus ResizeSuperSample(const void* pSrc, PrimSize srcSize, std::int32_t srcStep,
                             PrimRect srcRoi, void* pDst, std::int32_t dstStep, PrimSize dstRoiSize,
                             double xFactor, double yFactor, std::int32_t pixelElements,
                             std::int32_t channels, std::int32_t dataType, std::int32_t planar,
                             std::int32_t sizeMode);

PrimStatus ResizeSuperSample_Generic(const void* pSrc, PrimSize srcSize, std::int32_t srcStep,
                                     PrimRect srcRoi, void* pDst, std::int32_t dstStep,
                                     PrimSize dstRoiSize, double xFactor, double yFactor,
                                     std::int32_t pixelElements, std::int32_t channels,
                                     std::int32_t dataType, std::int32_t planar,
                                     std::int32_t sizeMode);
PrimStatus ResizeSuperSample_Sse(const void* pSrc, PrimSize srcSize, std::int32_t srcStep,
                                 PrimRect srcRoi, void* pDst, std::int32_t dstStep,
                                 PrimSize dstRoiSize, double xFactor, double yFactor,
                                 std::int32_t pixelElements, std::int32_t channels,
                                 std::int32_t dataType, std::int32_t planar, std::int32_t sizeMode);
PrimStatus ResizeSuperSample_Sse2(const void* pSrc, PrimSize srcSize, std::int32_t srcStep,
                                  PrimRect srcRoi, void* pDst, std::int32_t dstStep,
                                  PrimSize dstRoiSize, double xFactor, double yFactor,
                                  std::int32_t pixelElements, std::int32_t channels,
                                  std::int32_t dataType, std::int32_t planar,
                                  std::int32_t sizeMode);
PrimStatus ResizeSuperSample_Sse3(const void* pSrc, PrimSize srcSize, std::int32_t srcStep,
                                  PrimRect srcRoi, void* pDst, std::int32_t dstStep,
                                  PrimSize dstRoiSize, double xFactor, double yFactor,
                                  std::int32_t pixelElements, std::int32_t channels,
                                  std::int32_t dataType, std::int32_t planar,
                                  std::int32_t sizeMode);

// Accumulates `rows` source rows of `pixels` three-channel pixels (`stride` bytes apart) into
// 64-bit cells, three per pixel; a count below 1 does nothing.
void ResizeSuperHelper4_Sse(const std::uint8_t* src, std::int32_t srcStep, std::int32_t pixels,
                            std::int64_t rows, std::uint64_t* cells, std::int32_t stride);
