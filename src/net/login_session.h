// The short session that the device tools open for a firmware upgrade: a login thread that logs
// in and requests the stream description, then posts the result to its owner window, and a
// keep-alive thread that sends a datagram to the server every five seconds until stopped.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/sync.h"
#include "platform/thread.h"
#include "platform/window_message.h"

// Posted to the owner window with the login result as wParam: 0 no connection or no valid
// reply, 1 logged in, 17..24 the server's refusal codes.
inline constexpr uint32_t WM_LOGIN_RESULT = platform::WM_USER + 43;  // 0x42B
inline constexpr uint32_t kLoginThreadStopMs = 10;

class Login {
 public:
  Login();
  ~Login();  // signals the stop event and stops both threads
  Login(const Login&) = delete;
  Login& operator=(const Login&) = delete;

  bool CreateThread();
  bool CreateEvents();
  bool StartKeepAliveThread();
  int StopKeepAliveThread();
  int StopLoginThread();
  int CloseEvents();

  std::unique_ptr<platform::Thread> m_hLoginThread;
  std::unique_ptr<platform::Thread> m_hKeepAliveThread;
  std::shared_ptr<platform::Event> m_hStartEvent;
  std::shared_ptr<platform::Event> m_hStopEvent;
  platform::WindowHandle m_hOwnerWindow = platform::kNoWindow;
  uint32_t m_dwOwnerFlag = 0;
  std::string m_strServerName;
  std::string m_strUserName;
  std::string m_strPassword;
  std::string m_strWebPort;
  // Time between keep-alive datagrams (tests shorten it).
  uint32_t m_dwKeepAliveIntervalMs = 5000;
};

// The one session object; null while no session exists.
extern std::unique_ptr<Login> g_pLogin;
int CreateLoginObject();
int DeleteLoginObject();

namespace net {
// One keep-alive datagram: the request head with the misspelt "Content-Lentght" header the
// server expects, then "Session: <id>\r\n" (and "Connection: Close\r\n" on the last one).
std::string KeepAliveDatagram(const std::string& sessionId, const std::string& hostAddress,
                              bool last);
}  // namespace net
