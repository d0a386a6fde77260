#include "net/blocking_socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

[[noreturn]] void Throw(const char* operation) {
  throw CBlockingSocketException(operation);
}

// Longest poll of a socket that watches a stop request.
constexpr int64_t kStopSliceMs = 10;

int ToMilliseconds(int nSeconds) {
  return nSeconds <= 0 ? 0 : nSeconds * 1000;
}

}  // namespace

CSockAddr::CSockAddr() {
  m_Address.sin_family = AF_INET;
}

CSockAddr::CSockAddr(const char* dotted, uint16_t port) {
  m_Address.sin_family = AF_INET;
  m_Address.sin_port = htons(port);
  in_addr parsed{};
  if (dotted != nullptr && inet_pton(AF_INET, dotted, &parsed) == 1) {
    m_Address.sin_addr = parsed;
  } else {
    m_bValid = false;
  }
}

CSockAddr::CSockAddr(const sockaddr_in& address) : m_Address(address) {}

uint32_t CSockAddr::HostAddress() const {
  return ntohl(m_Address.sin_addr.s_addr);
}

uint16_t CSockAddr::HostPort() const {
  return ntohs(m_Address.sin_port);
}

std::string CSockAddr::DottedText() const {
  const uint32_t a = HostAddress();
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", (a >> 24) & 0xFF, (a >> 16) & 0xFF,
                (a >> 8) & 0xFF, a & 0xFF);
  return text;
}

CBlockingSocket::~CBlockingSocket() {
  Cleanup();
}

CBlockingSocket::CBlockingSocket(CBlockingSocket&& other) noexcept
    : m_hSocket(other.m_hSocket),
      m_Destination(other.m_Destination),
      m_bConnected(other.m_bConnected),
      m_bEof(other.m_bEof),
      m_Stop(other.m_Stop) {
  other.m_hSocket = -1;
  other.m_bConnected = false;
}

CBlockingSocket& CBlockingSocket::operator=(CBlockingSocket&& other) noexcept {
  if (this != &other) {
    Cleanup();
    m_hSocket = other.m_hSocket;
    m_Destination = other.m_Destination;
    m_bConnected = other.m_bConnected;
    m_bEof = other.m_bEof;
    m_Stop = other.m_Stop;
    other.m_hSocket = -1;
    other.m_bConnected = false;
  }
  return *this;
}

void CBlockingSocket::Create(int type) {
  Cleanup();
  const int kind = type == kDatagram ? SOCK_DGRAM : SOCK_STREAM;
  m_hSocket = ::socket(AF_INET, kind | SOCK_CLOEXEC, 0);
  if (m_hSocket < 0) {
    m_hSocket = -1;
    Throw("Create");
  }
  m_bEof = false;
}

void CBlockingSocket::Bind(const CSockAddr& address) {
  if (::bind(m_hSocket, address.Get(), sizeof(sockaddr_in)) != 0)
    Throw("Bind");
}

void CBlockingSocket::Listen() {
  if (::listen(m_hSocket, 5) != 0)
    Throw("Listen");
}

bool CBlockingSocket::Accept(CBlockingSocket& connected, CSockAddr& peer) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  const int handle =
      ::accept4(m_hSocket, reinterpret_cast<sockaddr*>(&address), &length, SOCK_CLOEXEC);
  if (handle < 0) {
    if (errno == EINTR)
      return false;
    Throw("Accept");
  }
  connected.Cleanup();
  connected.m_hSocket = handle;
  connected.m_bEof = false;
  peer = CSockAddr(address);
  return true;
}

void CBlockingSocket::Close() {
  if (m_hSocket < 0)
    return;
  const int handle = m_hSocket;
  // A descriptor is released even when close reports an error, so the fields are cleared
  // first and close is never retried.
  m_hSocket = -1;
  m_bConnected = false;
  if (::close(handle) != 0 && errno != EINTR)
    Throw("Close");
}

void CBlockingSocket::Cleanup() noexcept {
  if (m_hSocket < 0)
    return;
  ::close(m_hSocket);
  m_hSocket = -1;
  m_bConnected = false;
}

void CBlockingSocket::Connect(const CSockAddr& address, int nSeconds) {
  if (m_hSocket < 0 || !address.IsValid())
    Throw("Connect");
  const int flags = ::fcntl(m_hSocket, F_GETFL, 0);
  if (flags < 0 || ::fcntl(m_hSocket, F_SETFL, flags | O_NONBLOCK) != 0)
    Throw("Connect");
  int rc = ::connect(m_hSocket, address.Get(), sizeof(sockaddr_in));
  if (rc != 0 && errno == EINPROGRESS) {
    if (!WaitFor(POLLOUT, nSeconds))
      Throw("Connect");
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(m_hSocket, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
      Throw("Connect");
    }
    rc = 0;
  }
  if (rc != 0)
    Throw("Connect");
  if (::fcntl(m_hSocket, F_SETFL, flags) != 0)
    Throw("Connect");
  m_bConnected = true;
}

bool CBlockingSocket::WaitFor(short events, int nSeconds) const {
  if (m_hSocket < 0)
    return false;
  pollfd entry{m_hSocket, events, 0};
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(ToMilliseconds(nSeconds));
  for (;;) {
    if (m_Stop && m_Stop->StopRequested())
      return false;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    int64_t waitMs = std::max<int64_t>(0, left.count());
    // A watched stop request is looked at between short slices of the wait.
    const bool sliced = m_Stop && waitMs > kStopSliceMs;
    if (sliced)
      waitMs = kStopSliceMs;
    const int rc = ::poll(&entry, 1, static_cast<int>(waitMs));
    if (rc > 0)
      return true;
    if (rc == 0 && !sliced)
      return false;
    if (rc < 0 && errno != EINTR)
      return false;
  }
}

int CBlockingSocket::Write(const void* buffer, int length, int nSeconds) {
  const auto* bytes = static_cast<const uint8_t*>(buffer);
  int sent = 0;
  while (sent < length) {
    if (!WaitFor(POLLOUT, nSeconds))
      Throw("Send timeout");
    const ssize_t n =
        ::send(m_hSocket, bytes + sent, static_cast<size_t>(length - sent), MSG_NOSIGNAL);
    if (n < 0) {
      if (errno == EINTR || errno == EAGAIN)
        continue;
      Throw("Send");
    }
    sent += static_cast<int>(n);
  }
  return sent;
}

int CBlockingSocket::WriteAll(const void* buffer, int length, int nSeconds) {
  const auto* bytes = static_cast<const uint8_t*>(buffer);
  int sent = 0;
  while (sent < length)
    sent += Send(bytes + sent, length - sent, nSeconds);
  return sent;
}

int CBlockingSocket::Send(const void* buffer, int length, int nSeconds) {
  if (!WaitFor(POLLOUT, nSeconds))
    Throw("Send timeout");
  const ssize_t n = ::send(m_hSocket, buffer, static_cast<size_t>(length), MSG_NOSIGNAL);
  if (n < 0)
    Throw("Send");
  return static_cast<int>(n);
}

int CBlockingSocket::Receive(void* buffer, int length, int nSeconds) {
  if (m_hSocket < 0 || length <= 0)
    return -1;
  if (!WaitFor(POLLIN, nSeconds))
    return -1;
  ssize_t n;
  do {
    n = ::recv(m_hSocket, buffer, static_cast<size_t>(length), 0);
  } while (n < 0 && errno == EINTR);
  if (n == 0)
    m_bEof = true;
  return n > 0 ? static_cast<int>(n) : -1;
}

int CBlockingSocket::ReceiveDatagram(void* buffer, int length, CSockAddr& from, int nSeconds) {
  // Waits for its seconds first, so a silent peer cannot block the caller for ever.
  if (!WaitFor(POLLIN, nSeconds))
    Throw("ReceiveDatagram");
  sockaddr_in address{};
  socklen_t size = sizeof address;
  const ssize_t n = ::recvfrom(m_hSocket, buffer, static_cast<size_t>(std::max(length, 0)), 0,
                               reinterpret_cast<sockaddr*>(&address), &size);
  if (n < 0)
    Throw("ReceiveDatagram");
  from = CSockAddr(address);
  return static_cast<int>(n);
}

int CBlockingSocket::SendDatagram(const void* buffer, int length, const CSockAddr& to,
                                  int nSeconds) {
  if (!WaitFor(POLLOUT, nSeconds))
    Throw("Send timeout");
  if (!to.IsValid())
    Throw("SendDatagram");
  const ssize_t n = ::sendto(m_hSocket, buffer, static_cast<size_t>(length), MSG_NOSIGNAL, to.Get(),
                             sizeof(sockaddr_in));
  if (n < 0)
    Throw("SendDatagram");
  return static_cast<int>(n);
}

int CBlockingSocket::Sendto(const void* buffer, int length) {
  if (!m_Destination.IsValid())
    Throw("Sendto");
  const ssize_t n = ::sendto(m_hSocket, buffer, static_cast<size_t>(length), MSG_NOSIGNAL,
                             m_Destination.Get(), sizeof(sockaddr_in));
  if (n < 0)
    Throw("Sendto");
  return static_cast<int>(n);
}

void CBlockingSocket::GetPeerName(CSockAddr& address) {
  sockaddr_in in{};
  socklen_t size = sizeof in;
  if (::getpeername(m_hSocket, reinterpret_cast<sockaddr*>(&in), &size) != 0) {
    Throw("GetPeerName");
  }
  address = CSockAddr(in);
}

void CBlockingSocket::GetSockName(CSockAddr& address) {
  sockaddr_in in{};
  socklen_t size = sizeof in;
  if (::getsockname(m_hSocket, reinterpret_cast<sockaddr*>(&in), &size) != 0) {
    Throw("GetSockName");
  }
  address = CSockAddr(in);
}

CSockAddr CBlockingSocket::GetHostByName(const char* name, uint16_t port) {
  if (name == nullptr || *name == '\0')
    Throw("GetHostByName");
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(name, nullptr, &hints, &found) != 0 || found == nullptr) {
    Throw("GetHostByName");
  }
  sockaddr_in address{};
  std::memcpy(&address, found->ai_addr, sizeof address);
  ::freeaddrinfo(found);
  address.sin_port = htons(port);
  return CSockAddr(address);
}

std::string CBlockingSocket::GetHostByAddr(const CSockAddr& address) {
  char host[NI_MAXHOST];
  if (::getnameinfo(address.Get(), sizeof(sockaddr_in), host, sizeof host, nullptr, 0,
                    NI_NAMEREQD) != 0) {
    Throw("GetHostByAddr");
  }
  return host;
}

int CBlockingSocket::SetSockOpt() {
  const int on = 1;
  if (::setsockopt(m_hSocket, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0) {
    Throw("SetSockOpt");
  }
  return 0;
}

void FormatDottedIp(std::string& buffer) {
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0)
    return;
  for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
    if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET)
      continue;
    if ((entry->ifa_flags & IFF_UP) == 0 || (entry->ifa_flags & IFF_LOOPBACK) != 0)
      continue;
    sockaddr_in address{};
    std::memcpy(&address, entry->ifa_addr, sizeof address);
    buffer = CSockAddr(address).DottedText();
    break;
  }
  ::freeifaddrs(list);
}
