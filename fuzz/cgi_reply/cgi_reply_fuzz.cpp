// CGI replies from the network, delivered in segments of sizes chosen by the input.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "net/cgi_reply.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2)
    return 0;
  const std::size_t segment = data[0] % 64 + 1;
  const bool wantBody = (data[1] & 1) != 0;
  const std::size_t capacity = (data[1] >> 1) * 16;
  std::size_t at = 2;
  const net::CgiReply reply = net::ReadCgiReply(
      [&](uint8_t* buffer, int room) {
        if (at >= size || room <= 0)
          return -1;
        const std::size_t n = std::min({segment, size - at, static_cast<std::size_t>(room)});
        std::copy_n(data + at, n, buffer);
        at += n;
        return static_cast<int>(n);
      },
      wantBody, capacity);
  if (reply.result == net::kCgiAccepted && reply.body.size() > capacity)
    __builtin_trap();
  return 0;
}
