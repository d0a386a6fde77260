// The fake server's "/GetLog.cgi": the count ("LogEvent=LogCount" -> "LogCount=<n>;"), batches
// of packed 32-byte records from a scripted log ("LogEvent=Start" resets to the first record,
// "Size" asks for the number of records), and "LogEvent=Erase". Faults: another count reply,
// fewer or more records than asked, a partial record at the end, a stall, a refused erase.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "fakes/fake_video_server.h"

namespace fakes {

using LogRecordBytes = std::vector<std::uint8_t>;

// One record: kind (1 system, 2 error, 4 user), the time, the user name (16 bytes, not
// terminated when it fills them) and the event code.
LogRecordBytes LogRecord(std::uint32_t kind, int year, int month, int day, int hour, int minute,
                         int second, const std::string& user, std::uint8_t event);
// Fourteen records of a day: power on, logins and logouts, mail and FTP failures.
std::vector<LogRecordBytes> SampleLog();

class FakeServerLog {
 public:
  FakeReply Answer(const RecordedRequest& request);

  void SetRecords(std::vector<LogRecordBytes> records);
  std::size_t RecordCount() const;
  // The count request answers this body instead of "LogCount=<n>;".
  void SetCountReply(std::optional<std::string> body);
  // Each batch brings at most this many records (fewer than asked).
  void SetBatchLimit(std::optional<std::size_t> limit);
  // Each batch brings this many records more than asked (while the log has them).
  void SetExtraRecords(std::size_t extra);
  // Each batch ends with this many bytes of a further, partial record.
  void SetTrailingBytes(std::size_t bytes);
  // Batch and erase requests answer only after this delay (or when the server stops).
  void SetStall(std::chrono::milliseconds stall);
  // The erase answers this status (200 clears the log).
  void SetEraseStatus(int status);

 private:
  mutable std::mutex m_Lock;
  std::vector<LogRecordBytes> m_Records = SampleLog();
  std::size_t m_nCursor = 0;
  std::optional<std::string> m_CountReply;
  std::optional<std::size_t> m_BatchLimit;
  std::size_t m_nExtra = 0;
  std::size_t m_nTrailing = 0;
  std::chrono::milliseconds m_Stall{0};
  int m_nEraseStatus = 200;
};

}  // namespace fakes
