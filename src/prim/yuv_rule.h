// The YUV 4:2:0 to BGR rule for one pixel and the argument checks, shared by every form.
#pragma once

#include <algorithm>
#include <cstdint>

#include "prim/prim_status.h"

namespace prim_yuv {

constexpr std::uint8_t Clamp255(std::int32_t v) {
  return static_cast<std::uint8_t>(std::clamp(v, 0, 255));
}

// The chroma parts of the three sums, in Q16, for one chroma sample (shared by a 2x2 block).
struct ChromaTermsQ16 {
  std::int32_t blue;
  std::int32_t green;
  std::int32_t red;
};

constexpr ChromaTermsQ16 ChromaQ16(std::int32_t u8, std::int32_t v8) {
  const std::int32_t u = u8 - 128;
  const std::int32_t v = v8 - 128;
  return {133169 * u, -25821 * u - 38076 * v, 74711 * v};
}

// Writes B, G, R of one pixel. Shifts are arithmetic (rounding toward minus infinity).
constexpr void StorePixel(std::int32_t y, const ChromaTermsQ16& t, std::uint8_t* bgr) {
  bgr[0] = Clamp255((65536 * y + t.blue) >> 16);
  bgr[1] = Clamp255((65536 * y + t.green) >> 16);
  bgr[2] = Clamp255((65536 * y + t.red) >> 16);
}

constexpr PrimStatus CheckArguments(const std::uint8_t* const* src, const std::int32_t* srcStep,
                                    const std::uint8_t* dst, std::int32_t width,
                                    std::int32_t height) {
  if (src == nullptr || srcStep == nullptr || dst == nullptr) {
    return StsNullPointer;
  }
  if (width < 1 || height < 1) {
    return StsSizeError;
  }
  if (src[0] == nullptr || src[1] == nullptr || src[2] == nullptr) {
    return StsNullPointer;
  }
  return StsNoError;
}

// A public form: the arguments checked in their fixed order, then the picture converted by the
// form's worker. Nothing is written when a check fails.
template <typename Worker>
PrimStatus CheckedConvert(Worker worker, const std::uint8_t* const* src,
                          const std::int32_t* srcStep, std::uint8_t* dst, std::int32_t dstStep,
                          std::int32_t width, std::int32_t height) {
  const PrimStatus status = CheckArguments(src, srcStep, dst, width, height);
  if (status == StsNoError) {
    worker(src, srcStep, dst, dstStep, width, height);
  }
  return status;
}

// Row r of a plane with a signed step in bytes.
template <typename T>
constexpr T* Row(T* origin, std::int32_t step, std::int32_t r) {
  return origin + static_cast<std::ptrdiff_t>(step) * r;
}

// One output row, pixels [from, width), scalar; the chroma terms are formed once per pixel pair.
constexpr void RowScalar(const std::uint8_t* y, const std::uint8_t* u, const std::uint8_t* v,
                         std::uint8_t* dst, std::int32_t from, std::int32_t width) {
  std::int32_t x = from;
  while (x < width) {
    const ChromaTermsQ16 terms = ChromaQ16(u[x / 2], v[x / 2]);
    StorePixel(y[x], terms, dst + 3 * static_cast<std::ptrdiff_t>(x));
    ++x;
    if (x < width && (x & 1) != 0) {
      StorePixel(y[x], terms, dst + 3 * static_cast<std::ptrdiff_t>(x));
      ++x;
    }
  }
}

}  // namespace prim_yuv
