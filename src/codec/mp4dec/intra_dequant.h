// Vector form of the H.263 intra dequantisation of coefficients 1..63: every non-zero c becomes
// 2 QP |c| + k with the sign of c (k = QP for odd QP, QP - 1 for even), in wrapping 16-bit
// arithmetic, coefficient 0 (the scaled DC) untouched. Same results as Mp4DecDequantH263 with
// start 1, eight coefficients at a time.
#pragma once

#include <cstdint>

void Mp4DecDequantH263IntraFast(std::int16_t* block, std::int32_t qp);

// Dequantisation and inverse DCT of an H.263 intra block, the same samples as
// Mp4DecDequantH263IntraFast followed by Mp4DecInverseDct. Every non-zero coefficient stays
// non-zero (2 QP |c| + k is odd), so a block with no AC coefficient before dequantisation has
// none after: it skips the dequantisation and takes the DC-only transform.
void Mp4DecReconstructIntraH263(std::int16_t* block, std::int32_t qp);
