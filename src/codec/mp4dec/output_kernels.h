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

// The colour rule of modes 4 to 11 (Mp4DecYuvToBgrPixel) on 16-bit lanes: every product of
// the rule is (8 x c) >> 16 with |8 x| <= 2040 and |c| < 32768, which is exactly the high half
// of a 16-bit multiply; the sums stay within -300..540. The results are not yet limited to
// 0..255.
template <typename O>
struct Colours {
  typename O::V b;
  typename O::V g;
  typename O::V r;
};

// Pixels [0, O::kBytes) of a row, as the two halves an unpack of the luma gives (UnpackLo8 and
// UnpackHi8 of the luma bytes in order).
template <typename O>
struct ColourHalves {
  Colours<O> lo;
  Colours<O> hi;
};

template <typename O>
inline Colours<O> AddLuma(typename O::V y, const Colours<O>& chroma) {
  using V = typename O::V;
  const V luma = O::MulHi16(O::template Slli16<3>(O::Max16(O::Sub16(y, O::Set16(16)), O::Zero())),
                            O::Set16(9576));
  return {O::Add16(luma, chroma.b), O::Add16(luma, chroma.g), O::Add16(luma, chroma.r)};
}

template <typename O>
inline ColourHalves<O> ColourStep(const std::uint8_t* y, const std::uint8_t* u,
                                  const std::uint8_t* v) {
  using V = typename O::V;
  const V zero = O::Zero();
  const V centre = O::Set16(128);
  const V u8 = O::template Slli16<3>(O::Sub16(O::LoadHalfWiden8(u), centre));
  const V v8 = O::template Slli16<3>(O::Sub16(O::LoadHalfWiden8(v), centre));
  // Per chroma sample, then each sample's terms twice (the two pixels that share it).
  const V tb = O::MulHi16(u8, O::Set16(16591));
  const V tg = O::Add16(O::MulHi16(u8, O::Set16(-3218)), O::MulHi16(v8, O::Set16(-6686)));
  const V tr = O::MulHi16(v8, O::Set16(13123));
  const Colours<O> lo{O::UnpackLo16(tb, tb), O::UnpackLo16(tg, tg), O::UnpackLo16(tr, tr)};
  const Colours<O> hi{O::UnpackHi16(tb, tb), O::UnpackHi16(tg, tg), O::UnpackHi16(tr, tr)};
  const V luma = O::Load(y);
  return {AddLuma<O>(O::UnpackLo8(luma, zero), lo), AddLuma<O>(O::UnpackHi8(luma, zero), hi)};
}

template <typename O>
inline typename O::V Limit255(typename O::V x) {
  return O::Min16(O::Max16(x, O::Zero()), O::Set16(255));
}

// A 16-bit pixel word: R, G, B limited to 0..255, then their top kRedBits, kGreenBits, 5 bits.
template <typename O, int kGreenBits>
inline typename O::V Word16(const Colours<O>& c) {
  const auto r = O::template Srli16<3>(Limit255<O>(c.r));
  const auto g = O::template Srli16<8 - kGreenBits>(Limit255<O>(c.g));
  const auto b = O::template Srli16<3>(Limit255<O>(c.b));
  return O::Or(O::Or(O::template Slli16<5 + kGreenBits>(r), O::template Slli16<5>(g)), b);
}

// 16-bit pixels (kGreenBits 5: 555, 6: 565), O::kBytes pixels a step.
template <typename O, int kGreenBits>
inline std::int32_t Rgb16Row(const std::uint8_t* y, const std::uint8_t* u, const std::uint8_t* v,
                             std::uint8_t* out, std::int32_t width) {
  using V = typename O::V;
  std::int32_t i = 0;
  for (; i + O::kBytes <= width; i += O::kBytes) {
    const ColourHalves<O> c = ColourStep<O>(y + i, u + i / 2, v + i / 2);
    V first;
    V second;
    O::InOrder(Word16<O, kGreenBits>(c.lo), Word16<O, kGreenBits>(c.hi), first, second);
    O::Store(out + 2 * i, first);
    O::Store(out + 2 * i + O::kBytes, second);
  }
  return i;
}

// Half a step of 32-bit pixels B, G, R, 0 from colours in pixel order.
template <typename O>
inline void StoreBgr0(std::uint8_t* out, typename O::V b, typename O::V g, typename O::V r) {
  using V = typename O::V;
  const V bg = O::Or(Limit255<O>(b), O::template Slli16<8>(Limit255<O>(g)));
  const V r0 = Limit255<O>(r);
  V first;
  V second;
  O::InOrder(O::UnpackLo16(bg, r0), O::UnpackHi16(bg, r0), first, second);
  O::Store(out, first);
  O::Store(out + O::kBytes, second);
}

template <typename O>
inline std::int32_t Rgb32Row(const std::uint8_t* y, const std::uint8_t* u, const std::uint8_t* v,
                             std::uint8_t* out, std::int32_t width) {
  using V = typename O::V;
  std::int32_t i = 0;
  for (; i + O::kBytes <= width; i += O::kBytes) {
    const ColourHalves<O> c = ColourStep<O>(y + i, u + i / 2, v + i / 2);
    V b0, b1, g0, g1, r0, r1;
    O::InOrder(c.lo.b, c.hi.b, b0, b1);
    O::InOrder(c.lo.g, c.hi.g, g0, g1);
    O::InOrder(c.lo.r, c.hi.r, r0, r1);
    StoreBgr0<O>(out + 4 * i, b0, g0, r0);
    StoreBgr0<O>(out + 4 * i + 2 * O::kBytes, b1, g1, r1);
  }
  return i;
}

// 24-bit pixels: the B, G, R bytes of a step in pixel order (packing the unpack halves puts
// them back in order), stored by the path's interleaver `store(out, b, g, r, pixel)`.
template <typename O, typename Store>
inline std::int32_t Rgb24Row(const std::uint8_t* y, const std::uint8_t* u, const std::uint8_t* v,
                             std::uint8_t* out, std::int32_t width, Store store) {
  std::int32_t i = 0;
  for (; i + O::kBytes <= width; i += O::kBytes) {
    const ColourHalves<O> c = ColourStep<O>(y + i, u + i / 2, v + i / 2);
    store(out + 3 * i, O::PackUs16(c.lo.b, c.hi.b), O::PackUs16(c.lo.g, c.hi.g),
          O::PackUs16(c.lo.r, c.hi.r), i);
  }
  return i;
}

// U Y V Y: each chroma pair's bytes followed, byte by byte, by the luma bytes of its two
// pixels. O::kBytes pixels a step (an even count).
template <typename O>
inline std::int32_t UyvyRow(const std::uint8_t* y, const std::uint8_t* u, const std::uint8_t* v,
                            std::uint8_t* out, std::int32_t width) {
  using V = typename O::V;
  std::int32_t i = 0;
  for (; i + O::kBytes <= width; i += O::kBytes) {
    const V uv =
        O::Or(O::LoadHalfWiden8(u + i / 2), O::template Slli16<8>(O::LoadHalfWiden8(v + i / 2)));
    const V luma = O::Load(y + i);
    V first;
    V second;
    O::InOrder(O::UnpackLo8(uv, luma), O::UnpackHi8(uv, luma), first, second);
    O::Store(out + 2 * i, first);
    O::Store(out + 2 * i + O::kBytes, second);
  }
  return i;
}

}  // namespace output_kernel
}  // namespace
