#include "net/login_exchange.h"

#include <algorithm>
#include <array>

#include "net/cgi_url.h"
#include "net/net_environment.h"
#include "net/penta_send_command.h"

namespace net {
namespace {

// One request with the session text the environment has; the reply body, cut at its length.
int Send(INetEnvironment& environment, CCgiUrl& url, std::uint16_t timeoutSeconds,
         std::string& replyText, const platform::StopToken& stop) {
  AddSessionId(url, environment.SessionId());
  std::array<std::uint8_t, kLoginReplyBytes> reply{};
  std::uint32_t length = 0;
  CgiExchange exchange = MakeCgiExchange(url, timeoutSeconds, stop);
  exchange.reply = reply;
  exchange.replyLength = &length;
  const int code = SendCgiRequest(exchange, environment);
  replyText.assign(reinterpret_cast<const char*>(reply.data()),
                   std::min<std::size_t>(length, reply.size()));
  return code;
}

}  // namespace

LoginStep SendLogin(INetEnvironment& environment, const LoginRequest& request) {
  CCgiUrl url(CgiIndex::kCgiLogin);
  url.AddParam("Username", request.userName.c_str());
  url.AddParam("Password", request.password.c_str());
  std::string reply;
  LoginStep step;
  step.code = Send(environment, url, request.timeoutSeconds, reply, request.stop);
  // A login stopped meanwhile leaves the session as it was: a later login owns it.
  if (step.code != 1 || request.stop.StopRequested())
    return step;
  step.fields = ParseLoginReplyFields(reply);
  if (step.fields.sessionId)
    environment.SetSessionId(*step.fields.sessionId);
  return step;
}

StreamStep RequestStream(INetEnvironment& environment, std::uint16_t timeoutSeconds,
                         const platform::StopToken& stop) {
  CCgiUrl url(CgiIndex::kCgiRequestStream);
  std::string reply;
  StreamStep step;
  step.code = Send(environment, url, timeoutSeconds, reply, stop);
  if (step.code == 1)
    step.fields = ParseStreamReplyFields(reply);
  return step;
}

LoginExchange RunLoginExchange(INetEnvironment& environment, const LoginRequest& request,
                               std::uint16_t streamTimeoutSeconds) {
  LoginExchange result;
  const LoginStep login = SendLogin(environment, request);
  result.code = login.code;
  result.stopped = request.stop.StopRequested();
  if (login.code != 1 || result.stopped)
    return result;
  result.loggedIn = true;
  result.login = login.fields;
  const StreamStep stream = RequestStream(environment, streamTimeoutSeconds, request.stop);
  result.code = stream.code;
  result.stopped = request.stop.StopRequested();
  if (stream.code == 1)
    result.stream = stream.fields;
  return result;
}

}  // namespace net
