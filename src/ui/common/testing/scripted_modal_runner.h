// A modal runner for tests: records which dialogs were run (by class name) and answers each with
// a scripted handler or result instead of entering a modal loop.
#pragma once

#include <QString>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "ui/common/modal_runner.h"

namespace ui::testing {

class ScriptedModalRunner final : public IModalRunner {
 public:
  using Script = std::function<int(UiDialog&)>;

  // The next run of a dialog of this class returns result (queued per class).
  void ScriptResult(const QString& className, int result);
  // Every run of a dialog of this class calls script (after the queued results are used up).
  void ScriptHandler(const QString& className, Script script);
  // Result for dialogs with nothing scripted (Cancel by default).
  void SetDefaultResult(int result) { m_defaultResult = result; }

  int RunModal(UiDialog& dialog) override;
  const std::vector<QString>& Runs() const { return m_runs; }

 private:
  std::map<QString, std::deque<int>> m_results;
  std::map<QString, Script> m_handlers;
  std::vector<QString> m_runs;
  int m_defaultResult = 2;
};

// Installs a runner for the scope's lifetime.
class ScopedModalRunner {
 public:
  explicit ScopedModalRunner(std::shared_ptr<IModalRunner> runner) : m_previous(GetModalRunner()) {
    SetModalRunner(std::move(runner));
  }
  ~ScopedModalRunner() { SetModalRunner(m_previous); }
  ScopedModalRunner(const ScopedModalRunner&) = delete;
  ScopedModalRunner& operator=(const ScopedModalRunner&) = delete;

 private:
  std::shared_ptr<IModalRunner> m_previous;
};

}  // namespace ui::testing
