#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "forms.h"
#include "prim/prim.h"

namespace {

// Read during static initialisation, before any test could run detection.
const std::int32_t g_indexAtStart = PrimCpuIndex.load();

constexpr std::uint32_t kGenuineEbx = 0x756E6547U;
constexpr std::uint32_t kGenuineEdx = 0x49656E69U;
constexpr std::uint32_t kGenuineEcx = 0x6C65746EU;

constexpr std::uint32_t kMmx = 1U << 23;
constexpr std::uint32_t kSse = 1U << 25;
constexpr std::uint32_t kSse2 = 1U << 26;
constexpr std::uint32_t kHtt = 1U << 28;

// A processor described by its CPUID words.
class FakeCpu final : public PrimCpuSource {
 public:
  bool hasCpuid = true;
  bool knownVendor = true;
  std::uint32_t family = 6;
  std::uint32_t edx = 0;
  std::uint32_t ecx = 0;
  std::uint32_t logical = 1;
  std::uint32_t extMax = 0x80000008U;
  bool ext64 = false;
  mutable std::vector<std::uint32_t> leavesRead;

  bool CanToggleIdFlag() const override { return hasCpuid; }

  PrimCpuidRegs Cpuid(std::uint32_t leaf) const override {
    leavesRead.push_back(leaf);
    PrimCpuidRegs regs;
    switch (leaf) {
      case 0:
        regs.eax = 2;
        regs.ebx = knownVendor ? kGenuineEbx : 0x68747541U;
        regs.edx = knownVendor ? kGenuineEdx : 0x69746E65U;
        regs.ecx = knownVendor ? kGenuineEcx : 0x444D4163U;
        break;
      case 1:
        regs.eax = (family << 8) | (0x7U << 4) | 0x3U;
        regs.ebx = logical << 16;
        regs.ecx = ecx;
        regs.edx = edx;
        break;
      case 2:
        regs.eax = 0x665B5001U;
        regs.edx = 0x007A7000U;
        break;
      case 0x80000000U:
        regs.eax = extMax;
        break;
      case 0x80000001U:
        regs.edx = ext64 ? (1U << 29) : 0;
        break;
      default:
        break;
    }
    return regs;
  }
};

class DispatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_savedIndex = PrimCpuIndex.load();
    m_savedSource = PrimSetCpuSource(&m_cpu);
  }
  void TearDown() override {
    PrimSetCpuSource(m_savedSource);
    PrimCpuIndex.store(m_savedIndex);
  }

  FakeCpu m_cpu;

 private:
  std::int32_t m_savedIndex = 1;
  const PrimCpuSource* m_savedSource = nullptr;
};

TEST(DispatchStart, IndexIsGenericBeforeAnyDetection) {
  EXPECT_EQ(g_indexAtStart, 1);
}

struct ClassCase {
  const char* what;
  std::uint32_t family;
  std::uint32_t edx;
  std::uint32_t ecx;
  std::uint32_t logical;
  bool ext64;
  std::int32_t cpuClass;
  std::int32_t index;
};

// The named classes keep the numbers of the rule table (callers may pass the numbers).
TEST(DispatchClasses, NamesHoldTheRuleTablesNumbers) {
  const std::vector<PrimCpuType> named{
      PrimCpuEmptySlot,      PrimCpuUnknown,          PrimCpuFamily5,     PrimCpuFamily5Mmx,
      PrimCpuFamily6,        PrimCpuFamily6Mmx,       PrimCpuFamily6Sse,  PrimCpuFamily15Sse2,
      PrimCpuFamily15Sse2Ht, PrimCpuFamily15Sse3,     PrimCpuFamily6Sse2, PrimCpuFamily7,
      PrimCpuFamily15NoSse2, PrimCpuFamily15Sse3Ext64};
  EXPECT_EQ(named, (std::vector<PrimCpuType>{-1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 16, 17, 32}));
}

TEST_F(DispatchTest, ClassAndIndexRuleTable) {
  const ClassCase cases[] = {
      {"family 5 with MMX", 5, kMmx, 0, 1, false, PrimCpuFamily5Mmx, PrimIndexGeneric},
      {"family 5 without MMX", 5, 0, 0, 1, false, PrimCpuFamily5, PrimIndexGeneric},
      {"family 6 with SSE2", 6, kMmx | kSse | kSse2, 0, 1, false, PrimCpuFamily6Sse2,
       PrimIndexSse2},
      {"family 6 with SSE", 6, kMmx | kSse, 0, 1, false, PrimCpuFamily6Sse, PrimIndexSse},
      {"family 6 with MMX", 6, kMmx, 0, 1, false, PrimCpuFamily6Mmx, PrimIndexGeneric},
      {"family 6 bare", 6, 0, 0, 1, false, PrimCpuFamily6, PrimIndexGeneric},
      {"family 7", 7, 0, 0, 1, false, PrimCpuFamily7, PrimIndexSse},
      {"family 15 without SSE2", 15, kMmx | kSse, 1, 1, true, PrimCpuFamily15NoSse2, PrimIndexSse},
      {"family 15 SSE3 and 64-bit", 15, kSse | kSse2, 1, 1, true, PrimCpuFamily15Sse3Ext64,
       PrimIndexSse3},
      {"family 15 SSE3 no 64-bit", 15, kSse | kSse2, 1, 1, false, PrimCpuFamily15Sse3,
       PrimIndexSse3},
      {"family 15 SSE2 hyper-threading", 15, kSse2 | kHtt, 0, 2, false, PrimCpuFamily15Sse2Ht,
       PrimIndexSse2},
      {"family 15 SSE2 HTT bit, one logical", 15, kSse2 | kHtt, 0, 1, false, PrimCpuFamily15Sse2,
       PrimIndexSse2},
      {"family 15 SSE2 no HTT", 15, kSse2, 0, 4, false, PrimCpuFamily15Sse2, PrimIndexSse2},
      {"family 4", 4, kMmx | kSse | kSse2, 1, 1, false, PrimCpuUnknown, PrimIndexGeneric},
      {"family 16", 0, 0, 0, 1, false, PrimCpuUnknown, PrimIndexGeneric},
  };
  for (const ClassCase& c : cases) {
    SCOPED_TRACE(c.what);
    m_cpu.family = c.family;
    m_cpu.edx = c.edx;
    m_cpu.ecx = c.ecx;
    m_cpu.logical = c.logical;
    m_cpu.ext64 = c.ext64;
    EXPECT_EQ(PrimGetCpuType(), c.cpuClass);
    PrimCpuIndex.store(-5);
    EXPECT_EQ(primStaticInit(), StsNoError);
    EXPECT_EQ(PrimCpuIndex.load(), c.index);
  }
}

TEST_F(DispatchTest, OtherVendorOrNoCpuidSelectsGenericWithWarning) {
  m_cpu.edx = kSse | kSse2;
  m_cpu.knownVendor = false;
  PrimCpuIndex.store(3);
  EXPECT_EQ(PrimIsKnownVendor(), 0);
  EXPECT_EQ(PrimGetCpuType(), PrimCpuUnknown);
  EXPECT_EQ(primStaticInit(), StsNotKnownCpu);
  EXPECT_EQ(PrimCpuIndex.load(), 1);

  m_cpu.knownVendor = true;
  m_cpu.hasCpuid = false;
  PrimCpuIndex.store(3);
  EXPECT_EQ(PrimHasCpuid(), 0);
  EXPECT_EQ(PrimGetCpuType(), PrimCpuUnknown);
  EXPECT_EQ(primStaticInit(), StsNotKnownCpu);
  EXPECT_EQ(PrimCpuIndex.load(), 1);
}

TEST_F(DispatchTest, ReadCpuInfoFillsFieldsAndFlags) {
  m_cpu.family = 15;
  m_cpu.edx = kMmx | kSse | kSse2 | kHtt;
  m_cpu.ecx = 1;
  m_cpu.logical = 2;
  m_cpu.ext64 = true;
  PrimCpuInfo info;
  PrimReadCpuInfo(&info);
  EXPECT_EQ(info.family, 15U);
  EXPECT_EQ(info.model, 7U);
  EXPECT_EQ(info.stepping, 3U);
  EXPECT_EQ(info.features, m_cpu.edx);
  EXPECT_EQ(info.cacheEax, 0x665B5001U);
  EXPECT_EQ(info.cacheEdx, 0x007A7000U);
  EXPECT_EQ(info.mmx, 1U);
  EXPECT_EQ(info.sse, 1U);
  EXPECT_EQ(info.sse2, 1U);
  EXPECT_EQ(info.hyperThreading, 1U);
  EXPECT_EQ(info.sse3, 1U);
  EXPECT_EQ(info.ext64, 1U);
}

TEST_F(DispatchTest, NoExtendedLeafMeansNo64BitExtension) {
  m_cpu.family = 15;
  m_cpu.edx = kSse2;
  m_cpu.ecx = 1;
  m_cpu.ext64 = true;
  m_cpu.extMax = 0x80000000U;
  PrimCpuInfo info;
  PrimReadCpuInfo(&info);
  EXPECT_EQ(info.ext64, 0U);
  EXPECT_EQ(PrimGetCpuType(), PrimCpuFamily15Sse3);
  for (std::uint32_t leaf : m_cpu.leavesRead) {
    EXPECT_NE(leaf, 0x80000001U) << "leaf read beyond the highest extended leaf";
  }
}

TEST_F(DispatchTest, StaticInitCpuAcceptsKnownClassesOnly) {
  struct Case {
    std::int32_t cpuClass;
    PrimStatus status;
    std::int32_t index;  // -1: unchanged
  };
  const Case cases[] = {
      {-2, StsUnknownCpuType, -1},
      {PrimCpuEmptySlot, StsNoError, PrimIndexEmpty},
      {PrimCpuUnknown, StsNoError, PrimIndexGeneric},
      {PrimCpuFamily5, StsNoError, PrimIndexGeneric},
      {PrimCpuFamily5Mmx, StsNoError, PrimIndexGeneric},
      {PrimCpuFamily6, StsNoError, PrimIndexGeneric},
      {PrimCpuFamily6Mmx, StsNoError, PrimIndexGeneric},
      {PrimCpuFamily6Sse, StsNoError, PrimIndexSse},
      {PrimCpuFamily15Sse2, StsNoError, PrimIndexSse2},
      {PrimCpuFamily15Sse2Ht, StsNoError, PrimIndexSse2},
      {PrimCpuFamily15Sse3, StsNoError, PrimIndexSse3},
      {PrimCpuFamily6Sse2, StsNoError, PrimIndexSse2},
      {10, StsUnknownCpuType, -1},
      {15, StsUnknownCpuType, -1},
      {PrimCpuFamily7, StsNoError, PrimIndexSse},
      {PrimCpuFamily15NoSse2, StsNoError, PrimIndexSse},
      {18, StsUnknownCpuType, -1},
      {31, StsUnknownCpuType, -1},
      {PrimCpuFamily15Sse3Ext64, StsNoError, PrimIndexSse3},
      {33, StsUnknownCpuType, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cpuClass);
    PrimCpuIndex.store(3);
    EXPECT_EQ(primStaticInitCpu(c.cpuClass), c.status);
    EXPECT_EQ(PrimCpuIndex.load(), c.index == -1 ? 3 : c.index);
  }
}

TEST_F(DispatchTest, EmptySlotRefusesEveryPrimitiveAndWritesNothing) {
  ASSERT_EQ(primStaticInitCpu(PrimCpuEmptySlot), StsNoError);
  std::int16_t block[64] = {};
  block[0] = 64;
  EXPECT_EQ(primDCT8x8Inv_16s_C1I(block), StsNoImplementation);
  EXPECT_EQ(primQuantInvInter_Compact_H263_16s_I(block, 64, 4), StsNoImplementation);
  EXPECT_EQ(block[0], 64);
  const std::uint8_t plane[4] = {100, 100, 100, 100};
  const std::uint8_t* planes[3] = {plane, plane, plane};
  const std::int32_t steps[3] = {2, 1, 1};
  std::uint8_t out[12] = {};
  EXPECT_EQ(primYUV420ToBGR_8u_P3C3R(planes, steps, out, 6, 2, 2), StsNoImplementation);
  EXPECT_EQ(out[0], 0);
  // An index outside 0..4 (never stored by the library) is refused the same way.
  PrimCpuIndex.store(7);
  EXPECT_EQ(primDCT8x8Inv_16s_C1I(block), StsNoImplementation);
}

TEST(DispatchTable, EntryCallsTheSlotOfTheIndex) {
  int calls[6] = {};
  static int* s_calls = nullptr;
  s_calls = calls;
  using Fn = PrimStatus(int);
  const PrimVariantTable<Fn> table =
      PrimMakeVariantTable<Fn>([](int v) -> PrimStatus { return ++s_calls[1], v + 1; },
                               [](int v) -> PrimStatus { return ++s_calls[2], v + 2; },
                               [](int v) -> PrimStatus { return ++s_calls[3], v + 3; }, nullptr);
  EXPECT_EQ(table[0], nullptr);
  EXPECT_EQ(table[5], nullptr);
  const std::int32_t saved = PrimCpuIndex.load();
  for (std::int32_t index = 1; index <= 3; ++index) {
    PrimCpuIndex.store(index);
    EXPECT_EQ(PrimDispatch(table, 100), 100 + index);
    EXPECT_EQ(calls[index], 1);
  }
  PrimCpuIndex.store(4);  // empty slot
  EXPECT_EQ(PrimDispatch(table, 100), StsNoImplementation);
  PrimCpuIndex.store(saved);
}

TEST(DispatchRegistration, RecordsAreListedNewestFirst) {
  std::vector<std::string> names;
  for (const PrimDispatchRecord* r = PrimDispatchListHead(); r != nullptr; r = r->next) {
    names.emplace_back(r->name);
  }
  auto position = [&](const std::string& name) {
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (names[i] == name) {
        return static_cast<int>(i);
      }
    }
    return -1;
  };
  const int quant = position("primQuantInvInter_Compact_H263_16s_I");
  const int idct = position("primDCT8x8Inv_16s_C1I");
  const int yuv = position("primYUV420ToBGR_8u_P3C3R");
  ASSERT_GE(quant, 0);
  EXPECT_GT(idct, quant);
  EXPECT_GT(yuv, idct);
  EXPECT_STREQ(primQuantInvInter_Compact_H263_16s_I_record.domain, "vc");
  EXPECT_STREQ(primDCT8x8Inv_16s_C1I_record.domain, "i");
  EXPECT_STREQ(primYUV420ToBGR_8u_P3C3R_record.domain, "i");
  EXPECT_EQ(primDCT8x8Inv_16s_C1I_record.table, &primDCT8x8Inv_16s_C1I_table);
}

TEST(DispatchRegistration, VariantTablesHoldTheFormsInSlotOrder) {
  const auto& idct = primDCT8x8Inv_16s_C1I_table;
  EXPECT_EQ(idct[0], nullptr);
  EXPECT_EQ(idct[1], primDCT8x8Inv_16s_C1I_generic);
  EXPECT_EQ(idct[2], primDCT8x8Inv_16s_C1I_sse);
  EXPECT_EQ(idct[3], primDCT8x8Inv_16s_C1I_sse2);
  EXPECT_EQ(idct[4], primDCT8x8Inv_16s_C1I_sse3);
  EXPECT_EQ(idct[5], nullptr);
  const auto& quant = primQuantInvInter_Compact_H263_16s_I_table;
  EXPECT_EQ(quant[0], nullptr);
  EXPECT_EQ(quant[1], primQuantInvInter_Compact_H263_16s_I_generic);
  EXPECT_EQ(quant[2], primQuantInvInter_Compact_H263_16s_I_sse);
  EXPECT_EQ(quant[3], primQuantInvInter_Compact_H263_16s_I_sse2);
  EXPECT_EQ(quant[4], primQuantInvInter_Compact_H263_16s_I_sse3);
  EXPECT_EQ(quant[5], nullptr);
  const auto& yuv = primYUV420ToBGR_8u_P3C3R_table;
  EXPECT_EQ(yuv[0], nullptr);
  EXPECT_EQ(yuv[1], primYUV420ToBGR_8u_P3C3R_generic);
  EXPECT_EQ(yuv[2], primYUV420ToBGR_8u_P3C3R_sse);
  EXPECT_EQ(yuv[3], primYUV420ToBGR_8u_P3C3R_sse2);
  EXPECT_EQ(yuv[4], primYUV420ToBGR_8u_P3C3R_sse3);
  EXPECT_EQ(yuv[5], nullptr);
}

TEST(DispatchRegistration, RegisterReturnsPreviousHead) {
  PrimDispatchRecord extra{"i", "extra", nullptr, nullptr};
  PrimDispatchRecord* const before = PrimDispatchListHead();
  extra.next = PrimRegisterDispatchRecord(&extra);
  EXPECT_EQ(extra.next, before);
  EXPECT_EQ(PrimDispatchListHead(), &extra);
  // Put the list back as it was (the record goes out of scope).
  PrimRegisterDispatchRecord(before);
}

TEST(DispatchConcurrency, IndexChangesWhileOtherThreadsCallPrimitives) {
  const std::int32_t saved = PrimCpuIndex.load();
  std::atomic<bool> stop{false};
  std::atomic<int> wrong{0};
  std::vector<std::thread> workers;
  for (int t = 0; t < 3; ++t) {
    workers.emplace_back([&] {
      alignas(16) std::int16_t data[64];
      while (!stop.load()) {
        for (int i = 0; i < 64; ++i) {
          data[i] = static_cast<std::int16_t>(i - 32);
        }
        if (primQuantInvInter_Compact_H263_16s_I(data, 64, 3) != StsNoError) {
          ++wrong;
        }
        for (int i = 0; i < 64; ++i) {
          const int c = i - 32;
          const int expected = c == 0 ? 0 : (c > 0 ? 6 * c + 3 : 6 * c - 3);
          if (data[i] != expected) {
            ++wrong;
          }
        }
      }
    });
  }
  const std::int32_t classes[] = {PrimCpuUnknown, PrimCpuFamily6Sse, PrimCpuFamily6Sse2,
                                  PrimCpuFamily15Sse3};
  for (int round = 0; round < 20000; ++round) {
    primStaticInitCpu(classes[round % 4]);
  }
  stop.store(true);
  for (auto& w : workers) {
    w.join();
  }
  EXPECT_EQ(wrong.load(), 0);
  PrimCpuIndex.store(saved);
}

// Detection reads this machine's processor for the length of a test, whatever processor the
// test program installed (a run per processor class installs one of its class).
class DispatchHardware : public ::testing::Test {
 protected:
  void SetUp() override { m_savedSource = PrimSetCpuSource(nullptr); }
  void TearDown() override { PrimSetCpuSource(m_savedSource); }

 private:
  const PrimCpuSource* m_savedSource = nullptr;
};

TEST_F(DispatchHardware, DetectionOnThisMachineGivesAValidIndex) {
  const std::int32_t saved = PrimCpuIndex.load();
  const PrimStatus status = primStaticInit();
  EXPECT_TRUE(status == StsNoError || status == StsNotKnownCpu);
  EXPECT_GE(PrimCpuIndex.load(), 1);
  EXPECT_LE(PrimCpuIndex.load(), 4);
  EXPECT_EQ(PrimHasCpuid(), 1);  // every x86-64 processor has CPUID
  PrimCpuIndex.store(saved);
}

// Detection of this machine's processor runs once; every call still gives the index and the
// status of the rule, also after another source was in use.
TEST_F(DispatchHardware, RepeatedDetectionFollowsTheRuleOnEveryCall) {
  const std::int32_t saved = PrimCpuIndex.load();
  const bool known = PrimHasCpuid() != 0 && PrimIsKnownVendor() != 0;
  const std::int32_t index = known ? PrimIndexFromCpuType(PrimGetCpuType()) : PrimIndexGeneric;
  const PrimStatus status = known ? StsNoError : StsNotKnownCpu;
  for (int call = 0; call < 3; ++call) {
    PrimCpuIndex.store(-5);
    EXPECT_EQ(primStaticInit(), status) << "call " << call;
    EXPECT_EQ(PrimCpuIndex.load(), index) << "call " << call;
  }
  FakeCpu other;  // a processor with the opposite vendor outcome to this machine's
  other.edx = kSse | kSse2;
  other.knownVendor = !known;
  const PrimCpuSource* previous = PrimSetCpuSource(&other);
  EXPECT_EQ(primStaticInit(), known ? StsNotKnownCpu : StsNoError);
  PrimSetCpuSource(previous);
  PrimCpuIndex.store(-5);
  EXPECT_EQ(primStaticInit(), status);
  EXPECT_EQ(PrimCpuIndex.load(), index);
  PrimCpuIndex.store(saved);
}

}  // namespace
