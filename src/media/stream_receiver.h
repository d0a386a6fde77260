// The stream receivers: one thread per connection (video or audio, TCP or UDP) that sends the
// stream-start request, reads packets, checks their headers and sequence numbers, assembles
// each frame into a slot of the receive ring and hands the slot to the compose thread through
// the ring's semaphore pair. A lost connection is reported once through reportLost (the
// kernel mailbox's code 1) and ends the thread.
//
// Every read is bounded: a packet is parsed only within its own length, a UDP datagram whose
// header fails the check is dropped rather than taken as payload, and a frame never grows past
// its slot. Framing faults abandon the current frame only and are counted as lost.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "media/frame_assembler.h"
#include "media/frame_header.h"
#include "media/stream_request.h"
#include "platform/clock.h"
#include "platform/sync.h"
#include "platform/thread.h"

class CAppData;

inline constexpr std::size_t kReceiveSlots = 30;
inline constexpr std::uint32_t kFreeSlotWaitMs = 7000;
inline constexpr std::uint32_t kTcpReceiveSeconds = 7;
inline constexpr std::uint32_t kUdpReceiveSeconds = 5;
// A video receiver that has not completed a frame for this long gives the stream up (over UDP
// it switches the setting to TCP first); the re-login starts a new one.
inline constexpr std::uint32_t kNoFrameLimitMs = 10000;
inline constexpr std::uint32_t kUdpNoFrameSwitchMs = kNoFrameLimitMs;

// What one receiver found, for tests and the statistics line.
struct ReceiverStats {
  std::atomic<std::uint32_t> framesHanded{0};
  std::atomic<std::uint32_t> framesAbandoned{0};  // sequence, length or header faults
  std::atomic<std::uint32_t> badHeaders{0};       // packets refused by the header check
  std::atomic<std::uint32_t> keyGateDrops{0};     // predicted frames dropped before a key frame
  std::atomic<std::uint32_t> connectionLost{0};
};

struct ReceiverSetup {
  StreamKind kind = StreamKind::kVideo;
  bool udp = false;
  std::uint8_t videoFormat = 4;
  std::string serverAddress;
  std::uint16_t streamPort = 0;
  std::string localAddress;
  std::string session;

  CFrameHeader* header = nullptr;
  CAppData* app = nullptr;  // counters and connection flags

  // The receive ring: kReceiveSlots slots of kReceiveSlotBytes, a length per slot, the write
  // index, and the free / filled semaphores.
  std::uint8_t* slots = nullptr;
  std::uint32_t* lengths = nullptr;
  std::uint16_t* writeIndex = nullptr;
  std::shared_ptr<platform::Semaphore> freeSlots;
  std::shared_ptr<platform::Semaphore> filledSlots;

  std::shared_ptr<platform::Event> start;
  std::shared_ptr<platform::Event> resetRequest;
  std::shared_ptr<platform::Event> resetDone;
  std::shared_ptr<platform::Event> terminateAnswer;  // reset on start, may be null
  std::shared_ptr<platform::Event> receiverStarted;
  std::shared_ptr<platform::Event> requestSent;
  std::shared_ptr<platform::Event> endOfStreams;

  std::function<void()> reportLost;
  // UDP video that completes no frame for 10 s: the transmission type becomes TCP (in memory).
  std::function<void()> switchToTcp;
  platform::IClock* clock = nullptr;  // the real clock when null
  // Local UDP port for a try (0, 1, 2); 50,000 + tick count mod 10,000 when empty.
  std::function<std::uint16_t(int attempt)> localPort;
  ReceiverStats* stats = nullptr;  // the counts go here when given
};

// Runs one receiver until it ends; returns 0.
std::uint32_t RunStreamReceiver(const ReceiverSetup& setup, const platform::StopToken& stop);

// A receiver's setup from the application data block (g_lpApp) and its settings.
ReceiverSetup ReceiverSetupFromApp(StreamKind kind, bool udp);

std::uint32_t TcpGetImageDataThread(platform::StopToken stop);
std::uint32_t TcpGetAudioThread(platform::StopToken stop);
std::uint32_t UdpGetImageDataThread(platform::StopToken stop);
std::uint32_t UdpGetAudioThread(platform::StopToken stop);
