// Every kind of request the device protocol sends, byte for byte as the fake server got it,
// and the frame-information block.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <numeric>

#include "app/app_data.h"
#include "net/cgi_url.h"
#include "net/config_records.h"
#include "net/ctrl_file.h"
#include "net/frame_info_block.h"
#include "net/penta_send_command.h"
#include "net/rs485_command.h"
#include "net_test_environment.h"

namespace {

std::string ExpectedHead(const std::string& target, std::optional<std::size_t> bodyLength) {
  std::string head = "GET " + target + " HTTP/1.1\r\nAccept: */* \r\nAccept-Language: zh-tw\r\n";
  if (bodyLength)
    head += "Content-Length: " + std::to_string(*bodyLength) + "\r\n";
  return head +
         "Accept-Encoding: gzip, deflate\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 6.0; "
         "Windows NT 5.1; SV1; .NET CLR 1.1.4322)\r\nHost: 10.1.2.3\r\nConnection: "
         "Keep-Alive\r\n\r\n";
}

class RequestKindsTest : public net::testing::FakeServerTest {
 protected:
  void SetUp() override {
    FakeServerTest::SetUp();
    g_lpApp = std::make_unique<CAppData>();
    environment.SetSessionId("77AA");
  }
  void TearDown() override {
    g_lpApp.reset();
    FakeServerTest::TearDown();
  }
};

TEST_F(RequestKindsTest, GoldenBytesOfEveryKind) {
  struct Case {
    const char* name;
    std::function<int()> send;
    std::string target;
    std::optional<std::vector<uint8_t>> body;
  };
  std::vector<uint8_t> smtp(516);
  std::iota(smtp.begin(), smtp.end(), uint8_t{0});
  std::vector<uint8_t> fetched(516);
  std::vector<uint8_t> reply(2048);
  uint32_t replyLength = 0;
  DeviceCommand command;
  command.length = 2;
  command.bytes = {0x0D, 0x0D};
  command.placeholderMask.set(1);
  const auto sendWithReply = [&](const CCgiUrl& url) {
    net::CgiExchange exchange = net::MakeCgiExchange(url, 1, {});
    exchange.reply = reply;
    exchange.replyLength = &replyLength;
    return net::SendCgiRequest(exchange);
  };
  const std::vector<Case> cases = {
      {"login",
       [&] {
         CCgiUrl url(CgiIndex::kCgiLogin);
         url.AddParam("Username", "admin");
         url.AddParam("Password", "pw");
         return sendWithReply(url);
       },
       "/Login.cgi?Username=admin&Password=pw", std::nullopt},
      {"stream request",
       [&] {
         CCgiUrl url(CgiIndex::kCgiRequestStream);
         url.AddParam("SessionID", "77AA");
         return sendWithReply(url);
       },
       "/RequestStream.cgi?SessionID=77AA", std::nullopt},
      {"configuration fetch", [&] { return GetSysCfg(kConfigSmtp, fetched.data(), 516); },
       "/GetSysCfg.cgi?Option=SMTP&Size=516&SessionID=77AA", std::nullopt},
      {"configuration send", [&] { return SetSysCfg(kConfigSmtp, smtp.data(), 516, 1); },
       "/SetSysCfg.cgi?Option=SMTP&SessionID=77AA", smtp},
      {"device command",
       [&] {
         const net::PreparedRs485 prepared = PrepareRS485Command(&command, 0x42, 1);
         return prepared.request ? net::SendRs485Request(*prepared.request) : 0;
       },
       "/RS485Cmd.cgi?Command=020d420132&SessionID=77AA",
       std::vector<uint8_t>{0x02, 0x0D, 0x42, 0x01, 0x32}},
      {"reboot",
       [&] {
         CCgiUrl url(CgiIndex::kCgiRebootServer);
         url.AddParam("SessionID", "77AA");
         return net::SendCgiRequest(net::MakeCgiExchange(url, 5, {}));
       },
       "/RebootServer.cgi?SessionID=77AA", std::nullopt},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    ASSERT_EQ(c.send(), 1) << c.name;
    ASSERT_TRUE(server->WaitForRequests(i + 1, std::chrono::seconds(20))) << c.name;
    const fakes::RecordedRequest request = server->Requests()[i];
    EXPECT_EQ(request.raw,
              ExpectedHead(c.target, c.body ? std::optional(c.body->size()) : std::nullopt))
        << c.name;
    EXPECT_EQ(request.body, c.body.value_or(std::vector<uint8_t>{})) << c.name;
  }
}

TEST(FrameInfoBlock, CopiedOnlyWhenMarked) {
  std::vector<uint8_t> slot(200);
  std::iota(slot.begin(), slot.end(), uint8_t{0});
  std::array<uint8_t, kFrameInfoBlockBytes> out{};
  slot[20] = 'S' | 0x80;  // only the low 7 bits count
  EXPECT_EQ(GetFrameInfoBlock(slot, out), 1);
  EXPECT_TRUE(std::equal(out.begin(), out.begin() + 72, slot.begin() + 32));
  EXPECT_EQ(out[72], 'S');
  slot[20] = 'T';
  GetFrameInfoBlock(slot, out);
  EXPECT_EQ(out, (std::array<uint8_t, kFrameInfoBlockBytes>{}));
  out.fill(9);
  slot[20] = 'S';
  GetFrameInfoBlock(std::span(slot).first(100), out);  // too short to hold the block
  EXPECT_EQ(out, (std::array<uint8_t, kFrameInfoBlockBytes>{}));
}

}  // namespace
