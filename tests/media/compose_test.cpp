// Compose thread: frames placed in the receive rings come out of the decoded rings decoded as
// the decoder gives them when fed the fixture directly, with their timing; the MPEG-4 form
// waits for its first I-VOP; audio blocks too long for a play block are refused.
#include "media/compose.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <vector>

#include "app/app_data.h"
#include "codec/context/mpeg4_decoder_context.h"
#include "codec/jpeg_frame/jpeg_frame.h"
#include "fakes/mpeg4_vol.h"
#include "fakes/stream_app_block.h"
#include "fakes/stream_packets.h"
#include "media/audio/wave_out_player.h"
#include "media/stream_receiver.h"
#include "net/frame_info_block.h"
#include "platform/testing/manual_clock.h"

namespace {

// The decoder opened as the program opens it at login: every P-VOP from the last I-VOP, the
// structure of the server's stream and of the fixture clips.
constexpr std::uint32_t kProgramReferenceMode = 1;

using fakes::ByteVector;
using fakes::ClipFrame;

// Puts a frame into the next image receive slot as a receiver would.
bool Receive(CAppData& app, const ByteVector& frame) {
  return fakes::ReceiveImageFrame(app, frame, 10000);
}

struct Shown {
  ByteVector picture;
  ImageSlotInfo info;
};

// Takes the next decoded picture as the show thread would.
bool TakePicture(CAppData& app, const StreamSlotInfo& slots, std::size_t bytes, Shown& out,
                 std::uint16_t& read) {
  if (!app.JPEGImageBufferRelSemaphore->Wait(10000))
    return false;
  const std::uint8_t* p = app.m_pImageBuffer.get() + std::size_t{read} * kDecodedImageBytes;
  out.picture.assign(p, p + bytes);
  out.info = slots.image[read];
  read = static_cast<std::uint16_t>((read + 1) % kDecodedRingSlots);
  app.JPEGImageBufferSemaphore->Release(1);
  return true;
}

class ComposeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fakes::MakeStreamRings(m_app);
    m_stop = std::make_shared<platform::Event>(platform::ResetMode::Manual);
    m_setup.app = &m_app;
    m_setup.handles = app::TakeSessionHandles(m_app);
    m_setup.slotInfo = &m_slots;
    m_setup.endOfStreams = m_stop;
    m_setup.stats = &m_stats;
  }
  void TearDown() override {
    m_stop->Set();
    m_thread.Join(10000);
  }
  void Start() {
    m_thread.Start("compose",
                   [this](platform::StopToken stop) { return RunCompose(m_setup, stop); });
  }
  // The MPEG-4 form for pictures of width x height, its decoder opened as the program opens it.
  void UseMpeg4(std::uint16_t width, std::uint16_t height) {
    ASSERT_EQ(m_decoder.AllocateBuffers(), 1);
    ASSERT_TRUE(m_decoder.Open(width, height, kProgramReferenceMode));
    UseSize(width, height);
    m_setup.mpeg4 = true;
    m_setup.decoder = &m_decoder;
  }
  void UseJpeg(std::uint16_t width, std::uint16_t height) {
    UseSize(width, height);
    m_setup.mpeg4 = false;
  }
  void UseSize(std::uint16_t width, std::uint16_t height) {
    m_app.m_wFrameWidth = width;
    m_app.m_wFrameHeight = height;
  }

  CAppData m_app;
  CMpeg4DecoderContext m_decoder;
  StreamSlotInfo m_slots;
  ComposeStats m_stats;
  ComposeSetup m_setup;
  std::shared_ptr<platform::Event> m_stop;
  platform::Thread m_thread;
};

TEST_F(ComposeTest, Mpeg4PicturesMatchTheDecoderFedDirectlyAndStartAtTheFirstIVop) {
  const ByteVector m4v = fakes::ReadFile(MEDIA_TEST_DATA_DIR "/clip_176x144.m4v");
  const std::vector<ClipFrame> clip = fakes::Mpeg4Clip(m4v);
  ASSERT_EQ(clip.size(), 30u);
  UseMpeg4(176, 144);
  Start();

  // The reference: the second GOP's frames fed straight to a decoder of its own.
  CMpeg4DecoderContext reference;
  ASSERT_EQ(reference.AllocateBuffers(), 1);
  ASSERT_TRUE(reference.Open(176, 144, kProgramReferenceMode));
  const std::size_t bytes = 176 * 144 * 3;
  std::uint16_t read = 0;
  // Start in the middle of the first GOP: its P-VOPs are dropped until the I-VOP of GOP 1.
  for (std::size_t i = 5; i < 20; ++i)
    ASSERT_TRUE(Receive(m_app, clip[i].frame));
  for (std::size_t i = 10; i < 20; ++i) {
    ByteVector expected(bytes);
    ASSERT_TRUE(reference.DecodeFrame(
        clip[i].frame.data(), static_cast<std::uint32_t>(clip[i].frame.size()), 1, 0, 0, 176, 144));
    ASSERT_EQ(reference.CopyImage(expected), 1);
    Shown shown;
    ASSERT_TRUE(TakePicture(m_app, m_slots, bytes, shown, read)) << "frame " << i;
    EXPECT_EQ(shown.picture, expected) << "frame " << i;
    EXPECT_EQ(shown.info.wInterval, i == 10 ? kNoPreviousPicture : 33) << "frame " << i;
    EXPECT_EQ(shown.info.dwTimeStamp, clip[i].pts / 90);
  }
  EXPECT_EQ(m_stats.dropped.load(), 5u);
  EXPECT_EQ(m_stats.pictures.load(), 10u);
  EXPECT_EQ(m_app.ImageSocketBufferSem->Count(), 29u);
}

TEST_F(ComposeTest, JpegPicturesMatchTheJpegLayer) {
  const ByteVector mjpeg = fakes::ReadFile(MEDIA_TEST_DATA_DIR "/clip_352x288.mjpeg");
  const std::vector<ClipFrame> clip = fakes::JpegClip(mjpeg);
  ASSERT_GE(clip.size(), 3u);
  UseJpeg(352, 288);
  Start();
  const std::size_t bytes = 352 * 288 * 3;
  std::uint16_t read = 0;
  for (std::size_t i = 0; i < 3; ++i) {
    ASSERT_TRUE(Receive(m_app, clip[i].frame));
    ByteVector expected(kJpegFrameSlotBytes);
    ASSERT_EQ(DecodeJpegFrame(clip[i].elementary, expected, 352, 288), 1);
    expected.resize(bytes);
    Shown shown;
    ASSERT_TRUE(TakePicture(m_app, m_slots, bytes, shown, read));
    EXPECT_EQ(shown.picture, expected) << "frame " << i;
    EXPECT_EQ(shown.info.wInterval, i == 0 ? kNoPreviousPicture : 33);
    // The information block of a JPEG frame is kept with the picture.
    EXPECT_EQ(m_app.m_pFrameInfoBlocks[i * kFrameInfoRecordBytes + 72], 'S');
  }
}

// A picture's or a sound block's data may hold bytes that read as a start code with a time
// stamp (00 00 01 E0 and a PES header): the frame's own stamp, in its header, is the one taken.
TEST_F(ComposeTest, TimeStampsComeFromTheFrameHeaderNotFromThePictureOrTheSound) {
  const ByteVector mjpeg = fakes::ReadFile(MEDIA_TEST_DATA_DIR "/clip_352x288.mjpeg");
  const std::vector<ClipFrame> clip = fakes::JpegClip(mjpeg);
  ASSERT_GE(clip.size(), 3u);
  CWaveOutPlayer player;
  ASSERT_TRUE(player.AllocateBuffers());
  UseJpeg(352, 288);
  m_setup.player = &player;
  Start();
  constexpr std::uint32_t kStep = 3600;  // 40 ms
  const std::uint32_t wild = 0x12345678;
  std::uint16_t read = 0;
  for (std::uint32_t i = 0; i < 3; ++i) {
    // The lookalike in a comment segment behind the start-of-image marker.
    ByteVector picture = clip[i].elementary;
    const ByteVector lookalike = fakes::BuildFrame(fakes::kStreamIdMpeg4, wild, {}, 28, false);
    const ByteVector segment = {0xFF, 0xFE, 0x00, static_cast<std::uint8_t>(lookalike.size() + 2)};
    picture.insert(picture.begin() + 2, lookalike.begin(), lookalike.end());
    picture.insert(picture.begin() + 2, segment.begin(), segment.end());
    ASSERT_TRUE(Receive(m_app, fakes::BuildFrame(fakes::kStreamIdJpeg, 90000 + i * kStep, picture,
                                                 kJpegPictureOffset, true)));
    Shown shown;
    ASSERT_TRUE(TakePicture(m_app, m_slots, 352 * 288 * 3, shown, read)) << "picture " << i;
    EXPECT_EQ(shown.info.wInterval, i == 0 ? kNoPreviousPicture : 40) << "picture " << i;
    EXPECT_EQ(shown.info.dwTimeStamp, 1000 + i * 40) << "picture " << i;
  }
  // A sound block whose ADPCM bytes hold the lookalike.
  ByteVector sound(256, 0x11);
  const ByteVector lookalike = fakes::BuildFrame(fakes::kStreamIdMpeg4, wild, {}, 28, false);
  std::copy(lookalike.begin(), lookalike.end(), sound.begin() + 40);
  const ByteVector block = fakes::BuildFrame(fakes::kStreamIdAudio, 5760, sound, 64, false);
  ASSERT_TRUE(m_app.AudioSocketBufferSem->Wait(10000));
  std::memcpy(m_app.m_pAudioSocketBuffer.get(), block.data(), block.size());
  m_app.m_pAudioSocketLength[0] = static_cast<std::uint32_t>(block.size());
  m_app.m_wAudioSocketWriteIndex = 1;
  m_app.AudioSocketBufferRelSemaphore->Release(1);
  ASSERT_TRUE(m_app.JPEGAudioBufferRelSemaphore->Wait(10000));
  EXPECT_EQ(m_slots.audio[0].dwTimeStamp, 64u);
  EXPECT_EQ(m_stats.decodeErrors.load(), 0u);
}

// An MPEG-4 picture larger than the decoder takes, by its VOL, is dropped and told once, with its
// size; a JPEG picture whose frame header gives another size than the session's, however large,
// is dropped without a word (the session goes on); the pictures that fit go on as before.
TEST_F(ComposeTest, PicturesLargerThanTheClientCanShowAreDroppedAndOnlyMpegFourIsTold) {
  struct Told {
    std::uint16_t width, height;
  };
  std::vector<Told> told;
  m_setup.pictureTooLarge = [&](std::uint16_t w, std::uint16_t h) { told.push_back({w, h}); };
  // MPEG-4: the headers of a 1280 x 720 I-VOP (visual object sequence, visual object, video
  // object, its VOL, a GOV), the VOP start code and the start of the VOP.
  const ByteVector vol1280 = {0x00, 0x00, 0x01, 0xB0, 0x01, 0x00, 0x00, 0x01, 0xB5, 0x89, 0x13,
                              0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x20, 0x00, 0xC4, 0x8D,
                              0x88, 0x00, 0xCD, 0x28, 0x04, 0x5A, 0x14, 0x43, 0x00, 0x00, 0x01,
                              0xB3, 0x00, 0x10, 0x07, 0x00, 0x00, 0x01, 0xB6, 0x10, 0x63, 0x00};
  const ByteVector mjpeg = fakes::ReadFile(MEDIA_TEST_DATA_DIR "/clip_352x288.mjpeg");
  const std::vector<ClipFrame> jpegClip = fakes::JpegClip(mjpeg);
  ASSERT_FALSE(jpegClip.empty());
  ByteVector jpeg65535 = jpegClip[0].elementary;
  for (std::size_t i = 0; i + 9 < jpeg65535.size(); ++i) {
    if (jpeg65535[i] == 0xFF && jpeg65535[i + 1] == 0xC0) {
      std::fill_n(jpeg65535.begin() + static_cast<std::ptrdiff_t>(i + 5), 4, 0xFF);
      break;
    }
  }
  const std::vector<ClipFrame> mpeg4Clip =
      fakes::Mpeg4Clip(fakes::ReadFile(MEDIA_TEST_DATA_DIR "/clip_176x144.m4v"));
  UseMpeg4(176, 144);
  Start();
  for (int i = 0; i < 3; ++i)
    ASSERT_TRUE(
        Receive(m_app, fakes::BuildFrame(fakes::kStreamIdMpeg4, 3003u * i, vol1280, 32, false)));
  ASSERT_TRUE(Receive(m_app, mpeg4Clip[0].frame));
  Shown shown;
  std::uint16_t read = 0;
  ASSERT_TRUE(TakePicture(m_app, m_slots, 176 * 144 * 3, shown, read));
  EXPECT_EQ(m_stats.tooLarge.load(), 3u);
  EXPECT_EQ(m_stats.pictures.load(), 1u);
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0].width, 1280);
  EXPECT_EQ(told[0].height, 720);

  // JPEG, in a compose thread of its own.
  m_stop->Set();
  ASSERT_TRUE(m_thread.Join(10000));
  m_stop->Reset();
  told.clear();
  m_stats.tooLarge = 0;
  m_stats.decodeErrors = 0;
  UseJpeg(352, 288);
  Start();
  for (std::uint32_t i = 0; i < 3; ++i)
    ASSERT_TRUE(Receive(m_app, fakes::BuildFrame(fakes::kStreamIdJpeg, 3003u * i, jpeg65535,
                                                 kJpegPictureOffset, true)));
  ASSERT_TRUE(Receive(m_app, jpegClip[1].frame));
  ASSERT_TRUE(TakePicture(m_app, m_slots, 352 * 288 * 3, shown, read));
  EXPECT_EQ(m_stats.tooLarge.load(), 0u);
  EXPECT_EQ(m_stats.decodeErrors.load(), 3u);
  EXPECT_TRUE(told.empty());
  EXPECT_EQ(m_app.JPEGImageBufferSemaphore->Count(), 19u);
}

// A layer of 4096 or more a side is too large, as any above 720 x 576: dropped and told with its
// own size. (Read modulo 4096, 4800 x 576 came through as 704 x 576, passed the size check and
// gave a black picture with no message.)
TEST_F(ComposeTest, LayerSizesBeyondTwelveBitsAreTooLargeNotWrapped) {
  struct Told {
    std::uint16_t width, height;
  };
  std::vector<Told> told;
  m_setup.pictureTooLarge = [&](std::uint16_t w, std::uint16_t h) { told.push_back({w, h}); };
  UseMpeg4(704, 576);
  Start();
  for (std::uint32_t i = 0; i < 2; ++i)
    ASSERT_TRUE(
        Receive(m_app, fakes::BuildFrame(fakes::kStreamIdMpeg4, 3003u * i,
                                         fakes::KeyFrameHeadersOfSize(4800, 576), 32, false)));
  const std::vector<ClipFrame> clip =
      fakes::Mpeg4Clip(fakes::ReadFile(MEDIA_TEST_DATA_DIR "/clip_704x576.m4v"));
  ASSERT_FALSE(clip.empty());
  ASSERT_TRUE(Receive(m_app, clip[0].frame));
  Shown shown;
  std::uint16_t read = 0;
  ASSERT_TRUE(TakePicture(m_app, m_slots, 704 * 576 * 3, shown, read));
  EXPECT_EQ(m_stats.tooLarge.load(), 2u);
  EXPECT_EQ(m_stats.decodeErrors.load(), 0u);
  EXPECT_EQ(m_stats.pictures.load(), 1u);
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0].width, 4800);
  EXPECT_EQ(told[0].height, 576);
}

// A frame filed in the pre-record ring carries the local time of the compose thread's clock.
TEST_F(ComposeTest, FiledFramesTakeTheLocalTimeOfTheInjectedClock) {
  const std::vector<ClipFrame> clip =
      fakes::JpegClip(fakes::ReadFile(MEDIA_TEST_DATA_DIR "/clip_352x288.mjpeg"));
  ASSERT_FALSE(clip.empty());
  CSystemBuffer ring;
  ASSERT_TRUE(ring.Allocate());
  platform::testing::ManualClock clock;
  clock.SetLocalTime(platform::LocalTime{2031, 7, 4, 17, 23, 5, 9, 321});
  UseJpeg(352, 288);
  m_setup.recordRing = &ring;
  m_setup.clock = &clock;
  Start();
  ASSERT_TRUE(Receive(m_app, clip[0].frame));
  Shown shown;
  std::uint16_t read = 0;
  ASSERT_TRUE(TakePicture(m_app, m_slots, 352 * 288 * 3, shown, read));
  EXPECT_EQ(ring.NextSlot(), 1);
  EXPECT_EQ(ring.Descriptor(0).StoreTime, (SystemTime{2031, 7, 0, 17, 23, 5, 9, 0}));
  EXPECT_EQ(ring.Descriptor(0).byResolution, 2);  // 352 x 288
}

TEST(PictureIntervalTest, MillisecondsBetweenStampsAcrossTheWrapNeverBackwardsNorOverflowing) {
  struct Case {
    std::uint32_t previous, pts;
    std::uint16_t interval;
  };
  const Case cases[] = {
      {0, 3600, 40},          {0, 3003, 33},
      {90000, 90000, 0},      {0xFFFFFFFFu - 1000, 2599, 40},  // across the stamp's wrap
      {3600, 0, 0},                                            // a stamp behind the previous one
      {1000000, 10, 0},       {0, 90 * 2499, 2499},
      {0, 90 * 65534, 65534}, {0, 90 * 65535, 65534},  // never the "no previous picture" value
      {0, 0x7FFFFFFF, 65534},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PictureInterval(c.previous, c.pts), c.interval) << c.previous << " " << c.pts;
  }
  EXPECT_EQ(PayloadOffset(0xC), kAudioDataOffset);
  EXPECT_EQ(PayloadOffset(0xD), kJpegPictureOffset);
}

TEST_F(ComposeTest, FramesThatAreNotPicturesAreDroppedAndTheirSlotsComeBack) {
  UseMpeg4(176, 144);
  Start();
  const ByteVector garbage(500, 0x5A);
  const ByteVector jpegId =
      fakes::BuildFrame(fakes::kStreamIdJpeg, 0, ByteVector(64, 1), 32, false);
  for (int i = 0; i < 40; ++i)
    ASSERT_TRUE(Receive(m_app, i % 2 ? garbage : jpegId));
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (m_stats.dropped.load() < 40 && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  EXPECT_EQ(m_stats.dropped.load(), 40u);
  EXPECT_EQ(m_stats.pictures.load(), 0u);
  EXPECT_EQ(m_app.JPEGImageBufferSemaphore->Count(), 19u);
}

}  // namespace
