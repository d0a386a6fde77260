// ApplyTask: a step of APPLY written as straight-line code that may wait for the sheet's worker.
// It runs on the GUI thread only: it starts when awaited (or by Start), and where it awaits a
// worker it returns to the event loop; the sheet resumes it when the worker's completion hands
// over the result on the GUI thread.
// A task owns its coroutine frame; destroying a suspended task destroys the frames of the
// steps it awaits as well. A task's destructor is safe to run on a moved-from or reset task.
// Keep other awaiters, and anything with a destructor that they are built from (lambdas with
// captures), in named locals rather than in the co_await operand: GCC 12 can destroy such
// temporaries twice when a frame suspended at that co_await is destroyed. Such an awaiter
// derives from NamedAwaiter, so the temporary form does not compile.
#pragma once

#include <coroutine>
#include <exception>
#include <optional>
#include <type_traits>
#include <utility>

namespace syscfg {

template <typename T>
class ApplyTask;

// Base of an awaiter (other than a task) that the steps await: only a named local can be
// awaited. `Waiter w(...); co_await w;` compiles; `co_await Waiter(...);` and
// `co_await std::move(w);` do not. What the co_await holds is a reference to the named waiter (the
// waiter itself is neither copied nor destroyed by it).
template <typename Derived>
class NamedAwaiter {
 public:
  class Ref {
   public:
    explicit Ref(Derived& waiter) noexcept : m_waiter(waiter) {}
    decltype(auto) await_ready() { return m_waiter.await_ready(); }
    template <typename Handle>
    decltype(auto) await_suspend(Handle step) {
      return m_waiter.await_suspend(step);
    }
    decltype(auto) await_resume() { return m_waiter.await_resume(); }

   private:
    Derived& m_waiter;
  };

  Ref operator co_await() & noexcept { return Ref(static_cast<Derived&>(*this)); }
  void operator co_await() && = delete;

 protected:
  NamedAwaiter() = default;
};

namespace detail {

template <typename T>
struct ApplyPromiseBase {
  std::coroutine_handle<> continuation;

  std::suspend_always initial_suspend() noexcept { return {}; }
  auto final_suspend() noexcept {
    struct FinalAwaiter {
      bool await_ready() noexcept { return false; }
      std::coroutine_handle<> await_suspend(std::coroutine_handle<> self) noexcept {
        (void)self;
        return continuation ? continuation : std::noop_coroutine();
      }
      void await_resume() noexcept {}
      std::coroutine_handle<> continuation;
    };
    return FinalAwaiter{continuation};
  }
  void unhandled_exception() noexcept { std::terminate(); }
};

template <typename T>
struct ApplyPromise : ApplyPromiseBase<T> {
  std::optional<T> value;
  ApplyTask<T> get_return_object() noexcept;
  void return_value(T v) { value = std::move(v); }
};

template <>
struct ApplyPromise<void> : ApplyPromiseBase<void> {
  ApplyTask<void> get_return_object() noexcept;
  void return_void() noexcept {}
};

}  // namespace detail

template <typename T = void>
class [[nodiscard]] ApplyTask {
 public:
  using promise_type = detail::ApplyPromise<T>;
  using Handle = std::coroutine_handle<promise_type>;

  ApplyTask() = default;
  explicit ApplyTask(Handle handle) : m_handle(handle) {}
  ApplyTask(ApplyTask&& other) noexcept : m_handle(std::exchange(other.m_handle, {})) {}
  ApplyTask& operator=(ApplyTask&& other) noexcept {
    if (this != &other) {
      Reset();
      m_handle = std::exchange(other.m_handle, {});
    }
    return *this;
  }
  ApplyTask(const ApplyTask&) = delete;
  ApplyTask& operator=(const ApplyTask&) = delete;
  ~ApplyTask() { Reset(); }

  // Runs a top-level task up to its first wait (or its end).
  void Start() {
    if (m_handle && !m_handle.done())
      m_handle.resume();
  }
  bool Valid() const { return static_cast<bool>(m_handle); }
  bool Done() const { return !m_handle || m_handle.done(); }
  // Destroys the frame; only while the task is suspended (never from inside it).
  void Reset() {
    if (m_handle)
      std::exchange(m_handle, {}).destroy();
  }

  // Awaiting a task runs it; the awaiter continues when it ends.
  bool await_ready() const noexcept { return !m_handle || m_handle.done(); }
  std::coroutine_handle<> await_suspend(std::coroutine_handle<> caller) noexcept {
    m_handle.promise().continuation = caller;
    return m_handle;
  }
  T await_resume() {
    if constexpr (!std::is_void_v<T>)
      return std::move(*m_handle.promise().value);
  }

 private:
  Handle m_handle;
};

namespace detail {

template <typename T>
ApplyTask<T> ApplyPromise<T>::get_return_object() noexcept {
  return ApplyTask<T>(std::coroutine_handle<ApplyPromise<T>>::from_promise(*this));
}

inline ApplyTask<void> ApplyPromise<void>::get_return_object() noexcept {
  return ApplyTask<void>(std::coroutine_handle<ApplyPromise<void>>::from_promise(*this));
}

}  // namespace detail

}  // namespace syscfg
