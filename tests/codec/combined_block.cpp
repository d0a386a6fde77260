#include "combined_block.h"

#include "codec/mp4dec/block_idct.h"
#include "codec/mp4dec/dequant.h"
#include "codec/mp4dec/inter.h"
#include "codec/mp4dec/macroblock.h"
#include "codec/mp4dec/texture.h"

bool Mp4DecDecodeBlock(Mp4DecInstance& inst, int b, bool coded) {
  const Mp4DecContext& ctx = ContextOf(inst);
  const int type = ctx.mb.mb_type;
  if (type == kMbIntra || type == kMbIntraQ) {
    return Mp4DecDecodeIntraBlock(inst, b, coded);
  }
  const Mp4DecTables& tables = TablesOf(inst);
  Mp4BitReader& reader = ReaderOf(inst);
  std::int16_t* block = reader.block.data();
  Mp4DecClearBlock(block);
  if (coded) {
    const std::uint8_t* scan = ctx.vop.alternate_vertical_scan_flag != 0
                                   ? tables.alternateVertical.data()
                                   : tables.zigzag.data();
    const int qp = ctx.vop.quantiser;
    int position = 0;
    if (ctx.vol.quant_type != 0) {
      int parity = 0;
      if (Mp4DecReadInterCoefficients(reader, scan, position, [&](int p, std::int32_t level) {
            const std::int32_t value = Mp4DecDequantInterMpegValue(
                level, qp, tables.nonIntraMatrix[static_cast<std::size_t>(p)]);
            parity ^= value;
            block[p] = static_cast<std::int16_t>(value);
          }) != Mp4DecFault::kNone) {
        return false;
      }
      Mp4DecMismatchControl(block, parity);
    } else {
      if (Mp4DecReadInterCoefficients(reader, scan, position, [&](int p, std::int32_t level) {
            block[p] = static_cast<std::int16_t>(level);
          }) != Mp4DecFault::kNone) {
        return false;
      }
      Mp4DecDequantH263(block, 0, qp);
    }
  }
  Mp4DecInverseDct(block);
  return true;
}
