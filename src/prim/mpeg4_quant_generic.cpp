// Generic forms of the MPEG-4 dequantisation workers: the rules one coefficient at a time, and
// the same results on the vector path the processor runs.
#include "prim/generic_path.h"
#include "prim/mpeg4_quant_rule.h"
#include "prim/prim_mpeg4_quant.h"

using namespace prim_mpeg4_quant;

namespace {

void IntraScalar(std::int16_t* pSrcDst, const std::uint8_t* pWeights, std::int32_t QP,
                 std::int32_t lower, std::int32_t upper, std::int32_t* pSum) {
  *pSum += Walk<false>(pSrcDst, pWeights, 1, kBlock, QP, lower, upper);
}

void InterScalar(std::int16_t* pSrcDst, const std::uint8_t* pWeights, std::int32_t QP,
                 std::int32_t lower, std::int32_t upper, std::int32_t* pSum) {
  *pSum += Walk<true>(pSrcDst, pWeights, 0, kBlock, QP, lower, upper);
}

void IntraScanScalar(std::int16_t* pSrcDst, std::int32_t count, const std::uint8_t* pWeights,
                     const std::uint8_t* pScan, std::int32_t QP, std::int32_t* pSum) {
  const std::int32_t n = ScanCount(count);
  const auto weights = ScanWeights(pWeights, pScan, n);
  *pSum += Walk<false>(pSrcDst, weights.data(), 1, n, QP, kScanLower, kScanUpper);
}

void InterScanScalar(std::int16_t* pSrcDst, std::int32_t count, const std::uint8_t* pWeights,
                     const std::uint8_t* pScan, std::int32_t QP, std::int32_t* pSum) {
  const std::int32_t n = ScanCount(count);
  const auto weights = ScanWeights(pWeights, pScan, n);
  *pSum += Walk<true>(pSrcDst, weights.data(), 0, n, QP, kScanLower, kScanUpper);
}

const QuantInvMpeg4GenericPath& InUse() {
#if defined(__x86_64__)
  static constexpr PrimGenericPaths<const QuantInvMpeg4GenericPath> kPaths{
      &kQuantInvMpeg4GenericScalar, &kQuantInvMpeg4GenericSse2, &kQuantInvMpeg4GenericAvx2};
  return *kPaths.InUse();
#else
  return kQuantInvMpeg4GenericScalar;
#endif
}

}  // namespace

const QuantInvMpeg4GenericPath kQuantInvMpeg4GenericScalar{IntraScalar, InterScalar,
                                                           IntraScanScalar, InterScanScalar};
#if defined(__x86_64__)
// kQuantInvMpeg4GenericSse2 is the SSE2 form's 128-bit code (mpeg4_quant_sse.cpp).
const QuantInvMpeg4GenericPath kQuantInvMpeg4GenericAvx2{
    QuantInvIntraMpeg4Worker_GenericAvx2, QuantInvInterMpeg4Worker_GenericAvx2,
    QuantInvIntraMpeg4ScanWorker_GenericAvx2, QuantInvInterMpeg4ScanWorker_GenericAvx2};
#endif

void QuantInvIntraMpeg4Worker_Generic(std::int16_t* pSrcDst, const std::uint8_t* pWeights,
                                      std::int32_t QP, std::int32_t lower, std::int32_t upper,
                                      std::int32_t* pSum) {
  InUse().intra(pSrcDst, pWeights, QP, lower, upper, pSum);
}

void QuantInvInterMpeg4Worker_Generic(std::int16_t* pSrcDst, const std::uint8_t* pWeights,
                                      std::int32_t QP, std::int32_t lower, std::int32_t upper,
                                      std::int32_t* pSum) {
  InUse().inter(pSrcDst, pWeights, QP, lower, upper, pSum);
}

void QuantInvIntraMpeg4ScanWorker_Generic(std::int16_t* pSrcDst, std::int32_t count,
                                          const std::uint8_t* pWeights, const std::uint8_t* pScan,
                                          std::int32_t QP, std::int32_t* pSum) {
  InUse().intraScan(pSrcDst, count, pWeights, pScan, QP, pSum);
}

void QuantInvInterMpeg4ScanWorker_Generic(std::int16_t* pSrcDst, std::int32_t count,
                                          const std::uint8_t* pWeights, const std::uint8_t* pScan,
                                          std::int32_t QP, std::int32_t* pSum) {
  InUse().interScan(pSrcDst, count, pWeights, pScan, QP, pSum);
}
