// MySystemDialog: a second configuration sheet with the same pages, load, apply and reboot as
// CSysConfPropSheet, on the plain tabbed property sheet. Its pages depend on the server's
// device type, its buttons lie along the left of the bottom edge, scaled by the display, and
// its apply steps run in an order of their own. No window of the program opens it.
#pragma once

#include <QRect>
#include <QString>
#include <array>

#include "ui/common/property_sheet.h"
#include "ui/config/sheets/sys_conf_sheet_base.h"

class MySystemDialog : public ui::CPropertySheet, public CSysConfSheetBase {
  Q_OBJECT

 public:
  static constexpr SysConfApplyStep kApplyOrder[] = {
      SysConfApplyStep::kNetwork, SysConfApplyStep::kDns,        SysConfApplyStep::kTrigger,
      SysConfApplyStep::kMail,    SysConfApplyStep::kFtp,        SysConfApplyStep::kSntp,
      SysConfApplyStep::kAccount, SysConfApplyStep::kPeripheral, SysConfApplyStep::kVideo,
      SysConfApplyStep::kSystem};

  // engine: what APPLY and the pages call (the opener gives the program's). No pages.
  explicit MySystemDialog(ports::SysConfEngine engine, QWidget* parent = nullptr);
  // No pages; the caption is the string-table entry captionId.
  MySystemDialog(ports::SysConfEngine engine, int captionId, QWidget* parent = nullptr);
  // The pages of the server's device type: all fourteen for '2', eight for any other.
  MySystemDialog(ports::SysConfEngine engine, const QString& caption, QWidget* parent = nullptr);
  ~MySystemDialog() override;

  void OnApply() override;

  // The buttons' rectangles for a client height and a display scale factor.
  struct ButtonPlace {
    int id;
    QRect rect;
  };
  static std::array<ButtonPlace, 3> ButtonPlaces(int clientHeight, double scale);

 protected:
  bool OnInitDialog() override;
  // Escape and the window's close stop a running APPLY before the run ends.
  void OnCancel() override;
  // The run's end also stops a reboot request or an APPLY still waiting.
  void OnDestroyWindow() override;
  void resizeEvent(QResizeEvent* event) override;
  ui::CPropertySheet& Sheet() const override { return const_cast<MySystemDialog&>(*this); }

 private:
  void PlaceButtons();
};
