#include "fake_stream_server.h"

#include "fakes/loopback.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <stdexcept>

namespace fakes {

namespace {

constexpr int kPollSliceMs = 20;
constexpr std::size_t kMaxRequestBytes = 4096;

std::string LineValue(const std::string& text, const std::string& key, std::size_t from = 0) {
  const std::size_t at = text.find(key, from);
  if (at == std::string::npos)
    return {};
  const std::size_t begin = at + key.size();
  const std::size_t end = text.find("\r\n", begin);
  return text.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

bool Complete(const std::string& request) {
  return request.find("Start Play\r\n") != std::string::npos;
}

}  // namespace

StreamStartRequest ParseStreamStartRequest(const std::string& raw, bool udp) {
  StreamStartRequest r;
  r.udp = udp;
  r.raw = raw;
  r.host = LineValue(raw, "Host: ");
  r.contentLength = LineValue(raw, "Content-Lentght: ");
  r.session = LineValue(raw, "Session: ");
  for (std::size_t at = raw.find("Command: "); at != std::string::npos;
       at = raw.find("Command: ", at + 1)) {
    r.commands.push_back(LineValue(raw, "Command: ", at));
  }
  return r;
}

// Sends one stream's packets with the faults applied, on a TCP connection or to a UDP peer.
class FakeStreamServer::Sender {
 public:
  Sender(FakeStreamServer& server, int socket, bool udp, const sockaddr_in* peer)
      : m_server(server), m_socket(socket), m_udp(udp) {
    if (peer != nullptr)
      m_peer = *peer;
  }

  // False once the connection is to end (disconnect fault, error, stop).
  bool Send(ByteVector packet) {
    const std::uint32_t n = m_index++;
    const StreamFaults& f = m_faults;
    if (n == f.disconnectBeforePacket)
      return false;
    if (n == f.pauseBeforePacket && !Flush())
      return false;
    if (n == f.pauseBeforePacket && !m_server.SleepUnlessStopped(f.pause))
      return false;
    if (f.garbage)
      packet = Noise();
    if (f.gap.count(n) != 0)
      ++m_sequenceShift;
    if (m_sequenceShift != 0 && (packet[6] & 0x10) != 0)
      ShiftSequence(packet);
    if (f.wrongMark.count(n) != 0)
      packet[0] = 0;
    if (f.oversize.count(n) != 0) {
      packet[2] = static_cast<std::uint8_t>(1461 & 0xFF);
      packet[3] = static_cast<std::uint8_t>(1461 >> 8);
    }
    if (f.truncated.count(n) != 0)
      packet.resize(packet.size() / 2);
    if (f.runt.count(n) != 0)
      packet.resize(std::min<std::size_t>(packet.size(), 8));
    if (f.drop.count(n) != 0)
      return true;
    if (f.reorder.count(n) != 0) {
      m_held = std::move(packet);
      return true;
    }
    const int copies = f.duplicate.count(n) != 0 ? 2 : 1;
    for (int i = 0; i < copies; ++i) {
      if (!Put(packet))
        return false;
    }
    if (!m_held.empty()) {
      ByteVector held = std::move(m_held);
      m_held.clear();
      if (!Put(held))
        return false;
    }
    return true;
  }

  bool Flush() {
    if (m_pending.empty())
      return true;
    ByteVector bytes = std::move(m_pending);
    m_pending.clear();
    return Write(bytes);
  }

  StreamFaults m_faults;

 private:
  void ShiftSequence(ByteVector& packet) {
    std::size_t at = 8;
    if (packet[6] & 0x02)
      at += 2;
    if (packet[6] & 0x04)
      at += 2;
    if (packet[6] & 0x08)
      at += 2;
    const auto seq =
        static_cast<std::uint16_t>((packet[at] | (packet[at + 1] << 8)) + m_sequenceShift);
    packet[at] = static_cast<std::uint8_t>(seq & 0xFF);
    packet[at + 1] = static_cast<std::uint8_t>(seq >> 8);
  }

  bool Put(const ByteVector& packet) {
    m_server.m_nPacketsSent.fetch_add(1);
    if (m_udp) {
      return ::sendto(m_socket, packet.data(), packet.size(), MSG_NOSIGNAL,
                      reinterpret_cast<const sockaddr*>(&m_peer), sizeof m_peer) >= 0;
    }
    if (m_faults.coalesce) {
      m_pending.insert(m_pending.end(), packet.begin(), packet.end());
      return (++m_coalesced % 2 == 0) ? Flush() : true;
    }
    return Write(packet);
  }

  bool Write(const ByteVector& bytes) {
    const std::size_t piece = m_faults.splitBytes == 0 ? bytes.size() : m_faults.splitBytes;
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
      const std::size_t n = std::min(piece, bytes.size() - at);
      std::size_t done = 0;
      for (int tries = 0; done < n && tries < 1000; ++tries) {
        if (m_server.m_bStopping.load())
          return false;
        if (!PollFor(m_socket, POLLOUT, kPollSliceMs))
          continue;
        const ssize_t sent = ::send(m_socket, bytes.data() + at + done, n - done, MSG_NOSIGNAL);
        if (sent <= 0)
          return false;
        done += static_cast<std::size_t>(sent);
      }
      if (done < n)
        return false;
      if (m_faults.splitBytes != 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
  }

  // 9 to 1,460 random bytes; the first little-endian word is never 1 (the packet mark).
  ByteVector Noise() {
    std::uniform_int_distribution<std::size_t> length(9, kMaxPacketBytes);
    std::uniform_int_distribution<int> byte(0, 255);
    ByteVector noise(length(m_noise));
    for (std::uint8_t& b : noise)
      b = static_cast<std::uint8_t>(byte(m_noise));
    if (noise[0] == 1 && noise[1] == 0)
      noise[0] = 2;
    return noise;
  }

  FakeStreamServer& m_server;
  int m_socket;
  std::mt19937 m_noise{20260307};
  bool m_udp;
  sockaddr_in m_peer{};
  std::uint32_t m_index = 0;
  std::uint16_t m_sequenceShift = 0;
  ByteVector m_held;
  ByteVector m_pending;
  std::uint32_t m_coalesced = 0;
};

FakeStreamServer::FakeStreamServer(std::chrono::seconds lifeTime)
    : m_EndOfLife(std::chrono::steady_clock::now() + lifeTime) {
  m_Ports = BindLoopbackPorts("fake stream server");
  m_TcpThread = std::thread([this] { ServeTcp(); });
  m_UdpThread = std::thread([this] { ServeUdp(); });
}

FakeStreamServer::~FakeStreamServer() {
  Stop();
}

void FakeStreamServer::Stop() {
  {
    std::lock_guard lock(m_Lock);
    if (m_bStop && !m_TcpThread.joinable())
      return;
    m_bStop = true;
    m_bStopping = true;
  }
  m_Changed.notify_all();
  if (m_TcpThread.joinable())
    m_TcpThread.join();
  if (m_UdpThread.joinable())
    m_UdpThread.join();
  std::vector<std::thread> streams;
  {
    std::lock_guard lock(m_Lock);
    streams.swap(m_StreamThreads);
  }
  for (auto& t : streams)
    t.join();
  m_Ports.listener.Reset();
  m_Ports.datagram.Reset();
}

void FakeStreamServer::SetVideoClip(std::vector<ClipFrame> clip) {
  std::lock_guard lock(m_Lock);
  m_VideoClip = std::move(clip);
}
void FakeStreamServer::SetAudioClip(std::vector<ClipFrame> clip) {
  std::lock_guard lock(m_Lock);
  m_AudioClip = std::move(clip);
}
void FakeStreamServer::SetJpegClip(std::vector<ClipFrame> clip) {
  std::lock_guard lock(m_Lock);
  m_JpegClip = std::move(clip);
}
void FakeStreamServer::EndStreams() {
  m_nStreamEnds.fetch_add(1);
}
void FakeStreamServer::SetLoops(std::uint32_t loops, bool closeAtEnd) {
  std::lock_guard lock(m_Lock);
  m_nLoops = loops;
  m_bCloseAtEnd = closeAtEnd;
}
void FakeStreamServer::SetFrameInterval(std::chrono::milliseconds interval) {
  std::lock_guard lock(m_Lock);
  m_FrameInterval = interval;
}
void FakeStreamServer::SetAlarmFrames(std::set<std::uint32_t> frames) {
  std::lock_guard lock(m_Lock);
  m_AlarmFrames = std::move(frames);
}
void FakeStreamServer::SetFaults(StreamFaults faults) {
  std::lock_guard lock(m_Lock);
  m_Faults = std::move(faults);
}
void FakeStreamServer::SetPacketOptions(PacketOptions options) {
  std::lock_guard lock(m_Lock);
  m_Options = options;
}

std::vector<StreamStartRequest> FakeStreamServer::Requests() const {
  std::lock_guard lock(m_Lock);
  return m_Requests;
}

bool FakeStreamServer::WaitForRequests(std::size_t count, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(m_Lock);
  return m_Changed.wait_for(lock, timeout, [&] { return m_Requests.size() >= count; });
}

std::vector<std::chrono::steady_clock::time_point> FakeStreamServer::FrameSentTimes() const {
  std::lock_guard lock(m_Lock);
  return m_FrameSent;
}

bool FakeStreamServer::WaitForStreamsDone(std::size_t streams,
                                          std::chrono::milliseconds timeout) const {
  std::unique_lock lock(m_Lock);
  return m_Changed.wait_for(lock, timeout, [&] { return m_nStreamsDone >= streams; });
}

bool FakeStreamServer::SleepUnlessStopped(std::chrono::milliseconds duration) const {
  return SleepUntilUnlessStopped(std::chrono::steady_clock::now() + duration);
}

bool FakeStreamServer::SleepUntilUnlessStopped(std::chrono::steady_clock::time_point when) const {
  std::unique_lock lock(m_Lock);
  const auto until = std::min(when, m_EndOfLife);
  m_Changed.wait_until(lock, until, [&] { return m_bStop; });
  return !m_bStop && std::chrono::steady_clock::now() < m_EndOfLife;
}

void FakeStreamServer::Record(const StreamStartRequest& request) {
  {
    std::lock_guard lock(m_Lock);
    m_Requests.push_back(request);
  }
  m_Changed.notify_all();
}

void FakeStreamServer::ServeTcp() {
  while (!m_bStopping.load() && std::chrono::steady_clock::now() < m_EndOfLife) {
    SocketFd accepted = AcceptWithin(m_Ports.listener.Get(), kPollSliceMs);
    if (!accepted)
      continue;
    // Each packet goes out when it is written, as the device sends them.
    const int noDelay = 1;
    ::setsockopt(accepted.Get(), IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
    std::lock_guard lock(m_Lock);
    m_StreamThreads.emplace_back([this, accepted = std::move(accepted)] {
      const int connection = accepted.Get();
      std::string request;
      char buffer[512];
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
      while (!Complete(request) && request.size() < kMaxRequestBytes &&
             std::chrono::steady_clock::now() < deadline && !m_bStopping.load()) {
        if (!PollFor(connection, POLLIN, kPollSliceMs))
          continue;
        const ssize_t n = ::recv(connection, buffer, sizeof buffer, 0);
        if (n <= 0)
          break;
        request.append(buffer, static_cast<std::size_t>(n));
      }
      if (Complete(request)) {
        const StreamStartRequest parsed = ParseStreamStartRequest(request, false);
        Record(parsed);
        Stream(connection, false, nullptr, 0, parsed);
      }
    });
  }
}

void FakeStreamServer::ServeUdp() {
  char datagram[2048];
  while (!m_bStopping.load() && std::chrono::steady_clock::now() < m_EndOfLife) {
    if (!PollFor(m_Ports.datagram.Get(), POLLIN, kPollSliceMs))
      continue;
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    const ssize_t n = ::recvfrom(m_Ports.datagram.Get(), datagram, sizeof datagram, 0,
                                 reinterpret_cast<sockaddr*>(&peer), &length);
    if (n <= 0)
      continue;
    const std::string text(datagram, static_cast<std::size_t>(n));
    if (!Complete(text))
      continue;
    const StreamStartRequest parsed = ParseStreamStartRequest(text, true);
    Record(parsed);
    // A request repeated while the peer's stream runs (the client re-sends until data
    // arrives) starts nothing new.
    std::lock_guard lock(m_Lock);
    if (!m_ActiveUdpPorts.insert(peer.sin_port).second)
      continue;
    m_StreamThreads.emplace_back([this, peer, parsed] {
      Stream(m_Ports.datagram.Get(), true, &peer, sizeof peer, parsed);
      std::lock_guard done(m_Lock);
      m_ActiveUdpPorts.erase(peer.sin_port);
    });
  }
}

void FakeStreamServer::Stream(int socket, bool udp, const void* peer, std::size_t,
                              const StreamStartRequest& request) {
  std::vector<ClipFrame> clip;
  std::uint32_t loops = 0;
  bool closeAtEnd = false;
  std::chrono::milliseconds interval{0};
  std::set<std::uint32_t> alarms;
  PacketOptions options;
  Sender sender(*this, socket, udp, static_cast<const sockaddr_in*>(peer));
  {
    std::lock_guard lock(m_Lock);
    const bool audio = std::find(request.commands.begin(), request.commands.end(), "Audio") !=
                       request.commands.end();
    const bool jpeg = std::find(request.commands.begin(), request.commands.end(), "Jpeg") !=
                      request.commands.end();
    clip = audio ? m_AudioClip : jpeg && !m_JpegClip.empty() ? m_JpegClip : m_VideoClip;
    loops = m_nLoops;
    closeAtEnd = m_bCloseAtEnd;
    interval = m_FrameInterval;
    alarms = m_AlarmFrames;
    options = m_Options;
    sender.m_faults = m_Faults.udpOnly && !udp ? StreamFaults{} : m_Faults;
  }
  const std::uint32_t ends = m_nStreamEnds.load();
  // Each loop's stamps go on from the last loop's, one frame's step further.
  const std::uint32_t step = clip.size() > 1 ? clip[1].pts - clip[0].pts : 3003;
  const std::uint32_t loopSpan = clip.empty() ? 0 : clip.back().pts - clip.front().pts + step;
  std::uint16_t sequence = 0;
  bool alive = true;
  auto due = std::chrono::steady_clock::now();
  for (std::uint32_t loop = 0; alive && loop < loops; ++loop) {
    for (std::uint32_t i = 0; alive && i < clip.size(); ++i) {
      PacketOptions frameOptions = options;
      if (alarms.count(i) != 0)
        frameOptions.statusA = 1;
      ClipFrame frame = clip[i];
      frame.pts += loop * loopSpan;
      std::vector<ByteVector> packets = Packetize(frame, sequence, frameOptions);
      if (sender.m_faults.neverComplete && packets.size() > 1)
        packets.pop_back();
      for (ByteVector& packet : packets) {
        if (!(alive = sender.Send(std::move(packet))))
          break;
      }
      if (alive)
        alive = sender.Flush();
      {
        std::lock_guard lock(m_Lock);
        m_FrameSent.push_back(std::chrono::steady_clock::now());
      }
      m_nFramesSent.fetch_add(1);
      // Frames go out on the stream's own clock, one interval after the one before, as a
      // device sends them; after a stall (a fault's pause) the clock starts again from now.
      if (alive && interval.count() > 0) {
        due += interval;
        if (std::chrono::steady_clock::now() > due + 4 * interval)
          due = std::chrono::steady_clock::now();
        alive = SleepUntilUnlessStopped(due);
      }
      if (m_bStopping.load() || m_nStreamEnds.load() != ends)
        alive = false;
    }
  }
  {
    std::lock_guard lock(m_Lock);
    ++m_nStreamsDone;
  }
  m_Changed.notify_all();
  // Silent until the client goes or the server stops (a TCP connection only).
  while (!udp && alive && !closeAtEnd && !m_bStopping.load() && m_nStreamEnds.load() == ends &&
         std::chrono::steady_clock::now() < m_EndOfLife) {
    if (PollFor(socket, POLLIN, kPollSliceMs)) {
      char scratch[256];
      if (::recv(socket, scratch, sizeof scratch, 0) <= 0)
        break;
    }
  }
}

}  // namespace fakes
