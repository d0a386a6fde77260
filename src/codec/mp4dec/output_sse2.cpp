// SSE2 path of the output stage's row kernels (SSE2 is part of every x86-64 processor).
#if defined(__x86_64__)

#include "codec/mp4dec/output_paths.h"
#include "prim/vector_ops_sse2.h"
#include "prim/yuv_simd_kernel.h"
// After the vector operations it is written over.
#include "codec/mp4dec/output_kernels.h"

void Mp4DecDeinterlaceRow_Sse2(const std::uint8_t* above, const std::uint8_t* line,
                               const std::uint8_t* below, std::uint8_t* out, std::int32_t width) {
  const std::int32_t done =
      output_kernel::DeinterlaceRow<vec::Sse2>(above, line, below, out, width);
  Mp4DecDeinterlaceRow_Scalar(above + done, line + done, below + done, out + done, width - done);
}

void Mp4DecDeinterlacePackedRow_Sse2(const std::uint8_t* above, const std::uint8_t* line,
                                     const std::uint8_t* below, std::uint8_t* out,
                                     std::int32_t width) {
  const std::int32_t done =
      output_kernel::DeinterlacePackedRow<vec::Sse2>(above, line, below, out, width);
  Mp4DecDeinterlacePackedRow_Scalar(above + 2 * done, line + 2 * done, below + 2 * done,
                                    out + 2 * done, width - done);
}

// The colour rows: whole steps of sixteen pixels, the rest with the scalar rule (a step is an
// even count, so the rest starts on a chroma sample).
namespace {

template <typename Row>
void FinishRow(Row vectorRow, Mp4DecColourRowFn* scalar, int bytes, const std::uint8_t* y,
               const std::uint8_t* u, const std::uint8_t* v, std::uint8_t* out,
               std::int32_t width) {
  const std::int32_t done = vectorRow(y, u, v, out, width);
  scalar(y + done, u + done / 2, v + done / 2, out + done * bytes, width - done);
}

}  // namespace

void Mp4DecRgb32Row_Sse2(const std::uint8_t* y, const std::uint8_t* u, const std::uint8_t* v,
                         std::uint8_t* out, std::int32_t width) {
  FinishRow(output_kernel::Rgb32Row<vec::Sse2>, Mp4DecRgb32Row_Scalar, 4, y, u, v, out, width);
}

void Mp4DecRgb24Row_Sse2(const std::uint8_t* y, const std::uint8_t* u, const std::uint8_t* v,
                         std::uint8_t* out, std::int32_t width) {
  const auto row = [](const std::uint8_t* yy, const std::uint8_t* uu, const std::uint8_t* vv,
                      std::uint8_t* o, std::int32_t w) {
    return output_kernel::Rgb24Row<vec::Sse2>(
        yy, uu, vv, o, w, [w](std::uint8_t* dst, __m128i b, __m128i g, __m128i r, std::int32_t i) {
          // Two more pixels of the row after the step: room for the overlapping stores.
          yuv_kernel::StoreBgr16(dst, b, g, r, i + 16 + 2 <= w);
        });
  };
  FinishRow(row, Mp4DecRgb24Row_Scalar, 3, y, u, v, out, width);
}

void Mp4DecRgb555Row_Sse2(const std::uint8_t* y, const std::uint8_t* u, const std::uint8_t* v,
                          std::uint8_t* out, std::int32_t width) {
  FinishRow(output_kernel::Rgb16Row<vec::Sse2, 5>, Mp4DecRgb555Row_Scalar, 2, y, u, v, out, width);
}

void Mp4DecRgb565Row_Sse2(const std::uint8_t* y, const std::uint8_t* u, const std::uint8_t* v,
                          std::uint8_t* out, std::int32_t width) {
  FinishRow(output_kernel::Rgb16Row<vec::Sse2, 6>, Mp4DecRgb565Row_Scalar, 2, y, u, v, out, width);
}

void Mp4DecUyvyRow_Sse2(const std::uint8_t* y, const std::uint8_t* u, const std::uint8_t* v,
                        std::uint8_t* out, std::int32_t width) {
  FinishRow(output_kernel::UyvyRow<vec::Sse2>, Mp4DecUyvyRow_Scalar, 2, y, u, v, out, width);
}

#endif  // __x86_64__
