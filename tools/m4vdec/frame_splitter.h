// Cuts an MPEG-4 elementary stream into frames: one VOP each, with the stream, object, layer
// and GOV headers that precede a VOP kept in front of it.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

struct M4vFrame {
  std::size_t offset;
  std::size_t length;
};

std::vector<M4vFrame> SplitM4vFrames(std::span<const std::uint8_t> stream);

// Offset of the first video object start code (00 00 01 00..1F), or the stream size.
std::size_t FindVideoObject(std::span<const std::uint8_t> stream);
