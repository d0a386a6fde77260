// The short session that the device tools open for a firmware upgrade: its login (log in, then
// request the stream description, both replies stored as every login stores them) and its
// keep-alive (a datagram to the server every five seconds until stopped, then a closing one).
// Both run on the caller's thread and end when their stop is requested; the login window's
// tools run them on workers through their port (ui/login/login_engine.h).
#pragma once

#include <cstdint>
#include <string>

#include "platform/thread.h"

namespace net {

// Time between keep-alive datagrams.
inline constexpr std::uint32_t kKeepAliveIntervalMs = 5000;
// How long the tools wait for the session's login or keep-alive to end once stopped.
inline constexpr std::uint32_t kSessionStopMs = 10;

// The login window's fields as the session takes them.
struct SessionLogin {
  std::string serverName;
  std::string userName;
  std::string password;
  std::string webPort;  // the port text
};

// Logs in on the program's environment (its server name and web port become the fields', its
// session the reply's) and requests the stream description; the values of both replies are
// stored. Result: 1 when both requests were accepted, else the failing one's result (0 no
// connection or no valid reply, 17..24 the server's refusals). An empty user name or password
// shows message 4081 and gives 0 without any traffic; a port outside 1..65535 gives 0. A stop
// request cuts the request in flight and stores nothing more (result 0).
int RunSessionLogin(const SessionLogin& request, const platform::StopToken& stop);

// Keeps the session alive: sends a keep-alive datagram every intervalMs to the server's dotted
// address and web port, and the last one once the stop is requested. A stop requested before
// it starts, a server address that is not dotted or a socket that cannot be made: nothing is
// sent. A datagram that cannot be sent is not retried.
void RunKeepAlive(std::uint32_t intervalMs, const platform::StopToken& stop);

// One keep-alive datagram: the request head with the misspelt "Content-Lentght" header the
// server expects, then "Session: <id>\r\n" (and "Connection: Close\r\n" on the last one).
std::string KeepAliveDatagram(const std::string& sessionId, const std::string& hostAddress,
                              bool last);

}  // namespace net
