#include "ui/main/main_window_sink.h"

#include <QString>

#include "app/app_data.h"
#include "app/engine_threads.h"
#include "ui/main/kavelin_dlg.h"

namespace mainwin {

CMainWindowSink::CMainWindowSink(CKavelinDlg& window, ui::GuiInbox::Sender inbox)
    : m_window(&window), m_inbox(std::move(inbox)) {}

void CMainWindowSink::Detach() {
  m_bDetached = true;
  const std::lock_guard lock(m_windowLock);
  m_window = nullptr;
}

void CMainWindowSink::Queue(Call call) {
  if (m_bDetached || !call)
    return;
  // The post holds the sink, not the window: the window is looked up when the call runs.
  m_inbox.Post([self = weak_from_this(), call = std::move(call)] {
    if (const std::shared_ptr<const CMainWindowSink> sink = self.lock())
      sink->Run(call);
  });
}

void CMainWindowSink::Run(const Call& call) const {
  // Detach runs on this thread too, so the window cannot go while the call runs.
  if (m_window != nullptr)
    call(*m_window);
}

void CMainWindowSink::ShowImage() {
  {
    const std::lock_guard lock(m_windowLock);
    if (m_window != nullptr) {
      m_window->ShowImage();
      return;
    }
  }
  // No window paints: the show thread still gets its picture back.
  if (g_lpApp)
    app::SignalEvent(g_lpApp->FinishShowImageJobEvent);
}

void CMainWindowSink::ShowStatusText(const std::string& text) {
  Queue([text](CKavelinDlg& w) { w.ShowStatusText(QString::fromStdString(text)); });
}

void CMainWindowSink::ClearStatusText() {
  Queue([](CKavelinDlg& w) { w.ClearStatusText(); });
}

void CMainWindowSink::ArrangeControls() {
  Queue([](CKavelinDlg& w) { w.ArrangeControls(); });
}

void CMainWindowSink::RefreshPanelButtons() {
  Queue([](CKavelinDlg& w) { w.RefreshPanelButtons(); });
}

void CMainWindowSink::ExitFullScreen() {
  Queue([](CKavelinDlg& w) { w.ExitFullScreen(); });
}

int CMainWindowSink::ApplyResolutionMode(int mode) {
  Queue([mode](CKavelinDlg& w) { w.ApplyResolutionMode(mode); });
  return 1;
}

void CMainWindowSink::ModifyMainDialogSize() {
  Queue([](CKavelinDlg& w) { w.OnModifyMainDialogSize(); });
}

void CMainWindowSink::SetConnectButtonState(int state) {
  Queue([state](CKavelinDlg& w) { w.SetButtonState(IDC_CONNECT, state); });
}

void CMainWindowSink::SetRecordButtonState(int state) {
  Queue([state](CKavelinDlg& w) { w.SetButtonState(IDC_RECORD, state); });
}

void CMainWindowSink::SetRecordToolTip(const std::string& text) {
  Queue([text](CKavelinDlg& w) { w.SetToolTipText(IDC_RECORD, QString::fromStdString(text)); });
}

void CMainWindowSink::RefreshRecordButton() {
  Queue([](CKavelinDlg& w) { w.RefreshRecordButton(); });
}

void CMainWindowSink::ShowStreamTimeControl(bool show) {
  Queue([show](CKavelinDlg& w) { w.ShowTimeStampWindow(show); });
}

void CMainWindowSink::CloseConfigSheet() {
  Queue([](CKavelinDlg& w) { w.CloseConfigSheet(); });
}

void CMainWindowSink::SnapshotNotTaken() {
  Queue([](CKavelinDlg& w) { w.OnSnapshotNotTaken(); });
}

}  // namespace mainwin
