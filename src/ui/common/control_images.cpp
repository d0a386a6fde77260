#include "ui/common/control_images.h"

#include <QAbstractButton>
#include <QLabel>

namespace ui {

QIcon LoadIconResource(int id) {
  for (const IconResource& entry : IconResourceEntries()) {
    if (entry.id != id || entry.draw == nullptr)
      continue;
    QIcon icon;
    for (const int size : {16, 32, 48})
      icon.addPixmap(entry.draw(size));
    return icon;
  }
  return {};
}

bool SetControlImage(QWidget* control, const QPixmap& image) {
  if (control == nullptr || image.isNull())
    return false;
  if (auto* label = qobject_cast<QLabel*>(control)) {
    label->setPixmap(image);
    return true;
  }
  if (auto* button = qobject_cast<QAbstractButton*>(control)) {
    button->setIcon(QIcon(image));
    button->setIconSize(image.size());
    return true;
  }
  return false;
}

}  // namespace ui
