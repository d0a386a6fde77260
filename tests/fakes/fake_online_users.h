// The fake server's "/GetOnlineUser.cgi": a table of 28-byte online-user entries (0..280 bytes
// as a server sends it, or any other body for the faults), or a refusal status; a stall holds
// each answer back.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "fakes/fake_video_server.h"

namespace fakes {

// One entry: name (16 bytes, zero-padded, cut at 16), the address's four octets first octet
// first, the level and the media flags (bit 0 MPEG-4, bit 1 JPEG, bit 2 audio).
std::vector<std::uint8_t> OnlineUserEntry(const std::string& name,
                                          std::array<std::uint8_t, 4> address, std::uint32_t level,
                                          std::uint32_t media);
// Three users: "admin" at 192.168.1.20 (supervisor, MPEG-4 and audio), "guest" at 192.168.1.31
// (guest, JPEG), "operator" at 10.0.0.7 (high user, MPEG-4).
std::vector<std::uint8_t> SampleOnlineUsers();

class FakeOnlineUsers {
 public:
  FakeReply Answer(const RecordedRequest& request);
  // The reply body (SampleOnlineUsers() until set).
  void SetTable(std::vector<std::uint8_t> body);
  // Requests answer this status (200 again to serve the table).
  void SetStatus(int status);
  // Each answer waits this long before anything is sent (0 answers at once); the server's
  // stop ends the wait.
  void SetStall(std::chrono::milliseconds stall);

 private:
  mutable std::mutex m_Lock;
  std::vector<std::uint8_t> m_Body = SampleOnlineUsers();
  int m_nStatus = 200;
  std::chrono::milliseconds m_Stall{0};
};

}  // namespace fakes
