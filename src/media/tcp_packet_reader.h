// The packet boundaries of the TCP media stream: the bytes read from the socket collect in a
// buffer of four packets, and a packet is cut from its front once the total length its header
// gives has arrived. Bytes that do not begin a packet are passed over to the next place where a
// packet starts. The reader holds no socket: it asks its source for more bytes, so the same
// code serves the receiver and any other byte source.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

#include "media/frame_assembler.h"

class TcpPacketReader {
 public:
  static constexpr std::size_t kBufferBytes = 4 * kReceivePacketBytes;

  enum class Result : std::uint8_t {
    kPacket,            // a whole packet was copied out
    kRestart,           // the stream lost its place; the frame in progress is given up
    kRestartBadHeader,  // as kRestart, and a header failed its checks (counted as bad)
    kSourceEnded,       // the source gave no byte (closed, failed, timed out or stopped)
  };

  // Receives up to room.size() bytes into room and returns how many it placed; 0 or less when
  // none came.
  using Source = std::function<int(std::span<std::uint8_t> room)>;

  // Reads until one whole packet is in hand and copies it to the front of `packet` (which holds
  // at least kReceivePacketBytes), setting `length`. After any other result the bytes of
  // `packet` mean nothing.
  Result Read(const Source& receive, std::span<std::uint8_t> packet, std::size_t& length);

  // Bytes received and not yet taken.
  std::size_t Buffered() const { return m_fill; }

 private:
  bool ReceiveMore(const Source& receive);

  std::array<std::uint8_t, kBufferBytes> m_in{};
  std::size_t m_fill = 0;
};
