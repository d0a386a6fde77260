// Macroblock layer: the VOP loop, the macroblock header, intra blocks and the saturating block
// store; inter macroblocks go through inter.h and motion.h.
#pragma once

#include <cstdint>

#include "codec/mp4dec/context.h"

// The header codes; -1 for an invalid code. MCBPC gives the type (7 for stuffing) with cbpc
// in bits 4 and 5.
int Mp4DecReadMcbpc(Mp4DecContext& ctx, Mp4BitReader& reader);
int Mp4DecReadCbpy(Mp4DecContext& ctx, Mp4BitReader& reader);

// Decodes the macroblocks of the current I- or P-VOP into the decode frame. Returns true when
// every macroblock of the picture decoded within the input; false for a damaged VOP (invalid
// code, coefficient run past the block, a resync marker, the input ending early), with where
// it was damaged recorded in the context (Mp4DecDamaged).
bool Mp4DecDecodeMacroblocks(Mp4DecInstance& inst);

// Fills the coefficient block of intra block b (0..5) and runs prediction, dequantisation and
// the inverse DCT. False on an invalid code or a run past the end of the block (recorded).
bool Mp4DecDecodeIntraBlock(Mp4DecInstance& inst, int b, bool coded);

// Writes the coefficient block, each value saturated to 0..255, to block b of the macroblock at
// (x, y) of the decode frame (field layout for luma when dct_type is 1).
void Mp4DecStoreIntraBlock(Mp4DecInstance& inst, int b, int x, int y);
void Mp4DecPutBlockClamp(const std::int16_t* block, std::uint8_t* destination,
                         std::ptrdiff_t stride);
