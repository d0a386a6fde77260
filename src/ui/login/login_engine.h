// What the login window and its tools ask of the engine, behind replaceable functions so that
// tests see each call: the login pass, the LAN search and its set-IP and reset requests, the
// firmware road's session (its login and keep-alive), and the firmware upload with its abort. Each
// waits for the network (within its time-outs) and ends at once when its stop is requested: the
// windows run them on their workers (ui::Worker) and take the typed result on the GUI thread.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "app/login_pass.h"
#include "net/firmware_upload.h"
#include "net/lan_search.h"
#include "net/login_session.h"
#include "platform/thread.h"

namespace ports {

struct LoginEngine {
  // One pass of the login (the fields are copies; nothing shared is written).
  std::function<app::LoginPassResult(const app::LoginPassInput&, const platform::StopToken&)>
      loginPass;
  // One search, passing on every answer (and a failed broadcast) as it comes.
  std::function<net::LanSearchEnd(const std::string& ownAddress, const net::LanSearchSettings&,
                                  const net::LanSearchEvents&, const platform::StopToken&)>
      lanSearch;
  // One set-IP or reset request; sent is called once it went out.
  std::function<net::LanCommandResult(
      const net::SearchDatagram& request, const std::string& ownAddress,
      const net::LanSearchSettings&, const std::function<void()>& sent, const platform::StopToken&)>
      lanCommand;
  // The firmware road's login: log in and request the stream description, storing both
  // replies; 1, else the failing request's result (0, 17..24).
  std::function<int(const net::SessionLogin&, const platform::StopToken&)> sessionLogin;
  // That session's keep-alive datagrams, until the stop is requested.
  std::function<void(const platform::StopToken&)> keepAlive;
  // The firmware image in blocks; progress gets the percentage after every accepted block.
  std::function<net::FirmwareUploadResult(
      std::span<const std::uint8_t> image, const std::string& session,
      const std::function<void(int percent)>& progress, const platform::StopToken&)>
      uploadFirmware;
  // "Upgrade=Abort"; the request's result (its reply is not looked at).
  std::function<int(const std::string& session, const platform::StopToken&)> abortFirmware;

  // The functions bound to the engine of the program.
  static LoginEngine Defaults();
};

}  // namespace ports
