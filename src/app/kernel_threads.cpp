#include "app/kernel_threads.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <mutex>
#include <string>

#include "app/app_data.h"
#include "app/app_seams.h"
#include "app/engine_threads.h"
#include "app/kavelin_app.h"
#include "app/relogin_thread.h"
#include "platform/clock.h"
#include "platform/sync.h"

namespace {

// Set while the mailbox is closed; posters wait on it beside the lock.
platform::Event& MailboxClosed() {
  static platform::Event closed(platform::ResetMode::Manual, true);
  return closed;
}

// Set by Process_Terminate_Thread while it takes a session down, and by Process_Init_Thread
// from a rebuild request until the rebuild has answered or failed.
std::atomic<bool> g_bTeardownUnderWay{false};
std::atomic<bool> g_bRebuildUnderWay{false};

// Sets a flag for the life of a scope.
class FlagScope {
 public:
  explicit FlagScope(std::atomic<bool>& flag) : m_flag(flag) { m_flag = true; }
  ~FlagScope() { m_flag = false; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  std::atomic<bool>& m_flag;
};

// How often a wait for the session before looks again. It only runs while a stream thread
// that a teardown gave up is still running (a stalled or starved process).
constexpr std::uint32_t kOldSessionPollMs = 20;

// Waits until every stream thread a teardown gave up has ended and, with afterTeardown, until
// no teardown is under way. The wait has no limit: the next session must not reset or reuse
// what such a thread still uses. False when the thread was asked to stop first.
bool WaitUntilOldSessionGone(const platform::StopToken& stop, const char* routine,
                             bool afterTeardown) {
  const auto gone = [afterTeardown] {
    return (!afterTeardown || !g_bTeardownUnderWay.load()) &&
           app::AbandonedThreadCount(app::ThreadGroup::kSession) == 0;
  };
  if (gone()) {
    return true;
  }
  app::TraceLine(std::string(routine) +
                 " : a stream thread of the session before still runs; waiting for it \n");
  while (!gone()) {
    if (platform::WaitAny({&stop.StopEvent()}, kOldSessionPollMs) == 0) {
      return false;
    }
  }
  return true;
}

std::uint32_t Trigger(std::uint8_t kind, const platform::StopToken& stop) {
  if ((kind != kKernelConnectionLost && kind != kKernelImageReady) || !g_lpApp ||
      !IsMailboxOpen()) {
    return 0;
  }
  CAppData& app = *g_lpApp;
  const SemaphoreHandle lock = app::LoadHandle(app.h_FeedBackMessageTriggerSemaphore);
  const SemaphoreHandle doorbell = app::LoadHandle(app.h_KernelMessageSemaphore);
  // Kind 1 gives up when a loss is pending, kind 2 when the streams stop. Without that event
  // the login resources are being rebuilt, and the report is dropped.
  const EventHandle giveUp =
      app::LoadHandle(kind == kKernelConnectionLost ? app.h_NotifyMessageTriggerEvent
                                                    : app.h_EndofGetJpegImageEvent);
  if (!lock || !doorbell || !giveUp) {
    return 0;
  }
  if (app::Clock().WaitAny({giveUp.get(), lock.get(), &MailboxClosed(), &stop.StopEvent()},
                           platform::kInfinite) != 1) {
    return 0;
  }
  if (kind == kKernelConnectionLost) {
    giveUp->Set();
  }
  app.KernelMessageCode = kind;
  doorbell->Release();
  return 0;
}

enum class LossHandling { Done, Stopped, Failed };

// Waits for the stream threads to be stopped. The re-login starts only once they are: rebuilt
// login resources must never meet a teardown still under way.
LossHandling WaitForTerminate(CAppData& app, const platform::StopToken& stop) {
  const EventHandle request = app::LoadHandle(app.h_Process_Notify_TerminateEvent);
  const EventHandle done = app::LoadHandle(app.m_hTerminateDoneEvent);
  if (!request || !done) {
    return LossHandling::Done;
  }
  request->Set();
  for (;;) {
    const std::uint32_t index =
        app::Clock().WaitAny({&stop.StopEvent(), done.get()}, kTerminateWaitMs);
    if (index == 1) {
      return LossHandling::Done;
    }
    if (index != platform::kWaitTimeout) {
      return LossHandling::Stopped;
    }
    if (!app::EngineThreadRunning(app.h_Process_Terminate_Thread)) {
      app::TraceLine("Process_KernelMessageThread : the stream threads cannot be stopped \n");
      return LossHandling::Failed;
    }
    app::TraceLine("Process_KernelMessageThread : the stream threads are still stopping \n");
  }
}

LossHandling HandleConnectionLost(CAppData& app, const platform::StopToken& stop) {
  // AV SWITCH ends the streams on purpose through this road (it sets m_bAvSwitched first).
  const bool avSwitch = app.m_bAvSwitched.load() != 0;
  // A session lost within seconds of its start (the device refused the stream) is logged into
  // again only after the wait of a failed attempt; a switch is not such a loss.
  const bool shortSession = app.m_bSessionStarted.exchange(0) != 0 && !avSwitch &&
                            IsShortSession(app.m_dwSessionStartTick.load(), app::Clock().Ticks());
  const auto sink = app::MainWindowSink();
  // A snapshot asked of the lost streams and not served yet goes with them (the next session's
  // first picture is not the one asked for), and the operator is told so, as a press during
  // the re-login is told. Across AV SWITCH it stays, and the new option's first picture serves
  // it.
  if (!avSwitch && app.m_bSnapshotRequest.exchange(0) != 0 && sink) {
    sink->SnapshotNotTaken();
  }
  if (sink) {
    sink->CloseConfigSheet();
  }
  const LossHandling terminated = WaitForTerminate(app, stop);
  if (terminated == LossHandling::Stopped) {
    return terminated;
  }
  if (terminated == LossHandling::Failed) {
    // Nothing to log in again over; the loss stays reported until a new login.
    return LossHandling::Done;
  }
  app::TraceStep("Process_KernelMessage: \"Login Button 1\" in");
  if (sink) {
    sink->SetConnectButtonState(1);
  }
  app::TraceStep("Process_KernelMessage: \"Login Button 1\" out");
  if (sink) {
    sink->ClearStatusText();
  }
  if (stop.StopRequested()) {
    return LossHandling::Stopped;  // shut-down has begun: no new re-login
  }
  app::StopEngineThread("Process_KernelMessageThread", "h_ReLoginThread", app.h_ReLoginThread,
                        app.h_ReLoginThreadId, kReLoginStopMs, app::ThreadIdFormat::Decimal);
  if (!app::StartEngineThread(app.h_ReLoginThread, app.h_ReLoginThreadId, "ReLoginThread",
                              shortSession ? ReLoginThreadAfterShortSession : ReLoginThread)) {
    app::TraceLine("Process_KernelMessageThread  : create the h_ReLoginThread failed, error \n");
    return LossHandling::Failed;
  }
  return LossHandling::Done;
}

void ShowImage(CAppData& app) {
  if (const auto sink = app::MainWindowSink()) {
    sink->ShowImage();
  } else {
    // No window paints: the show thread must still get its slot back.
    app::SignalEvent(app.FinishShowImageJobEvent);
  }
}

void ReloadAlarmSound(CAppData& app) {
  app::SignalEvent(app.m_hAlarmWavStopEvent);
  const app::MediaEngineHooks hooks = app::MediaHooks();
  if (!hooks.loadAlarmSound ||
      !hooks.loadAlarmSound(app.m_SettingINI.LockedText(app.m_SettingINI.m_strAlarmWavPath))) {
    return;
  }
  auto bufferDone = std::make_shared<platform::Event>(platform::ResetMode::Auto, false);
  app::StoreHandle(app.m_hAlarmWavEvent, bufferDone);
  app::StoreHandle(app.m_hAlarmWavStopEvent,
                   std::make_shared<platform::Event>(platform::ResetMode::Auto, false));
  if (hooks.setAlarmSoundEvent) {
    hooks.setAlarmSoundEvent(bufferDone);
  }
}

void Feedback(CAppData& app) {
  if (app.m_bAlarmWavPending.load() != 0) {
    app::SignalEvent(app.m_hAlarmWavStopEvent);
    app.m_bAlarmWavPending = 0;
  }
}

// Stops the receivers the AV switch option runs and waits for their answers.
bool StopReceivers(CAppData& app, const platform::StopToken& stop) {
  const std::uint8_t option = app.m_SettingINI.m_byAvSwitchOption;
  const auto stopOne = [&](const EventHandle& requestField, const EventHandle& doneField) {
    const EventHandle done = app::LoadHandle(doneField);
    app::SignalEvent(requestField);
    if (!done) {
      return true;
    }
    return app::Clock().WaitAny({&stop.StopEvent(), done.get()}, 1000) != 0;
  };
  if ((option == 1 || option == 3) &&
      !stopOne(app.NotifyGetJPEGImageThreadResetEvent, app.ReceiverResetDoneImageEvent)) {
    return false;
  }
  if ((option == 2 || option == 3) &&
      !stopOne(app.NotifyGetAudioThreadResetEvent, app.ReceiverResetDoneAudioEvent)) {
    return false;
  }
  return true;
}

}  // namespace

bool SessionRebuildUnderWay() {
  return g_bRebuildUnderWay.load();
}

void OpenMailbox() {
  MailboxClosed().Reset();
}
void CloseMailbox() {
  MailboxClosed().Set();
}
bool IsMailboxOpen() {
  return !MailboxClosed().IsSet();
}

std::uint32_t MessageTrigger(std::uint8_t kind) {
  return Trigger(kind, platform::StopToken());
}

std::uint32_t MessageTrigger(std::uint8_t kind, const platform::StopToken& stop) {
  return Trigger(kind, stop);
}

namespace {

// Takes the mailbox lock through wait (given the lock and the closed event), writes the code
// and rings the doorbell.
template <typename Wait>
bool PostWithLock(std::uint32_t code, Wait wait) {
  if (!g_lpApp || !IsMailboxOpen()) {
    return false;
  }
  CAppData& app = *g_lpApp;
  const SemaphoreHandle lock = app::LoadHandle(app.h_FeedBackMessageTriggerSemaphore);
  const SemaphoreHandle doorbell = app::LoadHandle(app.h_KernelMessageSemaphore);
  if (!lock || !doorbell) {
    return false;
  }
  if (wait(*lock, MailboxClosed()) != 0) {
    return false;
  }
  app.KernelMessageCode = code;
  doorbell->Release();
  return true;
}

}  // namespace

bool PostKernelMessage(std::uint32_t code, std::uint32_t lockTimeoutMs) {
  return PostWithLock(code, [lockTimeoutMs](platform::Semaphore& lock, platform::Event& closed) {
    return platform::WaitAny({&lock, &closed}, lockTimeoutMs);
  });
}

bool PostKernelMessage(std::uint32_t code, std::uint32_t lockTimeoutMs,
                       const platform::StopToken& stop) {
  return PostWithLock(
      code, [lockTimeoutMs, &stop](platform::Semaphore& lock, platform::Event& closed) {
        return app::Clock().WaitAny({&lock, &closed, &stop.StopEvent()}, lockTimeoutMs);
      });
}

std::uint32_t Process_KernelMessageThread(platform::StopToken stop) {
  if (!g_lpApp) {
    return 0;
  }
  CAppData& app = *g_lpApp;
  const SemaphoreHandle doorbell = app::LoadHandle(app.h_KernelMessageSemaphore);
  const SemaphoreHandle lock = app::LoadHandle(app.h_FeedBackMessageTriggerSemaphore);
  if (!doorbell || !lock) {
    CloseMailbox();
    return 0;
  }
  for (;;) {
    const std::uint32_t index =
        app::Clock().WaitAny({&stop.StopEvent(), doorbell.get()}, platform::kInfinite);
    if (index == 0) {
      CloseMailbox();
      return 0;
    }
    if (index != 1) {
      continue;  // a failed wait is tried again
    }
    switch (app.KernelMessageCode.load()) {
      case kKernelConnectionLost: {
        const LossHandling handled = HandleConnectionLost(app, stop);
        if (handled != LossHandling::Done) {
          // Ending: the lock goes back and the mailbox closes, so no poster waits for ever.
          CloseMailbox();
          lock->Release();
          return 0;
        }
        break;
      }
      case kKernelImageReady:
        ShowImage(app);
        break;
      case kKernelModifyMainDialogSize:
        app::TraceLine("Enter Modify_Main_Dialog_Size_Message case \n");
        if (const auto sink = app::MainWindowSink()) {
          sink->ModifyMainDialogSize();
        }
        break;
      case kKernelReloadAlarmSound:
        ReloadAlarmSound(app);
        break;
      case kKernelFeedback:
        Feedback(app);
        break;
      case kKernelEnd:
        CloseMailbox();
        return 0;
      default:
        app::TraceLine("Process_KernelMessageThread : no mapping case to handle message \n");
        break;
    }
    lock->Release();
  }
}

std::uint32_t Process_Terminate_Thread(platform::StopToken stop) {
  if (!g_lpApp) {
    return 0;
  }
  CAppData& app = *g_lpApp;
  const EventHandle request = app::LoadHandle(app.h_Process_Notify_TerminateEvent);
  const EventHandle done = app::LoadHandle(app.m_hTerminateDoneEvent);
  if (!request || !done) {
    return 0;
  }
  for (;;) {
    if (app::Clock().WaitAny({&stop.StopEvent(), request.get()}, platform::kInfinite) != 1) {
      return 0;
    }
    const FlagScope teardown(g_bTeardownUnderWay);
    if (const auto hooks = app::MediaHooks(); hooks.stopAlarmAndScheduleRecords) {
      hooks.stopAlarmAndScheduleRecords();
    }
    app.m_bReceiving = 0;
    // A snapshot asked of these streams and not served yet goes with them: the next session's
    // first picture is not the one asked for. AV SWITCH keeps it for the new option's streams.
    if (app.m_bAvSwitched.load() == 0) {
      app.m_bSnapshotRequest = 0;
    }
    app::TraceLine("Process_Terminate_Thread : Got h_Process_Notify_TerminateEvent \n");
    app::SignalEvent(app.ShowStopEvent);
    app::SignalEvent(app.h_EndofGetJpegImageEvent);
    app::SignalEvent(app.RTCPStopEvent);
    if (theApp.ExitLoginResource() == 0) {
      app::TraceLine("Process_Terminate_Thread : Free the LoginResource is failed \n");
      return 0;
    }
    // A stream thread given up above still runs on this session's handles and rings: the
    // session is gone, and the request answered, only once it has ended.
    if (!WaitUntilOldSessionGone(stop, "Process_Terminate_Thread", false)) {
      return 0;
    }
    if (theApp.FreeSemaphore() == 0) {
      app::TraceLine("Process_Terminate_Thread : Free the semaphore is failed \n");
      return 0;
    }
    done->Set();
  }
}

std::uint32_t Process_Init_Thread(platform::StopToken stop) {
  if (!g_lpApp) {
    return 0;
  }
  CAppData& app = *g_lpApp;
  const EventHandle request = app::LoadHandle(app.Process_Notify_InitEvent);
  const EventHandle done = app::LoadHandle(app.m_hInitDoneEvent);
  if (!request || !done) {
    return 0;
  }
  for (;;) {
    if (app::Clock().WaitAny({&stop.StopEvent(), request.get()}, platform::kInfinite) != 1) {
      return 0;
    }
    app::TraceLine("Process_Init_Thread : Got Process_Notify_InitEvent \n");
    const FlagScope rebuild(g_bRebuildUnderWay);
    // A DISCONNECT whose wait ran out may leave the teardown still waiting for a stream thread
    // it gave up; nothing is reset or rebuilt before that session is gone.
    if (!WaitUntilOldSessionGone(stop, "Process_Init_Thread", true)) {
      return 0;
    }
    ResetStreamState();
    // A failed rebuild is not answered (the re-login sees its wait run out and does not start
    // the streams); the thread keeps serving, so a later re-login can rebuild again.
    if (theApp.InitialSemaphore() == 0) {
      app::TraceLine("Process_Init_Thread : InitialSemaphore is failed \n");
      continue;
    }
    if (theApp.InitLoginResource() == 0) {
      app::TraceLine("Process_Init_Thread : InitLoginResource is failed \n");
      continue;
    }
    app::ResetEvent(app.NotifyGetJPEGImageThreadResetEvent);
    app::ResetEvent(app.NotifyGetAudioThreadResetEvent);
    app::ResetEvent(app.ShowStopEvent);
    done->Set();
  }
}

std::uint32_t Polling_Net_Connection(platform::StopToken stop) {
  if (!g_lpApp) {
    return 0;
  }
  CAppData& app = *g_lpApp;
  platform::IClock& clock = app::Clock();
  app.m_dwConnectionSeconds = 0;
  const EventHandle start = app::LoadHandle(app.m_hConnectionStartEvent);
  const EventHandle connectionStop = app::LoadHandle(app.m_hConnectionStopEvent);
  if (!start || !connectionStop) {
    return 0;
  }
  if (clock.WaitAny({&stop.StopEvent(), start.get()}, platform::kInfinite) != 1) {
    return 0;
  }
  if (!clock.SleepFor(1000, stop)) {
    return 0;
  }
  const std::uint32_t lifeTime = app.m_dwLifeTime.load();
  if (lifeTime == kNoLifeTimeLimit) {
    return 0;
  }
  app::TraceStep("Polling_Net_Connection: start");
  std::uint64_t seconds = 1;
  app.m_dwConnectionSeconds = 1;
  const std::uint64_t limit = LifeTimeSeconds(lifeTime);
  while (seconds < limit) {
    if (clock.WaitAny({&stop.StopEvent(), connectionStop.get()}, 1000) != platform::kWaitTimeout) {
      return 0;
    }
    ++seconds;
    app.m_dwConnectionSeconds = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(seconds, std::numeric_limits<std::uint32_t>::max()));
  }
  if (!StopReceivers(app, stop)) {
    return 0;
  }
  if (const auto sink = app::MainWindowSink()) {
    sink->ClearStatusText();
    sink->ShowStatusText(kLifeTimeUpText);
  }
  if (!clock.SleepFor(1000, stop)) {
    return 0;
  }
  platform::PostMessage(app.m_hWndMainDialog.load(), WM_LIFETIMEUP, 0, 0);
  return 0;
}
