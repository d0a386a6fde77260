// The waits of the main window's DISCONNECT and AV SWITCH commands, run on a worker thread so
// that the window keeps painting and handling its messages meanwhile. Each wait has its limit
// (on the engine clock) and also ends when the worker is asked to stop. No widget is touched
// here: the window applies the outcome on the GUI thread afterwards.
#pragma once

#include <cstdint>

#include "app/kernel_threads.h"
#include "platform/thread.h"

namespace mainwin {

// Limits of the waits, in milliseconds.
inline constexpr std::uint32_t kReceiverAnswerMs = 1000;
inline constexpr std::uint32_t kTerminateAnswerMs = 7000;
// DISCONNECT's wait for the kernel mailbox lock before it posts the feedback code: the kernel
// thread holds the lock while it handles a lost connection, which takes at most the terminate
// limit.
inline constexpr std::uint32_t kFeedbackLockMs = kTerminateWaitMs;

// By the AV switch option: 1 the video receivers, 2 the audio receivers, 3 video then audio;
// each is asked to reset and its answer is waited for up to kReceiverAnswerMs. Any other option
// stops nothing. False when the stop was asked for meanwhile.
bool StopReceiversOfOption(std::uint8_t option, const platform::StopToken& stop);

// What DISCONNECT does besides its window changes.
struct DisconnectPlan {
  bool streamsRunning = false;  // the streams run: stop the receivers, then the terminate
  std::uint8_t avOption = 0;
  bool postFeedback = false;  // user level 30 on a 0x84 server: mailbox code 5
};

// What happened; `stopped` when the worker was asked to stop before the end.
struct DisconnectOutcome {
  bool stopped = false;
  std::uint32_t reLoginExitCode = 0;  // 31 when the re-login thread did not end in time
  bool terminateAnswered = true;
  bool feedbackPosted = false;
};

// DISCONNECT's steps in order: ends the re-login thread (kReLoginStopMs); when the
// streams run, stops the option's receivers, signals the terminate request and waits up to
// kTerminateAnswerMs for its answer; clears the connect choice; posts the feedback code when the
// plan says so, waiting at most kFeedbackLockMs for the mailbox lock (a stop ends that wait too,
// without the code).
DisconnectOutcome RunDisconnectWaits(const DisconnectPlan& plan, const platform::StopToken& stop);

// AV SWITCH's steps after the new option is stored: stops the receivers of the old option, then
// reports the lost connection (MessageTrigger 1), which logs in again with the new option. False
// when the stop was asked for first.
bool RunAvSwitchWaits(std::uint8_t oldOption, const platform::StopToken& stop);

// Waits ms on the engine clock; false when the stop was asked for first.
bool PauseFor(std::uint32_t ms, const platform::StopToken& stop);

}  // namespace mainwin
