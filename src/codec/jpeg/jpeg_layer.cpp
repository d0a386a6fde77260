#include "codec/jpeg/jpeg_layer.h"

#include <turbojpeg.h>

#include <cstdio>
#include <limits>
#include <memory>
#include <utility>

namespace codec::jpeg {
namespace {

// Frees a buffer that libjpeg-turbo allocated.
struct TjFree {
  void operator()(unsigned char* buffer) const { tjFree(buffer); }
};

int TjPixelFormat(PixelOrder order) {
  return order == PixelOrder::kBgr ? TJPF_BGR : TJPF_RGB;
}

int TjFlags(const PictureLayout& layout) {
  return layout.rows == RowOrder::kBottomUp ? TJFLAG_BOTTOMUP : 0;
}

int ChannelsOf(int colorspace) {
  switch (colorspace) {
    case TJCS_GRAY:
      return 1;
    case TJCS_CMYK:
    case TJCS_YCCK:
      return 4;
    default:
      return 3;
  }
}

// Checks the layout against the caller's span; kOk when every row lies inside it.
JpegResult CheckPicture(std::size_t available, const PictureLayout& layout) {
  const auto needed = layout.SpanBytes();
  if (!needed) {
    return JpegResult::kBadLayout;
  }
  return available < *needed ? JpegResult::kBufferTooSmall : JpegResult::kOk;
}

}  // namespace

const char* JpegResultText(JpegResult result) {
  switch (result) {
    case JpegResult::kOk:
      return "ok";
    case JpegResult::kNoJob:
      return "no JPEG job";
    case JpegResult::kBadLayout:
      return "impossible picture layout";
    case JpegResult::kBufferTooSmall:
      return "picture buffer too small";
    case JpegResult::kSizeMismatch:
      return "JPEG size differs from the picture";
    case JpegResult::kCorrupt:
      return "JPEG data in error";
    case JpegResult::kFileError:
      return "JPEG file could not be written";
  }
  return "unknown";
}

std::optional<std::size_t> PictureLayout::SpanBytes() const {
  if (width <= 0 || height <= 0 || width > kMaxJpegSide || height > kMaxJpegSide) {
    return std::nullopt;
  }
  const std::size_t step = Pitch();
  // libjpeg-turbo takes the pitch as an int.
  if (step < RowBytes() || step > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    return std::nullopt;
  }
  return step * static_cast<std::size_t>(height - 1) + RowBytes();
}

JpegJob::~JpegJob() {
  Free();
}

JpegJob::JpegJob(JpegJob&& other) noexcept
    : m_hDecompress(std::exchange(other.m_hDecompress, nullptr)),
      m_hCompress(std::exchange(other.m_hCompress, nullptr)),
      m_strLastError(std::move(other.m_strLastError)) {}

JpegJob& JpegJob::operator=(JpegJob&& other) noexcept {
  if (this != &other) {
    Free();
    m_hDecompress = std::exchange(other.m_hDecompress, nullptr);
    m_hCompress = std::exchange(other.m_hCompress, nullptr);
    m_strLastError = std::move(other.m_strLastError);
  }
  return *this;
}

JpegResult JpegJob::Init() {
  if (m_hDecompress == nullptr) {
    m_hDecompress = tjInitDecompress();
  }
  if (m_hCompress == nullptr) {
    m_hCompress = tjInitCompress();
  }
  if (!IsOpen()) {
    Free();
    return JpegResult::kNoJob;
  }
  return JpegResult::kOk;
}

void JpegJob::Free() {
  if (m_hDecompress != nullptr) {
    tjDestroy(m_hDecompress);
    m_hDecompress = nullptr;
  }
  if (m_hCompress != nullptr) {
    tjDestroy(m_hCompress);
    m_hCompress = nullptr;
  }
  m_strLastError.clear();
}

const char* JpegJob::LastErrorText() const {
  return m_strLastError.c_str();
}

// libjpeg-turbo does not recover a handle after some errors (a damaged header leaves the
// decompressor failing every later call with the same error), so the handle that failed is
// replaced by a fresh one once its error text has been kept.
void JpegJob::RenewAfterError(void*& handle, void* (*make)()) {
  m_strLastError = tjGetErrorStr2(handle);
  tjDestroy(handle);
  handle = make();
}

JpegResult JpegJob::ReadHeader(std::span<const std::uint8_t> jpeg, JpegHeader& header) {
  m_strLastError.clear();
  if (!IsOpen()) {
    return JpegResult::kNoJob;
  }
  if (jpeg.empty()) {
    return JpegResult::kCorrupt;
  }
  int width = 0;
  int height = 0;
  int subsampling = 0;
  int colorspace = 0;
  if (tjDecompressHeader3(m_hDecompress, jpeg.data(), static_cast<unsigned long>(jpeg.size()),
                          &width, &height, &subsampling, &colorspace) != 0) {
    RenewAfterError(m_hDecompress, tjInitDecompress);
    return JpegResult::kCorrupt;
  }
  if (width <= 0 || height <= 0) {
    return JpegResult::kCorrupt;
  }
  header = JpegHeader{width, height, ChannelsOf(colorspace)};
  return JpegResult::kOk;
}

JpegResult JpegJob::ReadImage(std::span<const std::uint8_t> jpeg, std::span<std::uint8_t> picture,
                              const PictureLayout& layout) {
  if (const JpegResult check = CheckPicture(picture.size(), layout); check != JpegResult::kOk) {
    return check;
  }
  JpegHeader header;
  if (const JpegResult read = ReadHeader(jpeg, header); read != JpegResult::kOk) {
    return read;
  }
  // Same size only: libjpeg-turbo would otherwise scale to a size we did not ask for.
  if (header.width != layout.width || header.height != layout.height) {
    return JpegResult::kSizeMismatch;
  }
  const int result =
      tjDecompress2(m_hDecompress, jpeg.data(), static_cast<unsigned long>(jpeg.size()),
                    picture.data(), layout.width, static_cast<int>(layout.Pitch()), layout.height,
                    TjPixelFormat(layout.order), TjFlags(layout) | TJFLAG_LIMITSCANS);
  // A warning (damaged but decodable data) still fills the whole picture.
  if (result != 0 && tjGetErrorCode(m_hDecompress) != TJERR_WARNING) {
    RenewAfterError(m_hDecompress, tjInitDecompress);
    return JpegResult::kCorrupt;
  }
  return JpegResult::kOk;
}

JpegResult JpegJob::Encode(std::span<const std::uint8_t> picture, const PictureLayout& layout,
                           int quality, std::vector<std::uint8_t>& out) {
  m_strLastError.clear();
  if (!IsOpen()) {
    return JpegResult::kNoJob;
  }
  if (const JpegResult check = CheckPicture(picture.size(), layout); check != JpegResult::kOk) {
    return check;
  }
  unsigned char* raw = nullptr;
  unsigned long size = 0;
  const int result =
      tjCompress2(m_hCompress, picture.data(), layout.width, static_cast<int>(layout.Pitch()),
                  layout.height, TjPixelFormat(layout.order), &raw, &size, TJSAMP_444,
                  quality < 1 ? 1 : (quality > 100 ? 100 : quality), TjFlags(layout));
  const std::unique_ptr<unsigned char, TjFree> owned(raw);
  if (result != 0 || raw == nullptr) {
    RenewAfterError(m_hCompress, tjInitCompress);
    return JpegResult::kCorrupt;
  }
  out.assign(raw, raw + size);
  return JpegResult::kOk;
}

JpegResult JpegJob::WriteImageFile(std::span<const std::uint8_t> picture,
                                   const PictureLayout& layout, const std::filesystem::path& path,
                                   int quality) {
  std::vector<std::uint8_t> bytes;
  if (const JpegResult encoded = Encode(picture, layout, quality, bytes);
      encoded != JpegResult::kOk) {
    return encoded;
  }
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    return JpegResult::kFileError;
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const bool closed = std::fclose(file) == 0;
  return written && closed ? JpegResult::kOk : JpegResult::kFileError;
}

}  // namespace codec::jpeg
