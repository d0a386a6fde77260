// SSE2 path of the output stage's row kernels (SSE2 is part of every x86-64 processor).
#if defined(__x86_64__)

#include "codec/mp4dec/output_paths.h"
#include "prim/vector_ops_sse2.h"
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

#endif  // __x86_64__
