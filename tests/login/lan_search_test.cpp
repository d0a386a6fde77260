// The LAN search and the set-IP and reset exchanges against the fake LAN responder on loopback:
// the request bytes, the ends of a search (silence, its time limit, a stop), the datagrams that
// do not count, the answer port bound before the request and freed after it, and the answers
// of a set-IP or reset request. Time is a manual clock: nothing waits for real seconds.
#include "net/lan_search.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <mutex>
#include <optional>
#include <vector>

#include "fakes/fake_lan_responder.h"
#include "fakes/wait_until.h"
#include "platform/testing/manual_clock.h"

namespace {

using fakes::FakeLanDevice;
using fakes::FakeLanResponder;
using fakes::ScriptedDatagram;
using namespace std::chrono_literals;

constexpr auto kWait = 20s;

FakeLanDevice Device(std::uint8_t last, std::uint16_t port = 80, std::uint8_t kind = 0x01) {
  FakeLanDevice device;
  device.kind = kind;
  device.mac = {0x00, 0x0E, 0x53, 0x00, 0x00, last};
  device.ip = {192, 168, 1, last};
  device.gateway = {192, 168, 1, 1};
  device.dns = {192, 168, 1, 2};
  device.port = port;
  return device;
}

// A search or a command on a thread of its own; the fixture joins it on every path.
class LanExchangeTest : public ::testing::Test {
 protected:
  LanExchangeTest() {
    m_Settings.destinationAddress = "127.0.0.1";
    m_Settings.destinationPort = m_Responder.Port();
    m_Settings.sendPort = 0;
    m_Settings.receivePort = 0;
    m_Settings.clock = &m_Clock;
    m_Settings.onReceiveBound = [this](std::uint16_t port) {
      {
        std::lock_guard lock(m_Lock);
        m_BoundPorts.push_back(port);
      }
      m_Responder.SetAnswerPort(port);
    };
  }
  ~LanExchangeTest() override { m_Thread.StopAndJoin(platform::kInfinite); }

  void StartSearch(std::string ownAddress = "127.0.0.1") {
    ASSERT_TRUE(m_Thread.Start("search", [this, ownAddress](platform::StopToken stop) {
      net::LanSearchEvents events;
      events.sendFailed = [this] {
        std::lock_guard lock(m_Lock);
        ++m_SendFailures;
      };
      events.answer = [this](const net::SearchDatagram& answer) {
        std::lock_guard lock(m_Lock);
        m_Answers.push_back(answer);
      };
      const auto end = net::RunLanSearch(ownAddress, m_Settings, events, stop);
      std::lock_guard lock(m_Lock);
      m_SearchEnd = end;
      return 0u;
    }));
  }
  void StartCommand(const net::SearchDatagram& request, std::string ownAddress = "127.0.0.1") {
    ASSERT_TRUE(m_Thread.Start("command", [this, request, ownAddress](platform::StopToken stop) {
      const auto onSent = [this] {
        std::lock_guard lock(m_Lock);
        m_bSent = true;
      };
      const auto result = net::RunLanCommand(request, ownAddress, m_Settings, onSent, stop);
      std::lock_guard lock(m_Lock);
      m_CommandResult = result;
      return 0u;
    }));
  }
  bool Ended() { return m_Thread.Join(20000); }
  std::size_t AnswerCount() {
    std::lock_guard lock(m_Lock);
    return m_Answers.size();
  }
  bool WaitForAnswers(std::size_t count) {
    return fakes::WaitUntil([&] { return AnswerCount() >= count; });
  }

  FakeLanResponder m_Responder;
  platform::testing::ManualClock m_Clock{1000};
  net::LanSearchSettings m_Settings;
  platform::Thread m_Thread;
  std::mutex m_Lock;
  std::vector<std::uint16_t> m_BoundPorts;
  std::vector<net::SearchDatagram> m_Answers;
  int m_SendFailures = 0;
  std::optional<net::LanSearchEnd> m_SearchEnd;
  bool m_bSent = false;
  std::optional<net::LanCommandResult> m_CommandResult;
};

TEST_F(LanExchangeTest, SearchSendsItsRequestAndEndsAfterASilence) {
  m_Responder.SetReplies(1, {{0ms, FakeLanResponder::SearchAnswer(Device(10, 80))},
                             {0ms, FakeLanResponder::SearchAnswer(Device(11, 8080, 0x32))}});
  StartSearch();
  ASSERT_TRUE(WaitForAnswers(2));
  m_Clock.Advance(3000);
  ASSERT_TRUE(Ended());
  EXPECT_EQ(m_SearchEnd, net::LanSearchEnd::Completed);

  const auto requests = m_Responder.Requests();
  ASSERT_EQ(requests.size(), 1u);
  std::vector<std::uint8_t> expected(76, 0);
  const std::string command = "AV_SEARCH";
  std::copy(command.begin(), command.end(), expected.begin());
  expected[16] = 1;
  expected[56] = 127;
  expected[59] = 1;
  expected[72] = 0x05;  // 3333, little-endian
  expected[73] = 0x0D;
  EXPECT_EQ(requests[0], expected);

  ASSERT_EQ(m_Answers.size(), 2u);
  EXPECT_EQ(m_Answers[0].ip, (net::DottedAddress{192, 168, 1, 10}));
  EXPECT_EQ(m_Answers[1].ip, (net::DottedAddress{192, 168, 1, 11}));
  EXPECT_EQ(m_Answers[1].kindOrResult, 0x32);
  EXPECT_EQ(m_Answers[1].port, 8080);
  EXPECT_EQ(m_SendFailures, 0);
}

TEST_F(LanExchangeTest, SearchWithoutAnswersEndsAfterTheSilence) {
  StartSearch();
  ASSERT_TRUE(m_Responder.WaitForRequests(1, kWait));
  m_Clock.Advance(3000);
  ASSERT_TRUE(Ended());
  EXPECT_EQ(m_SearchEnd, net::LanSearchEnd::Completed);
  EXPECT_TRUE(m_Answers.empty());
}

TEST_F(LanExchangeTest, AFloodOfAnswersStillEndsAtTheTimeLimit) {
  m_Responder.SetFlood(FakeLanResponder::SearchAnswer(Device(20)), 2ms);
  StartSearch();
  // Each second of the clock passes with answers arriving, so the silence never ends it.
  for (int second = 0; second < 7; ++second) {
    const std::size_t before = AnswerCount();
    ASSERT_TRUE(WaitForAnswers(before + 1));
    m_Clock.Advance(1000);
  }
  ASSERT_TRUE(Ended());
  EXPECT_EQ(m_SearchEnd, net::LanSearchEnd::Completed);
  EXPECT_GE(m_Answers.size(), 7u);
}

TEST_F(LanExchangeTest, DatagramsOfAnotherLengthOrCodeDoNotCount) {
  auto shortOne = FakeLanResponder::SearchAnswer(Device(30));
  shortOne.pop_back();
  auto longOne = FakeLanResponder::SearchAnswer(Device(31));
  longOne.push_back(0);
  m_Responder.SetReplies(1, {{0ms, shortOne},
                             {0ms, longOne},
                             {0ms, FakeLanResponder::CommandAnswer(2, 1)},
                             {0ms, FakeLanResponder::SearchAnswer(Device(32))}});
  StartSearch();
  ASSERT_TRUE(WaitForAnswers(1));
  ASSERT_TRUE(m_Responder.WaitForSent(4, kWait));
  m_Clock.Advance(3000);
  ASSERT_TRUE(Ended());
  ASSERT_EQ(m_Answers.size(), 1u);
  EXPECT_EQ(m_Answers[0].ip[3], 32);
}

TEST_F(LanExchangeTest, AFailedBroadcastIsReportedAndTheSearchStillListens) {
  StartSearch("");  // no own address: nothing can be broadcast
  ASSERT_TRUE(fakes::WaitUntil([&] {
    std::lock_guard lock(m_Lock);
    return m_SendFailures > 0;
  }));
  m_Clock.Advance(3000);
  ASSERT_TRUE(Ended());
  EXPECT_EQ(m_SendFailures, 1);
  EXPECT_EQ(m_SearchEnd, net::LanSearchEnd::Completed);
  EXPECT_TRUE(m_Responder.Requests().empty());
}

TEST_F(LanExchangeTest, AStoppedSearchFreesItsPortForTheNextAtOnce) {
  StartSearch();
  ASSERT_TRUE(m_Responder.WaitForRequests(1, kWait));
  EXPECT_TRUE(m_Thread.StopAndJoin(20000));
  EXPECT_EQ(m_SearchEnd, net::LanSearchEnd::Stopped);
  // The next search binds the very port the last one used.
  m_Settings.receivePort = m_BoundPorts.at(0);
  m_Responder.SetReplies(1, {{0ms, FakeLanResponder::SearchAnswer(Device(40))}});
  StartSearch();
  ASSERT_TRUE(WaitForAnswers(1));
  m_Clock.Advance(3000);
  ASSERT_TRUE(Ended());
  EXPECT_EQ(m_SearchEnd, net::LanSearchEnd::Completed);
  ASSERT_EQ(m_BoundPorts.size(), 2u);
  EXPECT_EQ(m_BoundPorts[1], m_BoundPorts[0]);
}

TEST_F(LanExchangeTest, ATakenAnswerPortEndsTheSearchBeforeItSends) {
  const int holder = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  ASSERT_GE(holder, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  socklen_t length = sizeof address;
  ASSERT_EQ(::bind(holder, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::getsockname(holder, reinterpret_cast<sockaddr*>(&address), &length), 0);
  m_Settings.receivePort = ntohs(address.sin_port);
  StartSearch();
  ASSERT_TRUE(Ended());
  EXPECT_EQ(m_SearchEnd, net::LanSearchEnd::BindFailed);
  StartCommand(net::MakeResetRequest({}, "admin", "secret"));
  ASSERT_TRUE(Ended());
  EXPECT_EQ(m_CommandResult->outcome, net::LanCommandOutcome::BindFailed);
  EXPECT_FALSE(m_bSent);
  ::close(holder);
  EXPECT_TRUE(m_Responder.Requests().empty());
}

const net::DeviceNetworkSettings kNetwork{{0x00, 0x0E, 0x53, 0x12, 0xAB, 0xCD},
                                          {10, 1, 2, 3},
                                          {255, 0, 0, 0},
                                          {10, 1, 2, 254},
                                          {10, 1, 2, 253},
                                          8080};

TEST_F(LanExchangeTest, ACommandTakesTheFirstAnswerWithItsOwnCode) {
  const struct {
    const char* name;
    std::uint8_t code;
    std::vector<ScriptedDatagram> replies;
    net::LanCommandOutcome outcome;
    std::uint8_t result;
  } cases[] = {
      {"set ip, result 1",
       2,
       {{0ms, FakeLanResponder::CommandAnswer(2, 1)}},
       net::LanCommandOutcome::Answered,
       1},
      {"set ip, result 0",
       2,
       {{0ms, FakeLanResponder::CommandAnswer(2, 0)}},
       net::LanCommandOutcome::Answered,
       0},
      {"reset, result 2",
       3,
       {{0ms, FakeLanResponder::CommandAnswer(3, 2)}},
       net::LanCommandOutcome::Answered,
       2},
      {"stale search answer, then the answer",
       2,
       {{0ms, FakeLanResponder::SearchAnswer(Device(50))},
        {0ms, FakeLanResponder::CommandAnswer(3, 1)},
        {0ms, FakeLanResponder::CommandAnswer(2, 0)}},
       net::LanCommandOutcome::Answered,
       0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    m_Responder.SetReplies(c.code, c.replies);
    m_CommandResult.reset();
    StartCommand(c.code == 2 ? net::MakeSetIpRequest(kNetwork, "admin", "secret")
                             : net::MakeResetRequest(kNetwork, "admin", "secret"));
    ASSERT_TRUE(Ended());
    ASSERT_TRUE(m_CommandResult);
    EXPECT_EQ(m_CommandResult->outcome, c.outcome);
    EXPECT_EQ(m_CommandResult->result, c.result);
    EXPECT_TRUE(m_bSent);
  }
  const auto requests = m_Responder.Requests();
  ASSERT_EQ(requests.size(), 4u);
  const auto sent = net::DecodeSearchDatagram(requests[0]);
  ASSERT_TRUE(sent);
  EXPECT_EQ(*sent, net::MakeSetIpRequest(kNetwork, "admin", "secret"));
  EXPECT_EQ(std::string(requests[0].begin() + 24, requests[0].begin() + 30),
            std::string("admin") + '\0');
  EXPECT_EQ(std::string(requests[0].begin() + 40, requests[0].begin() + 47),
            std::string("secret") + '\0');
}

TEST_F(LanExchangeTest, ACommandWithoutItsAnswerTimesOut) {
  // Only a late search answer comes: it must not read as the command's result.
  m_Responder.SetReplies(2, {{0ms, FakeLanResponder::SearchAnswer(Device(60))}});
  StartCommand(net::MakeSetIpRequest(kNetwork, "admin", "secret"));
  ASSERT_TRUE(m_Responder.WaitForSent(1, kWait));
  m_Clock.Advance(6999);
  m_Clock.Advance(1);
  ASSERT_TRUE(Ended());
  EXPECT_EQ(m_CommandResult->outcome, net::LanCommandOutcome::TimedOut);
}

TEST_F(LanExchangeTest, ACommandThatCannotBeBroadcastWaitsForNothing) {
  StartCommand(net::MakeResetRequest(kNetwork, "admin", "secret"), "");
  ASSERT_TRUE(Ended());
  EXPECT_EQ(m_CommandResult->outcome, net::LanCommandOutcome::SendFailed);
  EXPECT_FALSE(m_bSent);
}

TEST_F(LanExchangeTest, AStoppedCommandEndsAtOnce) {
  StartCommand(net::MakeSetIpRequest(kNetwork, "admin", "secret"));
  ASSERT_TRUE(m_Responder.WaitForRequests(1, kWait));
  EXPECT_TRUE(m_Thread.StopAndJoin(20000));
  EXPECT_EQ(m_CommandResult->outcome, net::LanCommandOutcome::Stopped);
}

}  // namespace
