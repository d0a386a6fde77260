// Fuzz target of live audio, on the road the program's audio blocks take. Each input is a run of
// the program from its start: a player of its own (the ADPCM state starts at zero and runs on
// from block to block, as it does across the program), opened as the audio-play thread opens it.
//
// Input: a play slot, block and length (u8, u8, u16: out of range too, which Play must refuse),
// an ADPCM state (stepIndex, prediction: i32 each, any values) and a 32-bit nibble for
// DecodeADPCMC alone; then up to 40 audio blocks, each the length of its ADPCM data (u16, the
// bytes behind the frame's 64-byte header) and those bytes.
//
// Each block goes as the compose thread hands it on: one whose samples would not fit a sample
// block is refused whole; the others are decoded into the whole sample block of the ring slot
// in turn, with the state before them reported, and played as the audio-play thread plays them
// (four bytes of samples per ADPCM byte, from the block of its slot). The decode must write two
// samples per byte and nothing beyond, the samples DecodeADPCMC gives on a copy of the state;
// DecodeADPCMC must keep every sample and state within range for any state.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <vector>

#include "media/audio/ima_adpcm.h"
#include "media/audio/wave_out_player.h"
#include "media/compose.h"
#include "platform/audio_out.h"

namespace {

constexpr std::size_t kSetupBytes = 16;
constexpr std::size_t kMaxBlocks = 40;
constexpr std::uint8_t kCanary = 0x5A;

std::uint32_t U32(const std::uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

bool InRange(const AdpcmState& s) {
  return s.stepIndex >= 0 && s.stepIndex <= kAdpcmMaxStepIndex && s.prediction >= -32768 &&
         s.prediction <= 32767;
}

void Require(bool condition) {
  if (!condition)
    std::abort();
}

// DecodeADPCMC alone on any state.
void DecodeAlone(std::int32_t nibble, AdpcmState state) {
  const AdpcmState given = state;
  const std::int32_t sample = DecodeADPCMC(nibble, &state);
  if (nibble < 0 || nibble > 15) {
    Require(sample == 0 && state.stepIndex == given.stepIndex &&
            state.prediction == given.prediction);
  } else {
    Require(InRange(state) && sample == state.prediction);
  }
}

// One block as the compose thread decodes it into the sample block of `slot`, checked against
// DecodeADPCMC on a copy of the state it started from.
void DecodeBlock(CWaveOutPlayer& player, std::uint32_t slot, std::span<const std::uint8_t> adpcm) {
  const std::span<std::uint8_t> block = player.SampleBlock(slot);
  Require(block.size() == CWaveOutPlayer::kBlockBytes);
  std::fill(block.begin(), block.end(), kCanary);
  AdpcmState reference = player.State();
  std::array<std::uint8_t, 8> state{};
  player.DecodeAudio(adpcm, block, state);
  Require(U32(state.data()) == static_cast<std::uint32_t>(reference.stepIndex) &&
          U32(state.data() + 4) == static_cast<std::uint32_t>(reference.prediction));
  for (std::size_t i = 0; i < adpcm.size(); ++i) {
    for (int n = 0; n < 2; ++n) {
      const std::int32_t nibble = n == 0 ? adpcm[i] & 15 : adpcm[i] >> 4;
      const auto expected = static_cast<std::uint16_t>(DecodeADPCMC(nibble, &reference));
      const std::size_t at = 4 * i + 2 * static_cast<std::size_t>(n);
      Require(block[at] == (expected & 0xFF) && block[at + 1] == (expected >> 8));
    }
  }
  Require(std::all_of(block.begin() + static_cast<std::ptrdiff_t>(4 * adpcm.size()), block.end(),
                      [](std::uint8_t b) { return b == kCanary; }));
  Require(player.State().stepIndex == reference.stepIndex &&
          player.State().prediction == reference.prediction && InRange(player.State()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kSetupBytes)
    return 0;
  static const bool factory = [] {
    platform::SetAudioOutFactory([] { return std::make_unique<platform::NullAudioOut>(); });
    return true;
  }();
  (void)factory;
  DecodeAlone(static_cast<std::int32_t>(U32(data + 12)),
              {static_cast<std::int32_t>(U32(data + 4)), static_cast<std::int32_t>(U32(data + 8))});

  CWaveOutPlayer player;
  Require(player.AllocateBuffers() && player.Open());
  std::uint32_t writeSlot = 0;  // the compose thread's audio write index
  std::uint32_t playSlot = 0;   // the audio-play thread's buffer and read index
  std::size_t blocks = 0;
  std::size_t at = kSetupBytes;
  while (at + 2 <= size && blocks < kMaxBlocks) {
    const std::size_t declared = data[at] | data[at + 1] << 8;
    at += 2;
    const std::size_t length = std::min(declared, size - at);
    const std::span<const std::uint8_t> adpcm(data + at, length);
    at += length;
    ++blocks;
    // The compose thread refuses a block whose samples would not fit a sample block.
    if (length * 4 > CWaveOutPlayer::kBlockBytes)
      continue;
    DecodeBlock(player, writeSlot, adpcm);
    writeSlot = (writeSlot + 1) % kDecodedRingSlots;
    // The audio-play thread plays frame length * 4 - 256 bytes: four per ADPCM byte.
    const auto bytes = static_cast<std::uint16_t>(length * 4);
    if (bytes > 0)
      Require(player.Play(playSlot, static_cast<std::uint16_t>(playSlot), bytes));
    playSlot = (playSlot + 1) % kDecodedRingSlots;
  }

  // The play of a block with the setup's arguments: refused when they lie outside the buffers.
  const std::uint32_t slot = data[0];
  const std::uint16_t block = data[1];
  const auto playLength = static_cast<std::uint16_t>(data[2] | data[3] << 8);
  const bool fits = slot < CWaveOutPlayer::kBufferCount && block < CWaveOutPlayer::kBufferCount &&
                    playLength <= CWaveOutPlayer::kBlockBytes;
  if (player.Play(slot, block, playLength) && !fits)
    std::abort();
  player.Close();
  return 0;
}
