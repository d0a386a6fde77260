// Inverse quantisation: the H.263 inter primitive (dispatched, saturating) and the MPEG-4
// decoder's own dequantisers (16-bit results that wrap, as the decoder's arithmetic is defined).
#pragma once

#include <cstdint>

#include "prim/prim_dispatch.h"

using PrimQuantInvInterFn = PrimStatus(std::int16_t* pSrcDst, std::int32_t len, std::int32_t QP);

// Every element c of pSrcDst[0..len) becomes 0 for c = 0, 2*QP*c + k for c > 0 and
// 2*QP*c - k for c < 0 (k = QP for odd QP, QP - 1 for even), clamped to -2048..2047.
// Checks, in order: null array -> StsNullPointer; len < 1 -> StsSizeError;
// QP outside 1..31 -> StsQuantParamError. The array is untouched on failure.
PrimStatus primQuantInvInter_Compact_H263_16s_I(std::int16_t* pSrcDst, std::int32_t len,
                                                std::int32_t QP);
PrimStatus primQuantInvInter_Compact_H263_16s_I_generic(std::int16_t* pSrcDst, std::int32_t len,
                                                        std::int32_t QP);
PrimStatus primQuantInvInter_Compact_H263_16s_I_sse(std::int16_t* pSrcDst, std::int32_t len,
                                                    std::int32_t QP);
PrimStatus primQuantInvInter_Compact_H263_16s_I_sse2(std::int16_t* pSrcDst, std::int32_t len,
                                                     std::int32_t QP);
PrimStatus primQuantInvInter_Compact_H263_16s_I_sse3(std::int16_t* pSrcDst, std::int32_t len,
                                                     std::int32_t QP);

// Workers of the vector forms: the element rule over len elements with the bounds
// [lower, upper]; keepFirst != 0 restores element 0 afterwards. QP must be in 1..31 and
// lower <= upper within the 16-bit range (the entries guarantee both).
void QuantInvInterWorker_Sse(std::int16_t* pSrcDst, std::int32_t keepFirst, std::int32_t len,
                             std::int32_t QP, std::int32_t lower, std::int32_t upper);
void QuantInvInterWorker_Sse2(std::int16_t* pSrcDst, std::int32_t keepFirst, std::int32_t len,
                              std::int32_t QP, std::int32_t lower, std::int32_t upper);
void QuantInvInterWorker_Sse3(std::int16_t* pSrcDst, std::int32_t keepFirst, std::int32_t len,
                              std::int32_t QP, std::int32_t lower, std::int32_t upper);

extern const PrimVariantTable<PrimQuantInvInterFn> primQuantInvInter_Compact_H263_16s_I_table;
extern PrimDispatchRecord primQuantInvInter_Compact_H263_16s_I_record;

// ---- The decoder's own dequantisers (64-coefficient blocks in raster order) ----------------
// They take the current quantiser (1..31) and, for the MPEG type, the weighting matrix as
// arguments; the decoder passes the values of its context and tables.

// H.263 type. start != 0: every non-zero coefficient at start..63 becomes 2*QP*|c| + k with
// the sign of c (low 16 bits kept). start == 0: the whole block goes through
// primQuantInvInter_Compact_H263_16s_I(block, 64, QP), whose status is not looked at.
void Mp4DecDequantH263(std::int16_t* block, std::int32_t start, std::int32_t QP);

// MPEG type, intra blocks: each non-zero coefficient at 1..63 becomes
// (2 * c * QP * weightIntra[i]) / 16, truncated toward zero (low 16 bits kept).
void Mp4DecDequantMpeg(std::int16_t* block, std::int32_t QP, const std::uint32_t* weightIntra);

// Inter events, one level at a time (the inter block decoder places the result).
// H.263 type: 2*QP*level + k for level > 0, 2*QP*level - k otherwise (low 16 bits kept).
std::int16_t Mp4DecDequantInterH263(std::int32_t level, std::int32_t QP);
// MPEG type: ((2*|level| + 1) * QP * weight) >> 4, negated for level < 0 (low 16 bits kept).
std::int16_t Mp4DecDequantInterMpeg(std::int32_t level, std::int32_t QP, std::uint32_t weight);
// MPEG-type mismatch control of an inter block: xorOfWritten is the exclusive-or of every
// coefficient written; when its lowest bit is 0, bit 0 of coefficient 63 is inverted.
void Mp4DecMismatchControl(std::int16_t* block, std::int32_t xorOfWritten);
