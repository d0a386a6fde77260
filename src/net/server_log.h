// The server's event log as "/GetLog.cgi" delivers it: the record count ("LogCount=<n>;"), then
// batches of packed 32-byte records, and the erase request. The parsers read only the bytes
// they are given; the download writes each batch into the room left in its own buffer.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "net/cgi_url.h"
#include "platform/thread.h"

namespace net {

inline constexpr std::size_t kLogRecordBytes = 32;
// The download buffer: 65,536 bytes, room for 2,048 records.
inline constexpr std::size_t kLogBufferRecords = 2048;
inline constexpr std::size_t kLogBufferBytes = kLogBufferRecords * kLogRecordBytes;
inline constexpr std::uint32_t kLogBatchRecords = 30;
inline constexpr std::size_t kLogCountReplyBytes = 256;
inline constexpr std::uint16_t kLogTimeoutSeconds = 15;
inline constexpr std::size_t kLogUserBytes = 16;

// Record kinds (bits of the page's kind mask).
inline constexpr std::uint32_t kLogKindSystem = 1;
inline constexpr std::uint32_t kLogKindError = 2;
inline constexpr std::uint32_t kLogKindUser = 4;

struct LogRecord {
  std::uint32_t kind = 0;
  int year = 0;  // full year (the record holds year - 2000)
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  std::string user;  // within its 16 bytes
  std::uint8_t event = 0;
};

LogRecord ParseLogRecord(std::span<const std::uint8_t, kLogRecordBytes> bytes);
// "SYSTEM", "ERROR", "USER"; another kind as its number.
std::string LogKindText(std::uint32_t kind);
// "%d-%.2d-%.2d %.2d:%.2d:%.2d".
std::string LogTimeText(const LogRecord& record);
// The event's text: the fixed texts, the user name with " LOGIN" / " LOGOUT" for 50 and 51, and
// the code's number for a code without a text.
std::string LogEventText(const LogRecord& record);

// The count of a "LogCount=<n>;" reply, searched within the reply's bytes only. A reply without
// the key, or without a decimal number after it, gives nullopt.
std::optional<std::uint32_t> ParseLogCount(std::span<const std::uint8_t> reply);
// How many records a download fetches: the maximum when the server holds more, or 30 or fewer;
// else the server's count.
std::uint32_t LogFetchCount(std::uint32_t serverCount, std::uint32_t maximum);
// The Size of the next batch: what is missing, at most 30.
std::uint32_t LogBatchSize(std::uint32_t missing);

// Results of a download or an erase (the page's message codes).
inline constexpr std::uint32_t kLogDownloaded = 1;
inline constexpr std::uint32_t kLogErased = 2;
inline constexpr std::uint32_t kLogFailed = 4;
// A download ended by its stop request: no message.
inline constexpr std::uint32_t kLogStopped = 0;

// One download's own buffer: the records received so far.
struct LogDownload {
  std::vector<std::uint8_t> buffer = std::vector<std::uint8_t>(kLogBufferBytes);
  std::uint32_t received = 0;
};

// Downloads up to maximum records into download with the session id (sent when not empty):
// the count, then batches ("LogEvent=Start" in the first only) until a batch brings fewer than
// 30 records, the buffer holds 2,048 or the number to fetch is in. A batch is read into the room
// left; a longer reply, a failed request or a count of 0 (or none) fail the download.
// progress(received, toFetch) follows each batch. Returns kLogDownloaded, kLogFailed, or
// kLogStopped when the stop request ended it.
std::uint32_t DownloadServerLog(std::uint32_t maximum, const std::string& sessionId,
                                LogDownload& download,
                                const std::function<void(std::uint32_t, std::uint32_t)>& progress,
                                const platform::StopToken& stop);

// "LogEvent=Erase": kLogErased when the server accepted it, kLogStopped when the stop request
// ended the wait, else kLogFailed.
std::uint32_t EraseServerLog(const std::string& sessionId, const platform::StopToken& stop = {});

}  // namespace net
