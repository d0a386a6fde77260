// AVX2 path of the output stage's row kernels.
#if defined(__x86_64__)

#include "codec/mp4dec/output_paths.h"

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

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

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#endif  // __x86_64__
