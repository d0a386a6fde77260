#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdint>

#include "platform/audio_alsa/alsa_audio_out.h"
#include "platform/sync.h"

namespace {

using platform::AudioResult;

TEST(AlsaAudioOut, RefusesANonPcmFormatBeforeTouchingTheCard) {
  auto device = platform::MakeAlsaAudioOut();
  platform::PcmFormat format;
  format.formatTag = 2;
  EXPECT_EQ(device->Open(format), AudioResult::BadFormat);
  EXPECT_FALSE(device->IsOpen());
  platform::AudioBlock block;
  EXPECT_EQ(device->Write(block), AudioResult::InvalidHandle);
}

TEST(AlsaAudioOut, AnUnknownDeviceIsNoDriver) {
  auto device = platform::MakeAlsaAudioOut("kavelin_missing_pcm_device");
  EXPECT_EQ(device->Open(platform::PcmFormat{}), AudioResult::NoDriver);
  EXPECT_EQ(device->Close(), AudioResult::InvalidHandle);
}

// Plays 100 ms of silence when the machine has a sound card, and takes back a queued block with
// Reset. Without a card there is nothing to play.
TEST(AlsaAudioOut, PlaysAndResetsWhenACardIsPresent) {
  platform::Event done;
  auto device = platform::MakeAlsaAudioOut();
  const AudioResult opened =
      device->Open(platform::PcmFormat{}, [&](platform::AudioBlock&) { done.Set(); });
  if (opened != AudioResult::NoError) {
    GTEST_SKIP() << "no sound card: " << platform::AudioResultName(opened);
  }
  std::array<std::uint8_t, 1600> silence{};
  platform::AudioBlock block;
  block.data = silence;
  EXPECT_EQ(device->Write(block), AudioResult::Unprepared);
  ASSERT_EQ(device->Prepare(block), AudioResult::NoError);
  ASSERT_EQ(device->Write(block), AudioResult::NoError);
  EXPECT_TRUE(done.Wait(20000));
  EXPECT_TRUE(block.IsDone());
  EXPECT_EQ(device->Unprepare(block), AudioResult::NoError);

  std::array<std::uint8_t, 16000> longer{};
  platform::AudioBlock queued;
  queued.data = longer;
  device->Prepare(queued);
  device->Write(queued);
  EXPECT_EQ(device->Reset(), AudioResult::NoError);
  EXPECT_TRUE(queued.IsDone());
  EXPECT_EQ(device->Close(), AudioResult::NoError);
}

}  // namespace
