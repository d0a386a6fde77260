// The firmware path's session: the login thread against the fake server, and the keep-alive
// datagrams it receives.
#include "net/login_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "app/app_data.h"
#include "fakes/wait_until.h"
#include "net/blocking_socket.h"
#include "net_test_environment.h"
#include "platform/testing/fake_message_box.h"
#include "platform/testing/recording_window.h"

namespace {

using fakes::FakeReply;
using namespace std::chrono_literals;

class LoginSessionTest : public net::testing::FakeServerTest {
 protected:
  void SetUp() override {
    FakeServerTest::SetUp();
    g_lpApp = std::make_unique<CAppData>();
    CreateLoginObject();
    g_pLogin->m_hOwnerWindow = window.Handle();
    g_pLogin->m_strServerName = "127.0.0.1";
    g_pLogin->m_strUserName = "admin";
    g_pLogin->m_strPassword = "secret";
    g_pLogin->m_strWebPort = std::to_string(server->WebPort());
    environment.SetServerName("");
    environment.SetWebPort(1);
  }
  void TearDown() override {
    DeleteLoginObject();
    g_lpApp.reset();
    FakeServerTest::TearDown();
  }
  // Runs the login thread and returns the posted result.
  std::optional<uintptr_t> RunLogin() {
    EXPECT_TRUE(g_pLogin->CreateThread());
    if (!window.WaitForCount(1, 20000))
      return std::nullopt;
    const auto posted = window.MessagesWithId(WM_LOGIN_RESULT);
    EXPECT_EQ(posted.size(), 1u);
    EXPECT_TRUE(g_pLogin->m_hLoginThread->Join(20000));
    return posted.empty() ? std::nullopt : std::optional<uintptr_t>(posted[0].wParam);
  }

  // What the server received from the keep-alive thread, once that thread has ended. A marker
  // sent now from a socket of the test's own comes in after what the thread sent (loopback
  // delivers a datagram as it is sent); once the server holds it, and what `complete` asks
  // for, nothing else is on its way. The marker is left out of the result.
  using Datagrams = std::vector<std::string>;
  Datagrams KeepAliveDatagrams(const std::function<bool(const Datagrams&)>& complete = nullptr) {
    static const std::string kMarker = "marker";
    CBlockingSocket socket;
    socket.Create(CBlockingSocket::kDatagram);
    socket.SetDestination(CSockAddr("127.0.0.1", server->WebPort()));
    socket.Sendto(kMarker.data(), static_cast<int>(kMarker.size()));
    socket.Cleanup();
    Datagrams received;
    EXPECT_TRUE(fakes::WaitUntil([&] {
      received = server->Datagrams();
      const auto marker = std::find(received.begin(), received.end(), kMarker);
      if (marker == received.end()) {
        return false;
      }
      received.erase(marker);
      return !complete || complete(received);
    }));
    return received;
  }

  platform::testing::RecordingWindow window;
  std::shared_ptr<platform::testing::FakeMessageBox> box =
      std::make_shared<platform::testing::FakeMessageBox>();
  platform::testing::ScopedMessageBox scoped{box};
};

TEST_F(LoginSessionTest, LoginThenStreamRequestPostsOne) {
  environment.SetSessionId("stale");
  ASSERT_EQ(RunLogin(), 1u);
  const auto requests = server->Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].target, "/Login.cgi?Username=admin&Password=secret");
  EXPECT_EQ(requests[1].target, "/RequestStream.cgi?SessionID=5A3F19C2");
  EXPECT_EQ(environment.SessionId(), "5A3F19C2");
  EXPECT_EQ(environment.ServerName(), "127.0.0.1");
  EXPECT_EQ(environment.WebPort(), server->WebPort());
  EXPECT_EQ(g_lpApp->m_dwProductId, 604);
  EXPECT_EQ(g_lpApp->m_wMpeg4Width, 352);
  EXPECT_EQ(g_lpApp->m_dwLifeTime.load(), kNoLifeTimeLimit);
}

TEST_F(LoginSessionTest, RefusalIsPostedAndStopsTheLogin) {
  server->SetCredentials("admin", "other");
  ASSERT_EQ(RunLogin(), 18u);  // 202 "illegal user"
  EXPECT_EQ(server->Requests().size(), 1u);
}

TEST_F(LoginSessionTest, StreamRequestRefusalIsPosted) {
  server->QueueReply("/RequestStream.cgi", FakeReply::Status(201));
  ASSERT_EQ(RunLogin(), 17u);
}

TEST_F(LoginSessionTest, EmptyCredentialsShowMessageWithoutTraffic) {
  g_pLogin->m_strPassword.clear();
  ASSERT_EQ(RunLogin(), 0u);
  ASSERT_EQ(box->Count(), 1u);
  EXPECT_EQ(box->Shown()[0].text, "Username or password is not correct");
  EXPECT_EQ(server->ConnectionCount(), 0u);
}

TEST_F(LoginSessionTest, NoServerPostsZero) {
  const std::string port = g_pLogin->m_strWebPort;
  server.reset();
  ASSERT_EQ(RunLogin(), 0u);
  g_pLogin->m_strWebPort = "99999";  // no such port: refused before any traffic
  window.Clear();
  ASSERT_EQ(RunLogin(), 0u);
}

TEST_F(LoginSessionTest, KeepAliveStoppedBeforeStartSendsNothing) {
  ASSERT_TRUE(g_pLogin->CreateEvents());
  g_pLogin->m_dwKeepAliveIntervalMs = 20;
  environment.SetServerAddress("127.0.0.1");
  environment.SetWebPort(server->WebPort());
  ASSERT_TRUE(g_pLogin->StartKeepAliveThread());
  g_pLogin->m_hStopEvent->Set();
  EXPECT_TRUE(g_pLogin->m_hKeepAliveThread->Join(20000));
  g_pLogin->m_hStartEvent->Set();  // too late: the thread has ended
  EXPECT_TRUE(KeepAliveDatagrams().empty());
}

TEST_F(LoginSessionTest, KeepAliveDatagramsAndTheLastOne) {
  ASSERT_TRUE(g_pLogin->CreateEvents());
  g_pLogin->m_dwKeepAliveIntervalMs = 30;
  environment.SetServerAddress("127.0.0.1");
  environment.SetWebPort(server->WebPort());
  environment.SetSessionId("ABC");
  ASSERT_TRUE(g_pLogin->StartKeepAliveThread());
  g_pLogin->m_hStartEvent->Set();
  ASSERT_TRUE(server->WaitForDatagrams(2, 20s));
  g_pLogin->m_hStopEvent->Set();
  ASSERT_TRUE(g_pLogin->m_hKeepAliveThread->Join(20000));
  g_pLogin->StopKeepAliveThread();
  g_pLogin->CloseEvents();

  const std::string head =
      "GET / HTTP/1.1 \r\nAccept: */* \r\nAccept-Language: zh-tw\r\nAccept-Encoding: gzip, "
      "deflate\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1; .NET CLR "
      "1.1.4322)\r\nHost: 10.1.2.3\r\nConnection: Keep-Alive\r\n";
  const std::string last =
      head + "Content-Lentght: 33\r\n\r\nSession: ABC\r\nConnection: Close\r\n";
  // Every datagram in, the last one last (and nothing after it).
  const Datagrams datagrams =
      KeepAliveDatagrams([&](const Datagrams& d) { return !d.empty() && d.back() == last; });
  ASSERT_GE(datagrams.size(), 3u);
  for (std::size_t i = 0; i + 1 < datagrams.size(); ++i) {
    // 11 + the length of the session text.
    EXPECT_EQ(datagrams[i], head + "Content-Lentght: 14\r\n\r\nSession: ABC\r\n") << i;
  }
}

TEST_F(LoginSessionTest, KeepAliveWithoutDottedAddressSendsNothing) {
  ASSERT_TRUE(g_pLogin->CreateEvents());
  environment.SetServerAddress("not-an-address");
  ASSERT_TRUE(g_pLogin->StartKeepAliveThread());
  g_pLogin->m_hStartEvent->Set();
  EXPECT_TRUE(g_pLogin->m_hKeepAliveThread->Join(20000));
  EXPECT_TRUE(KeepAliveDatagrams().empty());
}

TEST(LoginObject, CreateAndDeleteAreIdempotent) {
  EXPECT_EQ(CreateLoginObject(), 1);
  Login* first = g_pLogin.get();
  EXPECT_EQ(CreateLoginObject(), 1);
  EXPECT_EQ(g_pLogin.get(), first);
  EXPECT_EQ(DeleteLoginObject(), 1);
  EXPECT_EQ(g_pLogin, nullptr);
  EXPECT_EQ(DeleteLoginObject(), 1);
}

}  // namespace
