// A message box for tests: records every box and answers from a script (then the default).
// Install with ScopedMessageBox so the previous box comes back at the end of the test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/message_box.h"

namespace platform::testing {

struct ShownMessageBox {
  std::string text;
  std::string caption;
  std::uint32_t flags = 0;
  int answer = 0;
};

class FakeMessageBox final : public IMessageBox {
 public:
  int Show(std::string_view text, std::string_view caption, std::uint32_t flags) override;

  // Answers for the next boxes, in order; when the script is used up boxes get their
  // DefaultAnswer.
  void ScriptAnswers(std::vector<int> answers);
  std::vector<ShownMessageBox> Shown();
  std::size_t Count();

 private:
  std::mutex m_mutex;
  std::deque<int> m_script;
  std::vector<ShownMessageBox> m_shown;
};

// Installs a box for the scope's lifetime.
class ScopedMessageBox {
 public:
  explicit ScopedMessageBox(std::shared_ptr<IMessageBox> box);
  ~ScopedMessageBox();
  ScopedMessageBox(const ScopedMessageBox&) = delete;
  ScopedMessageBox& operator=(const ScopedMessageBox&) = delete;

 private:
  std::shared_ptr<IMessageBox> m_previous;
};

}  // namespace platform::testing
