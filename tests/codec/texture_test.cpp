// Coefficient events, DC sizes and intra DC/AC prediction.
#include "codec/mp4dec/texture.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "codec/mp4dec/dequant.h"

#include "mp4dec_harness.h"

namespace {

// The test oracle of the coefficient event reader: the event read code by code, as the
// syntax lists its parts (code, escape mode, second code, sign), each through the table's
// reader. Independent of the one-look arithmetic of the decoder's reader.
Mp4DecCoeffEvent SequentialEvent(Mp4BitReader& reader, bool intra) {
  const Mp4DecTcoefTable& table = intra ? Mp4DecIntraTcoefTable() : Mp4DecInterTcoefTable();
  const auto lmax = intra ? &Mp4DecIntraLmax : &Mp4DecInterLmax;
  const auto rmax = intra ? &Mp4DecIntraRmax : &Mp4DecInterRmax;
  const Mp4DecTcoefEntry* entry = &table.Read(reader);
  if (entry->length == 0) {
    return kInvalidCoeffEvent;
  }
  if (entry->last != kCodeEscape) {
    const std::int32_t level = reader.GetBit() != 0 ? -entry->level : entry->level;
    return {entry->last, entry->run, level};
  }
  const std::uint32_t mode = reader.Peek(2);
  if ((mode & 2) == 0) {  // 0: level offset
    reader.Skip(1);
    entry = &table.Read(reader);
    if (entry->length == 0 || entry->last == kCodeEscape) {
      return kInvalidCoeffEvent;
    }
    const std::int32_t magnitude = entry->level + lmax(entry->last, entry->run);
    const std::int32_t level = reader.GetBit() != 0 ? -magnitude : magnitude;
    return {entry->last, entry->run, level};
  }
  reader.Skip(2);
  if (mode == 2) {  // 10: run offset
    entry = &table.Read(reader);
    if (entry->length == 0 || entry->last == kCodeEscape) {
      return kInvalidCoeffEvent;
    }
    const std::int32_t run = entry->run + rmax(entry->last, entry->level) + 1;
    const std::int32_t level = reader.GetBit() != 0 ? -entry->level : entry->level;
    return {entry->last, run, level};
  }
  // 11: fixed length.
  const auto last = static_cast<std::int32_t>(reader.Read(1));
  const auto run = static_cast<std::int32_t>(reader.Read(6));
  reader.Skip(1);
  const auto raw = static_cast<std::int32_t>(reader.Read(12));
  reader.Skip(1);
  return {last, run, (raw & 0x800) != 0 ? raw - 4096 : raw};
}

Mp4DecCoeffEvent DecodeBits(const BitWriter& w, bool intra, std::uint64_t* consumed = nullptr) {
  Mp4BitReader reader;
  reader.Init(w.Data());
  const Mp4DecCoeffEvent e = Mp4DecDecodeCoeffEvent(reader, intra);
  if (consumed != nullptr) {
    *consumed = reader.BitPosition();
  }
  return e;
}

TEST(CoeffEvent, PlainCodesCarryTheirSign) {
  BitWriter pos;
  pos.Code("0111").Put(0, 1);  // intra (1, 0, 1), +
  const Mp4DecCoeffEvent a = DecodeBits(pos, true);
  EXPECT_EQ(a.last, 1);
  EXPECT_EQ(a.run, 0);
  EXPECT_EQ(a.level, 1);
  BitWriter neg;
  neg.Code("000100101").Put(1, 1);  // inter (0, 0, 6), -
  std::uint64_t used = 0;
  const Mp4DecCoeffEvent b = DecodeBits(neg, false, &used);
  EXPECT_EQ(b.last, 0);
  EXPECT_EQ(b.run, 0);
  EXPECT_EQ(b.level, -6);
  EXPECT_EQ(used, 10U);
}

TEST(CoeffEvent, EscapeModeThreeIsFixedLength) {
  BitWriter w;
  w.Code("0000011").Code("11").Put(1, 1).Put(5, 6).Put(1, 1).Put(0x800, 12).Put(1, 1);
  std::uint64_t used = 0;
  const Mp4DecCoeffEvent e = DecodeBits(w, true, &used);
  EXPECT_EQ(e.last, 1);
  EXPECT_EQ(e.run, 5);
  EXPECT_EQ(e.level, -2048);
  EXPECT_EQ(used, 30U);
}

TEST(CoeffEvent, EscapeModeOneAddsLmax) {
  BitWriter w;
  w.Code("0000011").Code("0").Code("10").Put(1, 1);  // (0, 0, 1) + LMAX(0,0) = 28, negative
  const Mp4DecCoeffEvent intra = DecodeBits(w, true);
  EXPECT_EQ(intra.level, -(1 + 27));
  EXPECT_EQ(intra.run, 0);
  const Mp4DecCoeffEvent inter = DecodeBits(w, false);
  EXPECT_EQ(inter.level, -(1 + 12));
}

TEST(CoeffEvent, EscapeModeTwoAddsRmaxPlusOne) {
  BitWriter w;
  w.Code("0000011").Code("10").Code("10").Put(0, 1);  // (0, 0, 1)
  const Mp4DecCoeffEvent intra = DecodeBits(w, true);
  EXPECT_EQ(intra.last, 0);
  EXPECT_EQ(intra.run, 0 + 14 + 1);
  EXPECT_EQ(intra.level, 1);
  const Mp4DecCoeffEvent inter = DecodeBits(w, false);
  EXPECT_EQ(inter.run, 0 + 26 + 1);
}

TEST(CoeffEvent, InvalidWindowsGiveTheInvalidEvent) {
  for (const char* bits : {"000000000000",
                           "0000011"
                           "0"
                           "00000000000",
                           "0000011"
                           "10"
                           "0000000"}) {
    BitWriter w;
    w.Code(bits);
    const Mp4DecCoeffEvent e = DecodeBits(w, true);
    EXPECT_EQ(e.run, -1) << bits;
    EXPECT_EQ(e.level, -1) << bits;
  }
}

TEST(DcSize, DifferentialAndMarker) {
  struct Case {
    int size;
    std::uint32_t bits;
    int expected;
  };
  for (const Case& c :
       {Case{1, 1, 1}, Case{1, 0, -1}, Case{3, 0b100, 4}, Case{3, 0b011, -4}, Case{8, 0xFF, 255},
        Case{8, 0x00, -255}, Case{9, 0x100, 256}, Case{12, 0x000, -4095}}) {
    BitWriter w;
    w.Put(c.bits, c.size).Put(1, 1).Put(0xAB, 8);
    Mp4BitReader r;
    r.Init(w.Data());
    EXPECT_EQ(Mp4DecReadDcDifferential(r, c.size), c.expected) << c.size;
    EXPECT_EQ(r.BitPosition(), static_cast<std::uint64_t>(c.size + (c.size > 8 ? 1 : 0)));
  }
  Mp4BitReader r;
  r.Init({});
  EXPECT_EQ(Mp4DecReadDcDifferential(r, 0), 0);
}

TEST(DcScaler, FollowsTheQuantiserRanges) {
  const int luma[32] = {0,  8,  8,  8,  8,  10, 12, 14, 16, 17, 18, 19, 20, 21, 22, 23,
                        24, 25, 26, 27, 28, 29, 30, 31, 32, 34, 36, 38, 40, 42, 44, 46};
  const int chroma[32] = {0,  8,  8,  8,  8,  9,  9,  10, 10, 11, 11, 12, 12, 13, 13, 14,
                          14, 15, 15, 16, 16, 17, 17, 18, 18, 19, 20, 21, 22, 23, 24, 25};
  for (int qp = 1; qp <= 31; ++qp) {
    EXPECT_EQ(Mp4DecDcScaler(qp, 0), luma[qp]) << qp;
    EXPECT_EQ(Mp4DecDcScaler(qp, 4), chroma[qp]) << qp;
  }
}

// A context with the prediction borders of an initialised decoder.
std::unique_ptr<Mp4DecContext> PredictionContext() {
  auto ctx = std::make_unique<Mp4DecContext>();
  for (auto& e : ctx->lumaDc[0]) {
    e = 1024;
  }
  for (auto& row : ctx->lumaDc) {
    row[0] = 1024;
  }
  for (int c = 0; c < 2; ++c) {
    for (auto& e : ctx->chromaDc[c][0]) {
      e = 1024;
    }
    for (auto& row : ctx->chromaDc[c]) {
      row[0] = 1024;
    }
  }
  for (auto& e : ctx->mbTypeMap[0]) {
    e = kMbIntra;
  }
  for (auto& row : ctx->mbTypeMap) {
    row[0] = kMbIntra;
  }
  ctx->mb.dcScaler = 8;
  ctx->vop.quantiser = 4;
  return ctx;
}

TEST(DcPrediction, TopLeftBlockPredictsFromTheBorder) {
  auto ctx = PredictionContext();
  std::int16_t block[64] = {5};
  Mp4DecPredictDc(*ctx, 0, block);
  EXPECT_EQ(block[0], (5 + 128) * 8);
  EXPECT_EQ(ctx->lumaDc[1][1], (5 + 128) * 8);
  EXPECT_EQ(ctx->predictionDirection, 0);  // |B - A| == |B - C|: from the left
}

TEST(DcPrediction, DirectionFollowsTheGradient) {
  auto ctx = PredictionContext();
  ctx->mb.x = 1;
  ctx->mb.y = 1;
  // Block 0 of macroblock (1, 1): store [3][3]; A = [3][2], B = [2][2], C = [2][3].
  ctx->lumaDc[3][2] = 800;   // A
  ctx->lumaDc[2][2] = 1000;  // B
  ctx->lumaDc[2][3] = 990;   // C
  // |B - A| = 200 is not below |B - C| = 10: the left block A predicts.
  std::int16_t block[64] = {0};
  Mp4DecPredictDc(*ctx, 0, block);
  EXPECT_EQ(ctx->predictionDirection, 0);
  EXPECT_EQ(block[0], 100 * 8);  // 800 / 8
  ctx->lumaDc[2][3] = 300;       // |B - C| = 700 > 200: from above
  std::int16_t block2[64] = {0};
  Mp4DecPredictDc(*ctx, 0, block2);
  EXPECT_EQ(ctx->predictionDirection, 1);
  EXPECT_EQ(block2[0], (300 + 4) / 8 * 8);
}

TEST(DcPrediction, RoundedDivisionAndNegativePredictors) {
  auto ctx = PredictionContext();
  ctx->mb.x = 1;
  ctx->mb.dcScaler = 10;
  ctx->lumaDc[1][2] = -15;  // A of block 0 at (1, 0); B = C = 1024 -> tie -> left
  std::int16_t block[64] = {0};
  Mp4DecPredictDc(*ctx, 0, block);
  EXPECT_EQ(block[0], -2 * 10);  // (-15 - 5) / 10 = -2
  ctx->lumaDc[1][2] = 14;
  std::int16_t block2[64] = {0};
  Mp4DecPredictDc(*ctx, 0, block2);
  EXPECT_EQ(block2[0], 1 * 10);  // (14 + 5) / 10 = 1
}

TEST(DcPrediction, ResultWrapsInSixteenBits) {
  auto ctx = PredictionContext();
  ctx->mb.dcScaler = 46;
  std::int16_t block[64] = {2047};
  Mp4DecPredictDc(*ctx, 0, block);
  // (2047 + 22) * 46 = 95174, low 16 bits signed = 29638.
  EXPECT_EQ(block[0], static_cast<std::int16_t>(95174 - 65536));
}

TEST(DcPrediction, InterMacroblockNeighboursResetInPredictedVops) {
  auto ctx = PredictionContext();
  ctx->vop.vop_coding_type = kVopP;
  ctx->mb.x = 0;
  ctx->mb.y = 1;
  ctx->mbTypeMap[1][1] = kMbInter;  // the macroblock above (0, 0) is inter
  ctx->lumaDc[2][1] = 40;           // stale values of an earlier VOP
  ctx->lumaDc[2][2] = 40;
  ctx->lumaAcRow[2][1].fill(9);
  ctx->chromaDc[0][1][1] = 40;
  std::int16_t block[64] = {0};
  Mp4DecPredictDc(*ctx, 0, block);
  EXPECT_EQ(ctx->lumaDc[2][1], 1024);
  EXPECT_EQ(ctx->lumaDc[2][2], 1024);
  EXPECT_EQ(ctx->chromaDc[0][1][1], 1024);
  EXPECT_EQ(ctx->lumaAcRow[2][1][0], 0);
  EXPECT_EQ(block[0], 1024);
}

// Resetting the neighbours once, at block 0, gives the DC values and stores of resetting them
// before every block, whatever the neighbours' types and stale stores.
TEST(DcPrediction, NeighbourResetOnceEqualsResetBeforeEachBlock) {
  std::mt19937 rng(3);
  std::uniform_int_distribution<int> value(-3000, 3000);
  for (int trial = 0; trial < 64; ++trial) {
    auto once = PredictionContext();
    once->vop.vop_coding_type = kVopP;
    once->mb.x = 1;
    once->mb.y = 1;
    once->mb.dcScaler = 8 + trial % 9;
    for (int r = 0; r < 3; ++r) {
      for (int c = 0; c < 3; ++c) {
        once->mbTypeMap[r][c] = (rng() & 1) != 0 ? kMbIntra : kMbInter;
      }
    }
    for (int r = 0; r < 5; ++r) {
      for (int c = 0; c < 5; ++c) {
        once->lumaDc[r][c] = value(rng);
      }
    }
    for (auto& plane : once->chromaDc) {
      for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
          plane[r][c] = value(rng);
        }
      }
    }
    auto each = std::make_unique<Mp4DecContext>(*once);
    for (int b = 0; b < 6; ++b) {
      std::int16_t a[64] = {};
      std::int16_t e[64] = {};
      a[0] = e[0] = static_cast<std::int16_t>(value(rng) / 8);
      Mp4DecPredictDc(*once, b, a);
      Mp4DecResetNonIntraPredictors(*each);
      Mp4DecPredictDc(*each, b, e);
      ASSERT_EQ(a[0], e[0]) << trial << " " << b;
      ASSERT_EQ(once->predictionDirection, each->predictionDirection) << trial << " " << b;
    }
    ASSERT_EQ(std::memcmp(once->lumaDc, each->lumaDc, sizeof(once->lumaDc)), 0) << trial;
    ASSERT_EQ(std::memcmp(once->chromaDc, each->chromaDc, sizeof(once->chromaDc)), 0) << trial;
    ASSERT_EQ(std::memcmp(once->lumaAcRow, each->lumaAcRow, sizeof(once->lumaAcRow)), 0);
    ASSERT_EQ(std::memcmp(once->lumaAcCol, each->lumaAcCol, sizeof(once->lumaAcCol)), 0);
    ASSERT_EQ(std::memcmp(once->chromaAcRow, each->chromaAcRow, sizeof(once->chromaAcRow)), 0);
    ASSERT_EQ(std::memcmp(once->chromaAcCol, each->chromaAcCol, sizeof(once->chromaAcCol)), 0);
  }
}

TEST(AcPrediction, ScaledPredictionRoundsAwayFromZero) {
  auto ctx = PredictionContext();
  ctx->mb.x = 1;
  ctx->mb.y = 1;
  ctx->mb.ac_pred_flag = 1;
  ctx->vop.quantiser = 4;
  ctx->quantMap[2][1] = 2;  // left macroblock QP
  ctx->predictionDirection = 0;
  // Block 0 of (1, 1) predicts from the left block's column: store [3][2].
  ctx->lumaAcCol[3][2] = {3, -3, 0, 1, -1, 5, 0};
  std::int16_t block[64] = {};
  EXPECT_EQ(Mp4DecAddScaledAcPrediction(*ctx, 0, block), 1);
  EXPECT_EQ(block[8], 2);    // (6 + 2) / 4
  EXPECT_EQ(block[16], -2);  // (-6 - 2) / 4
  EXPECT_EQ(block[24], 0);
  EXPECT_EQ(block[32], 1);  // (2 + 2) / 4
  EXPECT_EQ(block[40], -1);
  EXPECT_EQ(block[48], 3);  // (10 + 2) / 4
  EXPECT_EQ(block[1], 0);
}

TEST(AcPrediction, ScaledPathDeclinesWhereThePlainPathApplies) {
  auto ctx = PredictionContext();
  ctx->mb.ac_pred_flag = 1;
  ctx->mb.x = 1;
  ctx->mb.y = 1;
  ctx->vop.quantiser = 4;
  ctx->quantMap[2][1] = 2;
  ctx->quantMap[1][2] = 2;
  std::int16_t block[64] = {};
  ctx->predictionDirection = 0;
  EXPECT_EQ(Mp4DecAddScaledAcPrediction(*ctx, 1, block), 0);  // left of block 1 is block 0
  EXPECT_EQ(Mp4DecAddScaledAcPrediction(*ctx, 3, block), 0);
  ctx->predictionDirection = 1;
  EXPECT_EQ(Mp4DecAddScaledAcPrediction(*ctx, 2, block), 0);  // above block 2 is block 0
  EXPECT_EQ(Mp4DecAddScaledAcPrediction(*ctx, 0, block), 1);
  ctx->quantMap[1][2] = 4;  // same quantiser above
  EXPECT_EQ(Mp4DecAddScaledAcPrediction(*ctx, 0, block), 0);
  ctx->mb.y = 0;  // top row, from above
  EXPECT_EQ(Mp4DecAddScaledAcPrediction(*ctx, 0, block), 0);
  ctx->mb.ac_pred_flag = 0;
  ctx->mb.y = 1;
  ctx->quantMap[1][2] = 2;
  EXPECT_EQ(Mp4DecAddScaledAcPrediction(*ctx, 0, block), 0);
}

TEST(AcPrediction, PlainPredictionAddsAndStoresQuantisedValues) {
  auto ctx = PredictionContext();
  ctx->mb.ac_pred_flag = 1;
  ctx->predictionDirection = 1;
  ctx->mb.x = 0;
  ctx->mb.y = 0;
  // Block 2 of (0, 0) predicts from block 0 above: store [1][1] row predictors.
  ctx->lumaAcRow[1][1] = {1, 2, 3, 4, 5, 6, 7};
  std::int16_t block[64] = {};
  block[1] = 10;
  block[8] = -4;
  Mp4DecAddAcPrediction(*ctx, 2, block);
  EXPECT_EQ(block[1], 11);
  EXPECT_EQ(block[7], 7);
  EXPECT_EQ(block[8], -4);
  Mp4DecStoreAcPredictors(*ctx, 2, block);
  EXPECT_EQ(ctx->lumaAcRow[2][1][0], 11);
  EXPECT_EQ(ctx->lumaAcCol[2][1][0], -4);
  // Without the flag nothing is added.
  ctx->mb.ac_pred_flag = 0;
  std::int16_t other[64] = {};
  Mp4DecAddAcPrediction(*ctx, 2, other);
  EXPECT_EQ(other[1], 0);
}

// The stored predictors are the block's first row and column (coefficients 1..7 and 8..56),
// sign included, for every block, and the neighbouring stores are left as they were.
TEST(AcPrediction, StoredPredictorsAreTheFirstRowAndColumn) {
  auto ctx = PredictionContext();
  ctx->mb.x = 1;
  ctx->mb.y = 1;
  std::mt19937 rng(5);
  std::uniform_int_distribution<int> any(-32768, 32767);
  for (int trial = 0; trial < 200; ++trial) {
    const int b = trial % 6;
    std::int16_t block[64];
    for (auto& c : block) {
      c = static_cast<std::int16_t>(any(rng));
    }
    const Mp4DecAcPredictors sentinel{-7, -7, -7, -7, -7, -7, -7};
    const int row = b < 4 ? 2 * 1 + (b >> 1) + 1 : 2;
    const int col = b < 4 ? 2 * 1 + (b & 1) + 1 : 2;
    Mp4DecAcPredictors* rows = b < 4 ? ctx->lumaAcRow[row] : ctx->chromaAcRow[b - 4][row];
    Mp4DecAcPredictors* cols = b < 4 ? ctx->lumaAcCol[row] : ctx->chromaAcCol[b - 4][row];
    rows[col + 1] = sentinel;
    cols[col + 1] = sentinel;
    Mp4DecStoreAcPredictors(*ctx, b, block);
    for (int k = 1; k <= 7; ++k) {
      ASSERT_EQ(rows[col][static_cast<std::size_t>(k - 1)], block[k]) << b << " " << k;
      ASSERT_EQ(cols[col][static_cast<std::size_t>(k - 1)], block[8 * k]) << b << " " << k;
    }
    ASSERT_EQ(rows[col + 1], sentinel);
    ASSERT_EQ(cols[col + 1], sentinel);
  }
}

TEST(AcPrediction, ChromaUsesTheMacroblockStoreOfItsComponent) {
  auto ctx = PredictionContext();
  ctx->mb.ac_pred_flag = 1;
  ctx->predictionDirection = 0;
  ctx->mb.x = 2;
  ctx->mb.y = 0;
  ctx->chromaAcCol[1][1][2] = {5, 0, 0, 0, 0, 0, 0};  // Cr of the left macroblock
  ctx->chromaAcCol[0][1][2] = {9, 0, 0, 0, 0, 0, 0};
  std::int16_t block[64] = {};
  Mp4DecAddAcPrediction(*ctx, 5, block);
  EXPECT_EQ(block[8], 5);
}

}  // namespace

namespace {

// The decoder's dequantisation as the intra block decoder applies it (from coefficient 1, the
// DC left as prediction scaled it), and the inter rules; 16-bit results wrap.
TEST(IntraDequant, H263FromCoefficientOneWrapsInSixteenBits) {
  std::int16_t block[64] = {};
  block[0] = 1000;
  block[1] = 2047;
  block[2] = -1;
  block[63] = 3;
  Mp4DecDequantH263(block, 1, 31);
  EXPECT_EQ(block[0], 1000);   // the DC is not touched
  EXPECT_EQ(block[1], -4127);  // 2 * 31 * 2047 + 31 = 126945, low 16 bits
  EXPECT_EQ(block[2], -(62 + 31));
  EXPECT_EQ(block[63], 3 * 62 + 31);
  std::int16_t even[64] = {};
  even[5] = 1;
  even[6] = -1;
  Mp4DecDequantH263(even, 1, 4);  // even QP: k = QP - 1
  EXPECT_EQ(even[5], 11);
  EXPECT_EQ(even[6], -11);
}

TEST(IntraDequant, MpegTypeTruncatesTowardZero) {
  std::array<std::uint32_t, 64> weights{};
  weights.fill(17);
  std::int16_t block[64] = {};
  block[0] = 77;
  block[1] = -1;
  block[2] = 1;
  Mp4DecDequantMpeg(block, 1, weights.data());
  EXPECT_EQ(block[0], 77);
  EXPECT_EQ(block[1], -2);  // -34 / 16
  EXPECT_EQ(block[2], 2);
}

TEST(InterDequant, RulesOfBothTypes) {
  EXPECT_EQ(Mp4DecDequantInterH263(1, 5), 15);
  EXPECT_EQ(Mp4DecDequantInterH263(1, 4), 11);
  EXPECT_EQ(Mp4DecDequantInterH263(-1, 4), -11);
  EXPECT_EQ(Mp4DecDequantInterMpeg(1, 2, 16), 6);
  EXPECT_EQ(Mp4DecDequantInterMpeg(-1, 2, 16), -6);
  std::int16_t block[64] = {};
  block[0] = 6;
  Mp4DecMismatchControl(block, 6);  // even sum: coefficient 63 flips its lowest bit
  EXPECT_EQ(block[63], 1);
}

// The one-look event reader (plain codes and all three escapes) gives the event and the bits
// consumed of the code-by-code oracle: random input, input that starts with the escape code
// (each escape mode), and input cut short so that the escape runs into the end.
TEST(CoeffEvent, OneLookReaderMatchesTheFullReader) {
  std::mt19937 rng(41);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> lengthOf(1, 8);
  int escapes = 0;
  for (const bool intra : {true, false}) {
    const Mp4DecTcoefTable& table = intra ? Mp4DecIntraTcoefTable() : Mp4DecInterTcoefTable();
    for (int trial = 0; trial < 60000; ++trial) {
      std::vector<std::uint8_t> data(static_cast<std::size_t>(trial % 5 == 0 ? lengthOf(rng) : 8));
      for (auto& d : data) {
        d = static_cast<std::uint8_t>(byte(rng));
      }
      if (trial % 2 == 0) {
        // The escape code 0000011 and the first mode bit fill byte 0; the second mode bit of
        // the run-offset (10) and fixed-length (11) modes is the top bit of byte 1.
        const int mode = (trial / 2) % 3;
        data[0] = static_cast<std::uint8_t>(mode == 0 ? 0x06 : 0x07);
        if (mode != 0 && data.size() > 1) {
          data[1] = static_cast<std::uint8_t>((data[1] & 0x7F) | (mode == 2 ? 0x80 : 0));
        }
      }
      Mp4BitReader fast;
      fast.Init(data);
      const Mp4DecCoeffEvent got = intra ? Mp4DecReadCoeffEvent<true>(fast, table)
                                         : Mp4DecReadCoeffEvent<false>(fast, table);
      Mp4BitReader plain;
      plain.Init(data);
      const Mp4DecCoeffEvent want = SequentialEvent(plain, intra);
      ASSERT_EQ(got.last, want.last) << trial;
      ASSERT_EQ(got.run, want.run) << trial;
      ASSERT_EQ(got.level, want.level) << trial;
      if (want.run >= 0) {
        ASSERT_EQ(fast.BitPosition(), plain.BitPosition()) << trial;
      }
      escapes += data[0] == 0x06 || data[0] == 0x07 ? 1 : 0;
    }
  }
  EXPECT_GT(escapes, 50000);
}

// Clearing zeroes all 64 coefficients and nothing around them.
TEST(CoeffBlock, ClearZeroesExactlyTheBlock) {
  std::array<std::int16_t, 80> area{};
  area.fill(-1);
  Mp4DecClearBlock(area.data() + 8);
  for (std::size_t i = 0; i < area.size(); ++i) {
    ASSERT_EQ(area[i], i >= 8 && i < 72 ? 0 : -1) << i;
  }
}

}  // namespace
