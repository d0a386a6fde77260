// The vector kernel sets (SSE, SSE2, SSE3) through their drivers, for every data type, pixel
// layout, plane mode, kind and sizing flag: against double-precision references, the elements
// outside the written area (fourth elements of three-channel pixels included) untouched,
// planes equal to one-channel calls on each plane, and the statuses of the requests no set
// takes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "prim/resize/resize_driver.h"
#include "prim/resize/resize_supersample.h"
#include "resize/resize_reference.h"
#include "resize/resize_sets.h"
#include "resize/resize_typed_image.h"

namespace {

using namespace resize_test;
using namespace resize_reference;

constexpr std::uint8_t kSentinel = 0xA5;

struct Layout {
  const char* name;
  std::int32_t elements;  // per pixel of interleaved data
  std::int32_t channels;  // processed (the plane count for planar data)
  bool planar;
};

const Layout kLayouts[] = {
    {"one channel", 1, 1, false},   {"three channels", 3, 3, false}, {"three of four", 4, 3, false},
    {"four channels", 4, 4, false}, {"three planes", 1, 3, true},    {"four planes", 1, 4, true},
};

struct Scale {
  std::int32_t sizeMode;
  double xf, yf;  // ratios (sizing flag 1) or source steps (flag 0)
};

// Enlarging and shrinking, mixed, for both sizing flags.
const std::vector<Scale> kScales = {{1, 1.7, 0.6}, {1, 0.45, 2.5}, {0, 0.75, 1.5}, {0, 2.0, 0.5}};
// Supersampling in each kernel mode: whole boxes both ways, rows cut, columns cut, both cut.
const std::vector<Scale> kSuperScales = {{1, 0.5, 0.25}, {1, 0.5, 0.4},  {1, 0.4, 0.5},
                                         {1, 0.4, 0.7},  {0, 2.5, 1.25}, {0, 2.0, 3.0}};

// Destination length used along one axis.
std::int32_t UsedLength(std::int32_t rect, double factor, std::int32_t dst, std::int32_t sizeMode,
                        std::int32_t kind) {
  if (sizeMode != 0) {
    return std::clamp(static_cast<std::int32_t>(rect * factor + 1e-7), 1, dst);
  }
  if (kind == 8) {
    const auto last = static_cast<std::int32_t>((rect - 1) / factor + 1e-7);
    return dst - 1 > last ? std::max(1, static_cast<std::int32_t>(rect / factor + 1e-7) + 1) : dst;
  }
  const bool nearest = kind == 1;
  const auto w = static_cast<std::int32_t>((nearest ? rect : rect - 1) / factor + 1e-7);
  return w < dst - 1 ? std::max(1, nearest ? w : w + 1) : dst;
}

// One axis of the reference: taps and weights of destination k. Linear weights of integer
// data are the Q14 weights the kernels use.
Taps AxisTaps(std::int32_t type, std::int32_t kind, std::int32_t k, std::int32_t origin,
              std::int32_t rect, std::int32_t image, double factor, std::int32_t sizeMode) {
  if (kind == 1) {
    Taps t;
    t.count = 1;
    t.index[0] = origin + NearestIndex(k, rect, sizeMode != 0 ? 1.0 / factor : factor);
    t.weight[0] = 1.0;
    return t;
  }
  const double p = sizeMode != 0 ? Position(k, rect, factor) : StepPosition(k, rect, factor);
  switch (kind) {
    case 2: {
      Taps t = LinearTaps(p, origin, rect, image);
      if (type != 2 && t.count == 2) {
        t.weight[1] = std::trunc(t.weight[1] * 16384.0 + 1e-7) / 16384.0;
        t.weight[0] = 1.0 - t.weight[1];
      }
      return t;
    }
    case 4:
      return CubicTaps(p, origin, rect, image);
    default:
      return TableSixTaps(p, origin, rect, image);
  }
}

// The reference value the kind's result is held to, and the allowed difference.
double Expected(std::int32_t type, std::int32_t kind, double v) {
  if (type == 2 || kind == 1 || kind == 2) {
    return v;
  }
  const double max = type == 0 ? 255.0 : 65535.0;
  if (kind == 8) {
    return std::clamp(std::floor(v + 0.5), 0.0, max);
  }
  return std::clamp(std::trunc(v + 1e-7), 0.0, max);
}

double Tolerance(std::int32_t type, std::int32_t kind) {
  if (kind == 1) {
    return 0.0;
  }
  return type == 2 ? 1e-2 : 1.0;  // floats lie in [0, 1000): 1e-5 of the scale
}

PrimStatus RunSet(const KernelSet& set, std::int32_t kind,
                  const std::vector<const void*>& srcPlanes, const std::vector<void*>& dstPlanes,
                  const TypedImage& src, PrimRect roi, const TypedImage& dst, const Layout& l,
                  std::int32_t type, const Scale& s) {
  const void* pSrc = l.planar ? static_cast<const void*>(srcPlanes.data()) : src.data();
  void* pDst = l.planar ? static_cast<void*>(const_cast<void**>(dstPlanes.data()))
                        : const_cast<std::uint8_t*>(dst.data());
  if (kind == 8) {
    return set.super(pSrc, {src.width(), src.height()}, src.step(), roi, pDst, dst.step(),
                     {dst.width(), dst.height()}, s.xf, s.yf, l.elements, l.channels, type,
                     l.planar ? 1 : 0, s.sizeMode);
  }
  return set.general(pSrc, {src.width(), src.height()}, src.step(), roi, pDst, dst.step(),
                     {dst.width(), dst.height()}, s.xf, s.yf, 0.0, 0.0, l.elements, l.channels,
                     type, l.planar ? 1 : 0, kind, s.sizeMode);
}

TEST(ResizeDriver, EveryTypeLayoutKindAndSizingAgainstReferences) {
  constexpr std::int32_t kSrcW = 14, kSrcH = 12;
  const PrimRect roi{3, 1, 11, 9};  // reaches the image's right edge
  for (const KernelSet& set : VectorSets()) {
    std::uint32_t seed = 900;
    for (std::int32_t type = 0; type < 3; ++type) {
      for (const Layout& l : kLayouts) {
        const std::int32_t planes = l.planar ? l.channels : 1;
        const std::int32_t channels = l.planar ? 1 : l.channels;
        std::vector<TypedImage> sources;
        for (std::int32_t p = 0; p < planes; ++p) {
          sources.emplace_back(type, kSrcW, kSrcH, l.elements);
          sources.back().FillNoise(seed++);
        }
        for (std::int32_t kind : {1, 2, 4, 16, 8}) {
          for (const Scale& s : kind == 8 ? kSuperScales : kScales) {
            std::vector<TypedImage> dsts;
            std::vector<const void*> srcPlanes;
            std::vector<void*> dstPlanes;
            for (std::int32_t p = 0; p < planes; ++p) {
              dsts.emplace_back(type, 30, 30, l.elements, 3, kSentinel);
              srcPlanes.push_back(sources[p].data());
            }
            for (TypedImage& d : dsts) {
              dstPlanes.push_back(d.data());
            }
            const std::string what = std::string(set.name) + " " + l.name + " type " +
                                     std::to_string(type) + " kind " + std::to_string(kind) +
                                     " sizing " + std::to_string(s.sizeMode) + " factors " +
                                     std::to_string(s.xf) + "," + std::to_string(s.yf);
            ASSERT_EQ(RunSet(set, kind, srcPlanes, dstPlanes, sources[0], roi, dsts[0], l, type, s),
                      StsNoError)
                << what;
            const std::int32_t usedW = UsedLength(roi.width, s.xf, 30, s.sizeMode, kind);
            const std::int32_t usedH = UsedLength(roi.height, s.yf, 30, s.sizeMode, kind);
            const double sx = s.sizeMode != 0 ? 1.0 / s.xf : s.xf;
            const double sy = s.sizeMode != 0 ? 1.0 / s.yf : s.yf;
            double worst = 0.0;
            for (std::int32_t p = 0; p < planes; ++p) {
              const TypedImage& src = sources[p];
              const TypedImage& dst = dsts[p];
              for (std::int32_t y = 0; y < dst.height(); ++y) {
                const Taps ty = kind == 8 ? Taps{}
                                          : AxisTaps(type, kind, std::min(y, usedH - 1), roi.y,
                                                     roi.height, kSrcH, s.yf, s.sizeMode);
                for (std::int32_t x = 0; x < dst.width(); ++x) {
                  const Taps tx = kind == 8 ? Taps{}
                                            : AxisTaps(type, kind, std::min(x, usedW - 1), roi.x,
                                                       roi.width, kSrcW, s.xf, s.sizeMode);
                  for (std::int32_t e = 0; e < dst.elements(); ++e) {
                    const bool used = y < usedH && x < usedW && e < channels;
                    if (!used) {
                      ASSERT_TRUE(dst.Untouched(x, y, e, kSentinel))
                          << what << " wrote (" << x << "," << y << ") element " << e;
                      continue;
                    }
                    double v = 0.0;
                    if (kind == 8) {
                      v = AreaMean([&](std::int32_t c,
                                       std::int32_t r) { return src.Get(roi.x + c, roi.y + r, e); },
                                   roi.width, roi.height, sx, sy, x, y);
                    } else {
                      for (int a = 0; a < ty.count; ++a) {
                        for (int b = 0; b < tx.count; ++b) {
                          v += ty.weight[a] * tx.weight[b] * src.Get(tx.index[b], ty.index[a], e);
                        }
                      }
                    }
                    worst = std::max(worst, std::fabs(dst.Get(x, y, e) - Expected(type, kind, v)));
                  }
                }
              }
            }
            EXPECT_LE(worst, Tolerance(type, kind)) << what;
            // Each plane is a one-channel call on that plane.
            if (l.planar) {
              for (std::int32_t p = 0; p < planes; ++p) {
                TypedImage single(type, 30, 30, 1, 3, kSentinel);
                const Layout one{"plane", 1, 1, false};
                ASSERT_EQ(RunSet(set, kind, {}, {}, sources[p], roi, single, one, type, s),
                          StsNoError);
                EXPECT_EQ(single.storage(), dsts[p].storage()) << what << " plane " << p;
              }
            }
          }
        }
      }
    }
  }
}

// Requests outside what the drivers take: the status, and nothing written.
TEST(ResizeDriver, RefusedRequests) {
  struct Case {
    const char* what;
    std::int32_t type, elements, channels, kind, sizeMode;
    std::int32_t srcStep;  // bytes; 0 for the image's own
    double factor;
    PrimStatus expected;
  };
  const Case cases[] = {
      {"two elements, three channels", 0, 2, 3, 2, 1, 0, 2.0, StsBadInterpolation},
      {"one channel of three elements", 0, 3, 1, 1, 1, 0, 2.0, StsBadInterpolation},
      {"two channels", 0, 3, 2, 1, 1, 0, 2.0, StsBadInterpolation},
      {"four channels of five elements", 0, 5, 4, 1, 1, 0, 2.0, StsBadInterpolation},
      {"five elements, filtered", 0, 5, 3, 4, 1, 0, 2.0, StsBadInterpolation},
      {"data type 3", 3, 3, 3, 1, 1, 0, 2.0, StsBadInterpolation},
      {"data type -1", -1, 3, 3, 2, 1, 0, 2.0, StsBadInterpolation},
      {"16-bit step of odd bytes", 1, 3, 3, 2, 1, 61, 2.0, StsStepError},
      {"float step of 6 bytes past whole", 2, 1, 1, 16, 1, 70, 2.0, StsStepError},
      {"supersampling, data type 3", 3, 3, 3, 8, 1, 0, 0.5, StsBadInterpolation},
      {"supersampling, two elements", 0, 2, 3, 8, 1, 0, 0.5, StsBadInterpolation},
      {"supersampling, step below 1", 0, 3, 3, 8, 0, 0, 0.5, StsBadFactor},
      {"supersampling, ratio above 1", 0, 3, 3, 8, 1, 0, 1.5, StsBadInterpolation},
      {"supersampling, factor 0", 1, 4, 4, 8, 0, 0, 0.0, StsBadFactor},
  };
  for (const KernelSet& set : VectorSets()) {
    for (const Case& c : cases) {
      const std::int32_t type = std::clamp(c.type, 0, 2);
      TypedImage src(type, 8, 8, 5);
      src.FillNoise(3);
      TypedImage dst(type, 20, 20, 5, 0, kSentinel);
      const std::vector<std::uint8_t> before = dst.storage();
      const std::int32_t step = c.srcStep != 0 ? c.srcStep : src.step();
      const PrimStatus status =
          c.kind == 8
              ? set.super(src.data(), {8, 8}, step, {0, 0, 8, 8}, dst.data(), dst.step(), {20, 20},
                          c.factor, c.factor, c.elements, c.channels, c.type, 0, c.sizeMode)
              : set.general(src.data(), {8, 8}, step, {0, 0, 8, 8}, dst.data(), dst.step(),
                            {20, 20}, c.factor, c.factor, 0.0, 0.0, c.elements, c.channels, c.type,
                            0, c.kind, c.sizeMode);
      EXPECT_EQ(status, c.expected) << set.name << " " << c.what;
      EXPECT_EQ(dst.storage(), before) << set.name << " " << c.what;
    }
  }
}

// Planar requests whose plane tables hold a null plane are refused with -8.
TEST(ResizeDriver, MissingPlaneIsANullPointer) {
  TypedImage a(0, 8, 8, 1), b(0, 8, 8, 1), d(0, 16, 16, 1, 0, kSentinel);
  const void* sources[4] = {a.data(), b.data(), nullptr, a.data()};
  void* destinations[4] = {d.data(), d.data(), d.data(), d.data()};
  const std::vector<std::uint8_t> before = d.storage();
  for (const KernelSet& set : VectorSets()) {
    for (std::int32_t kind : {1, 2, 8}) {
      const PrimStatus status =
          kind == 8 ? set.super(sources, {8, 8}, a.step(), {0, 0, 8, 8}, destinations, d.step(),
                                {16, 16}, 0.5, 0.5, 1, 3, 0, 1, 1)
                    : set.general(sources, {8, 8}, a.step(), {0, 0, 8, 8}, destinations, d.step(),
                                  {16, 16}, 2.0, 2.0, 0.0, 0.0, 1, 3, 0, 1, kind, 1);
      EXPECT_EQ(status, StsNullPointer) << set.name << " " << kind;
    }
  }
  EXPECT_EQ(d.storage(), before);
}

}  // namespace
