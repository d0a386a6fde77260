#include "fakes/fake_server_log.h"

#include <algorithm>
#include <cstdlib>

namespace fakes {

LogRecordBytes LogRecord(std::uint32_t kind, int year, int month, int day, int hour, int minute,
                         int second, const std::string& user, std::uint8_t event) {
  LogRecordBytes r(32, 0);
  for (std::size_t i = 0; i < 4; ++i)
    r[i] = static_cast<std::uint8_t>(kind >> (8 * i));
  r[4] = static_cast<std::uint8_t>(year - 2000);
  r[5] = static_cast<std::uint8_t>(month);
  r[6] = static_cast<std::uint8_t>(day);
  r[7] = static_cast<std::uint8_t>(hour);
  r[8] = static_cast<std::uint8_t>(minute);
  r[9] = static_cast<std::uint8_t>(second);
  r[10] = 0x5A;  // not read
  std::copy_n(user.begin(), std::min<std::size_t>(user.size(), 16), r.begin() + 11);
  r[27] = event;
  std::fill(r.begin() + 28, r.end(), 0xA5);  // not read
  return r;
}

std::vector<LogRecordBytes> SampleLog() {
  return {LogRecord(1, 2024, 3, 18, 8, 0, 2, "", 1),
          LogRecord(4, 2024, 3, 18, 8, 5, 41, "admin", 50),
          LogRecord(2, 2024, 3, 18, 8, 6, 10, "", 102),
          LogRecord(4, 2024, 3, 18, 9, 12, 0, "guest", 50),
          LogRecord(2, 2024, 3, 18, 9, 40, 33, "", 100),
          LogRecord(4, 2024, 3, 18, 10, 1, 7, "guest", 51),
          LogRecord(2, 2024, 3, 18, 11, 15, 59, "", 101),
          LogRecord(4, 2024, 3, 18, 12, 30, 0, "operator", 50),
          LogRecord(1, 2024, 3, 18, 13, 0, 0, "", 3),
          LogRecord(1, 2024, 3, 18, 13, 0, 45, "", 1),
          LogRecord(2, 2024, 3, 18, 13, 2, 3, "", 104),
          LogRecord(4, 2024, 3, 18, 14, 44, 12, "operator", 51),
          LogRecord(4, 2024, 3, 18, 17, 58, 30, "admin", 51),
          LogRecord(1, 2024, 3, 18, 18, 0, 0, "", 2)};
}

FakeReply FakeServerLog::Answer(const RecordedRequest& request) {
  std::lock_guard lock(m_Lock);
  const std::optional<std::string> event = request.Param("LogEvent");
  if (event == "LogCount")
    return FakeReply::Text(
        m_CountReply.value_or("LogCount=" + std::to_string(m_Records.size()) + ";"));
  if (event == "Erase") {
    if (m_nEraseStatus == 200)
      m_Records.clear();
    FakeReply reply = FakeReply::Status(m_nEraseStatus);
    reply.delay = m_Stall;
    return reply;
  }
  if (event == "Start")
    m_nCursor = 0;
  std::size_t asked = 0;
  if (const auto size = request.Param("Size"))
    asked = static_cast<std::size_t>(std::strtoul(size->c_str(), nullptr, 10));
  if (m_BatchLimit)
    asked = std::min(asked, *m_BatchLimit);
  const std::size_t left = m_Records.size() - std::min(m_nCursor, m_Records.size());
  const std::size_t count = std::min(asked + m_nExtra, left);
  FakeReply reply;
  for (std::size_t i = 0; i < count; ++i) {
    const LogRecordBytes& r = m_Records[m_nCursor + i];
    reply.body.insert(reply.body.end(), r.begin(), r.end());
  }
  m_nCursor += count;
  reply.body.insert(reply.body.end(), m_nTrailing, 0x33);
  reply.delay = m_Stall;
  return reply;
}

void FakeServerLog::SetRecords(std::vector<LogRecordBytes> records) {
  std::lock_guard lock(m_Lock);
  m_Records = std::move(records);
  m_nCursor = 0;
}

std::size_t FakeServerLog::RecordCount() const {
  std::lock_guard lock(m_Lock);
  return m_Records.size();
}

void FakeServerLog::SetCountReply(std::optional<std::string> body) {
  std::lock_guard lock(m_Lock);
  m_CountReply = std::move(body);
}

void FakeServerLog::SetBatchLimit(std::optional<std::size_t> limit) {
  std::lock_guard lock(m_Lock);
  m_BatchLimit = limit;
}

void FakeServerLog::SetExtraRecords(std::size_t extra) {
  std::lock_guard lock(m_Lock);
  m_nExtra = extra;
}

void FakeServerLog::SetTrailingBytes(std::size_t bytes) {
  std::lock_guard lock(m_Lock);
  m_nTrailing = bytes;
}

void FakeServerLog::SetStall(std::chrono::milliseconds stall) {
  std::lock_guard lock(m_Lock);
  m_Stall = stall;
}

void FakeServerLog::SetEraseStatus(int status) {
  std::lock_guard lock(m_Lock);
  m_nEraseStatus = status;
}

}  // namespace fakes
