#include "ui/run_kavelin.h"

#include <QApplication>
#include <QScreen>
#include <optional>

#include "app/kavelin_app.h"
#include "media/media_hooks.h"
#include "media/recording_hooks.h"
#include "platform/audio_alsa/alsa_audio_out.h"
#include "platform/display.h"
#include "platform/message_box.h"
#include "ui/common/app_style.h"
#include "ui/common/held_keys.h"
#include "ui/common/qt_message_box.h"
#include "ui/login/login_window.h"
#include "ui/main/kavelin_main_window.h"

namespace ui {

int RunKavelin(int argc, char** argv, KavelinWindows windows) {
  std::optional<QApplication> application;
  if (QApplication::instance() == nullptr)
    application.emplace(argc, argv);
  // The windows Qt draws itself (message boxes, choosers, the sheets) take the skin's colours.
  if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
    InstallAppStyle(*app);
  // A held key is one press in every window and message box of the program.
  InstallHeldKeyFilter();

  platform::SetMessageBox(std::make_shared<QtMessageBox>());
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    platform::SetDisplayCaps(platform::DisplayCaps{qRound(screen->logicalDotsPerInchX()),
                                                   qRound(screen->logicalDotsPerInchY())});
  platform::InstallAlsaAudioOut();
  InstallMediaEngineThreads();
  InstallRecorders();

  // The ports every window's requests go through, bound to the program's engine once, here;
  // the windows hand them on to the dialogs they open. The program's own login and main windows
  // are installed where no stand-in is given.
  const ports::LoginEngine loginPort = ports::LoginEngine::Defaults();
  const ports::MainWindowEngine mainWindowPort = ports::MainWindowEngine::Defaults();
  const ports::SysConfEngine sysConfPort = ports::SysConfEngine::Defaults();
  app::SetLoginWindow(windows.login ? windows.login : login::MakeLoginWindow(loginPort));
  app::SetMainWindow(windows.main ? windows.main
                                  : MakeKavelinMainWindow(mainWindowPort, sysConfPort));

  theApp.InitInstance();  // false once the main window has closed: no loop runs after it
  const int code = theApp.ExitInstance();

  app::SetMainWindow(nullptr);
  app::SetLoginWindow(nullptr);
  platform::SetMessageBox(nullptr);
  platform::SetDisplayCaps(std::nullopt);
  return code;
}

}  // namespace ui
