// Fuzz target of live audio. Input: the room of the sample block the decode writes into (u16,
// at most a block), the play slot, block and length (u8, u8, u16: out of range too, which Play
// must refuse), an ADPCM state (stepIndex, prediction: i32 each, any values) and a 32-bit nibble
// for DecodeADPCMC alone; then the ADPCM bytes of one audio block.
//
// The player's decode must write two samples per byte it has room for and nothing beyond,
// report the state it started from, and give the samples DecodeADPCMC gives on a copy of that
// state; DecodeADPCMC must keep every sample and state within range for any state.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

#include "media/audio/ima_adpcm.h"
#include "media/audio/wave_out_player.h"
#include "platform/audio_out.h"

namespace {

constexpr std::size_t kSetupBytes = 18;
constexpr std::uint8_t kCanary = 0x5A;

std::uint32_t U32(const std::uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

CWaveOutPlayer& Player() {
  static CWaveOutPlayer* player = [] {
    platform::SetAudioOutFactory([] { return std::make_unique<platform::NullAudioOut>(); });
    auto* p = new CWaveOutPlayer();
    p->AllocateBuffers();
    p->Open();
    return p;
  }();
  return *player;
}

bool InRange(const AdpcmState& s) {
  return s.stepIndex >= 0 && s.stepIndex <= kAdpcmMaxStepIndex && s.prediction >= -32768 &&
         s.prediction <= 32767;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kSetupBytes)
    return 0;
  CWaveOutPlayer& player = Player();
  const std::size_t room =
      std::min<std::size_t>(data[0] | data[1] << 8, CWaveOutPlayer::kBlockBytes);
  const std::uint32_t slot = data[2];
  const std::uint16_t block = data[3];
  const auto playLength = static_cast<std::uint16_t>(data[4] | data[5] << 8);
  AdpcmState state;
  state.stepIndex = static_cast<std::int32_t>(U32(data + 6));
  state.prediction = static_cast<std::int32_t>(U32(data + 10));
  const auto nibble = static_cast<std::int32_t>(U32(data + 14));
  const std::vector<std::uint8_t> input(data + kSetupBytes, data + size);

  // DecodeADPCMC alone on any state.
  const AdpcmState given = state;
  const std::int32_t sample = DecodeADPCMC(nibble, &state);
  if (nibble < 0 || nibble > 15) {
    if (sample != 0 || state.stepIndex != given.stepIndex || state.prediction != given.prediction)
      std::abort();
  } else if (!InRange(state) || sample != state.prediction) {
    std::abort();
  }

  // The player's decode into the room of a sample block, as the compose thread does.
  const std::span<std::uint8_t> sampleBlock =
      player.SampleBlock(slot % CWaveOutPlayer::kBufferCount);
  if (sampleBlock.size() != CWaveOutPlayer::kBlockBytes)
    std::abort();
  std::fill(sampleBlock.begin(), sampleBlock.end(), kCanary);
  AdpcmState reference = player.State();
  std::array<std::uint8_t, 8> stateCopy{};
  player.DecodeAudio(input, sampleBlock.first(room), stateCopy);
  if (U32(stateCopy.data()) != static_cast<std::uint32_t>(reference.stepIndex) ||
      U32(stateCopy.data() + 4) != static_cast<std::uint32_t>(reference.prediction)) {
    std::abort();
  }
  const std::size_t decoded = std::min(input.size(), room / 4);
  for (std::size_t i = 0; i < decoded; ++i) {
    for (int n = 0; n < 2; ++n) {
      const std::int32_t nib = n == 0 ? input[i] & 15 : input[i] >> 4;
      const auto expected = static_cast<std::uint16_t>(DecodeADPCMC(nib, &reference));
      const std::size_t at = 4 * i + 2 * static_cast<std::size_t>(n);
      if (sampleBlock[at] != (expected & 0xFF) || sampleBlock[at + 1] != (expected >> 8))
        std::abort();
    }
  }
  if (std::any_of(sampleBlock.begin() + static_cast<std::ptrdiff_t>(4 * decoded), sampleBlock.end(),
                  [](std::uint8_t b) { return b != kCanary; }) ||
      player.State().stepIndex != reference.stepIndex ||
      player.State().prediction != reference.prediction || !InRange(player.State())) {
    std::abort();
  }

  // The play of a block, with the audio-play thread's arguments (or ones out of range).
  const bool fits = slot < CWaveOutPlayer::kBufferCount && block < CWaveOutPlayer::kBufferCount &&
                    playLength <= CWaveOutPlayer::kBlockBytes;
  if (player.Play(slot, block, playLength) && !fits)
    std::abort();
  return 0;
}
