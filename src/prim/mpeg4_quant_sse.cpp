// SSE and SSE2 forms of the MPEG-4 dequantisation workers (SSE2 is part of every x86-64
// processor): the SSE form works four coefficients a step, the SSE2 form eight.
#include <immintrin.h>

#include "prim/mpeg4_quant_simd_kernel.h"
#include "prim/prim_mpeg4_quant.h"

namespace {

__m128i LoadUnaligned(const __m128i* p) {
  return _mm_loadu_si128(p);
}

using Sse = mpeg4_quant_kernel::Worker<4>;
using Sse2 = mpeg4_quant_kernel::Worker<8>;

}  // namespace

void QuantInvIntraMpeg4Worker_Sse(std::int16_t* pSrcDst, const std::uint8_t* pWeights,
                                  std::int32_t QP, std::int32_t lower, std::int32_t upper,
                                  std::int32_t* pSum) {
  Sse::Intra(pSrcDst, pWeights, QP, lower, upper, pSum, LoadUnaligned);
}
void QuantInvInterMpeg4Worker_Sse(std::int16_t* pSrcDst, const std::uint8_t* pWeights,
                                  std::int32_t QP, std::int32_t lower, std::int32_t upper,
                                  std::int32_t* pSum) {
  Sse::Inter(pSrcDst, pWeights, QP, lower, upper, pSum, LoadUnaligned);
}
void QuantInvIntraMpeg4ScanWorker_Sse(std::int16_t* pSrcDst, std::int32_t count,
                                      const std::uint8_t* pWeights, const std::uint8_t* pScan,
                                      std::int32_t QP, std::int32_t* pSum) {
  Sse::IntraScan(pSrcDst, count, pWeights, pScan, QP, pSum, LoadUnaligned);
}
void QuantInvInterMpeg4ScanWorker_Sse(std::int16_t* pSrcDst, std::int32_t count,
                                      const std::uint8_t* pWeights, const std::uint8_t* pScan,
                                      std::int32_t QP, std::int32_t* pSum) {
  Sse::InterScan(pSrcDst, count, pWeights, pScan, QP, pSum, LoadUnaligned);
}

void QuantInvIntraMpeg4Worker_Sse2(std::int16_t* pSrcDst, const std::uint8_t* pWeights,
                                   std::int32_t QP, std::int32_t lower, std::int32_t upper,
                                   std::int32_t* pSum) {
  Sse2::Intra(pSrcDst, pWeights, QP, lower, upper, pSum, LoadUnaligned);
}
void QuantInvInterMpeg4Worker_Sse2(std::int16_t* pSrcDst, const std::uint8_t* pWeights,
                                   std::int32_t QP, std::int32_t lower, std::int32_t upper,
                                   std::int32_t* pSum) {
  Sse2::Inter(pSrcDst, pWeights, QP, lower, upper, pSum, LoadUnaligned);
}
void QuantInvIntraMpeg4ScanWorker_Sse2(std::int16_t* pSrcDst, std::int32_t count,
                                       const std::uint8_t* pWeights, const std::uint8_t* pScan,
                                       std::int32_t QP, std::int32_t* pSum) {
  Sse2::IntraScan(pSrcDst, count, pWeights, pScan, QP, pSum, LoadUnaligned);
}
void QuantInvInterMpeg4ScanWorker_Sse2(std::int16_t* pSrcDst, std::int32_t count,
                                       const std::uint8_t* pWeights, const std::uint8_t* pScan,
                                       std::int32_t QP, std::int32_t* pSum) {
  Sse2::InterScan(pSrcDst, count, pWeights, pScan, QP, pSum, LoadUnaligned);
}
