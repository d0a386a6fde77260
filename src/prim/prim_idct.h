// Inverse DCT of one 8x8 block of 16-bit coefficients, in place.
#pragma once

#include <cstdint>

#include "prim/prim_dispatch.h"

using PrimDCT8x8InvFn = PrimStatus(std::int16_t* pSrcDst);

// Public entry: dispatched by PrimCpuIndex. pSrcDst holds 64 values in row-major order
// (element 8 * row + column); no alignment needed. Returns StsNullPointer for a null block,
// else StsNoError.
PrimStatus primDCT8x8Inv_16s_C1I(std::int16_t* pSrcDst);

// Slot 1: the reference factorisation (11 multiplications per 1-D transform, no tables).
PrimStatus primDCT8x8Inv_16s_C1I_generic(std::int16_t* pSrcDst);
// Slots 2 to 4: the table-driven row/column factorisation; the three give identical results,
// which may differ from the generic form by one in a few samples.
PrimStatus primDCT8x8Inv_16s_C1I_sse(std::int16_t* pSrcDst);
PrimStatus primDCT8x8Inv_16s_C1I_sse2(std::int16_t* pSrcDst);
PrimStatus primDCT8x8Inv_16s_C1I_sse3(std::int16_t* pSrcDst);

// Workers: read a whole row or column before writing it, so src and dst may coincide.
void DCT8x8InvWorker_Generic(const std::int16_t* src, std::int16_t* dst);
// The generic worker's paths (see generic_path.h; the generic worker runs the one in use): the
// scalar rule, and the same results four lines a step (SSE2) or eight (AVX2).
void DCT8x8InvWorker_GenericScalar(const std::int16_t* src, std::int16_t* dst);
#if defined(__x86_64__)
void DCT8x8InvWorker_GenericSse2(const std::int16_t* src, std::int16_t* dst);
void DCT8x8InvWorker_GenericAvx2(const std::int16_t* src, std::int16_t* dst);
#endif
// The table-driven forms' result for a block whose coefficients other than the DC are all zero,
// in closed form: the same 64 samples as DCT8x8InvWorker_Sse2 on that block.
void DCT8x8InvDcOnly_Table(std::int16_t dc, std::int16_t* dst);
void DCT8x8InvWorker_Sse(const std::int16_t* src, std::int16_t* dst);
void DCT8x8InvWorker_Sse2(const std::int16_t* src, std::int16_t* dst);
void DCT8x8InvWorker_Sse3(const std::int16_t* src, std::int16_t* dst);
// The table-driven forms' AVX2 path (simd_path.h; the SSE, SSE2 and SSE3 entries run it when it
// is the path in use): the results of DCT8x8InvWorker_Sse2 to the bit, two rows a step.
#if defined(__x86_64__)
void DCT8x8InvWorker_TableAvx2(const std::int16_t* src, std::int16_t* dst);
#endif

extern const PrimVariantTable<PrimDCT8x8InvFn> primDCT8x8Inv_16s_C1I_table;
extern PrimDispatchRecord primDCT8x8Inv_16s_C1I_record;
