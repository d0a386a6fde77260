#include "net/session_command.h"

#include "net/cgi_url.h"
#include "net/penta_send_command.h"

namespace net {
namespace {

// Seconds for the connect, each write and each read.
constexpr std::uint16_t kSessionCommandTimeoutSeconds = 5;

}  // namespace

int SendSessionCommand(CgiIndex cgiIndex, const std::string& sessionId,
                       const platform::StopToken& stop) {
  CCgiUrl url(cgiIndex);
  AddSessionId(url, sessionId);
  return SendCgiRequest(MakeCgiExchange(url, kSessionCommandTimeoutSeconds, stop));
}

}  // namespace net
