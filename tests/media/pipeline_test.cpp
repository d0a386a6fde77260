// The live path end to end over loopback: the fake server streams a fixture clip, and the
// receiver, compose and show threads (set up from the application data block as the program
// does) bring every picture to a recording window in order, decoded as the decoder gives them
// when fed the fixture directly (in the reference mode the program opens); over UDP and over TCP.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "app/app_data.h"
#include "codec/context/mpeg4_decoder_context.h"
#include "fakes/fake_stream_server.h"
#include "fakes/stream_app_block.h"
#include "fakes/stream_packets.h"
#include "media/compose.h"
#include "media/show_pacing.h"
#include "media/stream_receiver.h"

namespace {

// The decoder opened as the program opens it at login: every P-VOP from the last I-VOP, the
// structure of the server's stream and of the fixture clips.
constexpr std::uint32_t kProgramReferenceMode = 1;

using fakes::ByteVector;
using fakes::ClipFrame;
using std::chrono::milliseconds;

constexpr std::uint16_t kWidth = 176;
constexpr std::uint16_t kHeight = 144;
constexpr std::size_t kPictureBytes = std::size_t{kWidth} * kHeight * 3;

// A data block as start-up and login leave it for a video-only MPEG-4 session.
void PrepareApp(CAppData& app, std::uint16_t port, bool udp) {
  fakes::PrepareVideoSession(app, port, kWidth, kHeight, "E2E1");
  fakes::PrepareShowEvents(app);
  app.m_SettingINI.m_byTransmissionType = udp ? 0 : 1;
  app.m_SettingINI.m_byAvSwitchOption = 1;
}

class PipelineTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    SetFrameHeaderAlarmHooks(FrameHeaderAlarmHooks{});
    const ByteVector m4v = fakes::ReadFile(MEDIA_TEST_DATA_DIR "/clip_176x144.m4v");
    m_clip = fakes::Mpeg4Clip(m4v);
    g_lpApp = std::make_unique<CAppData>();
    PrepareApp(*g_lpApp, m_server.Port(), GetParam());
    ASSERT_EQ(m_decoder.AllocateBuffers(), 1);
    ASSERT_TRUE(m_decoder.Open(kWidth, kHeight, kProgramReferenceMode));
    g_lpApp->m_pDecoderContext = &m_decoder;
  }

  void TearDown() override {
    if (g_lpApp) {
      g_lpApp->h_EndofGetJpegImageEvent->Set();
      g_lpApp->ShowStopEvent->Set();
    }
    m_ticking = false;
    if (m_ticker.joinable())
      m_ticker.join();
    for (auto* t : {&m_receiver, &m_compose, &m_show}) {
      t->RequestStop();
      t->Join(20000);
    }
    g_lpApp.reset();
  }

  void Start() {
    ReceiverSetup receiver = ReceiverSetupFromApp(StreamKind::kVideo, GetParam());
    receiver.reportLost = [this] { m_lost.fetch_add(1); };
    receiver.stats = &m_receiverStats;
    ComposeSetup compose = ComposeSetupFromApp(true);
    compose.stats = &m_composeStats;
    PacingSetup show = PacingSetupFromApp();
    show.imageReady = [this] { Paint(); };
    m_receiver.Start("receiver",
                     [receiver](platform::StopToken s) { return RunStreamReceiver(receiver, s); });
    m_compose.Start("compose", [compose](platform::StopToken s) { return RunCompose(compose, s); });
    m_show.Start("show", [show](platform::StopToken s) { return RunShowImageData(show, s); });
    // The 1 ms ticker, bounded by the test's length.
    m_ticker = std::thread([this] {
      for (int i = 0; i < 60000 && m_ticking.load(); ++i) {
        g_lpApp->MainTimerTickEvent[0]->Set();
        std::this_thread::sleep_for(milliseconds(1));
      }
    });
  }

  // The recording window: keeps a copy of the picture it is asked to draw, then says it is done.
  void Paint() {
    const std::uint8_t* picture = g_lpApp->m_pCurrentPicture.load();
    {
      std::lock_guard lock(m_lock);
      m_painted.emplace_back(picture, picture + kPictureBytes);
    }
    g_lpApp->FinishShowImageJobEvent->Set();
  }

  std::vector<ByteVector> WaitPainted(std::size_t count) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < end) {
      {
        std::lock_guard lock(m_lock);
        if (m_painted.size() >= count)
          return m_painted;
      }
      std::this_thread::sleep_for(milliseconds(5));
    }
    std::lock_guard lock(m_lock);
    return m_painted;
  }

  fakes::FakeStreamServer m_server;
  std::vector<ClipFrame> m_clip;
  CMpeg4DecoderContext m_decoder;
  platform::Thread m_receiver;
  platform::Thread m_compose;
  platform::Thread m_show;
  std::thread m_ticker;
  std::atomic<bool> m_ticking{true};
  std::atomic<int> m_lost{0};
  ReceiverStats m_receiverStats;
  ComposeStats m_composeStats;
  std::mutex m_lock;
  std::vector<ByteVector> m_painted;
};

TEST_P(PipelineTest, EveryPictureReachesTheWindowInOrderAndDecodedAsTheFixture) {
  m_server.SetVideoClip(m_clip);
  m_server.SetFrameInterval(milliseconds(33));
  Start();
  const auto painted = WaitPainted(m_clip.size());
  ASSERT_EQ(painted.size(), m_clip.size());

  CMpeg4DecoderContext reference;
  ASSERT_EQ(reference.AllocateBuffers(), 1);
  ASSERT_TRUE(reference.Open(kWidth, kHeight, kProgramReferenceMode));
  for (std::size_t i = 0; i < m_clip.size(); ++i) {
    const ByteVector& es = m_clip[i].elementary;
    ASSERT_TRUE(reference.DecodeFrame(es.data(), static_cast<std::uint32_t>(es.size()), 1, 0, 0,
                                      kWidth, kHeight));
    ByteVector expected(kPictureBytes);
    ASSERT_EQ(reference.CopyImage(expected), 1);
    EXPECT_TRUE(painted[i] == expected) << "picture " << i;
  }
  const auto requests = m_server.Requests();
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(requests.front().session, "E2E1");
  EXPECT_EQ(requests.front().udp, GetParam());
  EXPECT_EQ(m_lost.load(), 0);
  EXPECT_EQ(m_receiverStats.framesAbandoned.load(), 0u);
  EXPECT_EQ(m_composeStats.decodeErrors.load(), 0u);
  EXPECT_EQ(g_lpApp->m_dwShownFrames.load(), m_clip.size());
}

INSTANTIATE_TEST_SUITE_P(Transports, PipelineTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Udp" : "Tcp"; });

}  // namespace
