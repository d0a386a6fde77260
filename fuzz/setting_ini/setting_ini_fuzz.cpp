// Fuzz target of the settings: any bytes as Setting.ini, loaded over every key, saved and
// loaded again. What was loaded must save as it was read: the second load gives every saved
// setting the first load gave (when the save wrote every key).
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>

#include "app/setting_ini.h"
#include "platform/folders.h"

namespace {

// The program folder of the run, with a Desktop folder of its own; removed when the run ends
// (the path is never destroyed, so the exit handler can still read it).
const std::filesystem::path& ProgramDir() {
  static const std::filesystem::path* const dir = [] {
    const auto* d = new std::filesystem::path(std::filesystem::temp_directory_path() /
                                              ("fuzz_setting_" + std::to_string(getpid())));
    std::filesystem::create_directories(*d / "desktop");
    platform::SetProgramFolder(*d);
    platform::SetDesktopFolder(*d / "desktop");
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(ProgramDir(), ignored);
    });
    return d;
  }();
  return *dir;
}

auto Saved(const CSettingINI& s) {
  return std::tie(s.m_nBrightness, s.m_nContrast, s.m_nSaturation, s.m_nImageResolution,
                  s.m_strUserName, s.m_strServerAddress, s.m_wWebPort, s.m_dwSubPort,
                  s.m_wImageWidth, s.m_wImageHeight, s.m_wZoomRatio, s.m_wFrameRate,
                  s.m_wTargetBitRate, s.m_wPeakBitRate, s.m_wBitRateControlType,
                  s.m_byResolutionType, s.m_byImageQuality, s.m_bySelectedChannel,
                  s.m_byChannel1Device, s.m_byChannel2Device, s.m_wLastMac1, s.m_wLastMac2,
                  s.m_byAlarmTriggerRecord, s.m_byModelAlarmTriggerRecord, s.m_wAlarmEnableButton,
                  s.m_nAlarmTriggerQuality, s.m_nAlarmTriggerResolution, s.m_nTriggerWavPathLow,
                  s.m_byTriggerCloseHour, s.m_byTriggerCloseMin, s.m_byTriggerCloseDate,
                  s.m_strRecordPath, s.m_strSnapshotPath, s.m_strUpgradePath, s.m_strAlarmWavPath,
                  s.m_byAvSwitchOption, s.m_byTransmissionType, s.m_byDecodeType);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::filesystem::path file = ProgramDir() / CSettingINI::kFileName;
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  CSettingINI first;
  if (first.Load() != 1 || first.SettingFilePath() != file.string())
    std::abort();
  const bool savedAll = first.Save() == 1;
  CSettingINI second;
  if (second.Load() != 1)
    std::abort();
  if (savedAll && Saved(first) != Saved(second))
    std::abort();
  return 0;
}
