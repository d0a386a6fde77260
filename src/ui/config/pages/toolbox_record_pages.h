// The File Path page: the client's local folders for records and snapshots (and, for one kind
// of server, the alarm sound), each changed through the folder browser. The sheet gives the
// page its folders before a run and takes them back when it applies. ToolBoxPropertyPage shows
// the server's firmware version and MAC address with the controls of a firmware upgrade; no
// window shows it.
#pragma once

#include <QString>
#include <cstdint>

#include "ui/config/pages/sys_conf_page.h"

struct SysConfFolders;

namespace syscfg {
// The firmware version of the INF record's four bytes, "%c.%c.%c.%c" (a byte that is not a
// printable character shows as "?").
QString FirmwareVersionText(const std::uint8_t* version);
// The MAC text of the INF record's six bytes, "%.2x:%.2x:%.2x:%.2x:%.2x:%.2x".
QString CompactMacText(const std::uint8_t* mac);
// The server's device-type code whose servers have an audio path.
inline constexpr std::uint8_t kAudioPathDeviceType = 0x84;
}  // namespace syscfg

class RecordPage : public CSysConfPage {
 public:
  enum : int {
    IDC_RECORD_PATH = 1040,
    IDC_SNAPSHOT_PATH = 1041,
    IDC_AUDIO_PATH = 1042,
    IDC_MODIFY_RECORD = 1314,
    IDC_MODIFY_SNAPSHOT = 1315,
    IDC_MODIFY_AUDIO = 1316,
    IDC_AUDIO_LABEL = 1350,
  };

  RecordPage();

  bool OnInitDialog() override;
  void DoDataExchange(ui::DataExchange& dx) override;
  // "Modify": the folder browser, started at the path; OK takes its folder.
  void OnModifyRecordPath();
  void OnModifySnapshotPath();

  // The folders as the page holds them, over base (the alarm-sound folder is kept when the
  // page does not show it).
  SysConfFolders Folders(const SysConfFolders& base) const;

  QString m_strRecordPath;
  QString m_strSnapshotPath;
  QString m_strAudioPath;

 protected:
  void CreateControls(QWidget* window) override;

 private:
  void Browse(QString& path);
};

class ToolBoxPropertyPage : public ui::CPropertyPage {
 public:
  enum : int {
    IDC_FIRMWARE_PATH = 1040,
    IDC_TURBO = 1195,
    IDC_PROGRESS = 1302,
    IDC_UPGRADE = 1303,
    IDC_FIND = 1304,
    IDC_VERSION = 1305,
    IDC_MAC = 1316,
  };
  // The upgrade button's two words: the first in state 2 (idle), the second in state 1.
  static constexpr const char* kUpgradeText = "Upgrade_Firmware\nCancel";

  ToolBoxPropertyPage();

  bool OnInitDialog() override;
  void DoDataExchange(ui::DataExchange& dx) override;

  QString m_strFirmwarePath;
  QString m_strVersion = QStringLiteral("0.8.0.0");
  int m_nTurbo = -1;
  QString m_strMac;
  QString m_strProduct = QStringLiteral("Unknown");
  std::uint8_t m_byState = 2;

 protected:
  void CreateControls(QWidget* window) override;
};
