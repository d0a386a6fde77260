// The SSE2 and SSE3 sets through their drivers and passes: the two sets give the same bytes
// everywhere, the exact kinds give the SSE set's bytes for every type and layout, the cubic
// ring gives what its workers give on freshly filtered rows, the six-tap pass gives its scalar
// definition at every image edge, and the supersampling boxes of a scale just below three.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "prim/resize/resize_driver.h"
#include "prim/resize/resize_filters_sse2.h"
#include "prim/resize/resize_supersample.h"
#include "resize/resize_sets.h"
#include "resize/resize_test_util.h"
#include "resize/resize_typed_image.h"

namespace {

using namespace resize_test;

struct Layout {
  const char* name;
  std::int32_t elements, channels;
  bool planar;
};

const Layout kLayouts[] = {
    {"one channel", 1, 1, false},   {"three channels", 3, 3, false}, {"three of four", 4, 3, false},
    {"four channels", 4, 4, false}, {"three planes", 1, 3, true},    {"four planes", 1, 4, true},
};

struct Call {
  std::int32_t kind, sizeMode;
  double xf, yf;
};

const Call kCalls[] = {
    {1, 1, 1.7, 0.6},  {2, 1, 1.7, 0.6},  {2, 0, 0.75, 1.5},  {4, 1, 2.3, 0.45}, {4, 0, 0.4, 1.3},
    {16, 1, 1.6, 0.7}, {16, 0, 2.0, 0.5}, {8, 1, 0.5, 0.25},  {8, 1, 0.4, 0.7},  {8, 0, 2.5, 1.25},
    {4, 1, 1.0, 1.0},  {16, 1, 3.0, 3.0}, {2, 1, 0.13, 2.75},
};

// Runs one call of `set` on planes (or one interleaved image) and returns the destinations'
// bytes, sentinel included.
std::vector<std::vector<std::uint8_t>> RunCall(const KernelSet& set, const Layout& l,
                                               std::int32_t type, const Call& c,
                                               const std::vector<TypedImage>& sources, PrimRect roi,
                                               PrimStatus& status) {
  std::vector<TypedImage> dsts;
  std::vector<const void*> srcPlanes;
  std::vector<void*> dstPlanes;
  for (const TypedImage& s : sources) {
    dsts.emplace_back(type, 37, 29, l.elements, 3, 0xA5);
    srcPlanes.push_back(s.data());
  }
  for (TypedImage& d : dsts) {
    dstPlanes.push_back(d.data());
  }
  const TypedImage& s0 = sources[0];
  const void* pSrc = l.planar ? static_cast<const void*>(srcPlanes.data()) : s0.data();
  void* pDst = l.planar ? static_cast<void*>(dstPlanes.data()) : dsts[0].data();
  const PrimSize size{s0.width(), s0.height()};
  status = c.kind == 8 ? set.super(pSrc, size, s0.step(), roi, pDst, dsts[0].step(), {37, 29}, c.xf,
                                   c.yf, l.elements, l.channels, type, l.planar ? 1 : 0, c.sizeMode)
                       : set.general(pSrc, size, s0.step(), roi, pDst, dsts[0].step(), {37, 29},
                                     c.xf, c.yf, 0.0, 0.0, l.elements, l.channels, type,
                                     l.planar ? 1 : 0, c.kind, c.sizeMode);
  std::vector<std::vector<std::uint8_t>> bytes;
  for (const TypedImage& d : dsts) {
    bytes.push_back(d.storage());
  }
  return bytes;
}

// SSE2 and SSE3 agree in every byte for every kind, type, layout and plane mode; nearest,
// linear and supersampling agree with the SSE set too (exact arithmetic in every set).
TEST(ResizeSse2Driver, SetsAgreeByteForByte) {
  const KernelSet& sse = VectorSets()[0];
  const KernelSet& sse2 = VectorSets()[1];
  const KernelSet& sse3 = VectorSets()[2];
  std::uint32_t seed = 1200;
  for (std::int32_t type = 0; type < 3; ++type) {
    for (const Layout& l : kLayouts) {
      std::vector<TypedImage> sources;
      for (std::int32_t p = 0; p < (l.planar ? l.channels : 1); ++p) {
        sources.emplace_back(type, 23, 17, l.elements);
        sources.back().FillNoise(seed++);
      }
      for (const PrimRect roi : {PrimRect{0, 0, 23, 17}, PrimRect{2, 3, 30, 30}}) {
        for (const Call& c : kCalls) {
          const std::string what = std::string(l.name) + " type " + std::to_string(type) +
                                   " kind " + std::to_string(c.kind) + " sizing " +
                                   std::to_string(c.sizeMode) + " factors " + std::to_string(c.xf) +
                                   "," + std::to_string(c.yf) + " roi x " + std::to_string(roi.x);
          PrimStatus s2 = 0, s3 = 0, s1 = 0;
          const auto two = RunCall(sse2, l, type, c, sources, roi, s2);
          const auto three = RunCall(sse3, l, type, c, sources, roi, s3);
          ASSERT_EQ(s2, StsNoError) << what;
          ASSERT_EQ(s3, StsNoError) << what;
          EXPECT_EQ(two, three) << what;
          if (c.kind == 1 || c.kind == 2 || c.kind == 8) {
            EXPECT_EQ(RunCall(sse, l, type, c, sources, roi, s1), two) << what;
          }
        }
      }
    }
  }
}

// The cubic pass on hand-made tables: destination rows that stay on a source row (up to ten
// in a row), move by one, two, three, four and five rows, then jump back, in every layout,
// with few columns and with many (enlarging), with and without the pass's work area. Each
// destination row equals the vertical worker applied to the horizontal worker's rows around
// its offset, computed afresh, whatever the ring kept.
template <class T>
void CheckCubicPass() {
  constexpr bool k8u = sizeof(T) == 1;
  constexpr std::int32_t type = k8u ? 0 : 1;
  constexpr std::int32_t kW = 19, kH = 30;
  const std::vector<std::int32_t> centres{1,  1,  1,  2,  4,  7,  11, 16, 16, 16, 16,
                                          16, 16, 16, 16, 16, 16, 17, 3,  26, 27, 27};
  const auto height = static_cast<std::int32_t>(centres.size());
  const auto aligned = [](std::vector<float>& b) {
    const auto address = reinterpret_cast<std::uintptr_t>(b.data());
    return b.data() + ((16 - address % 16) % 16) / 4;
  };
  for (const auto& [elements, channels] :
       {std::pair{3, 3}, std::pair{4, 3}, std::pair{4, 4}, std::pair{1, 1}}) {
    for (const std::int32_t dstW : {13, 45}) {
      for (const bool workArea : {false, true}) {
        const std::string what = "elements " + std::to_string(elements) + " channels " +
                                 std::to_string(channels) + " width " + std::to_string(dstW) +
                                 (workArea ? " with work area" : "");
        TypedImage src(type, kW, kH, elements);
        src.FillNoise(static_cast<std::uint32_t>(31 * elements + channels + dstW));
        const std::ptrdiff_t step = src.step() / static_cast<std::ptrdiff_t>(sizeof(T));
        const std::ptrdiff_t scale = channels == 1 ? 1 : elements;
        std::vector<std::ptrdiff_t> rowOffsets, columnOffsets;
        std::vector<float> rowFractions(height + 8), columnFractions(dstW + 8);
        float* rowT = aligned(rowFractions);
        float* columnT = aligned(columnFractions);
        for (std::int32_t j = 0; j < height; ++j) {
          rowOffsets.push_back(centres[j] * step);
          rowT[j] = static_cast<float>(j % 4) * 0.3f - 0.2f;
        }
        for (std::int32_t i = 0; i < dstW; ++i) {
          columnOffsets.push_back((1 + (i * 7) % (kW - 3)) * scale);
          columnT[i] = static_cast<float>(i % 5) * 0.25f;
        }
        std::sort(columnOffsets.begin(), columnOffsets.end());
        const std::size_t perRow = static_cast<std::size_t>(channels) * (dstW + 4);
        std::vector<std::vector<float>> buffers(4, std::vector<float>(perRow + 16));
        std::vector<float> weights(12 * dstW + 8);
        std::vector<float> work(4 * (kW * elements + 16) + 8);
        TypedImage dst(type, dstW, height, elements, 0, 0xEE);

        ResizePassArgs a{};
        a.srcBase = src.data();
        a.dst = dst.data();
        a.srcStep = step;
        a.dstStep = dst.step() / static_cast<std::ptrdiff_t>(sizeof(T));
        a.width = dstW;
        a.height = height;
        a.rowOffsets = rowOffsets.data();
        a.columnOffsets = columnOffsets.data();
        a.rowWeights = rowT;
        a.columnWeights = columnT;
        for (int b = 0; b < 4; ++b) {
          a.rowBuffers[b] = aligned(buffers[b]);
        }
        a.columnScratch = aligned(weights);
        a.workArea = workArea ? aligned(work) : nullptr;
        a.pixelElements = elements;
        a.channels = channels;
        a.rowElements = static_cast<std::ptrdiff_t>(kW) * elements;
        if constexpr (k8u) {
          (channels == 1 ? ResizeCubicPass_8u_C1_Sse2 : ResizeCubicPass_8u_C3_Sse2)(a);
        } else {
          (channels == 1 ? ResizeCubicPass_16u_C1_Sse2 : ResizeCubicPass_16u_C3_Sse2)(a);
        }

        const auto filter = [&](std::ptrdiff_t offset, float* out) {
          const std::uint8_t* row = src.data() + offset * static_cast<std::ptrdiff_t>(sizeof(T));
          const auto* x = columnOffsets.data();
          if (channels == 1) {
            (k8u ? ResizeCubicWorkerA_8u_Sse2 : ResizeCubicWorkerA_16u_Sse2)(row, dstW, x, columnT,
                                                                             out);
          } else if (channels == 4) {
            (k8u ? ResizeCubicWorkerC_8u_Sse2 : ResizeCubicWorkerC_16u_Sse2)(row, dstW, x, columnT,
                                                                             out);
          } else {
            (k8u ? ResizeCubicWorkerE_8u_Sse2 : ResizeCubicWorkerE_16u_Sse2)(row, dstW, elements, x,
                                                                             columnT, out);
          }
        };
        for (std::int32_t j = 0; j < height; ++j) {
          std::array<float*, 4> rows{};
          for (int b = 0; b < 4; ++b) {
            rows[b] = aligned(buffers[b]);
            filter(rowOffsets[j] + (b - 1) * step, rows[b]);
          }
          std::vector<std::uint8_t> expected(sizeof(T) * elements * dstW, 0xEE);
          if (elements == channels) {
            (k8u ? ResizeCubicWorkerB_8u_Sse2 : ResizeCubicWorkerB_16u_Sse2)(
                expected.data(), channels * dstW, rowT[j], rows[0], rows[1], rows[2], rows[3]);
          } else {
            (k8u ? ResizeCubicWorkerD_8u_Sse2 : ResizeCubicWorkerD_16u_Sse2)(
                expected.data(), dstW, rowT[j], rows[0], rows[1], rows[2], rows[3]);
          }
          const std::uint8_t* got = dst.data() + j * static_cast<std::ptrdiff_t>(dst.step());
          EXPECT_EQ(std::vector<std::uint8_t>(got, got + expected.size()), expected)
              << what << " row " << j;
        }
      }
    }
  }
}

TEST(ResizeSse2Driver, CubicPassEqualsItsWorkersOnFreshRows) {
  CheckCubicPass<std::uint8_t>();
  CheckCubicPass<std::uint16_t>();
}

// The six-tap definition, 8-bit three channels: positions by repeated addition, the set's
// weights, taps held inside the image, horizontal float sums in tap order, the vertical sum
// in double plus 1e-7, truncated and clamped.
struct SixTapAxis {
  std::vector<std::int32_t> index;  // absolute centre pixel
  std::vector<std::array<float, 6>> weights;
};

SixTapAxis MapSixTap(std::int32_t origin, std::int32_t rect, double factor, std::int32_t used) {
  SixTapAxis axis;
  const double scaled = rect * factor;
  const double step = scaled > 1.0 ? (rect - 1) / (scaled - 1.0) : 0.0;
  double position = 0.0;
  for (std::int32_t k = 0; k < used; ++k, position += step) {
    const std::int32_t i = ResizeClampedIndex(position, rect);
    const double p = std::clamp(position, 0.0, static_cast<double>(rect - 1));
    const double fraction = p - i;
    std::array<float, 6> w{};
    ResizeBuildCoeffs_Sse2(&fraction, 1, w.data());
    axis.index.push_back(origin + i);
    axis.weights.push_back(w);
  }
  return axis;
}

TEST(ResizeSse2Driver, SixTapEqualsItsDefinitionAtEveryEdge) {
  constexpr std::int32_t kW = 9, kH = 8;
  const Image src = NoiseImage(kW, kH, 77);
  struct Case {
    PrimRect roi;
    double xf, yf;
  };
  // Rectangles at column and row 0, 1 and 2, and reaching the right and bottom edges with
  // one, two and three rows below their origin; enlarging (window advances by one row) and
  // shrinking (advances of two and more).
  const Case cases[] = {
      {{0, 0, 9, 8}, 2.3, 1.9}, {{1, 1, 8, 7}, 1.7, 2.2},  {{2, 2, 7, 6}, 0.6, 0.5},
      {{0, 7, 9, 1}, 1.5, 3.0}, {{1, 6, 8, 2}, 2.0, 2.5},  {{2, 5, 7, 3}, 1.2, 1.7},
      {{6, 0, 3, 8}, 3.0, 0.4}, {{0, 0, 9, 8}, 0.3, 0.26}, {{3, 2, 4, 4}, 1.0, 1.0}};
  for (const Case& c : cases) {
    const std::int32_t usedW = ResizeUsedLength(c.roi.width, c.xf, 40);
    const std::int32_t usedH = ResizeUsedLength(c.roi.height, c.yf, 40);
    const SixTapAxis xs = MapSixTap(c.roi.x, c.roi.width, c.xf, usedW);
    const SixTapAxis ys = MapSixTap(c.roi.y, c.roi.height, c.yf, usedH);
    for (const KernelSet& set : {VectorSets()[1], VectorSets()[2]}) {
      Image dst(40, 40, 0, 0xEE);
      ASSERT_EQ(set.general(src.bytes.data(), src.size(), src.step, c.roi, dst.bytes.data(),
                            dst.step, dst.size(), c.xf, c.yf, 0.0, 0.0, 3, 3, 0, 0, 16, 1),
                StsNoError);
      for (std::int32_t y = 0; y < usedH; ++y) {
        for (std::int32_t x = 0; x < usedW; ++x) {
          for (int ch = 0; ch < 3; ++ch) {
            double sum = 0.0;
            for (int j = 0; j < 6; ++j) {
              const std::int32_t row = std::clamp(ys.index[y] + j - 2, 0, kH - 1);
              float across = 0.0f;
              for (int i = 0; i < 6; ++i) {
                const std::int32_t column = std::clamp(xs.index[x] + i - 2, 0, kW - 1);
                const float product =
                    static_cast<float>(src.at(column, row, ch)) * xs.weights[x][i];
                across = i == 0 ? product : across + product;
              }
              const double product = static_cast<double>(across) * ys.weights[y][j];
              sum = j == 0 ? product : sum + product;
            }
            const auto expected = static_cast<int>(std::clamp(std::trunc(sum + 1e-7), 0.0, 255.0));
            ASSERT_EQ(dst.at(x, y, ch), expected)
                << set.name << " roi " << c.roi.x << "," << c.roi.y << " " << c.roi.width << "x"
                << c.roi.height << " factors " << c.xf << "," << c.yf << " at " << x << "," << y;
          }
        }
      }
    }
  }
}

// Boxes along one axis by the rules of the kernels: the carried fraction of the cut pixel
// gives the next box's leading weight (dropped when not above 1e-7, the walk moving past the
// pixel either way), then floor(rest + 1e-7) whole pixels and the new cut (kept when above
// 1e-7). Weights per pixel, one vector per box.
std::vector<std::vector<double>> Boxes(double scale, std::size_t pixels, int count) {
  std::vector<std::vector<double>> boxes;
  const double whole = std::floor(scale);
  double carried = scale - whole;
  std::size_t p = 0;
  for (int k = 0; k < count; ++k) {
    std::vector<double> w(pixels + 8, 0.0);
    if (k == 0) {
      for (int i = 0; i < whole; ++i) {
        w[p++] = 1.0;
      }
      w[p] = carried;
    } else {
      const double lead = 1.0 - carried;
      const double rest = scale - lead;
      const double n = std::floor(rest + 1e-7);
      const double cut = rest - n;
      if (lead > 1e-7) {
        w[p] = lead;
      }
      ++p;
      for (int i = 0; i < n; ++i) {
        w[p++] = 1.0;
      }
      if (cut > 1e-7) {
        w[p] = cut;
      }
      carried = cut;
    }
    boxes.push_back(w);
  }
  return boxes;
}

// A scale just below three (2.99999994): the first box takes samples 0 and 1 whole
// and sample 2 at 0.99999994; the second drops sample 2 (6e-8 is not above 1e-7), takes 3 and
// 4 and sample 5 at 0.99999988; each later box starts three samples further on. Along x the
// columns of a box are summed in double from float cells; along y the rows go into float cells
// one after the other.
TEST(ResizeSse2Driver, SupersamplingBoxesOfAScaleJustBelowThree) {
  const double scale = 2.99999994;
  const std::vector<int> samples{10, 20, 200, 30, 40, 50, 250, 0, 90, 60, 70, 80, 5, 15};
  const auto boxes = Boxes(scale, samples.size(), 4);
  EXPECT_EQ(boxes[1][2], 0.0);
  EXPECT_EQ(boxes[1][3], 1.0);
  EXPECT_EQ(boxes[1][4], 1.0);
  EXPECT_NEAR(boxes[1][5], 0.99999988, 1e-8);
  for (const KernelSet& set : VectorSets()) {
    for (bool alongY : {false, true}) {
      const auto n = static_cast<std::int32_t>(samples.size());
      Image src(alongY ? 1 : n, alongY ? n : 1);
      for (std::int32_t i = 0; i < n; ++i) {
        for (int ch = 0; ch < 3; ++ch) {
          (alongY ? src.at(0, i, ch) : src.at(i, 0, ch)) = static_cast<std::uint8_t>(samples[i]);
        }
      }
      Image dst(8, 8, 0, 0xEE);
      // Sizing flag 0: the factors are source pixels per destination pixel.
      ASSERT_EQ(
          set.super(src.bytes.data(), src.size(), src.step, src.whole(), dst.bytes.data(), dst.step,
                    dst.size(), alongY ? 1.0 : scale, alongY ? scale : 1.0, 3, 3, 0, 0, 0),
          StsNoError);
      for (int k = 0; k < 4; ++k) {
        float cell = 0.0f;
        double across = 0.0;
        for (std::size_t i = 0; i < samples.size(); ++i) {
          const double w = boxes[k][i];
          if (w == 1.0) {
            cell = cell + static_cast<float>(samples[i]);
          } else if (w > 0.0) {
            cell = static_cast<float>(cell + w * samples[i]);
          }
          across += w * samples[i];
        }
        const float stored = alongY ? cell : static_cast<float>(across);
        const int expected = static_cast<int>(stored * (1.0 / scale) + 0.5);
        const int got = alongY ? dst.at(0, k, 2) : dst.at(k, 0, 2);
        EXPECT_EQ(got, expected) << set.name << (alongY ? " along y" : " along x") << " box " << k;
      }
    }
  }
}

// Planar 16-bit supersampling with the rectangle at (3, 2) reads each plane from byte offset
// 2·step + 6: the same as a one-channel call on that address with the rectangle at the origin.
TEST(ResizeSse2Driver, PlaneOffsetOfARectangle) {
  std::vector<TypedImage> planes;
  for (int p = 0; p < 3; ++p) {
    planes.emplace_back(1, 20, 16, 1);
    planes.back().FillNoise(90 + p);
  }
  const void* sources[3] = {planes[0].data(), planes[1].data(), planes[2].data()};
  std::vector<TypedImage> dsts;
  for (int p = 0; p < 3; ++p) {
    dsts.emplace_back(1, 10, 10, 1, 0, 0xA5);
  }
  void* destinations[3] = {dsts[0].data(), dsts[1].data(), dsts[2].data()};
  const std::int32_t step = planes[0].step();
  for (const KernelSet& set : VectorSets()) {
    ASSERT_EQ(set.super(sources, {20, 16}, step, {3, 2, 12, 10}, destinations, dsts[0].step(),
                        {10, 10}, 0.5, 0.4, 1, 3, 1, 1, 1),
              StsNoError);
    for (int p = 0; p < 3; ++p) {
      TypedImage single(1, 10, 10, 1, 0, 0xA5);
      ASSERT_EQ(set.super(planes[p].data() + 2 * step + 6, {17, 14}, step, {0, 0, 12, 10},
                          single.data(), single.step(), {10, 10}, 0.5, 0.4, 1, 1, 1, 0, 1),
                StsNoError);
      EXPECT_EQ(single.storage(), dsts[p].storage()) << set.name << " plane " << p;
    }
  }
}

}  // namespace

// Whole boxes of 8-bit data, every layout: trunc(box sum · norm + 0.5), the box cut at the
// rectangle's edges, exactly; power-of-two normalisers (the 16-bit fast road) and others.
TEST(ResizeSse2Driver, WholeBoxesGiveTheRoundedMeanExactly) {
  struct Scale {
    double xf, yf;
    std::int32_t ix, iy;
  };
  const Scale scales[] = {{0.5, 0.5, 2, 2},         {0.25, 0.5, 4, 2},    {1.0, 0.125, 1, 8},
                          {0.0625, 0.0625, 16, 16}, {0.5, 1.0 / 3, 2, 3}, {1.0, 1.0, 1, 1}};
  std::uint32_t seed = 1300;
  for (const Layout& l : kLayouts) {
    if (l.planar) {
      continue;
    }
    TypedImage src(0, 37, 35, l.elements);
    src.FillNoise(seed++);
    const PrimRect roi{1, 2, 35, 33};  // odd sizes: the last boxes are cut
    for (const Scale& sc : scales) {
      for (const KernelSet& set : VectorSets()) {
        TypedImage dst(0, 40, 40, l.elements, 0, 0xA5);
        ASSERT_EQ(set.super(src.data(), {37, 35}, src.step(), roi, dst.data(), dst.step(), {40, 40},
                            sc.xf, sc.yf, l.elements, l.channels, 0, 0, 1),
                  StsNoError);
        const std::int32_t usedW = ResizeUsedLength(roi.width, sc.xf, 40);
        const std::int32_t usedH = ResizeUsedLength(roi.height, sc.yf, 40);
        const double norm = sc.xf * sc.yf;
        for (std::int32_t y = 0; y < usedH; ++y) {
          for (std::int32_t x = 0; x < usedW; ++x) {
            for (std::int32_t e = 0; e < l.channels; ++e) {
              double sum = 0.0;
              for (std::int32_t r = y * sc.iy; r < std::min((y + 1) * sc.iy, roi.height); ++r) {
                for (std::int32_t c = x * sc.ix; c < std::min((x + 1) * sc.ix, roi.width); ++c) {
                  sum += src.Get(roi.x + c, roi.y + r, e);
                }
              }
              ASSERT_EQ(dst.Get(x, y, e), std::trunc(sum * norm + 0.5))
                  << set.name << " " << l.name << " factors " << sc.xf << "," << sc.yf << " at "
                  << x << "," << y << " element " << e;
            }
            if (l.channels == 3 && l.elements == 4) {
              ASSERT_TRUE(dst.Untouched(x, y, 3, 0xA5)) << set.name << " " << l.name;
            }
          }
        }
      }
    }
  }
}
