#include "media/audio/alarm_wav.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>

#include "app/trace.h"

namespace {

constexpr std::size_t kRiffHeaderBytes = 12;
constexpr std::size_t kChunkHeaderBytes = 8;
constexpr std::size_t kFormatBytes = 16;
constexpr std::size_t kMaxAlarmWavBytes = 64u << 20;  // a sound, not a film

std::uint16_t U16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

std::uint32_t U32(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
         (static_cast<std::uint32_t>(b[at + 2]) << 16) |
         (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

bool TagIs(std::span<const std::uint8_t> b, std::size_t at, const char (&tag)[5]) {
  return std::memcmp(b.data() + at, tag, 4) == 0;
}

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return std::nullopt;
  }
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0 || static_cast<std::uint64_t>(size) > kMaxAlarmWavBytes) {
    return std::nullopt;
  }
  in.seekg(0);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) {
    return std::nullopt;
  }
  return bytes;
}

}  // namespace

const char* WavParseResultName(WavParseResult result) {
  switch (result) {
    case WavParseResult::kOk:
      return "ok";
    case WavParseResult::kNotRiffWave:
      return "not a RIFF WAVE file";
    case WavParseResult::kBadFormatChunk:
      return "bad format chunk";
    case WavParseResult::kNoDataChunk:
      return "no data chunk";
    case WavParseResult::kEmptyData:
      return "empty data chunk";
    case WavParseResult::kChunkPastEnd:
      return "chunk past the end of the file";
  }
  return "?";
}

WavParseResult ParseAlarmWav(std::span<const std::uint8_t> file, AlarmWaveData* out) {
  if (file.size() < kRiffHeaderBytes || !TagIs(file, 0, "RIFF") || !TagIs(file, 8, "WAVE")) {
    return WavParseResult::kNotRiffWave;
  }
  std::size_t at = kRiffHeaderBytes;
  if (file.size() - at < kChunkHeaderBytes) {
    return WavParseResult::kBadFormatChunk;
  }
  const std::uint64_t formatSize = U32(file, at + 4);
  at += kChunkHeaderBytes;
  if (formatSize < kFormatBytes || formatSize > file.size() - at) {
    return WavParseResult::kBadFormatChunk;
  }
  AlarmWaveData wave;
  wave.format.formatTag = U16(file, at);
  wave.format.channels = U16(file, at + 2);
  wave.format.samplesPerSec = U32(file, at + 4);
  wave.format.avgBytesPerSec = U32(file, at + 8);
  wave.format.blockAlign = U16(file, at + 12);
  wave.format.bitsPerSample = U16(file, at + 14);
  at += static_cast<std::size_t>(formatSize + (formatSize & 1));

  while (at < file.size()) {
    if (file.size() - at < kChunkHeaderBytes) {
      return WavParseResult::kChunkPastEnd;
    }
    const std::uint64_t size = U32(file, at + 4);
    const bool isData = TagIs(file, at, "data");
    at += kChunkHeaderBytes;
    if (size > file.size() - at) {
      return WavParseResult::kChunkPastEnd;
    }
    if (isData) {
      if (size == 0) {
        return WavParseResult::kEmptyData;
      }
      wave.samples.assign(file.begin() + static_cast<std::ptrdiff_t>(at),
                          file.begin() + static_cast<std::ptrdiff_t>(at + size));
      if (out != nullptr) {
        *out = std::move(wave);
      }
      return WavParseResult::kOk;
    }
    at += static_cast<std::size_t>(size + (size & 1));
  }
  return WavParseResult::kNoDataChunk;
}

void FillAlarmWaveBuffer(AlarmWaveBlock& block, std::size_t index) {
  platform::AudioBlock& header = block.headers[index];
  auto& buffer = block.buffers[index];
  header.flags.fetch_and(~platform::kBlockDone);
  const auto& samples = block.wave.samples;
  if (samples.empty()) {
    buffer.fill(0);
  } else {
    std::size_t copied = 0;
    while (copied < buffer.size()) {
      if (block.position >= samples.size()) {
        block.position = 0;
      }
      const std::size_t piece = std::min(buffer.size() - copied, samples.size() - block.position);
      std::memcpy(buffer.data() + copied, samples.data() + block.position, piece);
      copied += piece;
      block.position += static_cast<std::uint32_t>(piece);
    }
  }
  header.data = std::span<const std::uint8_t>(buffer);
}

bool CAlarmWav::LoadAlarmWav(const std::string& path, const std::string& programDir) {
  m_strPath = path;
  m_pBlock.reset();
  auto bytes = ReadWholeFile(path);
  if (!bytes) {
    std::string fallback = programDir;
    if (!fallback.empty() && fallback.back() != '/') {
      fallback += '/';
    }
    bytes = ReadWholeFile(fallback + "alarm.wav");
  }
  if (!bytes) {
    m_lastResult = WavParseResult::kNotRiffWave;
    return false;
  }
  auto block = std::make_unique<AlarmWaveBlock>();
  m_lastResult = ParseAlarmWav(*bytes, &block->wave);
  if (m_lastResult != WavParseResult::kOk) {
    DebugPrint("LoadAlarmWav: %s refused: %s\n", path.c_str(), WavParseResultName(m_lastResult));
    return false;
  }
  m_pBlock = std::move(block);
  return true;
}

std::uint32_t PlayAudioWavThread(CAlarmWav& sound, platform::Event& doneEvent,
                                 platform::Event& stopEvent, const platform::StopToken& stop) {
  constexpr std::uint32_t kFailed = 0xFFFFFFFFu;
  AlarmWaveBlock* block = sound.Block();
  if (block == nullptr) {
    return kFailed;
  }
  auto device = platform::CreateAudioOut();
  if (device->Open(block->wave.format, [&doneEvent](platform::AudioBlock&) { doneEvent.Set(); }) !=
      platform::AudioResult::NoError) {
    DebugPrint("waveOutOpen function is failed\n");
    return kFailed;
  }
  const bool silent = dynamic_cast<platform::NullAudioOut*>(device.get()) != nullptr;
  if (!silent) {
    for (std::size_t i = 0; i < kAlarmWavBufferCount; ++i) {
      block->headers[i].flags = 0;
      FillAlarmWaveBuffer(*block, i);
      device->Prepare(block->headers[i]);
      device->Write(block->headers[i]);
    }
  }
  for (;;) {
    // The null device gives every buffer back at once; refilling it would only spin.
    const std::uint32_t got =
        silent
            ? 1 + platform::WaitAny({&stopEvent, &stop.StopEvent()}, platform::kInfinite)
            : platform::WaitAny({&doneEvent, &stopEvent, &stop.StopEvent()}, platform::kInfinite);
    if (got != 0) {
      break;
    }
    for (std::size_t i = 0; i < kAlarmWavBufferCount; ++i) {
      if (block->headers[i].IsDone()) {
        FillAlarmWaveBuffer(*block, i);
        device->Write(block->headers[i]);
      }
    }
  }
  device->Reset();
  for (auto& header : block->headers) {
    device->Unprepare(header);
  }
  device->Close();
  return 0;
}
