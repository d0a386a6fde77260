// The status strip: the re-login's status messages, the icons and the rule that shows the
// online-user icon with the rate text, black video and the sunken frame, the time-stamp box.
#include <QPainter>
#include <QTest>
#include <thread>

#include "app/relogin_thread.h"
#include "main_window_fixture.h"
#include "platform/testing/manual_clock.h"
#include "ui/common/app_style.h"
#include "ui/main/skin_font.h"
#include "ui/main/skin_tables.h"
#include "ui/main/time_stamp_wnd.h"

namespace main_window_test {
namespace {

using namespace mainwin;

class StatusStripTest : public MainWindowTest {
 protected:
  void Post(std::uint32_t msg, platform::WParam w, platform::LParam l) {
    ASSERT_TRUE(platform::PostMessage(m_window->Handle(), msg, w, l));
    ProcessEvents();
  }
  void PaintOnce() {
    std::thread kernel([this] { m_window->ShowImage(); });
    kernel.join();
    ProcessEvents();
  }
};

TEST_F(StatusStripTest, ShowStatusCodes) {
  CKavelinDlg& window = Open();
  struct Case {
    platform::WParam wParam;
    platform::LParam code;
    const char* text;  // null: unchanged
  };
  const Case cases[] = {{125, 0, "ESCAPED TIME:  02:05"},
                        {0, 1, "Start login"},
                        {0, 2, "Server is too busy!! Try later !!"},
                        {0, 3, "Login process is failed,wait a moment !!"},
                        {0, 4, nullptr},
                        {0, 7,
                         "System relogin too many times.Wait for 40 sec!!\nApplication will try "
                         "again."},
                        {0, 9, nullptr},
                        {77, 200, nullptr}};
  QString last = window.StatusText();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    Post(WM_SHOWSTATUS, c.wParam, c.code);
    if (c.text != nullptr)
      last = QString::fromLatin1(c.text);
    EXPECT_EQ(window.StatusText(), last);
  }
  CVtxButton& connect = *window.Button(IDC_CONNECT);
  Post(WM_SHOWSTATUS, 0, 6);
  EXPECT_EQ(connect.CurrentState(), 1);
  Post(WM_SHOWSTATUS, 0, 5);
  EXPECT_EQ(connect.CurrentState(), 0);
  EXPECT_EQ(g_lpApp->m_bStatusShown.load(), 0u);
  Post(WM_SHOWSTATUS, 0, 8);
  EXPECT_EQ(g_lpApp->m_bStatusShown.load(), 1u);
  // In full screen texts are dropped and the strip flag stays.
  g_lpApp->m_bStatusShown = 0;
  window.OnTitleFullScreen();
  Post(WM_SHOWSTATUS, 0, 1);
  Post(WM_SHOWSTATUS, 0, 8);
  EXPECT_EQ(window.StatusText(), last);
  EXPECT_EQ(g_lpApp->m_bStatusShown.load(), 0u);
}

TEST_F(StatusStripTest, SinkCallsArriveInOrderOnTheGuiThread) {
  CKavelinDlg& window = Open();
  auto sink = window.Sink();
  std::thread worker([sink] {
    sink->ClearStatusText();
    sink->ShowStatusText("Life time is Up.Application shutdown later");
    sink->SetRecordToolTip("RECORDING");
    sink->SetRecordButtonState(1);
    sink->SetConnectButtonState(1);
  });
  worker.join();
  // Nothing has changed before the GUI thread runs the calls.
  EXPECT_EQ(window.StatusText(), "Start to get image!!");
  ProcessEvents();
  EXPECT_EQ(window.StatusText(), "Life time is Up.Application shutdown later");
  EXPECT_EQ(window.Button(IDC_RECORD)->toolTip(), "RECORDING");
  EXPECT_EQ(window.Button(IDC_RECORD)->CurrentState(), 1);
  EXPECT_EQ(window.Button(IDC_CONNECT)->CurrentState(), 1);
}

// The sink's calls and the messages posted to the window run in the one order they were made
// (the re-login thread posts its status codes and calls the sink in turn), and once the window
// has let go of the sink nothing of it runs, neither what waits nor what comes later.
TEST_F(StatusStripTest, SinkCallsAndMessagesKeepOneOrderAndNoneRunsAfterDetach) {
  CKavelinDlg& window = Open();
  auto sink = window.Sink();
  const platform::WindowHandle handle = window.Handle();
  // Ending with a sink call, then with a message: the last made is the one shown.
  std::thread relogin([sink, handle] {
    sink->ShowStatusText("first");
    platform::PostMessage(handle, WM_SHOWSTATUS, 0, 1);  // "Start login"
    sink->ShowStatusText("last");
  });
  relogin.join();
  ProcessEvents();
  EXPECT_EQ(window.StatusText(), "last");
  relogin = std::thread([sink, handle] {
    sink->ShowStatusText("first");
    platform::PostMessage(handle, WM_SHOWSTATUS, 0, 1);
    sink->ShowStatusText("third");
    platform::PostMessage(handle, WM_SHOWSTATUS, 0, 2);
  });
  relogin.join();
  ProcessEvents();
  EXPECT_EQ(window.StatusText(), "Server is too busy!! Try later !!");

  std::thread before([sink] {
    sink->ShowStatusText("before the detach");
    sink->SetRecordButtonState(1);
  });
  before.join();
  sink->Detach();
  std::thread after([sink] { sink->ShowStatusText("after the detach"); });
  after.join();
  // A message posted after all of them: once it has run, they would have run too.
  platform::PostMessage(handle, WM_SHOWSTATUS, 0, 3);
  EXPECT_TRUE(fakes::WaitUntil(
      [&] { return window.StatusText() == "Login process is failed,wait a moment !!"; }));
  EXPECT_EQ(window.StatusText(), "Login process is failed,wait a moment !!");
  EXPECT_EQ(window.Button(IDC_RECORD)->CurrentState(), 0);
}

TEST_F(StatusStripTest, AlarmAndMotionIconsAndTheOnlineUserRule) {
  platform::testing::ManualClock clock(10000);
  app::SetClock(&clock);
  CKavelinDlg& window = Open();  // skin 0: icon rectangle 680, 65, 693, 81
  auto picture = CodedPicture(704, 480);
  Hand(picture);
  g_lpApp->m_dwStreamStartTick = clock.Ticks();
  const QColor strip = Colour("BMP\\VGA_Status_Bar.bmp");
  // No alarm yet: no icons.
  PaintOnce();
  QImage shot = Grab();
  EXPECT_EQ(shot.pixelColor(652 + 6, 65 + 8), strip);
  EXPECT_EQ(shot.pixelColor(630 + 6, 65 + 8), strip);
  EXPECT_EQ(shot.pixelColor(680 + 6, 65 + 8), strip);

  ParseAlarmHeader(g_lpApp->m_VideoFrameHeader);
  PaintOnce();
  EXPECT_EQ(window.ChannelText(1), "1");
  EXPECT_EQ(window.ChannelText(2), "1");
  shot = Grab();
  EXPECT_EQ(shot.pixelColor(652 + 1, 65 + 1), Colour("BMP\\InfoAlarmRed.bmp"));
  EXPECT_EQ(shot.pixelColor(630 + 1, 65 + 1), Colour("BMP\\InfoMotionRed.bmp"));
  EXPECT_EQ(shot.pixelColor(680 + 1, 65 + 1), strip);  // the status text is not a rate

  clock.Advance(2000);
  PaintOnce();
  ASSERT_TRUE(window.StatusText().startsWith("FR"));
  EXPECT_EQ(Grab().pixelColor(680 + 1, 65 + 1), Colour("BMP\\InfoOnlineUser.bmp"));

  // A channel state back at 0 with its text still shown draws the blue icons.
  g_lpApp->m_VideoFrameHeader.SetStateB(0);
  g_lpApp->m_VideoFrameHeader.SetStateA(0);
  window.update();
  ProcessEvents();
  shot = Grab();
  EXPECT_EQ(shot.pixelColor(652 + 1, 65 + 1), Colour("BMP\\InfoAlarmBlue.bmp"));
  EXPECT_EQ(shot.pixelColor(630 + 1, 65 + 1), Colour("BMP\\InfoMotionBlue.bmp"));
}

// The strip's pixels where a text lies, against the same texts drawn on the strip's own
// colour in the window's font.
struct StripText {
  int x;
  int y;
  QString text;
};
void ExpectTextsPainted(const QImage& shot, const QRect& strip, const QColor& paper,
                        std::initializer_list<StripText> texts, const StripText& probe) {
  QImage expected(shot.size(), shot.format());
  expected.fill(paper);
  QPainter painter(&expected);
  painter.setFont(SkinTextFont());
  painter.setPen(Qt::black);
  const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;
  for (const StripText& t : texts)
    painter.drawText(QRect(t.x, t.y, 2000, 40), flags, t.text);
  const QRect ink = painter.fontMetrics()
                        .boundingRect(QRect(probe.x, probe.y, 2000, 40), flags, probe.text)
                        .adjusted(-1, -1, 1, 1)
                        .intersected(strip);
  painter.end();
  ASSERT_FALSE(ink.isEmpty());
  int dark = 0;
  for (int y = ink.top(); y <= ink.bottom(); ++y) {
    for (int x = ink.left(); x <= ink.right(); ++x) {
      ASSERT_EQ(shot.pixelColor(x, y), expected.pixelColor(x, y))
          << probe.text.toStdString() << " at " << x << "," << y;
      dark += expected.pixelColor(x, y).lightness() < 100 ? 1 : 0;
    }
  }
  EXPECT_GT(dark, 0) << probe.text.toStdString();
}

TEST_F(StatusStripTest, TheHeaderGivesTheOnlineUserCountAndTheHuText) {
  platform::testing::ManualClock clock(10000);
  app::SetClock(&clock);
  CKavelinDlg& window = Open();  // skin 0, video and audio from the video header
  auto picture = CodedPicture(704, 480);
  Hand(picture);
  g_lpApp->m_dwStreamStartTick = clock.Ticks();
  CFrameHeader& header = g_lpApp->m_VideoFrameHeader;
  // A packet carries neither: the parsed header reads 0 and empty.
  const std::vector<std::uint8_t> packet = {1, 0, 8, 0, 0, 0, 0, 0};
  ASSERT_EQ(header.Parse(packet), 1);
  EXPECT_EQ(header.OnlineUserCount(), 0);
  EXPECT_EQ(header.HuText(), "");
  clock.Advance(2000);
  PaintOnce();
  ASSERT_TRUE(window.StatusText().startsWith("FR"));
  EXPECT_EQ(window.HuText(), "");

  header.SetOnlineUserCount(7);
  header.SetHuText("cam-2");
  clock.Advance(2000);
  PaintOnce();
  EXPECT_EQ(window.HuText(), "HU: cam-2");
  // A shorter rate text keeps the status text clear of the HU text's place.
  window.ShowStatusText("FR");
  ProcessEvents();
  const SkinLayoutRecord& skin = SkinLayoutTable[0];
  const TableRect strip = skin.Strip();
  const TableRect icon = skin.InfoIcon();
  const QRect stripRect(strip.left, strip.top, strip.Width(), strip.Height());
  const QColor paper = Colour("BMP\\VGA_Status_Bar.bmp");
  const QImage shot = Grab();
  const StripText status{strip.left + 5, strip.top + 2, "FR"};
  const StripText hu{strip.left + 160, strip.top + 2, "HU: cam-2"};
  const StripText count{icon.right + 4, icon.top + 2, "7"};
  ExpectTextsPainted(shot, stripRect, paper, {status, hu, count}, hu);
  ExpectTextsPainted(shot, stripRect, paper, {status, hu, count}, count);

  // The next rate update takes the header's text again: none now.
  header.SetHuText("");
  clock.Advance(2000);
  PaintOnce();
  EXPECT_EQ(window.HuText(), "");
}

TEST(FrameHeaderTexts, TheHuTextIsKeptZeroTerminatedWithinItsRoom) {
  CFrameHeader header;
  header.SetHuText(std::string(40, 'h'));
  EXPECT_EQ(header.HuText(), std::string(kHuTextBytes - 1, 'h'));
  header.SetHuText(std::string_view("ab\0cd", 5));
  EXPECT_EQ(header.HuText(), "ab");
  header.SetOnlineUserCount(255);
  EXPECT_EQ(header.OnlineUserCount(), 255);
}

TEST_F(StatusStripTest, BlackVideoAndTheSunkenFrame) {
  CKavelinDlg& window = Open();
  const QRect v = window.VideoRect();
  const int L = v.left();
  const int T = v.top();
  const int R = v.right() + 1;
  const int B = v.bottom() + 1;
  QImage shot = Grab();
  EXPECT_EQ(shot.pixelColor(L + 20, T + 20), Colour("BMP\\N_VGA_BG.bmp"));
  EXPECT_EQ(shot.pixelColor(L + 20, T - 2), QColor(0, 0, 0));
  EXPECT_EQ(shot.pixelColor(L + 20, T - 1), QColor(0x33, 0x33, 0x33));
  EXPECT_EQ(shot.pixelColor(R, T + 20), QColor(0x66, 0x66, 0x66));
  EXPECT_EQ(shot.pixelColor(R + 1, T + 20), QColor(0xFF, 0xFF, 0xFF));
  EXPECT_EQ(shot.pixelColor(L + 20, B + 1), QColor(0xFF, 0xFF, 0xFF));
  g_lpApp->m_bBlackVideo = 1;
  window.update();
  ProcessEvents();
  shot = Grab();
  EXPECT_EQ(shot.pixelColor(L + 20, T + 20), QColor(0, 0, 0));
  EXPECT_EQ(shot.pixelColor(R - 1, B - 1), QColor(0, 0, 0));
}

TEST_F(StatusStripTest, TimeStampBox) {
  // Half-size NTSC skin: bitmap set 0, the box shows while an alarm is on.
  CKavelinDlg& window = Open({.width = 352, .height = 240});
  CTimeStampWnd& box = *window.TimeStampWindow();
  EXPECT_EQ(box.geometry(), QRect(6, 44, 120, 20));
  EXPECT_FALSE(box.isVisible());
  EXPECT_EQ(CTimeStampWnd::CurrentText(), std::nullopt);  // no time stamp yet
  auto picture = CodedPicture(352, 240);
  Hand(picture);
  ParseAlarmHeader(g_lpApp->m_VideoFrameHeader);
  PaintOnce();
  EXPECT_TRUE(box.isVisible());
  EXPECT_EQ(box.Text(), "2005/03/05 09:04:03");
  // The status strip's paper and rim, not a white box on the dark band; the text is the
  // strip's ink and reads on the paper.
  EXPECT_EQ(ui::testing::PixelOf(box, 60, 1), CTimeStampWnd::PaperColour());
  EXPECT_EQ(ui::testing::PixelOf(box, 0, 0), CTimeStampWnd::BorderColour());
  EXPECT_GE(ui::ContrastRatio(CTimeStampWnd::InkColour(), CTimeStampWnd::PaperColour()), 7.0);
  bool inked = false;
  const QImage face = box.grab().toImage();
  for (int y = 0; y < face.height() && !inked; ++y)
    for (int x = 0; x < face.width() && !inked; ++x)
      inked = face.pixelColor(x, y).lightness() < CTimeStampWnd::InkColour().lightness() + 20;
  EXPECT_TRUE(inked);
  // The header follows the AV option: audio only reads the audio header (no time there yet).
  g_lpApp->m_SettingINI.m_byAvSwitchOption = 2;
  EXPECT_EQ(CTimeStampWnd::CurrentText(), std::nullopt);
  ParseAlarmHeader(g_lpApp->m_AudioFrameHeader);
  EXPECT_EQ(CTimeStampWnd::CurrentText(), QString("2005/03/05 09:04:03"));
  g_lpApp->m_SettingINI.m_byAvSwitchOption = 0;
  EXPECT_EQ(CTimeStampWnd::CurrentText(), std::nullopt);
  // Alarm over: hidden again.
  g_lpApp->m_SettingINI.m_byAvSwitchOption = 1;
  g_bAlarmClear = 1;
  PaintOnce();
  EXPECT_FALSE(box.isVisible());
}

TEST_F(StatusStripTest, TimeStampBoxPaintsNothingInTheFullSizeSkins) {
  CKavelinDlg& window = Open({.width = 704, .height = 576});
  auto picture = CodedPicture(704, 576);
  Hand(picture);
  ParseAlarmHeader(g_lpApp->m_VideoFrameHeader);
  PaintOnce();
  CTimeStampWnd& box = *window.TimeStampWindow();
  EXPECT_FALSE(box.isVisible());  // this skin's strip shows the time itself
  window.ShowTimeStampWindow(true);
  ProcessEvents();
  ASSERT_TRUE(box.isVisible());
  EXPECT_EQ(Grab().pixelColor(box.geometry().center()), Colour("BMP\\P_VGA_BG.bmp"));
}

}  // namespace
}  // namespace main_window_test
