// What the main window asks of the engine, behind replaceable functions so that tests see each
// call: the waits of DISCONNECT, AV SWITCH and the reconnect pause, the remote-control panel's
// device requests, and the image-adjust record; and the actions of CONNECT, of the window's end
// and of the alarm sound.
//
// The waits and requests wait (for the engine's threads or the network, within their limits)
// and end at once when their stop is requested: the window runs them on its workers
// (ui::Worker) and takes the typed result on the GUI thread. The actions have no stop and are
// called on the GUI thread; each waits only for engine threads to end, within the limits noted.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

#include "app/app_data.h"
#include "net/rs485_command.h"
#include "platform/thread.h"
#include "ui/main/connection_waits.h"

namespace mainwin {

// The "IMG" configuration record.
using ImgRecord = std::array<std::uint8_t, kImgConfigBytes>;

}  // namespace mainwin

namespace ports {

struct MainWindowEngine {
  // DISCONNECT's waits; the outcome says whether the stop cut them.
  std::function<mainwin::DisconnectOutcome(const mainwin::DisconnectPlan&,
                                           const platform::StopToken&)>
      disconnect;
  // AV SWITCH's waits from the old option; false when the stop cut them.
  std::function<bool(std::uint8_t oldOption, const platform::StopToken&)> avSwitch;
  // The pause before a reconnect; false when the stop cut it.
  std::function<bool(std::uint32_t ms, const platform::StopToken&)> pause;
  // One "/RS485Cmd.cgi" request of the panel; the sender's result (1 accepted).
  std::function<int(const net::Rs485Request&, const platform::StopToken&)> sendDeviceRequest;
  // The "IMG" record from the server; nothing when the fetch failed or was stopped.
  std::function<std::optional<mainwin::ImgRecord>(const platform::StopToken&)> fetchImageRecord;
  // The "IMG" record to the server; the sender's result (1 accepted).
  std::function<int(const mainwin::ImgRecord&, const platform::StopToken&)> sendImageRecord;

  // --- Actions (GUI thread) ---
  // CONNECT: the re-login thread starts (one still running is stopped first, within 30 ms);
  // false when it cannot start.
  std::function<bool()> connect;
  // The window's end, first: the alarm, user and schedule recorders' records end (up to 500 ms
  // each).
  std::function<void()> stopRecorders;
  // The window's end, then: ExitLoginResource and ExitProcessResource stop the session's and the
  // process's engine threads, each within its limit. False when one fails (traced; the second
  // does not run after a failed first).
  std::function<bool()> endSessionResources;
  // An alarm began: the old sound thread ends (up to 1 s), the alarm sound loads and a new thread
  // plays it; false when it does not play.
  std::function<bool()> startAlarmSound;
  // An alarm ended: a pending sound is told to stop and its thread ends (up to 1 s).
  std::function<void()> stopAlarmSound;
  // A left press in the window: a pending alarm sound is told to stop (returns at once; its
  // thread ends by itself).
  std::function<void()> silenceAlarmSound;

  // The functions bound to the engine of the program.
  static MainWindowEngine Defaults();
};

}  // namespace ports
