#include "ui/common/plain_controls.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ui/common/ui_dialog.h"

namespace ui {

QPushButton* MakeButton(const QString& text, QWidget* parent, int minimumWidth) {
  auto* button = new QPushButton(text, parent);
  button->setAutoDefault(false);
  button->setMinimumWidth(minimumWidth);
  return button;
}

void AddKeyRow(UiDialog& dialog, QBoxLayout& row, QWidget* parent, std::span<const RowKey> keys,
               int minimumWidth) {
  for (const RowKey& key : keys) {
    QPushButton* button = MakeButton(QString::fromLatin1(key.text), parent, minimumWidth);
    row.addWidget(button);
    dialog.RegisterControl(key.id, button, ControlRegistry::Tooltip::None);
    QObject::connect(button, &QPushButton::clicked, &dialog, key.onClick);
  }
}

void AddGridEdits(UiDialog& dialog, QGridLayout& grid, QWidget* parent,
                  std::span<const GridEdit> edits, int minimumWidth) {
  for (const GridEdit& e : edits) {
    auto* edit = new QLineEdit(parent);
    edit->setMaxLength(e.chars);
    if (minimumWidth > 0)
      edit->setMinimumWidth(minimumWidth);
    grid.addWidget(new QLabel(QString::fromLatin1(e.label), parent), e.row, e.column);
    grid.addWidget(edit, e.row, e.column + 1);
    dialog.RegisterControl(e.id, edit, ControlRegistry::Tooltip::None);
  }
}

}  // namespace ui
