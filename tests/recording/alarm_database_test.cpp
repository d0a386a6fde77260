#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "media/alarm_db/alarm_database.h"
#include "platform/testing/fake_message_box.h"

namespace {

class AlarmDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("kavelin_alarmdb_" + std::to_string(::getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    db.SetProgramDir(dir.string());
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  std::vector<std::uint8_t> FileBytes() {
    std::ifstream in(dir / "AlarmData.dat", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  void WriteFile(const std::vector<std::uint8_t>& bytes) {
    std::ofstream(dir / "AlarmData.dat", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  }
  void Append(const std::string& name, std::uint32_t frames) {
    db.SetRecordStartTime({2026, 12, 0, 9, 23, 1, 2, 0});
    db.SetRecordFileName(name);
    ASSERT_TRUE(db.AppendRecord(frames, "192.168.1.20"));
  }

  std::filesystem::path dir;
  CAlarmDatabase db;
};

TEST_F(AlarmDatabaseTest, TwoAppendsToANewFile) {
  Append("/rec/ALARM_MP4_261209T230102_AB12.vs4", 120);
  Append("/rec/second.vs4", 25000);  // entered as 18,000
  const auto bytes = FileBytes();
  ASSERT_EQ(bytes.size(), 636u);
  EXPECT_EQ(bytes[0], 0x87);
  EXPECT_EQ(bytes[1], 0x99);
  EXPECT_EQ(bytes[2], 2);
  EXPECT_EQ(bytes[3], 0);
  EXPECT_EQ(bytes[4 + 4], 2026 & 0xFF);  // start time after the reserved u32
  EXPECT_EQ(db.m_dwAppendedCount.load(), 2u);

  auto list = db.LoadList();
  ASSERT_TRUE(list.has_value());
  ASSERT_EQ(list->size(), 2u);
  EXPECT_EQ((*list)[0].FileName(), "/rec/ALARM_MP4_261209T230102_AB12.vs4");
  EXPECT_EQ((*list)[0].dwFrames, 120u);
  EXPECT_EQ((*list)[1].dwFrames, 18000u);
  EXPECT_EQ((*list)[1].Server(), "192.168.1.20");
  EXPECT_EQ((*list)[1].StartTime, (SystemTime{2026, 12, 0, 9, 23, 1, 2, 0}));
}

TEST_F(AlarmDatabaseTest, LongTextsAreCutToTheirFields) {
  db.SetRecordFileName(std::string(400, 'p'));
  ASSERT_TRUE(db.AppendRecord(1, std::string(40, 's')));
  auto list = db.LoadList();
  ASSERT_TRUE(list.has_value());
  EXPECT_EQ((*list)[0].FileName().size(), 259u);  // NUL-terminated
  EXPECT_EQ((*list)[0].Server().size(), 32u);     // NUL-padded, may fill the field
}

TEST_F(AlarmDatabaseTest, ReadAllWritesTheEditedListWithTheRecordsAppendedMeanwhile) {
  Append("a", 1);
  Append("b", 2);
  Append("c", 3);
  auto list = db.LoadList();
  ASSERT_TRUE(list.has_value());
  db.m_dwAppendedCount = 0;              // the page loaded the list
  db.m_List = {(*list)[0], (*list)[2]};  // the user deleted "b"
  db.m_bListChanged = 1;
  Append("d", 4);  // the recorder meanwhile

  ASSERT_TRUE(db.ReadAll());
  EXPECT_TRUE(db.m_List.empty());
  EXPECT_EQ(db.m_bListChanged.load(), 0u);
  auto reloaded = db.LoadList();
  ASSERT_TRUE(reloaded.has_value());
  std::vector<std::string> names;
  for (const auto& r : *reloaded) {
    names.push_back(r.FileName());
  }
  EXPECT_EQ(names, (std::vector<std::string>{"a", "c", "d"}));
}

TEST_F(AlarmDatabaseTest, ReadAllWithoutAppendsRewritesFromTheListAlone) {
  Append("a", 1);
  Append("b", 2);
  auto list = db.LoadList();
  db.m_dwAppendedCount = 0;
  db.m_List = {(*list)[1]};
  db.m_bListChanged = 1;
  ASSERT_TRUE(db.ReadAll());
  EXPECT_EQ(FileBytes().size(), 4u + 316u);

  // Unchanged list: nothing written, the list emptied.
  db.m_List = {(*list)[0], (*list)[1]};
  ASSERT_TRUE(db.ReadAll());
  EXPECT_TRUE(db.m_List.empty());
  EXPECT_EQ(FileBytes().size(), 4u + 316u);
}

TEST_F(AlarmDatabaseTest, CorruptFilesAreRefusedAndLeftAsTheyAre) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    AlarmDataError error;
  } cases[] = {
      {"empty", {}, AlarmDataError::kUnreadable},
      {"half header", {0x87}, AlarmDataError::kUnreadable},
      {"wrong magic", {0x88, 0x99, 0, 0}, AlarmDataError::kBadMagic},
      {"count past the end", {0x87, 0x99, 2, 0, 1, 2, 3}, AlarmDataError::kTruncated},
  };
  auto box = std::make_shared<platform::testing::FakeMessageBox>();
  platform::testing::ScopedMessageBox scoped(box);
  for (const Case& c : cases) {
    WriteFile(c.bytes);
    AlarmDataError error{};
    EXPECT_FALSE(db.LoadList(&error).has_value()) << c.name;
    EXPECT_EQ(error, c.error) << c.name;
    db.SetRecordFileName("x");
    EXPECT_FALSE(db.AppendRecord(1, "s")) << c.name;
    db.m_dwAppendedCount = 1;
    db.m_bListChanged = 1;
    EXPECT_FALSE(db.ReadAll()) << c.name;
    EXPECT_EQ(FileBytes(), c.bytes) << c.name;
  }
  // The unreadable cases tell the user; a wrong magic does not.
  ASSERT_EQ(box->Count(), 3u);
  EXPECT_EQ(box->Shown()[0].text, "Read alarm database file is failed");
}

TEST_F(AlarmDatabaseTest, MissingFileIsCreatedEmptyByTheList) {
  auto list = db.LoadList();
  ASSERT_TRUE(list.has_value());
  EXPECT_TRUE(list->empty());
  EXPECT_EQ(FileBytes(), (std::vector<std::uint8_t>{0x87, 0x99, 0, 0}));
}

TEST_F(AlarmDatabaseTest, TheCountNeverWraps) {
  std::vector<std::uint8_t> full(4 + 316 * std::size_t{65535}, 0);
  full[0] = 0x87;
  full[1] = 0x99;
  full[2] = 0xFF;
  full[3] = 0xFF;
  WriteFile(full);
  db.SetRecordFileName("one too many");
  EXPECT_FALSE(db.AppendRecord(1, "s"));
  EXPECT_EQ(FileBytes().size(), full.size());
}

TEST(OnlineUsers, StoresTheTableFromTheReplyBody) {
  CAlarmDatabase db;
  std::vector<std::uint8_t> body(56, 0);
  const char name[] = "admin";
  std::copy(name, name + 5, body.begin());
  body[16] = 192;
  body[17] = 168;
  body[20] = 3;
  ASSERT_TRUE(db.StoreOnlineUsers(body));
  EXPECT_EQ(db.UsedFlags()[0], 1);
  EXPECT_EQ(db.UsedFlags()[1], 0);
  EXPECT_EQ(std::string(db.OnlineUsers()[0].szName.data()), "admin");
  EXPECT_EQ(db.OnlineUsers()[0].dwAddress, 0xA8C0u);
  EXPECT_EQ(db.OnlineUsers()[0].dwLevel, 3u);

  // 281 bytes: an empty table, the flags as they were.
  EXPECT_FALSE(db.StoreOnlineUsers(std::vector<std::uint8_t>(281, 'x')));
  EXPECT_EQ(db.OnlineUsers()[0].szName[0], '\0');
  EXPECT_EQ(db.UsedFlags()[0], 1);

  EXPECT_TRUE(db.StoreOnlineUsers(std::vector<std::uint8_t>(280, 'x')));
  EXPECT_EQ(db.UsedFlags()[9], 1);
}

}  // namespace
