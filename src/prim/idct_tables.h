// Constant tables of the table-driven inverse DCT (the SSE, SSE2 and SSE3 forms).
#pragma once

#include <array>
#include <cstdint>

namespace prim_idct {

// Row weights: magnitudes of round(16384 * a(s) * a(j)) for the row scale index s = 0..3 and
// j = 0 (and 4), 1, 2, 3, 5, 6, 7, where a(0) = 1 and a(j) = sqrt(2) cos(j pi / 16).
inline constexpr std::array<std::array<std::int32_t, 7>, 4> kRowMagnitudes{{
    {16384, 22725, 21407, 19266, 12873, 8867, 4520},
    {22725, 31521, 29692, 26722, 17855, 12299, 6270},
    {21407, 29692, 27969, 25172, 16819, 11585, 5906},
    {19266, 26722, 25172, 22654, 15137, 10426, 5315},
}};

// Scale index and rounding term of each row. The terms also carry the column pass's rounding.
inline constexpr std::array<int, 8> kRowScale{0, 1, 2, 3, 0, 3, 2, 1};
inline constexpr std::array<std::int32_t, 8> kRowRound{65536, 5802, 4520, 3408,
                                                       2048,  910,  1024, 746};
inline constexpr int kRowShift = 12;

// Column pass constants, Q16 for mulhi.
inline constexpr std::int16_t kTan1 = 13036;     // tan(pi/16)
inline constexpr std::int16_t kTan2 = 27146;     // tan(2pi/16)
inline constexpr std::int16_t kTan3m1 = -21746;  // tan(3pi/16) - 1
inline constexpr std::int16_t kCos4m1 = -19195;  // cos(pi/4) - 1
inline constexpr int kColumnShift = 5;

// Weight of input k for output n in a row of scale index s.
constexpr std::int32_t RowWeight(int s, int k, int n) {
  const auto& mag = kRowMagnitudes[static_cast<std::size_t>(s)];
  if (k == 0) {
    return mag[0];
  }
  int m = ((2 * n + 1) * k) % 32;  // angle m pi / 16
  const bool negative = m > 8 && m < 24;
  if (m > 16) {
    m = 32 - m;
  }
  if (m > 8) {
    m = 16 - m;
  }
  constexpr std::array<int, 8> column{0, 1, 2, 3, 0, 4, 5, 6};  // j -> magnitude column
  const std::int32_t w = mag[static_cast<std::size_t>(column[static_cast<std::size_t>(m)])];
  return negative ? -w : w;
}

// Per scale index, four tables of eight 16-bit weights for the pairs (x0, x4), (x1, x5),
// (x2, x6), (x3, x7): lanes 2n and 2n + 1 hold the weights of the pair for output n = 0..3.
// Outputs 4..7 follow from w(k, 7 - n) = (-1)^k w(k, n).
using RowPairTable = std::array<std::array<std::int16_t, 8>, 4>;

constexpr std::array<RowPairTable, 4> MakeRowPairTables() {
  std::array<RowPairTable, 4> tables{};
  for (int s = 0; s < 4; ++s) {
    for (int pair = 0; pair < 4; ++pair) {
      for (int n = 0; n < 4; ++n) {
        auto& lanes = tables[static_cast<std::size_t>(s)][static_cast<std::size_t>(pair)];
        lanes[static_cast<std::size_t>(2 * n)] = static_cast<std::int16_t>(RowWeight(s, pair, n));
        lanes[static_cast<std::size_t>(2 * n + 1)] =
            static_cast<std::int16_t>(RowWeight(s, pair + 4, n));
      }
    }
  }
  return tables;
}

alignas(16) inline constexpr std::array<RowPairTable, 4> kRowPairTables = MakeRowPairTables();

}  // namespace prim_idct
