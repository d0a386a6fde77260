#include "app/setting_ini.h"

#include <filesystem>
#include <string_view>

#include "app/trace.h"
#include "platform/folders.h"
#include "platform/ini_file.h"
#include "platform/message_box.h"

namespace {

// Reads and writes keys of the settings section of one file.
class SettingFile {
 public:
  explicit SettingFile(std::filesystem::path path) : m_path(std::move(path)) {}

  // The key's integer value cut to the field's width, as the field stores it.
  template <typename T>
  void Read(std::string_view key, T& field) const {
    field = static_cast<T>(platform::GetPrivateProfileInt(CSettingINI::kSection, key,
                                                          static_cast<int>(field), m_path));
  }
  // As Read, but a value outside first..last gives `fallback`: the field indexes a fixed table.
  template <typename T>
  void ReadIndex(std::string_view key, T& field, int first, int last, T fallback) const {
    // Checked before the cut to the field's width, so 258 is not taken for kind 2.
    const int value = platform::GetPrivateProfileInt(CSettingINI::kSection, key, fallback, m_path);
    field = (value < first || value > last) ? fallback : static_cast<T>(value);
  }
  std::string ReadText(std::string_view key, std::string_view fallback,
                       std::size_t bufferSize = 0) const {
    return platform::GetPrivateProfileString(CSettingINI::kSection, key, fallback, m_path,
                                             bufferSize);
  }

  // Numbers are written as the signed decimal text of the field's value.
  template <typename T>
  void Write(std::string_view key, T value) {
    WriteText(key, std::to_string(static_cast<std::int32_t>(value)));
  }
  void WriteText(std::string_view key, std::string_view value) {
    if (!platform::WritePrivateProfileString(CSettingINI::kSection, key, value, m_path)) {
      DebugPrint("CSettingINI::Save : write %.*s failed \n", static_cast<int>(key.size()),
                 key.data());
      m_failed = true;
    }
  }
  bool Failed() const { return m_failed; }

 private:
  std::filesystem::path m_path;
  bool m_failed = false;
};

// The folder text when it names an existing folder, else the Desktop folder.
std::string ExistingFolderOr(const std::string& folder, const std::string& desktop) {
  return !folder.empty() && platform::IsDirectory(folder) ? folder : desktop;
}

constexpr const char* Key(int index) {
  return CSettingINI::kKeyNames[index];
}

}  // namespace

CSettingINI::CSettingINI() = default;

std::string CSettingINI::SettingFilePath() const {
  // Before Load has set the program folder, the file still lies in the program folder.
  if (m_strProgramDir.empty()) {
    return (platform::ProgramFolder() / kFileName).string();
  }
  return m_strProgramDir + kFileName;
}

int CSettingINI::Load() {
  std::string programDir = platform::ProgramFolder().string();
  if (programDir.empty() || programDir.back() != '/') {
    programDir.push_back('/');
  }
  m_strProgramDir = programDir;
  const SettingFile file(SettingFilePath());

  file.Read(Key(5), m_nBrightness);
  file.Read(Key(6), m_nContrast);
  file.Read(Key(7), m_nSaturation);
  m_nImageResolution = 2;
  file.Read(Key(3), m_nImageResolution);
  {
    const std::lock_guard lock(m_TextLock);
    m_strUserName = file.ReadText(Key(4), m_strUserName, kTextBufferChars);
    m_strServerAddress = file.ReadText(Key(11), m_strServerAddress, kTextBufferChars);
  }
  file.Read(Key(2), m_wWebPort);
  file.Read(Key(12), m_dwSubPort);
  m_wImageWidth = 320;
  file.Read(Key(13), m_wImageWidth);
  m_wImageHeight = 240;
  file.Read(Key(14), m_wImageHeight);
  m_wZoomRatio = 100;
  file.Read(Key(15), m_wZoomRatio);
  m_wFrameRate = 30;
  file.Read(Key(16), m_wFrameRate);
  m_wTargetBitRate = 400;
  file.Read(Key(17), m_wTargetBitRate);
  m_wPeakBitRate = 450;
  file.Read(Key(18), m_wPeakBitRate);
  m_wBitRateControlType = 1;
  file.Read(Key(19), m_wBitRateControlType);
  m_byResolutionType = 3;
  file.Read(Key(20), m_byResolutionType);
  m_byImageQuality = 1;
  file.Read(Key(1), m_byImageQuality);
  file.ReadIndex<std::uint8_t>(Key(21), m_bySelectedChannel, 0, kMaxSelectedChannel, 1);
  file.ReadIndex<std::uint8_t>(Key(22), m_byChannel1Device, 0, kDeviceKindCount - 1, 0);
  file.ReadIndex<std::uint8_t>(Key(23), m_byChannel2Device, 0, kDeviceKindCount - 1, 0);
  m_wLastMac1 = 255;
  file.Read(Key(27), m_wLastMac1);
  m_wLastMac2 = 255;
  file.Read(Key(28), m_wLastMac2);
  m_byAlarmTriggerRecord = 1;
  file.Read(Key(29), m_byAlarmTriggerRecord);
  m_byModelAlarmTriggerRecord = 1;
  file.Read(Key(40), m_byModelAlarmTriggerRecord);
  m_wAlarmEnableButton = 3;
  file.Read(Key(32), m_wAlarmEnableButton);
  m_byAlarmTriggerRecordCopy = m_byAlarmTriggerRecord;
  m_nAlarmTriggerQuality = 1;
  file.Read(Key(33), m_nAlarmTriggerQuality);
  m_nAlarmTriggerResolution = 1;
  file.Read(Key(34), m_nAlarmTriggerResolution);
  m_nTriggerWavPathLow = 0;
  file.Read(Key(36), m_nTriggerWavPathLow);
  m_byTriggerCloseHour = 0;
  file.Read(Key(37), m_byTriggerCloseHour);
  m_byTriggerCloseMin = 0;
  file.Read(Key(38), m_byTriggerCloseMin);
  m_byTriggerCloseDate = 0;
  file.Read(Key(39), m_byTriggerCloseDate);
  m_byAvSwitchOption = 3;
  file.Read(Key(8), m_byAvSwitchOption);
  m_byTransmissionType = 0;
  file.Read(Key(41), m_byTransmissionType);
  m_byDecodeType = 0;
  file.Read(kDecodeTypeKey, m_byDecodeType);

  m_strDesktopPath = platform::DesktopFolder().string();
  if (m_strDesktopPath.empty()) {
    platform::ShowMessageBox(kDesktopErrorText);
  }

  m_strRecordPath = ExistingFolderOr(file.ReadText(Key(24), m_strDesktopPath), m_strDesktopPath);
  m_strSnapshotPath = ExistingFolderOr(file.ReadText(Key(25), m_strDesktopPath), m_strDesktopPath);
  m_strUpgradePath = ExistingFolderOr(file.ReadText(Key(26), m_strDesktopPath), m_strDesktopPath);
  m_strAlarmWavPath = m_strProgramDir + kAlarmWavName;
  if (m_strUpgradePath.empty()) {
    m_strUpgradePath = kUnknownUpgradePath;
  }
  if (!m_strRecordPath.empty()) {
    platform::CreateFolders(m_strRecordPath);
  }
  if (!m_strSnapshotPath.empty()) {
    platform::CreateFolders(m_strSnapshotPath);
  }
  return 1;
}

int CSettingINI::Save() {
  SettingFile file(SettingFilePath());
  file.Write(Key(5), m_nBrightness);
  file.Write(Key(6), m_nContrast);
  file.Write(Key(7), m_nSaturation);
  file.Write(Key(3), m_nImageResolution);
  {
    const std::lock_guard lock(m_TextLock);
    file.WriteText(Key(4), m_strUserName);
    file.WriteText(Key(11), m_strServerAddress);
  }
  file.Write(Key(2), m_wWebPort);
  file.Write(Key(12), m_dwSubPort);
  file.Write(Key(13), m_wImageWidth);
  file.Write(Key(14), m_wImageHeight);
  file.Write(Key(15), m_wZoomRatio);
  file.Write(Key(16), m_wFrameRate);
  file.Write(Key(17), m_wTargetBitRate);
  file.Write(Key(18), m_wPeakBitRate);
  file.Write(Key(19), m_wBitRateControlType);
  file.Write(Key(20), m_byResolutionType);
  file.Write(Key(1), m_byImageQuality);
  file.Write(Key(21), m_bySelectedChannel);
  file.Write(Key(22), m_byChannel1Device);
  file.Write(Key(23), m_byChannel2Device);
  file.Write(Key(27), m_wLastMac1);
  file.Write(Key(28), m_wLastMac2);
  file.Write(Key(29), m_byAlarmTriggerRecord);
  file.Write(Key(40), m_byModelAlarmTriggerRecord);
  file.Write(Key(32), m_wAlarmEnableButton);
  file.Write(Key(33), m_nAlarmTriggerQuality);
  file.Write(Key(34), m_nAlarmTriggerResolution);
  file.Write(Key(36), m_nTriggerWavPathLow);
  file.Write(Key(37), m_byTriggerCloseHour);
  file.Write(Key(38), m_byTriggerCloseMin);
  file.Write(Key(39), m_byTriggerCloseDate);
  file.WriteText(Key(24), m_strRecordPath);
  file.WriteText(Key(25), m_strSnapshotPath);
  file.WriteText(Key(26), m_strUpgradePath);
  file.WriteText(Key(31), m_strAlarmWavPath);
  file.Write(Key(8), m_byAvSwitchOption);
  file.Write(Key(41), m_byTransmissionType);
  file.Write(kDecodeTypeKey, m_byDecodeType);
  return file.Failed() ? 0 : 1;
}
