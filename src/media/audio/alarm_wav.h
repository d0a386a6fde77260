// The alarm sound: a RIFF WAVE file ("alarm.wav") loaded whole and played in a loop through
// eight 8,000-byte output buffers that are refilled as the device gives them back, until the
// alarm is cleared.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/audio_out.h"
#include "platform/sync.h"
#include "platform/thread.h"

inline constexpr std::size_t kAlarmWavBufferCount = 8;
inline constexpr std::size_t kAlarmWavBufferBytes = 8000;

enum class WavParseResult {
  kOk,
  kNotRiffWave,     // shorter than the RIFF header, or not "RIFF" ... "WAVE"
  kBadFormatChunk,  // the first chunk is shorter than 16 format bytes or runs past the end
  kNoDataChunk,     // the chunks end without a "data" chunk
  kEmptyData,       // the "data" chunk holds no bytes
  kChunkPastEnd,    // a chunk's size runs past the end of the file
};

const char* WavParseResultName(WavParseResult result);

// What a wave file gives the player: the format of its first chunk and the "data" bytes.
struct AlarmWaveData {
  platform::PcmFormat format;
  std::vector<std::uint8_t> samples;
};

// Parses a whole wave file. The first chunk after the RIFF header is taken as the format
// chunk; later chunks are skipped (with their pad byte when the size is odd) up to "data".
// Every size is checked against the bytes given.
WavParseResult ParseAlarmWav(std::span<const std::uint8_t> file, AlarmWaveData* out);

// The eight output buffers and the play position in the samples.
struct AlarmWaveBlock {
  AlarmWaveData wave;
  std::uint32_t position = 0;
  std::array<platform::AudioBlock, kAlarmWavBufferCount> headers;
  std::array<std::array<std::uint8_t, kAlarmWavBufferBytes>, kAlarmWavBufferCount> buffers{};
};

// Fills buffer `index` with the next 8,000 sample bytes, wrapping to the start of the samples
// without a gap; silence when there are no samples. Points the header at the buffer.
void FillAlarmWaveBuffer(AlarmWaveBlock& block, std::size_t index);

class CAlarmWav {
 public:
  // Loads path, or programDir + "alarm.wav" when path cannot be read. False when neither file
  // can be read or the file read is refused by ParseAlarmWav; the previous sound is dropped
  // either way.
  bool LoadAlarmWav(const std::string& path, const std::string& programDir);
  const std::string& Path() const { return m_strPath; }
  WavParseResult LastResult() const { return m_lastResult; }
  AlarmWaveBlock* Block() { return m_pBlock.get(); }

 private:
  std::string m_strPath;
  std::unique_ptr<AlarmWaveBlock> m_pBlock;
  WavParseResult m_lastResult = WavParseResult::kOk;
};

// Body of the alarm sound thread: opens the process's sound device with the file's format,
// keeps the eight buffers playing, and on stopEvent (or the thread's stop request) resets the
// device and returns 0. Returns 0xFFFFFFFF (-1) when the device cannot be opened or nothing
// was loaded. doneEvent is set by the device whenever a buffer comes back.
std::uint32_t PlayAudioWavThread(CAlarmWav& sound, platform::Event& doneEvent,
                                 platform::Event& stopEvent, const platform::StopToken& stop);
