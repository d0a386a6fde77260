// Sockets of the fakes: an owned descriptor, the loopback listener and datagram socket that the
// fake servers answer on, and the poll and accept steps of their serving threads.
#pragma once

#include <cstdint>
#include <string>

namespace fakes {

// A socket descriptor that closes itself.
class SocketFd {
 public:
  SocketFd() = default;
  explicit SocketFd(int fd) noexcept : m_fd(fd) {}
  ~SocketFd() { Reset(); }
  SocketFd(SocketFd&& other) noexcept : m_fd(other.Release()) {}
  SocketFd& operator=(SocketFd&& other) noexcept {
    if (this != &other) {
      Reset();
      m_fd = other.Release();
    }
    return *this;
  }
  SocketFd(const SocketFd&) = delete;
  SocketFd& operator=(const SocketFd&) = delete;

  int Get() const { return m_fd; }
  explicit operator bool() const { return m_fd >= 0; }
  void Reset();
  int Release() {
    const int fd = m_fd;
    m_fd = -1;
    return fd;
  }

 private:
  int m_fd = -1;
};

// A TCP listener and a UDP socket on 127.0.0.1 with the same ephemeral port number, as the
// device answers its web and stream requests on one number.
struct LoopbackPorts {
  SocketFd listener;
  SocketFd datagram;
  std::uint16_t port = 0;
};
// Tries a few ephemeral numbers (the UDP number may be taken); throws std::runtime_error naming
// `owner` when none binds.
LoopbackPorts BindLoopbackPorts(const std::string& owner, int backlog = 16);

// A TCP listener on 127.0.0.1 with an ephemeral port and the given backlog; null on failure.
SocketFd ListenOnLoopback(int backlog, std::uint16_t& port);

// A UDP socket bound to address:port (port 0: an ephemeral one), allowed to broadcast when asked;
// boundPort is the number it got. Throws std::runtime_error naming `owner` on failure.
SocketFd BindDatagram(const std::string& owner, const std::string& address, std::uint16_t port,
                      bool broadcast, std::uint16_t& boundPort);

// Whether fd has one of `events` (POLLIN, POLLOUT) within timeoutMs.
bool PollFor(int fd, short events, int timeoutMs);

// A connection taken from the listener once one waits within timeoutMs; null otherwise.
SocketFd AcceptWithin(int listener, int timeoutMs);

}  // namespace fakes
