// Nested modal dialogs (a dialog opening another from a handler) run through one replaceable
// runner, so tests can script their results instead of blocking in a modal loop.
#pragma once

#include <memory>

namespace ui {

class UiDialog;

class IModalRunner {
 public:
  virtual ~IModalRunner() = default;
  virtual int RunModal(UiDialog& dialog) = 0;
};

// Runs dialog.DoModal().
class DirectModalRunner final : public IModalRunner {
 public:
  int RunModal(UiDialog& dialog) override;
};

// The installed runner (the direct one unless a test installed another). Install and run on the
// GUI thread only.
void SetModalRunner(std::shared_ptr<IModalRunner> runner);
std::shared_ptr<IModalRunner> GetModalRunner();

// Runs a nested dialog through the installed runner.
int RunModal(UiDialog& dialog);

}  // namespace ui
