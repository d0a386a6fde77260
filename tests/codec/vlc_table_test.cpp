// The lookup tables are built from the code lists; these tests walk every code of every list
// through its table and check the lists' structure (prefix-free, and complete where the code
// space is complete).
#include "codec/mp4dec/vlc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "codec/mp4dec/texture.h"
#include "mp4dec_harness.h"

namespace {

// The values of a code and of a table entry, in the order the code lists give them.
std::vector<int> ValuesOf(const Mp4DecMcbpcCode& c) {
  return {c.mb_type, c.cbpc};
}
std::vector<int> ValuesOf(const Mp4DecValueCode& c) {
  return {c.value};
}
std::vector<int> ValuesOf(const Mp4DecTcoefCode& c) {
  return {c.last, c.run, c.level};
}
std::vector<int> ValuesOf(const Mp4DecMcbpcEntry& e) {
  return {e.mb_type, e.cbpc};
}
std::vector<int> ValuesOf(const Mp4DecValueEntry& e) {
  return {e.value};
}
std::vector<int> ValuesOf(const Mp4DecTcoefEntry& e) {
  return {e.last, e.run, e.level};
}

// A code list and its table, seen through their values whatever kind of code they hold.
struct Decoded {
  int length;
  std::vector<int> values;
};
struct TableView {
  std::vector<std::pair<const char*, std::vector<int>>> codes;  // bits and values
  int bits;
  std::function<Decoded(std::uint32_t window)> lookup;
  std::function<Decoded(Mp4BitReader& reader)> read;
};

template <typename Entry>
TableView ViewOf(std::span<const typename Entry::Code> list, const Mp4DecVlcTable<Entry>& table) {
  TableView view;
  for (const auto& code : list) {
    view.codes.emplace_back(code.bits, ValuesOf(code));
  }
  view.bits = table.Bits();
  view.lookup = [&table](std::uint32_t w) {
    const Entry& e = table.Lookup(w);
    return Decoded{e.length, ValuesOf(e)};
  };
  view.read = [&table](Mp4BitReader& reader) {
    const Entry& e = table.Read(reader);
    return Decoded{e.length, ValuesOf(e)};
  };
  return view;
}

struct TableCase {
  const char* name;
  TableView (*view)();
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
  const TableView table = c.view();
  ASSERT_EQ(table.codes.size(), c.count);
  for (const auto& [bits, values] : table.codes) {
    // The code followed by ones, and by zeros: the trailing bits must not matter.
    for (const char* tail : {"111111111111111", "000000000000000"}) {
      BitWriter w;
      w.Code(bits).Code(tail);
      Mp4BitReader reader;
      reader.Init(w.Data());
      const Decoded entry = table.read(reader);
      SCOPED_TRACE(std::string(c.name) + " code " + bits);
      ASSERT_EQ(entry.length, static_cast<int>(std::strlen(bits)));
      EXPECT_EQ(reader.BitPosition(), std::strlen(bits));
      EXPECT_EQ(entry.values, values);
    }
  }
}

TEST_P(VlcTableTest, KraftSumShowsPrefixFreeAndCompleteness) {
  const TableCase& c = GetParam();
  const TableView table = c.view();
  double sum = 0;
  for (const auto& code : table.codes) {
    sum += std::ldexp(1.0, -static_cast<int>(std::strlen(code.first)));
  }
  EXPECT_NEAR(sum, c.kraft, 1e-12);
  // Windows that start no code read as invalid (length 0).
  std::size_t valid = 0;
  for (std::uint32_t w = 0; w < (1U << table.bits); ++w) {
    valid += table.lookup(w).length != 0 ? 1 : 0;
  }
  EXPECT_NEAR(static_cast<double>(valid) / (1U << table.bits), c.kraft, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, VlcTableTest,
    ::testing::Values(
        // MCBPC I: 9 bits with all-zero-prefix windows invalid.
        TableCase{"McbpcIntra", [] { return ViewOf(kMcbpcIntraCodeList, Mp4DecMcbpcIntraTable()); },
                  9, 1 - 7.0 / 512},
        TableCase{"McbpcInter", [] { return ViewOf(kMcbpcInterCodeList, Mp4DecMcbpcInterTable()); },
                  21, 1 - 1.0 / 512},
        TableCase{"Cbpy", [] { return ViewOf(kCbpyCodeList, Mp4DecCbpyTable()); }, 16,
                  1 - 2.0 / 64},
        TableCase{"Mvd", [] { return ViewOf(kMvdCodeList, Mp4DecMvdTable()); }, 33, 1 - 2.0 / 4096},
        TableCase{"DcSizeLuma", [] { return ViewOf(kDcSizeLumaCodeList, Mp4DecDcSizeLumaTable()); },
                  13, 1 - 1.0 / 2048},
        TableCase{"DcSizeChroma",
                  [] { return ViewOf(kDcSizeChromaCodeList, Mp4DecDcSizeChromaTable()); }, 13,
                  1 - 1.0 / 4096},
        TableCase{"IntraTcoef", [] { return ViewOf(kIntraTcoefCodeList, Mp4DecIntraTcoefTable()); },
                  103, 1 - 8.0 / 4096},
        TableCase{"InterTcoef", [] { return ViewOf(kInterTcoefCodeList, Mp4DecInterTcoefTable()); },
                  103, 1 - 8.0 / 4096}),
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
  const Mp4DecValueCode clash[] = {{"1", 0}, {"10", 1}};
  EXPECT_THROW(Mp4DecValueTable(clash, 4), std::logic_error);
  const Mp4DecTcoefCode tooLong[] = {{"00001", 0, 0, 1}};
  EXPECT_THROW(Mp4DecTcoefTable(tooLong, 4), std::logic_error);
}

}  // namespace

namespace {

// The short table of each table gives the same code as the full one for every window whose
// code fits in its bits, and sends the longer ones to the full table.
template <typename Entry>
void ExpectShortTableAgrees(const Mp4DecVlcTable<Entry>& table) {
  constexpr int kShort = Mp4DecVlcTable<Entry>::kShortBits;
  ASSERT_GE(table.Bits(), kShort);
  for (std::uint32_t w = 0; w < (1U << table.Bits()); ++w) {
    const Entry& full = table.Lookup(w);
    const Entry& quick = table.LookupShort(w >> (table.Bits() - kShort));
    if (full.length != 0 && full.length <= kShort) {
      ASSERT_EQ(quick.length, full.length) << w;
      ASSERT_EQ(ValuesOf(quick), ValuesOf(full)) << w;
    } else {
      ASSERT_EQ(quick.length, 0) << w;
    }
  }
}

TEST(VlcShortTable, AgreesWithTheFullTable) {
  ExpectShortTableAgrees(Mp4DecIntraTcoefTable());
  ExpectShortTableAgrees(Mp4DecInterTcoefTable());
  ExpectShortTableAgrees(Mp4DecMvdTable());
  ExpectShortTableAgrees(Mp4DecMcbpcInterTable());
  ExpectShortTableAgrees(Mp4DecMcbpcIntraTable());
  ExpectShortTableAgrees(Mp4DecDcSizeLumaTable());
  ExpectShortTableAgrees(Mp4DecDcSizeChromaTable());
}

}  // namespace
