// The block routines that stand beside the ones the macroblock layer calls: the writer through
// the clamp table, and the combined intra/inter block decoder.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "block_to_frame.h"
#include "codec/mp4dec/inter.h"
#include "codec/mp4dec/macroblock.h"
#include "combined_block.h"
#include "mp4dec_harness.h"
#include "prim/prim_idct.h"

namespace {

using Block = std::array<std::int16_t, 64>;

// The writer gives the pixels of the macroblock layer's writers (frame layout): every block of
// a macroblock, put and add, on random pictures and coefficients of the whole 16-bit range.
TEST(BlockToFrame, EqualsTheLayersWritersForEveryBlock) {
  DecoderHarness h(32, 32, kMp4DecModePlanar, 0);
  ASSERT_EQ(h.initResult, kMp4DecOk);
  std::mt19937 rng(3);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> coefficient(-32768, 32767);
  std::uniform_int_distribution<int> near(-300, 600);
  for (int b = 0; b < 6; ++b) {
    for (const bool add : {false, true}) {
      SCOPED_TRACE(::testing::Message() << "block " << b << (add ? " add" : " put"));
      for (auto* frame : {&h.frame0, &h.frame1}) {
        for (auto& p : *frame) {
          p = static_cast<std::uint8_t>(byte(rng));
        }
      }
      Block& block = ReaderOf(h.inst).block;
      for (std::size_t i = 0; i < block.size(); ++i) {
        block[i] = static_cast<std::int16_t>(i % 3 == 0 ? coefficient(rng) : near(rng));
      }
      const auto frame0 = h.frame0;
      const auto frame1 = h.frame1;
      h.Ctx().mb.dct_type = 0;
      if (add) {
        Mp4DecAddInterBlock(h.inst, b, 1, 1);
      } else {
        Mp4DecStoreIntraBlock(h.inst, b, 1, 1);
      }
      const auto want0 = h.frame0;
      const auto want1 = h.frame1;
      h.frame0 = frame0;
      h.frame1 = frame1;
      Mp4DecBlockToFrame(h.inst, b, 1, 1, add);
      EXPECT_EQ(h.frame0, want0);
      EXPECT_EQ(h.frame1, want1);
    }
  }
}

struct CombinedCase {
  std::string name;
  int quantType;
  int qp;
  bool coded;
  std::function<void(BitWriter&)> bits;
  // Raster index and value of the dequantised coefficients before the inverse DCT; empty: the
  // inter block decoder's block.
  std::vector<std::pair<int, int>> expected;
};

class CombinedInterTest : public ::testing::TestWithParam<CombinedCase> {};

TEST_P(CombinedInterTest, GivesItsBlock) {
  const CombinedCase& c = GetParam();
  BitWriter w;
  c.bits(w);
  w.Put(0, 32);
  auto decode = [&](bool combined, Block& block, std::uint64_t& consumed) {
    DecoderHarness h(16, 16, kMp4DecModePlanar, 0);
    ASSERT_EQ(h.initResult, kMp4DecOk);
    h.Ctx().vol.quant_type = c.quantType;
    h.Ctx().vop.quantiser = c.qp;
    h.Ctx().mb.mb_type = kMbInter;
    ReaderOf(h.inst).Init(w.Data());
    ASSERT_TRUE(combined ? Mp4DecDecodeBlock(h.inst, 0, c.coded)
                         : Mp4DecDecodeInterBlock(h.inst, 0));
    block = ReaderOf(h.inst).block;
    consumed = ReaderOf(h.inst).BitPosition();
  };
  Block got{};
  std::uint64_t used = 0;
  decode(true, got, used);
  Block want{};
  if (c.expected.empty()) {
    std::uint64_t interUsed = 0;
    decode(false, want, interUsed);
    EXPECT_EQ(used, interUsed);
  } else {
    for (auto [index, value] : c.expected) {
      want[static_cast<std::size_t>(index)] = static_cast<std::int16_t>(value);
    }
    primDCT8x8Inv_16s_C1I(want.data());
  }
  EXPECT_EQ(got, want);
}

// An event of the fixed-length escape: last, run, a 12-bit level.
void FixedLength(BitWriter& w, int last, int run, int level) {
  w.Code("0000011").Code("11").Put(static_cast<std::uint32_t>(last), 1);
  w.Put(static_cast<std::uint32_t>(run), 6).Put(1, 1);
  w.Put(static_cast<std::uint32_t>(level) & 0xFFF, 12).Put(1, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CombinedInterTest,
    ::testing::Values(
        // Within the primitive's range the H.263 type gives the inter block decoder's block.
        CombinedCase{
            "H263SmallLevel", 0, 5, true, [](BitWriter& w) { w.Code("0111").Put(0, 1); }, {}},
        CombinedCase{"H263TwoEvents",
                     0,
                     4,
                     true,
                     [](BitWriter& w) {
                       FixedLength(w, 0, 2, -7);
                       FixedLength(w, 1, 5, 30);
                     },
                     {}},
        // Beyond it the primitive limits: 2 x 31 x 2000 + 31 becomes 2047, -2000 gives -2048.
        CombinedCase{"H263LevelsAreLimited",
                     0,
                     31,
                     true,
                     [](BitWriter& w) {
                       FixedLength(w, 0, 0, 2000);
                       FixedLength(w, 1, 0, -2000);
                     },
                     {{0, 2047}, {1, -2048}}},
        CombinedCase{"MpegWithMismatchControl",
                     1,
                     2,
                     true,
                     [](BitWriter& w) { w.Code("0111").Put(0, 1); },
                     {}},
        CombinedCase{"NotCodedIsZero",
                     0,
                     9,
                     false,
                     [](BitWriter& w) { w.Code("0111").Put(0, 1); },
                     {{0, 0}}}),
    [](const auto& info) { return info.param.name; });

// An intra macroblock takes the intra block decoder's steps: the same block, predictor and bits.
TEST(CombinedBlock, IntraMacroblockTakesTheIntraSteps) {
  for (const bool coded : {false, true}) {
    SCOPED_TRACE(coded ? "coded" : "not coded");
    BitWriter w;
    w.Code("011");                        // luma DC size 0
    w.Code("0111").Put(1, 1).Put(0, 32);  // last 1, run 0, level -1
    std::array<Block, 2> blocks{};
    std::array<std::int32_t, 2> predictors{};
    std::array<std::uint64_t, 2> used{};
    for (int combined = 0; combined < 2; ++combined) {
      DecoderHarness h(16, 16, kMp4DecModePlanar, 0);
      ASSERT_EQ(h.initResult, kMp4DecOk);
      h.Ctx().vop.vop_coding_type = kVopI;
      h.Ctx().vop.quantiser = 8;
      h.Ctx().mb.mb_type = kMbIntra;
      ReaderOf(h.inst).Init(w.Data());
      ASSERT_TRUE(combined != 0 ? Mp4DecDecodeBlock(h.inst, 0, coded)
                                : Mp4DecDecodeIntraBlock(h.inst, 0, coded));
      blocks[static_cast<std::size_t>(combined)] = ReaderOf(h.inst).block;
      predictors[static_cast<std::size_t>(combined)] = h.Ctx().lumaDc[1][1];
      used[static_cast<std::size_t>(combined)] = ReaderOf(h.inst).BitPosition();
    }
    EXPECT_EQ(blocks[1], blocks[0]);
    EXPECT_EQ(predictors[1], predictors[0]);
    EXPECT_EQ(used[1], used[0]);
  }
}

TEST(CombinedBlock, InvalidCodeIsReported) {
  DecoderHarness h(16, 16, kMp4DecModePlanar, 0);
  ASSERT_EQ(h.initResult, kMp4DecOk);
  h.Ctx().vop.quantiser = 4;
  h.Ctx().mb.mb_type = kMbInterQ;
  BitWriter invalid;
  invalid.Put(0, 32);
  ReaderOf(h.inst).Init(invalid.Data());
  EXPECT_FALSE(Mp4DecDecodeBlock(h.inst, 0, true));
}

}  // namespace
