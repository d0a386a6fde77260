// Shared helpers of the resize tests: images with known contents, the four variant entries,
// and a call wrapper.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "prim/resize/prim_resize.h"

namespace resize_test {

using Entry = PrimStatus (*)(const std::uint8_t*, PrimSize, std::int32_t, PrimRect, std::uint8_t*,
                             std::int32_t, PrimSize, double, double, std::int32_t);

struct NamedEntry {
  const char* name;
  Entry entry;
};

inline const std::vector<NamedEntry>& AllEntries() {
  static const std::vector<NamedEntry> entries{
      {"generic", primResize_8u_C3R_generic},
      {"sse", primResize_8u_C3R_sse},
      {"sse2", primResize_8u_C3R_sse2},
      {"sse3", primResize_8u_C3R_sse3},
  };
  return entries;
}

// A packed three-channel image with a row step that may exceed 3·width.
struct Image {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t step = 0;
  std::vector<std::uint8_t> bytes;

  Image(std::int32_t w, std::int32_t h, std::int32_t padding = 0, std::uint8_t fill = 0)
      : width(w),
        height(h),
        step(3 * w + padding),
        bytes(static_cast<std::size_t>(step) * h, fill) {}

  std::uint8_t& at(std::int32_t x, std::int32_t y, int c) {
    return bytes[static_cast<std::size_t>(y) * step + 3 * x + c];
  }
  std::uint8_t at(std::int32_t x, std::int32_t y, int c) const {
    return bytes[static_cast<std::size_t>(y) * step + 3 * x + c];
  }
  PrimSize size() const { return {width, height}; }
  PrimRect whole() const { return {0, 0, width, height}; }
};

inline Image NoiseImage(std::int32_t w, std::int32_t h, std::uint32_t seed,
                        std::int32_t padding = 0) {
  Image image(w, h, padding);
  std::mt19937 rng(seed);
  for (auto& b : image.bytes) {
    b = static_cast<std::uint8_t>(rng());
  }
  return image;
}

// Calls `entry` on the whole source (or `roi`) into `dst`.
inline PrimStatus Resize(Entry entry, const Image& src, PrimRect roi, Image& dst, double xf,
                         double yf, std::int32_t interpolation) {
  return entry(src.bytes.data(), src.size(), src.step, roi, dst.bytes.data(), dst.step, dst.size(),
               xf, yf, interpolation);
}

// The requests every variant is held to the generic path on: widths 1 to 17 (every remainder
// of the vector bodies), rectangles against the right and bottom edges, on the last row or
// column, clipped or inside, and factors from 1/49 to 1920/352, among them a third rounded to
// float.
struct Request {
  std::int32_t w, h;
  PrimRect roi;
  double xf, yf;
};

inline const std::vector<Request>& VariantRequests() {
  static const std::vector<Request> requests = [] {
    std::vector<Request> r{
        {1, 1, {0, 0, 1, 1}, 3.0, 2.0},
        {2, 2, {0, 0, 2, 2}, 2.5, 2.5},
        {7, 9, {0, 0, 7, 9}, 0.4, 1.5},
        {16, 16, {2, 3, 9, 10}, 1.3, 0.7},
        {16, 16, {1, 0, 30, 30}, 0.5, 0.5},
        {16, 16, {0, 15, 16, 1}, 2.0, 3.0},
        {16, 16, {15, 0, 1, 16}, 3.0, 2.0},
        {16, 16, {15, 15, 1, 1}, 2.5, 2.5},
        {40, 24, {7, 7, 33, 17}, 1.7, 1.3},
        {40, 24, {7, 7, 33, 17}, 0.6, 0.45},
        {98, 20, {0, 0, 98, 20}, 1.0 / 49, 0.5},
        {20, 98, {0, 0, 20, 98}, 0.75, 1.0 / 49},
        {352, 240, {0, 0, 352, 240}, 1920.0 / 352, 1080.0 / 240},
        {64, 48, {0, 0, 64, 48}, 1.0 / 3, 0.3333333433},
        {13, 11, {0, 0, 13, 11}, 2.5, 0.3333333433},
    };
    for (std::int32_t w = 1; w <= 17; ++w) {
      r.push_back({w, 7, {0, 0, w, 7}, 1.0, 1.6});
      r.push_back({w + 3, 7, {3, 1, w, 6}, 2.5, 0.7});
    }
    return r;
  }();
  return requests;
}

// Largest difference between two images of one size, byte by byte.
inline int MaxDifference(const Image& a, const Image& b) {
  int worst = 0;
  for (std::size_t i = 0; i < a.bytes.size(); ++i) {
    worst = std::max(worst, std::abs(a.bytes[i] - b.bytes[i]));
  }
  return worst;
}

inline std::string Describe(std::int32_t w, std::int32_t h, double xf, double yf, int interp) {
  return std::to_string(w) + "x" + std::to_string(h) + " by " + std::to_string(xf) + "," +
         std::to_string(yf) + " interpolation " + std::to_string(interp);
}

}  // namespace resize_test
