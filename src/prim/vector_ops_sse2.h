// Integer vector operations on 128-bit registers (SSE2), named as those of vector_ops_avx2.h,
// so that a kernel written once as a template over the operation set serves the SSE2 and the
// AVX2 paths of the generic forms. Every operation works within 128-bit halves (as the AVX2
// ones do), so a kernel that unpacks and packs again keeps its data in order. Internal linkage:
// each source file gets its own code for the instruction set it is built for. x86-64 only.
#pragma once

#include <immintrin.h>

#include <cstdint>

namespace {
namespace vec {

struct Sse2 {
  using V = __m128i;
  static constexpr int kBytes = 16;

  static V Load(const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); }
  static void Store(void* p, V v) { _mm_storeu_si128(static_cast<__m128i*>(p), v); }
  static V Zero() { return _mm_setzero_si128(); }
  static V Set8(std::int8_t v) { return _mm_set1_epi8(v); }
  static V Set16(std::int16_t v) { return _mm_set1_epi16(v); }
  static V Set32(std::int32_t v) { return _mm_set1_epi32(v); }
  static V Add8(V a, V b) { return _mm_add_epi8(a, b); }
  static V Add16(V a, V b) { return _mm_add_epi16(a, b); }
  static V AddSat16(V a, V b) { return _mm_adds_epi16(a, b); }
  static V Sub16(V a, V b) { return _mm_sub_epi16(a, b); }
  static V Add32(V a, V b) { return _mm_add_epi32(a, b); }
  static V MulLo16(V a, V b) { return _mm_mullo_epi16(a, b); }
  static V MulHi16(V a, V b) { return _mm_mulhi_epi16(a, b); }
  static V MulAdd16(V a, V b) { return _mm_madd_epi16(a, b); }
  template <int N>
  static V Srai16(V a) {
    return _mm_srai_epi16(a, N);
  }
  template <int N>
  static V Srli16(V a) {
    return _mm_srli_epi16(a, N);
  }
  template <int N>
  static V Slli16(V a) {
    return _mm_slli_epi16(a, N);
  }
  template <int N>
  static V Srai32(V a) {
    return _mm_srai_epi32(a, N);
  }
  static V And(V a, V b) { return _mm_and_si128(a, b); }
  static V AndNot(V a, V b) { return _mm_andnot_si128(a, b); }
  static V Or(V a, V b) { return _mm_or_si128(a, b); }
  static V Xor(V a, V b) { return _mm_xor_si128(a, b); }
  static V CmpEq16(V a, V b) { return _mm_cmpeq_epi16(a, b); }
  static V CmpGt16(V a, V b) { return _mm_cmpgt_epi16(a, b); }
  static V Min16(V a, V b) { return _mm_min_epi16(a, b); }
  static V Max16(V a, V b) { return _mm_max_epi16(a, b); }
  static V UnpackLo8(V a, V b) { return _mm_unpacklo_epi8(a, b); }
  static V UnpackHi8(V a, V b) { return _mm_unpackhi_epi8(a, b); }
  static V UnpackLo16(V a, V b) { return _mm_unpacklo_epi16(a, b); }
  static V UnpackHi16(V a, V b) { return _mm_unpackhi_epi16(a, b); }
  static V UnpackLo32(V a, V b) { return _mm_unpacklo_epi32(a, b); }
  static V UnpackHi32(V a, V b) { return _mm_unpackhi_epi32(a, b); }
  static V PackUs16(V a, V b) { return _mm_packus_epi16(a, b); }
  static V PackS16(V a, V b) { return _mm_packs_epi16(a, b); }
  static V PackS32(V a, V b) { return _mm_packs_epi32(a, b); }
  static std::uint32_t MoveMask8(V a) { return static_cast<std::uint32_t>(_mm_movemask_epi8(a)); }
  static V Select(V mask, V a, V b) { return Or(And(mask, a), AndNot(mask, b)); }
  // kBytes / 2 bytes at p, each widened to a 16-bit lane, in order.
  static V LoadHalfWiden8(const void* p) {
    return _mm_unpacklo_epi8(_mm_loadl_epi64(static_cast<const __m128i*>(p)), Zero());
  }
  // The two registers UnpackLo* and UnpackHi* made of one register of data in order, put back
  // in order: `first` takes the first half of the elements, `second` the rest.
  static void InOrder(V lo, V hi, V& first, V& second) {
    first = lo;
    second = hi;
  }
  static V Sub32(V a, V b) { return _mm_sub_epi32(a, b); }
  template <int N>
  static V Slli32(V a) {
    return _mm_slli_epi32(a, N);
  }
  // Low 32 bits of each product (SSE2 has only the 32 x 32 -> 64 multiply of lanes 0 and 2).
  static V MulLo32(V a, V b) {
    const V even = _mm_mul_epu32(a, b);
    const V odd = _mm_mul_epu32(_mm_srli_epi64(a, 32), _mm_srli_epi64(b, 32));
    return _mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(0, 0, 2, 0)),
                              _mm_shuffle_epi32(odd, _MM_SHUFFLE(0, 0, 2, 0)));
  }
  // Each 128-bit half shifted right by N bytes (zeros shifted in).
  template <int N>
  static V ShiftBytesRight(V a) {
    return _mm_srli_si128(a, N);
  }
  // The 32-bit lanes of each 128-bit half in the order kOrder gives (as pshufd).
  template <int kOrder>
  static V Shuffle32(V a) {
    return _mm_shuffle_epi32(a, kOrder);
  }
};

}  // namespace vec
}  // namespace
