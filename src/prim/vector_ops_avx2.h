// The operations of vector_ops_sse2.h on 256-bit registers (AVX2). Include it only after the
// source file has switched its functions to AVX2 (see yuv_generic_avx2.cpp), and only ever run
// it on a processor that has the AVX2 path. x86-64 only.
#pragma once

#include <immintrin.h>

#include <cstdint>

namespace {
namespace vec {

struct Avx2 {
  using V = __m256i;
  static constexpr int kBytes = 32;

  static V Load(const void* p) { return _mm256_loadu_si256(static_cast<const __m256i*>(p)); }
  static void Store(void* p, V v) { _mm256_storeu_si256(static_cast<__m256i*>(p), v); }
  static V Zero() { return _mm256_setzero_si256(); }
  static V Set8(std::int8_t v) { return _mm256_set1_epi8(v); }
  static V Set16(std::int16_t v) { return _mm256_set1_epi16(v); }
  static V Set32(std::int32_t v) { return _mm256_set1_epi32(v); }
  static V Add8(V a, V b) { return _mm256_add_epi8(a, b); }
  static V Add16(V a, V b) { return _mm256_add_epi16(a, b); }
  static V AddSat16(V a, V b) { return _mm256_adds_epi16(a, b); }
  static V Sub16(V a, V b) { return _mm256_sub_epi16(a, b); }
  static V Add32(V a, V b) { return _mm256_add_epi32(a, b); }
  static V MulLo16(V a, V b) { return _mm256_mullo_epi16(a, b); }
  static V MulHi16(V a, V b) { return _mm256_mulhi_epi16(a, b); }
  static V MulAdd16(V a, V b) { return _mm256_madd_epi16(a, b); }
  template <int N>
  static V Srai16(V a) {
    return _mm256_srai_epi16(a, N);
  }
  template <int N>
  static V Srli16(V a) {
    return _mm256_srli_epi16(a, N);
  }
  template <int N>
  static V Slli16(V a) {
    return _mm256_slli_epi16(a, N);
  }
  template <int N>
  static V Srai32(V a) {
    return _mm256_srai_epi32(a, N);
  }
  static V And(V a, V b) { return _mm256_and_si256(a, b); }
  static V AndNot(V a, V b) { return _mm256_andnot_si256(a, b); }
  static V Or(V a, V b) { return _mm256_or_si256(a, b); }
  static V Xor(V a, V b) { return _mm256_xor_si256(a, b); }
  static V CmpEq16(V a, V b) { return _mm256_cmpeq_epi16(a, b); }
  static V CmpGt16(V a, V b) { return _mm256_cmpgt_epi16(a, b); }
  static V Min16(V a, V b) { return _mm256_min_epi16(a, b); }
  static V Max16(V a, V b) { return _mm256_max_epi16(a, b); }
  static V UnpackLo8(V a, V b) { return _mm256_unpacklo_epi8(a, b); }
  static V UnpackHi8(V a, V b) { return _mm256_unpackhi_epi8(a, b); }
  static V UnpackLo16(V a, V b) { return _mm256_unpacklo_epi16(a, b); }
  static V UnpackHi16(V a, V b) { return _mm256_unpackhi_epi16(a, b); }
  static V UnpackLo32(V a, V b) { return _mm256_unpacklo_epi32(a, b); }
  static V UnpackHi32(V a, V b) { return _mm256_unpackhi_epi32(a, b); }
  static V PackUs16(V a, V b) { return _mm256_packus_epi16(a, b); }
  static V PackS16(V a, V b) { return _mm256_packs_epi16(a, b); }
  static V PackS32(V a, V b) { return _mm256_packs_epi32(a, b); }
  static std::uint32_t MoveMask8(V a) {
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(a));
  }
  static V Select(V mask, V a, V b) { return Or(And(mask, a), AndNot(mask, b)); }
  // kBytes / 2 bytes at p, each widened to a 16-bit lane, in order.
  static V LoadHalfWiden8(const void* p) {
    return _mm256_cvtepu8_epi16(_mm_loadu_si128(static_cast<const __m128i*>(p)));
  }
  // The two registers UnpackLo* and UnpackHi* made of one register of data in order (each
  // holding a quarter of it in either 128-bit half), put back in order: `first` takes the first
  // half of the elements, `second` the rest.
  static void InOrder(V lo, V hi, V& first, V& second) {
    first = _mm256_permute2x128_si256(lo, hi, 0x20);
    second = _mm256_permute2x128_si256(lo, hi, 0x31);
  }
  static V Sub32(V a, V b) { return _mm256_sub_epi32(a, b); }
  template <int N>
  static V Slli32(V a) {
    return _mm256_slli_epi32(a, N);
  }
  static V MulLo32(V a, V b) { return _mm256_mullo_epi32(a, b); }
  // Each 128-bit half shifted right by N bytes (zeros shifted in).
  template <int N>
  static V ShiftBytesRight(V a) {
    return _mm256_bsrli_epi128(a, N);
  }
  // The 32-bit lanes of each 128-bit half in the order kOrder gives (as pshufd).
  template <int kOrder>
  static V Shuffle32(V a) {
    return _mm256_shuffle_epi32(a, kOrder);
  }
};

}  // namespace vec
}  // namespace
