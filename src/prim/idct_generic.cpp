// Reference inverse DCT: three rotations and two multiplications by sqrt(2) per 1-D transform.
//
// The arithmetic is that of signed 32-bit integers that wrap. It is carried out in 64 bits and
// cut to 32 bits before every right shift, which gives the same results for any input without
// signed overflow (inputs can reach the full 16-bit range, since the decoder's dequantisation
// wraps rather than saturates).
#include <array>
#include <cstdint>

#include "prim/prim_idct.h"

namespace {

// Q15 unless noted.
constexpr std::int64_t C0 = 27246;  // cos(3pi/16)
constexpr std::int64_t C1 = -9041;  // sin(3pi/16) - cos(3pi/16)
constexpr std::int64_t C2 = 45451;  // cos(3pi/16) + sin(3pi/16)
constexpr std::int64_t C3 = 6393;   // cos(7pi/16)
constexpr std::int64_t C4 = 25746;  // sin(7pi/16) - cos(7pi/16)
constexpr std::int64_t C5 = 38531;  // sin(7pi/16) + cos(7pi/16)
constexpr std::int64_t C6 = 5793;   // sqrt(2), Q12
constexpr std::int64_t C7 = 17734;  // sqrt(2) cos(6pi/16)
constexpr std::int64_t C8 = 25080;  // sqrt(2) (cos(2pi/16) - cos(6pi/16))
constexpr std::int64_t C9 = 60547;  // sqrt(2) (cos(2pi/16) + cos(6pi/16))

// Low 32 bits as a signed value, then an arithmetic shift.
constexpr std::int64_t Shr32(std::int64_t v, int shift) {
  return static_cast<std::int64_t>(static_cast<std::int32_t>(static_cast<std::uint32_t>(v)) >>
                                   shift);
}

constexpr std::int16_t Low16(std::int64_t v) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(v));
}

struct PassParams {
  std::int64_t round;
  int shift;
};

constexpr PassParams kColumnPass{2048, 12};
constexpr PassParams kRowPass{1048576, 21};

// x: eight inputs; y: eight outputs (low 16 bits of each result).
std::array<std::int16_t, 8> Transform1D(const std::array<std::int64_t, 8>& x, PassParams pass) {
  const std::int64_t a = C0 * (x[3] + x[5]);
  const std::int64_t za = a + C1 * x[5];
  const std::int64_t zb = a - C2 * x[3];
  const std::int64_t c = C3 * (x[1] + x[7]);
  const std::int64_t zc = c + C4 * x[1];
  const std::int64_t zd = c - C5 * x[7];
  const std::int64_t o0 = Shr32(za + zc + 2048, 12) * C6;
  const std::int64_t o3 = Shr32(zb + zd + 2048, 12) * C6;
  const std::int64_t o1 = (zc - za) + (zd - zb);
  const std::int64_t o2 = (zc - za) - (zd - zb);
  const std::int64_t p = (x[0] + x[4]) * 32768;
  const std::int64_t q = (x[0] - x[4]) * 32768;
  const std::int64_t e = C7 * (x[2] + x[6]);
  const std::int64_t ea = e + C8 * x[2];
  const std::int64_t eb = e - C9 * x[6];
  const std::int64_t t0 = p + ea;
  const std::int64_t t3 = p - ea;
  const std::int64_t t1 = q + eb;
  const std::int64_t t2 = q - eb;
  const auto out = [&](std::int64_t v) { return Low16(Shr32(v + pass.round, pass.shift)); };
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
    std::array<std::int64_t, 8> x{};
    for (int k = 0; k < 8; ++k) {
      x[static_cast<std::size_t>(k)] = block[static_cast<std::size_t>(8 * k + col)];
    }
    const auto y = Transform1D(x, kColumnPass);
    for (int k = 0; k < 8; ++k) {
      block[static_cast<std::size_t>(8 * k + col)] = y[static_cast<std::size_t>(k)];
    }
  }
  for (int row = 0; row < 8; ++row) {
    std::array<std::int64_t, 8> x{};
    for (int k = 0; k < 8; ++k) {
      x[static_cast<std::size_t>(k)] = block[static_cast<std::size_t>(8 * row + k)];
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
