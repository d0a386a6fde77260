// The handles of one session's rings and stream events, as a stream thread holds them. The
// thread's setup takes them from the data block once, on the thread that builds the login
// resources, before the thread starts; the thread then reaches its semaphores and events only
// through these copies. A teardown that clears the data block's fields (FreeSemaphore, the
// closes of ExitLoginResource) therefore never pulls a semaphore or an event from under a
// thread, even one it had to give up, and a later rebuild's new handles are never touched by
// an old thread.
#pragma once

#include <array>

#include "app/app_data.h"

namespace app {

struct SessionHandles {
  // The receive rings (free and filled slots) and the decoded rings.
  SemaphoreHandle ImageSocketBufferSem;
  SemaphoreHandle ImageSocketBufferRelSemaphore;
  SemaphoreHandle AudioSocketBufferSem;
  SemaphoreHandle AudioSocketBufferRelSemaphore;
  SemaphoreHandle JPEGImageBufferSemaphore;
  SemaphoreHandle JPEGImageBufferRelSemaphore;
  SemaphoreHandle JPEGAudioBufferSemaphore;
  SemaphoreHandle JPEGAudioBufferRelSemaphore;
  // The stream events the show and audio-play threads wait on (the compose thread's end of the
  // streams is its setup's own endOfStreams).
  EventHandle ReceiverStartedEvent;
  EventHandle ShowStopEvent;
  EventHandle EndofPlayAudioEvent;
  EventHandle FinishShowImageJobEvent;
  std::array<EventHandle, 2> MainTimerTickEvent;
};

// The data block's current handles (each read under the handle lock).
SessionHandles TakeSessionHandles(const CAppData& app);

}  // namespace app
