// The Event Record List page: the alarm recordings of the alarm database (AlarmData.dat), with
// their server address, time and frame count. The operator deletes one or all entries (the
// database writes the edited list back when the sheet applies) and plays a recording with the
// record player.
#pragma once

#include <QString>
#include <string>

#include "ui/config/pages/sys_conf_page.h"

struct AlarmDataRecord;

namespace syscfg {
inline constexpr const char* kReadAlarmDatabaseFailedText = "Read alarm database file is failed";
inline constexpr const char* kAlarmStillRecordingText = "Alarm Record is still recording.";
inline constexpr const char* kCreateProcessFailedText = "Create process is failed";
inline constexpr const char* kFileNotFoundText = " (File not found)";
// "%.4d.%.2d.%.2d %.2d:%.2d:%.2d" of the record's start time.
QString AlarmRecordTimeText(const AlarmDataRecord& record);
// A recording the player can open: the file opens for reading and writing.
bool RecordFileUsable(const std::string& path);
}  // namespace syscfg

class AlarmDataPage : public CSysConfPage {
 public:
  enum : int {
    IDC_PATH = 1040,
    IDC_DELETE = 1068,
    IDC_REFRESH = 1311,
    IDC_LIST = 1364,
    IDC_CLEAR_ALL = 1365,
    IDC_PLAY = 1367,
  };

  AlarmDataPage();

  bool OnInitDialog() override;
  void DoDataExchange(ui::DataExchange& dx) override;

  void OnRefresh();
  void OnRowClicked(int row);
  void OnRowDoubleClicked(int row);
  void OnPlay();
  void OnDelete();
  void OnClearAll();

  QString m_strPath;

 protected:
  void CreateControls(QWidget* window) override;

 private:
  // Empties the list and the database's list, then loads both from the file.
  void Load();
  void ShowFileOf(int row);
  void Play(const std::string& path);
};
