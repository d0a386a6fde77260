#include "ui/common/modal_runner.h"

#include "ui/common/ui_dialog.h"

namespace ui {
namespace {

std::shared_ptr<IModalRunner>& Installed() {
  static std::shared_ptr<IModalRunner> runner;
  return runner;
}

}  // namespace

int DirectModalRunner::RunModal(UiDialog& dialog) {
  return dialog.DoModal();
}

void SetModalRunner(std::shared_ptr<IModalRunner> runner) {
  Installed() = std::move(runner);
}

std::shared_ptr<IModalRunner> GetModalRunner() {
  if (!Installed())
    Installed() = std::make_shared<DirectModalRunner>();
  return Installed();
}

int RunModal(UiDialog& dialog) {
  return GetModalRunner()->RunModal(dialog);
}

}  // namespace ui
