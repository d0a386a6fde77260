// CSelectPTZDlg: the small dialog the remote-control panel opens to pick the PTZ number of the
// addressed device port. OK ends it with 1, CANCEL with 2 and ESC ("back to control center",
// shown only while the port is in PTZ control) with 20, which leaves PTZ control.
#pragma once

#include <array>

#include "ui/common/ui_dialog.h"

class CSelectPTZDlg : public ui::UiDialog {
  Q_OBJECT

 public:
  enum : int { IDC_NUMBER = 1040, IDC_LABEL = 1334, IDC_ESC = 1068 };
  static constexpr int kResultPtzOff = 20;
  static constexpr const char* kCaption = "Select PTZ device";

  // Client rectangles (x, y, width, height) before the display scale: the label, the number,
  // OK, CANCEL, ESC, and CANCEL's place when ESC is hidden.
  struct Place {
    int x;
    int y;
    int width;
    int height;
  };
  static constexpr Place kClient{0, 0, 280, 88};
  static constexpr Place kLabelPlace{12, 13, 96, 20};
  static constexpr Place kNumberPlace{112, 10, 158, 24};
  static constexpr Place kOkPlace{8, 42, 76, 37};
  static constexpr Place kCancelPlace{90, 42, 76, 37};
  static constexpr Place kEscPlace{172, 42, 98, 37};
  static constexpr Place kCancelAlonePlace{172, 42, 98, 37};

  explicit CSelectPTZDlg(QWidget* parent = nullptr);

  // The selected number: the port's stored PTZ number when the dialog opens, what the edit
  // holds after OK.
  int m_nSelectNo = 1;

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(ui::DataExchange& dx) override;

 private:
  // The port the panel addresses and whether it is in PTZ control.
  static std::size_t Port();
  void PlaceControl(QWidget* control, const Place& place, float scale);
};
