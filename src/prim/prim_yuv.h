// Planar YUV 4:2:0 to packed 24-bit BGR.
#pragma once

#include <cstdint>

#include "prim/prim_dispatch.h"

using PrimYUV420ToBGRFn = PrimStatus(const std::uint8_t* const pSrc[3],
                                     const std::int32_t srcStep[3], std::uint8_t* pDst,
                                     std::int32_t dstStep, std::int32_t width, std::int32_t height);

// pSrc: the Y, U and V plane origins; srcStep: their row steps in bytes (negative steps read
// the picture upward); dstStep: destination row step in bytes. For each pixel, with the U, V
// sample of its 2x2 block and u = U - 128, v = V - 128:
//   R = (65536 Y + 74711 v) >> 16, G = (65536 Y - 25821 u - 38076 v) >> 16,
//   B = (65536 Y + 133169 u) >> 16, each clamped to 0..255 and stored B, G, R.
// An odd last column or row uses the chroma sample of its pair.
// Checks, in order: pSrc, srcStep or pDst null -> StsNullPointer; width or height below 1 ->
// StsSizeError; any plane pointer null -> StsNullPointer. Nothing is written on failure.
// All forms give identical bytes.
PrimStatus primYUV420ToBGR_8u_P3C3R(const std::uint8_t* const pSrc[3],
                                    const std::int32_t srcStep[3], std::uint8_t* pDst,
                                    std::int32_t dstStep, std::int32_t width, std::int32_t height);
PrimStatus primYUV420ToBGR_8u_P3C3R_generic(const std::uint8_t* const pSrc[3],
                                            const std::int32_t srcStep[3], std::uint8_t* pDst,
                                            std::int32_t dstStep, std::int32_t width,
                                            std::int32_t height);
PrimStatus primYUV420ToBGR_8u_P3C3R_sse(const std::uint8_t* const pSrc[3],
                                        const std::int32_t srcStep[3], std::uint8_t* pDst,
                                        std::int32_t dstStep, std::int32_t width,
                                        std::int32_t height);
PrimStatus primYUV420ToBGR_8u_P3C3R_sse2(const std::uint8_t* const pSrc[3],
                                         const std::int32_t srcStep[3], std::uint8_t* pDst,
                                         std::int32_t dstStep, std::int32_t width,
                                         std::int32_t height);
PrimStatus primYUV420ToBGR_8u_P3C3R_sse3(const std::uint8_t* const pSrc[3],
                                         const std::int32_t srcStep[3], std::uint8_t* pDst,
                                         std::int32_t dstStep, std::int32_t width,
                                         std::int32_t height);

extern const PrimVariantTable<PrimYUV420ToBGRFn> primYUV420ToBGR_8u_P3C3R_table;
extern PrimDispatchRecord primYUV420ToBGR_8u_P3C3R_record;
