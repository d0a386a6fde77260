// Every instruction-set path of the SSE, SSE2 and SSE3 forms against the form's rule: colour
// conversion and the H.263 dequantisation against the scalar rule all forms share, the
// table-driven inverse DCT against the forms' 128-bit code, over tables of edge values and
// positions.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "forms.h"
#include "prim/prim.h"
#include "prim/prim_mpeg4_quant.h"
#include "prim/quant_rule.h"
#include "prim/simd_path.h"
#include "prim/yuv_generic_paths.h"
#include "simd_paths.h"

namespace {

using prim_test::kSimdFormPaths;
using prim_test::ScopedForm;
using prim_test::ScopedSimdPath;
using prim_test::SimdFormPath;

TEST(SimdPath, ForcingFollowsWhatTheProcessorSupports) {
  const PrimSimdPath saved = PrimSimdPathInUse();
  EXPECT_TRUE(PrimForceSimdPath(PrimSimdPath::kForm));
  EXPECT_EQ(PrimSimdPathInUse(), PrimSimdPath::kForm);
  const bool avx2 = PrimSimdPathSupported() == PrimSimdPath::kAvx2;
  EXPECT_EQ(PrimForceSimdPath(PrimSimdPath::kAvx2), avx2);
  EXPECT_EQ(PrimSimdPathInUse(), avx2 ? PrimSimdPath::kAvx2 : PrimSimdPath::kForm);
  // A value outside the enumeration changes nothing.
  EXPECT_FALSE(PrimForceSimdPath(static_cast<PrimSimdPath>(-1)));
  EXPECT_FALSE(PrimForceSimdPath(static_cast<PrimSimdPath>(2)));
  EXPECT_EQ(PrimSimdPathInUse(), avx2 ? PrimSimdPath::kAvx2 : PrimSimdPath::kForm);
  EXPECT_TRUE(PrimForceSimdPath(saved));
}

TEST(SimdPath, TheAvx2PathIsTheGenericFormsAvx2Check) {
  EXPECT_EQ(PrimSimdPathSupported() == PrimSimdPath::kAvx2,
            PrimGenericPathSupported() == PrimGenericPath::kAvx2);
}

// One SIMD form selected through the dispatch, on one path.
class SimdPathTest : public ::testing::TestWithParam<SimdFormPath> {
 protected:
  void SetUp() override {
    m_path.emplace(GetParam().path);
    if (!m_path->Forced()) {
      GTEST_SKIP() << "this processor does not run the path";
    }
    m_form.emplace(GetParam().form);
    ASSERT_EQ(PrimCpuIndex.load(), GetParam().form.index);
    ASSERT_EQ(PrimSimdPathInUse(), GetParam().path);
  }
  void TearDown() override {
    m_form.reset();
    m_path.reset();
  }

 private:
  std::optional<ScopedSimdPath> m_path;
  std::optional<ScopedForm> m_form;
};

// ---- Inverse DCT ----------------------------------------------------------------------------

using Block = std::array<std::int16_t, 64>;

constexpr std::array<std::int16_t, 18> kEdgeCoefficients{1,    -1,    2,     -2,     7,     -8,
                                                         255,  -256,  1023,  -1024,  2047,  -2048,
                                                         4095, -4096, 16383, -16384, 32767, -32768};

// Blocks that reach every row and column (each row has its own weight table and rounding
// term), the saturation of the row pass's pack and of the column pass's sums, and the full
// 16-bit range.
std::vector<Block> EdgeBlocks() {
  std::vector<Block> blocks;
  for (const std::int16_t v : kEdgeCoefficients) {
    for (std::size_t p = 0; p < 64; ++p) {
      Block b{};
      b[p] = v;
      blocks.push_back(b);
      b[0] = static_cast<std::int16_t>(-v);  // with a DC of the other sign
      blocks.push_back(b);
    }
    for (std::size_t line = 0; line < 8; ++line) {
      Block row{};
      Block column{};
      for (std::size_t k = 0; k < 8; ++k) {
        row[8 * line + k] = v;
        column[8 * k + line] = v;
      }
      blocks.push_back(row);
      blocks.push_back(column);
    }
    Block full{};
    Block checker{};
    Block alternateRows{};
    full.fill(v);
    for (std::size_t i = 0; i < 64; ++i) {
      const bool odd = ((i / 8 + i % 8) & 1) != 0;
      checker[i] = odd ? static_cast<std::int16_t>(-v) : v;
      alternateRows[i] = ((i / 8) & 1) != 0 ? static_cast<std::int16_t>(-v) : v;
    }
    blocks.push_back(full);
    blocks.push_back(checker);
    blocks.push_back(alternateRows);
  }
  for (int dc = -2048; dc <= 2047; dc += 7) {
    Block b{};
    b[0] = static_cast<std::int16_t>(dc);
    blocks.push_back(b);
  }
  std::mt19937 rng(39);
  std::uniform_int_distribution<int> any(-32768, 32767);
  std::uniform_int_distribution<int> small(-300, 300);
  std::uniform_int_distribution<int> pick(0, 99);
  for (int trial = 0; trial < 1500; ++trial) {
    Block b{};
    const int density = trial % 4 == 0 ? 100 : 25;
    for (auto& c : b) {
      if (pick(rng) < density) {
        c = static_cast<std::int16_t>(trial % 3 == 0 ? any(rng) : small(rng));
      }
    }
    blocks.push_back(b);
  }
  return blocks;
}

Block TableReference(const Block& in) {
  Block out{};
  DCT8x8InvWorker_Sse2(in.data(), out.data());
  return out;
}

using SimdPathIdctTest = SimdPathTest;

TEST_P(SimdPathIdctTest, GivesTheTableDrivenFormsResults) {
  const std::vector<Block> blocks = EdgeBlocks();
  for (std::size_t i = 0; i < blocks.size(); ++i) {
    Block got = blocks[i];
    ASSERT_EQ(primDCT8x8Inv_16s_C1I(got.data()), StsNoError);
    ASSERT_EQ(got, TableReference(blocks[i])) << "block " << i;
  }
}

TEST_P(SimdPathIdctTest, AnyElementAlignmentGivesTheSameResults) {
  const std::vector<Block> blocks = EdgeBlocks();
  std::array<std::int16_t, 64 + 16 + 16> area{};
  for (std::size_t offset = 0; offset < 16; ++offset) {
    for (std::size_t i = offset; i < blocks.size(); i += 97) {
      area.fill(0x5A5A);
      std::copy(blocks[i].begin(), blocks[i].end(), area.begin() + 8 + offset);
      ASSERT_EQ(primDCT8x8Inv_16s_C1I(area.data() + 8 + offset), StsNoError);
      const Block want = TableReference(blocks[i]);
      for (std::size_t k = 0; k < area.size(); ++k) {
        const bool inside = k >= 8 + offset && k < 8 + offset + 64;
        ASSERT_EQ(area[k], inside ? want[k - 8 - offset] : 0x5A5A)
            << "offset " << offset << " block " << i << " element " << k;
      }
    }
  }
}

TEST_P(SimdPathIdctTest, NullBlockIsRefused) {
  EXPECT_EQ(primDCT8x8Inv_16s_C1I(nullptr), StsNullPointer);
}

// The AVX2 worker itself, apart from the dispatch: separate and coinciding source and
// destination.
TEST(SimdPathIdctWorker, Avx2WorkerWithSeparateAndSharedBuffers) {
  if (PrimSimdPathSupported() != PrimSimdPath::kAvx2) {
    GTEST_SKIP() << "this processor does not run the AVX2 path";
  }
  for (const Block& in : EdgeBlocks()) {
    const Block want = TableReference(in);
    Block out{};
    DCT8x8InvWorker_TableAvx2(in.data(), out.data());
    ASSERT_EQ(out, want);
    Block inPlace = in;
    DCT8x8InvWorker_TableAvx2(inPlace.data(), inPlace.data());
    ASSERT_EQ(inPlace, want);
  }
}

// ---- YUV 4:2:0 to BGR ------------------------------------------------------------------------

constexpr std::array<std::uint8_t, 9> kLumaValues{0, 1, 15, 16, 128, 234, 235, 254, 255};
constexpr std::array<std::uint8_t, 9> kChromaValues{0, 1, 64, 127, 128, 129, 192, 254, 255};

// A picture whose planes cycle through the value tables, so that neighbouring pixels and the
// two chroma samples meet in every combination along a row; rows padded, planes offset from
// their allocation by `misalign` bytes.
struct TablePicture {
  int width;
  int height;
  int lumaStep;
  int chromaStep;
  int misalign;
  std::vector<std::uint8_t> y, u, v;

  TablePicture(int w, int h, int offset) : width(w), height(h), misalign(offset) {
    lumaStep = w + 3;
    chromaStep = (w + 1) / 2 + 5;
    const int chromaRows = (h + 1) / 2;
    y.resize(static_cast<std::size_t>(lumaStep * h + offset));
    u.resize(static_cast<std::size_t>(chromaStep * chromaRows + offset));
    v.resize(u.size());
    for (int r = 0; r < h; ++r) {
      for (int x = 0; x < w; ++x) {
        y[static_cast<std::size_t>(offset + r * lumaStep + x)] =
            kLumaValues[static_cast<std::size_t>((x + 4 * r) % 9)];
      }
    }
    for (int r = 0; r < chromaRows; ++r) {
      for (int x = 0; x < (w + 1) / 2; ++x) {
        const std::size_t at = static_cast<std::size_t>(offset + r * chromaStep + x);
        u[at] = kChromaValues[static_cast<std::size_t>((x + r) % 9)];
        v[at] = kChromaValues[static_cast<std::size_t>((x / 9 + 2 * r) % 9)];
      }
    }
  }
};

constexpr std::uint8_t kCanary = 0xA5;

// Converts with `worker` (a form's entry or the scalar rule); upward reads and writes the
// picture from its last row with negative steps. The output keeps canary bytes around and
// between rows.
template <typename Convert>
std::vector<std::uint8_t> ConvertTable(const TablePicture& p, bool upward, int dstMisalign,
                                       Convert convert) {
  const int dstStep = 3 * p.width + 5;
  std::vector<std::uint8_t> out(static_cast<std::size_t>(dstStep * p.height + 64), kCanary);
  const std::uint8_t* planes[3] = {p.y.data() + p.misalign, p.u.data() + p.misalign,
                                   p.v.data() + p.misalign};
  std::int32_t steps[3] = {p.lumaStep, p.chromaStep, p.chromaStep};
  std::uint8_t* dst = out.data() + 16 + dstMisalign;
  std::int32_t step = dstStep;
  if (upward) {
    planes[0] += p.lumaStep * (p.height - 1);
    planes[1] += p.chromaStep * ((p.height - 1) / 2);
    planes[2] += p.chromaStep * ((p.height - 1) / 2);
    dst += dstStep * (p.height - 1);
    for (auto& s : steps) {
      s = -s;
    }
    step = -step;
  }
  convert(planes, steps, dst, step, p.width, p.height);
  return out;
}

std::vector<int> TableWidths() {
  std::vector<int> widths;
  for (int w = 1; w <= 40; ++w) {
    widths.push_back(w);
  }
  for (int w : {47, 48, 49, 63, 64, 65, 95, 96, 97, 127, 128, 129, 162, 352, 703, 704, 705, 720}) {
    widths.push_back(w);
  }
  return widths;
}

using SimdPathYuvTest = SimdPathTest;

TEST_P(SimdPathYuvTest, GivesTheScalarRulesBytesOverWidthsRowsAndDirections) {
  const auto form = [](const std::uint8_t* const* planes, const std::int32_t* steps,
                       std::uint8_t* dst, std::int32_t step, std::int32_t w, std::int32_t h) {
    ASSERT_EQ(primYUV420ToBGR_8u_P3C3R(planes, steps, dst, step, w, h), StsNoError);
  };
  const auto rule = [](const std::uint8_t* const* planes, const std::int32_t* steps,
                       std::uint8_t* dst, std::int32_t step, std::int32_t w, std::int32_t h) {
    YUV420ToBGRWorker_GenericScalar(planes, steps, dst, step, w, h);
  };
  for (const int w : TableWidths()) {
    for (const int h : {1, 2, 3, 4, 5, 7}) {
      for (const int misalign : {0, 1, 3}) {
        const TablePicture p(w, h, misalign);
        for (const bool upward : {false, true}) {
          const int dstMisalign = misalign == 1 ? 1 : 0;
          ASSERT_EQ(ConvertTable(p, upward, dstMisalign, form),
                    ConvertTable(p, upward, dstMisalign, rule))
              << w << "x" << h << " misalign " << misalign << (upward ? " upward" : "");
        }
      }
    }
  }
}

TEST_P(SimdPathYuvTest, EveryLumaAndChromaCombinationSaturatesAsTheRule) {
  // Each 2x2 block has one chroma pair; across the picture every (U, V) pair of the table
  // meets every luma value of the table.
  const int w = 2 * 81;
  const int h = 2 * 9;
  TablePicture p(w, h, 0);
  for (int r = 0; r < h; ++r) {
    for (int x = 0; x < w; ++x) {
      p.y[static_cast<std::size_t>(r * p.lumaStep + x)] =
          kLumaValues[static_cast<std::size_t>(r / 2)];
    }
  }
  for (int r = 0; r < h / 2; ++r) {
    for (int x = 0; x < w / 2; ++x) {
      p.u[static_cast<std::size_t>(r * p.chromaStep + x)] =
          kChromaValues[static_cast<std::size_t>(x % 9)];
      p.v[static_cast<std::size_t>(r * p.chromaStep + x)] =
          kChromaValues[static_cast<std::size_t>(x / 9)];
    }
  }
  const auto form = [](const std::uint8_t* const* planes, const std::int32_t* steps,
                       std::uint8_t* dst, std::int32_t step, std::int32_t width,
                       std::int32_t height) {
    ASSERT_EQ(primYUV420ToBGR_8u_P3C3R(planes, steps, dst, step, width, height), StsNoError);
  };
  const auto rule = [](const std::uint8_t* const* planes, const std::int32_t* steps,
                       std::uint8_t* dst, std::int32_t step, std::int32_t width,
                       std::int32_t height) {
    YUV420ToBGRWorker_GenericScalar(planes, steps, dst, step, width, height);
  };
  EXPECT_EQ(ConvertTable(p, false, 0, form), ConvertTable(p, false, 0, rule));
}

TEST_P(SimdPathYuvTest, ArgumentChecksWriteNothing) {
  std::array<std::uint8_t, 64> plane{};
  const std::uint8_t* planes[3] = {plane.data(), plane.data(), plane.data()};
  const std::uint8_t* missing[3] = {plane.data(), nullptr, plane.data()};
  const std::int32_t steps[3] = {8, 4, 4};
  std::array<std::uint8_t, 256> out{};
  out.fill(kCanary);
  EXPECT_EQ(primYUV420ToBGR_8u_P3C3R(planes, steps, out.data(), 24, 0, 2), StsSizeError);
  EXPECT_EQ(primYUV420ToBGR_8u_P3C3R(planes, steps, out.data(), 24, 8, -1), StsSizeError);
  EXPECT_EQ(primYUV420ToBGR_8u_P3C3R(missing, steps, out.data(), 24, 8, 2), StsNullPointer);
  EXPECT_EQ(primYUV420ToBGR_8u_P3C3R(planes, nullptr, out.data(), 24, 8, 2), StsNullPointer);
  for (const std::uint8_t b : out) {
    ASSERT_EQ(b, kCanary);
  }
}

// ---- H.263 dequantisation --------------------------------------------------------------------

constexpr std::array<std::int16_t, 29> kQuantValues{
    0,  1,   -1,  2,    -2,   30,    -30,  31,    -31,   32,     -32,   33,     -33, 63, -63,
    64, -64, 546, -546, 1023, -1023, 2047, -2048, 16383, -16384, 32767, -32768, 4,   -5};

// An array of `len` coefficients cycling through the value table, with runs of sixteen zeros
// in some stretches (the vector paths skip all-zero groups).
std::vector<std::int16_t> QuantArray(std::int32_t len, std::int32_t qp) {
  std::vector<std::int16_t> data(static_cast<std::size_t>(len));
  for (std::int32_t i = 0; i < len; ++i) {
    const bool zeroRun = (i / 16) % 3 == 2;
    data[static_cast<std::size_t>(i)] =
        zeroRun ? 0 : kQuantValues[static_cast<std::size_t>((7 * i + qp) % 29)];
  }
  return data;
}

using SimdPathQuantTest = SimdPathTest;

TEST_P(SimdPathQuantTest, GivesTheRuleOverQuantisersLengthsAndAddresses) {
  constexpr std::int16_t kGuard = 0x1234;
  for (std::int32_t qp = 1; qp <= 31; ++qp) {
    for (const std::int32_t len : {1, 2, 3, 7, 8, 9, 15, 16, 17, 31, 32, 33, 40, 63, 64, 65}) {
      const std::vector<std::int16_t> coefficients = QuantArray(len, qp);
      for (std::size_t offset = 0; offset < 16; ++offset) {
        std::vector<std::int16_t> area(static_cast<std::size_t>(len) + 32, kGuard);
        std::copy(coefficients.begin(), coefficients.end(), area.begin() + 8 + offset);
        ASSERT_EQ(primQuantInvInter_Compact_H263_16s_I(area.data() + 8 + offset, len, qp),
                  StsNoError);
        for (std::size_t k = 0; k < area.size(); ++k) {
          const bool inside = k >= 8 + offset && k < 8 + offset + static_cast<std::size_t>(len);
          const std::int16_t want =
              inside ? prim_quant::InverseH263(coefficients[k - 8 - offset], qp, prim_quant::kLower,
                                               prim_quant::kUpper)
                     : kGuard;
          ASSERT_EQ(area[k], want)
              << "QP " << qp << " len " << len << " offset " << offset << " element " << k;
        }
      }
    }
  }
}

TEST_P(SimdPathQuantTest, OddAddressGivesTheRule) {
  // An array at an odd byte address (the primitive accepts any address).
  constexpr std::int32_t kLen = 64;
  const std::vector<std::int16_t> coefficients = QuantArray(kLen, 9);
  std::vector<std::uint8_t> bytes(2 * kLen + 8, 0);
  std::memcpy(bytes.data() + 1, coefficients.data(), 2 * kLen);
  auto* odd = reinterpret_cast<std::int16_t*>(bytes.data() + 1);
  ASSERT_EQ(primQuantInvInter_Compact_H263_16s_I(odd, kLen, 9), StsNoError);
  for (std::int32_t i = 0; i < kLen; ++i) {
    std::int16_t got = 0;
    std::memcpy(&got, bytes.data() + 1 + 2 * i, 2);
    ASSERT_EQ(got, prim_quant::InverseH263(coefficients[static_cast<std::size_t>(i)], 9,
                                           prim_quant::kLower, prim_quant::kUpper))
        << i;
  }
  EXPECT_EQ(bytes[0], 0);
  EXPECT_EQ(bytes[2 * kLen + 1], 0);
}

TEST_P(SimdPathQuantTest, ArgumentChecksLeaveTheArrayUntouched) {
  std::array<std::int16_t, 16> data{};
  data.fill(5);
  EXPECT_EQ(primQuantInvInter_Compact_H263_16s_I(nullptr, 16, 9), StsNullPointer);
  EXPECT_EQ(primQuantInvInter_Compact_H263_16s_I(data.data(), 0, 9), StsSizeError);
  EXPECT_EQ(primQuantInvInter_Compact_H263_16s_I(data.data(), 16, 0), StsQuantParamError);
  EXPECT_EQ(primQuantInvInter_Compact_H263_16s_I(data.data(), 16, 32), StsQuantParamError);
  for (const std::int16_t v : data) {
    ASSERT_EQ(v, 5);
  }
}

// ---- MPEG-4 dequantisation workers ----------------------------------------------------------

// The workers of one SIMD form (called directly: they have no dispatched entry) on one path.
struct Mpeg4FormPath {
  const char* name;
  QuantInvMpeg4GenericPath workers;
  PrimSimdPath path;
};

void PrintTo(const Mpeg4FormPath& p, std::ostream* os) {
  *os << p.name;
}

constexpr QuantInvMpeg4GenericPath kMpeg4Sse{
    QuantInvIntraMpeg4Worker_Sse, QuantInvInterMpeg4Worker_Sse, QuantInvIntraMpeg4ScanWorker_Sse,
    QuantInvInterMpeg4ScanWorker_Sse};
constexpr QuantInvMpeg4GenericPath kMpeg4Sse2{
    QuantInvIntraMpeg4Worker_Sse2, QuantInvInterMpeg4Worker_Sse2, QuantInvIntraMpeg4ScanWorker_Sse2,
    QuantInvInterMpeg4ScanWorker_Sse2};
constexpr QuantInvMpeg4GenericPath kMpeg4Sse3{
    QuantInvIntraMpeg4Worker_Sse3, QuantInvInterMpeg4Worker_Sse3, QuantInvIntraMpeg4ScanWorker_Sse3,
    QuantInvInterMpeg4ScanWorker_Sse3};

const Mpeg4FormPath kMpeg4FormPaths[] = {
    {"Sse_Own", kMpeg4Sse, PrimSimdPath::kForm},   {"Sse_Avx2", kMpeg4Sse, PrimSimdPath::kAvx2},
    {"Sse2_Own", kMpeg4Sse2, PrimSimdPath::kForm}, {"Sse2_Avx2", kMpeg4Sse2, PrimSimdPath::kAvx2},
    {"Sse3_Own", kMpeg4Sse3, PrimSimdPath::kForm}, {"Sse3_Avx2", kMpeg4Sse3, PrimSimdPath::kAvx2},
};

class SimdPathMpeg4QuantTest : public ::testing::TestWithParam<Mpeg4FormPath> {
 protected:
  void SetUp() override {
    m_path.emplace(GetParam().path);
    if (!m_path->Forced()) {
      GTEST_SKIP() << "this processor does not run the path";
    }
  }
  void TearDown() override { m_path.reset(); }

 private:
  std::optional<ScopedSimdPath> m_path;
};

constexpr std::array<std::uint8_t, 10> kWeightValues{0, 1, 2, 8, 16, 100, 127, 128, 200, 255};

struct Bounds {
  std::int32_t lower;
  std::int32_t upper;
};

TEST_P(SimdPathMpeg4QuantTest, EveryWorkerGivesTheScalarRules) {
  const QuantInvMpeg4GenericPath& form = GetParam().workers;
  const QuantInvMpeg4GenericPath& rule = kQuantInvMpeg4GenericScalar;
  std::array<std::array<std::uint8_t, 64>, 4> scans{};
  for (std::size_t i = 0; i < 64; ++i) {
    scans[0][i] = static_cast<std::uint8_t>(i);                   // raster
    scans[1][i] = static_cast<std::uint8_t>(63 - i);              // reversed
    scans[2][i] = static_cast<std::uint8_t>((7 * i) % 64);        // a spread permutation
    scans[3][i] = static_cast<std::uint8_t>(64 + (3 * i) % 192);  // taken modulo 64
  }
  constexpr std::array<Bounds, 4> kBounds{{{-2048, 2047}, {-100, 100}, {-32768, 32767}, {0, 0}}};
  constexpr std::int16_t kGuard = 0x4321;
  for (std::int32_t qp = 1; qp <= 31; ++qp) {
    std::array<std::uint8_t, 64> weights{};
    for (std::size_t i = 0; i < 64; ++i) {
      weights[i] = kWeightValues[(i + static_cast<std::size_t>(qp)) % kWeightValues.size()];
    }
    for (std::size_t offset = 0; offset < 8; ++offset) {
      std::vector<std::int16_t> area(64 + 16 + 8, kGuard);
      for (std::size_t i = 0; i < 64; ++i) {
        area[8 + offset + i] = kQuantValues[(5 * i + static_cast<std::size_t>(qp)) % 29];
      }
      const auto compare = [&](const auto& call, const char* what) {
        std::vector<std::int16_t> want = area;
        std::vector<std::int16_t> got = area;
        std::int32_t wantSum = 11;
        std::int32_t gotSum = 11;
        call(rule, want.data() + 8 + offset, &wantSum);
        call(form, got.data() + 8 + offset, &gotSum);
        ASSERT_EQ(got, want) << what << " QP " << qp << " offset " << offset;
        ASSERT_EQ(gotSum, wantSum) << what << " QP " << qp << " offset " << offset;
      };
      for (const Bounds b : kBounds) {
        compare(
            [&](const QuantInvMpeg4GenericPath& w, std::int16_t* data, std::int32_t* sum) {
              w.intra(data, weights.data(), qp, b.lower, b.upper, sum);
            },
            "intra");
        compare(
            [&](const QuantInvMpeg4GenericPath& w, std::int16_t* data, std::int32_t* sum) {
              w.inter(data, weights.data(), qp, b.lower, b.upper, sum);
            },
            "inter");
      }
      for (const auto& scan : scans) {
        for (const std::int32_t count : {-2, 0, 1, 7, 8, 9, 15, 16, 17, 31, 33, 63, 64, 65}) {
          compare(
              [&](const QuantInvMpeg4GenericPath& w, std::int16_t* data, std::int32_t* sum) {
                w.intraScan(data, count, weights.data(), scan.data(), qp, sum);
              },
              "intra scan");
          compare(
              [&](const QuantInvMpeg4GenericPath& w, std::int16_t* data, std::int32_t* sum) {
                w.interScan(data, count, weights.data(), scan.data(), qp, sum);
              },
              "inter scan");
        }
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Paths, SimdPathMpeg4QuantTest, ::testing::ValuesIn(kMpeg4FormPaths),
                         [](const auto& info) { return std::string(info.param.name); });

std::string Name(const ::testing::TestParamInfo<SimdFormPath>& info) {
  return prim_test::SimdFormPathName(info.param);
}

INSTANTIATE_TEST_SUITE_P(Paths, SimdPathIdctTest, ::testing::ValuesIn(kSimdFormPaths), Name);
INSTANTIATE_TEST_SUITE_P(Paths, SimdPathYuvTest, ::testing::ValuesIn(kSimdFormPaths), Name);
INSTANTIATE_TEST_SUITE_P(Paths, SimdPathQuantTest, ::testing::ValuesIn(kSimdFormPaths), Name);

}  // namespace
