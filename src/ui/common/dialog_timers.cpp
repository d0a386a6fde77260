#include "ui/common/dialog_timers.h"

namespace ui {
namespace {

std::shared_ptr<ITimerTicks> g_timerTicks;

}  // namespace

std::shared_ptr<ITimerTicks> InstallTimerTicks(std::shared_ptr<ITimerTicks> ticks) {
  std::swap(g_timerTicks, ticks);
  return ticks;
}

DialogTimers::DialogTimers(QObject* owner, Handler handler)
    : m_owner(owner), m_handler(std::move(handler)) {}

DialogTimers::~DialogTimers() {
  KillAll();
}

void DialogTimers::SetTimer(int id, int intervalMs) {
  auto& timer = m_timers[id];
  if (!timer) {
    timer = std::make_unique<QTimer>();
    timer->moveToThread(m_owner->thread());
    auto tick = [this, id] {
      if (m_handler)
        m_handler(id);
    };
    if (g_timerTicks)
      g_timerTicks->Connect(*timer, *m_owner, id, std::move(tick));
    else
      QObject::connect(timer.get(), &QTimer::timeout, m_owner, std::move(tick));
  }
  timer->start(intervalMs < 0 ? 0 : intervalMs);
}

bool DialogTimers::KillTimer(int id) {
  const auto it = m_timers.find(id);
  if (it == m_timers.end() || !it->second->isActive())
    return false;
  it->second->stop();
  return true;
}

void DialogTimers::KillAll() {
  for (auto& [id, timer] : m_timers)
    timer->stop();
}

bool DialogTimers::IsRunning(int id) const {
  const auto it = m_timers.find(id);
  return it != m_timers.end() && it->second->isActive();
}

int DialogTimers::Interval(int id) const {
  const auto it = m_timers.find(id);
  return it == m_timers.end() ? -1 : it->second->interval();
}

}  // namespace ui
