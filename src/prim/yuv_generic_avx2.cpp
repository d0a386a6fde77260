// AVX2 path of the generic YUV 4:2:0 to BGR form: thirty-two pixels a step. The arithmetic is
// the split rule of yuv_simd_kernel.h in 256-bit lanes; the B, G, R bytes are interleaved by
// byte shuffles within each 128-bit half (sixteen pixels, 48 bytes each).
#if defined(__x86_64__)

#include <immintrin.h>

#include <array>
#include <cstdint>

#include "prim/yuv_generic_paths.h"
#include "prim/yuv_rule.h"

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

// After the instruction set is switched on.
#include "prim/bgr_store_avx2.h"

namespace {

constexpr int kStep = 32;

// Chroma terms of sixteen chroma samples, 16-bit lanes in sample order.
struct Terms {
  __m256i blue;
  __m256i green;
  __m256i red;
};

// Constants of the split rule (see yuv_simd_kernel.h).
constexpr std::int16_t kRedV = 9175;
constexpr std::int16_t kGreenU = -25821;
constexpr std::int16_t kGreenV = 27460;
constexpr std::int16_t kBlueU = 2097;

inline Terms ChromaTerms(const std::uint8_t* u, const std::uint8_t* v) {
  const __m256i centre = _mm256_set1_epi16(128);
  const __m256i uu = _mm256_sub_epi16(
      _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(u))), centre);
  const __m256i vv = _mm256_sub_epi16(
      _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(v))), centre);
  const __m256i red = _mm256_add_epi16(vv, _mm256_mulhi_epi16(vv, _mm256_set1_epi16(kRedV)));
  const __m256i blue =
      _mm256_add_epi16(_mm256_add_epi16(uu, uu), _mm256_mulhi_epi16(uu, _mm256_set1_epi16(kBlueU)));
  const __m256i greenPair = _mm256_set1_epi32(static_cast<std::int32_t>(
      static_cast<std::uint16_t>(kGreenU) |
      (static_cast<std::uint32_t>(static_cast<std::uint16_t>(kGreenV)) << 16)));
  // Unpack, multiply-add and pack all stay within 128-bit halves: the sample order survives.
  const __m256i gLow =
      _mm256_srai_epi32(_mm256_madd_epi16(_mm256_unpacklo_epi16(uu, vv), greenPair), 16);
  const __m256i gHigh =
      _mm256_srai_epi32(_mm256_madd_epi16(_mm256_unpackhi_epi16(uu, vv), greenPair), 16);
  const __m256i green = _mm256_sub_epi16(_mm256_packs_epi32(gLow, gHigh), vv);
  return {blue, green, red};
}

// Terms of each pixel: each chroma term twice, in the order the luma unpack gives (pixels 0-7
// and 16-23 in `low`, 8-15 and 24-31 in `high`).
struct PixelTerms {
  __m256i blue;
  __m256i green;
  __m256i red;
};

inline void Row32(const std::uint8_t* y, std::uint8_t* dst, const PixelTerms& low,
                  const PixelTerms& high, const bgr_store::Masks& masks) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i luma = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(y));
  const __m256i yLow = _mm256_unpacklo_epi8(luma, zero);
  const __m256i yHigh = _mm256_unpackhi_epi8(luma, zero);
  const __m256i b =
      _mm256_packus_epi16(_mm256_add_epi16(yLow, low.blue), _mm256_add_epi16(yHigh, high.blue));
  const __m256i g =
      _mm256_packus_epi16(_mm256_add_epi16(yLow, low.green), _mm256_add_epi16(yHigh, high.green));
  const __m256i r =
      _mm256_packus_epi16(_mm256_add_epi16(yLow, low.red), _mm256_add_epi16(yHigh, high.red));
  bgr_store::Store32(dst, masks, b, g, r);
}

// Pixels [x, x + 32) of one or two rows (y1 null: one row), x even.
inline void Block(const std::uint8_t* y0, const std::uint8_t* y1, const std::uint8_t* u,
                  const std::uint8_t* v, std::uint8_t* d0, std::uint8_t* d1, std::int32_t x,
                  const bgr_store::Masks& masks) {
  const Terms t = ChromaTerms(u + x / 2, v + x / 2);
  const PixelTerms low{_mm256_unpacklo_epi16(t.blue, t.blue),
                       _mm256_unpacklo_epi16(t.green, t.green),
                       _mm256_unpacklo_epi16(t.red, t.red)};
  const PixelTerms high{_mm256_unpackhi_epi16(t.blue, t.blue),
                        _mm256_unpackhi_epi16(t.green, t.green),
                        _mm256_unpackhi_epi16(t.red, t.red)};
  const std::ptrdiff_t out = 3 * static_cast<std::ptrdiff_t>(x);
  Row32(y0 + x, d0 + out, low, high, masks);
  if (y1 != nullptr) {
    Row32(y1 + x, d1 + out, low, high, masks);
  }
}

// One or two rows sharing a chroma row. A width that is not a multiple of 32 ends with one
// more block over the last 32 pixels (from an even column, rewriting some pixels with the same
// bytes); an odd last pixel after it, and pictures narrower than 32, take the scalar rule.
inline void RowPair(const std::uint8_t* y0, const std::uint8_t* y1, const std::uint8_t* u,
                    const std::uint8_t* v, std::uint8_t* d0, std::uint8_t* d1, std::int32_t width,
                    const bgr_store::Masks& masks) {
  std::int32_t x = 0;
  for (; x + kStep <= width; x += kStep) {
    Block(y0, y1, u, v, d0, d1, x, masks);
  }
  if (x < width && width >= kStep) {
    x = (width - kStep) & ~1;
    Block(y0, y1, u, v, d0, d1, x, masks);
    x += kStep;
  }
  prim_yuv::RowScalar(y0, u, v, d0, x, width);
  if (y1 != nullptr) {
    prim_yuv::RowScalar(y1, u, v, d1, x, width);
  }
}

}  // namespace

void YUV420ToBGRWorker_GenericAvx2(const std::uint8_t* const src[3], const std::int32_t srcStep[3],
                                   std::uint8_t* dst, std::int32_t dstStep, std::int32_t width,
                                   std::int32_t height) {
  using prim_yuv::Row;
  const bgr_store::Masks masks = bgr_store::LoadMasks();
  for (std::int32_t r = 0; r < height; r += 2) {
    const bool pair = r + 1 < height;
    RowPair(Row(src[0], srcStep[0], r), pair ? Row(src[0], srcStep[0], r + 1) : nullptr,
            Row(src[1], srcStep[1], r / 2), Row(src[2], srcStep[2], r / 2), Row(dst, dstStep, r),
            pair ? Row(dst, dstStep, r + 1) : nullptr, width, masks);
  }
}

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#endif  // __x86_64__
