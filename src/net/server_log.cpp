#include "net/server_log.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "net/cgi_url.h"
#include "net/penta_send_command.h"

namespace net {
namespace {

constexpr std::string_view kCountKey = "LogCount=";

struct EventText {
  std::uint8_t code;
  const char* text;
};
constexpr EventText kEventTexts[] = {
    {1, "SERVER_POWER_ON"},      {2, "SERVER_SHUTDWON"}, {3, "SERVER_RESET"},
    {4, "SERVER_RESET_DEFAULT"}, {100, "SMTP_FAIL"},     {101, "FTP_FAIL"},
    {102, "SNTP_FAIL"},          {103, "DNS_FAIL"},      {104, "DDNS_FAIL"}};
constexpr std::uint8_t kEventLogin = 50;
constexpr std::uint8_t kEventLogout = 51;

CCgiUrl LogUrl(const std::string& sessionId) {
  CCgiUrl url(CgiIndex::kCgiGetLog);
  AddSessionId(url, sessionId);
  return url;
}

int Send(CCgiUrl& url, std::span<std::uint8_t> reply, std::uint32_t& length,
         const platform::StopToken& stop) {
  CgiExchange exchange = MakeCgiExchange(url, kLogTimeoutSeconds, stop);
  exchange.reply = reply;
  exchange.replyLength = &length;
  length = 0;
  return SendCgiRequest(exchange);
}

}  // namespace

LogRecord ParseLogRecord(std::span<const std::uint8_t, kLogRecordBytes> bytes) {
  LogRecord r;
  r.kind = static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
           (static_cast<std::uint32_t>(bytes[2]) << 16) |
           (static_cast<std::uint32_t>(bytes[3]) << 24);
  r.year = 2000 + bytes[4];
  r.month = bytes[5];
  r.day = bytes[6];
  r.hour = bytes[7];
  r.minute = bytes[8];
  r.second = bytes[9];
  const char* user = reinterpret_cast<const char*>(bytes.data() + 11);
  r.user.assign(user, strnlen(user, kLogUserBytes));
  r.event = bytes[27];
  return r;
}

std::string LogKindText(std::uint32_t kind) {
  switch (kind) {
    case kLogKindSystem:
      return "SYSTEM";
    case kLogKindError:
      return "ERROR";
    case kLogKindUser:
      return "USER";
    default:
      return std::to_string(kind);
  }
}

std::string LogTimeText(const LogRecord& r) {
  char text[64];
  std::snprintf(text, sizeof text, "%d-%.2d-%.2d %.2d:%.2d:%.2d", r.year, r.month, r.day, r.hour,
                r.minute, r.second);
  return text;
}

std::string LogEventText(const LogRecord& r) {
  if (r.event == kEventLogin)
    return r.user + " LOGIN";
  if (r.event == kEventLogout)
    return r.user + " LOGOUT";
  for (const EventText& e : kEventTexts) {
    if (e.code == r.event)
      return e.text;
  }
  return std::to_string(r.event);
}

std::optional<std::uint32_t> ParseLogCount(std::span<const std::uint8_t> reply) {
  const std::string_view text(reinterpret_cast<const char*>(reply.data()), reply.size());
  const std::size_t key = text.find(kCountKey);
  if (key == std::string_view::npos)
    return std::nullopt;
  std::size_t at = key + kCountKey.size();
  std::uint64_t value = 0;
  std::size_t digits = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at, ++digits)
    value = std::min<std::uint64_t>(value * 10 + static_cast<std::uint64_t>(text[at] - '0'),
                                    0xFFFFFFFFu);
  // The number runs up to the ";" (or the end of the reply); anything else is no number.
  if (digits == 0 || (at < text.size() && text[at] != ';'))
    return std::nullopt;
  return static_cast<std::uint32_t>(value);
}

std::uint32_t LogFetchCount(std::uint32_t serverCount, std::uint32_t maximum) {
  return serverCount > maximum || serverCount <= kLogBatchRecords ? maximum : serverCount;
}

std::uint32_t LogBatchSize(std::uint32_t missing) {
  return std::min(missing, kLogBatchRecords);
}

std::uint32_t DownloadServerLog(std::uint32_t maximum, const std::string& sessionId,
                                LogDownload& download,
                                const std::function<void(std::uint32_t, std::uint32_t)>& progress,
                                const platform::StopToken& stop) {
  download.received = 0;
  std::array<std::uint8_t, kLogCountReplyBytes> countReply{};
  std::uint32_t length = 0;
  CCgiUrl countUrl = LogUrl(sessionId);
  countUrl.AddParam("LogEvent", "LogCount");
  if (Send(countUrl, countReply, length, stop) != 1)
    return stop.StopRequested() ? kLogStopped : kLogFailed;
  const std::optional<std::uint32_t> count =
      ParseLogCount(std::span(countReply).first(std::min<std::size_t>(length, countReply.size())));
  if (!count || *count == 0)
    return kLogFailed;
  const std::uint32_t toFetch = LogFetchCount(*count, maximum);
  for (bool first = true;; first = false) {
    if (stop.StopRequested())
      return kLogStopped;
    CCgiUrl url = LogUrl(sessionId);
    if (first)
      url.AddParam("LogEvent", "Start");
    url.AddIntParam("ID", 7);
    url.AddIntParam("Size",
                    static_cast<int>(LogBatchSize(toFetch - std::min(toFetch, download.received))));
    const std::size_t used = download.received * kLogRecordBytes;
    const std::span<std::uint8_t> room = std::span(download.buffer).subspan(used);
    if (Send(url, room, length, stop) != 1)
      return stop.StopRequested() ? kLogStopped : kLogFailed;
    if (stop.StopRequested())
      return kLogStopped;
    // Whole records only: a trailing part of a record is not counted.
    const std::uint32_t n =
        std::min<std::uint32_t>(length, static_cast<std::uint32_t>(room.size())) /
        static_cast<std::uint32_t>(kLogRecordBytes);
    if (n == 0)
      break;
    download.received += n;
    if (progress)
      progress(download.received, toFetch);
    if (n < kLogBatchRecords || download.received >= kLogBufferRecords ||
        download.received >= toFetch) {
      break;
    }
  }
  return kLogDownloaded;
}

std::uint32_t EraseServerLog(const std::string& sessionId, const platform::StopToken& stop) {
  CCgiUrl url = LogUrl(sessionId);
  url.AddParam("LogEvent", "Erase");
  std::uint32_t length = 0;
  if (Send(url, {}, length, stop) == 1)
    return kLogErased;
  return stop.StopRequested() ? kLogStopped : kLogFailed;
}

}  // namespace net
