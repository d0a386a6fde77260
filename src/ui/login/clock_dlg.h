// CClockDlg: a small box that hosts the bitmap clock CClockST on its static 1403, dragged by a
// press anywhere. No window of the program opens it.
#pragma once

#include "ui/common/ui_dialog.h"

class CClockST;

inline constexpr int IDC_CLOCK_STATIC = 1403;

class CClockDlg : public ui::UiDialog {
  Q_OBJECT

 public:
  explicit CClockDlg(QWidget* parent = nullptr);
  ~CClockDlg() override;

  CClockST& Clock() { return *m_pClock; }
  void InitForPicture() { OnInitDialog(); }

 protected:
  bool OnInitDialog() override;

 private:
  CClockST* m_pClock;  // child
};
