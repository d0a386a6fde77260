#include "codec/jpeg_frame/jpeg_frame.h"

#include "codec/jpeg/jpeg_layer.h"

namespace {

using codec::jpeg::JpegJob;
using codec::jpeg::JpegResult;
using codec::jpeg::PictureLayout;
using codec::jpeg::PixelOrder;
using codec::jpeg::RowOrder;

constexpr int kBgrChannels = 3;

// The calling thread's decoder, started on first use and kept for the thread's life, so a
// stream of frames does not build and tear down libjpeg-turbo's state for every picture.
JpegJob* ThreadJob() {
  thread_local JpegJob job;
  if (!job.IsOpen() && job.Init() != JpegResult::kOk) {
    return nullptr;
  }
  return &job;
}

// libjpeg-turbo leaves a decompressor that failed inside a header half-way through it, and
// every later header read on that handle fails the same way: after an error the thread's job
// is dropped, so the next frame starts on a fresh one.
void DropJobAfterError(JpegJob& job, JpegResult result) {
  if (result == JpegResult::kCorrupt) {
    job.Free();
  }
}

}  // namespace

int DecodeJpegFrame(std::span<const std::uint8_t> jpeg, std::span<std::uint8_t> picture,
                    std::uint16_t width, std::uint16_t height) {
  const std::size_t bytes = static_cast<std::size_t>(width) * height * kBgrChannels;
  if (bytes == 0 || picture.size() < bytes || jpeg.empty()) {
    return 0;
  }
  JpegJob* job = ThreadJob();
  if (job == nullptr) {
    return 0;
  }
  const PictureLayout layout{width, height, 0, PixelOrder::kBgr, RowOrder::kBottomUp};
  // One pass: the layer reads the header, refuses another size before anything is written,
  // and libjpeg-turbo refuses four-component pictures (no BGR form) before its first row.
  const JpegResult decoded = job->ReadImage(jpeg, picture.first(bytes), layout);
  DropJobAfterError(*job, decoded);
  return decoded == JpegResult::kOk ? 1 : 0;
}

std::optional<JpegFrameSize> ReadJpegFrameSize(std::span<const std::uint8_t> jpeg) {
  constexpr std::uint8_t kMarker = 0xFF;
  constexpr std::uint8_t kStartOfImage = 0xD8;
  constexpr std::uint8_t kStartOfScan = 0xDA;
  constexpr std::uint8_t kEndOfImage = 0xD9;
  const auto word = [&](std::size_t at) {
    return static_cast<std::uint16_t>(jpeg[at] << 8 | jpeg[at + 1]);
  };
  if (jpeg.size() < 4 || jpeg[0] != kMarker || jpeg[1] != kStartOfImage)
    return std::nullopt;
  std::size_t at = 2;
  while (at + 4 <= jpeg.size()) {
    if (jpeg[at] != kMarker)
      return std::nullopt;
    const std::uint8_t marker = jpeg[at + 1];
    if (marker == kMarker) {  // fill byte
      ++at;
      continue;
    }
    if (marker == kStartOfScan || marker == kEndOfImage || marker == kStartOfImage)
      return std::nullopt;
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // TEM, RSTn: no length
      at += 2;
      continue;
    }
    const std::size_t length = word(at + 2);
    // SOF0..SOF15 but DHT (C4), JPG (C8) and DAC (CC): precision, height, width.
    const bool frameHeader =
        marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frameHeader) {
      if (length < 7 || at + 9 > jpeg.size())
        return std::nullopt;
      return JpegFrameSize{word(at + 7), word(at + 5)};
    }
    if (length < 2)
      return std::nullopt;
    at += 2 + length;
  }
  return std::nullopt;
}

int DecodeJpegFrame(const std::uint8_t* jpeg, std::uint32_t jpegLength, std::uint8_t* picture,
                    std::uint16_t width, std::uint16_t height) {
  if (jpeg == nullptr || picture == nullptr) {
    return 0;
  }
  return DecodeJpegFrame(std::span<const std::uint8_t>(jpeg, jpegLength),
                         std::span<std::uint8_t>(picture, kJpegFrameSlotBytes), width, height);
}
