// A CGI request the configuration windows send without parameters of their own: the path of
// the CGI index with "SessionID" when the session id is not empty, no body, no reply body read.
#pragma once

#include <cstdint>
#include <string>

#include "net/cgi_url.h"
#include "platform/thread.h"

namespace net {

// The request with the session id; a stop request cuts the exchange (result 0), so a
// window's worker may send it. The sender's result: 1 accepted, 17..24 a refusal status, 0 no
// exchange.
int SendSessionCommand(CgiIndex cgiIndex, const std::string& sessionId,
                       const platform::StopToken& stop);

}  // namespace net
