#include "net/firmware_upload.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "net/cgi_reply.h"
#include "net/cgi_url.h"
#include "net/penta_send_command.h"

namespace net {
namespace {

// Closes the descriptor on every path.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : m_fd(fd) {}
  ~FileDescriptor() {
    if (m_fd >= 0)
      ::close(m_fd);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int Get() const { return m_fd; }

 private:
  int m_fd;
};

FirmwareFileStatus ReadWhole(int fd, std::vector<std::uint8_t>& data) {
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0 ||
      static_cast<std::uint64_t>(info.st_size) > kFirmwareMaxBytes) {
    return FirmwareFileStatus::ReadFailed;
  }
  data.resize(static_cast<std::size_t>(info.st_size));
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::read(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return FirmwareFileStatus::ReadFailed;  // an error, or the file shrank under us
    done += static_cast<std::size_t>(n);
  }
  return FirmwareFileStatus::Read;
}

}  // namespace

std::uint32_t FirmwareBlockCount(std::uint64_t size) {
  return static_cast<std::uint32_t>((size + kFirmwareBlockBytes - 1) / kFirmwareBlockBytes);
}

int FirmwareProgress(std::uint64_t size, std::uint64_t remaining) {
  if (size == 0 || remaining > size)
    return 0;
  return static_cast<int>((size - remaining) * 100 / size);
}

CCgiUrl FirmwareBlockUrl(std::uint32_t block, std::uint32_t blockCount, std::uint64_t size,
                         const std::string& sessionId) {
  CCgiUrl url(CgiIndex::kCgiUpgradeFirmware);
  if (block == 0) {
    url.AddParam("Upgrade", "Start");
    url.AddIntParam("FileSize", static_cast<int>(size));
  } else if (block + 1 == blockCount) {
    url.AddParam("Upgrade", "Finished");
  }
  AddSessionId(url, sessionId);
  return url;
}

CCgiUrl FirmwareAbortUrl(const std::string& sessionId) {
  CCgiUrl url(CgiIndex::kCgiUpgradeFirmware);
  url.AddParam("Upgrade", "Abort");
  AddSessionId(url, sessionId, "Cookie");
  return url;
}

FirmwareFileStatus ReadFirmwareFile(const std::filesystem::path& path,
                                    std::vector<std::uint8_t>& data) {
  data.clear();
  const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.Get() < 0)
    return FirmwareFileStatus::OpenFailed;
  const FirmwareFileStatus status = ReadWhole(file.Get(), data);
  if (status != FirmwareFileStatus::Read)
    data.clear();
  return status;
}

FirmwareUploadResult UploadFirmware(std::span<const std::uint8_t> data,
                                    const std::string& sessionId, INetEnvironment& environment,
                                    const std::function<void(int percent)>& onProgress,
                                    const platform::StopToken& stop) {
  FirmwareUploadResult result;
  const std::uint64_t size = data.size();
  const std::uint32_t blocks = FirmwareBlockCount(size);
  std::uint64_t offset = 0;
  for (std::uint32_t block = 0; block < blocks; ++block) {
    if (stop.StopRequested()) {
      result.end = FirmwareUploadEnd::Stopped;
      return result;
    }
    const std::uint64_t length = std::min<std::uint64_t>(size - offset, kFirmwareBlockBytes);
    const CCgiUrl url = FirmwareBlockUrl(block, blocks, size, sessionId);
    CgiExchange exchange = MakeCgiExchange(url, kFirmwareTimeoutSeconds, stop);
    exchange.body =
        data.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
    const int sent = SendCgiRequest(exchange, environment);
    if (stop.StopRequested()) {
      result.end = FirmwareUploadEnd::Stopped;
      return result;
    }
    if (sent != kCgiAccepted) {
      result.end = FirmwareUploadEnd::BlockFailed;
      result.failedResult = sent;
      return result;
    }
    offset += length;
    ++result.blocksSent;
    if (onProgress)
      onProgress(FirmwareProgress(size, size - offset));
  }
  result.end = FirmwareUploadEnd::Finished;
  return result;
}

int SendFirmwareAbort(const std::string& sessionId, INetEnvironment& environment,
                      const platform::StopToken& stop) {
  const CCgiUrl url = FirmwareAbortUrl(sessionId);
  return SendCgiRequest(MakeCgiExchange(url, kFirmwareTimeoutSeconds, stop), environment);
}

}  // namespace net
