// The frame assembler of a stream receiver: packets in (the bytes of one packet, header and
// payload as they came), frames out. It holds no socket, no thread and no globals: each call
// says what the packet did (a frame completed, a frame given up and why, a packet dropped), and
// the receiver acts on that and counts it.
//
// A frame begins with a packet whose payload, placed at the start of the slot, holds the frame
// header that gives the frame's length; the packets that follow must carry the next sequence
// numbers, and the frame is complete once the slot holds its length. Over UDP, bytes of a last
// packet beyond the frame's end begin the next frame, and MPEG-4 video goes through the key-frame
// gate: after a loss, predicted frames are dropped until a key frame (or a frame of the GOP whose
// key frame was seen) comes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "media/frame_header.h"
#include "media/stream_request.h"

inline constexpr std::size_t kReceiveSlotBytes = 102400;
inline constexpr std::size_t kReceivePacketBytes = 1460;
inline constexpr std::uint32_t kAudioFrameLengthLimit = 1000000;

// What one packet did.
enum class AssemblyEvent : std::uint8_t {
  kBadHeader,    // UDP: the header failed its checks (wrong mark, cut short, ...); the packet is
                 // dropped and the frame in progress goes on
  kTaken,        // the payload went into the frame, which needs more
  kFrame,        // the frame is complete: FrameLength() bytes at the start of the slot
  kAbandoned,    // the frame in progress was given up (see the reason); the next packet begins
                 // a new one in the same slot
  kNoFrame,      // the packet begins no frame (no frame header, or an audio frame too long);
                 // dropped, not counted as a loss
  kGateDrop,     // the key-frame gate drops the frame this packet begins
  kUnplaceable,  // an empty payload, or one that does not fit the slot: the stream cannot be
                 // followed any more (the receiver reports the connection lost)
};

enum class AbandonReason : std::uint8_t {
  kNone,
  kPacketLost,    // TCP: the byte stream lost its place between packets
  kBadHeader,     // TCP: a packet's header failed its checks
  kSequenceGap,   // a packet did not carry the next sequence number (gap, duplicate, reorder)
  kFrameTooLong,  // a video frame's header gives more than a slot holds
};

struct AssemblyStep {
  AssemblyEvent event = AssemblyEvent::kTaken;
  AbandonReason reason = AbandonReason::kNone;
  std::size_t bytesTaken = 0;     // payload bytes placed in the slot
  bool continuation = false;      // a packet after the first of its frame
  bool keyLost = false;           // the gate waits for a key frame again
  std::uint32_t frameLength = 0;  // the length the frame's header gave (kFrame, kFrameTooLong)
  AlarmEdges alarm;               // the alarm edges of this packet's header
};

struct FrameAssemblerSetup {
  StreamKind kind = StreamKind::kVideo;
  bool udp = false;
  bool keyGate = false;  // MPEG-4 video over UDP
};

// Swaps the payload's 16-bit units back in place over (length + 7) rounded down to a multiple
// of 8 bytes; the buffer must hold that many bytes.
void SwapPayload(std::span<std::uint8_t> buffer, std::size_t length);
// True when the frame in the slot begins with a key frame (00 00 01 00 where the elementary
// stream starts).
bool IsKeyFrame(std::span<const std::uint8_t> frame);

class FrameAssembler {
 public:
  // Bytes past a packet that the payload swap may touch (it works on groups of eight).
  static constexpr std::size_t kSwapSpare = 8;

  // `header` keeps what the last packet's header said (the windows read it).
  FrameAssembler(const FrameAssemblerSetup& setup, CFrameHeader& header);

  // The slot (kReceiveSlotBytes) the next frame goes into. Over UDP the bytes carried over from
  // the last frame's packet are placed at its start.
  void BeginSlot(std::span<std::uint8_t> slot);

  // One packet: its first `length` bytes of `buffer`. The buffer holds kSwapSpare more bytes
  // after the packet (when it has them), which the payload swap may reach; the payload is
  // swapped back in place.
  AssemblyStep Add(std::span<std::uint8_t> buffer, std::size_t length);

  // TCP: the byte stream lost its place (the reader passes over bytes to the next packet): the
  // frame in progress, if any, is given up.
  AssemblyStep Interrupt();

  // The length of the frame completed by the last kFrame.
  std::uint32_t FrameLength() const { return m_expected; }

 private:
  AssemblyStep First(std::span<const std::uint8_t> payload, AssemblyStep step);
  AssemblyStep Next(std::span<const std::uint8_t> payload, AssemblyStep step);
  AssemblyStep Abandon(AssemblyStep step, AbandonReason reason, bool loseKey);
  AssemblyStep Complete(AssemblyStep step);
  bool GatePasses();
  bool LoseKey();
  void Restart() {
    m_inFrame = false;
    m_offset = 0;
  }

  FrameAssemblerSetup m_setup;
  CFrameHeader& m_header;
  std::span<std::uint8_t> m_slot;
  std::size_t m_offset = 0;
  std::uint32_t m_expected = 0;
  std::uint16_t m_previous = 0;
  bool m_inFrame = false;
  std::array<std::uint8_t, kReceivePacketBytes> m_carry{};  // UDP: excess of the last frame
  std::size_t m_carryBytes = 0;
  std::uint8_t m_gate;
  bool m_notKey = false;
};
