#include "codec/mp4dec/inter.h"

#include <emmintrin.h>

#include <algorithm>

#include "codec/mp4dec/block_destination.h"
#include "codec/mp4dec/block_idct.h"
#include "codec/mp4dec/damage.h"
#include "codec/mp4dec/dequant.h"
#include "codec/mp4dec/texture.h"
#include "codec/mp4dec/vlc.h"

namespace {

int Median(int a, int b, int c) {
  return std::max(std::min(a, b), std::min(std::max(a, b), c));
}

// Component of the vector in `slot` of the macroblock at map entry (row, col); a field-predicted
// macroblock stands for the average of its two field vectors.
int Candidate(const Mp4DecContext& ctx, int row, int col, int slot, int component) {
  const auto& map = component == 0 ? ctx.mvX : ctx.mvY;
  if (ctx.fieldMap[row][col] != 0) {
    return Mp4DecRoundAverage(map[0][row][col], map[2][row][col]);
  }
  return map[slot][row][col];
}

// One MVD code: -32..32, or a value outside that range for an invalid code.
constexpr int kInvalidMvd = 1000;

int ReadMvd(Mp4BitReader& reader) {
  const Mp4DecValueEntry& entry = Mp4DecMvdTable().Read(reader);
  if (entry.length == 0) {
    return kInvalidMvd;
  }
  if (entry.value == 0) {
    return 0;
  }
  return reader.GetBit() != 0 ? -entry.value : entry.value;
}

}  // namespace

int Mp4DecPredictMotionVector(const Mp4DecContext& ctx, int block, int component) {
  const int row = ctx.mb.y + 1;
  const int col = ctx.mb.x + 1;
  if (ctx.mb.y == 0 && block < 2) {
    if (block == 1) {
      return Candidate(ctx, row, col, 0, component);
    }
    return ctx.mb.x == 0 ? 0 : Candidate(ctx, row, col - 1, 1, component);
  }
  switch (block) {
    case 0:
      return Median(Candidate(ctx, row, col - 1, 1, component),
                    Candidate(ctx, row - 1, col, 2, component),
                    Candidate(ctx, row - 1, col + 1, 2, component));
    case 1:
      return Median(Candidate(ctx, row, col, 0, component),
                    Candidate(ctx, row - 1, col, 3, component),
                    Candidate(ctx, row - 1, col + 1, 2, component));
    case 2:
      return Median(Candidate(ctx, row, col - 1, 3, component),
                    Candidate(ctx, row, col, 0, component), Candidate(ctx, row, col, 1, component));
    default:
      return Median(Candidate(ctx, row, col, 2, component), Candidate(ctx, row, col, 0, component),
                    Candidate(ctx, row, col, 1, component));
  }
}

bool Mp4DecDecodeMotionVector(Mp4DecContext& ctx, Mp4BitReader& reader, int block) {
  const int r = ctx.vop.vop_fcode_forward - 1;
  const int f = 1 << r;
  const bool field = ctx.mb.field_prediction != 0;
  int value[2] = {0, 0};
  for (int component = 0; component < 2; ++component) {
    const int code = ReadMvd(reader);
    if (code == kInvalidMvd) {
      return false;
    }
    int difference = code;
    if (f != 1 && code != 0) {
      const int residual = static_cast<int>(reader.Read(r));
      const int magnitude = ((code < 0 ? -code : code) - 1) * f + residual + 1;
      difference = code < 0 ? -magnitude : magnitude;
    }
    int predictor = Mp4DecPredictMotionVector(ctx, block < 0 ? 0 : block, component);
    if (field && component == 1) {
      predictor /= 2;
    }
    int v = predictor + difference;
    if (v < -32 * f) {
      v += 64 * f;
    } else if (v > 32 * f - 1) {
      v -= 64 * f;
    }
    value[component] = field && component == 1 ? 2 * v : v;
  }
  const int row = ctx.mb.y + 1;
  const int col = ctx.mb.x + 1;
  const int first = block == -1 ? 0 : (block == -2 ? 2 : block);
  const int last = block < 0 ? 3 : block;
  for (int slot = first; slot <= last; ++slot) {
    ctx.mvX[slot][row][col] = value[0];
    ctx.mvY[slot][row][col] = value[1];
  }
  return true;
}

bool Mp4DecDecodeInterBlock(Mp4DecInstance& inst, int b) {
  Mp4DecContext& ctx = ContextOf(inst);
  const Mp4DecTables& tables = TablesOf(inst);
  Mp4BitReader& reader = ReaderOf(inst);
  std::int16_t* block = reader.block.data();
  Mp4DecClearBlock(block);
  const std::uint8_t* scan = ctx.vop.alternate_vertical_scan_flag != 0
                                 ? tables.alternateVertical.data()
                                 : tables.zigzag.data();
  const int qp = ctx.vop.quantiser;
  const bool mpeg = ctx.vol.quant_type != 0;
  int parity = 0;
  int position = 0;
  const Mp4DecFault fault =
      mpeg ? Mp4DecReadInterCoefficients(reader, scan, position,
                                         [&](int p, std::int32_t level) {
                                           const std::int32_t value = Mp4DecDequantInterMpegValue(
                                               level, qp,
                                               tables.nonIntraMatrix[static_cast<std::size_t>(p)]);
                                           parity ^= value;
                                           block[p] = static_cast<std::int16_t>(value);
                                         })
           : Mp4DecReadInterCoefficients(reader, scan, position, [&](int p, std::int32_t level) {
               block[p] = Mp4DecDequantInterH263(level, qp);
             });
  if (fault != Mp4DecFault::kNone) {
    return Mp4DecDamaged(ctx, reader, Mp4DecLayer::kBlock, fault, b);
  }
  const bool flipped = mpeg && Mp4DecMismatchControl(block, parity);
  // One event at scan position 0 (raster 0 in every scan), unless the mismatch control wrote
  // coefficient 63.
  Mp4DecInverseDctKnown(block, position == 1 && !flipped);
  return true;
}

void Mp4DecAddBlockClamp(const std::int16_t* block, std::uint8_t* destination,
                         std::ptrdiff_t stride) {
  const __m128i zero = _mm_setzero_si128();
  for (int row = 0; row < 8; ++row) {
    std::uint8_t* out = destination + row * stride;
    const __m128i pixels =
        _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(out)), zero);
    const __m128i residual = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 8 * row));
    const __m128i sum = _mm_adds_epi16(pixels, residual);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(sum, sum));
  }
}

void Mp4DecAddInterBlock(Mp4DecInstance& inst, int b, int x, int y) {
  const Mp4DecBlockDestination d =
      Mp4DecBlockDestinationOf(inst, b, x, y, ContextOf(inst).mb.dct_type != 0);
  Mp4DecAddBlockClamp(ReaderOf(inst).block.data(), d.origin, d.stride);
}
