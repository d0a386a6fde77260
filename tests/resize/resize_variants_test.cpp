// The four variant entries against each other, and the bytes outside the destination size
// used, for every interpolation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "resize/resize_test_util.h"

namespace {

using namespace resize_test;

// Statuses and the bytes written agree across the variants: nearest, linear and
// supersampling exactly; cubic and six-tap, whose arithmetic may differ per kernel set in the
// last unit, within 1. The SSE2 and SSE3 sets agree exactly on everything.
TEST(ResizeVariants, EveryEntryAgreesWithTheGenericPath) {
  std::uint32_t seed = 500;
  for (const Request& r : VariantRequests()) {
    const Image src = NoiseImage(r.w, r.h, seed++);
    for (std::int32_t kind : {1, 2, 4, 8, 16}) {
      const bool exact = kind == 1 || kind == 2 || kind == 8;
      Image reference(80, 60, 6, 0x5A);
      const PrimStatus expected =
          Resize(primResize_8u_C3R_generic, src, r.roi, reference, r.xf, r.yf, kind);
      Image sse2(80, 60, 6, 0x5A);
      ASSERT_EQ(Resize(primResize_8u_C3R_sse2, src, r.roi, sse2, r.xf, r.yf, kind), expected);
      for (const NamedEntry& e : AllEntries()) {
        Image dst(80, 60, 6, 0x5A);
        const std::string what = std::string(e.name) + " " + Describe(r.w, r.h, r.xf, r.yf, kind);
        EXPECT_EQ(Resize(e.entry, src, r.roi, dst, r.xf, r.yf, kind), expected) << what;
        EXPECT_LE(MaxDifference(dst, reference), exact ? 0 : 1) << what;
        if (e.entry == primResize_8u_C3R_sse3) {
          EXPECT_EQ(dst.bytes, sse2.bytes) << what;
        }
      }
    }
  }
}

// Destination rows have a gap after the pixels, the destination size is larger than the size
// used, and every byte outside the used area keeps its sentinel.
TEST(ResizeVariants, BytesOutsideTheUsedAreaAreUntouched) {
  const Image src = NoiseImage(20, 14, 77);
  const PrimRect roi{2, 1, 12, 10};
  struct Scale {
    double xf, yf;
    std::int32_t usedW, usedH;
  };
  const Scale scales[] = {{1.5, 2.0, 18, 20}, {0.5, 0.5, 6, 5}, {0.05, 0.05, 1, 1}};
  for (const NamedEntry& e : AllEntries()) {
    for (const Scale& s : scales) {
      for (std::int32_t kind : {1, 2, 4, 8, 16}) {
        if (kind == 8 && s.xf > 1.0) {
          continue;
        }
        Image dst(30, 24, 5, 0xEE);
        ASSERT_EQ(Resize(e.entry, src, roi, dst, s.xf, s.yf, kind), StsNoError);
        for (std::int32_t y = 0; y < dst.height; ++y) {
          for (std::int32_t i = 0; i < dst.step; ++i) {
            const bool used = y < s.usedH && i < 3 * s.usedW;
            if (!used) {
              ASSERT_EQ(dst.bytes[static_cast<std::size_t>(y) * dst.step + i], 0xEE)
                  << e.name << " " << Describe(20, 14, s.xf, s.yf, kind) << " row " << y << " byte "
                  << i;
            }
          }
        }
      }
    }
  }
}

}  // namespace
