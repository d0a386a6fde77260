// Alarm sound files: any bytes must be parsed or refused without reading outside the file, and
// a parsed sound must fill the output buffers.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "media/audio/alarm_wav.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto block = std::make_unique<AlarmWaveBlock>();
  if (ParseAlarmWav(std::span(data, size), &block->wave) == WavParseResult::kOk) {
    for (std::size_t i = 0; i < 3; ++i) {
      FillAlarmWaveBuffer(*block, i % kAlarmWavBufferCount);
    }
  }
  return 0;
}
