// The plain push button of the dialogs that are not skinned: it never becomes the default
// button by taking the focus (Enter stays with the dialog), and it is at least minimumWidth wide.
#pragma once

#include <QString>

class QPushButton;
class QWidget;

namespace ui {

QPushButton* MakeButton(const QString& text, QWidget* parent, int minimumWidth);

}  // namespace ui
