// Generic forms of the MPEG-4 dequantisation workers: the rules one coefficient at a time.
#include "prim/mpeg4_quant_rule.h"
#include "prim/prim_mpeg4_quant.h"

using namespace prim_mpeg4_quant;

void QuantInvIntraMpeg4Worker_Generic(std::int16_t* pSrcDst, const std::uint8_t* pWeights,
                                      std::int32_t QP, std::int32_t lower, std::int32_t upper,
                                      std::int32_t* pSum) {
  *pSum += Walk<false>(pSrcDst, pWeights, 1, kBlock, QP, lower, upper);
}

void QuantInvInterMpeg4Worker_Generic(std::int16_t* pSrcDst, const std::uint8_t* pWeights,
                                      std::int32_t QP, std::int32_t lower, std::int32_t upper,
                                      std::int32_t* pSum) {
  *pSum += Walk<true>(pSrcDst, pWeights, 0, kBlock, QP, lower, upper);
}

void QuantInvIntraMpeg4ScanWorker_Generic(std::int16_t* pSrcDst, std::int32_t count,
                                          const std::uint8_t* pWeights, const std::uint8_t* pScan,
                                          std::int32_t QP, std::int32_t* pSum) {
  const std::int32_t n = ScanCount(count);
  const auto weights = ScanWeights(pWeights, pScan, n);
  *pSum += Walk<false>(pSrcDst, weights.data(), 1, n, QP, kScanLower, kScanUpper);
}

void QuantInvInterMpeg4ScanWorker_Generic(std::int16_t* pSrcDst, std::int32_t count,
                                          const std::uint8_t* pWeights, const std::uint8_t* pScan,
                                          std::int32_t QP, std::int32_t* pSum) {
  const std::int32_t n = ScanCount(count);
  const auto weights = ScanWeights(pWeights, pScan, n);
  *pSum += Walk<true>(pSrcDst, weights.data(), 0, n, QP, kScanLower, kScanUpper);
}
