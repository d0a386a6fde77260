// Configuration records from the server: every field of every record layout, read from any
// bytes and written back, must stay within the record.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "net/config_record_layout.h"
#include "net/config_records.h"
#include "net/record_fields.h"

namespace {

void ReadTexts(std::span<const std::uint8_t> record) {
  using namespace cfg;
  const TextField texts[] = {pppoe::kUser,     pppoe::kPassword, smtp::kServer, smtp::kFrom,
                             smtp::kUser,      smtp::kPassword,  ftp::kServer,  ftp::kUser,
                             ftp::kPassword,   ftp::kDirectory,  dns::kUser,    dns::kPassword,
                             dns::kDomain,     dns::kProvider,   sntp::kServer, system::kHostName,
                             smtp::Address(0), smtp::Address(4)};
  for (const TextField& field : texts) {
    const std::string text = net::RecordText(record, field);
    if (text.size() > field.width)
      __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3)
    return 0;
  // The first byte picks a record size, the next two an offset and a width; the rest is the
  // record as it arrived.
  const std::uint32_t recordSize = ConfigRecordSizes[data[0] % ConfigRecordSizes.size()];
  const std::size_t offset = data[1];
  const std::size_t width = data[2] % 80;
  std::vector<std::uint8_t> record(data + 3, data + size);
  record.resize(recordSize, 0);
  ReadTexts(record);
  (void)net::RecordU8(record, offset);
  (void)net::RecordU16(record, offset);
  (void)net::RecordU32(record, offset);
  (void)net::RecordAddress(record, offset);
  const std::string text = net::RecordText(record, offset, width);
  // Written back into the same field, the text fits or is refused; nothing outside changes.
  std::vector<std::uint8_t> copy = record;
  if (net::SetRecordText(copy, offset, width, text)) {
    for (std::size_t i = 0; i < copy.size(); ++i) {
      if ((i < offset || i >= offset + width) && copy[i] != record[i])
        __builtin_trap();
    }
  }
  net::SetRecordU32(copy, offset, 0xFFFFFFFFu);
  net::SetRecordAddress(copy, offset, 0x01020304u);
  return 0;
}
