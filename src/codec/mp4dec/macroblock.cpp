#include "codec/mp4dec/macroblock.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstring>

#include "codec/mp4dec/block_destination.h"
#include "codec/mp4dec/block_idct.h"
#include "codec/mp4dec/damage.h"
#include "codec/mp4dec/dequant.h"
#include "codec/mp4dec/inter.h"
#include "codec/mp4dec/motion.h"
#include "codec/mp4dec/texture.h"
#include "codec/mp4dec/vlc.h"

namespace {

constexpr int kDquantSteps[4] = {-1, -2, 1, 2};

// A resync marker (16 zeros and a one for intra VOPs, 15 + vop_fcode_forward zeros and a one
// for P-VOPs) after the stuffing: a video packet starts, which this decoder does not decode.
// `stuffing` is the reader's StuffingBits.
bool ResyncMarkerFollows(const Mp4DecContext& ctx, const Mp4BitReader& reader,
                         std::size_t stuffing) {
  if (ctx.vol.resync_marker_disable != 0) {
    return false;
  }
  const int bits = ctx.vop.vop_coding_type == kVopI ? 17 : 16 + ctx.vop.vop_fcode_forward;
  return reader.PeekAfter(stuffing, bits) == 1;
}

// Header of one macroblock. Returns the type (7 for stuffing, -1 not coded) or -2 for a
// damaged one (recorded).
constexpr int kDamaged = -2;

int ReadMacroblockHeader(Mp4DecContext& ctx, Mp4BitReader& reader) {
  Mp4DecMbFields& mb = ctx.mb;
  mb.dct_type = 0;
  mb.field_prediction = 0;
  mb.not_coded = 0;
  if (ctx.vop.vop_coding_type != kVopI) {
    mb.not_coded = static_cast<std::int32_t>(reader.GetBit());
    if (mb.not_coded != 0) {
      return kMbSkipped;
    }
  }
  const int mcbpc = Mp4DecReadMcbpc(ctx, reader);
  if (mcbpc < 0) {
    Mp4DecDamaged(ctx, reader, Mp4DecLayer::kMacroblock, Mp4DecFault::kInvalidCode);
    return kDamaged;
  }
  mb.mcbpc = mcbpc;
  mb.mb_type = mcbpc & 7;
  mb.cbpc = (mcbpc >> 4) & 3;
  if (mb.mb_type == kMbStuffing) {
    return kMbStuffing;
  }
  const bool intra = IsIntra(mb.mb_type);
  if (!intra && (ctx.vop.vop_coding_type == kVopI || mb.mb_type > kMbInter4v)) {
    Mp4DecDamaged(ctx, reader, Mp4DecLayer::kMacroblock, Mp4DecFault::kInvalidCode);
    return kDamaged;
  }
  mb.ac_pred_flag = intra ? static_cast<std::int32_t>(reader.GetBit()) : 0;
  const int cbpy = Mp4DecReadCbpy(ctx, reader);
  if (cbpy < 0) {
    Mp4DecDamaged(ctx, reader, Mp4DecLayer::kMacroblock, Mp4DecFault::kInvalidCode);
    return kDamaged;
  }
  mb.cbpy = cbpy;
  mb.cbp = (cbpy << 2) | mb.cbpc;
  if (mb.mb_type == kMbIntraQ || mb.mb_type == kMbInterQ) {
    mb.dquant = static_cast<std::int32_t>(reader.Read(2));
    ctx.vop.quantiser = std::clamp(ctx.vop.quantiser + kDquantSteps[mb.dquant], 1, 31);
  }
  if (ctx.vol.interlaced != 0) {
    if (intra || mb.cbp != 0) {
      mb.dct_type = static_cast<std::int32_t>(reader.GetBit());
    }
    if (!intra && mb.mb_type != kMbInter4v) {
      mb.field_prediction = static_cast<std::int32_t>(reader.GetBit());
      if (mb.field_prediction != 0) {
        mb.forward_top_field_reference = static_cast<std::int32_t>(reader.GetBit());
        mb.forward_bottom_field_reference = static_cast<std::int32_t>(reader.GetBit());
      }
    }
  }
  return mb.mb_type;
}

void SetBlockVectors(Mp4DecContext& ctx, int x, int y) {
  for (int slot = 0; slot < 4; ++slot) {
    ctx.mvX[slot][ctx.mb.y + 1][ctx.mb.x + 1] = x;
    ctx.mvY[slot][ctx.mb.y + 1][ctx.mb.x + 1] = y;
  }
}

// Vectors, prediction and residual of an inter macroblock of `type`. A failure is recorded
// by the layer that saw it.
bool DecodeInterMacroblock(Mp4DecInstance& inst, int type) {
  Mp4DecContext& ctx = ContextOf(inst);
  Mp4BitReader& reader = ReaderOf(inst);
  Mp4DecMbFields& mb = ctx.mb;
  if (type == kMbInter4v) {
    for (int b = 0; b < 4; ++b) {
      if (!Mp4DecDecodeMotionVector(ctx, reader, b)) {
        return Mp4DecDamaged(ctx, reader, Mp4DecLayer::kMotionVector, Mp4DecFault::kInvalidCode, b);
      }
    }
  } else {
    if (!Mp4DecDecodeMotionVector(ctx, reader, -1) ||
        (mb.field_prediction != 0 && !Mp4DecDecodeMotionVector(ctx, reader, -2))) {
      return Mp4DecDamaged(ctx, reader, Mp4DecLayer::kMotionVector, Mp4DecFault::kInvalidCode);
    }
  }
  if (reader.Exhausted()) {
    return Mp4DecDamaged(ctx, reader, Mp4DecLayer::kMotionVector, Mp4DecFault::kInputEnded);
  }
  Mp4DecMotionCompMacroblock(inst, mb.x, mb.y, type);
  for (int b = 0; b < 6; ++b) {
    if (((mb.cbp >> (5 - b)) & 1) != 0) {
      if (!Mp4DecDecodeInterBlock(inst, b)) {
        return false;
      }
      Mp4DecAddInterBlock(inst, b, mb.x, mb.y);
    }
  }
  return true;
}

bool DecodeIntraMacroblock(Mp4DecInstance& inst) {
  Mp4DecContext& ctx = ContextOf(inst);
  Mp4DecMbFields& mb = ctx.mb;
  if (ctx.vop.vop_coding_type != kVopI) {
    SetBlockVectors(ctx, 0, 0);
  }
  for (int b = 0; b < 6; ++b) {
    const bool coded = ((mb.cbp >> (5 - b)) & 1) != 0;
    if (!Mp4DecDecodeIntraBlock(inst, b, coded)) {
      return false;
    }
    Mp4DecStoreIntraBlock(inst, b, mb.x, mb.y);
  }
  return true;
}

// Decodes the macroblock whose header gave `type` at the current position.
bool DecodeMacroblockBody(Mp4DecInstance& inst, int type) {
  Mp4DecContext& ctx = ContextOf(inst);
  Mp4DecMbFields& mb = ctx.mb;
  ctx.mbTypeMap[mb.y + 1][mb.x + 1] = type;
  ctx.fieldMap[mb.y + 1][mb.x + 1] = mb.field_prediction;
  if (type == kMbSkipped) {
    SetBlockVectors(ctx, 0, 0);
    Mp4DecMotionCompSkipped(inst, mb.x, mb.y);
    return true;
  }
  return IsIntra(type) ? DecodeIntraMacroblock(inst) : DecodeInterMacroblock(inst, type);
}

void AdvancePosition(Mp4DecContext& ctx) {
  Mp4DecMbFields& mb = ctx.mb;
  ctx.quantMap[mb.y + 1][mb.x + 1] = ctx.vop.quantiser;
  if (++mb.x >= mb.mbColumns) {
    mb.x = 0;
    ++mb.y;
  }
}

}  // namespace

int Mp4DecReadMcbpc(Mp4DecContext& ctx, Mp4BitReader& reader) {
  const Mp4DecMcbpcTable& table =
      ctx.vop.vop_coding_type == kVopI ? Mp4DecMcbpcIntraTable() : Mp4DecMcbpcInterTable();
  const Mp4DecMcbpcEntry& entry = table.Read(reader);
  if (entry.length == 0) {
    return -1;
  }
  if (entry.mb_type == kCodeStuffing) {
    return kMbStuffing;
  }
  return entry.mb_type | (entry.cbpc << 4);
}

int Mp4DecReadCbpy(Mp4DecContext& ctx, Mp4BitReader& reader) {
  const Mp4DecValueEntry& entry = Mp4DecCbpyTable().Read(reader);
  if (entry.length == 0) {
    return -1;
  }
  return IsIntra(ctx.mb.mb_type) ? entry.value : 15 - entry.value;
}

bool Mp4DecDecodeIntraBlock(Mp4DecInstance& inst, int b, bool coded) {
  Mp4DecContext& ctx = ContextOf(inst);
  const Mp4DecTables& tables = TablesOf(inst);
  Mp4BitReader& reader = ReaderOf(inst);
  std::int16_t* block = reader.block.data();

  Mp4DecClearBlock(block);
  ctx.mb.dcScaler = Mp4DecDcScaler(ctx.vop.quantiser, b);
  const int size = Mp4DecReadDcSize(reader, b);
  if (size < 0) {
    return Mp4DecDamaged(ctx, reader, Mp4DecLayer::kBlock, Mp4DecFault::kInvalidCode, b);
  }
  block[0] = static_cast<std::int16_t>(Mp4DecReadDcDifferential(reader, size));
  Mp4DecPredictDc(ctx, b, block);

  if (coded) {
    const std::uint8_t* scan = tables.zigzag.data();
    if (ctx.vop.alternate_vertical_scan_flag != 0) {
      scan = tables.alternateVertical.data();
    } else if (ctx.mb.ac_pred_flag != 0) {
      scan = ctx.predictionDirection == 1 ? tables.alternateHorizontal.data()
                                          : tables.alternateVertical.data();
    }
    const Mp4DecTcoefTable& table = Mp4DecIntraTcoefTable();
    int position = 1;
    for (;;) {
      const Mp4DecCoeffEvent event = Mp4DecReadCoeffEvent<true>(reader, table);
      if (event.run < 0) {
        return Mp4DecDamaged(ctx, reader, Mp4DecLayer::kBlock, Mp4DecFault::kInvalidCode, b);
      }
      position += event.run;
      if (position > 63) {
        return Mp4DecDamaged(ctx, reader, Mp4DecLayer::kBlock, Mp4DecFault::kRunPastBlock, b);
      }
      block[scan[position]] = static_cast<std::int16_t>(event.level);
      ++position;
      if (event.last != 0) {
        break;
      }
      if (reader.Exhausted()) {
        return Mp4DecDamaged(ctx, reader, Mp4DecLayer::kBlock, Mp4DecFault::kInputEnded, b);
      }
    }
  }

  ctx.mb.scaledAc = Mp4DecAddScaledAcPrediction(ctx, b, block);
  if (ctx.mb.scaledAc == 0) {
    Mp4DecAddAcPrediction(ctx, b, block);
  }
  Mp4DecStoreAcPredictors(ctx, b, block);
  if (ctx.vol.quant_type != 0) {
    Mp4DecDequantMpeg(block, ctx.vop.quantiser, tables.intraMatrix.data());
    Mp4DecInverseDct(block);
  } else if (!coded && ctx.mb.ac_pred_flag == 0) {
    Mp4DecInverseDctKnown(block, true);  // the DC alone: nothing to dequantise or look for
  } else {
    Mp4DecReconstructIntraH263(block, ctx.vop.quantiser);
  }
  return true;
}

void Mp4DecPutBlockClamp(const std::int16_t* block, std::uint8_t* destination,
                         std::ptrdiff_t stride) {
  // Packing with unsigned saturation is the clamp to 0..255.
  for (int row = 0; row < 8; ++row) {
    const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 8 * row));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(destination + row * stride),
                     _mm_packus_epi16(in, in));
  }
}

void Mp4DecStoreIntraBlock(Mp4DecInstance& inst, int b, int x, int y) {
  const Mp4DecBlockDestination d =
      Mp4DecBlockDestinationOf(inst, b, x, y, ContextOf(inst).mb.dct_type != 0);
  Mp4DecPutBlockClamp(ReaderOf(inst).block.data(), d.origin, d.stride);
}

bool Mp4DecDecodeMacroblocks(Mp4DecInstance& inst) {
  Mp4DecContext& ctx = ContextOf(inst);
  Mp4BitReader& reader = ReaderOf(inst);
  Mp4DecMbFields& mb = ctx.mb;
  mb.index = 0;
  mb.x = 0;
  mb.y = 0;
  while (mb.index < mb.mbCount) {
    const int type = ReadMacroblockHeader(ctx, reader);
    if (type == kDamaged) {
      return false;
    }
    if (reader.Exhausted()) {
      return Mp4DecDamaged(ctx, reader, Mp4DecLayer::kMacroblock, Mp4DecFault::kInputEnded);
    }
    if (type == kMbStuffing) {
      continue;  // stuffing is not a macroblock
    }
    if (!DecodeMacroblockBody(inst, type)) {
      return false;
    }
    if (reader.Exhausted()) {
      return Mp4DecDamaged(ctx, reader, Mp4DecLayer::kMacroblock, Mp4DecFault::kInputEnded);
    }
    AdvancePosition(ctx);
    ++mb.index;
    if (mb.index < mb.mbCount) {
      // A start code or a video packet where the next macroblock should stand.
      const std::size_t stuffing = reader.StuffingBits();
      if (reader.PeekAfter(stuffing, 23) == 0) {
        return Mp4DecDamaged(ctx, reader, Mp4DecLayer::kMacroblock, Mp4DecFault::kStartCode);
      }
      if (ResyncMarkerFollows(ctx, reader, stuffing)) {
        return Mp4DecDamaged(ctx, reader, Mp4DecLayer::kMacroblock, Mp4DecFault::kVideoPacket);
      }
    }
  }
  return true;
}
