// Feeds arbitrary bytes to the JPEG layer's read: the header, then the whole picture into a
// buffer of exactly the announced size (bottom-up BGR, as the stream decoder asks for it) and
// into one of another size, which must be refused without a write.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "codec/jpeg/jpeg_layer.h"

namespace {

// Keeps each run small: larger announced pictures are only checked against a small buffer.
constexpr int kMaxFuzzedPixels = 1024 * 1024;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace codec::jpeg;
  static JpegJob job;
  if (!job.IsOpen() && job.Init() != JpegResult::kOk) {
    return 0;
  }
  const std::span<const std::uint8_t> jpeg(data, size);
  JpegHeader header;
  if (job.ReadHeader(jpeg, header) != JpegResult::kOk) {
    return 0;
  }
  // A buffer of the wrong size is refused and never written.
  std::vector<std::uint8_t> small(8 * 8 * 3);
  job.ReadImage(jpeg, small, PictureLayout{8, 8, 0, PixelOrder::kBgr, RowOrder::kBottomUp});

  if (static_cast<long long>(header.width) * header.height > kMaxFuzzedPixels) {
    return 0;
  }
  const PictureLayout layout{header.width, header.height, 0, PixelOrder::kBgr, RowOrder::kBottomUp};
  std::vector<std::uint8_t> picture(*layout.SpanBytes());
  job.ReadImage(jpeg, picture, layout);
  return 0;
}
