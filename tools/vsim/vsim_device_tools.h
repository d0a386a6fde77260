// vsim's side of the login window's device tools: a LAN search responder that answers as one
// MPEG-4 video server, and a report of the firmware uploads the web side takes in.
#pragma once

#include <memory>

#include "fakes/fake_lan_responder.h"
#include "fakes/fake_video_server.h"

namespace vsim {

// Answers LAN searches on UDP 7777 (every local address) with this server (its login MAC,
// 127.0.0.1, its web port), and set-IP and reset requests with result 1, printing each request
// (never a password). Answers go to the requester's address on port 3332. Null, after a
// warning, when port 7777 is taken.
std::unique_ptr<fakes::FakeLanResponder> StartLanResponder(fakes::FakeVideoServer& web);

// Prints the progress of every firmware upload, and its size and CRC-32 when it finishes.
void ReportFirmwareUploads(fakes::FakeVideoServer& web);

}  // namespace vsim
