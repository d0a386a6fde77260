#include "app/session_handles.h"

#include "app/engine_threads.h"

namespace app {

SessionHandles TakeSessionHandles(const CAppData& app) {
  SessionHandles h;
  h.ImageSocketBufferSem = LoadHandle(app.ImageSocketBufferSem);
  h.ImageSocketBufferRelSemaphore = LoadHandle(app.ImageSocketBufferRelSemaphore);
  h.AudioSocketBufferSem = LoadHandle(app.AudioSocketBufferSem);
  h.AudioSocketBufferRelSemaphore = LoadHandle(app.AudioSocketBufferRelSemaphore);
  h.JPEGImageBufferSemaphore = LoadHandle(app.JPEGImageBufferSemaphore);
  h.JPEGImageBufferRelSemaphore = LoadHandle(app.JPEGImageBufferRelSemaphore);
  h.JPEGAudioBufferSemaphore = LoadHandle(app.JPEGAudioBufferSemaphore);
  h.JPEGAudioBufferRelSemaphore = LoadHandle(app.JPEGAudioBufferRelSemaphore);
  h.ReceiverStartedEvent = LoadHandle(app.ReceiverStartedEvent);
  h.ShowStopEvent = LoadHandle(app.ShowStopEvent);
  h.EndofPlayAudioEvent = LoadHandle(app.EndofPlayAudioEvent);
  h.FinishShowImageJobEvent = LoadHandle(app.FinishShowImageJobEvent);
  h.MainTimerTickEvent = {LoadHandle(app.MainTimerTickEvent[0]),
                          LoadHandle(app.MainTimerTickEvent[1])};
  return h;
}

}  // namespace app
