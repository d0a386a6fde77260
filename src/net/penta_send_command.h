// One HTTP/1.1 GET exchange with the video server on a fresh TCP connection.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "net/cgi_url.h"
#include "platform/thread.h"

namespace net {

class INetEnvironment;

// The request bytes: the fixed browser-like header lines (with a Content-Length line only when
// a body is given), the Host line with the client's own address, then the body unchanged.
std::string BuildCgiRequest(std::string_view url, std::optional<std::span<const uint8_t>> body,
                            std::string_view hostAddress);

// A request target that may be sent: a path starting with "/", no control character, blank or
// "#" (a value that holds one was refused by CCgiUrl already).
bool IsSendableCgiUrl(std::string_view url);

struct CgiExchange {
  CgiIndex cgiIndex = CgiIndex::kCgiLogin;
  std::string_view url;
  std::optional<std::span<const uint8_t>> body;  // nullopt: no body, no Content-Length line
  std::span<uint8_t> reply;                      // empty: the body is not read
  uint32_t* replyLength = nullptr;
  uint16_t sendTimeout = 5;     // seconds for each wait for writability, and for the connect
  uint16_t receiveTimeout = 5;  // seconds for each read
  // The exchange also ends (result 0) as soon as this stop is requested: before connecting, or
  // in any wait of the connection, so a request in flight is cut. A copy of the caller's token
  // (a shared handle on its stop request); a default token is never stopped.
  platform::StopToken stop;
};

// The exchange of one request: the url's CGI index and target, one time-out (seconds) for the
// connect, each write and each read, and the stop. The caller adds the body and the reply
// buffer where the request has them; url must outlive the exchange.
CgiExchange MakeCgiExchange(const CCgiUrl& url, uint16_t timeoutSeconds,
                            const platform::StopToken& stop);

// Result 0 (not sent, no valid reply, short body), 1 (accepted) or 17..24 (refusal statuses
// 201..208). Index 13 returns 1 once the request is written.
int SendCgiRequest(const CgiExchange& exchange, INetEnvironment& environment);
int SendCgiRequest(const CgiExchange& exchange);

}  // namespace net

// The reply buffer of a request whose reply has no size of its own (the online users): the
// 1,460-byte receive buffer that such a reply has always been read into.
inline constexpr uint32_t kPentaReplyCapacity = 1460;

// 2 when every character is a digit or "." (an empty text too), else 1.
int IsDottedAddress(std::string_view text);
