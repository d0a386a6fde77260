// The SSE2/SSE3 kernel set against scalar forms written from its definitions: every worker
// over ragged counts (each remainder of its vector body), the values the definitions fix
// (roundings, saturations, the float forms' quirks, samples reproduced at the stencil
// positions), the weight builder, and the destination elements a worker must not touch.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "prim/resize/resize_filters.h"
#include "prim/resize/resize_filters_sse2.h"

namespace {

// A row buffer as the driver hands one over: 16-byte aligned, with spare elements after the
// `count` the kernels fill.
template <class T>
struct AlignedRow {
  explicit AlignedRow(std::size_t count, T fill = T{}) : storage(count + 32, fill) {
    const auto address = reinterpret_cast<std::uintptr_t>(storage.data());
    offset = ((16 - address % 16) % 16) / sizeof(T);
  }
  T* data() { return storage.data() + offset; }
  const T* data() const { return storage.data() + offset; }
  T& operator[](std::size_t i) { return data()[i]; }

  std::vector<T> storage;
  std::size_t offset = 0;
};

// ---- Linear ------------------------------------------------------------------------------

// Column offsets that never decrease, each with its right tap (`stride` elements on) inside a
// source row of `pixels` pixels.
std::vector<std::ptrdiff_t> Offsets(std::mt19937& rng, std::int32_t count, std::int32_t pixels,
                                    std::int32_t stride) {
  std::vector<std::ptrdiff_t> xoff(count);
  for (auto& o : xoff) {
    o = static_cast<std::ptrdiff_t>(rng() % (pixels - 1)) * stride;
  }
  std::sort(xoff.begin(), xoff.end());
  return xoff;
}

// Q14 pairs (16384 − w, w), the ends 0 and 16384 among them.
std::vector<std::uint16_t> Pairs(std::mt19937& rng, std::int32_t count) {
  std::vector<std::uint16_t> pairs(2 * static_cast<std::size_t>(count));
  for (std::int32_t k = 0; k < count; ++k) {
    const std::uint32_t r = rng() % 20;
    const auto w = static_cast<std::uint16_t>(r == 0 ? 0 : (r == 1 ? 16384 : rng() % 16385));
    pairs[2 * k] = static_cast<std::uint16_t>(16384 - w);
    pairs[2 * k + 1] = w;
  }
  return pairs;
}

template <class T>
std::vector<T> Samples(std::mt19937& rng, std::size_t n) {
  std::vector<T> v(n);
  for (auto& s : v) {
    if constexpr (std::is_same_v<T, float>) {
      s = static_cast<float>(rng() % 2000000) / 1000.0f - 500.0f;
    } else {
      s = static_cast<T>(rng());
    }
  }
  return v;
}

// (l·a + r·b + 128) >> 8 (8u, Q6) or (l·a + r·b + 8192) >> 14 (16u).
template <class T>
std::uint16_t Across(std::uint32_t l, std::uint32_t r, std::uint32_t a, std::uint32_t b) {
  return sizeof(T) == 1 ? static_cast<std::uint16_t>((l * a + r * b + 128) >> 8)
                        : static_cast<std::uint16_t>((l * a + r * b + 8192) >> 14);
}

template <class T>
T Down(std::uint32_t u, std::uint32_t l, std::uint32_t w) {
  return sizeof(T) == 1 ? static_cast<T>((u * (16384 - w) + l * w + 524288) >> 20)
                        : static_cast<T>((u * (16384 - w) + l * w + 8192) >> 14);
}

float AcrossFloat(float l, float r, float t) {
  const float difference = r - l;
  const float scaled = difference * t;
  return l + scaled;
}

float DownFloat(float u, float l, float t) {
  const float s = 1.0f - t;
  const float a = u * s;
  const float b = l * t;
  return a + b;
}

using RowWorker8u16u = void (*)(const void*, std::int32_t, const std::ptrdiff_t*,
                                const std::uint16_t*, std::uint16_t*);
using RowWorkerD8u16u = void (*)(const void*, std::int32_t, std::int32_t, const std::ptrdiff_t*,
                                 const std::uint16_t*, std::uint16_t*);

// Horizontal workers E (one channel), B (four) and D (three, at pixel sizes 3 and 4) of 8u and
// 16u, counts 1 to 40, against the Q14 definition.
template <class T>
void CheckLinearRows(RowWorker8u16u e, RowWorker8u16u b, RowWorkerD8u16u d) {
  std::mt19937 rng(sizeof(T));
  for (std::int32_t count = 1; count <= 40; ++count) {
    struct Shape {
      const char* name;
      std::int32_t stride, channels, pixelSize;
    };
    for (const Shape& s :
         {Shape{"E", 1, 1, 0}, Shape{"B", 4, 4, 0}, Shape{"D3", 3, 3, 3}, Shape{"D4", 4, 3, 4}}) {
      const std::int32_t pixels = 2 + static_cast<std::int32_t>(rng() % 50);
      const std::vector<T> src = Samples<T>(rng, static_cast<std::size_t>(pixels) * s.stride);
      const auto xoff = Offsets(rng, count, pixels, s.stride);
      const auto pairs = Pairs(rng, count);
      AlignedRow<std::uint16_t> out(static_cast<std::size_t>(count + 4) * s.channels);
      if (s.pixelSize != 0) {
        d(src.data(), count, s.pixelSize, xoff.data(), pairs.data(), out.data());
      } else {
        (s.channels == 1 ? e : b)(src.data(), count, xoff.data(), pairs.data(), out.data());
      }
      for (std::int32_t k = 0; k < count; ++k) {
        for (int c = 0; c < s.channels; ++c) {
          const std::uint16_t expected = Across<T>(src[xoff[k] + c], src[xoff[k] + s.stride + c],
                                                   pairs[2 * k], pairs[2 * k + 1]);
          ASSERT_EQ(out[static_cast<std::size_t>(k) * s.channels + c], expected)
              << s.name << " count " << count << " column " << k << " channel " << c;
        }
      }
    }
  }
}

TEST(ResizeLinearSse2, HorizontalWorkersOverRaggedCounts) {
  CheckLinearRows<std::uint8_t>(ResizeLinearWorkerE_8u_Sse2, ResizeLinearWorkerB_8u_Sse2,
                                ResizeLinearWorkerD_8u_Sse2);
  CheckLinearRows<std::uint16_t>(ResizeLinearWorkerE_16u_Sse2, ResizeLinearWorkerB_16u_Sse2,
                                 ResizeLinearWorkerD_16u_Sse2);
}

using ColumnWorker8u16u = void (*)(void*, std::int32_t, std::uint16_t, const std::uint16_t*,
                                   const std::uint16_t*);

// Vertical workers A (flat) and C (three of four elements) of 8u and 16u, counts 1 to 40:
// the definition's values, nothing written after the last element, fourth elements kept.
template <class T>
void CheckLinearColumns(ColumnWorker8u16u a, ColumnWorker8u16u c) {
  std::mt19937 rng(10 + sizeof(T));
  const std::uint32_t maxBuffered = sizeof(T) == 1 ? 16320 : 65535;
  for (std::int32_t count = 1; count <= 40; ++count) {
    for (bool threeOfFour : {false, true}) {
      const std::size_t values = threeOfFour ? 3 * static_cast<std::size_t>(count) : count;
      AlignedRow<std::uint16_t> upper(values + 12);
      AlignedRow<std::uint16_t> lower(values + 12);
      for (std::size_t i = 0; i < values + 12; ++i) {
        upper[i] = static_cast<std::uint16_t>(rng() % (maxBuffered + 1));
        lower[i] = static_cast<std::uint16_t>(rng() % (maxBuffered + 1));
      }
      const auto w = static_cast<std::uint16_t>(count % 7 == 0 ? 16384 : rng() % 16385);
      const std::size_t elements = threeOfFour ? 4 * static_cast<std::size_t>(count) : values;
      std::vector<T> dst(elements + 8, static_cast<T>(0x5A5A));
      (threeOfFour ? c : a)(dst.data() + 1, count, w, upper.data(), lower.data());
      ASSERT_EQ(dst[0], static_cast<T>(0x5A5A));
      for (std::size_t i = 0; i < elements; ++i) {
        const bool fourth = threeOfFour && i % 4 == 3;
        const std::size_t v = threeOfFour ? 3 * (i / 4) + i % 4 : i;
        const T expected = fourth ? static_cast<T>(0x5A5A) : Down<T>(upper[v], lower[v], w);
        ASSERT_EQ(dst[1 + i], expected)
            << (threeOfFour ? "C" : "A") << " count " << count << " element " << i;
      }
      for (std::size_t i = elements + 1; i < dst.size(); ++i) {
        ASSERT_EQ(dst[i], static_cast<T>(0x5A5A)) << "count " << count << " wrote past the row";
      }
    }
  }
}

TEST(ResizeLinearSse2, VerticalWorkersOverRaggedCounts) {
  CheckLinearColumns<std::uint8_t>(ResizeLinearWorkerA_8u_Sse2, ResizeLinearWorkerC_8u_Sse2);
  CheckLinearColumns<std::uint16_t>(ResizeLinearWorkerA_16u_Sse2, ResizeLinearWorkerC_16u_Sse2);
}

// Float workers, counts 1 to 40: L + (R − L)·t across, P·(1 − t) + Q·t down, bit for bit.
TEST(ResizeLinearSse2, FloatWorkersOverRaggedCounts) {
  std::mt19937 rng(30);
  for (std::int32_t count = 1; count <= 40; ++count) {
    for (std::int32_t stride : {1, 3, 4}) {
      const std::int32_t channels = stride == 1 ? 1 : (stride == 3 ? 3 : 4);
      const std::int32_t pixels = 2 + static_cast<std::int32_t>(rng() % 40);
      // Three channels at stride 4 as well: D with pixel size 4.
      for (std::int32_t pixelSize : stride == 4 ? std::vector<int>{4, 0} : std::vector<int>{0}) {
        const std::int32_t step = pixelSize == 4 ? 4 : stride;
        const std::int32_t made = pixelSize == 4 ? 3 : channels;
        const std::vector<float> src = Samples<float>(rng, static_cast<std::size_t>(pixels) * step);
        const auto xoff = Offsets(rng, count, pixels, step);
        AlignedRow<float> t(count);
        for (std::int32_t k = 0; k < count; ++k) {
          t[k] = static_cast<float>(rng() % 1001) / 1000.0f;
        }
        AlignedRow<float> out(static_cast<std::size_t>(count + 4) * made);
        if (stride == 1) {
          ResizeLinearWorkerE_32f_Sse2(src.data(), count, xoff.data(), t.data(), out.data());
        } else if (made == 4) {
          ResizeLinearWorkerB_32f_Sse2(src.data(), count, xoff.data(), t.data(), out.data());
        } else {
          ResizeLinearWorkerD_32f_Sse2(src.data(), count, step, xoff.data(), t.data(), out.data());
        }
        for (std::int32_t k = 0; k < count; ++k) {
          for (int c = 0; c < made; ++c) {
            const float expected = AcrossFloat(src[xoff[k] + c], src[xoff[k] + step + c], t[k]);
            ASSERT_EQ(std::bit_cast<std::uint32_t>(out[static_cast<std::size_t>(k) * made + c]),
                      std::bit_cast<std::uint32_t>(expected))
                << "stride " << step << " count " << count << " column " << k;
          }
        }
      }
    }
    for (bool threeOfFour : {false, true}) {
      const std::size_t values = threeOfFour ? 3 * static_cast<std::size_t>(count) : count;
      AlignedRow<float> upper(values + 12);
      AlignedRow<float> lower(values + 12);
      for (std::size_t i = 0; i < values; ++i) {
        upper[i] = Samples<float>(rng, 1)[0];
        lower[i] = Samples<float>(rng, 1)[0];
      }
      const float t = static_cast<float>(rng() % 1001) / 1000.0f;
      const std::size_t elements = threeOfFour ? 4 * static_cast<std::size_t>(count) : values;
      std::vector<float> dst(elements + 4, -7.0f);
      (threeOfFour ? ResizeLinearWorkerC_32f_Sse2 : ResizeLinearWorkerA_32f_Sse2)(
          dst.data() + 1, count, t, upper.data(), lower.data());
      for (std::size_t i = 0; i < elements; ++i) {
        const std::size_t v = threeOfFour ? 3 * (i / 4) + i % 4 : i;
        const float expected = threeOfFour && i % 4 == 3 ? -7.0f : DownFloat(upper[v], lower[v], t);
        ASSERT_EQ(std::bit_cast<std::uint32_t>(dst[1 + i]), std::bit_cast<std::uint32_t>(expected))
            << (threeOfFour ? "C" : "A") << " count " << count << " element " << i;
      }
      EXPECT_EQ(dst[elements + 1], -7.0f);
    }
  }
}

// The Q14 examples: 0 and 1 halfway across give the Q6 value 32 (one half), which the vertical
// step rounds up to 1; 0 and 3 halfway give 2; 0 and 1 a quarter across give 0. 255 stays 255
// at every weight; 16-bit taps above 32767 blend to their mean rounded half up.
TEST(ResizeLinearSse2, FixedPointExamples) {
  struct Case {
    std::uint8_t left, right;
    std::uint16_t across, down;
    std::uint8_t expected;
  };
  const Case cases[] = {{0, 1, 8192, 0, 1},         {0, 1, 8192, 12000, 1},
                        {0, 3, 8192, 0, 2},         {0, 1, 4096, 0, 0},
                        {255, 255, 8192, 777, 255}, {255, 255, 16384, 16384, 255},
                        {9, 200, 0, 0, 9},          {9, 200, 16384, 0, 200}};
  for (const Case& c : cases) {
    // Nine columns, so the vector body and the single steps both take the example.
    std::vector<std::uint8_t> src;
    std::vector<std::ptrdiff_t> xoff;
    std::vector<std::uint16_t> pairs;
    for (int k = 0; k < 9; ++k) {
      src.push_back(c.left);
      src.push_back(c.right);
      xoff.push_back(2 * k);
      pairs.push_back(static_cast<std::uint16_t>(16384 - c.across));
      pairs.push_back(c.across);
    }
    AlignedRow<std::uint16_t> row(16);
    ResizeLinearWorkerE_8u_Sse2(src.data(), 9, xoff.data(), pairs.data(), row.data());
    std::array<std::uint8_t, 9> out{};
    ResizeLinearWorkerA_8u_Sse2(out.data(), 9, c.down, row.data(), row.data());
    for (std::uint8_t v : out) {
      EXPECT_EQ(v, c.expected) << int{c.left} << "/" << int{c.right} << " at " << c.across;
    }
  }
  const std::vector<std::uint16_t> src{65535, 40001, 50000, 33000};
  const std::vector<std::ptrdiff_t> xoff{0, 2};
  const std::vector<std::uint16_t> pairs{8192, 8192, 8192, 8192};
  AlignedRow<std::uint16_t> row(8);
  ResizeLinearWorkerE_16u_Sse2(src.data(), 2, xoff.data(), pairs.data(), row.data());
  std::array<std::uint16_t, 2> out{};
  ResizeLinearWorkerA_16u_Sse2(out.data(), 2, 8192, row.data(), row.data());
  EXPECT_EQ(out[0], 52768);  // (65535 + 40001) / 2 = 52768
  EXPECT_EQ(out[1], 41500);
}

// Float quirks: at t = 1 the horizontal value is L + (R − L), which for L = 1e8 and R = 1 is 0;
// the vertical value at t = 1 is Q. A NaN tap gives NaN even at weight 0.
TEST(ResizeLinearSse2, FloatFormsKeepTheirRoundingAndNaN) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (std::int32_t count : {1, 5}) {
    std::vector<float> src;
    std::vector<std::ptrdiff_t> xoff;
    for (std::int32_t k = 0; k < count; ++k) {
      src.insert(src.end(), {1e8f, 1.0f});
      xoff.push_back(2 * k);
    }
    AlignedRow<float> t(count, 1.0f);
    AlignedRow<float> row(count + 4);
    ResizeLinearWorkerE_32f_Sse2(src.data(), count, xoff.data(), t.data(), row.data());
    for (std::int32_t k = 0; k < count; ++k) {
      EXPECT_EQ(row[k], 0.0f) << "count " << count;
    }
    AlignedRow<float> upper(count + 4, nan);
    AlignedRow<float> lower(count + 4, 3.5f);
    std::vector<float> out(count);
    ResizeLinearWorkerA_32f_Sse2(out.data(), count, 0.0f, upper.data(), lower.data());
    for (float v : out) {
      EXPECT_TRUE(std::isnan(v));
    }
    AlignedRow<float> finite(count + 4, 2.0f);
    ResizeLinearWorkerA_32f_Sse2(out.data(), count, 1.0f, finite.data(), lower.data());
    for (float v : out) {
      EXPECT_EQ(v, 3.5f);
    }
  }
}

// ---- Cubic -------------------------------------------------------------------------------

constexpr float kThird = std::bit_cast<float>(0x3EAAAAAAu);

struct Weights3 {
  float k1, k2, k3;
};

// The vector steps' weights: one-channel body k3 = (t − 1)·(k2·c), the others ((t − 1)·c)·k2.
Weights3 BodyWeights(float t, bool oneChannelRow) {
  const float k1 = t + 1.0f;
  const float k2 = (t * 0.5f) * k1;
  const float k3 = oneChannelRow ? (t - 1.0f) * (k2 * kThird) : ((t - 1.0f) * kThird) * k2;
  return {k1, k2, k3};
}

Weights3 TailWeights(float t) {
  const float k1 = 1.0f + t;
  const float k2 = (t * k1) * 0.5f;
  const float k3 = ((t - 1.0f) * k2) / 3.0f;
  return {k1, k2, k3};
}

float RowBody(float p0, float p1, float p2, float p3, const Weights3& k) {
  const float d1 = p1 - p0;
  const float d2 = (p2 - p1) - d1;
  const float d3 = ((p3 - p2) - p2) + (p1 - d2);
  const float a = p0 + d1 * k.k1;
  const float b = d2 * k.k2 + d3 * k.k3;
  return a + b;
}

float RowTail(float p0, float p1, float p2, float p3, const Weights3& k) {
  const float d1 = p1 - p0;
  const float d2 = (p2 - p1) - d1;
  const float d3 = ((p1 - (p2 + p2)) + p3) - d2;
  return ((p0 + k.k3 * d3) + k.k2 * d2) + k.k1 * d1;
}

float ColumnBody(float r0, float r1, float r2, float r3, const Weights3& k) {
  const float d1 = r1 - r0;
  const float d2 = (r2 - r1) - d1;
  const float d3 = (r3 - d2) + ((r1 - r2) - r2);
  const float a = r0 + d1 * k.k1;
  const float b = d2 * k.k2 + d3 * k.k3;
  return a + b;
}

float ColumnTail(float r0, float r1, float r2, float r3, const Weights3& k) {
  const float d1 = r1 - r0;
  const float d2 = (r2 - r1) - d1;
  const float d3 = (((r3 - r2) - r2) + r1) - d2;
  return ((r0 + d3 * k.k3) + d2 * k.k2) + d1 * k.k1;
}

float ColumnThreeOfFourFloat(float r0, float r1, float r2, float r3, const Weights3& k) {
  const float d1 = r1 - r0;
  const float d2 = (r2 - d1) - r1;
  const float d3 = (((r3 - d2) - r2) - r2) + r1;
  return ((d3 * k.k3 + d2 * k.k2) + d1 * k.k1) + r0;
}

template <class T>
T BodyResult(float v) {
  const double max = sizeof(T) == 1 ? 255.0 : 65535.0;
  return static_cast<T>(std::clamp(std::nearbyint(static_cast<double>(v + 1e-5f)), 0.0, max));
}

template <class T>
T TailResult(float v) {
  const double max = sizeof(T) == 1 ? 255.0 : 65535.0;
  return static_cast<T>(std::clamp(std::trunc(static_cast<double>(v) + 1e-7), 0.0, max));
}

using CubicRowWorker = void (*)(const void*, std::int32_t, const std::ptrdiff_t*, const float*,
                                float*);
using CubicRowWorkerE = void (*)(const void*, std::int32_t, std::int32_t, const std::ptrdiff_t*,
                                 const float*, float*);

// Horizontal workers A, C, E, counts 1 to 40: A's groups of four take the body form and the
// rest the tail form; C and E the per-pixel form.
template <class T>
void CheckCubicRows(CubicRowWorker a, CubicRowWorker c, CubicRowWorkerE e) {
  std::mt19937 rng(40 + sizeof(T));
  for (std::int32_t count = 1; count <= 40; ++count) {
    for (std::int32_t stride : {1, 3, 4, 34}) {  // 34: E with stride 4 keeping three channels
      const bool threeOfFour = stride == 34;
      const std::int32_t step = threeOfFour ? 4 : stride;
      const std::int32_t made = threeOfFour ? 3 : stride;
      const std::int32_t pixels = 4 + static_cast<std::int32_t>(rng() % 40);
      const std::vector<T> src = Samples<T>(rng, static_cast<std::size_t>(pixels) * step);
      std::vector<std::ptrdiff_t> xoff(count);
      for (auto& o : xoff) {
        o = (1 + static_cast<std::ptrdiff_t>(rng() % (pixels - 3))) * step;
      }
      std::sort(xoff.begin(), xoff.end());
      AlignedRow<float> t(count + 4);
      for (std::int32_t k = 0; k < count; ++k) {
        t[k] = static_cast<float>(static_cast<int>(rng() % 3001) - 1000) / 1000.0f;
      }
      AlignedRow<float> out(static_cast<std::size_t>(count + 4) * made);
      if (stride == 1) {
        a(src.data(), count, xoff.data(), t.data(), out.data());
      } else if (stride == 4) {
        c(src.data(), count, xoff.data(), t.data(), out.data());
      } else {
        e(src.data(), count, step, xoff.data(), t.data(), out.data());
      }
      const std::int32_t body = count & ~3;
      for (std::int32_t k = 0; k < count; ++k) {
        for (int ch = 0; ch < made; ++ch) {
          const auto p = [&](int j) {
            return static_cast<float>(src[xoff[k] + (j - 1) * step + ch]);
          };
          float expected = 0.0f;
          if (stride != 1) {
            expected = RowBody(p(0), p(1), p(2), p(3), BodyWeights(t[k], false));
          } else if (k < body) {
            expected = RowBody(p(0), p(1), p(2), p(3), BodyWeights(t[k], true));
          } else {
            expected = RowTail(p(0), p(1), p(2), p(3), TailWeights(t[k]));
          }
          ASSERT_EQ(std::bit_cast<std::uint32_t>(out[static_cast<std::size_t>(k) * made + ch]),
                    std::bit_cast<std::uint32_t>(expected))
              << "stride " << stride << " count " << count << " column " << k;
        }
      }
    }
  }
}

TEST(ResizeCubicSse2, HorizontalWorkersOverRaggedCounts) {
  CheckCubicRows<std::uint8_t>(ResizeCubicWorkerA_8u_Sse2, ResizeCubicWorkerC_8u_Sse2,
                               ResizeCubicWorkerE_8u_Sse2);
  CheckCubicRows<std::uint16_t>(ResizeCubicWorkerA_16u_Sse2, ResizeCubicWorkerC_16u_Sse2,
                                ResizeCubicWorkerE_16u_Sse2);
  CheckCubicRows<float>(ResizeCubicWorkerA_32f_Sse2, ResizeCubicWorkerC_32f_Sse2,
                        ResizeCubicWorkerE_32f_Sse2);
}

using CubicColumnWorker = void (*)(void*, std::int32_t, float, const float*, const float*,
                                   const float*, const float*);

// Vertical workers B and D, counts 1 to 40, destinations at every alignment: B's groups of
// four (D's groups of four of its three-channel values) take the body form and conversion,
// the rest the tail's; nothing after the last element is written; fourth elements kept.
template <class T>
void CheckCubicColumns(CubicColumnWorker b, CubicColumnWorker d) {
  std::mt19937 rng(50 + sizeof(T));
  const float scale = sizeof(T) == 1 ? 300.0f : (sizeof(T) == 2 ? 70000.0f : 1000.0f);
  for (std::int32_t count = 1; count <= 40; ++count) {
    for (bool threeOfFour : {false, true}) {
      const std::size_t values = threeOfFour ? 3 * static_cast<std::size_t>(count) : count;
      std::array<AlignedRow<float>, 4> rows{
          AlignedRow<float>(values + 12), AlignedRow<float>(values + 12),
          AlignedRow<float>(values + 12), AlignedRow<float>(values + 12)};
      for (auto& r : rows) {
        for (std::size_t i = 0; i < values; ++i) {
          r[i] = static_cast<float>(rng() % 100000) / 100000.0f * scale - 20.0f;
        }
      }
      const float t = count % 5 == 0 ? 2.0f : static_cast<float>(rng() % 2001) / 1000.0f - 0.5f;
      const std::size_t elements = threeOfFour ? 4 * static_cast<std::size_t>(count) : values;
      for (std::size_t shift = 0; shift < 4; ++shift) {
        std::vector<T> dst(elements + 8, static_cast<T>(0x5A5A));
        T* out = dst.data() + 1 + shift;
        (threeOfFour ? d : b)(out, count, t, rows[0].data(), rows[1].data(), rows[2].data(),
                              rows[3].data());
        const std::size_t body = values & ~std::size_t{3};
        for (std::size_t i = 0; i < elements; ++i) {
          T expected = static_cast<T>(0x5A5A);
          if (!(threeOfFour && i % 4 == 3)) {
            const std::size_t v = threeOfFour ? 3 * (i / 4) + i % 4 : i;
            const float r0 = rows[0][v], r1 = rows[1][v], r2 = rows[2][v], r3 = rows[3][v];
            if constexpr (std::is_same_v<T, float>) {
              expected = threeOfFour ? ColumnThreeOfFourFloat(r0, r1, r2, r3, TailWeights(t))
                         : v < body  ? ColumnBody(r0, r1, r2, r3, BodyWeights(t, false)) + 1e-5f
                                     : ColumnTail(r0, r1, r2, r3, TailWeights(t));
            } else {
              expected = v < body ? BodyResult<T>(ColumnBody(r0, r1, r2, r3, BodyWeights(t, false)))
                                  : TailResult<T>(ColumnTail(r0, r1, r2, r3, TailWeights(t)));
            }
          }
          ASSERT_EQ(std::memcmp(&out[i], &expected, sizeof(T)), 0)
              << (threeOfFour ? "D" : "B") << " count " << count << " shift " << shift
              << " element " << i << ": " << double(out[i]) << " vs " << double(expected);
        }
        for (T* p = out + elements; p < dst.data() + dst.size(); ++p) {
          ASSERT_EQ(*p, static_cast<T>(0x5A5A)) << "count " << count << " wrote past the row";
        }
      }
    }
  }
}

TEST(ResizeCubicSse2, VerticalWorkersOverRaggedCountsAndAlignments) {
  CheckCubicColumns<std::uint8_t>(ResizeCubicWorkerB_8u_Sse2, ResizeCubicWorkerD_8u_Sse2);
  CheckCubicColumns<std::uint16_t>(ResizeCubicWorkerB_16u_Sse2, ResizeCubicWorkerD_16u_Sse2);
  CheckCubicColumns<float>(ResizeCubicWorkerB_32f_Sse2, ResizeCubicWorkerD_32f_Sse2);
}

// Every buffer holds v, so the output shows the conversion alone: in a group of four, + 1e-5
// and round to nearest; after the last group, + 1e-7 and truncate.
TEST(ResizeCubicSse2, BodyRoundsAndTailTruncates) {
  struct Case {
    float v;
    int body, tail;
  };
  const Case cases[] = {{100.6f, 101, 100}, {-3.2f, 0, 0}, {260.4f, 255, 255}};
  for (const Case& c : cases) {
    AlignedRow<float> r(16, c.v);
    std::array<std::uint8_t, 5> out{};
    ResizeCubicWorkerB_8u_Sse2(out.data(), 5, 0.25f, r.data(), r.data(), r.data(), r.data());
    for (int e = 0; e < 5; ++e) {
      EXPECT_EQ(out[e], e < 4 ? c.body : c.tail) << c.v << " element " << e;
    }
  }
  AlignedRow<float> big(16, 65540.2f);
  std::array<std::uint16_t, 5> out16{};
  ResizeCubicWorkerB_16u_Sse2(out16.data(), 5, 0.5f, big.data(), big.data(), big.data(),
                              big.data());
  for (std::uint16_t v : out16) {
    EXPECT_EQ(v, 65535);
  }
  // Three pixels in four-element pixels: values 0..7 (two groups) round, value 8 (channel 2 of
  // pixel 2) truncates, and every fourth byte stays.
  AlignedRow<float> r(16, 100.6f);
  std::array<std::uint8_t, 12> out;
  out.fill(0xEE);
  ResizeCubicWorkerD_8u_Sse2(out.data(), 3, 0.0f, r.data(), r.data(), r.data(), r.data());
  const std::array<std::uint8_t, 12> expected{101, 101,  101, 0xEE, 101, 101,
                                              101, 0xEE, 101, 101,  100, 0xEE};
  EXPECT_EQ(out, expected);
}

// Integer taps at t = -1 and 0 give p0 and p1 in every form; t = 2 gives p3 exactly in the
// one-channel tail and within the float rounding of k3 = 0.99999994 in the vector forms.
TEST(ResizeCubicSse2, StencilPositions) {
  const std::array<std::uint8_t, 12> src{3, 250, 17, 90, 255, 0, 128, 64, 7, 33, 200, 1};
  const std::array<float, 3> ts{-1.0f, 0.0f, 2.0f};
  for (std::int32_t count : {1, 3, 4, 7}) {
    std::vector<std::ptrdiff_t> xoff(count);
    AlignedRow<float> t(count + 4);
    for (std::int32_t k = 0; k < count; ++k) {
      xoff[k] = 1 + k;
      t[k] = ts[k % 3];
    }
    AlignedRow<float> out(count + 4);
    ResizeCubicWorkerA_8u_Sse2(src.data(), count, xoff.data(), t.data(), out.data());
    for (std::int32_t k = 0; k < count; ++k) {
      const float expected = src[xoff[k] + static_cast<int>(t[k])];
      const bool tail = k >= (count & ~3);
      if (t[k] == 2.0f && !tail) {
        EXPECT_NEAR(out[k], expected, 1e-3) << "count " << count << " column " << k;
      } else {
        EXPECT_EQ(out[k], expected) << "count " << count << " column " << k;
      }
    }
  }
}

// ---- Six-tap -----------------------------------------------------------------------------

// The builder's steps on one fraction, in single precision.
std::array<float, 6> LanczosWeights(float t) {
  const float* table = ResizeLanczos3Table();
  std::array<float, 6> w{};
  const float u = -t - 2.0f;
  for (int j = 0; j < 6; ++j) {
    const float d = std::min(std::fabs(u + static_cast<float>(j)), 3.0f);
    const float x = d * 100.0f;
    const auto n = static_cast<int>(x);
    const float f = x - static_cast<float>(n);
    w[j] = table[n] + f * (table[n + 1] - table[n]);
  }
  return w;
}

// Counts 1 to 9 fill exactly 6·count weights, each the single-precision steps of its fraction.
TEST(ResizeSixTapSse2, BuilderFollowsItsStepsForEveryCount) {
  std::mt19937 rng(60);
  for (std::int32_t count = 1; count <= 9; ++count) {
    std::vector<double> fractions(count);
    for (auto& f : fractions) {
      f = static_cast<double>(rng() % 1000001) / 1000000.0 - (rng() % 10 == 0 ? 1e-8 : 0.0);
    }
    std::vector<float> w(6 * static_cast<std::size_t>(count) + 6, 42.0f);
    ResizeBuildCoeffs_Sse2(fractions.data(), count, w.data());
    for (std::int32_t k = 0; k < count; ++k) {
      const auto expected = LanczosWeights(static_cast<float>(fractions[k]));
      for (int j = 0; j < 6; ++j) {
        ASSERT_EQ(std::bit_cast<std::uint32_t>(w[6 * k + j]),
                  std::bit_cast<std::uint32_t>(expected[j]))
            << "count " << count << " fraction " << k << " tap " << j;
      }
    }
    for (int j = 0; j < 6; ++j) {
      EXPECT_EQ(w[6 * static_cast<std::size_t>(count) + j], 42.0f) << "count " << count;
    }
  }
  // t = 0: the unit tap; t = 0.5: symmetric, the middle pair L(0.5).
  const double fractions[] = {0.0, 0.5};
  std::array<float, 12> w{};
  ResizeBuildCoeffs_Sse3(fractions, 2, w.data());
  EXPECT_EQ(w[2], 1.0f);
  for (int j : {0, 1, 3, 4, 5}) {
    EXPECT_EQ(w[j], 0.0f) << j;
  }
  EXPECT_NEAR(w[8], 0.6079271, 1e-6);
  for (int j = 0; j < 3; ++j) {
    EXPECT_EQ(w[6 + j], w[11 - j]);
  }
}

using SixTapColumnWorker = void (*)(void*, std::int32_t, const float*, const float* const*);

// Vertical workers B and D, counts 1 to 40: 8u and 16u sum the six products in double in tap
// order, add 1e-7, truncate and clamp; float sums in single precision.
template <class T>
void CheckSixTapColumns(SixTapColumnWorker b, SixTapColumnWorker d) {
  std::mt19937 rng(70 + sizeof(T));
  for (std::int32_t count = 1; count <= 40; ++count) {
    for (bool threeOfFour : {false, true}) {
      const std::size_t values = threeOfFour ? 3 * static_cast<std::size_t>(count) : count;
      std::vector<AlignedRow<float>> rows;
      for (int j = 0; j < 6; ++j) {
        rows.emplace_back(values + 12);
        for (std::size_t i = 0; i < values; ++i) {
          rows[j][i] = static_cast<float>(rng() % 100000) / 100000.0f *
                           (sizeof(T) == 2 ? 70000.0f : 300.0f) -
                       10.0f;
        }
      }
      const std::array<const float*, 6> pointers{rows[0].data(), rows[1].data(), rows[2].data(),
                                                 rows[3].data(), rows[4].data(), rows[5].data()};
      const auto w = LanczosWeights(static_cast<float>(rng() % 1000) / 1000.0f);
      const std::size_t elements = threeOfFour ? 4 * static_cast<std::size_t>(count) : values;
      std::vector<T> dst(elements + 6, static_cast<T>(0x5A5A));
      (threeOfFour ? d : b)(dst.data() + 1, count, w.data(), pointers.data());
      for (std::size_t i = 0; i < elements; ++i) {
        T expected = static_cast<T>(0x5A5A);
        if (!(threeOfFour && i % 4 == 3)) {
          const std::size_t v = threeOfFour ? 3 * (i / 4) + i % 4 : i;
          if constexpr (std::is_same_v<T, float>) {
            float sum = rows[0][v] * w[0];
            for (int j = 1; j < 6; ++j) {
              sum = sum + rows[j][v] * w[j];
            }
            expected = sum;
          } else {
            double sum = static_cast<double>(rows[0][v]) * w[0];
            for (int j = 1; j < 6; ++j) {
              sum = sum + static_cast<double>(rows[j][v]) * w[j];
            }
            expected = static_cast<T>(
                std::clamp(std::trunc(sum + 1e-7), 0.0, sizeof(T) == 1 ? 255.0 : 65535.0));
          }
        }
        ASSERT_EQ(std::memcmp(&dst[1 + i], &expected, sizeof(T)), 0)
            << (threeOfFour ? "D" : "B") << " count " << count << " element " << i;
      }
      for (std::size_t i = elements + 1; i < dst.size(); ++i) {
        ASSERT_EQ(dst[i], static_cast<T>(0x5A5A)) << "count " << count << " wrote past the row";
      }
    }
  }
}

TEST(ResizeSixTapSse2, VerticalWorkersOverRaggedCounts) {
  CheckSixTapColumns<std::uint8_t>(ResizeSixTapWorkerB_8u_Sse2, ResizeSixTapWorkerD_8u_Sse2);
  CheckSixTapColumns<std::uint16_t>(ResizeSixTapWorkerB_16u_Sse2, ResizeSixTapWorkerD_16u_Sse2);
  CheckSixTapColumns<float>(ResizeSixTapWorkerB_32f_Sse2, ResizeSixTapWorkerD_32f_Sse2);
}

// The vertical sum is taken in double: 255 less 5e-8 is lifted to 255 by the bias, 255 less
// 1e-4 truncates to 254, and 255 less 2e-7 gives 254 (a float sum would have rounded it to
// 255); negative sums give 0, overshoot 255 or 65535.
TEST(ResizeSixTapSse2, VerticalSumIsDoubleBiasedAndTruncated) {
  struct Case {
    float first, second;
    int expected8u, expected16u;
  };
  const Case cases[] = {{255.0f, -5e-8f, 255, 255}, {255.0f, -1e-4f, 254, 254},
                        {255.0f, -2e-7f, 254, 254}, {-3.0f, -0.5f, 0, 0},
                        {300.0f, 0.25f, 255, 300},  {65535.0f, 0.7f, 255, 65535},
                        {100.0f, -4e-8f, 100, 100}, {100.0f, -1e-4f, 99, 99}};
  for (const Case& c : cases) {
    AlignedRow<float> zero(16, 0.0f), first(16, c.first), second(16, c.second);
    const std::array<const float*, 6> rows{zero.data(), first.data(), second.data(),
                                           zero.data(), zero.data(),  zero.data()};
    const std::array<float, 6> w{0, 1, 1, 0, 0, 0};
    std::array<std::uint8_t, 6> out8{};
    ResizeSixTapWorkerB_8u_Sse2(out8.data(), 6, w.data(), rows.data());
    std::array<std::uint16_t, 6> out16{};
    ResizeSixTapWorkerB_16u_Sse2(out16.data(), 6, w.data(), rows.data());
    for (int e = 0; e < 6; ++e) {
      EXPECT_EQ(out8[e], c.expected8u) << c.first << " + " << c.second << " element " << e;
      EXPECT_EQ(out16[e], c.expected16u) << c.first << " + " << c.second << " element " << e;
    }
  }
}

// Float vertical rows of 10 elements and of 11 and more, at every alignment, give the
// definition's bits whatever path an element takes.
TEST(ResizeSixTapSse2, FloatVerticalIndependentOfLengthAndAlignment) {
  std::mt19937 rng(80);
  std::vector<AlignedRow<float>> rows;
  for (int j = 0; j < 6; ++j) {
    rows.emplace_back(40);
    for (int i = 0; i < 40; ++i) {
      rows[j][i] = static_cast<float>(rng() % 100000) / 77.0f - 300.0f;
    }
  }
  const std::array<const float*, 6> pointers{rows[0].data(), rows[1].data(), rows[2].data(),
                                             rows[3].data(), rows[4].data(), rows[5].data()};
  const auto w = LanczosWeights(0.37f);
  for (std::int32_t count : {10, 11, 12, 19}) {
    for (std::size_t shift = 0; shift < 4; ++shift) {
      std::vector<float> dst(count + 5, 0.0f);
      ResizeSixTapWorkerB_32f_Sse2(dst.data() + shift, count, w.data(), pointers.data());
      for (std::int32_t e = 0; e < count; ++e) {
        float sum = rows[0][e] * w[0];
        for (int j = 1; j < 6; ++j) {
          sum = sum + rows[j][e] * w[j];
        }
        ASSERT_EQ(std::bit_cast<std::uint32_t>(dst[shift + e]), std::bit_cast<std::uint32_t>(sum))
            << "count " << count << " shift " << shift << " element " << e;
      }
    }
  }
}

}  // namespace
