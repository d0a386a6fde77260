#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "media/audio/wave_out_player.h"
#include "platform/testing/capture_audio_out.h"

namespace {

using platform::AudioResult;
using platform::testing::CaptureAudioOut;

class PlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetAudioOutFactory([] { return std::make_unique<CaptureAudioOut>(); });
    player.AllocateBuffers();
    player.Open();
    device = dynamic_cast<CaptureAudioOut*>(player.Device());
    ASSERT_NE(device, nullptr);
  }
  void TearDown() override {
    device->SetAutoComplete(true);
    device->CompleteBlocks(100);
    player.Close();
    player.FreeBuffers();
    platform::SetAudioOutFactory({});
  }

  CWaveOutPlayer player;
  CaptureAudioOut* device = nullptr;
};

TEST_F(PlayerTest, OpensEightKilohertzSixteenBitMonoAndPacesWithThreeOfThree) {
  ASSERT_TRUE(device->Format().has_value());
  EXPECT_EQ(*device->Format(), platform::PcmFormat{});
  ASSERT_NE(player.PaceSemaphore(), nullptr);
  EXPECT_EQ(player.PaceSemaphore()->Count(), 3u);
  EXPECT_EQ(player.PaceSemaphore()->Maximum(), 3u);
}

TEST_F(PlayerTest, PlaysTheBlockBytesThroughTheSlot) {
  auto block = player.SampleBlock(3);
  ASSERT_EQ(block.size(), CWaveOutPlayer::kBlockBytes);
  for (std::size_t i = 0; i < block.size(); ++i) {
    block[i] = static_cast<std::uint8_t>(i * 7);
  }
  EXPECT_TRUE(player.Play(0, 3, 1000));
  EXPECT_TRUE(player.Play(1, 3, 8192));
  const auto blocks = device->Blocks();
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[0], std::vector<std::uint8_t>(block.begin(), block.begin() + 1000));
  EXPECT_EQ(blocks[1], std::vector<std::uint8_t>(block.begin(), block.end()));
}

TEST_F(PlayerTest, ReclaimsDownwardAndStoresTheStillPlayingDepth) {
  // Slots 15..19 played; only 17 and 19 still queued. From slot 0 with a reclaim count of 5 the
  // loop meets 15, 16, then 17 still playing: depth 3.
  for (std::uint32_t slot = 15; slot < 20; ++slot) {
    ASSERT_TRUE(player.Play(slot, 0, 100));
  }
  device->CompleteBlocks(2);  // 15, 16 done; 17, 18, 19 queued
  EXPECT_TRUE(player.Play(0, 0, 100));
  EXPECT_EQ(player.m_byStillPlayingDepth.load(), 3);

  player.SetFrameRateSource([] { return 30.0f; });  // reclaim 2: 18 still playing
  EXPECT_TRUE(player.Play(1, 0, 100));
  EXPECT_EQ(player.m_byStillPlayingDepth.load(), 2);
}

TEST(WaveOutPlayer, ReclaimCountFollowsTheDisplayedRate) {
  const std::pair<float, std::uint32_t> cases[] = {{0.0f, 5},  {10.9f, 5}, {11.0f, 3},
                                                   {15.9f, 3}, {16.0f, 2}, {30.0f, 2}};
  for (const auto& [rate, count] : cases) {
    EXPECT_EQ(CWaveOutPlayer::ReclaimCount(rate), count) << rate;
  }
}

TEST_F(PlayerTest, DeviceFailuresEndPlayWithFalseButWriteErrorsAreOnlyTraced) {
  device->FailNextUnprepare(AudioResult::InvalidHandle);
  EXPECT_FALSE(player.Play(5, 0, 10));
  device->FailNextUnprepare(AudioResult::NoMemory);
  EXPECT_FALSE(player.Play(5, 0, 10));
  device->FailNextPrepare(AudioResult::NoMemory);
  EXPECT_FALSE(player.Play(5, 0, 10));
  device->FailNextWrite(AudioResult::NoMemory);
  EXPECT_TRUE(player.Play(5, 0, 10));
  EXPECT_TRUE(device->Blocks().empty());
}

TEST_F(PlayerTest, RefusesSlotsBlocksAndLengthsOutsideTheBuffers) {
  EXPECT_FALSE(player.Play(20, 0, 10));
  EXPECT_FALSE(player.Play(0, 20, 10));
  EXPECT_FALSE(player.Play(0, 0, 8193));
  EXPECT_TRUE(device->Blocks().empty());
}

TEST_F(PlayerTest, NeverRewritesABufferTheDeviceStillPlays) {
  ASSERT_TRUE(player.Play(4, 0, 100));
  player.SampleBlock(1)[0] = 0xAB;
  EXPECT_TRUE(player.Play(4, 1, 100));  // slot 4 still queued: skipped
  ASSERT_EQ(device->Blocks().size(), 1u);
  EXPECT_EQ(device->Blocks()[0][0], 0);
}

class NoCardDevice final : public platform::IAudioOut {
 public:
  AudioResult Open(const platform::PcmFormat&, DoneCallback) override {
    return AudioResult::NoDriver;
  }
  AudioResult Prepare(platform::AudioBlock&) override { return AudioResult::InvalidHandle; }
  AudioResult Unprepare(platform::AudioBlock&) override { return AudioResult::InvalidHandle; }
  AudioResult Write(platform::AudioBlock&) override { return AudioResult::InvalidHandle; }
  AudioResult Reset() override { return AudioResult::InvalidHandle; }
  AudioResult Close() override { return AudioResult::InvalidHandle; }
  bool IsOpen() const override { return false; }
};

TEST(WaveOutPlayer, WithoutASoundCardPlaysOnTheNullDevice) {
  platform::SetAudioOutFactory([] { return std::make_unique<NoCardDevice>(); });
  CWaveOutPlayer player;
  player.AllocateBuffers();
  EXPECT_TRUE(player.Open());
  EXPECT_NE(dynamic_cast<platform::NullAudioOut*>(player.Device()), nullptr);
  EXPECT_TRUE(player.Play(0, 0, 100));
  EXPECT_TRUE(player.Close());
  platform::SetAudioOutFactory({});
}

TEST(WaveOutPlayer, PlayBeforeAllocationOrOpenIsRefused) {
  CWaveOutPlayer player;
  EXPECT_FALSE(player.Play(0, 0, 10));
  EXPECT_TRUE(player.SampleBlock(0).empty());
  player.AllocateBuffers();
  EXPECT_FALSE(player.Play(0, 0, 10));
  EXPECT_TRUE(player.Close());
  EXPECT_TRUE(player.FreeBuffers());
}

}  // namespace
