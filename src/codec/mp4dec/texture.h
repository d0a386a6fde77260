// Texture layer: coefficient events of the intra and inter TCOEF codes with their three
// escape modes, the intra DC size codes, and intra DC/AC prediction.
#pragma once

#include <emmintrin.h>

#include <cstdint>
#include <cstring>

#include "codec/mp4dec/bit_reader.h"
#include "codec/mp4dec/context.h"
#include "codec/mp4dec/vlc.h"

struct Mp4DecCoeffEvent {
  std::int32_t last;
  std::int32_t run;
  std::int32_t level;
};
inline constexpr Mp4DecCoeffEvent kInvalidCoeffEvent{-1, -1, -1};

// The table entry of the TCOEF code that starts `window` (the next 32 bits, MSB first): the
// frequent short codes from the small table, the rest from the full one.
inline const Mp4DecTcoefEntry& Mp4DecLookupTcoef(const Mp4DecTcoefTable& table,
                                                 std::uint32_t window) {
  const Mp4DecTcoefEntry& entry = table.LookupShort(window >> (32 - Mp4DecTcoefTable::kShortBits));
  return entry.length != 0 ? entry : table.Lookup(window >> (32 - table.Bits()));
}

// The escaped event that starts `window` (the escape code of `escapeLength` bits first): the
// second half of Mp4DecReadCoeffEvent, all three escape modes decoded from that one look (the
// longest, 7 + 2 + 21 bits, fits it). An escape followed by no valid code gives
// kInvalidCoeffEvent with the escape and mode bits consumed.
Mp4DecCoeffEvent Mp4DecReadEscapedEvent(Mp4BitReader& reader, const Mp4DecTcoefTable& table,
                                        std::uint32_t window, int escapeLength, bool intra);

// The coefficient event reader: one event of the intra (kIntra) or inter TCOEF code through
// `table` (Mp4DecIntraTcoefTable or Mp4DecInterTcoefTable), escapes and sign included, from a
// single 32-bit look at the input. A window that starts no code gives kInvalidCoeffEvent and
// consumes nothing.
template <bool kIntra>
inline Mp4DecCoeffEvent Mp4DecReadCoeffEvent(Mp4BitReader& reader, const Mp4DecTcoefTable& table) {
  const std::uint32_t window = reader.Peek(32);
  const Mp4DecTcoefEntry& entry = Mp4DecLookupTcoef(table, window);
  if (entry.length == 0) {
    return kInvalidCoeffEvent;
  }
  if (entry.last == kCodeEscape) {
    return Mp4DecReadEscapedEvent(reader, table, window, entry.length, kIntra);
  }
  const bool negative = ((window >> (31 - entry.length)) & 1) != 0;
  reader.Skip(static_cast<std::size_t>(entry.length) + 1);
  return {entry.last, entry.run, negative ? -entry.level : entry.level};
}

// One event of the intra or the inter code (the reader above with its table).
Mp4DecCoeffEvent Mp4DecDecodeIntraCoeffs(Mp4BitReader& reader);
Mp4DecCoeffEvent Mp4DecDecodeInterCoeffs(Mp4BitReader& reader);
Mp4DecCoeffEvent Mp4DecDecodeCoeffEvent(Mp4BitReader& reader, bool intra);

// dct_dc_size for a luma (block < 4) or chroma block; -1 for an invalid code.
int Mp4DecReadDcSize(Mp4BitReader& reader, int block);
// The DC differential of `size` bits (marker after sizes above 8).
std::int32_t Mp4DecReadDcDifferential(Mp4BitReader& reader, int size);
// dc_scaler for a quantiser in 1..31.
std::int32_t Mp4DecDcScaler(std::int32_t qp, int block);

// Eight 16-byte stores in place of a library call.
inline void Mp4DecClearBlock(std::int16_t* block) {
  const __m128i zero = _mm_setzero_si128();
#pragma GCC unroll 8
  for (int i = 0; i < 64; i += 8) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(block + i), zero);
  }
}

// Block b (0..3 luma, 4 Cb, 5 Cr) of the current macroblock. block[0] holds the DC
// differential on entry and the dequantised DC on return; sets the prediction direction. In a
// P-VOP, block 0 first resets the stores of the neighbours that are not intra
// (Mp4DecResetNonIntraPredictors): the blocks of a macroblock come in order from 0.
void Mp4DecPredictDc(Mp4DecContext& ctx, int b, std::int16_t* block);
void Mp4DecResetNonIntraPredictors(Mp4DecContext& ctx);
// 1 when it predicted with scaling, 0 when the plain path must run.
int Mp4DecAddScaledAcPrediction(Mp4DecContext& ctx, int b, std::int16_t* block);
void Mp4DecAddAcPrediction(Mp4DecContext& ctx, int b, std::int16_t* block);
void Mp4DecStoreAcPredictors(Mp4DecContext& ctx, int b, const std::int16_t* block);
