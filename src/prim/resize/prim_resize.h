// Public resize primitive: scales a rectangle of a packed 8-bit three-channel image by
// independent horizontal and vertical factors. Interpolation 1 nearest, 2 linear, 4 cubic,
// 8 supersampling (shrinking only), 16 six-tap. Returns 0, 29 when the rectangle misses the
// image, or a negative status with nothing written. Only the destination size used is
// written: min(dstRoiSize, max(1, trunc(rect·factor + 1e-7))) along each axis.
#pragma once

#include "prim/prim_dispatch.h"
#include "prim/resize/resize_types.h"
#include "prim/resize/resize_variants.h"

PrimStatus primResize_8u_C3R(const std::uint8_t* pSrc, PrimSize srcSize, std::int32_t srcStep,
                             PrimRect srcRoi, std::uint8_t* pDst, std::int32_t dstStep,
                             PrimSize dstRoiSize, double xFactor, double yFactor,
                             std::int32_t interpolation);

// The four variants behind the public entry (the slots of its variant table), one entry bound
// to each variant's kernel sets; each can be called directly.
inline constexpr auto& primResize_8u_C3R_generic = ResizeEntry<kResizeGeneric>;
inline constexpr auto& primResize_8u_C3R_sse = ResizeEntry<kResizeSse>;
inline constexpr auto& primResize_8u_C3R_sse2 = ResizeEntry<kResizeSse2>;
inline constexpr auto& primResize_8u_C3R_sse3 = ResizeEntry<kResizeSse3>;

// The function type shared by the public entry and its variants.
using PrimResizeFn = PrimStatus(const std::uint8_t*, PrimSize, std::int32_t, PrimRect,
                                std::uint8_t*, std::int32_t, PrimSize, double, double,
                                std::int32_t);

extern const PrimVariantTable<PrimResizeFn> primResize_8u_C3R_table;
extern PrimDispatchRecord primResize_8u_C3R_record;
