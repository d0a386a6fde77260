// A sound device for tests that keeps every written byte in block order. Blocks stay queued
// until the test completes them (or auto-completion is on), so "still playing" paths can be
// driven; failures of each call can be injected.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/audio_out.h"

namespace platform::testing {

class CaptureAudioOut final : public IAudioOut {
 public:
  AudioResult Open(const PcmFormat& format, DoneCallback onDone = {}) override;
  AudioResult Prepare(AudioBlock& block) override;
  AudioResult Unprepare(AudioBlock& block) override;
  AudioResult Write(AudioBlock& block) override;
  AudioResult Reset() override;
  AudioResult Close() override;
  bool IsOpen() const override;

  // When on, a written block is done at once (inside Write). Off by default.
  void SetAutoComplete(bool on);
  // Marks up to count of the oldest queued blocks done (with their done calls); returns how
  // many were completed.
  std::size_t CompleteBlocks(std::size_t count = 1);

  // The next call of that kind returns result instead of doing its work.
  void FailNextOpen(AudioResult result);
  void FailNextPrepare(AudioResult result);
  void FailNextUnprepare(AudioResult result);
  void FailNextWrite(AudioResult result);

  // Every byte written, in order, and each block's bytes.
  std::vector<std::uint8_t> Bytes();
  std::vector<std::vector<std::uint8_t>> Blocks();
  std::size_t QueuedCount();
  std::optional<PcmFormat> Format();
  std::size_t OpenCount();
  std::size_t ResetCount();
  std::size_t CloseCount();

 private:
  std::vector<AudioBlock*> TakeCompletedLocked(std::size_t count);
  void NotifyDone(const std::vector<AudioBlock*>& blocks);

  mutable std::mutex m_mutex;
  bool m_open = false;
  bool m_autoComplete = false;
  DoneCallback m_onDone;
  std::optional<PcmFormat> m_format;
  std::deque<AudioBlock*> m_queue;
  std::vector<std::vector<std::uint8_t>> m_blocks;
  std::optional<AudioResult> m_failOpen, m_failPrepare, m_failUnprepare, m_failWrite;
  std::size_t m_openCount = 0, m_resetCount = 0, m_closeCount = 0;
};

}  // namespace platform::testing
