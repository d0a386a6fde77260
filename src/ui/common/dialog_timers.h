// Timers by id, as a window sets them: SetTimer(id, ms) (re)starts a repeating timer, KillTimer
// stops it, and every tick calls the window's handler with the id on the GUI thread. The ticks
// reach the handler through the installed ITimerTicks (in the program none is installed and the
// timer's own timeouts do), so a test can tick a window's timer by hand instead of waiting.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>

namespace ui {

// How the ticks of a dialog's timer reach its handler.
class ITimerTicks {
 public:
  virtual ~ITimerTicks() = default;
  // Called once for each timer a dialog makes: from then on `tick` is what a tick of timer `id`
  // of `owner` runs (on the owner's thread); `timer` is the repeating timer behind it.
  virtual void Connect(QTimer& timer, QObject& owner, int id, std::function<void()> tick) = 0;
};

// Installs the ticks the timers made from now on are connected through (nullptr: their own
// timeouts tick); returns the previous one. GUI thread only.
std::shared_ptr<ITimerTicks> InstallTimerTicks(std::shared_ptr<ITimerTicks> ticks);

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

 private:
  QObject* m_owner;
  Handler m_handler;
  std::map<int, std::unique_ptr<QTimer>> m_timers;
};

}  // namespace ui
