// The program's start-up with the real engine threads and the real main window offscreen,
// against the fake servers: the decoded picture shows in the video rectangle, the rates follow,
// and after the server ends the stream the re-login shows its texts and the picture returns.
#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <functional>

#include "app/kernel_threads.h"
#include "app/relogin_thread.h"
#include "app/stream_stand_ins.h"
#include "codec/context/mpeg4_decoder_context.h"
#include "codec/jpeg_frame/jpeg_frame.h"
#include "fakes/fake_stream_server.h"
#include "fakes/fake_video_server.h"
#include "fakes/stream_packets.h"
#include "fakes/wait_until.h"
#include "headless_login_window.h"
#include "main_window_fixture.h"
#include "media/media_hooks.h"
#include "media/record/recorder.h"
#include "media/record/vs4_format.h"
#include "media/recording_hooks.h"
#include "net/frame_info_block.h"
#include "platform/testing/fake_message_box.h"
#include "platform/testing/manual_clock.h"
#include "program_seams_test.h"
#include "ui/common/message_ids.h"
#include "ui/common/string_table.h"
#include "ui/main/kavelin_main_window.h"
#include "ui/main/main_window_texts.h"

#include <QTest>
#include <algorithm>
#include <atomic>
#include <fstream>
#include <iterator>
#include <mutex>
#include <optional>

namespace main_window_test {
namespace {

using namespace mainwin;
using Picture = std::vector<std::uint8_t>;
using SteadyClock = std::chrono::steady_clock;

class EndToEndTest : public ProgramSeamsTest<::testing::Test> {
 protected:
  EndToEndTest() : ProgramSeamsTest(QRect(0, 0, 1280, 800)) {}

  void WriteSettings(std::uint16_t webPort, int decodeType, int transmissionType) {
    fakes::TempFolder::Write(
        m_folder / "Setting.ini",
        "[ZRC604]\nServer Name=127.0.0.1\nServerPort=" + std::to_string(webPort) +
            "\nAvSwitch Option=1\nSelected Channel=1\nDecode Type=" + std::to_string(decodeType) +
            "\nTransmission Type=" + std::to_string(transmissionType) + "\n");
  }

  static std::string StreamReply(std::uint16_t streamPort) {
    return "VIDEO-FORMAT=4;USER-LEVEL=30;LIFE-TIME=-1;DEVICE-ID0=1;DEVICE-TYPE0=2;"
           "BAUD-RATE0=9600;DEVICE-ID1=2;DEVICE-TYPE1=8;BAUD-RATE1=4800;MPEG4-WIDTH=176;"
           "MPEG4-HEIGHT=144;JPEG-WIDTH=352;JPEG-HEIGHT=288;STREAM-PORT=" +
           std::to_string(streamPort) + ";";
  }

  // Runs start-up to its end with `step` called every 20 ms from the window's loop until it
  // returns true; the window is then closed through the life-time-over message. A step that
  // never finishes closes the window after the time limit.
  void RunProgram(const std::function<bool(CKavelinDlg&)>& step) {
    const auto deadline = SteadyClock::now() + std::chrono::seconds(60);
    bool finished = false;
    QTimer timer;
    timer.setInterval(20);
    QObject::connect(&timer, &QTimer::timeout, [&] {
      CKavelinDlg* window = nullptr;
      for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* main = qobject_cast<CKavelinDlg*>(widget); main && main->isVisible())
          window = main;
      }
      if (window == nullptr || finished)
        return;
      const bool timedOut = SteadyClock::now() > deadline;
      if (timedOut || step(*window)) {
        finished = true;
        m_timedOut = timedOut;
        platform::PostMessage(window->Handle(), WM_LIFETIMEUP, 0, 0);
      }
    });
    timer.start();
    EXPECT_EQ(theApp.InitInstance(), 0);
    timer.stop();
    theApp.ExitInstance();
    EXPECT_FALSE(m_timedOut);
  }

  // True when the video rectangle shows one of the pictures, pixel for pixel.
  static bool ShowsOneOf(CKavelinDlg& window, const std::vector<Picture>& pictures, int width,
                         int height) {
    const QImage shot = window.grab().toImage();
    const QPoint origin = window.VideoRect().topLeft();
    for (const Picture& picture : pictures) {
      bool same = true;
      for (int y = 0; y < height && same; y += 3) {
        const std::uint8_t* row =
            picture.data() + static_cast<std::size_t>(height - 1 - y) * width * 3;
        for (int x = 0; x < width && same; x += 3) {
          same = shot.pixelColor(origin + QPoint(x, y)) ==
                 QColor(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
        }
      }
      if (same)
        return true;
    }
    return false;
  }

  bool m_timedOut = false;
};

TEST_F(EndToEndTest, Mpeg4OverUdpShowsThePictureAndItsRates) {
  const auto clip = fakes::Mpeg4Clip(fakes::ReadFile(MEDIA_TEST_DATA_DIR "/clip_176x144.m4v"));
  ASSERT_FALSE(clip.empty());
  // Every picture of the clip, decoded in order.
  std::vector<Picture> pictures;
  CMpeg4DecoderContext reference;
  ASSERT_EQ(reference.AllocateBuffers(), 1);
  ASSERT_TRUE(reference.Open(176, 144, 0));
  for (const fakes::ClipFrame& frame : clip) {
    Picture picture(176 * 144 * 3);
    ASSERT_TRUE(reference.DecodeFrame(
        frame.frame.data(), static_cast<std::uint32_t>(frame.frame.size()), 1, 0, 0, 176, 144));
    ASSERT_EQ(reference.CopyImage(picture), 1);
    pictures.push_back(std::move(picture));
  }
  fakes::FakeStreamServer stream;
  stream.SetVideoClip(clip);
  stream.SetFrameInterval(std::chrono::milliseconds(20));
  stream.SetLoops(1000);
  fakes::FakeVideoServer web;
  web.SetStreamReply(StreamReply(stream.Port()));
  WriteSettings(web.WebPort(), 4, 0);

  enum class Phase { kPicture, kRates, kDone } phase = Phase::kPicture;
  RunProgram([&](CKavelinDlg& window) {
    if (phase == Phase::kPicture && ShowsOneOf(window, pictures, 176, 144)) {
      EXPECT_EQ(window.VideoRect(), QRect(96, 132, 176, 144));
      // Two seconds of measuring, without waiting for them.
      g_lpApp->m_dwStreamStartTick = g_lpApp->m_dwStreamStartTick.load() - 2000;
      phase = Phase::kRates;
    } else if (phase == Phase::kRates && window.StatusText().startsWith("FR:")) {
      EXPECT_TRUE(window.StatusText().contains(" fps DR:")) << window.StatusText().toStdString();
      phase = Phase::kDone;
    }
    return phase == Phase::kDone;
  });
  EXPECT_EQ(phase, Phase::kDone);
  ASSERT_FALSE(stream.Requests().empty());
  EXPECT_TRUE(stream.Requests().front().udp);
  EXPECT_EQ(stream.Requests().front().commands.front(), "Mpeg4");
}

// The stream side for a JPEG session: the clip for "Jpeg" requests (the MPEG-4 one for others),
// a frame every 20 ms for as long as a test runs.
void ServeJpeg(fakes::FakeStreamServer& stream, const std::vector<fakes::ClipFrame>& clip) {
  stream.SetVideoClip(fakes::Mpeg4Clip(fakes::ReadFile(MEDIA_TEST_DATA_DIR "/clip_176x144.m4v")));
  stream.SetJpegClip(clip);
  stream.SetFrameInterval(std::chrono::milliseconds(20));
  stream.SetLoops(1000);
}

// The JPEG clip's pictures at 352 x 288, decoded.
std::vector<Picture> DecodedJpegPictures(const std::vector<fakes::ClipFrame>& clip) {
  std::vector<Picture> pictures;
  for (const fakes::ClipFrame& frame : clip) {
    Picture picture(kJpegFrameSlotBytes);
    EXPECT_EQ(DecodeJpegFrame(frame.elementary, picture, 352, 288), 1);
    picture.resize(352 * 288 * 3);
    pictures.push_back(std::move(picture));
  }
  return pictures;
}

TEST_F(EndToEndTest, JpegOverTcpComesBackAfterTheServerEndsTheStream) {
  const auto clip = fakes::JpegClip(fakes::ReadFile(MEDIA_TEST_DATA_DIR "/clip_352x288.mjpeg"));
  ASSERT_FALSE(clip.empty());
  const std::vector<Picture> pictures = DecodedJpegPictures(clip);
  fakes::FakeStreamServer stream;
  ServeJpeg(stream, clip);
  fakes::FakeVideoServer web;
  web.SetStreamReply(StreamReply(stream.Port()));
  WriteSettings(web.WebPort(), 0, 1);

  enum class Phase { kPicture, kReLogin, kBack, kDone } phase = Phase::kPicture;
  std::uint32_t framesAtReLogin = 0;
  RunProgram([&](CKavelinDlg& window) {
    switch (phase) {
      case Phase::kPicture:
        if (ShowsOneOf(window, pictures, 352, 288)) {
          // The session has run for longer than a short one (which the re-login would first
          // wait after): the re-login starts at once.
          g_lpApp->m_dwSessionStartTick = g_lpApp->m_dwSessionStartTick.load() - kShortSessionMs;
          stream.EndStreams();
          phase = Phase::kReLogin;
        }
        break;
      case Phase::kReLogin:
        if (web.RequestsTo("/Login.cgi").size() >= 2) {
          framesAtReLogin = g_lpApp->m_dwDisplayedFrames.load();
          phase = Phase::kBack;
        }
        break;
      case Phase::kBack:
        if (stream.Requests().size() >= 2 &&
            g_lpApp->m_dwDisplayedFrames.load() > framesAtReLogin + 5 &&
            g_lpApp->m_bConnected.load() != 0 && ShowsOneOf(window, pictures, 352, 288)) {
          phase = Phase::kDone;
        }
        break;
      case Phase::kDone:
        break;
    }
    return phase == Phase::kDone;
  });
  EXPECT_EQ(phase, Phase::kDone);
  ASSERT_GE(stream.Requests().size(), 2u);
  for (const auto& request : stream.Requests()) {
    EXPECT_FALSE(request.udp);
    EXPECT_EQ(request.commands.front(), "Jpeg");
  }
  EXPECT_EQ(web.RequestsTo("/Login.cgi").size(), 2u);
  EXPECT_EQ(m_login->Runs(), 1);
}

// Every status text the window paints, in order: a text replaced before the next paint was
// never shown. Read on the GUI thread, looked at from the fake server's.
class ShownTexts final : public QObject {
 public:
  explicit ShownTexts(CKavelinDlg& window) : m_window(&window) {
    Note();
    window.installEventFilter(this);
  }
  ~ShownTexts() override {
    if (m_window)
      m_window->removeEventFilter(this);
  }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint)
      Note();
    return false;
  }
  std::vector<std::string> Texts() const {
    const std::lock_guard lock(m_lock);
    return m_texts;
  }
  std::size_t Count(const std::string& text) const {
    const auto texts = Texts();
    return static_cast<std::size_t>(std::count(texts.begin(), texts.end(), text));
  }

 private:
  void Note() {
    const std::string text = m_window->StatusText().toStdString();
    const std::lock_guard lock(m_lock);
    if (!text.empty() && (m_texts.empty() || m_texts.back() != text))
      m_texts.push_back(text);
  }
  QPointer<CKavelinDlg> m_window;  // the window ends before the test does
  mutable std::mutex m_lock;
  std::vector<std::string> m_texts;
};

// A UDP stream whose frames never complete is given up after 10 s of the engine's clock; the
// re-login, once refused and then accepted, asks for the stream over TCP. Every text the status
// line shows on the way follows what happens: the re-login's own texts, its last "Start login"
// staying while the stream starts, until the rates replace it.
TEST_F(EndToEndTest, UdpGivenUpLogsInAgainOverTcpAndTheStatusLineFollows) {
  platform::testing::ManualClock clock(1000000);
  app::SetClock(&clock);
  const auto clip = fakes::JpegClip(fakes::ReadFile(MEDIA_TEST_DATA_DIR "/clip_352x288.mjpeg"));
  ASSERT_FALSE(clip.empty());
  const std::vector<Picture> pictures = DecodedJpegPictures(clip);
  fakes::FakeStreamServer stream;
  ServeJpeg(stream, clip);
  // Over UDP every third packet is lost: no frame completes.
  fakes::StreamFaults lossy;
  lossy.udpOnly = true;
  for (std::uint32_t packet = 1; packet < 60000; packet += 3)
    lossy.drop.insert(packet);
  stream.SetFaults(lossy);
  fakes::FakeVideoServer web;
  web.SetStreamReply(StreamReply(stream.Port()));
  std::unique_ptr<ShownTexts> shown;
  std::atomic<ShownTexts*> watching{nullptr};  // the same, for the fake server's thread
  // Logins: the login window's is accepted, the re-login's first refused; its second is
  // answered once the status line has shown "Start login" again.
  std::atomic<int> logins{0};
  web.SetLoginCheck([&](const std::string&, const std::string&) {
    const int n = ++logins;
    if (n == 2)
      return false;
    if (n == 3)
      fakes::WaitUntil([&] {
        const ShownTexts* texts = watching.load();
        return texts != nullptr && texts->Count("Start login") >= 2;
      });
    return true;
  });
  WriteSettings(web.WebPort(), 0, 0);

  // Lets the engine's clock run to the time-out the re-login waits for; false while it is not
  // waiting yet (the step is tried again on the next round).
  const auto nextTimeOut = [&] {
    const std::optional<std::uint32_t> next = clock.NextTimeout();
    if (next)
      clock.Advance(std::max(*next, 1u));
    return next.has_value();
  };
  enum class Phase { kUdp, kReLogin, kFailed, kElapsed, kRetry, kPicture, kRates, kDone };
  Phase phase = Phase::kUdp;
  const auto last = [&] {
    const auto texts = shown->Texts();
    return texts.empty() ? std::string() : texts.back();
  };
  RunProgram([&](CKavelinDlg& window) {
    if (!shown) {
      shown = std::make_unique<ShownTexts>(window);
      watching = shown.get();
    }
    switch (phase) {
      case Phase::kUdp:
        // Once the receiver assembles (and gives frames up), its time runs out.
        if (g_lpApp->m_dwLostPackets.load() > 0 && last() == "Start to get image!!") {
          clock.Advance(10001);  // the receiver gives UDP up after 10 s without a frame
          phase = Phase::kReLogin;
        }
        break;
      case Phase::kReLogin:  // the 2 s pause after the refused attempt
        if (last() == "Start login" && logins.load() == 2 && nextTimeOut())
          phase = Phase::kFailed;
        break;
      case Phase::kFailed:  // the back-off
        if (last() == "Login process is failed,wait a moment !!" && nextTimeOut())
          phase = Phase::kElapsed;
        break;
      case Phase::kElapsed:  // the 4 s pause
        if (last() == "ESCAPED TIME:  00:02" && nextTimeOut())
          phase = Phase::kRetry;
        break;
      case Phase::kRetry:
        if (stream.Requests().size() >= 2 && !stream.Requests().back().udp)
          phase = Phase::kPicture;
        break;
      case Phase::kPicture:
        if (ShowsOneOf(window, pictures, 352, 288)) {
          EXPECT_EQ(window.StatusText().toStdString(), "Start login");
          clock.Advance(2000);  // two seconds of measuring
          phase = Phase::kRates;
        }
        break;
      case Phase::kRates:
        if (last().rfind("FR:", 0) == 0)
          phase = Phase::kDone;
        break;
      case Phase::kDone:
        break;
    }
    return phase == Phase::kDone;
  });
  app::SetClock(nullptr);
  EXPECT_EQ(phase, Phase::kDone);
  ASSERT_NE(shown, nullptr);
  auto texts = shown->Texts();
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts.back().substr(0, 3), "FR:");
  texts.back() = "FR:";
  EXPECT_EQ(texts, (std::vector<std::string>{"Start to get image!!", "Start login",
                                             "Login process is failed,wait a moment !!",
                                             "ESCAPED TIME:  00:02", "Start login", "FR:"}));
  const auto requests = stream.Requests();
  ASSERT_GE(requests.size(), 2u);
  EXPECT_TRUE(requests.front().udp);
  EXPECT_FALSE(requests.back().udp);
  EXPECT_EQ(requests.back().commands.front(), "Jpeg");
  EXPECT_EQ(logins.load(), 3);
  watching = nullptr;
  shown.reset();
}

// A normal stream reply, but MPEG-4 pictures whose VOL says 1280 x 720, more than the decoder
// takes: the message once, the session ends, and the login window opens again (where the next
// login is refused, so the program ends there).
TEST_F(EndToEndTest, PictureTheClientCannotShowInTheStreamEndsTheSessionForTheLoginWindow) {
  // The headers of a 1280 x 720 I-VOP (visual object sequence, visual object, video object, its
  // VOL, a GOV), the VOP start code and the start of the VOP.
  const fakes::ByteVector vol1280 = {
      0x00, 0x00, 0x01, 0xB0, 0x01, 0x00, 0x00, 0x01, 0xB5, 0x89, 0x13, 0x00, 0x00, 0x01, 0x00,
      0x00, 0x00, 0x01, 0x20, 0x00, 0xC4, 0x8D, 0x88, 0x00, 0xCD, 0x28, 0x04, 0x5A, 0x14, 0x43,
      0x00, 0x00, 0x01, 0xB3, 0x00, 0x10, 0x07, 0x00, 0x00, 0x01, 0xB6, 0x10, 0x63, 0x00};
  std::vector<fakes::ClipFrame> clip(4);
  for (std::uint32_t i = 0; i < clip.size(); ++i) {
    clip[i].elementary = vol1280;
    clip[i].key = true;
    clip[i].pts = 3003u * i;
    clip[i].frame = fakes::BuildFrame(fakes::kStreamIdMpeg4, clip[i].pts, vol1280, 32, false);
  }
  fakes::FakeStreamServer stream;
  stream.SetVideoClip(clip);
  stream.SetFrameInterval(std::chrono::milliseconds(20));
  stream.SetLoops(1000);
  fakes::FakeVideoServer web;
  web.SetStreamReply(StreamReply(stream.Port()));
  std::atomic<int> logins{0};
  web.SetLoginCheck([&](const std::string&, const std::string&) { return ++logins == 1; });
  WriteSettings(web.WebPort(), 4, 1);

  RunProgram([](CKavelinDlg&) { return false; });  // the window closes by itself
  ASSERT_EQ(m_box->Count(), 1u);
  EXPECT_EQ(m_box->Shown()[0].text,
            "The video server sends a picture of 1280 x 720, which this program cannot show.");
  EXPECT_EQ(m_login->Runs(), 2);
  EXPECT_EQ(logins.load(), 2);
  EXPECT_FALSE(stream.Requests().empty());
}

// A JPEG stream where every other picture's own header says 65535 x 65535: those pictures are
// dropped without a word, the session stays, and the pictures of the session's size show.
TEST_F(EndToEndTest, JpegPicturesOfAnotherSizeAreDroppedAndTheSessionStays) {
  auto clip = fakes::JpegClip(fakes::ReadFile(MEDIA_TEST_DATA_DIR "/clip_352x288.mjpeg"));
  ASSERT_GE(clip.size(), 2u);
  const std::vector<Picture> pictures = DecodedJpegPictures(clip);
  std::vector<Picture> shownPictures;
  for (std::size_t n = 0; n < clip.size(); ++n) {
    fakes::ClipFrame& frame = clip[n];
    if (n % 2 == 0) {
      shownPictures.push_back(pictures[n]);
      continue;
    }
    for (std::size_t i = 0; i + 9 < frame.elementary.size(); ++i) {
      if (frame.elementary[i] == 0xFF && frame.elementary[i + 1] == 0xC0) {
        std::fill_n(frame.elementary.begin() + static_cast<std::ptrdiff_t>(i + 5), 4, 0xFF);
        break;
      }
    }
    frame.frame = fakes::BuildFrame(fakes::kStreamIdJpeg, frame.pts, frame.elementary,
                                    kJpegPictureOffset, true);
  }
  fakes::FakeStreamServer stream;
  ServeJpeg(stream, clip);
  fakes::FakeVideoServer web;
  web.SetStreamReply(StreamReply(stream.Port()));
  WriteSettings(web.WebPort(), 0, 1);

  RunProgram([&](CKavelinDlg& window) {
    return g_lpApp->m_dwDisplayedFrames.load() > 5 && ShowsOneOf(window, shownPictures, 352, 288);
  });
  EXPECT_EQ(m_box->Count(), 0u);
  EXPECT_EQ(m_login->Runs(), 1);
  EXPECT_EQ(web.RequestsTo("/Login.cgi").size(), 1u);
  EXPECT_EQ(stream.Requests().size(), 1u);
}

// The MPEG-4 clip at 176 x 144 and every picture of it, decoded in order.
std::vector<Picture> DecodedPictures(const std::vector<fakes::ClipFrame>& clip) {
  std::vector<Picture> pictures;
  CMpeg4DecoderContext reference;
  EXPECT_EQ(reference.AllocateBuffers(), 1);
  EXPECT_TRUE(reference.Open(176, 144, 0));
  for (const fakes::ClipFrame& frame : clip) {
    Picture picture(176 * 144 * 3);
    EXPECT_TRUE(reference.DecodeFrame(
        frame.frame.data(), static_cast<std::uint32_t>(frame.frame.size()), 1, 0, 0, 176, 144));
    EXPECT_EQ(reference.CopyImage(picture), 1);
    pictures.push_back(std::move(picture));
  }
  return pictures;
}

// AV SWITCH pressed twice within seconds, the server up: each press ends the streams on purpose
// and the re-login logs in again at once, never after the waits of a lost server, so the status
// line never says that the login failed.
TEST_F(EndToEndTest, AvSwitchTwiceInARowLogsInAgainAtOnceEachTime) {
  const auto clip = fakes::Mpeg4Clip(fakes::ReadFile(MEDIA_TEST_DATA_DIR "/clip_176x144.m4v"));
  const std::vector<Picture> pictures = DecodedPictures(clip);
  fakes::FakeStreamServer stream;
  stream.SetVideoClip(clip);
  stream.SetLoops(1000);
  stream.SetFrameInterval(std::chrono::milliseconds(33));
  fakes::FakeVideoServer web;
  web.SetStreamReply(StreamReply(stream.Port()));
  WriteSettings(web.WebPort(), 4, 0);
  const QString failed = QString::fromStdString(ShowStatusText(kStatusFailed, 0).value_or(""));
  ASSERT_FALSE(failed.isEmpty());

  enum class Phase { kPicture, kFirstSwitch, kSecondSwitch, kDone } phase = Phase::kPicture;
  bool toldFailed = false;
  const auto press = [](CKavelinDlg& window) {
    QTest::mouseClick(window.Button(IDC_AV_SWITCH), Qt::LeftButton);
  };
  RunProgram([&](CKavelinDlg& window) {
    toldFailed = toldFailed || window.StatusText() == failed;
    switch (phase) {
      case Phase::kPicture:
        if (ShowsOneOf(window, pictures, 176, 144)) {
          press(window);
          phase = Phase::kFirstSwitch;
        }
        break;
      case Phase::kFirstSwitch:
        // The switched session runs: logged in again and its video arrives.
        if (web.RequestsTo("/Login.cgi").size() >= 2 && stream.Requests().size() >= 2 &&
            g_lpApp->m_bAvSwitched.load() == 0 && g_lpApp->m_bStreamsStarted.load() != 0) {
          press(window);
          phase = Phase::kSecondSwitch;
        }
        break;
      case Phase::kSecondSwitch:
        if (web.RequestsTo("/Login.cgi").size() >= 3 && g_lpApp->m_bAvSwitched.load() == 0) {
          EXPECT_EQ(g_lpApp->m_SettingINI.m_byAvSwitchOption, 2);
          phase = Phase::kDone;
        }
        break;
      case Phase::kDone:
        break;
    }
    return phase == Phase::kDone;
  });
  EXPECT_EQ(phase, Phase::kDone);
  EXPECT_FALSE(toldFailed);
  EXPECT_EQ(m_box->Count(), 0u);
}

TEST_F(EndToEndTest, DisconnectStopsTheStreamsAndConnectLogsInAgain) {
  const auto clip = fakes::Mpeg4Clip(fakes::ReadFile(MEDIA_TEST_DATA_DIR "/clip_176x144.m4v"));
  ASSERT_FALSE(clip.empty());
  const std::vector<Picture> pictures = DecodedPictures(clip);
  fakes::FakeStreamServer stream;
  stream.SetVideoClip(clip);
  stream.SetFrameInterval(std::chrono::milliseconds(20));
  stream.SetLoops(1000);
  fakes::FakeVideoServer web;
  web.SetStreamReply(StreamReply(stream.Port()));
  WriteSettings(web.WebPort(), 4, 0);

  enum class Phase { kPicture, kDisconnecting, kQuiet, kConnecting, kDone } phase = Phase::kPicture;
  std::uint32_t framesAtRest = 0;
  int quietSteps = 0;
  std::size_t requestsBefore = 0;
  RunProgram([&](CKavelinDlg& window) {
    switch (phase) {
      case Phase::kPicture:
        if (ShowsOneOf(window, pictures, 176, 144)) {
          QTest::mouseClick(window.Button(IDC_CONNECT), Qt::LeftButton);
          EXPECT_EQ(window.StatusText(), "DISCONNECT!!");
          EXPECT_EQ(window.Button(IDC_CONNECT)->CurrentState(), 1);
          phase = Phase::kDisconnecting;
        }
        break;
      case Phase::kDisconnecting:
        if (!window.IsWaiting()) {
          EXPECT_EQ(g_lpApp->m_bConnected.load(), 0u);
          framesAtRest = g_lpApp->m_dwDisplayedFrames.load();
          phase = Phase::kQuiet;
        }
        break;
      case Phase::kQuiet:
        // A quarter of a second without a frame, then CONNECT.
        EXPECT_EQ(g_lpApp->m_dwDisplayedFrames.load(), framesAtRest);
        EXPECT_EQ(window.StatusText(), "DISCONNECT!!");
        if (++quietSteps == 12) {
          requestsBefore = web.Requests().size();
          QTest::mouseClick(window.Button(IDC_CONNECT), Qt::LeftButton);
          EXPECT_EQ(window.Button(IDC_CONNECT)->CurrentState(), 0);
          phase = Phase::kConnecting;
        }
        break;
      case Phase::kConnecting:
        if (g_lpApp->m_bConnected.load() != 0 && stream.Requests().size() >= 2 &&
            g_lpApp->m_dwDisplayedFrames.load() > 5 && ShowsOneOf(window, pictures, 176, 144)) {
          phase = Phase::kDone;
        }
        break;
      case Phase::kDone:
        break;
    }
    return phase == Phase::kDone;
  });
  EXPECT_EQ(phase, Phase::kDone);
  // After CONNECT: a login, then the stream request.
  std::vector<std::string> after;
  const auto requests = web.Requests();
  for (std::size_t i = requestsBefore; i < requests.size(); ++i)
    after.push_back(requests[i].path);
  ASSERT_GE(after.size(), 2u);
  EXPECT_EQ(after[0], "/Login.cgi");
  EXPECT_EQ(after[1], "/RequestStream.cgi");
}

TEST_F(EndToEndTest, RecordWritesARecordFileThatReadsBack) {
  const auto clip = fakes::Mpeg4Clip(fakes::ReadFile(MEDIA_TEST_DATA_DIR "/clip_176x144.m4v"));
  ASSERT_FALSE(clip.empty());
  const std::vector<Picture> pictures = DecodedPictures(clip);
  fakes::FakeStreamServer stream;
  stream.SetVideoClip(clip);
  stream.SetFrameInterval(std::chrono::milliseconds(20));
  stream.SetLoops(1000);
  fakes::FakeVideoServer web;
  web.SetStreamReply(StreamReply(stream.Port()));
  WriteSettings(web.WebPort(), 4, 0);

  enum class Phase { kPicture, kRecording, kDone } phase = Phase::kPicture;
  std::uint32_t framesAtStart = 0;
  std::string file;
  RunProgram([&](CKavelinDlg& window) {
    if (phase == Phase::kPicture && ShowsOneOf(window, pictures, 176, 144)) {
      QTest::mouseClick(window.Button(IDC_RECORD), Qt::LeftButton);
      EXPECT_EQ(window.Button(IDC_RECORD)->toolTip(), "RECORDING");
      EXPECT_EQ(window.Button(IDC_RECORD)->CurrentState(), 1);
      framesAtStart = g_lpApp->m_dwDisplayedFrames.load();
      phase = Phase::kRecording;
    } else if (phase == Phase::kRecording &&
               g_lpApp->m_dwDisplayedFrames.load() > framesAtStart + 40) {
      QTest::mouseClick(window.Button(IDC_RECORD), Qt::LeftButton);
      EXPECT_EQ(window.Button(IDC_RECORD)->toolTip(), "RECORD");
      EXPECT_EQ(window.Button(IDC_RECORD)->CurrentState(), 0);
      EXPECT_FALSE(g_lpApp->m_UserRecord.HasOpenFile());
      file = g_lpApp->m_UserRecord.LastFileName();
      phase = Phase::kDone;
    }
    return phase == Phase::kDone;
  });
  ASSERT_EQ(phase, Phase::kDone);
  std::ifstream in(file, std::ios::binary);
  ASSERT_TRUE(in) << file;
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
  Vs4ReadError error{};
  const auto record = ReadVs4(bytes, &error);
  ASSERT_TRUE(record) << Vs4ReadErrorName(error);
  EXPECT_GT(record->frames.size(), 10u);
}

// A server that goes away while its picture shows and comes back: the test ends its streams
// once a picture of the clip is on screen, and the re-login's login is answered only once the
// test has pressed what it presses while the server is gone (Pressed()).
class OutageTest : public EndToEndTest {
 protected:
  OutageTest() {
    stream.SetVideoClip(clip);
    stream.SetFrameInterval(std::chrono::milliseconds(20));
    stream.SetLoops(1000);
    web.SetStreamReply(StreamReply(stream.Port()));
    web.SetLoginCheck([this](const std::string&, const std::string&) {
      if (++logins == 2)
        fakes::WaitUntil([this] { return pressed.load(); });
      return true;
    });
  }
  void SetUp() override {
    EndToEndTest::SetUp();
    ASSERT_FALSE(clip.empty());
    WriteSettings(web.WebPort(), 4, 1);
  }
  bool ShowsTheClip(CKavelinDlg& window) const { return ShowsOneOf(window, pictures, 176, 144); }
  // The re-login waits for its login: the server is gone.
  bool ServerGone() const { return logins.load() == 2; }
  void Pressed() { pressed = true; }
  // The session after the re-login shows the clip again.
  bool ServerBack(CKavelinDlg& window) const {
    return stream.Requests().size() >= 2 && g_lpApp->m_bConnected.load() != 0 &&
           ShowsTheClip(window);
  }

  const std::vector<fakes::ClipFrame> clip =
      fakes::Mpeg4Clip(fakes::ReadFile(MEDIA_TEST_DATA_DIR "/clip_176x144.m4v"));
  const std::vector<Picture> pictures = DecodedPictures(clip);
  fakes::FakeStreamServer stream;
  fakes::FakeVideoServer web;

 private:
  std::atomic<int> logins{0};
  std::atomic<bool> pressed{false};
};

// RECORD pressed while the server is gone, once or twice, perhaps on a record that ran when the
// server went; then the session comes back and runs a while. Through the re-login the button
// shows whether a record is open; what the button and the user recorder show at the end, and
// the record file the presses made (or the one that ran).
class OutageRecordTest : public OutageTest {
 protected:
  struct Outcome {
    int buttonState = -1;
    bool fileOpen = true;
    bool fileLeft = false;  // a record of no frame leaves no file
    std::optional<Vs4File> record;
  };
  Outcome Run(int pressesDuringOutage, bool recordingWhenTheServerGoes = false) {
    enum class Phase {
      kPicture,
      kRecording,
      kReLogin,
      kBack,
      kRunning,
      kDone
    } phase = Phase::kPicture;
    std::uint32_t framesAtRecord = 0;
    std::uint32_t framesAtBack = 0;
    Outcome outcome;
    std::string file;
    const auto expectFace = [](CKavelinDlg& window, bool open) {
      const QString label = ui::LoadString(IDC_RECORD);
      EXPECT_EQ(g_lpApp->m_UserRecord.HasOpenFile(), open);
      EXPECT_EQ(window.Button(IDC_RECORD)->CurrentState(), open ? 1 : 0);
      EXPECT_EQ(window.Button(IDC_RECORD)->toolTip(),
                open ? ui::SecondWord(label) : ui::FirstWord(label));
    };
    RunProgram([&](CKavelinDlg& window) {
      switch (phase) {
        case Phase::kPicture:
          if (ShowsTheClip(window)) {
            if (recordingWhenTheServerGoes) {
              QTest::mouseClick(window.Button(IDC_RECORD), Qt::LeftButton);
              file = g_lpApp->m_UserRecord.LastFileName();
              framesAtRecord = g_lpApp->m_dwDisplayedFrames.load();
            }
            phase = Phase::kRecording;
          }
          break;
        case Phase::kRecording:
          if (!recordingWhenTheServerGoes ||
              g_lpApp->m_dwDisplayedFrames.load() > framesAtRecord + 20) {
            stream.EndStreams();
            phase = Phase::kReLogin;
          }
          break;
        case Phase::kReLogin:
          if (ServerGone()) {
            ProcessEvents();  // what the re-login queued for the window
            bool open = recordingWhenTheServerGoes;
            for (int i = 0; i < pressesDuringOutage; ++i) {
              expectFace(window, open);
              QTest::mouseClick(window.Button(IDC_RECORD), Qt::LeftButton);
              open = !open;
            }
            expectFace(window, open);
            EXPECT_EQ(m_box->Count(), 0u);
            file = g_lpApp->m_UserRecord.LastFileName();
            Pressed();
            phase = Phase::kBack;
          }
          break;
        case Phase::kBack:
          if (ServerBack(window)) {
            framesAtBack = g_lpApp->m_dwDisplayedFrames.load();
            phase = Phase::kRunning;
          }
          break;
        case Phase::kRunning:
          if (g_lpApp->m_dwDisplayedFrames.load() > framesAtBack + 40) {
            ProcessEvents();  // what the re-login queued for the window
            outcome.buttonState = window.Button(IDC_RECORD)->CurrentState();
            outcome.fileOpen = g_lpApp->m_UserRecord.HasOpenFile();
            // A record still open is stopped as its button stops it.
            if (outcome.fileOpen)
              QTest::mouseClick(window.Button(IDC_RECORD), Qt::LeftButton);
            EXPECT_FALSE(g_lpApp->m_UserRecord.HasOpenFile());
            phase = Phase::kDone;
          }
          break;
        case Phase::kDone:
          break;
      }
      return phase == Phase::kDone;
    });
    EXPECT_EQ(phase, Phase::kDone);
    std::ifstream in(file, std::ios::binary);
    outcome.fileLeft = static_cast<bool>(in);
    if (outcome.fileLeft) {
      const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
      Vs4ReadError error{};
      outcome.record = ReadVs4(bytes, &error);
      EXPECT_TRUE(outcome.record) << Vs4ReadErrorName(error);
    }
    return outcome;
  }
};

// One press: the recording goes on into the session that follows and holds its frames.
TEST_F(OutageRecordTest, RecordPressedDuringTheReLoginRecordsTheNextSessionsFrames) {
  const Outcome outcome = Run(1);
  EXPECT_EQ(outcome.buttonState, 1);
  EXPECT_TRUE(outcome.fileOpen);
  EXPECT_TRUE(outcome.fileLeft);
  ASSERT_TRUE(outcome.record);
  EXPECT_GT(outcome.record->frames.size(), 10u);
  EXPECT_EQ(outcome.record->header.abyServerAddress, (std::array<std::uint8_t, 4>{127, 0, 0, 1}));
  EXPECT_EQ(outcome.record->header.dwFormatTag, kVs4FormatMpeg4);
}

// Pressed and pressed again: the record is finished then (it holds nothing, so no file is
// left), and the session that follows neither shows RECORDING nor records.
TEST_F(OutageRecordTest, RecordStoppedDuringTheReLoginStaysStopped) {
  const Outcome outcome = Run(2);
  EXPECT_EQ(outcome.buttonState, 0);
  EXPECT_FALSE(outcome.fileOpen);
  EXPECT_FALSE(outcome.fileLeft);
}

// A record running when the server goes stays open through the re-login, its button showing
// RECORDING all the while; a press then ends it with the frames recorded before the loss, and the
// session that comes back does not record.
TEST_F(OutageRecordTest, RecordRunningWhenTheServerGoesEndsAtAPressDuringTheReLogin) {
  const Outcome outcome = Run(1, true);
  EXPECT_EQ(outcome.buttonState, 0);
  EXPECT_FALSE(outcome.fileOpen);
  ASSERT_TRUE(outcome.record);
  EXPECT_GT(outcome.record->frames.size(), 10u);
}

// SNAPSHOT pressed while the server is gone (the re-login waits for its login) says the
// connection comes first, as without one, and the session that comes back saves no picture for
// it; pressed in that session, it saves one.
TEST_F(OutageTest, SnapshotDuringTheReLoginIsRefusedAndSavesNothingLater) {
  const std::filesystem::path shots = m_folder / "shots";
  std::filesystem::create_directories(shots);
  const auto shotCount = [&] {
    return std::distance(std::filesystem::directory_iterator(shots),
                         std::filesystem::directory_iterator());
  };

  enum class Phase { kPicture, kReLogin, kBack, kRunning, kShot, kDone } phase = Phase::kPicture;
  std::uint32_t framesAtBack = 0;
  RunProgram([&](CKavelinDlg& window) {
    switch (phase) {
      case Phase::kPicture:
        if (ShowsTheClip(window)) {
          const std::lock_guard lock(g_lpApp->m_SettingINI.m_TextLock);
          g_lpApp->m_SettingINI.m_strSnapshotPath = shots.string() + "/";
          stream.EndStreams();
          phase = Phase::kReLogin;
        }
        break;
      case Phase::kReLogin:
        if (ServerGone()) {
          QTest::mouseClick(window.Button(IDC_SNAPSHOT), Qt::LeftButton);
          EXPECT_EQ(m_box->Count(), 1u);
          EXPECT_EQ(g_lpApp->m_bSnapshotRequest.load(), 0u);
          Pressed();
          phase = Phase::kBack;
        }
        break;
      case Phase::kBack:
        if (ServerBack(window)) {
          framesAtBack = g_lpApp->m_dwDisplayedFrames.load();
          phase = Phase::kRunning;
        }
        break;
      case Phase::kRunning:
        if (g_lpApp->m_dwDisplayedFrames.load() > framesAtBack + 20) {
          EXPECT_EQ(shotCount(), 0);
          QTest::mouseClick(window.Button(IDC_SNAPSHOT), Qt::LeftButton);
          phase = Phase::kShot;
        }
        break;
      case Phase::kShot:
        if (g_lpApp->m_bSnapshotRequest.load() == 0)
          phase = Phase::kDone;
        break;
      case Phase::kDone:
        break;
    }
    return phase == Phase::kDone;
  });
  EXPECT_EQ(phase, Phase::kDone);
  ASSERT_EQ(m_box->Count(), 1u);
  EXPECT_EQ(m_box->Shown()[0].text, ui::LoadString(ui::kMsgConnectFirst).toStdString());
  EXPECT_EQ(shotCount(), 1);
}

}  // namespace
}  // namespace main_window_test
