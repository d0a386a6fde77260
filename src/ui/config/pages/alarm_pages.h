// The Trigger page: what the server does on an alarm input or on motion (the notify method,
// the alarm clip's video type and length, the alarm duration) from the TRIGGER record, the
// client's alarm sound, the motion grid (Motion Setup) and a refresh of the alarm state shown
// (Trigger Refresh). The sheet writes the TRIGGER record back. CAlarmTriggerPage holds the
// R.E.T.R. options; no window shows it.
//
// Motion Setup fetches the PENTA record first (up to 5 s per wait) on the page's worker, with
// the key disabled; the worker only fills its own buffer and returns it as its result, and the
// motion grid opens on the GUI thread with the record that arrived. The sheet closing stops the
// fetch, and an answer of a fetch that ended meanwhile opens nothing.
#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

#include "ui/common/worker.h"
#include "ui/config/pages/sys_conf_page.h"

class CMotionDetectionDlg;

namespace syscfg {
// The duration row of a TRIGGER duration: 15 -> 1, 30 -> 2, 60 -> 3, 1800 -> 4, 3 -> 0 (none);
// -1 for a duration no row stands for (it is kept unless a row is picked).
int DurationRow(int seconds);
// The seconds a duration row writes: 1 15, 2 30, 3 60, 4 1800, any other 3.
int DurationOfRow(int row);
// The notify method after a click on "Email" or "FTP".
std::uint8_t MethodAfterEmail(std::uint8_t method);
std::uint8_t MethodAfterFtp(std::uint8_t method);
}  // namespace syscfg

class AlarmPropertyPage : public CSysConfPage {
 public:
  enum : int {
    IDC_SOUND_PATH = 1040,
    IDC_TRIGGER_REFRESH = 1068,
    IDC_MOTION_SETUP = 1069,
    IDC_ALARM_ENABLE = 1292,
    IDC_ALARM_DISABLE = 1293,
    IDC_DURATION = 1294,
    IDC_MPEG4_LENGTH = 1295,
    IDC_JPEG_COUNT = 1296,
    IDC_VIDEO_MPEG4 = 1297,
    IDC_VIDEO_JPEG = 1298,
    IDC_MOTION_ENABLE = 1299,
    IDC_MOTION_DISABLE = 1300,
    IDC_EMAIL = 1318,
    IDC_FTP = 1319,
    IDC_RESOLUTION_160 = 1320,
    IDC_RESOLUTION_320 = 1321,
    IDC_RESOLUTION_VGA = 1322,
    IDC_MPEG4_UNIT = 1323,
    IDC_MPEG4_LABEL = 1324,
    IDC_JPEG_LABEL = 1325,
    IDC_JPEG_UNIT = 1326,
    IDC_NONE = 1327,
    IDC_SOUND_ON = 1336,
    IDC_LOAD = 1337,
  };

  AlarmPropertyPage();
  ~AlarmPropertyPage() override;

  bool OnInitDialog() override;
  void DoDataExchange(ui::DataExchange& dx) override;

  void OnAlarmEnable(bool enable);
  void OnMotionEnable(bool enable);
  void OnNone();
  void OnEmail();
  void OnFtp();
  void OnVideoType(std::uint8_t type);
  void OnResolution(int id);
  void OnLoad();
  // "Motion Setup": starts the fetch of the PENTA record on the worker and disables the key
  // until its answer; ignored while a fetch runs or the motion grid is open.
  void OnMotionSetup();
  bool FetchingMotionRecord() const { return m_fetchWorker.IsRunning(); }
  const ui::Worker& FetchWorker() const { return m_fetchWorker; }
  void OnTriggerRefresh();

  // Combo rows (-1: none).
  int m_nDuration = -1;
  int m_nMpeg4Length = -1;
  int m_nJpegCount = -1;
  QString m_strSoundPath;
  bool m_bSoundOn = false;
  std::uint8_t m_byAlarm = 0;
  std::uint8_t m_byMotion = 0;
  std::uint8_t m_byMethod = 0;
  std::uint8_t m_byVideoType = 0;
  int m_nResolution = 0;  // the checked resolution radio's id, 0 none

  // The motion grid, made on first use and kept.
  CMotionDetectionDlg* MotionDialog() const { return m_pMotionDialog.get(); }

 protected:
  void CreateControls(QWidget* window) override;

 private:
  void ShowMethod();
  void EnableNotify(bool enable);
  void EnableClip(bool enable);
  void OnEnableChanged(std::uint8_t& own, std::uint8_t other, bool enable, int enableId,
                       int disableId);
  // Stops the fetch and gives the key back its state from before the fetch.
  void EndFetch();
  // The fetch's answer: the motion grid opens with the fetched record; a failed fetch shows
  // 4029 and the grid never appears. An answer arriving while the sheet applies or reboots (it
  // is about to close) opens nothing.
  void OnMotionFetchDone(std::optional<PentaRecord> record);

  std::unique_ptr<CMotionDetectionDlg> m_pMotionDialog;
  // Tied to the page's window: the sheet closing (EXIT, also after a lost connection) ends a
  // fetch; its answer is not awaited and opens nothing.
  ui::Worker m_fetchWorker;
  bool m_bSetupKeyEnabled = true;
};

class CAlarmTriggerPage : public ui::CPropertyPage {
 public:
  enum : int {
    IDC_HOURS = 1040,
    IDC_MINUTES = 1041,
    IDC_CHECK_ADDRESS = 1055,
    IDC_COMBO = 1195,
    IDC_HIGH = 1340,
    IDC_MIDDLE = 1341,
    IDC_LOW = 1342,
    IDC_VGA = 1343,
    IDC_QVGA = 1344,
    IDC_ON = 1346,
    IDC_OFF = 1347,
    IDC_REMOTE_ENABLE = 1348,
    IDC_REMOTE_DISABLE = 1349,
    IDC_TIME_LIMIT = 1351,
  };

  CAlarmTriggerPage();

  bool OnInitDialog() override;
  void DoDataExchange(ui::DataExchange& dx) override;

  void OnQuality(int quality);
  void OnResolution(int resolution);
  void OnRetr(std::uint8_t on);
  void OnRemoteRecord(std::uint8_t enable);
  // Digits only; hours above 23 become 23, minutes above 59 become 59; empty stays.
  void OnTimeEdited(int id);

  std::uint32_t m_dwCheckAddress = 0;
  int m_nCombo = -1;
  int m_nTimeLimit = -1;
  std::uint32_t m_dwHours = 0;
  std::uint32_t m_dwMinutes = 0;
  int m_nQuality = 1;     // 1 High, 2 Middle, 3 Low
  int m_nResolution = 1;  // 1 VGA, 2 QVGA
  std::uint8_t m_byRetr = 0;
  std::uint8_t m_byRemoteRecord = 0;

 protected:
  void CreateControls(QWidget* window) override;

 private:
  void CheckPair(int first, int second, bool firstChecked);
};
