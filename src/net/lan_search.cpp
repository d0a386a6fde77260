#include "net/lan_search.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <mutex>

namespace net {
namespace {

// How often a wait looks at its stop request and its clock.
constexpr int kPollSliceMs = 10;

std::mutex g_settingsLock;
LanSearchSettings& StoredSettings() {
  static LanSearchSettings settings;
  return settings;
}

platform::IClock& ClockOf(const LanSearchSettings& settings) {
  return settings.clock != nullptr ? *settings.clock : platform::RealClock();
}

}  // namespace

LanSearchSettings GetLanSearchSettings() {
  const std::lock_guard lock(g_settingsLock);
  return StoredSettings();
}

void SetLanSearchSettings(LanSearchSettings settings) {
  const std::lock_guard lock(g_settingsLock);
  StoredSettings() = std::move(settings);
}

bool SendSearchBroadcast(const SearchDatagram& datagram, const std::string& ownAddress,
                         const LanSearchSettings& settings) {
  const CSockAddr local(ownAddress.c_str(), settings.sendPort);
  const CSockAddr destination(settings.destinationAddress.c_str(), settings.destinationPort);
  if (ownAddress.empty() || !local.IsValid() || !destination.IsValid())
    return false;
  const auto bytes = EncodeSearchDatagram(datagram);
  CBlockingSocket socket;
  try {
    socket.Create(CBlockingSocket::kDatagram);
    socket.SetSockOpt();
    socket.Bind(local);
    socket.SetDestination(destination);
    socket.Sendto(bytes.data(), static_cast<int>(bytes.size()));
    socket.Close();
  } catch (const CBlockingSocketException&) {
    return false;
  }
  return true;
}

LanAnswerSocket::LanAnswerSocket(const LanSearchSettings& settings)
    : m_Settings(settings), m_Clock(ClockOf(settings)) {}

LanAnswerSocket::OpenResult LanAnswerSocket::Open() {
  try {
    m_Socket.Create(CBlockingSocket::kDatagram);
  } catch (const CBlockingSocketException&) {
    return OpenResult::NoSocket;
  }
  try {
    m_Socket.Bind(CSockAddr("0.0.0.0", m_Settings.receivePort));
    CSockAddr bound;
    m_Socket.GetSockName(bound);
    m_wPort = bound.HostPort();
  } catch (const CBlockingSocketException&) {
    m_Socket.Cleanup();
    return OpenResult::BindFailed;
  }
  return OpenResult::Opened;
}

LanAnswerSocket::WaitResult LanAnswerSocket::Receive(std::vector<std::uint8_t>& datagram,
                                                     std::uint32_t deadline,
                                                     const platform::StopToken& stop) {
  for (;;) {
    if (stop.StopRequested())
      return WaitResult::Stopped;
    const std::uint32_t now = m_Clock.Ticks();
    const std::uint32_t left = platform::TickReached(now, deadline) ? 0 : deadline - now;
    pollfd entry{m_Socket.Handle(), POLLIN, 0};
    const int rc = ::poll(&entry, 1, static_cast<int>(std::min<std::uint32_t>(left, kPollSliceMs)));
    if (rc < 0) {
      if (errno == EINTR)
        continue;
      return WaitResult::WaitFailed;
    }
    if (rc > 0) {
      // One byte more than a datagram holds, so an over-long one is seen as such.
      std::uint8_t buffer[kSearchDatagramBytes + 1];
      ssize_t n;
      do {
        n = ::recv(m_Socket.Handle(), buffer, sizeof buffer, 0);
      } while (n < 0 && errno == EINTR);
      if (n < 0)
        return WaitResult::ReceiveFailed;
      datagram.assign(buffer, buffer + n);
      return WaitResult::Datagram;
    }
    if (left == 0)
      return WaitResult::TimedOut;
  }
}

LanSearchEnd RunLanSearch(const std::string& ownAddress, const LanSearchSettings& settings,
                          const LanSearchEvents& events, const platform::StopToken& stop) {
  // The answer port first: an answer that comes back at once finds it bound.
  LanAnswerSocket socket(settings);
  switch (socket.Open()) {
    case LanAnswerSocket::OpenResult::NoSocket:
      return LanSearchEnd::NoSocket;
    case LanAnswerSocket::OpenResult::BindFailed:
      return LanSearchEnd::BindFailed;
    case LanAnswerSocket::OpenResult::Opened:
      break;
  }
  if (settings.onReceiveBound)
    settings.onReceiveBound(socket.Port());
  // Times count from before the request: whatever answers it is measured from there.
  platform::IClock& clock = ClockOf(settings);
  const std::uint32_t start = clock.Ticks();
  std::uint32_t lastAnswer = start;
  const DottedAddress own = ParseDottedText(ownAddress).value_or(DottedAddress{});
  if (!SendSearchBroadcast(MakeSearchRequest(own), ownAddress, settings) && events.sendFailed)
    events.sendFailed();

  std::vector<std::uint8_t> datagram;
  for (;;) {
    const std::uint32_t now = clock.Ticks();
    const std::uint32_t sinceStart = platform::TickElapsed(start, now);
    const std::uint32_t sinceAnswer = platform::TickElapsed(lastAnswer, now);
    if (sinceStart >= settings.searchLimitMs || sinceAnswer >= settings.silenceMs)
      return LanSearchEnd::Completed;
    const std::uint32_t deadline =
        now + std::min(settings.searchLimitMs - sinceStart, settings.silenceMs - sinceAnswer);
    switch (socket.Receive(datagram, deadline, stop)) {
      case LanAnswerSocket::WaitResult::Datagram: {
        const auto answer = DecodeSearchDatagram(datagram);
        if (!answer || answer->code != kSearchCode)
          break;  // not an answer to the search: it does not end a silence either
        lastAnswer = clock.Ticks();
        if (events.answer)
          events.answer(*answer);
        break;
      }
      case LanAnswerSocket::WaitResult::TimedOut:
        break;
      case LanAnswerSocket::WaitResult::WaitFailed:
        return LanSearchEnd::WaitFailed;
      case LanAnswerSocket::WaitResult::ReceiveFailed:
        return LanSearchEnd::Completed;
      case LanAnswerSocket::WaitResult::Stopped:
        return LanSearchEnd::Stopped;
    }
  }
}

LanCommandResult RunLanCommand(const SearchDatagram& request, const std::string& ownAddress,
                               const LanSearchSettings& settings,
                               const std::function<void()>& onSent,
                               const platform::StopToken& stop) {
  LanAnswerSocket socket(settings);
  switch (socket.Open()) {
    case LanAnswerSocket::OpenResult::NoSocket:
      return {LanCommandOutcome::NoSocket};
    case LanAnswerSocket::OpenResult::BindFailed:
      return {LanCommandOutcome::BindFailed};
    case LanAnswerSocket::OpenResult::Opened:
      break;
  }
  if (settings.onReceiveBound)
    settings.onReceiveBound(socket.Port());
  platform::IClock& clock = ClockOf(settings);
  const std::uint32_t deadline = clock.Ticks() + settings.answerWaitMs;
  if (!SendSearchBroadcast(request, ownAddress, settings))
    return {LanCommandOutcome::SendFailed};
  if (onSent)
    onSent();

  std::vector<std::uint8_t> datagram;
  for (;;) {
    if (platform::TickReached(clock.Ticks(), deadline))
      return {LanCommandOutcome::TimedOut};
    switch (socket.Receive(datagram, deadline, stop)) {
      case LanAnswerSocket::WaitResult::Datagram: {
        // Only an answer to this command counts: a late search answer (its byte 17 is a kind)
        // must not read as a result.
        const auto answer = DecodeSearchDatagram(datagram);
        if (answer && answer->code == request.code)
          return {LanCommandOutcome::Answered, answer->kindOrResult};
        break;
      }
      case LanAnswerSocket::WaitResult::TimedOut:
        break;
      case LanAnswerSocket::WaitResult::WaitFailed:
        return {LanCommandOutcome::WaitFailed};
      case LanAnswerSocket::WaitResult::ReceiveFailed:
        return {LanCommandOutcome::ReceiveFailed};
      case LanAnswerSocket::WaitResult::Stopped:
        return {LanCommandOutcome::Stopped};
    }
  }
}

}  // namespace net
