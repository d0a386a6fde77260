// Supersampling of the SSE2 and SSE3 variants: one kernel set for both, the shared kernel with
// the vector row accumulators and column gathers, so the values are those of every other set.
#include <algorithm>

#include "prim/resize/resize_super_rows_sse.h"
#include "prim/resize/resize_supersample.h"

namespace {

using resize::super::SseRows;

template <class T, int kLayout>
PrimStatus Kernel(const SuperKernelArgs& args) {
  return resize::super::Kernel<T, kLayout, SseRows>(args);
}

}  // namespace

PrimStatus ResizeKernelSse2A(const SuperKernelArgs& args) {
  return Kernel<std::uint8_t, 1>(args);
}
PrimStatus ResizeKernelSse2B(const SuperKernelArgs& args) {
  return Kernel<std::uint16_t, 1>(args);
}
PrimStatus ResizeKernelSse2C(const SuperKernelArgs& args) {
  return Kernel<float, 1>(args);
}
PrimStatus ResizeKernelSse2D(const SuperKernelArgs& args) {
  return Kernel<std::uint8_t, 3>(args);
}
PrimStatus ResizeKernelSse2E(const SuperKernelArgs& args) {
  return Kernel<std::uint16_t, 3>(args);
}
PrimStatus ResizeSuperKernel_32f_C3_Sse2(const SuperKernelArgs& args) {
  return Kernel<float, 3>(args);
}
PrimStatus ResizeSuperKernel_8u_C4_Sse2(const SuperKernelArgs& args) {
  return Kernel<std::uint8_t, 4>(args);
}
PrimStatus ResizeSuperKernel_16u_C4_Sse2(const SuperKernelArgs& args) {
  return Kernel<std::uint16_t, 4>(args);
}
PrimStatus ResizeSuperKernel_32f_C4_Sse2(const SuperKernelArgs& args) {
  return Kernel<float, 4>(args);
}

const ResizeSuperKernelSet kResizeSuperKernelsSse2{ResizeKernelSse2D,
                                                   ResizeKernelSse2E,
                                                   ResizeSuperKernel_32f_C3_Sse2,
                                                   ResizeKernelSse2A,
                                                   ResizeKernelSse2B,
                                                   ResizeKernelSse2C,
                                                   ResizeSuperKernel_8u_C4_Sse2,
                                                   ResizeSuperKernel_16u_C4_Sse2,
                                                   ResizeSuperKernel_32f_C4_Sse2};

const ResizeSuperKernelSet kResizeSuperKernelsSse3{
    ResizeSuperKernel_8u_C3_Sse3, ResizeSuperKernel_16u_C3_Sse3, ResizeSuperKernel_32f_C3_Sse3,
    ResizeSuperKernel_8u_C1_Sse3, ResizeSuperKernel_16u_C1_Sse3, ResizeSuperKernel_32f_C1_Sse3,
    ResizeSuperKernel_8u_C4_Sse3, ResizeSuperKernel_16u_C4_Sse3, ResizeSuperKernel_32f_C4_Sse3};

namespace {

template <class T>
void IntegerSums(const void* src, std::int32_t srcStep, std::int32_t pixels, std::int32_t per,
                 std::int64_t rows, std::uint32_t* cells) {
  std::fill(cells, cells + static_cast<std::int64_t>(pixels) * per, 0u);
  SseRows::AddInteger<T>(static_cast<const std::uint8_t*>(src), srcStep, pixels, per, rows, cells);
}

void FloatSums(const void* src, std::int32_t srcStep, std::int32_t pixels, std::int32_t per,
               std::int64_t rows, float* cells) {
  const std::int64_t count = static_cast<std::int64_t>(pixels) * per;
  std::fill(cells, cells + count, 0.0f);
  SseRows::AddWholeRows<float>(static_cast<const std::uint8_t*>(src), srcStep, rows, count, true,
                               cells);
}

}  // namespace

void ResizeSuperHelper1_Sse2(const void* src, std::int32_t srcStep, std::int32_t pixels,
                             std::int64_t rows, std::uint32_t* cells) {
  IntegerSums<std::uint8_t>(src, srcStep, pixels, 1, rows, cells);
}
void ResizeSuperHelper2_Sse2(const void* src, std::int32_t srcStep, std::int32_t pixels,
                             std::int64_t rows, std::uint32_t* cells) {
  IntegerSums<std::uint16_t>(src, srcStep, pixels, 1, rows, cells);
}
void ResizeSuperHelper3_Sse2(const void* src, std::int32_t srcStep, std::int32_t pixels,
                             std::int64_t rows, float* cells) {
  FloatSums(src, srcStep, pixels, 1, rows, cells);
}
void ResizeSuperHelper4_Sse2(const void* src, std::int32_t srcStep, std::int32_t pixels,
                             std::int64_t rows, std::uint32_t* cells, std::int32_t stride) {
  IntegerSums<std::uint8_t>(src, srcStep, pixels, stride, rows, cells);
}
void ResizeSuperHelper5_Sse2(const void* src, std::int32_t srcStep, std::int32_t pixels,
                             std::int64_t rows, std::uint32_t* cells, std::int32_t stride) {
  IntegerSums<std::uint16_t>(src, srcStep, pixels, stride, rows, cells);
}
void ResizeSuperHelper6_Sse2(const void* src, std::int32_t srcStep, std::int32_t pixels,
                             std::int64_t rows, float* cells, std::int32_t stride) {
  FloatSums(src, srcStep, pixels, stride, rows, cells);
}
void ResizeSuperHelper7_Sse2(const void* src, std::int32_t srcStep, std::int32_t pixels,
                             std::int64_t rows, std::uint32_t* cells) {
  IntegerSums<std::uint8_t>(src, srcStep, pixels, 4, rows, cells);
}
void ResizeSuperHelper8_Sse2(const void* src, std::int32_t srcStep, std::int32_t pixels,
                             std::int64_t rows, std::uint32_t* cells) {
  IntegerSums<std::uint16_t>(src, srcStep, pixels, 4, rows, cells);
}
void ResizeSuperHelper9_Sse2(const void* src, std::int32_t srcStep, std::int32_t pixels,
                             std::int64_t rows, float* cells) {
  FloatSums(src, srcStep, pixels, 4, rows, cells);
}
