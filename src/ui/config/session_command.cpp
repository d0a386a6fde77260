#include "ui/config/session_command.h"

#include "net/cgi_url.h"
#include "net/net_environment.h"
#include "net/penta_send_command.h"

namespace syscfg {

int SendSessionCommand(std::uint8_t cgiIndex) {
  CCgiUrl url(cgiIndex);
  const std::string session = net::Environment().SessionId();
  if (!session.empty())
    url.AddParam("SessionID", session.c_str());
  net::CgiExchange exchange;
  exchange.cgiIndex = cgiIndex;
  exchange.url = url.GetBuffer();
  exchange.sendTimeout = 5;
  exchange.receiveTimeout = 5;
  return net::SendCgiRequest(exchange);
}

}  // namespace syscfg
