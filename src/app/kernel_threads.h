// The process-wide kernel threads and the one-deep mailbox to the kernel-message thread.
//
// A poster takes the mailbox lock (h_FeedBackMessageTriggerSemaphore), writes its code into
// KernelMessageCode and rings the doorbell (h_KernelMessageSemaphore); the kernel-message thread
// handles the code and gives the lock back, so codes are handled one at a time in the order the
// posters took the lock.
//
// A lost connection (code 1) is reported once: h_NotifyMessageTriggerEvent is a manual-reset
// flag that the first report sets and that stays set until the re-login has rebuilt the login
// resources with a fresh one, so every further report of the same loss returns at once. While
// the login resources are being rebuilt (no flag exists) reports are dropped: the streams that
// could report are the ones being stopped. Once the kernel-message thread has ended, or
// shut-down has begun, the mailbox is closed and posters return at once instead of waiting for
// a lock nobody gives back.
#pragma once

#include <cstdint>

#include "platform/thread.h"
#include "platform/window_message.h"

// Mailbox codes.
inline constexpr std::uint32_t kKernelConnectionLost = 1;
inline constexpr std::uint32_t kKernelImageReady = 2;
inline constexpr std::uint32_t kKernelModifyMainDialogSize = 3;
inline constexpr std::uint32_t kKernelReloadAlarmSound = 4;
inline constexpr std::uint32_t kKernelFeedback = 5;
inline constexpr std::uint32_t kKernelEnd = 6;

// Messages the kernel and polling threads post to the main window.
inline constexpr std::uint32_t WM_LIFETIMEUP = platform::WM_USER + 0x0C;            // 0x40C
inline constexpr std::uint32_t WM_MODIFYMAINDIALOGSIZE = platform::WM_USER + 0x20;  // 0x420

inline constexpr const char* kLifeTimeUpText = "Life time is Up.Application shutdown later";

// Time the kernel thread waits for the stream threads to be stopped before a re-login, in
// rounds: a re-login never starts while the old streams are still being torn down.
inline constexpr std::uint32_t kTerminateWaitMs = 7000;
inline constexpr std::uint32_t kReLoginStopMs = 30;

// Reports to the kernel-message thread. Kind 1: connection lost (one re-login per loss); kind 2:
// a new picture is ready (dropped while the streams stop). Other kinds do nothing. Returns 0.
// The form with a stop token also returns when the calling thread is asked to stop.
std::uint32_t MessageTrigger(std::uint8_t kind);
std::uint32_t MessageTrigger(std::uint8_t kind, const platform::StopToken& stop);

// Posts a code as the main window's CONNECT handler (5) and shut-down (6) do: takes the lock,
// waiting at most lockTimeoutMs, writes the code and rings the doorbell. False when the lock
// could not be had in time or the mailbox is closed.
bool PostKernelMessage(std::uint32_t code, std::uint32_t lockTimeoutMs);
// The same, for a poster on a thread of its own: the time-out is measured on the engine clock
// (app::Clock) and the wait also ends, with false, when that thread is asked to stop.
bool PostKernelMessage(std::uint32_t code, std::uint32_t lockTimeoutMs,
                       const platform::StopToken& stop);

// Opened by InitProcessResource; closed when the kernel-message thread ends and by
// ExitProcessResource.
void OpenMailbox();
void CloseMailbox();
bool IsMailboxOpen();

// A session's teardown and rebuild. Process_Terminate_Thread answers its request only once
// every stream thread its teardown had to give up has ended, and only then frees the session's
// semaphores; Process_Init_Thread rebuilds only once no teardown is under way and no such thread
// runs. So no stream thread of one session ever meets the rings, ring indexes or decoder state
// of the next (see app/session_handles.h for the handles each thread keeps of its own).
// True from a rebuild request until the rebuild has answered or failed: a re-login waiting for
// the answer keeps waiting while it is true.
bool SessionRebuildUnderWay();

std::uint32_t Process_KernelMessageThread(platform::StopToken stop);
std::uint32_t Process_Terminate_Thread(platform::StopToken stop);
std::uint32_t Process_Init_Thread(platform::StopToken stop);
std::uint32_t Polling_Net_Connection(platform::StopToken stop);

// Seconds the life-time thread counts to: LIFE-TIME minutes x 60, in 64 bits.
constexpr std::uint64_t LifeTimeSeconds(std::uint32_t lifeTimeMinutes) {
  return static_cast<std::uint64_t>(lifeTimeMinutes) * 60u;
}
