#include "app/snapshot.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <vector>

#include "app/bmp_writer.h"
#include "app/utility.h"
#include "codec/jpeg/jpeg_layer.h"

namespace {

// Highest suffix tried before giving up on a folder full of same-second names.
constexpr int kMaxNameSuffix = 9999;

// Writes all of `bytes` to a file descriptor, going on after interrupted or short writes.
bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    bytes = bytes.subspan(static_cast<std::size_t>(written));
  }
  return true;
}

// Creates a new file base + [suffix] + extension that did not exist before and writes `bytes`
// to it. A failed write removes the file again.
bool WriteNewFile(const std::string& base, const char* extension,
                  std::span<const std::uint8_t> bytes, std::string* writtenPath) {
  for (int suffix = 0; suffix <= kMaxNameSuffix; ++suffix) {
    const std::string path =
        base + (suffix == 0 ? std::string() : "_" + std::to_string(suffix)) + extension;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
      if (errno == EEXIST) {
        continue;
      }
      return false;
    }
    const bool written = WriteAll(fd, bytes);
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
      ::unlink(path.c_str());
      return false;
    }
    if (writtenPath != nullptr) {
      *writtenPath = path;
    }
    return true;
  }
  return false;
}

std::optional<std::vector<std::uint8_t>> EncodeJpegSnapshot(std::span<const std::uint8_t> image,
                                                            int width, int height) {
  using namespace codec::jpeg;
  JpegJob job;
  if (job.Init() != JpegResult::kOk) {
    return std::nullopt;
  }
  // The picture's rows are packed: the pitch is exactly width x 3.
  const PictureLayout layout{width, height, 0, PixelOrder::kBgr, RowOrder::kBottomUp};
  std::vector<std::uint8_t> bytes;
  if (job.Encode(image, layout, kDefaultJpegQuality, bytes) != JpegResult::kOk) {
    return std::nullopt;
  }
  return bytes;
}

}  // namespace

std::string SnapshotBaseName(const platform::LocalTime& when) {
  return FormatTwoDigits(when.year) + FormatTwoDigits(when.month) + FormatTwoDigits(when.day) +
         "T" + FormatTwoDigits(when.hour) + FormatTwoDigits(when.minute) +
         FormatTwoDigits(when.second) + FormatTwoDigits(when.millisecond);
}

int MakeSnapshotFileName(std::string& folder, std::span<const std::uint8_t> image, int width,
                         int height, int format) {
  return MakeSnapshotFileName(folder, image, width, height, format, platform::GetLocalTime(),
                              nullptr);
}

int MakeSnapshotFileName(std::string& folder, std::span<const std::uint8_t> image, int width,
                         int height, int format, const platform::LocalTime& when,
                         std::string* writtenPath) {
  if (folder.empty() || folder.back() != '/') {
    folder.push_back('/');
  }
  const std::string base = folder + SnapshotBaseName(when);
  // Encoding first: the BMP writer and the JPEG layer both check the picture's size.
  const auto bytes =
      format == 0 ? EncodeBmp24(image, width, height) : EncodeJpegSnapshot(image, width, height);
  if (!bytes) {
    return 0;
  }
  return WriteNewFile(base, format == 0 ? ".bmp" : ".jpg", *bytes, writtenPath) ? 1 : 0;
}
