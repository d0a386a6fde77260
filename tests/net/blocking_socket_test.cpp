#include "net/blocking_socket.h"

#include "fakes/loopback.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>

#include <chrono>
#include <functional>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// A listening socket on 127.0.0.1 with an ephemeral port.
struct Listener {
  CBlockingSocket socket;
  CSockAddr address;
  Listener() {
    socket.Create(CBlockingSocket::kStream);
    socket.Bind(CSockAddr("127.0.0.1", 0));
    socket.Listen();
    socket.GetSockName(address);
  }
};

TEST(BlockingSocket, ReceiveOnClosedObjectReturnsMinusOneAtOnce) {
  CBlockingSocket socket;
  char buffer[8];
  const auto start = Clock::now();
  EXPECT_EQ(socket.Receive(buffer, sizeof buffer, 5), -1);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
}

TEST(BlockingSocket, CloseAndCleanupOnNeverOpenedObjectDoNothing) {
  CBlockingSocket socket;
  EXPECT_NO_THROW(socket.Close());
  EXPECT_NO_THROW(socket.Cleanup());
  EXPECT_FALSE(socket.IsOpen());
}

TEST(BlockingSocket, ReceiveOnSilentPeerTimesOutWithMinusOne) {
  Listener listener;
  CBlockingSocket client;
  client.Create();
  client.Connect(listener.address, 5);
  CBlockingSocket accepted;
  CSockAddr peer;
  ASSERT_TRUE(listener.socket.Accept(accepted, peer));
  char buffer[8];
  const auto start = Clock::now();
  EXPECT_EQ(client.Receive(buffer, sizeof buffer, 1), -1);
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(900));
  EXPECT_FALSE(client.IsEof());
}

TEST(BlockingSocket, ReceiveReportsPeerCloseAsMinusOneWithEof) {
  Listener listener;
  CBlockingSocket client;
  client.Create();
  client.Connect(listener.address, 5);
  {
    CBlockingSocket accepted;
    CSockAddr peer;
    ASSERT_TRUE(listener.socket.Accept(accepted, peer));
    accepted.Close();
  }
  char buffer[8];
  EXPECT_EQ(client.Receive(buffer, sizeof buffer, 5), -1);
  EXPECT_TRUE(client.IsEof());
}

TEST(BlockingSocket, WriteSendsEveryByteAcrossPartialSends) {
  Listener listener;
  CBlockingSocket client;
  client.Create();
  const int small = 4096;
  ASSERT_EQ(::setsockopt(client.Handle(), SOL_SOCKET, SO_SNDBUF, &small, sizeof small), 0);
  client.Connect(listener.address, 5);
  CBlockingSocket accepted;
  CSockAddr peer;
  ASSERT_TRUE(listener.socket.Accept(accepted, peer));

  std::vector<uint8_t> data(1 << 20);
  for (std::size_t i = 0; i < data.size(); ++i)
    data[i] = static_cast<uint8_t>(i * 13);
  std::vector<uint8_t> received;
  std::thread reader([&] {
    std::vector<uint8_t> chunk(1000);  // a slow reader: small reads
    while (received.size() < data.size()) {
      const int n = accepted.Receive(chunk.data(), static_cast<int>(chunk.size()), 10);
      if (n <= 0)
        break;
      received.insert(received.end(), chunk.begin(), chunk.begin() + n);
    }
  });
  EXPECT_EQ(client.Write(data.data(), static_cast<int>(data.size()), 10),
            static_cast<int>(data.size()));
  reader.join();
  EXPECT_EQ(received, data);
}

TEST(BlockingSocket, FailuresThrowTheOperationName) {
  struct Case {
    const char* name;
    std::function<void()> action;
    const char* operation;
  };
  Listener listener;
  CSockAddr closedPort = listener.address;
  listener.socket.Close();  // nothing listens there any more
  const std::vector<Case> cases = {
      {"connect refused",
       [&] {
         CBlockingSocket s;
         s.Create();
         s.Connect(closedPort, 2);
       },
       "Connect"},
      {"connect to invalid address",
       [&] {
         CBlockingSocket s;
         s.Create();
         s.Connect(CSockAddr("1..2", 80), 2);
       },
       "Connect"},
      {"bind on used port",
       [&] {
         Listener other;
         CBlockingSocket s;
         s.Create();
         s.Bind(other.address);
       },
       "Bind"},
      {"name lookup fails", [&] { CBlockingSocket::GetHostByName("", 80); }, "GetHostByName"},
      {"send on unconnected socket",
       [&] {
         CBlockingSocket s;
         s.Create();
         char byte = 0;
         s.Send(&byte, 1, 1);
       },
       "Send"},
  };
  for (const Case& c : cases) {
    try {
      c.action();
      ADD_FAILURE() << c.name << ": no exception";
    } catch (const CBlockingSocketException& e) {
      EXPECT_EQ(e.Operation(), c.operation) << c.name;
    }
  }
}

TEST(BlockingSocket, ConnectIsBoundedByItsTimeOut) {
  // A loopback listener that never accepts and has a backlog of 0: once its queue is full, the
  // kernel drops further handshakes and a connect can only end by its own time-out.
  std::uint16_t port = 0;
  fakes::SocketFd listener = fakes::ListenOnLoopback(0, port);
  ASSERT_TRUE(listener);
  const CSockAddr address("127.0.0.1", port);
  std::vector<CBlockingSocket> clients(6);
  bool timedOut = false;
  for (auto& client : clients) {
    client.Create();
    const auto start = Clock::now();
    try {
      client.Connect(address, 1);
    } catch (const CBlockingSocketException& e) {
      EXPECT_EQ(e.Operation(), "Connect");
      EXPECT_LT(Clock::now() - start, std::chrono::seconds(4));
      timedOut = true;
      break;
    }
  }
  listener.Reset();
  if (!timedOut)
    GTEST_SKIP() << "the kernel accepted every handshake";
}

TEST(BlockingSocket, GetHostByNameOfDottedTextKeepsAddressAndPort) {
  const CSockAddr address = CBlockingSocket::GetHostByName("192.168.7.9", 80);
  EXPECT_EQ(address.HostAddress(), 0xC0A80709u);
  EXPECT_EQ(address.In().sin_port, htons(80));
  EXPECT_EQ(address.DottedText(), "192.168.7.9");
}

TEST(BlockingSocket, SockAddrRefusesTextThatIsNoAddress) {
  EXPECT_TRUE(CSockAddr("127.0.0.1", 1).IsValid());
  for (const char* text : {"1..2", "999.1.1.1", "", "abc", "255.255.255.2555"}) {
    EXPECT_FALSE(CSockAddr(text, 1).IsValid()) << text;
  }
}

TEST(BlockingSocket, DatagramsTravelToTheBoundAddress) {
  CBlockingSocket receiver;
  receiver.Create(CBlockingSocket::kDatagram);
  receiver.Bind(CSockAddr("127.0.0.1", 0));
  CSockAddr address;
  receiver.GetSockName(address);
  CBlockingSocket sender;
  sender.Create(CBlockingSocket::kDatagram);
  EXPECT_EQ(sender.SendDatagram("hello", 5, address, 1), 5);
  sender.SetDestination(address);
  EXPECT_EQ(sender.Sendto("world", 5), 5);
  char buffer[16];
  CSockAddr from;
  ASSERT_EQ(receiver.ReceiveDatagram(buffer, sizeof buffer, from, 5), 5);
  EXPECT_EQ(std::string(buffer, 5), "hello");
  ASSERT_EQ(receiver.ReceiveDatagram(buffer, sizeof buffer, from, 5), 5);
  EXPECT_EQ(std::string(buffer, 5), "world");
  EXPECT_EQ(from.DottedText(), "127.0.0.1");
}

TEST(BlockingSocket, FormatDottedIpGivesDottedTextOrLeavesBuffer) {
  std::string text = "unchanged";
  FormatDottedIp(text);
  if (text != "unchanged") {
    EXPECT_TRUE(CSockAddr(text.c_str(), 0).IsValid()) << text;
  }
}

}  // namespace
