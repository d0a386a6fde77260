#include "media/stream_receiver.h"

#include <poll.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <exception>

#include "app/app_data.h"
#include "app/kernel_threads.h"
#include "app/trace.h"
#include "codec/context/mpeg4_decoder_context.h"
#include "net/blocking_socket.h"

namespace {

constexpr std::size_t kSwapSpare = 8;
constexpr std::size_t kTcpBufferBytes = 4 * kReceivePacketBytes;
constexpr int kPollSliceMs = 50;
constexpr int kMaxPacketReceives = 5;
constexpr int kMaxSearchReceives = 64;
constexpr std::size_t kSearchKeep = 53;
constexpr std::uint8_t kGateWaiting = 255;

enum class Step { kDone, kRestart, kLost, kStopped };

class Receiver {
 public:
  Receiver(const ReceiverSetup& setup, const platform::StopToken& stop)
      : m_s(setup), m_stop(stop), m_clock(setup.clock ? *setup.clock : platform::RealClock()) {}

  std::uint32_t Run();

 private:
  const char* ThreadName() const {
    return m_s.kind == StreamKind::kVideo ? "Get_Image_Data_Thread" : "Get_Audio_Thread";
  }
  // A stop, the end of the streams or a reset request ends any wait of the thread at once.
  bool Stopping() const {
    return m_stop.StopRequested() || (m_s.endOfStreams && m_s.endOfStreams->IsSet()) ||
           ResetRequested();
  }
  bool ResetRequested() const { return m_s.resetRequest && m_s.resetRequest->IsSet(); }
  std::uint32_t AnswerReset() {
    m_s.resetRequest->Reset();
    ClearFlags();
    m_socket.Cleanup();
    if (m_s.resetDone)
      m_s.resetDone->Set();
    return 0;
  }
  void Lost() {
    if (m_s.stats)
      m_s.stats->connectionLost.fetch_add(1);
    m_socket.Cleanup();
    if (m_s.reportLost)
      m_s.reportLost();
  }
  void ClearFlags() {
    m_s.app->m_bConnected = 0;
    m_s.app->m_bStreamsStarted = 0;
  }
  void Abandon() {
    if (m_s.stats)
      m_s.stats->framesAbandoned.fetch_add(1);
    m_s.app->m_dwLostPackets.fetch_add(1);
  }

  bool Open();
  bool SendRequest();
  bool WaitReadable(std::uint32_t ms);
  int ReceiveSome(std::uint8_t* into, std::size_t room, std::uint32_t seconds);

  Step ReadTcpPacket();
  Step ReadUdpPacket();
  Step AssembleTcp(std::uint8_t* slot, std::uint32_t& length);
  Step AssembleUdp(std::uint8_t* slot, std::uint32_t& length);
  Step FirstPacket(std::uint8_t* slot, std::size_t& offset, std::uint32_t& expected,
                   std::uint32_t& length);
  bool GatePasses(const std::uint8_t* slot, std::size_t filled);
  void LoseKey();

  std::span<std::uint8_t> Payload() {
    return std::span<std::uint8_t>(m_packet).subspan(m_s.header->HeaderLength(), m_payload);
  }

  const ReceiverSetup& m_s;
  const platform::StopToken& m_stop;
  platform::IClock& m_clock;
  CBlockingSocket m_socket;
  CSockAddr m_server;

  std::array<std::uint8_t, kReceivePacketBytes + kSwapSpare> m_packet{};
  std::size_t m_payload = 0;
  std::array<std::uint8_t, kTcpBufferBytes> m_in{};
  std::size_t m_fill = 0;
  std::array<std::uint8_t, kReceivePacketBytes> m_carry{};  // UDP: excess of the last frame
  std::size_t m_carryBytes = 0;
  std::uint8_t m_gate = kGateWaiting;
  bool m_notKey = false;
};

// The time-out is measured on the receiver's clock, in slices short enough for a stop or a
// reset request to end the wait at once. Bytes that have arrived always win over a time-out.
bool Receiver::WaitReadable(std::uint32_t ms) {
  const std::uint32_t start = m_clock.Ticks();
  while (!Stopping()) {
    pollfd entry{m_socket.Handle(), POLLIN, 0};
    const int rc = ::poll(&entry, 1, kPollSliceMs);
    if (rc > 0)
      return true;
    if (rc < 0)
      return false;
    if (platform::TickElapsed(start, m_clock.Ticks()) >= ms)
      return false;
  }
  return false;
}

int Receiver::ReceiveSome(std::uint8_t* into, std::size_t room, std::uint32_t seconds) {
  if (!WaitReadable(seconds * 1000))
    return -1;
  return m_socket.Receive(into, static_cast<int>(room), 1);
}

bool Receiver::Open() {
  try {
    if (!m_s.udp) {
      m_socket.Create(CBlockingSocket::kStream);
      m_server = m_s.serverAddress.empty() ? CBlockingSocket::GetHostByName("", m_s.streamPort)
                                           : CSockAddr(m_s.serverAddress.c_str(), m_s.streamPort);
      m_socket.Connect(m_server, kTcpReceiveSeconds);
      return true;
    }
    m_socket.Create(CBlockingSocket::kDatagram);
    m_server = CSockAddr(m_s.serverAddress.c_str(), m_s.streamPort);
    for (int attempt = 0; attempt < 3; ++attempt) {
      const std::uint16_t port = m_s.localPort
                                     ? m_s.localPort(attempt)
                                     : static_cast<std::uint16_t>(50000 + m_clock.Ticks() % 10000);
      try {
        m_socket.Bind(CSockAddr(m_s.localAddress.c_str(), port));
        return true;
      } catch (const CBlockingSocketException&) {
        if (attempt < 2 && !m_stop.SleepFor(33))
          return false;
      }
    }
  } catch (const CBlockingSocketException&) {
  }
  return false;
}

bool Receiver::SendRequest() {
  const std::string request =
      BuildStreamStartRequest(m_s.localAddress, m_s.session, m_s.kind, m_s.videoFormat);
  try {
    if (!m_s.udp) {
      return m_socket.WriteAll(request.data(), static_cast<int>(request.size()),
                               kTcpReceiveSeconds) == static_cast<int>(request.size());
    }
    for (int send = 0; send < 4; ++send) {
      m_socket.SendDatagram(request.data(), static_cast<int>(request.size()), m_server,
                            kUdpReceiveSeconds);
      if (WaitReadable(kUdpReceiveSeconds * 1000))
        return true;
      if (Stopping())
        return false;
    }
  } catch (const CBlockingSocketException&) {
  }
  return false;
}

// Reads one whole packet of the TCP byte stream into m_packet and parses its header.
Step Receiver::ReadTcpPacket() {
  for (int receives = 0; receives < kMaxSearchReceives; ++receives) {
    if (m_fill < 4) {
      const int got = ReceiveSome(m_in.data() + m_fill, m_in.size() - m_fill, kTcpReceiveSeconds);
      if (got <= 0)
        return Stopping() ? Step::kStopped : Step::kLost;
      m_fill += static_cast<std::size_t>(got);
      continue;
    }
    if (m_in[0] != 1 || m_in[1] != 0) {
      // In the middle of a packet: go on at the next place a packet starts.
      std::uint32_t p = 0;
      if (FindFrameStart(std::span<const std::uint8_t>(m_in.data(), m_fill), &p)) {
        std::memmove(m_in.data(), m_in.data() + p, m_fill - p);
        m_fill -= p;
      } else {
        const std::size_t keep = std::min(m_fill, kSearchKeep);
        std::memmove(m_in.data(), m_in.data() + m_fill - keep, keep);
        m_fill = keep == m_in.size() ? 0 : keep;
        const int got = ReceiveSome(m_in.data() + m_fill, m_in.size() - m_fill, kTcpReceiveSeconds);
        if (got <= 0)
          return Stopping() ? Step::kStopped : Step::kLost;
        m_fill += static_cast<std::size_t>(got);
        continue;
      }
      if (m_s.stats)
        m_s.stats->badHeaders.fetch_add(1);
      return Step::kRestart;
    }
    const std::size_t total = m_in[2] | (m_in[3] << 8);
    if (total > kReceivePacketBytes || total < kFixedHeaderBytes) {
      m_fill = 0;
      if (m_s.stats)
        m_s.stats->badHeaders.fetch_add(1);
      return Step::kRestart;
    }
    for (int more = 0; m_fill < total; ++more) {
      if (more == kMaxPacketReceives) {
        m_fill = 0;
        return Step::kRestart;
      }
      const int got = ReceiveSome(m_in.data() + m_fill, m_in.size() - m_fill, kTcpReceiveSeconds);
      if (got <= 0)
        return Stopping() ? Step::kStopped : Step::kLost;
      m_fill += static_cast<std::size_t>(got);
    }
    std::memcpy(m_packet.data(), m_in.data(), total);
    std::memmove(m_in.data(), m_in.data() + total, m_fill - total);
    m_fill -= total;
    if (m_fill >= 1 && m_in[0] != 1) {
      // What follows is not a packet: drop it and this frame.
      m_fill = 0;
      return Step::kRestart;
    }
    if (m_s.header->Parse(std::span<const std::uint8_t>(m_packet.data(), total)) != 1) {
      if (m_s.stats)
        m_s.stats->badHeaders.fetch_add(1);
      return Step::kRestart;
    }
    m_payload = total - m_s.header->HeaderLength();
    SwapPayload(std::span<std::uint8_t>(m_packet).subspan(m_s.header->HeaderLength()), m_payload);
    return Step::kDone;
  }
  return Step::kRestart;
}

// Reads datagrams until one passes the header check; it is left in m_packet.
Step Receiver::ReadUdpPacket() {
  for (int tries = 0; tries < kMaxSearchReceives; ++tries) {
    if (!WaitReadable(kUdpReceiveSeconds * 1000))
      return Stopping() ? Step::kStopped : Step::kLost;
    CSockAddr from;
    int n = -1;
    try {
      n = m_socket.ReceiveDatagram(m_packet.data(), static_cast<int>(kReceivePacketBytes), from, 1);
    } catch (const CBlockingSocketException&) {
      n = -1;
    }
    if (n <= static_cast<int>(kFixedHeaderBytes))
      return Step::kLost;
    const auto got = static_cast<std::size_t>(n);
    if (m_s.header->Parse(std::span<const std::uint8_t>(m_packet.data(), got)) != 1) {
      if (m_s.stats)
        m_s.stats->badHeaders.fetch_add(1);
      continue;
    }
    // The datagram is the packet: one shorter than its header's total length lost bytes on
    // the way and is dropped; a longer one is cut to the length its header gives.
    if (got < m_s.header->TotalLength()) {
      if (m_s.stats)
        m_s.stats->badHeaders.fetch_add(1);
      continue;
    }
    const std::size_t length = m_s.header->TotalLength();
    m_payload = length - m_s.header->HeaderLength();
    if (m_payload < 1)
      return Step::kLost;
    SwapPayload(std::span<std::uint8_t>(m_packet).subspan(m_s.header->HeaderLength()), m_payload);
    return Step::kDone;
  }
  return Step::kLost;
}

bool Receiver::GatePasses(const std::uint8_t* slot, std::size_t filled) {
  if (m_s.kind != StreamKind::kVideo || m_s.videoFormat != 4 || !m_s.udp)
    return true;
  const bool key = IsKeyFrame(std::span<const std::uint8_t>(slot, filled));
  const std::uint8_t gop = m_s.header->GopNumber();
  if (key) {
    m_notKey = false;
    m_gate = gop;
    return true;
  }
  if (m_gate != kGateWaiting) {
    m_notKey = true;
    if (gop == m_gate)
      return true;
  }
  DebugPrint("@@@ Get_Image_Data_Thread : Drop P @@@ \n");
  if (m_s.stats)
    m_s.stats->keyGateDrops.fetch_add(1);
  return false;
}

void Receiver::LoseKey() {
  if (!m_notKey) {
    m_gate = kGateWaiting;
    DebugPrint("@@@ Get_Image_Data_Thread : Lose I @@@ \n");
  }
}

// The first packet of a frame is in m_packet; its payload goes to the slot at offset.
Step Receiver::FirstPacket(std::uint8_t* slot, std::size_t& offset, std::uint32_t& expected,
                           std::uint32_t& length) {
  if (m_payload < 1)
    return Step::kLost;
  if (offset + m_payload > kReceiveSlotBytes)
    return Step::kLost;
  std::memcpy(slot + offset, Payload().data(), m_payload);
  offset += m_payload;
  m_s.app->m_lReceivedBytes.fetch_add(static_cast<std::int64_t>(m_payload));
  std::uint32_t frameLength = 0;
  if (CMpeg4DecoderContext::ScanFrameHeader(static_cast<std::uint32_t>(offset), slot, nullptr,
                                            &frameLength, nullptr, nullptr) != 0) {
    return Step::kRestart;
  }
  const bool video = m_s.kind == StreamKind::kVideo;
  if (video && frameLength > kReceiveSlotBytes) {
    DebugPrint("UDP_Get_Image_Data: CurFrameSize = %lu, check the bug \n",
               static_cast<unsigned long>(frameLength));
    Abandon();
    LoseKey();
    return Step::kRestart;
  }
  if (!video && frameLength >= kAudioFrameLengthLimit)
    return Step::kRestart;
  length = frameLength;
  expected = frameLength;
  if (!GatePasses(slot, offset))
    return Step::kRestart;
  return Step::kDone;
}

Step Receiver::AssembleTcp(std::uint8_t* slot, std::uint32_t& length) {
  m_s.app->m_bStreamsStarted = 1;
  m_s.app->m_bReceiving = 1;
  while (!Stopping()) {
    length = 0;
    std::size_t offset = 0;
    std::uint32_t expected = 0;
    Step step = ReadTcpPacket();
    if (step == Step::kRestart) {
      Abandon();
      continue;
    }
    if (step != Step::kDone)
      return step;
    step = FirstPacket(slot, offset, expected, length);
    if (step == Step::kRestart)
      continue;
    if (step != Step::kDone)
      return step;
    std::uint16_t previous = m_s.header->SequenceNumber();
    bool restart = false;
    while (offset < expected) {
      step = ReadTcpPacket();
      if (step == Step::kRestart) {
        restart = true;
        break;
      }
      if (step != Step::kDone)
        return step;
      m_s.app->m_dwReceivedPackets.fetch_add(1);
      const std::uint16_t sequence = m_s.header->SequenceNumber();
      if (sequence != static_cast<std::uint16_t>(previous + 1)) {
        restart = true;
        break;
      }
      previous = sequence;
      if (m_payload < 1 || offset + m_payload > kReceiveSlotBytes)
        return Step::kLost;
      std::memcpy(slot + offset, Payload().data(), m_payload);
      offset += m_payload;
      m_s.app->m_lReceivedBytes.fetch_add(static_cast<std::int64_t>(m_payload));
    }
    if (restart) {
      length = 0;
      Abandon();
      continue;
    }
    return Step::kDone;
  }
  return Step::kStopped;
}

Step Receiver::AssembleUdp(std::uint8_t* slot, std::uint32_t& length) {
  const std::uint32_t frameStart = m_clock.Ticks();
  m_s.app->m_bStreamsStarted = 1;
  m_s.app->m_bReceiving = 1;
  bool firstEntry = true;
  while (!Stopping()) {
    if (m_s.kind == StreamKind::kVideo &&
        platform::TickElapsed(frameStart, m_clock.Ticks()) > kUdpNoFrameSwitchMs) {
      if (m_s.switchToTcp)
        m_s.switchToTcp();
      DebugPrint("Get_Image_Data_Thread : UDP get image too long. \n");
      return Step::kLost;
    }
    length = 0;
    std::size_t offset = 0;
    if (firstEntry && m_carryBytes > 0) {
      std::memcpy(slot, m_carry.data(), m_carryBytes);
      offset = m_carryBytes;
    }
    firstEntry = false;
    m_carryBytes = 0;
    std::uint32_t expected = 0;
    Step step = ReadUdpPacket();
    if (step != Step::kDone)
      return step;
    step = FirstPacket(slot, offset, expected, length);
    if (step == Step::kRestart)
      continue;
    if (step != Step::kDone)
      return step;
    std::uint16_t previous = m_s.header->SequenceNumber();
    bool restart = false;
    while (offset < expected) {
      step = ReadUdpPacket();
      if (step != Step::kDone)
        return step;
      m_s.app->m_dwReceivedPackets.fetch_add(1);
      const std::uint16_t sequence = m_s.header->SequenceNumber();
      if (sequence != static_cast<std::uint16_t>(previous + 1)) {
        if (m_s.kind == StreamKind::kVideo) {
          DebugPrint("Get_Image_Data_Thread : Sequence Number is wrong \n");
        }
        restart = true;
        break;
      }
      previous = sequence;
      if (offset + m_payload > kReceiveSlotBytes)
        return Step::kLost;
      std::memcpy(slot + offset, Payload().data(), m_payload);
      offset += m_payload;
      m_s.app->m_lReceivedBytes.fetch_add(static_cast<std::int64_t>(m_payload));
    }
    if (restart) {
      length = 0;
      Abandon();
      LoseKey();
      continue;
    }
    m_carryBytes = std::min(offset - expected, m_carry.size());
    std::memcpy(m_carry.data(), slot + expected, m_carryBytes);
    return Step::kDone;
  }
  return Step::kStopped;
}

std::uint32_t Receiver::Run() {
  CAppData& app = *m_s.app;
  app.m_dwLostPackets = 0;
  app.m_dwReceivedPackets = 0;
  if (m_clock.WaitAny({m_s.start.get(), &m_stop.StopEvent()}, platform::kInfinite) != 0) {
    return 0;
  }
  app.m_bConnected = 1;
  if (m_s.resetRequest)
    m_s.resetRequest->Reset();
  if (m_s.terminateAnswer)
    m_s.terminateAnswer->Reset();
  if (m_s.receiverStarted)
    m_s.receiverStarted->Set();
  app.m_dwStreamStartTick = m_clock.Ticks();
  app.m_lReceivedBytes = 0;
  app.m_dwBitRate = 0;
  app.m_dwDisplayedFrames = 0;
  app.m_dwShownFrames = 0;
  app.m_dwReceiverCounterA = 0;
  app.m_dwReceiverCounterB = 0;

  if (!Open()) {
    DebugPrint("%s : Connection error \n", ThreadName());
    Lost();
    return 0;
  }
  if (!SendRequest()) {
    DebugPrint("%s : Send StartPlay to video server is error \n", ThreadName());
    Lost();
    return 0;
  }
  if (m_s.requestSent)
    m_s.requestSent->Set();

  while (true) {
    if (ResetRequested())
      return AnswerReset();
    std::array<platform::Waitable*, 4> waits{m_s.endOfStreams.get(), m_s.freeSlots.get(),
                                             &m_stop.StopEvent(), m_s.resetRequest.get()};
    const std::size_t count = m_s.resetRequest ? 4 : 3;
    const std::uint32_t got =
        m_clock.WaitAny(std::span<platform::Waitable* const>(waits.data(), count), kFreeSlotWaitMs);
    if (got == 3) {
      m_s.resetRequest->Set();  // the wait took it; AnswerReset clears it again
      return AnswerReset();
    }
    if (got != 1) {
      ClearFlags();
      if (got == 2) {
        m_socket.Cleanup();
        return 0;
      }
      Lost();
      return 0;
    }
    const std::uint16_t index = *m_s.writeIndex;
    std::uint8_t* slot = m_s.slots + std::size_t{index} * kReceiveSlotBytes;
    std::uint32_t length = 0;
    m_s.lengths[index] = 0;
    const Step step = m_s.udp ? AssembleUdp(slot, length) : AssembleTcp(slot, length);
    if (step != Step::kDone) {
      m_s.freeSlots->Release(1);
      if (step == Step::kStopped && ResetRequested())
        return AnswerReset();
      if (step == Step::kStopped) {
        ClearFlags();
        m_socket.Cleanup();
        if (m_stop.StopRequested())
          return 0;
      }
      DebugPrint("%s : Connection error \n", ThreadName());
      Lost();
      return 0;
    }
    m_s.lengths[index] = length;
    *m_s.writeIndex = static_cast<std::uint16_t>(index + 1 == kReceiveSlots ? 0 : index + 1);
    if (m_s.stats)
      m_s.stats->framesHanded.fetch_add(1);
    m_s.filledSlots->Release(1);
  }
}

}  // namespace

void SwapPayload(std::span<std::uint8_t> buffer, std::size_t length) {
  const std::size_t span = std::min(buffer.size(), (length + 7) & ~std::size_t{7});
  for (std::size_t i = 0; i + 1 < span; i += 2)
    std::swap(buffer[i], buffer[i + 1]);
}

bool IsKeyFrame(std::span<const std::uint8_t> frame) {
  const std::size_t at = (frame.size() > 20 && (frame[20] & 0x7F) == 'S') ? 104 : 32;
  if (frame.size() < at + 4)
    return false;
  return frame[at] == 0 && frame[at + 1] == 0 && frame[at + 2] == 1 && frame[at + 3] == 0;
}

std::uint32_t RunStreamReceiver(const ReceiverSetup& setup, const platform::StopToken& stop) {
  if (setup.app == nullptr || setup.header == nullptr || setup.slots == nullptr ||
      setup.lengths == nullptr || setup.writeIndex == nullptr || !setup.freeSlots ||
      !setup.filledSlots || !setup.start) {
    return 0;
  }
  auto receiver = std::make_unique<Receiver>(setup, stop);
  return receiver->Run();
}

ReceiverSetup ReceiverSetupFromApp(StreamKind kind, bool udp) {
  ReceiverSetup s;
  CAppData& app = *g_lpApp;
  const bool video = kind == StreamKind::kVideo;
  s.kind = kind;
  s.udp = udp;
  s.videoFormat = app.m_byVideoFormat.load();
  s.serverAddress = app.m_SettingINI.m_strServerAddress;
  s.streamPort = app.m_wStreamPort;
  s.localAddress = LocalAddressText.Get();
  s.session = SessionIdBuffer.Get();
  s.header = video ? &app.m_VideoFrameHeader : &app.m_AudioFrameHeader;
  s.app = &app;
  s.slots = video ? app.m_pImageSocketBuffer.get() : app.m_pAudioSocketBuffer.get();
  s.lengths = video ? app.m_pImageSocketLength.get() : app.m_pAudioSocketLength.get();
  s.writeIndex = video ? &app.m_wImageSocketWriteIndex : &app.m_wAudioSocketWriteIndex;
  s.freeSlots = video ? app.ImageSocketBufferSem : app.AudioSocketBufferSem;
  s.filledSlots = video ? app.ImageSocketBufferRelSemaphore : app.AudioSocketBufferRelSemaphore;
  s.start = video ? app.StartToGetJpegImageEvent : app.StartToGetAudioEvent;
  s.resetRequest =
      video ? app.NotifyGetJPEGImageThreadResetEvent : app.NotifyGetAudioThreadResetEvent;
  s.resetDone = video ? app.ReceiverResetDoneImageEvent : app.ReceiverResetDoneAudioEvent;
  s.terminateAnswer = app.m_hTerminateDoneEvent;
  s.receiverStarted = app.ReceiverStartedEvent;
  s.requestSent = app.StreamRequestSentEvent;
  s.endOfStreams = app.h_EndofGetJpegImageEvent;
  s.reportLost = [] { MessageTrigger(static_cast<std::uint8_t>(kKernelConnectionLost)); };
  s.switchToTcp = [] {
    if (g_lpApp)
      g_lpApp->m_SettingINI.m_byTransmissionType = 1;
  };
  return s;
}

std::uint32_t TcpGetImageDataThread(platform::StopToken stop) {
  return RunStreamReceiver(ReceiverSetupFromApp(StreamKind::kVideo, false), stop);
}
std::uint32_t TcpGetAudioThread(platform::StopToken stop) {
  return RunStreamReceiver(ReceiverSetupFromApp(StreamKind::kAudio, false), stop);
}
std::uint32_t UdpGetImageDataThread(platform::StopToken stop) {
  return RunStreamReceiver(ReceiverSetupFromApp(StreamKind::kVideo, true), stop);
}
std::uint32_t UdpGetAudioThread(platform::StopToken stop) {
  return RunStreamReceiver(ReceiverSetupFromApp(StreamKind::kAudio, true), stop);
}
