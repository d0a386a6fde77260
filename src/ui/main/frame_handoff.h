// Hands the painter's pictures from the kernel-message thread to the GUI thread without either
// side ever waiting for the other: three picture slots, one written by the painter, one newest
// ready, one read by the paint handler; publishing and taking swap slot indexes atomically.
// Also converts the decoded pictures (rows bottom-up, blue-green-red, packed) into the 32-bit
// top-down pictures the window draws.
#pragma once

#include <QImage>
#include <array>
#include <atomic>
#include <cstdint>
#include <span>

namespace mainwin {

struct ShownFrame {
  QImage image;             // Format_RGB32
  bool fullScreen = false;  // scaled over the work area
};

class FrameHandoff {
 public:
  // Painter side (one thread): the slot to fill, then Publish.
  ShownFrame& WriteSlot() { return m_slots[m_write]; }
  void Publish();

  // Paint side (one thread): the newest published frame, or the one taken before when none is
  // new; null before the first frame.
  const ShownFrame* Latest();

 private:
  static constexpr int kNewBit = 4;
  std::array<ShownFrame, 3> m_slots;
  int m_write = 0;
  int m_read = 1;
  std::atomic<int> m_ready{2};  // slot index, with kNewBit while it has not been taken
  bool m_haveRead = false;
};

// Writes a bottom-up blue-green-red picture of width x height into image (made Format_RGB32 of
// that size when it is not), top row first. False when the picture is shorter than its size.
bool ConvertBottomUpBgr(std::span<const std::uint8_t> picture, int width, int height,
                        QImage& image);

}  // namespace mainwin
