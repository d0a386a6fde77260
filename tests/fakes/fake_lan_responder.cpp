#include "fakes/fake_lan_responder.h"

#include "fakes/loopback.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace fakes {
namespace {

using std::chrono::milliseconds;

constexpr int kPollSliceMs = 10;
constexpr std::size_t kDatagramBytes = 76;

void PutText(std::vector<std::uint8_t>& bytes, std::size_t at, const char* text) {
  std::memcpy(bytes.data() + at, text, std::strlen(text));
}

template <std::size_t N>
void PutBytes(std::vector<std::uint8_t>& bytes, std::size_t at,
              const std::array<std::uint8_t, N>& value) {
  std::copy(value.begin(), value.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
}

}  // namespace

std::vector<std::uint8_t> FakeLanResponder::SearchAnswer(const FakeLanDevice& device) {
  std::vector<std::uint8_t> bytes(kDatagramBytes, 0);
  PutText(bytes, 0, "AV_SEARCH");
  bytes[16] = 1;
  bytes[17] = device.kind;
  PutBytes(bytes, 18, device.mac);
  PutBytes(bytes, 56, device.ip);
  PutBytes(bytes, 60, device.netMask);
  PutBytes(bytes, 64, device.gateway);
  PutBytes(bytes, 68, device.dns);
  bytes[72] = static_cast<std::uint8_t>(device.port & 0xFF);
  bytes[73] = static_cast<std::uint8_t>(device.port >> 8);
  return bytes;
}

std::vector<std::uint8_t> FakeLanResponder::CommandAnswer(std::uint8_t code, std::uint8_t result) {
  std::vector<std::uint8_t> bytes(kDatagramBytes, 0);
  PutText(bytes, 0, code == 3 ? "AV_RESET" : "AV_SET_IP");
  bytes[16] = code;
  bytes[17] = result;
  return bytes;
}

FakeLanResponder::FakeLanResponder(const std::string& address, std::uint16_t port) {
  m_Socket = BindDatagram("fake LAN responder", address, port, true, m_wPort);
  m_AnswerAddress = INADDR_LOOPBACK;
  m_Thread = std::thread([this] { Serve(); });
}

FakeLanResponder::~FakeLanResponder() {
  Stop();
}

void FakeLanResponder::Stop() {
  {
    std::lock_guard lock(m_Lock);
    m_bStop = true;
  }
  m_Changed.notify_all();
  if (m_Thread.joinable())
    m_Thread.join();
  m_Socket.Reset();
}

void FakeLanResponder::SetAnswerPort(std::uint16_t port) {
  std::lock_guard lock(m_Lock);
  m_AnswerAddress = INADDR_LOOPBACK;
  m_wAnswerPort = port;
}

void FakeLanResponder::AnswerRequesterOnPort(std::uint16_t port) {
  std::lock_guard lock(m_Lock);
  m_AnswerAddress.reset();
  m_wAnswerPort = port;
}

void FakeLanResponder::SetReplies(std::uint8_t code, std::vector<ScriptedDatagram> replies) {
  std::lock_guard lock(m_Lock);
  m_Replies[code] = std::move(replies);
}

void FakeLanResponder::SetFlood(std::vector<std::uint8_t> bytes, milliseconds interval) {
  std::lock_guard lock(m_Lock);
  m_Flood = std::move(bytes);
  m_FloodInterval = std::max(interval, milliseconds(1));
}

void FakeLanResponder::SetRequestObserver(
    std::function<void(const std::vector<std::uint8_t>&)> observer) {
  std::lock_guard lock(m_Lock);
  m_Observer = std::move(observer);
}

std::vector<std::vector<std::uint8_t>> FakeLanResponder::Requests() const {
  std::lock_guard lock(m_Lock);
  return m_Requests;
}

bool FakeLanResponder::WaitForRequests(std::size_t count, milliseconds timeout) const {
  std::unique_lock lock(m_Lock);
  return m_Changed.wait_for(lock, timeout, [&] { return m_Requests.size() >= count; });
}

std::size_t FakeLanResponder::SentCount() const {
  std::lock_guard lock(m_Lock);
  return m_nSent;
}

bool FakeLanResponder::WaitForSent(std::size_t count, milliseconds timeout) const {
  std::unique_lock lock(m_Lock);
  return m_Changed.wait_for(lock, timeout, [&] { return m_nSent >= count; });
}

void FakeLanResponder::Serve() {
  std::vector<std::uint8_t> buffer(65536);
  for (;;) {
    {
      std::lock_guard lock(m_Lock);
      if (m_bStop)
        return;
    }
    SendDue();
    if (!PollFor(m_Socket.Get(), POLLIN, kPollSliceMs))
      continue;
    sockaddr_in from{};
    socklen_t length = sizeof from;
    const ssize_t n = ::recvfrom(m_Socket.Get(), buffer.data(), buffer.size(), 0,
                                 reinterpret_cast<sockaddr*>(&from), &length);
    if (n < 0)
      continue;
    OnRequest(std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + n),
              ntohl(from.sin_addr.s_addr));
  }
}

void FakeLanResponder::OnRequest(const std::vector<std::uint8_t>& request,
                                 std::uint32_t fromAddress) {
  std::function<void(const std::vector<std::uint8_t>&)> observer;
  {
    std::lock_guard lock(m_Lock);
    observer = m_Observer;
  }
  if (observer)
    observer(request);
  {
    std::lock_guard lock(m_Lock);
    m_Requests.push_back(request);
    m_dwLastRequester = fromAddress;
    const std::uint8_t code = request.size() > 16 ? request[16] : 0;
    auto due = Clock::now();
    if (const auto script = m_Replies.find(code); script != m_Replies.end()) {
      for (const ScriptedDatagram& datagram : script->second) {
        due += datagram.delay;
        m_Pending.push_back({due, datagram.bytes});
      }
    }
    if (code == 1 && m_Flood) {
      m_bFlooding = true;
      m_NextFlood = Clock::now();
    }
  }
  m_Changed.notify_all();
}

void FakeLanResponder::SendDue() {
  std::vector<std::vector<std::uint8_t>> due;
  sockaddr_in to{};
  {
    std::lock_guard lock(m_Lock);
    const auto now = Clock::now();
    // Scripted answers in the order they fall due.
    std::stable_sort(m_Pending.begin(), m_Pending.end(),
                     [](const Pending& a, const Pending& b) { return a.due < b.due; });
    auto ready = m_Pending.begin();
    while (ready != m_Pending.end() && ready->due <= now)
      due.push_back(std::move((ready++)->bytes));
    m_Pending.erase(m_Pending.begin(), ready);
    if (m_bFlooding && m_Flood && now >= m_NextFlood) {
      due.push_back(*m_Flood);
      m_NextFlood = now + m_FloodInterval;
    }
    if (due.empty() || m_wAnswerPort == 0)
      return;
    to.sin_family = AF_INET;
    to.sin_port = htons(m_wAnswerPort);
    to.sin_addr.s_addr = htonl(m_AnswerAddress.value_or(m_dwLastRequester));
  }
  std::size_t sent = 0;
  for (const auto& bytes : due) {
    if (::sendto(m_Socket.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL,
                 reinterpret_cast<const sockaddr*>(&to), sizeof to) >= 0) {
      ++sent;
    }
  }
  {
    std::lock_guard lock(m_Lock);
    m_nSent += sent;
  }
  m_Changed.notify_all();
}

}  // namespace fakes
