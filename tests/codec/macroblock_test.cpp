// Crafted intra VOPs through the whole decode path: the coefficient bound, MCBPC stuffing,
// invalid codes, resync markers and the early end of a VOP, each refusal with where it was
// found.
#include <gtest/gtest.h>

#include <array>
#include <functional>

#include "codec/mp4dec/block_idct.h"
#include "mp4dec_harness.h"
#include "prim/prim_dispatch.h"
#include "prim/prim_idct.h"

namespace {

// A VOP header for a layer-less stream whose resolution the test sets to 16 (4-bit increment).
void WriteIntraVopHeader(BitWriter& w, int quant = 8) {
  w.Bytes({0x00, 0x00, 0x01, 0xB6});
  w.Put(0, 2).Put(0, 1).Put(1, 1).Put(5, 4).Put(1, 1).Put(1, 1);  // I, time, coded
  w.Put(0, 3).Put(static_cast<std::uint32_t>(quant), 5);          // intra_dc_vlc_thr, quant
}

// One intra macroblock: luma blocks coded with a single (last, run 0, level 1) event, chroma
// not coded, every DC size 0.
void WriteSimpleMacroblock(BitWriter& w) {
  w.Code("1").Put(0, 1).Code("11");  // MCBPC type 3 cbpc 0, ac_pred 0, CBPY 15
  for (int b = 0; b < 4; ++b) {
    w.Code("011").Code("0111").Put(0, 1);  // DC size 0; last 1, run 0, level +1
  }
  w.Code("11").Code("11");  // chroma DC size 0, not coded
}

// The VOP header above is 50 bits long.
constexpr std::uint64_t kHeaderBits = 50;

// Where a refused VOP was found damaged (macroblock row 0).
struct Where {
  Mp4DecLayer layer = Mp4DecLayer::kNone;
  Mp4DecFault fault = Mp4DecFault::kNone;
  int mbX = -1;
  int block = -1;
  std::uint64_t bit = 0;
};

struct Crafted {
  const char* name;
  int width;
  std::function<void(BitWriter&)> body;  // after the VOP header
  std::function<void(Mp4DecContext&)> setup;
  std::int32_t result;
  Where where;
};

void PrintTo(const Crafted& c, std::ostream* os) {
  *os << c.name;
}

class CraftedVopTest : public ::testing::TestWithParam<Crafted> {};

TEST_P(CraftedVopTest, DecodesOrRefuses) {
  const Crafted& c = GetParam();
  DecoderHarness h(c.width, 16, kMp4DecModePlanar, 0);
  ASSERT_EQ(h.initResult, kMp4DecOk);
  h.Ctx().vol.vop_time_increment_resolution = 16;
  if (c.setup) {
    c.setup(h.Ctx());
  }
  BitWriter w;
  WriteIntraVopHeader(w);
  c.body(w);
  w.Stuff();
  EXPECT_EQ(h.Decode(w.Data()), c.result);
  const Mp4DecDamage d = Mp4DecLastDamage(h.inst);
  EXPECT_EQ(d.layer, c.where.layer) << Mp4DecLayerName(d.layer);
  EXPECT_EQ(d.fault, c.where.fault) << Mp4DecFaultName(d.fault);
  if (c.where.layer != Mp4DecLayer::kNone) {
    EXPECT_EQ(d.mbX, c.where.mbX);
    EXPECT_EQ(d.mbY, 0);
    EXPECT_EQ(d.block, c.where.block);
    EXPECT_EQ(d.bitPosition, c.where.bit);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, CraftedVopTest,
    ::testing::Values(
        Crafted{"OneMacroblock",
                16,
                [](BitWriter& w) { WriteSimpleMacroblock(w); },
                nullptr,
                kMp4DecOk,
                {}},
        Crafted{"TwoMacroblocks",
                32,
                [](BitWriter& w) {
                  WriteSimpleMacroblock(w);
                  WriteSimpleMacroblock(w);
                },
                nullptr,
                kMp4DecOk,
                {}},
        Crafted{"RunPastTheBlockIsRefused",
                16,
                [](BitWriter& w) {
                  w.Code("1").Put(0, 1).Code("00010");  // CBPY 8: block 0 coded
                  w.Code("011");
                  // Escape mode 3: last 0, run 63 from position 1 -> position 64.
                  w.Code("0000011").Code("11").Put(0, 1).Put(63, 6).Put(1, 1).Put(5, 12).Put(1, 1);
                  w.Code("0111").Put(0, 1);
                  for (int b = 1; b < 4; ++b) {
                    w.Code("011");
                  }
                  w.Code("11").Code("11");
                },
                nullptr,
                kMp4DecRefused,
                {Mp4DecLayer::kBlock, Mp4DecFault::kRunPastBlock, 0, 0, kHeaderBits + 7 + 3 + 30}},
        Crafted{"RunEndingAtPositionSixtyThree",
                16,
                [](BitWriter& w) {
                  w.Code("1").Put(0, 1).Code("00010");
                  w.Code("011");
                  // last 1, run 62 from position 1 -> position 63, the block's last.
                  w.Code("0000011").Code("11").Put(1, 1).Put(62, 6).Put(1, 1).Put(5, 12).Put(1, 1);
                  for (int b = 1; b < 4; ++b) {
                    w.Code("011");
                  }
                  w.Code("11").Code("11");
                },
                nullptr,
                kMp4DecOk,
                {}},
        Crafted{"McbpcStuffingIsNotAMacroblock",
                32,
                [](BitWriter& w) {
                  w.Code("000000001");
                  WriteSimpleMacroblock(w);
                  w.Code("000000001").Code("000000001");
                  WriteSimpleMacroblock(w);
                },
                nullptr,
                kMp4DecOk,
                {}},
        Crafted{"InvalidMcbpcIsRefused",
                16,
                [](BitWriter& w) { w.Code("000000010"); },
                nullptr,
                kMp4DecRefused,
                {Mp4DecLayer::kMacroblock, Mp4DecFault::kInvalidCode, 0, -1, kHeaderBits}},
        Crafted{"StuffingThenInvalidCodeIsRefused",
                16,
                [](BitWriter& w) { w.Code("000000001").Code("000000000"); },
                nullptr,
                kMp4DecRefused,
                {Mp4DecLayer::kMacroblock, Mp4DecFault::kInvalidCode, 0, -1, kHeaderBits + 9}},
        Crafted{"InvalidCbpyIsRefused",
                16,
                [](BitWriter& w) { w.Code("1").Put(0, 1).Code("000001"); },
                nullptr,
                kMp4DecRefused,
                {Mp4DecLayer::kMacroblock, Mp4DecFault::kInvalidCode, 0, -1, kHeaderBits + 2}},
        Crafted{"InvalidDcSizeIsRefused",
                16,
                [](BitWriter& w) { w.Code("1").Put(0, 1).Code("11").Code("00000000000"); },
                nullptr,
                kMp4DecRefused,
                {Mp4DecLayer::kBlock, Mp4DecFault::kInvalidCode, 0, 0, kHeaderBits + 4}},
        Crafted{"VopEndingBeforeItsLastMacroblockIsRefused",
                32,
                [](BitWriter& w) { WriteSimpleMacroblock(w); },
                nullptr,
                kMp4DecRefused,
                {Mp4DecLayer::kMacroblock, Mp4DecFault::kStartCode, 1, -1, kHeaderBits + 40}},
        Crafted{"ResyncMarkerIsRefused",
                32,
                [](BitWriter& w) {
                  WriteSimpleMacroblock(w);
                  w.Stuff().Put(1, 17).Put(0, 7);  // resync marker, then a packet header
                  WriteSimpleMacroblock(w);
                },
                [](Mp4DecContext& ctx) { ctx.vol.resync_marker_disable = 0; },
                kMp4DecRefused,
                {Mp4DecLayer::kMacroblock, Mp4DecFault::kVideoPacket, 1, -1, kHeaderBits + 40}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CraftedVop, IntraDcVlcThresholdIsRefused) {
  DecoderHarness h(16, 16, kMp4DecModePlanar, 0);
  h.Ctx().vol.vop_time_increment_resolution = 16;
  BitWriter w;
  w.Bytes({0x00, 0x00, 0x01, 0xB6});
  w.Put(0, 2).Put(0, 1).Put(1, 1).Put(5, 4).Put(1, 1).Put(1, 1);
  w.Put(7, 3).Put(8, 5);  // intra_dc_vlc_thr 7: every DC among the AC coefficients
  WriteSimpleMacroblock(w);
  w.Stuff();
  EXPECT_EQ(h.Decode(w.Data()), kMp4DecRefused);
  EXPECT_EQ(Mp4DecLastDamage(h.inst).layer, Mp4DecLayer::kVop);
  EXPECT_EQ(Mp4DecLastDamage(h.inst).fault, Mp4DecFault::kUnsupported);
}

TEST(CraftedVop, DquantKeepsTheQuantiserInRange) {
  for (const auto& [start, code, expected] :
       {std::tuple{2, 0, 1}, std::tuple{1, 1, 1}, std::tuple{30, 3, 31}, std::tuple{31, 2, 31},
        std::tuple{10, 1, 8}}) {
    DecoderHarness h(16, 16, kMp4DecModePlanar, 0);
    h.Ctx().vol.vop_time_increment_resolution = 16;
    BitWriter w;
    WriteIntraVopHeader(w, start);
    w.Code("0001").Put(0, 1).Code("11").Put(static_cast<std::uint32_t>(code), 2);  // type 4
    for (int b = 0; b < 4; ++b) {
      w.Code("011").Code("0111").Put(0, 1);
    }
    w.Code("11").Code("11").Stuff();
    ASSERT_EQ(h.Decode(w.Data()), kMp4DecOk) << start << " " << code;
    EXPECT_EQ(h.Ctx().vop.quantiser, expected) << start << " " << code;
    EXPECT_EQ(h.Ctx().quantMap[1][1], expected);
  }
}

using Samples = std::array<std::int16_t, 64>;

// What the selected inverse DCT form gives a block whose only coefficient is its DC: one flat
// value under the generic form, one value per row under the table-driven forms (SSE, SSE2,
// SSE3), whose rounding is their own.
Samples DcOnlySamples(std::int16_t dc) {
  Samples s{};
  if (PrimCpuIndex.load() == PrimIndexGeneric) {
    s.fill(Mp4DecGenericDcOnlyValue(dc));
  } else {
    DCT8x8InvDcOnly_Table(dc, s.data());
  }
  return s;
}

// The two rules on the chroma block below, 1020 / 8 = 127.5 a sample: the generic form rounds
// it up everywhere; the table-driven forms round rows 3 and 4 down. One step, in those rows only,
// is all the forms may differ by there.
TEST(CraftedVop, HalfwayDcRoundsByTheRuleOfEachForm) {
  EXPECT_EQ(Mp4DecGenericDcOnlyValue(1020), 128);
  Samples table{};
  DCT8x8InvDcOnly_Table(1020, table.data());
  for (int row = 0; row < 8; ++row) {
    for (int column = 0; column < 8; ++column) {
      EXPECT_EQ(table[static_cast<std::size_t>(row * 8 + column)], row == 3 || row == 4 ? 127 : 128)
          << "row " << row << " column " << column;
    }
  }
}

TEST(CraftedVop, FlatMacroblockDecodesToItsDcValue) {
  // DC differential 0 predicted from 1024. Luma, dc_scaler 16 (QP 8): 1024 / 8 = 128 a sample.
  // Chroma, dc_scaler 10: 1024 / 10 = 102, back to 1020, 127.5 a sample, which the selected
  // inverse DCT form rounds by its own rule.
  DecoderHarness h(16, 16, kMp4DecModePlanar, 0);
  h.Ctx().vol.vop_time_increment_resolution = 16;
  BitWriter w;
  WriteIntraVopHeader(w, 8);
  w.Code("1").Put(0, 1).Code("0011");  // CBPY 0
  for (int b = 0; b < 4; ++b) {
    w.Code("011");
  }
  w.Code("11").Code("11").Stuff();
  ASSERT_EQ(h.Decode(w.Data()), kMp4DecOk);
  const Samples luma = DcOnlySamples(1024);
  const Samples chroma = DcOnlySamples(1020);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const std::size_t i = static_cast<std::size_t>(y * 16 + x);
      EXPECT_EQ(h.output[i], luma[static_cast<std::size_t>(y % 8 * 8 + x % 8)]) << "Y " << i;
      EXPECT_EQ(h.output[i], 128) << "Y " << i;
    }
  }
  for (std::size_t plane = 0; plane < 2; ++plane) {
    for (std::size_t k = 0; k < 64; ++k) {
      const std::size_t i = 256 + plane * 64 + k;
      EXPECT_EQ(h.output[i], chroma[k]) << (plane == 0 ? "U " : "V ") << i;
    }
  }
}

}  // namespace
