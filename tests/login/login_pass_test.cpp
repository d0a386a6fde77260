// The login window's login pass against the fake server: the requests it sends, the codes it
// returns, the fields it refuses before sending, and the commit of a successful pass.
#include "app/login_pass.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/app_data.h"
#include "fakes/fake_video_server.h"
#include "fakes/wait_until.h"
#include "net/net_environment.h"
#include "platform/thread.h"

namespace {

using fakes::FakeReply;
using namespace std::chrono_literals;

constexpr const char* kStreamReply =
    "VIDEO-FORMAT=4;USER-LEVEL=20;LIFE-TIME=30;DEVICE-ID0=1;DEVICE-TYPE0=3;BAUD-RATE0=9600;"
    "MPEG4-WIDTH=704;MPEG4-HEIGHT=480;JPEG-WIDTH=352;JPEG-HEIGHT=240;STREAM-PORT=6001;";

class LoginPassTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_lpApp = std::make_unique<CAppData>();
    net::SetEnvironment(nullptr);
    net::ClearPendingChanges();
    SessionIdBuffer.Clear();
    server.SetStreamReply(kStreamReply);
  }
  void TearDown() override {
    SessionIdBuffer.Clear();
    g_lpApp.reset();
  }

  app::LoginPassInput Input(const std::string& portText = {}) const {
    app::LoginPassInput input;
    input.host = "127.0.0.1";
    input.userName = "admin";
    input.password = "secret";
    input.portText = portText.empty() ? std::to_string(server.WebPort()) : portText;
    input.localAddress = "10.1.2.3";
    return input;
  }

  std::vector<std::string> Targets() const {
    std::vector<std::string> targets;
    for (const auto& request : server.Requests())
      targets.push_back(request.target);
    return targets;
  }

  fakes::FakeVideoServer server;
};

// What a case does to the server before the pass, and what the pass must give.
struct PassCase {
  const char* name;
  std::function<void(fakes::FakeVideoServer&)> script;
  std::string portSuffix;  // appended to the server's port in the port field
  int code;
  std::vector<std::string> targets;
};

TEST_F(LoginPassTest, OutcomesByServerAnswer) {
  const std::string login = "/Login.cgi?Username=admin&Password=secret";
  const std::string stream = "/RequestStream.cgi?SessionID=5A3F19C2";
  const std::vector<PassCase> cases = {
      {"success", [](fakes::FakeVideoServer&) {}, "", 1, {login, stream}},
      {"port text with a tail is read as its leading number",
       [](fakes::FakeVideoServer&) {},
       "x",
       1,
       {login, stream}},
      {"another product",
       [](fakes::FakeVideoServer& s) { s.SetLoginReply("SESSION-ID=77;PRODUCT-ID=603;"); },
       "",
       2,
       {login}},
      {"no product id",
       [](fakes::FakeVideoServer& s) { s.SetLoginReply("SESSION-ID=77;"); },
       "",
       2,
       {login}},
      {"too many users",
       [](fakes::FakeVideoServer& s) { s.QueueReply("/Login.cgi", FakeReply::Status(201)); },
       "",
       17,
       {login}},
      {"illegal user",
       [](fakes::FakeVideoServer& s) { s.QueueReply("/Login.cgi", FakeReply::Status(202)); },
       "",
       18,
       {login}},
      {"no option argument",
       [](fakes::FakeVideoServer& s) { s.QueueReply("/Login.cgi", FakeReply::Status(203)); },
       "",
       19,
       {login}},
      {"stream request refused",
       [](fakes::FakeVideoServer& s) {
         s.QueueReply("/RequestStream.cgi", FakeReply::Status(202));
       },
       "",
       18,
       {login, stream}},
      {"stream reply stalls past its 1 s",
       [](fakes::FakeVideoServer& s) {
         FakeReply slow = FakeReply::Text(kStreamReply);
         slow.delay = 1500ms;
         s.QueueReply("/RequestStream.cgi", slow);
       },
       "",
       0,
       {login, stream}},
      {"login reply within its 5 s",
       [](fakes::FakeVideoServer& s) {
         FakeReply slow =
             FakeReply::Text("SESSION-ID=5A3F19C2;PRODUCT-ID=604;FIRMWARE-VERSION=2.1.0.7;");
         slow.delay = 1500ms;
         s.QueueReply("/Login.cgi", slow);
       },
       "",
       1,
       {login, stream}},
      {"no session id asks for the stream without one",
       [](fakes::FakeVideoServer& s) { s.SetLoginReply("PRODUCT-ID=604;"); },
       "",
       1,
       {login, "/RequestStream.cgi"}},
  };
  for (const PassCase& c : cases) {
    SCOPED_TRACE(c.name);
    fakes::FakeVideoServer fresh;
    fresh.SetStreamReply(kStreamReply);
    c.script(fresh);
    app::LoginPassInput input = Input();
    input.portText = std::to_string(fresh.WebPort()) + c.portSuffix;
    const app::LoginPassResult result = app::RunLoginPass(input);
    EXPECT_EQ(result.code, c.code);
    std::vector<std::string> targets;
    for (const auto& request : fresh.Requests())
      targets.push_back(request.target);
    EXPECT_EQ(targets, c.targets);
    if (c.code == 1) {
      EXPECT_EQ(result.webPort, fresh.WebPort());
      EXPECT_EQ(result.serverAddress, "127.0.0.1");
      EXPECT_EQ(result.stream.mpeg4Width, 704);
    }
  }
  // The pass wrote no shared state.
  EXPECT_EQ(SessionIdBuffer.Get(), "");
  EXPECT_EQ(g_lpApp->m_dwProductId, 0);
  EXPECT_EQ(g_lpApp->m_wUserLevel.load(), 0);
}

TEST_F(LoginPassTest, FieldsThatCannotBeSentSendNothing) {
  const struct {
    const char* user;
    const char* password;
    std::string port;
    app::LoginFieldCheck check;
  } cases[] = {
      {"", "secret", "80", app::LoginFieldCheck::EmptyCredentials},
      {"admin", "", "80", app::LoginFieldCheck::EmptyCredentials},
      {"admin", "secret", "0", app::LoginFieldCheck::PortOutOfRange},
      {"admin", "secret", "70000", app::LoginFieldCheck::PortOutOfRange},
      {"admin", "secret", "abc", app::LoginFieldCheck::PortOutOfRange},
      {"admin", "secret", "-80", app::LoginFieldCheck::PortOutOfRange},
      {"ad min", "secret", "80", app::LoginFieldCheck::UnsafeText},
      {"admin", "se&cret", "80", app::LoginFieldCheck::UnsafeText},
      {"admin", "se#cret", "80", app::LoginFieldCheck::UnsafeText},
      {"admin\n", "secret", "80", app::LoginFieldCheck::UnsafeText},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.user) + " / " + c.password + " / " + c.port);
    app::LoginPassInput input = Input(c.port);
    input.userName = c.user;
    input.password = c.password;
    EXPECT_EQ(app::CheckLoginFields(c.user, c.password, c.port), c.check);
    const app::LoginPassResult result = app::RunLoginPass(input);
    EXPECT_EQ(result.check, c.check);
    EXPECT_EQ(result.code, 0);
  }
  EXPECT_TRUE(server.Requests().empty());
}

TEST_F(LoginPassTest, WebPortIsTheLeadingNumber) {
  const struct {
    const char* text;
    std::optional<std::uint16_t> port;
  } cases[] = {{"80", 80},
               {"8080x", 8080},
               {" 554", 554},
               {"65535", 65535},
               {"1", 1},
               {"0", std::nullopt},
               {"65536", std::nullopt},
               {"70000", std::nullopt},
               {"abc", std::nullopt},
               {"", std::nullopt}};
  for (const auto& c : cases)
    EXPECT_EQ(app::WebPortOf(c.text), c.port) << c.text;
}

TEST_F(LoginPassTest, CommitStoresTheSessionForTheDecodeType) {
  const struct {
    std::uint8_t decodeType;
    std::uint16_t width;
    std::uint16_t height;
  } cases[] = {{0, 352, 240}, {4, 704, 480}, {7, 111, 222}};
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.decodeType));
    g_lpApp = std::make_unique<CAppData>();
    g_lpApp->m_SettingINI.m_byDecodeType = c.decodeType;
    g_lpApp->m_wFrameWidth = 111;
    g_lpApp->m_wFrameHeight = 222;
    SessionIdBuffer.Set("old-session");
    const app::LoginPassResult result = app::RunLoginPass(Input());
    ASSERT_EQ(result.code, 1);
    app::CommitLoginPass(result, *g_lpApp);
    CAppData& app = *g_lpApp;
    EXPECT_EQ(SessionIdBuffer.Get(), "5A3F19C2");
    EXPECT_EQ(app.m_SettingINI.m_strServerName, "127.0.0.1");
    EXPECT_EQ(app.m_SettingINI.m_strServerAddress, "127.0.0.1");
    EXPECT_EQ(app.m_SettingINI.m_wWebPort, server.WebPort());
    EXPECT_EQ(app.m_SettingINI.m_strUserName, "admin");
    EXPECT_EQ(app.m_SettingINI.m_strPassword, "secret");
    EXPECT_EQ(app.m_dwProductId, 604);
    EXPECT_EQ(std::string(app.m_szFirmwareVersion.data(), 7), "2.1.0.7");
    EXPECT_EQ(app.m_wUserLevel.load(), 20);
    EXPECT_EQ(app.m_wUserLevelShown.load(), 20);
    EXPECT_EQ(app.m_dwLifeTime.load(), 30u);
    EXPECT_EQ(app.m_wStreamPort, 6001);
    EXPECT_EQ(app.m_byVideoFormat.load(), c.decodeType);
    EXPECT_EQ(app.m_wFrameWidth.load(), c.width);
    EXPECT_EQ(app.m_wFrameHeight.load(), c.height);
    EXPECT_EQ(app.m_wStreamMpeg4Width.load(), 704);
    EXPECT_EQ(app.m_wStreamMpeg4Height.load(), 480);
    EXPECT_EQ(app.m_wStreamJpegWidth.load(), 352);
    EXPECT_EQ(app.m_wStreamJpegHeight.load(), 240);
  }
}

TEST_F(LoginPassTest, CommitWithoutSessionIdLeavesItCleared) {
  server.SetLoginReply("PRODUCT-ID=604;");
  SessionIdBuffer.Set("old-session");
  const app::LoginPassResult result = app::RunLoginPass(Input());
  ASSERT_EQ(result.code, 1);
  app::CommitLoginPass(result, *g_lpApp);
  EXPECT_EQ(SessionIdBuffer.Get(), "");
}

// A token whose stop has been requested.
platform::StopToken StoppedToken() {
  platform::Thread owner;
  owner.RequestStop();
  return owner.GetStopToken();
}

TEST_F(LoginPassTest, AStopRequestedBeforeThePassSendsNothing) {
  const app::LoginPassResult result = app::RunLoginPass(Input(), StoppedToken());
  EXPECT_EQ(result.code, 0);
  EXPECT_TRUE(result.stopped);
  EXPECT_TRUE(Targets().empty());
}

TEST_F(LoginPassTest, StopAfterTheLoginSendsNoStreamRequest) {
  // The stop comes while the login's answer is being made: the pass keeps nothing of it.
  platform::Thread owner;
  server.SetHandler("/Login.cgi", [&](const fakes::RecordedRequest&) {
    owner.RequestStop();
    return FakeReply::Text("PRODUCT-ID=604;SESSION-ID=5A3F19C2;");
  });
  const app::LoginPassResult result = app::RunLoginPass(Input(), owner.GetStopToken());
  EXPECT_EQ(result.code, 0);
  EXPECT_TRUE(result.stopped);
  EXPECT_EQ(Targets(), std::vector<std::string>{"/Login.cgi?Username=admin&Password=secret"});
}

// A server that takes the login and never answers: the pass waits in the login's read, and a
// stop request ends it there, long before the read's time-out would have.
TEST_F(LoginPassTest, AStopEndsAPassThatWaitsOnASilentServer) {
  std::mutex lock;
  std::condition_variable changed;
  bool arrived = false;
  bool release = false;
  server.SetHandler("/Login.cgi", [&](const fakes::RecordedRequest&) {
    std::unique_lock guard(lock);
    arrived = true;
    changed.notify_all();
    changed.wait(guard, [&] { return release; });
    return FakeReply::Status(404);
  });
  std::optional<app::LoginPassResult> result;
  platform::Thread pass;
  ASSERT_TRUE(pass.Start("LoginPass", [&](platform::StopToken stop) {
    result = app::RunLoginPass(Input(), stop);
    return 0u;
  }));
  {
    std::unique_lock guard(lock);
    ASSERT_TRUE(changed.wait_for(guard, fakes::kWaitLimit, [&] { return arrived; }));
  }
  pass.RequestStop();
  // Half the read's time-out: only the stop can have ended the read by then.
  const bool ended = pass.Join(app::kLoginTimeoutSeconds * 1000 / 2);
  {
    const std::lock_guard guard(lock);
    release = true;
  }
  changed.notify_all();
  ASSERT_TRUE(ended);
  ASSERT_TRUE(pass.Join());
  // The server records the request once it has answered it.
  ASSERT_TRUE(server.WaitForRequests(1, fakes::kWaitLimit));
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(result->code, 0);
  EXPECT_TRUE(result->stopped);
  EXPECT_EQ(Targets(), std::vector<std::string>{"/Login.cgi?Username=admin&Password=secret"});
}

}  // namespace
