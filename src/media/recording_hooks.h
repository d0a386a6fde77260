// The recorders, the pre-record ring, the live player's buffers and the alarm sound as the
// start-up, re-login and shut-down code drives them through app::MediaEngineHooks.
//
// - createRecorders (start-up and every rebuild): gives the three recorders of CAppData their
//   environment, hands them to the pre-record ring as its readers and connects the packet
//   headers' alarm edges to the alarm recorder; freeRecorders undoes both.
// - allocateRecorderBuffers / freeRecorderBuffers: the live player's buffers and the ring.
// - startRecorderThreads: each recorder's thread for the session's video format, waiting on the
//   session's end-of-streams event; endRecorderThreads ends them after that event, so alarm and
//   schedule records are finished and an open user record stays open for the next session.
// - A user record still open when the program shuts down is finished, so its file is complete.
// - A finished alarm record is entered in the alarm database with its file name, the time of
//   its first frame, its frame count and the server address.
#pragma once

#include <memory>

#include "app/app_seams.h"
#include "platform/sync.h"

// hooks with the recorder and alarm-sound operations put in; the thread factories are left as
// they are.
app::MediaEngineHooks WithRecorders(app::MediaEngineHooks hooks);
// Installs them over the hooks in place.
void InstallRecorders();

// The buffer-done event last handed over by setAlarmSoundEvent (null before), for the code that
// starts the alarm sound thread.
std::shared_ptr<platform::Event> AlarmSoundDoneEvent();
