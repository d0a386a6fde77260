#include "net/login_session.h"

#include <sys/socket.h>

#include "app/trace.h"
#include "net/blocking_socket.h"
#include "net/login_exchange.h"
#include "net/login_reply.h"
#include "net/net_environment.h"
#include "net/net_messages.h"

namespace net {
namespace {

constexpr uint16_t kLoginTimeOutSeconds = 1;

}  // namespace

int RunSessionLogin(const SessionLogin& request, const platform::StopToken& stop) {
  if (request.userName.empty() || request.password.empty()) {
    ShowNetMessage(kMsgWrongUserOrPassword);
    return 0;
  }
  const int64_t port = ReplyNumber(request.webPort);
  if (port < 1 || port > 65535) {
    DebugPrint("Login::LoginThread : web port %s refused\n", request.webPort.c_str());
    return 0;
  }
  INetEnvironment& environment = Environment();
  environment.SetServerName(request.serverName);
  environment.SetWebPort(static_cast<uint16_t>(port));
  environment.SetSessionId("");  // no SessionID on the login request

  LoginRequest login;
  login.userName = request.userName;
  login.password = request.password;
  login.timeoutSeconds = kLoginTimeOutSeconds;
  login.stop = stop;
  const LoginExchange exchange = RunLoginExchange(environment, login, kLoginTimeOutSeconds);
  if (exchange.stopped)
    return 0;
  if (exchange.loggedIn)
    StoreLoginReplyFields(exchange.login);
  if (exchange.code != 1)
    return exchange.code;
  StoreStreamReplyFields(exchange.stream);
  return 1;
}

void RunKeepAlive(std::uint32_t intervalMs, const platform::StopToken& stop) {
  if (stop.StopRequested())
    return;  // stopped before it started: no socket
  INetEnvironment& environment = Environment();
  const CSockAddr destination(environment.ServerAddress().c_str(), environment.WebPort());
  if (!destination.IsValid()) {
    DebugPrint("Login::KeepAliveThread : server address is not dotted\n");
    return;
  }
  CBlockingSocket socket;
  try {
    socket.Create(CBlockingSocket::kDatagram);
  } catch (const CBlockingSocketException&) {
    return;
  }
  socket.SetDestination(destination);
  auto send = [&](bool last) {
    const std::string datagram =
        KeepAliveDatagram(environment.SessionId(), environment.LocalAddress(), last);
    try {
      socket.Sendto(datagram.data(), static_cast<int>(datagram.size()));
    } catch (const CBlockingSocketException&) {
      // Not retried: the next period sends again.
    }
  };
  // SleepFor is false once the stop ends the wait.
  while (stop.SleepFor(intervalMs))
    send(false);
  send(true);
  socket.Cleanup();
}

std::string KeepAliveDatagram(const std::string& sessionId, const std::string& hostAddress,
                              bool last) {
  std::string body = "Session: " + sessionId + "\r\n";
  if (last)
    body += "Connection: Close\r\n";
  std::string datagram =
      "GET / HTTP/1.1 \r\nAccept: */* \r\nAccept-Language: zh-tw\r\nAccept-Encoding: gzip, "
      "deflate\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1; .NET CLR "
      "1.1.4322)\r\n";
  datagram += "Host: " + hostAddress +
              "\r\nConnection: Keep-Alive\r\nContent-Lentght: " + std::to_string(body.size()) +
              "\r\n\r\n";
  return datagram + body;
}

}  // namespace net
