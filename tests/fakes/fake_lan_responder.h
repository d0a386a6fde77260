// A LAN search responder on UDP for tests and the simulator: it records every request datagram
// byte-exact and answers each request by a script chosen by the request's command code (byte
// 16): answers in order after their delays, a flood of answers, or nothing. The 76-byte answers
// are laid out here on their own, independently of the client's code. Every loop is bounded by
// the responder's stop.
#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "fakes/loopback.h"

namespace fakes {

// A server as its search answer describes it.
struct FakeLanDevice {
  std::uint8_t kind = 0x01;
  std::array<std::uint8_t, 6> mac{};
  std::array<std::uint8_t, 4> ip{};
  std::array<std::uint8_t, 4> netMask{255, 255, 255, 0};
  std::array<std::uint8_t, 4> gateway{};
  std::array<std::uint8_t, 4> dns{};
  std::uint16_t port = 80;
};

struct ScriptedDatagram {
  std::chrono::milliseconds delay{0};  // after the request, or after the previous datagram
  std::vector<std::uint8_t> bytes;
};

class FakeLanResponder {
 public:
  // Listens on address:port (127.0.0.1 and a free port by default). Throws when it cannot bind.
  explicit FakeLanResponder(const std::string& address = "127.0.0.1", std::uint16_t port = 0);
  ~FakeLanResponder();
  FakeLanResponder(const FakeLanResponder&) = delete;
  FakeLanResponder& operator=(const FakeLanResponder&) = delete;

  std::uint16_t Port() const { return m_wPort; }
  void Stop();

  // Answers go to 127.0.0.1:port (tests learn the client's answer port when it binds it).
  void SetAnswerPort(std::uint16_t port);
  // Answers go to the requester's address on this port (the simulator, for real clients).
  void AnswerRequesterOnPort(std::uint16_t port);

  // What follows each request with this command code. A code without a script gets nothing.
  void SetReplies(std::uint8_t code, std::vector<ScriptedDatagram> replies);
  // After each search request (code 1), this datagram every interval until the next request
  // or the stop.
  void SetFlood(std::vector<std::uint8_t> bytes, std::chrono::milliseconds interval);
  // Called on the responder's thread with every request, before it is answered.
  void SetRequestObserver(std::function<void(const std::vector<std::uint8_t>&)> observer);

  std::vector<std::vector<std::uint8_t>> Requests() const;
  bool WaitForRequests(std::size_t count, std::chrono::milliseconds timeout) const;
  std::size_t SentCount() const;
  bool WaitForSent(std::size_t count, std::chrono::milliseconds timeout) const;

  // A search answer of the device, and a set-IP or reset answer with its result byte.
  static std::vector<std::uint8_t> SearchAnswer(const FakeLanDevice& device);
  static std::vector<std::uint8_t> CommandAnswer(std::uint8_t code, std::uint8_t result);

 private:
  using Clock = std::chrono::steady_clock;
  struct Pending {
    Clock::time_point due;
    std::vector<std::uint8_t> bytes;
  };

  void Serve();
  void OnRequest(const std::vector<std::uint8_t>& request, std::uint32_t fromAddress);
  void SendDue();

  SocketFd m_Socket;
  std::uint16_t m_wPort = 0;

  mutable std::mutex m_Lock;
  mutable std::condition_variable m_Changed;
  bool m_bStop = false;
  std::optional<std::uint32_t> m_AnswerAddress;  // host order; none: the requester's
  std::uint16_t m_wAnswerPort = 0;
  std::uint32_t m_dwLastRequester = 0;
  std::map<std::uint8_t, std::vector<ScriptedDatagram>> m_Replies;
  std::optional<std::vector<std::uint8_t>> m_Flood;
  std::chrono::milliseconds m_FloodInterval{10};
  bool m_bFlooding = false;
  Clock::time_point m_NextFlood;
  std::function<void(const std::vector<std::uint8_t>&)> m_Observer;
  std::vector<std::vector<std::uint8_t>> m_Requests;
  std::vector<Pending> m_Pending;
  std::size_t m_nSent = 0;

  std::thread m_Thread;
};

}  // namespace fakes
