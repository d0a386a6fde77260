// The main window's services as the engine threads call them (platform::IMainWindowSink),
// installed while the window lives. Every call but ShowImage is posted to the window's inbox
// (the one its numbered messages run from), so it runs on the GUI thread in call order, and in
// order with the messages posted to the window. ShowImage runs on the caller's thread (the
// kernel-message thread): it copies the picture and queues the repaint. No call waits for the GUI
// thread. Once the window is gone (Detach), nothing posted before or after runs, and ShowImage
// only signals the show thread's finish event.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "platform/main_window_sink.h"
#include "ui/common/gui_inbox.h"

class CKavelinDlg;

namespace mainwin {

class CMainWindowSink final : public platform::IMainWindowSink,
                              public std::enable_shared_from_this<CMainWindowSink> {
 public:
  using Call = std::function<void(CKavelinDlg&)>;

  // Made with std::make_shared on the GUI thread; inbox is the window's.
  CMainWindowSink(CKavelinDlg& window, ui::GuiInbox::Sender inbox);

  // GUI thread: the window goes; waits for a ShowImage under way (it never waits for the GUI).
  // No call posted before runs after it, and later ones are refused.
  void Detach();
  // Any thread: posts call to the GUI thread; dropped when the window is gone.
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
  void RefreshRecordButton() override;
  void ShowStreamTimeControl(bool show) override;
  void CloseConfigSheet() override;
  void SnapshotNotTaken() override;

 private:
  // GUI thread: runs call unless the window has gone meanwhile.
  void Run(const Call& call) const;

  std::mutex m_windowLock;  // held while ShowImage runs and while the window detaches
  // Written under m_windowLock on the GUI thread only, so the GUI thread reads it without it.
  CKavelinDlg* m_window;
  std::atomic<bool> m_bDetached{false};
  const ui::GuiInbox::Sender m_inbox;
};

}  // namespace mainwin
