// The main window's services as the engine threads call them (platform::IMainWindowSink),
// installed while the window lives. Every call but ShowImage is queued to the GUI thread in call
// order: the call is kept in a queue and a message posted to the window's handle runs it there.
// ShowImage runs on the caller's thread (the kernel-message thread): it copies the picture and
// queues the repaint. No call waits for the GUI thread. Once the window is gone (Detach), queued
// calls are dropped and ShowImage only signals the show thread's finish event.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "platform/main_window_sink.h"
#include "platform/window_message.h"

class CKavelinDlg;

namespace mainwin {

// Message the window runs one queued call on.
inline constexpr std::uint32_t WM_RUNQUEUEDCALL = platform::WM_USER + 0x300;

class CMainWindowSink final : public platform::IMainWindowSink {
 public:
  using Call = std::function<void(CKavelinDlg&)>;

  CMainWindowSink(CKavelinDlg& window, platform::WindowHandle handle);

  // GUI thread: the window goes; waits for a ShowImage under way (it never waits for the GUI).
  void Detach();
  // GUI thread, on WM_RUNQUEUEDCALL: runs the oldest queued call.
  void RunOneQueued();
  // Any thread: queues call for the GUI thread; dropped when the window is gone.
  void Queue(Call call);

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
  void ShowStreamTimeControl(bool show) override;
  void CloseConfigSheet() override;

 private:
  std::mutex m_windowLock;  // held while ShowImage runs and while the window detaches
  CKavelinDlg* m_window;
  std::mutex m_queueLock;
  std::deque<Call> m_queue;
  platform::WindowHandle m_handle;
};

}  // namespace mainwin
