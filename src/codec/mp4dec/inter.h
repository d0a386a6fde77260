// Inter side of the macroblock layer: motion vectors with their median prediction, inter
// blocks with their inline dequantisation, and the saturating add of a residual into the frame.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/mp4dec/context.h"
#include "codec/mp4dec/texture.h"

// (a + b) >> 1 (arithmetic) OR ((a + b) AND 1): the average of a field macroblock's two vectors.
constexpr int Mp4DecRoundAverage(int a, int b) {
  return ((a + b) >> 1) | ((a + b) & 1);
}

// The predictor of one component (0 x, 1 y) for block 0..3 of the current macroblock.
int Mp4DecPredictMotionVector(const Mp4DecContext& ctx, int block, int component);

// Reads one vector into the slots: block -1 the 16x16 (or top-field) vector, -2 the
// bottom-field vector, 0..3 one 8x8 vector. False on an invalid MVD code.
bool Mp4DecDecodeMotionVector(Mp4DecContext& ctx, Mp4BitReader& reader, int block);

// The coefficient loop of an inter block: events of the inter code, placed from scan position 0
// through place(raster index, level), up to the event marked last. Returns kNone when the
// block was read to its last event, else what was wrong: an invalid code, a run past the end of
// the block, input that ran out. `position` ends one past the last event.
template <typename Place>
inline Mp4DecFault Mp4DecReadInterCoefficients(Mp4BitReader& reader, const std::uint8_t* scan,
                                               int& position, Place&& place) {
  const Mp4DecTcoefTable& table = Mp4DecInterTcoefTable();
  position = 0;
  for (;;) {
    const Mp4DecCoeffEvent event = Mp4DecReadCoeffEvent<false>(reader, table);
    if (event.run < 0) {
      return Mp4DecFault::kInvalidCode;
    }
    position += event.run;
    if (position > 63) {
      return Mp4DecFault::kRunPastBlock;
    }
    place(scan[position], event.level);
    ++position;
    if (event.last != 0) {
      return Mp4DecFault::kNone;
    }
    if (reader.Exhausted()) {
      return Mp4DecFault::kInputEnded;
    }
  }
}

// Fills the coefficient block of inter block b, dequantised, and runs the inverse DCT. False
// on an invalid code or a run past the end of the block, recorded in the context's damage.
bool Mp4DecDecodeInterBlock(Mp4DecInstance& inst, int b);

// Adds the coefficient block to block b of the macroblock at (x, y) of the decode frame, each
// sum saturated to 0..255 (field layout for luma when dct_type is 1).
void Mp4DecAddInterBlock(Mp4DecInstance& inst, int b, int x, int y);
void Mp4DecAddBlockClamp(const std::int16_t* block, std::uint8_t* destination,
                         std::ptrdiff_t stride);
