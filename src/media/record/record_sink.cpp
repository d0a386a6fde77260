#include "media/record/record_sink.h"

#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <cerrno>

namespace {

class FileSink final : public IRecordSink {
 public:
  explicit FileSink(int fd) : m_fd(fd) {}
  ~FileSink() override { Close(); }

  bool WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) override {
    while (!bytes.empty()) {
      if (m_fd < 0) {
        return false;
      }
      const ssize_t n = ::pwrite(m_fd, bytes.data(), bytes.size(), static_cast<off_t>(offset));
      if (n < 0 && errno == EINTR) {
        continue;
      }
      if (n <= 0) {
        return false;
      }
      bytes = bytes.subspan(static_cast<std::size_t>(n));
      offset += static_cast<std::uint64_t>(n);
    }
    return true;
  }

  bool Truncate(std::uint64_t size) override {
    return m_fd >= 0 && ::ftruncate(m_fd, static_cast<off_t>(size)) == 0;
  }

  bool Close() override {
    if (m_fd < 0) {
      return true;
    }
    const int fd = m_fd;
    m_fd = -1;
    return ::close(fd) == 0;
  }

 private:
  int m_fd;
};

}  // namespace

std::unique_ptr<IRecordSink> CreateRecordFile(const std::string& path, int* error) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) {
    if (error != nullptr) {
      *error = errno;
    }
    return nullptr;
  }
  return std::make_unique<FileSink>(fd);
}

std::unique_ptr<IRecordSink> CreateUniqueRecordFile(const std::string& path, std::string* usedPath,
                                                    int* error) {
  const std::string suffix = ".vs4";
  const bool hasSuffix = path.size() >= suffix.size() &&
                         path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0;
  const std::string stem = hasSuffix ? path.substr(0, path.size() - suffix.size()) : path;
  const std::string ext = hasSuffix ? suffix : "";
  int lastError = 0;
  for (int n = 1; n <= 1000; ++n) {
    const std::string candidate = n == 1 ? path : stem + "_" + std::to_string(n) + ext;
    if (auto sink = CreateRecordFile(candidate, &lastError)) {
      if (usedPath != nullptr) {
        *usedPath = candidate;
      }
      return sink;
    }
    if (lastError != EEXIST) {
      break;
    }
  }
  if (error != nullptr) {
    *error = lastError;
  }
  return nullptr;
}

bool RemoveRecordFile(const std::string& path, int* error) {
  if (::unlink(path.c_str()) == 0) {
    return true;
  }
  if (error != nullptr) {
    *error = errno;
  }
  return false;
}

std::uint64_t FreeDiskBytes(const std::string& path) {
  struct statvfs info {};
  if (::statvfs(path.c_str(), &info) != 0) {
    return 0;
  }
  return static_cast<std::uint64_t>(info.f_bfree) * info.f_frsize;
}
