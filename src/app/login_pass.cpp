#include "app/login_pass.h"

#include <mutex>
#include <utility>

#include "app/app_data.h"
#include "net/cgi_url.h"
#include "net/login_exchange.h"
#include "net/net_environment.h"

namespace app {

std::optional<std::uint16_t> WebPortOf(std::string_view portText) {
  const std::int64_t value = net::ReplyNumber(portText);
  if (value < 1 || value > 65535)
    return std::nullopt;
  return static_cast<std::uint16_t>(value);
}

LoginFieldCheck CheckLoginFields(std::string_view userName, std::string_view password,
                                 std::string_view portText) {
  if (userName.empty() || password.empty())
    return LoginFieldCheck::EmptyCredentials;
  if (!WebPortOf(portText))
    return LoginFieldCheck::PortOutOfRange;
  if (!net::IsSafeCgiValue(userName) || !net::IsSafeCgiValue(password))
    return LoginFieldCheck::UnsafeText;
  return LoginFieldCheck::Ok;
}

namespace {

// The end of a pass whose stop was requested: nothing of the exchange is kept.
LoginPassResult Stopped(LoginPassResult result) {
  result.code = kLoginFailed;
  result.stopped = true;
  return result;
}

}  // namespace

LoginPassResult RunLoginPass(const LoginPassInput& input, const platform::StopToken& stop) {
  LoginPassResult result;
  if (stop.StopRequested())
    return Stopped(std::move(result));
  result.check = CheckLoginFields(input.userName, input.password, input.portText);
  if (result.check != LoginFieldCheck::Ok)
    return result;
  result.serverName = input.host;
  result.userName = input.userName;
  result.password = input.password;
  result.webPort = *WebPortOf(input.portText);

  // 1.-2. The attempt's own server, port and empty session.
  net::MemoryNetEnvironment environment;
  environment.SetServerName(input.host);
  environment.SetWebPort(result.webPort);
  environment.SetLocalAddress(input.localAddress);
  environment.SetSessionId({});

  // 3.-4. Log in.
  net::LoginRequest login;
  login.userName = input.userName;
  login.password = input.password;
  login.timeoutSeconds = kLoginTimeoutSeconds;
  login.stop = stop;
  const net::LoginStep loggedIn = net::SendLogin(environment, login);
  if (stop.StopRequested())
    return Stopped(std::move(result));
  result.code = loggedIn.code;
  result.serverAddress = environment.ServerAddress();
  if (result.code != kLoginSucceeded)
    return result;

  // 5.-6. The reply and the product.
  result.login = loggedIn.fields;
  if (result.login.productId.value_or(0) != kServedProductId) {
    result.code = kLoginWrongProduct;
    return result;
  }
  // 7.-8. The stream parameters.
  const net::StreamStep stream =
      net::RequestStream(environment, kStreamRequestTimeoutSeconds, stop);
  if (stop.StopRequested())
    return Stopped(std::move(result));
  result.code = stream.code;
  if (result.code == kLoginSucceeded)
    result.stream = stream.fields;
  return result;
}

void CommitLoginPass(const LoginPassResult& result, CAppData& app) {
  // 1. The settings the fields and the resolved address give.
  net::INetEnvironment& environment = net::Environment();
  environment.SetServerName(result.serverName);
  environment.SetServerAddress(result.serverAddress);
  environment.SetWebPort(result.webPort);
  {
    const std::lock_guard lock(app.m_SettingINI.m_TextLock);
    app.m_SettingINI.m_strUserName = result.userName;
    app.m_SettingINI.m_strPassword = result.password;
  }
  // 2. and 5. The session and the login reply's values.
  environment.SetSessionId({});
  StoreLoginReplyFields(result.login);
  // 8. The stream reply's values, then what the session takes from them.
  StoreStreamReplyFields(result.stream);
  const auto level = static_cast<std::uint16_t>(app.m_dwReplyUserLevel);
  app.m_wUserLevel = level;
  app.m_wUserLevelShown = level;
  const std::uint8_t format = app.m_SettingINI.m_byDecodeType;
  app.m_byVideoFormat = format;
  if (format == 0) {
    app.m_wFrameWidth = app.m_wJpegWidth;
    app.m_wFrameHeight = app.m_wJpegHeight;
  } else if (format == 4) {
    app.m_wFrameWidth = app.m_wMpeg4Width;
    app.m_wFrameHeight = app.m_wMpeg4Height;
  }
  app.m_wStreamMpeg4Width = app.m_wMpeg4Width;
  app.m_wStreamMpeg4Height = app.m_wMpeg4Height;
  app.m_wStreamJpegWidth = app.m_wJpegWidth;
  app.m_wStreamJpegHeight = app.m_wJpegHeight;
}

void CommitLoginPass(const LoginPassResult& result) {
  if (g_lpApp)
    CommitLoginPass(result, *g_lpApp);
}

}  // namespace app
