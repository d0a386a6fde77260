// Pre-record ring: slots, descriptors, intervals across sessions, resolution codes, and the
// hand-over to the recorders through their FreeSem and StartSem.
#include "media/record_buffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "fakes/joining_thread.h"
#include "fakes/wait_until.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

RecordContext Context() {
  RecordContext c;
  c.videoFormat = 4;
  c.frameWidth = 704;
  c.frameHeight = 576;
  c.selectedChannel = 2;
  c.now = SystemTime{2026, 12, 3, 9, 22, 30, 15, 789};
  return c;
}

RecordFrame Video(const Bytes& bytes, std::uint32_t pts, std::uint32_t kind = kKindMpeg4P) {
  RecordFrame f;
  f.bytes = bytes;
  f.pts = pts;
  f.kind = kind;
  return f;
}

class SystemBufferTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_ring.Allocate()); }
  CSystemBuffer m_ring;
};

TEST_F(SystemBufferTest, DescriptorOfAVideoFrame) {
  const Bytes first(100, 0x11);
  const Bytes second(5000, 0x22);
  ASSERT_TRUE(m_ring.Store(Video(first, 90000, kKindMpeg4I), Context()));
  ASSERT_TRUE(m_ring.Store(Video(second, 90000 + 3003), Context()));
  EXPECT_EQ(m_ring.NextSlot(), 2);
  EXPECT_EQ(m_ring.NewestSlot(), 1);

  const Vs4FrameDescriptor& d0 = m_ring.Descriptor(0);
  EXPECT_EQ(d0.dwLength, 100u);
  EXPECT_EQ(d0.dwInterval, kNoPreviousFrame);
  EXPECT_EQ(m_ring.Kind(0), kKindMpeg4I);
  const Vs4FrameDescriptor& d1 = m_ring.Descriptor(1);
  EXPECT_EQ(d1.dwInterval, 33u);
  EXPECT_EQ(d1.dwFormatTag, kFormatTagMpeg4);
  EXPECT_EQ(d1.byResolution, 3);
  EXPECT_EQ(d1.byChannel, 2);
  EXPECT_EQ(d1.StoreTime, (SystemTime{2026, 12, 0, 9, 22, 30, 15, 0}));
  EXPECT_EQ(m_ring.Kind(1), kKindMpeg4P);
  const auto frame = m_ring.Frame(1);
  EXPECT_EQ(Bytes(frame.begin(), frame.end()), second);

  const auto bytes = d1.Bytes();
  const Bytes expected = {0,  0, 0,  0, 0x88, 0x13, 0, 0, 33,   0,    0,  0, 0xEF, 0xCD, 0xAB, 0x89,
                          3,  0, 2,  0, 0,    0,    0, 0, 0xEA, 0x07, 12, 0, 0,    0,    9,    0,
                          22, 0, 30, 0, 15,   0,    0, 0, 0,    0,    0,  0, 0,    0,    0,    0};
  EXPECT_EQ(Bytes(bytes.begin(), bytes.end()), expected);
}

TEST_F(SystemBufferTest, AudioBlockKeepsTheDecoderStateAndNoInterval) {
  RecordFrame audio;
  const Bytes block(320, 0x33);
  audio.bytes = block;
  audio.isAudio = true;
  audio.kind = kKindAudio;
  audio.audioState = {7, 0, 0, 0, 0x34, 0x12, 0, 0};
  ASSERT_TRUE(m_ring.Store(Video(Bytes(10), 1000), Context()));
  ASSERT_TRUE(m_ring.Store(audio, Context()));
  ASSERT_TRUE(m_ring.Store(Video(Bytes(10), 1000 + 9000), Context()));
  EXPECT_EQ(m_ring.Descriptor(1).dwInterval, 0u);
  EXPECT_EQ(m_ring.Descriptor(1).dwAdpcmStepIndex, 7u);
  EXPECT_EQ(m_ring.Descriptor(1).dwAdpcmPrediction, 0x1234u);
  const auto bytes = m_ring.Descriptor(1).Bytes();
  EXPECT_TRUE(std::equal(bytes.begin() + 40, bytes.end(), audio.audioState.begin()));
  EXPECT_EQ(m_ring.Kind(1), kKindAudio);
  // Audio does not move the video time line.
  EXPECT_EQ(m_ring.Descriptor(2).dwInterval, 100u);
}

TEST_F(SystemBufferTest, AfterAFullTurnSlotZeroHoldsTheOldestFrame) {
  for (std::uint32_t i = 0; i < kRecordSlots; ++i) {
    ASSERT_TRUE(m_ring.Store(Video(Bytes(1, static_cast<std::uint8_t>(i)), i * 3000), Context()));
  }
  EXPECT_EQ(m_ring.NextSlot(), 0);
  EXPECT_EQ(m_ring.NewestSlot(), kRecordSlots - 1);
  EXPECT_EQ(m_ring.Frame(0)[0], 0);
  ASSERT_TRUE(m_ring.Store(Video(Bytes(1, 0xFF), 999999), Context()));
  EXPECT_EQ(m_ring.NextSlot(), 1);
  EXPECT_EQ(m_ring.Frame(0)[0], 0xFF);
}

TEST_F(SystemBufferTest, IntervalCarriesAcrossSessions) {
  ASSERT_TRUE(m_ring.Store(Video(Bytes(4), 9000), Context()));
  // A re-login keeps the ring object (it lives with the data block); the next video frame's
  // interval is measured from the last one filed.
  RecordContext jpeg = Context();
  jpeg.videoFormat = 0;
  ASSERT_TRUE(m_ring.Store(Video(Bytes(4), 18000, kKindJpeg), jpeg));
  EXPECT_EQ(m_ring.Descriptor(1).dwInterval, 100u);
  EXPECT_EQ(m_ring.Descriptor(1).dwFormatTag, kFormatTagJpeg);
}

// The player waits a frame's interval before showing it. Stamps that step back (a looping clip
// starting over, the device's clock set back) give the last forward interval, never the
// unsigned wrap of the step (about 13 hours); forward steps, across the stamps' own 32-bit wrap
// too, stay as they are.
TEST(SystemBufferIntervalTest, StampsSteppingBackGiveTheLastForwardInterval) {
  struct Case {
    const char* name;
    std::vector<std::uint32_t> pts;
    std::vector<std::uint32_t> intervals;
  };
  const Case cases[] = {
      {"clip starting over",
       {0, 3003, 6006, 9009, 0, 3003},
       {kNoPreviousFrame, 33, 33, 33, 33, 33}},
      {"clock set back an hour",
       {900000000, 900003600, 900003600 - 324000000u, 900007200 - 324000000u},
       {kNoPreviousFrame, 40, 40, 40}},
      {"paced at 5 a second",
       {500000, 518000, 536000, 100, 18100},
       {kNoPreviousFrame, 200, 200, 200, 200}},
      {"back before any forward step", {90000, 45000, 48003}, {kNoPreviousFrame, 0, 33}},
      {"a step back of one tick", {90000, 93003, 93002}, {kNoPreviousFrame, 33, 33}},
      {"forward across the stamps' wrap", {0xFFFFF000u, 0x00000B00u}, {kNoPreviousFrame, 76}},
      // Half the stamps' range less one tick forward is still a forward step; half the range
      // is a step back.
      {"half the range", {1000, 4003, 4003 + 0x80000000u}, {kNoPreviousFrame, 33, 33}},
      {"longest forward step", {1000, 1000 + 0x7FFFFFFFu}, {kNoPreviousFrame, 0x7FFFFFFFu / 90}},
      {"six hours forward",
       {1000, 1000 + 6u * 3600u * 90000u},
       {kNoPreviousFrame, 6u * 3600u * 1000u}},
  };
  for (const Case& c : cases) {
    CSystemBuffer ring;
    ASSERT_TRUE(ring.Allocate());
    std::vector<std::uint32_t> got;
    for (std::uint32_t pts : c.pts) {
      ASSERT_TRUE(ring.Store(Video(Bytes(4), pts), Context())) << c.name;
      got.push_back(ring.Descriptor(ring.NewestSlot()).dwInterval);
      EXPECT_LE(got.back(), kVs4MaxInterval) << c.name;
    }
    EXPECT_EQ(got, c.intervals) << c.name;
  }
}

TEST_F(SystemBufferTest, RefusesAFrameLongerThanASlot) {
  const Bytes slotFull(kRecordSlotBytes, 1);
  const Bytes tooLong(kRecordSlotBytes + 1, 1);
  EXPECT_TRUE(m_ring.Store(Video(slotFull, 0), Context()));
  EXPECT_FALSE(m_ring.Store(Video(tooLong, 0), Context()));
  EXPECT_EQ(m_ring.NextSlot(), 1);
}

TEST(SystemBufferLifeTest, StoreNeedsTheBlocksAndFreeClearsThem) {
  CSystemBuffer ring;
  EXPECT_FALSE(ring.IsAllocated());
  EXPECT_FALSE(ring.Store(Video(Bytes(4), 0), Context()));
  ASSERT_TRUE(ring.Allocate());
  EXPECT_TRUE(ring.Allocate());  // a second call keeps the blocks
  EXPECT_TRUE(ring.Free());
  EXPECT_FALSE(ring.IsAllocated());
  EXPECT_TRUE(ring.Free());
}

struct SizeCase {
  std::uint16_t w, h;
  std::uint8_t code;
};
class ResolutionCodeTest : public ::testing::TestWithParam<SizeCase> {};
TEST_P(ResolutionCodeTest, Table) {
  EXPECT_EQ(ResolutionCode(GetParam().w, GetParam().h), GetParam().code);
}
INSTANTIATE_TEST_SUITE_P(Sizes, ResolutionCodeTest,
                         ::testing::Values(SizeCase{352, 240, 0}, SizeCase{704, 480, 1},
                                           SizeCase{352, 288, 2}, SizeCase{704, 576, 3},
                                           SizeCase{176, 112, 4}, SizeCase{176, 144, 5},
                                           SizeCase{640, 480, 0}, SizeCase{0, 0, 0},
                                           SizeCase{576, 704, 0}));

// A recorder stand-in: FreeSem (1 of 1), StartSem (0 of 1), and what the ring told it (and how
// often the composer asked for the FreeSem).
class FakeRecorder : public IRecordBufferReader {
 public:
  platform::Semaphore& FreeSem() override {
    ++m_freeAsked;
    return m_free;
  }
  bool IsRecording() override { return m_recording; }
  void TakeStoredFrame(const CSystemBuffer& ring) override {
    m_taken.push_back(ring.NewestSlot());
    m_start.Release(1);
  }
  void CountStoredFrame() override { ++m_counted; }

  platform::Semaphore m_free{1, 1};
  platform::Semaphore m_start{0, 1};
  std::atomic<bool> m_recording{false};
  std::vector<std::uint16_t> m_taken;
  int m_counted = 0;
  std::atomic<int> m_freeAsked{0};
};

class PutFrameTest : public SystemBufferTest {
 protected:
  void SetUp() override {
    SystemBufferTest::SetUp();
    for (auto& r : m_recorders)
      r = std::make_shared<FakeRecorder>();
    SetRecordBufferReaders({m_recorders[0], m_recorders[1], m_recorders[2]});
  }
  void TearDown() override { SetRecordBufferReaders({}); }
  std::array<std::shared_ptr<FakeRecorder>, 3> m_recorders;
  platform::Event m_stop{platform::ResetMode::Manual};
};

TEST_F(PutFrameTest, IdleRecordersGetTheirFreeSemBack) {
  EXPECT_EQ(PutFrameToRecordBuffer(m_ring, Video(Bytes(8), 0), Context(), &m_stop), 1);
  EXPECT_EQ(PutFrameToRecordBuffer(m_ring, Video(Bytes(8), 0), Context(), &m_stop), 1);
  for (const auto& r : m_recorders) {
    EXPECT_EQ(r->m_free.Count(), 1u);
    EXPECT_EQ(r->m_start.Count(), 0u);
    EXPECT_EQ(r->m_counted, 2);
  }
}

TEST_F(PutFrameTest, ARecordingRecorderHoldsTheNextFrameBackUntilItHasCopied) {
  FakeRecorder& user = *m_recorders[1];
  user.m_recording = true;
  ASSERT_EQ(PutFrameToRecordBuffer(m_ring, Video(Bytes(8), 0), Context(), &m_stop), 1);
  EXPECT_EQ(user.m_taken, (std::vector<std::uint16_t>{0}));
  EXPECT_EQ(user.m_start.Count(), 1u);
  EXPECT_EQ(user.m_free.Count(), 0u);

  // The next frame waits for the user recorder's FreeSem: once the composer has asked for it
  // (and taken the one before), it can only go on when the recorder gives it back.
  const int asked = user.m_freeAsked.load();
  std::atomic<int> result{-1};
  fakes::JoiningThread composer(
      [&] { result = PutFrameToRecordBuffer(m_ring, Video(Bytes(8), 3000), Context(), &m_stop); },
      [&] { m_stop.Set(); });
  ASSERT_TRUE(fakes::WaitUntil([&] { return user.m_freeAsked.load() > asked; }));
  EXPECT_EQ(m_recorders[0]->m_free.Count(), 0u);
  EXPECT_EQ(result.load(), -1);
  EXPECT_EQ(m_ring.NextSlot(), 1);
  ASSERT_TRUE(user.m_start.Wait(0));
  user.m_free.Release(1);  // the recorder copied slot 0
  composer.join();
  EXPECT_EQ(result.load(), 1);
  EXPECT_EQ(user.m_taken, (std::vector<std::uint16_t>{0, 1}));
}

TEST_F(PutFrameTest, StopWhileWaitingGivesBackWhatWasTaken) {
  m_recorders[2]->m_free.Wait(0);  // the schedule recorder is busy copying
  m_stop.Set();
  EXPECT_EQ(PutFrameToRecordBuffer(m_ring, Video(Bytes(8), 0), Context(), &m_stop), 0);
  EXPECT_EQ(m_ring.NextSlot(), 0);
  EXPECT_EQ(m_recorders[0]->m_free.Count(), 1u);
  EXPECT_EQ(m_recorders[1]->m_free.Count(), 1u);
}

TEST_F(PutFrameTest, RefusedFrameGivesEveryFreeSemBack) {
  m_recorders[0]->m_recording = true;
  const Bytes tooLong(kRecordSlotBytes + 1);
  EXPECT_EQ(PutFrameToRecordBuffer(m_ring, Video(tooLong, 0), Context(), &m_stop), 0);
  for (const auto& r : m_recorders) {
    EXPECT_EQ(r->m_free.Count(), 1u);
    EXPECT_EQ(r->m_start.Count(), 0u);
  }
}

}  // namespace
