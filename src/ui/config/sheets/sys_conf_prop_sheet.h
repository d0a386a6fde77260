// CSysConfPropSheet: the "System Config" sheet in which the operator edits the server's
// configuration. It is a tree property sheet whose pages load from the cached configuration
// records; APPLY sends back only the records whose values changed and ends the run with 3,
// EXIT ends it with 0, REBOOT asks the server to restart. One sheet object serves every
// opening: the pages keep their values between runs, and each run makes their windows anew
// from a fresh mirror of the records.
#pragma once

#include <QString>
#include <cstdint>

#include "ui/common/tree_prop_sheet.h"
#include "ui/config/sheets/sys_conf_sheet_base.h"

class CSysConfPropSheet : public CTreePropSheet, public CSysConfSheetBase {
  Q_OBJECT

 public:
  static constexpr const char* kCaption = "System Config";
  static constexpr const char* kEmptyPageText = "Please select a child item of '%s'.";
  // The order of the apply steps.
  static constexpr SysConfApplyStep kApplyOrder[] = {
      SysConfApplyStep::kDns,        SysConfApplyStep::kTrigger, SysConfApplyStep::kMail,
      SysConfApplyStep::kFtp,        SysConfApplyStep::kSntp,    SysConfApplyStep::kAccount,
      SysConfApplyStep::kPeripheral, SysConfApplyStep::kSystem,  SysConfApplyStep::kNetwork,
      SysConfApplyStep::kVideo};

  // engine: what APPLY and the pages call (the opener gives the program's).
  explicit CSysConfPropSheet(ports::SysConfEngine engine,
                             const QString& caption = QString::fromLatin1(kCaption),
                             QWidget* parent = nullptr, int selectPage = 0);
  // The same sheet with the string-table entry captionId as its caption.
  CSysConfPropSheet(ports::SysConfEngine engine, int captionId, QWidget* parent = nullptr,
                    int selectPage = 0);
  ~CSysConfPropSheet() override;

  // Ends a running sheet after a lost connection, with result 0, whatever its pages say; does
  // nothing while the sheet does not run. GUI thread: the engine's close reaches it through the
  // main window's sink.
  void CloseForLostConnection();

  void OnApply() override;

  // Set by the opener before each showing; cleared by the lost-connection close.
  std::uint32_t m_bOpen = 0;

 protected:
  bool OnInitDialog() override;
  // Enter does not end the sheet; Escape and the window's close are EXIT.
  void OnOK() override {}
  void OnCancel() override { OnExit(); }
  // The run's end also stops a reboot request or an APPLY still waiting.
  void OnDestroyWindow() override;
  void resizeEvent(QResizeEvent* event) override;
  ui::CPropertySheet& Sheet() const override { return const_cast<CSysConfPropSheet&>(*this); }

 private:
  void PlaceButtons();
};
