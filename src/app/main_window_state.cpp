#include "app/main_window_state.h"

#include "app/app_data.h"
#include "app/engine_threads.h"

namespace app {

bool SessionUp(const CAppData& app) {
  return app.m_bConnected.load() != 0;
}

void SetHotPoint(CAppData& app, bool on) {
  app.m_byHotPointMode = on ? 2 : 1;
  app.m_bHotPointOn = on ? 1 : 0;
}

bool HotPointOn(const CAppData& app) {
  return app.m_byHotPointMode.load() == 2;
}

void StopPendingAlarmSound(CAppData& app) {
  if (app.m_bAlarmWavPending.load() == 0)
    return;
  SignalEvent(app.m_hAlarmWavStopEvent);
  app.m_bAlarmWavPending = 0;
}

void PublishMainWindow(CAppData& app, CKavelinDlg& window, platform::WindowHandle handle) {
  app.m_hWndMainDialog = handle;
  app.lp_wndMainDialog = &window;
}

void WithdrawMainWindow(CAppData& app, const CKavelinDlg& window) {
  if (app.lp_wndMainDialog.load() != &window)
    return;
  app.lp_wndMainDialog = nullptr;
  app.m_hWndMainDialog = platform::kNoWindow;
}

}  // namespace app
