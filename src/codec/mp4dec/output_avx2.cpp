// AVX2 path of the output stage's row kernels.
#if defined(__x86_64__)

#include <array>

#include "codec/mp4dec/output_paths.h"

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

#include "prim/bgr_store_avx2.h"
#include "prim/vector_ops_avx2.h"
// After the vector operations it is written over.
#include "codec/mp4dec/output_kernels.h"

void Mp4DecDeinterlaceRow_Avx2(const std::uint8_t* above, const std::uint8_t* line,
                               const std::uint8_t* below, std::uint8_t* out, std::int32_t width) {
  const std::int32_t done =
      output_kernel::DeinterlaceRow<vec::Avx2>(above, line, below, out, width);
  Mp4DecDeinterlaceRow_Sse2(above + done, line + done, below + done, out + done, width - done);
}

void Mp4DecDeinterlacePackedRow_Avx2(const std::uint8_t* above, const std::uint8_t* line,
                                     const std::uint8_t* below, std::uint8_t* out,
                                     std::int32_t width) {
  const std::int32_t done =
      output_kernel::DeinterlacePackedRow<vec::Avx2>(above, line, below, out, width);
  Mp4DecDeinterlacePackedRow_Sse2(above + 2 * done, line + 2 * done, below + 2 * done,
                                  out + 2 * done, width - done);
}

// The colour rows: whole steps of thirty-two pixels, the rest on the SSE2 path.
namespace {

template <typename Row>
void FinishRow(Row vectorRow, Mp4DecColourRowFn* rest, int bytes, const std::uint8_t* y,
               const std::uint8_t* u, const std::uint8_t* v, std::uint8_t* out,
               std::int32_t width) {
  const std::int32_t done = vectorRow(y, u, v, out, width);
  rest(y + done, u + done / 2, v + done / 2, out + done * bytes, width - done);
}

}  // namespace

void Mp4DecRgb32Row_Avx2(const std::uint8_t* y, const std::uint8_t* u, const std::uint8_t* v,
                         std::uint8_t* out, std::int32_t width) {
  FinishRow(output_kernel::Rgb32Row<vec::Avx2>, Mp4DecRgb32Row_Sse2, 4, y, u, v, out, width);
}

void Mp4DecRgb24Row_Avx2(const std::uint8_t* y, const std::uint8_t* u, const std::uint8_t* v,
                         std::uint8_t* out, std::int32_t width) {
  const auto row = [](const std::uint8_t* yy, const std::uint8_t* uu, const std::uint8_t* vv,
                      std::uint8_t* o, std::int32_t w) {
    const bgr_store::Masks masks = bgr_store::LoadMasks();
    return output_kernel::Rgb24Row<vec::Avx2>(
        yy, uu, vv, o, w,
        [&masks](std::uint8_t* dst, __m256i b, __m256i g, __m256i r, std::int32_t) {
          bgr_store::Store32(dst, masks, b, g, r);
        });
  };
  FinishRow(row, Mp4DecRgb24Row_Sse2, 3, y, u, v, out, width);
}

void Mp4DecRgb555Row_Avx2(const std::uint8_t* y, const std::uint8_t* u, const std::uint8_t* v,
                          std::uint8_t* out, std::int32_t width) {
  FinishRow(output_kernel::Rgb16Row<vec::Avx2, 5>, Mp4DecRgb555Row_Sse2, 2, y, u, v, out, width);
}

void Mp4DecRgb565Row_Avx2(const std::uint8_t* y, const std::uint8_t* u, const std::uint8_t* v,
                          std::uint8_t* out, std::int32_t width) {
  FinishRow(output_kernel::Rgb16Row<vec::Avx2, 6>, Mp4DecRgb565Row_Sse2, 2, y, u, v, out, width);
}

void Mp4DecUyvyRow_Avx2(const std::uint8_t* y, const std::uint8_t* u, const std::uint8_t* v,
                        std::uint8_t* out, std::int32_t width) {
  FinishRow(output_kernel::UyvyRow<vec::Avx2>, Mp4DecUyvyRow_Sse2, 2, y, u, v, out, width);
}

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#endif  // __x86_64__
