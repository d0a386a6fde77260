// Dialog timers ticked by hand, for the window tests and the gallery. While a HandTicks lives,
// the timers that windows make are connected through it: Fire(window, id) runs what a tick of
// the window's timer id runs, at once. The timers still run as set (IsRunning, Interval). Their
// own ticks pass as well, unless they are held: a test that steps a timer by hand is then never
// overtaken by a real tick on a slow machine. GUI thread only.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "ui/common/dialog_timers.h"

namespace fakes {

class HandTicks {
 public:
  enum class RealTicks { kPass, kHold };

  explicit HandTicks(RealTicks real = RealTicks::kPass)
      : m_ticks(std::make_shared<Ticks>(real == RealTicks::kHold)),
        m_previous(ui::InstallTimerTicks(m_ticks)) {}
  ~HandTicks() { ui::InstallTimerTicks(std::move(m_previous)); }
  HandTicks(const HandTicks&) = delete;
  HandTicks& operator=(const HandTicks&) = delete;

  // Runs the tick of the window's timer id; false (nothing runs) when that timer does not run.
  bool Fire(QObject& window, int id) { return m_ticks->Fire(window, id); }

 private:
  class Ticks final : public ui::ITimerTicks {
   public:
    explicit Ticks(bool holdReal) : m_holdReal(std::make_shared<const bool>(holdReal)) {}

    void Connect(QTimer& timer, QObject& owner, int id, std::function<void()> tick) override {
      // A window may outlive this object: its timer keeps what its ticks need.
      QObject::connect(&timer, &QTimer::timeout, &owner, [holdReal = m_holdReal, tick] {
        if (!*holdReal)
          tick();
      });
      m_timers.push_back({&timer, &owner, id, std::move(tick)});
    }

    bool Fire(QObject& window, int id) {
      std::erase_if(m_timers, [](const Timer& t) { return t.timer.isNull(); });
      for (const Timer& t : m_timers) {
        if (t.owner == &window && t.id == id) {
          if (!t.timer->isActive())
            return false;
          const auto tick = t.tick;  // the tick may make more timers
          tick();
          return true;
        }
      }
      return false;
    }

   private:
    struct Timer {
      QPointer<QTimer> timer;
      const QObject* owner;
      int id;
      std::function<void()> tick;
    };
    std::shared_ptr<const bool> m_holdReal;
    std::vector<Timer> m_timers;
  };

  std::shared_ptr<Ticks> m_ticks;
  std::shared_ptr<ui::ITimerTicks> m_previous;
};

}  // namespace fakes
