// Recording where a frame was found damaged (Mp4DecDamage of mp4dec.h).
#pragma once

#include "codec/mp4dec/bit_reader.h"
#include "codec/mp4dec/context.h"

// Records the fault at the reader's position, in the current macroblock (from the macroblock
// layer down) and `block`. The first record of a frame stands: a caller above the layer that
// saw the fault passes the failure on and may call this again without changing it. Returns
// false, so that a decoder step can end with `return Mp4DecDamaged(...)`.
[[gnu::cold]] bool Mp4DecDamaged(Mp4DecContext& ctx, const Mp4BitReader& reader, Mp4DecLayer layer,
                                 Mp4DecFault fault, int block = -1);

// Clears the record for a frame whose input is about to be read.
inline void Mp4DecClearDamage(Mp4DecContext& ctx) {
  ctx.damage = Mp4DecDamage{};
}
