#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <utility>
#include <vector>

#include "forms.h"
#include "prim/prim.h"

namespace {

using prim_test::Form;
using prim_test::kFormPaths;
using prim_test::ScopedForm;

// The element rule written out independently.
std::int16_t Expected(std::int16_t c, int qp) {
  if (c == 0) {
    return 0;
  }
  const int k = qp % 2 == 1 ? qp : qp - 1;
  const int v = c > 0 ? 2 * qp * c + k : 2 * qp * c - k;
  return static_cast<std::int16_t>(std::clamp(v, -2048, 2047));
}

// Every form, the generic one on each of its paths.
class QuantFormTest : public ::testing::TestWithParam<Form> {
 protected:
  void SetUp() override {
    if (!prim_test::Runs(GetParam())) {
      GTEST_SKIP() << "this processor does not run the path";
    }
  }
};

TEST_P(QuantFormTest, ArgumentChecksInOrderLeaveArrayUntouched) {
  ScopedForm scoped(GetParam());
  struct Case {
    bool null;
    std::int32_t len;
    std::int32_t qp;
    PrimStatus status;
  };
  const Case cases[] = {
      {true, 0, 0, StsNullPointer},        {true, 64, 4, StsNullPointer},
      {false, 0, 0, StsSizeError},         {false, -1, 4, StsSizeError},
      {false, 64, 0, StsQuantParamError},  {false, 64, 32, StsQuantParamError},
      {false, 64, -3, StsQuantParamError}, {false, 1, 1, StsNoError},
      {false, 64, 31, StsNoError},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "len " << c.len << " qp " << c.qp);
    std::vector<std::int16_t> data(64, 5);
    const PrimStatus status =
        primQuantInvInter_Compact_H263_16s_I(c.null ? nullptr : data.data(), c.len, c.qp);
    EXPECT_EQ(status, c.status);
    if (status != StsNoError) {
      EXPECT_EQ(data, std::vector<std::int16_t>(64, 5));
    }
  }
}

TEST_P(QuantFormTest, KnownValues) {
  ScopedForm scoped(GetParam());
  struct Case {
    std::int16_t in;
    std::int32_t qp;
    std::int16_t out;
  };
  const Case cases[] = {
      {1, 4, 11},          {-1, 4, -11}, {0, 4, 0},     {40, 31, 2047},
      {-40, 31, -2048},    {1, 1, 3},    {-1, 1, -3},   {32767, 31, 2047},
      {-32768, 31, -2048}, {10, 2, 41},  {-10, 3, -63},
  };
  for (const Case& c : cases) {
    // Each value at every position of a 16-element array (covers the head, the groups and
    // the tail of the vector forms).
    for (int pos = 0; pos < 16; ++pos) {
      alignas(16) std::int16_t data[16] = {};
      data[pos] = c.in;
      ASSERT_EQ(primQuantInvInter_Compact_H263_16s_I(data, 16, c.qp), StsNoError);
      EXPECT_EQ(data[pos], c.out) << "in " << c.in << " qp " << c.qp << " pos " << pos;
    }
  }
}

TEST_P(QuantFormTest, MatchesRuleOverOffsetsLengthsAndQuantisers) {
  ScopedForm scoped(GetParam());
  std::mt19937 rng(42);
  std::uniform_int_distribution<int> any(-32768, 32767);
  std::uniform_int_distribution<int> small(-60, 60);
  std::uniform_int_distribution<int> pick(0, 3);
  alignas(16) std::int16_t storage[160];
  for (int qp = 1; qp <= 31; ++qp) {
    for (int offset = 0; offset < 9; ++offset) {
      for (int len : {1, 3, 4, 7, 8, 9, 15, 16, 17, 31, 64, 100, 150}) {
        if (offset + len > 160) {
          continue;
        }
        std::vector<std::int16_t> in(static_cast<std::size_t>(len));
        for (auto& c : in) {
          const int kind = pick(rng);
          c = static_cast<std::int16_t>(kind == 0 ? 0 : kind == 1 ? any(rng) : small(rng));
        }
        std::copy(in.begin(), in.end(), storage + offset);
        ASSERT_EQ(primQuantInvInter_Compact_H263_16s_I(storage + offset, len, qp), StsNoError);
        for (int i = 0; i < len; ++i) {
          ASSERT_EQ(storage[offset + i], Expected(in[static_cast<std::size_t>(i)], qp))
              << "qp " << qp << " offset " << offset << " len " << len << " i " << i;
        }
      }
    }
  }
}

TEST_P(QuantFormTest, OddAddressIsHandledElementByElement) {
  ScopedForm scoped(GetParam());
  alignas(16) unsigned char raw[2 * 40 + 1];
  auto* data = reinterpret_cast<std::int16_t*>(raw + 1);  // deliberately misaligned
  std::int16_t in[40];
  for (int i = 0; i < 40; ++i) {
    in[i] = static_cast<std::int16_t>(i % 3 == 0 ? 0 : i - 20);
  }
  std::memcpy(raw + 1, in, sizeof(in));
  ASSERT_EQ(primQuantInvInter_Compact_H263_16s_I(data, 40, 7), StsNoError);
  std::int16_t out[40];
  std::memcpy(out, raw + 1, sizeof(out));
  for (int i = 0; i < 40; ++i) {
    EXPECT_EQ(out[i], Expected(in[i], 7)) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Forms, QuantFormTest, ::testing::ValuesIn(kFormPaths),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(QuantWorkers, BoundsAndKeepFirst) {
  using Worker =
      void (*)(std::int16_t*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t);
  std::vector<Worker> workers = {QuantInvInterWorker_GenericScalar, QuantInvInterWorker_Sse,
                                 QuantInvInterWorker_Sse2, QuantInvInterWorker_Sse3};
#if defined(__x86_64__)
  workers.push_back(QuantInvInterWorker_GenericSse2);
  if (PrimGenericPathSupported() >= PrimGenericPath::kAvx2) {
    workers.push_back(QuantInvInterWorker_GenericAvx2);
  }
#endif
  for (Worker worker : workers) {
    alignas(16) std::int16_t data[24];
    for (int i = 0; i < 24; ++i) {
      data[i] = static_cast<std::int16_t>(i - 12);
    }
    worker(data, 1, 24, 5, -100, 90);
    EXPECT_EQ(data[0], -12);  // restored
    for (int i = 1; i < 24; ++i) {
      const int c = i - 12;
      const int expected = c == 0 ? 0 : std::clamp(c > 0 ? 10 * c + 5 : 10 * c - 5, -100, 90);
      EXPECT_EQ(data[i], expected) << i;
    }
  }
}

// The generic worker's vector paths against its scalar path: random arrays at every element
// offset, lengths around the step sizes, random bounds, element 0 kept or not.
TEST(QuantWorkers, GenericPathsMatchTheScalarPath) {
  using Worker =
      void (*)(std::int16_t*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t);
  std::vector<std::pair<const char*, Worker>> paths;
#if defined(__x86_64__)
  paths.emplace_back("Sse2", QuantInvInterWorker_GenericSse2);
  if (PrimGenericPathSupported() >= PrimGenericPath::kAvx2) {
    paths.emplace_back("Avx2", QuantInvInterWorker_GenericAvx2);
  }
#endif
  std::mt19937 rng(17);
  std::uniform_int_distribution<int> any(-32768, 32767);
  std::uniform_int_distribution<int> small(-60, 60);
  std::uniform_int_distribution<int> pick(0, 3);
  std::uniform_int_distribution<int> qpOf(1, 31);
  alignas(32) std::int16_t want[112];
  alignas(32) std::int16_t got[112];
  for (const auto& [name, worker] : paths) {
    for (int trial = 0; trial < 2000; ++trial) {
      for (auto& c : want) {
        const int kind = pick(rng);
        c = static_cast<std::int16_t>(kind == 0 ? 0 : kind == 1 ? any(rng) : small(rng));
      }
      std::copy(std::begin(want), std::end(want), std::begin(got));
      const int offset = trial % 17;
      const int len = 1 + trial % 90;
      const int qp = qpOf(rng);
      std::int32_t lower = -2048;
      std::int32_t upper = 2047;
      if (trial % 3 == 1) {
        lower = any(rng);
        upper = any(rng);
        if (lower > upper) {
          std::swap(lower, upper);
        }
      }
      const std::int32_t keepFirst = trial % 2;
      QuantInvInterWorker_GenericScalar(want + offset, keepFirst, len, qp, lower, upper);
      worker(got + offset, keepFirst, len, qp, lower, upper);
      ASSERT_TRUE(std::equal(std::begin(want), std::end(want), std::begin(got)))
          << name << " trial " << trial << " offset " << offset << " len " << len;
    }
  }
}

}  // namespace
