#include "codec/mp4dec/dequant.h"

#include <emmintrin.h>

#include <cstdlib>

#include "codec/mp4dec/block_idct.h"
#include "prim/prim_quant.h"

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

void Mp4DecDequantH263IntraFast(std::int16_t* block, std::int32_t qp) {
  // Low 16 bits of 2 QP |c| + k, negated for a negative c: the 16-bit product and sums wrap
  // exactly as the low half of the 32-bit ones (also for c = -32768, whose magnitude wraps).
  const __m128i twoQp = _mm_set1_epi16(static_cast<short>(2 * qp));
  const __m128i k = _mm_set1_epi16(static_cast<short>(prim_quant::OddRounding(qp)));
  const __m128i zero = _mm_setzero_si128();
  const std::int16_t dc = block[0];
  for (int i = 0; i < kBlockSize; i += 8) {
    auto* p = reinterpret_cast<__m128i*>(block + i);
    const __m128i c = _mm_loadu_si128(p);
    const __m128i sign = _mm_srai_epi16(c, 15);
    const __m128i magnitude = _mm_sub_epi16(_mm_xor_si128(c, sign), sign);
    const __m128i scaled = _mm_add_epi16(_mm_mullo_epi16(magnitude, twoQp), k);
    const __m128i signedValue = _mm_sub_epi16(_mm_xor_si128(scaled, sign), sign);
    const __m128i nonZero = _mm_xor_si128(_mm_cmpeq_epi16(c, zero), _mm_set1_epi16(-1));
    _mm_storeu_si128(p, _mm_and_si128(signedValue, nonZero));
  }
  block[0] = dc;
}

void Mp4DecReconstructIntraH263(std::int16_t* block, std::int32_t qp) {
  const bool dcOnly = Mp4DecAcAllZero(block);
  if (!dcOnly) {
    Mp4DecDequantH263IntraFast(block, qp);
  }
  Mp4DecInverseDctKnown(block, dcOnly);
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
