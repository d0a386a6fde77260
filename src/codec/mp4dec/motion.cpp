#include "codec/mp4dec/motion.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstring>

namespace {

enum class HalfPel { kNone, kX, kY, kXY };

// Loads and stores of 8 or 16 samples.
template <int W>
__m128i Load(const std::uint8_t* p) {
  if constexpr (W == 16) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  } else {
    return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
  }
}

template <int W>
void Store(std::uint8_t* p, __m128i v) {
  if constexpr (W == 16) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
  } else {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v);
  }
}

// (a + b + 1 - rc) >> 1 per byte: the rounded-up average, less one where rc is 1 and a + b is odd.
template <int RC>
__m128i Average(__m128i a, __m128i b) {
  const __m128i up = _mm_avg_epu8(a, b);
  if constexpr (RC == 0) {
    return up;
  } else {
    const __m128i odd = _mm_and_si128(_mm_xor_si128(a, b), _mm_set1_epi8(1));
    return _mm_sub_epi8(up, odd);
  }
}

// Horizontal pair sums of one row as two halves of 16-bit lanes (the high half unused for W 8).
struct PairSums {
  __m128i lo;
  __m128i hi;
};

template <int W>
PairSums RowPairSums(const std::uint8_t* p) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i a = Load<W>(p);
  const __m128i b = Load<W>(p + 1);
  PairSums s;
  s.lo = _mm_add_epi16(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero));
  s.hi = W == 16 ? _mm_add_epi16(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero)) : zero;
  return s;
}

// H rows of W samples, row by row.
template <int W, int H>
void CopyRows(const std::uint8_t* s, std::uint8_t* d, std::ptrdiff_t stride) {
#pragma GCC unroll 16
  for (int row = 0; row < H; ++row) {
    Store<W>(d + row * stride, Load<W>(s + row * stride));
  }
}

template <int W, HalfPel P, int RC>
void Kernel(const std::uint8_t* s, std::uint8_t* d, std::ptrdiff_t stride, int height) {
  if constexpr (P == HalfPel::kNone) {
    // The block heights of a macroblock (8 and 16 rows) take fully unrolled copies.
    if (height == 8) {
      CopyRows<W, 8>(s, d, stride);
    } else if (height == 16) {
      CopyRows<W, 16>(s, d, stride);
    } else {
      for (int row = 0; row < height; ++row, s += stride, d += stride) {
        Store<W>(d, Load<W>(s));
      }
    }
  } else if constexpr (P == HalfPel::kX) {
    for (int row = 0; row < height; ++row, s += stride, d += stride) {
      Store<W>(d, Average<RC>(Load<W>(s), Load<W>(s + 1)));
    }
  } else if constexpr (P == HalfPel::kY) {
    __m128i above = Load<W>(s);
    for (int row = 0; row < height; ++row, s += stride, d += stride) {
      const __m128i below = Load<W>(s + stride);
      Store<W>(d, Average<RC>(above, below));
      above = below;
    }
  } else {
    const __m128i bias = _mm_set1_epi16(static_cast<short>(2 - RC));
    PairSums above = RowPairSums<W>(s);
    for (int row = 0; row < height; ++row, s += stride, d += stride) {
      const PairSums below = RowPairSums<W>(s + stride);
      const __m128i lo = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(above.lo, below.lo), bias), 2);
      const __m128i hi = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(above.hi, below.hi), bias), 2);
      Store<W>(d, _mm_packus_epi16(lo, hi));
      above = below;
    }
  }
}

}  // namespace

void Mp4DecMcCopy8(const std::uint8_t* s, std::uint8_t* d, std::ptrdiff_t stride, int height) {
  Kernel<8, HalfPel::kNone, 0>(s, d, stride, height);
}
void Mp4DecMcHx8R0(const std::uint8_t* s, std::uint8_t* d, std::ptrdiff_t stride, int height) {
  Kernel<8, HalfPel::kX, 0>(s, d, stride, height);
}
void Mp4DecMcHy8R0(const std::uint8_t* s, std::uint8_t* d, std::ptrdiff_t stride, int height) {
  Kernel<8, HalfPel::kY, 0>(s, d, stride, height);
}
void Mp4DecMcHxy8R0(const std::uint8_t* s, std::uint8_t* d, std::ptrdiff_t stride, int height) {
  Kernel<8, HalfPel::kXY, 0>(s, d, stride, height);
}
void Mp4DecMcHx8R1(const std::uint8_t* s, std::uint8_t* d, std::ptrdiff_t stride, int height) {
  Kernel<8, HalfPel::kX, 1>(s, d, stride, height);
}
void Mp4DecMcHy8R1(const std::uint8_t* s, std::uint8_t* d, std::ptrdiff_t stride, int height) {
  Kernel<8, HalfPel::kY, 1>(s, d, stride, height);
}
void Mp4DecMcHxy8R1(const std::uint8_t* s, std::uint8_t* d, std::ptrdiff_t stride, int height) {
  Kernel<8, HalfPel::kXY, 1>(s, d, stride, height);
}
void Mp4DecMcCopy16(const std::uint8_t* s, std::uint8_t* d, std::ptrdiff_t stride, int height) {
  Kernel<16, HalfPel::kNone, 0>(s, d, stride, height);
}
void Mp4DecMcHx16R0(const std::uint8_t* s, std::uint8_t* d, std::ptrdiff_t stride, int height) {
  Kernel<16, HalfPel::kX, 0>(s, d, stride, height);
}
void Mp4DecMcHy16R0(const std::uint8_t* s, std::uint8_t* d, std::ptrdiff_t stride, int height) {
  Kernel<16, HalfPel::kY, 0>(s, d, stride, height);
}
void Mp4DecMcHxy16R0(const std::uint8_t* s, std::uint8_t* d, std::ptrdiff_t stride, int height) {
  Kernel<16, HalfPel::kXY, 0>(s, d, stride, height);
}
void Mp4DecMcHx16R1(const std::uint8_t* s, std::uint8_t* d, std::ptrdiff_t stride, int height) {
  Kernel<16, HalfPel::kX, 1>(s, d, stride, height);
}
void Mp4DecMcHy16R1(const std::uint8_t* s, std::uint8_t* d, std::ptrdiff_t stride, int height) {
  Kernel<16, HalfPel::kY, 1>(s, d, stride, height);
}
void Mp4DecMcHxy16R1(const std::uint8_t* s, std::uint8_t* d, std::ptrdiff_t stride, int height) {
  Kernel<16, HalfPel::kXY, 1>(s, d, stride, height);
}

const std::array<Mp4DecMcKernel, 16> kMp4DecMcKernels = {
    &Mp4DecMcCopy8,  &Mp4DecMcHx8R0,  &Mp4DecMcHy8R0,  &Mp4DecMcHxy8R0,
    &Mp4DecMcCopy8,  &Mp4DecMcHx8R1,  &Mp4DecMcHy8R1,  &Mp4DecMcHxy8R1,
    &Mp4DecMcCopy16, &Mp4DecMcHx16R0, &Mp4DecMcHy16R0, &Mp4DecMcHxy16R0,
    &Mp4DecMcCopy16, &Mp4DecMcHx16R1, &Mp4DecMcHy16R1, &Mp4DecMcHxy16R1,
};

namespace {

// One kernel in C. Reads only the samples its position needs: W (+ 1 across) by height (+ 1
// down) from `s`.
template <int W, HalfPel P, int RC>
void KernelGeneric(const std::uint8_t* s, std::uint8_t* d, std::ptrdiff_t stride, int height) {
  for (int row = 0; row < height; ++row, s += stride, d += stride) {
    for (int x = 0; x < W; ++x) {
      const int a = s[x];
      int value = a;
      if constexpr (P == HalfPel::kX) {
        value = (a + s[x + 1] + 1 - RC) >> 1;
      } else if constexpr (P == HalfPel::kY) {
        value = (a + s[x + stride] + 1 - RC) >> 1;
      } else if constexpr (P == HalfPel::kXY) {
        value = (a + s[x + 1] + s[x + stride] + s[x + stride + 1] + 2 - RC) >> 2;
      }
      d[x] = static_cast<std::uint8_t>(value);
    }
  }
}

}  // namespace

const std::array<Mp4DecMcKernel, 16> kMp4DecMcKernelsGeneric = {
    &KernelGeneric<8, HalfPel::kNone, 0>,  &KernelGeneric<8, HalfPel::kX, 0>,
    &KernelGeneric<8, HalfPel::kY, 0>,     &KernelGeneric<8, HalfPel::kXY, 0>,
    &KernelGeneric<8, HalfPel::kNone, 1>,  &KernelGeneric<8, HalfPel::kX, 1>,
    &KernelGeneric<8, HalfPel::kY, 1>,     &KernelGeneric<8, HalfPel::kXY, 1>,
    &KernelGeneric<16, HalfPel::kNone, 0>, &KernelGeneric<16, HalfPel::kX, 0>,
    &KernelGeneric<16, HalfPel::kY, 0>,    &KernelGeneric<16, HalfPel::kXY, 0>,
    &KernelGeneric<16, HalfPel::kNone, 1>, &KernelGeneric<16, HalfPel::kX, 1>,
    &KernelGeneric<16, HalfPel::kY, 1>,    &KernelGeneric<16, HalfPel::kXY, 1>,
};

namespace {

[[gnu::always_inline]] inline void PredictBlock(const Mp4DecMcPlane& reference,
                                                std::uint8_t* destination, int width, int height,
                                                int x, int y, int mvx, int mvy, int rounding) {
  // The kernel reads width + 1 columns and height + 1 rows from the integer position.
  const int ix =
      std::clamp(x + (mvx >> 1), -reference.border, reference.width + reference.border - width - 1);
  const int iy = std::clamp(y + (mvy >> 1), -reference.border,
                            reference.height + reference.border - height - 1);
  const int index = (width != 8 ? 8 : 0) + (rounding != 0 ? 4 : 0) + (mvy & 1) * 2 + (mvx & 1);
  kMp4DecMcKernels[static_cast<std::size_t>(index)](reference.origin + iy * reference.stride + ix,
                                                    destination + y * reference.stride + x,
                                                    reference.stride, height);
}

// PredictBlock for a zero vector: the same clamped position and the copy kernel of width W.
template <int W>
void CopyBlock(const Mp4DecMcPlane& reference, std::uint8_t* destination, int x, int y) {
  const int ix = std::clamp(x, -reference.border, reference.width + reference.border - W - 1);
  const int iy = std::clamp(y, -reference.border, reference.height + reference.border - W - 1);
  CopyRows<W, W>(reference.origin + iy * reference.stride + ix,
                 destination + y * reference.stride + x, reference.stride);
}

}  // namespace

void Mp4DecMotionCompBlock(const Mp4DecMcPlane& reference, std::uint8_t* destination, int width,
                           int height, int x, int y, int mvx, int mvy, int rounding) {
  PredictBlock(reference, destination, width, height, x, y, mvx, mvy, rounding);
}

int Mp4DecChromaVectorOne(int v) {
  return (v & 3) == 0 ? v >> 1 : (v >> 1) | 1;
}

int Mp4DecChromaVectorFour(int sum) {
  static constexpr int kRounding[16] = {0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2};
  if (sum == 0) {
    return 0;
  }
  const int magnitude = sum < 0 ? -sum : sum;
  const int v = kRounding[magnitude & 15] + 2 * (magnitude >> 4);
  return sum < 0 ? -v : v;
}

void Mp4DecMotionCompMacroblock(Mp4DecInstance& inst, int mbx, int mby, int macroblockType) {
  const Mp4DecContext& ctx = ContextOf(inst);
  const Mp4DecGeometry& g = ctx.geometry;
  const int rc = ctx.vop.vop_rounding_type;
  const std::ptrdiff_t s = g.paddedLumaWidth;
  const std::ptrdiff_t cs = g.paddedChromaWidth;
  const int chromaWidth = g.paddedChromaWidth - 32;
  const int chromaHeight = g.paddedChromaHeight - 32;
  const int row = mby + 1;
  const int col = mbx + 1;
  auto mvx = [&](int slot) { return ctx.mvX[slot][row][col]; };
  auto mvy = [&](int slot) { return ctx.mvY[slot][row][col]; };

  if (macroblockType != kMbInter4v && ctx.mb.field_prediction != 0) {
    for (int f = 0; f < 2; ++f) {
      const int slot = f == 0 ? 0 : 2;
      const int fieldRef =
          f == 0 ? ctx.mb.forward_top_field_reference : ctx.mb.forward_bottom_field_reference;
      const int vx = mvx(slot);
      const int vy = mvy(slot) >> 1;
      const Mp4DecMcPlane luma{inst.referenceOrigin[0] + (fieldRef != 0 ? s : 0), 2 * s, g.width,
                               g.height / 2, 16};
      PredictBlock(luma, inst.decodeOrigin[0] + (f == 1 ? s : 0), 16, 8, 16 * mbx, 8 * mby, vx, vy,
                   rc);
      const int cx = Mp4DecChromaVectorOne(vx);
      const int cy = Mp4DecChromaVectorOne(vy);
      for (int p = 1; p < 3; ++p) {
        const Mp4DecMcPlane chroma{inst.referenceOrigin[p] + (fieldRef != 0 ? cs : 0), 2 * cs,
                                   chromaWidth, chromaHeight / 2, 8};
        PredictBlock(chroma, inst.decodeOrigin[p] + (f == 1 ? cs : 0), 8, 4, 8 * mbx, 4 * mby, cx,
                     cy, rc);
      }
    }
    return;
  }

  const Mp4DecMcPlane luma{inst.referenceOrigin[0], s, g.width, g.height, 32};
  int cx = 0;
  int cy = 0;
  if (macroblockType == kMbInter4v) {
    int sumX = 0;
    int sumY = 0;
    for (int b = 0; b < 4; ++b) {
      PredictBlock(luma, inst.decodeOrigin[0], 8, 8, 16 * mbx + 8 * (b & 1),
                   16 * mby + 8 * (b >> 1), mvx(b), mvy(b), rc);
      sumX += mvx(b);
      sumY += mvy(b);
    }
    cx = Mp4DecChromaVectorFour(sumX);
    cy = Mp4DecChromaVectorFour(sumY);
  } else {
    PredictBlock(luma, inst.decodeOrigin[0], 16, 16, 16 * mbx, 16 * mby, mvx(0), mvy(0), rc);
    cx = Mp4DecChromaVectorOne(mvx(0));
    cy = Mp4DecChromaVectorOne(mvy(0));
  }
  for (int p = 1; p < 3; ++p) {
    const Mp4DecMcPlane chroma{inst.referenceOrigin[p], cs, chromaWidth, chromaHeight, 16};
    PredictBlock(chroma, inst.decodeOrigin[p], 8, 8, 8 * mbx, 8 * mby, cx, cy, rc);
  }
}

void Mp4DecMotionCompSkipped(Mp4DecInstance& inst, int mbx, int mby) {
  const Mp4DecGeometry& g = ContextOf(inst).geometry;
  CopyBlock<16>({inst.referenceOrigin[0], g.paddedLumaWidth, g.width, g.height, 32},
                inst.decodeOrigin[0], 16 * mbx, 16 * mby);
  for (int p = 1; p < 3; ++p) {
    CopyBlock<8>({inst.referenceOrigin[p], g.paddedChromaWidth, g.paddedChromaWidth - 32,
                  g.paddedChromaHeight - 32, 16},
                 inst.decodeOrigin[p], 8 * mbx, 8 * mby);
  }
}
