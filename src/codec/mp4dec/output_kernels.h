// Vector bodies of the output stage's row kernels, written once over an operation set of
// prim/vector_ops_*.h (vec::Sse2, vec::Avx2). Each returns how many leading pixels it did
// (whole registers); the caller finishes the row with the scalar rule. Included by the source
// file of each path after it sets its instruction set; internal linkage.
#pragma once

#include <cstdint>

namespace {
namespace output_kernel {

// The deinterlacer's test on halved samples a (above), b, c (below) in 16-bit lanes: all ones
// where b is replaced. d = (a - b)(c - b) and (a - c)^2 fit 16 bits exactly (|a - b| < 128), so
// the lanes give the 16-bit rule's values; d - e lies within -18004..16129.
template <typename O>
inline typename O::V DeinterlaceTest(typename O::V a, typename O::V b, typename O::V c) {
  using V = typename O::V;
  const V d = O::MulLo16(O::Sub16(a, b), O::Sub16(c, b));
  const V ac = O::Sub16(a, c);
  const V e = O::MulLo16(O::template Srli16<12>(O::MulLo16(ac, ac)), O::Set16(625));
  return O::CmpGt16(O::Sub16(d, e), O::Set16(73));
}

template <typename O>
inline std::int32_t DeinterlaceRow(const std::uint8_t* above, const std::uint8_t* line,
                                   const std::uint8_t* below, std::uint8_t* out,
                                   std::int32_t width) {
  using V = typename O::V;
  const V zero = O::Zero();
  const V low7 = O::Set8(0x7F);
  std::int32_t i = 0;
  for (; i + O::kBytes <= width; i += O::kBytes) {
    const V a = O::And(O::template Srli16<1>(O::Load(above + i)), low7);
    const V original = O::Load(line + i);
    const V b = O::And(O::template Srli16<1>(original), low7);
    const V c = O::And(O::template Srli16<1>(O::Load(below + i)), low7);
    const V replace = O::PackS16(
        DeinterlaceTest<O>(O::UnpackLo8(a, zero), O::UnpackLo8(b, zero), O::UnpackLo8(c, zero)),
        DeinterlaceTest<O>(O::UnpackHi8(a, zero), O::UnpackHi8(b, zero), O::UnpackHi8(c, zero)));
    O::Store(out + i, O::Select(replace, O::Add8(a, c), original));
  }
  return i;
}

// Two-byte pixels, luma in the high byte of each little-endian 16-bit word.
template <typename O>
inline std::int32_t DeinterlacePackedRow(const std::uint8_t* above, const std::uint8_t* line,
                                         const std::uint8_t* below, std::uint8_t* out,
                                         std::int32_t width) {
  using V = typename O::V;
  constexpr std::int32_t kPixels = O::kBytes / 2;
  const V chromaByte = O::Set16(0x00FF);
  std::int32_t i = 0;
  for (; i + kPixels <= width; i += kPixels) {
    const V a = O::template Srli16<9>(O::Load(above + 2 * i));
    const V original = O::Load(line + 2 * i);
    const V c = O::template Srli16<9>(O::Load(below + 2 * i));
    const V replaced = O::Or(O::template Slli16<8>(O::Add16(a, c)), O::And(original, chromaByte));
    const V test = DeinterlaceTest<O>(a, O::template Srli16<9>(original), c);
    O::Store(out + 2 * i, O::Select(test, replaced, original));
  }
  return i;
}

}  // namespace output_kernel
}  // namespace
