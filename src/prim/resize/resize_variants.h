// The four variants of the resize primitive (generic, SSE, SSE2, SSE3). They share the entry's
// routing and both drivers; a variant brings only its kernel sets (the general driver's pass
// table and weight builder, the supersampling kernels) and the allocator of its supersampling
// float rows. Each variant's named drivers are the shared templates bound to its description.
#pragma once

#include "prim/resize/aligned_alloc.h"
#include "prim/resize/resize_driver.h"
#include "prim/resize/resize_supersample.h"
#include "prim/resize/resize_types.h"

// What one variant brings to the shared entry and drivers.
struct ResizeVariant {
  const ResizeKernelSet& kernels;
  const ResizeSuperKernelSet& superKernels;
  const AlignedAllocator& superWords;
};

inline constexpr ResizeVariant kResizeGeneric{kResizeKernelsGeneric, kResizeSuperKernelsGeneric,
                                              kAligned32};
inline constexpr ResizeVariant kResizeSse{kResizeKernelsSse, kResizeSuperKernelsSse, kAligned32};
inline constexpr ResizeVariant kResizeSse2{kResizeKernelsSse2, kResizeSuperKernelsSse2, kAligned32};
inline constexpr ResizeVariant kResizeSse3{kResizeKernelsSse3, kResizeSuperKernelsSse3,
                                           kAligned32Sse3};

// The general driver with a variant's kernel set.
template <const ResizeVariant& kVariant>
PrimStatus ResizeInterpolateWith(const void* pSrc, PrimSize srcSize, std::int32_t srcStep,
                                 PrimRect srcRoi, void* pDst, std::int32_t dstStep,
                                 PrimSize dstRoiSize, double xFactor, double yFactor, double xShift,
                                 double yShift, std::int32_t pixelElements, std::int32_t channels,
                                 std::int32_t dataType, std::int32_t planar,
                                 std::int32_t interpolation, std::int32_t sizeMode) {
  return ResizeInterpolate(kVariant.kernels, pSrc, srcSize, srcStep, srcRoi, pDst, dstStep,
                           dstRoiSize, xFactor, yFactor, xShift, yShift, pixelElements, channels,
                           dataType, planar, interpolation, sizeMode);
}

// The supersampling driver with a variant's kernels and float-row allocator.
template <const ResizeVariant& kVariant>
PrimStatus ResizeSuperSampleWith(const void* pSrc, PrimSize srcSize, std::int32_t srcStep,
                                 PrimRect srcRoi, void* pDst, std::int32_t dstStep,
                                 PrimSize dstRoiSize, double xFactor, double yFactor,
                                 std::int32_t pixelElements, std::int32_t channels,
                                 std::int32_t dataType, std::int32_t planar,
                                 std::int32_t sizeMode) {
  return ResizeSuperSample(kVariant.superKernels, kVariant.superWords, pSrc, srcSize, srcStep,
                           srcRoi, pDst, dstStep, dstRoiSize, xFactor, yFactor, pixelElements,
                           channels, dataType, planar, sizeMode);
}

// The variant entry of the public primitive (8-bit, three channels, packed): supersampling when
// it is asked for and both factors shrink (a factor that is not a number does not), the general
// driver otherwise (where interpolation 8 with a growing factor is refused with -22).
template <const ResizeVariant& kVariant>
PrimStatus ResizeEntry(const std::uint8_t* pSrc, PrimSize srcSize, std::int32_t srcStep,
                       PrimRect srcRoi, std::uint8_t* pDst, std::int32_t dstStep,
                       PrimSize dstRoiSize, double xFactor, double yFactor,
                       std::int32_t interpolation) {
  constexpr std::int32_t kPixelElements = 3;
  constexpr std::int32_t kChannels = 3;
  if (interpolation == kResizeSuper && xFactor <= 1.0 && yFactor <= 1.0) {
    return ResizeSuperSampleWith<kVariant>(pSrc, srcSize, srcStep, srcRoi, pDst, dstStep,
                                           dstRoiSize, xFactor, yFactor, kPixelElements, kChannels,
                                           kResizeData8u, 0, 1);
  }
  return ResizeInterpolateWith<kVariant>(pSrc, srcSize, srcStep, srcRoi, pDst, dstStep, dstRoiSize,
                                         xFactor, yFactor, 0.0, 0.0, kPixelElements, kChannels,
                                         kResizeData8u, 0, interpolation, 1);
}

// The variants' drivers by name.
inline constexpr auto& ResizeInterpolate_Generic = ResizeInterpolateWith<kResizeGeneric>;
inline constexpr auto& ResizeInterpolate_Sse = ResizeInterpolateWith<kResizeSse>;
inline constexpr auto& ResizeInterpolate_Sse2 = ResizeInterpolateWith<kResizeSse2>;
inline constexpr auto& ResizeInterpolate_Sse3 = ResizeInterpolateWith<kResizeSse3>;
inline constexpr auto& ResizeSuperSample_Generic = ResizeSuperSampleWith<kResizeGeneric>;
inline constexpr auto& ResizeSuperSample_Sse = ResizeSuperSampleWith<kResizeSse>;
inline constexpr auto& ResizeSuperSample_Sse2 = ResizeSuperSampleWith<kResizeSse2>;
inline constexpr auto& ResizeSuperSample_Sse3 = ResizeSuperSampleWith<kResizeSse3>;
