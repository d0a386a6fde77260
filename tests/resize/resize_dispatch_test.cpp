// The public entry runs the variant the processor index names, and refuses the call when the
// index names no implementation.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "prim/prim_dispatch.h"
#include "resize/resize_test_util.h"

namespace {

using namespace resize_test;

class ResizeDispatch : public ::testing::Test {
 protected:
  void SetUp() override { saved_ = PrimCpuIndex.load(); }
  void TearDown() override { PrimCpuIndex.store(saved_); }

 private:
  std::int32_t saved_ = 1;
};

// Nearest, linear and supersampling give the generic bytes on every class; cubic and six-tap,
// whose arithmetic belongs to each kernel set, within 1.
TEST_F(ResizeDispatch, EveryProcessorClassReachesAVariantWithTheGenericBytes) {
  std::uint32_t seed = 1;
  for (const Request& r : VariantRequests()) {
    const Image src = NoiseImage(r.w, r.h, seed++);
    for (std::int32_t kind : {1, 2, 4, 8, 16}) {
      const int bound = kind == 4 || kind == 16 ? 1 : 0;
      Image expected(60, 50, 3, 0x33);
      const PrimStatus status =
          Resize(primResize_8u_C3R_generic, src, r.roi, expected, r.xf, r.yf, kind);
      // Every class: generic, then the SSE, SSE2 and SSE3 classes.
      for (std::int32_t cpuClass :
           {PrimCpuFamily5, PrimCpuFamily6Sse, PrimCpuFamily7, PrimCpuFamily15NoSse2,
            PrimCpuFamily15Sse2, PrimCpuFamily15Sse2Ht, PrimCpuFamily6Sse2, PrimCpuFamily15Sse3,
            PrimCpuFamily15Sse3Ext64}) {
        ASSERT_EQ(primStaticInitCpu(cpuClass), StsNoError);
        Image dst(60, 50, 3, 0x33);
        const std::string what =
            "class " + std::to_string(cpuClass) + " " + Describe(r.w, r.h, r.xf, r.yf, kind);
        ASSERT_EQ(Resize(primResize_8u_C3R, src, r.roi, dst, r.xf, r.yf, kind), status) << what;
        EXPECT_LE(MaxDifference(dst, expected), bound) << what;
      }
    }
  }
}

TEST_F(ResizeDispatch, EmptySlotRefusesTheCallAndWritesNothing) {
  ASSERT_EQ(primStaticInitCpu(PrimCpuEmptySlot), StsNoError);
  const Image src = NoiseImage(8, 8, 2);
  Image dst(16, 16, 0, 0x44);
  const Image before = dst;
  EXPECT_EQ(Resize(primResize_8u_C3R, src, src.whole(), dst, 2.0, 2.0, 1), StsNoImplementation);
  EXPECT_EQ(dst.bytes, before.bytes);
}

TEST_F(ResizeDispatch, RecordNamesThePrimitiveAndItsTable) {
  EXPECT_STREQ(primResize_8u_C3R_record.domain, "i");
  EXPECT_STREQ(primResize_8u_C3R_record.name, "primResize_8u_C3R");
  EXPECT_EQ(primResize_8u_C3R_record.table, &primResize_8u_C3R_table);
  EXPECT_EQ(primResize_8u_C3R_table[0], nullptr);
  EXPECT_EQ(primResize_8u_C3R_table[1], primResize_8u_C3R_generic);
  EXPECT_EQ(primResize_8u_C3R_table[2], primResize_8u_C3R_sse);
  EXPECT_EQ(primResize_8u_C3R_table[3], primResize_8u_C3R_sse2);
  EXPECT_EQ(primResize_8u_C3R_table[4], primResize_8u_C3R_sse3);
  EXPECT_EQ(primResize_8u_C3R_table[5], nullptr);
  bool registered = false;
  for (const PrimDispatchRecord* r = PrimDispatchListHead(); r != nullptr; r = r->next) {
    registered = registered || r == &primResize_8u_C3R_record;
  }
  EXPECT_TRUE(registered);
}

}  // namespace
