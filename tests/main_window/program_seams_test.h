// A fixture base for the tests that run the program as start-up runs it: the program folder
// holds the device command file shipped beside the programs, the Desktop (where records and
// snapshots go by default) is a folder of the test's own, the work area is fixed, the
// message box records, the media engine threads and recorders are the program's, the login
// window is headless and the main window is the program's own with the ports bound to the
// engine. Tear-down puts the stand-ins back.
#pragma once

#include <QCoreApplication>
#include <QRect>
#include <filesystem>
#include <memory>

#include "app/app_seams.h"
#include "app/stream_stand_ins.h"
#include "fakes/temp_folder.h"
#include "headless_login_window.h"
#include "main_window_fixture.h"
#include "media/media_hooks.h"
#include "media/recording_hooks.h"
#include "platform/folders.h"
#include "platform/message_box.h"
#include "platform/testing/fake_message_box.h"
#include "ui/common/services.h"
#include "ui/main/kavelin_main_window.h"

namespace main_window_test {

template <typename Base>
class ProgramSeamsTest : public Base {
 protected:
  explicit ProgramSeamsTest(QRect workArea) : m_workArea(workArea) {}

  void SetUp() override {
    platform::SetProgramFolder(m_folder.Path());
    platform::SetDesktopFolder(m_folder.Path() / "Desktop");
    std::filesystem::copy_file(
        std::filesystem::path(QCoreApplication::applicationDirPath().toStdString()) /
            "CtrlFile.ini",
        m_folder / "CtrlFile.ini");
    ui::Services services;
    services.workArea = std::make_shared<FixedWorkArea>(m_workArea);
    m_previousServices = ui::InstallServices(std::move(services));
    platform::SetMessageBox(m_box);
    InstallMediaEngineThreads();
    InstallRecorders();
    app::SetLoginWindow(m_login);
    app::SetMainWindow(ui::MakeKavelinMainWindow(ports::MainWindowEngine::Defaults(),
                                                 ports::SysConfEngine::Defaults()));
  }
  void TearDown() override {
    app::SetMainWindow(nullptr);
    app::SetLoginWindow(nullptr);
    app::SetMediaHooks(app::StandInMediaHooks());
    platform::SetMessageBox(nullptr);
    platform::SetDesktopFolder({});
    ui::InstallServices(std::move(m_previousServices));
  }

  fakes::TempFolder m_folder;
  std::shared_ptr<platform::testing::FakeMessageBox> m_box =
      std::make_shared<platform::testing::FakeMessageBox>();
  std::shared_ptr<HeadlessLoginWindow> m_login = std::make_shared<HeadlessLoginWindow>();

 private:
  QRect m_workArea;
  ui::Services m_previousServices;
};

}  // namespace main_window_test
