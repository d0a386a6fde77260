// The live-audio player: twenty output buffers on the platform sound device, the 163,840-byte
// sample buffer the compose thread decodes into (twenty blocks of 8,192 bytes), and the ADPCM
// state that runs on across the whole program. One object for the program; buffers are
// allocated at start-up and freed at exit, the device is opened and closed around each audio
// session by the audio-play thread.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "media/audio/ima_adpcm.h"
#include "platform/audio_out.h"
#include "platform/sync.h"

class CWaveOutPlayer {
 public:
  static constexpr std::uint32_t kBufferCount = 20;
  static constexpr std::uint32_t kBlockBytes = 8192;
  static constexpr std::uint32_t kSampleBufferBytes = kBufferCount * kBlockBytes;

  CWaveOutPlayer();
  ~CWaveOutPlayer();
  CWaveOutPlayer(const CWaveOutPlayer&) = delete;
  CWaveOutPlayer& operator=(const CWaveOutPlayer&) = delete;

  bool AllocateBuffers();
  bool FreeBuffers();
  // Opens the process's sound device for 8 kHz 16-bit mono. When no sound card opens, the
  // null device takes its place, so the session goes on silently.
  bool Open();
  bool Close();
  // Plays `length` bytes of sample block `block` through buffer `slot` (see the source for the
  // reclaiming of earlier buffers). False on a device failure, and for a slot, block or length
  // outside the buffers.
  bool Play(std::uint32_t slot, std::uint16_t block, std::uint16_t length);

  // Decodes input (low nibble first) into 2 x input.size() little-endian 16-bit samples at
  // output; stateCopy receives the state before the first nibble (stepIndex, then prediction).
  // Decodes only as many bytes as output has room for. Returns 0.
  int DecodeAudio(std::span<const std::uint8_t> input, std::span<std::uint8_t> output,
                  std::span<std::uint8_t, 8> stateCopy);

  // How many earlier buffers Play reclaims for a displayed frame rate.
  static std::uint32_t ReclaimCount(float frameRate);
  // The main window's displayed frame rate, read by Play (0 when none is installed).
  void SetFrameRateSource(std::function<float()> source);

  // Block i of the sample buffer (empty when the buffers are not allocated).
  std::span<std::uint8_t> SampleBlock(std::uint32_t index);
  const AdpcmState& State() const { return m_state; }
  platform::Semaphore* PaceSemaphore() { return m_pSemaphore.get(); }
  platform::IAudioOut* Device() { return m_pDevice.get(); }

  std::atomic<std::uint8_t> m_byStillPlayingDepth{0};
  std::atomic<std::uint8_t> m_byPlayThreadFlag{0};

 private:
  struct Header {
    platform::AudioBlock block;
    std::array<std::uint8_t, kBlockBytes> data{};
  };

  std::unique_ptr<platform::IAudioOut> m_pDevice;
  platform::PcmFormat m_format;
  std::vector<std::uint8_t> m_sampleBuffer;
  std::array<std::unique_ptr<Header>, kBufferCount> m_headers;
  AdpcmState m_state;
  std::unique_ptr<platform::Semaphore> m_pSemaphore;
  std::function<float()> m_frameRate;
};

// The program's one live-audio player.
extern CWaveOutPlayer g_WaveOutPlayer;
