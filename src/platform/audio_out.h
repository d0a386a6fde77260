// Sound output in the shape the player code uses it: open a device for one PCM format, queue
// caller-owned blocks, learn per block when the device is done with it, reset, close. Results
// carry the waveOut result values, so the callers keep their traces and decisions. Devices: the
// null device (accepts everything, plays nothing) and the capture device in platform/testing
// (keeps every byte in block order); CreateAudioOut makes the process's device.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

namespace platform {

enum class AudioResult : std::uint32_t {
  NoError = 0,
  Error = 1,
  BadDeviceId = 2,
  InvalidHandle = 5,  // device not open
  NoDriver = 6,
  NoMemory = 7,
  BadFormat = 32,
  StillPlaying = 33,  // block still queued
  Unprepared = 34,    // block written without being prepared
};

// Name of a result as the player traces it ("MMSYSERR_NOERROR", "WAVERR_STILLPLAYING", ...).
const char* AudioResultName(AudioResult result);

// A wave format: PCM is format tag 1.
struct PcmFormat {
  std::uint16_t formatTag = 1;
  std::uint16_t channels = 1;
  std::uint32_t samplesPerSec = 8000;
  std::uint32_t avgBytesPerSec = 16000;
  std::uint16_t blockAlign = 2;
  std::uint16_t bitsPerSample = 16;
  friend bool operator==(const PcmFormat&, const PcmFormat&) = default;
};

// Block flags, with the wave-header values.
inline constexpr std::uint32_t kBlockDone = 0x01;
inline constexpr std::uint32_t kBlockPrepared = 0x02;
inline constexpr std::uint32_t kBlockInQueue = 0x10;

// One queued buffer. The caller owns the bytes that data points at and keeps them unchanged
// from Write until the block is done. flags is updated by the device (possibly from its own
// thread), hence atomic.
struct AudioBlock {
  std::span<const std::uint8_t> data;
  std::atomic<std::uint32_t> flags{0};

  bool IsDone() const { return (flags.load() & kBlockDone) != 0; }
  bool IsQueued() const { return (flags.load() & kBlockInQueue) != 0; }
  bool IsPrepared() const { return (flags.load() & kBlockPrepared) != 0; }
};

class IAudioOut {
 public:
  // Called once per written block when the device is done with it (played, or returned by
  // Reset), possibly on the device's own thread; it must be short (set an event).
  using DoneCallback = std::function<void(AudioBlock& block)>;

  virtual ~IAudioOut() = default;

  // Opens the device for the format. NoError, BadFormat (not PCM or inconsistent), NoDriver
  // (no device), or NoMemory. Opening an open device closes it first.
  virtual AudioResult Open(const PcmFormat& format, DoneCallback onDone = {}) = 0;
  // Marks a block ready for Write. InvalidHandle when not open.
  virtual AudioResult Prepare(AudioBlock& block) = 0;
  // Takes a block back: StillPlaying while it is queued, NoError otherwise (also for a block
  // that was never prepared). InvalidHandle when not open.
  virtual AudioResult Unprepare(AudioBlock& block) = 0;
  // Queues the block after the blocks already queued. Unprepared when not prepared,
  // InvalidHandle when not open. Clears kBlockDone and sets kBlockInQueue.
  virtual AudioResult Write(AudioBlock& block) = 0;
  // Stops playing and returns every queued block as done (with its done call).
  virtual AudioResult Reset() = 0;
  // Closes the device. StillPlaying (and stays open) while blocks are queued; NoError, and
  // InvalidHandle when it was not open.
  virtual AudioResult Close() = 0;
  virtual bool IsOpen() const = 0;
};

// Accepts every call and plays nothing: a written block is done at once.
class NullAudioOut final : public IAudioOut {
 public:
  AudioResult Open(const PcmFormat& format, DoneCallback onDone = {}) override;
  AudioResult Prepare(AudioBlock& block) override;
  AudioResult Unprepare(AudioBlock& block) override;
  AudioResult Write(AudioBlock& block) override;
  AudioResult Reset() override;
  AudioResult Close() override;
  bool IsOpen() const override { return m_open.load(); }

 private:
  std::atomic<bool> m_open{false};
  DoneCallback m_onDone;
};

// True when the format is PCM with a consistent block alignment and byte rate, 1 or 2
// channels, 8 or 16 bits, and a sample rate between 1,000 and 192,000.
bool IsValidPcmFormat(const PcmFormat& format);

// Creates the process's sound device. The default factory makes the best device available
// (the null device when there is no sound card); tests install their own.
using AudioOutFactory = std::function<std::unique_ptr<IAudioOut>()>;
void SetAudioOutFactory(AudioOutFactory factory);  // empty restores the default
std::unique_ptr<IAudioOut> CreateAudioOut();

}  // namespace platform
