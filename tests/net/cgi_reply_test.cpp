// The reply reader alone, fed from memory in chosen segment sizes.
#include "net/cgi_reply.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

// Serves `bytes` in segments of at most `segment` bytes, then -1.
net::CgiReceive Serve(const std::string& bytes, std::size_t segment) {
  auto at = std::make_shared<std::size_t>(0);
  return [bytes, segment, at](uint8_t* buffer, int capacity) {
    if (*at >= bytes.size())
      return -1;
    const std::size_t n =
        std::min({segment, bytes.size() - *at, static_cast<std::size_t>(capacity)});
    std::copy_n(bytes.data() + *at, n, buffer);
    *at += n;
    return static_cast<int>(n);
  };
}

struct Case {
  const char* name;
  std::string bytes;
  int result;
  std::string body;
};

TEST(CgiReply, ReaderTable) {
  const std::string ok = "HTTP/1.1 200 OK\r\n";
  const Case cases[] = {
      {"plain body", ok + "Content-Length: 5\r\n\r\nhello", 1, "hello"},
      {"no blank after colon", ok + "Content-Length:5\r\n\r\nhello", 1, "hello"},
      {"blanks around value", ok + "Content-Length:  5 \r\n\r\nhello", 1, "hello"},
      {"extra bytes dropped", ok + "Content-Length: 2\r\n\r\nhello", 1, "he"},
      {"no content length", ok + "X: y\r\n\r\nhello", 1, ""},
      {"zero content length", ok + "Content-Length: 0\r\n\r\n", 1, ""},
      {"short body", ok + "Content-Length: 9\r\n\r\nhello", 0, ""},
      {"negative", ok + "Content-Length: -1\r\n\r\nhello", 0, ""},
      {"plus sign", ok + "Content-Length: +5\r\n\r\nhello", 0, ""},
      {"trailing garbage", ok + "Content-Length: 5x\r\n\r\nhello", 0, ""},
      {"overflowing digits", ok + "Content-Length: 99999999999999999999999\r\n\r\nx", 0, ""},
      {"over capacity", ok + "Content-Length: 101\r\n\r\n" + std::string(101, 'a'), 0, ""},
      {"at capacity", ok + "Content-Length: 100\r\n\r\n" + std::string(100, 'a'), 1,
       std::string(100, 'a')},
      {"no head end", ok + "Content-Length: 5\r\nhello", 0, ""},
      {"refusal without head end", "HTTP/1.1 205 X\r\n", 21, ""},
      {"twelve bytes", "HTTP/1.1 200", 0, ""},
      {"empty", "", 0, ""},
      {"status of four digits", "HTTP/1.1 2000 OK\r\n\r\n", 0, ""},
      {"status 500", "HTTP/1.1 500 Error\r\nContent-Length: 1\r\n\r\nx", 0, ""},
      {"binary garbage", std::string(3000, '\0'), 0, ""},
      {"head over one segment", ok + std::string(1500, 'h') + "\r\n\r\n", 0, ""},
  };
  for (const Case& c : cases) {
    for (const std::size_t segment : {std::size_t{1}, std::size_t{7}, std::size_t{4096}}) {
      const net::CgiReply reply = net::ReadCgiReply(Serve(c.bytes, segment), true, 100);
      EXPECT_EQ(reply.result, c.result) << c.name << " in segments of " << segment;
      if (reply.result == 1) {
        EXPECT_EQ(std::string(reply.body.begin(), reply.body.end()), c.body) << c.name;
      }
    }
  }
}

TEST(CgiReply, WithoutReplyBufferTheBodyIsNotRead) {
  int reads = 0;
  const std::string bytes = "HTTP/1.1 200 OK\r\nContent-Length: 500\r\n\r\n";
  auto inner = Serve(bytes, 4096);
  const net::CgiReply reply = net::ReadCgiReply(
      [&](uint8_t* b, int n) {
        ++reads;
        return inner(b, n);
      },
      false, 0);
  EXPECT_EQ(reply.result, 1);
  EXPECT_EQ(reads, 1);
}

TEST(CgiReply, StatusMapping) {
  for (int status = 201; status <= 208; ++status) {
    EXPECT_EQ(net::CgiResultForStatus(status), status - 184);
  }
  EXPECT_EQ(net::CgiResultForStatus(200), 1);
  EXPECT_EQ(net::CgiResultForStatus(404), 0);
  EXPECT_EQ(net::CgiResultForStatus(0), 0);
}

}  // namespace
