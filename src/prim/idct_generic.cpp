// Reference inverse DCT: three rotations and two multiplications by sqrt(2) per 1-D transform.
//
// The arithmetic is that of signed 32-bit integers that wrap. It is carried out on unsigned
// 32-bit words (wrapping is defined there) and read back as signed for every right shift, so
// any input gives a defined result (inputs can reach the full 16-bit range, since the
// decoder's dequantisation wraps rather than saturates).
#include <array>
#include <cstdint>
#include <cstring>

#include "prim/idct_check.h"
#include "prim/prim_idct.h"

namespace {

// Q15 unless noted.
constexpr std::uint32_t C0 = 27246;                              // cos(3pi/16)
constexpr std::uint32_t C1 = static_cast<std::uint32_t>(-9041);  // sin(3pi/16) - cos(3pi/16)
constexpr std::uint32_t C2 = 45451;                              // cos(3pi/16) + sin(3pi/16)
constexpr std::uint32_t C3 = 6393;                               // cos(7pi/16)
constexpr std::uint32_t C4 = 25746;                              // sin(7pi/16) - cos(7pi/16)
constexpr std::uint32_t C5 = 38531;                              // sin(7pi/16) + cos(7pi/16)
constexpr std::uint32_t C6 = 5793;                               // sqrt(2), Q12
constexpr std::uint32_t C7 = 17734;                              // sqrt(2) cos(6pi/16)
constexpr std::uint32_t C8 = 25080;  // sqrt(2) (cos(2pi/16) - cos(6pi/16))
constexpr std::uint32_t C9 = 60547;  // sqrt(2) (cos(2pi/16) + cos(6pi/16))

using Word = std::uint32_t;

struct PassParams {
  Word round;
  int shift;
};

constexpr PassParams kColumnPass{2048, 12};
constexpr PassParams kRowPass{1048576, 21};

// Eight lanes of words: one line of the block per lane, so a pass transforms all eight lines
// at once with the same wrapping word arithmetic as the one-line form.
// Every function taking or returning lanes is inlined, so the vector calling convention of the
// baseline instruction set never meets the wide one.
#pragma GCC diagnostic ignored "-Wpsabi"
using Lanes = Word __attribute__((vector_size(32)));
using SignedLanes = std::int32_t __attribute__((vector_size(32)));
using Lanes16 = std::int16_t __attribute__((vector_size(16)));

// Each lane as a signed value, shifted arithmetically, back to a word.
[[gnu::always_inline]] inline Lanes Shr(Lanes v, int shift) {
  return reinterpret_cast<Lanes>(reinterpret_cast<SignedLanes>(v) >> shift);
}

// A pass's rounding and final shift. A plain function, not a lambda: a lambda is not inlined in
// an unoptimised build, and a call taking lanes across the wide and the baseline instruction
// set would pass them in different registers.
[[gnu::always_inline]] inline Lanes Out(Lanes v, PassParams pass) {
  return Shr(v + pass.round, pass.shift);
}

// x: eight inputs per lane; the results overwrite them (the caller keeps their low 16 bits). With
// kUpperZero the caller has checked that x4..x7 are zero in every lane: the same expressions with
// those terms dropped, which in wrapping arithmetic is exactly the full transform.
template <bool kUpperZero>
[[gnu::always_inline]] inline void Transform1D(std::array<Lanes, 8>& x, PassParams pass) {
  const Lanes zero{};
  const Lanes x4 = kUpperZero ? zero : x[4];
  const Lanes x5 = kUpperZero ? zero : x[5];
  const Lanes x6 = kUpperZero ? zero : x[6];
  const Lanes x7 = kUpperZero ? zero : x[7];
  const Lanes a = C0 * (x[3] + x5);
  const Lanes za = a + C1 * x5;
  const Lanes zb = a - C2 * x[3];
  const Lanes c = C3 * (x[1] + x7);
  const Lanes zc = c + C4 * x[1];
  const Lanes zd = c - C5 * x7;
  const Lanes o0 = Shr(za + zc + 2048, 12) * C6;
  const Lanes o3 = Shr(zb + zd + 2048, 12) * C6;
  const Lanes o1 = (zc - za) + (zd - zb);
  const Lanes o2 = (zc - za) - (zd - zb);
  const Lanes p = (x[0] + x4) * 32768;
  const Lanes q = (x[0] - x4) * 32768;
  const Lanes e = C7 * (x[2] + x6);
  const Lanes ea = e + C8 * x[2];
  const Lanes eb = e - C9 * x6;
  const Lanes t0 = p + ea;
  const Lanes t3 = p - ea;
  const Lanes t1 = q + eb;
  const Lanes t2 = q - eb;
  x = {Out(t0 + o0, pass), Out(t1 + o1, pass), Out(t2 + o2, pass), Out(t3 + o3, pass),
       Out(t3 - o3, pass), Out(t2 - o2, pass), Out(t1 - o1, pass), Out(t0 - o0, pass)};
}

// Rows 4..7 all zero (the upper inputs of every column), and columns 4..7 all zero (which the
// column pass keeps zero: a zero column gives 2048 >> 12 = 0, so they are the upper inputs of
// every row in the row pass).
struct Sparsity {
  bool rowsUpperZero;
  bool columnsUpperZero;
};

Sparsity SparsityOf(const std::int16_t* src) {
  std::uint16_t lowerRows = 0;
  std::uint16_t rightColumns = 0;
  for (int i = 0; i < 64; ++i) {
    const auto v = static_cast<std::uint16_t>(src[i]);
    lowerRows = static_cast<std::uint16_t>(lowerRows | (i >= 32 ? v : 0));
    rightColumns = static_cast<std::uint16_t>(rightColumns | ((i & 7) >= 4 ? v : 0));
  }
  return {lowerRows == 0, rightColumns == 0};
}

using Lines = std::array<Lanes16, 8>;

// One pass over eight lines of 16-bit values held in the lanes: widened to words, transformed,
// and narrowed to the low 16 bits of each result.
template <bool kUpperZero>
[[gnu::always_inline]] inline void Pass(Lines& lines, PassParams pass) {
  std::array<Lanes, 8> x{};
  for (std::size_t k = 0; k < 8; ++k) {
    x[k] = reinterpret_cast<Lanes>(__builtin_convertvector(lines[k], SignedLanes));
  }
  Transform1D<kUpperZero>(x, pass);
  for (std::size_t k = 0; k < 8; ++k) {
    lines[k] = __builtin_convertvector(x[k], Lanes16);
  }
}

// 8x8 transpose of 16-bit values by interleaving 16-, 32- and 64-bit pieces.
[[gnu::always_inline]] inline Lines Transposed(const Lines& r) {
  const auto lo16 = [](Lanes16 p, Lanes16 q) {
    return __builtin_shufflevector(p, q, 0, 8, 1, 9, 2, 10, 3, 11);
  };
  const auto hi16 = [](Lanes16 p, Lanes16 q) {
    return __builtin_shufflevector(p, q, 4, 12, 5, 13, 6, 14, 7, 15);
  };
  const auto lo32 = [](Lanes16 p, Lanes16 q) {
    return __builtin_shufflevector(p, q, 0, 1, 8, 9, 2, 3, 10, 11);
  };
  const auto hi32 = [](Lanes16 p, Lanes16 q) {
    return __builtin_shufflevector(p, q, 4, 5, 12, 13, 6, 7, 14, 15);
  };
  const auto lo64 = [](Lanes16 p, Lanes16 q) {
    return __builtin_shufflevector(p, q, 0, 1, 2, 3, 8, 9, 10, 11);
  };
  const auto hi64 = [](Lanes16 p, Lanes16 q) {
    return __builtin_shufflevector(p, q, 4, 5, 6, 7, 12, 13, 14, 15);
  };
  const Lanes16 a0 = lo16(r[0], r[1]), a1 = hi16(r[0], r[1]);
  const Lanes16 a2 = lo16(r[2], r[3]), a3 = hi16(r[2], r[3]);
  const Lanes16 a4 = lo16(r[4], r[5]), a5 = hi16(r[4], r[5]);
  const Lanes16 a6 = lo16(r[6], r[7]), a7 = hi16(r[6], r[7]);
  const Lanes16 b0 = lo32(a0, a2), b1 = hi32(a0, a2), b2 = lo32(a1, a3), b3 = hi32(a1, a3);
  const Lanes16 b4 = lo32(a4, a6), b5 = hi32(a4, a6), b6 = lo32(a5, a7), b7 = hi32(a5, a7);
  return {lo64(b0, b4), hi64(b0, b4), lo64(b1, b5), hi64(b1, b5),
          lo64(b2, b6), hi64(b2, b6), lo64(b3, b7), hi64(b3, b7)};
}

[[gnu::always_inline]] inline void Worker(const std::int16_t* src, std::int16_t* dst) {
  const Sparsity sparsity = SparsityOf(src);
  // Column pass: line k is row k, one column per lane.
  Lines lines{};
  std::memcpy(lines.data(), src, sizeof(lines));
  if (sparsity.rowsUpperZero) {
    Pass<true>(lines, kColumnPass);
  } else {
    Pass<false>(lines, kColumnPass);
  }
  // Row pass: line k is column k, one row per lane.
  lines = Transposed(lines);
  if (sparsity.columnsUpperZero) {
    Pass<true>(lines, kRowPass);
  } else {
    Pass<false>(lines, kRowPass);
  }
  lines = Transposed(lines);
  std::memcpy(dst, lines.data(), sizeof(lines));
}

[[gnu::target("avx2")]] void WorkerAvx2(const std::int16_t* src, std::int16_t* dst) {
  Worker(src, dst);
}

using WorkerFn = void (*)(const std::int16_t*, std::int16_t*);

// The same arithmetic in either instruction set; the wider one where the processor has it.
WorkerFn SelectWorker() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") ? WorkerAvx2 : DCT8x8InvWorker_GenericBaseline;
}

}  // namespace

void DCT8x8InvWorker_GenericBaseline(const std::int16_t* src, std::int16_t* dst) {
  Worker(src, dst);
}

void DCT8x8InvWorker_Generic(const std::int16_t* src, std::int16_t* dst) {
  static const WorkerFn worker = SelectWorker();
  worker(src, dst);
}

PrimStatus primDCT8x8Inv_16s_C1I_generic(std::int16_t* pSrcDst) {
  return prim_idct::CheckedTransform(DCT8x8InvWorker_Generic, pSrcDst);
}
