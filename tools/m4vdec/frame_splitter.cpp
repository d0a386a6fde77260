#include "frame_splitter.h"

namespace {

bool StartCodeAt(std::span<const std::uint8_t> s, std::size_t i) {
  return i + 3 < s.size() && s[i] == 0 && s[i + 1] == 0 && s[i + 2] == 1;
}

}  // namespace

std::vector<M4vFrame> SplitM4vFrames(std::span<const std::uint8_t> stream) {
  std::vector<M4vFrame> frames;
  std::size_t frameStart = 0;
  bool inVop = false;
  for (std::size_t i = 0; i < stream.size(); ++i) {
    if (!StartCodeAt(stream, i)) {
      continue;
    }
    if (inVop) {
      // The first start code after a VOP ends that VOP's frame.
      frames.push_back({frameStart, i - frameStart});
      frameStart = i;
      inVop = false;
    }
    if (stream[i + 3] == 0xB6) {
      inVop = true;
    }
    i += 2;
  }
  if (frameStart < stream.size()) {
    frames.push_back({frameStart, stream.size() - frameStart});
  }
  return frames;
}

std::size_t FindVideoObject(std::span<const std::uint8_t> stream) {
  for (std::size_t i = 0; i < stream.size(); ++i) {
    if (StartCodeAt(stream, i) && stream[i + 3] <= 0x1F) {
      return i;
    }
  }
  return stream.size();
}
