#include "media/tcp_packet_reader.h"

#include <algorithm>
#include <cstring>

#include "media/frame_header.h"

namespace {

// Receives a packet may take before the reader gives it up.
constexpr int kMaxPacketReceives = 5;
// Receives one search for a packet start may take.
constexpr int kMaxSearchReceives = 64;
// Bytes kept from a search that found no packet start: a start may straddle the next receive.
constexpr std::size_t kSearchKeep = 53;

}  // namespace

bool TcpPacketReader::ReceiveMore(const Source& receive) {
  const int got = receive(std::span<std::uint8_t>(m_in).subspan(m_fill));
  if (got <= 0)
    return false;
  m_fill += static_cast<std::size_t>(got);
  return true;
}

TcpPacketReader::Result TcpPacketReader::Read(const Source& receive, std::span<std::uint8_t> packet,
                                              std::size_t& length) {
  for (int receives = 0; receives < kMaxSearchReceives; ++receives) {
    if (m_fill < 4) {
      if (!ReceiveMore(receive))
        return Result::kSourceEnded;
      continue;
    }
    if (m_in[0] != 1 || m_in[1] != 0) {
      // In the middle of a packet: go on at the next place a packet starts.
      std::uint32_t p = 0;
      if (FindFrameStart(std::span<const std::uint8_t>(m_in.data(), m_fill), &p)) {
        std::memmove(m_in.data(), m_in.data() + p, m_fill - p);
        m_fill -= p;
        return Result::kRestartBadHeader;
      }
      const std::size_t keep = std::min(m_fill, kSearchKeep);
      std::memmove(m_in.data(), m_in.data() + m_fill - keep, keep);
      m_fill = keep == m_in.size() ? 0 : keep;
      if (!ReceiveMore(receive))
        return Result::kSourceEnded;
      continue;
    }
    const std::size_t total = m_in[2] | (m_in[3] << 8);
    if (total > kReceivePacketBytes || total < kFixedHeaderBytes) {
      m_fill = 0;
      return Result::kRestartBadHeader;
    }
    for (int more = 0; m_fill < total; ++more) {
      if (more == kMaxPacketReceives) {
        m_fill = 0;
        return Result::kRestart;
      }
      if (!ReceiveMore(receive))
        return Result::kSourceEnded;
    }
    std::memcpy(packet.data(), m_in.data(), total);
    std::memmove(m_in.data(), m_in.data() + total, m_fill - total);
    m_fill -= total;
    if (m_fill >= 1 && m_in[0] != 1) {
      // What follows is not a packet: drop it and this frame.
      m_fill = 0;
      return Result::kRestart;
    }
    length = total;
    return Result::kPacket;
  }
  return Result::kRestart;
}
