#include "media/alarm_db/alarm_database.h"

#include <fcntl.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/trace.h"
#include "net/cgi_url.h"
#include "net/penta_send_command.h"
#include "platform/message_box.h"

namespace {

void PutU16(std::span<std::uint8_t> out, std::size_t at, std::uint16_t v) {
  out[at] = static_cast<std::uint8_t>(v);
  out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void PutU32(std::span<std::uint8_t> out, std::size_t at, std::uint32_t v) {
  PutU16(out, at, static_cast<std::uint16_t>(v));
  PutU16(out, at + 2, static_cast<std::uint16_t>(v >> 16));
}

std::uint16_t GetU16(std::span<const std::uint8_t> in, std::size_t at) {
  return static_cast<std::uint16_t>(in[at] | (in[at + 1] << 8));
}

std::uint32_t GetU32(std::span<const std::uint8_t> in, std::size_t at) {
  return GetU16(in, at) | (static_cast<std::uint32_t>(GetU16(in, at + 2)) << 16);
}

template <std::size_t N>
std::string TextOf(const std::array<char, N>& field) {
  return std::string(field.data(), strnlen(field.data(), N));
}

template <std::size_t N>
void CopyText(std::array<char, N>& field, const std::string& text, std::size_t room) {
  std::fill(field.begin(), field.end(), '\0');
  std::memcpy(field.data(), text.data(), std::min(text.size(), room));
}

bool ReadWhole(const std::string& path, std::vector<std::uint8_t>* out, int* error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    *error = errno;
    return false;
  }
  out->clear();
  std::uint8_t chunk[65536];
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n < 0) {
      *error = errno;
      ::close(fd);
      return false;
    }
    if (n == 0) {
      break;
    }
    out->insert(out->end(), chunk, chunk + n);
  }
  ::close(fd);
  return true;
}

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      return false;
    }
    bytes = bytes.subspan(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

CAlarmDatabase g_AlarmDatabase;

std::array<std::uint8_t, kAlarmDataRecordBytes> AlarmDataRecord::Bytes() const {
  std::array<std::uint8_t, kAlarmDataRecordBytes> out{};
  const auto time = StartTime.Bytes();
  std::copy(time.begin(), time.end(), out.begin() + 4);
  std::memcpy(out.data() + 20, szFileName.data(), kAlarmDataPathBytes);
  PutU32(out, 280, dwFrames);
  std::memcpy(out.data() + 284, szServer.data(), kAlarmDataServerBytes);
  return out;
}

AlarmDataRecord AlarmDataRecord::Parse(std::span<const std::uint8_t, kAlarmDataRecordBytes> bytes) {
  AlarmDataRecord r;
  std::array<std::uint16_t, 8> words{};
  for (std::size_t i = 0; i < words.size(); ++i) {
    words[i] = GetU16(bytes, 4 + 2 * i);
  }
  r.StartTime = {words[0], words[1], words[2], words[3], words[4], words[5], words[6], words[7]};
  std::memcpy(r.szFileName.data(), bytes.data() + 20, kAlarmDataPathBytes);
  r.dwFrames = GetU32(bytes, 280);
  std::memcpy(r.szServer.data(), bytes.data() + 284, kAlarmDataServerBytes);
  return r;
}

std::string AlarmDataRecord::FileName() const {
  return TextOf(szFileName);
}
std::string AlarmDataRecord::Server() const {
  return TextOf(szServer);
}

std::optional<std::vector<AlarmDataRecord>> ParseAlarmData(std::span<const std::uint8_t> bytes,
                                                           AlarmDataError* error) {
  auto fail = [error](AlarmDataError e) -> std::optional<std::vector<AlarmDataRecord>> {
    if (error != nullptr) {
      *error = e;
    }
    return std::nullopt;
  };
  if (bytes.size() < kAlarmDataHeaderBytes) {
    return fail(AlarmDataError::kUnreadable);
  }
  if (GetU16(bytes, 0) != kAlarmDataMagic) {
    return fail(AlarmDataError::kBadMagic);
  }
  const std::size_t count = GetU16(bytes, 2);
  if ((bytes.size() - kAlarmDataHeaderBytes) / kAlarmDataRecordBytes < count) {
    return fail(AlarmDataError::kTruncated);
  }
  std::vector<AlarmDataRecord> records;
  records.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    records.push_back(
        AlarmDataRecord::Parse(bytes.subspan(kAlarmDataHeaderBytes + i * kAlarmDataRecordBytes)
                                   .first<kAlarmDataRecordBytes>()));
  }
  if (error != nullptr) {
    *error = AlarmDataError::kNone;
  }
  return records;
}

void CAlarmDatabase::SetProgramDir(std::string dir) {
  std::lock_guard lock(m_mutex);
  if (dir.empty() || dir.back() != '/') {
    dir += '/';
  }
  m_strProgramDir = std::move(dir);
}

std::string CAlarmDatabase::FullName() const {
  std::lock_guard lock(m_mutex);
  return m_strProgramDir + kAlarmDataFileName;
}

void CAlarmDatabase::SetRecordStartTime(const SystemTime& time) {
  std::lock_guard lock(m_mutex);
  m_Record.StartTime = time;
}

void CAlarmDatabase::SetRecordFileName(const std::string& path) {
  std::lock_guard lock(m_mutex);
  CopyText(m_Record.szFileName, path, kAlarmDataPathBytes - 1);
}

std::optional<std::vector<AlarmDataRecord>> CAlarmDatabase::ReadLocked(AlarmDataError* error) {
  std::vector<std::uint8_t> bytes;
  int err = 0;
  if (!ReadWhole(m_strProgramDir + kAlarmDataFileName, &bytes, &err)) {
    *error = err == ENOENT ? AlarmDataError::kMissing : AlarmDataError::kUnreadable;
    return std::nullopt;
  }
  return ParseAlarmData(bytes, error);
}

bool CAlarmDatabase::WriteLocked(const std::vector<AlarmDataRecord>& records) {
  if (records.size() > kAlarmDataMaxRecords) {
    return false;
  }
  std::vector<std::uint8_t> bytes(kAlarmDataHeaderBytes + records.size() * kAlarmDataRecordBytes);
  PutU16(bytes, 0, kAlarmDataMagic);
  PutU16(bytes, 2, static_cast<std::uint16_t>(records.size()));
  for (std::size_t i = 0; i < records.size(); ++i) {
    const auto r = records[i].Bytes();
    std::copy(r.begin(), r.end(),
              bytes.begin() + kAlarmDataHeaderBytes + i * kAlarmDataRecordBytes);
  }
  const std::string path = m_strProgramDir + kAlarmDataFileName;
  const std::string temp = path + ".tmp";
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    return false;
  }
  const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  const bool closed = ::close(fd) == 0;
  if (!written || !closed || std::rename(temp.c_str(), path.c_str()) != 0) {
    ::unlink(temp.c_str());
    DebugPrint("CAlarmDatabase: %s not written\n", path.c_str());
    return false;
  }
  return true;
}

bool CAlarmDatabase::AppendRecord(std::uint32_t frames, const std::string& server) {
  std::lock_guard lock(m_mutex);
  AlarmDataError error = AlarmDataError::kNone;
  auto records = ReadLocked(&error);
  if (!records) {
    if (error != AlarmDataError::kMissing) {
      DebugPrint("CAlarmDatabase::AppendRecord: existing file refused, record not added\n");
      return false;
    }
    records.emplace();
  }
  if (records->size() >= kAlarmDataMaxRecords) {
    DebugPrint("CAlarmDatabase::AppendRecord: database full, record not added\n");
    return false;
  }
  AlarmDataRecord record = m_Record;
  record.dwFrames = std::min(frames, kAlarmDataMaxFrames);
  CopyText(record.szServer, server, kAlarmDataServerBytes);
  records->push_back(record);
  if (!WriteLocked(*records)) {
    return false;
  }
  ++m_dwAppendedCount;
  return true;
}

std::optional<std::vector<AlarmDataRecord>> CAlarmDatabase::LoadList(AlarmDataError* error) {
  std::lock_guard lock(m_mutex);
  AlarmDataError local = AlarmDataError::kNone;
  auto records = ReadLocked(&local);
  if (!records && local == AlarmDataError::kMissing && WriteLocked({})) {
    records.emplace();
    local = AlarmDataError::kNone;
  }
  if (error != nullptr) {
    *error = local;
  }
  return records;
}

std::optional<std::vector<AlarmDataRecord>> CAlarmDatabase::LoadListForPage(AlarmDataError* error) {
  std::lock_guard lock(m_mutex);
  AlarmDataError local = AlarmDataError::kNone;
  auto records = ReadLocked(&local);
  if (!records && local == AlarmDataError::kMissing && WriteLocked({})) {
    records.emplace();
    local = AlarmDataError::kNone;
  }
  if (records)
    m_dwAppendedCount = 0;
  if (error != nullptr) {
    *error = local;
  }
  return records;
}

bool CAlarmDatabase::ReadAll() {
  if (m_bListChanged == 0) {
    m_List.clear();
    return true;
  }
  std::unique_lock lock(m_mutex);
  std::vector<AlarmDataRecord> result = m_List;
  const std::uint32_t appended = m_dwAppendedCount.load();
  if (appended != 0) {
    AlarmDataError error = AlarmDataError::kNone;
    auto records = ReadLocked(&error);
    if (!records) {
      if (error == AlarmDataError::kBadMagic) {
        return false;
      }
      lock.unlock();
      platform::ShowMessageBox("Read alarm database file is failed", {}, platform::MB_OK);
      return false;
    }
    const std::size_t first = records->size() > appended ? records->size() - appended : 0;
    result.insert(result.end(), records->begin() + static_cast<std::ptrdiff_t>(first),
                  records->end());
  }
  if (result.size() > kAlarmDataMaxRecords || !WriteLocked(result)) {
    return false;
  }
  m_bListChanged = 0;
  m_List.clear();
  return true;
}

bool CAlarmDatabase::StoreOnlineUsers(std::span<const std::uint8_t> body) {
  m_OnlineUsers = {};
  if (body.size() > kOnlineUserCount * kOnlineUserBytes) {
    return false;
  }
  std::array<std::uint8_t, kOnlineUserCount * kOnlineUserBytes> table{};
  std::copy(body.begin(), body.end(), table.begin());
  for (std::size_t i = 0; i < kOnlineUserCount; ++i) {
    const std::span<const std::uint8_t> entry =
        std::span(table).subspan(i * kOnlineUserBytes, kOnlineUserBytes);
    OnlineUser& user = m_OnlineUsers[i];
    std::memcpy(user.szName.data(), entry.data(), user.szName.size());
    user.dwAddress = GetU32(entry, 16);
    user.dwLevel = GetU32(entry, 20);
    std::copy(entry.begin() + 24, entry.end(), user.abyOther.begin());
    m_byUsed[i] = user.szName[0] != '\0' ? 1 : 0;
  }
  return true;
}

std::optional<std::vector<std::uint8_t>> FetchOnlineUsers(const std::string& sessionId,
                                                          const platform::StopToken& stop) {
  CCgiUrl url(CgiIndex::kCgiGetOnlineUser);
  net::AddSessionId(url, sessionId);
  std::vector<std::uint8_t> reply(kPentaReplyCapacity);
  std::uint32_t length = 0;
  net::CgiExchange exchange = net::MakeCgiExchange(url, kOnlineUserTimeoutSeconds, stop);
  exchange.reply = reply;
  exchange.replyLength = &length;
  if (net::SendCgiRequest(exchange) != 1) {
    return std::nullopt;
  }
  reply.resize(std::min<std::size_t>(length, reply.size()));
  return reply;
}

bool CAlarmDatabase::QueryDevice(const std::string& sessionId, bool reportFailure) {
  const std::optional<std::vector<std::uint8_t>> reply = FetchOnlineUsers(sessionId);
  if (!reply) {
    if (reportFailure)
      platform::ShowMessageBox("Send command to device is failed !!", {}, platform::MB_OK);
    return false;
  }
  return StoreOnlineUsers(*reply);
}
