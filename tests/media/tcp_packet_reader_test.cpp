// The TCP stream's packet reader on scripted receives: whole packets however the bytes arrive,
// the search past bytes that begin no packet, a length field out of range, bytes behind a
// packet that begin none, a packet that does not complete, and a source that ends.
#include "media/tcp_packet_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "fakes/stream_packets.h"

namespace {

using fakes::ByteVector;
using Result = TcpPacketReader::Result;

// Gives the stream's bytes in pieces of the listed sizes (the last size repeats), then nothing.
class Pieces {
 public:
  Pieces(ByteVector bytes, std::vector<std::size_t> sizes)
      : m_bytes(std::move(bytes)), m_sizes(std::move(sizes)) {}

  TcpPacketReader::Source Source() {
    return [this](std::span<std::uint8_t> room) {
      ++receives;
      const std::size_t size = m_sizes[std::min(m_next, m_sizes.size() - 1)];
      ++m_next;
      const std::size_t n = std::min({size, room.size(), m_bytes.size() - m_at});
      std::copy_n(m_bytes.begin() + static_cast<std::ptrdiff_t>(m_at), n, room.begin());
      m_at += n;
      return static_cast<int>(n);
    };
  }

  int receives = 0;

 private:
  ByteVector m_bytes;
  std::vector<std::size_t> m_sizes;
  std::size_t m_next = 0;
  std::size_t m_at = 0;
};

// The first packet of a video frame of `bytes` elementary bytes, as the server sends it: its
// payload begins with the frame header, so a search for a packet start finds it.
ByteVector Packet(std::uint16_t sequence, std::size_t bytes, std::uint8_t fill) {
  fakes::ClipFrame frame;
  frame.elementary.assign(bytes, fill);
  frame.frame = fakes::BuildFrame(fakes::kStreamIdMpeg4, 0, frame.elementary, 32, false);
  return fakes::Packetize(frame, sequence, fakes::PacketOptions{}).front();
}

ByteVector Joined(std::initializer_list<ByteVector> parts) {
  ByteVector all;
  for (const ByteVector& p : parts)
    all.insert(all.end(), p.begin(), p.end());
  return all;
}

struct Read {
  Result result;
  ByteVector packet;
};

std::vector<Read> ReadAll(TcpPacketReader& reader, Pieces& pieces) {
  std::vector<Read> reads;
  const TcpPacketReader::Source source = pieces.Source();
  std::vector<std::uint8_t> packet(kReceivePacketBytes);
  for (;;) {
    std::size_t length = 0;
    const Result r = reader.Read(source, packet, length);
    if (r == Result::kSourceEnded)
      return reads;
    reads.push_back(
        {r, r == Result::kPacket
                ? ByteVector(packet.begin(), packet.begin() + static_cast<std::ptrdiff_t>(length))
                : ByteVector{}});
  }
}

TEST(TcpPacketReaderTest, WholePacketsInAnyPiecesThatCompleteThemInFiveReceives) {
  const ByteVector a = Packet(1, 1000, 0x11);
  const ByteVector b = Packet(2, 2000, 0x22);  // a whole packet buffer
  const ByteVector c = Packet(3, 2, 0x33);
  ASSERT_EQ(b.size(), kReceivePacketBytes);
  // Each packet completes within the five receives a packet may take.
  for (const std::vector<std::size_t>& sizes :
       {std::vector<std::size_t>{300}, {1460}, {5840}, {4, 2000}, {1000, 300}}) {
    TcpPacketReader reader;
    Pieces pieces(Joined({a, b, c}), sizes);
    const std::vector<Read> reads = ReadAll(reader, pieces);
    ASSERT_EQ(reads.size(), 3u) << "pieces of " << sizes[0];
    EXPECT_EQ(reads[0].packet, a);
    EXPECT_EQ(reads[1].packet, b);
    EXPECT_EQ(reads[2].packet, c);
    EXPECT_EQ(reader.Buffered(), 0u);
  }
}

TEST(TcpPacketReaderTest, FaultsOfTheByteStream) {
  const ByteVector a = Packet(1, 100, 0x11);
  const ByteVector b = Packet(2, 100, 0x22);
  ByteVector tooLong = Packet(3, 100, 0x33);
  tooLong[2] = static_cast<std::uint8_t>((kReceivePacketBytes + 1) & 0xFF);
  tooLong[3] = static_cast<std::uint8_t>((kReceivePacketBytes + 1) >> 8);
  ByteVector tooShort = Packet(3, 100, 0x33);
  tooShort[2] = 7;
  tooShort[3] = 0;
  struct Case {
    const char* name;
    ByteVector stream;
    std::vector<std::size_t> pieces;
    std::vector<Result> results;
  };
  const std::vector<Case> cases = {
      // Bytes in front of a packet are passed over to the next packet start.
      {"garbage before",
       Joined({ByteVector{0x13, 0x37, 0x42, 0x00, 0x01}, a}),
       {5840},
       {Result::kRestartBadHeader, Result::kPacket}},
      // A length field beyond the packet buffer, or below the fixed header, drops what is held.
      {"length too long",
       Joined({tooLong, a}),
       {tooLong.size()},
       {Result::kRestartBadHeader, Result::kPacket}},
      {"length too short",
       Joined({tooShort, a}),
       {tooShort.size()},
       {Result::kRestartBadHeader, Result::kPacket}},
      // Bytes behind a packet that begin no packet: the packet and what follows are dropped.
      {"garbage behind",
       Joined({a, ByteVector{0x77, 0x01, 0x00}, b}),
       {a.size() + 3, 5840},
       {Result::kRestart, Result::kPacket}},
      // A packet cut short by the end of the stream gives nothing.
      {"cut short", Joined({a, ByteVector(b.begin(), b.begin() + 50)}), {5840}, {Result::kPacket}},
  };
  for (const Case& c : cases) {
    TcpPacketReader reader;
    Pieces pieces(c.stream, c.pieces);
    const std::vector<Read> reads = ReadAll(reader, pieces);
    std::vector<Result> results;
    for (const Read& r : reads)
      results.push_back(r.result);
    EXPECT_EQ(results, c.results) << c.name;
    if (!reads.empty() && reads.back().result == Result::kPacket) {
      EXPECT_TRUE(reads.back().packet == a || reads.back().packet == b) << c.name;
    }
  }
}

TEST(TcpPacketReaderTest, GivesUpAPacketThatTakesTooManyReceivesAndASearchThatFindsNothing) {
  // Five receives of one byte each do not complete a packet.
  const ByteVector a = Packet(1, 100, 0x11);
  {
    TcpPacketReader reader;
    Pieces pieces(a, {4, 1});
    const TcpPacketReader::Source source = pieces.Source();
    std::vector<std::uint8_t> packet(kReceivePacketBytes);
    std::size_t length = 0;
    EXPECT_EQ(reader.Read(source, packet, length), Result::kRestart);
    EXPECT_EQ(pieces.receives, 6);
    EXPECT_EQ(reader.Buffered(), 0u);
  }
  // Bytes without any packet start: 64 receives, then the frame is given up, the last bytes
  // kept in case a start straddles the next receive.
  {
    TcpPacketReader reader;
    Pieces pieces(ByteVector(5000, 0x55), {10});
    const TcpPacketReader::Source source = pieces.Source();
    std::vector<std::uint8_t> packet(kReceivePacketBytes);
    std::size_t length = 0;
    EXPECT_EQ(reader.Read(source, packet, length), Result::kRestart);
    EXPECT_EQ(pieces.receives, 64);
    EXPECT_EQ(reader.Buffered(), 53u + 10u);
  }
}

TEST(TcpPacketReaderTest, ASourceThatGivesNothingEndsTheRead) {
  TcpPacketReader reader;
  Pieces pieces({}, {1460});
  const TcpPacketReader::Source source = pieces.Source();
  std::vector<std::uint8_t> packet(kReceivePacketBytes);
  std::size_t length = 0;
  EXPECT_EQ(reader.Read(source, packet, length), Result::kSourceEnded);
  EXPECT_EQ(pieces.receives, 1);
}

}  // namespace
