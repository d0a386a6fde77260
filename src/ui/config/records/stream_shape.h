// The live stream's shape as the configuration windows lay themselves out by it: the frame size,
// the video standard and the video format, read together from the program's data block.
#pragma once

#include <cstdint>

namespace syscfg {

struct StreamShape {
  int frameWidth = 352;
  int frameHeight = 240;
  // 1: 112/240/480 lines; 2: 144/288/576 lines.
  int videoStandard = 1;
  // 0 JPEG; the other values the MPEG-4 kinds.
  std::uint8_t videoFormat = 4;
};

// The stream the program shows now; without a data block, the defaults above.
StreamShape CurrentStreamShape();

}  // namespace syscfg
