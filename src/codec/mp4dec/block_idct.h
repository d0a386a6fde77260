// The inverse DCT of a decoded coefficient block, with a shortcut that gives the same samples as
// the selected primitive form: a block whose only non-zero coefficient is its DC (the zero block
// included) takes the closed form of that form (flat under the generic form, one value per row
// under the table-driven ones).
#pragma once

#include <cstdint>

// The flat value of the generic form for a DC-only block: the column pass gives the low 16
// bits of 8 DC, the row pass rounds that by 64 (arithmetic shift).
constexpr std::int16_t Mp4DecGenericDcOnlyValue(std::int16_t dc) {
  const auto columnOut = static_cast<std::int16_t>(static_cast<std::uint16_t>(8 * dc));
  return static_cast<std::int16_t>((columnOut + 32) >> 6);
}

// True when coefficients 1..63 are all zero.
bool Mp4DecAcAllZero(const std::int16_t* block);
void Mp4DecInverseDct(std::int16_t* block);
// The same for a block known to hold coefficient 0 alone (dcOnly) or known not to.
void Mp4DecInverseDctKnown(std::int16_t* block, bool dcOnly);
