// CAboutDlg: the main window's about box: the program's icon, "Kavelin Version 1.0", a line on
// what the program is, and OK.
#pragma once

#include "ui/common/ui_dialog.h"

class CAboutDlg : public ui::UiDialog {
  Q_OBJECT

 public:
  explicit CAboutDlg(QWidget* parent = nullptr);
};
