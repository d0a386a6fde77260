#include "ui/common/testing/scripted_modal_runner.h"

#include "ui/common/ui_dialog.h"

namespace ui::testing {

void ScriptedModalRunner::ScriptResult(const QString& className, int result) {
  m_results[className].push_back(result);
}

void ScriptedModalRunner::ScriptHandler(const QString& className, Script script) {
  m_handlers[className] = std::move(script);
}

int ScriptedModalRunner::RunModal(UiDialog& dialog) {
  const QString name = QString::fromLatin1(dialog.metaObject()->className());
  m_runs.push_back(name);
  auto queued = m_results.find(name);
  if (queued != m_results.end() && !queued->second.empty()) {
    const int result = queued->second.front();
    queued->second.pop_front();
    return result;
  }
  const auto handler = m_handlers.find(name);
  if (handler != m_handlers.end())
    return handler->second(dialog);
  return m_defaultResult;
}

}  // namespace ui::testing
