// vsim --verbose: one line for each web request the server answers, so a person running the
// client sees what it sends (the panel keys' RS485 frames byte by byte). Passwords are not
// printed.
#pragma once

#include <string>

#include "fakes/fake_video_server.h"

namespace vsim {

// The line printed for a request and its answer.
std::string RequestLine(const fakes::RecordedRequest& request, const fakes::FakeReply& reply);

// Prints RequestLine for every request the server answers from now on.
void LogRequests(fakes::FakeVideoServer& web);

// The body lines of a receiver report datagram ("Session: ...", "FrameRate: 25", ...) joined
// by ", "; empty for a datagram that carries no body.
std::string ReportLine(const std::string& datagram);

}  // namespace vsim
