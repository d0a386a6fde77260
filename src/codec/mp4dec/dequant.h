// The decoder's own inverse quantisation (64-coefficient blocks in raster order). Results are
// computed in 32 bits and stored as their low 16 bits: these rules wrap rather than saturate, as
// the decoder's arithmetic is defined (only the H.263 inter primitive of src/prim clamps).
//
// Intra blocks are dequantised after prediction as a whole block; inter blocks event by event,
// as the inter block decoder places each coefficient. The quantiser is in 1..31 (the macroblock
// layer keeps it there) and the weights are those of the decoder's tables.
#pragma once

#include <cstdint>

#include "prim/quant_rule.h"

// H.263 type, intra blocks. start != 0: every non-zero coefficient at start..63 becomes
// 2 QP |c| + k with the sign of c (k = QP for odd QP, QP - 1 for even; low 16 bits kept).
// start == 0: the whole block goes through primQuantInvInter_Compact_H263_16s_I(block, 64, QP),
// whose status is not looked at. The scalar reference of Mp4DecDequantH263IntraFast.
void Mp4DecDequantH263(std::int16_t* block, std::int32_t start, std::int32_t QP);

// The same as Mp4DecDequantH263 with start 1, eight coefficients at a time: what the intra
// block decoder runs.
void Mp4DecDequantH263IntraFast(std::int16_t* block, std::int32_t qp);

// Dequantisation and inverse DCT of an H.263 intra block, the same samples as
// Mp4DecDequantH263IntraFast followed by Mp4DecInverseDct. Every non-zero coefficient stays
// non-zero (2 QP |c| + k is odd), so a block with no AC coefficient before dequantisation has
// none after: it skips the dequantisation and takes the DC-only transform.
void Mp4DecReconstructIntraH263(std::int16_t* block, std::int32_t qp);

// MPEG type, intra blocks: each non-zero coefficient at 1..63 becomes
// (2 * c * QP * weightIntra[i]) / 16, truncated toward zero (low 16 bits kept). No mismatch
// control and no saturation.
void Mp4DecDequantMpeg(std::int16_t* block, std::int32_t QP, const std::uint32_t* weightIntra);

// Inter events, one level at a time (the inter block decoder places the result).
// H.263 type: 2*QP*level + k for level > 0, 2*QP*level - k otherwise (low 16 bits kept).
constexpr std::int16_t Mp4DecDequantInterH263(std::int32_t level, std::int32_t QP) {
  // Unsigned 32-bit arithmetic wraps; its low 16 bits are those of the exact value.
  const auto k = static_cast<std::uint32_t>(prim_quant::OddRounding(QP));
  const std::uint32_t product =
      2u * static_cast<std::uint32_t>(QP) * static_cast<std::uint32_t>(level);
  return static_cast<std::int16_t>(level > 0 ? product + k : product - k);
}

// MPEG type: ((2*|level| + 1) * QP * weight) >> 4, negated for level < 0. The value before it
// is cut to 16 bits (the exclusive-or of these feeds the mismatch control); then the low 16 bits.
// The product is formed in unsigned 32 bits: the bits the shift brings down are exact.
constexpr std::int32_t Mp4DecDequantInterMpegValue(std::int32_t level, std::int32_t QP,
                                                   std::uint32_t weight) {
  const auto raw = static_cast<std::uint32_t>(level);
  const std::uint32_t m = level < 0 ? 0u - raw : raw;
  const std::uint32_t v = ((2 * m + 1) * static_cast<std::uint32_t>(QP) * weight) >> 4;
  return static_cast<std::int32_t>(level < 0 ? 0u - v : v);
}
constexpr std::int16_t Mp4DecDequantInterMpeg(std::int32_t level, std::int32_t QP,
                                              std::uint32_t weight) {
  return static_cast<std::int16_t>(Mp4DecDequantInterMpegValue(level, QP, weight));
}

// MPEG-type mismatch control of an inter block: xorOfWritten is the exclusive-or of every
// coefficient written; when its lowest bit is 0, bit 0 of coefficient 63 is inverted. True when
// it was.
inline bool Mp4DecMismatchControl(std::int16_t* block, std::int32_t xorOfWritten) {
  if (block == nullptr || (xorOfWritten & 1) != 0) {
    return false;
  }
  block[63] = static_cast<std::int16_t>(block[63] ^ 1);
  return true;
}
