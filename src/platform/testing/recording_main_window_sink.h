// A main window for tests: records every call as text ("ShowStatusText(Ready)",
// "SetRecordButtonState(0)", ...) in call order, and runs an optional hook on ShowImage (a test
// sets the show thread's finish event there, as the real window does).
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/main_window_sink.h"

namespace platform::testing {

class RecordingMainWindowSink final : public IMainWindowSink {
 public:
  void ShowImage() override;
  void ShowStatusText(const std::string& text) override;
  void ClearStatusText() override;
  void ArrangeControls() override;
  void RefreshPanelButtons() override;
  void ExitFullScreen() override;
  int ApplyResolutionMode(int mode) override;
  void ModifyMainDialogSize() override;
  void SetConnectButtonState(int state) override;
  void SetRecordButtonState(int state) override;
  void SetRecordToolTip(const std::string& text) override;
  void RefreshRecordButton() override;
  void ShowStreamTimeControl(bool show) override;
  void CloseConfigSheet() override;
  void SnapshotNotTaken() override;

  // Runs on every ShowImage, on the caller's thread, after the call is recorded.
  void SetShowImageHook(std::function<void()> hook);

  std::vector<std::string> Calls();
  // Calls whose text starts with prefix (e.g. "ShowStatusText(").
  std::vector<std::string> CallsStartingWith(const std::string& prefix);
  std::size_t Count();
  std::size_t CountOf(const std::string& prefix);
  std::string StatusText();
  // Waits (real time) until at least count calls were made; true when they were.
  bool WaitForCount(std::size_t count, std::uint32_t timeoutMs = 10000);
  void Clear();

 private:
  void Record(std::string call);

  std::mutex m_mutex;
  std::condition_variable m_called;
  std::vector<std::string> m_calls;
  std::string m_statusText;
  std::function<void()> m_showImageHook;
};

}  // namespace platform::testing
