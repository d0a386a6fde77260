// The task type of APPLY's steps on its own: a task runs only when started or awaited, goes to
// the event loop where it waits and on from there when resumed, hands its value to the step that
// awaits it, and destroying a waiting task destroys the frames of the steps below it. A waiter
// other than a task can be awaited only as a named local: the temporary form, which GCC 12 can
// destroy twice, does not compile.
#include "ui/config/apply/apply_task.h"

#include <gtest/gtest.h>

#include <coroutine>
#include <string>
#include <utility>
#include <vector>

namespace {

using syscfg::ApplyTask;

// A wait the test ends by hand, as the sheet's worker wait ends when the worker answers.
class Gate : public syscfg::NamedAwaiter<Gate> {
 public:
  bool await_ready() const noexcept { return false; }
  void await_suspend(std::coroutine_handle<> step) noexcept { m_step = step; }
  int await_resume() const noexcept { return m_value; }

  bool Waiting() const { return static_cast<bool>(m_step); }
  void Open(int value) {
    m_value = value;
    std::exchange(m_step, {}).resume();
  }

 private:
  std::coroutine_handle<> m_step;
  int m_value = 0;
};

// The rule, checked on the type: a named waiter can be awaited, a temporary or moved one not.
template <typename W>
concept AwaitableNamed = requires(W& w) {
  w.operator co_await();
};
template <typename W>
concept AwaitableTemporary = requires(W&& w) {
  std::move(w).operator co_await();
};
static_assert(AwaitableNamed<Gate>);
static_assert(!AwaitableTemporary<Gate>);

// Counts its destruction, as a step's local with a destructor.
struct Witness {
  explicit Witness(std::vector<std::string>& log, std::string name)
      : m_log(log), m_name(std::move(name)) {}
  ~Witness() { m_log.push_back("~" + m_name); }
  std::vector<std::string>& m_log;
  std::string m_name;
};

ApplyTask<int> Inner(Gate& gate, std::vector<std::string>& log) {
  const Witness witness(log, "inner");
  log.push_back("inner waits");
  const int value = co_await gate;
  log.push_back("inner got " + std::to_string(value));
  co_return value * 2;
}

ApplyTask<> Outer(Gate& first, Gate& second, std::vector<std::string>& log, int& result) {
  const Witness witness(log, "outer");
  log.push_back("outer starts");
  const int a = co_await Inner(first, log);
  const int b = co_await Inner(second, log);
  result = a + b;
  log.push_back("outer ends");
}

TEST(ApplyTask, RunsOnlyWhenStartedWaitsAndHandsItsValueUp) {
  Gate first;
  Gate second;
  std::vector<std::string> log;
  int result = 0;
  ApplyTask<> task = Outer(first, second, log, result);
  EXPECT_TRUE(task.Valid());
  EXPECT_FALSE(task.Done());
  EXPECT_TRUE(log.empty());  // nothing runs before the start
  task.Start();
  EXPECT_EQ(log, (std::vector<std::string>{"outer starts", "inner waits"}));
  EXPECT_TRUE(first.Waiting());
  EXPECT_FALSE(task.Done());
  first.Open(5);
  EXPECT_TRUE(second.Waiting());
  second.Open(7);
  EXPECT_TRUE(task.Done());
  EXPECT_EQ(result, 24);
  EXPECT_EQ(log, (std::vector<std::string>{"outer starts", "inner waits", "inner got 5", "~inner",
                                           "inner waits", "inner got 7", "~inner", "outer ends",
                                           "~outer"}));
  // A finished task may be started again without effect, and reset.
  task.Start();
  task.Reset();
  EXPECT_FALSE(task.Valid());
  EXPECT_TRUE(task.Done());
}

TEST(ApplyTask, DestroyingAWaitingTaskDestroysTheFramesBelowItOnce) {
  const struct {
    const char* name;
    void (*end)(ApplyTask<>& task);
  } ends[] = {
      {"Reset", [](ApplyTask<>& task) { task.Reset(); }},
      {"assignment", [](ApplyTask<>& task) { task = ApplyTask<>(); }},
      {"destructor", [](ApplyTask<>& task) { ApplyTask<> gone = std::move(task); }},
  };
  for (const auto& e : ends) {
    SCOPED_TRACE(e.name);
    Gate first;
    Gate second;
    std::vector<std::string> log;
    int result = 0;
    ApplyTask<> task = Outer(first, second, log, result);
    task.Start();
    ASSERT_TRUE(first.Waiting());
    e.end(task);
    EXPECT_EQ(log, (std::vector<std::string>{"outer starts", "inner waits", "~inner", "~outer"}));
    EXPECT_FALSE(task.Valid());
    // A moved-from or reset task is safe to end again.
    task.Reset();
    EXPECT_EQ(result, 0);
  }
}

TEST(ApplyTask, AwaitingAFinishedTaskGoesOnAtOnce) {
  std::vector<std::string> log;
  const auto ready = [](std::vector<std::string>& log) -> ApplyTask<int> {
    log.push_back("ready");
    co_return 3;
  };
  const auto outer = [&ready](std::vector<std::string>& log) -> ApplyTask<> {
    ApplyTask<int> inner = ready(log);
    inner.Start();  // runs to its end
    log.push_back(inner.Done() ? "inner done" : "inner waits");
    const int value = co_await inner;
    log.push_back("got " + std::to_string(value));
  };
  ApplyTask<> task = outer(log);
  task.Start();
  EXPECT_TRUE(task.Done());
  EXPECT_EQ(log, (std::vector<std::string>{"ready", "inner done", "got 3"}));
}

}  // namespace
