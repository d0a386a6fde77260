#include "app/trace.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

std::string VFormat(const char* format, va_list args) {
  char buffer[kDebugPrintBufferBytes];
  // vsnprintf cuts the text to the buffer and always ends it.
  const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
  return length < 0 ? std::string() : std::string(buffer);
}

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace

void DebugPrint(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string text = VFormat(format, args);
  va_end(args);
  NullTrace(text.c_str());
}

std::string FormatDebugText(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = VFormat(format, args);
  va_end(args);
  return text;
}

void NullTrace(const char* /*text*/, ...) {}

CTraceFile::~CTraceFile() {
  Close();
}

bool CTraceFile::CreateFileLocked() {
  m_hFile = ::open(m_strPath.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  return m_hFile >= 0;
}

int CTraceFile::Open(const std::string& directory) {
  const std::lock_guard lock(m_stateLock);
  m_strPath = directory + "DebugTrace.log";
  if (m_hFile < 0 && !CreateFileLocked()) {
    return 0;
  }
  if (!m_hEvent) {
    m_hEvent = std::make_shared<platform::Event>(platform::ResetMode::Auto, true);
  }
  return m_hEvent ? 1 : 0;
}

int CTraceFile::Append(std::uint8_t mode, const std::string& text) {
  if (mode != 1) {
    return 0;
  }
  std::shared_ptr<platform::Event> guard;
  {
    const std::lock_guard lock(m_stateLock);
    guard = m_hEvent;
  }
  // Goes on after the time-out even when an earlier writer never gave the guard back.
  if (guard) {
    guard->Wait(kAppendWaitMs);
  }
  int result = 0;
  {
    const std::lock_guard lock(m_stateLock);
    const std::string line = text + "\r\n";
    ++m_nLines;
    bool open = m_hFile >= 0;
    if (open && m_nLines >= kLinesPerFile) {
      ::close(m_hFile);
      open = CreateFileLocked();
      m_nLines = 0;
    }
    if (open && WriteAll(m_hFile, line.data(), line.size())) {
      result = 1;
    }
  }
  if (guard) {
    guard->Set();
  }
  return result;
}

int CTraceFile::Close() {
  const std::lock_guard lock(m_stateLock);
  if (m_hFile >= 0) {
    ::close(m_hFile);
    m_hFile = -1;
  }
  m_hEvent.reset();
  return 1;
}

int CTraceFile::Delete() {
  const std::lock_guard lock(m_stateLock);
  if (!m_strPath.empty()) {
    ::unlink(m_strPath.c_str());
  }
  return 1;
}

std::uint32_t CTraceFile::Lines() const {
  const std::lock_guard lock(m_stateLock);
  return m_nLines;
}

// Rolling trace file.

namespace {

std::mutex g_rollingLock;  // one append at a time; guards the globals below
std::int32_t g_nTraceChunks = 0;
std::string g_pszTracePath;

}  // namespace

void PrepareRollingTrace(std::int32_t chunks, const std::string& directory) {
  const std::lock_guard lock(g_rollingLock);
  g_nTraceChunks = chunks;
  if (g_pszTracePath.empty()) {
    g_pszTracePath = directory + "trace.log";
  }
}

std::string RollingTracePath() {
  const std::lock_guard lock(g_rollingLock);
  return g_pszTracePath;
}

bool AppendRollingTrace(const std::string& text) {
  const std::lock_guard lock(g_rollingLock);
  if (g_pszTracePath.empty()) {
    return false;
  }
  std::vector<char> kept;
  {
    std::ifstream in(g_pszTracePath, std::ios::binary);
    kept.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  // Reads of 100 bytes it takes to reach the end, minus one. Whole chunks are dropped from the
  // start until no more than g_nTraceChunks full chunks stay in front of the new line, so the
  // file stays bounded even when lines are longer than a chunk.
  const std::size_t reads = (kept.size() + kRollingTraceChunkBytes - 1) / kRollingTraceChunkBytes;
  const auto chunks = static_cast<std::size_t>(g_nTraceChunks < 0 ? 0 : g_nTraceChunks);
  if (reads >= 1 && reads - 1 >= chunks) {
    const std::size_t drop = std::min(kept.size(), (reads - chunks) * kRollingTraceChunkBytes);
    kept.erase(kept.begin(), kept.begin() + static_cast<std::ptrdiff_t>(drop));
  }
  kept.insert(kept.end(), text.begin(), text.end());
  kept.push_back('\r');
  kept.push_back('\n');
  const int fd = ::open(g_pszTracePath.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) {
    return false;
  }
  // Written from the start and cut after the new end, so no old bytes stay behind it.
  const bool ok = WriteAll(fd, kept.data(), kept.size()) &&
                  ::ftruncate(fd, static_cast<off_t>(kept.size())) == 0;
  return (::close(fd) == 0) && ok;
}

void ReleaseRollingTrace() {
  const std::lock_guard lock(g_rollingLock);
  g_pszTracePath.clear();
}
