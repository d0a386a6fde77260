// The table-driven inverse DCT, written once: the row pass over an operation set (one row per
// 128-bit register, or two per 256-bit one on the forms' AVX2 path), the column pass over
// 128-bit registers. Included by the source file of each form and path, which sets the
// instruction set first; everything here has internal linkage so each gets its own code.
#pragma once

#include <immintrin.h>

#include <array>
#include <cstdint>

#include "prim/idct_tables.h"
#include "prim/vector_ops_sse2.h"

namespace {
namespace idct_kernel {

// Row pass: out n = sat((sum_k x_k w(k, n) + R) >> 12), sums wrapping in 32 bits, on one row
// in each 128-bit half of a register of the operation set O (vector_ops_sse2.h, one row;
// vector_ops_avx2.h, two rows), with that row's four weight tables and rounding term.
template <typename O>
inline typename O::V RowPassOver(typename O::V row, const typename O::V table[4],
                                 typename O::V round) {
  using V = typename O::V;
  // (x0, x4, x1, x5, x2, x6, x3, x7)
  const V pairs = O::UnpackLo16(row, O::template ShiftBytesRight<8>(row));
  const V p04 = O::template Shuffle32<0x00>(pairs);
  const V p15 = O::template Shuffle32<0x55>(pairs);
  const V p26 = O::template Shuffle32<0xAA>(pairs);
  const V p37 = O::template Shuffle32<0xFF>(pairs);
  const V even = O::Add32(O::MulAdd16(p04, table[0]), O::MulAdd16(p26, table[2]));
  const V odd = O::Add32(O::MulAdd16(p15, table[1]), O::MulAdd16(p37, table[3]));
  const V first = O::template Srai32<prim_idct::kRowShift>(O::Add32(O::Add32(even, odd), round));
  const V second = O::template Srai32<prim_idct::kRowShift>(O::Add32(O::Sub32(even, odd), round));
  // second holds outputs 7, 6, 5, 4 in lanes 0..3 of each half; reverse them.
  return O::PackS32(first, O::template Shuffle32<0x1B>(second));
}

// The row pass of one row with the tables of its scale index.
inline __m128i RowPass(__m128i row, int scale, std::int32_t round) {
  const auto& table = prim_idct::kRowPairTables[static_cast<std::size_t>(scale)];
  const __m128i weights[4] = {_mm_load_si128(reinterpret_cast<const __m128i*>(table[0].data())),
                              _mm_load_si128(reinterpret_cast<const __m128i*>(table[1].data())),
                              _mm_load_si128(reinterpret_cast<const __m128i*>(table[2].data())),
                              _mm_load_si128(reinterpret_cast<const __m128i*>(table[3].data()))};
  return RowPassOver<vec::Sse2>(row, weights, _mm_set1_epi32(round));
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
