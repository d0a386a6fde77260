#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "forms.h"
#include "prim/prim.h"

namespace {

using prim_test::Form;
using prim_test::kFormPaths;
using prim_test::ScopedForm;

// A planar 4:2:0 picture with row padding, so steps differ from widths.
struct Picture {
  int width;
  int height;
  int lumaStep;
  int chromaStep;
  std::vector<std::uint8_t> y;
  std::vector<std::uint8_t> u;
  std::vector<std::uint8_t> v;

  Picture(int w, int h, std::mt19937& rng) : width(w), height(h) {
    lumaStep = w + 5;
    chromaStep = (w + 1) / 2 + 3;
    y.resize(static_cast<std::size_t>(lumaStep * h));
    u.resize(static_cast<std::size_t>(chromaStep * ((h + 1) / 2)));
    v.resize(u.size());
    std::uniform_int_distribution<int> byte(0, 255);
    for (auto* plane : {&y, &u, &v}) {
      for (auto& b : *plane) {
        b = static_cast<std::uint8_t>(byte(rng));
      }
    }
  }
};

constexpr std::uint8_t kCanary = 0xA5;

// Converts with the current form; the output has a step of width*3 + 7 and canary bytes
// around and between the rows. upward: read the picture from its last row with negative steps.
std::vector<std::uint8_t> Convert(const Picture& p, bool upward, PrimStatus* status) {
  const int dstStep = p.width * 3 + 7;
  std::vector<std::uint8_t> out(static_cast<std::size_t>(dstStep * p.height + 32), kCanary);
  const std::uint8_t* planes[3] = {p.y.data(), p.u.data(), p.v.data()};
  std::int32_t steps[3] = {p.lumaStep, p.chromaStep, p.chromaStep};
  if (upward) {
    planes[0] += p.lumaStep * (p.height - 1);
    planes[1] += p.chromaStep * ((p.height - 1) / 2);
    planes[2] += p.chromaStep * ((p.height - 1) / 2);
    for (auto& s : steps) {
      s = -s;
    }
  }
  *status = primYUV420ToBGR_8u_P3C3R(planes, steps, out.data() + 16, dstStep, p.width, p.height);
  return out;
}

// The rule written out independently, for the downward walk.
std::vector<std::uint8_t> Expected(const Picture& p) {
  const int dstStep = p.width * 3 + 7;
  std::vector<std::uint8_t> out(static_cast<std::size_t>(dstStep * p.height + 32), kCanary);
  const auto clamp = [](long v) { return static_cast<std::uint8_t>(std::clamp(v, 0L, 255L)); };
  for (int r = 0; r < p.height; ++r) {
    for (int x = 0; x < p.width; ++x) {
      const long Y = p.y[static_cast<std::size_t>(r * p.lumaStep + x)];
      const long u = p.u[static_cast<std::size_t>((r / 2) * p.chromaStep + x / 2)] - 128L;
      const long v = p.v[static_cast<std::size_t>((r / 2) * p.chromaStep + x / 2)] - 128L;
      std::uint8_t* d = out.data() + 16 + r * dstStep + 3 * x;
      d[0] = clamp((65536 * Y + 133169 * u) >> 16);
      d[1] = clamp((65536 * Y - 25821 * u - 38076 * v) >> 16);
      d[2] = clamp((65536 * Y + 74711 * v) >> 16);
    }
  }
  return out;
}

class YuvFormTest : public ::testing::TestWithParam<Form> {
 protected:
  void SetUp() override {
    if (!prim_test::Runs(GetParam())) {
      GTEST_SKIP() << "this processor does not run the path";
    }
  }
};

TEST_P(YuvFormTest, ArgumentChecksInOrderWriteNothing) {
  ScopedForm scoped(GetParam());
  const std::uint8_t plane[64] = {};
  const std::uint8_t* good[3] = {plane, plane, plane};
  const std::uint8_t* noV[3] = {plane, plane, nullptr};
  const std::int32_t steps[3] = {8, 4, 4};
  std::uint8_t out[256];
  struct Case {
    const char* what;
    const std::uint8_t* const* planes;
    const std::int32_t* steps;
    bool nullDst;
    int width;
    int height;
    PrimStatus status;
  };
  const Case cases[] = {
      {"null plane array", nullptr, steps, false, 4, 4, StsNullPointer},
      {"null step array", good, nullptr, false, 4, 4, StsNullPointer},
      {"null destination", good, steps, true, 0, 4, StsNullPointer},
      {"width 0", good, steps, false, 0, 4, StsSizeError},
      {"height -1", good, steps, false, 4, -1, StsSizeError},
      {"size before plane", noV, steps, false, 0, 4, StsSizeError},
      {"null V plane", noV, steps, false, 4, 4, StsNullPointer},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::fill(std::begin(out), std::end(out), kCanary);
    EXPECT_EQ(primYUV420ToBGR_8u_P3C3R(c.planes, c.steps, c.nullDst ? nullptr : out, 12, c.width,
                                       c.height),
              c.status);
    EXPECT_TRUE(std::all_of(std::begin(out), std::end(out), [](auto b) { return b == kCanary; }));
  }
}

TEST_P(YuvFormTest, KnownColours) {
  ScopedForm scoped(GetParam());
  struct Case {
    std::uint8_t y, u, v;
    std::uint8_t b, g, r;
  };
  const Case cases[] = {
      {100, 128, 128, 100, 100, 100},  // grey stays grey (no luma offset)
      {0, 128, 128, 0, 0, 0},         {255, 128, 128, 255, 255, 255}, {128, 128, 255, 128, 54, 255},
      {128, 0, 128, 0, 178, 128},     {128, 255, 0, 255, 152, 0},
  };
  for (const Case& c : cases) {
    // 40 x 3 pixels of one colour: vector body, ragged tail and an odd last row.
    const int w = 40;
    const int h = 3;
    std::vector<std::uint8_t> y(static_cast<std::size_t>(w * h), c.y);
    std::vector<std::uint8_t> u(static_cast<std::size_t>(w / 2 * 2), c.u);
    std::vector<std::uint8_t> v(u.size(), c.v);
    const std::uint8_t* planes[3] = {y.data(), u.data(), v.data()};
    const std::int32_t steps[3] = {w, w / 2, w / 2};
    std::vector<std::uint8_t> out(static_cast<std::size_t>(w * h * 3));
    ASSERT_EQ(primYUV420ToBGR_8u_P3C3R(planes, steps, out.data(), w * 3, w, h), StsNoError);
    for (std::size_t i = 0; i < out.size(); i += 3) {
      ASSERT_EQ(out[i], c.b) << "Y " << +c.y << " U " << +c.u << " V " << +c.v;
      ASSERT_EQ(out[i + 1], c.g) << "Y " << +c.y << " U " << +c.u << " V " << +c.v;
      ASSERT_EQ(out[i + 2], c.r) << "Y " << +c.y << " U " << +c.u << " V " << +c.v;
    }
  }
}

TEST_P(YuvFormTest, MatchesRuleOnRandomPicturesOfRaggedSizes) {
  ScopedForm scoped(GetParam());
  std::mt19937 rng(2024);
  std::vector<int> widths;
  for (int w = 1; w <= 65; ++w) {
    widths.push_back(w);
  }
  for (int w : {95, 96, 97, 100, 704, 720}) {
    widths.push_back(w);
  }
  const int heights[] = {1, 2, 3, 4, 5, 17};
  for (int w : widths) {
    for (int h : heights) {
      const Picture p(w, h, rng);
      PrimStatus status = -1;
      const auto out = Convert(p, false, &status);
      ASSERT_EQ(status, StsNoError);
      ASSERT_EQ(out, Expected(p)) << w << "x" << h;
    }
  }
}

TEST_P(YuvFormTest, NegativeStepsGiveTheSameBytesAsGeneric) {
  std::mt19937 rng(77);
  for (int w : {1, 5, 16, 31, 32, 33, 63, 64, 65, 704}) {
    for (int h : {1, 2, 7, 8}) {
      const Picture p(w, h, rng);
      PrimStatus status = -1;
      std::vector<std::uint8_t> reference;
      {
        ScopedForm generic(kFormPaths[0]);
        reference = Convert(p, true, &status);
      }
      ASSERT_EQ(status, StsNoError);
      ScopedForm scoped(GetParam());
      EXPECT_EQ(Convert(p, true, &status), reference) << w << "x" << h;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Forms, YuvFormTest, ::testing::ValuesIn(kFormPaths),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
