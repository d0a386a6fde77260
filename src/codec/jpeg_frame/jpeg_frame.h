// Decoding of one streamed JPEG picture into a slot of the decoded-image ring: a 24-bit picture,
// blue-green-red, rows bottom-up, of exactly the size the login reply announced; and the size a
// picture's own header gives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

// Bytes of a decoded-image ring slot: the most a JPEG picture may fill.
inline constexpr std::size_t kJpegFrameSlotBytes = 1572864;

// Decodes `jpeg` into `picture` as width x height x 3 bytes, bottom-up BGR. Returns 1 when the
// picture holds the decoded frame, 0 when the frame is refused:
//   - the JPEG's size differs from width x height, or width x height x 3 exceeds `picture`;
//   - the JPEG has four components (CMYK/YCCK), which have no BGR form;
//   - libjpeg-turbo ends in an error (a decode that only warns, as for a missing tail, is kept).
// Nothing is written past width x height x 3 bytes, and nothing at all for a refusal made from
// the header. Grey JPEGs are expanded to grey BGR. Each thread keeps its own libjpeg-turbo
// decoder, made on its first call (and again after a frame in error); this layer allocates
// nothing per frame.
int DecodeJpegFrame(std::span<const std::uint8_t> jpeg, std::span<std::uint8_t> picture,
                    std::uint16_t width, std::uint16_t height);

// The picture size a JPEG's frame header (its SOF marker) gives, read from the markers in front
// of the scan without decoding anything; nothing when the bytes are no JPEG or end before the
// frame header. Sizes up to 65535 x 65535 are read as they are written.
struct JpegFrameSize {
  std::uint16_t width = 0;
  std::uint16_t height = 0;
  friend bool operator==(const JpegFrameSize&, const JpegFrameSize&) = default;
};
std::optional<JpegFrameSize> ReadJpegFrameSize(std::span<const std::uint8_t> jpeg);

// The ring's form: `picture` is a decoded-image ring slot of kJpegFrameSlotBytes.
int DecodeJpegFrame(const std::uint8_t* jpeg, std::uint32_t jpegLength, std::uint8_t* picture,
                    std::uint16_t width, std::uint16_t height);
