// The program's main window as start-up runs it: builds CKavelinDlg and runs it modally.
#pragma once

#include <memory>

#include "app/app_seams.h"

namespace ui {

// The main window start-up opens by default. Making it also hands the painter's frame rate to
// the live audio player (before any stream thread runs).
std::shared_ptr<app::IMainWindow> MakeKavelinMainWindow();

}  // namespace ui
