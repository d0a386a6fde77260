// Hands the painter's pictures from the kernel-message thread to the GUI thread without either
// side ever waiting for the other: three picture slots, one written by the painter, one newest
// ready, one read by the paint handler; publishing and taking swap slot indexes atomically.
// A slot holds the picture as the decoder and the resize primitive give it (rows bottom-up,
// blue-green-red, packed): the paint handler converts it once, straight into what it paints on.
// Also the conversion of such pictures into 32-bit top-down pixels.
#pragma once

#include <QImage>
#include <QSize>
#include <array>
#include <atomic>
#include <cstdint>
#include <span>
#include <vector>

namespace mainwin {

struct ShownFrame {
  std::vector<std::uint8_t> picture;  // width x height, rows bottom-up, blue-green-red
  int width = 0;
  int height = 0;
  bool fullScreen = false;   // scaled over the work area
  std::uint32_t serial = 0;  // set by Publish: a new number for every picture handed over

  QSize Size() const { return {width, height}; }
  // The picture's bytes for a width x height picture (the storage is kept from one picture to
  // the next); empty when the size is not positive or the memory cannot be had.
  std::span<std::uint8_t> Reserve(int pictureWidth, int pictureHeight);
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
  std::uint32_t m_serial = 0;
  int m_write = 0;
  int m_read = 1;
  std::atomic<int> m_ready{2};  // slot index, with kNewBit while it has not been taken
  bool m_haveRead = false;
};

// Writes `count` packed blue-green-red pixels as opaque 32-bit pixels (0xFFRRGGBB). Reads no
// byte past the `count` pixels.
void ConvertBgrRow(const std::uint8_t* source, std::uint32_t* destination, int count);

// Writes a bottom-up blue-green-red picture of width x height into image (made Format_RGB32 of
// that size when it is not), top row first. False when the picture is shorter than its size.
bool ConvertBottomUpBgr(std::span<const std::uint8_t> picture, int width, int height,
                        QImage& image);

}  // namespace mainwin
