// Vector body of the YUV 4:2:0 to BGR primitive, written once for steps of 8 pixels (64-bit
// loads, the SSE form) or 16 pixels (the SSE2 and SSE3 forms). Included by the source file of
// each form after it sets the instruction set; internal linkage, so each form gets its own
// code.
//
// The rule's Q16 constants are split so that 16-bit lanes give the exact same results:
//   (65536 Y + 74711 v) >> 16          = Y + v + mulhi(v, 9175)
//   (65536 Y - 25821 u - 38076 v) >> 16 = Y - v + ((-25821 u + 27460 v) >> 16)
//   (65536 Y + 133169 u) >> 16         = Y + 2 u + mulhi(u, 2097)
// (a 32-bit multiply-add gives the middle sum exactly). The chroma terms are computed once per
// chroma sample and serve both rows of a pair.
#pragma once

#include <immintrin.h>

#include <cstdint>
#include <cstring>

#include "prim/yuv_rule.h"

namespace {
namespace yuv_kernel {

// Constants of the split rule, one table for the family.
struct Constants {
  std::int16_t redV = 9175;
  std::int16_t greenU = -25821;
  std::int16_t greenV = 27460;
  std::int16_t blueU = 2097;
};
inline constexpr Constants kConstants{};

struct ChromaTerms {
  __m128i blue;  // per pixel, 16-bit
  __m128i green;
  __m128i red;
};

// Terms for eight chroma samples (u, v already centred, 16-bit lanes).
inline ChromaTerms ComputeTerms(__m128i u, __m128i v) {
  const __m128i red = _mm_add_epi16(v, _mm_mulhi_epi16(v, _mm_set1_epi16(kConstants.redV)));
  const __m128i blue =
      _mm_add_epi16(_mm_add_epi16(u, u), _mm_mulhi_epi16(u, _mm_set1_epi16(kConstants.blueU)));
  const __m128i greenPair = _mm_set1_epi32(static_cast<std::int32_t>(
      static_cast<std::uint16_t>(kConstants.greenU) |
      (static_cast<std::uint32_t>(static_cast<std::uint16_t>(kConstants.greenV)) << 16)));
  const __m128i gLow = _mm_srai_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(u, v), greenPair), 16);
  const __m128i gHigh = _mm_srai_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(u, v), greenPair), 16);
  const __m128i green = _mm_sub_epi16(_mm_packs_epi32(gLow, gHigh), v);
  return {blue, green, red};
}

// Packed 8-bit B, G, R of sixteen pixels to four groups, each holding two pixel pairs as six
// bytes B G R B G R at the start of each 64-bit half (pairs 0-1, 2-3, 4-5, 6-7 of eight).
// Seen as 16-bit words, a pixel pair's six bytes are the words (b0 g0), (r0 b1), (g1 r1), which
// masks and byte shifts form for all eight pairs at once; unpack steps then order them.
struct PairWords {
  __m128i bg;  // (b0 g0) of each pair
  __m128i rb;  // (r0 b1)
  __m128i gr;  // (g1 r1)
};

inline PairWords MakePairWords(__m128i b, __m128i g, __m128i r) {
  const __m128i lowBytes = _mm_set1_epi16(0x00FF);
  const __m128i highBytes = _mm_set1_epi16(static_cast<std::int16_t>(0xFF00));
  return {_mm_or_si128(_mm_and_si128(b, lowBytes), _mm_slli_epi16(g, 8)),
          _mm_or_si128(_mm_and_si128(r, lowBytes), _mm_and_si128(b, highBytes)),
          _mm_or_si128(_mm_srli_epi16(g, 8), _mm_and_si128(r, highBytes))};
}

// Groups 0 and 1 (pairs 0-3) or, with High, groups 2 and 3 (pairs 4-7).
template <bool High>
inline void PairGroups(const PairWords& w, __m128i& first, __m128i& second) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i bgrb = High ? _mm_unpackhi_epi16(w.bg, w.rb) : _mm_unpacklo_epi16(w.bg, w.rb);
  const __m128i gr = High ? _mm_unpackhi_epi16(w.gr, zero) : _mm_unpacklo_epi16(w.gr, zero);
  first = _mm_unpacklo_epi32(bgrb, gr);
  second = _mm_unpackhi_epi32(bgrb, gr);
}

// Two six-byte groups (one per 64-bit half) joined into twelve bytes at the start.
inline __m128i Join(__m128i lanes) {
  const __m128i lowLane = _mm_set_epi64x(0, -1);
  return _mm_or_si128(_mm_and_si128(lanes, lowLane),
                      _mm_srli_si128(_mm_andnot_si128(lowLane, lanes), 2));
}

// Stores the two six-byte groups at dst and dst + 6 with 8-byte stores (two spare bytes after
// dst + 12 are overwritten).
inline void StorePairs(std::uint8_t* dst, __m128i lanes) {
  _mm_storel_epi64(reinterpret_cast<__m128i*>(dst), lanes);
  _mm_storel_epi64(reinterpret_cast<__m128i*>(dst + 6), _mm_unpackhi_epi64(lanes, lanes));
}

inline __m128i AddSaturate(__m128i yLow, __m128i yHigh, __m128i termLow, __m128i termHigh) {
  return _mm_packus_epi16(_mm_add_epi16(yLow, termLow), _mm_add_epi16(yHigh, termHigh));
}

// Eight pixels, 24 bytes, nothing written beyond them.
inline void Store8(std::uint8_t* dst, __m128i y16, __m128i blue, __m128i green, __m128i red) {
  const __m128i zero = _mm_setzero_si128();
  const PairWords words =
      MakePairWords(AddSaturate(y16, zero, blue, zero), AddSaturate(y16, zero, green, zero),
                    AddSaturate(y16, zero, red, zero));
  __m128i g0;
  __m128i g1;
  PairGroups<false>(words, g0, g1);
  const __m128i c0 = Join(g0);
  const __m128i c1 = Join(g1);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_or_si128(c0, _mm_slli_si128(c1, 12)));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(dst + 16), _mm_srli_si128(c1, 4));
}

// Sixteen pixels, 48 bytes. roomAfter: at least 2 writable bytes of the row follow the 48, so
// the groups of six can be stored with overlapping 8-byte stores (each overwrites the previous
// one's spare bytes); otherwise they are joined in registers first.
// b, g, r: the bytes of sixteen pixels in pixel order.
inline void StoreBgr16(std::uint8_t* dst, __m128i b, __m128i g, __m128i r, bool roomAfter) {
  const PairWords words = MakePairWords(b, g, r);
  __m128i g0;
  __m128i g1;
  __m128i g2;
  __m128i g3;
  if (roomAfter) {
    // Each group is stored as soon as it is formed, which keeps few registers live.
    PairGroups<false>(words, g0, g1);
    StorePairs(dst, g0);
    StorePairs(dst + 12, g1);
    PairGroups<true>(words, g2, g3);
    StorePairs(dst + 24, g2);
    StorePairs(dst + 36, g3);
    return;
  }
  PairGroups<false>(words, g0, g1);
  PairGroups<true>(words, g2, g3);
  const __m128i c0 = Join(g0);
  const __m128i c1 = Join(g1);
  const __m128i c2 = Join(g2);
  const __m128i c3 = Join(g3);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_or_si128(c0, _mm_slli_si128(c1, 12)));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 16),
                   _mm_or_si128(_mm_srli_si128(c1, 4), _mm_slli_si128(c2, 8)));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 32),
                   _mm_or_si128(_mm_srli_si128(c2, 8), _mm_slli_si128(c3, 4)));
}

inline void Store16(std::uint8_t* dst, __m128i yLow, __m128i yHigh, const ChromaTerms& lo,
                    const ChromaTerms& hi, bool roomAfter) {
  StoreBgr16(dst, AddSaturate(yLow, yHigh, lo.blue, hi.blue),
             AddSaturate(yLow, yHigh, lo.green, hi.green), AddSaturate(yLow, yHigh, lo.red, hi.red),
             roomAfter);
}

inline ChromaTerms Duplicate(const ChromaTerms& t, bool high) {
  if (high) {
    return {_mm_unpackhi_epi16(t.blue, t.blue), _mm_unpackhi_epi16(t.green, t.green),
            _mm_unpackhi_epi16(t.red, t.red)};
  }
  return {_mm_unpacklo_epi16(t.blue, t.blue), _mm_unpacklo_epi16(t.green, t.green),
          _mm_unpacklo_epi16(t.red, t.red)};
}

inline __m128i Centred(__m128i bytes) {
  return _mm_sub_epi16(_mm_unpacklo_epi8(bytes, _mm_setzero_si128()), _mm_set1_epi16(128));
}

inline __m128i Load4(const std::uint8_t* p) {
  std::int32_t word;
  std::memcpy(&word, p, sizeof(word));
  return _mm_cvtsi32_si128(word);
}

// One or two luma rows sharing a chroma row, pixels [0, vectorWidth) in steps of Step; the
// caller converts the ragged rest with the scalar rule. Load16: reads 16 unaligned bytes.
template <int Step, typename Load16>
inline void RowPair(const std::uint8_t* y0, const std::uint8_t* y1, const std::uint8_t* u,
                    const std::uint8_t* v, std::uint8_t* d0, std::uint8_t* d1,
                    std::int32_t vectorWidth, std::int32_t width, Load16 load16) {
  const __m128i zero = _mm_setzero_si128();
  for (std::int32_t x = 0; x < vectorWidth; x += Step) {
    const std::int32_t c = x / 2;
    const std::ptrdiff_t out = 3 * static_cast<std::ptrdiff_t>(x);
    if constexpr (Step == 16) {
      const ChromaTerms terms =
          ComputeTerms(Centred(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(u + c))),
                       Centred(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(v + c))));
      const ChromaTerms lo = Duplicate(terms, false);
      const ChromaTerms hi = Duplicate(terms, true);
      // Two more pixels of the row follow this step: room for the overlapping stores.
      const bool roomAfter = x + Step + 2 <= width;
      const __m128i luma0 = load16(y0 + x);
      Store16(d0 + out, _mm_unpacklo_epi8(luma0, zero), _mm_unpackhi_epi8(luma0, zero), lo, hi,
              roomAfter);
      if (y1 != nullptr) {
        const __m128i luma1 = load16(y1 + x);
        Store16(d1 + out, _mm_unpacklo_epi8(luma1, zero), _mm_unpackhi_epi8(luma1, zero), lo, hi,
                roomAfter);
      }
    } else {
      static_assert(Step == 8);
      const ChromaTerms lo =
          Duplicate(ComputeTerms(Centred(Load4(u + c)), Centred(Load4(v + c))), false);
      Store8(d0 + out,
             _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(y0 + x)), zero),
             lo.blue, lo.green, lo.red);
      if (y1 != nullptr) {
        Store8(d1 + out,
               _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(y1 + x)), zero),
               lo.blue, lo.green, lo.red);
      }
    }
  }
}

// The whole picture: row pairs through the vector body, ragged columns through the scalar rule.
template <int Step, typename Load16>
inline void Convert(const std::uint8_t* const src[3], const std::int32_t srcStep[3],
                    std::uint8_t* dst, std::int32_t dstStep, std::int32_t width,
                    std::int32_t height, Load16 load16) {
  using prim_yuv::Row;
  const std::int32_t vectorWidth = width - width % Step;
  for (std::int32_t r = 0; r < height; r += 2) {
    const bool pair = r + 1 < height;
    const std::uint8_t* y0 = Row(src[0], srcStep[0], r);
    const std::uint8_t* y1 = pair ? Row(src[0], srcStep[0], r + 1) : nullptr;
    const std::uint8_t* u = Row(src[1], srcStep[1], r / 2);
    const std::uint8_t* v = Row(src[2], srcStep[2], r / 2);
    std::uint8_t* d0 = Row(dst, dstStep, r);
    std::uint8_t* d1 = pair ? Row(dst, dstStep, r + 1) : nullptr;
    RowPair<Step>(y0, y1, u, v, d0, d1, vectorWidth, width, load16);
    prim_yuv::RowScalar(y0, u, v, d0, vectorWidth, width);
    if (pair) {
      prim_yuv::RowScalar(y1, u, v, d1, vectorWidth, width);
    }
  }
}

}  // namespace yuv_kernel
}  // namespace
