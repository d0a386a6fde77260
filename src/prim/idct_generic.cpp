// Reference inverse DCT: three rotations and two multiplications by sqrt(2) per 1-D transform,
// eight columns, then eight rows.
//
// The arithmetic is that of signed 32-bit integers that wrap. The scalar path carries it out
// on unsigned 32-bit words (wrapping is defined there) and reads them back as signed for every
// right shift, so any input gives a defined result (inputs can reach the full 16-bit range,
// since the decoder's dequantisation wraps rather than saturates). The SSE2 and AVX2 paths
// (idct_generic_kernel.h) give the same bits, four or eight lines a step.
#include <array>
#include <cstdint>
#include <type_traits>

#include "prim/generic_path.h"
#include "prim/idct_check.h"
#include "prim/prim_idct.h"

#if defined(__x86_64__)
#include "prim/vector_ops_sse2.h"
// After the vector operations it is written over.
#include "prim/idct_generic_kernel.h"
#endif

namespace {

using Word = std::uint32_t;

// Q15 unless noted.
constexpr Word C0 = 27246;                     // cos(3pi/16)
constexpr Word C1 = static_cast<Word>(-9041);  // sin(3pi/16) - cos(3pi/16)
constexpr Word C2 = 45451;                     // cos(3pi/16) + sin(3pi/16)
constexpr Word C3 = 6393;                      // cos(7pi/16)
constexpr Word C4 = 25746;                     // sin(7pi/16) - cos(7pi/16)
constexpr Word C5 = 38531;                     // sin(7pi/16) + cos(7pi/16)
constexpr Word C6 = 5793;                      // sqrt(2), Q12
constexpr Word C7 = 17734;                     // sqrt(2) cos(6pi/16)
constexpr Word C8 = 25080;                     // sqrt(2) (cos(2pi/16) - cos(6pi/16))
constexpr Word C9 = 60547;                     // sqrt(2) (cos(2pi/16) + cos(6pi/16))

struct PassParams {
  Word round;
  int shift;
};

constexpr PassParams kColumnPass{2048, 12};
constexpr PassParams kRowPass{1048576, 21};

// The word read as a signed value, shifted arithmetically.
constexpr Word Shr(Word v, int shift) {
  return static_cast<Word>(static_cast<std::int32_t>(v) >> shift);
}

// One line: eight inputs `step` elements apart, the results written back as their low 16 bits.
void Line(std::int16_t* line, std::ptrdiff_t step, PassParams pass) {
  std::array<Word, 8> x{};
  for (std::size_t k = 0; k < 8; ++k) {
    x[k] = static_cast<Word>(line[static_cast<std::ptrdiff_t>(k) * step]);
  }
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
  const std::array<Word, 8> y{t0 + o0, t1 + o1, t2 + o2, t3 + o3,
                              t3 - o3, t2 - o2, t1 - o1, t0 - o0};
  for (std::size_t k = 0; k < 8; ++k) {
    line[static_cast<std::ptrdiff_t>(k) * step] =
        static_cast<std::int16_t>(static_cast<std::uint16_t>(Shr(y[k] + pass.round, pass.shift)));
  }
}

#if defined(__x86_64__)

using idct_generic_kernel::GroupInputs;
using idct_generic_kernel::Rows;

// Lines 0-3 and 4-7 of a pass as two groups of four 32-bit lanes.
template <int kShift>
void PassSse2(const Rows in, Rows out, std::integral_constant<int, kShift>) {
  using O = vec::Sse2;
  const __m128i zero = _mm_setzero_si128();
  const __m128i round = _mm_set1_epi32(idct_generic_kernel::Round<kShift>());
  __m128i low[8];
  __m128i high[8];
  const GroupInputs<vec::Sse2> first{
      _mm_unpacklo_epi16(in[3], in[5]), _mm_unpacklo_epi16(in[1], in[7]),
      _mm_unpacklo_epi16(in[2], in[6]), _mm_unpacklo_epi16(in[0], in[4]),
      _mm_unpacklo_epi16(zero, in[2]),  _mm_unpacklo_epi16(zero, in[6])};
  idct_generic_kernel::Transform<O>(first, round, low);
  const GroupInputs<vec::Sse2> second{
      _mm_unpackhi_epi16(in[3], in[5]), _mm_unpackhi_epi16(in[1], in[7]),
      _mm_unpackhi_epi16(in[2], in[6]), _mm_unpackhi_epi16(in[0], in[4]),
      _mm_unpackhi_epi16(zero, in[2]),  _mm_unpackhi_epi16(zero, in[6])};
  idct_generic_kernel::Transform<O>(second, round, high);
  for (int k = 0; k < 8; ++k) {
    out[k] = _mm_packs_epi32(idct_generic_kernel::Narrow<O, kShift>(low[k]),
                             idct_generic_kernel::Narrow<O, kShift>(high[k]));
  }
}

constexpr PrimGenericPaths<void(const std::int16_t*, std::int16_t*)> kPaths{
    DCT8x8InvWorker_GenericScalar, DCT8x8InvWorker_GenericSse2, DCT8x8InvWorker_GenericAvx2};
#else
constexpr PrimGenericPaths<void(const std::int16_t*, std::int16_t*)> kPaths{
    DCT8x8InvWorker_GenericScalar, DCT8x8InvWorker_GenericScalar, DCT8x8InvWorker_GenericScalar};
#endif

}  // namespace

void DCT8x8InvWorker_GenericScalar(const std::int16_t* src, std::int16_t* dst) {
  std::array<std::int16_t, 64> block{};
  for (std::size_t i = 0; i < 64; ++i) {
    block[i] = src[i];
  }
  for (std::ptrdiff_t column = 0; column < 8; ++column) {
    Line(block.data() + column, 8, kColumnPass);
  }
  for (std::ptrdiff_t row = 0; row < 8; ++row) {
    Line(block.data() + 8 * row, 1, kRowPass);
  }
  for (std::size_t i = 0; i < 64; ++i) {
    dst[i] = block[i];
  }
}

#if defined(__x86_64__)
void DCT8x8InvWorker_GenericSse2(const std::int16_t* src, std::int16_t* dst) {
  idct_generic_kernel::Worker(
      src, dst, [](const Rows in, Rows out, auto shift) { PassSse2(in, out, shift); });
}
#endif

void DCT8x8InvWorker_Generic(const std::int16_t* src, std::int16_t* dst) {
  kPaths.InUse()(src, dst);
}

PrimStatus primDCT8x8Inv_16s_C1I_generic(std::int16_t* pSrcDst) {
  return prim_idct::CheckedTransform(DCT8x8InvWorker_Generic, pSrcDst);
}
