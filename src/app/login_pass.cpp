#include "app/login_pass.h"

#include <array>
#include <mutex>

#include "app/app_data.h"
#include "net/cgi_url.h"
#include "net/net_environment.h"
#include "net/penta_send_command.h"

namespace app {
namespace {

constexpr std::uint8_t kCgiLogin = 0;
constexpr std::uint8_t kCgiRequestStream = 14;

using ReplyText = std::array<char, kLoginReplyBytes + 1>;  // the reply and a NUL behind it

int Exchange(net::INetEnvironment& environment, CCgiUrl& url, std::uint16_t timeout,
             ReplyText& text) {
  text.fill('\0');
  std::uint32_t length = 0;
  net::CgiExchange exchange;
  exchange.cgiIndex = url.CgiIndex();
  exchange.url = url.GetBuffer();
  exchange.reply =
      std::span<std::uint8_t>(reinterpret_cast<std::uint8_t*>(text.data()), kLoginReplyBytes);
  exchange.replyLength = &length;
  exchange.sendTimeout = timeout;
  exchange.receiveTimeout = timeout;
  return net::SendCgiRequest(exchange, environment);
}

}  // namespace

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

LoginPassResult RunLoginPass(const LoginPassInput& input,
                             const std::function<bool()>& stopRequested) {
  LoginPassResult result;
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
  CCgiUrl login(kCgiLogin);
  login.AddParam("Username", input.userName.c_str());
  login.AddParam("Password", input.password.c_str());
  ReplyText reply{};
  result.code = Exchange(environment, login, kLoginTimeoutSeconds, reply);
  result.serverAddress = environment.ServerAddress();
  if (result.code != kLoginSucceeded)
    return result;

  // 5.-6. The reply and the product.
  result.login = net::ParseLoginReplyFields(reply.data());
  if (result.login.sessionId)
    environment.SetSessionId(*result.login.sessionId);
  if (result.login.productId.value_or(0) != kServedProductId) {
    result.code = kLoginWrongProduct;
    return result;
  }
  if (stopRequested && stopRequested()) {
    result.code = kLoginFailed;
    return result;
  }

  // 7.-8. The stream parameters.
  CCgiUrl stream(kCgiRequestStream);
  if (const std::string session = environment.SessionId(); !session.empty())
    stream.AddParam("SessionID", session.c_str());
  result.code = Exchange(environment, stream, kStreamRequestTimeoutSeconds, reply);
  if (result.code != kLoginSucceeded)
    return result;
  result.stream = net::ParseStreamReplyFields(reply.data());
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

}  // namespace app
