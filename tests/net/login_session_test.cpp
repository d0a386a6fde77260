// The firmware path's session: its login against the fake server, and the keep-alive
// datagrams the server receives.
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
#include "platform/thread.h"

namespace {

using fakes::FakeReply;
using namespace std::chrono_literals;

class LoginSessionTest : public net::testing::FakeServerTest {
 protected:
  void SetUp() override {
    FakeServerTest::SetUp();
    g_lpApp = std::make_unique<CAppData>();
    request.serverName = "127.0.0.1";
    request.userName = "admin";
    request.password = "secret";
    request.webPort = std::to_string(server->WebPort());
    environment.SetServerName("");
    environment.SetWebPort(1);
  }
  void TearDown() override {
    g_lpApp.reset();
    FakeServerTest::TearDown();
  }
  // The session's login, as the connect dialog's login thread runs it.
  int RunLogin() { return net::RunSessionLogin(request, platform::StopToken()); }
  // The keep-alive on a thread of its own with a short period; the test stops it.
  void StartKeepAlive(std::uint32_t intervalMs) {
    ASSERT_TRUE(keepAlive.Start("KeepAliveThread", [intervalMs](platform::StopToken stop) {
      net::RunKeepAlive(intervalMs, stop);
      return 0u;
    }));
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

  net::SessionLogin request;
  platform::Thread keepAlive;
  std::shared_ptr<platform::testing::FakeMessageBox> box =
      std::make_shared<platform::testing::FakeMessageBox>();
  platform::testing::ScopedMessageBox scoped{box};
};

TEST_F(LoginSessionTest, LoginThenStreamRequestGivesOne) {
  environment.SetSessionId("stale");
  ASSERT_EQ(RunLogin(), 1);
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

TEST_F(LoginSessionTest, RefusalIsTheResultAndStopsTheLogin) {
  server->SetCredentials("admin", "other");
  ASSERT_EQ(RunLogin(), 18);  // 202 "illegal user"
  EXPECT_EQ(server->Requests().size(), 1u);
}

TEST_F(LoginSessionTest, StreamRequestRefusalIsTheResult) {
  server->QueueReply("/RequestStream.cgi", FakeReply::Status(201));
  ASSERT_EQ(RunLogin(), 17);
}

TEST_F(LoginSessionTest, EmptyCredentialsShowMessageWithoutTraffic) {
  request.password.clear();
  ASSERT_EQ(RunLogin(), 0);
  ASSERT_EQ(box->Count(), 1u);
  EXPECT_EQ(box->Shown()[0].text, "Username or password is not correct");
  EXPECT_EQ(server->ConnectionCount(), 0u);
}

TEST_F(LoginSessionTest, NoServerGivesZero) {
  server.reset();
  ASSERT_EQ(RunLogin(), 0);
  request.webPort = "99999";  // no such port: refused before any traffic
  ASSERT_EQ(RunLogin(), 0);
}

TEST_F(LoginSessionTest, AStoppedLoginStoresNothing) {
  platform::Thread owner;
  owner.RequestStop();
  EXPECT_EQ(net::RunSessionLogin(request, owner.GetStopToken()), 0);
  EXPECT_EQ(environment.SessionId(), "");
  EXPECT_NE(g_lpApp->m_dwProductId, 604);
}

TEST_F(LoginSessionTest, KeepAliveStoppedBeforeStartSendsNothing) {
  environment.SetServerAddress("127.0.0.1");
  environment.SetWebPort(server->WebPort());
  platform::Thread owner;
  owner.RequestStop();
  net::RunKeepAlive(20, owner.GetStopToken());
  EXPECT_TRUE(KeepAliveDatagrams().empty());
}

TEST_F(LoginSessionTest, KeepAliveDatagramsAndTheLastOne) {
  environment.SetServerAddress("127.0.0.1");
  environment.SetWebPort(server->WebPort());
  environment.SetSessionId("ABC");
  StartKeepAlive(30);
  ASSERT_TRUE(server->WaitForDatagrams(2, 20s));
  ASSERT_TRUE(keepAlive.StopAndJoin(20000));

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
  environment.SetServerAddress("not-an-address");
  StartKeepAlive(20);
  // It ends by itself, without a stop request.
  EXPECT_TRUE(keepAlive.Join(20000));
  EXPECT_TRUE(KeepAliveDatagrams().empty());
}

}  // namespace
