// The inter side of the decoder: the fourteen compensation kernels against their C forms,
// the clamp of reference positions to the padded plane, chroma vectors, vector prediction and
// decoding, inter blocks and the saturating add, the DC-only inverse DCT shortcut, and crafted
// P-VOPs (not-coded macroblocks, vop_fcode_forward other than 3, where damage was found).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <utility>
#include <vector>

#include "codec/mp4dec/block_idct.h"
#include "codec/mp4dec/dequant.h"
#include "codec/mp4dec/inter.h"
#include "codec/mp4dec/macroblock.h"
#include "codec/mp4dec/motion.h"
#include "mp4dec_harness.h"
#include "prim/prim_idct.h"
#include "prim/prim_quant.h"

namespace {

// ---- Kernels --------------------------------------------------------------------------------

struct KernelCase {
  int index;
  Mp4DecMcKernel kernel;
  int width;
  int dx;  // half-sample position
  int dy;
  int rounding;
};

TEST(MotionKernels, EachIndexHoldsTheKernelOfItsWidthPositionAndRounding) {
  const KernelCase cases[] = {
      {0, &Mp4DecMcCopy8, 8, 0, 0, 0},    {1, &Mp4DecMcHx8R0, 8, 1, 0, 0},
      {2, &Mp4DecMcHy8R0, 8, 0, 1, 0},    {3, &Mp4DecMcHxy8R0, 8, 1, 1, 0},
      {4, &Mp4DecMcCopy8, 8, 0, 0, 1},    {5, &Mp4DecMcHx8R1, 8, 1, 0, 1},
      {6, &Mp4DecMcHy8R1, 8, 0, 1, 1},    {7, &Mp4DecMcHxy8R1, 8, 1, 1, 1},
      {8, &Mp4DecMcCopy16, 16, 0, 0, 0},  {9, &Mp4DecMcHx16R0, 16, 1, 0, 0},
      {10, &Mp4DecMcHy16R0, 16, 0, 1, 0}, {11, &Mp4DecMcHxy16R0, 16, 1, 1, 0},
      {12, &Mp4DecMcCopy16, 16, 0, 0, 1}, {13, &Mp4DecMcHx16R1, 16, 1, 0, 1},
      {14, &Mp4DecMcHy16R1, 16, 0, 1, 1}, {15, &Mp4DecMcHxy16R1, 16, 1, 1, 1},
  };
  for (const KernelCase& c : cases) {
    SCOPED_TRACE(c.index);
    EXPECT_EQ(kMp4DecMcKernels[static_cast<std::size_t>(c.index)], c.kernel);
    // The C form at the index, on a 2 x 2 patch: the sample rule of its position and rounding
    // (every sum odd, or 2 above a multiple of 4, so that the rounding shows).
    std::uint8_t source[2 * 17] = {};
    source[0] = 10;
    source[1] = 13;
    source[17] = 21;
    source[18] = 26;
    std::uint8_t out[17] = {};
    kMp4DecMcKernelsGeneric[static_cast<std::size_t>(c.index)](source, out, 17, 1);
    int want = 10;
    if (c.dx != 0 && c.dy != 0) {
      want = c.rounding == 0 ? 18 : 17;  // (70 + 2 - rounding) >> 2
    } else if (c.dx != 0) {
      want = c.rounding == 0 ? 12 : 11;  // (23 + 1 - rounding) >> 1
    } else if (c.dy != 0) {
      want = c.rounding == 0 ? 16 : 15;  // (31 + 1 - rounding) >> 1
    }
    EXPECT_EQ(out[0], want);
  }
}

// Every SSE2 kernel against its C form: each position and rounding, every height from 1 to 17,
// row steps of any parity and sources at every alignment, the samples around the block left
// as they were.
TEST(MotionKernels, Sse2FormsEqualTheCFormsAtEveryPositionAndRounding) {
  std::mt19937 random(7);
  for (std::size_t index = 0; index < kMp4DecMcKernels.size(); ++index) {
    const int width = index < 8 ? 8 : 16;
    for (int height = 1; height <= 17; ++height) {
      for (const std::ptrdiff_t stride :
           {std::ptrdiff_t{17}, std::ptrdiff_t{32}, std::ptrdiff_t{45}, std::ptrdiff_t{64}}) {
        if (stride < width + 1) {
          continue;
        }
        const std::size_t offset = random() % 16;
        std::vector<std::uint8_t> source(offset + static_cast<std::size_t>(stride * (height + 1)));
        for (auto& s : source) {
          s = static_cast<std::uint8_t>(random());
        }
        std::vector<std::uint8_t> want(static_cast<std::size_t>(stride * (height + 2)), 0xAA);
        std::vector<std::uint8_t> got = want;
        kMp4DecMcKernelsGeneric[index](source.data() + offset, want.data() + stride, stride,
                                       height);
        kMp4DecMcKernels[index](source.data() + offset, got.data() + stride, stride, height);
        ASSERT_EQ(got, want) << "kernel " << index << " height " << height << " stride " << stride
                             << " offset " << offset;
      }
    }
  }
}

TEST(MotionKernels, RoundingControlOnAHalfPair) {
  const std::uint8_t source[2 * 17] = {1, 2};
  for (const auto* kernels : {&kMp4DecMcKernels, &kMp4DecMcKernelsGeneric}) {
    std::uint8_t out[2 * 17] = {};
    (*kernels)[1](source, out, 17, 1);  // horizontal half position, rounding 0
    EXPECT_EQ(out[0], 2);
    (*kernels)[5](source, out, 17, 1);  // rounding 1
    EXPECT_EQ(out[0], 1);
  }
}

// ---- Block prediction and the clamp ---------------------------------------------------------

// A padded plane in a buffer of exactly its size (a read outside it is caught by the sanitizer),
// with random samples everywhere, and the edge-extension model of a reference sample.
struct TestPlane {
  int width;
  int height;
  int border;
  std::vector<std::uint8_t> buffer;
  TestPlane(int w, int h, int b, unsigned seed) : width(w), height(h), border(b) {
    buffer.resize(static_cast<std::size_t>((w + 2 * b) * (h + 2 * b)));
    std::mt19937 random(seed);
    for (auto& s : buffer) {
      s = static_cast<std::uint8_t>(random());
    }
  }
  std::ptrdiff_t Stride() const { return width + 2 * border; }
  std::uint8_t* Origin() { return buffer.data() + border * Stride() + border; }
  // Samples replicated from the nearest padded one (what the padding would give further out).
  int At(int x, int y) {
    x = std::clamp(x, -border, width + border - 1);
    y = std::clamp(y, -border, height + border - 1);
    return Origin()[y * Stride() + x];
  }
};

TEST(MotionCompBlock, PositionsInsideThePaddingAreTakenAsTheyAre) {
  TestPlane ref(32, 32, 32, 1);
  TestPlane dst(32, 32, 32, 2);
  const Mp4DecMcPlane plane{ref.Origin(), ref.Stride(), 32, 32, 32};
  // Vector (3, 0): integer position x + 1, horizontal half position.
  Mp4DecMotionCompBlock(plane, dst.Origin(), 16, 16, 16, 16, 3, 0, 0);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const int want = (ref.At(17 + x, 16 + y) + ref.At(18 + x, 16 + y) + 1) >> 1;
      ASSERT_EQ(dst.Origin()[(16 + y) * dst.Stride() + 16 + x], want) << x << "," << y;
    }
  }
  // Vector (-1, -1): position (x - 1, y - 1), diagonal kernel.
  Mp4DecMotionCompBlock(plane, dst.Origin(), 8, 8, 0, 0, -1, -1, 1);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      const int want =
          (ref.At(x - 1, y - 1) + ref.At(x, y - 1) + ref.At(x - 1, y) + ref.At(x, y) + 1) >> 2;
      ASSERT_EQ(dst.Origin()[y * dst.Stride() + x], want) << x << "," << y;
    }
  }
}

// Vectors far outside the picture: the block comes from the padding next to it, which holds the
// edge extension, and nothing outside the padded plane is read.
TEST(MotionCompBlock, VectorsPastThePaddingAreClampedToIt) {
  struct Case {
    int width, height, border, blockW, blockH, x, y, mvx, mvy;
  };
  const Case cases[] = {
      {32, 32, 32, 16, 16, 0, 0, -255, -255},  {32, 32, 32, 16, 16, 16, 16, 255, 255},
      {32, 32, 32, 8, 8, 24, 0, 255, -200},    {16, 16, 16, 8, 8, 8, 8, 127, 127},
      {16, 16, 16, 8, 8, 0, 0, -128, 100},     {16, 8, 8, 8, 4, 8, 4, 101, 33},
      {176, 72, 16, 16, 8, 160, 64, -120, 31}, {1, 1, 16, 8, 8, 0, 0, 255, 255},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << c.blockW << "x" << c.blockH << " mv " << c.mvx << "," << c.mvy);
    TestPlane ref(c.width, c.height, c.border, 3);
    // Make the padding an edge extension, as the decoder's padding does.
    for (int y = -c.border; y < c.height + c.border; ++y) {
      for (int x = -c.border; x < c.width + c.border; ++x) {
        ref.Origin()[y * ref.Stride() + x] =
            ref.Origin()[std::clamp(y, 0, c.height - 1) * ref.Stride() +
                         std::clamp(x, 0, c.width - 1)];
      }
    }
    TestPlane dst(std::max(c.width, c.x + c.blockW), std::max(c.height, c.y + c.blockH), c.border,
                  4);
    // Destination and reference share the row step: give the destination the same one.
    std::vector<std::uint8_t> out(ref.buffer.size() + 64 * static_cast<std::size_t>(ref.Stride()));
    std::uint8_t* outOrigin = out.data() + c.border * ref.Stride() + c.border;
    const Mp4DecMcPlane plane{ref.Origin(), ref.Stride(), c.width, c.height, c.border};
    Mp4DecMotionCompBlock(plane, outOrigin, c.blockW, c.blockH, c.x, c.y, c.mvx, c.mvy, 0);
    for (int y = 0; y < c.blockH; ++y) {
      for (int x = 0; x < c.blockW; ++x) {
        const int ix = c.x + x + (c.mvx >> 1);
        const int iy = c.y + y + (c.mvy >> 1);
        auto e = [&](int px, int py) {
          return static_cast<int>(ref.Origin()[std::clamp(py, 0, c.height - 1) * ref.Stride() +
                                               std::clamp(px, 0, c.width - 1)]);
        };
        int want = e(ix, iy);
        if ((c.mvx & 1) != 0 && (c.mvy & 1) != 0) {
          want = (e(ix, iy) + e(ix + 1, iy) + e(ix, iy + 1) + e(ix + 1, iy + 1) + 2) >> 2;
        } else if ((c.mvx & 1) != 0) {
          want = (e(ix, iy) + e(ix + 1, iy) + 1) >> 1;
        } else if ((c.mvy & 1) != 0) {
          want = (e(ix, iy) + e(ix, iy + 1) + 1) >> 1;
        }
        ASSERT_EQ(outOrigin[(c.y + y) * ref.Stride() + c.x + x], want) << x << "," << y;
      }
    }
  }
}

TEST(ChromaVectors, OneAndFourVectorRules) {
  struct Case {
    int v;
    int want;
  };
  for (const Case c : {Case{3, 1}, Case{-1, -1}, Case{4, 2}, Case{-4, -2}, Case{0, 0}, Case{1, 1},
                       Case{2, 1}, Case{5, 3}, Case{-3, -1}, Case{-5, -3}}) {
    EXPECT_EQ(Mp4DecChromaVectorOne(c.v), c.want) << c.v;
  }
  for (const Case c : {Case{0, 0}, Case{9, 1}, Case{-17, -2}, Case{3, 1}, Case{2, 0}, Case{14, 2},
                       Case{16, 2}, Case{-30, -4}, Case{31, 4}, Case{-1, 0}}) {
    EXPECT_EQ(Mp4DecChromaVectorFour(c.v), c.want) << c.v;
  }
}

// ---- Vector prediction and decoding ---------------------------------------------------------

class VectorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(h.initResult, kMp4DecOk);
    ctx().vop.vop_fcode_forward = 3;
  }
  Mp4DecContext& ctx() { return h.Ctx(); }
  // Block vector `slot` of the macroblock at (x, y).
  void Set(int x, int y, int slot, int vx, int vy) {
    ctx().mvX[slot][y + 1][x + 1] = vx;
    ctx().mvY[slot][y + 1][x + 1] = vy;
  }
  void At(int x, int y) {
    ctx().mb.x = x;
    ctx().mb.y = y;
  }
  DecoderHarness h{64, 48, kMp4DecModePlanar, 0};
};

TEST_F(VectorTest, PredictorCandidates) {
  // Row 0: block 0 at column 0 is 0; block 0 elsewhere is the left block 1; block 1 is block 0.
  Set(0, 0, 1, 6, -2);
  Set(1, 0, 0, 10, 12);
  At(0, 0);
  EXPECT_EQ(Mp4DecPredictMotionVector(ctx(), 0, 0), 0);
  At(1, 0);
  EXPECT_EQ(Mp4DecPredictMotionVector(ctx(), 0, 0), 6);
  EXPECT_EQ(Mp4DecPredictMotionVector(ctx(), 0, 1), -2);
  EXPECT_EQ(Mp4DecPredictMotionVector(ctx(), 1, 0), 10);
  EXPECT_EQ(Mp4DecPredictMotionVector(ctx(), 1, 1), 12);

  // Row 1, column 1: block 0 is the median of left block 1, above block 2, above-right block 2.
  Set(0, 1, 1, 4, 40);
  Set(1, 0, 2, -8, 2);
  Set(2, 0, 2, 20, 7);
  At(1, 1);
  EXPECT_EQ(Mp4DecPredictMotionVector(ctx(), 0, 0), 4);
  EXPECT_EQ(Mp4DecPredictMotionVector(ctx(), 0, 1), 7);
  // Block 1: this block 0, above block 3, above-right block 2.
  Set(1, 1, 0, 30, -30);
  Set(1, 0, 3, 1, 1);
  EXPECT_EQ(Mp4DecPredictMotionVector(ctx(), 1, 0), 20);
  EXPECT_EQ(Mp4DecPredictMotionVector(ctx(), 1, 1), 1);
  // Block 2: left block 3, this block 0, this block 1.
  Set(0, 1, 3, -50, 0);
  Set(1, 1, 1, 2, 3);
  EXPECT_EQ(Mp4DecPredictMotionVector(ctx(), 2, 0), 2);
  EXPECT_EQ(Mp4DecPredictMotionVector(ctx(), 2, 1), 0);
  // Block 3: this block 2, 0, 1.
  Set(1, 1, 2, 100, 100);
  EXPECT_EQ(Mp4DecPredictMotionVector(ctx(), 3, 0), 30);
  EXPECT_EQ(Mp4DecPredictMotionVector(ctx(), 3, 1), 3);

  // Last column: the above-right candidate is the zero border.
  At(3, 1);
  Set(2, 1, 1, 9, 9);
  Set(3, 0, 2, 5, 5);
  EXPECT_EQ(Mp4DecPredictMotionVector(ctx(), 0, 0), 5);

  // A field-predicted candidate stands for the rounded average of its slots 0 and 2.
  At(1, 1);
  ctx().fieldMap[1][1] = 1;  // macroblock (0, 0)... not a candidate of block 0 at (1, 1)
  ctx().fieldMap[2][1] = 1;  // macroblock (0, 1): the left candidate
  Set(0, 1, 0, 3, 0);
  Set(0, 1, 2, 6, 0);
  EXPECT_EQ(Mp4DecRoundAverage(3, 6), 5);
  EXPECT_EQ(Mp4DecPredictMotionVector(ctx(), 0, 0), 5);
  EXPECT_EQ(Mp4DecRoundAverage(-3, 0), -1);
  EXPECT_EQ(Mp4DecRoundAverage(-4, 0), -2);
}

TEST_F(VectorTest, DecodedVectorsWrapIntoTheRangeOfTheFcode) {
  struct Case {
    const char* bits;
    int predictorX;
    int wantX;
    int wantY;
  };
  const Case cases[] = {
      // 120 + 20 (code 5: 0000101, sign 0, residual 11) = 140 -> -116.
      {"0000101"
       "0"
       "11"
       "1",
       120, -116, 0},
      // -120 - 20 = -140 -> 116.
      {"0000101"
       "1"
       "11"
       "1",
       -120, 116, 0},
      // Code 1, residual 00: 1; code -1, residual 11: -4.
      {"01"
       "0"
       "00"
       "01"
       "1"
       "11",
       0, 1, -4},
      // 0 + 127 stays; code 32 is 0000000000100 (12 zeros-led), residual 10 -> 127.
      {"1"
       "1",
       7, 7, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bits);
    At(1, 0);
    Set(0, 0, 1, c.predictorX, 0);
    BitWriter w;
    w.Code(c.bits).Put(0, 32);
    Mp4BitReader reader;
    reader.Init(w.Data());
    ASSERT_TRUE(Mp4DecDecodeMotionVector(ctx(), reader, -1));
    for (int slot = 0; slot < 4; ++slot) {
      EXPECT_EQ(ctx().mvX[slot][1][2], c.wantX);
      EXPECT_EQ(ctx().mvY[slot][1][2], c.wantY);
    }
  }
}

TEST_F(VectorTest, FieldVectorsHalveThePredictorAndDoubleTheResult) {
  At(1, 0);
  Set(0, 0, 1, 0, 7);  // y predictor 7 -> 3 (toward zero) for a field vector
  ctx().mb.field_prediction = 1;
  BitWriter w;
  w.Code("1")
      .Code(
          "01"
          "0"
          "00")
      .Code("1")
      .Code("1")
      .Put(0, 32);  // top (0, +1), bottom (0, 0)
  Mp4BitReader reader;
  reader.Init(w.Data());
  ASSERT_TRUE(Mp4DecDecodeMotionVector(ctx(), reader, -1));
  ASSERT_TRUE(Mp4DecDecodeMotionVector(ctx(), reader, -2));
  EXPECT_EQ(ctx().mvY[0][1][2], 8);  // (3 + 1) * 2
  EXPECT_EQ(ctx().mvY[1][1][2], 8);
  EXPECT_EQ(ctx().mvY[2][1][2], 6);  // 3 * 2
  EXPECT_EQ(ctx().mvY[3][1][2], 6);
}

TEST_F(VectorTest, InvalidMvdCodeIsReported) {
  At(0, 0);
  BitWriter w;
  w.Put(0, 32);
  Mp4BitReader reader;
  reader.Init(w.Data());
  EXPECT_FALSE(Mp4DecDecodeMotionVector(ctx(), reader, 0));
}

// ---- Inter blocks ---------------------------------------------------------------------------

TEST(InterBlock, DequantisedValuesBeforeTheInverseDct) {
  struct Case {
    int quantType;
    int qp;
    std::vector<std::pair<int, int>> expected;  // raster index, value
  };
  const Case cases[] = {
      {0, 5, {{0, 15}}},
      {0, 4, {{0, 11}}},
      {1, 2, {{0, 6}, {63, 1}}},  // MPEG: (2 + 1) * 2 * 16 >> 4 = 6; even sum flips bit 0 of 63
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "type " << c.quantType << " QP " << c.qp);
    DecoderHarness h(16, 16, kMp4DecModePlanar, 0);
    h.Ctx().vol.quant_type = c.quantType;
    h.Ctx().vop.quantiser = c.qp;
    BitWriter w;
    w.Code("0111").Put(0, 1).Put(0, 32);  // last 1, run 0, level +1
    ReaderOf(h.inst).Init(w.Data());
    ASSERT_TRUE(Mp4DecDecodeInterBlock(h.inst, 0));
    std::array<std::int16_t, 64> expected{};
    for (auto [index, value] : c.expected) {
      expected[static_cast<std::size_t>(index)] = static_cast<std::int16_t>(value);
    }
    primDCT8x8Inv_16s_C1I(expected.data());
    EXPECT_EQ(ReaderOf(h.inst).block, expected);
  }
}

TEST(InterBlock, InvalidCodeAndRunPastTheBlockAreReported) {
  DecoderHarness h(16, 16, kMp4DecModePlanar, 0);
  h.Ctx().vop.quantiser = 4;
  BitWriter invalid;
  invalid.Put(0, 32);
  ReaderOf(h.inst).Init(invalid.Data());
  EXPECT_FALSE(Mp4DecDecodeInterBlock(h.inst, 0));
  // Escape mode 3 (fixed length): last 0, run 0, level 1 at position 0; then last 1, run 63
  // from position 1: 64, outside the block.
  BitWriter past;
  past.Code("0000011").Code("11").Put(0, 1).Put(0, 6).Put(1, 1).Put(1, 12).Put(1, 1);
  past.Code("0000011").Code("11").Put(1, 1).Put(63, 6).Put(1, 1).Put(1, 12).Put(1, 1);
  past.Put(0, 32);
  ReaderOf(h.inst).Init(past.Data());
  EXPECT_FALSE(Mp4DecDecodeInterBlock(h.inst, 0));
}

TEST(InterBlock, AddSaturatesEachSample) {
  std::array<std::int16_t, 64> block{};
  std::array<std::uint8_t, 8 * 10> pixels{};
  pixels.fill(200);
  block[0] = 100;     // 300 -> 255
  block[1] = -250;    // -50 -> 0
  block[2] = 32767;   // saturates in 16 bits, then to 255
  block[3] = -32768;  // to 0
  block[63] = 5;
  Mp4DecAddBlockClamp(block.data(), pixels.data(), 10);
  EXPECT_EQ(pixels[0], 255);
  EXPECT_EQ(pixels[1], 0);
  EXPECT_EQ(pixels[2], 255);
  EXPECT_EQ(pixels[3], 0);
  EXPECT_EQ(pixels[4], 200);
  EXPECT_EQ(pixels[7 * 10 + 7], 205);
  EXPECT_EQ(pixels[8], 200);  // outside the 8 columns
}

TEST(IntraBlock, StoreSaturatesEachSample) {
  std::array<std::int16_t, 64> block{};
  for (std::size_t i = 0; i < block.size(); ++i) {
    block[i] = static_cast<std::int16_t>(static_cast<int>(i) * 1031 - 32768);
  }
  block[5] = 0;
  block[6] = 255;
  block[7] = 128;
  std::array<std::uint8_t, 8 * 10> pixels{};
  pixels.fill(77);
  Mp4DecPutBlockClamp(block.data(), pixels.data(), 10);
  for (int row = 0; row < 8; ++row) {
    for (int col = 0; col < 10; ++col) {
      const std::uint8_t got = pixels[static_cast<std::size_t>(row * 10 + col)];
      if (col >= 8) {
        EXPECT_EQ(got, 77);
        continue;
      }
      EXPECT_EQ(got, std::clamp<int>(block[static_cast<std::size_t>(8 * row + col)], 0, 255));
    }
  }
}

TEST(InverseDctShortcut, DcOnlyBlocksEqualTheGenericFormForEveryDc) {
  for (int dc = -32768; dc <= 32767; ++dc) {
    std::array<std::int16_t, 64> full{};
    full[0] = static_cast<std::int16_t>(dc);
    primDCT8x8Inv_16s_C1I_generic(full.data());
    std::array<std::int16_t, 64> flat;
    flat.fill(Mp4DecGenericDcOnlyValue(static_cast<std::int16_t>(dc)));
    ASSERT_EQ(full, flat) << dc;
  }
}

TEST(InverseDctShortcut, MatchesTheSelectedFormOnSparseBlocks) {
  std::mt19937 random(11);
  for (int trial = 0; trial < 2000; ++trial) {
    std::array<std::int16_t, 64> block{};
    block[0] = static_cast<std::int16_t>(static_cast<int>(random() % 4096) - 2048);
    if (trial % 3 == 1) {
      block[random() % 64] = static_cast<std::int16_t>(static_cast<int>(random() % 200) - 100);
    } else if (trial % 3 == 2) {
      block[0] = 0;
    }
    std::array<std::int16_t, 64> expected = block;
    primDCT8x8Inv_16s_C1I(expected.data());
    Mp4DecInverseDct(block.data());
    ASSERT_EQ(block, expected) << trial;
  }
}

// ---- Crafted P-VOPs -------------------------------------------------------------------------

void WriteIntraVop(BitWriter& w) {
  w.Bytes({0x00, 0x00, 0x01, 0xB6});
  w.Put(0, 2).Put(0, 1).Put(1, 1).Put(5, 4).Put(1, 1).Put(1, 1);  // I, time, coded
  w.Put(0, 3).Put(8, 5);                                          // intra_dc_vlc_thr, quant
  w.Code("1").Put(0, 1).Code("11");  // MCBPC type 3 cbpc 0, ac_pred 0, CBPY 15
  for (int b = 0; b < 4; ++b) {
    w.Code("011").Code("0111").Put(0, 1);  // DC size 0; last 1, run 0, level +1
  }
  w.Code("11").Code("11");  // chroma DC size 0, not coded
  w.Stuff();
}

void WritePVopHeader(BitWriter& w, int fcode, int quant = 6) {
  w.Bytes({0x00, 0x00, 0x01, 0xB6});
  w.Put(1, 2).Put(0, 1).Put(1, 1).Put(6, 4).Put(1, 1).Put(1, 1);    // P, time, coded
  w.Put(0, 1).Put(0, 3).Put(static_cast<std::uint32_t>(quant), 5);  // rounding, dc thr, quant
  w.Put(static_cast<std::uint32_t>(fcode), 3);
}

class CraftedPVopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(h.initResult, kMp4DecOk);
    h.Ctx().vol.vop_time_increment_resolution = 16;
    BitWriter w;
    WriteIntraVop(w);
    ASSERT_EQ(h.Decode(w.Data()), kMp4DecOk);
    intra = h.output;
  }
  DecoderHarness h{16, 16, kMp4DecModePlanar, 0};
  std::vector<std::uint8_t> intra;
};

TEST_F(CraftedPVopTest, NotCodedMacroblockCopiesTheReferenceAndKeepsTheQuantiser) {
  BitWriter w;
  WritePVopHeader(w, 3, 13);
  w.Put(1, 1);  // not coded
  w.Stuff();
  std::fill_n(h.output.begin(), 16 * 16 * 3 / 2, std::uint8_t{0});
  ASSERT_EQ(h.Decode(w.Data()), kMp4DecOk);
  EXPECT_EQ(h.output, intra);
  EXPECT_EQ(h.Ctx().quantMap[1][1], 13);
  EXPECT_EQ(h.Ctx().mbTypeMap[1][1], kMbSkipped);
}

TEST_F(CraftedPVopTest, OnlyFcodeThreeIsDecoded) {
  for (int fcode : {1, 2, 4, 7}) {
    BitWriter w;
    WritePVopHeader(w, fcode);
    w.Put(1, 1);
    w.Stuff();
    EXPECT_EQ(h.Decode(w.Data()), kMp4DecRefused) << fcode;
  }
  // The refusals left the decoder as it was: a P-VOP with fcode 3 still repeats the intra one.
  BitWriter w;
  WritePVopHeader(w, 3);
  w.Put(1, 1);
  w.Stuff();
  ASSERT_EQ(h.Decode(w.Data()), kMp4DecOk);
  EXPECT_EQ(h.output, intra);
}

TEST_F(CraftedPVopTest, InterMacroblockWithAVectorAndAResidual) {
  BitWriter w;
  WritePVopHeader(w, 3, 4);
  // Not coded 0; MCBPC "1" (inter, cbpc 0); CBPY "1011" (7, read for an inter macroblock as
  // 15 - 7 = 8: block 0 alone); vector (0, 0); one event: last 1, run 0, level +1.
  w.Put(0, 1).Code("1").Code("1011").Code("1").Code("1").Code("0111").Put(0, 1);
  w.Stuff();
  ASSERT_EQ(h.Decode(w.Data()), kMp4DecOk);
  // Block 0: the intra picture plus the residual of the dequantised DC 11 (QP 4).
  std::array<std::int16_t, 64> idct{};
  idct[0] = 11;
  primDCT8x8Inv_16s_C1I(idct.data());
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 16; ++x) {
      const std::size_t i = static_cast<std::size_t>(16 * y + x);
      const int want =
          x < 8 ? std::clamp(intra[i] + idct[static_cast<std::size_t>(8 * y + x)], 0, 255)
                : intra[i];  // block 1 not coded: the prediction alone
      ASSERT_EQ(h.output[i], want) << x << "," << y;
    }
  }
}

TEST_F(CraftedPVopTest, DamagedInterMacroblocksAreRefused) {
  struct Case {
    const char* body;
    Mp4DecLayer layer;
    int block;
  };
  const Case cases[] = {
      {"0"
       "000000000",  // invalid MCBPC
       Mp4DecLayer::kMacroblock, -1},
      {"0"
       "1"
       "000000",  // invalid CBPY
       Mp4DecLayer::kMacroblock, -1},
      {"0"
       "1"
       "11"
       "00000000000000",  // CBPY 15 -> pattern 0, then an invalid MVD
       Mp4DecLayer::kMotionVector, -1},
      {"0"
       "1"
       "0100"
       "1"
       "1"
       "0000000000000",  // CBPY 12 -> blocks 2 and 3, then an invalid coefficient code
       Mp4DecLayer::kBlock, 2},
  };
  for (const Case& c : cases) {
    BitWriter w;
    WritePVopHeader(w, 3);
    w.Code(c.body);
    w.Stuff();
    EXPECT_EQ(h.Decode(w.Data()), kMp4DecRefused) << c.body;
    const Mp4DecDamage d = Mp4DecLastDamage(h.inst);
    EXPECT_EQ(d.layer, c.layer) << c.body;
    EXPECT_EQ(d.fault, Mp4DecFault::kInvalidCode) << c.body;
    EXPECT_EQ(d.block, c.block) << c.body;
    EXPECT_EQ(d.mbX, 0);
    EXPECT_EQ(d.mbY, 0);
  }
}

}  // namespace

namespace {

TEST(IntraDequantVectorForm, EqualsTheScalarRuleForEveryQuantiser) {
  std::mt19937 random(5);
  for (int qp = 1; qp <= 31; ++qp) {
    for (int trial = 0; trial < 300; ++trial) {
      std::array<std::int16_t, 64> block{};
      for (auto& c : block) {
        switch (random() % 4) {
          case 0:
            c = 0;
            break;
          case 1:
            c = static_cast<std::int16_t>(static_cast<int>(random() % 5) - 2);
            break;
          case 2:
            c = static_cast<std::int16_t>(static_cast<int>(random() % 4096) - 2048);
            break;
          default:
            c = static_cast<std::int16_t>(random());
        }
      }
      block[1] = -32768;
      block[2] = 32767;
      std::array<std::int16_t, 64> expected = block;
      Mp4DecDequantH263(expected.data(), 1, qp);
      Mp4DecDequantH263IntraFast(block.data(), qp);
      ASSERT_EQ(block, expected) << "QP " << qp;
    }
  }
}

}  // namespace

namespace {

// Field and four-vector prediction of the corner macroblocks with vectors at the ends of the
// range: every read stays inside the frame buffers (exact-size blocks, checked by the
// sanitizer build), and a zero field vector copies the chosen field line by line.
TEST(MotionCompMacroblock, ExtremeVectorsStayInsideTheReferenceAndFieldsAreChosen) {
  DecoderHarness h(64, 48, kMp4DecModePlanar, 0);
  ASSERT_EQ(h.initResult, kMp4DecOk);
  std::mt19937 random(9);
  for (auto& b : h.frame0) {
    b = static_cast<std::uint8_t>(random());
  }
  for (auto& b : h.frame1) {
    b = static_cast<std::uint8_t>(random());
  }
  Mp4DecContext& ctx = h.Ctx();
  auto setSlots = [&](int mbx, int mby, int vx, int vy) {
    for (int slot = 0; slot < 4; ++slot) {
      ctx.mvX[slot][mby + 1][mbx + 1] = vx;
      ctx.mvY[slot][mby + 1][mbx + 1] = vy;
    }
  };
  const int extremes[] = {-128, -127, 0, 126, 127};
  for (int mby : {0, 2}) {
    for (int mbx : {0, 3}) {
      for (int vx : extremes) {
        for (int vy : extremes) {
          for (int field = 0; field < 2; ++field) {
            ctx.mb.field_prediction = field;
            ctx.mb.forward_top_field_reference = (vx & 1);
            ctx.mb.forward_bottom_field_reference = (vy & 1) ^ 1;
            setSlots(mbx, mby, vx, field != 0 ? 2 * (vy / 2) : vy);
            Mp4DecMotionCompMacroblock(h.inst, mbx, mby, kMbInter);
            Mp4DecMotionCompMacroblock(h.inst, mbx, mby, kMbInter4v);
          }
        }
      }
    }
  }
  // Zero vectors, top field from the bottom reference field, bottom field from the top one.
  ctx.mb.field_prediction = 1;
  ctx.mb.forward_top_field_reference = 1;
  ctx.mb.forward_bottom_field_reference = 0;
  setSlots(1, 1, 0, 0);
  Mp4DecMotionCompMacroblock(h.inst, 1, 1, kMbInter);
  const std::ptrdiff_t s = ctx.geometry.paddedLumaWidth;
  for (int line = 0; line < 16; ++line) {
    const std::uint8_t* ref = h.inst.referenceOrigin[0] + (16 + (line ^ 1)) * s + 16;
    const std::uint8_t* out = h.inst.decodeOrigin[0] + (16 + line) * s + 16;
    ASSERT_TRUE(std::equal(ref, ref + 16, out)) << line;
  }
}

// The not-coded macroblock copy gives the samples of the general prediction with zero vectors
// at every macroblock, for sizes that are and are not whole macroblocks.
TEST(MotionCompMacroblock, SkippedCopyEqualsZeroVectorPrediction) {
  for (const auto& [width, height] : {std::pair{64, 48}, std::pair{72, 40}, std::pair{50, 34}}) {
    DecoderHarness h(width, height, kMp4DecModePlanar, 0);
    ASSERT_EQ(h.initResult, kMp4DecOk);
    Mp4DecContext& ctx = h.Ctx();
    ctx.mb.field_prediction = 0;
    for (int mby = 0; mby < (height + 15) / 16; ++mby) {
      for (int mbx = 0; mbx < (width + 15) / 16; ++mbx) {
        for (int slot = 0; slot < 4; ++slot) {
          ctx.mvX[slot][mby + 1][mbx + 1] = 0;
          ctx.mvY[slot][mby + 1][mbx + 1] = 0;
        }
        auto fill = [&h](unsigned seed) {
          std::mt19937 random(seed);
          for (auto& b : h.frame0) {
            b = static_cast<std::uint8_t>(random());
          }
          for (auto& b : h.frame1) {
            b = static_cast<std::uint8_t>(random());
          }
        };
        const auto seed = static_cast<unsigned>(100 * mby + mbx + width);
        fill(seed);
        Mp4DecMotionCompMacroblock(h.inst, mbx, mby, kMbInter);
        const std::vector<std::uint8_t> want0 = h.frame0;
        const std::vector<std::uint8_t> want1 = h.frame1;
        fill(seed);
        Mp4DecMotionCompSkipped(h.inst, mbx, mby);
        ASSERT_EQ(h.frame0, want0) << width << "x" << height << " mb " << mbx << "," << mby;
        ASSERT_EQ(h.frame1, want1) << width << "x" << height << " mb " << mbx << "," << mby;
      }
    }
  }
}

}  // namespace
