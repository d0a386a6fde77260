#include "ui/login/login_files.h"

#include "app/app_data.h"
#include "app/ip_record.h"
#include "platform/folders.h"

namespace ui::login {

std::filesystem::path LoginProgramFolder() {
  if (g_lpApp && !g_lpApp->m_SettingINI.m_strProgramDir.empty())
    return g_lpApp->m_SettingINI.m_strProgramDir;
  return platform::ProgramFolder();
}

std::filesystem::path IPRecordFilePath() {
  return app::IPRecordPath(LoginProgramFolder());
}

QString PlayerProgramPath() {
  return QString::fromStdString((LoginProgramFolder() / kPlayerProgramName).string());
}

}  // namespace ui::login
