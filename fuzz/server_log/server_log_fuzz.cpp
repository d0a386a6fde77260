// The server log's replies: any bytes as a count reply, and as a batch of records with every
// text made of them, without reading outside the bytes given.
#include <cstddef>
#include <cstdint>
#include <span>

#include "net/server_log.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  if (const auto count = net::ParseLogCount(bytes))
    (void)net::LogFetchCount(*count, 300);
  for (std::size_t at = 0; at + net::kLogRecordBytes <= size; at += net::kLogRecordBytes) {
    const net::LogRecord record =
        net::ParseLogRecord(bytes.subspan(at).first<net::kLogRecordBytes>());
    (void)net::LogKindText(record.kind);
    (void)net::LogTimeText(record);
    (void)net::LogEventText(record);
  }
  return 0;
}
