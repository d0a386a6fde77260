// Reference inverse DCT: three rotations and two multiplications by sqrt(2) per 1-D transform.
//
// The arithmetic is that of signed 32-bit integers that wrap. It is carried out on unsigned
// 32-bit words (wrapping is defined there) and read back as signed for every right shift, so
// any input gives a defined result (inputs can reach the full 16-bit range, since the
// decoder's dequantisation wraps rather than saturates).
#include <array>
#include <cstdint>

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

// x: eight inputs per lane; the results (low 16 bits) overwrite them. With kUpperZero the
// caller has checked that x4..x7 are zero in every lane: the same expressions with those terms
// dropped, which in wrapping arithmetic is exactly the full transform.
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
  // Low 16 bits, sign-extended back to a word, as the 16-bit store and reload would give.
  const auto out = [&](Lanes v) { return Shr(Shr(v + pass.round, pass.shift) << 16, 16); };
  x = {out(t0 + o0), out(t1 + o1), out(t2 + o2), out(t3 + o3),
       out(t3 - o3), out(t2 - o2), out(t1 - o1), out(t0 - o0)};
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

// Lane l of x[k] takes element (k, l) of the block; the transpose swaps the roles.
[[gnu::always_inline]] inline std::array<Lanes, 8> Transposed(const std::array<Lanes, 8>& x) {
  std::array<Lanes, 8> t{};
  for (int k = 0; k < 8; ++k) {
    for (int l = 0; l < 8; ++l) {
      t[static_cast<std::size_t>(l)][k] = x[static_cast<std::size_t>(k)][l];
    }
  }
  return t;
}

[[gnu::always_inline]] inline void Worker(const std::int16_t* src, std::int16_t* dst) {
  const Sparsity sparsity = SparsityOf(src);
  // Column pass: x_k is row k, one column per lane.
  std::array<Lanes, 8> x{};
  for (int k = 0; k < 8; ++k) {
    for (int l = 0; l < 8; ++l) {
      x[static_cast<std::size_t>(k)][l] = static_cast<Word>(src[8 * k + l]);
    }
  }
  if (sparsity.rowsUpperZero) {
    Transform1D<true>(x, kColumnPass);
  } else {
    Transform1D<false>(x, kColumnPass);
  }
  // Row pass: x_k is column k, one row per lane.
  x = Transposed(x);
  if (sparsity.columnsUpperZero) {
    Transform1D<true>(x, kRowPass);
  } else {
    Transform1D<false>(x, kRowPass);
  }
  x = Transposed(x);
  for (int k = 0; k < 8; ++k) {
    for (int l = 0; l < 8; ++l) {
      dst[8 * k + l] = static_cast<std::int16_t>(x[static_cast<std::size_t>(k)][l]);
    }
  }
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
  if (pSrcDst == nullptr) {
    return StsNullPointer;
  }
  DCT8x8InvWorker_Generic(pSrcDst, pSrcDst);
  return StsNoError;
}
