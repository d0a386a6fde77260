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

// One row of a converter of modes 2 and 4 to 11: pixels [0, width) of luma row y with chroma
// rows u, v (pixel i takes chroma sample i / 2) into `out` in the mode's pixel format.
using Mp4DecColourRowFn = void(const std::uint8_t* y, const std::uint8_t* u, const std::uint8_t* v,
                               std::uint8_t* out, std::int32_t width);

Mp4DecColourRowFn Mp4DecRgb32Row_Scalar;
Mp4DecColourRowFn Mp4DecRgb24Row_Scalar;
Mp4DecColourRowFn Mp4DecRgb555Row_Scalar;
Mp4DecColourRowFn Mp4DecRgb565Row_Scalar;
// U Y V Y of each pixel pair; an odd last pixel is not written.
Mp4DecColourRowFn Mp4DecUyvyRow_Scalar;
#if defined(__x86_64__)
Mp4DecColourRowFn Mp4DecRgb32Row_Sse2;
Mp4DecColourRowFn Mp4DecRgb24Row_Sse2;
Mp4DecColourRowFn Mp4DecRgb555Row_Sse2;
Mp4DecColourRowFn Mp4DecRgb565Row_Sse2;
Mp4DecColourRowFn Mp4DecUyvyRow_Sse2;
Mp4DecColourRowFn Mp4DecRgb32Row_Avx2;
Mp4DecColourRowFn Mp4DecRgb24Row_Avx2;
Mp4DecColourRowFn Mp4DecRgb555Row_Avx2;
Mp4DecColourRowFn Mp4DecRgb565Row_Avx2;
Mp4DecColourRowFn Mp4DecUyvyRow_Avx2;
#endif

enum class Mp4DecPixelFormat { kRgb32, kRgb24, kRgb555, kRgb565, kUyvy };

// The kernels of the path in use.
const PrimGenericPaths<Mp4DecColourRowFn>& Mp4DecColourRowPaths(Mp4DecPixelFormat format);
const PrimGenericPaths<Mp4DecDeinterlaceRowFn>& Mp4DecDeinterlaceRowPaths();
const PrimGenericPaths<Mp4DecDeinterlaceRowFn>& Mp4DecDeinterlacePackedRowPaths();
