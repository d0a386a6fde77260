#include "media/frame_assembler.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "codec/context/mpeg4_decoder_context.h"
#include "net/frame_info_block.h"

namespace {

constexpr std::uint8_t kGateWaiting = 255;

}  // namespace

void SwapPayload(std::span<std::uint8_t> buffer, std::size_t length) {
  const std::size_t span = std::min(buffer.size(), (length + 7) & ~std::size_t{7});
  for (std::size_t i = 0; i + 1 < span; i += 2)
    std::swap(buffer[i], buffer[i + 1]);
}

bool IsKeyFrame(std::span<const std::uint8_t> frame) {
  const std::size_t at = ElementaryStreamOffset(frame);
  if (frame.size() < at + 4)
    return false;
  return frame[at] == 0 && frame[at + 1] == 0 && frame[at + 2] == 1 && frame[at + 3] == 0;
}

FrameAssembler::FrameAssembler(const FrameAssemblerSetup& setup, CFrameHeader& header)
    : m_setup(setup), m_header(header), m_gate(kGateWaiting) {}

void FrameAssembler::BeginSlot(std::span<std::uint8_t> slot) {
  m_slot = slot;
  Restart();
  const std::size_t carry = std::min(m_carryBytes, m_slot.size());
  std::copy_n(m_carry.begin(), carry, m_slot.begin());
  m_offset = carry;
  m_carryBytes = 0;
}

AssemblyStep FrameAssembler::Add(std::span<std::uint8_t> buffer, std::size_t length) {
  AssemblyStep step;
  const std::span<const std::uint8_t> packet(buffer.data(), std::min(length, buffer.size()));
  if (m_header.Parse(packet, &step.alarm) != 1) {
    if (!m_setup.udp)
      return Abandon(step, AbandonReason::kBadHeader, false);
    step.event = AssemblyEvent::kBadHeader;
    return step;
  }
  // A packet shorter than its header's total length lost bytes on the way (a TCP reader cuts
  // packets by that length, so only a datagram can be); a longer datagram is cut to it.
  if (packet.size() < m_header.TotalLength()) {
    if (!m_setup.udp)
      return Abandon(step, AbandonReason::kBadHeader, false);
    step.event = AssemblyEvent::kBadHeader;
    return step;
  }
  const std::size_t total = m_header.TotalLength();
  const std::size_t headerLength = m_header.HeaderLength();
  const std::size_t payloadBytes = total - headerLength;
  if (m_setup.udp && payloadBytes < 1) {
    step.event = AssemblyEvent::kUnplaceable;
    return step;
  }
  SwapPayload(buffer.subspan(headerLength), payloadBytes);
  const std::span<const std::uint8_t> payload(buffer.data() + headerLength, payloadBytes);
  return m_inFrame ? Next(payload, step) : First(payload, step);
}

AssemblyStep FrameAssembler::Interrupt() {
  return Abandon(AssemblyStep{}, AbandonReason::kPacketLost, false);
}

AssemblyStep FrameAssembler::First(std::span<const std::uint8_t> payload, AssemblyStep step) {
  if (payload.empty() || m_offset + payload.size() > m_slot.size()) {
    step.event = AssemblyEvent::kUnplaceable;
    return step;
  }
  std::copy(payload.begin(), payload.end(), m_slot.begin() + static_cast<std::ptrdiff_t>(m_offset));
  m_offset += payload.size();
  step.bytesTaken = payload.size();
  std::uint32_t frameLength = 0;
  if (CMpeg4DecoderContext::ScanFrameHeader(static_cast<std::uint32_t>(m_offset), m_slot.data(),
                                            nullptr, &frameLength, nullptr, nullptr) != 0) {
    Restart();
    step.event = AssemblyEvent::kNoFrame;
    return step;
  }
  step.frameLength = frameLength;
  const bool video = m_setup.kind == StreamKind::kVideo;
  if (video && frameLength > m_slot.size())
    return Abandon(step, AbandonReason::kFrameTooLong, true);
  if (!video && frameLength >= kAudioFrameLengthLimit) {
    Restart();
    step.event = AssemblyEvent::kNoFrame;
    return step;
  }
  m_expected = frameLength;
  if (!GatePasses()) {
    Restart();
    step.event = AssemblyEvent::kGateDrop;
    return step;
  }
  m_inFrame = true;
  m_previous = m_header.SequenceNumber();
  if (m_offset >= m_expected)
    return Complete(step);
  step.event = AssemblyEvent::kTaken;
  return step;
}

AssemblyStep FrameAssembler::Next(std::span<const std::uint8_t> payload, AssemblyStep step) {
  step.continuation = true;
  const std::uint16_t sequence = m_header.SequenceNumber();
  if (sequence != static_cast<std::uint16_t>(m_previous + 1))
    return Abandon(step, AbandonReason::kSequenceGap, m_setup.udp);
  if (payload.empty() || m_offset + payload.size() > m_slot.size()) {
    step.event = AssemblyEvent::kUnplaceable;
    return step;
  }
  m_previous = sequence;
  std::copy(payload.begin(), payload.end(), m_slot.begin() + static_cast<std::ptrdiff_t>(m_offset));
  m_offset += payload.size();
  step.bytesTaken = payload.size();
  if (m_offset >= m_expected)
    return Complete(step);
  step.event = AssemblyEvent::kTaken;
  return step;
}

AssemblyStep FrameAssembler::Abandon(AssemblyStep step, AbandonReason reason, bool loseKey) {
  Restart();
  step.event = AssemblyEvent::kAbandoned;
  step.reason = reason;
  step.keyLost = loseKey && LoseKey();
  return step;
}

AssemblyStep FrameAssembler::Complete(AssemblyStep step) {
  if (m_setup.udp) {
    m_carryBytes = std::min(m_offset - m_expected, m_carry.size());
    std::copy_n(m_slot.begin() + static_cast<std::ptrdiff_t>(m_expected), m_carryBytes,
                m_carry.begin());
  }
  m_inFrame = false;
  step.event = AssemblyEvent::kFrame;
  step.frameLength = m_expected;
  return step;
}

bool FrameAssembler::GatePasses() {
  if (!m_setup.keyGate)
    return true;
  const bool key = IsKeyFrame(m_slot.first(m_offset));
  const std::uint8_t gop = m_header.GopNumber();
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
  return false;
}

bool FrameAssembler::LoseKey() {
  if (m_notKey)
    return false;
  m_gate = kGateWaiting;
  return true;
}
