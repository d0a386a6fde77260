// The login exchange with the video server, in one place for every login of the program (the
// login window's, the re-login thread's and the firmware path's session): "/Login.cgi" with the
// user name and password, then "/RequestStream.cgi" with the session the login reply gave, each
// reply read into its fields. The exchange stores nothing but the session text of the
// environment it runs on; its callers decide where the fields go.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "net/login_reply.h"
#include "platform/thread.h"

namespace net {

class INetEnvironment;

// The reply buffer of both requests.
inline constexpr std::size_t kLoginReplyBytes = 2048;

struct LoginRequest {
  std::string userName;
  std::string password;
  std::uint16_t timeoutSeconds = 5;  // for the send and for each read
  // Cuts the request in flight (result 0) once a stop is requested. A copy of the caller's token
  // (a shared handle on its stop request); a default token is never stopped.
  platform::StopToken stop;
};

struct LoginStep {
  int code = 0;  // 1 accepted, 0 no answer or no valid reply, 17..24 the server's refusals
  LoginReplyFields fields;
};

struct StreamStep {
  int code = 0;
  StreamReplyFields fields;
};

// "/Login.cgi" with "Username" and "Password", and "SessionID" when the environment has a
// session text. Once accepted, the reply's session id (when it has one) becomes the
// environment's session.
LoginStep SendLogin(INetEnvironment& environment, const LoginRequest& request);

// "/RequestStream.cgi", with "SessionID" when the environment has a session text.
StreamStep RequestStream(INetEnvironment& environment, std::uint16_t timeoutSeconds,
                         const platform::StopToken& stop = {});

struct LoginExchange {
  int code = 0;           // 1 when both requests were accepted, else the failing one's result
  bool loggedIn = false;  // the login was accepted: `login` holds its reply
  bool stopped = false;   // a stop was requested during or after a request: nothing more sent
  LoginReplyFields login;
  StreamReplyFields stream;
};

// Both requests, the stream request only after an accepted login and while no stop is requested
// (the request's stop, looked at after each request). streamTimeoutSeconds is the stream
// request's time-out.
LoginExchange RunLoginExchange(INetEnvironment& environment, const LoginRequest& request,
                               std::uint16_t streamTimeoutSeconds);

}  // namespace net
