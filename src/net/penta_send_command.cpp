#include "net/penta_send_command.h"

#include <arpa/inet.h>

#include <chrono>
#include <cstdio>
#include <cstring>

#include "app/trace.h"
#include "net/blocking_socket.h"
#include "net/cgi_reply.h"
#include "net/net_environment.h"

namespace net {
namespace {

constexpr std::string_view kHeaderTail =
    "Accept-Encoding: gzip, deflate\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT "
    "5.1; SV1; .NET CLR 1.1.4322)\r\n";

// The connected socket, or nullopt with the failure traced by the caller.
std::optional<CBlockingSocket> Connect(INetEnvironment& environment, uint16_t sendTimeout,
                                       const platform::StopToken& stop) {
  CBlockingSocket socket;
  socket.Create(CBlockingSocket::kStream);
  socket.WatchStop(stop);
  const std::string name = environment.ServerName();
  if (name.empty())
    return std::nullopt;
  const uint16_t port = environment.WebPort();
  CSockAddr address;
  if (IsDottedAddress(name) == 2) {
    address = CSockAddr(name.c_str(), port);
    if (!address.IsValid())
      return std::nullopt;  // "1..2" is no address
    environment.SetServerAddress(name);
  } else {
    address = CBlockingSocket::GetHostByName(name.c_str(), port);
    environment.SetServerAddress(address.DottedText());
  }
  socket.Connect(address, sendTimeout);
  return socket;
}

}  // namespace

std::string BuildCgiRequest(std::string_view url, std::optional<std::span<const uint8_t>> body,
                            std::string_view hostAddress) {
  std::string request;
  request.reserve(320 + url.size() + hostAddress.size() + (body ? body->size() : 0));
  request += "GET ";
  request += url;
  request += " HTTP/1.1\r\nAccept: */* \r\nAccept-Language: zh-tw\r\n";
  if (body) {
    request += "Content-Length: ";
    request += std::to_string(body->size());
    request += "\r\n";
  }
  request += kHeaderTail;
  request += "Host: ";
  request += hostAddress;
  request += "\r\nConnection: Keep-Alive\r\n\r\n";
  if (body)
    request.append(reinterpret_cast<const char*>(body->data()), body->size());
  return request;
}

bool IsSendableCgiUrl(std::string_view url) {
  if (url.empty() || url.front() != '/')
    return false;
  for (const char c : url) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F || c == ' ' || c == '#')
      return false;
  }
  return true;
}

int SendCgiRequest(const CgiExchange& exchange, INetEnvironment& environment) {
  if (exchange.replyLength != nullptr)
    *exchange.replyLength = 0;
  if (!IsSendableCgiUrl(exchange.url))
    return kCgiFailed;
  if (exchange.stop.StopRequested())
    return kCgiFailed;
  try {
    std::optional<CBlockingSocket> socket =
        Connect(environment, exchange.sendTimeout, exchange.stop);
    if (!socket)
      return kCgiFailed;
    const std::string request =
        BuildCgiRequest(exchange.url, exchange.body, environment.LocalAddress());
    socket->Write(request.data(), static_cast<int>(request.size()), exchange.sendTimeout);
    if (exchange.cgiIndex == CgiIndex::kCgiRebootServer)
      return kCgiAccepted;

    // Every read waits at most the receive time-out, and the whole reply at most twice that,
    // so a server that trickles bytes cannot hold the caller.
    const auto perRead = std::chrono::seconds(std::max<int>(exchange.receiveTimeout, 1));
    const auto deadline = std::chrono::steady_clock::now() + 2 * perRead;
    CgiReceive receive = [&](uint8_t* buffer, int capacity) {
      const auto left = deadline - std::chrono::steady_clock::now();
      if (left <= std::chrono::steady_clock::duration::zero())
        return -1;
      const int seconds = static_cast<int>(
          std::min<int64_t>(exchange.receiveTimeout > 0 ? exchange.receiveTimeout : 1,
                            std::chrono::ceil<std::chrono::seconds>(left).count()));
      return socket->Receive(buffer, capacity, seconds);
    };
    const CgiReply reply = ReadCgiReply(receive, !exchange.reply.empty(), exchange.reply.size());
    if (reply.statusAccepted)
      ApplyPendingChanges(environment);
    if (reply.result == kCgiAccepted && !reply.body.empty()) {
      std::memcpy(exchange.reply.data(), reply.body.data(), reply.body.size());
      if (exchange.replyLength != nullptr) {
        *exchange.replyLength = static_cast<uint32_t>(reply.body.size());
      }
    }
    return reply.result;
  } catch (const CBlockingSocketException&) {
    return kCgiFailed;
  }
}

int SendCgiRequest(const CgiExchange& exchange) {
  return SendCgiRequest(exchange, Environment());
}

CgiExchange MakeCgiExchange(const CCgiUrl& url, uint16_t timeoutSeconds,
                            const platform::StopToken& stop) {
  CgiExchange exchange;
  exchange.cgiIndex = url.Index();
  exchange.url = url.Text();
  exchange.sendTimeout = timeoutSeconds;
  exchange.receiveTimeout = timeoutSeconds;
  exchange.stop = stop;
  return exchange;
}

}  // namespace net

int IsDottedAddress(std::string_view text) {
  for (const char c : text) {
    if (!(c == '.' || (c >= '0' && c <= '9')))
      return 1;
  }
  return 2;
}
