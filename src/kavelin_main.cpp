// The kavelin program. Until the windows exist it starts and stops the engine's foundation:
// the application data block, the settings, the trace files, and a clean shut-down.
#include <memory>

#include "app/app_data.h"
#include "app/trace.h"
#include "app/utility.h"

int main() {
  g_lpApp = std::make_unique<CAppData>();
  g_lpApp->m_bMmxPresent = IsMmxPresent() ? 1 : 0;
  g_lpApp->m_SettingINI.Load();
  const std::string programDir = g_lpApp->m_SettingINI.m_strProgramDir;
  PrepareRollingTrace(30, programDir);
  if (g_lpApp->m_TraceFile.Open(programDir) == 0) {
    DebugPrint("CKavelinApp::InitInstance() : open the trace file failed \n");
  }

  // Shut-down: the trace file is closed with the block; the settings are saved by the main
  // window only.
  ReleaseRollingTrace();
  g_lpApp.reset();
  return 0;
}
