// Recording the live stream end to end: the fake server streams a fixture clip over loopback,
// the receiver and compose threads file every frame in the pre-record ring, and the user
// recorder writes the record file; read back, it holds every frame as the server sent it.
#include <gtest/gtest.h>

#include <unistd.h>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <thread>
#include <vector>

#include "app/app_data.h"
#include "codec/context/mpeg4_decoder_context.h"
#include "fakes/fake_stream_server.h"
#include "fakes/stream_app_block.h"
#include "fakes/stream_packets.h"
#include "media/compose.h"
#include "media/record/recorder.h"
#include "media/show_pacing.h"
#include "media/stream_receiver.h"

namespace {

using fakes::ByteVector;
using std::chrono::milliseconds;

constexpr std::uint16_t kWidth = 176;
constexpr std::uint16_t kHeight = 144;

// A data block as start-up and login leave it for a video-only MPEG-4 session over TCP.
void PrepareApp(CAppData& app, std::uint16_t port) {
  fakes::PrepareVideoSession(app, port, kWidth, kHeight, "REC1");
  fakes::PrepareShowEvents(app);
  app.m_SettingINI.m_byTransmissionType = 1;
  app.m_SettingINI.m_byAvSwitchOption = 1;
  app.m_SystemBuffer.Allocate();
}

class StreamRecordTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("kavelin_stream_rec_" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    SetFrameHeaderAlarmHooks(FrameHeaderAlarmHooks{});
    m_clip = fakes::Mpeg4Clip(fakes::ReadFile(MEDIA_TEST_DATA_DIR "/clip_176x144.m4v"));
    g_lpApp = std::make_unique<CAppData>();
    PrepareApp(*g_lpApp, m_server.Port());
    ASSERT_EQ(m_decoder.AllocateBuffers(), 1);
    ASSERT_TRUE(m_decoder.Open(kWidth, kHeight, 0));
    g_lpApp->m_pDecoderContext = &m_decoder;
  }

  void TearDown() override {
    SetRecordBufferReaders({});
    if (g_lpApp) {
      g_lpApp->h_EndofGetJpegImageEvent->Set();
      g_lpApp->ShowStopEvent->Set();
    }
    m_ticking = false;
    if (m_ticker.joinable()) {
      m_ticker.join();
    }
    for (auto* t : {&m_receiver, &m_compose, &m_show}) {
      t->RequestStop();
      t->Join(20000);
    }
    if (m_user) {
      m_user->ExitThread(20000);
    }
    g_lpApp.reset();
    std::filesystem::remove_all(dir);
  }

  void Start() {
    ReceiverSetup receiver = ReceiverSetupFromApp(StreamKind::kVideo, false);
    ComposeSetup compose = ComposeSetupFromApp(true);
    PacingSetup show = PacingSetupFromApp();
    show.imageReady = [] { g_lpApp->FinishShowImageJobEvent->Set(); };
    m_receiver.Start("receiver",
                     [receiver](platform::StopToken s) { return RunStreamReceiver(receiver, s); });
    m_compose.Start("compose", [compose](platform::StopToken s) { return RunCompose(compose, s); });
    m_show.Start("show", [show](platform::StopToken s) { return RunShowImageData(show, s); });
    m_ticker = std::thread([this] {
      for (int i = 0; i < 60000 && m_ticking.load(); ++i) {
        g_lpApp->MainTimerTickEvent[0]->Set();
        std::this_thread::sleep_for(milliseconds(1));
      }
    });
  }

  std::filesystem::path dir;
  fakes::FakeStreamServer m_server;
  std::vector<fakes::ClipFrame> m_clip;
  CMpeg4DecoderContext m_decoder;
  std::shared_ptr<CUserRecord> m_user;
  platform::Thread m_receiver, m_compose, m_show;
  std::thread m_ticker;
  std::atomic<bool> m_ticking{true};
};

RecorderEnvironment StreamEnvironment() {
  RecorderEnvironment env = RecorderEnvironment::Defaults();
  env.ring = &g_lpApp->m_SystemBuffer;
  env.endOfStreams = g_lpApp->h_EndofGetJpegImageEvent.get();
  env.sessionId = [] { return std::string("REC1"); };
  env.serverAddress = [] { return std::string("127.0.0.1"); };
  env.avOption = [] { return std::uint8_t{1}; };
  env.showMessage = [](std::string_view) {};
  return env;
}

void ExpectClip(const std::string& fileName, const std::vector<fakes::ClipFrame>& clip,
                std::uint8_t kind) {
  std::ifstream in(fileName, std::ios::binary);
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
  Vs4ReadError error{};
  auto file = ReadVs4(bytes, &error);
  ASSERT_TRUE(file.has_value()) << Vs4ReadErrorName(error);
  EXPECT_EQ(file->header.byRecordKind, kind);
  EXPECT_EQ(file->header.byResolution, 5);  // 176 x 144
  ASSERT_EQ(file->frames.size(), clip.size());
  for (std::size_t i = 0; i < clip.size(); ++i) {
    const auto& sent = clip[i].frame;
    const auto& got = file->frames[i].bytes;
    ASSERT_GE(sent.size(), got.size()) << i;
    EXPECT_LE(sent.size() - got.size(), 1u) << i;
    EXPECT_TRUE(std::equal(got.begin(), got.end(), sent.begin())) << "frame " << i;
    EXPECT_EQ(file->index[i].dwKind, clip[i].key ? kKindMpeg4I : kKindMpeg4P) << i;
  }
}

// An alarm that starts while the stream runs takes the frames before it from the pre-record
// ring, back to the first key frame: the file holds the whole clip.
TEST_F(StreamRecordTest, AlarmRecordStartedMidStreamHoldsThePreRecordedFrames) {
  ASSERT_LT(m_clip.size(), kRecordSlots);
  std::atomic<std::uint32_t> entered{0};
  RecorderEnvironment env = StreamEnvironment();
  env.onAlarmRecordFinished = [&entered](std::uint32_t frames) { entered = frames; };
  auto alarm = std::make_shared<CAlarmRecord>(env);
  SetRecordBufferReaders({alarm, nullptr, nullptr});
  ASSERT_TRUE(alarm->CreateThread(4));
  m_server.SetVideoClip(m_clip);
  m_server.SetFrameInterval(milliseconds(20));
  Start();
  for (int i = 0; i < 6000 && g_lpApp->m_dwShownFrames.load() < 5; ++i) {
    platform::Event().Wait(5);
  }
  std::string path = dir.string();
  ASSERT_TRUE(alarm->OpenRecordFile(path, 4));
  for (int i = 0; i < 6000 && g_lpApp->m_dwShownFrames.load() < m_clip.size(); ++i) {
    platform::Event().Wait(5);
  }
  ASSERT_EQ(g_lpApp->m_dwShownFrames.load(), m_clip.size());
  for (int i = 0; i < 4000 && alarm->FreeSem().Count() != 1; ++i) {
    platform::Event().Wait(5);
  }
  ASSERT_TRUE(alarm->StopRecord());
  ExpectClip(alarm->LastFileName(), m_clip, 1);
  EXPECT_EQ(entered.load(), m_clip.size());
  EXPECT_TRUE(alarm->ExitThread(20000));
}

TEST_F(StreamRecordTest, UserRecordHoldsEveryFrameTheServerSent) {
  RecorderEnvironment env = RecorderEnvironment::Defaults();
  env.ring = &g_lpApp->m_SystemBuffer;
  env.endOfStreams = g_lpApp->h_EndofGetJpegImageEvent.get();
  env.sessionId = [] { return std::string("REC1"); };
  env.serverAddress = [] { return std::string("127.0.0.1"); };
  env.avOption = [] { return std::uint8_t{1}; };
  env.showMessage = [](std::string_view) {};
  m_user = std::make_shared<CUserRecord>(env);
  SetRecordBufferReaders({nullptr, m_user, nullptr});
  ASSERT_TRUE(m_user->CreateThread(4));
  std::string path = dir.string();
  ASSERT_TRUE(m_user->OpenRecordFile(path, 4));
  for (int i = 0; i < 4000 && !m_user->IsRecording(); ++i) {
    platform::Event().Wait(5);
  }
  ASSERT_TRUE(m_user->IsRecording());

  m_server.SetVideoClip(m_clip);
  m_server.SetFrameInterval(milliseconds(20));
  Start();
  for (int i = 0; i < 6000 && g_lpApp->m_dwShownFrames.load() < m_clip.size(); ++i) {
    platform::Event().Wait(5);
  }
  ASSERT_EQ(g_lpApp->m_dwShownFrames.load(), m_clip.size());
  for (int i = 0; i < 4000 && m_user->FreeSem().Count() != 1; ++i) {
    platform::Event().Wait(5);
  }
  ASSERT_TRUE(m_user->StopRecord());

  std::ifstream in(m_user->LastFileName(), std::ios::binary);
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
  Vs4ReadError error{};
  auto file = ReadVs4(bytes, &error);
  ASSERT_TRUE(file.has_value()) << Vs4ReadErrorName(error);
  EXPECT_EQ(file->header.abyServerAddress, (std::array<std::uint8_t, 4>{127, 0, 0, 1}));
  EXPECT_EQ(file->header.byRecordKind, 2);
  EXPECT_EQ(file->header.byResolution, 5);  // 176 x 144
  EXPECT_EQ(file->header.byAvOption, 1);
  ASSERT_EQ(file->frames.size(), m_clip.size());
  for (std::size_t i = 0; i < m_clip.size(); ++i) {
    const auto& sent = m_clip[i].frame;
    const auto& got = file->frames[i].bytes;
    ASSERT_GE(sent.size(), got.size()) << i;
    EXPECT_LE(sent.size() - got.size(), 1u) << i;  // at most the padding byte
    EXPECT_TRUE(std::equal(got.begin(), got.end(), sent.begin())) << "frame " << i;
    EXPECT_EQ(file->index[i].dwKind, m_clip[i].key ? kKindMpeg4I : kKindMpeg4P) << i;
    EXPECT_EQ(file->frames[i].descriptor.dwFormatTag, kVs4FormatMpeg4);
  }
}

}  // namespace
