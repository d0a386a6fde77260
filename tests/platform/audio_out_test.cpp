#include "platform/audio_out.h"

#include <gtest/gtest.h>

#include <array>
#include <numeric>

#include "platform/sync.h"
#include "platform/testing/capture_audio_out.h"

namespace platform {
namespace {

using testing::CaptureAudioOut;

// The live-audio format: PCM, mono, 8 kHz, 16 bits.
const PcmFormat kLiveFormat{};

TEST(PcmFormatTest, Validity) {
  EXPECT_TRUE(IsValidPcmFormat(kLiveFormat));
  EXPECT_TRUE(IsValidPcmFormat(PcmFormat{1, 2, 44100, 176400, 4, 16}));
  EXPECT_TRUE(IsValidPcmFormat(PcmFormat{1, 1, 11025, 11025, 1, 8}));
  EXPECT_FALSE(IsValidPcmFormat(PcmFormat{2, 1, 8000, 16000, 2, 16}));    // not PCM
  EXPECT_FALSE(IsValidPcmFormat(PcmFormat{1, 0, 8000, 0, 0, 16}));        // no channel
  EXPECT_FALSE(IsValidPcmFormat(PcmFormat{1, 1, 8000, 16000, 4, 16}));    // bad alignment
  EXPECT_FALSE(IsValidPcmFormat(PcmFormat{1, 1, 8000, 8000, 2, 16}));     // bad byte rate
  EXPECT_FALSE(IsValidPcmFormat(PcmFormat{1, 1, 8000, 24000, 3, 24}));    // 24 bits
  EXPECT_FALSE(IsValidPcmFormat(PcmFormat{1, 1, 0, 0, 2, 16}));           // no rate
  EXPECT_FALSE(IsValidPcmFormat(PcmFormat{1, 9, 8000, 144000, 18, 16}));  // 9 channels
}

TEST(AudioResultTest, NamesAsTraced) {
  EXPECT_STREQ(AudioResultName(AudioResult::NoError), "MMSYSERR_NOERROR");
  EXPECT_STREQ(AudioResultName(AudioResult::InvalidHandle), "MMSYSERR_INVALHANDLE");
  EXPECT_STREQ(AudioResultName(AudioResult::NoDriver), "MMSYSERR_NODRIVER");
  EXPECT_STREQ(AudioResultName(AudioResult::NoMemory), "MMSYSERR_NOMEM");
  EXPECT_STREQ(AudioResultName(AudioResult::StillPlaying), "WAVERR_STILLPLAYING");
  EXPECT_STREQ(AudioResultName(AudioResult::Unprepared), "WAVERR_UNPREPARED");
}

TEST(NullAudioOutTest, AcceptsAndCompletesAtOnce) {
  NullAudioOut device;
  AudioBlock block;
  EXPECT_EQ(device.Prepare(block), AudioResult::InvalidHandle);
  EXPECT_EQ(device.Open(PcmFormat{3, 1, 8000, 16000, 2, 16}), AudioResult::BadFormat);
  int done = 0;
  ASSERT_EQ(device.Open(kLiveFormat, [&](AudioBlock&) { ++done; }), AudioResult::NoError);
  EXPECT_TRUE(device.IsOpen());
  std::array<std::uint8_t, 4> bytes{1, 2, 3, 4};
  block.data = bytes;
  EXPECT_EQ(device.Write(block), AudioResult::Unprepared);
  EXPECT_EQ(device.Prepare(block), AudioResult::NoError);
  EXPECT_EQ(device.Write(block), AudioResult::NoError);
  EXPECT_TRUE(block.IsDone());
  EXPECT_EQ(done, 1);
  EXPECT_EQ(device.Unprepare(block), AudioResult::NoError);
  EXPECT_FALSE(block.IsPrepared());
  EXPECT_EQ(device.Reset(), AudioResult::NoError);
  EXPECT_EQ(device.Close(), AudioResult::NoError);
  EXPECT_EQ(device.Close(), AudioResult::InvalidHandle);
}

TEST(CaptureAudioOutTest, KeepsBytesInBlockOrderAndReportsStillPlaying) {
  CaptureAudioOut device;
  Event doneEvent;
  std::vector<const AudioBlock*> doneOrder;
  ASSERT_EQ(device.Open(kLiveFormat,
                        [&](AudioBlock& b) {
                          doneOrder.push_back(&b);
                          doneEvent.Set();
                        }),
            AudioResult::NoError);
  EXPECT_EQ(device.Format(), kLiveFormat);
  std::array<std::array<std::uint8_t, 3>, 3> buffers{};
  std::array<AudioBlock, 3> blocks;
  for (std::size_t i = 0; i < blocks.size(); ++i) {
    std::iota(buffers[i].begin(), buffers[i].end(), static_cast<std::uint8_t>(10 * i));
    blocks[i].data = buffers[i];
    ASSERT_EQ(device.Prepare(blocks[i]), AudioResult::NoError);
    ASSERT_EQ(device.Write(blocks[i]), AudioResult::NoError);
  }
  EXPECT_EQ(device.QueuedCount(), 3u);
  EXPECT_TRUE(blocks[0].IsQueued());
  EXPECT_EQ(device.Unprepare(blocks[0]), AudioResult::StillPlaying);
  EXPECT_EQ(device.Close(), AudioResult::StillPlaying);
  EXPECT_EQ(device.CompleteBlocks(1), 1u);
  EXPECT_TRUE(doneEvent.Wait(0));
  EXPECT_TRUE(blocks[0].IsDone());
  EXPECT_FALSE(blocks[0].IsQueued());
  EXPECT_EQ(device.Unprepare(blocks[0]), AudioResult::NoError);
  EXPECT_EQ(device.Reset(), AudioResult::NoError);  // returns the other two as done
  EXPECT_EQ(doneOrder, (std::vector<const AudioBlock*>{&blocks[0], &blocks[1], &blocks[2]}));
  EXPECT_EQ(device.Bytes(), (std::vector<std::uint8_t>{0, 1, 2, 10, 11, 12, 20, 21, 22}));
  EXPECT_EQ(device.Blocks().size(), 3u);
  EXPECT_EQ(device.ResetCount(), 1u);
  EXPECT_EQ(device.Close(), AudioResult::NoError);
  EXPECT_EQ(device.CloseCount(), 1u);
  EXPECT_EQ(device.Write(blocks[1]), AudioResult::InvalidHandle);
}

TEST(CaptureAudioOutTest, AutoCompleteAndInjectedFailures) {
  CaptureAudioOut device;
  device.FailNextOpen(AudioResult::NoDriver);
  EXPECT_EQ(device.Open(kLiveFormat), AudioResult::NoDriver);
  ASSERT_EQ(device.Open(kLiveFormat), AudioResult::NoError);
  device.SetAutoComplete(true);
  std::array<std::uint8_t, 2> bytes{7, 8};
  AudioBlock block;
  block.data = bytes;
  device.FailNextPrepare(AudioResult::NoMemory);
  EXPECT_EQ(device.Prepare(block), AudioResult::NoMemory);
  EXPECT_EQ(device.Prepare(block), AudioResult::NoError);
  device.FailNextWrite(AudioResult::NoDriver);
  EXPECT_EQ(device.Write(block), AudioResult::NoDriver);
  EXPECT_EQ(device.Write(block), AudioResult::NoError);
  EXPECT_TRUE(block.IsDone());
  device.FailNextUnprepare(AudioResult::InvalidHandle);
  EXPECT_EQ(device.Unprepare(block), AudioResult::InvalidHandle);
  EXPECT_EQ(device.Unprepare(block), AudioResult::NoError);
  EXPECT_EQ(device.Bytes(), (std::vector<std::uint8_t>{7, 8}));
  EXPECT_EQ(device.OpenCount(), 1u);
}

TEST(AudioOutFactoryTest, DefaultIsNullDeviceAndFactoryCanBeReplaced) {
  auto device = CreateAudioOut();
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(device->Open(kLiveFormat), AudioResult::NoError);
  SetAudioOutFactory([] { return std::make_unique<CaptureAudioOut>(); });
  auto capture = CreateAudioOut();
  EXPECT_NE(dynamic_cast<CaptureAudioOut*>(capture.get()), nullptr);
  SetAudioOutFactory(nullptr);
  EXPECT_EQ(dynamic_cast<CaptureAudioOut*>(CreateAudioOut().get()), nullptr);
}

}  // namespace
}  // namespace platform
