#include "net/record_fields.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace {

using net::RecordAddress;
using net::RecordText;
using net::RecordU16;
using net::RecordU32;
using net::RecordU8;

TEST(RecordFields, NumbersAreLittleEndianAndAddressesMostSignificantFirst) {
  const std::vector<std::uint8_t> record = {0x11, 0x22, 0x33, 0x44, 0xC0, 0xA8, 0x01, 0x32};
  EXPECT_EQ(RecordU8(record, 1), 0x22);
  EXPECT_EQ(RecordU16(record, 0), 0x2211);
  EXPECT_EQ(RecordU32(record, 0), 0x44332211u);
  EXPECT_EQ(RecordAddress(record, 4), 0xC0A80132u);

  std::vector<std::uint8_t> out(8, 0xEE);
  EXPECT_TRUE(net::SetRecordU16(out, 0, 0x1388));
  EXPECT_TRUE(net::SetRecordU32(out, 2, 0x01020304));
  EXPECT_TRUE(net::SetRecordAddress(out, 4, 0xFFFFFF00));
  EXPECT_EQ(out, (std::vector<std::uint8_t>{0x88, 0x13, 0x04, 0x03, 0xFF, 0xFF, 0xFF, 0x00}));
}

TEST(RecordFields, FieldsOutsideTheRecordReadZeroAndAreNeverWritten) {
  std::vector<std::uint8_t> record(6, 0xAB);
  const std::vector<std::uint8_t> before = record;
  EXPECT_EQ(RecordU8(record, 6), 0);
  EXPECT_EQ(RecordU16(record, 5), 0);
  EXPECT_EQ(RecordU32(record, 3), 0u);
  EXPECT_EQ(RecordAddress(record, 3), 0u);
  EXPECT_EQ(RecordText(record, 4, 4), "");
  EXPECT_EQ(RecordText(record, SIZE_MAX, 2), "");
  EXPECT_FALSE(net::SetRecordU8(record, 6, 1));
  EXPECT_FALSE(net::SetRecordU16(record, 5, 1));
  EXPECT_FALSE(net::SetRecordU32(record, 3, 1));
  EXPECT_FALSE(net::SetRecordAddress(record, 3, 1));
  EXPECT_FALSE(net::SetRecordText(record, 4, 4, "a"));
  EXPECT_FALSE(net::SetRecordText(record, SIZE_MAX, 2, ""));
  EXPECT_EQ(record, before);
  EXPECT_EQ(RecordU8(std::vector<std::uint8_t>{}, 0), 0);
}

TEST(RecordFields, TextsAreReadWithinTheirWidth) {
  struct Case {
    const char* name;
    std::string bytes;  // the record
    std::size_t offset, width;
    std::string expected;
  };
  const Case cases[] = {
      {"terminated", std::string("ab\0zz", 5), 0, 5, "ab"},
      {"no terminator in the field", "abcdXYZ", 0, 4, "abcd"},
      {"empty field", std::string("\0abc", 4), 0, 4, ""},
      {"field in the middle", std::string("xxhello\0yy", 10), 2, 6, "hello"},
      {"terminator just past the field", std::string("abc\0", 4), 0, 3, "abc"},
      {"zero width", "abc", 1, 0, ""},
      {"garbage bytes", std::string("\xFF\xFE\x01", 3), 0, 3, "\xFF\xFE\x01"},
  };
  for (const Case& c : cases) {
    const std::vector<std::uint8_t> record(c.bytes.begin(), c.bytes.end());
    EXPECT_EQ(RecordText(record, c.offset, c.width), c.expected) << c.name;
  }
}

TEST(RecordFields, TextsAreWrittenZeroFilledAndALongOneIsRefused) {
  std::array<std::uint8_t, 10> record;
  record.fill(0x55);
  EXPECT_TRUE(net::SetRecordText(record, 2, 6, "abc"));
  EXPECT_EQ(record, (std::array<std::uint8_t, 10>{0x55, 0x55, 'a', 'b', 'c', 0, 0, 0, 0x55, 0x55}));
  EXPECT_TRUE(net::SetRecordText(record, 2, 6, "abcde"));  // five bytes and the terminator
  EXPECT_EQ(RecordText(record, 2, 6), "abcde");
  EXPECT_EQ(record[7], 0);
  const auto before = record;
  EXPECT_FALSE(net::SetRecordText(record, 2, 6, "abcdef"));
  EXPECT_FALSE(net::SetRecordText(record, 2, 0, ""));
  EXPECT_EQ(record, before);
  // Limits count bytes: "\xC3\xA9" is one character of two bytes.
  EXPECT_FALSE(net::SetRecordText(record, 2, 6, "\xC3\xA9\xC3\xA9\xC3\xA9"));
  EXPECT_TRUE(net::SetRecordText(record, 2, 6, "\xC3\xA9\xC3\xA9"));
  EXPECT_TRUE(net::SetRecordText(record, cfg::TextField{8, 2}, "z"));
  EXPECT_EQ(RecordText(record, cfg::TextField{8, 2}), "z");
  EXPECT_EQ(record[9], 0);
}

}  // namespace
