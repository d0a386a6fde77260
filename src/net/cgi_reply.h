// Reading the server's reply to a CGI request: the status line, the refusal codes, and the body
// by its Content-Length. Pure over a receive callable, so the reader is tested and fuzzed
// without a socket.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace net {

// Result codes of a CGI exchange.
inline constexpr int kCgiFailed = 0;
inline constexpr int kCgiAccepted = 1;
// Statuses 201..208 are the server's refusals, reported as status - 184 (17..24).
inline constexpr int kFirstRefusalStatus = 201;
inline constexpr int kLastRefusalStatus = 208;
inline constexpr int kRefusalResultOffset = 184;
// The receive buffer of the status read: one TCP segment. Headers must fit in it.
inline constexpr std::size_t kCgiHeadCapacity = 1460;

constexpr int CgiResultForStatus(int status) {
  if (status >= kFirstRefusalStatus && status <= kLastRefusalStatus) {
    return status - kRefusalResultOffset;
  }
  return status >= 100 && status < 300 ? kCgiAccepted : kCgiFailed;
}

// Reads at most `capacity` bytes into `buffer`; > 0 bytes read, -1 when nothing more comes
// (time-out, error or end of stream).
using CgiReceive = std::function<int(uint8_t* buffer, int capacity)>;

struct CgiReply {
  int result = kCgiFailed;
  int status = 0;               // the status read from the status line, 0 when none
  bool statusAccepted = false;  // a status the server uses to accept (pending changes apply)
  std::vector<uint8_t> body;    // exactly Content-Length bytes when result is 1
};

// Reads the head and, when `wantBody`, the body of at most `bodyCapacity` bytes.
// - 12 bytes or fewer, no end of the head, a status line without a number: 0;
// - 201..208: 17..24, nothing more read; other statuses of 300 and above: 0;
// - a Content-Length that is malformed, negative or larger than bodyCapacity: 0;
// - a body that ends before its Content-Length: 0.
CgiReply ReadCgiReply(const CgiReceive& receive, bool wantBody, std::size_t bodyCapacity);

}  // namespace net
