// Vector body of the reference inverse DCT (the generic form) for its SSE2 and AVX2 paths.
// Included by the source file of each path after it sets its instruction set; internal linkage.
//
// The 1-D transform's rotations are recast so that every product is a 16 x 16 -> 32-bit
// multiply-add of a pair of inputs (pmaddwd), which is exact; in wrapping 32-bit arithmetic
// the recast sums equal the reference's:
//   za = C0 (x3 + x5) + C1 x5      = 27246 x3 + 18205 x5
//   zb = C0 (x3 + x5) - C2 x3      = -18205 x3 + 27246 x5
//   zc = C3 (x1 + x7) + C4 x1      = 32139 x1 + 6393 x7
//   zd = C3 (x1 + x7) - C5 x7      = 6393 x1 - 32138 x7
//   ea = C7 (x2 + x6) + C8 x2      = -22722 x2 + 17734 x6 + 65536 x2
//   eb = C7 (x2 + x6) - C9 x6      = 17734 x2 + 22723 x6 - 65536 x6
//   p, q = (x0 +- x4) 32768
// Each pass takes the eight lines as rows of eight 16-bit values; the column pass works on the
// block as stored, the row pass on its transpose.
#pragma once

#include <immintrin.h>

#include <cstdint>

namespace {
namespace idct_generic_kernel {

// A pair of 16-bit constants for pmaddwd: `first` times the lower input of each pair.
constexpr std::int32_t Pair(std::int16_t first, std::int16_t second) {
  return static_cast<std::int32_t>(
      static_cast<std::uint16_t>(first) |
      (static_cast<std::uint32_t>(static_cast<std::uint16_t>(second)) << 16));
}

// The inputs of one group of lines (4 lines in 128-bit registers, 8 in 256-bit ones): pairs of
// 16-bit inputs and the two inputs that are also needed times 65536, as 32-bit lanes.
template <typename O>
struct GroupInputs {
  using V = typename O::V;
  V x35;  // (x3, x5) pairs
  V x17;
  V x26;
  V x04;
  V x2High;  // x2 * 65536
  V x6High;
};

// The eight outputs of each line, before the pass's final shift (the rounding included).
template <typename O>
inline void Transform(const GroupInputs<O>& in, typename O::V round, typename O::V y[8]) {
  using V = typename O::V;
  const V za = O::MulAdd16(in.x35, O::Set32(Pair(27246, 18205)));
  const V zb = O::MulAdd16(in.x35, O::Set32(Pair(-18205, 27246)));
  const V zc = O::MulAdd16(in.x17, O::Set32(Pair(32139, 6393)));
  const V zd = O::MulAdd16(in.x17, O::Set32(Pair(6393, -32138)));
  const V ea = O::Add32(O::MulAdd16(in.x26, O::Set32(Pair(-22722, 17734))), in.x2High);
  const V eb = O::Sub32(O::MulAdd16(in.x26, O::Set32(Pair(17734, 22723))), in.x6High);
  const V p = O::Add32(O::template Slli32<15>(O::MulAdd16(in.x04, O::Set32(Pair(1, 1)))), round);
  const V q = O::Add32(O::template Slli32<15>(O::MulAdd16(in.x04, O::Set32(Pair(1, -1)))), round);
  const V half = O::Set32(2048);
  const V c6 = O::Set32(5793);
  const V o0 = O::MulLo32(O::template Srai32<12>(O::Add32(O::Add32(za, zc), half)), c6);
  const V o3 = O::MulLo32(O::template Srai32<12>(O::Add32(O::Add32(zb, zd), half)), c6);
  const V ca = O::Sub32(zc, za);
  const V db = O::Sub32(zd, zb);
  const V o1 = O::Add32(ca, db);
  const V o2 = O::Sub32(ca, db);
  const V t0 = O::Add32(p, ea);
  const V t3 = O::Sub32(p, ea);
  const V t1 = O::Add32(q, eb);
  const V t2 = O::Sub32(q, eb);
  y[0] = O::Add32(t0, o0);
  y[7] = O::Sub32(t0, o0);
  y[1] = O::Add32(t1, o1);
  y[6] = O::Sub32(t1, o1);
  y[2] = O::Add32(t2, o2);
  y[5] = O::Sub32(t2, o2);
  y[3] = O::Add32(t3, o3);
  y[4] = O::Sub32(t3, o3);
}

// The low 16 bits of v >> kShift, sign-extended in each 32-bit lane: the column pass (shift 12)
// keeps bits 12..27; after the row pass (shift 21) the value already fits 16 bits.
template <typename O, int kShift>
inline typename O::V Narrow(typename O::V v) {
  if constexpr (kShift == 12) {
    return O::template Srai32<16>(O::template Slli32<4>(v));
  } else {
    static_assert(kShift == 21);
    return O::template Srai32<21>(v);
  }
}

using Rows = __m128i[8];

// 8 x 8 transpose of 16-bit values.
inline void Transpose(const Rows in, Rows out) {
  const __m128i a0 = _mm_unpacklo_epi16(in[0], in[1]);
  const __m128i a1 = _mm_unpackhi_epi16(in[0], in[1]);
  const __m128i a2 = _mm_unpacklo_epi16(in[2], in[3]);
  const __m128i a3 = _mm_unpackhi_epi16(in[2], in[3]);
  const __m128i a4 = _mm_unpacklo_epi16(in[4], in[5]);
  const __m128i a5 = _mm_unpackhi_epi16(in[4], in[5]);
  const __m128i a6 = _mm_unpacklo_epi16(in[6], in[7]);
  const __m128i a7 = _mm_unpackhi_epi16(in[6], in[7]);
  const __m128i b0 = _mm_unpacklo_epi32(a0, a2);
  const __m128i b1 = _mm_unpackhi_epi32(a0, a2);
  const __m128i b2 = _mm_unpacklo_epi32(a1, a3);
  const __m128i b3 = _mm_unpackhi_epi32(a1, a3);
  const __m128i b4 = _mm_unpacklo_epi32(a4, a6);
  const __m128i b5 = _mm_unpackhi_epi32(a4, a6);
  const __m128i b6 = _mm_unpacklo_epi32(a5, a7);
  const __m128i b7 = _mm_unpackhi_epi32(a5, a7);
  out[0] = _mm_unpacklo_epi64(b0, b4);
  out[1] = _mm_unpackhi_epi64(b0, b4);
  out[2] = _mm_unpacklo_epi64(b1, b5);
  out[3] = _mm_unpackhi_epi64(b1, b5);
  out[4] = _mm_unpacklo_epi64(b2, b6);
  out[5] = _mm_unpackhi_epi64(b2, b6);
  out[6] = _mm_unpacklo_epi64(b3, b7);
  out[7] = _mm_unpackhi_epi64(b3, b7);
}

// The block: column pass on the rows as stored, row pass on the transpose, transposed back.
// Pass(rows, kRound, kShift) is the path's pass (how it groups lines into registers).
template <typename PassFn>
inline void Worker(const std::int16_t* src, std::int16_t* dst, PassFn pass) {
  Rows rows;
  for (int r = 0; r < 8; ++r) {
    rows[r] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 8 * r));
  }
  Rows columnPassed;
  pass(rows, columnPassed, std::integral_constant<int, 12>{});
  Rows transposed;
  Transpose(columnPassed, transposed);
  Rows rowPassed;
  pass(transposed, rowPassed, std::integral_constant<int, 21>{});
  Rows out;
  Transpose(rowPassed, out);
  for (int r = 0; r < 8; ++r) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 8 * r), out[r]);
  }
}

// The rounding term of a pass.
template <int kShift>
constexpr std::int32_t Round() {
  return kShift == 12 ? 2048 : 1048576;
}

}  // namespace idct_generic_kernel
}  // namespace
