// The output stage's vector paths against its scalar rule: the deinterlacer's row kernels and
// the converters of modes 2 and 4 to 11 on random pictures of ragged sizes, each generic path
// forced in turn; and the mode-1 converter (deinterlaced luma built band by band) against a
// picture built row by row, on every form of the primitive it calls.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "codec/mp4dec/output.h"
#include "codec/mp4dec/output_paths.h"
#include "mode1_reference.h"
#include "prim/forms.h"
#include "prim/prim.h"
#include "prim/simd_paths.h"

namespace {

using prim_test::kGenericPaths;
using prim_test::PathName;
using prim_test::ScopedForm;
using prim_test::ScopedPath;
using prim_test::ScopedSimdPath;

std::vector<std::uint8_t> RandomBytes(std::size_t n, std::mt19937& rng) {
  std::uniform_int_distribution<int> byte(0, 255);
  // Some runs of the extreme values, where the 16-bit arithmetic is tightest.
  std::uniform_int_distribution<int> pick(0, 9);
  std::vector<std::uint8_t> out(n);
  for (auto& b : out) {
    const int p = pick(rng);
    b = static_cast<std::uint8_t>(p == 0 ? 0 : p == 1 ? 255 : byte(rng));
  }
  return out;
}

std::vector<int> RaggedWidths() {
  std::vector<int> widths;
  for (int w = 1; w <= 65; ++w) {
    widths.push_back(w);
  }
  for (int w : {95, 96, 97, 704, 720}) {
    widths.push_back(w);
  }
  return widths;
}

class OutputPathTest : public ::testing::TestWithParam<PrimGenericPath> {
 protected:
  void SetUp() override {
    if (GetParam() > PrimGenericPathSupported()) {
      GTEST_SKIP() << "this processor does not run the path";
    }
  }
};

// Rows a, b, c with the row under test in the middle; out of place and in place.
TEST_P(OutputPathTest, DeinterlaceRowMatchesTheScalarRule) {
  struct Kernel {
    const char* name;
    const PrimGenericPaths<Mp4DecDeinterlaceRowFn>& paths;
    int bytesPerPixel;
  };
  const Kernel kernels[] = {{"planar", Mp4DecDeinterlaceRowPaths(), 1},
                            {"packed", Mp4DecDeinterlacePackedRowPaths(), 2}};
  std::mt19937 rng(31);
  for (const Kernel& k : kernels) {
    for (int width : RaggedWidths()) {
      const std::size_t bytes = static_cast<std::size_t>(width * k.bytesPerPixel);
      const auto above = RandomBytes(bytes, rng);
      const auto line = RandomBytes(bytes, rng);
      const auto below = RandomBytes(bytes, rng);
      std::vector<std::uint8_t> expected(bytes + 1, 0xEE);
      k.paths.scalar(above.data(), line.data(), below.data(), expected.data(), width);
      Mp4DecDeinterlaceRowFn* const kernel = [&] {
        switch (GetParam()) {
          case PrimGenericPath::kAvx2:
            return k.paths.avx2;
          case PrimGenericPath::kSse2:
            return k.paths.sse2;
          case PrimGenericPath::kScalar:
            break;
        }
        return k.paths.scalar;
      }();
      std::vector<std::uint8_t> out(bytes + 1, 0xEE);
      kernel(above.data(), line.data(), below.data(), out.data(), width);
      ASSERT_EQ(out, expected) << k.name << " width " << width;
      std::vector<std::uint8_t> inPlace = line;
      kernel(above.data(), inPlace.data(), below.data(), inPlace.data(), width);
      ASSERT_TRUE(std::equal(inPlace.begin(), inPlace.end(), expected.begin()))
          << k.name << " in place, width " << width;
    }
  }
}

// A picture in the decoder's bordered layout (32 pixels of luma border, 16 of chroma) with
// random samples everywhere, borders included.
struct BorderedPicture {
  BorderedPicture(int w, int h, std::mt19937& rng)
      : width(w), height(h), yStride(w + 64), cStride((w + 64) / 2) {
    y = RandomBytes(static_cast<std::size_t>(yStride) * (h + 64), rng);
    u = RandomBytes(static_cast<std::size_t>(cStride) * ((h + 64) / 2 + 1), rng);
    v = RandomBytes(u.size(), rng);
  }
  const std::uint8_t* YO() const { return y.data() + 32 * yStride + 32; }
  const std::uint8_t* UO() const { return u.data() + 16 * cStride + 16; }
  const std::uint8_t* VO() const { return v.data() + 16 * cStride + 16; }

  int width, height, yStride, cStride;
  std::vector<std::uint8_t> y, u, v;
};

// What mode 1 must show: the whole luma copied and deinterlaced by the scalar rule, then each
// output row converted from its own luma row and that row's chroma row.
std::vector<std::uint8_t> ReferenceBgr(const BorderedPicture& p, bool bottomUp) {
  const int w = p.width;
  const int h = p.height;
  std::vector<std::uint8_t> copy(static_cast<std::size_t>(w * h));
  for (int r = 0; r < h; ++r) {
    std::memcpy(copy.data() + r * w, p.YO() + r * p.yStride, static_cast<std::size_t>(w));
  }
  for (int r = 1; r <= h - 3; r += 2) {
    std::uint8_t* line = copy.data() + r * w;
    Mp4DecDeinterlaceRow_Scalar(line - w, line, line + w, line, w);
  }
  std::vector<std::uint8_t> out =
      mode1_reference::Picture(copy.data(), w, p.UO(), p.VO(), p.cStride, w, h, bottomUp);
  out.push_back(0xEE);  // the guard byte after the picture stays
  return out;
}

// Each form of the 4:2:0 to BGR primitive that mode 1 may run: the generic form on each of its
// paths, the SSE, SSE2 and SSE3 forms on their own path and on the AVX2 path.
struct BgrForm {
  prim_test::Form form;
  PrimSimdPath simdPath;
};

std::string BgrFormName(const BgrForm& f) {
  if (f.form.index == PrimIndexGeneric) {
    return f.form.name;
  }
  return prim_test::SimdFormPathName({f.form, f.simdPath});
}

void PrintTo(const BgrForm& f, std::ostream* os) {
  *os << BgrFormName(f);
}

constexpr BgrForm kBgrForms[] = {{prim_test::kFormPaths[0], PrimSimdPath::kForm},
                                 {prim_test::kFormPaths[1], PrimSimdPath::kForm},
                                 {prim_test::kFormPaths[2], PrimSimdPath::kForm},
                                 {prim_test::kForms[1], PrimSimdPath::kForm},
                                 {prim_test::kForms[1], PrimSimdPath::kAvx2},
                                 {prim_test::kForms[2], PrimSimdPath::kForm},
                                 {prim_test::kForms[2], PrimSimdPath::kAvx2},
                                 {prim_test::kForms[3], PrimSimdPath::kForm},
                                 {prim_test::kForms[3], PrimSimdPath::kAvx2}};

struct Size {
  int width;
  int height;
};

class BgrFormTest : public ::testing::TestWithParam<BgrForm> {
 protected:
  void SetUp() override {
    m_simdPath.emplace(GetParam().simdPath);
    if (!prim_test::Runs(GetParam().form) || !m_simdPath->Forced()) {
      GTEST_SKIP() << "this processor does not run the path";
    }
    m_form.emplace(GetParam().form);
    ASSERT_EQ(PrimCpuIndex.load(), GetParam().form.index);
  }
  void TearDown() override {
    m_form.reset();
    m_simdPath.reset();
  }

 private:
  std::optional<ScopedSimdPath> m_simdPath;
  std::optional<ScopedForm> m_form;
};

// Odd and even sizes, both orientations, with random samples everywhere (the chroma rows all
// differ, and the border rows around the planes too): every output row shows its own luma row
// with that row's chroma row. An odd height bottom-up starts on a luma row with a chroma row
// of its own; 704 x 575 is a size a server may send.
TEST_P(BgrFormTest, EveryRowTakesTheChromaRowOfItsLumaRow) {
  std::mt19937 rng(47);
  std::vector<Size> sizes;
  for (int w : {1, 2, 3, 15, 16, 17, 31, 32, 33, 63, 64, 65, 704}) {
    for (int h : {1, 2, 3, 4, 5, 15, 16, 17, 18, 31, 32, 33, 34, 48}) {
      sizes.push_back({w, h});
    }
  }
  sizes.push_back({704, 575});
  sizes.push_back({704, 576});
  for (const Size s : sizes) {
    const int w = s.width;
    const int h = s.height;
    const BorderedPicture p(w, h, rng);
    for (bool bottomUp : {true, false}) {
      std::vector<std::uint8_t> scratch(static_cast<std::size_t>(w * h) * 3 / 2 + 1);
      std::vector<std::uint8_t> out(static_cast<std::size_t>(w * h * 3) + 1, 0xEE);
      Mp4DecYuvToBgrPrim(p.YO(), p.yStride, p.UO(), p.VO(), p.cStride, out.data(), w,
                         bottomUp ? h : -h, 0, scratch.data());
      ASSERT_EQ(out, ReferenceBgr(p, bottomUp))
          << w << "x" << h << (bottomUp ? " bottom-up" : " top-down");
    }
  }
}

// The post-filter leaves its luma in the scratch area: deinterlaced there, the same picture.
TEST_P(BgrFormTest, FromLumaInTheScratchAreaEveryRowTakesTheChromaRowOfItsLumaRow) {
  std::mt19937 rng(5);
  for (const Size s :
       {Size{7, 5}, Size{33, 18}, Size{64, 35}, Size{7, 1}, Size{33, 2}, Size{704, 575}}) {
    const int w = s.width;
    const int h = s.height;
    const BorderedPicture p(w, h, rng);
    for (bool bottomUp : {true, false}) {
      std::vector<std::uint8_t> scratch(static_cast<std::size_t>(w * h) * 3 / 2);
      for (int r = 0; r < h; ++r) {
        std::memcpy(scratch.data() + r * w, p.YO() + r * p.yStride, static_cast<std::size_t>(w));
      }
      std::vector<std::uint8_t> out(static_cast<std::size_t>(w * h * 3) + 1, 0xEE);
      Mp4DecYuvToBgrPrim(scratch.data(), w, p.UO(), p.VO(), p.cStride, out.data(), w,
                         bottomUp ? h : -h, 0, scratch.data());
      ASSERT_EQ(out, ReferenceBgr(p, bottomUp))
          << w << "x" << h << (bottomUp ? " bottom-up" : " top-down");
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Forms, BgrFormTest, ::testing::ValuesIn(kBgrForms),
                         [](const auto& info) { return BgrFormName(info.param); });

Mp4DecColourRowFn* KernelOf(const PrimGenericPaths<Mp4DecColourRowFn>& paths,
                            PrimGenericPath path) {
  switch (path) {
    case PrimGenericPath::kAvx2:
      return paths.avx2;
    case PrimGenericPath::kSse2:
      return paths.sse2;
    case PrimGenericPath::kScalar:
      break;
  }
  return paths.scalar;
}

struct ColourFormat {
  const char* name;
  Mp4DecPixelFormat format;
  int bytesPerPixel;
};
constexpr ColourFormat kColourFormats[] = {{"rgb32", Mp4DecPixelFormat::kRgb32, 4},
                                           {"rgb24", Mp4DecPixelFormat::kRgb24, 3},
                                           {"rgb555", Mp4DecPixelFormat::kRgb555, 2},
                                           {"rgb565", Mp4DecPixelFormat::kRgb565, 2},
                                           {"uyvy", Mp4DecPixelFormat::kUyvy, 2}};

// Each row kernel on random rows of every ragged width; the guard bytes after the row stay.
TEST_P(OutputPathTest, ColourRowsMatchTheScalarRule) {
  std::mt19937 rng(83);
  for (const ColourFormat& f : kColourFormats) {
    const auto& paths = Mp4DecColourRowPaths(f.format);
    Mp4DecColourRowFn* const kernel = KernelOf(paths, GetParam());
    for (int width : RaggedWidths()) {
      const auto y = RandomBytes(static_cast<std::size_t>(width), rng);
      const auto u = RandomBytes(static_cast<std::size_t>(width / 2 + 1), rng);
      const auto v = RandomBytes(u.size(), rng);
      const std::size_t bytes = static_cast<std::size_t>(width * f.bytesPerPixel) + 8;
      std::vector<std::uint8_t> expected(bytes, 0xEE);
      paths.scalar(y.data(), u.data(), v.data(), expected.data(), width);
      std::vector<std::uint8_t> out(bytes, 0xEE);
      kernel(y.data(), u.data(), v.data(), out.data(), width);
      ASSERT_EQ(out, expected) << f.name << " width " << width;
    }
  }
}

// Every luma value with every chroma pair: the 32-bit pixels (the colour rule's B, G and R
// whole) of each path against the pixel rule.
TEST_P(OutputPathTest, ColourRuleHoldsForEverySample) {
  Mp4DecColourRowFn* const kernel =
      KernelOf(Mp4DecColourRowPaths(Mp4DecPixelFormat::kRgb32), GetParam());
  std::array<std::uint8_t, 256> y{};
  for (int i = 0; i < 256; ++i) {
    y[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
  }
  std::array<std::uint8_t, 128> u{};
  std::array<std::uint8_t, 128> v{};
  std::array<std::uint8_t, 256 * 4> out{};
  for (int cu = 0; cu < 256; ++cu) {
    u.fill(static_cast<std::uint8_t>(cu));
    for (int cv = 0; cv < 256; ++cv) {
      v.fill(static_cast<std::uint8_t>(cv));
      kernel(y.data(), u.data(), v.data(), out.data(), 256);
      for (int i = 0; i < 256; ++i) {
        const Mp4DecBgr c =
            Mp4DecYuvToBgrPixel(static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(cu),
                                static_cast<std::uint8_t>(cv));
        const std::uint8_t* p = out.data() + 4 * i;
        ASSERT_TRUE(p[0] == c.b && p[1] == c.g && p[2] == c.r && p[3] == 0)
            << "y " << i << " u " << cu << " v " << cv;
      }
    }
  }
}

// The converters of modes 2 and 4 to 11 on the path under test against the scalar path, odd
// sizes, both orientations, from the decoder's bordered planes.
TEST_P(OutputPathTest, ConvertersMatchTheScalarPath) {
  struct Converter {
    const char* name;
    Mp4DecConverter convert;
    int bytesPerPixel;
    bool usesStride;  // rows 2 x outputStride apart (mode 2); else packed
  };
  const Converter converters[] = {{"rgb32", Mp4DecYuvToRgb32, 4, false},
                                  {"rgb24", Mp4DecYuvToRgb24, 3, false},
                                  {"rgb555", Mp4DecYuvToRgb555, 2, false},
                                  {"rgb565", Mp4DecYuvToRgb565, 2, false},
                                  {"uyvy", Mp4DecYuvToUyvy, 2, true}};
  std::mt19937 rng(59);
  const int widths[] = {1, 2, 3, 15, 16, 17, 31, 32, 33, 63, 64, 65, 97, 704};
  const int heights[] = {1, 2, 3, 5, 17};
  for (const Converter& c : converters) {
    for (int w : widths) {
      for (int h : heights) {
        const BorderedPicture p(w, h, rng);
        const int outputStride = w + 3;
        const std::size_t bytes =
            (c.usesStride ? static_cast<std::size_t>(2 * outputStride * h)
                          : static_cast<std::size_t>(w * h * c.bytesPerPixel)) +
            8;
        for (int sign : {1, -1}) {
          std::vector<std::uint8_t> expected(bytes, 0xEE);
          {
            ScopedPath scalar(PrimGenericPath::kScalar);
            c.convert(p.YO(), p.yStride, p.UO(), p.VO(), p.cStride, expected.data(), w, sign * h,
                      outputStride, nullptr);
          }
          std::vector<std::uint8_t> out(bytes, 0xEE);
          {
            ScopedPath path(GetParam());
            c.convert(p.YO(), p.yStride, p.UO(), p.VO(), p.cStride, out.data(), w, sign * h,
                      outputStride, nullptr);
          }
          ASSERT_EQ(out, expected) << c.name << " " << w << "x" << h << " height sign " << sign;
        }
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Paths, OutputPathTest, ::testing::ValuesIn(kGenericPaths),
                         [](const auto& info) { return std::string(PathName(info.param)); });

}  // namespace
