#include <atomic>
#include <chrono>

#include "platform/clock.h"

namespace platform {

namespace {
// Beyond this many missed periods the ticker starts counting anew from now.
constexpr int kMaxCatchUpPeriods = 5;
}  // namespace

struct Ticker::State {
  std::atomic<std::uint64_t> delivered{0};
};

Ticker::~Ticker() {
  Stop();
}

bool Ticker::Start(std::uint32_t periodMs, std::function<void()> onTick, ThreadPriority priority) {
  return Run(periodMs, std::move(onTick), nullptr, nullptr, priority);
}

bool Ticker::StartOnDemand(std::uint32_t periodMs, std::function<void()> onTick,
                           std::function<bool()> wanted, std::shared_ptr<Event> demand,
                           ThreadPriority priority) {
  if (!wanted || !demand) {
    return false;
  }
  return Run(periodMs, std::move(onTick), std::move(wanted), std::move(demand), priority);
}

bool Ticker::Run(std::uint32_t periodMs, std::function<void()> onTick, std::function<bool()> wanted,
                 std::shared_ptr<Event> demand, ThreadPriority priority) {
  if (m_thread.IsRunning() || periodMs == 0 || !onTick) {
    return false;
  }
  m_state = std::make_shared<State>();
  auto state = m_state;
  auto body = [state, periodMs, onTick = std::move(onTick), wanted = std::move(wanted),
               demand = std::move(demand)](StopToken stop) -> std::uint32_t {
    using Clock = std::chrono::steady_clock;
    const auto period = std::chrono::milliseconds(periodMs);
    auto deadline = Clock::now() + period;
    while (!stop.StopRequested()) {
      if (wanted && !wanted()) {
        // Nobody listens: sleep until a thread starts to wait for a tick.
        if (WaitAny({&stop.StopEvent(), demand.get()}, kInfinite) != 1) {
          break;
        }
        deadline = Clock::now() + period;
      }
      const auto now = Clock::now();
      if (now < deadline) {
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(deadline - now);
        if (stop.StopEvent().Wait(static_cast<std::uint32_t>(wait.count()))) {
          break;
        }
        if (Clock::now() < deadline) {
          continue;  // woke a little early: wait for the rest
        }
      } else if (now - deadline > kMaxCatchUpPeriods * period) {
        deadline = now;
      }
      onTick();
      state->delivered.fetch_add(1);
      deadline += period;
    }
    return 0;
  };
  return m_thread.Start("ticker", std::move(body), priority);
}

void Ticker::Stop() {
  m_thread.RequestStop();
  m_thread.Join();
}

bool Ticker::IsRunning() const {
  return m_thread.IsRunning();
}

std::uint64_t Ticker::TickCountDelivered() const {
  return m_state ? m_state->delivered.load() : 0;
}

}  // namespace platform
