// Blocking TCP and UDP sockets with time-outs in whole seconds. Every wait is a poll() on the
// one descriptor; failures of the socket calls throw CBlockingSocketException carrying the
// name of the failed operation, except Receive, which reports -1.
#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <exception>
#include <optional>
#include <span>
#include <string>

#include "platform/thread.h"

// The 16-byte IPv4 socket address.
class CSockAddr {
 public:
  CSockAddr();
  // Dotted text and host-order port. Text that is not a dotted IPv4 address gives address 0
  // and IsValid() false (never the broadcast address that inet_addr would give).
  CSockAddr(const char* dotted, uint16_t port);
  explicit CSockAddr(const sockaddr_in& address);

  uint32_t HostAddress() const;  // address in host byte order
  uint16_t HostPort() const;
  bool IsValid() const { return m_bValid; }
  std::string DottedText() const;  // "%d.%d.%d.%d", most significant byte first

  const sockaddr* Get() const { return reinterpret_cast<const sockaddr*>(&m_Address); }
  sockaddr* Get() { return reinterpret_cast<sockaddr*>(&m_Address); }
  const sockaddr_in& In() const { return m_Address; }

 private:
  sockaddr_in m_Address{};
  bool m_bValid = true;
};

class CBlockingSocketException : public std::exception {
 public:
  explicit CBlockingSocketException(std::string operation) : m_strOperation(std::move(operation)) {}
  const char* what() const noexcept override { return m_strOperation.c_str(); }
  const std::string& Operation() const { return m_strOperation; }
  // Leaves the caller's buffer as it is and returns true.
  bool GetErrorMessage(char* /*buffer*/, unsigned /*max*/) const { return true; }

 private:
  std::string m_strOperation;
};

class CBlockingSocket {
 public:
  static constexpr int kStream = 1;
  static constexpr int kDatagram = 2;

  CBlockingSocket() = default;
  ~CBlockingSocket();  // closes a socket still open, so no descriptor leaks on error paths
  CBlockingSocket(const CBlockingSocket&) = delete;
  CBlockingSocket& operator=(const CBlockingSocket&) = delete;
  CBlockingSocket(CBlockingSocket&& other) noexcept;
  CBlockingSocket& operator=(CBlockingSocket&& other) noexcept;

  void Create(int type = kStream);
  void Bind(const CSockAddr& address);
  void Listen();
  // Accepts into the other object; false when the wait was interrupted by a signal.
  bool Accept(CBlockingSocket& connected, CSockAddr& peer);
  void Close();
  void Cleanup() noexcept;
  // Connects, bounded by nSeconds (a dead host must not block for minutes).
  void Connect(const CSockAddr& address, int nSeconds = 10);
  int Write(const void* buffer, int length, int nSeconds);
  int WriteAll(const void* buffer, int length, int nSeconds);
  int Send(const void* buffer, int length, int nSeconds);
  // One wait for readability, then one recv. -1 when no socket is open, on time-out, on error
  // and when the peer has closed; IsEof() tells the last case apart.
  int Receive(void* buffer, int length, int nSeconds);
  int ReceiveDatagram(void* buffer, int length, CSockAddr& from, int nSeconds);
  int SendDatagram(const void* buffer, int length, const CSockAddr& to, int nSeconds);
  int Sendto(const void* buffer, int length);
  void SetDestination(const CSockAddr& to) { m_Destination = to; }
  void GetPeerName(CSockAddr& address);
  void GetSockName(CSockAddr& address);
  static CSockAddr GetHostByName(const char* name, uint16_t port);
  static std::string GetHostByAddr(const CSockAddr& address);
  int SetSockOpt();  // broadcast on
  // Every later wait of this socket (connect, send, receive) also ends, as a failure, when
  // stop is requested. The socket keeps its own copy of the token (a shared handle on the stop
  // request), so the caller's token need not outlive it.
  void WatchStop(const platform::StopToken& stop) { m_Stop = stop; }

  int Handle() const { return m_hSocket; }
  bool IsOpen() const { return m_hSocket >= 0; }
  bool IsConnected() const { return m_bConnected; }
  bool IsEof() const { return m_bEof; }

 private:
  // Waits up to nSeconds for readiness; false on time-out or error.
  bool WaitFor(short events, int nSeconds) const;

  int m_hSocket = -1;
  CSockAddr m_Destination;
  bool m_bConnected = false;
  bool m_bEof = false;
  std::optional<platform::StopToken> m_Stop;  // none: the waits look at no stop request
};

// The first up, non-loopback IPv4 address of this computer as dotted text; the buffer is left
// unchanged when there is none.
void FormatDottedIp(std::string& buffer);
