#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>

#include "codec/mp4dec/block_idct.h"
#include "prim/prim_dispatch.h"
#include "prim/prim_idct.h"

namespace {

using Block = std::array<std::int16_t, 64>;

// Processor classes selecting each primitive form: generic, SSE, SSE2, SSE3.
constexpr std::array<std::int32_t, 4> kFormClasses{0, 5, 9, 32};

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

}  // namespace
