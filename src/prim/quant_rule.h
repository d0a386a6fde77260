// The H.263 inverse quantisation rule for one coefficient, shared by every form.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace prim_quant {

constexpr std::int32_t OddRounding(std::int32_t qp) {
  return (qp & 1) != 0 ? qp : qp - 1;
}

// 0 stays 0; c > 0 gives 2 QP c + k, c < 0 gives 2 QP c - k; limited to [lower, upper].
constexpr std::int16_t InverseH263(std::int16_t c, std::int32_t qp, std::int32_t lower,
                                   std::int32_t upper) {
  if (c == 0) {
    return 0;
  }
  const std::int32_t k = OddRounding(qp);
  const std::int32_t v = 2 * qp * c + (c > 0 ? k : -k);
  return static_cast<std::int16_t>(std::clamp(v, lower, upper));
}

// Element access that allows an odd address (the primitive accepts any array address).
inline std::int16_t LoadElement(const std::int16_t* p) {
  std::int16_t v;
  std::memcpy(&v, p, sizeof(v));
  return v;
}
inline void StoreElement(std::int16_t* p, std::int16_t v) {
  std::memcpy(p, &v, sizeof(v));
}

// The rule on element i of the array.
inline void InverseElement(std::int16_t* data, std::int32_t i, std::int32_t qp, std::int32_t lower,
                           std::int32_t upper) {
  StoreElement(data + i, InverseH263(LoadElement(data + i), qp, lower, upper));
}

inline constexpr std::int32_t kLower = -2048;
inline constexpr std::int32_t kUpper = 2047;

}  // namespace prim_quant
