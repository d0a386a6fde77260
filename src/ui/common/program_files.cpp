#include "ui/common/program_files.h"

#include "app/app_data.h"
#include "app/ip_record.h"
#include "platform/folders.h"

namespace ui {

std::filesystem::path SettingsProgramFolder() {
  if (g_lpApp && !g_lpApp->m_SettingINI.m_strProgramDir.empty())
    return g_lpApp->m_SettingINI.m_strProgramDir;
  return platform::ProgramFolder();
}

std::filesystem::path IPRecordFilePath() {
  return app::IPRecordPath(SettingsProgramFolder());
}

QString PlayerProgramPath() {
  return QString::fromStdString((SettingsProgramFolder() / kPlayerProgramName).string());
}

}  // namespace ui
