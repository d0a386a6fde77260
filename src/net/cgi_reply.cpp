#include "net/cgi_reply.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <string_view>

namespace net {
namespace {

constexpr std::string_view kHeadEnd = "\r\n\r\n";

std::optional<std::size_t> FindHeadEnd(std::span<const uint8_t> bytes) {
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  const std::size_t at = text.find(kHeadEnd);
  if (at == std::string_view::npos)
    return std::nullopt;
  return at + kHeadEnd.size();
}

// The decimal status between the first and the second blank of the status line.
std::optional<int> ParseStatus(std::string_view head) {
  const std::size_t lineEnd = std::min(head.find("\r\n"), head.size());
  const std::string_view line = head.substr(0, lineEnd);
  const std::size_t first = line.find(' ');
  if (first == std::string_view::npos)
    return std::nullopt;
  const std::size_t second = line.find(' ', first + 1);
  if (second == std::string_view::npos)
    return std::nullopt;
  const std::string_view code = line.substr(first + 1, second - first - 1);
  if (code.empty() || code.size() > 3)
    return std::nullopt;
  int status = 0;
  for (const char c : code) {
    if (!std::isdigit(static_cast<unsigned char>(c)))
      return std::nullopt;
    status = status * 10 + (c - '0');
  }
  return status;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) ==
                  std::toupper(static_cast<unsigned char>(y));
         });
}

enum class LengthParse { kAbsent, kMalformed, kValue };

// Finds "Content-Length" in any case; the value may follow the colon with or without blanks
// and must end the line.
LengthParse ParseContentLength(std::string_view head, uint64_t& value) {
  constexpr std::string_view kKey = "CONTENT-LENGTH";
  for (std::size_t at = 0; at + kKey.size() <= head.size(); ++at) {
    if (!EqualsIgnoreCase(head.substr(at, kKey.size()), kKey))
      continue;
    std::size_t p = at + kKey.size();
    while (p < head.size() && (head[p] == ' ' || head[p] == '\t'))
      ++p;
    if (p >= head.size() || head[p] != ':')
      return LengthParse::kMalformed;
    ++p;
    while (p < head.size() && (head[p] == ' ' || head[p] == '\t'))
      ++p;
    const std::size_t digits = p;
    value = 0;
    while (p < head.size() && std::isdigit(static_cast<unsigned char>(head[p]))) {
      if (value > 1'000'000'000)
        return LengthParse::kMalformed;  // absurd for this server
      value = value * 10 + static_cast<uint64_t>(head[p] - '0');
      ++p;
    }
    if (p == digits)
      return LengthParse::kMalformed;  // no digits, or a sign
    while (p < head.size() && (head[p] == ' ' || head[p] == '\t'))
      ++p;
    if (head.substr(p, 2) != "\r\n")
      return LengthParse::kMalformed;
    return LengthParse::kValue;
  }
  return LengthParse::kAbsent;
}

}  // namespace

CgiReply ReadCgiReply(const CgiReceive& receive, bool wantBody, std::size_t bodyCapacity) {
  CgiReply reply;
  std::vector<uint8_t> head(kCgiHeadCapacity);
  std::size_t held = 0;
  std::optional<std::size_t> headEnd;
  // Read until the end of the head is in, the head buffer is full, or nothing more comes.
  while (held < head.size()) {
    const int n = receive(head.data() + held, static_cast<int>(head.size() - held));
    if (n <= 0)
      break;
    held += static_cast<std::size_t>(std::min<int>(n, static_cast<int>(head.size() - held)));
    headEnd = FindHeadEnd(std::span(head.data(), held));
    if (headEnd)
      break;
  }
  if (held <= 12)
    return reply;
  const std::string_view text(reinterpret_cast<const char*>(head.data()), held);
  const std::optional<int> status = ParseStatus(text);
  if (!status)
    return reply;
  reply.status = *status;
  reply.result = CgiResultForStatus(*status);
  if (reply.result != kCgiAccepted)
    return reply;  // refusal or failure status: read no more
  reply.result = kCgiFailed;
  if (!headEnd)
    return reply;  // the head never ended: nothing can be trusted
  reply.statusAccepted = true;

  uint64_t contentLength = 0;
  switch (ParseContentLength(text.substr(0, *headEnd), contentLength)) {
    case LengthParse::kMalformed:
      return reply;
    case LengthParse::kAbsent:
      contentLength = 0;
      break;
    case LengthParse::kValue:
      break;
  }
  if (!wantBody || contentLength == 0) {
    reply.result = kCgiAccepted;
    return reply;
  }
  if (contentLength > bodyCapacity)
    return reply;

  const auto length = static_cast<std::size_t>(contentLength);
  reply.body.assign(head.begin() + static_cast<std::ptrdiff_t>(*headEnd),
                    head.begin() + static_cast<std::ptrdiff_t>(held));
  if (reply.body.size() > length)
    reply.body.resize(length);  // bytes beyond it are dropped
  std::size_t have = reply.body.size();
  reply.body.resize(length);
  while (have < length) {
    const int n = receive(reply.body.data() + have, static_cast<int>(length - have));
    if (n <= 0)
      break;
    have += std::min(static_cast<std::size_t>(n), length - have);
  }
  if (have < length) {
    reply.body.resize(have);
    return reply;
  }
  reply.result = kCgiAccepted;
  return reply;
}

}  // namespace net
