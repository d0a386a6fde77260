// The combined block decoder: intra and inter blocks in one routine, beside the two block
// decoders. The decoder does not call it (the macroblock layer calls the two block decoders),
// so it lives with the tests as a third form of the same steps; they compare its intra path
// with the intra block decoder.
#pragma once

#include "codec/mp4dec/context.h"

// Block b of the current macroblock. An intra macroblock (type 3 or 4) takes the intra block's
// steps (DC, prediction, scan, coefficients, dequantisation, inverse DCT; `coded` says whether
// its coefficients follow). An inter block reads its coefficients in the inter block's scan when
// coded (else it is all zero); the H.263 type places the levels as they are and dequantises the
// whole block through the H.263 inverse quantisation primitive (which limits the values to
// -2048..2047), the MPEG type dequantises each event with the mismatch control; then the
// inverse DCT. False on an invalid code or a run past the end of the block.
bool Mp4DecDecodeBlock(Mp4DecInstance& inst, int b, bool coded);
