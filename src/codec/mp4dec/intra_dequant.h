// Vector form of the H.263 intra dequantisation of coefficients 1..63: every non-zero c becomes
// 2 QP |c| + k with the sign of c (k = QP for odd QP, QP - 1 for even), in wrapping 16-bit
// arithmetic, coefficient 0 (the scaled DC) untouched. Same results as Mp4DecDequantH263 with
// start 1, eight coefficients at a time.
#pragma once

#include <cstdint>

void Mp4DecDequantH263IntraFast(std::int16_t* block, std::int32_t qp);
