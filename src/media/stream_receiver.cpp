#include "media/stream_receiver.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <exception>

#include "app/app_data.h"
#include "app/app_seams.h"
#include "app/kernel_threads.h"
#include "app/trace.h"
#include "codec/context/mpeg4_decoder_context.h"
#include "media/tcp_packet_reader.h"
#include "net/blocking_socket.h"

namespace {

// A wait for the socket looks at the stop and reset requests this often. Longer than the gap
// between two audio blocks (64 ms), so that a stream in time never wakes a receiver for nothing;
// well within the half second the receivers are given to stop and the second to answer a reset.
constexpr int kPollSliceMs = 100;

enum class Step { kDone, kRestart, kLost, kStopped };

class Receiver {
 public:
  Receiver(const ReceiverSetup& setup, const platform::StopToken& stop)
      : m_s(setup),
        m_stop(stop),
        m_stats(setup.stats ? *setup.stats : m_ownStats),
        m_clock(setup.clock ? *setup.clock : platform::RealClock()),
        m_assembler({setup.kind, setup.udp,
                     setup.kind == StreamKind::kVideo && setup.videoFormat == 4 && setup.udp},
                    *setup.header) {}

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
    m_stats.connectionLost.fetch_add(1);
    m_socket.Cleanup();
    if (m_s.reportLost)
      m_s.reportLost();
  }
  void ClearFlags() {
    m_s.app->m_bConnected = 0;
    m_s.app->m_bStreamsStarted = 0;
  }
  void CountBadHeader() { m_stats.badHeaders.fetch_add(1); }

  bool Open();
  bool SendRequest();
  bool WaitReadable(std::uint32_t ms);
  int ReceiveSome(std::uint8_t* into, std::size_t room, std::uint32_t seconds);

  Step ReadTcpPacket();
  Step ReadUdpPacket();
  Step Assemble(std::uint8_t* slot, std::uint32_t& length);
  void Account(const AssemblyStep& step);

  const ReceiverSetup& m_s;
  const platform::StopToken& m_stop;
  ReceiverStats m_ownStats;  // counts of a setup that asks for none
  ReceiverStats& m_stats;
  platform::IClock& m_clock;
  CBlockingSocket m_socket;
  CSockAddr m_server;
  FrameAssembler m_assembler;

  // The packet read last: its first m_packetBytes bytes, and room behind them for the swap.
  std::array<std::uint8_t, kReceivePacketBytes + FrameAssembler::kSwapSpare> m_packet{};
  std::size_t m_packetBytes = 0;
  TcpPacketReader m_tcp;
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

// What the socket holds is taken at once; only an empty socket is waited on. A stream's
// packets come in bursts, so most reads cost one call instead of a wait and a read.
int Receiver::ReceiveSome(std::uint8_t* into, std::size_t room, std::uint32_t seconds) {
  for (;;) {
    const ssize_t n = ::recv(m_socket.Handle(), into, room, MSG_DONTWAIT);
    if (n > 0)
      return static_cast<int>(n);
    if (n == 0)
      return -1;  // the server closed the stream
    if (errno == EINTR)
      continue;
    if ((errno != EAGAIN && errno != EWOULDBLOCK) || !WaitReadable(seconds * 1000))
      return -1;
  }
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
      // The port follows the machine's tick count, not the receiver's clock: a clock that stands
      // still would name the same port on every try.
      const std::uint16_t port =
          m_s.localPort ? m_s.localPort(attempt)
                        : static_cast<std::uint16_t>(50000 + platform::TickCount() % 10000);
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

// Reads one whole packet of the TCP byte stream into m_packet.
Step Receiver::ReadTcpPacket() {
  const TcpPacketReader::Source receive = [this](std::span<std::uint8_t> room) {
    return ReceiveSome(room.data(), room.size(), kTcpReceiveSeconds);
  };
  switch (m_tcp.Read(receive, m_packet, m_packetBytes)) {
    case TcpPacketReader::Result::kPacket:
      return Step::kDone;
    case TcpPacketReader::Result::kRestartBadHeader:
      CountBadHeader();
      return Step::kRestart;
    case TcpPacketReader::Result::kRestart:
      return Step::kRestart;
    case TcpPacketReader::Result::kSourceEnded:
      break;
  }
  return Stopping() ? Step::kStopped : Step::kLost;
}

// Reads one datagram into m_packet (the assembler checks its header).
// (A datagram waiting is taken at once, as in ReceiveSome.)
Step Receiver::ReadUdpPacket() {
  for (;;) {
    const ssize_t n = ::recv(m_socket.Handle(), m_packet.data(), kReceivePacketBytes, MSG_DONTWAIT);
    if (n >= 0 || (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)) {
      if (n <= static_cast<ssize_t>(kFixedHeaderBytes))
        return Step::kLost;
      m_packetBytes = static_cast<std::size_t>(n);
      return Step::kDone;
    }
    if (errno != EINTR && !WaitReadable(kUdpReceiveSeconds * 1000))
      return Stopping() ? Step::kStopped : Step::kLost;
  }
}

// Counts what one packet did and acts on its alarm edges.
void Receiver::Account(const AssemblyStep& step) {
  ActOnAlarmEdges(step.alarm);
  if (step.continuation)
    m_s.app->m_dwReceivedPackets.fetch_add(1);
  if (step.bytesTaken > 0)
    m_s.app->m_lReceivedBytes.fetch_add(static_cast<std::int64_t>(step.bytesTaken));
  const bool video = m_s.kind == StreamKind::kVideo;
  switch (step.event) {
    case AssemblyEvent::kBadHeader:
      CountBadHeader();
      break;
    case AssemblyEvent::kAbandoned:
      if (step.reason == AbandonReason::kBadHeader)
        CountBadHeader();
      if (step.reason == AbandonReason::kFrameTooLong && video) {
        DebugPrint("UDP_Get_Image_Data: CurFrameSize = %lu, check the bug \n",
                   static_cast<unsigned long>(step.frameLength));
      }
      if (step.reason == AbandonReason::kSequenceGap && m_s.udp && video)
        DebugPrint("Get_Image_Data_Thread : Sequence Number is wrong \n");
      m_stats.framesAbandoned.fetch_add(1);
      m_s.app->m_dwLostPackets.fetch_add(1);
      break;
    case AssemblyEvent::kGateDrop:
      DebugPrint("@@@ Get_Image_Data_Thread : Drop P @@@ \n");
      m_stats.keyGateDrops.fetch_add(1);
      break;
    default:
      break;
  }
  if (step.keyLost)
    DebugPrint("@@@ Get_Image_Data_Thread : Lose I @@@ \n");
}

// Fills the slot with the next frame. A fault abandons the frame in progress only; the next one
// is assembled into the same slot.
Step Receiver::Assemble(std::uint8_t* slot, std::uint32_t& length) {
  const std::uint32_t frameStart = m_clock.Ticks();
  m_s.app->m_bStreamsStarted = 1;
  m_s.app->m_bReceiving = 1;
  m_assembler.BeginSlot(std::span<std::uint8_t>(slot, kReceiveSlotBytes));
  while (!Stopping()) {
    // Bytes that keep coming without ever forming a frame end the stream as silence does, over
    // TCP as over UDP: the re-login then asks for it again. The limit is on time without a
    // frame, so it is looked at before every packet, whatever the last one did: datagrams the
    // header check refuses begin no frame and abandon none, and would otherwise hold the
    // stream for good.
    if (m_s.kind == StreamKind::kVideo &&
        platform::TickElapsed(frameStart, m_clock.Ticks()) > kNoFrameLimitMs) {
      if (m_s.udp) {
        if (m_s.switchToTcp)
          m_s.switchToTcp();
        DebugPrint("Get_Image_Data_Thread : UDP get image too long. \n");
      } else {
        DebugPrint("Get_Image_Data_Thread : TCP get image too long. \n");
      }
      return Step::kLost;
    }
    const Step read = m_s.udp ? ReadUdpPacket() : ReadTcpPacket();
    if (read == Step::kRestart) {
      Account(m_assembler.Interrupt());
      continue;
    }
    if (read != Step::kDone)
      return read;
    const AssemblyStep step = m_assembler.Add(m_packet, m_packetBytes);
    Account(step);
    switch (step.event) {
      case AssemblyEvent::kFrame:
        length = m_assembler.FrameLength();
        return Step::kDone;
      case AssemblyEvent::kUnplaceable:
        return Step::kLost;
      case AssemblyEvent::kBadHeader:
      case AssemblyEvent::kTaken:
      case AssemblyEvent::kAbandoned:
      case AssemblyEvent::kNoFrame:
      case AssemblyEvent::kGateDrop:
        break;  // the frame goes on, or the next one begins in the same slot
    }
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
  app.m_dwSessionStartTick = app.m_dwStreamStartTick.load();
  app.m_bSessionStarted = 1;
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
    const Step step = Assemble(slot, length);
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
    m_stats.framesHanded.fetch_add(1);
    m_s.filledSlots->Release(1);
  }
}

}  // namespace

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
  // The stream's start tick is the painter's too: both measure on the application's clock.
  s.clock = &app::Clock();
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
