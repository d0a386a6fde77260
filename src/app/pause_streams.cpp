#include "app/pause_streams.h"

#include "app/app_data.h"
#include "app/app_seams.h"
#include "app/engine_threads.h"

namespace {

bool PauseReceiver(const EventHandle& requestField, const EventHandle& answerField) {
  const EventHandle request = app::LoadHandle(requestField);
  const EventHandle answer = app::LoadHandle(answerField);
  if (!request || !answer)
    return true;
  request->Set();
  return app::Clock().WaitAny({answer.get()}, kPauseStreamWaitMs) == 0;
}

}  // namespace

bool PauseStreams(std::uint8_t option) {
  if (!g_lpApp)
    return true;
  CAppData& app = *g_lpApp;
  bool answered = true;
  if (option == 1 || option == 3) {
    answered =
        PauseReceiver(app.NotifyGetJPEGImageThreadResetEvent, app.ReceiverResetDoneImageEvent) &&
        answered;
  }
  if (option == 2 || option == 3) {
    answered = PauseReceiver(app.NotifyGetAudioThreadResetEvent, app.ReceiverResetDoneAudioEvent) &&
               answered;
  }
  return answered;
}
