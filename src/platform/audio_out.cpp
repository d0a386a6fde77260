#include "platform/audio_out.h"

#include <mutex>

namespace platform {

const char* AudioResultName(AudioResult result) {
  switch (result) {
    case AudioResult::NoError:
      return "MMSYSERR_NOERROR";
    case AudioResult::Error:
      return "MMSYSERR_ERROR";
    case AudioResult::BadDeviceId:
      return "MMSYSERR_BADDEVICEID";
    case AudioResult::InvalidHandle:
      return "MMSYSERR_INVALHANDLE";
    case AudioResult::NoDriver:
      return "MMSYSERR_NODRIVER";
    case AudioResult::NoMemory:
      return "MMSYSERR_NOMEM";
    case AudioResult::BadFormat:
      return "WAVERR_BADFORMAT";
    case AudioResult::StillPlaying:
      return "WAVERR_STILLPLAYING";
    case AudioResult::Unprepared:
      return "WAVERR_UNPREPARED";
  }
  return "MMSYSERR_ERROR";
}

bool IsValidPcmFormat(const PcmFormat& format) {
  if (format.formatTag != 1 || format.channels < 1 || format.channels > 2) {
    return false;
  }
  if (format.bitsPerSample != 8 && format.bitsPerSample != 16) {
    return false;
  }
  if (format.samplesPerSec < 1000 || format.samplesPerSec > 192000) {
    return false;
  }
  const std::uint32_t align = format.channels * (format.bitsPerSample / 8u);
  return format.blockAlign == align && format.avgBytesPerSec == format.samplesPerSec * align;
}

AudioResult NullAudioOut::Open(const PcmFormat& format, DoneCallback onDone) {
  if (!IsValidPcmFormat(format)) {
    return AudioResult::BadFormat;
  }
  m_onDone = std::move(onDone);
  m_open = true;
  return AudioResult::NoError;
}

AudioResult NullAudioOut::Prepare(AudioBlock& block) {
  if (!m_open) {
    return AudioResult::InvalidHandle;
  }
  block.flags.fetch_or(kBlockPrepared);
  return AudioResult::NoError;
}

AudioResult NullAudioOut::Unprepare(AudioBlock& block) {
  if (!m_open) {
    return AudioResult::InvalidHandle;
  }
  block.flags.fetch_and(~kBlockPrepared);
  return AudioResult::NoError;
}

AudioResult NullAudioOut::Write(AudioBlock& block) {
  if (!m_open) {
    return AudioResult::InvalidHandle;
  }
  if (!block.IsPrepared()) {
    return AudioResult::Unprepared;
  }
  block.flags.fetch_or(kBlockDone);
  if (m_onDone) {
    m_onDone(block);
  }
  return AudioResult::NoError;
}

AudioResult NullAudioOut::Reset() {
  return m_open ? AudioResult::NoError : AudioResult::InvalidHandle;
}

AudioResult NullAudioOut::Close() {
  if (!m_open) {
    return AudioResult::InvalidHandle;
  }
  m_open = false;
  m_onDone = nullptr;
  return AudioResult::NoError;
}

namespace {

struct FactorySlot {
  std::mutex mutex;
  AudioOutFactory factory;
};

FactorySlot& Slot() {
  static FactorySlot slot;
  return slot;
}

}  // namespace

void SetAudioOutFactory(AudioOutFactory factory) {
  std::lock_guard lock(Slot().mutex);
  Slot().factory = std::move(factory);
}

std::unique_ptr<IAudioOut> CreateAudioOut() {
  AudioOutFactory factory;
  {
    std::lock_guard lock(Slot().mutex);
    factory = Slot().factory;
  }
  if (factory) {
    if (auto device = factory()) {
      return device;
    }
  }
  return std::make_unique<NullAudioOut>();
}

}  // namespace platform
