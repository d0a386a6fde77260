// The one login exchange: what each request carries, the session the login reply hands to the
// stream request, where it stops (a refused login, a stop requested meanwhile), and that it
// stores nothing but the environment's session.
#include "net/login_exchange.h"

#include <gtest/gtest.h>

#include <string>

#include "fakes/fake_video_server.h"
#include "net/net_environment.h"

namespace {

class LoginExchangeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_environment.SetServerName("127.0.0.1");
    m_environment.SetWebPort(m_server.WebPort());
    m_environment.SetLocalAddress("127.0.0.1");
    m_server.SetLoginReply("SESSION-ID=5A3F;PRODUCT-ID=604;FIRMWARE-VERSION=V1.2;");
    m_server.SetStreamReply("VIDEO-FORMAT=4;USER-LEVEL=20;MPEG4-WIDTH=704;STREAM-PORT=5004;");
    m_request.userName = "wopal";
    m_request.password = "secret";
    m_request.timeoutSeconds = 2;
  }

  fakes::FakeVideoServer m_server;
  net::MemoryNetEnvironment m_environment;
  net::LoginRequest m_request;
};

TEST_F(LoginExchangeTest, LoginThenTheStreamWithTheSessionTheReplyGave) {
  const net::LoginExchange result = net::RunLoginExchange(m_environment, m_request, 1);
  EXPECT_EQ(result.code, 1);
  EXPECT_TRUE(result.loggedIn);
  EXPECT_FALSE(result.stopped);
  EXPECT_EQ(result.login.sessionId, "5A3F");
  EXPECT_EQ(result.login.productId, 604);
  EXPECT_EQ(result.stream.userLevel, 20);
  EXPECT_EQ(result.stream.mpeg4Width, 704);
  EXPECT_EQ(result.stream.streamPort, 5004);
  EXPECT_EQ(m_environment.SessionId(), "5A3F");
  const auto requests = m_server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].target, "/Login.cgi?Username=wopal&Password=secret");
  EXPECT_EQ(requests[1].target, "/RequestStream.cgi?SessionID=5A3F");
}

TEST_F(LoginExchangeTest, ASessionAlreadyThereGoesWithTheLogin) {
  m_environment.SetSessionId("OLD1");
  m_server.SetLoginReply("PRODUCT-ID=604;");  // no session id: the old one stays
  const net::LoginExchange result = net::RunLoginExchange(m_environment, m_request, 1);
  EXPECT_EQ(result.code, 1);
  const auto requests = m_server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].Param("SessionID"), "OLD1");
  EXPECT_EQ(requests[1].Param("SessionID"), "OLD1");
}

TEST_F(LoginExchangeTest, ARefusedLoginAsksForNoStream) {
  m_server.SetCredentials("someone", "else");
  const net::LoginExchange result = net::RunLoginExchange(m_environment, m_request, 1);
  EXPECT_EQ(result.code, 18);  // status 202: illegal user
  EXPECT_FALSE(result.loggedIn);
  EXPECT_TRUE(m_server.RequestsTo("/RequestStream.cgi").empty());
  EXPECT_EQ(m_environment.SessionId(), "");
}

TEST_F(LoginExchangeTest, AStopRequestedDuringTheLoginEndsItWithoutTheSession) {
  platform::Thread thread;
  net::LoginExchange result;
  m_server.SetLoginCheck([&](const std::string&, const std::string&) {
    thread.RequestStop();
    return true;
  });
  ASSERT_TRUE(thread.Start("exchange", [&](platform::StopToken stop) {
    m_request.stop = stop;
    result = net::RunLoginExchange(m_environment, m_request, 1);
    return 0u;
  }));
  ASSERT_TRUE(thread.Join(20000));
  EXPECT_TRUE(result.stopped);
  EXPECT_FALSE(result.loggedIn);
  EXPECT_EQ(m_environment.SessionId(), "");
  EXPECT_TRUE(m_server.RequestsTo("/RequestStream.cgi").empty());
}

TEST_F(LoginExchangeTest, AFailedStreamRequestKeepsTheLoginsFields) {
  m_server.QueueReply("/RequestStream.cgi", fakes::FakeReply::Status(203));
  const net::LoginExchange result = net::RunLoginExchange(m_environment, m_request, 1);
  EXPECT_EQ(result.code, 19);
  EXPECT_TRUE(result.loggedIn);
  EXPECT_EQ(result.login.sessionId, "5A3F");
  EXPECT_FALSE(result.stream.userLevel);
}

}  // namespace
