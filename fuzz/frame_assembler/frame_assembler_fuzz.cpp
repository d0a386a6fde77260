// Fuzz target of the frame assembler as a receiver drives it: the first byte picks the stream
// (video or audio, TCP or UDP, the MPEG-4 key-frame gate); then come packets, each a u16
// little-endian length and that many bytes (cut to the receiver's packet buffer). A length of 0
// stands for the TCP reader losing its place. Packets are fed into one receive slot, which a
// completed frame hands on; a packet the stream cannot place ends the session and a new
// assembler starts, as after a re-login.
//
// Every completed frame must lie within the slot and, when it is long enough to hold one, begin
// with a frame header; no step may take more bytes than its packet carried.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "codec/context/mpeg4_decoder_context.h"
#include "media/frame_assembler.h"
#include "net/frame_info_block.h"

namespace {

FrameAssemblerSetup SetupOf(std::uint8_t control) {
  FrameAssemblerSetup setup;
  setup.kind = (control & 1) != 0 ? StreamKind::kAudio : StreamKind::kVideo;
  setup.udp = (control & 2) != 0;
  setup.keyGate = (control & 4) != 0;
  return setup;
}

void CheckFrame(std::span<const std::uint8_t> slot, std::uint32_t length) {
  if (length > slot.size())
    std::abort();
  // A frame header may give a length shorter than the header itself (the frame is then cut to
  // it); one that holds the header must scan as the one that began the frame.
  constexpr std::uint32_t kFrameHeaderBytes = 27;
  if (length >= kFrameHeaderBytes &&
      CMpeg4DecoderContext::ScanFrameHeader(length, slot.data(), nullptr, nullptr, nullptr,
                                            nullptr) != 0) {
    std::abort();
  }
  const std::span<const std::uint8_t> frame = slot.first(length);
  std::array<std::uint8_t, kFrameInfoBlockBytes> info{};
  GetFrameInfoBlock(frame, info);
  (void)IsKeyFrame(frame);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1)
    return 0;
  const FrameAssemblerSetup setup = SetupOf(data[0]);
  CFrameHeader header;
  std::vector<std::uint8_t> slot(kReceiveSlotBytes);
  auto assembler = std::make_unique<FrameAssembler>(setup, header);
  assembler->BeginSlot(slot);
  std::size_t at = 1;
  while (at + 2 <= size) {
    const std::size_t declared = data[at] | data[at + 1] << 8;
    at += 2;
    AssemblyStep step;
    std::size_t length = 0;
    if (declared == 0) {
      step = assembler->Interrupt();
    } else {
      length = std::min({declared, size - at, kReceivePacketBytes});
      // The receiver's packet buffer: the packet and room for the payload swap behind it.
      std::vector<std::uint8_t> buffer(data + at, data + at + length);
      buffer.resize(length + FrameAssembler::kSwapSpare, 0);
      at += length;
      step = assembler->Add(buffer, length);
    }
    if (step.bytesTaken > length)
      std::abort();
    switch (step.event) {
      case AssemblyEvent::kFrame:
        if (step.frameLength != assembler->FrameLength())
          std::abort();
        CheckFrame(slot, assembler->FrameLength());
        assembler->BeginSlot(slot);
        break;
      case AssemblyEvent::kUnplaceable:
        assembler = std::make_unique<FrameAssembler>(setup, header);
        assembler->BeginSlot(slot);
        break;
      default:
        break;
    }
  }
  return 0;
}
