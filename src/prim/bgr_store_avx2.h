// Stores the B, G, R bytes of thirty-two pixels as 96 bytes of a 24-bit picture on 256-bit
// registers: byte shuffles within each 128-bit half put each colour's bytes in their places.
// Include only after the source file has switched its functions to AVX2 (and after <array>,
// so that no standard function is compiled for AVX2); internal linkage.
// x86-64 only.
#pragma once

#include <immintrin.h>

#include <array>
#include <cstdint>

namespace {
namespace bgr_store {

// Byte shuffles that take the B, G or R bytes of sixteen pixels to their places in one of the
// three 16-byte thirds of the pixels' 48 output bytes (the same in both 128-bit halves).
using ShuffleMask = std::array<std::int8_t, 32>;

constexpr ShuffleMask MakeMask(int third, int channel) {
  ShuffleMask mask{};
  for (int half = 0; half < 2; ++half) {
    for (int k = 0; k < 16; ++k) {
      const int out = 16 * third + k;
      mask[static_cast<std::size_t>(16 * half + k)] =
          static_cast<std::int8_t>(out % 3 == channel ? out / 3 : -128);
    }
  }
  return mask;
}

constexpr std::array<std::array<ShuffleMask, 3>, 3> kMasks{{
    {MakeMask(0, 0), MakeMask(0, 1), MakeMask(0, 2)},
    {MakeMask(1, 0), MakeMask(1, 1), MakeMask(1, 2)},
    {MakeMask(2, 0), MakeMask(2, 1), MakeMask(2, 2)},
}};

struct Masks {
  __m256i m[3][3];
};

inline Masks LoadMasks() {
  Masks masks;
  for (int third = 0; third < 3; ++third) {
    for (int channel = 0; channel < 3; ++channel) {
      masks.m[third][channel] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(
          kMasks[static_cast<std::size_t>(third)][static_cast<std::size_t>(channel)].data()));
    }
  }
  return masks;
}

inline __m256i Third(const Masks& masks, int third, __m256i b, __m256i g, __m256i r) {
  return _mm256_or_si256(_mm256_or_si256(_mm256_shuffle_epi8(b, masks.m[third][0]),
                                         _mm256_shuffle_epi8(g, masks.m[third][1])),
                         _mm256_shuffle_epi8(r, masks.m[third][2]));
}

// B, G, R of thirty-two pixels (bytes in pixel order) as 96 bytes at dst.
inline void Store32(std::uint8_t* dst, const Masks& masks, __m256i b, __m256i g, __m256i r) {
  // Each register: one third of pixels 0-15 in its low half, of pixels 16-31 in its high half.
  const __m256i t0 = Third(masks, 0, b, g, r);
  const __m256i t1 = Third(masks, 1, b, g, r);
  const __m256i t2 = Third(masks, 2, b, g, r);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst), _mm256_permute2x128_si256(t0, t1, 0x20));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + 32),
                      _mm256_permute2x128_si256(t2, t0, 0x30));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + 64),
                      _mm256_permute2x128_si256(t1, t2, 0x31));
}

}  // namespace bgr_store
}  // namespace
