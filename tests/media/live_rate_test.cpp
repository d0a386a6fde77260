// The JPEG road's shown rate over minutes of stream time: the compose thread (JPEG form) and the
// show thread (on the test's clock) take a 25 or 30 pictures-a-second stream of JPEG frames, one
// picture a second of which holds bytes that read as a start code with a time stamp of their
// own, as pictures of a real scene do. Time moves only when the test moves it: each frame is
// placed in the receive ring at its arrival time, and between arrivals the clock jumps to the
// next moment the show thread waits for. Every 5 s of stream time (a receiver report's period)
// the pictures shown stay within one a second of those that arrived, from the first report on.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "app/app_data.h"
#include "fakes/stream_app_block.h"
#include "fakes/stream_packets.h"
#include "media/compose.h"
#include "media/show_pacing.h"
#include "media/stream_receiver.h"
#include "net/frame_info_block.h"
#include "platform/testing/manual_clock.h"

namespace {

using fakes::ByteVector;

constexpr std::uint16_t kWidth = 352;
constexpr std::uint16_t kHeight = 288;
constexpr std::uint32_t kStreamSeconds = 180;
constexpr std::uint32_t kReportMs = 5000;
constexpr std::uint32_t kStartTicks = 1000000;

// A picture with a comment segment behind its start-of-image marker that holds the bytes of a
// video PES header stamped `stamp` (90 kHz): 00 00 01 E0, length, flags 80 80, 5 header bytes.
ByteVector WithStampLookalike(const ByteVector& jpeg, std::uint32_t stamp) {
  const std::array<std::uint8_t, 14> pes = {
      0x00,
      0x00,
      0x01,
      0xE0,
      0x00,
      0x00,
      0x80,
      0x80,
      0x05,
      static_cast<std::uint8_t>(0x21 | ((stamp >> 29) & 0x06)),
      static_cast<std::uint8_t>(stamp >> 22),
      static_cast<std::uint8_t>(((stamp >> 14) & 0xFE) | 1),
      static_cast<std::uint8_t>(stamp >> 7),
      static_cast<std::uint8_t>(((stamp << 1) & 0xFE) | 1)};
  ByteVector out(jpeg.begin(), jpeg.begin() + 2);  // FF D8
  const std::size_t segment = pes.size() + 2;
  out.insert(out.end(), {0xFF, 0xFE, static_cast<std::uint8_t>(segment >> 8),
                         static_cast<std::uint8_t>(segment & 0xFF)});
  out.insert(out.end(), pes.begin(), pes.end());
  out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
  return out;
}

struct RateCase {
  const char* name;
  std::uint32_t fps;
  std::uint32_t ptsStep;  // 90 kHz
};

class LiveRateTest : public ::testing::TestWithParam<RateCase> {
 protected:
  void SetUp() override {
    fakes::MakeStreamRings(m_app);
    fakes::PrepareShowEvents(m_app);
    m_app.ReceiverStartedEvent = fakes::NewEvent(true, true);
    // A tick is always there: the clock alone paces the show thread.
    m_app.MainTimerTickEvent[0] = fakes::NewEvent(true, true);
    m_app.m_wFrameWidth = kWidth;
    m_app.m_wFrameHeight = kHeight;
    m_end = fakes::NewEvent(true);
    m_compose.mpeg4 = false;
    m_compose.app = &m_app;
    m_compose.handles = app::TakeSessionHandles(m_app);
    m_compose.slotInfo = &m_slots;
    m_compose.endOfStreams = m_end;
    m_compose.stats = &m_stats;
    m_show.app = &m_app;
    m_show.handles = app::TakeSessionHandles(m_app);
    m_show.slotInfo = &m_slots;
    m_show.avSwitchOption = 3;
    m_show.clock = &m_clock;
    m_show.imageReady = [this] {
      {
        const std::lock_guard lock(m_lock);
        m_shownAt.push_back(m_clock.Ticks());
      }
      m_app.FinishShowImageJobEvent->Set();
    };
  }
  void TearDown() override {
    m_end->Set();
    m_app.ShowStopEvent->Set();
    m_composeThread.RequestStop();
    m_showThread.RequestStop();
    m_composeThread.Join(10000);
    m_showThread.Join(10000);
  }
  void Start() {
    m_composeThread.Start("compose",
                          [this](platform::StopToken stop) { return RunCompose(m_compose, stop); });
    m_showThread.Start("show",
                       [this](platform::StopToken stop) { return RunShowImageData(m_show, stop); });
  }

  // What the compose thread has taken off the receive ring.
  std::uint32_t Composed() const {
    return m_stats.pictures.load() + m_stats.dropped.load() + m_stats.decodeErrors.load();
  }
  // Until the compose thread has taken every frame placed, or waits for the show thread to free
  // a place in the full decoded ring.
  bool WaitComposed() const {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (Composed() < m_placed && m_app.JPEGImageBufferSemaphore->Count() > 0) {
      if (std::chrono::steady_clock::now() > limit)
        return false;
      std::this_thread::yield();
    }
    return true;
  }
  // Puts a frame into the next image receive slot, as a receiver does; false when the ring is
  // full (a receiver would wait, and the frame is lost to the stream).
  bool Receive(const ByteVector& frame) {
    if (!fakes::ReceiveImageFrame(m_app, frame, 0))
      return false;
    ++m_placed;
    return true;
  }
  // Lets time pass up to `target`, stopping at every time-out the show thread waits for.
  void AdvanceTo(std::uint32_t target) {
    for (;;) {
      ASSERT_TRUE(m_clock.WaitForWaiters(1));
      const std::uint32_t now = m_clock.Ticks();
      if (platform::TickReached(now, target))
        return;
      const std::uint32_t step = std::min(target - now, m_clock.NextTimeout().value_or(target));
      m_clock.Advance(std::max<std::uint32_t>(step, 1));
    }
  }
  std::vector<std::uint32_t> ShownAt() {
    const std::lock_guard lock(m_lock);
    return m_shownAt;
  }

  CAppData m_app;
  StreamSlotInfo m_slots;
  ComposeStats m_stats;
  ComposeSetup m_compose;
  PacingSetup m_show;
  std::shared_ptr<platform::Event> m_end;
  platform::testing::ManualClock m_clock{kStartTicks};
  platform::Thread m_composeThread;
  platform::Thread m_showThread;
  std::uint32_t m_placed = 0;
  std::mutex m_lock;
  std::vector<std::uint32_t> m_shownAt;
};

TEST_P(LiveRateTest, ShownRateHoldsWithinOneFrameASecondOfTheArrivals) {
  const RateCase& c = GetParam();
  const auto clip = fakes::JpegClip(fakes::ReadFile(MEDIA_TEST_DATA_DIR "/clip_352x288.mjpeg"));
  ASSERT_FALSE(clip.empty());
  Start();
  const std::uint32_t frames = kStreamSeconds * c.fps;
  std::vector<std::uint32_t> arrivedAt;
  for (std::uint32_t k = 0; k < frames; ++k) {
    const std::uint32_t at = kStartTicks + k * 1000 / c.fps;
    AdvanceTo(at);
    const std::uint32_t pts = k * c.ptsStep;
    const ByteVector& picture = clip[k % clip.size()].elementary;
    // Once a second the picture's data holds a stamp 1.5 s ahead of the stream's.
    const ByteVector data =
        k % c.fps == c.fps / 2 ? WithStampLookalike(picture, pts + 135000) : picture;
    Receive(fakes::BuildFrame(fakes::kStreamIdJpeg, pts, data, kJpegPictureOffset, true));
    ASSERT_TRUE(WaitComposed()) << "frame " << k;
    arrivedAt.push_back(at);
  }
  AdvanceTo(kStartTicks + kStreamSeconds * 1000);

  const auto shown = ShownAt();
  for (std::uint32_t report = 0; report < kStreamSeconds * 1000 / kReportMs; ++report) {
    const auto inReport = [&](std::uint32_t t) { return (t - kStartTicks) / kReportMs == report; };
    const auto arrived = std::count_if(arrivedAt.begin(), arrivedAt.end(), inReport);
    const auto seen = std::count_if(shown.begin(), shown.end(), inReport);
    EXPECT_LE(std::abs(seen - arrived), static_cast<long>(kReportMs / 1000))
        << "report " << report << ": " << seen << " shown of " << arrived;
  }
}

INSTANTIATE_TEST_SUITE_P(Rates, LiveRateTest,
                         ::testing::Values(RateCase{"TwentyFive", 25, 3600},
                                           RateCase{"Thirty", 30, 3003}),
                         [](const auto& info) { return info.param.name; });

}  // namespace
