// Sources placed against an inaccessible page: the image's last byte ends a page (or its
// first byte starts one) next to a page that cannot be read, so any read outside the image
// stops the test at once. Every interpolation, with tiny, shrinking and enlarging factors.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>
#include <random>

#include "resize/resize_test_util.h"

namespace {

using namespace resize_test;

// Pages of readable memory between two PROT_NONE pages; the image is placed at the start or
// at the end of the readable part.
class GuardedImage {
 public:
  GuardedImage(std::int32_t width, std::int32_t height, bool atEnd)
      : width_(width), height_(height), bytes_(static_cast<std::size_t>(3) * width * height) {
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    readable_ = (bytes_ + page - 1) / page * page;
    total_ = readable_ + 2 * page;
    void* base = mmap(nullptr, total_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED) {
      return;
    }
    base_ = static_cast<std::uint8_t*>(base);
    mprotect(base_, page, PROT_NONE);
    mprotect(base_ + page + readable_, page, PROT_NONE);
    data_ = base_ + page + (atEnd ? readable_ - bytes_ : 0);
    std::mt19937 rng(width * 131 + height);
    for (std::size_t i = 0; i < bytes_; ++i) {
      data_[i] = static_cast<std::uint8_t>(rng());
    }
  }
  ~GuardedImage() {
    if (base_ != nullptr) {
      munmap(base_, total_);
    }
  }
  GuardedImage(const GuardedImage&) = delete;
  GuardedImage& operator=(const GuardedImage&) = delete;

  bool ok() const { return data_ != nullptr; }
  const std::uint8_t* data() const { return data_; }
  PrimSize size() const { return {width_, height_}; }
  std::int32_t step() const { return 3 * width_; }

 private:
  std::int32_t width_;
  std::int32_t height_;
  std::size_t bytes_;
  std::size_t readable_ = 0;
  std::size_t total_ = 0;
  std::uint8_t* base_ = nullptr;
  std::uint8_t* data_ = nullptr;
};

TEST(ResizeGuardPage, NoInterpolationReadsOutsideTheImage) {
  const PrimSize sizes[] = {{1, 1}, {2, 2}, {3, 5}, {5, 3}, {6, 6}, {7, 9}, {10, 10}, {33, 17}};
  const double factors[] = {0.05, 0.3, 0.5, 1.0 / 3, 0.75, 1.0, 1.7, 2.5, 5.0};
  const std::int32_t kinds[] = {1, 2, 4, 8, 16};
  for (bool atEnd : {true, false}) {
    for (PrimSize s : sizes) {
      const GuardedImage src(s.width, s.height, atEnd);
      ASSERT_TRUE(src.ok());
      // Whole image, a rectangle against the right and bottom edges, and one inside.
      const PrimRect rois[] = {{0, 0, s.width, s.height},
                               {s.width / 2, s.height / 2, s.width, s.height},
                               {s.width / 3, s.height / 3, (s.width + 2) / 3, (s.height + 2) / 3}};
      for (const PrimRect& roi : rois) {
        for (double xf : factors) {
          for (double yf : factors) {
            for (std::int32_t kind : kinds) {
              Image dst(60, 60);
              const PrimStatus status =
                  primResize_8u_C3R_generic(src.data(), src.size(), src.step(), roi,
                                            dst.bytes.data(), dst.step, dst.size(), xf, yf, kind);
              const bool enlarges = xf > 1.0 || yf > 1.0;
              EXPECT_EQ(status, kind == 8 && enlarges ? StsBadInterpolation : StsNoError)
                  << Describe(s.width, s.height, xf, yf, kind);
            }
          }
        }
      }
    }
  }
}

}  // namespace

namespace {

// Seeded random requests: odd sizes, rectangles partly outside the image, factors from tiny
// (and subnormal) to huge (and infinite), every interpolation.
TEST(ResizeGuardPage, RandomRequestsStayInsideTheImage) {
  std::mt19937 rng(2026);
  const double extremes[] = {5e-324, 1e-300, 1e-9,
                             1e9,    1e300,  std::numeric_limits<double>::infinity()};
  const std::int32_t kinds[] = {1, 2, 4, 8, 16};
  for (int n = 0; n < 400; ++n) {
    const std::int32_t w = 1 + static_cast<std::int32_t>(rng() % 40);
    const std::int32_t h = 1 + static_cast<std::int32_t>(rng() % 40);
    const GuardedImage src(w, h, rng() % 2 == 0);
    ASSERT_TRUE(src.ok());
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
    Image dst(70, 70, 3, 0xEE);
    const PrimStatus status =
        primResize_8u_C3R_generic(src.data(), src.size(), src.step(), roi, dst.bytes.data(),
                                  dst.step, dst.size(), xf, yf, kind);
    const bool enlarges = xf > 1.0 || yf > 1.0;
    EXPECT_EQ(status, kind == 8 && enlarges ? StsBadInterpolation : StsNoError)
        << Describe(w, h, xf, yf, kind);
  }
}

}  // namespace
