// Full screen and back, the keys and clicks the window filters, dragging, and the size-change
// and resolution handlers.
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>
#include <thread>

#include "app/kernel_threads.h"
#include "main_window_fixture.h"

namespace main_window_test {
namespace {

using namespace mainwin;

class FullScreenTest : public MainWindowTest {
 protected:
  void PaintOnce() {
    std::thread kernel([this] { m_window->ShowImage(); });
    kernel.join();
    ProcessEvents();
  }
};

// Records the key presses a widget itself receives.
class KeyRecorder final : public QObject {
 public:
  int presses = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::KeyPress)
      ++presses;
    return false;
  }
};

TEST_F(FullScreenTest, AudioOnlyDoesNothing) {
  CKavelinDlg& window = Open({.avOption = 2});
  window.Button(IDC_TITLE_FULLSCREEN)->click();
  EXPECT_EQ(g_lpApp->m_bFullScreen.load(), 0u);
}

TEST_F(FullScreenTest, InAndBackRestoresLayoutRightsAndPanel) {
  CKavelinDlg& window = Open({.level = 20, .type1 = 2});
  window.OnPanelUp();
  const QRect before = window.geometry();
  auto picture = CodedPicture(704, 480);
  Hand(picture);
  window.Button(IDC_TITLE_FULLSCREEN)->click();
  EXPECT_EQ(g_lpApp->m_bFullScreen.load(), 1u);
  PaintOnce();
  EXPECT_EQ(window.geometry(), QRect(0, 0, 1280, 800));
  EXPECT_FALSE(window.Button(8250)->isVisible());
  EXPECT_FALSE(window.Button(IDC_PANELDOWN)->isVisible());
  // Dragging does not move a full-screen window.
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(300, 300), QPointF(300, 300), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&window, &press);
  QMouseEvent move(QEvent::MouseMove, QPointF(340, 320), QPointF(340, 320), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&window, &move);
  EXPECT_EQ(window.pos(), QPoint(0, 0));

  QTest::keyClick(&window, Qt::Key_Escape);
  ProcessEvents();
  EXPECT_EQ(g_lpApp->m_bFullScreen.load(), 0u);
  EXPECT_TRUE(window.isVisible());  // Esc never closes the window
  EXPECT_EQ(window.size(), QSize(722, 680));
  EXPECT_EQ(window.pos(), QPoint((1280 - 722) / 2, (800 - 680) / 2));
  EXPECT_EQ(before.size(), window.size());
  EXPECT_FALSE(window.mask().contains(QPoint(0, 0)));
  for (int id = IDC_TITLE_MINIMIZE; id <= IDC_TITLE_CLOSE; ++id)
    EXPECT_TRUE(window.Button(id)->isVisible()) << id;
  for (int i = 0; i < 6; ++i)
    EXPECT_TRUE(window.Button(IDC_AV_SWITCH + i)->isVisible());
  EXPECT_FALSE(window.Button(IDC_IMAGE_ADJUST)->isEnabled());  // HIGH USER
  EXPECT_TRUE(window.Button(IDC_SNAPSHOT)->isEnabled());
  EXPECT_FALSE(window.Button(IDC_POWER)->isVisible());
  EXPECT_TRUE(window.Button(IDC_PANELDOWN)->isVisible());
  EXPECT_TRUE(window.Button(8250)->isVisible());
  // Esc outside full screen does not close either.
  QTest::keyClick(&window, Qt::Key_Escape);
  ProcessEvents();
  EXPECT_TRUE(window.isVisible());
}

TEST_F(FullScreenTest, EnterIsSwallowed) {
  CKavelinDlg& window = Open();
  KeyRecorder recorder;
  window.installEventFilter(&recorder);
  window.Button(IDC_TITLE_CLOSE)->setFocus();
  QTest::keyClick(&window, Qt::Key_Return);
  QTest::keyClick(&window, Qt::Key_Enter);
  ProcessEvents();
  EXPECT_EQ(recorder.presses, 0);
  EXPECT_TRUE(window.isVisible());
  QTest::keyClick(&window, Qt::Key_A);
  EXPECT_EQ(recorder.presses, 1);
  window.removeEventFilter(&recorder);
}

TEST_F(FullScreenTest, ClickSilencesTheAlarmAndStillReachesTheButton) {
  CKavelinDlg& window = Open();
  auto stop = std::make_shared<platform::Event>(platform::ResetMode::Manual);
  g_lpApp->m_hAlarmWavStopEvent = stop;
  g_lpApp->m_bAlarmWavPending = 1;
  QTest::mouseClick(window.Button(IDC_TITLE_FULLSCREEN), Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_TRUE(stop->IsSet());
  EXPECT_EQ(g_lpApp->m_bAlarmWavPending.load(), 0u);
  EXPECT_EQ(g_lpApp->m_bFullScreen.load(), 1u);
}

TEST_F(FullScreenTest, DragByTheSurfaceKeepsTheSize) {
  CKavelinDlg& window = Open();
  const QPoint start = window.pos();
  const QPointF local(300, 40);
  QMouseEvent press(QEvent::MouseButtonPress, local, QPointF(start) + local, Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&window, &press);
  QMouseEvent move(QEvent::MouseMove, local, QPointF(start) + local + QPointF(25, 15), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&window, &move);
  QMouseEvent release(QEvent::MouseButtonRelease, local, QPointF(start) + local + QPointF(25, 15),
                      Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&window, &release);
  EXPECT_EQ(window.pos(), start + QPoint(25, 15));
  EXPECT_EQ(window.size(), QSize(722, 608));
  EXPECT_EQ(window.minimumSize(), window.maximumSize());
}

TEST_F(FullScreenTest, HotPointPressKeepsTheClickPosition) {
  CKavelinDlg& window = Open({.type1 = 8});
  ASSERT_EQ(g_lpApp->m_byHotPointMode.load(), 2);
  const QPointF at(120, 200);
  QMouseEvent move(QEvent::MouseMove, at, QPointF(window.pos()) + at, Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QCoreApplication::sendEvent(&window, &move);
  EXPECT_EQ(g_lpApp->m_wClickX.load(), 120);
  EXPECT_EQ(g_lpApp->m_wClickY.load(), 200);
}

TEST_F(FullScreenTest, SizeChangeMessageSwitchesSkinsTogether) {
  CKavelinDlg& window = Open({.width = 704, .height = 480});
  struct Case {
    std::uint8_t code;
    int skin, layoutSkin, bitmapSet, mode;
    QSize size;
  };
  for (const Case c : {Case{3, 1, 1, 0, 0, {370, 366}}, Case{7, 1, 1, 0, 0, {370, 366}},
                       Case{4, 0, 0, 1, 1, {722, 608}}}) {
    SCOPED_TRACE(int{c.code});
    g_lpApp->m_byVideoSizeCode = c.code;
    ASSERT_TRUE(platform::PostMessage(window.Handle(), WM_MODIFYMAINDIALOGSIZE, 0, 0));
    ProcessEvents();
    EXPECT_EQ(g_lpApp->m_wSkinIndex.load(), c.skin);
    EXPECT_EQ(g_lpApp->m_bySkinMode.load(), c.layoutSkin);
    EXPECT_EQ(g_lpApp->m_bySkinA.load(), c.bitmapSet);
    EXPECT_EQ(g_lpApp->m_SettingINI.m_nImageResolution, c.mode);
    EXPECT_EQ(window.size(), c.size);
    EXPECT_EQ(window.Button(IDC_PANELUP)->geometry().topLeft(),
              c.skin == 0 ? QPoint(345, 571) : QPoint(166, 329));
  }
}

TEST_F(FullScreenTest, ResolutionTogglesOneAndTwoOnly) {
  CKavelinDlg& window = Open();
  std::atomic<std::int32_t>& mode = g_lpApp->m_SettingINI.m_nImageResolution;
  for (const auto& [from, to] : {std::pair{1, 2}, {2, 1}, {0, 0}, {3, 3}}) {
    mode = from;
    window.OnResolution();
    EXPECT_EQ(mode, to) << from;
  }
}

}  // namespace
}  // namespace main_window_test
