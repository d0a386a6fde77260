// The second block writer: block b of the macroblock at (x, y) written through the context's
// clamp table, without the field layout. The decoder writes with Mp4DecStoreIntraBlock and
// Mp4DecAddInterBlock; this writer is a second form of the same rule that lives with the tests,
// which check that it gives the same pixels for frame-ordered blocks.
#pragma once

#include "codec/mp4dec/context.h"

// Each pixel of block b (0..3 luma, 4 Cb, 5 Cr) becomes clamp(pixel + coefficient) when `add`,
// else clamp(coefficient), from the coefficient block of the bit reader. Sums outside the clamp
// table's range read its nearest end (0 or 255).
void Mp4DecBlockToFrame(Mp4DecInstance& inst, int b, int x, int y, bool add);
