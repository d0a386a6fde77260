// The live MPEG-4 picture as the program shows it: the fake servers stream the D1 live clip (the
// one vsim serves), and the program's own start-up, receivers, compose and show threads and the
// real main window (offscreen) bring it to the window. Every picture the window paints through
// ShowImage is grabbed from the window and compared with the frame it came from: at least 40 dB
// against ffmpeg's decode of its I-VOP + P-VOP pair, and at least 35 dB against the scene frame
// the clip was encoded from (the fixed quantiser's own loss leaves about 39 dB; a picture
// predicted from another VOP than its I-VOP, as an ordinary stream decoded the device's way
// gives, is near 12 dB). Over UDP and over TCP, until every frame of the clip has been seen.
#include <QApplication>
#include <QImage>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>

#include "app/bmp_writer.h"
#include "app/kernel_threads.h"
#include "app/stream_stand_ins.h"
#include "fakes/clip_pictures.h"
#include "fakes/fake_stream_server.h"
#include "fakes/fake_video_server.h"
#include "fakes/stream_packets.h"
#include "headless_login_window.h"
#include "main_window_fixture.h"
#include "media/media_hooks.h"
#include "media/recording_hooks.h"
#include "platform/testing/fake_message_box.h"
#include "program_seams_test.h"
#include "ui/main/kavelin_main_window.h"

namespace main_window_test {
namespace {

using namespace mainwin;
using SteadyClock = std::chrono::steady_clock;

constexpr int kWidth = 704;
constexpr int kHeight = 576;
constexpr double kLeastPairPsnr = 40.0;
constexpr double kLeastSourcePsnr = 35.0;
constexpr std::size_t kLeastPictures = 40;

// The clip and the pictures it must show, made once for all the tests.
struct LiveClip {
  std::vector<fakes::ClipFrame> frames;
  std::vector<fakes::Picture> source;
  std::vector<fakes::Picture> pairs;
  std::map<std::uint32_t, std::size_t> frameAtTime;  // the show thread's time stamp (ms)
};

const LiveClip& Clip() {
  static const LiveClip clip = [] {
    LiveClip c;
    c.frames = fakes::Mpeg4Clip(fakes::ReadFile(MEDIA_TEST_DATA_DIR "/clip_704x576.m4v"));
    if (const auto source = fakes::ReadClipSource(MEDIA_TEST_DATA_DIR "/clip_704x576.source"))
      c.source = fakes::SourcePictures(*source);
    c.pairs = fakes::PairDecodePictures(c.frames, kWidth, kHeight);
    for (std::size_t i = 0; i < c.frames.size(); ++i)
      c.frameAtTime[c.frames[i].pts / 90] = i;
    return c;
  }();
  return clip;
}

// A window picture (top row first) as a bottom-up blue-green-red picture.
fakes::Picture BottomUpBgr(const QImage& image) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
  fakes::Picture picture;
  picture.reserve(static_cast<std::size_t>(rgb.width()) * rgb.height() * 3);
  for (int y = rgb.height() - 1; y >= 0; --y) {
    const uchar* row = rgb.constScanLine(y);
    for (int x = 0; x < rgb.width(); ++x) {
      picture.push_back(row[3 * x + 2]);
      picture.push_back(row[3 * x + 1]);
      picture.push_back(row[3 * x]);
    }
  }
  return picture;
}

struct ShownPicture {
  std::uint32_t time = 0;  // the frame's time stamp as the show thread handed it on
  fakes::Picture picture;
};

// Stands between the engine and the main window's sink: after each ShowImage it has the window
// grab its video rectangle on the GUI thread, and waits for that grab before the next picture can
// come (so the grab shows the picture just painted), while it is collecting.
class GrabbingSink final : public platform::IMainWindowSink {
 public:
  explicit GrabbingSink(std::shared_ptr<CMainWindowSink> inner) : m_inner(std::move(inner)) {}

  void StopCollecting() {
    const std::lock_guard lock(m_lock);
    m_collecting = false;
    m_changed.notify_all();
  }
  std::vector<ShownPicture> Take() {
    const std::lock_guard lock(m_lock);
    return std::exchange(m_shown, {});
  }

  void ShowImage() override {
    // The window paints the picture into its video rectangle only while connected and not in
    // full screen; other calls leave the rectangle as it was.
    const bool paints =
        g_lpApp && g_lpApp->m_bConnected.load() != 0 && g_lpApp->m_bFullScreen.load() == 0;
    const std::uint32_t time = g_lpApp ? g_lpApp->m_dwVideoTime.load() : 0;
    m_inner->ShowImage();
    std::unique_lock lock(m_lock);
    if (!m_collecting || !paints)
      return;
    const auto grabbed = std::make_shared<bool>(false);
    m_inner->Queue([this, time, grabbed](CKavelinDlg& window) {
      ShownPicture shown{time, BottomUpBgr(window.grab(window.VideoRect()).toImage())};
      const std::lock_guard guard(m_lock);
      m_shown.push_back(std::move(shown));
      *grabbed = true;
      m_changed.notify_all();
    });
    // Bounded: a window that goes meanwhile drops the queued grab.
    m_changed.wait_for(lock, std::chrono::seconds(5), [&] { return *grabbed || !m_collecting; });
    if (!*grabbed)
      m_collecting = false;
  }
  void ShowStatusText(const std::string& text) override { m_inner->ShowStatusText(text); }
  void ClearStatusText() override { m_inner->ClearStatusText(); }
  void ArrangeControls() override { m_inner->ArrangeControls(); }
  void RefreshPanelButtons() override { m_inner->RefreshPanelButtons(); }
  void ExitFullScreen() override { m_inner->ExitFullScreen(); }
  int ApplyResolutionMode(int mode) override { return m_inner->ApplyResolutionMode(mode); }
  void ModifyMainDialogSize() override { m_inner->ModifyMainDialogSize(); }
  void SetConnectButtonState(int state) override { m_inner->SetConnectButtonState(state); }
  void SetRecordButtonState(int state) override { m_inner->SetRecordButtonState(state); }
  void SetRecordToolTip(const std::string& text) override { m_inner->SetRecordToolTip(text); }
  void RefreshRecordButton() override { m_inner->RefreshRecordButton(); }
  void ShowStreamTimeControl(bool show) override { m_inner->ShowStreamTimeControl(show); }
  void CloseConfigSheet() override { m_inner->CloseConfigSheet(); }
  void SnapshotNotTaken() override { m_inner->SnapshotNotTaken(); }

 private:
  std::shared_ptr<CMainWindowSink> m_inner;
  std::mutex m_lock;
  std::condition_variable m_changed;
  bool m_collecting = true;
  std::vector<ShownPicture> m_shown;
};

class LivePictureTest : public ProgramSeamsTest<::testing::TestWithParam<bool>> {
 protected:
  LivePictureTest() : ProgramSeamsTest(QRect(0, 0, 1280, 1024)) {}

  // Start-up with MPEG-4 over the transport of the test's parameter (UDP when true), until the
  // window has painted every frame of the clip at least once and kLeastPictures in all.
  std::vector<ShownPicture> ShowTheClip() {
    const LiveClip& clip = Clip();
    fakes::FakeStreamServer stream(std::chrono::seconds(120));
    stream.SetVideoClip(clip.frames);
    stream.SetFrameInterval(std::chrono::milliseconds(40));
    stream.SetLoops(1000);
    fakes::FakeVideoServer web(std::chrono::seconds(120));
    web.SetStreamReply(
        "VIDEO-FORMAT=4;USER-LEVEL=30;LIFE-TIME=-1;DEVICE-ID0=1;DEVICE-TYPE0=2;BAUD-RATE0=9600;"
        "DEVICE-ID1=2;DEVICE-TYPE1=8;BAUD-RATE1=4800;MPEG4-WIDTH=704;MPEG4-HEIGHT=576;"
        "JPEG-WIDTH=352;JPEG-HEIGHT=288;STREAM-PORT=" +
        std::to_string(stream.Port()) + ";");
    fakes::TempFolder::Write(
        m_folder / "Setting.ini",
        "[ZRC604]\nServer Name=127.0.0.1\nServerPort=" + std::to_string(web.WebPort()) +
            "\nAvSwitch Option=1\nSelected Channel=1\nDecode Type=4\n"
            "Transmission Type=" +
            (GetParam() ? "0" : "1") + "\n");

    std::shared_ptr<GrabbingSink> grabber;
    std::vector<ShownPicture> shown;
    std::set<std::size_t> seen;
    const auto deadline = SteadyClock::now() + std::chrono::seconds(90);
    bool finished = false;
    QTimer timer;
    timer.setInterval(20);
    QObject::connect(&timer, &QTimer::timeout, [&] {
      CKavelinDlg* window = nullptr;
      for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* main = qobject_cast<CKavelinDlg*>(widget); main && main->isVisible())
          window = main;
      }
      if (window == nullptr || finished || !window->Sink())
        return;
      if (!grabber) {
        grabber = std::make_shared<GrabbingSink>(window->Sink());
        app::SetMainWindowSink(grabber);
        return;
      }
      for (ShownPicture& picture : grabber->Take()) {
        if (const auto found = clip.frameAtTime.find(picture.time); found != clip.frameAtTime.end())
          seen.insert(found->second);
        shown.push_back(std::move(picture));
      }
      const bool done = seen.size() == clip.frames.size() && shown.size() >= kLeastPictures;
      if (done || SteadyClock::now() > deadline) {
        finished = true;
        grabber->StopCollecting();
        platform::PostMessage(window->Handle(), WM_LIFETIMEUP, 0, 0);
      }
    });
    timer.start();
    EXPECT_EQ(theApp.InitInstance(), 0);
    timer.stop();
    theApp.ExitInstance();
    EXPECT_EQ(seen.size(), clip.frames.size()) << "frames of the clip painted";
    const auto requests = stream.Requests();
    EXPECT_FALSE(requests.empty());
    if (!requests.empty()) {
      EXPECT_EQ(requests.front().udp, GetParam());
      EXPECT_EQ(requests.front().commands.front(), "Mpeg4");
    }
    return shown;
  }
};

TEST_P(LivePictureTest, EveryPaintedPictureIsTheSourceFrameItCameFrom) {
  const LiveClip& clip = Clip();
  ASSERT_EQ(clip.frames.size(), 30u);
  ASSERT_EQ(clip.source.size(), clip.frames.size()) << "ffmpeg is needed for the source frames";
  ASSERT_EQ(clip.pairs.size(), clip.frames.size()) << "ffmpeg is needed for the pair decodes";
  const std::vector<ShownPicture> shown = ShowTheClip();
  ASSERT_GE(shown.size(), kLeastPictures);

  double leastSource = 99;
  double leastPair = 99;
  std::set<std::size_t> failed;  // frames of the clip, reported once each
  for (const ShownPicture& picture : shown) {
    const auto found = clip.frameAtTime.find(picture.time);
    ASSERT_NE(found, clip.frameAtTime.end()) << "time stamp " << picture.time;
    const std::size_t i = found->second;
    ASSERT_EQ(picture.picture.size(), clip.source[i].size());
    const double source = fakes::PicturePsnr(picture.picture, clip.source[i]);
    const double pair = fakes::PicturePsnr(picture.picture, clip.pairs[i]);
    leastSource = std::min(leastSource, source);
    leastPair = std::min(leastPair, pair);
    if ((source < kLeastSourcePsnr || pair < kLeastPairPsnr) && failed.insert(i).second) {
      ADD_FAILURE() << "frame " << i << (clip.frames[i].key ? " (I-VOP)" : " (P-VOP)") << ": "
                    << source << " dB against its source frame, " << pair
                    << " dB against ffmpeg's decode of its I-VOP + P-VOP pair";
    }
  }
  std::printf(
      "%zu pictures painted; lowest PSNR %.2f dB against the source frames, %.2f dB "
      "against ffmpeg's pair decodes\n",
      shown.size(), leastSource, leastPair);
}

// The readers of the source list and of snapshot files refuse what they cannot stand behind.
TEST(ClipPictureFiles, SourceListsAndBmpFiles) {
  const fakes::TempFolder folder;
  const struct {
    const char* text;
    bool good;
  } lists[] = {
      {"# comment\ngraph testsrc2=size=96x32\nsize 64x32\nvop 0 0\nvop 1 32\n", true},
      {"size 64x32\nvop 0 0\n", false},                     // no graph
      {"graph g\nsize 64x32\n", false},                     // no VOP
      {"graph g\nsize 63x32\nvop 0 0\n", false},            // odd width
      {"graph g\nsize 64-32\nvop 0 0\n", false},            // not a size
      {"graph g\nsize 64x32\nvop 0 3\n", false},            // odd left edge
      {"graph g\nsize 64x32\nvop -1 0\n", false},           // negative frame
      {"graph g\nsize 64x32\nvop 0\n", false},              // short line
      {"graph g\nsize 64x32\nvop 0 0\nframes 3\n", false},  // unknown key
  };
  for (const auto& list : lists) {
    SCOPED_TRACE(list.text);
    fakes::TempFolder::Write(folder / "clip.source", list.text);
    EXPECT_EQ(fakes::ReadClipSource((folder / "clip.source").string()).has_value(), list.good);
  }
  const auto source = fakes::ReadClipSource((folder / "missing.source").string());
  EXPECT_FALSE(source.has_value());

  fakes::Picture picture(5 * 3 * 3);
  for (std::size_t i = 0; i < picture.size(); ++i)
    picture[i] = static_cast<std::uint8_t>(i * 7);
  const std::vector<std::uint8_t> bmp = EncodeBmp24(picture, 5, 3).value();
  const auto write = [&](const std::vector<std::uint8_t>& bytes) {
    fakes::TempFolder::Write(folder / "shot.bmp", std::string(bytes.begin(), bytes.end()));
    int width = 0;
    int height = 0;
    return fakes::ReadBmpPicture((folder / "shot.bmp").string(), &width, &height);
  };
  EXPECT_EQ(write(bmp), picture);  // the padding of each row left out
  EXPECT_FALSE(write(std::vector<std::uint8_t>(bmp.begin(), bmp.end() - 1)));  // truncated
  std::vector<std::uint8_t> other = bmp;
  other[28] = 32;  // 32 bits a pixel
  EXPECT_FALSE(write(other));
  other = bmp;
  other[22] = 0xFF;  // a height past the data
  EXPECT_FALSE(write(other));
  EXPECT_FALSE(write({'B', 'M', 0, 0}));
  EXPECT_DOUBLE_EQ(fakes::PicturePsnr(picture, picture), 99.0);
  EXPECT_DOUBLE_EQ(fakes::PicturePsnr(picture, bmp), 0.0);
}

INSTANTIATE_TEST_SUITE_P(Transports, LivePictureTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Udp" : "Tcp"; });

}  // namespace
}  // namespace main_window_test
