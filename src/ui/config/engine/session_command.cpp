#include "ui/config/engine/session_command.h"

#include "net/cgi_url.h"
#include "net/net_environment.h"
#include "net/penta_send_command.h"

namespace syscfg {

int SendSessionCommand(std::uint8_t cgiIndex) {
  return SendSessionCommand(cgiIndex, net::Environment().SessionId(), nullptr);
}

int SendSessionCommand(std::uint8_t cgiIndex, const std::string& sessionId,
                       const platform::StopToken* stop) {
  CCgiUrl url(cgiIndex);
  if (!sessionId.empty())
    url.AddParam("SessionID", sessionId.c_str());
  net::CgiExchange exchange;
  exchange.cgiIndex = cgiIndex;
  exchange.url = url.GetBuffer();
  exchange.sendTimeout = 5;
  exchange.receiveTimeout = 5;
  exchange.stop = stop;
  return net::SendCgiRequest(exchange);
}

}  // namespace syscfg
