// The MPEG-4 dequantisation workers: the generic form on known values, and every vector form
// against the generic one on random blocks, weights, quantisers, bounds, scans and counts, at
// every element alignment.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "forms.h"
#include "prim/generic_path.h"
#include "prim/prim_mpeg4_quant.h"

namespace {

using Block = std::array<std::int16_t, 64>;
using Weights = std::array<std::uint8_t, 64>;

struct Forms {
  std::string name;
  QuantInvMpeg4WorkerFn* intra;
  QuantInvMpeg4WorkerFn* inter;
  QuantInvMpeg4ScanWorkerFn* intraScan;
  QuantInvMpeg4ScanWorkerFn* interScan;
};

// The reference: the generic workers' scalar path.
const Forms kGeneric{"GenericScalar", kQuantInvMpeg4GenericScalar.intra,
                     kQuantInvMpeg4GenericScalar.inter, kQuantInvMpeg4GenericScalar.intraScan,
                     kQuantInvMpeg4GenericScalar.interScan};

Forms FormsOf(const char* name, const QuantInvMpeg4GenericPath& path) {
  return Forms{name, path.intra, path.inter, path.intraScan, path.interScan};
}

TEST(Mpeg4QuantGeneric, KnownValues) {
  struct Case {
    bool inter;
    std::int16_t c;
    std::int32_t qp;
    std::uint8_t w;
    std::int32_t lower, upper;
    std::int16_t out;
  };
  const Case cases[] = {
      {false, -1, 1, 17, -2048, 2047, -2},       // -17 / 8 truncated toward zero
      {false, 3, 2, 16, -2048, 2047, 12},        // 96 / 8
      {false, 100, 31, 255, -2048, 2047, 2047},  // limited
      {false, -100, 31, 255, -300, 300, -300},
      {true, 1, 2, 16, -2048, 2047, 6},  // (2 + 1) * 2 * 16 / 16
      {true, -1, 2, 16, -2048, 2047, -6},
      {true, -2, 3, 17, -2048, 2047, -15},  // -5 * 51 / 16 = -15.9 -> -15
      {true, 0, 31, 255, 5, 10, 0},         // zero stays zero whatever the bounds
      {true, 32767, 31, 255, -2048, 2047, 2047},
      {true, -32768, 31, 255, -2048, 2047, -2048},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << (c.inter ? "inter " : "intra ") << c.c << " qp " << c.qp << " w " << int{c.w});
    Block b{};
    b[0] = 99;
    b[5] = c.c;
    Weights w{};
    w.fill(c.w);
    std::int32_t sum = 1000;
    (c.inter ? kGeneric.inter : kGeneric.intra)(b.data(), w.data(), c.qp, c.lower, c.upper, &sum);
    EXPECT_EQ(b[5], c.out);
    if (c.inter) {
      const std::int16_t first = b[0];  // element 0 is dequantised too
      EXPECT_EQ(sum, 1000 + c.out + first);
    } else {
      EXPECT_EQ(b[0], 99);  // kept, and not in the sum
      EXPECT_EQ(sum, 1000 + c.out);
    }
  }
}

TEST(Mpeg4QuantGeneric, ScanWeightsFollowTheScanAndTheCount) {
  Weights w{};
  for (std::size_t i = 0; i < w.size(); ++i) {
    w[i] = static_cast<std::uint8_t>(8 + i);
  }
  std::array<std::uint8_t, 64> scan{};
  for (std::size_t i = 0; i < scan.size(); ++i) {
    scan[i] = static_cast<std::uint8_t>(63 - i);
  }
  scan[2] = 64 + 10;  // taken modulo 64: raster 10
  Block b{};
  b.fill(8);
  std::int32_t sum = 0;
  QuantInvIntraMpeg4ScanWorker_Generic(b.data(), 4, w.data(), scan.data(), 1, &sum);
  EXPECT_EQ(b[0], 8);                 // kept
  EXPECT_EQ(b[1], 8 * (8 + 62) / 8);  // W[scan[1]] = W[62]
  EXPECT_EQ(b[2], 8 * (8 + 10) / 8);
  EXPECT_EQ(b[3], 8 * (8 + 60) / 8);
  EXPECT_EQ(b[4], 8);  // past the count
  EXPECT_EQ(sum, b[1] + b[2] + b[3]);
  Block all{};
  all.fill(1);
  sum = 0;
  QuantInvInterMpeg4ScanWorker_Generic(all.data(), 99, w.data(), scan.data(), 31, &sum);
  EXPECT_EQ(all[63], std::min(3 * 31 * 8 / 16, 2047));  // count 99 means the whole block
  sum = 0;
  QuantInvInterMpeg4ScanWorker_Generic(all.data(), -1, w.data(), scan.data(), 31, &sum);
  EXPECT_EQ(sum, 0);
}

class Mpeg4QuantFormTest : public ::testing::TestWithParam<Forms> {
 protected:
  void SetUp() override {
    if (GetParam().intra == nullptr) {
      GTEST_SKIP() << "this processor does not run the path";
    }
  }
};

TEST_P(Mpeg4QuantFormTest, EqualsTheGenericForm) {
  const Forms& form = GetParam();
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> any(-32768, 32767);
  std::uniform_int_distribution<int> small(-300, 300);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> qpOf(1, 31);
  std::uniform_int_distribution<int> countOf(-2, 66);
  for (int trial = 0; trial < 3000; ++trial) {
    // Room to place the block at every element alignment.
    std::vector<std::int16_t> area(72);
    for (auto& v : area) {
      const int pick = byte(rng);
      v = static_cast<std::int16_t>(pick < 80 ? 0 : (pick < 200 ? small(rng) : any(rng)));
    }
    Weights w{};
    std::array<std::uint8_t, 64> scan{};
    for (std::size_t i = 0; i < 64; ++i) {
      w[i] = static_cast<std::uint8_t>(byte(rng));
      scan[i] = static_cast<std::uint8_t>(byte(rng));
    }
    const std::int32_t qp = qpOf(rng);
    std::int32_t lower = -2048;
    std::int32_t upper = 2047;
    if (trial % 3 == 1) {
      lower = any(rng);
      upper = any(rng);
      if (lower > upper) {
        std::swap(lower, upper);
      }
    }
    const std::int32_t count = countOf(rng);
    const std::size_t offset = static_cast<std::size_t>(trial % 8);
    for (int worker = 0; worker < 4; ++worker) {
      SCOPED_TRACE(::testing::Message() << "trial " << trial << " worker " << worker);
      std::vector<std::int16_t> want = area;
      std::vector<std::int16_t> got = area;
      std::int32_t wantSum = 11;
      std::int32_t gotSum = 11;
      std::int16_t* wantBlock = want.data() + offset;
      std::int16_t* gotBlock = got.data() + offset;
      switch (worker) {
        case 0:
          kGeneric.intra(wantBlock, w.data(), qp, lower, upper, &wantSum);
          form.intra(gotBlock, w.data(), qp, lower, upper, &gotSum);
          break;
        case 1:
          kGeneric.inter(wantBlock, w.data(), qp, lower, upper, &wantSum);
          form.inter(gotBlock, w.data(), qp, lower, upper, &gotSum);
          break;
        case 2:
          kGeneric.intraScan(wantBlock, count, w.data(), scan.data(), qp, &wantSum);
          form.intraScan(gotBlock, count, w.data(), scan.data(), qp, &gotSum);
          break;
        default:
          kGeneric.interScan(wantBlock, count, w.data(), scan.data(), qp, &wantSum);
          form.interScan(gotBlock, count, w.data(), scan.data(), qp, &gotSum);
          break;
      }
      ASSERT_EQ(got, want);  // the elements around the block untouched as well
      ASSERT_EQ(gotSum, wantSum);
    }
  }
}

// The generic workers through the test seam, each path forced in turn: the scalar path's
// results on random blocks and scans.
TEST(Mpeg4QuantGeneric, EveryForcedPathGivesTheScalarResults) {
  std::mt19937 rng(23);
  std::uniform_int_distribution<int> any(-32768, 32767);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> qpOf(1, 31);
  for (PrimGenericPath path : prim_test::kGenericPaths) {
    prim_test::ScopedPath forced(path);
    if (!forced.Forced()) {
      continue;  // this processor does not run the path
    }
    for (int trial = 0; trial < 300; ++trial) {
      Block in{};
      for (auto& v : in) {
        v = static_cast<std::int16_t>(byte(rng) < 100 ? 0 : any(rng));
      }
      Weights w{};
      std::array<std::uint8_t, 64> scan{};
      for (std::size_t i = 0; i < 64; ++i) {
        w[i] = static_cast<std::uint8_t>(byte(rng));
        scan[i] = static_cast<std::uint8_t>(byte(rng));
      }
      const std::int32_t qp = qpOf(rng);
      const std::int32_t count = trial % 66;
      for (int worker = 0; worker < 4; ++worker) {
        Block want = in;
        Block got = in;
        std::int32_t wantSum = 0;
        std::int32_t gotSum = 0;
        switch (worker) {
          case 0:
            kGeneric.intra(want.data(), w.data(), qp, -2048, 2047, &wantSum);
            QuantInvIntraMpeg4Worker_Generic(got.data(), w.data(), qp, -2048, 2047, &gotSum);
            break;
          case 1:
            kGeneric.inter(want.data(), w.data(), qp, -2048, 2047, &wantSum);
            QuantInvInterMpeg4Worker_Generic(got.data(), w.data(), qp, -2048, 2047, &gotSum);
            break;
          case 2:
            kGeneric.intraScan(want.data(), count, w.data(), scan.data(), qp, &wantSum);
            QuantInvIntraMpeg4ScanWorker_Generic(got.data(), count, w.data(), scan.data(), qp,
                                                 &gotSum);
            break;
          default:
            kGeneric.interScan(want.data(), count, w.data(), scan.data(), qp, &wantSum);
            QuantInvInterMpeg4ScanWorker_Generic(got.data(), count, w.data(), scan.data(), qp,
                                                 &gotSum);
            break;
        }
        ASSERT_EQ(got, want) << prim_test::PathName(path) << " trial " << trial << " worker "
                             << worker;
        ASSERT_EQ(gotSum, wantSum);
      }
    }
  }
}

std::vector<Forms> AllForms() {
  std::vector<Forms> forms = {
      Forms{"Sse", QuantInvIntraMpeg4Worker_Sse, QuantInvInterMpeg4Worker_Sse,
            QuantInvIntraMpeg4ScanWorker_Sse, QuantInvInterMpeg4ScanWorker_Sse},
      Forms{"Sse2", QuantInvIntraMpeg4Worker_Sse2, QuantInvInterMpeg4Worker_Sse2,
            QuantInvIntraMpeg4ScanWorker_Sse2, QuantInvInterMpeg4ScanWorker_Sse2},
      Forms{"Sse3", QuantInvIntraMpeg4Worker_Sse3, QuantInvInterMpeg4Worker_Sse3,
            QuantInvIntraMpeg4ScanWorker_Sse3, QuantInvInterMpeg4ScanWorker_Sse3},
      // The generic workers as called: the path this processor runs.
      Forms{"Generic", QuantInvIntraMpeg4Worker_Generic, QuantInvInterMpeg4Worker_Generic,
            QuantInvIntraMpeg4ScanWorker_Generic, QuantInvInterMpeg4ScanWorker_Generic}};
#if defined(__x86_64__)
  forms.push_back(FormsOf("GenericSse2", kQuantInvMpeg4GenericSse2));
  forms.push_back(PrimGenericPathSupported() >= PrimGenericPath::kAvx2
                      ? FormsOf("GenericAvx2", kQuantInvMpeg4GenericAvx2)
                      : Forms{"GenericAvx2", nullptr, nullptr, nullptr, nullptr});
#endif
  return forms;
}

INSTANTIATE_TEST_SUITE_P(Forms, Mpeg4QuantFormTest, ::testing::ValuesIn(AllForms()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
