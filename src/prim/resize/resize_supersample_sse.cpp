// Supersampling kernels of the SSE set: the shared kernel with the vector row accumulators and
// column gathers, so the values are those of the generic kernel.
#include "prim/resize/resize_super_rows_sse.h"
#include "prim/resize/resize_supersample.h"

namespace {

using resize::super::SseRows;

template <class T, int kLayout>
PrimStatus SseKernel(const SuperKernelArgs& args) {
  return resize::super::Kernel<T, kLayout, SseRows>(args);
}

}  // namespace

PrimStatus ResizeSuperKernel_8u_C1_Sse(const SuperKernelArgs& args) {
  return SseKernel<std::uint8_t, 1>(args);
}
PrimStatus ResizeSuperKernel_16u_C1_Sse(const SuperKernelArgs& args) {
  return SseKernel<std::uint16_t, 1>(args);
}
PrimStatus ResizeSuperKernel_32f_C1_Sse(const SuperKernelArgs& args) {
  return SseKernel<float, 1>(args);
}
PrimStatus ResizeSuperKernel_8u_C3_Sse(const SuperKernelArgs& args) {
  return SseKernel<std::uint8_t, 3>(args);
}
PrimStatus ResizeSuperKernel_16u_C3_Sse(const SuperKernelArgs& args) {
  return SseKernel<std::uint16_t, 3>(args);
}
PrimStatus ResizeSuperKernel_32f_C3_Sse(const SuperKernelArgs& args) {
  return SseKernel<float, 3>(args);
}
PrimStatus ResizeSuperKernel_8u_C4_Sse(const SuperKernelArgs& args) {
  return SseKernel<std::uint8_t, 4>(args);
}
PrimStatus ResizeSuperKernel_16u_C4_Sse(const SuperKernelArgs& args) {
  return SseKernel<std::uint16_t, 4>(args);
}
PrimStatus ResizeSuperKernel_32f_C4_Sse(const SuperKernelArgs& args) {
  return SseKernel<float, 4>(args);
}

const ResizeSuperKernelSet kResizeSuperKernelsSse{
    ResizeSuperKernel_8u_C3_Sse, ResizeSuperKernel_16u_C3_Sse, ResizeSuperKernel_32f_C3_Sse,
    ResizeSuperKernel_8u_C1_Sse, ResizeSuperKernel_16u_C1_Sse, ResizeSuperKernel_32f_C1_Sse,
    ResizeSuperKernel_8u_C4_Sse, ResizeSuperKernel_16u_C4_Sse, ResizeSuperKernel_32f_C4_Sse};

namespace {

template <class T>
void AddRows(const void* src, std::int32_t srcStep, std::int32_t pixels, std::int32_t per,
             std::int64_t rows, std::uint32_t* cells) {
  SseRows::AddInteger<T>(static_cast<const std::uint8_t*>(src), srcStep, pixels, per, rows, cells);
}

template <class T>
void AddFloatRows(const void* src, std::int32_t srcStep, std::int32_t pixels, std::int32_t per,
                  std::int64_t rows, float* cells) {
  SseRows::AddWholeRows<T>(static_cast<const std::uint8_t*>(src), srcStep, rows,
                           static_cast<std::int64_t>(pixels) * per, false, cells);
}

}  // namespace

void ResizeSuperHelper1_Sse(const void* src, std::int32_t srcStep, std::int32_t pixels,
                            std::int64_t rows, std::uint32_t* cells) {
  AddRows<std::uint8_t>(src, srcStep, pixels, 1, rows, cells);
}
void ResizeSuperHelper2_Sse(const void* src, std::int32_t srcStep, std::int32_t pixels,
                            std::int64_t rows, std::uint32_t* cells) {
  AddRows<std::uint16_t>(src, srcStep, pixels, 1, rows, cells);
}
void ResizeSuperHelper3_Sse(const void* src, std::int32_t srcStep, std::int32_t pixels,
                            std::int64_t rows, float* cells) {
  AddFloatRows<float>(src, srcStep, pixels, 1, rows, cells);
}
void ResizeSuperHelper4_Sse(const void* src, std::int32_t srcStep, std::int32_t pixels,
                            std::int64_t rows, std::uint32_t* cells, std::int32_t stride) {
  AddRows<std::uint8_t>(src, srcStep, pixels, stride, rows, cells);
}
void ResizeSuperHelper5_Sse(const void* src, std::int32_t srcStep, std::int32_t pixels,
                            std::int64_t rows, float* cells, std::int32_t stride) {
  AddFloatRows<float>(src, srcStep, pixels, stride, rows, cells);
}
void ResizeSuperHelper6_Sse(const void* src, std::int32_t srcStep, std::int32_t pixels,
                            std::int64_t rows, std::uint32_t* cells) {
  AddRows<std::uint8_t>(src, srcStep, pixels, 4, rows, cells);
}
void ResizeSuperHelper7_Sse(const void* src, std::int32_t srcStep, std::int32_t pixels,
                            std::int64_t rows, std::uint32_t* cells) {
  AddRows<std::uint16_t>(src, srcStep, pixels, 4, rows, cells);
}
void ResizeSuperHelper8_Sse(const void* src, std::int32_t srcStep, std::int32_t pixels,
                            std::int64_t rows, float* cells) {
  AddFloatRows<float>(src, srcStep, pixels, 4, rows, cells);
}
