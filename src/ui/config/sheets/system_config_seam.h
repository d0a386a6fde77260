// What the main window's SYSTEM CONFIG command uses of the configuration windows: the
// load-configuration dialog and the configuration sheet, made once and reused, and the close of
// an open sheet after a lost connection. Every call is made on the GUI thread (the engine's
// close comes there through the main window's sink).
//
// The command's order: RunLoadConfigDialog (stop unless 1); PrepareSheet with the empty-page
// text and the folders of the settings (the sheet opens on the page it showed last);
// RunSheet (3 after APPLY, 0 after EXIT, REBOOT or a lost connection); after 3 take Folders()
// back into the settings; refresh the panel buttons when DeviceTypeChanged().
#pragma once

#include <QString>
#include <memory>

#include "ui/config/engine/sys_conf_engine.h"

class QWidget;
class CSysConfPropSheet;

struct SysConfFolders;

class ISystemConfigWindows {
 public:
  virtual ~ISystemConfigWindows() = default;

  // Runs the load-configuration dialog: 1 every record fetched, 2 a fetch failed.
  virtual int RunLoadConfigDialog() = 0;
  // Makes the sheet on first use; gives it the empty-page text, its tree view and the folders,
  // and makes active the page whose code it recorded last.
  virtual void PrepareSheet(const QString& emptyPageText, const SysConfFolders& folders) = 0;
  // Runs the sheet modally, with its open flag set and the data block's open-sheet pointer
  // naming it while it runs.
  virtual int RunSheet() = 0;
  // The folders as the sheet left them.
  virtual SysConfFolders Folders() const = 0;
  // The sheet's device-type-changed flag.
  virtual bool DeviceTypeChanged() const = 0;
  // The code of the page the sheet showed last.
  virtual int PageCode() const = 0;
  // Ends an open sheet with 0 after a lost connection; does nothing while no sheet runs.
  virtual void CloseForLostConnection() = 0;
};

// The configuration windows of the program, owned by the main window (parent of both
// dialogs); every request of theirs goes through engine.
std::unique_ptr<ISystemConfigWindows> CreateSystemConfigWindows(QWidget* parent,
                                                                ports::SysConfEngine engine);
