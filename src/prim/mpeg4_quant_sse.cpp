// SSE and SSE2 forms of the MPEG-4 dequantisation workers (SSE2 is part of every x86-64
// processor): the SSE form works four coefficients a step, the SSE2 form eight. All forms give
// the same results, so on the AVX2 path (simd_path.h) both run the generic workers' AVX2 code.
// The SSE2 form's 128-bit code is also the generic workers' SSE2 path.
#include <immintrin.h>

#include "prim/mpeg4_quant_simd_kernel.h"
#include "prim/prim_mpeg4_quant.h"
#include "prim/simd_path.h"

namespace {

__m128i LoadUnaligned(const __m128i* p) {
  return _mm_loadu_si128(p);
}

using SseCode = mpeg4_quant_kernel::Code<4, LoadUnaligned>;
using Sse2Code = mpeg4_quant_kernel::Code<8, LoadUnaligned>;

const QuantInvMpeg4GenericPath& Sse() {
  static constexpr PrimSimdPaths<const QuantInvMpeg4GenericPath> kPaths{&SseCode::kPath,
                                                                        &kQuantInvMpeg4GenericAvx2};
  return *kPaths.InUse();
}

const QuantInvMpeg4GenericPath& Sse2() {
  static constexpr PrimSimdPaths<const QuantInvMpeg4GenericPath> kPaths{&kQuantInvMpeg4GenericSse2,
                                                                        &kQuantInvMpeg4GenericAvx2};
  return *kPaths.InUse();
}

}  // namespace

const QuantInvMpeg4GenericPath kQuantInvMpeg4GenericSse2 = Sse2Code::kPath;

void QuantInvIntraMpeg4Worker_Sse(std::int16_t* pSrcDst, const std::uint8_t* pWeights,
                                  std::int32_t QP, std::int32_t lower, std::int32_t upper,
                                  std::int32_t* pSum) {
  Sse().intra(pSrcDst, pWeights, QP, lower, upper, pSum);
}
void QuantInvInterMpeg4Worker_Sse(std::int16_t* pSrcDst, const std::uint8_t* pWeights,
                                  std::int32_t QP, std::int32_t lower, std::int32_t upper,
                                  std::int32_t* pSum) {
  Sse().inter(pSrcDst, pWeights, QP, lower, upper, pSum);
}
void QuantInvIntraMpeg4ScanWorker_Sse(std::int16_t* pSrcDst, std::int32_t count,
                                      const std::uint8_t* pWeights, const std::uint8_t* pScan,
                                      std::int32_t QP, std::int32_t* pSum) {
  Sse().intraScan(pSrcDst, count, pWeights, pScan, QP, pSum);
}
void QuantInvInterMpeg4ScanWorker_Sse(std::int16_t* pSrcDst, std::int32_t count,
                                      const std::uint8_t* pWeights, const std::uint8_t* pScan,
                                      std::int32_t QP, std::int32_t* pSum) {
  Sse().interScan(pSrcDst, count, pWeights, pScan, QP, pSum);
}

void QuantInvIntraMpeg4Worker_Sse2(std::int16_t* pSrcDst, const std::uint8_t* pWeights,
                                   std::int32_t QP, std::int32_t lower, std::int32_t upper,
                                   std::int32_t* pSum) {
  Sse2().intra(pSrcDst, pWeights, QP, lower, upper, pSum);
}
void QuantInvInterMpeg4Worker_Sse2(std::int16_t* pSrcDst, const std::uint8_t* pWeights,
                                   std::int32_t QP, std::int32_t lower, std::int32_t upper,
                                   std::int32_t* pSum) {
  Sse2().inter(pSrcDst, pWeights, QP, lower, upper, pSum);
}
void QuantInvIntraMpeg4ScanWorker_Sse2(std::int16_t* pSrcDst, std::int32_t count,
                                       const std::uint8_t* pWeights, const std::uint8_t* pScan,
                                       std::int32_t QP, std::int32_t* pSum) {
  Sse2().intraScan(pSrcDst, count, pWeights, pScan, QP, pSum);
}
void QuantInvInterMpeg4ScanWorker_Sse2(std::int16_t* pSrcDst, std::int32_t count,
                                       const std::uint8_t* pWeights, const std::uint8_t* pScan,
                                       std::int32_t QP, std::int32_t* pSum) {
  Sse2().interScan(pSrcDst, count, pWeights, pScan, QP, pSum);
}
