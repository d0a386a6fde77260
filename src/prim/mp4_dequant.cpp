// The MPEG-4 decoder's own inverse quantisation. Results are computed in 32 bits and stored as
// their low 16 bits: these functions wrap rather than saturate, as the decoder's arithmetic is
// defined (only the H.263 inter primitive clamps).
#include <cstdint>
#include <cstdlib>

#include "prim/prim_quant.h"
#include "prim/quant_rule.h"

namespace {

constexpr std::int16_t Low16(std::int64_t v) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(static_cast<std::uint64_t>(v)));
}

constexpr int kBlockSize = 64;

}  // namespace

void Mp4DecDequantH263(std::int16_t* block, std::int32_t start, std::int32_t QP) {
  if (block == nullptr) {
    return;
  }
  if (start == 0) {
    primQuantInvInter_Compact_H263_16s_I(block, kBlockSize, QP);
    return;
  }
  const std::int64_t k = prim_quant::OddRounding(QP);
  for (std::int32_t i = start < 0 ? 0 : start; i < kBlockSize; ++i) {
    const std::int64_t c = block[i];
    if (c == 0) {
      continue;
    }
    const std::int64_t magnitude = 2 * static_cast<std::int64_t>(QP) * std::abs(c) + k;
    block[i] = Low16(c > 0 ? magnitude : -magnitude);
  }
}

void Mp4DecDequantMpeg(std::int16_t* block, std::int32_t QP, const std::uint32_t* weightIntra) {
  if (block == nullptr || weightIntra == nullptr) {
    return;
  }
  for (int i = 1; i < kBlockSize; ++i) {
    const std::int64_t c = block[i];
    if (c == 0) {
      continue;
    }
    // Division truncates toward zero.
    block[i] = Low16(2 * c * QP * static_cast<std::int64_t>(weightIntra[i]) / 16);
  }
}

std::int16_t Mp4DecDequantInterH263(std::int32_t level, std::int32_t QP) {
  const std::int64_t k = prim_quant::OddRounding(QP);
  const std::int64_t product = 2 * static_cast<std::int64_t>(QP) * level;
  return Low16(level > 0 ? product + k : product - k);
}

std::int16_t Mp4DecDequantInterMpeg(std::int32_t level, std::int32_t QP, std::uint32_t weight) {
  const std::int64_t m = std::abs(static_cast<std::int64_t>(level));
  const std::int64_t v = ((2 * m + 1) * QP * static_cast<std::int64_t>(weight)) >> 4;
  return Low16(level < 0 ? -v : v);
}

void Mp4DecMismatchControl(std::int16_t* block, std::int32_t xorOfWritten) {
  if (block == nullptr) {
    return;
  }
  if ((xorOfWritten & 1) == 0) {
    block[kBlockSize - 1] = static_cast<std::int16_t>(block[kBlockSize - 1] ^ 1);
  }
}
