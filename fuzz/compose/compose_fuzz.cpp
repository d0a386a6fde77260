// Fuzz target of the compose step as the compose thread runs it, on the fuzzer's own thread:
// the received frames are placed in the receive rings and the thread runs until it has taken
// them all (its stop request is already set, and it takes waiting frames before it looks at the
// stop). Audio frames are taken before video frames, as the thread does when both wait.
//
// Input: the form u8 (bit 0: MPEG-4, else JPEG; bit 1: no live-audio player; bit 2: frames are
// filed in the pre-record ring), the session's frame width and height (u16 each; the MPEG-4
// decoder is opened at them, as a login does); then up to 16 frames, each a kind byte (bit 0:
// audio), a u24 length and the frame's bytes. A receiver places frames of up to a whole receive
// slot (102,400 bytes), so a length is taken up to that.
//
// What comes out must agree with what went in: every picture and audio block handed on is
// counted once, and no decoded ring holds more than it was given.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "app/app_data.h"
#include "codec/context/mpeg4_decoder_context.h"
#include "fakes/stream_app_block.h"
#include "media/audio/wave_out_player.h"
#include "media/compose.h"
#include "media/frame_assembler.h"
#include "media/record_buffer.h"
#include "platform/audio_out.h"

namespace {

constexpr std::size_t kSetupBytes = 5;
constexpr std::size_t kMaxFrames = 16;

struct Rig {
  Rig() {
    fakes::MakeStreamRings(app);
    if (decoder.AllocateBuffers() != 1 || !record.Allocate())
      std::abort();
    platform::SetAudioOutFactory([] { return std::make_unique<platform::NullAudioOut>(); });
    player.AllocateBuffers();
  }

  // Every ring empty and every index at 0, as at the start of a session.
  void Restart() {
    app.ImageSocketBufferSem = std::make_shared<platform::Semaphore>(29, 29);
    app.ImageSocketBufferRelSemaphore = std::make_shared<platform::Semaphore>(0, 29);
    app.AudioSocketBufferSem = std::make_shared<platform::Semaphore>(29, 29);
    app.AudioSocketBufferRelSemaphore = std::make_shared<platform::Semaphore>(0, 29);
    app.JPEGImageBufferSemaphore = std::make_shared<platform::Semaphore>(19, 19);
    app.JPEGImageBufferRelSemaphore = std::make_shared<platform::Semaphore>(0, 19);
    app.JPEGAudioBufferSemaphore = std::make_shared<platform::Semaphore>(19, 19);
    app.JPEGAudioBufferRelSemaphore = std::make_shared<platform::Semaphore>(0, 19);
    app.m_wImageSocketWriteIndex = 0;
    app.m_wAudioSocketWriteIndex = 0;
    app.m_wImageSocketReadIndex = 0;
    app.m_wAudioSocketReadIndex = 0;
    app.m_wStagingIndex = 0;
    app.m_wImageBufferWriteIndex = 0;
    app.m_wAudioPlayWriteIndex = 0;
  }

  void Receive(bool audio, std::span<const std::uint8_t> frame) {
    std::uint8_t* slots = audio ? app.m_pAudioSocketBuffer.get() : app.m_pImageSocketBuffer.get();
    std::uint32_t* lengths =
        audio ? app.m_pAudioSocketLength.get() : app.m_pImageSocketLength.get();
    std::uint16_t& write = audio ? app.m_wAudioSocketWriteIndex : app.m_wImageSocketWriteIndex;
    std::memcpy(slots + std::size_t{write} * kReceiveSlotBytes, frame.data(), frame.size());
    lengths[write] = static_cast<std::uint32_t>(frame.size());
    write = static_cast<std::uint16_t>((write + 1) % kReceiveSlots);
    (audio ? app.AudioSocketBufferSem : app.ImageSocketBufferSem)->Wait(0);
    (audio ? app.AudioSocketBufferRelSemaphore : app.ImageSocketBufferRelSemaphore)->Release(1);
  }

  CAppData app;
  CMpeg4DecoderContext decoder;
  CWaveOutPlayer player;
  CSystemBuffer record;
  StreamSlotInfo slots;
};

Rig& TheRig() {
  static Rig* rig = new Rig();
  return *rig;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kSetupBytes)
    return 0;
  Rig& rig = TheRig();
  rig.Restart();
  const std::uint8_t form = data[0];
  const auto width = static_cast<std::uint16_t>(data[1] | data[2] << 8);
  const auto height = static_cast<std::uint16_t>(data[3] | data[4] << 8);
  rig.app.m_wFrameWidth = width;
  rig.app.m_wFrameHeight = height;
  const bool mpeg4 = (form & 1) != 0;
  if (mpeg4)
    (void)rig.decoder.Open(width, height, 1);

  std::size_t frames = 0;
  std::size_t at = kSetupBytes;
  while (at + 4 <= size && frames < kMaxFrames) {
    const bool audio = (data[at] & 1) != 0;
    const std::size_t declared = data[at + 1] | data[at + 2] << 8 | data[at + 3] << 16;
    at += 4;
    const std::size_t length = std::min({declared, kReceiveSlotBytes, size - at});
    rig.Receive(audio, std::span<const std::uint8_t>(data + at, length));
    at += length;
    ++frames;
  }

  ComposeStats stats;
  ComposeSetup setup;
  setup.mpeg4 = mpeg4;
  setup.app = &rig.app;
  setup.handles = app::TakeSessionHandles(rig.app);
  setup.decoder = &rig.decoder;
  setup.player = (form & 2) != 0 ? nullptr : &rig.player;
  setup.recordRing = (form & 4) != 0 ? &rig.record : nullptr;
  setup.slotInfo = &rig.slots;
  setup.endOfStreams = fakes::NewEvent(true);
  setup.stats = &stats;
  platform::StopToken stop;
  stop.StopEvent().Set();
  RunCompose(setup, stop);

  const std::uint32_t pictures = stats.pictures.load();
  const std::uint32_t audioBlocks = stats.audioBlocks.load();
  if (pictures + audioBlocks + stats.dropped.load() != frames ||
      rig.app.JPEGImageBufferRelSemaphore->Count() != pictures ||
      rig.app.JPEGAudioBufferRelSemaphore->Count() != audioBlocks ||
      rig.app.ImageSocketBufferSem->Count() != 29 || rig.app.AudioSocketBufferSem->Count() != 29) {
    std::abort();
  }
  return 0;
}
