#include "platform/testing/capture_audio_out.h"

#include <algorithm>

namespace platform::testing {

namespace {

// Takes an injected failure, if one is armed.
std::optional<AudioResult> Take(std::optional<AudioResult>& armed) {
  std::optional<AudioResult> result;
  result.swap(armed);
  return result;
}

}  // namespace

AudioResult CaptureAudioOut::Open(const PcmFormat& format, DoneCallback onDone) {
  std::lock_guard lock(m_mutex);
  if (auto failure = Take(m_failOpen)) {
    return *failure;
  }
  if (!IsValidPcmFormat(format)) {
    return AudioResult::BadFormat;
  }
  m_open = true;
  m_format = format;
  m_onDone = std::move(onDone);
  ++m_openCount;
  return AudioResult::NoError;
}

AudioResult CaptureAudioOut::Prepare(AudioBlock& block) {
  std::lock_guard lock(m_mutex);
  if (auto failure = Take(m_failPrepare)) {
    return *failure;
  }
  if (!m_open) {
    return AudioResult::InvalidHandle;
  }
  block.flags.fetch_or(kBlockPrepared);
  return AudioResult::NoError;
}

AudioResult CaptureAudioOut::Unprepare(AudioBlock& block) {
  std::lock_guard lock(m_mutex);
  if (auto failure = Take(m_failUnprepare)) {
    return *failure;
  }
  if (!m_open) {
    return AudioResult::InvalidHandle;
  }
  if (block.IsQueued()) {
    return AudioResult::StillPlaying;
  }
  block.flags.fetch_and(~kBlockPrepared);
  return AudioResult::NoError;
}

AudioResult CaptureAudioOut::Write(AudioBlock& block) {
  std::vector<AudioBlock*> done;
  {
    std::lock_guard lock(m_mutex);
    if (auto failure = Take(m_failWrite)) {
      return *failure;
    }
    if (!m_open) {
      return AudioResult::InvalidHandle;
    }
    if (!block.IsPrepared()) {
      return AudioResult::Unprepared;
    }
    block.flags.fetch_and(~kBlockDone);
    block.flags.fetch_or(kBlockInQueue);
    m_blocks.emplace_back(block.data.begin(), block.data.end());
    m_queue.push_back(&block);
    if (m_autoComplete) {
      done = TakeCompletedLocked(m_queue.size());
    }
  }
  NotifyDone(done);
  return AudioResult::NoError;
}

AudioResult CaptureAudioOut::Reset() {
  std::vector<AudioBlock*> done;
  {
    std::lock_guard lock(m_mutex);
    if (!m_open) {
      return AudioResult::InvalidHandle;
    }
    ++m_resetCount;
    done = TakeCompletedLocked(m_queue.size());
  }
  NotifyDone(done);
  return AudioResult::NoError;
}

AudioResult CaptureAudioOut::Close() {
  std::lock_guard lock(m_mutex);
  if (!m_open) {
    return AudioResult::InvalidHandle;
  }
  if (!m_queue.empty()) {
    return AudioResult::StillPlaying;
  }
  m_open = false;
  m_onDone = nullptr;
  ++m_closeCount;
  return AudioResult::NoError;
}

bool CaptureAudioOut::IsOpen() const {
  std::lock_guard lock(m_mutex);
  return m_open;
}

void CaptureAudioOut::SetAutoComplete(bool on) {
  std::lock_guard lock(m_mutex);
  m_autoComplete = on;
}

std::size_t CaptureAudioOut::CompleteBlocks(std::size_t count) {
  std::vector<AudioBlock*> done;
  {
    std::lock_guard lock(m_mutex);
    done = TakeCompletedLocked(count);
  }
  NotifyDone(done);
  return done.size();
}

std::vector<AudioBlock*> CaptureAudioOut::TakeCompletedLocked(std::size_t count) {
  std::vector<AudioBlock*> done;
  while (count-- > 0 && !m_queue.empty()) {
    AudioBlock* block = m_queue.front();
    m_queue.pop_front();
    block->flags.fetch_and(~kBlockInQueue);
    block->flags.fetch_or(kBlockDone);
    done.push_back(block);
  }
  return done;
}

void CaptureAudioOut::NotifyDone(const std::vector<AudioBlock*>& blocks) {
  DoneCallback onDone;
  {
    std::lock_guard lock(m_mutex);
    onDone = m_onDone;
  }
  if (!onDone) {
    return;
  }
  for (AudioBlock* block : blocks) {
    onDone(*block);
  }
}

void CaptureAudioOut::FailNextOpen(AudioResult result) {
  std::lock_guard lock(m_mutex);
  m_failOpen = result;
}

void CaptureAudioOut::FailNextPrepare(AudioResult result) {
  std::lock_guard lock(m_mutex);
  m_failPrepare = result;
}

void CaptureAudioOut::FailNextUnprepare(AudioResult result) {
  std::lock_guard lock(m_mutex);
  m_failUnprepare = result;
}

void CaptureAudioOut::FailNextWrite(AudioResult result) {
  std::lock_guard lock(m_mutex);
  m_failWrite = result;
}

std::vector<std::uint8_t> CaptureAudioOut::Bytes() {
  std::lock_guard lock(m_mutex);
  std::vector<std::uint8_t> all;
  for (const auto& block : m_blocks) {
    all.insert(all.end(), block.begin(), block.end());
  }
  return all;
}

std::vector<std::vector<std::uint8_t>> CaptureAudioOut::Blocks() {
  std::lock_guard lock(m_mutex);
  return m_blocks;
}

std::size_t CaptureAudioOut::QueuedCount() {
  std::lock_guard lock(m_mutex);
  return m_queue.size();
}

std::optional<PcmFormat> CaptureAudioOut::Format() {
  std::lock_guard lock(m_mutex);
  return m_format;
}

std::size_t CaptureAudioOut::OpenCount() {
  std::lock_guard lock(m_mutex);
  return m_openCount;
}

std::size_t CaptureAudioOut::ResetCount() {
  std::lock_guard lock(m_mutex);
  return m_resetCount;
}

std::size_t CaptureAudioOut::CloseCount() {
  std::lock_guard lock(m_mutex);
  return m_closeCount;
}

}  // namespace platform::testing
