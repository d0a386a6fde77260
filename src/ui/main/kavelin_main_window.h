// The program's main window as start-up runs it: builds CKavelinDlg and runs it modally.
#pragma once

#include <memory>

#include "app/app_seams.h"
#include "ui/config/engine/sys_conf_engine.h"
#include "ui/main/main_window_engine.h"

namespace ui {

// The main window start-up opens by default. Making it also hands the painter's frame rate to
// the live audio player (before any stream thread runs).
// Every request of the window and of the configuration windows it opens goes through the two ports.
std::shared_ptr<app::IMainWindow> MakeKavelinMainWindow(ports::MainWindowEngine engine,
                                                        ports::SysConfEngine sysConf);

}  // namespace ui
