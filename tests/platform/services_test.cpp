#include <gtest/gtest.h>

#include <thread>

#include "platform/message_box.h"
#include "platform/sync.h"
#include "platform/testing/fake_message_box.h"
#include "platform/testing/recording_main_window_sink.h"

namespace platform {
namespace {

using testing::FakeMessageBox;
using testing::RecordingMainWindowSink;
using testing::ScopedMessageBox;

TEST(MessageBoxTest, DefaultAnswerIsTheFirstButton) {
  EXPECT_EQ(DefaultAnswer(MB_OK), IDOK);
  EXPECT_EQ(DefaultAnswer(MB_OKCANCEL | MB_ICONQUESTION), IDOK);
  EXPECT_EQ(DefaultAnswer(MB_YESNO | MB_ICONWARNING), IDYES);
  EXPECT_EQ(DefaultAnswer(MB_YESNOCANCEL), IDYES);
  EXPECT_EQ(DefaultAnswer(MB_RETRYCANCEL), IDRETRY);
}

TEST(MessageBoxTest, WithoutGuiTheTextGoesToStderr) {
  ::testing::internal::CaptureStderr();
  const int answer = ShowMessageBox("Disk is full", "Kavelin", MB_YESNO);
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(answer, IDYES);
  EXPECT_NE(err.find("Disk is full"), std::string::npos);
}

TEST(MessageBoxTest, InstalledBoxRecordsAndAnswersFromScript) {
  auto fake = std::make_shared<FakeMessageBox>();
  {
    ScopedMessageBox scope(fake);
    fake->ScriptAnswers({IDNO});
    EXPECT_EQ(ShowMessageBox("Overwrite?", "", MB_YESNO), IDNO);
    EXPECT_EQ(ShowMessageBox("Again?", "Title", MB_YESNO), IDYES);  // script used up
    std::thread worker([] { ShowMessageBox("from a worker"); });
    worker.join();
  }
  const auto shown = fake->Shown();
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0].text, "Overwrite?");
  EXPECT_EQ(shown[0].answer, IDNO);
  EXPECT_EQ(shown[1].caption, "Title");
  EXPECT_EQ(shown[2].flags, MB_OK);
  // The scope restored the previous box: the fake sees nothing more.
  ::testing::internal::CaptureStderr();
  ShowMessageBox("after");
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(fake->Count(), 3u);
}

TEST(MainWindowSinkTest, RecordsCallsInOrderAndRunsShowImageHook) {
  RecordingMainWindowSink sink;
  IMainWindowSink& window = sink;
  Event finished;
  sink.SetShowImageHook([&] { finished.Set(); });
  window.ClearStatusText();
  window.ShowStatusText("Life time is Up.Application shutdown later");
  window.SetRecordToolTip("RECORD");
  window.SetRecordButtonState(0);
  window.SetConnectButtonState(1);
  window.ExitFullScreen();
  window.RefreshPanelButtons();
  EXPECT_EQ(window.ApplyResolutionMode(2), 1);
  window.ArrangeControls();
  window.ShowStreamTimeControl(false);
  window.ModifyMainDialogSize();
  window.CloseConfigSheet();
  std::thread kernel([&] { window.ShowImage(); });
  EXPECT_TRUE(finished.Wait(10000));
  kernel.join();
  EXPECT_EQ(sink.Calls(),
            (std::vector<std::string>{
                "ClearStatusText()", "ShowStatusText(Life time is Up.Application shutdown later)",
                "SetRecordToolTip(RECORD)", "SetRecordButtonState(0)", "SetConnectButtonState(1)",
                "ExitFullScreen()", "RefreshPanelButtons()", "ApplyResolutionMode(2)",
                "ArrangeControls()", "ShowStreamTimeControl(0)", "ModifyMainDialogSize()",
                "CloseConfigSheet()", "ShowImage()"}));
  EXPECT_EQ(sink.StatusText(), "Life time is Up.Application shutdown later");
  EXPECT_EQ(sink.CountOf("Set"), 3u);
  EXPECT_TRUE(sink.WaitForCount(13, 0));
  EXPECT_FALSE(sink.WaitForCount(14, 10));
  sink.Clear();
  EXPECT_EQ(sink.Count(), 0u);
}

}  // namespace
}  // namespace platform
