// IPRecord.dat: the record codec on byte fixtures and the held file of the address-book dialogs.
#include "app/ip_record.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "fakes/temp_folder.h"
#include "platform/folders.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t U32At(const Bytes& bytes, std::size_t at) {
  std::uint32_t value = 0;
  std::memcpy(&value, bytes.data() + at, 4);
  return value;
}

std::string TextAt(const Bytes& bytes, std::size_t at, std::size_t width = 128) {
  const char* begin = reinterpret_cast<const char*>(bytes.data() + at);
  return std::string(begin, strnlen(begin, width));
}

const std::vector<app::IPRecord> kTwo = {{"admin", "192.168.1.100", "front door", 80},
                                         {"guest", "cam.example.org", "", 65535}};

Bytes ReadFile(const std::filesystem::path& path) {
  return platform::ReadWholeFile(path).value_or(Bytes{0xEE});
}

void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
  ASSERT_TRUE(platform::WriteFileAtomically(path, bytes));
}

TEST(IPRecordCodec, TwoRecordsHaveTheFileLayout) {
  const Bytes bytes = app::WriteIPRecords(kTwo);
  ASSERT_EQ(bytes.size(), 800u);
  for (std::size_t r = 0; r < 2; ++r) {
    const std::size_t at = r * 400;
    EXPECT_EQ(U32At(bytes, at + 0), 0x12121212u);
    EXPECT_EQ(U32At(bytes, at + 132), 0x4C4C4C4Cu);
    EXPECT_EQ(U32At(bytes, at + 264), 0x8A8A8A8Au);
    EXPECT_EQ(TextAt(bytes, at + 4), kTwo[r].user);
    EXPECT_EQ(TextAt(bytes, at + 136), kTwo[r].address);
    EXPECT_EQ(TextAt(bytes, at + 268), kTwo[r].remark);
    EXPECT_EQ(bytes[at + 396] | (bytes[at + 397] << 8), kTwo[r].port);
    EXPECT_EQ(bytes[at + 398], 0);
    EXPECT_EQ(bytes[at + 399], 0);
  }
  // Zero-filled behind each text.
  EXPECT_EQ(bytes[4 + 5], 0);
  EXPECT_EQ(bytes[4 + 127], 0);
  EXPECT_EQ(app::ReadIPRecords(bytes), kTwo);
}

TEST(IPRecordCodec, ShortTailsAndEmptyFiles) {
  Bytes bytes = app::WriteIPRecords(kTwo);
  bytes.resize(799);  // the second record is cut: only the first counts
  EXPECT_EQ(app::ReadIPRecords(bytes), std::vector<app::IPRecord>{kTwo[0]});
  EXPECT_EQ(app::ReadIPRecords(Bytes(399, 0x12)), std::vector<app::IPRecord>{});
  EXPECT_EQ(app::ReadIPRecords(Bytes{}), std::vector<app::IPRecord>{});
}

TEST(IPRecordCodec, AWrongCheckWordRefusesTheFile) {
  for (const std::size_t at : {std::size_t{0}, std::size_t{132}, std::size_t{264}}) {
    SCOPED_TRACE(at);
    Bytes bytes = app::WriteIPRecords(kTwo);
    bytes[400 + at] ^= 0x01;  // in the second record
    EXPECT_EQ(app::ReadIPRecords(bytes), std::nullopt);
  }
  EXPECT_EQ(app::ReadIPRecords(Bytes(400, 0)), std::nullopt);
}

TEST(IPRecordCodec, TextsFillingTheirFieldStayInsideIt) {
  Bytes bytes = app::WriteIPRecords(std::vector<app::IPRecord>{{"u", "a", "r", 1}});
  std::memset(bytes.data() + 4, 'U', 128);    // user without a NUL up to the check word
  std::memset(bytes.data() + 268, 'R', 128);  // remark without a NUL up to the port
  const auto records = app::ReadIPRecords(bytes);
  ASSERT_TRUE(records);
  EXPECT_EQ((*records)[0].user, std::string(128, 'U'));
  EXPECT_EQ((*records)[0].address, "a");
  EXPECT_EQ((*records)[0].remark, std::string(128, 'R'));
  EXPECT_EQ((*records)[0].port, 1);
  // Written back whole: the file keeps its bytes, the check words and the port stand.
  const Bytes again = app::WriteIPRecords(*records);
  EXPECT_EQ(again, bytes);
  EXPECT_EQ(U32At(again, 132), 0x4C4C4C4Cu);
  EXPECT_EQ(again[396], 1);
  EXPECT_EQ(app::ReadIPRecords(again).value()[0].remark, std::string(128, 'R'));
  // A longer text in memory is still held to its field.
  const Bytes longer =
      app::WriteIPRecords(std::vector<app::IPRecord>{{std::string(300, 'L'), "a", "r", 2}});
  EXPECT_EQ(TextAt(longer, 4), std::string(128, 'L'));
  EXPECT_EQ(U32At(longer, 132), 0x4C4C4C4Cu);
}

TEST(IPRecordCodec, PortTexts) {
  const struct {
    const char* text;
    std::optional<std::uint16_t> port;
  } cases[] = {{"80", 80},
               {" 0 ", 0},
               {"65535", 65535},
               {"65536", std::nullopt},
               {"70000", std::nullopt},
               {"8080x", std::nullopt},
               {"abc", std::nullopt},
               {"", std::nullopt},
               {"-1", std::nullopt},
               {"000080", std::nullopt}};
  for (const auto& c : cases)
    EXPECT_EQ(app::ParseIPRecordPort(c.text), c.port) << c.text;
}

TEST(IPRecordFile, OpensCreatesAndRewrites) {
  fakes::TempFolder folder;
  const auto path = app::IPRecordPath(folder.Path());
  {
    app::CIPRecordFile file;
    EXPECT_EQ(file.Open(path), app::CIPRecordFile::OpenResult::Opened);
    EXPECT_TRUE(platform::FileExists(path));  // created when missing
    EXPECT_TRUE(file.Records().empty());
    EXPECT_TRUE(file.Save(kTwo));
  }
  EXPECT_EQ(ReadFile(path), app::WriteIPRecords(kTwo));
  app::CIPRecordFile file;
  EXPECT_EQ(file.Open(path), app::CIPRecordFile::OpenResult::Opened);
  EXPECT_EQ(file.Records(), kTwo);
}

TEST(IPRecordFile, A399ByteFileIsEmptyAndSavedEmpty) {
  fakes::TempFolder folder;
  const auto path = app::IPRecordPath(folder.Path());
  WriteFile(path, Bytes(399, 0x12));
  app::CIPRecordFile file;
  ASSERT_EQ(file.Open(path), app::CIPRecordFile::OpenResult::Opened);
  EXPECT_TRUE(file.Records().empty());
  EXPECT_TRUE(file.Save(file.Records()));
  EXPECT_TRUE(ReadFile(path).empty());
}

TEST(IPRecordFile, ABadFileIsNeverRewritten) {
  fakes::TempFolder folder;
  const auto path = app::IPRecordPath(folder.Path());
  Bytes bytes = app::WriteIPRecords(kTwo);
  bytes[400 + 132] = 0;
  WriteFile(path, bytes);
  app::CIPRecordFile file;
  EXPECT_EQ(file.Open(path), app::CIPRecordFile::OpenResult::Bad);
  EXPECT_FALSE(file.IsHeld());
  EXPECT_TRUE(file.Save(kTwo));
  EXPECT_EQ(ReadFile(path), bytes);
}

TEST(IPRecordFile, AFailedWriteLeavesTheOldFile) {
  fakes::TempFolder folder;
  const auto path = app::IPRecordPath(folder.Path());
  const Bytes old = app::WriteIPRecords(kTwo);
  WriteFile(path, old);
  app::CIPRecordFile file([](const std::filesystem::path&, std::span<const std::uint8_t>) {
    return false;  // the disk refuses the new image
  });
  ASSERT_EQ(file.Open(path), app::CIPRecordFile::OpenResult::Opened);
  EXPECT_FALSE(file.Save(std::vector<app::IPRecord>{}));
  EXPECT_EQ(ReadFile(path), old);
}

TEST(IPRecordFile, AFolderThatCannotHoldTheFileGivesCannotOpen) {
  fakes::TempFolder folder;
  app::CIPRecordFile file;
  EXPECT_EQ(file.Open(folder.Path() / "missing" / "IPRecord.dat"),
            app::CIPRecordFile::OpenResult::CannotOpen);
  EXPECT_FALSE(file.IsHeld());
}

}  // namespace
