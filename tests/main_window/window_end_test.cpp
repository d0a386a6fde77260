// The window's end: the Close button, the life-time-over message and a close from the window
// manager all finish the recorders, run the exit routines and save the settings.
#include <QTest>
#include <filesystem>
#include <functional>
#include <mutex>

#include "app/kernel_threads.h"
#include "app/trace.h"
#include "main_window_fixture.h"
#include "media/record/recorder.h"
#include "ui/main/time_stamp_wnd.h"

namespace main_window_test {
namespace {

using namespace mainwin;

class WindowEndTest : public MainWindowTest {
 protected:
  void TearDown() override {
    app::SetTraceObserver(nullptr);
    MainWindowTest::TearDown();
  }

  // A user record with its file open, as RECORD leaves it.
  void StartUserRecord() {
    CAppData& app = *g_lpApp;
    ASSERT_TRUE(app.m_SystemBuffer.Allocate());
    RecorderEnvironment env = RecorderEnvironment::Defaults();
    env.ring = &app.m_SystemBuffer;
    env.endOfStreams = &m_endOfStreams;
    env.freeDiskBytes = [](const std::string&) { return std::uint64_t{1} << 40; };
    app.m_UserRecord.SetEnvironment(env);
    ASSERT_TRUE(app.m_UserRecord.CreateThread(4));
    std::string path = m_folder.Dir();
    ASSERT_TRUE(app.m_UserRecord.OpenRecordFile(path, 4));
    ASSERT_TRUE(app.m_UserRecord.HasOpenFile());
  }

  platform::Event m_endOfStreams{platform::ResetMode::Manual};
  std::mutex m_linesLock;
  std::vector<std::string> m_lines;
};

TEST_F(WindowEndTest, EveryRoadStopsRecordsRunsTheExitRoutinesAndSaves) {
  const std::vector<std::pair<const char*, std::function<void(CKavelinDlg&)>>> roads = {
      {"Close button", [](CKavelinDlg& w) { w.Button(IDC_TITLE_CLOSE)->click(); }},
      {"life time over",
       [](CKavelinDlg& w) { ASSERT_TRUE(platform::PostMessage(w.Handle(), WM_LIFETIMEUP, 0, 0)); }},
      {"window manager", [](CKavelinDlg& w) { w.close(); }},
  };
  for (const auto& [name, road] : roads) {
    SCOPED_TRACE(name);
    std::filesystem::remove(m_folder / "Setting.ini");
    app::SetTraceObserver([this](const std::string& line) {
      const std::lock_guard lock(m_linesLock);
      m_lines.push_back(line);
    });
    CKavelinDlg& window = Open();
    CAppData& app = *g_lpApp;
    StartUserRecord();
    app.m_hConnectionStopEvent = std::make_shared<platform::Event>(platform::ResetMode::Auto);
    app.m_SettingINI.m_bySelectedChannel = 5;
    road(window);
    ProcessEvents();
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(app.m_UserRecord.HasOpenFile());
    EXPECT_EQ(app.m_UserRecord.FilesFinished(), 1u);
    EXPECT_EQ(app.m_uMainTimerId.load(), 0u);
    EXPECT_EQ(app.m_hConnectionStopEvent, nullptr);  // ExitProcessResource closed it
    EXPECT_EQ(app::MainWindowSink(), nullptr);
    const std::string settings = fakes::TempFolder::Read(m_folder / "Setting.ini");
    EXPECT_NE(settings.find("Selected Channel=5"), std::string::npos) << settings;
    {
      const std::lock_guard lock(m_linesLock);
      EXPECT_EQ(std::count(m_lines.begin(), m_lines.end(),
                           "CKavelinDlg::DestroyWindow : Enter function \n"),
                1);
      m_lines.clear();
    }
    app::SetTraceObserver(nullptr);
    app.m_UserRecord.ExitThread();
    m_window.reset();
  }
}

// The window's end asks its port to stop the recorders, then to end the session's resources;
// when that fails the window stays, with its sink, and a later close can try again.
TEST_F(WindowEndTest, TheEndStopsTheRecordersThenTheResourcesAndStaysWhenTheyFail) {
  for (const bool ended : {true, false}) {
    SCOPED_TRACE(ended ? "resources ended" : "resources failed");
    std::vector<std::string> calls;
    m_engine.stopRecorders = [&] { calls.push_back("stopRecorders"); };
    m_engine.endSessionResources = [&] {
      calls.push_back("endSessionResources");
      return ended;
    };
    CKavelinDlg& window = Open();
    EXPECT_EQ(window.DestroyWindow(), ended);
    ProcessEvents();
    EXPECT_EQ(calls, (std::vector<std::string>{"stopRecorders", "endSessionResources"}));
    EXPECT_EQ(window.isVisible(), !ended);
    EXPECT_EQ(app::MainWindowSink() == window.Sink(), !ended);
    m_window.reset();
    app::SetMainWindowSink(nullptr);
  }
}

TEST_F(WindowEndTest, MinimiseHidesTheTimeStampBox) {
  CKavelinDlg& window = Open({.width = 352, .height = 240});
  window.ShowTimeStampWindow(true);
  ASSERT_TRUE(window.TimeStampWindow()->isVisible());
  window.Button(IDC_TITLE_MINIMIZE)->click();
  ProcessEvents();
  EXPECT_FALSE(window.TimeStampWindow()->isVisible());
  EXPECT_TRUE(window.isMinimized());
}

}  // namespace
}  // namespace main_window_test
