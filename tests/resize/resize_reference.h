// Double-precision references of the resize kinds, written from their definitions: source
// positions in closed form, the taps and weights of one axis (linear, the Lagrange cubic, the
// Lanczos six-tap with the image's edge pixels repeated) and the exact area mean of a
// supersampling box.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "prim/resize/resize_filters.h"

namespace resize_reference {

// One axis of a filtered resize: source taps (absolute indexes) and their weights.
struct Taps {
  std::array<std::int32_t, 6> index{};
  std::array<double, 6> weight{};
  int count = 0;
};

// Closed-form position of destination k, corner-aligned, held inside the rectangle.
inline double Position(std::int32_t k, std::int32_t rect, double factor) {
  const double scaled = rect * factor;
  const double step = scaled > 1.0 ? (rect - 1) / (scaled - 1.0) : 0.0;
  return std::min(k * step, static_cast<double>(rect - 1));
}

inline std::int32_t Tap(double p, std::int32_t rect) {
  return std::min(static_cast<std::int32_t>(std::floor(p + 1e-7)), rect - 1);
}

inline Taps LinearTaps(double p, std::int32_t origin, std::int32_t rect, std::int32_t image) {
  Taps t;
  const std::int32_t i = Tap(p, rect);
  if (origin + i == image - 1) {  // the image's last pixel: the value is that pixel
    t.count = 1;
    t.index[0] = image - 1;
    t.weight[0] = 1.0;
    return t;
  }
  t.count = 2;
  t.index = {origin + i, origin + i + 1};
  t.weight = {1.0 - (p - i), p - i};
  return t;
}

// The cubic through four samples; at the image's edges the stencil is moved inside and the
// polynomial extrapolated.
inline Taps CubicTaps(double p, std::int32_t origin, std::int32_t rect, std::int32_t image) {
  const std::int32_t i = Tap(p, rect);
  const std::int32_t a = origin + i;
  std::int32_t centre = a;
  if (a == 0) {
    centre = 1;
  } else if (a == image - 2) {
    centre = a - 1;
  } else if (a == image - 1) {
    centre = a - 2;
  }
  const double t = a == image - 1 ? 2.0 : (origin + p) - centre;
  Taps taps;
  taps.count = 4;
  taps.index = {centre - 1, centre, centre + 1, centre + 2};
  taps.weight = {-t * (t - 1) * (t - 2) / 6, (t + 1) * (t - 1) * (t - 2) / 2,
                 -(t + 1) * t * (t - 2) / 2, (t + 1) * t * (t - 1) / 6};
  return taps;
}

inline double Lanczos3(double x) {
  if (x == 0.0) {
    return 1.0;
  }
  if (std::fabs(x) >= 3.0) {
    return 0.0;
  }
  const double px = std::numbers::pi * x;
  return 3.0 * std::sin(px) * std::sin(px / 3.0) / (px * px);
}

inline Taps SixTaps(double p, std::int32_t origin, std::int32_t rect, std::int32_t image) {
  const std::int32_t i = Tap(p, rect);
  const double f = p - i;
  Taps t;
  t.count = 6;
  for (int j = 0; j < 6; ++j) {
    t.index[j] = std::clamp(origin + i + j - 2, 0, image - 1);
    t.weight[j] = Lanczos3(j - 2 - f);
  }
  return t;
}

using TapRule = Taps (*)(double, std::int32_t, std::int32_t, std::int32_t);

// Six taps with the weights read from the 0.01-spaced Lanczos table by linear interpolation,
// in double: the weights the kernels use, up to their own rounding.
inline Taps TableSixTaps(double p, std::int32_t origin, std::int32_t rect, std::int32_t image) {
  Taps t = SixTaps(p, origin, rect, image);
  const double f = p - Tap(p, rect);
  const float* table = ResizeLanczos3Table();
  for (int j = 0; j < 6; ++j) {
    const double d = std::fabs(j - 2 - f);
    if (d >= 3.0) {
      t.weight[j] = 0.0;
      continue;
    }
    const auto n = static_cast<int>(d * 100.0);
    t.weight[j] = table[n] + (d * 100.0 - n) * (static_cast<double>(table[n + 1]) - table[n]);
  }
  return t;
}

// Source position of destination k when the factor is a source step per destination pixel.
inline double StepPosition(std::int32_t k, std::int32_t rect, double step) {
  return std::min(k * step, static_cast<double>(rect - 1));
}

// Nearest neighbour's source index (pixel centres), held inside the rectangle.
inline std::int32_t NearestIndex(std::int32_t k, std::int32_t rect, double step) {
  const double p = (k + 0.5) * step + 1e-7;
  return p >= rect - 1 ? rect - 1 : static_cast<std::int32_t>(p);
}

// Exact mean of the box of destination (x, y) over the part of it inside the rectangle
// (rect columns by rect rows from its corner), normalised by the box's nominal area.
template <class Sample>
double AreaMean(Sample&& sample, std::int32_t rectW, std::int32_t rectH, double sx, double sy,
                std::int32_t x, std::int32_t y) {
  double sum = 0.0;
  const double x0 = x * sx, x1 = (x + 1) * sx, y0 = y * sy, y1 = (y + 1) * sy;
  for (auto row = static_cast<std::int32_t>(y0); row < rectH && row < y1; ++row) {
    const double h = std::min<double>(row + 1, y1) - std::max<double>(row, y0);
    for (auto col = static_cast<std::int32_t>(x0); col < rectW && col < x1; ++col) {
      const double w = std::min<double>(col + 1, x1) - std::max<double>(col, x0);
      sum += w * h * sample(col, row);
    }
  }
  return sum / (sx * sy);
}

}  // namespace resize_reference
