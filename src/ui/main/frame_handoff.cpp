#include "ui/main/frame_handoff.h"

#include <bit>
#include <cstring>
#include <new>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace mainwin {

static_assert(std::endian::native == std::endian::little,
              "the picture conversion reads pixels as little-endian words");

std::span<std::uint8_t> ShownFrame::Reserve(int pictureWidth, int pictureHeight) {
  if (pictureWidth <= 0 || pictureHeight <= 0) {
    width = height = 0;
    picture.clear();
    return {};
  }
  try {
    picture.resize(static_cast<std::size_t>(pictureWidth) *
                   static_cast<std::size_t>(pictureHeight) * 3);
  } catch (const std::bad_alloc&) {
    // No room for the picture: the painter gives no frame, as for any picture it cannot hold.
    width = height = 0;
    picture.clear();
    return {};
  }
  width = pictureWidth;
  height = pictureHeight;
  return picture;
}

void FrameHandoff::Publish() {
  m_slots[m_write].serial = ++m_serial;
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

namespace {

// Four bytes from a pixel's blue are blue, green, red and the next pixel's blue: read as a
// little-endian word and given an opaque top byte they are the 32-bit pixel. The row's last
// pixel is put together byte by byte, so no read passes the row.
void ConvertRowScalar(const std::uint8_t* src, std::uint32_t* dst, int from, int width) {
  const int whole = width - 1;
  for (int x = from; x < whole; ++x) {
    std::uint32_t word;
    std::memcpy(&word, src + 3 * static_cast<std::size_t>(x), sizeof word);
    dst[x] = word | 0xFF000000u;
  }
  if (from <= whole) {
    const std::uint8_t* last = src + 3 * static_cast<std::size_t>(whole);
    dst[whole] = 0xFF000000u | (std::uint32_t{last[2]} << 16) | (std::uint32_t{last[1]} << 8) |
                 std::uint32_t{last[0]};
  }
}

#if defined(__x86_64__) || defined(__i386__)
// Four pixels at a time from pixel `from`: 16 bytes read from the first pixel's blue, spread to
// four words by one byte shuffle and made opaque. A read takes 4 bytes beyond its 12, so the loop
// stops 6 pixels before the row's end and the scalar row finishes it. Returns the first pixel not
// written.
__attribute__((target("ssse3"))) int ConvertRowSsse3(const std::uint8_t* src, std::uint32_t* dst,
                                                     int from, int width) {
  const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  int x = from;
  for (; x + 6 <= width; x += 4) {
    const __m128i in =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 3 * static_cast<std::size_t>(x)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + x),
                     _mm_or_si128(_mm_shuffle_epi8(in, spread), opaque));
  }
  return x;
}

// Eight pixels at a time: the four of each 128-bit lane read from 12 bytes apart, spread by the
// same shuffle. The upper read takes 4 bytes beyond its 12 as well, so the loop stops 10 pixels
// before the row's end and the four-pixel loop and the scalar row finish it. Returns the first
// pixel not written.
__attribute__((target("avx2"))) int ConvertRowAvx2(const std::uint8_t* src, std::uint32_t* dst,
                                                   int width) {
  const __m256i spread = _mm256_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1, 0,
                                          1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  const __m256i opaque = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
  int x = 0;
  for (; x + 10 <= width; x += 8) {
    const std::uint8_t* at = src + 3 * static_cast<std::size_t>(x);
    const __m256i in = _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 12)), 1);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + x),
                        _mm256_or_si256(_mm256_shuffle_epi8(in, spread), opaque));
  }
  return x;
}

bool HaveSsse3() {
  static const bool have = __builtin_cpu_supports("ssse3");
  return have;
}

bool HaveAvx2() {
  static const bool have = __builtin_cpu_supports("avx2");
  return have;
}
#endif

}  // namespace

void ConvertBgrRow(const std::uint8_t* source, std::uint32_t* destination, int count) {
  if (count <= 0)
    return;
  int from = 0;
#if defined(__x86_64__) || defined(__i386__)
  if (HaveSsse3()) {
    if (HaveAvx2())
      from = ConvertRowAvx2(source, destination, count);
    from = ConvertRowSsse3(source, destination, from, count);
  }
#endif
  ConvertRowScalar(source, destination, from, count);
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
  // The image's rows through one pointer: scanLine would look for a shared copy on every row.
  std::uint8_t* const rows = image.bits();
  const auto rowBytes = static_cast<std::size_t>(image.bytesPerLine());
  for (int y = 0; y < height; ++y) {
    ConvertBgrRow(picture.data() + stride * static_cast<std::size_t>(height - 1 - y),
                  reinterpret_cast<std::uint32_t*>(rows + rowBytes * static_cast<std::size_t>(y)),
                  width);
  }
  return true;
}

}  // namespace mainwin
