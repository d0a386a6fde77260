// Fuzz target of the TCP stream's packet reader, fed as a socket would: the first byte picks how
// the bytes arrive (the largest piece one receive gives: 1, 3, 7, 64, 512, 1460 or all the room,
// with the sizes drawn from the next four bytes as a seed); the rest is the byte stream. Each
// packet read goes into a TCP frame assembler, as the receiver hands it on.
//
// Every packet must begin with the packet mark, carry the total length it was cut at and fit
// the packet buffer; every read must take bytes from the stream (the receiver must never spin
// on bytes it already has).
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "media/frame_assembler.h"
#include "media/tcp_packet_reader.h"

namespace {

constexpr std::array<std::size_t, 8> kLargestPiece = {1,    3,    7, 64, 512, kReceivePacketBytes,
                                                      2048, 65535};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 5)
    return 0;
  const std::size_t largest = kLargestPiece[data[0] % kLargestPiece.size()];
  std::uint32_t seed =
      data[1] | data[2] << 8 | data[3] << 16 | static_cast<std::uint32_t>(data[4]) << 24;
  seed |= 1;
  const std::vector<std::uint8_t> stream(data + 5, data + size);
  std::size_t offered = 0;
  const TcpPacketReader::Source receive = [&](std::span<std::uint8_t> room) -> int {
    if (room.empty())
      std::abort();  // a receive into no room would read as a closed connection
    if (offered == stream.size())
      return 0;
    seed ^= seed << 13;
    seed ^= seed >> 17;
    seed ^= seed << 5;
    const std::size_t piece = 1 + seed % largest;
    const std::size_t n = std::min({piece, room.size(), stream.size() - offered});
    std::copy_n(stream.begin() + static_cast<std::ptrdiff_t>(offered), n, room.begin());
    offered += n;
    return static_cast<int>(n);
  };

  TcpPacketReader reader;
  CFrameHeader header;
  std::vector<std::uint8_t> slot(kReceiveSlotBytes);
  FrameAssembler assembler({StreamKind::kVideo, false, false}, header);
  assembler.BeginSlot(slot);
  std::array<std::uint8_t, kReceivePacketBytes + FrameAssembler::kSwapSpare> packet{};
  // Each read takes at least one byte of the stream, so there are no more reads than bytes.
  for (std::size_t reads = 0;; ++reads) {
    if (reads > stream.size() + 1)
      std::abort();
    const std::size_t before = offered - reader.Buffered();
    std::size_t length = 0;
    const TcpPacketReader::Result result = reader.Read(receive, packet, length);
    if (result == TcpPacketReader::Result::kSourceEnded)
      break;
    if (offered - reader.Buffered() <= before && result != TcpPacketReader::Result::kRestart)
      std::abort();
    AssemblyStep step;
    if (result == TcpPacketReader::Result::kPacket) {
      if (length < kFixedHeaderBytes || length > kReceivePacketBytes || packet[0] != 1 ||
          packet[1] != 0 || (packet[2] | packet[3] << 8) != length) {
        std::abort();
      }
      step = assembler.Add(packet, length);
    } else {
      step = assembler.Interrupt();
    }
    if (step.event == AssemblyEvent::kFrame || step.event == AssemblyEvent::kUnplaceable)
      assembler.BeginSlot(slot);
  }
  return 0;
}
