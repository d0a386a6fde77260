#include "platform/testing/recording_main_window_sink.h"

#include <chrono>

namespace platform::testing {

void RecordingMainWindowSink::Record(std::string call) {
  {
    std::lock_guard lock(m_mutex);
    m_calls.push_back(std::move(call));
  }
  m_called.notify_all();
}

void RecordingMainWindowSink::ShowImage() {
  Record("ShowImage()");
  std::function<void()> hook;
  {
    std::lock_guard lock(m_mutex);
    hook = m_showImageHook;
  }
  if (hook) {
    hook();
  }
}

void RecordingMainWindowSink::ShowStatusText(const std::string& text) {
  {
    std::lock_guard lock(m_mutex);
    m_statusText = text;
  }
  Record("ShowStatusText(" + text + ")");
}

void RecordingMainWindowSink::ClearStatusText() {
  {
    std::lock_guard lock(m_mutex);
    m_statusText.clear();
  }
  Record("ClearStatusText()");
}

void RecordingMainWindowSink::ArrangeControls() {
  Record("ArrangeControls()");
}

void RecordingMainWindowSink::RefreshPanelButtons() {
  Record("RefreshPanelButtons()");
}

void RecordingMainWindowSink::ExitFullScreen() {
  Record("ExitFullScreen()");
}

int RecordingMainWindowSink::ApplyResolutionMode(int mode) {
  Record("ApplyResolutionMode(" + std::to_string(mode) + ")");
  return 1;
}

void RecordingMainWindowSink::ModifyMainDialogSize() {
  Record("ModifyMainDialogSize()");
}

void RecordingMainWindowSink::SetConnectButtonState(int state) {
  Record("SetConnectButtonState(" + std::to_string(state) + ")");
}

void RecordingMainWindowSink::SetRecordButtonState(int state) {
  Record("SetRecordButtonState(" + std::to_string(state) + ")");
}

void RecordingMainWindowSink::SetRecordToolTip(const std::string& text) {
  Record("SetRecordToolTip(" + text + ")");
}

void RecordingMainWindowSink::ShowStreamTimeControl(bool show) {
  Record(std::string("ShowStreamTimeControl(") + (show ? "1" : "0") + ")");
}

void RecordingMainWindowSink::RefreshRecordButton() {
  Record("RefreshRecordButton()");
}

void RecordingMainWindowSink::CloseConfigSheet() {
  Record("CloseConfigSheet()");
}

void RecordingMainWindowSink::SnapshotNotTaken() {
  Record("SnapshotNotTaken()");
}

void RecordingMainWindowSink::SetShowImageHook(std::function<void()> hook) {
  std::lock_guard lock(m_mutex);
  m_showImageHook = std::move(hook);
}

std::vector<std::string> RecordingMainWindowSink::Calls() {
  std::lock_guard lock(m_mutex);
  return m_calls;
}

std::vector<std::string> RecordingMainWindowSink::CallsStartingWith(const std::string& prefix) {
  std::lock_guard lock(m_mutex);
  std::vector<std::string> matching;
  for (const std::string& call : m_calls) {
    if (call.starts_with(prefix)) {
      matching.push_back(call);
    }
  }
  return matching;
}

std::size_t RecordingMainWindowSink::Count() {
  std::lock_guard lock(m_mutex);
  return m_calls.size();
}

std::size_t RecordingMainWindowSink::CountOf(const std::string& prefix) {
  return CallsStartingWith(prefix).size();
}

std::string RecordingMainWindowSink::StatusText() {
  std::lock_guard lock(m_mutex);
  return m_statusText;
}

bool RecordingMainWindowSink::WaitForCount(std::size_t count, std::uint32_t timeoutMs) {
  std::unique_lock lock(m_mutex);
  return m_called.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [&] { return m_calls.size() >= count; });
}

void RecordingMainWindowSink::Clear() {
  std::lock_guard lock(m_mutex);
  m_calls.clear();
}

}  // namespace platform::testing
