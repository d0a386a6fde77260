// The program: the Qt application, the message box service, the sound device, the media
// engine's threads and the recorders, the login and main windows; then start-up and shut-down
// as the application object runs them.
#pragma once

#include <memory>

#include "app/app_seams.h"

namespace ui {

// Windows to run in place of the program's own (tests pass stand-ins); null takes the program's.
struct KavelinWindows {
  std::shared_ptr<app::ILoginWindow> login;
  std::shared_ptr<app::IMainWindow> main;
};

// Runs the program and returns its exit code. Makes the QApplication unless one exists.
int RunKavelin(int argc, char** argv, KavelinWindows windows = {});

}  // namespace ui
