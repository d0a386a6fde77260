// The painter's hook of the motion grid: each frame painted in the window reaches the open
// motion-detection dialog, which shows it in its picture.
#include <QTest>
#include <QTimer>
#include <atomic>
#include <memory>
#include <thread>

#include "fakes/fake_video_server.h"
#include "main_window_fixture.h"
#include "net/net_environment.h"
#include "ui/config/motion/motion_detection_dlg.h"

namespace main_window_test {
namespace {

class MotionHookTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    environment.SetServerName("127.0.0.1");
    environment.SetWebPort(server.WebPort());
    net::SetEnvironment(&environment);
  }
  void TearDown() override {
    net::SetEnvironment(nullptr);
    MainWindowTest::TearDown();
  }
  fakes::FakeVideoServer server;  // serves the motion grid's record
  net::MemoryNetEnvironment environment;
};

TEST_F(MotionHookTest, APaintedFrameReachesTheWaitingMotionGrid) {
  CKavelinDlg& window = Open({.width = 352, .height = 240});
  auto picture = CodedPicture(352, 240);
  Hand(picture);
  CMotionDetectionDlg dialog(ports::SysConfEngine::Defaults());
  dialog.SetFetchedRecord(FetchMotionRecord());  // as its opener fetches it
  // A marked cell of the sample record shows the picture untouched: blue x, green y, red 0x80.
  const QPoint marked(144, 112);
  QTimer::singleShot(0, &dialog, [&] {
    std::thread kernel([&] { window.ShowImage(); });
    kernel.join();
    EXPECT_TRUE(fakes::WaitUntil(
        [&] { return dialog.Picture().pixelColor(marked) == QColor(0x80, 112, 144); }));
    dialog.EndDialog(0);
  });
  EXPECT_EQ(dialog.DoModal(), 0);
  // Without a run the painter finds no dialog waiting.
  EXPECT_FALSE(dialog.SetFrameEvent());
  std::thread kernel([&] { window.ShowImage(); });
  kernel.join();
}

// The kernel thread paints frames without a pause while motion dialogs are made and go on the
// GUI thread, one of them in a run that waits for frames: no painter call reaches a dialog that
// is going or gone (what the sanitizer builds look at).
TEST_F(MotionHookTest, ThePainterRunsWhileMotionDialogsComeAndGo) {
  CKavelinDlg& window = Open({.width = 352, .height = 240});
  auto picture = CodedPicture(352, 240);
  Hand(picture);
  std::atomic<bool> painting{true};
  std::atomic<int> runs{0};
  std::thread kernel([&] {
    while (painting.load()) {
      window.ShowImage();
      runs.fetch_add(1);
    }
  });
  for (int i = 0; i < 40; ++i) {
    const int before = runs.load();
    auto dialog = std::make_unique<CMotionDetectionDlg>(ports::SysConfEngine::Defaults());
    if (i == 0) {
      dialog->SetFetchedRecord(FetchMotionRecord());
      QTimer::singleShot(0, dialog.get(), [&] {
        EXPECT_TRUE(fakes::WaitUntil([&] { return runs.load() > before + 5; }));
        dialog->EndDialog(0);
      });
      EXPECT_EQ(dialog->DoModal(), 0);
    }
    // The painter has been through its call at least once while this dialog was there.
    EXPECT_TRUE(fakes::WaitUntil([&] { return runs.load() > before + 1; }));
    dialog.reset();
  }
  painting = false;
  kernel.join();
  ProcessEvents();
}

}  // namespace
}  // namespace main_window_test
