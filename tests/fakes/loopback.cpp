#include "fakes/loopback.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace fakes {
namespace {

constexpr int kBindTries = 20;

sockaddr_in LoopbackAddress(std::uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  return address;
}

bool Bind(int fd, sockaddr_in& address) {
  socklen_t length = sizeof address;
  return ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
         ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0;
}

}  // namespace

void SocketFd::Reset() {
  if (m_fd >= 0)
    ::close(m_fd);
  m_fd = -1;
}

LoopbackPorts BindLoopbackPorts(const std::string& owner, int backlog) {
  for (int attempt = 0; attempt < kBindTries; ++attempt) {
    SocketFd tcp(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    SocketFd udp(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    if (!tcp || !udp)
      break;
    // TCP takes an ephemeral number, then UDP the same one.
    sockaddr_in address = LoopbackAddress(0);
    if (Bind(tcp.Get(), address) && Bind(udp.Get(), address) && ::listen(tcp.Get(), backlog) == 0) {
      return LoopbackPorts{std::move(tcp), std::move(udp), ntohs(address.sin_port)};
    }
  }
  throw std::runtime_error(owner + ": no loopback port");
}

SocketFd ListenOnLoopback(int backlog, std::uint16_t& port) {
  SocketFd tcp(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_in address = LoopbackAddress(0);
  if (!tcp || !Bind(tcp.Get(), address) || ::listen(tcp.Get(), backlog) != 0)
    return SocketFd{};
  port = ntohs(address.sin_port);
  return tcp;
}

SocketFd BindDatagram(const std::string& owner, const std::string& address, std::uint16_t port,
                      bool broadcast, std::uint16_t& boundPort) {
  SocketFd udp(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
  if (!udp)
    throw std::runtime_error(owner + ": no socket");
  if (broadcast) {
    const int on = 1;
    ::setsockopt(udp.Get(), SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
  }
  sockaddr_in local = LoopbackAddress(port);
  if (::inet_pton(AF_INET, address.c_str(), &local.sin_addr) != 1 || !Bind(udp.Get(), local))
    throw std::runtime_error(owner + ": cannot bind " + address + ":" + std::to_string(port));
  boundPort = ntohs(local.sin_port);
  return udp;
}

bool PollFor(int fd, short events, int timeoutMs) {
  pollfd entry{fd, events, 0};
  return ::poll(&entry, 1, timeoutMs) > 0;
}

SocketFd AcceptWithin(int listener, int timeoutMs) {
  if (!PollFor(listener, POLLIN, timeoutMs))
    return SocketFd{};
  return SocketFd(::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC));
}

}  // namespace fakes
