// The program from start to end, offscreen: the simulated server's web and stream sides, a
// program folder with the Setting.ini that scripts/run.sh writes, RunKavelin with the program's
// own login window, Enter pressed in it, and a main window stand-in that records the frames
// the engine hands it. Closing it shuts the program down with 0.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <fstream>
#include <memory>

#include "app/app_data.h"
#include "app/engine_threads.h"
#include "app/kavelin_app.h"
#include "fakes/fake_stream_server.h"
#include "fakes/fake_video_server.h"
#include "fakes/qt_test_environment.h"
#include "fakes/stream_packets.h"
#include "fakes/temp_folder.h"
#include "net/ctrl_file.h"
#include "platform/folders.h"
#include "platform/testing/recording_main_window_sink.h"
#include "platform/testing/recording_window.h"
#include "ui/common/ui_dialog.h"
#include "ui/login/login_dialog.h"
#include "ui/login/login_layout.h"
#include "ui/run_kavelin.h"

namespace {

using namespace std::chrono_literals;

constexpr std::size_t kFramesToSee = 10;

// The main window as far as this test needs it: it takes the engine's services with a recording
// sink, starts the streams as the real window's opening does, waits for frames, and on closing
// takes the engine down as the real window's destruction does.
class StandInMainWindow final : public app::IMainWindow {
 public:
  void DoModal() override {
    CAppData& app = *g_lpApp;
    framesAtOpen = {app.m_wFrameWidth.load(), app.m_wFrameHeight.load()};
    app.m_hWndMainDialog = window.Handle();
    sink->SetShowImageHook([] { app::SignalEvent(g_lpApp->FinishShowImageJobEvent); });
    app::SetMainWindowSink(sink);
    StartMainTimer();
    SignalMainWindowOpened();
    sawFrames = fakes::WaitUntil([this] { return sink->CountOf("ShowImage") >= kFramesToSee; });
    app::SetMainWindowSink(nullptr);
    app.m_hWndMainDialog = platform::kNoWindow;
    app.m_SettingINI.Save();
    theApp.ExitLoginResource();
    theApp.ExitProcessResource();
  }

  std::shared_ptr<platform::testing::RecordingMainWindowSink> sink =
      std::make_shared<platform::testing::RecordingMainWindowSink>();
  platform::testing::RecordingWindow window;
  std::pair<int, int> framesAtOpen{0, 0};
  bool sawFrames = false;
};

TEST(EndToEnd, EnterInTheLoginWindowBringsTheLivePictureToTheMainWindow) {
  fakes::TempFolder folder;
  platform::SetProgramFolder(folder.Path());
  platform::SetDesktopFolder(folder / "Desktop");
  ASSERT_EQ(WriteDefaultCtrlFile(folder / "CtrlFile.ini"), 1);

  // The server: the web side and a stream side that sends a JPEG clip (the default "Decode
  // Type" 0 asks for JPEG) with sound.
  fakes::FakeStreamServer stream(60s);
  const auto clip = fakes::JpegClip(fakes::ReadFile(LOGIN_TEST_MEDIA_DIR "/clip_352x288.mjpeg"));
  ASSERT_FALSE(clip.empty());
  stream.SetVideoClip(clip);
  stream.SetAudioClip(fakes::AudioClip(64, 512));
  stream.SetFrameInterval(20ms);
  stream.SetLoops(50);
  fakes::FakeVideoServer web(60s);
  web.SetStreamReply(
      "VIDEO-FORMAT=0;USER-LEVEL=30;LIFE-TIME=-1;DEVICE-ID0=1;DEVICE-TYPE0=3;BAUD-RATE0=9600;"
      "MPEG4-WIDTH=176;MPEG4-HEIGHT=144;JPEG-WIDTH=352;JPEG-HEIGHT=288;STREAM-PORT=" +
      std::to_string(stream.Port()) + ";");

  // The settings file as scripts/run.sh leaves it.
  {
    std::ofstream settings(folder / "Setting.ini");
    settings << "[ZRC604]\nServer Name=127.0.0.1\nServerPort=" << web.WebPort() << "\n";
  }

  // In the login window: the fields start-up filled, a password typed, Enter.
  QString shownHost;
  QString shownPort;
  QString shownUser;
  QTimer finder;
  finder.setInterval(20);
  QObject::connect(&finder, &QTimer::timeout, [&] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* login = qobject_cast<LoginDialog*>(widget);
      if (login == nullptr || !login->isVisible())
        continue;
      finder.stop();
      const auto text = [&](int id) { return qobject_cast<QLineEdit*>(login->GetDlgItem(id)); };
      shownHost = text(ui::login::IDC_LOGIN_ADDRESS)->text();
      shownPort = text(ui::login::IDC_LOGIN_PORT)->text();
      shownUser = text(ui::login::IDC_LOGIN_USER)->text();
      QLineEdit* password = text(ui::login::IDC_LOGIN_PASSWORD);
      password->setText(QStringLiteral("typed-only"));
      password->setFocus();
      QTest::keyClick(password, Qt::Key_Return);
      return;
    }
  });
  finder.start();
  // Should the login never succeed, every window still open is closed so the run ends.
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (auto* dialog = qobject_cast<ui::UiDialog*>(widget); dialog && dialog->isVisible())
        dialog->EndDialog(ui::IDCANCEL);
      else if (auto* other = qobject_cast<QDialog*>(widget); other && other->isVisible())
        other->reject();
    }
  });
  watchdog.start(40000);

  auto main = std::make_shared<StandInMainWindow>();
  static char name[] = "kavelin";
  static char* argv[] = {name, nullptr};
  const int code = ui::RunKavelin(1, argv, ui::KavelinWindows{nullptr, main});

  EXPECT_EQ(code, 0);
  EXPECT_EQ(shownHost, QStringLiteral("127.0.0.1"));
  EXPECT_EQ(shownPort, QString::number(web.WebPort()));
  EXPECT_EQ(shownUser, QStringLiteral("wopal"));
  const auto requests = web.Requests();
  ASSERT_GE(requests.size(), 2u);
  EXPECT_EQ(requests[0].target, "/Login.cgi?Username=wopal&Password=typed-only");
  EXPECT_EQ(requests[1].target, "/RequestStream.cgi?SessionID=5A3F19C2");
  ASSERT_TRUE(stream.WaitForRequests(1, 1s));
  bool askedForJpeg = false;
  for (const auto& request : stream.Requests()) {
    EXPECT_EQ(request.session, "5A3F19C2");
    for (const auto& command : request.commands)
      askedForJpeg = askedForJpeg || command.rfind("Jpeg", 0) == 0;
  }
  EXPECT_TRUE(askedForJpeg);
  EXPECT_EQ(main->framesAtOpen, std::make_pair(352, 288));
  EXPECT_TRUE(main->sawFrames);
  EXPECT_EQ(app::AbandonedThreadCount(), 0u);
  // The typed password went to the server and nowhere else.
  std::ifstream saved(folder / "Setting.ini");
  const std::string text((std::istreambuf_iterator<char>(saved)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("ServerPort=" + std::to_string(web.WebPort())), std::string::npos);
  EXPECT_EQ(text.find("typed-only"), std::string::npos);

  platform::SetProgramFolder({});
  platform::SetDesktopFolder({});
}

}  // namespace
