// Timers by id, as a window sets them: SetTimer(id, ms) (re)starts a repeating timer, KillTimer
// stops it, and every tick calls the window's handler with the id on the GUI thread. Tests fire
// a tick by hand instead of waiting.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>

namespace ui {

class DialogTimers {
 public:
  using Handler = std::function<void(int id)>;

  DialogTimers(QObject* owner, Handler handler);
  ~DialogTimers();

  void SetTimer(int id, int intervalMs);
  // False when no timer of that id runs.
  bool KillTimer(int id);
  void KillAll();
  bool IsRunning(int id) const;
  int Interval(int id) const;
  // Calls the handler as a tick of timer id would; false (no call) when it does not run.
  bool FireForTest(int id);
  // While held, the real ticks of every dialog's timers are dropped (the timers still run, so
  // FireForTest works): a test that steps a timer by hand is then never overtaken by a real
  // tick on a slow machine. GUI thread only.
  static void HoldRealTicksForTest(bool held);

 private:
  QObject* m_owner;
  Handler m_handler;
  std::map<int, std::unique_ptr<QTimer>> m_timers;
};

}  // namespace ui
