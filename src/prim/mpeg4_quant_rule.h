// The MPEG-4 dequantisation rules for one coefficient, shared by every form of the workers, and
// the walk that the generic form runs and the vector forms finish their ragged tail with.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

namespace prim_mpeg4_quant {

inline constexpr std::int32_t kScanLower = -2048;
inline constexpr std::int32_t kScanUpper = 2047;
inline constexpr std::int32_t kBlock = 64;

// (c QP w) / 8, truncated toward zero.
constexpr std::int32_t Intra(std::int32_t c, std::int32_t qp, std::int32_t w) {
  return c * qp * w / 8;
}

// ((2 c + sign(c)) QP w) / 16, truncated toward zero.
constexpr std::int32_t Inter(std::int32_t c, std::int32_t qp, std::int32_t w) {
  const std::int32_t sign = (c > 0) - (c < 0);
  return (2 * c + sign) * qp * w / 16;
}

// One coefficient: zero stays zero, else the rule's value limited to the bounds.
template <bool kInter>
constexpr std::int16_t Element(std::int16_t c, std::int32_t qp, std::int32_t w, std::int32_t lower,
                               std::int32_t upper) {
  if (c == 0) {
    return 0;
  }
  return static_cast<std::int16_t>(
      std::clamp(kInter ? Inter(c, qp, w) : Intra(c, qp, w), lower, upper));
}

// Elements [from, count) with weights[i]; returns the sum of the results.
template <bool kInter, typename Weight>
std::int32_t Walk(std::int16_t* data, const Weight* weights, std::int32_t from, std::int32_t count,
                  std::int32_t qp, std::int32_t lower, std::int32_t upper) {
  std::int32_t sum = 0;
  for (std::int32_t i = from; i < count; ++i) {
    data[i] = Element<kInter>(data[i], qp, weights[i], lower, upper);
    sum += data[i];
  }
  return sum;
}

constexpr std::int32_t ScanCount(std::int32_t count) {
  return std::clamp(count, 0, kBlock);
}

// The weights of the first `count` coefficients of a block stored in scan order.
inline std::array<std::uint8_t, kBlock> ScanWeights(const std::uint8_t* weights,
                                                    const std::uint8_t* scan, std::int32_t count) {
  std::array<std::uint8_t, kBlock> gathered{};
  for (std::int32_t i = 0; i < count; ++i) {
    gathered[static_cast<std::size_t>(i)] = weights[scan[i] & (kBlock - 1)];
  }
  return gathered;
}

}  // namespace prim_mpeg4_quant
