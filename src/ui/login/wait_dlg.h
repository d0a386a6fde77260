// CWaitDlg: a box that shows "Connecting" with a growing row of dots until the application's
// wait-box event is set, and asks the program to end when that does not happen within 20
// seconds (or when Cancel is pressed). The program never exits from inside the box: it asks for
// an orderly end through one hook. No window of the program opens it.
#pragma once

#include <functional>
#include <memory>

#include "platform/sync.h"
#include "ui/common/ui_dialog.h"

inline constexpr int IDC_WAIT_TEXT = 1092;
inline constexpr int IDC_WAIT_STATIC = 1002;
inline constexpr int IDC_WAIT_CANCEL = 1197;
inline constexpr int kWaitDotTimer = 1037;
inline constexpr int kWaitLimitTimer = 1038;
inline constexpr int kWaitDotPeriodMs = 100;
inline constexpr int kWaitLimitMs = 20000;
inline constexpr int kWaitMaxDots = 11;

// The event that closes an open wait box (auto-reset; set by whoever the box waits for).
std::shared_ptr<platform::Event> WaitBoxEvent();

// How the wait box ends the program: by default every running event loop is left with code 0,
// so the open windows close and start-up runs the orderly shut-down.
using ProgramEndHook = std::function<void()>;
void SetProgramEndHook(ProgramEndHook hook);  // empty restores the default
void RequestProgramEnd();

class CWaitDlg : public ui::UiDialog {
  Q_OBJECT

 public:
  explicit CWaitDlg(QWidget* parent = nullptr);

  // The dot count the next tick shows (1..11), shared by every wait box.
  static int DotCounter();
  static void SetDotCounter(int count);
  bool IsDone() const { return m_bDone != 0; }

 protected:
  bool OnInitDialog() override;
  void OnTimer(int id) override;

 private:
  void OnCancelButton();
  int m_bDone = 0;
};
