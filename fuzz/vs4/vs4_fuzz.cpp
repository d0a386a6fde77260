// Record files read back: any bytes must be read or refused without reading outside the file.
#include <cstddef>
#include <cstdint>
#include <span>

#include "media/record/vs4_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Vs4ReadError error{};
  ReadVs4(std::span(data, size), &error);
  return 0;
}
