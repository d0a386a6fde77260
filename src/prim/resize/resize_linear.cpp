#include "prim/resize/resize_element.h"
#include "prim/resize/resize_filters.h"
#include "prim/resize/resize_rings.h"

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

void ResizeLinearWorker3_8u_Generic(std::uint8_t* dst, std::int32_t count, std::int32_t weight,
                                    const std::uint16_t* upper, const std::uint16_t* lower) {
  const auto w = static_cast<std::uint32_t>(weight);
  for (std::int32_t k = 0; k < count; ++k) {
    for (int c = 0; c < 3; ++c) {
      const std::int32_t e = 3 * k + c;
      dst[4 * k + c] =
          static_cast<std::uint8_t>((upper[e] * (16384 - w) + lower[e] * w + 524288) >> 20);
    }
  }
}

namespace {

// 16-bit horizontal blend of `channels` samples per pixel, the second pixel `stride` samples
// after the first: (left·a + right·b + 8192) >> 14 in unsigned 32-bit arithmetic.
void LinearRow16u(const void* src, std::int32_t count, std::int32_t stride, int channels,
                  const std::ptrdiff_t* xoff, const std::int16_t* weights, std::uint16_t* out) {
  const resize::SrcRow<std::uint16_t> row{static_cast<const std::uint8_t*>(src)};
  for (std::int32_t k = 0; k < count; ++k) {
    const auto left = static_cast<std::uint32_t>(static_cast<std::uint16_t>(weights[2 * k]));
    const auto right = static_cast<std::uint32_t>(static_cast<std::uint16_t>(weights[2 * k + 1]));
    for (int c = 0; c < channels; ++c) {
      const std::uint32_t a = row[xoff[k] + c];
      const std::uint32_t b = row[xoff[k] + stride + c];
      out[channels * k + c] = static_cast<std::uint16_t>((left * a + right * b + 8192) >> 14);
    }
  }
}

}  // namespace

void ResizeLinearWorker3_16u_Generic(const void* src, std::int32_t count,
                                     const std::ptrdiff_t* xoff, const std::int16_t* weights,
                                     std::uint16_t* out) {
  LinearRow16u(src, count, 4, 4, xoff, weights, out);
}

void ResizeLinearWorker4_16u_Generic(const void* src, std::int32_t count, std::int32_t stride,
                                     const std::ptrdiff_t* xoff, const std::int16_t* weights,
                                     std::uint16_t* out) {
  LinearRow16u(src, count, stride, 3, xoff, weights, out);
}

void ResizeLinearPass_8u_C3_Generic(const ResizePassArgs& a) {
  const auto* src = static_cast<const std::uint8_t*>(a.srcBase);
  auto* dst = static_cast<std::uint8_t*>(a.dst);
  const auto* rowWeights = static_cast<const std::int16_t*>(a.rowWeights);
  const auto* columnWeights = static_cast<const std::int16_t*>(a.columnWeights);
  resize::RunLinearWindow<std::uint16_t>(
      a,
      [&](std::ptrdiff_t offset, std::uint16_t* out) {
        ResizeLinearWorker4_8u_Generic(src + offset, a.width, a.pixelElements, a.columnOffsets,
                                       columnWeights, out);
      },
      [&](std::int32_t r, const std::uint16_t* upper, const std::uint16_t* lower) {
        ResizeLinearWorker2_8u_Generic(dst + r * a.dstStep, 3 * a.width, rowWeights[r], upper,
                                       lower);
      });
}
