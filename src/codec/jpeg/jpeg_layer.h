// A small JPEG layer over libjpeg-turbo with the four roles the program needs of a JPEG
// library: start a job, free it, read a JPEG buffer (its parameters or the whole picture) and
// write a whole picture to a file. The JPEG stream decoder and the snapshot writer share it.
//
// Pictures are 24-bit, three bytes per pixel, in a caller buffer described by a
// PictureLayout: blue-green-red or red-green-blue order, rows top-down or bottom-up, and a
// row pitch. Every call checks the buffer against the layout before libjpeg-turbo touches it,
// so nothing is read or written outside the caller's span.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace codec::jpeg {

enum class JpegResult {
  kOk = 0,
  kNoJob,           // Init was not called or failed
  kBadLayout,       // width/height/pitch impossible
  kBufferTooSmall,  // the caller's picture span does not hold the layout
  kSizeMismatch,    // the JPEG's size differs from the layout's
  kCorrupt,         // libjpeg-turbo ended in an error
  kFileError,       // the output file could not be written
};

const char* JpegResultText(JpegResult result);

enum class PixelOrder : std::uint8_t { kBgr, kRgb };
enum class RowOrder : std::uint8_t { kTopDown, kBottomUp };

// Where a 24-bit picture lies in a caller buffer.
struct PictureLayout {
  int width = 0;
  int height = 0;
  std::size_t pitch = 0;  // bytes from one row to the next; 0 means packed (width x 3)
  PixelOrder order = PixelOrder::kBgr;
  RowOrder rows = RowOrder::kTopDown;

  std::size_t RowBytes() const { return static_cast<std::size_t>(width) * 3; }
  std::size_t Pitch() const { return pitch == 0 ? RowBytes() : pitch; }
  // Bytes the picture spans in the buffer (the last row needs no padding), or nullopt when the
  // layout is impossible (non-positive size, pitch below a row, larger than a JPEG can be).
  std::optional<std::size_t> SpanBytes() const;
};

// Parameters read from a JPEG header.
struct JpegHeader {
  int width = 0;
  int height = 0;
  int channels = 0;  // 1 grey, 3 colour, 4 CMYK/YCCK
};

// The largest side a JPEG can have.
inline constexpr int kMaxJpegSide = 65500;

// One JPEG job: a decompressor and a compressor of libjpeg-turbo, made on first use.
// Not shared between threads; each user holds its own.
class JpegJob {
 public:
  JpegJob() = default;
  ~JpegJob();
  JpegJob(const JpegJob&) = delete;
  JpegJob& operator=(const JpegJob&) = delete;
  JpegJob(JpegJob&& other) noexcept;
  JpegJob& operator=(JpegJob&& other) noexcept;

  // Role 1: start the job. Returns kOk, or kNoJob when libjpeg-turbo cannot make a handle.
  JpegResult Init();
  // Role 2: free the job (also done by the destructor). Safe to call twice.
  void Free();
  bool IsOpen() const { return m_hDecompress != nullptr && m_hCompress != nullptr; }

  // Role 3, parameters: reads the header of the JPEG in `jpeg`.
  JpegResult ReadHeader(std::span<const std::uint8_t> jpeg, JpegHeader& header);
  // Role 3, whole picture: decodes the JPEG into `picture` as `layout` describes it. The JPEG
  // must have exactly the layout's width and height. A JPEG that decodes with a warning (for
  // example a missing tail) is accepted; one that ends in an error is refused.
  JpegResult ReadImage(std::span<const std::uint8_t> jpeg, std::span<std::uint8_t> picture,
                       const PictureLayout& layout);

  // Encodes the picture to JPEG bytes in `out` (replaced).
  JpegResult Encode(std::span<const std::uint8_t> picture, const PictureLayout& layout, int quality,
                    std::vector<std::uint8_t>& out);
  // Role 4: encodes the picture and writes it to `path` (created or replaced).
  JpegResult WriteImageFile(std::span<const std::uint8_t> picture, const PictureLayout& layout,
                            const std::filesystem::path& path, int quality);

  // libjpeg-turbo's text for the last failure of this job (empty when none).
  const char* LastErrorText() const;

 private:
  void RenewAfterError(void*& handle, void* (*make)());

  void* m_hDecompress = nullptr;
  void* m_hCompress = nullptr;
  std::string m_strLastError;
};

inline constexpr int kDefaultJpegQuality = 90;

}  // namespace codec::jpeg
