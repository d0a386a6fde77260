// The protocol layer's small scanners (fields, the online-user reply, byte searches, the JPEG
// end) and the test connection to the video server.
#include "net/reply_scanners.h"

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/app_seams.h"
#include "fakes/fake_video_server.h"
#include "net/blocking_socket.h"
#include "net/detect_connection.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct FieldCase {
  std::string text;
  std::string key;
  char terminator;
  int index;
  std::string value;
};

TEST(ExtractFieldTest, CopiesUpToTheTerminator) {
  const FieldCase cases[] = {
      {"SESSION-ID=AB12;PORT=80;", "SESSION-ID", ';', 15, "=AB12"},  // no separator skipped
      {"SESSION-ID=AB12;PORT=80;", "PORT=", ';', 23, "80"},
      {"a=1&b=2", "b", '&', 7, "=2"},     // no terminator behind the key: up to the end
      {"user=Ann", "USER", '=', -1, ""},  // the case of the key counts
      {"", "x", ';', -1, ""},
      {"key;", "key", ';', 3, ""},      // an empty value
      {"k=v;k=w;", "k", ';', 3, "=v"},  // the first occurrence
  };
  for (const FieldCase& c : cases) {
    std::string out = "previous";
    EXPECT_EQ(ExtractField(c.text, out, c.key, c.terminator), c.index) << c.text;
    EXPECT_EQ(out, c.value) << c.text;
  }
}

TEST(ParseOnlineUserNumTest, MakesABinaryReplySearchable) {
  struct Case {
    std::string name;
    std::string in;
    std::string out;
  };
  using namespace std::string_literals;
  const Case cases[] = {
      // Bytes that do not continue the key become "0" until all 15 characters were matched.
      {"ZerosInside", "o\0nline-user-num:\0\x02"s, "o0nline-user-num:\0\x02"s},
      {"NoiseBetween", "x\0on\x01line-user-numXYZ"s, "00on0line-user-numXYZ"s},
      // A text as long as the key with its colon, or one without a zero byte, is left.
      {"LongText", "online-user-num:\0\x01"s, "online-user-num:\0\x01"s},
      {"NoZero", "abc"s, "abc"s},
      // The key never completes: every byte is looked at.
      {"Partial", "\0onl\0"s, "0onl0"s},
  };
  for (const Case& c : cases) {
    std::vector<char> buffer(c.in.begin(), c.in.end());
    ParseOnlineUserNum(buffer);
    EXPECT_EQ(std::string(buffer.begin(), buffer.end()), c.out) << c.name;
  }
  std::vector<char> empty;
  ParseOnlineUserNum(empty);
}

TEST(ByteScannersTest, CountFindAndJpegEnd) {
  EXPECT_EQ(CountBelowFF(Bytes{1, 2, 0xFE, 0xFF, 3}), 3);
  EXPECT_EQ(CountBelowFF(Bytes{0xFF}), 0);
  EXPECT_EQ(CountBelowFF(Bytes{1, 2}), 2);
  EXPECT_EQ(CountBelowFF(Bytes{}), 0);

  struct FindCase {
    Bytes data;
    Bytes pattern;
    int index;
  };
  const FindCase finds[] = {
      {{9, 1, 2, 3, 1, 2}, {1, 2}, 1},
      {{1, 2, 3}, {2, 3}, 0},  // a match that ends the data is not looked at
      {{1, 2, 3, 4}, {2, 3}, 1},
      {{1, 2}, {1, 2, 3}, 0},  // data shorter than the pattern
      {{5, 6, 7}, {8}, 0},
  };
  for (const FindCase& f : finds) {
    EXPECT_EQ(FindBytes(f.data, f.pattern), f.index);
  }

  struct JpegCase {
    Bytes data;
    int index;
  };
  const JpegCase ends[] = {
      {{0xFF, 0xD8, 0x00, 0xFF, 0xD9, 0xFF, 0xFF}, 4},
      {{0xFF, 0xD9, 0xFF, 0xFF}, 1},
      {{0xFF, 0xD9, 0xFF}, 0},  // cut before the sequence is whole
      {{0xFF, 0xD9, 0x00, 0xFF, 0xD9, 0xFF, 0xFF, 0xFF, 0xD9, 0xFF, 0xFF}, 4},
      {{}, 0},
  };
  for (const JpegCase& e : ends) {
    EXPECT_EQ(FindJpegEnd(e.data), e.index);
  }
}

// The test connection reaches a listening server; a refused one writes its trace line.
TEST(DectectSocketConnectionTest, ConnectsOrTracesTheFailure) {
  auto lines = std::make_shared<std::vector<std::string>>();
  auto lock = std::make_shared<std::mutex>();
  app::SetTraceObserver([lines, lock](const std::string& line) {
    const std::lock_guard guard(*lock);
    lines->push_back(line);
  });
  fakes::FakeVideoServer server;
  EXPECT_EQ(DectectSocketConnection("127.0.0.1", server.WebPort()), 1);
  // A port nobody listens on: bound, not listening.
  CBlockingSocket closed;
  closed.Create(CBlockingSocket::kStream);
  closed.Bind(CSockAddr("127.0.0.1", 0));
  CSockAddr bound;
  closed.GetSockName(bound);
  EXPECT_EQ(DectectSocketConnection("127.0.0.1", bound.HostPort()), 0);
  EXPECT_EQ(DectectSocketConnection("", server.WebPort()), 0);  // not tried
  app::SetTraceObserver(nullptr);
  const std::lock_guard guard(*lock);
  EXPECT_EQ(
      *lines,
      (std::vector<std::string>{"DectectSocketConnection : connect to video server is failed\n"}));
}

}  // namespace
