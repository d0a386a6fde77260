// The gallery's pictures of the configuration sheet and its pages: the load dialog, the sheet on
// each page over the sample configuration (and its off-row variant), the mail address dialog,
// the FTP and account pages in entry mode, the time-setting dialog, the motion grid over a
// fixture frame with a motion report (and the Trigger page while its record is fetched), and the
// tabbed sheet for two kinds of server.
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTimer>
#include <cmath>
#include <functional>
#include <memory>

#include "app/app_data.h"
#include "fakes/fake_config_server.h"
#include "fakes/fake_video_server.h"
#include "fakes/hand_ticks.h"
#include "fakes/temp_folder.h"
#include "media/alarm_db/alarm_database.h"
#include "net/ctrl_file.h"
#include "net/net_environment.h"
#include "platform/testing/fake_message_box.h"
#include "ui/common/list_ctrl.h"
#include "ui/common/string_table.h"
#include "ui/config/motion/motion_detection_dlg.h"
#include "ui/config/pages/mail_page.h"
#include "ui/config/sheets/load_config_dlg.h"
#include "ui/config/sheets/my_system_dialog.h"
#include "ui/config/sheets/sys_conf_prop_sheet.h"

#include "gallery_sections.h"

namespace gallery {
namespace {

// A session against the fake server with the sample configuration.
struct Session {
  Session() {
    g_lpApp = std::make_unique<CAppData>();
    g_lpApp->m_wFrameWidth = 352;
    g_lpApp->m_wFrameHeight = 240;
    g_lpApp->m_byVideoStandard = 1;
    g_lpApp->m_byVideoFormat = 4;
    environment.SetServerName("127.0.0.1");
    environment.SetWebPort(server.WebPort());
    environment.SetSessionId("G1");
    net::SetEnvironment(&environment);
  }
  ~Session() {
    net::SetEnvironment(nullptr);
    g_lpApp.reset();
  }
  fakes::FakeVideoServer server;
  net::MemoryNetEnvironment environment;
  platform::testing::ScopedMessageBox box{std::make_shared<platform::testing::FakeMessageBox>()};
};

// Runs a dialog; body runs inside the run and ends it.
void RunWith(ui::UiDialog& dialog, const std::function<void()>& body) {
  QTimer::singleShot(0, &dialog, [&] {
    QCoreApplication::processEvents();
    body();
    if (dialog.isVisible())
      dialog.EndDialog(0);
  });
  dialog.DoModal();
}

void RenderLoadDialog() {
  platform::Event release(platform::ResetMode::Auto);
  ports::SysConfEngine engine = ports::SysConfEngine::Defaults();
  engine.loadConfigRecords = [&](const platform::StopToken& stop) {
    platform::WaitAny({&stop.StopEvent(), &release}, platform::kInfinite);
    return FetchedConfigRecords{{}, true};
  };
  fakes::HandTicks ticks;
  CEnterSysConfigDlg dialog(engine);
  RunWith(dialog, [&] {
    for (int tick = 0; tick < 3; ++tick)
      ticks.Fire(dialog, CEnterSysConfigDlg::kAnimationTimer);
    Save(dialog.grab().toImage(), "config_load_dialog");
    release.Set();
  });
}

bool LoadRecords() {
  CEnterSysConfigDlg dialog(ports::SysConfEngine::Defaults());
  return dialog.DoModal() == CEnterSysConfigDlg::kResultLoaded;
}

// The folders the opener gives the sheet.
const SysConfFolders kFolders{QStringLiteral("/home/operator/Kavelin/Record/"),
                              QStringLiteral("/home/operator/Kavelin/Snapshot/"),
                              QStringLiteral("/home/operator/Kavelin/Sound/")};

void RenderSheet(const QString& name, const std::function<void(CSysConfPropSheet&)>& show) {
  CSysConfPropSheet sheet(ports::SysConfEngine::Defaults());
  sheet.SetTreeTitle(QString::fromLatin1(CSysConfPropSheet::kEmptyPageText));
  sheet.m_Folders = kFolders;
  RunWith(sheet, [&] {
    show(sheet);
    QCoreApplication::processEvents();
    Save(sheet.grab().toImage(), name);
  });
}

void RenderSheetPages(const QString& suffix) {
  const struct {
    const char* name;
    int code;
  } pages[] = {{"network", syscfg::kNetworkPageCode},
               {"ddns", syscfg::kDnsPageCode},
               {"sntp", syscfg::kSntpPageCode},
               {"ftp", syscfg::kFtpPageCode},
               {"mail", syscfg::kMailPageCode},
               {"video", syscfg::kVideoPageCode},
               {"peripheral", syscfg::kPeripheralPageCode},
               {"account", syscfg::kAccountPageCode},
               {"file_path", syscfg::kRecordPageCode},
               {"schedule", syscfg::kSchedulePageCode},
               {"trigger", syscfg::kTriggerPageCode},
               {"information", syscfg::kOnlineUserPageCode},
               {"log", syscfg::kLogPageCode},
               {"event_records", syscfg::kAlarmDataPageCode}};
  for (const auto& page : pages) {
    RenderSheet(QStringLiteral("config_sheet_%1%2").arg(QLatin1String(page.name), suffix),
                [&](CSysConfPropSheet& sheet) {
                  sheet.SetActivePage(sheet.PageOfCode(page.code));
                  // The online users arrive from the page's worker.
                  QElapsedTimer waited;
                  waited.start();
                  while (sheet.m_OnlineUserPage.Querying() && waited.elapsed() < 5000)
                    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
                });
  }
}

void RenderMailEditDialog() {
  CMailAccountEditDlg dialog;
  dialog.m_strPrompt = ui::LoadString(CMailAccountEditDlg::kEditPrompt);
  dialog.m_strAddress = QStringLiteral("bob <bob@example.org>");
  RunWith(dialog, [&] { Save(dialog.grab().toImage(), "config_mail_edit_dialog"); });
}

void RenderFtpEntryMode() {
  RenderSheet(QStringLiteral("config_sheet_ftp_entry"), [](CSysConfPropSheet& sheet) {
    FTPPropertyPage& page = sheet.m_FtpPage;
    sheet.SetActivePage(&page);
    page.OnAdd();
    page.Controls().Get<QLineEdit>(FTPPropertyPage::IDC_SERVER)->setText("ftp.backup.example.net");
    page.Controls().Get<QLineEdit>(FTPPropertyPage::IDC_USER)->setText("backup");
    page.Controls().Get<QLineEdit>(FTPPropertyPage::IDC_PASSWORD)->setText("secret");
    auto* list = page.Controls().Get<ui::ListCtrl>(FTPPropertyPage::IDC_SITE_LIST);
    const int row = list->InsertItem(0, QStringLiteral("ftpuser"));
    list->SetItemText(row, 1, QStringLiteral("ftp.example.net"));
    list->SetItemText(row, 2, QStringLiteral("21"));
  });
}

// A fixture frame: a room with a window, a door and a lamp, bottom-up blue-green-red. The scene
// is drawn in the 352 x 240 picture's coordinates, whatever the frame's size.
std::vector<std::uint8_t> FixtureFrame(int width, int height) {
  std::vector<std::uint8_t> frame(static_cast<std::size_t>(width * height) * 3);
  for (int fy = 0; fy < height; ++fy) {
    for (int fx = 0; fx < width; ++fx) {
      const int x = fx * 352 / width;
      const int y = fy * 240 / height;
      int r = 196 - y / 8, g = 184 - y / 8, b = 160 - y / 10;  // wall
      if (y > 170) {                                           // floor boards
        r = 128 - (y - 170) / 3;
        g = 92 - (y - 170) / 4;
        b = 64;
        if ((x + (y / 12) * 40) % 80 == 0)
          r = g = b = 70;
      }
      if (x > 30 && x < 130 && y > 30 && y < 110) {  // window with sky and bars
        r = 120 + y / 2;
        g = 170 + y / 3;
        b = 235;
        if (x == 80 || y == 70 || x == 31 || x == 129 || y == 31 || y == 109)
          r = g = b = 245;
      }
      if (x > 230 && x < 290 && y > 60 && y <= 170) {  // door
        r = 110;
        g = 72;
        b = 44;
        if (x == 280 && y > 110 && y < 120)
          r = g = b = 220;  // handle
      }
      const double dx = x - 180, dy = y - 120;
      if (dx * dx + dy * dy < 14 * 14) {  // lamp
        r = 252;
        g = 236;
        b = 160;
      }
      const std::size_t at =
          (static_cast<std::size_t>(height - 1 - fy) * static_cast<std::size_t>(width) +
           static_cast<std::size_t>(fx)) *
          3;
      frame[at] = static_cast<std::uint8_t>(std::clamp(b, 0, 255));
      frame[at + 1] = static_cast<std::uint8_t>(std::clamp(g, 0, 255));
      frame[at + 2] = static_cast<std::uint8_t>(std::clamp(r, 0, 255));
    }
  }
  return frame;
}

// The Trigger page while the server holds Motion Setup's fetch: the key is disabled until the
// record arrives. The sheet's end stops the fetch.
void RenderMotionSetupFetching(fakes::FakeVideoServer& server) {
  fakes::StallGetSysCfg(server, {"PENTA"}, std::chrono::seconds(30));
  RenderSheet(QStringLiteral("config_sheet_trigger_fetching"), [&](CSysConfPropSheet& sheet) {
    sheet.SetActivePage(&sheet.m_AlarmPage);
    const std::size_t before = server.RequestsTo("/GetSysCfg.cgi").size();
    sheet.m_AlarmPage.OnMotionSetup();
    QElapsedTimer waited;
    waited.start();
    while (server.RequestsTo("/GetSysCfg.cgi").size() == before && waited.elapsed() < 5000)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  });
  // Every record answered at once again.
  fakes::StallGetSysCfg(server, {}, std::chrono::milliseconds(0));
}

void RenderMotionGrid() {
  CAppData& app = *g_lpApp;
  // The stream's frame is 704 x 480: the dialog scales it to its 352 x 240 picture.
  const std::vector<std::uint8_t> frame = FixtureFrame(704, 480);
  app.m_wFrameWidth = 704;
  app.m_wFrameHeight = 480;
  app.m_pCurrentPicture = const_cast<std::uint8_t*>(frame.data());
  // A motion report on the door: rows 4..9, columns 14..17 of the 704 grid.
  std::array<std::uint8_t, 73> report{};
  for (int row = 4; row <= 9; ++row) {
    syscfg::CellMask cells{};
    for (int column = 14; column <= 17; ++column)
      syscfg::SetCell(cells, syscfg::CellIndex(0, column), true);
    // The report's word of a row, from the row's three mask bytes m0, m1, m2.
    const std::uint32_t m0 = cells[0], m1 = cells[1], m2 = cells[2];
    const std::uint32_t h = m0 | ((m1 >> 1) << 9) | ((m2 >> 1) << 16) | ((m1 & 1) << 23);
    for (int i = 0; i < 4; ++i)
      report[static_cast<std::size_t>(row * 4 + i)] = static_cast<std::uint8_t>(h >> (8 * i));
  }
  report[72] = 'S';
  app.m_pCurrentFrameInfo = report.data();
  app.m_dwMotionFlag = 1;
  CMotionDetectionDlg dialog(ports::SysConfEngine::Defaults());
  // The opener fetches the record before the grid opens.
  dialog.SetFetchedRecord(FetchMotionRecord());
  RunWith(dialog, [&] {
    dialog.SetFrameEvent();
    QElapsedTimer waited;
    waited.start();
    const QPoint probe(60, 40);  // in the window, a cell not marked
    const QColor before = dialog.Picture().pixelColor(probe);
    while (dialog.Picture().pixelColor(probe) == before && waited.elapsed() < 5000)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    // A drag selection in progress over the lamp.
    dialog.OnPictureMouseDown({162, 102});
    dialog.OnPictureMouseMove({164, 104});
    dialog.OnPictureMouseMove({198, 138});
    QCoreApplication::processEvents();
    Save(dialog.grab().toImage(), "config_motion_grid");
  });
  app.m_pCurrentPicture = nullptr;
  app.m_pCurrentFrameInfo = nullptr;
}

// The client-side data the pages show: a device table with gaps, three alarm records (the
// second one's file is gone) and three schedule periods.
struct PageData {
  PageData() {
    const std::string devices[] = {"CAMERA",  "DVR 4CH", "DVR 4CH BASIC",
                                   "MUX 9CH", "PTZ",     "MPEG2 DVR 4CH"};
    std::string text = "[Device Number]\n" + std::to_string(std::size(devices)) + "\n";
    for (const std::string& name : devices)
      text += "[Device Name]\n" + name + "\n[Power]\n0x02 0x%d 0x50\n";
    text += "[EOF]\nEnd\n";
    const std::filesystem::path ctrl = folder.Path() / "CtrlFile.ini";
    QFile file(QString::fromStdString(ctrl.string()));
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(text.data(), static_cast<qint64>(text.size())) !=
            static_cast<qint64>(text.size())) {
      Fail();
    }
    file.close();
    if (LoadCtrlFileFrom(ctrl) != 1)
      Fail();
    MatchCtrlFileDevices();

    g_AlarmDatabase.SetProgramDir(folder.Path().string());
    const struct {
      const char* file;
      SystemTime time;
      std::uint32_t frames;
    } records[] = {{"Alarm_20240318_081530.vs4", {2024, 3, 1, 18, 8, 15, 30, 0}, 1800},
                   {"Alarm_20240318_120401.vs4", {2024, 3, 1, 18, 12, 4, 1, 0}, 2400},
                   {"Alarm_20240318_174459.vs4", {2024, 3, 1, 18, 17, 44, 59, 0}, 900}};
    for (std::size_t i = 0; i < std::size(records); ++i) {
      const std::filesystem::path path = folder.Path() / records[i].file;
      if (i != 1)
        QFile(QString::fromStdString(path.string())).open(QIODevice::WriteOnly);
      g_AlarmDatabase.SetRecordStartTime(records[i].time);
      g_AlarmDatabase.SetRecordFileName(path.string());
      g_AlarmDatabase.AppendRecord(records[i].frames, "192.168.1.50");
    }

    ScheduleTable& table = g_lpApp->m_ScheduleTable;
    const QDate day(2024, 3, 19);
    syscfg::AddPeriod(table, syscfg::LocalSeconds(day, 8, 0), syscfg::LocalSeconds(day, 12, 0));
    syscfg::AddPeriod(table, syscfg::LocalSeconds(day, 13, 30), syscfg::LocalSeconds(day, 18, 0));
    syscfg::AddPeriod(table, syscfg::LocalSeconds(day.addDays(1), 22, 0),
                      syscfg::LocalSeconds(day.addDays(2), 6, 0));
  }
  ~PageData() { FreeCtrlFileDevices(); }
  fakes::TempFolder folder;
};

// The log page after a download of the fake server's log.
void DownloadLog(CSysConfPropSheet& sheet) {
  CGetLogPPage& page = sheet.m_LogPage;
  sheet.SetActivePage(&page);
  page.OnDownload();
  QElapsedTimer waited;
  waited.start();
  while (page.State() != CGetLogPPage::kIdle && waited.elapsed() < 5000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

void RenderNewPages() {
  RenderSheet(QStringLiteral("config_sheet_log_downloaded"), DownloadLog);
  RenderSheet(QStringLiteral("config_sheet_account_entry"), [](CSysConfPropSheet& sheet) {
    AccountPropertyPage& page = sheet.m_AccountPage;
    sheet.SetActivePage(&page);
    page.OnAdd();
    page.Controls().Get<QLineEdit>(AccountPropertyPage::IDC_USER)->setText("operator");
    page.Controls().Get<QLineEdit>(AccountPropertyPage::IDC_PASSWORD)->setText("secret");
    page.Controls().Get<QComboBox>(AccountPropertyPage::IDC_LEVEL)->setCurrentIndex(1);
    page.Controls().Get<QComboBox>(AccountPropertyPage::IDC_LIFE_TIME)->setCurrentIndex(3);
  });
  // The second record's file is gone: its row shows the path marked as not found.
  RenderSheet(QStringLiteral("config_sheet_event_records_missing"), [](CSysConfPropSheet& sheet) {
    AlarmDataPage& page = sheet.m_AlarmDataPage;
    sheet.SetActivePage(&page);
    page.Controls().Get<ui::ListCtrl>(AlarmDataPage::IDC_LIST)->SelectItem(1);
    page.OnRowClicked(1);
  });
  // A 0x84 server's file-path page also holds the audio path.
  const std::uint8_t deviceType = g_lpApp->m_byDeviceType;
  g_lpApp->m_byDeviceType = syscfg::kAudioPathDeviceType;
  RenderSheet(QStringLiteral("config_sheet_file_path_audio"),
              [](CSysConfPropSheet& sheet) { sheet.SetActivePage(&sheet.m_RecordPage); });
  g_lpApp->m_byDeviceType = deviceType;
  RenderSheet(QStringLiteral("config_sheet_trigger_no_notify"), [](CSysConfPropSheet& sheet) {
    AlarmPropertyPage& page = sheet.m_AlarmPage;
    sheet.SetActivePage(&page);
    page.OnAlarmEnable(false);
    page.OnMotionEnable(false);
  });
}

void RenderTimeSetting() {
  CTimeSettingDlg dialog;
  g_lpApp->m_ScheduleTable.m_dwEditFlag = 1;
  const QDate day(2024, 3, 19);
  dialog.SetTimes(syscfg::LocalSeconds(day, 8, 0), syscfg::LocalSeconds(day, 12, 0));
  RunWith(dialog, [&] { Save(dialog.grab().toImage(), "config_time_setting"); });
}

void RenderTabbedSheets() {
  const struct {
    std::uint8_t type;
    const char* name;
  } kinds[] = {{'2', "config_tabbed_sheet_2"}, {'q', "config_tabbed_sheet_other"}};
  for (const auto& kind : kinds) {
    g_lpApp->m_byDeviceType = kind.type;
    MySystemDialog sheet(ports::SysConfEngine::Defaults(),
                         QString::fromLatin1(CSysConfPropSheet::kCaption));
    sheet.m_Folders = kFolders;
    RunWith(sheet, [&] {
      QCoreApplication::processEvents();
      Save(sheet.grab().toImage(), QString::fromLatin1(kind.name));
    });
  }
  g_lpApp->m_byDeviceType = '2';
}

}  // namespace

void RenderConfig() {
  Session session;
  RenderLoadDialog();
  if (!LoadRecords()) {
    Fail();
    return;
  }
  PageData data;
  RenderSheetPages({});
  RenderNewPages();
  RenderTimeSetting();
  RenderTabbedSheets();
  RenderMailEditDialog();
  RenderFtpEntryMode();
  g_lpApp->m_byVideoFormat = 0;
  RenderSheet(QStringLiteral("config_sheet_video_jpeg"),
              [](CSysConfPropSheet& sheet) { sheet.SetActivePage(&sheet.m_PentaPage); });
  g_lpApp->m_byVideoFormat = 4;
  RenderMotionSetupFetching(session.server);
  RenderMotionGrid();
  fakes::ServeConfig(session.server, fakes::OffRowConfig());
  if (!LoadRecords()) {
    Fail();
    return;
  }
  RenderSheetPages(QStringLiteral("_offrow"));
}

}  // namespace gallery
