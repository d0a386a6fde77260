// Supersampling: every destination pixel is the mean of the source box it covers, partial
// pixels at the box's borders weighted by the covered fraction. Shrinking only. One driver
// serves every kernel set; a set supplies its nine kernels (data type x layout), which differ
// between sets only in how they add rows and gather columns, never in the values.
#pragma once

#include <array>
#include <cstdint>

#include "prim/resize/resize_types.h"

// Geometry of one axis of a supersampling call.
struct SuperAxis {
  double scale;        // source pixels per destination pixel (at least 1)
  std::int64_t whole;  // floor(scale), bounded so that it always fits
  double fraction;     // scale - floor(scale), 0 exactly for whole scales
};

// What a kernel needs; the driver fills it once (once per plane for planar data).
struct SuperKernelArgs {
  const void* src;         // source element at the rectangle's corner
  void* dst;               // first destination element
  std::ptrdiff_t srcStep;  // bytes
  std::ptrdiff_t dstStep;  // bytes
  std::int32_t readWidth;  // source pixels of a row the kernel may read
  std::int32_t rows;       // source rows of the rectangle (rows past it add nothing)
  std::int32_t width;      // destination size used
  std::int32_t height;
  SuperAxis x;
  SuperAxis y;
  double norm;          // 1 / (x.scale · y.scale)
  std::int32_t stride;  // elements per pixel (three-channel kernels)
  // The set's allocator of float rows for fractional scales (whole-scale rows come from
  // AlignedAlloc8u).
  AlignedAllocator words;
};

// A kernel returns 0, or -9 when its accumulator cannot be allocated (nothing written).
using SuperKernelFn = PrimStatus (*)(const SuperKernelArgs&);

// The nine kernels of a set, at data type + 3·layout (three channels 0, one 1, four 2); a null
// kernel is refused with -22.
using ResizeSuperKernelSet = std::array<SuperKernelFn, 9>;

// The supersampling driver shared by every kernel set, `words` the set's 32-bit allocator.
// `pixelElements` is the pixel stride of the three-channel kernels, `channels` the layout (1, 4,
// anything else three channels); `sizeMode` 1 reads the factors as destination/source ratios, 0
// as source pixels per destination pixel.
PrimStatus ResizeSuperSample(const ResizeSuperKernelSet& set, const AlignedAllocator& words,
                             const void* pSrc, PrimSize srcSize, std::int32_t srcStep,
                             PrimRect srcRoi, void* pDst, std::int32_t dstStep, PrimSize dstRoiSize,
                             double xFactor, double yFactor, std::int32_t pixelElements,
                             std::int32_t channels, std::int32_t dataType, std::int32_t planar,
                             std::int32_t sizeMode);

// The kernel sets: the generic one has the 8-bit three-channel kernel, the others all nine;
// the SSE3 set holds the SSE2 set's kernels.
extern const ResizeSuperKernelSet kResizeSuperKernelsGeneric;
extern const ResizeSuperKernelSet kResizeSuperKernelsSse;
extern const ResizeSuperKernelSet kResizeSuperKernelsSse2;
extern const ResizeSuperKernelSet kResizeSuperKernelsSse3;

PrimStatus ResizeSuperKernel_8u_C3_Generic(const SuperKernelArgs& args);
PrimStatus ResizeSuperKernel_8u_C1_Sse(const SuperKernelArgs& args);
PrimStatus ResizeSuperKernel_16u_C1_Sse(const SuperKernelArgs& args);
PrimStatus ResizeSuperKernel_32f_C1_Sse(const SuperKernelArgs& args);
PrimStatus ResizeSuperKernel_8u_C3_Sse(const SuperKernelArgs& args);
PrimStatus ResizeSuperKernel_16u_C3_Sse(const SuperKernelArgs& args);
PrimStatus ResizeSuperKernel_32f_C3_Sse(const SuperKernelArgs& args);
PrimStatus ResizeSuperKernel_8u_C4_Sse(const SuperKernelArgs& args);
PrimStatus ResizeSuperKernel_16u_C4_Sse(const SuperKernelArgs& args);
PrimStatus ResizeSuperKernel_32f_C4_Sse(const SuperKernelArgs& args);

// Row accumulators of the whole-box sums (SSE set): each adds `rows` source rows, `srcStep`
// bytes apart, element by element into the accumulator: every element of the first `pixels`
// pixels (`stride` elements each for the three-channel members, one or four otherwise), the
// integer types into 32-bit cells (the kernel keeps the counts below a wrap), floats by float
// addition. A count below 1 does nothing.
void ResizeSuperHelper1_Sse(const void* src, std::int32_t srcStep, std::int32_t pixels,
                            std::int64_t rows, std::uint32_t* cells);
void ResizeSuperHelper2_Sse(const void* src, std::int32_t srcStep, std::int32_t pixels,
                            std::int64_t rows, std::uint32_t* cells);
void ResizeSuperHelper3_Sse(const void* src, std::int32_t srcStep, std::int32_t pixels,
                            std::int64_t rows, float* cells);
void ResizeSuperHelper4_Sse(const void* src, std::int32_t srcStep, std::int32_t pixels,
                            std::int64_t rows, std::uint32_t* cells, std::int32_t stride);
void ResizeSuperHelper4_Generic(const void* src, std::int32_t srcStep, std::int32_t pixels,
                                std::int64_t rows, std::uint32_t* cells, std::int32_t stride);
void ResizeSuperHelper5_Sse(const void* src, std::int32_t srcStep, std::int32_t pixels,
                            std::int64_t rows, float* cells, std::int32_t stride);
void ResizeSuperHelper6_Sse(const void* src, std::int32_t srcStep, std::int32_t pixels,
                            std::int64_t rows, std::uint32_t* cells);
void ResizeSuperHelper7_Sse(const void* src, std::int32_t srcStep, std::int32_t pixels,
                            std::int64_t rows, std::uint32_t* cells);
void ResizeSuperHelper8_Sse(const void* src, std::int32_t srcStep, std::int32_t pixels,
                            std::int64_t rows, float* cells);

// The SSE2 and SSE3 kernels: one implementation, the shared kernel with the vector row and
// column steps; the SSE3 names are the SSE2 functions.
PrimStatus ResizeKernelSse2A(const SuperKernelArgs& args);  // 8u, one channel
PrimStatus ResizeKernelSse2B(const SuperKernelArgs& args);  // 16u, one channel
PrimStatus ResizeKernelSse2C(const SuperKernelArgs& args);  // 32f, one channel
PrimStatus ResizeKernelSse2D(const SuperKernelArgs& args);  // 8u, three channels
PrimStatus ResizeKernelSse2E(const SuperKernelArgs& args);  // 16u, three channels
PrimStatus ResizeSuperKernel_32f_C3_Sse2(const SuperKernelArgs& args);
PrimStatus ResizeSuperKernel_8u_C4_Sse2(const SuperKernelArgs& args);
PrimStatus ResizeSuperKernel_16u_C4_Sse2(const SuperKernelArgs& args);
PrimStatus ResizeSuperKernel_32f_C4_Sse2(const SuperKernelArgs& args);
inline constexpr SuperKernelFn ResizeSuperKernel_8u_C1_Sse3 = ResizeKernelSse2A;
inline constexpr SuperKernelFn ResizeSuperKernel_16u_C1_Sse3 = ResizeKernelSse2B;
inline constexpr SuperKernelFn ResizeSuperKernel_32f_C1_Sse3 = ResizeKernelSse2C;
inline constexpr SuperKernelFn ResizeSuperKernel_8u_C3_Sse3 = ResizeKernelSse2D;
inline constexpr SuperKernelFn ResizeSuperKernel_16u_C3_Sse3 = ResizeKernelSse2E;
inline constexpr SuperKernelFn ResizeSuperKernel_32f_C3_Sse3 = ResizeSuperKernel_32f_C3_Sse2;
inline constexpr SuperKernelFn ResizeSuperKernel_8u_C4_Sse3 = ResizeSuperKernel_8u_C4_Sse2;
inline constexpr SuperKernelFn ResizeSuperKernel_16u_C4_Sse3 = ResizeSuperKernel_16u_C4_Sse2;
inline constexpr SuperKernelFn ResizeSuperKernel_32f_C4_Sse3 = ResizeSuperKernel_32f_C4_Sse2;

// Column sums of whole boxes (SSE2 and SSE3 sets): each writes into the accumulator the sums
// of `rows` source rows, `srcStep` bytes apart, element by element, for the first `pixels`
// pixels (one element each for 1-3, `stride` elements for 4-6, four for 7-9); 8u and 16u into
// 32-bit cells (the kernel keeps the counts below a wrap), floats by float addition row after
// row. The cells are overwritten; a count below 1 writes zeros.
void ResizeSuperHelper1_Sse2(const void* src, std::int32_t srcStep, std::int32_t pixels,
                             std::int64_t rows, std::uint32_t* cells);
void ResizeSuperHelper2_Sse2(const void* src, std::int32_t srcStep, std::int32_t pixels,
                             std::int64_t rows, std::uint32_t* cells);
void ResizeSuperHelper3_Sse2(const void* src, std::int32_t srcStep, std::int32_t pixels,
                             std::int64_t rows, float* cells);
void ResizeSuperHelper4_Sse2(const void* src, std::int32_t srcStep, std::int32_t pixels,
                             std::int64_t rows, std::uint32_t* cells, std::int32_t stride);
void ResizeSuperHelper5_Sse2(const void* src, std::int32_t srcStep, std::int32_t pixels,
                             std::int64_t rows, std::uint32_t* cells, std::int32_t stride);
void ResizeSuperHelper6_Sse2(const void* src, std::int32_t srcStep, std::int32_t pixels,
                             std::int64_t rows, float* cells, std::int32_t stride);
void ResizeSuperHelper7_Sse2(const void* src, std::int32_t srcStep, std::int32_t pixels,
                             std::int64_t rows, std::uint32_t* cells);
void ResizeSuperHelper8_Sse2(const void* src, std::int32_t srcStep, std::int32_t pixels,
                             std::int64_t rows, std::uint32_t* cells);
void ResizeSuperHelper9_Sse2(const void* src, std::int32_t srcStep, std::int32_t pixels,
                             std::int64_t rows, float* cells);
