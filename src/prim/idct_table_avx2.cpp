// AVX2 path of the table-driven inverse DCT (the SSE, SSE2 and SSE3 forms): the row pass two
// rows a step in 256-bit registers, each 128-bit half with its own row's tables and rounding
// term, then the forms' column pass. Every instruction is the one the 128-bit code runs on the
// same lanes, so the results are those of DCT8x8InvWorker_Sse2 to the bit.
#if defined(__x86_64__)

#include <immintrin.h>

#include <array>
#include <cstddef>
#include <cstdint>

#include "prim/idct_tables.h"
#include "prim/prim_idct.h"

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

#include "prim/vector_ops_avx2.h"
// After the vector operations it is written over.
#include "prim/idct_simd_kernel.h"

namespace {

constexpr std::size_t kRowPairs = 4;

// For rows 2i and 2i + 1: the four weight tables of row 2i in the low half and of row 2i + 1
// in the high half.
using TwoRowTables = std::array<std::array<std::int16_t, 16>, 4>;

constexpr std::array<TwoRowTables, kRowPairs> MakeTwoRowTables() {
  std::array<TwoRowTables, kRowPairs> tables{};
  for (std::size_t i = 0; i < kRowPairs; ++i) {
    for (std::size_t half = 0; half < 2; ++half) {
      const auto scale = static_cast<std::size_t>(prim_idct::kRowScale[2 * i + half]);
      for (std::size_t pair = 0; pair < 4; ++pair) {
        for (std::size_t lane = 0; lane < 8; ++lane) {
          tables[i][pair][8 * half + lane] = prim_idct::kRowPairTables[scale][pair][lane];
        }
      }
    }
  }
  return tables;
}

alignas(32) constexpr std::array<TwoRowTables, kRowPairs> kTwoRowTables = MakeTwoRowTables();

// The rounding terms of rows 2i (low half) and 2i + 1 (high half).
constexpr std::array<std::array<std::int32_t, 8>, kRowPairs> MakeTwoRowRounds() {
  std::array<std::array<std::int32_t, 8>, kRowPairs> rounds{};
  for (std::size_t i = 0; i < kRowPairs; ++i) {
    for (std::size_t lane = 0; lane < 8; ++lane) {
      rounds[i][lane] = prim_idct::kRowRound[2 * i + lane / 4];
    }
  }
  return rounds;
}

alignas(32) constexpr std::array<std::array<std::int32_t, 8>, kRowPairs> kTwoRowRounds =
    MakeTwoRowRounds();

inline __m256i Load256(const void* p) {
  return _mm256_load_si256(static_cast<const __m256i*>(p));
}

// Rows 2i and 2i + 1 through the row pass, into rows[2i] and rows[2i + 1].
template <std::size_t i>
inline void RowPair(const std::int16_t* src, idct_kernel::Rows& rows) {
  const __m256i two = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 16 * i));
  const auto& table = kTwoRowTables[i];
  const __m256i weights[4] = {Load256(table[0].data()), Load256(table[1].data()),
                              Load256(table[2].data()), Load256(table[3].data())};
  const __m256i passed =
      idct_kernel::RowPassOver<vec::Avx2>(two, weights, Load256(kTwoRowRounds[i].data()));
  rows[2 * i] = _mm256_castsi256_si128(passed);
  rows[2 * i + 1] = _mm256_extracti128_si256(passed, 1);
}

}  // namespace

void DCT8x8InvWorker_TableAvx2(const std::int16_t* src, std::int16_t* dst) {
  idct_kernel::Rows rows;
  RowPair<0>(src, rows);
  RowPair<1>(src, rows);
  RowPair<2>(src, rows);
  RowPair<3>(src, rows);
  idct_kernel::ColumnPass(rows);
  for (std::size_t r = 0; r < 8; ++r) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 8 * r), rows[r]);
  }
}

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#endif  // __x86_64__
