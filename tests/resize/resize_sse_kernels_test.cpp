// The SSE kernels against the values their definitions fix: the cubic body and tail roundings,
// samples reproduced at t = -1, 0 and 2, the linear Q6 intermediate and its rounding, the
// single-precision six-tap weights, and the supersampling examples in every kernel mode.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numeric>
#include <string>
#include <vector>

#include "prim/resize/resize_driver.h"
#include "prim/resize/resize_filters.h"
#include "prim/resize/resize_filters_sse.h"
#include "prim/resize/resize_supersample.h"
#include "prim/resize/resize_variants.h"
#include "resize/resize_test_util.h"
#include "resize/resize_typed_image.h"

namespace {

using namespace resize_test;

// Row buffers as the driver hands them: 16-byte aligned, with spare elements.
struct alignas(16) Rows {
  std::array<float, 32> r[4];
};

// Every buffer holds `v`: the cubic through four equal values is that value at any t, so the
// output shows the conversion alone. Groups of four round after + 1e-5, the rest truncate.
TEST(ResizeCubicSse, GroupsRoundAndTheRemainderTruncates) {
  struct Case {
    float v;
    int group8u, tail8u;
  };
  const Case cases[] = {{100.6f, 101, 100}, {-3.2f, 0, 0}, {260.4f, 255, 255},
                        {7.5f, 8, 7},       {6.5f, 7, 6},  {0.4f, 0, 0}};
  for (const Case& c : cases) {
    Rows rows;
    for (auto& r : rows.r) {
      r.fill(c.v);
    }
    std::array<std::uint8_t, 8> out{};
    ResizeCubicWorker2_8u_Sse(out.data(), 7, 0.3f, rows.r[0].data(), rows.r[1].data(),
                              rows.r[2].data(), rows.r[3].data());
    for (int e = 0; e < 7; ++e) {
      EXPECT_EQ(out[e], e < 4 ? c.group8u : c.tail8u) << c.v << " element " << e;
    }
  }
  // 16-bit: 65540.2 saturates on both paths; 100.6 rounds in the group and truncates after.
  for (float v : {65540.2f, 100.6f}) {
    Rows rows;
    for (auto& r : rows.r) {
      r.fill(v);
    }
    std::array<std::uint16_t, 5> out{};
    ResizeCubicWorker2_16u_Sse(out.data(), 5, 0.7f, rows.r[0].data(), rows.r[1].data(),
                               rows.r[2].data(), rows.r[3].data());
    for (int e = 0; e < 5; ++e) {
      EXPECT_EQ(out[e], v > 65535 ? 65535 : (e < 4 ? 101 : 100)) << v << " element " << e;
    }
  }
}

// Three channels inside four-element pixels: the 3·count values form groups of four in order,
// so with three pixels values 0..7 round and 8 truncates; the fourth bytes stay.
TEST(ResizeCubicSse, ThreeOfFourKeepsTheFourthElementAndGroupsValues) {
  Rows rows;
  for (auto& r : rows.r) {
    r.fill(100.6f);
  }
  std::array<std::uint8_t, 12> out;
  out.fill(0xEE);
  ResizeCubicWorker4_8u_Sse(out.data(), 3, 0.0f, rows.r[0].data(), rows.r[1].data(),
                            rows.r[2].data(), rows.r[3].data());
  const std::array<std::uint8_t, 12> expected{101, 101,  101, 0xEE, 101, 101,
                                              101, 0xEE, 101, 101,  100, 0xEE};
  EXPECT_EQ(out, expected);
}

// At t = -1, 0, 1 and 2 the horizontal forms, body and tail, give the taps p0 to p3 exactly.
TEST(ResizeCubicSse, StencilPositionsReproduceSamples) {
  const std::array<std::uint8_t, 8> src{0, 10, 200, 35, 255, 90, 1, 77};
  const std::array<float, 4> ts{-1.0f, 0.0f, 1.0f, 2.0f};
  for (int count : {3, 4}) {  // tail only, body only
    alignas(16) std::array<float, 8> fractions{};
    alignas(16) std::array<float, 8> out{};
    std::array<std::ptrdiff_t, 4> xoff{};
    for (int i = 0; i < count; ++i) {
      xoff[i] = 1 + i;  // taps xoff - 1 .. xoff + 2
      fractions[i] = ts[i];
    }
    ResizeCubicWorker1_8u_Sse(src.data(), count, xoff.data(), fractions.data(), out.data());
    for (int i = 0; i < count; ++i) {
      const float expected = src[xoff[i] - 1 + static_cast<int>(ts[i]) + 1];
      EXPECT_EQ(out[i], expected) << "count " << count << " t " << ts[i];
    }
  }
}

// Factor 1.0 puts every destination pixel on a source pixel (t = 0 inside, -1 at the first
// and 2 at the last row and column): cubic copies the rectangle in every layout and type.
TEST(ResizeCubicSse, FactorOneCopies) {
  for (std::int32_t type = 0; type < 3; ++type) {
    for (std::int32_t elements : {1, 3, 4}) {
      TypedImage src(type, 9, 7, elements);
      src.FillNoise(40 + type);
      TypedImage dst(type, 9, 7, elements);
      ASSERT_EQ(ResizeInterpolate_Sse(src.data(), {9, 7}, src.step(), {0, 0, 9, 7}, dst.data(),
                                      dst.step(), {9, 7}, 1.0, 1.0, 0.0, 0.0, elements, elements,
                                      type, 0, 4, 1),
                StsNoError);
      for (std::int32_t y = 0; y < 7; ++y) {
        for (std::int32_t x = 0; x < 9; ++x) {
          for (std::int32_t e = 0; e < elements; ++e) {
            EXPECT_NEAR(dst.Get(x, y, e), src.Get(x, y, e), type == 2 ? 1e-5 * 1000 : 0.0)
                << "type " << type << " elements " << elements << " (" << x << "," << y << ")";
          }
        }
      }
    }
  }
}

// 0 and 255 blended at w = 8192 give the Q6 intermediate 8160, which the vertical step turns
// into 128 at w = 0; the vector and the scalar forms agree.
TEST(ResizeLinearSse, HalfwayBetweenBlackAndWhite) {
  const std::array<std::uint8_t, 8> src{0, 0, 0, 0, 255, 255, 255, 255};
  const std::array<std::int16_t, 2> weights{8192, 8192};
  const std::ptrdiff_t xoff = 0;
  std::array<std::uint16_t, 8> buffer{};
  ResizeLinearWorker3_8u_Sse(src.data(), 1, &xoff, weights.data(), buffer.data());
  for (int c = 0; c < 4; ++c) {
    EXPECT_EQ(buffer[c], 8160);
  }
  alignas(16) std::array<std::uint16_t, 24> upper{};
  upper.fill(8160);
  std::array<std::uint8_t, 21> out{};
  ResizeLinearWorker2_8u_Sse(out.data(), 21, 0, upper.data(), upper.data());
  for (std::uint8_t v : out) {
    EXPECT_EQ(v, 128);
  }
  // Through the entry: a two-pixel row doubled to three columns samples 0, 0.5 and 1.
  Image image(2, 2);
  for (std::int32_t y = 0; y < 2; ++y) {
    for (int c = 0; c < 3; ++c) {
      image.at(1, y, c) = 255;
    }
  }
  Image dst(3, 2);
  ASSERT_EQ(Resize(primResize_8u_C3R_sse, image, image.whole(), dst, 1.5, 1.0, 2), StsNoError);
  for (std::int32_t y = 0; y < 2; ++y) {
    EXPECT_EQ(dst.at(0, y, 0), 0);
    EXPECT_EQ(dst.at(1, y, 1), 128);
    EXPECT_EQ(dst.at(2, y, 2), 255);
  }
}

// 16-bit taps above 32767 are blended unsigned: their rounded mean, never clipped.
TEST(ResizeLinearSse, SixteenBitValuesAboveHalfRangeAreNotClipped) {
  TypedImage src(1, 2, 2, 1);
  for (std::int32_t y = 0; y < 2; ++y) {
    src.Put(0, y, 0, 65535);
    src.Put(1, y, 0, 40001);
  }
  TypedImage dst(1, 20, 2, 1);
  // Twenty columns from two: positions k/19; column 19 is the last pixel.
  ASSERT_EQ(ResizeInterpolate_Sse(src.data(), {2, 2}, src.step(), {0, 0, 2, 2}, dst.data(),
                                  dst.step(), {20, 2}, 10.0, 1.0, 0.0, 0.0, 1, 1, 1, 0, 2, 1),
            StsNoError);
  EXPECT_EQ(dst.Get(0, 0, 0), 65535);
  EXPECT_EQ(dst.Get(19, 1, 0), 40001);
  for (std::int32_t x = 1; x < 19; ++x) {
    const double exact = 65535 + (40001.0 - 65535) * x / 19;
    EXPECT_NEAR(dst.Get(x, 0, 0), exact, 2.0) << x;
  }
}

// The single-precision builder: t = 0 gives the unit tap, t = 0.5 the symmetric weights of
// L(0.5), L(1.5), L(2.5); a tap at distance 3 weighs 0, and one just inside reads the padding.
TEST(ResizeSixTapSse, WeightsAtKnownFractions) {
  const double fractions[] = {0.0, 0.5, 1.0, 0.99999999999, -1e-9};
  std::array<float, 30> w{};
  ResizeBuildCoeffs_Sse(fractions, 5, w.data());
  EXPECT_EQ(w[2], 1.0f);
  EXPECT_EQ(w[0] + w[1] + w[3] + w[4] + w[5], 0.0f);
  EXPECT_FLOAT_EQ(w[6 + 2], w[6 + 3]);
  EXPECT_NEAR(w[6 + 2], 0.6079271, 2e-4);
  EXPECT_NEAR(w[6 + 1], -0.1350949, 2e-4);
  EXPECT_NEAR(w[6 + 0], 0.0243171, 2e-4);
  EXPECT_FLOAT_EQ(w[6 + 1], w[6 + 4]);
  EXPECT_EQ(w[12 + 0], 0.0f);  // distance 3
  for (float v : w) {
    EXPECT_TRUE(std::isfinite(v));
    EXPECT_LE(std::fabs(v), 1.0f);
  }
}

// The six-tap vertical step: a sum short of an integer by at most 1e-7 (the float just below
// 1) is lifted by the bias, one short by 1e-4 is truncated; negative sums give 0 and
// overshoot 255.
TEST(ResizeSixTapSse, VerticalBiasTruncatesAndClamps) {
  struct Case {
    float sum;
    int expected;
  };
  const Case cases[] = {{0.99999994f, 1}, {0.9999f, 0},   {254.99f, 254},
                        {-3.5f, 0},       {300.25f, 255}, {100.0f, 100}};
  for (const Case& c : cases) {
    // The sum sits in row 2, the only row with a weight.
    alignas(16) std::array<float, 8> zero{};
    alignas(16) std::array<float, 8> row{};
    row.fill(c.sum);
    const std::array<const float*, 6> rows{zero.data(), zero.data(), row.data(),
                                           zero.data(), zero.data(), zero.data()};
    const std::array<float, 6> coeffs{0, 0, 1, 0, 0, 0};
    std::array<std::uint8_t, 6> out{};
    ResizeSixTapWorker2_8u_Sse(out.data(), 6, coeffs.data(), rows.data());
    for (std::uint8_t v : out) {
      EXPECT_EQ(v, c.expected) << c.sum;
    }
  }
}

// Supersampling examples with known boxes, each run along x and, transposed, along y, so
// that every kernel mode takes them, through the generic and the SSE drivers alike.
TEST(ResizeSupersampleSse, KnownBoxesInEveryKernelMode) {
  struct Case {
    const char* what;
    std::vector<int> samples;  // one line of samples
    double factor;
    std::vector<int> expected;
  };
  const Case cases[] = {
      {"factor 1 copies", {9, 200, 31, 4}, 1.0, {9, 200, 31, 4}},
      {"halving", {1, 3, 200, 100, 7, 7}, 0.5, {2, 150, 7}},
      // (s0 + s1 + s2/2)·0.4 and (s2/2 + s3 + s4)·0.4, rounded half up.
      {"0.4 on five samples", {10, 20, 30, 40, 50}, 0.4, {18, 42}},
      // Weights in sevenths: s0 + 3/7 s1; 4/7 s1 + 6/7 s2; ...
      {"0.7 on ten samples",
       {70, 140, 210, 0, 70, 140, 210, 0, 70, 140},
       0.7,
       {91, 182, 35, 105, 175, 28, 119}},
      // Two boxes of a little over 49 samples: 0..48 plus a sliver of 49, then the rest.
      {"1/49 on 98 samples", std::vector<int>(98, 200), 1.0 / 49, {200, 200}},
      // The cut sample past a two-sample rectangle adds nothing: (s0 + s1)·0.4.
      {"two samples at 0.4", {100, 50}, 0.4, {60}},
  };
  using Driver = PrimStatus (*)(const void*, PrimSize, std::int32_t, PrimRect, void*, std::int32_t,
                                PrimSize, double, double, std::int32_t, std::int32_t, std::int32_t,
                                std::int32_t, std::int32_t);
  const std::pair<const char*, Driver> drivers[] = {{"generic", ResizeSuperSample_Generic},
                                                    {"sse", ResizeSuperSample_Sse}};
  for (const auto& [name, driver] : drivers) {
    for (const Case& c : cases) {
      const auto n = static_cast<std::int32_t>(c.samples.size());
      for (bool alongY : {false, true}) {
        // The other axis keeps 2 lines at factor 1, or 3 at 2/3 (a fractional box of 1.5).
        for (double other : {1.0, 2.0 / 3.0}) {
          const std::int32_t lines = other == 1.0 ? 2 : 3;
          const std::int32_t w = alongY ? lines : n;
          const std::int32_t h = alongY ? n : lines;
          Image src(w, h);
          for (std::int32_t i = 0; i < n; ++i) {
            for (std::int32_t l = 0; l < lines; ++l) {
              for (int ch = 0; ch < 3; ++ch) {
                (alongY ? src.at(l, i, ch) : src.at(i, l, ch)) =
                    static_cast<std::uint8_t>(c.samples[i]);
              }
            }
          }
          Image dst(w, h, 0, 0xEE);
          const double xf = alongY ? other : c.factor;
          const double yf = alongY ? c.factor : other;
          ASSERT_EQ(driver(src.bytes.data(), src.size(), src.step, src.whole(), dst.bytes.data(),
                           dst.step, dst.size(), xf, yf, 3, 3, 0, 0, 1),
                    StsNoError);
          for (std::size_t k = 0; k < c.expected.size(); ++k) {
            const auto i = static_cast<std::int32_t>(k);
            const int got = alongY ? dst.at(0, i, 1) : dst.at(i, 0, 1);
            EXPECT_EQ(got, c.expected[k]) << name << " " << c.what << (alongY ? " along y" : "")
                                          << " other " << other << " output " << k;
          }
        }
      }
    }
  }
}

// A constant image stays constant in every kernel mode and every type; with four-element
// pixels and three channels the fourth element is left as it was.
TEST(ResizeSupersampleSse, ConstantImagesStayConstant) {
  const std::pair<double, double> factors[] = {{0.5, 0.25}, {0.5, 0.4}, {0.3, 0.5}, {0.3, 0.7}};
  for (std::int32_t type = 0; type < 3; ++type) {
    const double value = type == 0 ? 200 : (type == 1 ? 60000 : 123.25);
    for (auto [xf, yf] : factors) {
      TypedImage src(type, 40, 30, 4);
      for (std::int32_t y = 0; y < 30; ++y) {
        for (std::int32_t x = 0; x < 40; ++x) {
          for (std::int32_t e = 0; e < 4; ++e) {
            src.Put(x, y, e, value);
          }
        }
      }
      TypedImage dst(type, 40, 30, 4, 0, 0x11);
      ASSERT_EQ(ResizeSuperSample_Sse(src.data(), {40, 30}, src.step(), {0, 0, 40, 30}, dst.data(),
                                      dst.step(), {40, 30}, xf, yf, 4, 3, type, 0, 1),
                StsNoError);
      const auto w = static_cast<std::int32_t>(40 * xf + 1e-7);
      const auto h = static_cast<std::int32_t>(30 * yf + 1e-7);
      for (std::int32_t y = 0; y + 1 < h; ++y) {  // the last box may reach past the image
        for (std::int32_t x = 0; x + 1 < w; ++x) {
          for (std::int32_t e = 0; e < 3; ++e) {
            EXPECT_NEAR(dst.Get(x, y, e), value, type == 2 ? 1e-3 : 0.0)
                << "type " << type << " factors " << xf << "," << yf;
          }
          EXPECT_TRUE(dst.Untouched(x, y, 3, 0x11));
        }
      }
    }
  }
}

}  // namespace
