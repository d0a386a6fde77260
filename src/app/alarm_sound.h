// The alarm sound the main window plays while an alarm is shown: on the alarm's start the sound
// file of the settings is loaded and PlayAudioWavThread plays it until the alarm's end (or a
// click on the window) tells it to stop.
//
// A sound thread that did not end within kAlarmSoundJoinMs is given up, and may still play from
// the loaded sound: the sound is not replaced while that thread is inside its body.
//
// GUI thread; each call waits at most kAlarmSoundJoinMs for the old thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

namespace app {

// Time the old alarm sound thread gets to end once its stop event is set: it returns as soon as
// its device is reset, so the wait is short; the limit only bounds a stuck sound device.
inline constexpr std::uint32_t kAlarmSoundJoinMs = 1000;

class AlarmSound {
 public:
  // The alarm began: the old sound thread is told to stop and ended, the sound file of the
  // settings (or the program folder's alarm.wav) is loaded, and a new thread plays it with fresh
  // buffer-done and stop events. False, and nothing started, when there is no data block, the
  // old thread still plays, the sound cannot be loaded or its thread cannot start.
  bool Start();
  // The alarm ended: a pending sound is told to stop and its thread is ended.
  void Stop();

 private:
  // Ends the sound thread; false while the thread started last is still inside its body.
  bool EndThread();

  // Whether the sound thread started last is still inside its body.
  std::shared_ptr<std::atomic<bool>> m_pSoundRunning;
};

}  // namespace app
