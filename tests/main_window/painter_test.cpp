// The frame painter driven from another thread, as the kernel-message thread drives it; what it
// paints is read back by pixels.
#include <filesystem>
#include <future>
#include <thread>

#include <QImage>
#include <QPainter>

#include "app/app_data.h"
#include "main_window_fixture.h"
#include "platform/testing/manual_clock.h"
#include "ui/main/frame_handoff.h"

namespace main_window_test {
namespace {

using namespace mainwin;

class PainterTest : public MainWindowTest {
 protected:
  // ShowImage on a thread of its own, joined before the result is read.
  int ShowImageFromThread() {
    int result = -1;
    std::thread kernel([&] { result = m_window->Sink() ? (m_window->ShowImage()) : -1; });
    kernel.join();
    return result;
  }
  bool FinishSetAndReset() { return g_lpApp->FinishShowImageJobEvent->Wait(0); }
};

TEST(FrameConversion, RowsTurnedAndBytesSwappedAtAnyWidth) {
  for (const auto& [width, height] : {std::pair{1, 1},
                                      {1, 3},
                                      {3, 2},
                                      {5, 4},
                                      {6, 2},
                                      {7, 2},
                                      {9, 2},
                                      {10, 1},
                                      {11, 2},
                                      {14, 1},
                                      {17, 3},
                                      {18, 2},
                                      {23, 3},
                                      {26, 2},
                                      {704, 2},
                                      {705, 2}}) {
    SCOPED_TRACE(testing::Message() << width << "x" << height);
    std::vector<std::uint8_t> picture(static_cast<std::size_t>(width) * height * 3);
    for (std::size_t i = 0; i < picture.size(); ++i)
      picture[i] = static_cast<std::uint8_t>(i * 7 + 1);
    QImage image;
    ASSERT_TRUE(ConvertBottomUpBgr(picture, width, height, image));
    ASSERT_EQ(image.size(), QSize(width, height));
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const std::uint8_t* px =
            picture.data() + (static_cast<std::size_t>(height - 1 - y) * width + x) * 3;
        EXPECT_EQ(image.pixel(x, y), qRgb(px[2], px[1], px[0])) << x << "," << y;
      }
    }
    // A picture shorter than its size is refused.
    picture.pop_back();
    EXPECT_FALSE(ConvertBottomUpBgr(picture, width, height, image));
  }
  QImage image;
  EXPECT_FALSE(ConvertBottomUpBgr({}, 0, 4, image));
}

TEST_F(PainterTest, ShowsThePictureTopRowFirstInItsColours) {
  CKavelinDlg& window = Open({.width = 352, .height = 240});
  auto picture = CodedPicture(352, 240);
  Hand(picture);
  EXPECT_EQ(ShowImageFromThread(), 1);
  EXPECT_TRUE(FinishSetAndReset());
  ProcessEvents();
  const QRect video = window.VideoRect();
  const QImage shot = Grab();
  for (const QPoint p : {QPoint(0, 0), QPoint(17, 3), QPoint(351, 239), QPoint(200, 100)}) {
    SCOPED_TRACE(testing::Message() << p.x() << "," << p.y());
    EXPECT_EQ(shot.pixelColor(video.topLeft() + p), QColor(0x80, p.y() & 0xFF, p.x() & 0xFF));
  }
}

// A new picture repaints the video rectangle alone, without the skin under the picture or the
// strip's texts: what such a repaint leaves is what a repaint of the whole window shows, for a
// picture that fills the rectangle and one that leaves the skin round it.
TEST_F(PainterTest, RepaintOfThePictureAloneMatchesAWholeRepaint) {
  for (const int part : {1, 2}) {
    CKavelinDlg& window = Open({.width = 352, .height = 240});
    const int width = window.VideoRect().width() / part;
    const int height = window.VideoRect().height() / part;
    SCOPED_TRACE(testing::Message() << width << "x" << height);
    g_lpApp->m_wFrameWidth = static_cast<std::uint16_t>(width);
    g_lpApp->m_wFrameHeight = static_cast<std::uint16_t>(height);
    auto picture = CodedPicture(width, height);
    Hand(picture);
    window.ShowStatusText(QStringLiteral("FR:30.00 fps DR:1000 Kbps"));
    EXPECT_EQ(ShowImageFromThread(), 1);
    EXPECT_TRUE(FinishSetAndReset());
    ProcessEvents();
    // Both start from the same blank picture, for pixels that nothing paints.
    QImage whole(window.size(), QImage::Format_RGB32);
    whole.fill(Qt::black);
    window.render(&whole);
    // Beside a smaller picture the skin shows.
    const QPoint beside = window.VideoRect().bottomRight() - QPoint(3, 3);
    EXPECT_EQ(whole.pixelColor(beside), part == 1
                                            ? QColor(0x80, (height - 4) & 0xFF, (width - 4) & 0xFF)
                                            : Colour("BMP\\N_QVGA_BG.bmp"));
    for (const QRect& area :
         {window.VideoRect().adjusted(-2, -2, 2, 2), window.StripTextArea(), window.rect()}) {
      SCOPED_TRACE(testing::Message()
                   << area.x() << "," << area.y() << " " << area.width() << "x" << area.height());
      QImage repainted = whole.copy();
      QPainter(&repainted).fillRect(area, Qt::black);
      // (The region is drawn at the target offset.)
      window.render(&repainted, area.topLeft(), QRegion(area));
      EXPECT_EQ(repainted, whole);
    }
  }
}

TEST_F(PainterTest, NothingWhileNotConnectedOrInAudioOnly) {
  platform::testing::ManualClock clock(50000);
  app::SetClock(&clock);
  CKavelinDlg& window = Open({.width = 352, .height = 240});
  auto picture = CodedPicture(352, 240);
  Hand(picture);
  g_lpApp->m_bConnected = 0;
  EXPECT_EQ(ShowImageFromThread(), 0);
  EXPECT_TRUE(FinishSetAndReset());
  ProcessEvents();
  const QPoint inside = window.VideoRect().topLeft() + QPoint(10, 10);
  const QColor background = Colour("BMP\\N_QVGA_BG.bmp");
  EXPECT_EQ(Grab().pixelColor(inside), background);

  // Audio only: no picture, but the rates go on.
  g_lpApp->m_bConnected = 1;
  g_lpApp->m_SettingINI.m_byAvSwitchOption = 2;
  g_lpApp->m_dwStreamStartTick = clock.Ticks() - 2500;
  g_lpApp->m_dwDisplayedFrames = 25;
  EXPECT_EQ(ShowImageFromThread(), 1);
  EXPECT_TRUE(FinishSetAndReset());
  ProcessEvents();
  EXPECT_EQ(Grab().pixelColor(inside), background);
  EXPECT_TRUE(window.StatusText().startsWith("FR:10.00 fps")) << window.StatusText().toStdString();
  // A snapshot asked for in audio only stays pending.
  g_lpApp->m_bSnapshotRequest = 1;
  ShowImageFromThread();
  EXPECT_EQ(g_lpApp->m_bSnapshotRequest.load(), 1u);
}

TEST_F(PainterTest, CrossMarksExactlyTheCountedFrames) {
  CKavelinDlg& window = Open({.width = 352, .height = 240, .type1 = 8});
  ASSERT_EQ(g_lpApp->m_byHotPointMode.load(), 2);
  g_lpApp->m_wMarkX = 100;
  g_lpApp->m_wMarkY = 60;
  g_lpApp->m_wMarkCount = 3;
  const QPoint mark = window.VideoRect().topLeft() + QPoint(100, 60);
  for (int frame = 0; frame < 4; ++frame) {
    SCOPED_TRACE(frame);
    auto picture = CodedPicture(352, 240);
    Hand(picture);
    ShowImageFromThread();
    ProcessEvents();
    const QColor at = Grab().pixelColor(mark);
    if (frame < 3) {
      EXPECT_EQ(at, QColor(255, 0, 0));
    } else {
      EXPECT_EQ(at, QColor(0x80, 60, 100));
    }
  }
  EXPECT_EQ(g_lpApp->m_wMarkCount.load(), 0);
}

TEST_F(PainterTest, SnapshotIsABitmapOfTheFrameSizeAndTheRequestClears) {
  Open({.width = 176, .height = 144});
  const std::filesystem::path shots = m_folder / "shots";
  std::filesystem::create_directories(shots);
  g_lpApp->m_SettingINI.m_strSnapshotPath = shots.string() + "/";
  auto picture = CodedPicture(176, 144);
  Hand(picture);
  g_lpApp->m_bSnapshotRequest = 1;
  ShowImageFromThread();
  EXPECT_EQ(g_lpApp->m_bSnapshotRequest.load(), 0u);
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(shots))
    files.push_back(entry.path());
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].extension(), ".bmp");
  const QImage saved(QString::fromStdString(files[0].string()));
  EXPECT_EQ(saved.size(), QSize(176, 144));
  EXPECT_EQ(saved.pixelColor(5, 7), QColor(0x80, 7, 5));

  // A folder that cannot be written: one attempt, the request is cleared all the same.
  g_lpApp->m_SettingINI.m_strSnapshotPath = (m_folder / "missing" / "deeper").string() + "/";
  g_lpApp->m_bSnapshotRequest = 1;
  ShowImageFromThread();
  EXPECT_EQ(g_lpApp->m_bSnapshotRequest.load(), 0u);
}

TEST_F(PainterTest, RatesOnTheInjectedClock) {
  platform::testing::ManualClock clock(100000);
  app::SetClock(&clock);
  CKavelinDlg& window = Open({.width = 352, .height = 240});
  auto picture = CodedPicture(352, 240);
  Hand(picture);
  CAppData& app = *g_lpApp;
  app.m_dwStreamStartTick = clock.Ticks();
  app.m_dwDisplayedFrames = 0;
  ShowImageFromThread();
  ProcessEvents();
  EXPECT_EQ(window.StatusText(), "Start to get image!!");  // nothing before two seconds

  clock.Advance(1999);
  app.m_dwDisplayedFrames = 25;
  app.m_lReceivedBytes = 3000;
  ShowImageFromThread();
  ProcessEvents();
  EXPECT_EQ(window.StatusText(), "Start to get image!!");
  clock.Advance(1);
  ShowImageFromThread();
  ProcessEvents();
  EXPECT_EQ(window.StatusText(), "FR:12.50 fps DR:11 kbps ");
  EXPECT_EQ(app.m_dwBitRate.load(), 11u);
  EXPECT_EQ(app.m_dwStreamStartTick.load(), clock.Ticks());
  EXPECT_EQ(app.m_lReceivedBytes.load(), 0);
  EXPECT_FLOAT_EQ(g_fDisplayFrameRate.load(), 12.5f);

  // 5,000,000 bytes in two seconds (a 32-bit product would wrap).
  clock.Advance(2000);
  app.m_dwDisplayedFrames = 75;
  app.m_lReceivedBytes = 5000000;
  ShowImageFromThread();
  ProcessEvents();
  EXPECT_EQ(window.StatusText(), "FR:25.00 fps DR:19531 kbps ");

  // A start time ahead of now (a wrapped tick count) skips the update.
  app.m_dwStreamStartTick = clock.Ticks() + 10;
  app.m_lReceivedBytes = 1000;
  ShowImageFromThread();
  ProcessEvents();
  EXPECT_EQ(window.StatusText(), "FR:25.00 fps DR:19531 kbps ");
  EXPECT_EQ(app.m_lReceivedBytes.load(), 1000);

  // A new session's receiver restarts the shown-frame counter from 0: the first rates after it
  // count that session's frames, not the distance to the last session's count.
  app.m_dwStreamStartTick = clock.Ticks();
  app.m_dwDisplayedFrames = 0;
  clock.Advance(2000);
  app.m_dwDisplayedFrames = 20;
  ShowImageFromThread();
  ProcessEvents();
  EXPECT_EQ(window.StatusText().left(12), "FR:10.00 fps");
}

// A stream that stops leaves the last picture: once no picture has come for two seconds, the
// watch measures the rates again over the time since their last update, and they read 0. While
// pictures come, or while the status line says something else, the watch leaves it.
TEST_F(PainterTest, RatesFallToZeroTwoSecondsAfterTheLastPicture) {
  platform::testing::ManualClock clock(100000);
  app::SetClock(&clock);
  CKavelinDlg& window = Open({.width = 352, .height = 240});
  auto picture = CodedPicture(352, 240);
  Hand(picture);
  CAppData& app = *g_lpApp;
  app.m_dwStreamStartTick = clock.Ticks();
  app.m_dwDisplayedFrames = 0;
  // Before the painter's first rates the watch says nothing ("Start to get image!!" stays).
  clock.Advance(5000);
  window.OnRateWatch();
  EXPECT_EQ(window.StatusText(), "Start to get image!!");

  app.m_dwDisplayedFrames = 125;
  app.m_lReceivedBytes = 5000000;
  ShowImageFromThread();
  ProcessEvents();
  ASSERT_EQ(window.StatusText(), "FR:25.00 fps DR:7812 kbps ");
  // The stream stops. Until two seconds without a picture the rates stay.
  clock.Advance(1999);
  window.OnRateWatch();
  EXPECT_EQ(window.StatusText(), "FR:25.00 fps DR:7812 kbps ");
  clock.Advance(1);
  window.OnRateWatch();
  EXPECT_EQ(window.StatusText(), "FR:0.00 fps DR:0 kbps ");
  EXPECT_EQ(app.m_dwBitRate.load(), 0u);
  EXPECT_FLOAT_EQ(g_fDisplayFrameRate.load(), 0.0f);
  EXPECT_EQ(app.m_dwStreamStartTick.load(), clock.Ticks());

  // A few frames in the silence are counted over the whole time since the last update.
  clock.Advance(3000);
  app.m_dwDisplayedFrames = 131;
  app.m_lReceivedBytes = 1024;
  window.OnRateWatch();
  EXPECT_EQ(window.StatusText(), "FR:2.00 fps DR:2 kbps ");

  // Pictures come again: the watch leaves the measuring to the painter, even when an update is
  // due.
  clock.Advance(1500);
  ShowImageFromThread();  // 1.5 s after the last update: none due
  ProcessEvents();
  clock.Advance(1000);
  app.m_lReceivedBytes = 1000;
  window.OnRateWatch();
  EXPECT_EQ(window.StatusText(), "FR:2.00 fps DR:2 kbps ");
  EXPECT_EQ(app.m_lReceivedBytes.load(), 1000);

  // Another text on the status line (a re-login's) is not replaced by rates.
  clock.Advance(2000);
  window.ShowStatusText(QStringLiteral("Start login"));
  window.OnRateWatch();
  EXPECT_EQ(window.StatusText(), "Start login");
  // Nor are the rates measured while not connected.
  app.m_dwDisplayedFrames = 176;
  app.m_lReceivedBytes = 0;
  ShowImageFromThread();  // 45 frames in 4.5 s
  ProcessEvents();
  ASSERT_EQ(window.StatusText(), "FR:10.00 fps DR:0 kbps ");
  clock.Advance(2000);
  app.m_bConnected = 0;
  window.OnRateWatch();
  EXPECT_EQ(window.StatusText(), "FR:10.00 fps DR:0 kbps ");
}

TEST_F(PainterTest, ReturnsWhileTheGuiThreadIsBlockedAndAfterTheWindowIsGone) {
  Open({.width = 352, .height = 240});
  auto picture = CodedPicture(352, 240);
  Hand(picture);
  g_lpApp->m_dwStreamStartTick = app::Clock().Ticks() - 3000;
  // This thread is the GUI thread: it does not run its event loop until the painter returned.
  auto sink = m_window->Sink();
  auto done = std::async(std::launch::async, [sink] {
    for (int i = 0; i < 5; ++i)
      sink->ShowImage();
  });
  ASSERT_EQ(done.wait_for(std::chrono::seconds(20)), std::future_status::ready);
  EXPECT_TRUE(FinishSetAndReset());

  m_window.reset();
  std::thread late([sink] { sink->ShowImage(); });
  late.join();
  EXPECT_TRUE(FinishSetAndReset());
  ProcessEvents();  // the calls queued before the window went are dropped
}

TEST_F(PainterTest, FullScreenScalesOverTheWorkAreaAndHidesTheControls) {
  UseWorkArea(QRect(0, 0, 1280, 720));
  CKavelinDlg& window = Open({.width = 352, .height = 240});
  // Four quadrants of their own colours.
  std::vector<std::uint8_t> picture(352 * 240 * 3);
  for (int y = 0; y < 240; ++y) {
    for (int x = 0; x < 352; ++x) {
      std::uint8_t* px = picture.data() + (static_cast<std::size_t>(239 - y) * 352 + x) * 3;
      const int quadrant = (y < 120 ? 0 : 2) + (x < 176 ? 0 : 1);
      px[0] = static_cast<std::uint8_t>(40 * quadrant + 10);
      px[1] = static_cast<std::uint8_t>(200 - 40 * quadrant);
      px[2] = 0x33;
    }
  }
  Hand(picture);
  window.OnTitleFullScreen();
  EXPECT_EQ(g_lpApp->m_bFullScreen.load(), 1u);
  ShowImageFromThread();
  ProcessEvents();
  EXPECT_EQ(window.geometry(), QRect(0, 0, 1280, 720));
  EXPECT_EQ(window.mask(), QRegion(0, 0, 1280, 720));
  for (int id : {IDC_TITLE_MINIMIZE, IDC_TITLE_FULLSCREEN, IDC_TITLE_CLOSE, IDC_AV_SWITCH,
                 IDC_CONNECT, IDC_SYSTEM_CONFIG, IDC_POWER, IDC_PANELUP, IDC_PANELDOWN}) {
    EXPECT_FALSE(window.Button(id)->isVisible()) << id;
  }
  const QImage shot = Grab();
  const struct {
    QPoint at;
    int quadrant;
  } samples[] = {{{100, 100}, 0},  {{1200, 50}, 1}, {{10, 700}, 2},
                 {{1270, 710}, 3}, {{630, 350}, 0}, {{650, 370}, 3}};
  for (const auto& s : samples) {
    SCOPED_TRACE(testing::Message() << s.at.x() << "," << s.at.y());
    EXPECT_EQ(shot.pixelColor(s.at), QColor(0x33, 200 - 40 * s.quadrant, 40 * s.quadrant + 10));
  }
  // Texts are dropped while it lasts.
  window.ShowStatusText("dropped");
  EXPECT_EQ(window.StatusText(), "Start to get image!!");
}

TEST_F(PainterTest, FullScreenWithoutItsBufferShowsNoFrame) {
  CKavelinDlg& window = Open({.width = 352, .height = 240});
  auto picture = CodedPicture(352, 240);
  Hand(picture);
  g_lpApp->m_nShowImageBufferBytes = 1280 * 800 * 3 - 1;  // short of the work area
  window.OnTitleFullScreen();
  ShowImageFromThread();
  EXPECT_TRUE(FinishSetAndReset());
  ProcessEvents();
  EXPECT_EQ(Grab().pixelColor(640, 400), QColor(Qt::black));
  g_lpApp->m_pShowImageBuffer.reset();
  g_lpApp->m_nShowImageBufferBytes = 1280 * 800 * 3;
  ShowImageFromThread();
  EXPECT_TRUE(FinishSetAndReset());
  ProcessEvents();
  EXPECT_EQ(Grab().pixelColor(640, 400), QColor(Qt::black));
}

}  // namespace
}  // namespace main_window_test
