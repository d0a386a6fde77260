#include "vsim_request_log.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace vsim {
namespace {

// The target with every "Password" value replaced by "***".
std::string MaskedTarget(const std::string& target) {
  std::string masked = target;
  const std::string key = "Password=";
  for (std::size_t at = masked.find(key); at != std::string::npos;
       at = masked.find(key, at + key.size())) {
    const std::size_t start = at + key.size();
    const std::size_t end = masked.find('&', start);
    masked.replace(start, (end == std::string::npos ? masked.size() : end) - start, "***");
  }
  return masked;
}

// "05 ff c0 01 01 7f 01 32" from the hex text of an RS485 command.
std::string SpacedFrame(const std::string& hex) {
  std::string spaced;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    if (!spaced.empty())
      spaced += ' ';
    spaced += hex.substr(i, 2);
  }
  return spaced;
}

}  // namespace

std::string RequestLine(const fakes::RecordedRequest& request, const fakes::FakeReply& reply) {
  std::string line =
      "vsim: " + MaskedTarget(request.target) + " -> " + std::to_string(reply.status);
  if (!request.body.empty())
    line += " (" + std::to_string(request.body.size()) + "-byte body)";
  if (request.path == "/RS485Cmd.cgi") {
    if (const auto command = request.Param("Command"))
      line += "\nvsim:   RS485 frame " + SpacedFrame(*command);
  }
  return line;
}

void LogRequests(fakes::FakeVideoServer& web) {
  web.SetRequestObserver([](const fakes::RecordedRequest& request, const fakes::FakeReply& reply) {
    std::printf("%s\n", RequestLine(request, reply).c_str());
    std::fflush(stdout);
  });
}

std::string ReportLine(const std::string& datagram) {
  const std::size_t body = datagram.find("\r\n\r\n");
  if (body == std::string::npos)
    return {};
  std::string line;
  for (std::size_t at = body + 4; at < datagram.size();) {
    const std::size_t end = std::min(datagram.find("\r\n", at), datagram.size());
    if (end > at)
      line += (line.empty() ? "" : ", ") + datagram.substr(at, end - at);
    at = end + 2;
  }
  return line;
}

}  // namespace vsim
