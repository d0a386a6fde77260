#include "app/app_seams.h"

#include <mutex>
#include <optional>

#include "app/app_data.h"
#include "app/stream_stand_ins.h"
#include "app/trace.h"

namespace app {
namespace {

struct Seams {
  std::mutex lock;
  platform::IClock* clock = nullptr;
  std::shared_ptr<platform::IMainWindowSink> sink;
  std::shared_ptr<ILoginWindow> loginWindow;
  std::shared_ptr<IMainWindow> mainWindow;
  std::optional<MediaEngineHooks> media;
  TraceObserver observer;
};

Seams& TheSeams() {
  static Seams seams;
  return seams;
}

}  // namespace

platform::IClock& Clock() {
  Seams& seams = TheSeams();
  const std::lock_guard lock(seams.lock);
  return seams.clock != nullptr ? *seams.clock : platform::RealClock();
}

void SetClock(platform::IClock* clock) {
  Seams& seams = TheSeams();
  const std::lock_guard lock(seams.lock);
  seams.clock = clock;
}

std::shared_ptr<platform::IMainWindowSink> MainWindowSink() {
  Seams& seams = TheSeams();
  const std::lock_guard lock(seams.lock);
  return seams.sink;
}

void SetMainWindowSink(std::shared_ptr<platform::IMainWindowSink> sink) {
  Seams& seams = TheSeams();
  const std::lock_guard lock(seams.lock);
  seams.sink = std::move(sink);
}

std::shared_ptr<ILoginWindow> LoginWindow() {
  Seams& seams = TheSeams();
  const std::lock_guard lock(seams.lock);
  return seams.loginWindow;
}

void SetLoginWindow(std::shared_ptr<ILoginWindow> window) {
  Seams& seams = TheSeams();
  const std::lock_guard lock(seams.lock);
  seams.loginWindow = std::move(window);
}

std::shared_ptr<IMainWindow> MainWindow() {
  Seams& seams = TheSeams();
  const std::lock_guard lock(seams.lock);
  return seams.mainWindow;
}

void SetMainWindow(std::shared_ptr<IMainWindow> window) {
  Seams& seams = TheSeams();
  const std::lock_guard lock(seams.lock);
  seams.mainWindow = std::move(window);
}

MediaEngineHooks MediaHooks() {
  Seams& seams = TheSeams();
  const std::lock_guard lock(seams.lock);
  if (!seams.media) {
    seams.media = StandInMediaHooks();
  }
  return *seams.media;
}

void SetMediaHooks(MediaEngineHooks hooks) {
  Seams& seams = TheSeams();
  const std::lock_guard lock(seams.lock);
  seams.media = std::move(hooks);
}

void SetTraceObserver(TraceObserver observer) {
  Seams& seams = TheSeams();
  const std::lock_guard lock(seams.lock);
  seams.observer = std::move(observer);
}

namespace {
void Observe(const std::string& line) {
  TraceObserver observer;
  {
    Seams& seams = TheSeams();
    const std::lock_guard lock(seams.lock);
    observer = seams.observer;
  }
  if (observer) {
    observer(line);
  }
}
}  // namespace

void TraceStep(const std::string& line) {
  // The callers compose their line locally: one text shared by several threads would be
  // overwritten while another thread still writes it.
  if (g_lpApp) {
    g_lpApp->m_TraceFile.Append(0, line);
  }
  Observe(line);
}

void TraceLine(const std::string& line) {
  DebugPrint("%s", line.c_str());
  Observe(line);
}

}  // namespace app
