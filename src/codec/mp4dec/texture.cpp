#include "codec/mp4dec/texture.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstdlib>

#include "codec/mp4dec/vlc.h"

namespace {

// Luma block store position of block b of the current macroblock.
struct LumaPos {
  int row;
  int col;
};
LumaPos LumaBlockPos(const Mp4DecContext& ctx, int b) {
  return {2 * ctx.mb.y + (b >> 1) + 1, 2 * ctx.mb.x + (b & 1) + 1};
}

std::int32_t RoundedDiv(std::int32_t value, std::int32_t divisor) {
  const std::int32_t half = divisor >> 1;
  return value > 0 ? (value + half) / divisor : (value - half) / divisor;
}

}  // namespace

Mp4DecCoeffEvent Mp4DecDecodeIntraCoeffs(Mp4BitReader& reader) {
  return Mp4DecReadCoeffEvent<true>(reader, Mp4DecIntraTcoefTable());
}

Mp4DecCoeffEvent Mp4DecDecodeInterCoeffs(Mp4BitReader& reader) {
  return Mp4DecReadCoeffEvent<false>(reader, Mp4DecInterTcoefTable());
}

Mp4DecCoeffEvent Mp4DecDecodeCoeffEvent(Mp4BitReader& reader, bool intra) {
  return intra ? Mp4DecDecodeIntraCoeffs(reader) : Mp4DecDecodeInterCoeffs(reader);
}

Mp4DecCoeffEvent Mp4DecReadEscapedEvent(Mp4BitReader& reader, const Mp4DecTcoefTable& table,
                                        std::uint32_t window, int escapeLength, bool intra) {
  const std::uint32_t rest = window << escapeLength;
  if ((rest >> 31) == 0) {  // 0: level offset
    const std::uint32_t code = rest << 1;
    const Mp4DecTcoefEntry& entry = Mp4DecLookupTcoef(table, code);
    if (entry.length == 0 || entry.last == kCodeEscape) {
      reader.Skip(static_cast<std::size_t>(escapeLength + 1));
      return kInvalidCoeffEvent;
    }
    const std::int32_t magnitude = entry.level + (intra ? Mp4DecIntraLmax(entry.last, entry.run)
                                                        : Mp4DecInterLmax(entry.last, entry.run));
    const bool negative = ((code >> (31 - entry.length)) & 1) != 0;
    reader.Skip(static_cast<std::size_t>(escapeLength + 1 + entry.length + 1));
    return {entry.last, entry.run, negative ? -magnitude : magnitude};
  }
  const std::uint32_t code = rest << 2;
  if ((rest >> 30) == 2) {  // 10: run offset
    const Mp4DecTcoefEntry& entry = Mp4DecLookupTcoef(table, code);
    if (entry.length == 0 || entry.last == kCodeEscape) {
      reader.Skip(static_cast<std::size_t>(escapeLength + 2));
      return kInvalidCoeffEvent;
    }
    const std::int32_t run = entry.run +
                             (intra ? Mp4DecIntraRmax(entry.last, entry.level)
                                    : Mp4DecInterRmax(entry.last, entry.level)) +
                             1;
    const bool negative = ((code >> (31 - entry.length)) & 1) != 0;
    reader.Skip(static_cast<std::size_t>(escapeLength + 2 + entry.length + 1));
    return {entry.last, run, negative ? -entry.level : entry.level};
  }
  // 11: fixed length, last (1), run (6), marker, level (12), marker; markers not tested, a level
  // of 0 or -2048 used as it is.
  const auto last = static_cast<std::int32_t>(code >> 31);
  const auto run = static_cast<std::int32_t>((code >> 25) & 63);
  const auto raw = static_cast<std::int32_t>((code >> 12) & 0xFFF);
  reader.Skip(static_cast<std::size_t>(escapeLength + 2 + 21));
  return {last, run, (raw & 0x800) != 0 ? raw - 4096 : raw};
}

int Mp4DecReadDcSize(Mp4BitReader& reader, int block) {
  const Mp4DecValueEntry& entry =
      (block < 4 ? Mp4DecDcSizeLumaTable() : Mp4DecDcSizeChromaTable()).Read(reader);
  return entry.length == 0 ? -1 : entry.value;
}

std::int32_t Mp4DecReadDcDifferential(Mp4BitReader& reader, int size) {
  if (size <= 0) {
    return 0;
  }
  auto value = static_cast<std::int32_t>(reader.Read(size));
  if ((value >> (size - 1)) == 0) {
    value = -(value ^ ((1 << size) - 1));
  }
  if (size > 8) {
    reader.Skip(1);  // marker
  }
  return value;
}

std::int32_t Mp4DecDcScaler(std::int32_t qp, int block) {
  if (block < 4) {
    if (qp <= 4) {
      return 8;
    }
    if (qp <= 8) {
      return 2 * qp;
    }
    if (qp <= 24) {
      return qp + 8;
    }
    return 2 * qp - 16;
  }
  if (qp <= 4) {
    return 8;
  }
  if (qp <= 24) {
    return (qp + 13) / 2;
  }
  return qp - 6;
}

void Mp4DecResetNonIntraPredictors(Mp4DecContext& ctx) {
  const int mbx = ctx.mb.x;
  const int mby = ctx.mb.y;
  auto resetChroma = [&](int row, int col, bool column, bool rowAc) {
    for (int c = 0; c < 2; ++c) {
      ctx.chromaDc[c][row][col] = 1024;
      if (column) {
        ctx.chromaAcCol[c][row][col].fill(0);
      }
      if (rowAc) {
        ctx.chromaAcRow[c][row][col].fill(0);
      }
    }
  };
  if (!IsIntra(ctx.mbTypeMap[mby][mbx])) {  // above-left
    ctx.lumaDc[2 * mby][2 * mbx] = 1024;
    resetChroma(mby, mbx, false, false);
  }
  if (!IsIntra(ctx.mbTypeMap[mby + 1][mbx])) {  // left
    for (int r = 2 * mby + 1; r <= 2 * mby + 2; ++r) {
      ctx.lumaDc[r][2 * mbx] = 1024;
      ctx.lumaAcCol[r][2 * mbx].fill(0);
    }
    resetChroma(mby + 1, mbx, true, false);
  }
  if (!IsIntra(ctx.mbTypeMap[mby][mbx + 1])) {  // above
    for (int c = 2 * mbx + 1; c <= 2 * mbx + 2; ++c) {
      ctx.lumaDc[2 * mby][c] = 1024;
      ctx.lumaAcRow[2 * mby][c].fill(0);
    }
    resetChroma(mby, mbx + 1, false, true);
  }
}

void Mp4DecPredictDc(Mp4DecContext& ctx, int b, std::int16_t* block) {
  // Once per macroblock: the resets touch only the neighbours' stores, which the macroblock's
  // own blocks (decoded 0 to 5) never write.
  if (b == 0 && ctx.vop.vop_coding_type == kVopP) {
    Mp4DecResetNonIntraPredictors(ctx);
  }
  std::int32_t a = 0;
  std::int32_t bb = 0;
  std::int32_t c = 0;
  std::int32_t* own = nullptr;
  if (b < 4) {
    const LumaPos p = LumaBlockPos(ctx, b);
    a = ctx.lumaDc[p.row][p.col - 1];
    bb = ctx.lumaDc[p.row - 1][p.col - 1];
    c = ctx.lumaDc[p.row - 1][p.col];
    own = &ctx.lumaDc[p.row][p.col];
  } else {
    auto& store = ctx.chromaDc[b - 4];
    const int row = ctx.mb.y + 1;
    const int col = ctx.mb.x + 1;
    a = store[row][col - 1];
    bb = store[row - 1][col - 1];
    c = store[row - 1][col];
    own = &store[row][col];
  }
  std::int32_t predictor = 0;
  if (std::abs(bb - a) < std::abs(bb - c)) {
    ctx.predictionDirection = 1;
    predictor = c;
  } else {
    ctx.predictionDirection = 0;
    predictor = a;
  }
  const std::int32_t scaler = ctx.mb.dcScaler;
  const std::int32_t q = RoundedDiv(predictor, scaler);
  // 16-bit arithmetic, wrapping as the decoder defines it.
  const auto sum = static_cast<std::int16_t>(static_cast<std::uint16_t>(block[0] + q));
  const auto dc = static_cast<std::int16_t>(static_cast<std::uint16_t>(sum * scaler));
  block[0] = dc;
  *own = dc;
}

namespace {

// The predictor store an AC prediction reads: the left block's column (direction 0) or the
// block above's row (direction 1).
const Mp4DecAcPredictors& PredictingAc(const Mp4DecContext& ctx, int b) {
  const bool fromLeft = ctx.predictionDirection == 0;
  if (b < 4) {
    const LumaPos p = LumaBlockPos(ctx, b);
    return fromLeft ? ctx.lumaAcCol[p.row][p.col - 1] : ctx.lumaAcRow[p.row - 1][p.col];
  }
  const int c = b - 4;
  const int row = ctx.mb.y + 1;
  const int col = ctx.mb.x + 1;
  return fromLeft ? ctx.chromaAcCol[c][row][col - 1] : ctx.chromaAcRow[c][row - 1][col];
}

void AddPredictors(const Mp4DecAcPredictors& pred, bool fromLeft, std::int16_t* block,
                   std::int32_t qpn, std::int32_t qp, bool scaled) {
  for (int k = 1; k <= 7; ++k) {
    std::int32_t add = pred[static_cast<std::size_t>(k - 1)];
    if (scaled && add != 0) {
      add = RoundedDiv(add * qpn, qp);
    }
    std::int16_t& target = block[fromLeft ? 8 * k : k];
    target = static_cast<std::int16_t>(static_cast<std::uint16_t>(target + add));
  }
}

}  // namespace

int Mp4DecAddScaledAcPrediction(Mp4DecContext& ctx, int b, std::int16_t* block) {
  if (ctx.mb.ac_pred_flag == 0 || b == 3) {
    return 0;
  }
  const int dir = ctx.predictionDirection;
  const int mbx = ctx.mb.x;
  const int mby = ctx.mb.y;
  if ((dir == 0 && (b == 1 || b == 3)) || (dir == 1 && (b == 2 || b == 3))) {
    return 0;  // the predicting block lies in this macroblock
  }
  if ((dir == 1 && mby == 0) || (mbx == 0 && (dir == 0 || mby == 0))) {
    return 0;
  }
  const std::int32_t qp = ctx.vop.quantiser;
  const std::int32_t qpn = dir == 0 ? ctx.quantMap[mby + 1][mbx] : ctx.quantMap[mby][mbx + 1];
  if (qpn == qp || qp < 1) {
    return 0;
  }
  AddPredictors(PredictingAc(ctx, b), dir == 0, block, qpn, qp, true);
  return 1;
}

void Mp4DecAddAcPrediction(Mp4DecContext& ctx, int b, std::int16_t* block) {
  if (ctx.mb.ac_pred_flag == 0) {
    return;
  }
  AddPredictors(PredictingAc(ctx, b), ctx.predictionDirection == 0, block, 0, 1, false);
}

void Mp4DecStoreAcPredictors(Mp4DecContext& ctx, int b, const std::int16_t* block) {
  Mp4DecAcPredictors* col = nullptr;
  Mp4DecAcPredictors* row = nullptr;
  if (b < 4) {
    const LumaPos p = LumaBlockPos(ctx, b);
    col = &ctx.lumaAcCol[p.row][p.col];
    row = &ctx.lumaAcRow[p.row][p.col];
  } else {
    col = &ctx.chromaAcCol[b - 4][ctx.mb.y + 1][ctx.mb.x + 1];
    row = &ctx.chromaAcRow[b - 4][ctx.mb.y + 1][ctx.mb.x + 1];
  }
  // Row: coefficients 1..7 widened with their sign, four, two and one at a time (the store
  // ends at the array's last element). Column: coefficients 8, 16, ..., 56.
  const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 1));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(row->data()),
                   _mm_srai_epi32(_mm_unpacklo_epi16(first, first), 16));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(row->data() + 4),
                   _mm_srai_epi32(_mm_unpackhi_epi16(first, first), 16));
  (*row)[6] = block[7];
#pragma GCC unroll 7
  for (int k = 1; k <= 7; ++k) {
    (*col)[static_cast<std::size_t>(k - 1)] = block[8 * k];
  }
}
