#include "ui/main/frame_handoff.h"

#include <bit>
#include <cstring>

namespace mainwin {

static_assert(std::endian::native == std::endian::little,
              "the picture conversion reads pixels as little-endian words");

void FrameHandoff::Publish() {
  const int previous = m_ready.exchange(m_write | kNewBit, std::memory_order_acq_rel);
  m_write = previous & ~kNewBit;
}

const ShownFrame* FrameHandoff::Latest() {
  if (m_ready.load(std::memory_order_acquire) & kNewBit) {
    const int previous = m_ready.exchange(m_read, std::memory_order_acq_rel);
    m_read = previous & ~kNewBit;
    m_haveRead = true;
  }
  return m_haveRead ? &m_slots[m_read] : nullptr;
}

bool ConvertBottomUpBgr(std::span<const std::uint8_t> picture, int width, int height,
                        QImage& image) {
  if (width <= 0 || height <= 0)
    return false;
  const std::size_t stride = static_cast<std::size_t>(width) * 3;
  if (picture.size() < stride * static_cast<std::size_t>(height))
    return false;
  if (image.width() != width || image.height() != height ||
      image.format() != QImage::Format_RGB32) {
    image = QImage(width, height, QImage::Format_RGB32);
    if (image.isNull())
      return false;
  }
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* src = picture.data() + stride * static_cast<std::size_t>(height - 1 - y);
    auto* dst = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
    // Four bytes from a pixel's blue are blue, green, red and the next pixel's blue: read as a
    // little-endian word and given an opaque top byte they are the 32-bit pixel. The row's last
    // pixel is put together byte by byte, so no read passes the row.
    const int whole = width - 1;
    for (int x = 0; x < whole; ++x) {
      std::uint32_t word;
      std::memcpy(&word, src + 3 * static_cast<std::size_t>(x), sizeof word);
      dst[x] = word | 0xFF000000u;
    }
    const std::uint8_t* last = src + 3 * static_cast<std::size_t>(whole);
    dst[whole] = 0xFF000000u | (std::uint32_t{last[2]} << 16) | (std::uint32_t{last[1]} << 8) |
                 std::uint32_t{last[0]};
  }
  return true;
}

}  // namespace mainwin
