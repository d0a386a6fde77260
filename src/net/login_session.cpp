#include "net/login_session.h"

#include <sys/socket.h>

#include "app/trace.h"
#include "net/blocking_socket.h"
#include "net/login_exchange.h"
#include "net/login_reply.h"
#include "net/net_environment.h"
#include "net/net_messages.h"

std::unique_ptr<Login> g_pLogin;

namespace {

constexpr uint16_t kLoginTimeOutSeconds = 1;

// What the login thread works on: a copy, so a thread that outlives its Login (it is given up
// after 10 ms) never touches freed memory.
struct SessionLogin {
  platform::WindowHandle owner;
  std::string serverName;
  std::string userName;
  std::string password;
  std::string webPort;
};

// A stopped login (its session object was deleted) stores and posts nothing more, so a thread
// given up after its short stop time never changes the session of a later login.
uint32_t RunLogin(const SessionLogin& request, const platform::StopToken& stop) {
  auto post = [&](uintptr_t result) {
    platform::PostMessage(request.owner, WM_LOGIN_RESULT, result, 0);
  };
  if (request.userName.empty() || request.password.empty()) {
    net::ShowNetMessage(net::kMsgWrongUserOrPassword);
    post(0);  // the owner stops waiting for a result
    return 0;
  }
  const int64_t port = net::ReplyNumber(request.webPort);
  if (port < 1 || port > 65535) {
    DebugPrint("Login::LoginThread : web port %s refused\n", request.webPort.c_str());
    post(0);
    return 0;
  }
  net::INetEnvironment& environment = net::Environment();
  environment.SetServerName(request.serverName);
  environment.SetWebPort(static_cast<uint16_t>(port));
  environment.SetSessionId("");  // no SessionID on the login request

  net::LoginRequest login;
  login.userName = request.userName;
  login.password = request.password;
  login.timeoutSeconds = kLoginTimeOutSeconds;
  login.stop = &stop;
  const net::LoginExchange exchange =
      net::RunLoginExchange(environment, login, kLoginTimeOutSeconds);
  if (exchange.stopped)
    return 0;
  if (exchange.loggedIn)
    StoreLoginReplyFields(exchange.login);
  if (exchange.code != 1) {
    post(static_cast<uintptr_t>(exchange.code));
    return 0;
  }
  StoreStreamReplyFields(exchange.stream);
  post(1);
  return 1;
}

uint32_t RunKeepAlive(std::shared_ptr<platform::Event> start, std::shared_ptr<platform::Event> stop,
                      uint32_t intervalMs, platform::StopToken token) {
  const uint32_t first =
      platform::WaitAny({start.get(), stop.get(), &token.StopEvent()}, platform::kInfinite);
  if (first != 0)
    return 0;  // stopped before it started: no socket

  net::INetEnvironment& environment = net::Environment();
  const CSockAddr destination(environment.ServerAddress().c_str(), environment.WebPort());
  if (!destination.IsValid()) {
    DebugPrint("Login::KeepAliveThread : server address is not dotted\n");
    return 0;
  }
  CBlockingSocket socket;
  try {
    socket.Create(CBlockingSocket::kDatagram);
  } catch (const CBlockingSocketException&) {
    return 0;
  }
  socket.SetDestination(destination);
  auto send = [&](bool last) {
    const std::string datagram =
        net::KeepAliveDatagram(environment.SessionId(), environment.LocalAddress(), last);
    try {
      socket.Sendto(datagram.data(), static_cast<int>(datagram.size()));
    } catch (const CBlockingSocketException&) {
      // Not retried: the next period sends again.
    }
  };
  for (;;) {
    const uint32_t woken = platform::WaitAny({stop.get(), &token.StopEvent()}, intervalMs);
    if (woken == platform::kWaitTimeout) {
      send(false);
      continue;
    }
    send(true);
    socket.Cleanup();
    return 0;
  }
}

}  // namespace

namespace net {

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

Login::Login() = default;

Login::~Login() {
  if (m_hStopEvent)
    m_hStopEvent->Set();
  StopLoginThread();
  StopKeepAliveThread();
  CloseEvents();
}

bool Login::CreateThread() {
  if (!m_hLoginThread)
    m_hLoginThread = std::make_unique<platform::Thread>();
  SessionLogin request{m_hOwnerWindow, m_strServerName, m_strUserName, m_strPassword, m_strWebPort};
  return m_hLoginThread->Start(
      "LoginThread",
      [request = std::move(request)](platform::StopToken stop) { return RunLogin(request, stop); });
}

bool Login::CreateEvents() {
  m_hStartEvent = std::make_shared<platform::Event>(platform::ResetMode::Auto, false);
  m_hStopEvent = std::make_shared<platform::Event>(platform::ResetMode::Auto, false);
  return m_hStartEvent && m_hStopEvent;
}

bool Login::StartKeepAliveThread() {
  if (!m_hStartEvent || !m_hStopEvent)
    return false;
  if (!m_hKeepAliveThread)
    m_hKeepAliveThread = std::make_unique<platform::Thread>();
  return m_hKeepAliveThread->Start(
      "KeepAliveThread",
      [start = m_hStartEvent, stop = m_hStopEvent, interval = m_dwKeepAliveIntervalMs](
          platform::StopToken token) { return RunKeepAlive(start, stop, interval, token); });
}

namespace {

void StopThread(std::unique_ptr<platform::Thread>& thread, const char* name) {
  if (!thread)
    return;
  if (thread->IsRunning() && !thread->StopAndJoin(kLoginThreadStopMs)) {
    DebugPrint("Login : %s is exit with code 31\n", name);
  }
  thread.reset();
}

}  // namespace

int Login::StopKeepAliveThread() {
  StopThread(m_hKeepAliveThread, "KeepAliveThread");
  return 1;
}

int Login::StopLoginThread() {
  StopThread(m_hLoginThread, "LoginThread");
  return 1;
}

int Login::CloseEvents() {
  m_hStartEvent.reset();
  m_hStopEvent.reset();
  return 1;
}

int CreateLoginObject() {
  if (!g_pLogin)
    g_pLogin = std::make_unique<Login>();
  return 1;
}

int DeleteLoginObject() {
  g_pLogin.reset();
  return 1;
}
