// The table-driven inverse DCT, written once over 128-bit registers. Included by the source
// file of each form, which sets the instruction set first; everything here has internal
// linkage so each form gets its own code.
#pragma once

#include <immintrin.h>

#include <array>
#include <cstdint>

#include "prim/idct_tables.h"

namespace {
namespace idct_kernel {

// Row pass on one row: out n = sat((sum_k x_k w(k, n) + R) >> 12), sums wrapping in 32 bits.
inline __m128i RowPass(__m128i row, int scale, std::int32_t round) {
  const auto& table = prim_idct::kRowPairTables[static_cast<std::size_t>(scale)];
  const auto load = [&](int pair) {
    return _mm_load_si128(
        reinterpret_cast<const __m128i*>(table[static_cast<std::size_t>(pair)].data()));
  };
  // (x0, x4, x1, x5, x2, x6, x3, x7)
  const __m128i pairs = _mm_unpacklo_epi16(row, _mm_srli_si128(row, 8));
  const __m128i p04 = _mm_shuffle_epi32(pairs, 0x00);
  const __m128i p15 = _mm_shuffle_epi32(pairs, 0x55);
  const __m128i p26 = _mm_shuffle_epi32(pairs, 0xAA);
  const __m128i p37 = _mm_shuffle_epi32(pairs, 0xFF);
  const __m128i even = _mm_add_epi32(_mm_madd_epi16(p04, load(0)), _mm_madd_epi16(p26, load(2)));
  const __m128i odd = _mm_add_epi32(_mm_madd_epi16(p15, load(1)), _mm_madd_epi16(p37, load(3)));
  const __m128i r = _mm_set1_epi32(round);
  const __m128i first =
      _mm_srai_epi32(_mm_add_epi32(_mm_add_epi32(even, odd), r), prim_idct::kRowShift);
  const __m128i second =
      _mm_srai_epi32(_mm_add_epi32(_mm_sub_epi32(even, odd), r), prim_idct::kRowShift);
  // second holds outputs 7, 6, 5, 4 in lanes 0..3; reverse them.
  return _mm_packs_epi32(first, _mm_shuffle_epi32(second, 0x1B));
}

inline __m128i MulHi(__m128i v, std::int16_t k) {
  return _mm_mulhi_epi16(v, _mm_set1_epi16(k));
}

// Column pass over the lanes of eight row registers, all in saturating 16-bit arithmetic.
// Eight row registers (a plain array: std::array drops the vector type's attributes).
using Rows = __m128i[8];

inline void ColumnPass(Rows& x) {
  using namespace prim_idct;
  const __m128i u = _mm_adds_epi16(_mm_adds_epi16(MulHi(x[5], kTan3m1), x[5]), x[3]);
  const __m128i v = _mm_subs_epi16(x[5], _mm_adds_epi16(MulHi(x[3], kTan3m1), x[3]));
  const __m128i q = _mm_adds_epi16(MulHi(x[7], kTan1), x[1]);
  const __m128i p = _mm_subs_epi16(MulHi(x[1], kTan1), x[7]);
  const __m128i b0 = _mm_adds_epi16(q, u);
  const __m128i t = _mm_subs_epi16(q, u);
  const __m128i b3 = _mm_adds_epi16(p, v);
  const __m128i s = _mm_subs_epi16(p, v);
  const __m128i g = _mm_adds_epi16(t, s);
  const __m128i h = _mm_subs_epi16(t, s);
  const __m128i b1 = _mm_adds_epi16(g, MulHi(g, kCos4m1));
  const __m128i b2 = _mm_adds_epi16(MulHi(h, kCos4m1), h);
  const __m128i e = _mm_adds_epi16(MulHi(x[6], kTan2), x[2]);
  const __m128i f = _mm_subs_epi16(MulHi(x[2], kTan2), x[6]);
  const __m128i m = _mm_adds_epi16(x[0], x[4]);
  const __m128i d = _mm_subs_epi16(x[0], x[4]);
  const __m128i a0 = _mm_adds_epi16(m, e);
  const __m128i a3 = _mm_subs_epi16(m, e);
  const __m128i a1 = _mm_adds_epi16(d, f);
  const __m128i a2 = _mm_subs_epi16(d, f);
  constexpr int kShift = kColumnShift;
  x[0] = _mm_srai_epi16(_mm_adds_epi16(a0, b0), kShift);
  x[7] = _mm_srai_epi16(_mm_subs_epi16(a0, b0), kShift);
  x[1] = _mm_srai_epi16(_mm_adds_epi16(a1, b1), kShift);
  x[6] = _mm_srai_epi16(_mm_subs_epi16(a1, b1), kShift);
  x[2] = _mm_srai_epi16(_mm_adds_epi16(a2, b2), kShift);
  x[5] = _mm_srai_epi16(_mm_subs_epi16(a2, b2), kShift);
  x[3] = _mm_srai_epi16(_mm_adds_epi16(a3, b3), kShift);
  x[4] = _mm_srai_epi16(_mm_subs_epi16(a3, b3), kShift);
}

// Load: a callable taking a row pointer and returning its eight values. Columns: 8 runs the
// column pass over whole rows, 4 over each half of the rows (the 64-bit form); results are the
// same, lane by lane.
template <int Columns, typename Load>
inline void Transform(const std::int16_t* src, std::int16_t* dst, Load load) {
  Rows rows;
  for (int r = 0; r < 8; ++r) {
    rows[static_cast<std::size_t>(r)] =
        RowPass(load(src + 8 * r), prim_idct::kRowScale[static_cast<std::size_t>(r)],
                prim_idct::kRowRound[static_cast<std::size_t>(r)]);
  }
  if constexpr (Columns == 8) {
    ColumnPass(rows);
    for (int r = 0; r < 8; ++r) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 8 * r), rows[static_cast<std::size_t>(r)]);
    }
  } else {
    static_assert(Columns == 4);
    Rows low;
    Rows high;
    for (std::size_t r = 0; r < 8; ++r) {
      low[r] = _mm_move_epi64(rows[r]);
      high[r] = _mm_srli_si128(rows[r], 8);
    }
    ColumnPass(low);
    ColumnPass(high);
    for (int r = 0; r < 8; ++r) {
      _mm_storel_epi64(reinterpret_cast<__m128i*>(dst + 8 * r), low[static_cast<std::size_t>(r)]);
      _mm_storel_epi64(reinterpret_cast<__m128i*>(dst + 8 * r + 4),
                       high[static_cast<std::size_t>(r)]);
    }
  }
}

}  // namespace idct_kernel
}  // namespace
