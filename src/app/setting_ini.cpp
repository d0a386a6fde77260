#include "app/setting_ini.h"

#include <atomic>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

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
  // As above with `fallback` as the default instead of the field's current value.
  template <typename T>
  void Read(std::string_view key, T& field, int fallback) const {
    field = static_cast<T>(
        platform::GetPrivateProfileInt(CSettingINI::kSection, key, fallback, m_path));
  }
  template <typename T>
  void Read(std::string_view key, T& field) const {
    field = static_cast<T>(platform::GetPrivateProfileInt(CSettingINI::kSection, key,
                                                          static_cast<int>(field), m_path));
  }
  // The same for a field other threads read.
  template <typename T>
  void Read(std::string_view key, std::atomic<T>& field, int fallback) const {
    field = static_cast<T>(
        platform::GetPrivateProfileInt(CSettingINI::kSection, key, fallback, m_path));
  }
  template <typename T>
  void Read(std::string_view key, std::atomic<T>& field) const {
    field = static_cast<T>(platform::GetPrivateProfileInt(CSettingINI::kSection, key,
                                                          static_cast<int>(field.load()), m_path));
  }
  // As Read, but a value outside first..last gives `fallback`: the field indexes a fixed table.
  template <typename T, typename Field>
  void ReadIndex(std::string_view key, Field& field, int first, int last, T fallback) const {
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
  // Writes are gathered and go to the file in one rewrite by Commit: one atomic replacement
  // of the file instead of one per key.
  void WriteText(std::string_view key, std::string_view value) {
    if (!platform::IsWritableProfileEntry(CSettingINI::kSection, key, value)) {
      DebugPrint("CSettingINI::Save : write %.*s failed \n", static_cast<int>(key.size()),
                 key.data());
      m_failed = true;
      return;
    }
    m_pending.push_back({std::string(key), std::string(value)});
  }
  void Commit() {
    if (!platform::WritePrivateProfileStrings(CSettingINI::kSection, m_pending, m_path)) {
      DebugPrint("CSettingINI::Save : write the settings file failed \n");
      m_failed = true;
    }
    m_pending.clear();
  }
  bool Failed() const { return m_failed; }

 private:
  std::filesystem::path m_path;
  std::vector<platform::ProfileEntry> m_pending;
  bool m_failed = false;
};

// The folder text when it names an existing folder, else the Desktop folder.
std::string ExistingFolderOr(const std::string& folder, const std::string& desktop) {
  return !folder.empty() && platform::IsDirectory(folder) ? folder : desktop;
}

// The keys, by their place in the key-name list.
constexpr const char* kImageQuality = CSettingINI::kKeyNames[1];
constexpr const char* kServerPort = CSettingINI::kKeyNames[2];
constexpr const char* kImageResolution = CSettingINI::kKeyNames[3];
constexpr const char* kUsername = CSettingINI::kKeyNames[4];
constexpr const char* kBrightness = CSettingINI::kKeyNames[5];
constexpr const char* kContrast = CSettingINI::kKeyNames[6];
constexpr const char* kSaturation = CSettingINI::kKeyNames[7];
constexpr const char* kAvSwitchOption = CSettingINI::kKeyNames[8];
constexpr const char* kServerName = CSettingINI::kKeyNames[11];
constexpr const char* kSubPortNumber = CSettingINI::kKeyNames[12];
constexpr const char* kImageWidth = CSettingINI::kKeyNames[13];
constexpr const char* kImageHeight = CSettingINI::kKeyNames[14];
constexpr const char* kZoomRatio = CSettingINI::kKeyNames[15];
constexpr const char* kFrameRate = CSettingINI::kKeyNames[16];
constexpr const char* kTargetBitRate = CSettingINI::kKeyNames[17];
constexpr const char* kPeakBitRate = CSettingINI::kKeyNames[18];
constexpr const char* kControlBitRateType = CSettingINI::kKeyNames[19];
constexpr const char* kResolutionType = CSettingINI::kKeyNames[20];
constexpr const char* kSelectedChannel = CSettingINI::kKeyNames[21];
constexpr const char* kChannel1Device = CSettingINI::kKeyNames[22];
constexpr const char* kChannel2Device = CSettingINI::kKeyNames[23];
constexpr const char* kRecordPath = CSettingINI::kKeyNames[24];
constexpr const char* kSnapshotPath = CSettingINI::kKeyNames[25];
constexpr const char* kUpgradePath = CSettingINI::kKeyNames[26];
constexpr const char* kLastMac1 = CSettingINI::kKeyNames[27];
constexpr const char* kLastMac2 = CSettingINI::kKeyNames[28];
constexpr const char* kAlarmTriggerRecord = CSettingINI::kKeyNames[29];
constexpr const char* kAlarmAudioPath = CSettingINI::kKeyNames[31];
constexpr const char* kAlarmEnableButton = CSettingINI::kKeyNames[32];
constexpr const char* kAlarmTriggerQuality = CSettingINI::kKeyNames[33];
constexpr const char* kAlarmTriggerResolution = CSettingINI::kKeyNames[34];
constexpr const char* kTriggerWavPathLow = CSettingINI::kKeyNames[36];
constexpr const char* kTriggerCloseHour = CSettingINI::kKeyNames[37];
constexpr const char* kTriggerCloseMin = CSettingINI::kKeyNames[38];
constexpr const char* kTriggerCloseDate = CSettingINI::kKeyNames[39];
constexpr const char* kModelAlarmTriggerRecord = CSettingINI::kKeyNames[40];
constexpr const char* kTransmissionType = CSettingINI::kKeyNames[41];

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

  file.Read(kBrightness, m_nBrightness);
  file.Read(kContrast, m_nContrast);
  file.Read(kSaturation, m_nSaturation);
  file.Read(kImageResolution, m_nImageResolution, 2);
  {
    const std::lock_guard lock(m_TextLock);
    m_strUserName = file.ReadText(kUsername, m_strUserName, kTextBufferChars);
    m_strServerAddress = file.ReadText(kServerName, m_strServerAddress, kTextBufferChars);
  }
  file.Read(kServerPort, m_wWebPort);
  file.Read(kSubPortNumber, m_dwSubPort);
  file.Read(kImageWidth, m_wImageWidth, 320);
  file.Read(kImageHeight, m_wImageHeight, 240);
  file.Read(kZoomRatio, m_wZoomRatio, 100);
  file.Read(kFrameRate, m_wFrameRate, 30);
  file.Read(kTargetBitRate, m_wTargetBitRate, 400);
  file.Read(kPeakBitRate, m_wPeakBitRate, 450);
  file.Read(kControlBitRateType, m_wBitRateControlType, 1);
  file.Read(kResolutionType, m_byResolutionType, 3);
  file.Read(kImageQuality, m_byImageQuality, 1);
  file.ReadIndex<std::uint8_t>(kSelectedChannel, m_bySelectedChannel, 0, kMaxSelectedChannel, 1);
  file.ReadIndex<std::uint8_t>(kChannel1Device, m_byChannel1Device, 0, kDeviceKindCount - 1, 0);
  file.ReadIndex<std::uint8_t>(kChannel2Device, m_byChannel2Device, 0, kDeviceKindCount - 1, 0);
  file.Read(kLastMac1, m_wLastMac1, 255);
  file.Read(kLastMac2, m_wLastMac2, 255);
  file.Read(kAlarmTriggerRecord, m_byAlarmTriggerRecord, 1);
  file.Read(kModelAlarmTriggerRecord, m_byModelAlarmTriggerRecord, 1);
  file.Read(kAlarmEnableButton, m_wAlarmEnableButton, 3);
  m_byAlarmTriggerRecordCopy = m_byAlarmTriggerRecord;
  file.Read(kAlarmTriggerQuality, m_nAlarmTriggerQuality, 1);
  file.Read(kAlarmTriggerResolution, m_nAlarmTriggerResolution, 1);
  file.Read(kTriggerWavPathLow, m_nTriggerWavPathLow, 0);
  file.Read(kTriggerCloseHour, m_byTriggerCloseHour, 0);
  file.Read(kTriggerCloseMin, m_byTriggerCloseMin, 0);
  file.Read(kTriggerCloseDate, m_byTriggerCloseDate, 0);
  file.Read(kAvSwitchOption, m_byAvSwitchOption, 3);
  file.Read(kTransmissionType, m_byTransmissionType, 0);
  file.Read(kDecodeTypeKey, m_byDecodeType, 0);

  m_strDesktopPath = platform::DesktopFolder().string();
  if (m_strDesktopPath.empty()) {
    platform::ShowMessageBox(kDesktopErrorText);
  }

  m_strRecordPath =
      ExistingFolderOr(file.ReadText(kRecordPath, m_strDesktopPath), m_strDesktopPath);
  m_strSnapshotPath =
      ExistingFolderOr(file.ReadText(kSnapshotPath, m_strDesktopPath), m_strDesktopPath);
  m_strUpgradePath =
      ExistingFolderOr(file.ReadText(kUpgradePath, m_strDesktopPath), m_strDesktopPath);
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
  file.Write(kBrightness, m_nBrightness);
  file.Write(kContrast, m_nContrast);
  file.Write(kSaturation, m_nSaturation);
  file.Write(kImageResolution, m_nImageResolution.load());
  {
    const std::lock_guard lock(m_TextLock);
    file.WriteText(kUsername, m_strUserName);
    file.WriteText(kServerName, m_strServerAddress);
  }
  file.Write(kServerPort, m_wWebPort.load());
  file.Write(kSubPortNumber, m_dwSubPort);
  file.Write(kImageWidth, m_wImageWidth);
  file.Write(kImageHeight, m_wImageHeight);
  file.Write(kZoomRatio, m_wZoomRatio);
  file.Write(kFrameRate, m_wFrameRate);
  file.Write(kTargetBitRate, m_wTargetBitRate);
  file.Write(kPeakBitRate, m_wPeakBitRate);
  file.Write(kControlBitRateType, m_wBitRateControlType);
  file.Write(kResolutionType, m_byResolutionType);
  file.Write(kImageQuality, m_byImageQuality);
  file.Write(kSelectedChannel, m_bySelectedChannel.load());
  file.Write(kChannel1Device, m_byChannel1Device);
  file.Write(kChannel2Device, m_byChannel2Device);
  file.Write(kLastMac1, m_wLastMac1);
  file.Write(kLastMac2, m_wLastMac2);
  file.Write(kAlarmTriggerRecord, m_byAlarmTriggerRecord);
  file.Write(kModelAlarmTriggerRecord, m_byModelAlarmTriggerRecord);
  file.Write(kAlarmEnableButton, m_wAlarmEnableButton);
  file.Write(kAlarmTriggerQuality, m_nAlarmTriggerQuality);
  file.Write(kAlarmTriggerResolution, m_nAlarmTriggerResolution);
  file.Write(kTriggerWavPathLow, m_nTriggerWavPathLow);
  file.Write(kTriggerCloseHour, m_byTriggerCloseHour);
  file.Write(kTriggerCloseMin, m_byTriggerCloseMin);
  file.Write(kTriggerCloseDate, m_byTriggerCloseDate);
  file.WriteText(kRecordPath, m_strRecordPath);
  file.WriteText(kSnapshotPath, m_strSnapshotPath);
  file.WriteText(kUpgradePath, m_strUpgradePath);
  file.WriteText(kAlarmAudioPath, m_strAlarmWavPath);
  file.Write(kAvSwitchOption, m_byAvSwitchOption.load());
  file.Write(kTransmissionType, m_byTransmissionType.load());
  file.Write(kDecodeTypeKey, m_byDecodeType);
  file.Commit();
  return file.Failed() ? 0 : 1;
}
