// Input: a 16-byte request header, then sample bytes (repeated as needed).
//   0, 1: source width and height (1..48); 2..5: rectangle x, y, width, height (taken modulo
//   the image and a little past it); 6, 7: x and y factor codes; 8: interpolation; 9: data
//   type; 10: layout; 11: plane mode; 12: sizing flag; 13..15 spare.
// Images are heap blocks of exactly the size a call may touch, so the sanitizers see any
// access outside them.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "prim/resize/prim_resize.h"
#include "prim/resize/resize_driver.h"
#include "prim/resize/resize_supersample.h"

namespace {

// Factors from 1/64 to 8, with some awkward values among them.
double Factor(std::uint8_t code) {
  static constexpr std::array<double, 8> kAwkward{1.0 / 49, 0.3333333433, 1920.0 / 352, 2.5,
                                                  1.0,      0.5,          1e-9,         1e9};
  if (code < 8) {
    return kAwkward[code];
  }
  return std::ldexp(1.0 + (code & 15) / 16.0, (code >> 4) - 6);
}

std::vector<std::uint8_t> Samples(const std::uint8_t* data, std::size_t size, std::size_t n) {
  std::vector<std::uint8_t> v(n);
  for (std::size_t i = 0; i < n; ++i) {
    v[i] = size == 0 ? static_cast<std::uint8_t>(i * 37) : data[i % size];
  }
  return v;
}

// The public forms on one 8-bit three-channel request.
void PublicForms(const std::uint8_t* head, const std::vector<std::uint8_t>& src, PrimSize size,
                 PrimRect roi, double xf, double yf, std::int32_t kind) {
  const std::int32_t step = 3 * size.width;
  const PrimSize dstSize{std::max(1, (head[13] % 64) + 1), std::max(1, (head[14] % 64) + 1)};
  using Entry = PrimStatus (*)(const std::uint8_t*, PrimSize, std::int32_t, PrimRect, std::uint8_t*,
                               std::int32_t, PrimSize, double, double, std::int32_t);
  const Entry entries[] = {primResize_8u_C3R_generic, primResize_8u_C3R_sse, primResize_8u_C3R_sse2,
                           primResize_8u_C3R_sse3};
  std::array<std::vector<std::uint8_t>, 4> out;
  std::array<PrimStatus, 4> status{};
  for (int f = 0; f < 4; ++f) {
    out[f].assign(3 * static_cast<std::size_t>(dstSize.width) * dstSize.height, 0x5A);
    status[f] = entries[f](src.data(), size, step, roi, out[f].data(), 3 * dstSize.width, dstSize,
                           xf, yf, kind);
  }
  const int bound = kind == 4 || kind == 16 ? 1 : 0;
  for (int f = 1; f < 4; ++f) {
    if (status[f] != status[0]) {
      std::abort();
    }
    for (std::size_t i = 0; i < out[0].size(); ++i) {
      if (std::abs(out[f][i] - out[0][i]) > bound) {
        std::abort();
      }
    }
  }
  if (out[2] != out[3]) {
    std::abort();
  }
}

// The drivers of the vector kernel sets (SSE, SSE2, SSE3) on any data type, layout and plane
// mode: the same statuses; SSE2 and SSE3 the same bytes; nearest, linear and supersampling
// the same bytes in all three; nearest the same status and bytes in the generic driver too.
void VectorDrivers(const std::uint8_t* head, const std::vector<std::uint8_t>& bytes, PrimSize size,
                   PrimRect roi, double xf, double yf, std::int32_t kind) {
  const std::int32_t type = head[9] % 3;
  const std::int32_t elementSize = type == 0 ? 1 : (type == 1 ? 2 : 4);
  static constexpr std::array<std::array<std::int32_t, 2>, 4> kLayouts{
      {{1, 1}, {3, 3}, {4, 3}, {4, 4}}};
  const auto layout = kLayouts[head[10] % 4];
  const bool planar = head[11] % 4 == 0;
  const std::int32_t elements = planar ? 1 : layout[0];
  const std::int32_t channels = layout[1];
  const std::int32_t sizeMode = head[12] % 2;
  const std::int32_t step = size.width * elements * elementSize;
  const PrimSize dstSize{std::max(1, head[13] % 64), std::max(1, head[14] % 64)};
  const std::int32_t dstStep = dstSize.width * elements * elementSize;
  const std::int32_t planes = planar ? (channels == 3 ? 3 : 4) : 1;
  std::vector<std::vector<std::uint8_t>> sources(planes);
  std::vector<const void*> sourcePlanes;
  for (std::int32_t p = 0; p < planes; ++p) {
    sources[p] = Samples(bytes.data(), bytes.size(), static_cast<std::size_t>(step) * size.height);
    if (type == 2) {  // keep the floats finite
      for (std::size_t i = 3; i < sources[p].size(); i += 4) {
        sources[p][i] &= 0x3F;
      }
    }
    sourcePlanes.push_back(sources[p].data());
  }
  const void* pSrc = planar ? static_cast<const void*>(sourcePlanes.data()) : sourcePlanes[0];
  using General =
      PrimStatus (*)(const void*, PrimSize, std::int32_t, PrimRect, void*, std::int32_t, PrimSize,
                     double, double, double, double, std::int32_t, std::int32_t, std::int32_t,
                     std::int32_t, std::int32_t, std::int32_t);
  using Super = PrimStatus (*)(const void*, PrimSize, std::int32_t, PrimRect, void*, std::int32_t,
                               PrimSize, double, double, std::int32_t, std::int32_t, std::int32_t,
                               std::int32_t, std::int32_t);
  // The generic driver last: its nearest passes take every data type and layout too (its other
  // kernels are for 8-bit three-channel pixels alone, which the public forms above cover).
  const General general[] = {ResizeInterpolate_Sse, ResizeInterpolate_Sse2, ResizeInterpolate_Sse3,
                             ResizeInterpolate_Generic};
  const Super super[] = {ResizeSuperSample_Sse, ResizeSuperSample_Sse2, ResizeSuperSample_Sse3,
                         ResizeSuperSample_Generic};
  const int sets = kind == 1 ? 4 : 3;
  std::array<std::vector<std::vector<std::uint8_t>>, 4> out;
  std::array<PrimStatus, 4> status{};
  for (int s = 0; s < sets; ++s) {
    std::vector<void*> destinationPlanes;
    for (std::int32_t p = 0; p < planes; ++p) {
      out[s].emplace_back(static_cast<std::size_t>(dstStep) * dstSize.height, 0);
      destinationPlanes.push_back(out[s].back().data());
    }
    void* pDst = planar ? static_cast<void*>(destinationPlanes.data()) : destinationPlanes[0];
    status[s] = kind == 8
                    ? super[s](pSrc, size, step, roi, pDst, dstStep, dstSize, xf, yf, layout[0],
                               channels, type, planar ? 1 : 0, sizeMode)
                    : general[s](pSrc, size, step, roi, pDst, dstStep, dstSize, xf, yf, 0.0, 0.0,
                                 layout[0], channels, type, planar ? 1 : 0, kind, sizeMode);
  }
  if (status[1] != status[0] || status[2] != status[0] || out[1] != out[2]) {
    std::abort();
  }
  if ((kind == 1 || kind == 2 || kind == 8) && out[0] != out[1]) {
    std::abort();
  }
  if (sets == 4 && (status[3] != status[0] || out[3] != out[0])) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 16) {
    return 0;
  }
  const std::uint8_t* head = data;
  const PrimSize image{1 + head[0] % 48, 1 + head[1] % 48};
  const PrimRect roi{head[2] % image.width, head[3] % image.height, 1 + head[4] % (image.width + 4),
                     1 + head[5] % (image.height + 4)};
  const double xf = Factor(head[6]);
  const double yf = Factor(head[7]);
  static constexpr std::array<std::int32_t, 6> kKinds{1, 2, 4, 8, 16, 3};
  const std::int32_t kind = kKinds[head[8] % kKinds.size()];
  const std::vector<std::uint8_t> src =
      Samples(data + 16, size - 16, 3 * static_cast<std::size_t>(image.width) * image.height);
  PublicForms(head, src, image, roi, xf, yf, kind);
  VectorDrivers(head, std::vector<std::uint8_t>(data + 16, data + size), image, roi, xf, yf, kind);
  return 0;
}
