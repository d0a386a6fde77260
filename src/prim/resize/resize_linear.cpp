#include <utility>

#include "prim/resize/resize_filters.h"

void ResizeLinearWorker4_8u_Generic(const std::uint8_t* src, std::int32_t count,
                                    std::int32_t stride, const std::ptrdiff_t* xoff,
                                    const std::int16_t* weights, std::uint16_t* out) {
  for (std::int32_t k = 0; k < count; ++k) {
    const std::uint8_t* a = src + xoff[k];
    const std::uint8_t* b = a + stride;
    const auto left = static_cast<std::uint32_t>(weights[2 * k]);
    const auto right = static_cast<std::uint32_t>(weights[2 * k + 1]);
    for (int c = 0; c < 3; ++c) {
      out[3 * k + c] = static_cast<std::uint16_t>((left * a[c] + right * b[c] + 128) >> 8);
    }
  }
}

void ResizeLinearWorker2_8u_Generic(std::uint8_t* dst, std::int32_t count, std::int32_t weight,
                                    const std::uint16_t* upper, const std::uint16_t* lower) {
  const auto w = static_cast<std::uint32_t>(weight);
  for (std::int32_t e = 0; e < count; ++e) {
    dst[e] = static_cast<std::uint8_t>((upper[e] * (16384 - w) + lower[e] * w + 524288) >> 20);
  }
}

// Two buffers hold source rows `held` and `held` + 1; a destination row one source row
// further swaps them and filters only the new lower row.
void ResizeLinearPass_8u_C3_Generic(const ResizePassArgs& a) {
  if (a.width < 1 || a.height < 1) {
    return;
  }
  const auto* src = static_cast<const std::uint8_t*>(a.srcBase);
  auto* dst = static_cast<std::uint8_t*>(a.dst);
  auto* upper = static_cast<std::uint16_t*>(a.rowBuffers[0]);
  auto* lower = static_cast<std::uint16_t*>(a.rowBuffers[1]);
  const auto* rowWeights = static_cast<const std::int16_t*>(a.rowWeights);
  const auto* columnWeights = static_cast<const std::int16_t*>(a.columnWeights);
  const auto filter = [&](std::ptrdiff_t offset, std::uint16_t* out) {
    ResizeLinearWorker4_8u_Generic(src + offset, a.width, a.pixelElements, a.columnOffsets,
                                   columnWeights, out);
  };
  std::ptrdiff_t held = a.rowOffsets[0];
  filter(held, upper);
  filter(held + a.srcStep, lower);
  for (std::int32_t r = 0; r < a.height; ++r) {
    const std::ptrdiff_t offset = a.rowOffsets[r];
    if (offset != held) {
      if (offset == held + a.srcStep) {
        std::swap(upper, lower);
      } else {
        filter(offset, upper);
      }
      filter(offset + a.srcStep, lower);
      held = offset;
    }
    ResizeLinearWorker2_8u_Generic(dst + r * a.dstStep, 3 * a.width, rowWeights[r], upper, lower);
  }
}
