#include "fakes/fake_online_users.h"

#include <algorithm>
#include <array>

namespace fakes {

std::vector<std::uint8_t> OnlineUserEntry(const std::string& name,
                                          std::array<std::uint8_t, 4> address, std::uint32_t level,
                                          std::uint32_t media) {
  std::vector<std::uint8_t> entry(28, 0);
  std::copy_n(name.begin(), std::min<std::size_t>(name.size(), 16), entry.begin());
  std::copy(address.begin(), address.end(), entry.begin() + 16);
  for (std::size_t i = 0; i < 4; ++i) {
    entry[20 + i] = static_cast<std::uint8_t>(level >> (8 * i));
    entry[24 + i] = static_cast<std::uint8_t>(media >> (8 * i));
  }
  return entry;
}

std::vector<std::uint8_t> SampleOnlineUsers() {
  std::vector<std::uint8_t> table;
  for (const auto& entry : {OnlineUserEntry("admin", {192, 168, 1, 20}, 30, 5),
                            OnlineUserEntry("guest", {192, 168, 1, 31}, 0, 2),
                            OnlineUserEntry("operator", {10, 0, 0, 7}, 20, 1)}) {
    table.insert(table.end(), entry.begin(), entry.end());
  }
  return table;
}

FakeReply FakeOnlineUsers::Answer(const RecordedRequest&) {
  std::lock_guard lock(m_Lock);
  FakeReply reply;
  if (m_nStatus != 200)
    reply = FakeReply::Status(m_nStatus);
  else
    reply.body = m_Body;
  reply.delay = m_Stall;
  return reply;
}

void FakeOnlineUsers::SetTable(std::vector<std::uint8_t> body) {
  std::lock_guard lock(m_Lock);
  m_Body = std::move(body);
}

void FakeOnlineUsers::SetStatus(int status) {
  std::lock_guard lock(m_Lock);
  m_nStatus = status;
}

void FakeOnlineUsers::SetStall(std::chrono::milliseconds stall) {
  std::lock_guard lock(m_Lock);
  m_Stall = stall;
}

}  // namespace fakes
