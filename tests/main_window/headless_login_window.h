// The login window without a window, for tests that run the program's start-up with the real
// main window: each run does what the login window's login thread does (settings from the
// fields, "/Login.cgi", the product check, "/RequestStream.cgi", the replies into the data block)
// and answers OK after a login, Cancel after a failed one.
#pragma once

#include <array>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <string>

#include "app/app_data.h"
#include "app/app_seams.h"
#include "net/cgi_url.h"
#include "net/login_reply.h"
#include "net/net_environment.h"
#include "net/penta_send_command.h"
#include "platform/message_box.h"

namespace main_window_test {

class HeadlessLoginWindow final : public app::ILoginWindow {
 public:
  // The texts typed into the window; fields left empty take start-up's texts.
  struct Typed {
    std::string host;
    std::string port;
    std::string user;
    std::string password;
  };
  explicit HeadlessLoginWindow(Typed typed = {}) : m_typed(std::move(typed)) {}

  int DoModal(const app::LoginDialogFields& fields) override {
    ++m_runs;
    CAppData& app = *g_lpApp;
    const std::string host = m_typed.host.empty() ? fields.host : m_typed.host;
    const std::string port = m_typed.port.empty() ? fields.port : m_typed.port;
    const std::string user = m_typed.user.empty() ? fields.userName : m_typed.user;
    const std::string password = m_typed.password.empty() ? fields.password : m_typed.password;
    // 1.-2.
    {
      const std::lock_guard lock(app.m_SettingINI.m_TextLock);
      app.m_SettingINI.m_strServerName = host;
      app.m_SettingINI.m_strServerAddress = host;
      app.m_SettingINI.m_strUserName = user;
      app.m_SettingINI.m_strPassword = password;
    }
    app.m_SettingINI.m_wWebPort = static_cast<std::uint16_t>(std::atoi(port.c_str()));
    net::Environment().SetSessionId({});
    // 3.-6.
    CCgiUrl login(0);
    login.AddParam("Username", user.c_str());
    login.AddParam("Password", password.c_str());
    std::array<char, 2049> reply{};
    if (Exchange(0, login, reply, 5) != 1)
      return platform::IDCANCEL;
    ParseLoginReply(reply.data());
    if (app.m_dwProductId != 604)
      return platform::IDCANCEL;
    // 7.-8.
    CCgiUrl stream(14);
    if (const std::string session = net::Environment().SessionId(); !session.empty())
      stream.AddParam("SessionID", session.c_str());
    if (Exchange(14, stream, reply, 1) != 1)
      return platform::IDCANCEL;
    ParseLoginReplyEx(reply.data());
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
    return platform::IDOK;
  }

  int Runs() const { return m_runs; }

 private:
  static int Exchange(std::uint8_t cgiIndex, CCgiUrl& url, std::array<char, 2049>& reply,
                      std::uint16_t timeout) {
    reply.fill('\0');
    std::uint32_t length = 0;
    net::CgiExchange exchange;
    exchange.cgiIndex = cgiIndex;
    exchange.url = url.GetBuffer();
    exchange.reply =
        std::span<std::uint8_t>(reinterpret_cast<std::uint8_t*>(reply.data()), reply.size() - 1);
    exchange.replyLength = &length;
    exchange.sendTimeout = timeout;
    exchange.receiveTimeout = timeout;
    return net::SendCgiRequest(exchange);
  }

  Typed m_typed;
  int m_runs = 0;
};

}  // namespace main_window_test
