// Inverse quantisation: the H.263 inter primitive (dispatched, saturating). The MPEG-4 decoder's
// own dequantisers live with the decoder (codec/mp4dec/dequant.h).
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

// Workers: the element rule over len elements with the bounds [lower, upper]; keepFirst != 0
// restores element 0 afterwards. QP must be in 1..31 and lower <= upper within the 16-bit range
// (the entries guarantee both). The generic worker's scalar path is the reference the vector
// ones are tested against.
void QuantInvInterWorker_Generic(std::int16_t* pSrcDst, std::int32_t keepFirst, std::int32_t len,
                                 std::int32_t QP, std::int32_t lower, std::int32_t upper);
// The generic worker's paths (see generic_path.h; the generic worker runs the one in use): the
// scalar rule, and the same results eight coefficients a step (SSE2, the SSE2 form's body) or
// sixteen (AVX2).
void QuantInvInterWorker_GenericScalar(std::int16_t* pSrcDst, std::int32_t keepFirst,
                                       std::int32_t len, std::int32_t QP, std::int32_t lower,
                                       std::int32_t upper);
#if defined(__x86_64__)
void QuantInvInterWorker_GenericSse2(std::int16_t* pSrcDst, std::int32_t keepFirst,
                                     std::int32_t len, std::int32_t QP, std::int32_t lower,
                                     std::int32_t upper);
void QuantInvInterWorker_GenericAvx2(std::int16_t* pSrcDst, std::int32_t keepFirst,
                                     std::int32_t len, std::int32_t QP, std::int32_t lower,
                                     std::int32_t upper);
#endif
void QuantInvInterWorker_Sse(std::int16_t* pSrcDst, std::int32_t keepFirst, std::int32_t len,
                             std::int32_t QP, std::int32_t lower, std::int32_t upper);
void QuantInvInterWorker_Sse2(std::int16_t* pSrcDst, std::int32_t keepFirst, std::int32_t len,
                              std::int32_t QP, std::int32_t lower, std::int32_t upper);
void QuantInvInterWorker_Sse3(std::int16_t* pSrcDst, std::int32_t keepFirst, std::int32_t len,
                              std::int32_t QP, std::int32_t lower, std::int32_t upper);

extern const PrimVariantTable<PrimQuantInvInterFn> primQuantInvInter_Compact_H263_16s_I_table;
extern PrimDispatchRecord primQuantInvInter_Compact_H263_16s_I_record;
