// Shared set-up of the lifecycle tests: a temporary program folder with a command file, the
// step lines of the trace collected in order, a recording message box, stand-in media threads
// and headless login and main windows.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/app_data.h"
#include "app/app_seams.h"
#include "app/engine_threads.h"
#include "app/kavelin_app.h"
#include "app/kernel_threads.h"
#include "app/stream_stand_ins.h"
#include "fakes/temp_folder.h"
#include "net/ctrl_file.h"
#include "net/net_environment.h"
#include "platform/folders.h"
#include "platform/message_box.h"
#include "platform/testing/fake_message_box.h"
#include "platform/testing/manual_clock.h"
#include "platform/testing/recording_main_window_sink.h"
#include "platform/testing/recording_window.h"
#include "platform/thread.h"

namespace lifecycle_test {

using TempFolder = fakes::TempFolder;

// Lines told to the trace observer, in order.
class TraceLog {
 public:
  void Add(const std::string& line) {
    const std::lock_guard lock(m_mutex);
    m_lines.push_back(line);
    m_changed.notify_all();
  }
  std::vector<std::string> Lines() {
    const std::lock_guard lock(m_mutex);
    return m_lines;
  }
  // Lines containing text.
  std::vector<std::string> Matching(const std::string& text) {
    std::vector<std::string> found;
    for (const std::string& line : Lines()) {
      if (line.find(text) != std::string::npos) {
        found.push_back(line);
      }
    }
    return found;
  }
  std::size_t Count(const std::string& text) { return Matching(text).size(); }
  // Index of the first line containing text after `from`, or -1.
  long IndexOf(const std::string& text, long from = -1) {
    const std::vector<std::string> lines = Lines();
    for (std::size_t i = static_cast<std::size_t>(from + 1); i < lines.size(); ++i) {
      if (lines[i].find(text) != std::string::npos) {
        return static_cast<long>(i);
      }
    }
    return -1;
  }
  bool WaitFor(const std::string& text, std::size_t count = 1, std::uint32_t timeoutMs = 20000) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
      return static_cast<std::size_t>(
                 std::count_if(m_lines.begin(), m_lines.end(), [&](const std::string& line) {
                   return line.find(text) != std::string::npos;
                 })) >= count;
    });
  }
  void Clear() {
    const std::lock_guard lock(m_mutex);
    m_lines.clear();
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::vector<std::string> m_lines;
};

// The login window without a window: records its fields, applies the next scripted user level
// and the stream size, and answers OK (or the scripted answer).
class HeadlessLoginWindow final : public app::ILoginWindow {
 public:
  struct Round {
    int answer = platform::IDOK;
    std::uint16_t userLevel = 0;
    std::uint16_t width = 0;  // the stream size of this login; 0: the window's
    std::uint16_t height = 0;
    int videoFormat = -1;  // the session's video format (0 JPEG, 4 MPEG-4); -1 keeps it
  };
  explicit HeadlessLoginWindow(std::vector<Round> rounds, std::uint16_t width = 704,
                               std::uint16_t height = 576)
      : m_rounds(rounds.begin(), rounds.end()), m_width(width), m_height(height) {}

  int DoModal(const app::LoginDialogFields& fields) override {
    m_fields.push_back(fields);
    if (m_rounds.empty()) {
      return platform::IDCANCEL;
    }
    const Round round = m_rounds.front();
    m_rounds.pop_front();
    if (round.answer == platform::IDOK) {
      const std::uint16_t width = round.width != 0 ? round.width : m_width;
      const std::uint16_t height = round.height != 0 ? round.height : m_height;
      g_lpApp->m_wUserLevel = round.userLevel;
      g_lpApp->m_wStreamMpeg4Width = width;
      g_lpApp->m_wStreamMpeg4Height = height;
      g_lpApp->m_wStreamJpegWidth = width;
      g_lpApp->m_wStreamJpegHeight = height;
      g_lpApp->m_dwLifeTime = kNoLifeTimeLimit;
      if (round.videoFormat >= 0)
        g_lpApp->m_byVideoFormat = static_cast<std::uint8_t>(round.videoFormat);
    }
    return round.answer;
  }
  const std::vector<app::LoginDialogFields>& Fields() const { return m_fields; }

 private:
  std::deque<Round> m_rounds;
  std::uint16_t m_width;
  std::uint16_t m_height;
  std::vector<app::LoginDialogFields> m_fields;
};

// The main window without a window: installs a recording sink and a recording window handle,
// starts the timer and the streams as the real window's opening does, runs the scenario, and
// on leaving takes the engine down as the real window's destruction does.
class HeadlessMainWindow final : public app::IMainWindow {
 public:
  std::function<void()> scenario;
  int runs = 0;
  std::shared_ptr<platform::testing::RecordingMainWindowSink> sink =
      std::make_shared<platform::testing::RecordingMainWindowSink>();
  platform::testing::RecordingWindow window;

  void DoModal() override {
    ++runs;
    g_lpApp->m_hWndMainDialog = window.Handle();
    app::SetMainWindowSink(sink);
    StartMainTimer();
    SignalMainWindowOpened();
    if (scenario) {
      scenario();
    }
    app::SetMainWindowSink(nullptr);
    g_lpApp->m_hWndMainDialog = platform::kNoWindow;
    theApp.ExitLoginResource();
    theApp.ExitProcessResource();
  }
};

// A test clock that also counts the waits begun on it, so a test can let time pass exactly when
// the thread under test sits in its k-th wait (one thread uses the clock).
class CountingClock final : public platform::IClock {
 public:
  std::uint32_t Ticks() override { return m_manual.Ticks(); }
  platform::LocalTime Now() override { return m_manual.Now(); }
  std::uint32_t WaitAny(std::span<platform::Waitable* const> objects,
                        std::uint32_t timeoutMs) override {
    {
      const std::lock_guard lock(m_mutex);
      ++m_calls;
    }
    m_called.notify_all();
    return m_manual.WaitAny(objects, timeoutMs);
  }
  using IClock::WaitAny;

  void Advance(std::uint32_t ms) { m_manual.Advance(ms); }
  // Waits (real time) until the k-th wait has begun and sits waiting.
  bool WaitForWait(std::size_t k) {
    std::unique_lock lock(m_mutex);
    if (!m_called.wait_for(lock, std::chrono::seconds(20), [&] { return m_calls >= k; })) {
      return false;
    }
    lock.unlock();
    return m_manual.WaitForWaiters(1, 20000);
  }
  std::size_t Calls() {
    const std::lock_guard lock(m_mutex);
    return m_calls;
  }

 private:
  platform::testing::ManualClock m_manual;
  std::mutex m_mutex;
  std::condition_variable m_called;
  std::size_t m_calls = 0;
};

class LifecycleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetProgramFolder(m_folder.Path());
    platform::SetDesktopFolder(m_folder.Path() / "Desktop");
    ASSERT_EQ(WriteDefaultCtrlFile(m_folder.Path() / "CtrlFile.ini"), 1);
    app::SetTraceObserver([log = m_log](const std::string& line) { log->Add(line); });
    ResetProgramSeams();
    platform::SetMessageBox(m_box);
  }

  void TearDown() override {
    // Whatever a test left running is taken down (a second run finds nothing to do).
    theApp.ExitInstance();
    app::SetTraceObserver(nullptr);
    ResetProgramSeams();
    platform::SetMessageBox(nullptr);
    platform::SetProgramFolder({});
    platform::SetDesktopFolder({});
  }

  // The data block with its settings and buffers, as start-up builds it before the login.
  void BuildDataBlock() {
    ASSERT_EQ(theApp.InitApplicationData(), 1);
    g_lpApp->m_SettingINI.Load();
    ASSERT_EQ(theApp.AllocateSystemBuffer(), 1);
    theApp.InitialSemaphore();
  }

  // Points the settings at the fake server.
  static void UseServer(std::uint16_t port) {
    const std::lock_guard lock(g_lpApp->m_SettingINI.m_TextLock);
    g_lpApp->m_SettingINI.m_strServerName = "127.0.0.1";
    g_lpApp->m_SettingINI.m_strServerAddress = "127.0.0.1";
    g_lpApp->m_SettingINI.m_wWebPort = port;
  }

  TempFolder m_folder;
  std::shared_ptr<TraceLog> m_log = std::make_shared<TraceLog>();
  std::shared_ptr<platform::testing::FakeMessageBox> m_box =
      std::make_shared<platform::testing::FakeMessageBox>();

 private:
  // The program's seams as start-up leaves them: stand-in media threads, the real clock, no
  // windows and no network environment of a test.
  static void ResetProgramSeams() {
    app::SetMediaHooks(app::StandInMediaHooks());
    app::SetClock(nullptr);
    app::SetMainWindowSink(nullptr);
    app::SetLoginWindow(nullptr);
    app::SetMainWindow(nullptr);
    net::SetEnvironment(nullptr);
  }
};

// One engine thread run alone on a test clock (ManualClock or CountingClock), with the main
// window's recording sink and window handle at hand: the set-up the thread tests share. The
// thread under test runs on m_thread, which is stopped before the engine is taken down.
template <class TestClock>
class EngineThreadTest : public LifecycleTest {
 protected:
  void SetUp() override {
    LifecycleTest::SetUp();
    app::SetClock(&m_clock);
  }
  void TearDown() override {
    m_thread.StopAndJoin(20000);
    LifecycleTest::TearDown();
  }

  // The main window as the engine sees it, once the data block exists: its handle and its sink.
  void AttachMainWindow() {
    g_lpApp->m_hWndMainDialog = m_window.Handle();
    app::SetMainWindowSink(m_sink);
  }

  TestClock m_clock;
  platform::testing::RecordingWindow m_window;
  std::shared_ptr<platform::testing::RecordingMainWindowSink> m_sink =
      std::make_shared<platform::testing::RecordingMainWindowSink>();
  platform::Thread m_thread;
};

inline constexpr const char* kLoginReply =
    "SESSION-ID=ab12cd34;PRODUCT-ID=604;FIRMWARE-VERSION=1.0.0.1;MAC-ADDRESS=00_11_22_33_44_55;";
inline std::string StreamReply(int width, int height, int userLevel = 0) {
  return "VIDEO-FORMAT=4;USER-LEVEL=" + std::to_string(userLevel) +
         ";LIFE-TIME=-1;MPEG4-WIDTH=" + std::to_string(width) +
         ";MPEG4-HEIGHT=" + std::to_string(height) + ";JPEG-WIDTH=" + std::to_string(width) +
         ";JPEG-HEIGHT=" + std::to_string(height) + ";STREAM-PORT=5000;";
}

}  // namespace lifecycle_test
