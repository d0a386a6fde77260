// Row kernels of the output stage on the generic forms' instruction-set paths (see
// prim/generic_path.h): the scalar rule, and the same bytes on 128-bit (SSE2) and 256-bit
// (AVX2) registers. The output stage picks the path in use once per picture.
#pragma once

#include <cstdint>

#include "prim/generic_path.h"

// One row of the deinterlacer: for i < width, out[i] is line[i] with the rule applied between
// above[i] and below[i]. `out` may be `line` (in place). The packed twin works on the luma
// bytes of two-byte pixels (U Y V Y: luma at odd bytes), width in pixels; its chroma bytes are
// copied.
using Mp4DecDeinterlaceRowFn = void(const std::uint8_t* above, const std::uint8_t* line,
                                    const std::uint8_t* below, std::uint8_t* out,
                                    std::int32_t width);

Mp4DecDeinterlaceRowFn Mp4DecDeinterlaceRow_Scalar;
Mp4DecDeinterlaceRowFn Mp4DecDeinterlacePackedRow_Scalar;
#if defined(__x86_64__)
Mp4DecDeinterlaceRowFn Mp4DecDeinterlaceRow_Sse2;
Mp4DecDeinterlaceRowFn Mp4DecDeinterlacePackedRow_Sse2;
Mp4DecDeinterlaceRowFn Mp4DecDeinterlaceRow_Avx2;
Mp4DecDeinterlaceRowFn Mp4DecDeinterlacePackedRow_Avx2;
#endif

// The kernels of the path in use.
const PrimGenericPaths<Mp4DecDeinterlaceRowFn>& Mp4DecDeinterlaceRowPaths();
const PrimGenericPaths<Mp4DecDeinterlaceRowFn>& Mp4DecDeinterlacePackedRowPaths();
