#include "platform/audio_alsa/alsa_audio_out.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#if defined(KAVELIN_HAVE_ALSA)
#include <alsa/asoundlib.h>
#endif

namespace platform {

namespace {

#if defined(KAVELIN_HAVE_ALSA)

// Frames handed to the card per call, so that a reset is noticed within a few milliseconds.
constexpr snd_pcm_uframes_t kChunkFrames = 256;
constexpr unsigned kLatencyUs = 200000;

void MarkDone(AudioBlock& block) {
  std::uint32_t flags = block.flags.load();
  while (!block.flags.compare_exchange_weak(flags, (flags & ~kBlockInQueue) | kBlockDone)) {
  }
}

class AlsaAudioOut final : public IAudioOut {
 public:
  explicit AlsaAudioOut(std::string name) : m_name(std::move(name)) {}
  ~AlsaAudioOut() override {
    Reset();
    Shutdown();
  }

  AudioResult Open(const PcmFormat& format, DoneCallback onDone) override {
    if (!IsValidPcmFormat(format)) {
      return AudioResult::BadFormat;
    }
    if (m_pcm != nullptr) {
      Reset();
      Shutdown();
    }
    snd_pcm_t* pcm = nullptr;
    if (snd_pcm_open(&pcm, m_name.c_str(), SND_PCM_STREAM_PLAYBACK, 0) < 0) {
      return AudioResult::NoDriver;
    }
    const snd_pcm_format_t sampleFormat =
        format.bitsPerSample == 8 ? SND_PCM_FORMAT_U8 : SND_PCM_FORMAT_S16_LE;
    if (snd_pcm_set_params(pcm, sampleFormat, SND_PCM_ACCESS_RW_INTERLEAVED, format.channels,
                           format.samplesPerSec, 1, kLatencyUs) < 0) {
      snd_pcm_close(pcm);
      return AudioResult::BadFormat;
    }
    m_pcm = pcm;
    m_frameBytes = format.blockAlign;
    m_onDone = std::move(onDone);
    m_quit = false;
    m_open = true;
    m_writer = std::thread([this] { WriterLoop(); });
    return AudioResult::NoError;
  }

  AudioResult Prepare(AudioBlock& block) override {
    if (!m_open) {
      return AudioResult::InvalidHandle;
    }
    block.flags.fetch_or(kBlockPrepared);
    return AudioResult::NoError;
  }

  AudioResult Unprepare(AudioBlock& block) override {
    if (!m_open) {
      return AudioResult::InvalidHandle;
    }
    if (block.IsQueued()) {
      return AudioResult::StillPlaying;
    }
    block.flags.fetch_and(~kBlockPrepared);
    return AudioResult::NoError;
  }

  AudioResult Write(AudioBlock& block) override {
    if (!m_open) {
      return AudioResult::InvalidHandle;
    }
    if (!block.IsPrepared()) {
      return AudioResult::Unprepared;
    }
    {
      std::lock_guard lock(m_mutex);
      std::uint32_t flags = block.flags.load();
      while (!block.flags.compare_exchange_weak(flags, (flags & ~kBlockDone) | kBlockInQueue)) {
      }
      m_queue.push_back(&block);
    }
    m_wake.notify_all();
    return AudioResult::NoError;
  }

  AudioResult Reset() override {
    if (!m_open) {
      return AudioResult::InvalidHandle;
    }
    std::deque<AudioBlock*> returned;
    {
      std::lock_guard lock(m_mutex);
      returned.swap(m_queue);
      ++m_epoch;
    }
    {
      // Once the device lock is held the writer is between chunks and sees the new epoch
      // before it reads another byte of a returned block.
      std::lock_guard device(m_deviceMutex);
      snd_pcm_drop(m_pcm);
      snd_pcm_prepare(m_pcm);
    }
    for (AudioBlock* block : returned) {
      Finish(*block);
    }
    return AudioResult::NoError;
  }

  AudioResult Close() override {
    if (!m_open) {
      return AudioResult::InvalidHandle;
    }
    {
      std::lock_guard lock(m_mutex);
      if (!m_queue.empty()) {
        return AudioResult::StillPlaying;
      }
    }
    Shutdown();
    return AudioResult::NoError;
  }

  bool IsOpen() const override { return m_open.load(); }

 private:
  void Finish(AudioBlock& block) {
    MarkDone(block);
    if (m_onDone) {
      m_onDone(block);
    }
  }

  void Shutdown() {
    if (m_pcm == nullptr) {
      return;
    }
    {
      std::lock_guard lock(m_mutex);
      m_quit = true;
    }
    m_wake.notify_all();
    if (m_writer.joinable()) {
      m_writer.join();
    }
    snd_pcm_drain(m_pcm);
    snd_pcm_close(m_pcm);
    m_pcm = nullptr;
    m_open = false;
    m_onDone = nullptr;
  }

  // Plays one block chunk by chunk; false when a reset took it back meanwhile.
  bool PlayBlock(const AudioBlock& block, std::uint64_t epoch) {
    const std::size_t frames = block.data.size() / m_frameBytes;
    std::size_t done = 0;
    while (done < frames) {
      std::lock_guard device(m_deviceMutex);
      if (m_epoch.load() != epoch) {
        return false;
      }
      const auto count = std::min<snd_pcm_uframes_t>(kChunkFrames, frames - done);
      snd_pcm_sframes_t written =
          snd_pcm_writei(m_pcm, block.data.data() + done * m_frameBytes, count);
      if (written < 0) {
        written = snd_pcm_recover(m_pcm, static_cast<int>(written), 1);
        if (written < 0) {
          return true;  // the card failed: the block is given back unplayed
        }
        continue;
      }
      done += static_cast<std::size_t>(written);
    }
    return true;
  }

  void WriterLoop() {
    for (;;) {
      AudioBlock* block = nullptr;
      std::uint64_t epoch = 0;
      {
        std::unique_lock lock(m_mutex);
        m_wake.wait(lock, [this] { return m_quit || !m_queue.empty(); });
        if (m_quit) {
          return;
        }
        block = m_queue.front();
        epoch = m_epoch.load();
      }
      if (!PlayBlock(*block, epoch)) {
        continue;
      }
      bool finished = false;
      {
        std::lock_guard lock(m_mutex);
        if (m_epoch.load() == epoch && !m_queue.empty() && m_queue.front() == block) {
          m_queue.pop_front();
          finished = true;
        }
      }
      if (finished) {
        Finish(*block);
      }
    }
  }

  std::string m_name;
  snd_pcm_t* m_pcm = nullptr;
  std::size_t m_frameBytes = 2;
  DoneCallback m_onDone;
  std::atomic<bool> m_open{false};
  std::mutex m_mutex;
  std::mutex m_deviceMutex;
  std::condition_variable m_wake;
  std::deque<AudioBlock*> m_queue;
  std::atomic<std::uint64_t> m_epoch{0};
  bool m_quit = false;
  std::thread m_writer;
};

#else

// Built without ALSA: a device that never opens, so callers take their no-device path.
class AlsaAudioOut final : public IAudioOut {
 public:
  explicit AlsaAudioOut(std::string) {}
  AudioResult Open(const PcmFormat&, DoneCallback) override { return AudioResult::NoDriver; }
  AudioResult Prepare(AudioBlock&) override { return AudioResult::InvalidHandle; }
  AudioResult Unprepare(AudioBlock&) override { return AudioResult::InvalidHandle; }
  AudioResult Write(AudioBlock&) override { return AudioResult::InvalidHandle; }
  AudioResult Reset() override { return AudioResult::InvalidHandle; }
  AudioResult Close() override { return AudioResult::InvalidHandle; }
  bool IsOpen() const override { return false; }
};

#endif

}  // namespace

std::unique_ptr<IAudioOut> MakeAlsaAudioOut(const char* pcmName) {
  return std::make_unique<AlsaAudioOut>(pcmName != nullptr ? pcmName : "default");
}

void InstallAlsaAudioOut() {
  SetAudioOutFactory([] { return MakeAlsaAudioOut(); });
}

}  // namespace platform
