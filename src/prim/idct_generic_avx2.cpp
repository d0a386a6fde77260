// AVX2 path of the generic inverse DCT: the eight lines of a pass in one group of eight 32-bit
// lanes (see idct_generic_kernel.h).
#if defined(__x86_64__)

#include <immintrin.h>

#include <cstdint>
#include <type_traits>

#include "prim/prim_idct.h"

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

#include "prim/vector_ops_avx2.h"
// After the vector operations it is written over.
#include "prim/idct_generic_kernel.h"

namespace {

using idct_generic_kernel::GroupInputs;
using idct_generic_kernel::Rows;

// Lines 0-3 from `low`, 4-7 from `high`.
inline __m256i Join(__m128i low, __m128i high) {
  return _mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1);
}

inline __m256i Pairs(__m128i a, __m128i b) {
  return Join(_mm_unpacklo_epi16(a, b), _mm_unpackhi_epi16(a, b));
}

template <int kShift>
void PassAvx2(const Rows in, Rows out, std::integral_constant<int, kShift>) {
  using O = vec::Avx2;
  const __m128i zero = _mm_setzero_si128();
  const GroupInputs<vec::Avx2> inputs{Pairs(in[3], in[5]), Pairs(in[1], in[7]), Pairs(in[2], in[6]),
                                      Pairs(in[0], in[4]), Pairs(zero, in[2]),  Pairs(zero, in[6])};
  __m256i y[8];
  idct_generic_kernel::Transform<O>(inputs, _mm256_set1_epi32(idct_generic_kernel::Round<kShift>()),
                                    y);
  for (int k = 0; k < 8; k += 2) {
    // Packing works within 128-bit halves; the 64-bit permute puts line k in the low half and
    // line k + 1 in the high half.
    const __m256i packed = _mm256_permute4x64_epi64(
        _mm256_packs_epi32(idct_generic_kernel::Narrow<O, kShift>(y[k]),
                           idct_generic_kernel::Narrow<O, kShift>(y[k + 1])),
        _MM_SHUFFLE(3, 1, 2, 0));
    out[k] = _mm256_castsi256_si128(packed);
    out[k + 1] = _mm256_extracti128_si256(packed, 1);
  }
}

}  // namespace

void DCT8x8InvWorker_GenericAvx2(const std::int16_t* src, std::int16_t* dst) {
  idct_generic_kernel::Worker(
      src, dst, [](const Rows in, Rows out, auto shift) { PassAvx2(in, out, shift); });
}

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#endif  // __x86_64__
