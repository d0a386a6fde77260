#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>

#include "codec/mp4dec/block_idct.h"
#include "codec/mp4dec/dequant.h"
#include "prim/prim_dispatch.h"
#include "prim/prim_idct.h"

namespace {

using Block = std::array<std::int16_t, 64>;

// Processor classes selecting each primitive form: generic, SSE, SSE2, SSE3.
constexpr std::array<std::int32_t, 4> kFormClasses{PrimCpuUnknown, PrimCpuFamily6Sse,
                                                   PrimCpuFamily6Sse2, PrimCpuFamily15Sse3Ext64};

class FormScope {
 public:
  explicit FormScope(std::int32_t cpuClass) : m_saved(PrimCpuIndex.load()) {
    EXPECT_EQ(primStaticInitCpu(cpuClass), StsNoError);
  }
  ~FormScope() { PrimCpuIndex.store(m_saved); }
  FormScope(const FormScope&) = delete;
  FormScope& operator=(const FormScope&) = delete;

 private:
  std::int32_t m_saved;
};

Block Primitive(Block b) {
  EXPECT_EQ(primDCT8x8Inv_16s_C1I(b.data()), StsNoError);
  return b;
}

// The decoder's shortcuts give the samples of the selected primitive form, bit for bit: every
// DC value alone (told or found), and blocks with AC coefficients.
TEST(BlockIdct, ShortcutsGiveThePrimitiveFormsSamples) {
  for (const std::int32_t cpuClass : kFormClasses) {
    SCOPED_TRACE(cpuClass);
    const FormScope scope(cpuClass);
    for (int dc = -32768; dc <= 32767; ++dc) {
      Block in{};
      in[0] = static_cast<std::int16_t>(dc);
      const Block expected = Primitive(in);
      Block known = in;
      Mp4DecInverseDctKnown(known.data(), true);
      ASSERT_EQ(known, expected) << "dc " << dc;
      Block found = in;
      Mp4DecInverseDct(found.data());
      ASSERT_EQ(found, expected) << "dc " << dc;
    }
    std::mt19937 rng(17);
    std::uniform_int_distribution<int> value(-2048, 2047);
    std::uniform_int_distribution<int> pick(1, 63);
    for (int trial = 0; trial < 2000; ++trial) {
      Block in{};
      in[0] = static_cast<std::int16_t>(value(rng));
      in[static_cast<std::size_t>(pick(rng))] = static_cast<std::int16_t>(value(rng) | 1);
      Block found = in;
      Mp4DecInverseDct(found.data());
      ASSERT_EQ(found, Primitive(in)) << "trial " << trial;
    }
  }
}

// The H.263 intra reconstruction with its DC-only shortcut gives the samples of the plain path
// (dequantisation, then the inverse DCT) under every form and quantiser: DC alone, sparse and
// dense blocks, and extreme values whose products wrap.
TEST(BlockIdct, IntraReconstructionMatchesDequantisationThenTransform) {
  std::mt19937 rng(23);
  std::uniform_int_distribution<int> small(-64, 64);
  std::uniform_int_distribution<int> any(-32768, 32767);
  std::uniform_int_distribution<int> pick(0, 63);
  for (const std::int32_t cpuClass : kFormClasses) {
    SCOPED_TRACE(cpuClass);
    const FormScope scope(cpuClass);
    for (std::int32_t qp = 1; qp <= 31; ++qp) {
      for (int trial = 0; trial < 300; ++trial) {
        Block in{};
        const int kind = trial % 4;
        in[0] = static_cast<std::int16_t>(kind == 3 ? any(rng) : 8 * small(rng));
        if (kind == 1) {
          in[static_cast<std::size_t>(1 + pick(rng) % 63)] = static_cast<std::int16_t>(small(rng));
        } else if (kind >= 2) {
          for (auto& c : in) {
            c = static_cast<std::int16_t>(kind == 3 ? any(rng) : small(rng));
          }
        }
        Block plain = in;
        Mp4DecDequantH263IntraFast(plain.data(), qp);
        Mp4DecInverseDct(plain.data());
        Block fast = in;
        Mp4DecReconstructIntraH263(fast.data(), qp);
        ASSERT_EQ(fast, plain) << "qp " << qp << " trial " << trial;
      }
    }
  }
}

}  // namespace
