// A test's helper thread that is joined on every path, failed assertions included. The test
// joins it where it expects the body to have ended; when an assertion returns first, the
// destructor runs `release` (what lets the body end: a stop event set, a manual clock moved on)
// and then joins, so the body never outlives what it uses.
#pragma once

#include <functional>
#include <thread>
#include <utility>

namespace fakes {

class JoiningThread {
 public:
  template <typename Body>
  explicit JoiningThread(Body&& body, std::function<void()> release = {})
      : m_release(std::move(release)), m_thread(std::forward<Body>(body)) {}
  JoiningThread(const JoiningThread&) = delete;
  JoiningThread& operator=(const JoiningThread&) = delete;
  ~JoiningThread() {
    if (m_thread.joinable()) {
      if (m_release)
        m_release();
      m_thread.join();
    }
  }

  void join() { m_thread.join(); }

 private:
  std::function<void()> m_release;
  std::thread m_thread;
};

}  // namespace fakes
