// The Event Record List page over AlarmData.dat fixtures: what it lists, the path of a record
// and its missing file, Play through the launcher, Delete and Clear All (written back by the
// database's ReadAll), and Refresh while the alarm recorder writes.
#include <fstream>

#include "config_fixture.h"
#include "page_controls.h"
#include "recording_services.h"
#include "ui/common/program_files.h"
#include "ui/config/pages/alarm_data_page.h"

namespace {

using namespace config_testing;
using D = AlarmDataPage;

AlarmDataRecord Record(const std::string& file, std::uint16_t minute, std::uint32_t frames,
                       const std::string& server = "192.168.1.50") {
  AlarmDataRecord r;
  r.StartTime = {2024, 3, 1, 18, 9, minute, 5, 0};
  std::copy_n(file.begin(), std::min<std::size_t>(file.size(), r.szFileName.size()),
              r.szFileName.begin());
  std::copy_n(server.begin(), std::min<std::size_t>(server.size(), r.szServer.size()),
              r.szServer.begin());
  r.dwFrames = frames;
  return r;
}

std::vector<std::uint8_t> Database(const std::vector<AlarmDataRecord>& records,
                                   std::uint16_t magic = 0x9987,
                                   std::optional<std::uint16_t> count = std::nullopt) {
  const std::uint16_t n = count.value_or(static_cast<std::uint16_t>(records.size()));
  std::vector<std::uint8_t> bytes = {
      static_cast<std::uint8_t>(magic), static_cast<std::uint8_t>(magic >> 8),
      static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8)};
  for (const AlarmDataRecord& r : records) {
    const auto b = r.Bytes();
    bytes.insert(bytes.end(), b.begin(), b.end());
  }
  return bytes;
}

class AlarmDataTest : public ConfigTest {
 public:
  std::filesystem::path DatabaseFile() const { return folder.Path() / "AlarmData.dat"; }
  void WriteDatabase(const std::vector<std::uint8_t>& bytes) {
    std::ofstream(DatabaseFile(), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
  }
  std::string Touch(const std::string& name) {
    const std::filesystem::path path = folder.Path() / name;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path).put('x');
    return path.string();
  }
  // Three records whose second file is gone.
  std::vector<std::string> ThreeRecords() {
    const std::vector<std::string> files = {Touch("a.vs4"), (folder.Path() / "b.vs4").string(),
                                            Touch("c.vs4")};
    WriteDatabase(Database({Record(files[0], 1, 1800), Record(files[1], 2, 2400),
                            Record(files[2], 3, 900, "10.0.0.9")}));
    return files;
  }
  int RunOnPage(const std::function<void(CSysConfPropSheet&, D&)>& body) {
    return RunSheet([&](CSysConfPropSheet& s) {
      ASSERT_TRUE(s.SetActivePage(&s.m_AlarmDataPage));
      body(s, s.m_AlarmDataPage);
    });
  }
  ScopedServices services;
};

TEST_F(AlarmDataTest, ListsTheRecordsAndShowsTheFirstFile) {
  const auto files = ThreeRecords();
  ASSERT_EQ(Load(), 1);
  RunOnPage([&](CSysConfPropSheet&, D& page) {
    const std::vector<QStringList> expected = {{"0", "192.168.1.50", "2024.03.18 09:01:05", "1800"},
                                               {"1", "192.168.1.50", "2024.03.18 09:02:05", "2400"},
                                               {"2", "10.0.0.9", "2024.03.18 09:03:05", "900"}};
    EXPECT_EQ(ListRows(page, D::IDC_LIST), expected);
    EXPECT_EQ(TextOf(page, D::IDC_PATH), QString::fromStdString(files[0]));
    EXPECT_EQ(Ctl<ui::ListCtrl>(page, D::IDC_LIST)->GetFirstSelected(), 0);
    EXPECT_EQ(g_AlarmDatabase.m_List.size(), 3u);
  });
  EXPECT_TRUE(Messages().empty());
}

TEST_F(AlarmDataTest, DatabaseFilesThatListNothing) {
  const struct {
    const char* name;
    std::optional<std::vector<std::uint8_t>> file;  // nullopt: no file
    bool message;
  } cases[] = {
      {"missing file", std::nullopt, false},
      {"wrong magic", Database({Record("/x.vs4", 1, 1)}, 0x1234), false},
      {"short header", std::vector<std::uint8_t>{0x87, 0x99}, true},
      {"fewer records than counted", Database({Record("/x.vs4", 1, 1)}, 0x9987, 2), true},
      {"no records", Database({}), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    sheet.reset();
    messages = std::make_shared<platform::testing::FakeMessageBox>();
    scopedBox.reset();
    scopedBox.emplace(messages);
    std::filesystem::remove(DatabaseFile());
    if (c.file)
      WriteDatabase(*c.file);
    ASSERT_EQ(Load(), 1);
    RunOnPage([](CSysConfPropSheet&, D& page) {
      EXPECT_TRUE(ListRows(page, D::IDC_LIST).empty());
      EXPECT_EQ(TextOf(page, D::IDC_PATH), "");
    });
    EXPECT_EQ(Messages(), c.message ? std::vector<std::string>{syscfg::kReadAlarmDatabaseFailedText}
                                    : std::vector<std::string>{});
  }
  // The missing file was created empty.
  std::filesystem::remove(DatabaseFile());
  sheet.reset();
  RunOnPage([](CSysConfPropSheet&, D&) {});
  EXPECT_EQ(std::filesystem::file_size(DatabaseFile()), 4u);
}

TEST_F(AlarmDataTest, AMissingFileIsMarkedAndNotPlayed) {
  const auto files = ThreeRecords();
  ASSERT_EQ(Load(), 1);
  RunOnPage([&](CSysConfPropSheet&, D& page) {
    SelectRow(page, D::IDC_LIST, 1);
    page.OnRowClicked(1);
    EXPECT_EQ(TextOf(page, D::IDC_PATH), QString::fromStdString(files[1]) + " (File not found)");
    Click(page, D::IDC_PLAY);
    page.OnRowDoubleClicked(1);
    EXPECT_TRUE(services.launcher->programs.isEmpty());
    page.OnRowClicked(2);
    Click(page, D::IDC_PLAY);
    page.OnRowDoubleClicked(0);
  });
  EXPECT_EQ(services.launcher->programs,
            QStringList({ui::PlayerProgramPath(), ui::PlayerProgramPath()}));
  EXPECT_EQ(services.launcher->argumentLists,
            (std::vector<QStringList>{{QString::fromStdString(files[2])},
                                      {QString::fromStdString(files[0])}}));
}

TEST_F(AlarmDataTest, ThePlayerGetsAPathWithBlanksAndBeyond255CharactersWhole) {
  // 258 characters: more than 255, within the record's 260-byte field.
  const std::string start = (folder.Path() / "Alarm Records" / std::string(100, 'd')).string();
  const std::string file = Touch("Alarm Records/" + std::string(100, 'd') + "/" +
                                 std::string(258 - start.size() - 7, 'f') + " 1.vs4");
  ASSERT_EQ(file.size(), 258u);
  WriteDatabase(Database({Record(file, 1, 10)}));
  services.launcher->succeed = false;
  ASSERT_EQ(Load(), 1);
  RunOnPage([](CSysConfPropSheet&, D& page) { Click(page, D::IDC_PLAY); });
  ASSERT_EQ(services.launcher->argumentLists.size(), 1u);
  EXPECT_EQ(services.launcher->argumentLists[0], QStringList{QString::fromStdString(file)});
  EXPECT_EQ(Messages(), std::vector<std::string>{syscfg::kCreateProcessFailedText});
}

TEST_F(AlarmDataTest, TextsAreReadWithinTheirFields) {
  AlarmDataRecord r = Record("", 1, 1);
  std::fill(r.szFileName.begin(), r.szFileName.end(), 'n');
  std::fill(r.szServer.begin(), r.szServer.end(), '9');
  WriteDatabase(Database({r}));
  ASSERT_EQ(Load(), 1);
  RunOnPage([](CSysConfPropSheet&, D& page) {
    EXPECT_EQ(ListRows(page, D::IDC_LIST).at(0).at(1), QString(32, '9'));
    EXPECT_EQ(TextOf(page, D::IDC_PATH), QString(260, 'n') + " (File not found)");
  });
}

TEST_F(AlarmDataTest, DeleteRenumbersAndApplyWritesTheListBack) {
  const auto files = ThreeRecords();
  ASSERT_EQ(Load(), 1);
  RunOnPage([&](CSysConfPropSheet& s, D& page) {
    SelectRow(page, D::IDC_LIST, 0);
    Click(page, D::IDC_DELETE);
    EXPECT_EQ(ListRows(page, D::IDC_LIST).size(), 2u);
    EXPECT_EQ(ListRows(page, D::IDC_LIST).at(0).at(0), "0");
    EXPECT_EQ(ListRows(page, D::IDC_LIST).at(1).at(0), "1");
    EXPECT_EQ(ListRows(page, D::IDC_LIST).at(1).at(2), "2024.03.18 09:03:05");
    EXPECT_EQ(Ctl<ui::ListCtrl>(page, D::IDC_LIST)->GetFirstSelected(), 0);
    EXPECT_EQ(TextOf(page, D::IDC_PATH), QString::fromStdString(files[1]) + " (File not found)");
    SelectRow(page, D::IDC_LIST, 1);
    Click(page, D::IDC_DELETE);  // the row before it is selected
    EXPECT_EQ(Ctl<ui::ListCtrl>(page, D::IDC_LIST)->GetFirstSelected(), 0);
    config_testing::ApplyAndWait(s);
  });
  EXPECT_EQ(calls, std::vector<std::string>{"ReadAll"});
  EXPECT_EQ(g_AlarmDatabase.m_bListChanged.load(), 1u);
  // The program's ReadAll writes the edited list.
  ASSERT_TRUE(g_AlarmDatabase.ReadAll());
  const auto left = g_AlarmDatabase.LoadList();
  ASSERT_TRUE(left.has_value());
  ASSERT_EQ(left->size(), 1u);
  EXPECT_EQ(left->at(0).FileName(), files[1]);
}

TEST_F(AlarmDataTest, DeletingTheLastRecordEmptiesThePath) {
  WriteDatabase(Database({Record(Touch("only.vs4"), 1, 1)}));
  ASSERT_EQ(Load(), 1);
  RunOnPage([](CSysConfPropSheet&, D& page) {
    SelectRow(page, D::IDC_LIST, 0);
    Click(page, D::IDC_DELETE);
    EXPECT_TRUE(ListRows(page, D::IDC_LIST).empty());
    EXPECT_EQ(TextOf(page, D::IDC_PATH), "");
    Click(page, D::IDC_DELETE);
  });
  EXPECT_EQ(Messages(), std::vector<std::string>{Text(4045)});
}

TEST_F(AlarmDataTest, DeleteNeedsASelectedRowAndClearAllEmptiesEverything) {
  ThreeRecords();
  ASSERT_EQ(Load(), 1);
  RunOnPage([](CSysConfPropSheet&, D& page) {
    SelectRow(page, D::IDC_LIST, -1);
    Click(page, D::IDC_DELETE);
    EXPECT_EQ(ListRows(page, D::IDC_LIST).size(), 3u);
    EXPECT_EQ(g_AlarmDatabase.m_bListChanged.load(), 0u);
    Click(page, D::IDC_CLEAR_ALL);
    EXPECT_TRUE(ListRows(page, D::IDC_LIST).empty());
    EXPECT_TRUE(g_AlarmDatabase.m_List.empty());
    EXPECT_EQ(TextOf(page, D::IDC_PATH), "");
    EXPECT_EQ(g_AlarmDatabase.m_bListChanged.load(), 1u);
  });
  EXPECT_EQ(Messages(), std::vector<std::string>{Text(4086)});
}

TEST_F(AlarmDataTest, RefreshWaitsForTheAlarmRecorder) {
  ThreeRecords();
  ASSERT_EQ(Load(), 1);
  RunOnPage([this](CSysConfPropSheet&, D& page) {
    // A record appended meanwhile shows only after a refresh the recorder allows.
    g_AlarmDatabase.SetRecordFileName(Touch("d.vs4"));
    ASSERT_TRUE(g_AlarmDatabase.AppendRecord(50, "192.168.1.50"));
    alarmRecording = true;
    Click(page, D::IDC_REFRESH);
    EXPECT_EQ(ListRows(page, D::IDC_LIST).size(), 3u);
    alarmRecording = false;
    Click(page, D::IDC_REFRESH);
    EXPECT_EQ(ListRows(page, D::IDC_LIST).size(), 4u);
    EXPECT_EQ(g_AlarmDatabase.m_dwAppendedCount.load(), 0u);
  });
  EXPECT_EQ(Messages(), std::vector<std::string>{syscfg::kAlarmStillRecordingText});
}

}  // namespace
