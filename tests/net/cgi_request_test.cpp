// The CGI exchange against the fake video server: request bytes, result codes, and the replies
// that must fail without crashing or waiting past the time-out.
#include <gtest/gtest.h>

#include <chrono>
#include <span>
#include <string>
#include <vector>

#include "net/cgi_url.h"
#include "net/penta_send_command.h"
#include "net_test_environment.h"

namespace {

using fakes::FakeReply;
using namespace std::chrono_literals;

constexpr char kUserAgentAndTail[] =
    "Accept-Encoding: gzip, deflate\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT "
    "5.1; SV1; .NET CLR 1.1.4322)\r\nHost: 10.1.2.3\r\nConnection: Keep-Alive\r\n\r\n";

class CgiRequestTest : public net::testing::FakeServerTest {
 protected:
  // Sends url as it stands (a CCgiUrl would refuse the malformed ones these tests send), with
  // the reply read into a buffer of kPentaReplyCapacity bytes.
  int Send(CgiIndex index, const std::string& url, const std::vector<uint8_t>* body = nullptr,
           uint16_t timeout = 2) {
    replyLength = 0xFFFF;
    reply.assign(kPentaReplyCapacity, 0xEE);
    net::CgiExchange exchange;
    exchange.cgiIndex = index;
    exchange.url = url;
    if (body != nullptr)
      exchange.body = std::span<const uint8_t>(*body);
    exchange.reply = reply;
    exchange.replyLength = &replyLength;
    exchange.sendTimeout = timeout;
    exchange.receiveTimeout = timeout;
    return net::SendCgiRequest(exchange);
  }
  std::string ReplyText() const { return std::string(reply.begin(), reply.begin() + replyLength); }

  std::vector<uint8_t> reply;
  uint32_t replyLength = 0;
};

TEST_F(CgiRequestTest, RequestWithoutBodyHasExactBytesAndNoContentLength) {
  ASSERT_EQ(Send(CgiIndex::kCgiGetSysCfg, "/GetSysCfg.cgi?Option=SNTP&Size=40"), 1);
  const auto requests = server->Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].raw,
            std::string("GET /GetSysCfg.cgi?Option=SNTP&Size=40 HTTP/1.1\r\nAccept: */* "
                        "\r\nAccept-Language: zh-tw\r\n") +
                kUserAgentAndTail);
  EXPECT_TRUE(requests[0].body.empty());
}

TEST_F(CgiRequestTest, RequestWithBinaryBodyCarriesItsLengthAndBytesUnchanged) {
  std::vector<uint8_t> body(300);
  for (std::size_t i = 0; i < body.size(); ++i)
    body[i] = static_cast<uint8_t>(i);  // NUL, CR..
  server->QueueReply("/SetSysCfg.cgi", FakeReply::Status(200));
  ASSERT_EQ(Send(CgiIndex::kCgiSetSysCfg, "/SetSysCfg.cgi?Option=X", &body), 1);
  const auto requests = server->Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].raw, std::string("GET /SetSysCfg.cgi?Option=X HTTP/1.1\r\nAccept: */* "
                                         "\r\nAccept-Language: zh-tw\r\nContent-Length: 300\r\n") +
                                 kUserAgentAndTail);
  EXPECT_EQ(requests[0].body, body);
}

TEST_F(CgiRequestTest, BuiltRequestMatchesTheWireBytes) {
  const std::vector<uint8_t> body = {0x05, 0x00, 0x0D, 0x0A};
  const std::string built = net::BuildCgiRequest("/RS485Cmd.cgi?Command=05", body, "10.1.2.3");
  EXPECT_EQ(built, std::string("GET /RS485Cmd.cgi?Command=05 HTTP/1.1\r\nAccept: */* "
                               "\r\nAccept-Language: zh-tw\r\nContent-Length: 4\r\n") +
                       kUserAgentAndTail + std::string("\x05\x00\x0D\x0A", 4));
  // A large request is not cut.
  const std::string longUrl = "/Login.cgi?Username=" + std::string(4000, 'u');
  EXPECT_NE(net::BuildCgiRequest(longUrl, std::nullopt, "h").find(longUrl), std::string::npos);
}

TEST_F(CgiRequestTest, StatusToResultTable) {
  struct Case {
    int status;
    int result;
  };
  const Case cases[] = {{200, 1},  {201, 17}, {202, 18}, {203, 19}, {204, 20}, {205, 21},
                        {206, 22}, {207, 23}, {208, 24}, {209, 1},  {299, 1},  {300, 0},
                        {302, 0},  {404, 0},  {500, 0},  {100, 1}};
  for (const Case& c : cases) {
    server->QueueReply("/GetSysCfg.cgi", FakeReply::Text("abc", c.status));
    EXPECT_EQ(Send(CgiIndex::kCgiGetSysCfg, "/GetSysCfg.cgi"), c.result) << "status " << c.status;
    if (c.result != 1) {
      EXPECT_EQ(replyLength, 0u) << "status " << c.status;
    }
  }
}

TEST_F(CgiRequestTest, BodyIsReadByContentLengthInAnyCase) {
  for (const char* key : {"Content-Length", "content-length", "CoNtEnT-LeNgTh"}) {
    FakeReply r = FakeReply::Text("SESSION-ID=1;");
    r.contentLengthKey = key;
    server->QueueReply("/Login.cgi", r);
    ASSERT_EQ(Send(CgiIndex::kCgiLogin, "/Login.cgi"), 1) << key;
    EXPECT_EQ(ReplyText(), "SESSION-ID=1;") << key;
  }
}

TEST_F(CgiRequestTest, ReplyWithoutContentLengthGivesEmptyBody) {
  FakeReply r = FakeReply::Text("ignored");
  r.sendContentLength = false;
  server->QueueReply("/Login.cgi", r);
  EXPECT_EQ(Send(CgiIndex::kCgiLogin, "/Login.cgi"), 1);
  EXPECT_EQ(replyLength, 0u);
}

TEST_F(CgiRequestTest, BodySplitOverSegmentsIsReadWhole) {
  std::string text(900, 'a');
  for (std::size_t i = 0; i < text.size(); ++i)
    text[i] = static_cast<char>('a' + i % 26);
  FakeReply r = FakeReply::Text(text);
  const std::size_t head = r.Serialize().size() - text.size();
  r.splitAt = {10, head - 3, head + 100, head + 400, head + 800};  // head split too
  server->QueueReply("/Login.cgi", r);
  ASSERT_EQ(Send(CgiIndex::kCgiLogin, "/Login.cgi"), 1);
  EXPECT_EQ(ReplyText(), text);
}

TEST_F(CgiRequestTest, MalformedRepliesFailWithinTheirTimeOut) {
  struct Case {
    const char* name;
    FakeReply reply;
  };
  auto with = [](auto change) {
    FakeReply r = FakeReply::Text("0123456789");
    change(r);
    return r;
  };
  const std::vector<Case> cases = {
      {"close without reply", with([](FakeReply& r) { r.closeWithoutReply = true; })},
      {"delay past the time-out", with([](FakeReply& r) { r.delay = 3500ms; })},
      {"twelve bytes", with([](FakeReply& r) { r.raw = "HTTP/1.1 200"; })},
      {"truncated header", with([](FakeReply& r) { r.truncateAt = 30; })},
      {"truncated body", with([](FakeReply& r) { r.truncateAt = r.Serialize().size() - 4; })},
      {"negative content length", with([](FakeReply& r) { r.contentLengthValue = "-5"; })},
      {"huge content length", with([](FakeReply& r) { r.contentLengthValue = "99999999"; })},
      {"content length over the buffer", with([](FakeReply& r) { r.contentLengthValue = "1461"; })},
      {"content length not a number", with([](FakeReply& r) { r.contentLengthValue = "abc"; })},
      {"content length larger than sent, peer waits", with([](FakeReply& r) {
         r.contentLengthValue = "20";
         r.holdOpenAfterReply = true;
       })},
      {"status line without second blank",
       with([](FakeReply& r) { r.raw = "HTTP/1.1 200\r\n\r\n"; })},
      {"status not a number", with([](FakeReply& r) { r.raw = "HTTP/1.1 abc OK\r\n\r\n"; })},
      {"garbage", with([](FakeReply& r) { r.raw = std::string(2000, '\xff'); })},
      {"404", FakeReply::Status(404)},
  };
  for (const Case& c : cases) {
    server->QueueReply("/Login.cgi", c.reply);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Send(CgiIndex::kCgiLogin, "/Login.cgi", nullptr, 1), 0) << c.name;
    EXPECT_EQ(replyLength, 0u) << c.name;
    // One-second reads, the whole reply bounded by twice that: generous margin under load.
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s) << c.name;
  }
}

TEST_F(CgiRequestTest, RefusalReadsNothingMoreAndKeepsPendingChanges) {
  net::SetPendingWebPort(8080);
  server->QueueReply("/Login.cgi", FakeReply::Status(204));
  EXPECT_EQ(Send(CgiIndex::kCgiLogin, "/Login.cgi"), 20);
  EXPECT_EQ(environment.WebPort(), server->WebPort());
  // The next accepted reply applies it.
  net::SetPendingServerAddress("127.0.0.1");
  EXPECT_EQ(Send(CgiIndex::kCgiLogin, "/Login.cgi"), 1);
  EXPECT_EQ(environment.WebPort(), 8080);
  EXPECT_EQ(environment.ServerAddress(), "127.0.0.1");
}

TEST_F(CgiRequestTest, RebootReturnsOnceWrittenEvenWithoutAnswer) {
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Send(CgiIndex::kCgiRebootServer, "/RebootServer.cgi", nullptr, 5), 1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 4s);
  EXPECT_TRUE(server->WaitForRequests(1, 10s));
  EXPECT_EQ(server->Requests()[0].path, "/RebootServer.cgi");
}

TEST_F(CgiRequestTest, ServerNameHandling) {
  environment.SetServerName("");
  EXPECT_EQ(Send(CgiIndex::kCgiLogin, "/Login.cgi"), 0);
  EXPECT_EQ(server->ConnectionCount(), 0u);

  environment.SetServerName("1..2");  // digits and dots, but no address
  EXPECT_EQ(Send(CgiIndex::kCgiLogin, "/Login.cgi"), 0);
  EXPECT_EQ(server->ConnectionCount(), 0u);

  environment.SetServerName("localhost");
  environment.SetServerAddress("");
  EXPECT_EQ(Send(CgiIndex::kCgiLogin, "/Login.cgi"), 1);
  EXPECT_EQ(environment.ServerAddress(), "127.0.0.1");

  environment.SetServerName("127.0.0.1");
  environment.SetServerAddress("");
  EXPECT_EQ(Send(CgiIndex::kCgiLogin, "/Login.cgi"), 1);
  EXPECT_EQ(environment.ServerAddress(), "127.0.0.1");
}

TEST_F(CgiRequestTest, UnsendableUrlIsRefusedWithoutTraffic) {
  for (const char* url : {"", "Login.cgi", "/Login.cgi?u=a b", "/x\r\nHost: y", "/a#b"}) {
    EXPECT_EQ(Send(CgiIndex::kCgiLogin, url), 0) << url;
  }
  CCgiUrl refused(CgiIndex::kCgiLogin);
  refused.AddParam("Username", "a&Password=b");
  EXPECT_EQ(net::SendCgiRequest(net::MakeCgiExchange(refused, 1, {})), 0);
  EXPECT_EQ(server->ConnectionCount(), 0u);
}

TEST_F(CgiRequestTest, ClosedPortGivesZero) {
  const uint16_t port = server->WebPort();
  server.reset();
  environment.SetWebPort(port);
  EXPECT_EQ(Send(CgiIndex::kCgiLogin, "/Login.cgi"), 0);
}

TEST(IsDottedAddress, DigitsAndDotsOnly) {
  EXPECT_EQ(IsDottedAddress(""), 2);
  EXPECT_EQ(IsDottedAddress("192.168.1.1"), 2);
  EXPECT_EQ(IsDottedAddress("1..2"), 2);
  EXPECT_EQ(IsDottedAddress("localhost"), 1);
  EXPECT_EQ(IsDottedAddress("10.0.0.1a"), 1);
}

}  // namespace
