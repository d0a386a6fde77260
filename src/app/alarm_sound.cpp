#include "app/alarm_sound.h"

#include <string>

#include "app/app_data.h"
#include "app/app_seams.h"
#include "app/engine_threads.h"
#include "app/main_window_state.h"
#include "app/trace.h"
#include "media/audio/alarm_wav.h"

namespace app {

bool AlarmSound::EndThread() {
  CAppData& app = *g_lpApp;
  StopEngineThread("OnAlarmSound", "h_PlayAudioWavThread", app.h_PlayAudioWavThread,
                   app.h_PlayAudioWavThreadId, kAlarmSoundJoinMs);
  // A thread given up may still play from the loaded sound: the sound stays until it is gone.
  return !m_pSoundRunning || !m_pSoundRunning->load();
}

void AlarmSound::Stop() {
  if (!g_lpApp)
    return;
  StopPendingAlarmSound(*g_lpApp);
  EndThread();
}

bool AlarmSound::Start() {
  if (!g_lpApp)
    return false;
  CAppData& app = *g_lpApp;
  // The old sound thread ends before its sound and events are replaced.
  SignalEvent(app.m_hAlarmWavStopEvent);
  if (!EndThread()) {
    TraceLine("CKavelinDlg::OnAlarmSound : the old alarm sound is still playing \n");
    return false;
  }
  const CSettingINI& settings = app.m_SettingINI;
  const std::string path = settings.LockedText(settings.m_strAlarmWavPath);
  const std::string programDir = settings.LockedText(settings.m_strProgramDir);
  if (!app.m_AlarmWav.LoadAlarmWav(path, programDir))
    return false;
  auto done = std::make_shared<platform::Event>(platform::ResetMode::Auto, false);
  auto stopSound = std::make_shared<platform::Event>(platform::ResetMode::Auto, false);
  StoreHandle(app.m_hAlarmWavEvent, done);
  StoreHandle(app.m_hAlarmWavStopEvent, stopSound);
  if (const MediaEngineHooks hooks = MediaHooks(); hooks.setAlarmSoundEvent)
    hooks.setAlarmSoundEvent(done);
  auto running = std::make_shared<std::atomic<bool>>(true);
  CAlarmWav* sound = &app.m_AlarmWav;
  const bool started = StartEngineThread(
      app.h_PlayAudioWavThread, app.h_PlayAudioWavThreadId, "PlayAudioWavThread",
      [sound, done, stopSound, running](platform::StopToken stop) {
        const std::uint32_t code = PlayAudioWavThread(*sound, *done, *stopSound, stop);
        running->store(false);
        return code;
      });
  if (!started) {
    TraceLine("Create the h_PlayAudioWavThread failed, error \n");
    return false;
  }
  m_pSoundRunning = std::move(running);
  app.m_bAlarmWavPending = 1;
  return true;
}

}  // namespace app
