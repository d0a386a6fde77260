#include "ui/main/connection_waits.h"

#include "app/app_data.h"
#include "app/app_seams.h"
#include "app/engine_threads.h"
#include "app/kernel_threads.h"
#include "app/trace.h"

namespace mainwin {
namespace {

// Signals a request event and waits for its answer. False only when the stop was asked for; a
// missing answer event (no such thread runs) is not waited for.
bool RequestAndWait(const EventHandle& requestField, const EventHandle& answerField,
                    std::uint32_t limitMs, const platform::StopToken& stop,
                    bool* answered = nullptr) {
  const EventHandle request = app::LoadHandle(requestField);
  const EventHandle answer = app::LoadHandle(answerField);
  if (request)
    request->Set();
  if (!answer) {
    if (answered != nullptr)
      *answered = true;
    return !stop.StopRequested();
  }
  const std::uint32_t index = app::Clock().WaitAny({&stop.StopEvent(), answer.get()}, limitMs);
  if (answered != nullptr)
    *answered = index == 1;
  return index != 0;
}

}  // namespace

bool StopReceiversOfOption(std::uint8_t option, const platform::StopToken& stop) {
  if (!g_lpApp)
    return true;
  CAppData& app = *g_lpApp;
  if ((option == 1 || option == 3) &&
      !RequestAndWait(app.NotifyGetJPEGImageThreadResetEvent, app.ReceiverResetDoneImageEvent,
                      kReceiverAnswerMs, stop))
    return false;
  if ((option == 2 || option == 3) &&
      !RequestAndWait(app.NotifyGetAudioThreadResetEvent, app.ReceiverResetDoneAudioEvent,
                      kReceiverAnswerMs, stop))
    return false;
  return true;
}

DisconnectOutcome RunDisconnectWaits(const DisconnectPlan& plan, const platform::StopToken& stop) {
  DisconnectOutcome outcome;
  if (!g_lpApp) {
    outcome.stopped = true;
    return outcome;
  }
  CAppData& app = *g_lpApp;
  outcome.reLoginExitCode =
      app::StopEngineThread("OnLogin", "h_ReLoginThread", app.h_ReLoginThread,
                            app.h_ReLoginThreadId, kReLoginStopMs, app::ThreadIdFormat::Decimal);
  if (plan.streamsRunning) {
    if (!StopReceiversOfOption(plan.avOption, stop) ||
        !RequestAndWait(app.h_Process_Notify_TerminateEvent, app.m_hTerminateDoneEvent,
                        kTerminateAnswerMs, stop, &outcome.terminateAnswered)) {
      outcome.stopped = true;
      return outcome;
    }
    if (!outcome.terminateAnswered)
      app::TraceLine("CKavelinDlg::OnLogin : the terminate request was not answered in time \n");
  }
  app.m_bConnected = 0;
  if (plan.postFeedback) {
    outcome.feedbackPosted = PostKernelMessage(kKernelFeedback, kFeedbackLockMs, stop);
    if (!outcome.feedbackPosted)
      app::TraceLine("CKavelinDlg::OnLogin : the feedback code could not be posted \n");
  }
  return outcome;
}

bool RunAvSwitchWaits(std::uint8_t oldOption, const platform::StopToken& stop) {
  if (!StopReceiversOfOption(oldOption, stop))
    return false;
  MessageTrigger(kKernelConnectionLost, stop);
  return !stop.StopRequested();
}

bool PauseFor(std::uint32_t ms, const platform::StopToken& stop) {
  return app::Clock().WaitAny({&stop.StopEvent()}, ms) != 0;
}

}  // namespace mainwin
