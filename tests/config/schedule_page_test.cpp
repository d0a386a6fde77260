// The Schedule Record page and the time-setting dialog: the overlap rules as tables, the
// periods added, edited and deleted through the page (each change handed to the recorder as a
// copy), the disk check, and the times a new dialog opens with.
#include "ui/config/pages/schedule_page.h"
#include "app/app_seams.h"
#include "config_fixture.h"
#include "page_controls.h"
#include "platform/testing/manual_clock.h"
#include "recording_services.h"

namespace {

using namespace config_testing;
using S = CScheduleRecordPage;

constexpr std::int64_t kHour = 3600;
constexpr std::int64_t kMinute = 60;

ScheduleTable TableOf(std::initializer_list<std::pair<std::int64_t, std::int64_t>> periods) {
  ScheduleTable table;
  for (const auto& [start, end] : periods)
    EXPECT_TRUE(syscfg::AddPeriod(table, start, end));
  return table;
}

TEST(ScheduleRules, NewPeriodsMayTouchOthers) {
  const ScheduleTable table = TableOf({{9 * kHour, 10 * kHour}});
  const struct {
    const char* name;
    std::int64_t start, end;
    syscfg::ScheduleCheck check;
  } cases[] = {
      {"touching after", 10 * kHour, 11 * kHour, syscfg::ScheduleCheck::kOk},
      {"touching before", 8 * kHour, 9 * kHour, syscfg::ScheduleCheck::kOk},
      {"apart", 12 * kHour, 13 * kHour, syscfg::ScheduleCheck::kOk},
      {"overlapping its end", 9 * kHour + 30 * kMinute, 10 * kHour + 30 * kMinute,
       syscfg::ScheduleCheck::kCovered},
      {"overlapping its start", 8 * kHour, 9 * kHour + 1, syscfg::ScheduleCheck::kCovered},
      {"around it", 8 * kHour, 11 * kHour, syscfg::ScheduleCheck::kCovered},
      {"inside it", 9 * kHour + 1, 10 * kHour - 1, syscfg::ScheduleCheck::kCovered},
      {"start equals end", 12 * kHour, 12 * kHour, syscfg::ScheduleCheck::kWrong},
      {"start after end", 13 * kHour, 12 * kHour, syscfg::ScheduleCheck::kWrong},
  };
  for (const auto& c : cases)
    EXPECT_EQ(syscfg::CheckNewPeriod(table, c.start, c.end), c.check) << c.name;
}

TEST(ScheduleRules, EditedPeriodsMustStayApart) {
  // Slot 1 (12:00-13:00) is the one edited.
  const ScheduleTable table = TableOf({{9 * kHour, 10 * kHour}, {12 * kHour, 13 * kHour}});
  const struct {
    const char* name;
    std::int64_t start, end;
    syscfg::ScheduleCheck check;
  } cases[] = {
      {"touching the other's end", 10 * kHour, 11 * kHour, syscfg::ScheduleCheck::kCovered},
      {"touching the other's start", 8 * kHour, 9 * kHour, syscfg::ScheduleCheck::kCovered},
      {"a second after", 10 * kHour + 1, 11 * kHour, syscfg::ScheduleCheck::kOk},
      {"over its own old time", 11 * kHour, 14 * kHour, syscfg::ScheduleCheck::kOk},
      {"start equals end", 11 * kHour, 11 * kHour, syscfg::ScheduleCheck::kWrong},
  };
  for (const auto& c : cases)
    EXPECT_EQ(syscfg::CheckEditedPeriod(table, 1, c.start, c.end), c.check) << c.name;
}

TEST(ScheduleRules, TenPeriodsFillTheTable) {
  ScheduleTable table;
  for (int i = 9; i >= 0; --i)  // added latest first: the table sorts them
    ASSERT_TRUE(syscfg::AddPeriod(table, i * kHour, i * kHour + kMinute));
  EXPECT_EQ(table.m_dwCount, 10u);
  for (int i = 0; i < 10; ++i)
    EXPECT_EQ(table.m_Slots[static_cast<std::size_t>(i)].start, i * kHour);
  EXPECT_EQ(syscfg::CheckNewPeriod(table, 20 * kHour, 21 * kHour), syscfg::ScheduleCheck::kTooMany);
  EXPECT_FALSE(syscfg::AddPeriod(table, 20 * kHour, 21 * kHour));
  syscfg::DeletePeriod(table, 3);
  EXPECT_EQ(table.m_dwCount, 9u);
  EXPECT_EQ(table.m_Slots[3].start, 4 * kHour);
  EXPECT_EQ(table.m_Slots[9], ScheduleSlot{});
  syscfg::ReplacePeriod(table, 0, 30 * kHour, 31 * kHour);
  EXPECT_EQ(table.m_dwCount, 9u);
  EXPECT_EQ(table.m_Slots[0].start, 1 * kHour);
  EXPECT_EQ(table.m_Slots[8].start, 30 * kHour);
}

class ScheduleTest : public ConfigTest {
 public:
  void SetUp() override {
    ConfigTest::SetUp();
    clock.SetLocalTime({2024, 3, 2, 19, 10, 58, 30, 0});
    app::SetClock(&clock);
  }
  void TearDown() override {
    ConfigTest::TearDown();
    app::SetClock(nullptr);
  }
  int RunOnPage(const std::function<void(CSysConfPropSheet&, S&)>& body) {
    return RunSheet([&](CSysConfPropSheet& s) {
      ASSERT_TRUE(s.SetActivePage(&s.m_SchedulePage));
      body(s, s.m_SchedulePage);
    });
  }
  // The time-setting dialog answers OK with these times (19 March 2024).
  void AnswerTimes(int startHour, int startMinute, int endHour, int endMinute) {
    runner->ScriptHandler("CTimeSettingDlg", [=](ui::UiDialog& d) {
      auto& dialog = static_cast<CTimeSettingDlg&>(d);
      dialog.m_StartDate = dialog.m_EndDate = QDate(2024, 3, 19);
      dialog.m_nStartHour = startHour;
      dialog.m_nStartMinute = startMinute;
      dialog.m_nEndHour = endHour;
      dialog.m_nEndMinute = endMinute;
      return ui::IDOK;
    });
  }
  static std::int64_t At(int hour, int minute) {
    return syscfg::LocalSeconds(QDate(2024, 3, 19), hour, minute);
  }
  platform::testing::ManualClock clock;
  ScopedServices services;
};

TEST_F(ScheduleTest, ANewDialogEndsFiveMinutesAfterNow) {
  const struct {
    platform::LocalTime now;
    QDate endDate;
    int endHour, endMinute;
  } cases[] = {{{2024, 3, 2, 19, 10, 58, 30, 0}, {2024, 3, 19}, 11, 3},
               {{2024, 12, 2, 31, 23, 57, 0, 0}, {2025, 1, 1}, 0, 2}};
  for (const auto& c : cases) {
    clock.SetLocalTime(c.now);
    CTimeSettingDlg dialog;
    dialog.InitForPicture();
    EXPECT_EQ(dialog.m_StartDate, QDate(c.now.year, c.now.month, c.now.day));
    EXPECT_EQ(dialog.m_nStartHour, c.now.hour);
    EXPECT_EQ(dialog.m_nStartMinute, c.now.minute);
    EXPECT_EQ(dialog.m_EndDate, c.endDate);
    EXPECT_EQ(dialog.m_nEndHour, c.endHour);
    EXPECT_EQ(dialog.m_nEndMinute, c.endMinute);
    EXPECT_EQ(Ctl<QComboBox>(dialog, CTimeSettingDlg::IDC_END_MINUTE)->currentText(),
              QString::asprintf("%.2d", c.endMinute));
    EXPECT_EQ(Ctl<QComboBox>(dialog, CTimeSettingDlg::IDC_START_HOUR)->count(), 24);
    EXPECT_EQ(Ctl<QComboBox>(dialog, CTimeSettingDlg::IDC_START_MINUTE)->count(), 60);
  }
}

TEST_F(ScheduleTest, AddingPeriodsListsThemInOrderAndHandsTheRecorderACopy) {
  ASSERT_EQ(Load(), 1);
  RunOnPage([this](CSysConfPropSheet&, S& page) {
    AnswerTimes(13, 0, 14, 30);
    Click(page, S::IDC_ADD);
    AnswerTimes(9, 0, 10, 0);
    Click(page, S::IDC_ADD);
    AnswerTimes(10, 0, 11, 0);  // touches 9:00-10:00
    Click(page, S::IDC_ADD);
    const std::vector<QStringList> expected = {{"1", "2024.03.19 09:00:00", "2024.03.19 10:00:00"},
                                               {"2", "2024.03.19 10:00:00", "2024.03.19 11:00:00"},
                                               {"3", "2024.03.19 13:00:00", "2024.03.19 14:30:00"}};
    EXPECT_EQ(ListRows(page, S::IDC_LIST), expected);
    AnswerTimes(10, 30, 12, 0);  // overlaps
    Click(page, S::IDC_ADD);
    AnswerTimes(12, 0, 12, 0);
    Click(page, S::IDC_ADD);
    EXPECT_EQ(ListRows(page, S::IDC_LIST).size(), 3u);
  });
  EXPECT_EQ(Messages(),
            (std::vector<std::string>{syscfg::kTimeCoveredText, syscfg::kTimeWrongText}));
  ASSERT_EQ(schedules.size(), 3u);
  EXPECT_EQ(schedules[0].m_dwCount, 1u);
  EXPECT_EQ(schedules[2].m_Slots[1], (ScheduleSlot{At(10, 0), At(11, 0), 1}));
  // A copy: later changes of the table do not reach it.
  g_lpApp->m_ScheduleTable.m_Slots[1].start = 0;
  EXPECT_EQ(schedules[2].m_Slots[1].start, At(10, 0));
  EXPECT_EQ(services.disk->paths.size(), 5);
}

TEST_F(ScheduleTest, AFullDiskRefusesToAdd) {
  services.disk->free = 100ull << 20;
  ASSERT_EQ(Load(), 1);
  RunOnPage([](CSysConfPropSheet&, S& page) { Click(page, S::IDC_ADD); });
  EXPECT_EQ(Messages(), std::vector<std::string>{Text(4068)});
  EXPECT_TRUE(runner->Runs().empty());
  EXPECT_TRUE(schedules.empty());
}

TEST_F(ScheduleTest, AnEleventhPeriodIsRefused) {
  for (int i = 0; i < 10; ++i)
    syscfg::AddPeriod(g_lpApp->m_ScheduleTable, At(i, 0), At(i, 30));
  ASSERT_EQ(Load(), 1);
  RunOnPage([this](CSysConfPropSheet&, S& page) {
    EXPECT_EQ(ListRows(page, S::IDC_LIST).size(), 10u);
    AnswerTimes(20, 0, 21, 0);
    Click(page, S::IDC_ADD);
    EXPECT_EQ(ListRows(page, S::IDC_LIST).size(), 10u);
  });
  EXPECT_EQ(Messages(), std::vector<std::string>{syscfg::kScheduleTooManyText});
}

TEST_F(ScheduleTest, EditOpensWithTheRowsTimesAndMayNotTouchAnother) {
  syscfg::AddPeriod(g_lpApp->m_ScheduleTable, At(9, 0), At(10, 0));
  syscfg::AddPeriod(g_lpApp->m_ScheduleTable, At(12, 0), At(13, 0));
  ASSERT_EQ(Load(), 1);
  RunOnPage([this](CSysConfPropSheet&, S& page) {
    Click(page, S::IDC_EDIT);  // no row selected
    SelectRow(page, S::IDC_LIST, 1);
    runner->ScriptHandler("CTimeSettingDlg", [](ui::UiDialog& d) {
      auto& dialog = static_cast<CTimeSettingDlg&>(d);
      dialog.InitForPicture();
      EXPECT_EQ(dialog.m_nStartHour, 12);
      EXPECT_EQ(dialog.m_nEndHour, 13);
      dialog.m_nStartHour = 10;
      dialog.m_nStartMinute = 0;  // touches 9:00-10:00
      return ui::IDOK;
    });
    Click(page, S::IDC_EDIT);
    EXPECT_EQ(g_lpApp->m_ScheduleTable.m_dwEditFlag, 0u);
    EXPECT_EQ(ListRows(page, S::IDC_LIST).at(1).at(1), "2024.03.19 12:00:00");
    SelectRow(page, S::IDC_LIST, 1);
    AnswerTimes(7, 0, 8, 0);
    Click(page, S::IDC_EDIT);
    const std::vector<QStringList> expected = {{"1", "2024.03.19 07:00:00", "2024.03.19 08:00:00"},
                                               {"2", "2024.03.19 09:00:00", "2024.03.19 10:00:00"}};
    EXPECT_EQ(ListRows(page, S::IDC_LIST), expected);
  });
  EXPECT_EQ(Messages(), (std::vector<std::string>{Text(4086), syscfg::kTimeCoveredText}));
  ASSERT_EQ(schedules.size(), 1u);
  EXPECT_EQ(schedules[0].m_dwCount, 2u);
}

TEST_F(ScheduleTest, DeleteSelectsTheRowAtTheSamePlace) {
  for (int i = 0; i < 3; ++i)
    syscfg::AddPeriod(g_lpApp->m_ScheduleTable, At(i + 8, 0), At(i + 8, 30));
  ASSERT_EQ(Load(), 1);
  RunOnPage([](CSysConfPropSheet&, S& page) {
    SelectRow(page, S::IDC_LIST, 1);
    Click(page, S::IDC_DELETE);
    EXPECT_EQ(ListRows(page, S::IDC_LIST),
              (std::vector<QStringList>{{"1", "2024.03.19 08:00:00", "2024.03.19 08:30:00"},
                                        {"2", "2024.03.19 10:00:00", "2024.03.19 10:30:00"}}));
    EXPECT_EQ(Ctl<ui::ListCtrl>(page, S::IDC_LIST)->GetFirstSelected(), 1);
    Click(page, S::IDC_DELETE);  // the last row: the first is selected
    EXPECT_EQ(Ctl<ui::ListCtrl>(page, S::IDC_LIST)->GetFirstSelected(), 0);
    EXPECT_EQ(g_lpApp->m_ScheduleTable.m_dwCount, 1u);
  });
  EXPECT_EQ(schedules.size(), 2u);
}

}  // namespace
