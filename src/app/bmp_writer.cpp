#include "app/bmp_writer.h"

#include <algorithm>
#include <limits>

namespace {

void PutU16(std::vector<std::uint8_t>& out, std::size_t at, std::uint16_t value) {
  out[at] = static_cast<std::uint8_t>(value);
  out[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void PutU32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

}  // namespace

std::size_t BmpRowStride(int width) {
  return (static_cast<std::size_t>(width) * 3 + 3) & ~static_cast<std::size_t>(3);
}

std::optional<std::vector<std::uint8_t>> EncodeBmp24(std::span<const std::uint8_t> picture,
                                                     int width, int height) {
  if (width <= 0 || height <= 0) {
    return std::nullopt;
  }
  const std::size_t row = static_cast<std::size_t>(width) * 3;
  const std::size_t stride = BmpRowStride(width);
  const std::size_t fileSize = kBmpHeaderBytes + stride * static_cast<std::size_t>(height);
  if (picture.size() / row < static_cast<std::size_t>(height) ||
      fileSize > std::numeric_limits<std::uint32_t>::max()) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> out(fileSize, 0);
  // File header.
  out[0] = 'B';
  out[1] = 'M';
  PutU32(out, 2, static_cast<std::uint32_t>(fileSize));
  PutU32(out, 10, kBmpHeaderBytes);
  // Information header: positive height (rows bottom-up), one plane, 24 bits, no compression;
  // image size, resolutions and colour counts stay 0.
  PutU32(out, 14, 40);
  PutU32(out, 18, static_cast<std::uint32_t>(width));
  PutU32(out, 22, static_cast<std::uint32_t>(height));
  PutU16(out, 26, 1);
  PutU16(out, 28, 24);
  for (std::size_t y = 0; y < static_cast<std::size_t>(height); ++y) {
    const auto source = picture.subspan(y * row, row);
    std::copy(source.begin(), source.end(),
              out.begin() + static_cast<std::ptrdiff_t>(kBmpHeaderBytes + y * stride));
  }
  return out;
}
