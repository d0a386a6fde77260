// Images placed against inaccessible pages: a source's last byte ends a page (or its first
// byte starts one) next to a page that cannot be read, and a destination's last used byte
// ends a page next to one that cannot be written, so any access outside them stops the test
// at once. Every entry and every driver-level member, with tiny, shrinking and enlarging
// factors, small sizes and rectangles on each edge.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "prim/resize/resize_driver.h"
#include "prim/resize/resize_supersample.h"
#include "resize/resize_sets.h"
#include "resize/resize_test_util.h"
#include "resize/resize_typed_image.h"

namespace {

using namespace resize_test;

// Readable and writable memory between two PROT_NONE pages, mapped once; an image is placed
// so that its last byte ends the readable part (or its first byte starts it).
class GuardedArena {
 public:
  explicit GuardedArena(std::size_t capacity) {
    const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    readable_ = (capacity + page - 1) / page * page;
    total_ = readable_ + 2 * page;
    void* base = mmap(nullptr, total_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED) {
      return;
    }
    base_ = static_cast<std::uint8_t*>(base);
    mprotect(base_, page, PROT_NONE);
    mprotect(base_ + page + readable_, page, PROT_NONE);
    start_ = base_ + page;
  }
  ~GuardedArena() {
    if (base_ != nullptr) {
      munmap(base_, total_);
    }
  }
  GuardedArena(const GuardedArena&) = delete;
  GuardedArena& operator=(const GuardedArena&) = delete;

  bool ok() const { return start_ != nullptr; }

  // `size` bytes against the trailing guard page (or the leading one), filled with noise.
  std::uint8_t* Place(std::size_t size, bool atEnd, std::uint32_t seed) const {
    std::uint8_t* data = atEnd ? start_ + readable_ - size : start_;
    std::mt19937 rng(seed);
    for (std::size_t i = 0; i < size; ++i) {
      data[i] = static_cast<std::uint8_t>(rng());
    }
    return data;
  }

 private:
  std::size_t readable_ = 0;
  std::size_t total_ = 0;
  std::uint8_t* base_ = nullptr;
  std::uint8_t* start_ = nullptr;
};

// Room for the largest source and destination of these tests.
constexpr std::size_t kArenaBytes = 1 << 20;

const PrimSize kSizes[] = {{1, 1}, {2, 3}, {3, 5}, {4, 4}, {5, 2},
                           {6, 6}, {7, 9}, {8, 3}, {9, 6}, {33, 17}};

// Whole image, against the right and bottom edges, the last column, the last row, inside.
std::vector<PrimRect> Rectangles(PrimSize s) {
  return {{0, 0, s.width, s.height},
          {s.width / 2, s.height / 2, s.width, s.height},
          {s.width - 1, 0, 1, s.height},
          {0, s.height - 1, s.width, 1},
          {0, 0, (s.width + 1) / 2, (s.height + 1) / 2}};
}

const std::pair<double, double> kFactors[] = {{0.05, 0.3}, {0.3, 5.0}, {1.0, 1.0},
                                              {1.7, 0.75}, {5.0, 2.5}, {0.5, 0.05}};

// Bytes from a destination's start to the end of its last used element: rows of `usedW`
// pixels, the last row cut after the last element written (the third of a four-element pixel
// for three channels). Placed against a guard page, any write past it faults.
std::size_t DestinationBytes(std::int32_t step, std::int32_t usedW, std::int32_t usedH,
                             std::int32_t elements, std::int32_t channels,
                             std::int32_t elementSize) {
  return static_cast<std::size_t>(step) * (usedH - 1) +
         static_cast<std::size_t>((usedW - 1) * elements + channels) * elementSize;
}

TEST(ResizeGuardPage, EveryEntryStaysInsideItsImages) {
  const std::int32_t kinds[] = {1, 2, 4, 8, 16};
  const GuardedArena source(kArenaBytes);
  const GuardedArena destination(kArenaBytes);
  ASSERT_TRUE(source.ok() && destination.ok());
  for (bool atEnd : {true, false}) {
    for (PrimSize s : kSizes) {
      const std::uint8_t* src =
          source.Place(3 * static_cast<std::size_t>(s.width) * s.height, atEnd, s.width);
      for (const PrimRect& roi : Rectangles(s)) {
        const std::int32_t rectW = std::min(roi.width, s.width - roi.x);
        const std::int32_t rectH = std::min(roi.height, s.height - roi.y);
        for (auto [xf, yf] : kFactors) {
          const std::int32_t usedW = ResizeUsedLength(rectW, xf, 1000);
          const std::int32_t usedH = ResizeUsedLength(rectH, yf, 1000);
          for (const NamedEntry& e : AllEntries()) {
            for (std::int32_t kind : kinds) {
              const std::int32_t step = 3 * usedW;
              std::uint8_t* dst =
                  destination.Place(DestinationBytes(step, usedW, usedH, 3, 3, 1), true, 0);
              const PrimStatus status =
                  e.entry(src, s, 3 * s.width, roi, dst, step, {1000, 1000}, xf, yf, kind);
              const bool enlarges = xf > 1.0 || yf > 1.0;
              EXPECT_EQ(status, kind == 8 && enlarges ? StsBadInterpolation : StsNoError)
                  << e.name << " " << Describe(s.width, s.height, xf, yf, kind);
            }
          }
        }
      }
    }
  }
}

struct Layout {
  std::int32_t elements, channels;
  bool planar;
};

const Layout kLayouts[] = {{1, 1, false}, {3, 3, false}, {4, 3, false},
                           {4, 4, false}, {1, 3, true},  {1, 4, true}};

// The drivers of every vector kernel set for every data type, layout and plane mode; each
// plane its own guarded image, six-tap reaching the 6x6 source too.
TEST(ResizeGuardPage, EveryDriverMemberStaysInsideItsImages) {
  std::vector<std::unique_ptr<GuardedArena>> sourceArenas;
  std::vector<std::unique_ptr<GuardedArena>> destinationArenas;
  for (int p = 0; p < 4; ++p) {
    sourceArenas.push_back(std::make_unique<GuardedArena>(kArenaBytes));
    destinationArenas.push_back(std::make_unique<GuardedArena>(kArenaBytes));
    ASSERT_TRUE(sourceArenas.back()->ok() && destinationArenas.back()->ok());
  }
  for (bool atEnd : {true, false}) {
    for (std::int32_t type = 0; type < 3; ++type) {
      const std::int32_t es = ElementSize(type);
      for (const Layout& l : kLayouts) {
        const std::int32_t planes = l.planar ? l.channels : 1;
        const std::int32_t channels = l.planar ? 1 : l.channels;
        for (PrimSize s : kSizes) {
          const std::int32_t step = s.width * l.elements * es;
          std::vector<const void*> sourcePlanes;
          for (std::int32_t p = 0; p < planes; ++p) {
            sourcePlanes.push_back(
                sourceArenas[p]->Place(static_cast<std::size_t>(step) * s.height, atEnd, 11 + p));
          }
          const void* pSrc =
              l.planar ? static_cast<const void*>(sourcePlanes.data()) : sourcePlanes[0];
          for (const PrimRect& roi : Rectangles(s)) {
            const std::int32_t rectW = std::min(roi.width, s.width - roi.x);
            const std::int32_t rectH = std::min(roi.height, s.height - roi.y);
            for (auto [xf, yf] : kFactors) {
              const std::int32_t usedW = ResizeUsedLength(rectW, xf, 1000);
              const std::int32_t usedH = ResizeUsedLength(rectH, yf, 1000);
              for (std::int32_t kind : {1, 2, 4, 16, 8}) {
                if (kind == 8 && (xf > 1.0 || yf > 1.0)) {
                  continue;
                }
                const std::int32_t dstStep = usedW * l.elements * es;
                const std::size_t dstBytes =
                    DestinationBytes(dstStep, usedW, usedH, l.elements, channels, es);
                std::vector<void*> dstPlanes;
                for (std::int32_t p = 0; p < planes; ++p) {
                  dstPlanes.push_back(destinationArenas[p]->Place(dstBytes, true, 0));
                }
                void* pDst = l.planar ? static_cast<void*>(dstPlanes.data()) : dstPlanes[0];
                for (const KernelSet& set : VectorSets()) {
                  const PrimStatus status =
                      kind == 8 ? set.super(pSrc, s, step, roi, pDst, dstStep, {1000, 1000}, xf, yf,
                                            l.elements, l.channels, type, l.planar ? 1 : 0, 1)
                                : set.general(pSrc, s, step, roi, pDst, dstStep, {1000, 1000}, xf,
                                              yf, 0.0, 0.0, l.elements, l.channels, type,
                                              l.planar ? 1 : 0, kind, 1);
                  EXPECT_EQ(status, StsNoError)
                      << set.name << " type " << type << " elements " << l.elements << " channels "
                      << l.channels << (l.planar ? " planar " : " ")
                      << Describe(s.width, s.height, xf, yf, kind);
                }
              }
            }
          }
        }
      }
    }
  }
}

// Seeded random requests on the public entries: odd sizes, rectangles partly outside the
// image, factors from tiny (and subnormal) to huge (and infinite), every interpolation.
TEST(ResizeGuardPage, RandomRequestsStayInsideTheImage) {
  std::mt19937 rng(2026);
  const double extremes[] = {5e-324, 1e-300, 1e-9,
                             1e9,    1e300,  std::numeric_limits<double>::infinity()};
  const std::int32_t kinds[] = {1, 2, 4, 8, 16};
  const GuardedArena source(kArenaBytes);
  ASSERT_TRUE(source.ok());
  for (int n = 0; n < 400; ++n) {
    const std::int32_t w = 1 + static_cast<std::int32_t>(rng() % 40);
    const std::int32_t h = 1 + static_cast<std::int32_t>(rng() % 40);
    const std::uint8_t* src = source.Place(3 * static_cast<std::size_t>(w) * h, rng() % 2 == 0, n);
    const PrimRect roi{static_cast<std::int32_t>(rng() % w), static_cast<std::int32_t>(rng() % h),
                       1 + static_cast<std::int32_t>(rng() % (w + 5)),
                       1 + static_cast<std::int32_t>(rng() % (h + 5))};
    const auto factor = [&]() {
      if (rng() % 8 == 0) {
        return extremes[rng() % std::size(extremes)];
      }
      return std::ldexp(1.0 + (rng() % 1000) / 1000.0, static_cast<int>(rng() % 9) - 5);
    };
    const double xf = factor();
    const double yf = factor();
    const std::int32_t kind = kinds[rng() % std::size(kinds)];
    const NamedEntry& e = AllEntries()[rng() % AllEntries().size()];
    Image dst(70, 70, 3, 0xEE);
    const PrimStatus status =
        e.entry(src, {w, h}, 3 * w, roi, dst.bytes.data(), dst.step, dst.size(), xf, yf, kind);
    const bool enlarges = xf > 1.0 || yf > 1.0;
    EXPECT_EQ(status, kind == 8 && enlarges ? StsBadInterpolation : StsNoError)
        << e.name << " " << Describe(w, h, xf, yf, kind);
  }
}

}  // namespace
