// Stream frames and packets as the video server sends them: frames with their 32-byte frame
// header (and, for JPEG, the 72-byte information block), cut into packets of at most 1,460
// bytes, each with the little-endian packet header and its payload's 16-bit units swapped.
// Used by the fake stream server, the simulated video server and the media benchmark.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace fakes {

using ByteVector = std::vector<std::uint8_t>;

inline constexpr std::size_t kMaxPacketBytes = 1460;
inline constexpr std::uint8_t kStreamIdMpeg4 = 0xE0;
inline constexpr std::uint8_t kStreamIdJpeg = 0xD0;
inline constexpr std::uint8_t kStreamIdAudio = 0xC0;

struct ClipFrame {
  ByteVector frame;       // frame header and elementary stream, even length
  ByteVector elementary;  // the picture or sound data alone (what a decoder is given)
  bool key = false;       // MPEG-4 I-VOP (or any JPEG picture)
  std::uint8_t gop = 0;   // GOP number, counted at each key frame (0..15)
  std::uint32_t pts = 0;  // 90 kHz
};

// A frame: 00 00 01 id, a PES header with the time stamp, the frame length (header included)
// at bytes 24..26; with an information block ('S' at byte 20, 72 bytes at 32) when asked.
// Padded with one zero byte to an even length.
ByteVector BuildFrame(std::uint8_t streamId, std::uint32_t pts, std::span<const std::uint8_t> data,
                      std::size_t headerBytes, bool infoBlock);

// An MPEG-4 elementary stream cut at its VOPs; each I-VOP carries the stream's VO and VOL
// headers in front, as the server sends them, so that a key frame begins with 00 00 01 00.
std::vector<ClipFrame> Mpeg4Clip(std::span<const std::uint8_t> m4v, std::uint32_t ptsStep = 3003);
// A stream of JPEG pictures cut at their start-of-image markers.
std::vector<ClipFrame> JpegClip(std::span<const std::uint8_t> mjpeg, std::uint32_t ptsStep = 3003);
// Audio blocks of IMA ADPCM data (any bytes), one block per frame.
std::vector<ClipFrame> AudioClip(std::size_t blocks, std::size_t blockBytes,
                                 std::uint32_t ptsStep = 5760);

struct PacketOptions {
  bool sequence = true;
  bool timeStamp = true;
  std::uint32_t timeSeconds = 3'900'000'000u;  // since 1900
  std::optional<std::uint16_t> statusA;
  std::optional<std::uint16_t> statusB;
  std::size_t maxPacket = kMaxPacketBytes;
};

// Byte-swaps each 16-bit unit of bytes in place (an odd last byte stays).
void SwapUnits(std::span<std::uint8_t> bytes);

// The header of one packet with payloadBytes behind it.
ByteVector BuildPacketHeader(std::uint16_t sequence, std::uint8_t gop, std::size_t payloadBytes,
                             const PacketOptions& options);
// Cuts a frame into packets; sequence numbers continue from sequence (advanced).
std::vector<ByteVector> Packetize(const ClipFrame& frame, std::uint16_t& sequence,
                                  const PacketOptions& options);

ByteVector ReadFile(const char* path);

}  // namespace fakes
