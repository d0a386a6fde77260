// The client's own settings, kept in Setting.ini in the program folder under one section.
//
// Threads: the windows read and write the settings on the GUI thread. The fields that engine
// threads read or write as well are atomic (the AV switch option, the picture size mode, the
// selected channel, the web port, the transmission type); the texts that they read are written
// under m_TextLock. Load and Save run while no other thread reads the settings.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

// The server address the settings start with: the server's factory address.
inline constexpr const char* kFactoryServerAddress = "192.168.1.100";
// Password and user name the login starts with.
inline constexpr const char* kBuiltInLoginWord = "wopal";

class CSettingINI {
 public:
  // Key names; index 0 is the section name. Spelling is the file's (it must stay readable).
  static constexpr std::array<const char*, 42> kKeyNames = {
      "ZRC604",
      "Image Quility",
      "ServerPort",
      "Image Resolution",
      "Username",
      "brightness",
      "contrast",
      "saturation",
      "AvSwitch Option",
      "Enable_ALARM",
      "ALARM_DURATION",
      "Server Name",
      "Sub Port Number",
      "Image Width",
      "Image Height",
      "Zoom Ratio",
      "Frame Rate",
      "Target Bit Rate",
      "Peak Bit Rate",
      "Control Bit Rate Type",
      "Resolution Type",
      "Selected Channel",
      "Channel 1 Device",
      "Channel 2 Device",
      "Record Path",
      "Snapshot Path",
      "Upgrade Path",
      "Last Connection MAC1",
      "Last Connection MAC2",
      "Alarm Trigger Record",
      "Alarm Trigger Audio",
      "Alarm Audio New Path III",
      "Alarm Enable Button",
      "Alarm Trigger Quality",
      "Alarm Trigger Resolution",
      "Trigger Wav Path",
      "Trigger Wav Path LOWORD",
      "Trigger Close Time Hour",
      "Trigger Close Time Min",
      "Trigger Close Time date",
      "ZRC604 Alarm trigger record",
      "Transmission Type",
  };
  static constexpr const char* kSection = kKeyNames[0];
  static constexpr const char* kDecodeTypeKey = "Decode Type";
  static constexpr const char* kFileName = "Setting.ini";
  static constexpr const char* kAlarmWavName = "alarm.wav";
  static constexpr const char* kUnknownUpgradePath = "UnKnown";
  static constexpr const char* kDesktopErrorText = "Read DeskTop Path Error!!";
  // Device kinds of the built-in device table and the channel buttons of the main window:
  // values read from the file outside these ranges give the defaults.
  static constexpr int kDeviceKindCount = 18;
  static constexpr int kMaxSelectedChannel = 16;
  // Buffer the user name is read into.
  static constexpr std::size_t kTextBufferChars = 256;

  CSettingINI();
  ~CSettingINI() = default;

  // Reads Setting.ini (a missing file or key gives the defaults), the program and Desktop
  // folders, and creates the record and snapshot folders. Returns 1.
  int Load();
  // Writes every saved key to Setting.ini. Returns 1, or 0 when a key could not be written.
  int Save();

  // The settings file: m_strProgramDir + "Setting.ini".
  std::string SettingFilePath() const;

  std::uint8_t m_byDecodeType = 0;
  std::atomic<std::uint8_t> m_byTransmissionType{0};
  std::atomic<std::int32_t> m_nImageResolution{0};
  std::int32_t m_nBrightness = 0;
  std::int32_t m_nContrast = 96;
  std::int32_t m_nSaturation = 0;
  std::string m_strPassword = kBuiltInLoginWord;  // never read from or written to the file
  std::string m_strUserName = kBuiltInLoginWord;
  std::string m_strServerName;  // as entered in the login window; not saved
  std::string m_strServerAddress = kFactoryServerAddress;
  std::atomic<std::uint16_t> m_wWebPort{80};
  std::uint32_t m_dwSubPort = 8888;
  std::uint16_t m_wImageWidth = 704;
  std::uint16_t m_wImageHeight = 480;
  std::atomic<std::uint8_t> m_byAvSwitchOption{0};
  std::uint16_t m_wZoomRatio = 100;
  std::uint16_t m_wFrameRate = 0;
  std::uint16_t m_wTargetBitRate = 0;
  std::uint16_t m_wPeakBitRate = 0;
  std::uint16_t m_wBitRateControlType = 0;
  std::uint8_t m_byResolutionType = 0;
  std::uint8_t m_byImageQuality = 0;
  std::atomic<std::uint8_t> m_bySelectedChannel{0};
  std::uint8_t m_byChannel1Device = 0;
  std::uint8_t m_byChannel2Device = 0;
  std::uint16_t m_wLastMac1 = 0;
  std::uint16_t m_wLastMac2 = 0;
  std::uint8_t m_byAlarmTriggerRecord = 0;
  std::uint8_t m_byAlarmTriggerRecordCopy = 0;  // taken by Load; not saved
  std::uint8_t m_byModelAlarmTriggerRecord = 0;
  std::uint16_t m_wAlarmEnableButton = 0;
  std::int32_t m_nAlarmTriggerQuality = 0;
  std::int32_t m_nAlarmTriggerResolution = 0;
  std::int32_t m_nTriggerWavPathLow = 0;
  std::uint8_t m_byTriggerCloseHour = 0;
  std::uint8_t m_byTriggerCloseMin = 0;
  std::uint8_t m_byTriggerCloseDate = 0;
  std::string m_strDesktopPath;  // not saved
  std::string m_strRecordPath;
  std::string m_strSnapshotPath;
  std::string m_strUpgradePath;
  std::string m_strProgramDir;  // ends in "/"; not saved
  std::string m_strAlarmWavPath;

  // Held by code that changes a text field while other threads may read it (the login and
  // CGI threads rewrite the server name and address).
  mutable std::mutex m_TextLock;

  // A copy of one of the text fields above, taken under m_TextLock.
  std::string LockedText(const std::string& field) const {
    const std::lock_guard lock(m_TextLock);
    return field;
  }
};
