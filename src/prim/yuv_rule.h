// The YUV 4:2:0 to BGR rule for one pixel and the argument checks, shared by every form.
#pragma once

#include <algorithm>
#include <cstdint>

#include "prim/prim_status.h"

namespace prim_yuv {

constexpr std::uint8_t Clamp255(std::int32_t v) {
  return static_cast<std::uint8_t>(std::clamp(v, 0, 255));
}

// Writes B, G, R of one pixel. Shifts are arithmetic (rounding toward minus infinity).
constexpr void PixelToBgr(std::int32_t y, std::int32_t u8, std::int32_t v8, std::uint8_t* bgr) {
  const std::int32_t u = u8 - 128;
  const std::int32_t v = v8 - 128;
  bgr[0] = Clamp255((65536 * y + 133169 * u) >> 16);
  bgr[1] = Clamp255((65536 * y - 25821 * u - 38076 * v) >> 16);
  bgr[2] = Clamp255((65536 * y + 74711 * v) >> 16);
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

// Row r of a plane with a signed step in bytes.
template <typename T>
constexpr T* Row(T* origin, std::int32_t step, std::int32_t r) {
  return origin + static_cast<std::ptrdiff_t>(step) * r;
}

// One output row, pixels [from, width), scalar.
constexpr void RowScalar(const std::uint8_t* y, const std::uint8_t* u, const std::uint8_t* v,
                         std::uint8_t* dst, std::int32_t from, std::int32_t width) {
  for (std::int32_t x = from; x < width; ++x) {
    PixelToBgr(y[x], u[x / 2], v[x / 2], dst + 3 * static_cast<std::ptrdiff_t>(x));
  }
}

}  // namespace prim_yuv
