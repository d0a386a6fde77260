// Header parsing, driven by a table of crafted VOL, GOV and VOP headers.
#include "codec/mp4dec/headers.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "codec/mp4dec/code_lists.h"
#include "mp4dec_harness.h"

namespace {

// The fields of a crafted VOL; defaults describe a plain 176x144 simple-profile layer.
struct VolSpec {
  int verid = 1;  // 1: is_object_layer_identifier 0
  int aspect = 1;
  int parWidth = 12;
  int parHeight = 11;
  bool vbv = false;
  int shape = 0;
  int resolution = 25;
  bool fixedRate = false;
  int fixedIncrement = 1;
  int width = 176;
  int height = 144;
  int interlaced = 0;
  int spriteEnable = 0;
  int not8Bit = 0;
  int quantType = 0;
  std::vector<int> intraMatrix;  // loaded when not empty (values as written, 0 ends)
  int quarterSample = 0;
  int complexityDisable = 1;
  int resyncDisable = 1;
  int dataPartitioned = 0;
  int newpred = 0;
  int reducedResolution = 0;
  int scalability = 0;
  bool userDataAfter = false;
};

void WriteVol(BitWriter& w, const VolSpec& s) {
  w.Bytes({0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x20});
  w.Put(0, 1).Put(1, 8);  // random_accessible_vol, type indication (simple)
  if (s.verid == 1) {
    w.Put(0, 1);
  } else {
    w.Put(1, 1).Put(static_cast<std::uint32_t>(s.verid), 4).Put(1, 3);
  }
  w.Put(static_cast<std::uint32_t>(s.aspect), 4);
  if (s.aspect == 15) {
    w.Put(static_cast<std::uint32_t>(s.parWidth), 8)
        .Put(static_cast<std::uint32_t>(s.parHeight), 8);
  }
  if (s.vbv) {
    w.Put(1, 1).Put(1, 2).Put(1, 1).Put(1, 1);
    w.Put(100, 15).Put(1, 1).Put(0, 15).Put(1, 1).Put(200, 15).Put(1, 1).Put(0, 3);
    w.Put(50, 11).Put(1, 1).Put(0, 15).Put(1, 1);
  } else {
    w.Put(0, 1);
  }
  w.Put(static_cast<std::uint32_t>(s.shape), 2).Put(1, 1);
  w.Put(static_cast<std::uint32_t>(s.resolution), 16).Put(1, 1);
  w.Put(s.fixedRate ? 1 : 0, 1);
  if (s.fixedRate) {
    w.Put(static_cast<std::uint32_t>(s.fixedIncrement), Mp4DecTimeIncrementBits(s.resolution));
  }
  w.Put(1, 1).Put(static_cast<std::uint32_t>(s.width), 13).Put(1, 1);
  w.Put(static_cast<std::uint32_t>(s.height), 13).Put(1, 1);
  w.Put(static_cast<std::uint32_t>(s.interlaced), 1).Put(1, 1);
  w.Put(static_cast<std::uint32_t>(s.spriteEnable), s.verid == 1 ? 1 : 2);
  w.Put(static_cast<std::uint32_t>(s.not8Bit), 1);
  if (s.not8Bit != 0) {
    w.Put(5, 4).Put(8, 4);
  }
  w.Put(static_cast<std::uint32_t>(s.quantType), 1);
  if (s.quantType != 0) {
    w.Put(s.intraMatrix.empty() ? 0 : 1, 1);
    for (int v : s.intraMatrix) {
      w.Put(static_cast<std::uint32_t>(v), 8);
    }
    w.Put(0, 1);
  }
  if (s.verid != 1) {
    w.Put(static_cast<std::uint32_t>(s.quarterSample), 1);
  }
  w.Put(static_cast<std::uint32_t>(s.complexityDisable), 1);
  w.Put(static_cast<std::uint32_t>(s.resyncDisable), 1);
  w.Put(static_cast<std::uint32_t>(s.dataPartitioned), 1);
  if (s.dataPartitioned != 0) {
    w.Put(0, 1);
  }
  if (s.verid != 1) {
    w.Put(static_cast<std::uint32_t>(s.newpred), 1);
    w.Put(static_cast<std::uint32_t>(s.reducedResolution), 1);
  }
  w.Put(static_cast<std::uint32_t>(s.scalability), 1);
  w.Stuff();
  if (s.userDataAfter) {
    w.Bytes({0x00, 0x00, 0x01, 0xB2, 'L', 'a', 'v', 'c', '5', '9'});
  }
}

struct VopSpec {
  int type = 0;
  int moduloOnes = 0;
  int increment = 3;
  int coded = 1;
  int intraDcVlcThr = 0;
  int quant = 8;
  int fcode = 3;
};

void WriteVop(BitWriter& w, const VopSpec& s, int incrementBits, bool interlaced = false) {
  w.Bytes({0x00, 0x00, 0x01, 0xB6});
  w.Put(static_cast<std::uint32_t>(s.type), 2);
  for (int i = 0; i < s.moduloOnes; ++i) {
    w.Put(1, 1);
  }
  w.Put(0, 1).Put(1, 1).Put(static_cast<std::uint32_t>(s.increment), incrementBits).Put(1, 1);
  w.Put(static_cast<std::uint32_t>(s.coded), 1);
  if (s.coded == 0) {
    w.Stuff();
    return;
  }
  if (s.type == 1) {
    w.Put(0, 1);  // rounding
  }
  w.Put(static_cast<std::uint32_t>(s.intraDcVlcThr), 3);
  if (interlaced) {
    w.Put(1, 1).Put(0, 1);
  }
  w.Put(static_cast<std::uint32_t>(s.quant), 5);
  if (s.type != 0) {
    w.Put(static_cast<std::uint32_t>(s.fcode), 3);
  }
  w.Put(0xFFFF, 16);  // some macroblock data
}

struct Parsed {
  std::unique_ptr<Mp4DecContext> ctx = std::make_unique<Mp4DecContext>();
  std::unique_ptr<Mp4DecTables> tables = std::make_unique<Mp4DecTables>();
  Mp4BitReader reader;
  int volResult = 0;
  int vopResult = 0;
};

// Parses a VOL (then a VOP with the VOL's increment width) as the frame decoder does, on a
// context initialised for `gridWidth` x `gridHeight`.
std::unique_ptr<Parsed> ParseStream(const std::vector<std::uint8_t>& bytes, int gridWidth = 176,
                                    int gridHeight = 144) {
  auto p = std::make_unique<Parsed>();
  p->tables->zigzag = kZigzagScan;
  p->tables->intraMatrix = kDefaultIntraMatrix;
  p->tables->nonIntraMatrix = kDefaultNonIntraMatrix;
  p->ctx->geometry.mbColumns = (gridWidth + 15) / 16;
  p->ctx->geometry.mbRows = (gridHeight + 15) / 16;
  p->ctx->vol.quant_precision = 5;
  p->ctx->vol.complexity_estimation_disable = 1;
  p->reader.Init(bytes);
  p->volResult = Mp4DecParseVolHeader(*p->ctx, *p->tables, p->reader);
  Mp4DecParseGovHeader(*p->ctx, p->reader);
  p->vopResult = Mp4DecParseVopHeader(*p->ctx, p->reader);
  return p;
}

struct VolCase {
  const char* name;
  std::function<void(VolSpec&)> edit;
  bool supported;
  int vopResult;
};

void PrintTo(const VolCase& c, std::ostream* os) {
  *os << c.name;
}

class VolHeaderTest : public ::testing::TestWithParam<VolCase> {};

TEST_P(VolHeaderTest, ParsesOrRefusesTheLayer) {
  const VolCase& c = GetParam();
  VolSpec vol;
  c.edit(vol);
  BitWriter w;
  WriteVol(w, vol);
  WriteVop(w, VopSpec{}, Mp4DecTimeIncrementBits(vol.resolution), vol.interlaced != 0);
  const auto p = ParseStream(w.Data());
  EXPECT_EQ(p->volResult, 1);
  EXPECT_EQ(p->ctx->volUnsupported, c.supported ? 0 : 1);
  EXPECT_EQ(p->vopResult, c.vopResult);
  if (c.supported) {
    EXPECT_EQ(p->ctx->vol.width, vol.width);
    EXPECT_EQ(p->ctx->vol.height, vol.height);
    EXPECT_EQ(p->ctx->vol.interlaced, vol.interlaced);
    EXPECT_EQ(p->ctx->vop.vop_time_increment, 3);
    EXPECT_EQ(p->ctx->vop.quantiser, 8);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, VolHeaderTest,
    ::testing::Values(
        VolCase{"Plain", [](VolSpec&) {}, true, 1},
        VolCase{"ExtendedPar", [](VolSpec& s) { s.aspect = 15; }, true, 1},
        VolCase{"VbvParameters", [](VolSpec& s) { s.vbv = true; }, true, 1},
        VolCase{"FixedRate",
                [](VolSpec& s) {
                  s.fixedRate = true;
                  s.fixedIncrement = 7;
                },
                true, 1},
        VolCase{"Verid2", [](VolSpec& s) { s.verid = 2; }, true, 1},
        VolCase{"Interlaced", [](VolSpec& s) { s.interlaced = 1; }, true, 1},
        VolCase{"UserDataAfterVol", [](VolSpec& s) { s.userDataAfter = true; }, true, 1},
        VolCase{"NonMultipleOf16",
                [](VolSpec& s) {
                  s.width = 168;
                  s.height = 136;
                },
                true, 1},
        VolCase{"BinaryShape", [](VolSpec& s) { s.shape = 1; }, false, 1},
        VolCase{"GrayShape", [](VolSpec& s) { s.shape = 3; }, false, 1},
        VolCase{"Sprite", [](VolSpec& s) { s.spriteEnable = 1; }, false, 1},
        VolCase{"Not8Bit", [](VolSpec& s) { s.not8Bit = 1; }, false, 1},
        VolCase{"QuarterSample",
                [](VolSpec& s) {
                  s.verid = 2;
                  s.quarterSample = 1;
                },
                false, 1},
        VolCase{"ComplexityEstimation", [](VolSpec& s) { s.complexityDisable = 0; }, false, 1},
        VolCase{"DataPartitioned", [](VolSpec& s) { s.dataPartitioned = 1; }, false, 1},
        VolCase{"Newpred",
                [](VolSpec& s) {
                  s.verid = 2;
                  s.newpred = 1;
                },
                false, 1},
        VolCase{"ReducedResolution",
                [](VolSpec& s) {
                  s.verid = 2;
                  s.reducedResolution = 1;
                },
                false, 1},
        VolCase{"Scalability", [](VolSpec& s) { s.scalability = 1; }, false, 1},
        VolCase{"TooWide", [](VolSpec& s) { s.width = 736; }, false, 1},
        VolCase{"OtherGrid",
                [](VolSpec& s) {
                  s.width = 352;
                  s.height = 288;
                },
                false, 1},
        VolCase{"ZeroHeight", [](VolSpec& s) { s.height = 0; }, false, 1},
        VolCase{"MatrixFirstValueZero",
                [](VolSpec& s) {
                  s.quantType = 1;
                  s.intraMatrix = {0};
                },
                false, 1}),
    [](const auto& info) { return info.param.name; });

TEST(VolHeader, MatrixListEndingInZeroRepeatsTheLastValue) {
  VolSpec vol;
  vol.quantType = 1;
  vol.intraMatrix = {8, 16, 0};
  BitWriter w;
  WriteVol(w, vol);
  WriteVop(w, VopSpec{}, Mp4DecTimeIncrementBits(vol.resolution));
  const auto p = ParseStream(w.Data());
  EXPECT_EQ(p->ctx->volUnsupported, 0);
  EXPECT_EQ(p->ctx->vol.quant_type, 1);
  EXPECT_EQ(p->tables->intraMatrix[0], 8U);
  for (int i = 1; i < 64; ++i) {
    EXPECT_EQ(p->tables->intraMatrix[static_cast<std::size_t>(i)], 16U) << i;
  }
  EXPECT_EQ(p->tables->nonIntraMatrix, kDefaultNonIntraMatrix);
}

TEST(VolHeader, FullMatrixListIsPlacedInZigzagOrder) {
  VolSpec vol;
  vol.quantType = 1;
  for (int k = 0; k < 64; ++k) {
    vol.intraMatrix.push_back(k + 1);
  }
  BitWriter w;
  WriteVol(w, vol);
  WriteVop(w, VopSpec{}, Mp4DecTimeIncrementBits(vol.resolution));
  const auto p = ParseStream(w.Data());
  ASSERT_EQ(p->ctx->volUnsupported, 0);
  for (int k = 0; k < 64; ++k) {
    EXPECT_EQ(p->tables->intraMatrix[kZigzagScan[static_cast<std::size_t>(k)]],
              static_cast<std::uint32_t>(k + 1));
  }
  EXPECT_EQ(p->vopResult, 1);
}

TEST(VolHeader, TimeIncrementWidthFollowsTheResolution) {
  const std::pair<int, int> cases[] = {{30, 5}, {16, 4}, {15, 4}, {17, 5},     {1, 1},
                                       {0, 1},  {2, 1},  {25, 5}, {30000, 15}, {65535, 16}};
  for (const auto& [resolution, bits] : cases) {
    EXPECT_EQ(Mp4DecTimeIncrementBits(resolution), bits) << resolution;
  }
}

TEST(VolHeader, NoVideoObjectStartCodeReadsNothing) {
  BitWriter w;
  w.Bytes({0x00, 0x00, 0x01, 0xB6, 0x00});
  const auto p = ParseStream(w.Data());
  EXPECT_EQ(p->volResult, 0);
  EXPECT_EQ(p->ctx->volSeen, 0);
}

TEST(VolHeader, TruncatedLayerIsUnsupported) {
  BitWriter w;
  WriteVol(w, VolSpec{});
  for (std::size_t keep = 8; keep < w.Data().size() - 1; ++keep) {
    const std::vector<std::uint8_t> cut(w.Data().begin(),
                                        w.Data().begin() + static_cast<std::ptrdiff_t>(keep));
    const auto p = ParseStream(cut);
    EXPECT_EQ(p->vopResult, 0) << keep;
    if (keep < 14) {  // the size is not complete
      EXPECT_EQ(p->ctx->volUnsupported, 1) << keep;
    }
  }
}

struct VopCase {
  const char* name;
  VopSpec vop;
  int result;
};

void PrintTo(const VopCase& c, std::ostream* os) {
  *os << c.name;
}

class VopHeaderTest : public ::testing::TestWithParam<VopCase> {};

TEST_P(VopHeaderTest, AcceptsOrRefuses) {
  const VopCase& c = GetParam();
  BitWriter w;
  WriteVol(w, VolSpec{});
  WriteVop(w, c.vop, Mp4DecTimeIncrementBits(25));
  const auto p = ParseStream(w.Data());
  EXPECT_EQ(p->vopResult, c.result);
  EXPECT_EQ(p->ctx->vop.vop_coding_type, c.vop.type);
  EXPECT_EQ(p->ctx->vop.seconds, c.vop.moduloOnes);
  if (c.vop.type != 0) {
    EXPECT_EQ(p->ctx->vop.vop_fcode_forward, 3);  // 3 is stored whatever was read
  }
}

INSTANTIATE_TEST_SUITE_P(Table, VopHeaderTest,
                         ::testing::Values(VopCase{"Intra", {}, 1},
                                           VopCase{"SecondsCounted", {.moduloOnes = 3}, 1},
                                           VopCase{"PredictedFcode3", {.type = 1, .fcode = 3}, 1},
                                           VopCase{"PredictedFcode2", {.type = 1, .fcode = 2}, 0},
                                           VopCase{"PredictedFcode4", {.type = 1, .fcode = 4}, 0},
                                           VopCase{"NotCoded", {.coded = 0}, 1},
                                           VopCase{"QuantiserZero", {.quant = 0}, 0},
                                           VopCase{"IntraDcThreshold", {.intraDcVlcThr = 3}, 1}),
                         [](const auto& info) { return info.param.name; });

TEST(VopHeader, MissingStartCodeIsRefused) {
  BitWriter w;
  w.Bytes({0x00, 0x00, 0x01, 0xB5, 0x12, 0x34});
  const auto p = ParseStream(w.Data());
  EXPECT_EQ(p->vopResult, 0);
}

TEST(VopHeader, GovAndUserDataBeforeTheVopArePassedOver) {
  BitWriter w;
  WriteVol(w, VolSpec{});
  w.Bytes({0x00, 0x00, 0x01, 0xB3});
  w.Put(0x12345, 18).Put(1, 1).Put(0, 1).Stuff();
  w.Bytes({0x00, 0x00, 0x01, 0xB2, 'x', 'y', 0x00, 0x00, 0x01, 0xB2, 'z'});
  WriteVop(w, VopSpec{}, Mp4DecTimeIncrementBits(25));
  const auto p = ParseStream(w.Data());
  EXPECT_EQ(p->vopResult, 1);
  EXPECT_EQ(p->ctx->gov.time_code, 0x12345);
  EXPECT_EQ(p->ctx->gov.closed_gov, 1);
}

TEST(VopHeader, AlignedVolFollowedByStuffingByteStillFindsTheVop) {
  // A VOL padded to end on a byte boundary is followed by a whole 0x7F stuffing byte.
  VolSpec vol;
  BitWriter probe;
  WriteVol(probe, vol);
  // Try each fixed increment until the VOL's fields end aligned.
  bool found = false;
  for (int extra = 0; extra < 8 && !found; ++extra) {
    VolSpec s = vol;
    s.resolution = 1 << (extra + 1);
    s.fixedRate = true;
    BitWriter w;
    WriteVol(w, s);
    const std::size_t bits = w.BitCount();
    // WriteVol's Stuff() wrote 8 bits when the fields ended aligned.
    if ((w.Data()[bits / 8 - 1]) == 0x7F) {
      WriteVop(w, VopSpec{}, Mp4DecTimeIncrementBits(s.resolution));
      const auto p = ParseStream(w.Data());
      EXPECT_EQ(p->vopResult, 1);
      found = true;
    }
  }
  EXPECT_TRUE(found);
}

TEST(StreamInfo, ReadsThePictureSize) {
  VolSpec vol;
  vol.width = 352;
  vol.height = 288;
  vol.aspect = 15;
  vol.vbv = true;
  vol.fixedRate = true;
  BitWriter w;
  WriteVol(w, vol);
  std::vector<std::uint8_t> bytes = w.Data();
  std::uint32_t info = 0;
  EXPECT_EQ(Mp4DecControl(1, kMp4DecCmdStreamInfo, bytes.data(), &info,
                          static_cast<std::int32_t>(bytes.size()), 0, 0),
            kMp4DecOk);
  EXPECT_EQ(info, 1442080U);
  // Truncated anywhere before the height ends: no size, and no read past the given length.
  for (std::size_t keep = 0; keep < 29; ++keep) {  // the height ends in byte 29
    std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(keep));
    info = 0;
    EXPECT_EQ(Mp4DecControl(1, kMp4DecCmdStreamInfo, cut.data(), &info,
                            static_cast<std::int32_t>(cut.size()), 0, 0),
              kMp4DecRefused)
        << keep;
  }
  // Not a video object, or not rectangular.
  std::vector<std::uint8_t> vop = {0x00, 0x00, 0x01, 0xB6, 0x10, 0x20};
  EXPECT_EQ(Mp4DecControl(1, kMp4DecCmdStreamInfo, vop.data(), &info, 6, 0, 0), kMp4DecRefused);
  vol.shape = 1;
  BitWriter s;
  WriteVol(s, vol);
  std::vector<std::uint8_t> shaped = s.Data();
  EXPECT_EQ(Mp4DecControl(1, kMp4DecCmdStreamInfo, shaped.data(), &info,
                          static_cast<std::int32_t>(shaped.size()), 0, 0),
            kMp4DecRefused);
}

}  // namespace
