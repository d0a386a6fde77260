// The firmware road offscreen against the fake server: the connect dialog, the firmware dialog
// (file choice, uploads of several sizes, refused files, a refused block, Cancel during a
// stalled block, the keep-alive's end) and the login window's firmware button with each result.
#include "ui/login/upgrade_fw_dlg.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "fakes/fake_firmware.h"
#include "fakes/fake_video_server.h"
#include "fakes/hand_ticks.h"
#include "login_test_support.h"
#include "net/login_session.h"
#include "ui/common/services.h"
#include "ui/common/testing/scripted_modal_runner.h"
#include "ui/common/vtx_button.h"
#include "ui/login/connect_dlg.h"
#include "ui/login/login_dialog.h"
#include "ui/login/login_layout.h"

namespace {

using fakes::FakeReply;
using fakes::WaitUntil;
using login_test::RunModalWith;
using namespace std::chrono_literals;
using namespace ui::login;

constexpr const char* kSession = "5A3F19C2";
constexpr std::size_t kFirmwareUploadBlock = net::kFirmwareBlockBytes;

class RecordingChooser final : public ui::IFileChooser {
 public:
  QString OpenFile(QWidget*, const QString&, const QString& startFolder,
                   const QString& filter) override {
    startFolders.push_back(startFolder);
    filters.push_back(filter);
    return answer;
  }
  QString SaveFile(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
  QString ChooseFolder(QWidget*, const QString&, const QString&) override { return {}; }

  QString answer;
  QStringList startFolders;
  QStringList filters;
};

// A login reply held until the test lets it go.
class Latch {
 public:
  void Wait() {
    std::unique_lock guard(m_lock);
    m_released.wait_for(guard, 15s, [&] { return m_open; });
  }
  void Open() {
    const std::lock_guard guard(m_lock);
    m_open = true;
    m_released.notify_all();
  }

 private:
  std::mutex m_lock;
  std::condition_variable m_released;
  bool m_open = false;
};

class FirmwareRoadTest : public login_test::LoginUiTest {
 protected:
  void SetUp() override {
    LoginUiTest::SetUp();
    CSettingINI& settings = g_lpApp->m_SettingINI;
    settings.m_strServerName = "127.0.0.1";
    settings.m_strServerAddress = "127.0.0.1";
    settings.m_wWebPort = m_server.WebPort();
    settings.m_strUpgradePath = "UnKnown";
    SessionIdBuffer.Set(kSession);
    const std::string version = "2.1.0.7";
    g_lpApp->m_szFirmwareVersion.fill('\0');
    std::copy(version.begin(), version.end(), g_lpApp->m_szFirmwareVersion.begin());
    ui::Services services;
    services.fileChooser = m_chooser;
    m_previousServices = ui::InstallServices(services);
  }
  void TearDown() override {
    ui::InstallServices(m_previousServices);
    LoginUiTest::TearDown();
  }

  // A file of size bytes in the program folder.
  std::string FirmwareFile(std::size_t size, const std::string& name = "fw.bin") {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
      bytes[i] = static_cast<char>(i * 13 + 1);
    fakes::TempFolder::Write(m_folder / name, bytes);
    return (m_folder / name).string();
  }
  static void Click(ui::UiDialog& dialog, int id) {
    auto* button = dialog.Controls().Get<QPushButton>(id);
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->isEnabled()) << id;
    button->click();
  }
  // The path as Find... puts it (the test folders are longer than what can be typed).
  static void SetPath(UpgradeFWDlg& dialog, const std::string& path) {
    dialog.m_strPath = QString::fromStdString(path);
    dialog.UpdateData(false);
  }
  std::vector<fakes::FirmwareRequest> Uploads() { return m_server.Firmware().Requests(); }
  bool KeepAliveClosed(std::size_t datagramsBefore) {
    return WaitUntil([&] {
      const auto datagrams = m_server.Datagrams();
      return datagrams.size() > datagramsBefore &&
             datagrams.back().find("Connection: Close\r\n") != std::string::npos;
    });
  }

  fakes::FakeVideoServer m_server;
  std::shared_ptr<RecordingChooser> m_chooser = std::make_shared<RecordingChooser>();
  ui::Services m_previousServices;
};

TEST_F(FirmwareRoadTest, FindTakesTheChosenFileWhole) {
  const std::string longPath = FirmwareFile(10, "a-firmware-image-with-a-long-name.bin");
  ASSERT_GT(longPath.size(), 31u);
  UpgradeFWDlg dialog(ports::LoginEngine::Defaults());
  RunModalWith(dialog, [&] {
    auto* path = dialog.Controls().Get<QLineEdit>(IDC_FW_PATH);
    EXPECT_EQ(path->text(), QString());  // "UnKnown" is not a path
    EXPECT_EQ(path->maxLength(), kFirmwarePathChars);
    EXPECT_EQ(dialog.Controls().Get<QWidget>(IDC_FW_VERSION)->property("text").toString(),
              QStringLiteral("2.1.0.7"));
    EXPECT_FALSE(dialog.IsProgressShown());
    // Cancelled: nothing changes.
    Click(dialog, IDC_FW_FIND);
    EXPECT_EQ(path->text(), QString());
    m_chooser->answer = QString::fromStdString(longPath);
    Click(dialog, IDC_FW_FIND);
    EXPECT_EQ(path->text().toStdString(), longPath);
    EXPECT_EQ(g_lpApp->m_SettingINI.m_strUpgradePath, longPath);
    Click(dialog, IDC_FW_FIND);
    dialog.EndDialog(0);
  });
  ASSERT_EQ(m_chooser->filters.size(), 3);
  EXPECT_EQ(m_chooser->filters[0], QStringLiteral("Firmware files (*.bin)"));
  EXPECT_EQ(m_chooser->startFolders[0], QString());
  EXPECT_EQ(m_chooser->startFolders[2].toStdString(), longPath);
  EXPECT_EQ(dialog.m_strPath.toStdString(), longPath);
}

TEST_F(FirmwareRoadTest, UploadsSendBlocksShowProgressAndEndTheSession) {
  const struct {
    std::size_t size;
    const char* session;
    std::vector<std::string> targets;
    std::vector<std::size_t> bodies;
    std::vector<int> progress;  // changes of the bar after it was made (at 0)
  } cases[] = {
      {900,
       kSession,
       {"/UpgradeFirmware.cgi?Upgrade=Start&FileSize=900&SessionID=5A3F19C2"},
       {900},
       {100, 0}},
      {1801,
       kSession,
       {"/UpgradeFirmware.cgi?Upgrade=Start&FileSize=1801&SessionID=5A3F19C2",
        "/UpgradeFirmware.cgi?SessionID=5A3F19C2",
        "/UpgradeFirmware.cgi?Upgrade=Finished&SessionID=5A3F19C2"},
       {900, 900, 1},
       {49, 99, 100, 0}},
      {1801,
       "",
       {"/UpgradeFirmware.cgi?Upgrade=Start&FileSize=1801", "/UpgradeFirmware.cgi",
        "/UpgradeFirmware.cgi?Upgrade=Finished"},
       {900, 900, 1},
       {49, 99, 100, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.size) + " " + c.session);
    SessionIdBuffer.Set(c.session);
    const std::size_t uploadsBefore = Uploads().size();
    const std::size_t boxesBefore = Boxes().size();
    const std::size_t datagramsBefore = m_server.Datagrams().size();
    const std::string file = FirmwareFile(c.size);
    UpgradeFWDlg dialog(ports::LoginEngine::Defaults());
    std::vector<int> progress;  // changes of the bar after it was made (at 0)
    QObject::connect(dialog.Controls().Get<QProgressBar>(IDC_FW_PROGRESS),
                     &QProgressBar::valueChanged, [&](int value) { progress.push_back(value); });
    const int result = RunModalWith(dialog, [&] {
      SetPath(dialog, file);
      Click(dialog, IDC_FW_UPGRADE);
      // Off before anything is sent, so a second press cannot start a second upload.
      EXPECT_FALSE(dialog.GetDlgItem(IDC_FW_UPGRADE)->isEnabled());
      EXPECT_TRUE(dialog.IsProgressShown());
      WaitUntil([&] { return !dialog.isVisible(); });
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(progress, c.progress);
    EXPECT_FALSE(dialog.IsProgressShown());
    ASSERT_EQ(Boxes().size(), boxesBefore + 1);
    EXPECT_EQ(Boxes().back(), Text(4048));
    const auto uploads = Uploads();
    ASSERT_EQ(uploads.size(), uploadsBefore + c.targets.size());
    for (std::size_t i = 0; i < c.targets.size(); ++i) {
      EXPECT_EQ(uploads[uploadsBefore + i].target, c.targets[i]);
      EXPECT_EQ(uploads[uploadsBefore + i].body.size(), c.bodies[i]);
    }
    const std::string bytes = fakes::TempFolder::Read(file);
    EXPECT_EQ(m_server.Firmware().Image(), std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    // The session ended: the keep-alive said its last.
    EXPECT_FALSE(dialog.IsKeepingAlive());
    EXPECT_TRUE(KeepAliveClosed(datagramsBefore));
  }
}

TEST_F(FirmwareRoadTest, FilesThatCannotBeSentWholeAreRefusedAndCancelAborts) {
  const std::string empty = FirmwareFile(0, "empty.bin");
  const std::string huge = FirmwareFile(0, "huge.bin");
  ASSERT_EQ(::truncate(huge.c_str(), static_cast<off_t>(64ll * 1024 * 1024 + 1)), 0);
  UpgradeFWDlg dialog(ports::LoginEngine::Defaults());
  const int result = RunModalWith(dialog, [&] {
    const struct {
      std::string path;
      int message;
    } cases[] = {{empty, 4057}, {huge, 4057}, {(m_folder / "missing.bin").string(), 4047}};
    for (const auto& c : cases) {
      SCOPED_TRACE(c.path);
      SetPath(dialog, c.path);
      Click(dialog, IDC_FW_UPGRADE);
      EXPECT_EQ(Boxes().back(), Text(c.message));
      EXPECT_TRUE(dialog.GetDlgItem(IDC_FW_UPGRADE)->isEnabled());
      EXPECT_FALSE(dialog.IsProgressShown());
      EXPECT_FALSE(dialog.IsUploading());
    }
    // Escape is Cancel: the abort goes out and the dialog ends.
    QTest::keyClick(&dialog, Qt::Key_Escape);
    WaitUntil([&] { return !dialog.isVisible(); });
  });
  EXPECT_EQ(result, 0);
  const auto uploads = Uploads();
  ASSERT_EQ(uploads.size(), 1u);
  EXPECT_EQ(uploads[0].target, "/UpgradeFirmware.cgi?Upgrade=Abort&Cookie=5A3F19C2");
  EXPECT_FALSE(dialog.IsKeepingAlive());
}

TEST_F(FirmwareRoadTest, ARefusedBlockStopsTheUploadAndLeavesTheSession) {
  m_server.Firmware().SetBlockReply(2, FakeReply::Status(205));
  const std::string file = FirmwareFile(2700);
  UpgradeFWDlg dialog(ports::LoginEngine::Defaults());
  const int result = RunModalWith(dialog, [&] {
    SetPath(dialog, file);
    Click(dialog, IDC_FW_UPGRADE);
    ASSERT_TRUE(WaitUntil([&] { return !Boxes().empty() && !dialog.IsUploading(); }));
    ASSERT_TRUE(WaitUntil([&] { return dialog.GetDlgItem(IDC_FW_UPGRADE)->isEnabled(); }));
    EXPECT_EQ(Boxes(), std::vector<std::string>{Text(4077)});
    WaitUntil([&] { return !dialog.IsProgressShown(); });
    EXPECT_FALSE(dialog.IsProgressShown());
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.IsKeepingAlive());
    // Nothing is resent and the server gets no abort.
    EXPECT_EQ(Uploads().size(), 2u);
    Click(dialog, IDC_FW_CANCEL);
    WaitUntil([&] { return !dialog.isVisible(); });
  });
  EXPECT_EQ(result, 0);
  const auto uploads = Uploads();
  ASSERT_EQ(uploads.size(), 3u);
  EXPECT_EQ(uploads[2].upgrade, "Abort");
}

TEST_F(FirmwareRoadTest, CancelDuringAStalledBlockEndsTheUploadThenAborts) {
  FakeReply stall = FakeReply::Status(200);
  stall.delay = 60s;  // held until the server stops
  m_server.Firmware().SetBlockReply(2, stall);
  const std::size_t datagramsBefore = m_server.Datagrams().size();
  const std::string file = FirmwareFile(4000);
  UpgradeFWDlg dialog(ports::LoginEngine::Defaults());
  const int result = RunModalWith(dialog, [&] {
    SetPath(dialog, file);
    Click(dialog, IDC_FW_UPGRADE);
    ASSERT_TRUE(m_server.WaitForRequests(2, 20s));
    Click(dialog, IDC_FW_CANCEL);
    EXPECT_TRUE(dialog.IsCancelling());
    EXPECT_FALSE(dialog.IsKeepingAlive());
    WaitUntil([&] { return !dialog.isVisible(); });
  });
  EXPECT_EQ(result, 0);
  // The second block is still held by the server, yet the upload is over: no third block,
  // no failure message, and the abort came last.
  const auto uploads = Uploads();
  ASSERT_EQ(uploads.size(), 3u);
  EXPECT_EQ(uploads[0].upgrade, "Start");
  EXPECT_EQ(uploads[1].upgrade, std::nullopt);
  EXPECT_EQ(uploads[2].target, "/UpgradeFirmware.cgi?Upgrade=Abort&Cookie=5A3F19C2");
  EXPECT_FALSE(m_server.Firmware().State().finished);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(KeepAliveClosed(datagramsBefore));
}

// An operator's Cancel during a multi-megabyte upload, pressed at 35 % while the server holds a
// block: the upload stops between two blocks, the abort goes out and "Finished" never does. The
// window heard of each percentage once, not of each of the thousands of blocks, so its queue
// keeps up and the press is taken at once.
TEST_F(FirmwareRoadTest, CancelStopsAMultiMegabyteUploadBetweenTwoBlocksAndNeverFinishes) {
  constexpr std::size_t kSize = 4'000'000;  // 4445 blocks
  constexpr std::size_t kHeld = 1600;       // the block after 35 %
  FakeReply stall = FakeReply::Status(200);
  stall.delay = 60s;  // held until the server stops
  m_server.Firmware().SetBlockReply(kHeld, stall);
  const std::string file = FirmwareFile(kSize);
  UpgradeFWDlg dialog(ports::LoginEngine::Defaults());
  const int result = RunModalWith(dialog, [&] {
    SetPath(dialog, file);
    Click(dialog, IDC_FW_UPGRADE);
    // 1600 exchanges take what the machine gives them: the wait ends early only when they stop.
    const auto blocks = [&] { return m_server.Firmware().State().blocks; };
    ASSERT_TRUE(fakes::WaitUntilWhileMoving([&] { return blocks() >= kHeld; }, blocks));
    ASSERT_TRUE(WaitUntil([&] { return dialog.ProgressValue() == 35; }));
    EXPECT_TRUE(dialog.IsUploading());
    auto* cancel = dialog.Controls().Get<QPushButton>(IDC_FW_CANCEL);
    ASSERT_TRUE(cancel->isEnabled());
    QTest::mouseClick(cancel, Qt::LeftButton);
    EXPECT_TRUE(dialog.IsCancelling());
    EXPECT_FALSE(dialog.IsUploading());
    WaitUntil([&] { return !dialog.isVisible(); });
  });
  EXPECT_EQ(result, 0);
  const auto uploads = Uploads();
  ASSERT_EQ(uploads.size(), kHeld + 1);
  EXPECT_EQ(uploads.front().upgrade, "Start");
  EXPECT_EQ(std::count_if(uploads.begin(), uploads.end() - 1,
                          [](const fakes::FirmwareRequest& r) { return r.upgrade.has_value(); }),
            1);
  EXPECT_EQ(uploads.back().target, "/UpgradeFirmware.cgi?Upgrade=Abort&Cookie=5A3F19C2");
  const fakes::FirmwareState state = m_server.Firmware().State();
  EXPECT_FALSE(state.finished);
  EXPECT_TRUE(state.aborted);
  EXPECT_EQ(state.received, kHeld * kFirmwareUploadBlock);
  // 0 % to 35 %, each once.
  EXPECT_EQ(dialog.ProgressUpdates(), 36);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_FALSE(dialog.IsKeepingAlive());
}

TEST_F(FirmwareRoadTest, ConnectAnimatesAndEndsWithTheLoginResult) {
  // Held by the server's connection thread too, which is joined only when the server goes.
  const auto latch = std::make_shared<Latch>();
  const auto logins = std::make_shared<std::atomic<int>>(0);
  m_server.SetHandler("/Login.cgi", [latch, logins](const fakes::RecordedRequest&) {
    if (++*logins == 1)
      latch->Wait();
    return FakeReply::Text("SESSION-ID=connect1;PRODUCT-ID=604;FIRMWARE-VERSION=3.0.0.1;");
  });
  fakes::HandTicks ticks;
  CConnectDlg connect(ports::LoginEngine::Defaults(), QStringLiteral("127.0.0.1"),
                      QStringLiteral("admin"), QStringLiteral("secret"),
                      QString::number(m_server.WebPort()));
  connect.m_strText = QStringLiteral("Connect 127.0.0.1");
  const int result = RunModalWith(connect, [&] {
    EXPECT_EQ(connect.ShownText(), QStringLiteral("Connect 127.0.0.1"));
    EXPECT_EQ(connect.Timers().Interval(kConnectTimer), 300);
    for (const char* text : {"Connect 127.0.0.1 .", "Connect 127.0.0.1 ..", "Connect 127.0.0.1 ...",
                             "Connect 127.0.0.1 ....", "Connect 127.0.0.1 ."}) {
      ticks.Fire(connect, kConnectTimer);
      EXPECT_EQ(connect.ShownText(), QString::fromLatin1(text));
    }
    latch->Open();
    WaitUntil([&] { return !connect.isVisible(); });
  });
  latch->Open();
  EXPECT_EQ(result, 1);
  EXPECT_EQ(SessionIdBuffer.Get(), "connect1");

  m_server.SetCredentials("admin", "other");
  m_server.SetHandler("/Login.cgi",
                      [](const fakes::RecordedRequest&) { return FakeReply::Status(202); });
  CConnectDlg refused(ports::LoginEngine::Defaults(), QStringLiteral("127.0.0.1"),
                      QStringLiteral("admin"), QStringLiteral("secret"),
                      QString::number(m_server.WebPort()));
  EXPECT_EQ(refused.DoModal(), 18);
}

class FirmwareButtonTest : public FirmwareRoadTest {
 protected:
  void SetUp() override {
    FirmwareRoadTest::SetUp();
    m_runner->ScriptHandler(QStringLiteral("CConnectDlg"),
                            [](ui::UiDialog& dialog) { return dialog.DoModal(); });
    m_runner->ScriptHandler(QStringLiteral("UpgradeFWDlg"), [this](ui::UiDialog&) {
      m_sessionAtUpgrade = SessionIdBuffer.Get();
      return 0;
    });
    m_dialog = std::make_unique<LoginDialog>(ports::LoginEngine::Defaults());
    m_dialog->m_strHost = QStringLiteral("127.0.0.1");
    m_dialog->m_strUserName = QStringLiteral("admin");
    m_dialog->m_strPassword = QStringLiteral("secret");
    m_dialog->m_strPort = QString::number(m_server.WebPort());
    m_dialog->InitForPicture();
    m_dialog->UpdateData(false);
  }
  void TearDown() override {
    m_dialog.reset();
    FirmwareRoadTest::TearDown();
  }
  void ClickUpgrade() {
    auto* button = qobject_cast<CVtxButton*>(m_dialog->GetDlgItem(IDC_TOOL_UPGRADE));
    ASSERT_NE(button, nullptr);
    button->click();
  }
  std::size_t UpgradeRuns() const {
    return static_cast<std::size_t>(std::count(m_runner->Runs().begin(), m_runner->Runs().end(),
                                               QStringLiteral("UpgradeFWDlg")));
  }

  std::shared_ptr<ui::testing::ScriptedModalRunner> m_runner =
      std::make_shared<ui::testing::ScriptedModalRunner>();
  ui::testing::ScopedModalRunner m_scopedRunner{m_runner};
  std::unique_ptr<LoginDialog> m_dialog;
  std::string m_sessionAtUpgrade;
};

TEST_F(FirmwareButtonTest, OnlyALevel30LoginReachesTheFirmwareDialog) {
  const struct {
    const char* name;
    const char* password;
    const char* streamReply;
    bool refuse;
    int shownCode;  // -1: the firmware dialog runs
  } cases[] = {
      {"level 10", "secret", "USER-LEVEL=10;", false, 25},
      {"refused", "secret", "USER-LEVEL=30;", true, 18},
      {"empty password", "", "USER-LEVEL=30;", false, 0},
      {"level 30", "secret", "USER-LEVEL=30;", false, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    m_server.SetStreamReply(c.streamReply);
    if (c.refuse)
      m_server.SetCredentials("admin", "other");
    else
      m_server.SetCredentials("admin", "secret");
    m_dialog->Controls().Get<QLineEdit>(IDC_LOGIN_PASSWORD)->setText(c.password);
    const std::size_t runs = UpgradeRuns();
    ClickUpgrade();
    if (c.shownCode >= 0) {
      const QString text = *ResultText(c.shownCode);
      ASSERT_TRUE(WaitUntil([&] { return m_dialog->ShownResultText() == text; }));
      EXPECT_EQ(UpgradeRuns(), runs);
    } else {
      EXPECT_EQ(UpgradeRuns(), runs + 1);
      EXPECT_EQ(m_sessionAtUpgrade, "5A3F19C2");
    }
  }
  EXPECT_EQ(Boxes(), std::vector<std::string>{Text(4081)});
}

TEST_F(FirmwareButtonTest, ALoginInProgressIsGivenUpFirst) {
  // Held by the server's connection thread too, which is joined only when the server goes.
  const auto latch = std::make_shared<Latch>();
  const auto logins = std::make_shared<std::atomic<int>>(0);
  m_server.SetHandler("/Login.cgi", [latch, logins](const fakes::RecordedRequest&) {
    if (++*logins == 1) {
      latch->Wait();
      return FakeReply::Text("SESSION-ID=window;PRODUCT-ID=604;");
    }
    return FakeReply::Text("SESSION-ID=firmware;PRODUCT-ID=604;");
  });
  m_server.SetStreamReply("USER-LEVEL=30;");
  m_dialog->Controls().Get<QLineEdit>(IDC_LOGIN_USER)->setFocus();
  QTest::keyClick(m_dialog->Controls().Get<QLineEdit>(IDC_LOGIN_USER), Qt::Key_Return);
  ASSERT_TRUE(WaitUntil([&] { return logins->load() == 1 && m_dialog->IsAnimating(); }));
  ClickUpgrade();
  EXPECT_FALSE(m_dialog->IsAnimating());
  EXPECT_EQ(m_sessionAtUpgrade, "firmware");
  latch->Open();
  // The window's attempt answers late and is dropped: the session stays the firmware road's.
  ASSERT_TRUE(WaitUntil([&] { return m_dialog->StaleResults() >= 1; }));
  EXPECT_EQ(SessionIdBuffer.Get(), "firmware");
  EXPECT_FALSE(m_dialog->ShownResultText().has_value());
}

}  // namespace
