#include "platform/folders.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <string>
#include <system_error>

namespace platform {

namespace fs = std::filesystem;

namespace {

struct FolderOverrides {
  std::mutex mutex;
  fs::path program;
  fs::path desktop;
};

FolderOverrides& Overrides() {
  static FolderOverrides overrides;
  return overrides;
}

fs::path HomeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    return home;
  }
  if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr) {
    return entry->pw_dir;
  }
  return "/";
}

// Closes a descriptor on every path out.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : m_fd(fd) {}
  ~FileDescriptor() {
    if (m_fd >= 0) {
      ::close(m_fd);
    }
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int Get() const { return m_fd; }
  // Closes now; false when the close reports an error (a late write failure).
  bool Close() {
    const int fd = m_fd;
    m_fd = -1;
    return ::close(fd) == 0;
  }

 private:
  int m_fd;
};

bool WriteAll(int fd, std::span<const std::uint8_t> data) {
  while (!data.empty()) {
    const ssize_t written = ::write(fd, data.data(), data.size());
    if (written < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    data = data.subspan(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace

fs::path ProgramFolder() {
  {
    std::lock_guard lock(Overrides().mutex);
    if (!Overrides().program.empty()) {
      return Overrides().program;
    }
  }
  std::error_code error;
  const fs::path exe = fs::read_symlink("/proc/self/exe", error);
  if (error || exe.empty()) {
    return fs::current_path(error);
  }
  return exe.parent_path();
}

void SetProgramFolder(const fs::path& folder) {
  std::lock_guard lock(Overrides().mutex);
  Overrides().program = folder;
}

fs::path DesktopFolder() {
  {
    std::lock_guard lock(Overrides().mutex);
    if (!Overrides().desktop.empty()) {
      return Overrides().desktop;
    }
  }
  if (const char* xdg = std::getenv("XDG_DESKTOP_DIR"); xdg != nullptr && *xdg != '\0') {
    return xdg;
  }
  return HomeFolder() / "Desktop";
}

void SetDesktopFolder(const fs::path& folder) {
  std::lock_guard lock(Overrides().mutex);
  Overrides().desktop = folder;
}

bool FileExists(const fs::path& path) {
  std::error_code error;
  return fs::exists(path, error);
}

bool IsDirectory(const fs::path& path) {
  std::error_code error;
  return fs::is_directory(path, error);
}

bool CreateFolders(const fs::path& folder) {
  std::error_code error;
  fs::create_directories(folder, error);
  return IsDirectory(folder);
}

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const fs::path& path, std::size_t maxBytes) {
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.Get() < 0) {
    return std::nullopt;
  }
  struct stat info {};
  if (::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> data;
  std::uint8_t chunk[65536];
  for (;;) {
    const ssize_t got = ::read(fd.Get(), chunk, sizeof chunk);
    if (got < 0) {
      if (errno == EINTR) {
        continue;
      }
      return std::nullopt;
    }
    if (got == 0) {
      return data;
    }
    if (data.size() + static_cast<std::size_t>(got) > maxBytes) {
      return std::nullopt;
    }
    data.insert(data.end(), chunk, chunk + got);
  }
}

bool WriteFileAtomically(const fs::path& path, std::span<const std::uint8_t> data) {
  const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
  std::string pattern = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
  FileDescriptor fd(::mkstemp(pattern.data()));
  if (fd.Get() < 0) {
    return false;
  }
  const fs::path temporary = pattern;
  struct stat existing {};
  const mode_t mode = ::stat(path.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : 0644;
  bool ok = ::fchmod(fd.Get(), mode) == 0;
  ok = ok && WriteAll(fd.Get(), data) && ::fsync(fd.Get()) == 0;
  ok = fd.Close() && ok;
  ok = ok && ::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) {
    ::unlink(temporary.c_str());
    return false;
  }
  // Makes the rename itself durable; a failure here leaves a complete file either way.
  if (FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
      dir.Get() >= 0) {
    (void)::fsync(dir.Get());
  }
  return true;
}

std::optional<std::uint64_t> DiskFreeBytes(const fs::path& path) {
  struct statvfs info {};
  if (::statvfs(path.c_str(), &info) != 0) {
    return std::nullopt;
  }
  return static_cast<std::uint64_t>(info.f_bavail) * static_cast<std::uint64_t>(info.f_frsize);
}

}  // namespace platform
