#include "media/audio/wave_out_player.h"

#include <algorithm>
#include <cstring>

#include "app/trace.h"

namespace {

using platform::AudioResult;

void PutU32(std::span<std::uint8_t> out, std::size_t at, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) {
    out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

}  // namespace

CWaveOutPlayer g_WaveOutPlayer;

CWaveOutPlayer::CWaveOutPlayer() = default;

CWaveOutPlayer::~CWaveOutPlayer() {
  if (m_pDevice) {
    m_pDevice->Reset();
    m_pDevice->Close();
  }
}

bool CWaveOutPlayer::AllocateBuffers() {
  for (auto& header : m_headers) {
    if (!header) {
      header = std::make_unique<Header>();
      header->block.data = std::span<const std::uint8_t>(header->data.data(), kBlockBytes);
    }
  }
  m_sampleBuffer.assign(kSampleBufferBytes, 0);
  return true;
}

bool CWaveOutPlayer::FreeBuffers() {
  for (auto& header : m_headers) {
    header.reset();
  }
  m_sampleBuffer.clear();
  m_sampleBuffer.shrink_to_fit();
  return true;
}

bool CWaveOutPlayer::Open() {
  m_format = platform::PcmFormat{};
  m_pDevice = platform::CreateAudioOut();
  if (m_pDevice->Open(m_format) != AudioResult::NoError) {
    DebugPrint("CWaveOutPlayer::Open: no sound device, playing silently\n");
    m_pDevice = std::make_unique<platform::NullAudioOut>();
    m_pDevice->Open(m_format);
  }
  m_pSemaphore = std::make_unique<platform::Semaphore>(3, 3);
  return true;
}

bool CWaveOutPlayer::Close() {
  if (!m_pDevice) {
    m_pSemaphore.reset();
    return true;
  }
  // Reset first so that no buffer is still queued when the headers are taken back.
  m_pDevice->Reset();
  for (auto& header : m_headers) {
    if (header) {
      m_pDevice->Unprepare(header->block);
    }
  }
  m_pSemaphore.reset();
  m_pDevice->Close();
  m_pDevice.reset();
  return true;
}

std::uint32_t CWaveOutPlayer::ReclaimCount(float frameRate) {
  const auto rate = static_cast<std::int32_t>(frameRate);
  if (rate >= 16) {
    return 2;
  }
  if (rate >= 11) {
    return 3;
  }
  return 5;
}

void CWaveOutPlayer::SetFrameRateSource(std::function<float()> source) {
  m_frameRate = std::move(source);
}

std::span<std::uint8_t> CWaveOutPlayer::SampleBlock(std::uint32_t index) {
  if (index >= kBufferCount || m_sampleBuffer.size() != kSampleBufferBytes) {
    return {};
  }
  return std::span<std::uint8_t>(m_sampleBuffer).subspan(index * kBlockBytes, kBlockBytes);
}

bool CWaveOutPlayer::Play(std::uint32_t slot, std::uint16_t block, std::uint16_t length) {
  if (!m_pDevice || slot >= kBufferCount || block >= kBufferCount || length > kBlockBytes ||
      !m_headers[slot] || m_sampleBuffer.size() != kSampleBufferBytes) {
    return false;
  }
  const std::uint32_t reclaim = ReclaimCount(m_frameRate ? m_frameRate() : 0.0f);
  for (std::uint32_t d = reclaim; d >= 1; --d) {
    const std::uint32_t earlier = (slot + kBufferCount - d) % kBufferCount;
    if (!m_headers[earlier]) {
      continue;
    }
    const AudioResult result = m_pDevice->Unprepare(m_headers[earlier]->block);
    if (result == AudioResult::InvalidHandle || result == AudioResult::NoDriver ||
        result == AudioResult::NoMemory) {
      DebugPrint("waveOutUnprepareHeader: %s \n", platform::AudioResultName(result));
      return false;
    }
    if (result == AudioResult::StillPlaying) {
      m_byStillPlayingDepth = static_cast<std::uint8_t>(d);
      break;
    }
  }

  Header& header = *m_headers[slot];
  // A header still queued would have its bytes changed under the device: take it back first.
  if (header.block.IsQueued() && m_pDevice->Unprepare(header.block) == AudioResult::StillPlaying) {
    DebugPrint("waveOutUnprepareHeader: %s \n", "WAVERR_STILLPLAYING");
    return true;
  }
  std::memcpy(header.data.data(), m_sampleBuffer.data() + std::size_t{block} * kBlockBytes, length);
  header.block.data = std::span<const std::uint8_t>(header.data.data(), length);
  header.block.flags = 0;

  const AudioResult prepared = m_pDevice->Prepare(header.block);
  DebugPrint("waveOutPrepareHeader: %s \n", platform::AudioResultName(prepared));
  if (prepared != AudioResult::NoError) {
    return false;
  }
  const AudioResult written = m_pDevice->Write(header.block);
  DebugPrint("waveOutWrite: %s \n", platform::AudioResultName(written));
  return true;
}

int CWaveOutPlayer::DecodeAudio(std::span<const std::uint8_t> input, std::span<std::uint8_t> output,
                                std::span<std::uint8_t, 8> stateCopy) {
  PutU32(stateCopy, 0, static_cast<std::uint32_t>(m_state.stepIndex));
  PutU32(stateCopy, 4, static_cast<std::uint32_t>(m_state.prediction));
  const std::size_t count = std::min(input.size(), output.size() / 4);
  for (std::size_t i = 0; i < count; ++i) {
    const std::int32_t nibbles[2] = {input[i] & 0x0F, input[i] >> 4};
    for (std::size_t n = 0; n < 2; ++n) {
      const auto sample = static_cast<std::uint16_t>(DecodeADPCMC(nibbles[n], &m_state));
      output[4 * i + 2 * n] = static_cast<std::uint8_t>(sample & 0xFF);
      output[4 * i + 2 * n + 1] = static_cast<std::uint8_t>(sample >> 8);
    }
  }
  return 0;
}
