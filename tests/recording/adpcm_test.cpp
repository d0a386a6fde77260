#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "media/audio/ima_adpcm.h"
#include "media/audio/wave_out_player.h"

namespace {

struct NibbleCase {
  const char* name;
  AdpcmState before;
  std::int32_t nibble;
  std::int32_t sample;
  AdpcmState after;
};

// Worked by hand from the step table: diff = (2m + 1) x step / 8, truncated.
const NibbleCase kNibbleCases[] = {
    {"first nibble of the program's life", {50, 0}, 7, 1642, {58, 1642}},
    {"negative step from there", {58, 1642}, 15, -1879, {66, -1879}},
    {"zero nibble at step index zero", {0, 100}, 0, 100, {0, 100}},
    {"sign only at step index zero", {0, 100}, 8, 100, {0, 100}},
    {"largest nibble clamps at the bottom", {40, -32768}, 15, -32768, {48, -32768}},
    {"largest positive clamps at the top", {88, 32000}, 7, 32767, {88, 32767}},
    {"step index out of range is clamped first", {120, 0}, 1, 12287, {87, 12287}},
    {"negative step index is clamped first", {-5, 0}, 4, 7, {2, 7}},
    {"one multiplication, not the shift form (11)", {0, 0}, 7, 13, {8, 13}},
    // A state not made by this decoder: the sum is clamped, never overflows.
    {"prediction far below the samples is clamped", {88, INT32_MIN}, 15, -32768, {88, -32768}},
    {"prediction far above the samples is clamped", {88, INT32_MAX}, 7, 32767, {88, 32767}},
};

class NibbleTest : public ::testing::TestWithParam<NibbleCase> {};

TEST_P(NibbleTest, DecodesKnownValues) {
  const NibbleCase& c = GetParam();
  AdpcmState state = c.before;
  EXPECT_EQ(DecodeADPCMC(c.nibble, &state), c.sample);
  EXPECT_EQ(state.stepIndex, c.after.stepIndex);
  EXPECT_EQ(state.prediction, c.after.prediction);
}

INSTANTIATE_TEST_SUITE_P(Adpcm, NibbleTest, ::testing::ValuesIn(kNibbleCases),
                         [](const auto& info) { return std::to_string(info.index); });

TEST(Adpcm, RefusesBadNibbleAndMissingState) {
  AdpcmState state{30, 1234};
  EXPECT_EQ(DecodeADPCMC(16, &state), 0);
  EXPECT_EQ(DecodeADPCMC(-1, &state), 0);
  EXPECT_EQ(state.stepIndex, 30);
  EXPECT_EQ(state.prediction, 1234);
  EXPECT_EQ(DecodeADPCMC(3, nullptr), 0);
}

TEST(Adpcm, StepTableIsTheStandardOne) {
  EXPECT_EQ(kAdpcmStepTable.front(), 7);
  EXPECT_EQ(kAdpcmStepTable[50], 876);
  EXPECT_EQ(kAdpcmStepTable[88], 32767);
  for (std::size_t i = 1; i < kAdpcmStepTable.size(); ++i) {
    EXPECT_LT(kAdpcmStepTable[i - 1], kAdpcmStepTable[i]) << i;
  }
}

std::int16_t SampleAt(const std::vector<std::uint8_t>& bytes, std::size_t i) {
  return static_cast<std::int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
}

TEST(DecodeAudio, LowNibbleFirstAndStateCopyBeforeDecoding) {
  CWaveOutPlayer player;
  std::array<std::uint8_t, 8> copy{};
  std::vector<std::uint8_t> out(8, 0xEE);
  const std::array<std::uint8_t, 2> input{0x12, 0x70};
  EXPECT_EQ(player.DecodeAudio(input, out, copy), 0);
  // State {50, 0} as two little-endian u32.
  EXPECT_EQ(copy, (std::array<std::uint8_t, 8>{50, 0, 0, 0, 0, 0, 0, 0}));

  AdpcmState reference;
  for (std::int32_t nibble : {2, 1, 0, 7}) {
    DecodeADPCMC(nibble, &reference);
  }
  AdpcmState check;
  const std::int32_t first = DecodeADPCMC(2, &check);
  EXPECT_EQ(SampleAt(out, 0), first);
  EXPECT_EQ(SampleAt(out, 3), reference.prediction);
  EXPECT_EQ(player.State().stepIndex, reference.stepIndex);

  // The state runs on: the next block's copy is the state after the first block.
  player.DecodeAudio(input, out, copy);
  EXPECT_EQ(copy[0], static_cast<std::uint8_t>(reference.stepIndex));
}

TEST(DecodeAudio, StopsAtTheEndOfTheOutput) {
  CWaveOutPlayer player;
  std::array<std::uint8_t, 8> copy{};
  std::vector<std::uint8_t> input(10, 0x77);
  std::vector<std::uint8_t> out(6, 0xEE);  // room for one byte's two samples only
  player.DecodeAudio(input, out, copy);
  EXPECT_EQ(out[4], 0xEE);
  EXPECT_EQ(out[5], 0xEE);
}

}  // namespace
