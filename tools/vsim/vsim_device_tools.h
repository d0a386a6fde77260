// vsim's side of the login and the login window's device tools: the accounts logins are checked
// against, a LAN search responder that answers as one MPEG-4 video server, and a report of the
// firmware uploads the web side takes in.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fakes/fake_lan_responder.h"
#include "fakes/fake_video_server.h"

namespace vsim {

// The account the login window fills in by itself: its built-in user name and password.
inline constexpr const char* kBuiltInUser = "wopal";
inline constexpr const char* kBuiltInPassword = "wopal";

// True for the built-in account and for the accounts of the SECURE record the server serves
// now (so an account changed on the accounts page of SYSTEM CONFIG counts at once).
bool IsAccount(const fakes::FakeVideoServer& web, const std::string& user,
               const std::string& password);
// From now on a login with another user name or password is refused as a device refuses it:
// status 202, "illegal user".
void CheckLogins(fakes::FakeVideoServer& web);
// The result byte of the answer to a 76-byte set-IP or reset request: 1 when its user name (at
// 24) and password (at 40) are an account, 0 when not ("Apply setting is failed", "Username or
// password is not correct").
std::uint8_t LanCommandResult(const fakes::FakeVideoServer& web,
                              const std::vector<std::uint8_t>& request);

// Answers LAN searches on UDP `port` (every local address) with this server (its login MAC,
// 127.0.0.1, its web port), and set-IP and reset requests with LanCommandResult, printing each
// request (never a password). Answers go to the requester's address on port 3332. Null, after a
// warning, when the port is taken.
std::unique_ptr<fakes::FakeLanResponder> StartLanResponder(fakes::FakeVideoServer& web,
                                                           std::uint16_t port = 7777);

// Prints the progress of every firmware upload, and its size and CRC-32 when it finishes.
void ReportFirmwareUploads(fakes::FakeVideoServer& web);

}  // namespace vsim
