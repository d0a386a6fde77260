#include "ui/config/engine/session_command.h"

#include "net/cgi_url.h"
#include "net/penta_send_command.h"

namespace syscfg {
namespace {

// Seconds for the connect, each write and each read.
constexpr std::uint16_t kSessionCommandTimeoutSeconds = 5;

}  // namespace

int SendSessionCommand(std::uint8_t cgiIndex, const std::string& sessionId,
                       const platform::StopToken* stop) {
  CCgiUrl url(cgiIndex);
  net::AddSessionId(url, sessionId);
  return net::SendCgiRequest(
      net::MakeCgiExchange(cgiIndex, url.GetBuffer(), kSessionCommandTimeoutSeconds, stop));
}

}  // namespace syscfg
