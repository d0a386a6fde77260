// The layout of a received frame as the receivers assemble it into a slot, and the
// frame-information block it may carry (read by both compose threads): bytes 0..31 are the
// frame header; byte 20, masked with 0x7F, is "S" when a 72-byte information block follows at
// offset 32. The MPEG-4 elementary stream starts right behind the header, or behind the block;
// a JPEG picture always starts at offset 104.
#pragma once

#include <cstdint>
#include <span>

inline constexpr std::size_t kFrameInfoMarkOffset = 20;
inline constexpr std::uint8_t kFrameInfoMark = 'S';
inline constexpr std::size_t kFrameInfoBlockOffset = 32;
inline constexpr std::size_t kFrameInfoBlockDataBytes = 72;
inline constexpr std::size_t kFrameInfoBlockBytes = 73;  // 72 bytes and the "S" mark
inline constexpr std::size_t kJpegPictureOffset = kFrameInfoBlockOffset + kFrameInfoBlockDataBytes;

// True when the frame's mark byte says that an information block follows the header.
constexpr bool HasFrameInfoBlock(std::span<const uint8_t> frame) {
  return frame.size() > kFrameInfoMarkOffset &&
         (frame[kFrameInfoMarkOffset] & 0x7F) == kFrameInfoMark;
}

// Where the frame's MPEG-4 elementary stream starts: 32, or 104 behind an information block.
constexpr std::size_t ElementaryStreamOffset(std::span<const uint8_t> frame) {
  return HasFrameInfoBlock(frame) ? kFrameInfoBlockOffset + kFrameInfoBlockDataBytes
                                  : kFrameInfoBlockOffset;
}

// When the frame carries an information block, copies its 72 bytes into out and sets out[72] to
// "S"; otherwise (also for a slot too short to hold the block) clears out. Returns 1.
int GetFrameInfoBlock(std::span<const uint8_t> slot, std::span<uint8_t, kFrameInfoBlockBytes> out);
