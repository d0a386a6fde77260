// Parses arbitrary bytes as a packet header (twice: as given and with the mark forced, so the
// optional-field walk is reached) and searches them for a frame start. A parsed header must
// lie within the bytes given and within its own total length.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "media/frame_header.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool hooksSet = [] {
    SetFrameHeaderAlarmHooks(FrameHeaderAlarmHooks{});
    return true;
  }();
  (void)hooksSet;
  const std::span<const std::uint8_t> bytes(data, size);
  CFrameHeader header;
  const auto check = [&header](std::span<const std::uint8_t> packet) {
    if (header.Parse(packet) == 1 &&
        (header.HeaderLength() > packet.size() || header.HeaderLength() > header.TotalLength())) {
      std::abort();
    }
  };
  check(bytes);
  if (size >= 2) {
    std::vector<std::uint8_t> marked(bytes.begin(), bytes.end());
    marked[0] = 1;
    marked[1] = 0;
    check(marked);
  }
  std::uint32_t position = 0;
  if (FindFrameStart(bytes, &position) && position >= size)
    std::abort();
  (void)header.DecodeChannelState();
  (void)header.DecodeChannelState2();
  return 0;
}
