#include "codec/mp4dec/bit_reader.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

Mp4BitReader Over(const std::vector<std::uint8_t>& bytes) {
  Mp4BitReader reader;
  reader.Init(bytes);
  return reader;
}

TEST(Mp4BitReader, ReadsMostSignificantBitFirstAcrossBytes) {
  const std::vector<std::uint8_t> bytes = {0xA5, 0x3C, 0xFF, 0x00, 0x81};
  Mp4BitReader r = Over(bytes);
  EXPECT_EQ(r.Peek(4), 0xAU);
  EXPECT_EQ(r.Read(3), 0x5U);          // 101
  EXPECT_EQ(r.Read(7), 0x14U);         // 0 0101 00
  EXPECT_EQ(r.Peek(32), 0xF3FC0204U);  // from bit 10: 1111 0011 1111 1100 0000 0010 0000 0100
  EXPECT_EQ(r.Peek(0), 0U);
  EXPECT_FALSE(r.ByteAligned());
  r.AlignToByte();
  EXPECT_EQ(r.BitPosition(), 16U);
  EXPECT_EQ(r.GetBit(), 1U);
}

TEST(Mp4BitReader, ReadsZerosPastTheEndAndReportsExhaustion) {
  const std::vector<std::uint8_t> bytes = {0xFF, 0xFF};
  Mp4BitReader r = Over(bytes);
  EXPECT_EQ(r.Peek(32), 0xFFFF0000U);
  r.Skip(16);
  EXPECT_FALSE(r.Exhausted());  // exactly at the end
  EXPECT_TRUE(r.AtEnd());
  EXPECT_EQ(r.Read(32), 0U);
  EXPECT_TRUE(r.Exhausted());
  r.Skip(1'000'000);  // far past the end: still only zeros, never a read outside the input
  EXPECT_EQ(r.Peek(32), 0U);
}

TEST(Mp4BitReader, EmptyInputIsAtEndAndReadsZero) {
  Mp4BitReader r;
  r.Init({});
  EXPECT_TRUE(r.AtEnd());
  EXPECT_EQ(r.Peek(32), 0U);
  EXPECT_FALSE(r.Exhausted());
  r.GetBit();
  EXPECT_TRUE(r.Exhausted());
}

struct AlignedCase {
  const char* name;
  std::vector<std::uint8_t> bytes;
  int skipBits;
  std::uint32_t expected;  // PeekByteAligned(23)
};

void PrintTo(const AlignedCase& c, std::ostream* os) {
  *os << c.name;
}

class PeekByteAlignedTest : public ::testing::TestWithParam<AlignedCase> {};

TEST_P(PeekByteAlignedTest, PassesOverStuffing) {
  const AlignedCase& c = GetParam();
  Mp4BitReader r = Over(c.bytes);
  r.Skip(static_cast<std::size_t>(c.skipBits));
  const std::uint64_t before = r.BitPosition();
  EXPECT_EQ(r.PeekByteAligned(23), c.expected);
  EXPECT_EQ(r.BitPosition(), before);  // nothing consumed
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PeekByteAlignedTest,
    ::testing::Values(
        // Aligned, 0x7F stuffing byte, then a start code.
        AlignedCase{"AlignedStuffingByte", {0x7F, 0x00, 0x00, 0x01, 0xB6}, 0, 0},
        // Three bits before the boundary: stuffing 011, then 00 00 01.
        AlignedCase{"ThreeBitStuffing", {0xE3, 0x00, 0x00, 0x01}, 5, 0},
        // Aligned, no stuffing byte: the next bits themselves.
        AlignedCase{"AlignedNoStuffing", {0x00, 0x00, 0x01, 0xB6}, 0, 0},
        AlignedCase{"AlignedData", {0x12, 0x34, 0x56, 0x78}, 0, 0x12345678U >> 9},
        AlignedCase{"StuffingThenData", {0xE3, 0x80, 0x00, 0x00}, 5, 0x800000U >> 1},
        // Three not-coded flags (111) before the boundary are data, not stuffing: the start
        // code after them must not end the VOP early.
        AlignedCase{"DataBitsBeforeTheBoundary", {0xE7, 0x00, 0x00, 0x01}, 5, 0x7U << 20},
        AlignedCase{"AlignedByteOtherThanStuffing", {0xFF, 0x00, 0x00, 0x01}, 0, 0x1FEU << 14}),
    [](const auto& info) { return info.param.name; });

// A look past a counted number of bits, given the stuffing count, is the byte-aligned look at
// every position of stuffed, unstuffed and short input.
TEST(Mp4BitReader, PeekAfterTheStuffingIsTheByteAlignedPeek) {
  const std::vector<std::vector<std::uint8_t>> inputs = {
      {0x7F, 0x00, 0x01, 0xB6}, {0x5F, 0x00, 0x00, 0x81, 0x22}, {0x3F}, {0xA5, 0x3C, 0xFF, 0x00}};
  for (const auto& bytes : inputs) {
    for (std::size_t pos = 0; pos <= 8 * bytes.size(); ++pos) {
      Mp4BitReader r = Over(bytes);
      r.Skip(pos);
      for (const int n : {1, 17, 23, 32}) {
        ASSERT_EQ(r.PeekAfter(r.StuffingBits(), n), r.PeekByteAligned(n)) << pos << " " << n;
      }
    }
  }
}

}  // namespace
