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

// The word as a signed value, shifted arithmetically, back to a word.
constexpr Word Shr(Word v, int shift) {
  return static_cast<Word>(static_cast<std::int32_t>(v) >> shift);
}

constexpr std::int16_t Low16(Word v) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(v));
}

struct PassParams {
  Word round;
  int shift;
};

constexpr PassParams kColumnPass{2048, 12};
constexpr PassParams kRowPass{1048576, 21};

// x: eight inputs; y: eight outputs (low 16 bits of each result).
[[gnu::always_inline]] inline std::array<std::int16_t, 8> Transform1D(const std::array<Word, 8>& x,
                                                                      PassParams pass) {
  const Word a = C0 * (x[3] + x[5]);
  const Word za = a + C1 * x[5];
  const Word zb = a - C2 * x[3];
  const Word c = C3 * (x[1] + x[7]);
  const Word zc = c + C4 * x[1];
  const Word zd = c - C5 * x[7];
  const Word o0 = Shr(za + zc + 2048, 12) * C6;
  const Word o3 = Shr(zb + zd + 2048, 12) * C6;
  const Word o1 = (zc - za) + (zd - zb);
  const Word o2 = (zc - za) - (zd - zb);
  const Word p = (x[0] + x[4]) * 32768;
  const Word q = (x[0] - x[4]) * 32768;
  const Word e = C7 * (x[2] + x[6]);
  const Word ea = e + C8 * x[2];
  const Word eb = e - C9 * x[6];
  const Word t0 = p + ea;
  const Word t3 = p - ea;
  const Word t1 = q + eb;
  const Word t2 = q - eb;
  const auto out = [&](Word v) { return Low16(Shr(v + pass.round, pass.shift)); };
  return {out(t0 + o0), out(t1 + o1), out(t2 + o2), out(t3 + o3),
          out(t3 - o3), out(t2 - o2), out(t1 - o1), out(t0 - o0)};
}

}  // namespace

void DCT8x8InvWorker_Generic(const std::int16_t* src, std::int16_t* dst) {
  std::array<std::int16_t, 64> block{};
  for (int i = 0; i < 64; ++i) {
    block[static_cast<std::size_t>(i)] = src[i];
  }
  for (int col = 0; col < 8; ++col) {
    std::array<Word, 8> x{};
    for (int k = 0; k < 8; ++k) {
      x[static_cast<std::size_t>(k)] =
          static_cast<Word>(block[static_cast<std::size_t>(8 * k + col)]);
    }
    const auto y = Transform1D(x, kColumnPass);
    for (int k = 0; k < 8; ++k) {
      block[static_cast<std::size_t>(8 * k + col)] = y[static_cast<std::size_t>(k)];
    }
  }
  for (int row = 0; row < 8; ++row) {
    std::array<Word, 8> x{};
    for (int k = 0; k < 8; ++k) {
      x[static_cast<std::size_t>(k)] =
          static_cast<Word>(block[static_cast<std::size_t>(8 * row + k)]);
    }
    const auto y = Transform1D(x, kRowPass);
    for (int k = 0; k < 8; ++k) {
      dst[8 * row + k] = y[static_cast<std::size_t>(k)];
    }
  }
}

PrimStatus primDCT8x8Inv_16s_C1I_generic(std::int16_t* pSrcDst) {
  if (pSrcDst == nullptr) {
    return StsNullPointer;
  }
  DCT8x8InvWorker_Generic(pSrcDst, pSrcDst);
  return StsNoError;
}
