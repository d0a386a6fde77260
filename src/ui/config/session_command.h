// A CGI request the configuration windows send without parameters of their own: the path of
// the CGI index with "SessionID" when the session id is not empty, no body, no reply body read.
#pragma once

#include <cstdint>

namespace syscfg {

inline constexpr std::uint8_t kCgiRebootServer = 13;
inline constexpr std::uint8_t kCgiSyncServerTime = 16;

// The sender's result: 1 accepted, 17..24 a refusal status, 0 no exchange.
int SendSessionCommand(std::uint8_t cgiIndex);

}  // namespace syscfg
