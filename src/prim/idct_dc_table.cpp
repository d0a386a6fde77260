// The table-driven inverse DCT of a block whose only non-zero coefficient is its DC, in closed
// form. The row pass turns row 0 into eight copies of one value and every other (zero) row r
// into eight copies of its rounding term shifted (R_r >> 12); all columns then enter the
// column pass alike, so one column is computed and each result fills its row.
#include <emmintrin.h>

#include <array>
#include <cstdint>

#include "prim/idct_tables.h"
#include "prim/prim_idct.h"

namespace {

constexpr std::int16_t Sat(std::int32_t v) {
  return static_cast<std::int16_t>(v < -32768 ? -32768 : (v > 32767 ? 32767 : v));
}

constexpr std::int16_t MulHi(std::int16_t v, std::int16_t k) {
  return static_cast<std::int16_t>((static_cast<std::int32_t>(v) * k) >> 16);
}

constexpr std::int16_t Add(std::int16_t a, std::int16_t b) {
  return Sat(static_cast<std::int32_t>(a) + b);
}

constexpr std::int16_t Sub(std::int16_t a, std::int16_t b) {
  return Sat(static_cast<std::int32_t>(a) - b);
}

// Rows 1..7 of a DC-only block after the row pass: their rounding terms shifted.
constexpr std::int16_t ZeroRow(std::size_t r) {
  return Sat(prim_idct::kRowRound[r] >> prim_idct::kRowShift);
}

// The part of the column pass that does not depend on row 0: b0..b3, e and f of the column
// (x1..x7 are the fixed zero-row values above).
struct ColumnConstants {
  std::int16_t b0, b1, b2, b3, e, f;
};

constexpr ColumnConstants MakeColumnConstants() {
  using namespace prim_idct;
  std::array<std::int16_t, 8> x{};
  for (std::size_t r = 1; r < 8; ++r) {
    x[r] = ZeroRow(r);
  }
  const std::int16_t u = Add(Add(MulHi(x[5], kTan3m1), x[5]), x[3]);
  const std::int16_t v = Sub(x[5], Add(MulHi(x[3], kTan3m1), x[3]));
  const std::int16_t q = Add(MulHi(x[7], kTan1), x[1]);
  const std::int16_t p = Sub(MulHi(x[1], kTan1), x[7]);
  const std::int16_t t = Sub(q, u);
  const std::int16_t s = Sub(p, v);
  const std::int16_t g = Add(t, s);
  const std::int16_t h = Sub(t, s);
  return {Add(q, u), Add(g, MulHi(g, kCos4m1)),     Add(MulHi(h, kCos4m1), h),
          Add(p, v), Add(MulHi(x[6], kTan2), x[2]), Sub(MulHi(x[2], kTan2), x[6])};
}

constexpr ColumnConstants kColumn = MakeColumnConstants();
static_assert(ZeroRow(4) == 0, "row 4 (x4) of a DC-only block is zero after the row pass");

// The column pass with x0 the only varying input (x4 = 0, so m = d = x0).
std::array<std::int16_t, 8> ColumnPass(std::int16_t x0) {
  const std::int16_t a0 = Add(x0, kColumn.e);
  const std::int16_t a3 = Sub(x0, kColumn.e);
  const std::int16_t a1 = Add(x0, kColumn.f);
  const std::int16_t a2 = Sub(x0, kColumn.f);
  const auto out = [](std::int16_t v) {
    return static_cast<std::int16_t>(v >> prim_idct::kColumnShift);
  };
  return {out(Add(a0, kColumn.b0)), out(Add(a1, kColumn.b1)), out(Add(a2, kColumn.b2)),
          out(Add(a3, kColumn.b3)), out(Sub(a3, kColumn.b3)), out(Sub(a2, kColumn.b2)),
          out(Sub(a1, kColumn.b1)), out(Sub(a0, kColumn.b0))};
}

}  // namespace

void DCT8x8InvDcOnly_Table(std::int16_t dc, std::int16_t* dst) {
  using namespace prim_idct;
  // Row 0: every output has weight w(0, n) for the DC (the same for all n).
  const std::int16_t x0 = Sat((dc * RowWeight(kRowScale[0], 0, 0) + kRowRound[0]) >> kRowShift);
  const std::array<std::int16_t, 8> y = ColumnPass(x0);
  for (std::size_t r = 0; r < 8; ++r) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 8 * r), _mm_set1_epi16(y[r]));
  }
}
