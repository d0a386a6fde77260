// What the main window asks of the engine, behind replaceable functions so that tests see each
// call: the waits of DISCONNECT, AV SWITCH and the reconnect pause, the remote-control panel's
// device requests, and the image-adjust record. Each waits (for the engine's threads or the
// network, within its limits) and ends at once when its stop is requested: the window runs them
// on its workers (ui::Worker) and takes the typed result on the GUI thread.
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

  // The functions bound to the engine of the program.
  static MainWindowEngine Defaults();
};

}  // namespace ports
