// Argument checks, their order and statuses, the entry routing, the downgrade of small
// sources and the destination size rule, for all four variant entries.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "prim/resize/resize_driver.h"
#include "prim/resize/resize_variants.h"
#include "resize/resize_test_util.h"

namespace {

using namespace resize_test;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct StatusCase {
  const char* what;
  bool nullSrc;
  bool nullDst;
  PrimSize srcSize;
  std::int32_t srcStep;
  PrimRect roi;
  PrimSize dstSize;
  std::int32_t dstStep;
  double xf;
  double yf;
  std::int32_t interpolation;
  PrimStatus expected;
};

// Source buffers are 8x8 pixels (step 24); destination buffers 16x16 (step 48).
const StatusCase kStatusCases[] = {
    {"null source", true, false, {8, 8}, 24, {0, 0, 8, 8}, {16, 16}, 48, 2, 2, 1, StsNullPointer},
    {"null destination",
     false,
     true,
     {8, 8},
     24,
     {0, 0, 8, 8},
     {16, 16},
     48,
     2,
     2,
     1,
     StsNullPointer},
    {"null before bad step",
     true,
     false,
     {8, 8},
     0,
     {0, 0, 8, 8},
     {16, 16},
     48,
     2,
     2,
     1,
     StsNullPointer},
    {"source width 0", false, false, {0, 8}, 24, {0, 0, 8, 8}, {16, 16}, 48, 2, 2, 1, StsSizeError},
    {"source height -1",
     false,
     false,
     {8, -1},
     24,
     {0, 0, 8, 8},
     {16, 16},
     48,
     2,
     2,
     1,
     StsSizeError},
    {"size before step",
     false,
     false,
     {0, 8},
     0,
     {0, 0, 8, 8},
     {16, 16},
     48,
     2,
     2,
     1,
     StsSizeError},
    {"source step 0", false, false, {8, 8}, 0, {0, 0, 8, 8}, {16, 16}, 48, 2, 2, 1, StsStepError},
    {"destination step -3",
     false,
     false,
     {8, 8},
     24,
     {0, 0, 8, 8},
     {16, 16},
     -3,
     2,
     2,
     1,
     StsStepError},
    {"step before rectangle",
     false,
     false,
     {8, 8},
     0,
     {-1, 0, 8, 8},
     {16, 16},
     48,
     2,
     2,
     1,
     StsStepError},
    {"rectangle x -1",
     false,
     false,
     {8, 8},
     24,
     {-1, 0, 8, 8},
     {16, 16},
     48,
     2,
     2,
     1,
     StsSizeError},
    {"rectangle height 0",
     false,
     false,
     {8, 8},
     24,
     {0, 0, 8, 0},
     {16, 16},
     48,
     2,
     2,
     1,
     StsSizeError},
    {"empty rectangle before no intersection",
     false,
     false,
     {8, 8},
     24,
     {8, 0, 0, 8},
     {16, 16},
     48,
     2,
     2,
     1,
     StsSizeError},
    {"rectangle x at width",
     false,
     false,
     {8, 8},
     24,
     {8, 0, 2, 2},
     {16, 16},
     48,
     2,
     2,
     1,
     StsNoIntersection},
    {"rectangle y past height",
     false,
     false,
     {8, 8},
     24,
     {0, 9, 2, 2},
     {16, 16},
     48,
     2,
     2,
     1,
     StsNoIntersection},
    {"no intersection before destination size",
     false,
     false,
     {8, 8},
     24,
     {8, 0, 2, 2},
     {0, 16},
     48,
     2,
     2,
     1,
     StsNoIntersection},
    {"destination width 0",
     false,
     false,
     {8, 8},
     24,
     {0, 0, 8, 8},
     {0, 16},
     48,
     2,
     2,
     1,
     StsSizeError},
    {"destination size before factor",
     false,
     false,
     {8, 8},
     24,
     {0, 0, 8, 8},
     {16, 0},
     48,
     0,
     2,
     1,
     StsSizeError},
    {"x factor 0", false, false, {8, 8}, 24, {0, 0, 8, 8}, {16, 16}, 48, 0, 2, 1, StsBadFactor},
    {"y factor -1", false, false, {8, 8}, 24, {0, 0, 8, 8}, {16, 16}, 48, 2, -1, 2, StsBadFactor},
    {"x factor NaN",
     false,
     false,
     {8, 8},
     24,
     {0, 0, 8, 8},
     {16, 16},
     48,
     kNaN,
     2,
     1,
     StsBadFactor},
    {"NaN with supersampling",
     false,
     false,
     {8, 8},
     24,
     {0, 0, 8, 8},
     {16, 16},
     48,
     kNaN,
     0.5,
     8,
     StsBadFactor},
    {"negative factor with supersampling",
     false,
     false,
     {8, 8},
     24,
     {0, 0, 8, 8},
     {16, 16},
     48,
     -1,
     0.5,
     8,
     StsBadFactor},
    {"zero factor with supersampling",
     false,
     false,
     {8, 8},
     24,
     {0, 0, 8, 8},
     {16, 16},
     48,
     0.5,
     0,
     8,
     StsBadFactor},
    {"factor before interpolation",
     false,
     false,
     {8, 8},
     24,
     {0, 0, 8, 8},
     {16, 16},
     48,
     0,
     2,
     3,
     StsBadFactor},
    {"interpolation 3",
     false,
     false,
     {8, 8},
     24,
     {0, 0, 8, 8},
     {16, 16},
     48,
     2,
     2,
     3,
     StsBadInterpolation},
    {"interpolation 0",
     false,
     false,
     {8, 8},
     24,
     {0, 0, 8, 8},
     {16, 16},
     48,
     2,
     2,
     0,
     StsBadInterpolation},
    {"supersampling that enlarges",
     false,
     false,
     {8, 8},
     24,
     {0, 0, 8, 8},
     {16, 16},
     48,
     2.0,
     0.5,
     8,
     StsBadInterpolation},
    {"supersampling that shrinks",
     false,
     false,
     {8, 8},
     24,
     {0, 0, 8, 8},
     {16, 16},
     48,
     0.5,
     0.5,
     8,
     StsNoError},
    {"nearest", false, false, {8, 8}, 24, {0, 0, 8, 8}, {16, 16}, 48, 2, 2, 1, StsNoError},
    {"linear", false, false, {8, 8}, 24, {0, 0, 8, 8}, {16, 16}, 48, 2, 2, 2, StsNoError},
    {"cubic", false, false, {8, 8}, 24, {0, 0, 8, 8}, {16, 16}, 48, 2, 2, 4, StsNoError},
    {"six-tap", false, false, {8, 8}, 24, {0, 0, 8, 8}, {16, 16}, 48, 2, 2, 16, StsNoError},
    {"clipped rectangle",
     false,
     false,
     {8, 8},
     24,
     {6, 6, 9, 9},
     {16, 16},
     48,
     2,
     2,
     1,
     StsNoError},
};

TEST(ResizeArguments, StatusesInOrderAndNothingWrittenUnlessSuccess) {
  for (const NamedEntry& e : AllEntries()) {
    for (const StatusCase& c : kStatusCases) {
      Image src = NoiseImage(8, 8, 7);
      Image dst(16, 16, 0, 0xCD);
      const Image before = dst;
      const PrimStatus status = e.entry(c.nullSrc ? nullptr : src.bytes.data(), c.srcSize,
                                        c.srcStep, c.roi, c.nullDst ? nullptr : dst.bytes.data(),
                                        c.dstStep, c.dstSize, c.xf, c.yf, c.interpolation);
      EXPECT_EQ(status, c.expected) << e.name << ": " << c.what;
      if (c.expected != StsNoError) {
        EXPECT_EQ(dst.bytes, before.bytes) << e.name << ": " << c.what;
      } else {
        EXPECT_NE(dst.bytes, before.bytes) << e.name << ": " << c.what;
      }
    }
  }
}

// Counts the destination pixels written (sentinel changed) along the first row and column.
struct Written {
  std::int32_t columns;
  std::int32_t rows;
};

Written WrittenArea(const Image& dst) {
  Written w{0, 0};
  while (w.columns < dst.width && dst.at(w.columns, 0, 0) != 0xEE) {
    ++w.columns;
  }
  while (w.rows < dst.height && dst.at(0, w.rows, 0) != 0xEE) {
    ++w.rows;
  }
  return w;
}

struct SizeCase {
  std::int32_t roiWidth;
  double factor;
  std::int32_t dstWidth;
  std::int32_t expectedWidth;
};

TEST(ResizeArguments, DestinationSizeUsed) {
  const SizeCase cases[] = {
      {320, 2.0, 800, 640}, {320, 2.0, 600, 600}, {10, 0.05, 50, 1},
      {100, 0.29, 50, 29},  {100, 0.29, 20, 20},  {7, 1.0, 7, 7},
      {3, 1e-300, 4, 1},    {5, 1e300, 9, 9},     {352, 1920.0 / 352, 1920, 1920},
  };
  for (const NamedEntry& e : AllEntries()) {
    for (const SizeCase& c : cases) {
      for (std::int32_t interpolation : {1, 2, 4, 16}) {
        Image src(c.roiWidth, 6, 0, 0x10);  // any byte but the sentinel
        Image dst(c.dstWidth, 2, 0, 0xEE);
        ASSERT_EQ(Resize(e.entry, src, src.whole(), dst, c.factor, 0.2, interpolation), StsNoError);
        const Written w = WrittenArea(dst);
        EXPECT_EQ(w.columns, c.expectedWidth)
            << e.name << " " << Describe(c.roiWidth, 6, c.factor, 0.2, interpolation);
        EXPECT_EQ(w.rows, 1) << e.name;  // 6 rows at 0.2 give max(1, trunc(1.2)) = 1
      }
    }
  }
}

// A source too small for a kind is scaled with the next smaller kind, the same way in every
// variant: six-tap needs 6 pixels, cubic 4, linear 2.
TEST(ResizeArguments, SmallSourcesDowngradeInOneCascade) {
  struct Downgrade {
    std::int32_t w, h, asked, expected;
  };
  const Downgrade cases[] = {
      {1, 8, 4, 1},  {8, 1, 2, 1},  {3, 8, 4, 2},   {8, 3, 16, 2}, {2, 2, 16, 2},
      {5, 8, 16, 4}, {8, 5, 16, 4}, {6, 6, 16, 16}, {4, 4, 4, 4},
  };
  for (const NamedEntry& e : AllEntries()) {
    for (const Downgrade& c : cases) {
      const Image src = NoiseImage(c.w, c.h, 11);
      Image asked(3 * c.w, 3 * c.h, 0, 0);
      Image expected(3 * c.w, 3 * c.h, 0, 0);
      ASSERT_EQ(Resize(e.entry, src, src.whole(), asked, 3.0, 3.0, c.asked), StsNoError);
      ASSERT_EQ(Resize(e.entry, src, src.whole(), expected, 3.0, 3.0, c.expected), StsNoError);
      EXPECT_EQ(asked.bytes, expected.bytes)
          << e.name << " " << Describe(c.w, c.h, 3, 3, c.asked) << " should run as " << c.expected;
    }
  }
}

// Tables too large for the scratch allocator give -9 before anything is written. The
// destination claims a width of 2^30 pixels; its buffer is small, so any write would show.
TEST(ResizeArguments, ScratchThatCannotBeAllocatedGivesMinus9AndWritesNothing) {
  const Image src = NoiseImage(8, 8, 3);
  for (const NamedEntry& e : AllEntries()) {
    for (std::int32_t kind : {1, 2, 4, 16}) {
      Image dst(4, 4, 0, 0x77);
      const Image before = dst;
      const PrimStatus status =
          e.entry(src.bytes.data(), src.size(), src.step, src.whole(), dst.bytes.data(), dst.step,
                  {std::int32_t{1} << 30, 4}, 1e9, 0.5, kind);
      EXPECT_EQ(status, StsAllocFailed) << e.name << " interpolation " << kind;
      EXPECT_EQ(dst.bytes, before.bytes) << e.name << " interpolation " << kind;
    }
  }
}

// The generic set takes every data type and layout for nearest neighbour and packed 8-bit
// three-channel data for the filtering kinds; it refuses the rest, and layouts that no set
// takes, with -22 before anything is written. A three-channel nearest request with four
// elements per pixel keeps the fourth element.
TEST(ResizeArguments, GenericDriverLayouts) {
  struct Layout {
    std::int32_t pixelElements, channels, dataType, planar, interpolation, sizeMode;
    PrimStatus expected;
  };
  const Layout layouts[] = {
      {3, 3, 0, 0, 1, 1, StsNoError},           {3, 3, 1, 0, 1, 1, StsNoError},
      {3, 3, 2, 0, 2, 1, StsBadInterpolation},  {3, 3, 0, 0, 1, 0, StsNoError},
      {1, 1, 0, 0, 1, 1, StsNoError},           {4, 4, 2, 0, 1, 1, StsNoError},
      {4, 4, 0, 0, 2, 1, StsBadInterpolation},  {4, 3, 0, 0, 4, 1, StsBadInterpolation},
      {2, 3, 0, 0, 1, 1, StsBadInterpolation},  {4, 3, 0, 0, 1, 1, StsNoError},
      {3, 1, 0, 0, 1, 1, StsBadInterpolation},  {3, 4, 0, 0, 1, 1, StsBadInterpolation},
      {3, 2, 0, 0, 1, 1, StsBadInterpolation},  {3, 3, 3, 0, 1, 1, StsBadInterpolation},
      {3, 3, -1, 0, 1, 1, StsBadInterpolation}, {1, 1, 0, 0, 16, 1, StsBadInterpolation},
  };
  // Room for 6x6 source and 12x12 destination pixels of four 4-byte elements.
  std::vector<std::uint8_t> src(16 * 6 * 6);
  for (std::size_t i = 0; i < src.size(); ++i) {
    src[i] = static_cast<std::uint8_t>(i);
  }
  for (const Layout& l : layouts) {
    std::vector<std::uint8_t> dst(16 * 12 * 12, 0xEE);
    const PrimStatus status = ResizeInterpolate_Generic(
        src.data(), {6, 6}, 16 * 6, {0, 0, 6, 6}, dst.data(), 16 * 12, {12, 12},
        l.sizeMode != 0 ? 2.0 : 0.5, l.sizeMode != 0 ? 2.0 : 0.5, 0.0, 0.0, l.pixelElements,
        l.channels, l.dataType, l.planar, l.interpolation, l.sizeMode);
    EXPECT_EQ(status, l.expected) << l.pixelElements << "/" << l.channels << " type " << l.dataType
                                  << " interpolation " << l.interpolation;
    if (status != StsNoError) {
      EXPECT_TRUE(std::all_of(dst.begin(), dst.end(), [](std::uint8_t b) { return b == 0xEE; }));
    } else if (l.pixelElements == 4 && l.channels == 3) {
      for (std::size_t i = 3; i < 4 * 12; i += 4) {
        ASSERT_EQ(dst[i], 0xEE) << i;
      }
    }
  }
}

}  // namespace
