#include "ui/common/push_button.h"

#include <QPushButton>

namespace ui {

QPushButton* MakeButton(const QString& text, QWidget* parent, int minimumWidth) {
  auto* button = new QPushButton(text, parent);
  button->setAutoDefault(false);
  button->setMinimumWidth(minimumWidth);
  return button;
}

}  // namespace ui
