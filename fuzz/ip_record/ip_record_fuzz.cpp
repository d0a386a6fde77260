// The address book's file from disk: any bytes must read without reading outside the image, and
// what was read must write back as a file that reads again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "app/ip_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto records = app::ReadIPRecords(std::span<const std::uint8_t>(data, size));
  if (!records)
    return 0;
  const auto image = app::WriteIPRecords(*records);
  const auto again = app::ReadIPRecords(image);
  if (!again || again->size() != records->size())
    std::abort();
  return 0;
}
