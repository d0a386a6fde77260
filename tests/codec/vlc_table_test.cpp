// The lookup tables are built from the code lists; these tests walk every code of every list
// through its table and check the lists' structure (prefix-free, and complete where the code
// space is complete).
#include "codec/mp4dec/vlc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "codec/mp4dec/texture.h"
#include "mp4dec_harness.h"

namespace {

struct TableCase {
  const char* name;
  std::span<const Mp4DecCode> codes;
  const Mp4DecVlcTable& (*table)();
  std::size_t count;
  // Kraft sum of the list; 1 when the code space is complete.
  double kraft;
};

void PrintTo(const TableCase& c, std::ostream* os) {
  *os << c.name;
}

class VlcTableTest : public ::testing::TestWithParam<TableCase> {};

TEST_P(VlcTableTest, EveryCodeDecodesToItsEntryWithItsLength) {
  const TableCase& c = GetParam();
  ASSERT_EQ(c.codes.size(), c.count);
  const Mp4DecVlcTable& table = c.table();
  for (const Mp4DecCode& code : c.codes) {
    // The code followed by ones, and by zeros: the trailing bits must not matter.
    for (const char* tail : {"111111111111111", "000000000000000"}) {
      BitWriter w;
      w.Code(code.bits).Code(tail);
      Mp4BitReader reader;
      reader.Init(w.Data());
      const Mp4DecVlcEntry& entry = table.Read(reader);
      SCOPED_TRACE(std::string(c.name) + " code " + code.bits);
      ASSERT_EQ(entry.length, std::strlen(code.bits));
      EXPECT_EQ(reader.BitPosition(), std::strlen(code.bits));
      EXPECT_EQ(entry.a, code.a);
      EXPECT_EQ(entry.b, code.b);
      EXPECT_EQ(entry.c, code.c);
    }
  }
}

TEST_P(VlcTableTest, KraftSumShowsPrefixFreeAndCompleteness) {
  const TableCase& c = GetParam();
  double sum = 0;
  for (const Mp4DecCode& code : c.codes) {
    sum += std::ldexp(1.0, -static_cast<int>(std::strlen(code.bits)));
  }
  EXPECT_NEAR(sum, c.kraft, 1e-12);
  // Windows that start no code read as invalid (length 0).
  const Mp4DecVlcTable& table = c.table();
  std::size_t valid = 0;
  for (std::uint32_t w = 0; w < (1U << table.Bits()); ++w) {
    valid += table.Lookup(w).length != 0 ? 1 : 0;
  }
  EXPECT_NEAR(static_cast<double>(valid) / (1U << table.Bits()), c.kraft, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, VlcTableTest,
    ::testing::Values(
        // MCBPC I: 9 bits with all-zero-prefix windows invalid.
        TableCase{"McbpcIntra", kMcbpcIntraCodeList, Mp4DecMcbpcIntraTable, 9, 1 - 7.0 / 512},
        TableCase{"McbpcInter", kMcbpcInterCodeList, Mp4DecMcbpcInterTable, 21, 1 - 1.0 / 512},
        TableCase{"Cbpy", kCbpyCodeList, Mp4DecCbpyTable, 16, 1 - 2.0 / 64},
        TableCase{"Mvd", kMvdCodeList, Mp4DecMvdTable, 33, 1 - 2.0 / 4096},
        TableCase{"DcSizeLuma", kDcSizeLumaCodeList, Mp4DecDcSizeLumaTable, 13, 1 - 1.0 / 2048},
        TableCase{"DcSizeChroma", kDcSizeChromaCodeList, Mp4DecDcSizeChromaTable, 13,
                  1 - 1.0 / 4096},
        TableCase{"IntraTcoef", kIntraTcoefCodeList, Mp4DecIntraTcoefTable, 103, 1 - 8.0 / 4096},
        TableCase{"InterTcoef", kInterTcoefCodeList, Mp4DecInterTcoefTable, 103, 1 - 8.0 / 4096}),
    [](const auto& info) { return info.param.name; });

TEST(VlcEscapeTables, MaximaMatchTheStandardsEscapeTables) {
  // Intra, last 0: LMAX by run 0..14.
  const int intraLmax0[] = {27, 10, 5, 4, 3, 3, 3, 3, 2, 2, 1, 1, 1, 1, 1};
  for (int run = 0; run < 15; ++run) {
    EXPECT_EQ(Mp4DecIntraLmax(0, run), intraLmax0[run]) << run;
  }
  EXPECT_EQ(Mp4DecIntraLmax(0, 15), 0);
  EXPECT_EQ(Mp4DecIntraLmax(1, 0), 8);
  EXPECT_EQ(Mp4DecIntraLmax(1, 1), 3);
  EXPECT_EQ(Mp4DecIntraLmax(1, 20), 1);
  EXPECT_EQ(Mp4DecIntraLmax(1, 21), 0);
  EXPECT_EQ(Mp4DecIntraRmax(0, 1), 14);
  EXPECT_EQ(Mp4DecIntraRmax(0, 2), 9);
  EXPECT_EQ(Mp4DecIntraRmax(0, 27), 0);
  EXPECT_EQ(Mp4DecIntraRmax(1, 1), 20);
  EXPECT_EQ(Mp4DecIntraRmax(1, 3), 1);
  // Inter.
  EXPECT_EQ(Mp4DecInterLmax(0, 0), 12);
  EXPECT_EQ(Mp4DecInterLmax(0, 1), 6);
  EXPECT_EQ(Mp4DecInterLmax(0, 26), 1);
  EXPECT_EQ(Mp4DecInterLmax(1, 0), 3);
  EXPECT_EQ(Mp4DecInterLmax(1, 40), 1);
  EXPECT_EQ(Mp4DecInterRmax(0, 1), 26);
  EXPECT_EQ(Mp4DecInterRmax(1, 1), 40);
  EXPECT_EQ(Mp4DecInterRmax(1, 2), 1);
  // Outside the tables.
  EXPECT_EQ(Mp4DecInterLmax(2, 0), 0);
  EXPECT_EQ(Mp4DecIntraRmax(0, 500), 0);
  EXPECT_EQ(Mp4DecIntraLmax(0, -1), 0);
}

TEST(VlcTableBuild, RejectsClashingOrOverlongCodes) {
  const Mp4DecCode clash[] = {{"1", 0, 0, 0}, {"10", 1, 0, 0}};
  EXPECT_THROW(Mp4DecVlcTable(clash, 4), std::logic_error);
  const Mp4DecCode tooLong[] = {{"00001", 0, 0, 0}};
  EXPECT_THROW(Mp4DecVlcTable(tooLong, 4), std::logic_error);
}

}  // namespace

namespace {

// The short table of each table gives the same code as the full one for every window whose
// code fits in its bits, and sends the longer ones to the full table.
TEST(VlcShortTable, AgreesWithTheFullTable) {
  const Mp4DecVlcTable* tables[] = {&Mp4DecIntraTcoefTable(),  &Mp4DecInterTcoefTable(),
                                    &Mp4DecMvdTable(),         &Mp4DecMcbpcInterTable(),
                                    &Mp4DecMcbpcIntraTable(),  &Mp4DecDcSizeLumaTable(),
                                    &Mp4DecDcSizeChromaTable()};
  constexpr int kShort = Mp4DecVlcTable::kShortBits;
  for (const Mp4DecVlcTable* table : tables) {
    if (table->Bits() < kShort) {
      continue;
    }
    for (std::uint32_t w = 0; w < (1U << table->Bits()); ++w) {
      const Mp4DecVlcEntry& full = table->Lookup(w);
      const Mp4DecVlcEntry& quick = table->LookupShort(w >> (table->Bits() - kShort));
      if (full.length != 0 && full.length <= kShort) {
        ASSERT_EQ(quick.length, full.length) << w;
        ASSERT_EQ(quick.a, full.a) << w;
        ASSERT_EQ(quick.b, full.b) << w;
        ASSERT_EQ(quick.c, full.c) << w;
      } else {
        ASSERT_EQ(quick.length, 0) << w;
      }
    }
  }
}

}  // namespace
