// The frame assembler on byte vectors: packets as the server sends them, in order and with the
// faults of a network (gaps, duplicates, reordering, a wrong mark, a length field too large, a
// datagram cut short), over TCP and UDP; the key-frame gate; the bytes a UDP datagram carries
// into the next frame; and the frames or faults that end the stream.
#include "media/frame_assembler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "fakes/stream_packets.h"

namespace {

using fakes::ByteVector;
using fakes::ClipFrame;

// A video frame of `size` elementary bytes that begins as a key frame (a video object start
// code) or a predicted one (a VOP start code).
ClipFrame VideoFrame(bool key, std::uint8_t gop, std::size_t size, std::uint8_t fill) {
  ClipFrame f;
  f.key = key;
  f.gop = gop;
  f.elementary.assign(size, fill);
  const ByteVector start = key ? ByteVector{0, 0, 1, 0} : ByteVector{0, 0, 1, 0xB6};
  std::copy(start.begin(), start.end(), f.elementary.begin());
  f.frame = fakes::BuildFrame(fakes::kStreamIdMpeg4, 3003u * fill, f.elementary, 32, false);
  return f;
}

// Packets of at most 200 bytes, numbered on from 0.
std::vector<ByteVector> Packets(const std::vector<ClipFrame>& frames) {
  fakes::PacketOptions options;
  options.maxPacket = 200;
  std::uint16_t sequence = 0;
  std::vector<ByteVector> packets;
  for (const ClipFrame& f : frames) {
    for (ByteVector& p : fakes::Packetize(f, sequence, options))
      packets.push_back(std::move(p));
  }
  return packets;
}

// What the assembler made of a packet sequence.
struct Outcome {
  std::vector<ByteVector> frames;
  std::vector<AssemblyEvent> events;
  std::vector<AbandonReason> abandoned;
  int keyLost = 0;
  std::size_t bytesTaken = 0;
  int continuations = 0;
};

class AssemblerRig {
 public:
  explicit AssemblerRig(FrameAssemblerSetup setup)
      : m_slot(kReceiveSlotBytes), m_assembler(setup, m_header) {
    m_assembler.BeginSlot(m_slot);
  }

  void Feed(const ByteVector& packet) {
    // Room behind the packet for the payload swap, as the receiver's buffer has.
    ByteVector buffer = packet;
    buffer.resize(packet.size() + FrameAssembler::kSwapSpare, 0);
    Record(m_assembler.Add(buffer, packet.size()));
  }
  void Interrupt() { Record(m_assembler.Interrupt()); }

  Outcome m_outcome;

 private:
  void Record(const AssemblyStep& step) {
    m_outcome.events.push_back(step.event);
    m_outcome.bytesTaken += step.bytesTaken;
    m_outcome.continuations += step.continuation ? 1 : 0;
    m_outcome.keyLost += step.keyLost ? 1 : 0;
    if (step.event == AssemblyEvent::kAbandoned)
      m_outcome.abandoned.push_back(step.reason);
    if (step.event == AssemblyEvent::kFrame) {
      EXPECT_EQ(step.frameLength, m_assembler.FrameLength());
      m_outcome.frames.emplace_back(m_slot.begin(), m_slot.begin() + m_assembler.FrameLength());
      m_assembler.BeginSlot(m_slot);
    }
  }

  CFrameHeader m_header;
  ByteVector m_slot;
  FrameAssembler m_assembler;
};

// Three frames: a key frame of three packets, a predicted frame of two, one of one packet.
const std::vector<ClipFrame>& ThreeFrames() {
  static const std::vector<ClipFrame> frames = {
      VideoFrame(true, 0, 400, 1), VideoFrame(false, 0, 200, 2), VideoFrame(false, 0, 60, 3)};
  return frames;
}

using Fault = std::function<void(std::vector<ByteVector>&)>;

struct FaultCase {
  std::string name;
  bool udp;
  Fault fault;
  std::vector<int> frames;  // indexes into ThreeFrames of the frames that come out
  std::vector<AbandonReason> abandoned;
  int badHeaders;  // UDP packets dropped for their header
};

class AssemblerFaultTest : public ::testing::TestWithParam<FaultCase> {};

// Without the key-frame gate, so that each fault shows alone.
TEST_P(AssemblerFaultTest, GivesItsFramesAndReasons) {
  const FaultCase& c = GetParam();
  std::vector<ByteVector> packets = Packets(ThreeFrames());
  ASSERT_EQ(packets.size(), 6u);
  c.fault(packets);
  AssemblerRig rig({StreamKind::kVideo, c.udp, false});
  for (const ByteVector& p : packets)
    rig.Feed(p);
  std::vector<ByteVector> want;
  for (int i : c.frames)
    want.push_back(ThreeFrames()[static_cast<std::size_t>(i)].frame);
  EXPECT_EQ(rig.m_outcome.frames, want);
  EXPECT_EQ(rig.m_outcome.abandoned, c.abandoned);
  EXPECT_EQ(std::count(rig.m_outcome.events.begin(), rig.m_outcome.events.end(),
                       AssemblyEvent::kBadHeader),
            c.badHeaders);
  EXPECT_EQ(std::count(rig.m_outcome.events.begin(), rig.m_outcome.events.end(),
                       AssemblyEvent::kUnplaceable),
            0);
}

void Drop(std::vector<ByteVector>& p, std::size_t i) {
  p.erase(p.begin() + static_cast<std::ptrdiff_t>(i));
}
void Duplicate(std::vector<ByteVector>& p, std::size_t i) {
  p.insert(p.begin() + static_cast<std::ptrdiff_t>(i), p[i]);
}
void WrongMark(std::vector<ByteVector>& p, std::size_t i) {
  p[i][0] = 0;
}
void LengthField(std::vector<ByteVector>& p, std::size_t i, std::uint16_t total) {
  p[i][2] = static_cast<std::uint8_t>(total & 0xFF);
  p[i][3] = static_cast<std::uint8_t>(total >> 8);
}

constexpr auto kGap = AbandonReason::kSequenceGap;
constexpr auto kHeader = AbandonReason::kBadHeader;

INSTANTIATE_TEST_SUITE_P(
    Table, AssemblerFaultTest,
    ::testing::Values(
        FaultCase{"TcpInOrder", false, [](auto&) {}, {0, 1, 2}, {}, 0},
        FaultCase{"UdpInOrder", true, [](auto&) {}, {0, 1, 2}, {}, 0},
        // A lost packet of the key frame: the next one breaks the sequence and is dropped.
        FaultCase{"TcpGap", false, [](auto& p) { Drop(p, 1); }, {1, 2}, {kGap}, 0},
        FaultCase{"UdpGap", true, [](auto& p) { Drop(p, 1); }, {1, 2}, {kGap}, 0},
        // A lost first packet: the frame's rest begins no frame.
        FaultCase{"UdpLostFirstPacket", true, [](auto& p) { Drop(p, 3); }, {0, 2}, {}, 0},
        // The copy breaks the sequence; the packet after it begins no frame.
        FaultCase{"TcpDuplicate", false, [](auto& p) { Duplicate(p, 1); }, {1, 2}, {kGap}, 0},
        FaultCase{"UdpDuplicate", true, [](auto& p) { Duplicate(p, 1); }, {1, 2}, {kGap}, 0},
        // A copy of a frame's last packet begins no frame: nothing is lost.
        FaultCase{
            "UdpDuplicateOfTheLast", true, [](auto& p) { Duplicate(p, 4); }, {0, 1, 2}, {}, 0},
        FaultCase{"UdpReorder", true, [](auto& p) { std::swap(p[1], p[2]); }, {1, 2}, {kGap}, 0},
        // TCP: a packet whose header fails gives up its frame; UDP: it is dropped, and the
        // frame then misses it.
        FaultCase{"TcpWrongMark", false, [](auto& p) { WrongMark(p, 1); }, {1, 2}, {kHeader}, 0},
        FaultCase{"UdpWrongMark", true, [](auto& p) { WrongMark(p, 1); }, {1, 2}, {kGap}, 1},
        // A length field larger than the packet: the packet lost bytes on the way.
        FaultCase{"TcpLengthTooLarge",
                  false,
                  [](auto& p) { LengthField(p, 4, 1461); },
                  {0, 2},
                  {kHeader},
                  0},
        FaultCase{
            "UdpLengthTooLarge", true, [](auto& p) { LengthField(p, 4, 1461); }, {0}, {kGap}, 1},
        FaultCase{"UdpTruncated", true, [](auto& p) { p[1].resize(20); }, {1, 2}, {kGap}, 1},
        // A header cut inside its optional fields.
        FaultCase{"UdpHeaderCut", true, [](auto& p) { p[5].resize(9); }, {0, 1}, {}, 1},
        // A datagram longer than its header says is cut to that length.
        FaultCase{
            "UdpTrailingBytes", true, [](auto& p) { p[2].push_back(0x77); }, {0, 1, 2}, {}, 0}),
    [](const auto& info) { return info.param.name; });

TEST(FrameAssemblerTest, CountsBytesAndContinuationPackets) {
  AssemblerRig rig({StreamKind::kVideo, true, false});
  for (const ByteVector& p : Packets(ThreeFrames()))
    rig.Feed(p);
  std::size_t bytes = 0;
  for (const ClipFrame& f : ThreeFrames())
    bytes += f.frame.size();
  EXPECT_EQ(rig.m_outcome.bytesTaken, bytes);
  EXPECT_EQ(rig.m_outcome.continuations, 3);  // 6 packets, 3 of them first of their frame
}

TEST(FrameAssemblerTest, TcpInterruptionGivesUpTheFrameInProgress) {
  const auto packets = Packets(ThreeFrames());
  AssemblerRig rig({StreamKind::kVideo, false, false});
  rig.Feed(packets[0]);
  rig.Interrupt();
  for (std::size_t i = 3; i < packets.size(); ++i)
    rig.Feed(packets[i]);
  EXPECT_EQ(rig.m_outcome.abandoned, (std::vector<AbandonReason>{AbandonReason::kPacketLost}));
  EXPECT_EQ(rig.m_outcome.frames,
            (std::vector<ByteVector>{ThreeFrames()[1].frame, ThreeFrames()[2].frame}));
}

// A UDP datagram holding the end of one frame and the start of the next: the excess is carried
// into the next slot and begins that frame.
TEST(FrameAssemblerTest, UdpExcessBytesBeginTheNextFrame) {
  const auto frames = ThreeFrames();
  ByteVector joined = frames[1].frame;
  joined.insert(joined.end(), frames[2].frame.begin(), frames[2].frame.begin() + 40);
  const ByteVector rest(frames[2].frame.begin() + 40, frames[2].frame.end());
  fakes::PacketOptions options;
  auto packet = [&](std::uint16_t sequence, const ByteVector& payload) {
    ByteVector p = fakes::BuildPacketHeader(sequence, 0, payload.size(), options);
    const std::size_t at = p.size();
    p.insert(p.end(), payload.begin(), payload.end());
    fakes::SwapUnits(std::span<std::uint8_t>(p).subspan(at));
    return p;
  };
  AssemblerRig rig({StreamKind::kVideo, true, false});
  rig.Feed(packet(0, joined));
  rig.Feed(packet(1, rest));  // the first packet of its slot after the carried bytes
  EXPECT_EQ(rig.m_outcome.frames, (std::vector<ByteVector>{frames[1].frame, frames[2].frame}));

  AssemblerRig tcp({StreamKind::kVideo, false, false});
  tcp.Feed(packet(0, joined));
  tcp.Feed(packet(1, rest));  // TCP carries nothing over: the rest begins no frame
  EXPECT_EQ(tcp.m_outcome.frames, (std::vector<ByteVector>{frames[1].frame}));
  EXPECT_EQ(tcp.m_outcome.events.back(), AssemblyEvent::kNoFrame);
}

struct GateCase {
  std::string name;
  std::vector<ClipFrame> frames;
  std::vector<std::size_t> dropPackets;  // lost on the way
  std::vector<int> passed;               // indexes of the frames that come out
  int gateDrops;
  int keyLost;
};

class KeyGateTest : public ::testing::TestWithParam<GateCase> {};

TEST_P(KeyGateTest, PredictedFramesWaitForTheirKeyFrame) {
  const GateCase& c = GetParam();
  std::vector<ByteVector> packets = Packets(c.frames);
  for (auto i = c.dropPackets.rbegin(); i != c.dropPackets.rend(); ++i)
    Drop(packets, *i);
  AssemblerRig rig({StreamKind::kVideo, true, true});
  for (const ByteVector& p : packets)
    rig.Feed(p);
  std::vector<ByteVector> want;
  for (int i : c.passed)
    want.push_back(c.frames[static_cast<std::size_t>(i)].frame);
  EXPECT_EQ(rig.m_outcome.frames, want);
  EXPECT_EQ(std::count(rig.m_outcome.events.begin(), rig.m_outcome.events.end(),
                       AssemblyEvent::kGateDrop),
            c.gateDrops);
  EXPECT_EQ(rig.m_outcome.keyLost, c.keyLost);
}

// Key frames of 400 bytes take three packets; predicted frames of 60 bytes one.
const ClipFrame kI0 = VideoFrame(true, 0, 400, 10);
const ClipFrame kP0 = VideoFrame(false, 0, 60, 11);
const ClipFrame kI1 = VideoFrame(true, 1, 400, 12);
const ClipFrame kP1 = VideoFrame(false, 1, 60, 13);
const ClipFrame kP1b = VideoFrame(false, 1, 60, 14);
const ClipFrame kP1Long = VideoFrame(false, 1, 400, 15);

INSTANTIATE_TEST_SUITE_P(
    Table, KeyGateTest,
    ::testing::Values(
        GateCase{"PredictedBeforeAnyKeyFrameAreDropped", {kP0, kP0, kI1, kP1}, {}, {2, 3}, 2, 0},
        // A loss inside the key frame: its GOP's predicted frames go until the next key frame.
        GateCase{"LossInTheKeyFrame", {kI0, kP0, kP0, kI1, kP1}, {1}, {3, 4}, 2, 1},
        // A loss after a predicted frame passed keeps the GOP: its next predicted frames pass.
        GateCase{"LossAfterAPredictedFrame", {kI1, kP1, kP1Long, kP1b}, {5}, {0, 1, 3}, 0, 0}),
    [](const auto& info) { return info.param.name; });

TEST(FrameAssemblerTest, FrameLongerThanTheSlotIsAbandoned) {
  ClipFrame big = VideoFrame(true, 0, 100, 5);
  // The frame length at bytes 24..26 (15 + 8 bits with two marker bits): 102,401.
  const std::uint32_t length = kReceiveSlotBytes + 1;
  big.frame[24] = static_cast<std::uint8_t>(0x80 | ((length >> 15) & 0x7F));
  big.frame[25] = static_cast<std::uint8_t>(((length >> 7) & 0xF0) | 0x08 | ((length >> 8) & 7));
  big.frame[26] = static_cast<std::uint8_t>(length & 0xFF);
  AssemblerRig rig({StreamKind::kVideo, true, true});
  rig.Feed(Packets({big})[0]);
  EXPECT_EQ(rig.m_outcome.abandoned, (std::vector<AbandonReason>{AbandonReason::kFrameTooLong}));
  EXPECT_EQ(rig.m_outcome.keyLost, 1);
}

TEST(FrameAssemblerTest, AudioFrameOfAMillionBytesBeginsNoFrame) {
  ClipFrame audio = fakes::AudioClip(1, 100)[0];
  const std::uint32_t length = kAudioFrameLengthLimit;
  audio.frame[24] = static_cast<std::uint8_t>(0x80 | ((length >> 15) & 0x7F));
  audio.frame[25] = static_cast<std::uint8_t>(((length >> 7) & 0xF0) | 0x08 | ((length >> 8) & 7));
  audio.frame[26] = static_cast<std::uint8_t>(length & 0xFF);
  AssemblerRig rig({StreamKind::kAudio, false, false});
  rig.Feed(Packets({audio})[0]);
  EXPECT_EQ(rig.m_outcome.events, (std::vector<AssemblyEvent>{AssemblyEvent::kNoFrame}));
}

// An empty payload, or more bytes than the slot holds, ends the stream.
TEST(FrameAssemblerTest, PayloadThatCannotBePlacedEndsTheStream) {
  fakes::PacketOptions options;
  const ByteVector empty = fakes::BuildPacketHeader(0, 0, 0, options);
  for (const bool udp : {false, true}) {
    AssemblerRig rig({StreamKind::kVideo, udp, false});
    rig.Feed(empty);
    EXPECT_EQ(rig.m_outcome.events, (std::vector<AssemblyEvent>{AssemblyEvent::kUnplaceable}));
  }
  // A frame whose header claims a whole slot, then more packets than the slot holds.
  ClipFrame big = VideoFrame(true, 0, 1300, 6);
  const std::uint32_t length = kReceiveSlotBytes;
  big.frame[24] = static_cast<std::uint8_t>(0x80 | ((length >> 15) & 0x7F));
  big.frame[25] = static_cast<std::uint8_t>(((length >> 7) & 0xF0) | 0x08 | ((length >> 8) & 7));
  big.frame[26] = static_cast<std::uint8_t>(length & 0xFF);
  options.maxPacket = 1460;
  std::uint16_t sequence = 0;
  const ByteVector first = fakes::Packetize(big, sequence, options)[0];
  AssemblerRig rig({StreamKind::kVideo, false, false});
  rig.Feed(first);
  for (int i = 0; i < 100 && rig.m_outcome.events.back() == AssemblyEvent::kTaken; ++i) {
    ByteVector next = fakes::BuildPacketHeader(sequence++, 0, 1400, options);
    next.resize(next.size() + 1400, 0x55);
    rig.Feed(next);
  }
  EXPECT_EQ(rig.m_outcome.events.back(), AssemblyEvent::kUnplaceable);
  EXPECT_LE(rig.m_outcome.bytesTaken, kReceiveSlotBytes);
}

// The alarm edges of a header come back with the packet's step, for the receiver to act on.
TEST(FrameAssemblerTest, AlarmEdgesComeBackWithTheStep) {
  g_bAlarmClear = 1;
  fakes::PacketOptions alarm;
  alarm.statusA = 1;
  std::uint16_t sequence = 0;
  const ByteVector p = fakes::Packetize(ThreeFrames()[2], sequence, alarm)[0];
  CFrameHeader header;
  FrameAssembler assembler({StreamKind::kVideo, true, false}, header);
  ByteVector slot(kReceiveSlotBytes);
  assembler.BeginSlot(slot);
  ByteVector buffer = p;
  buffer.resize(p.size() + FrameAssembler::kSwapSpare);
  const AssemblyStep step = assembler.Add(buffer, p.size());
  EXPECT_EQ(step.event, AssemblyEvent::kFrame);
  EXPECT_TRUE(step.alarm.shown);
  EXPECT_TRUE(step.alarm.startRecord);
  g_bAlarmClear = 1;
}

}  // namespace
