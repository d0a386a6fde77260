// One pass of the login window's login: "/Login.cgi" with the typed user name and password,
// the product check, "/RequestStream.cgi" with the new session, and the values of both
// replies. The pass runs on the login window's worker thread from copies of the fields, on a
// device-protocol environment of its own, and writes no shared state: the login window commits
// the result on its GUI thread, and only for its current attempt, so an abandoned attempt that
// answers late changes nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "net/login_reply.h"
#include "platform/thread.h"

class CAppData;

namespace app {

// Time the login window and the program's shut-down give a running login to stop.
inline constexpr std::uint32_t kLoginStopMs = 30;

// The send and receive time-outs of the two requests, in seconds.
inline constexpr std::uint16_t kLoginTimeoutSeconds = 5;
inline constexpr std::uint16_t kStreamRequestTimeoutSeconds = 1;
// The one product this client serves.
inline constexpr std::int32_t kServedProductId = 604;

// Result codes of a pass (and of the window's result text table).
inline constexpr int kLoginFailed = 0;
inline constexpr int kLoginSucceeded = 1;
inline constexpr int kLoginWrongProduct = 2;

// The fields of the login window as the pass takes them.
struct LoginPassInput {
  std::string host;
  std::string userName;
  std::string password;
  std::string portText;
  std::string localAddress;  // the client's own address, for the requests' Host line
};

// Why the fields cannot be sent, checked before any request.
enum class LoginFieldCheck {
  Ok,
  EmptyCredentials,  // an empty user name or password
  PortOutOfRange,    // the port text does not give a port 1..65535
  UnsafeText,        // a control character, blank, '&' or '#' in the user name or password
};
LoginFieldCheck CheckLoginFields(std::string_view userName, std::string_view password,
                                 std::string_view portText);
// The web port of a port text read as a leading decimal number ("8080x" is 8080); nullopt
// outside 1..65535 ("0", "70000", "abc").
std::optional<std::uint16_t> WebPortOf(std::string_view portText);

struct LoginPassResult {
  int code = kLoginFailed;  // 1, 0, 2 or the refusal codes 17..24
  bool stopped = false;     // the stop was requested: code is 0 and nothing more was sent
  LoginFieldCheck check = LoginFieldCheck::Ok;
  // What the commit stores (all of it set when code is 1).
  std::string serverName;
  std::string serverAddress;  // the dotted address the host resolved to
  std::string userName;
  std::string password;
  std::uint16_t webPort = 0;
  net::LoginReplyFields login;
  net::StreamReplyFields stream;
};

// Runs the pass. Fields that fail CheckLoginFields send nothing (code 0, check set). A stop
// request cuts the request in flight and sends nothing more: the pass ends at once with code 0
// (stopped set). The default token is never stopped.
LoginPassResult RunLoginPass(const LoginPassInput& input,
                             const platform::StopToken& stop = platform::StopToken());

// Stores a successful pass in the settings, the session text and the application data block:
// the server name, its address, user name, password and web port; the session id (cleared
// when the reply had none); the login and stream reply values; the user level and its shown
// copy; the video format from "Decode Type" and the picture size of that format (JPEG-WIDTH/
// HEIGHT for 0, MPEG4-WIDTH/HEIGHT for 4, unchanged for other values); the four stream sizes.
// Call it on the GUI thread while no engine thread reads these (before the main window opens).
void CommitLoginPass(const LoginPassResult& result, CAppData& app);

// CommitLoginPass into the program's data block; nothing without one (a window shown on its
// own).
void CommitLoginPass(const LoginPassResult& result);

}  // namespace app
