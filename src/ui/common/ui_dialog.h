// The dialog base of our windows. DoModal runs OnInitDialog first; a dialog that ends itself
// during its initialisation (EndDialog) returns that code without ever being shown. Any integer
// is a result. Escape and the window's close box go to OnCancel, which a dialog may override
// (the main window ignores them); Enter is OK unless a push button has the focus; a key held
// down acts once (its repeats are dropped before any window sees them, held_keys.h). Controls are
// registered by id, user messages arrive through the window's handle, timers run by id and
// DoDataExchange moves data between members and controls. A dialog that does not move itself
// opens centred on the window that opened it, or on the work area.
#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>

#include "ui/common/control_registry.h"
#include "ui/common/data_exchange.h"
#include "ui/common/dialog_timers.h"
#include "ui/common/message_bridge.h"

namespace ui {

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

class UiDialog : public QDialog {
  Q_OBJECT

 public:
  using MessageHandler = std::function<void(WParam wParam, LParam lParam)>;

  explicit UiDialog(QWidget* parent = nullptr);
  ~UiDialog() override;

  // Runs the dialog modally and returns the code given to EndDialog.
  virtual int DoModal();
  // Ends the modal run with code. During OnInitDialog the dialog then never shows.
  void EndDialog(int code);
  bool IsInModalRun() const { return m_inModalRun; }
  // Whether the dialog has shown in its current or last run.
  bool WasShown() const { return m_wasShown; }

  // The handle engine threads post user messages to (valid while the dialog exists).
  platform::WindowHandle Handle() const { return m_bridge->Handle(); }
  // Handler of a user message number, run on the GUI thread.
  void OnMessage(std::uint32_t msg, MessageHandler handler);
  // The inbox the messages run from: work posted there runs on the GUI thread in one order with
  // them (while the dialog exists).
  GuiInbox::Sender InboxSender() const { return m_bridge->InboxSender(); }

  ControlRegistry& Controls() { return m_controls; }
  void RegisterControl(
      int id, QWidget* control,
      ControlRegistry::Tooltip tooltip = ControlRegistry::Tooltip::FromStringTable) {
    m_controls.Register(id, control, tooltip);
  }
  QWidget* GetDlgItem(int id) const { return m_controls.Get(id); }

  DialogTimers& Timers() { return m_timers; }
  void SetTimer(int id, int intervalMs) { m_timers.SetTimer(id, intervalMs); }
  bool KillTimer(int id) { return m_timers.KillTimer(id); }

  // Runs DoDataExchange in one direction; false when a value failed its check.
  bool UpdateData(bool saveAndValidate = true);

 protected:
  // Called by DoModal before the dialog shows. Returning normally shows the dialog unless
  // EndDialog was called.
  virtual bool OnInitDialog();
  virtual void DoDataExchange(DataExchange& dx);
  virtual void OnOK();
  virtual void OnCancel();
  virtual void OnTimer(int id);
  // Messages without a registered handler.
  virtual void OnUserMessage(std::uint32_t msg, WParam wParam, LParam lParam);

  void accept() override { OnOK(); }
  void reject() override { OnCancel(); }
  void done(int code) override;
  void closeEvent(QCloseEvent* event) override;
  // Enter on a focused push button clicks it, elsewhere it is OK; Escape is Cancel.
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void Dispatch(std::uint32_t msg, WParam wParam, LParam lParam);

  ControlRegistry m_controls;
  DialogTimers m_timers;
  std::map<std::uint32_t, MessageHandler> m_messageHandlers;
  MessageBridge* m_bridge;  // child object
  std::optional<int> m_endCode;
  bool m_inInit = false;
  bool m_inModalRun = false;
  bool m_wasShown = false;
};

}  // namespace ui
