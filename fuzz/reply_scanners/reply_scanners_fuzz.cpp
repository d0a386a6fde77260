// The protocol layer's small scanners over reply text and binary buffers: any bytes, any key,
// pattern and terminator taken from the input, without reading or writing outside a buffer.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "net/reply_scanners.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) {
    return 0;
  }
  const std::size_t split = data[0] % size;
  const char terminator = static_cast<char>(data[1]);
  const std::string_view text(reinterpret_cast<const char*>(data) + 2, size - 2);
  const std::string_view key = text.substr(0, split % (text.size() + 1) / 4);
  std::string out;
  ExtractField(text, out, key, terminator);

  std::vector<char> buffer(text.begin(), text.end());
  ParseOnlineUserNum(buffer);

  const std::span<const std::uint8_t> bytes(data + 2, size - 2);
  CountBelowFF(bytes);
  FindBytes(bytes, bytes.first(split % (bytes.size() + 1)));
  FindBytes(bytes.first(split % (bytes.size() + 1)), bytes);
  FindJpegEnd(bytes);
  return 0;
}
