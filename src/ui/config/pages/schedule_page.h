// The Schedule Record page: the client's table of schedule-recording periods (at most ten, in
// the data block), which the schedule recorder follows. A period is entered in the time-setting
// dialog. The table is not a server record: each change goes to the schedule recorder at once,
// without APPLY.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <optional>

#include "app/schedule_table.h"
#include "ui/common/ui_dialog.h"
#include "ui/config/pages/sys_conf_page.h"

namespace syscfg {

inline constexpr const char* kTimeWrongText = "Time setting is wrong";
inline constexpr const char* kTimeCoveredText = "Time setting is covered with other setting";
inline constexpr const char* kScheduleTooManyText =
    "Schedule record setting is too many,you could not add any more.";

enum class ScheduleCheck { kOk, kWrong, kCovered, kTooMany };

// A new period: start before end, and clear of every used period (it may touch one); a free
// slot.
ScheduleCheck CheckNewPeriod(const ScheduleTable& table, std::int64_t start, std::int64_t end);
// An edited period (slot index): start before end, and strictly apart from every other used
// period (it may not touch one).
ScheduleCheck CheckEditedPeriod(const ScheduleTable& table, int index, std::int64_t start,
                                std::int64_t end);
// Puts a period into the first free slot and sorts; false without a free slot.
bool AddPeriod(ScheduleTable& table, std::int64_t start, std::int64_t end);
// Removes slot index (the later ones move up), then adds the period.
void ReplacePeriod(ScheduleTable& table, int index, std::int64_t start, std::int64_t end);
// Removes slot index; the later ones move up and the last slot is cleared.
void DeletePeriod(ScheduleTable& table, int index);
// Orders the used slots by start time, earliest first.
void SortPeriods(ScheduleTable& table);

// Local calendar time <-> seconds since 1970.
std::int64_t LocalSeconds(const QDate& date, int hour, int minute, int second = 0);
QDateTime LocalDateTime(std::int64_t seconds);
// "%.4d.%.2d.%.2d %.2d:%.2d:%.2d" in local time.
QString ScheduleTimeText(std::int64_t seconds);

}  // namespace syscfg

class CTimeSettingDlg : public ui::UiDialog {
  Q_OBJECT

 public:
  enum : int {
    IDC_START_HOUR = 1195,
    IDC_START_MINUTE = 1196,
    IDC_END_HOUR = 1197,
    IDC_END_MINUTE = 1198,
    IDC_END_DATE = 1360,
    IDC_START_DATE = 1361,
  };
  static constexpr std::int64_t kNewPeriodSeconds = 5 * 60;

  explicit CTimeSettingDlg(QWidget* parent = nullptr);

  // The times an edit opens with (taken when the table's edit flag is set).
  void SetTimes(std::int64_t start, std::int64_t end);
  // The chosen times: the dates with their hours and minutes, seconds 0.
  std::int64_t StartTime() const;
  std::int64_t EndTime() const;

  // Builds the controls as opening does (the gallery shows it without running it).
  void InitForPicture() { OnInitDialog(); }

  QDate m_StartDate;
  QDate m_EndDate;
  int m_nEndHour = 0;
  int m_nEndMinute = 0;
  int m_nStartHour = 0;
  int m_nStartMinute = 0;

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(ui::DataExchange& dx) override;
  void OnOK() override;

 private:
  std::int64_t m_tStart = 0;
  std::int64_t m_tEnd = 0;
};

class CScheduleRecordPage : public CSysConfPage {
 public:
  enum : int { IDC_ADD = 1068, IDC_DELETE = 1069, IDC_EDIT = 1119, IDC_LIST = 1356 };

  CScheduleRecordPage();

  bool OnInitDialog() override;
  void OnAdd();
  void OnEdit();
  void OnDelete();

 protected:
  void CreateControls(QWidget* window) override;

 private:
  // Rows from the used slots, numbered from 1.
  void Refill();
  // Hands the recorder its copy of the table.
  void Publish();
  // The selected row when it holds a period; otherwise message 4086 and nothing.
  std::optional<int> SelectedPeriod();
};
