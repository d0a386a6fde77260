// The Log File page against the fake server: a download on its worker filling the list, the
// filters, Cancel during a stalled batch, Erase, a lost-connection close during a download, and
// a cancelled download that changes nothing later.
#include <QProgressBar>
#include <QTest>
#include <atomic>

#include "config_fixture.h"
#include "fakes/fake_server_log.h"
#include "page_controls.h"
#include "platform/sync.h"
#include "ui/config/pages/log_page.h"

namespace {

using namespace config_testing;
using L = CGetLogPPage;

constexpr int kWaitMs = 10000;

class LogPageTest : public ConfigTest {
 public:
  int RunOnPage(const std::function<void(CSysConfPropSheet&, L&)>& body) {
    return RunSheet([&](CSysConfPropSheet& s) {
      ASSERT_TRUE(s.SetActivePage(&s.m_LogPage));
      body(s, s.m_LogPage);
    });
  }
  static bool WaitIdle(L& page) {
    return fakes::WaitUntil([&] { return page.State() == L::kIdle; });
  }
  static bool SheetButtonsEnabled(CSysConfPropSheet& s) {
    return s.GetDlgItem(CSysConfPropSheet::IDC_EXIT)->isEnabled() &&
           s.GetDlgItem(CSysConfPropSheet::IDC_APPLY)->isEnabled() &&
           s.GetDlgItem(CSysConfPropSheet::IDC_REBOOT)->isEnabled();
  }
};

TEST_F(LogPageTest, ADownloadFillsTheList) {
  ASSERT_EQ(Load(), 1);
  RunOnPage([](CSysConfPropSheet& s, L& page) {
    EXPECT_EQ(TextOf(page, L::IDC_DOWNLOAD), "Server Log");
    EXPECT_EQ(TextOf(page, L::IDC_MAX_LOG), "300");
    EXPECT_FALSE(Enabled(page, L::IDC_ERROR));
    Click(page, L::IDC_DOWNLOAD);
    ASSERT_TRUE(WaitIdle(page));
    const auto rows = ListRows(page, L::IDC_LIST);
    ASSERT_EQ(rows.size(), 14u);
    EXPECT_EQ(rows[0], QStringList({" 1", "SYSTEM", "2024-03-18 08:00:02", "SERVER_POWER_ON"}));
    EXPECT_EQ(rows[1], QStringList({" 2", "USER", "2024-03-18 08:05:41", "admin LOGIN"}));
    EXPECT_EQ(rows[13], QStringList({"14", "SYSTEM", "2024-03-18 18:00:00", "SERVER_SHUTDWON"}));
    EXPECT_TRUE(Enabled(page, L::IDC_ERROR));
    EXPECT_TRUE(Enabled(page, L::IDC_ERASE));
    EXPECT_TRUE(SheetButtonsEnabled(s));
    EXPECT_EQ(TextOf(page, L::IDC_DOWNLOAD), "Server Log");
    EXPECT_FALSE(page.DownloadWorker().IsRunning());
  });
  EXPECT_EQ(server->RequestsTo("/GetLog.cgi").size(), 2u);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(LogPageTest, FiltersHideKindsAndRenumber) {
  ASSERT_EQ(Load(), 1);
  RunOnPage([](CSysConfPropSheet&, L& page) {
    Click(page, L::IDC_DOWNLOAD);
    ASSERT_TRUE(WaitIdle(page));
    Click(page, L::IDC_ERROR);
    EXPECT_FALSE(Checked(page, L::IDC_ERROR));
    auto rows = ListRows(page, L::IDC_LIST);
    ASSERT_EQ(rows.size(), 10u);
    EXPECT_EQ(rows[2], QStringList({" 3", "USER", "2024-03-18 09:12:00", "guest LOGIN"}));
    for (const auto& row : rows)
      EXPECT_NE(row[1], "ERROR");
    Click(page, L::IDC_SYSTEM);
    Click(page, L::IDC_USER);
    EXPECT_TRUE(ListRows(page, L::IDC_LIST).empty());
    Click(page, L::IDC_ERROR);
    rows = ListRows(page, L::IDC_LIST);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[3], QStringList({" 4", "ERROR", "2024-03-18 13:02:03", "DDNS_FAIL"}));
  });
  EXPECT_EQ(server->RequestsTo("/GetLog.cgi").size(), 2u);
}

TEST_F(LogPageTest, CancelDuringAStalledBatch) {
  ASSERT_EQ(Load(), 1);
  server->ServerLog().SetStall(std::chrono::seconds(30));
  RunOnPage([this](CSysConfPropSheet& s, L& page) {
    Click(page, L::IDC_DOWNLOAD);
    EXPECT_EQ(page.State(), L::kDownloading);
    EXPECT_EQ(TextOf(page, L::IDC_DOWNLOAD), "Cancel");
    EXPECT_FALSE(SheetButtonsEnabled(s));
    EXPECT_FALSE(Enabled(page, L::IDC_ERASE));
    ASSERT_TRUE(server->WaitForRequests(2, std::chrono::milliseconds(kWaitMs)));
    Click(page, L::IDC_DOWNLOAD);
    EXPECT_EQ(page.State(), L::kIdle);
    EXPECT_FALSE(page.DownloadWorker().IsRunning());
    EXPECT_EQ(TextOf(page, L::IDC_DOWNLOAD), "Server Log");
    EXPECT_TRUE(SheetButtonsEnabled(s));
    EXPECT_TRUE(Enabled(page, L::IDC_ERASE));
    EXPECT_EQ(Ctl<QProgressBar>(page, L::IDC_PROGRESS)->value(), 0);
    QCoreApplication::processEvents();
    EXPECT_TRUE(ListRows(page, L::IDC_LIST).empty());
  });
}

TEST_F(LogPageTest, AFailedDownloadEmptiesTheListWithoutAMessage) {
  ASSERT_EQ(Load(), 1);
  RunOnPage([this](CSysConfPropSheet& s, L& page) {
    Click(page, L::IDC_DOWNLOAD);
    ASSERT_TRUE(WaitIdle(page));
    server->ServerLog().SetCountReply("LogCount=x;");
    Click(page, L::IDC_DOWNLOAD);
    ASSERT_TRUE(WaitIdle(page));
    EXPECT_TRUE(ListRows(page, L::IDC_LIST).empty());
    EXPECT_TRUE(SheetButtonsEnabled(s));
    EXPECT_TRUE(Enabled(page, L::IDC_DOWNLOAD));
  });
  EXPECT_TRUE(Messages().empty());
}

TEST_F(LogPageTest, EraseClearsTheServerLogAndTheList) {
  ASSERT_EQ(Load(), 1);
  RunOnPage([this](CSysConfPropSheet&, L& page) {
    Click(page, L::IDC_DOWNLOAD);
    ASSERT_TRUE(WaitIdle(page));
    ASSERT_EQ(ListRows(page, L::IDC_LIST).size(), 14u);
    Click(page, L::IDC_ERASE);
    EXPECT_FALSE(Enabled(page, L::IDC_ERASE));
    EXPECT_FALSE(Enabled(page, L::IDC_DOWNLOAD));
    ASSERT_TRUE(fakes::WaitUntil([&] { return Enabled(page, L::IDC_ERASE); }));
    EXPECT_TRUE(ListRows(page, L::IDC_LIST).empty());
    EXPECT_EQ(page.m_nReceived, 0u);
    EXPECT_EQ(server->ServerLog().RecordCount(), 0u);
    EXPECT_TRUE(Enabled(page, L::IDC_DOWNLOAD));
    // A refused erase empties the list too (the records held stay) and shows no message.
    server->ServerLog().SetRecords(fakes::SampleLog());
    Click(page, L::IDC_DOWNLOAD);
    ASSERT_TRUE(WaitIdle(page));
    server->ServerLog().SetEraseStatus(205);
    Click(page, L::IDC_ERASE);
    ASSERT_TRUE(fakes::WaitUntil([&] { return Enabled(page, L::IDC_ERASE); }));
    EXPECT_TRUE(ListRows(page, L::IDC_LIST).empty());
    EXPECT_EQ(page.m_nReceived, 14u);
    EXPECT_EQ(server->ServerLog().RecordCount(), 14u);
    EXPECT_FALSE(page.DownloadWorker().IsRunning());
  });
  const auto requests = server->RequestsTo("/GetLog.cgi");
  EXPECT_EQ(requests.back().target, "/GetLog.cgi?SessionID=S1&LogEvent=Erase");
  EXPECT_TRUE(Messages().empty());
}

TEST_F(LogPageTest, AStalledEraseLeavesTheWindowWorkingAndEndsWithTheSheet) {
  ASSERT_EQ(Load(), 1);
  server->ServerLog().SetStall(std::chrono::seconds(30));
  CSysConfPropSheet& s = NewSheet();
  const int result = RunOnPage([this](CSysConfPropSheet& sheet, L& page) {
    Click(page, L::IDC_ERASE);
    // The click has returned while the server still holds the request.
    ASSERT_TRUE(server->WaitForRequests(1, std::chrono::milliseconds(kWaitMs)));
    EXPECT_TRUE(page.DownloadWorker().IsRunning());
    EXPECT_FALSE(Enabled(page, L::IDC_ERASE));
    EXPECT_TRUE(SheetButtonsEnabled(sheet));
    sheet.CloseForLostConnection();
    ASSERT_TRUE(fakes::WaitUntil([&] { return !sheet.isVisible(); }));
  });
  EXPECT_EQ(result, CSysConfPropSheet::kResultClosed);
  EXPECT_FALSE(s.m_LogPage.DownloadWorker().IsRunning());
  EXPECT_TRUE(Messages().empty());
}

TEST_F(LogPageTest, ALostConnectionStopsTheDownloadAndThePageReopensIdle) {
  ASSERT_EQ(Load(), 1);
  server->ServerLog().SetStall(std::chrono::seconds(30));
  CSysConfPropSheet& s = NewSheet();
  const int result = RunOnPage([this](CSysConfPropSheet& sheet, L& page) {
    Click(page, L::IDC_DOWNLOAD);
    ASSERT_TRUE(server->WaitForRequests(2, std::chrono::milliseconds(kWaitMs)));
    sheet.CloseForLostConnection();
    ASSERT_TRUE(fakes::WaitUntil([&] { return !sheet.isVisible(); }));
  });
  EXPECT_EQ(result, CSysConfPropSheet::kResultClosed);
  L& page = s.m_LogPage;
  EXPECT_EQ(page.State(), L::kIdle);
  EXPECT_FALSE(page.DownloadWorker().IsRunning());
  server->ServerLog().SetStall(std::chrono::milliseconds(0));
  RunOnPage([](CSysConfPropSheet& sheet, L& reopened) {
    EXPECT_EQ(TextOf(reopened, L::IDC_DOWNLOAD), "Server Log");
    EXPECT_TRUE(SheetButtonsEnabled(sheet));
    Click(reopened, L::IDC_DOWNLOAD);
    ASSERT_TRUE(WaitIdle(reopened));
    EXPECT_EQ(ListRows(reopened, L::IDC_LIST).size(), 14u);
  });
}

// A download cancelled while the server holds a batch is stopped through its stop: what it ends
// with afterwards (a failure would empty the list) reaches nothing, nor does its progress.
TEST_F(LogPageTest, ACancelledDownloadChangesNothingLater) {
  ASSERT_EQ(Load(), 1);
  CSysConfPropSheet& s = NewSheet();
  ports::SysConfEngine engine = RecordingEngine();
  std::atomic<int> downloads{0};
  std::atomic<bool> stopSeen{false};
  const auto realDownload = engine.downloadLog;
  engine.downloadLog = [&](std::uint32_t maximum, const std::string& session,
                           net::LogDownload& download,
                           const std::function<void(std::uint32_t, std::uint32_t)>& progress,
                           const platform::StopToken& stop) {
    if (++downloads == 1)
      return realDownload(maximum, session, download, progress, stop);
    progress(5, 300);
    platform::WaitAny({&stop.StopEvent()}, platform::kInfinite);
    stopSeen = true;
    progress(7, 300);
    return net::kLogFailed;
  };
  s.SetEngine(engine);
  RunOnPage([&](CSysConfPropSheet&, L& page) {
    Click(page, L::IDC_DOWNLOAD);
    ASSERT_TRUE(WaitIdle(page));
    ASSERT_EQ(ListRows(page, L::IDC_LIST).size(), 14u);
    Click(page, L::IDC_DOWNLOAD);
    ASSERT_TRUE(
        fakes::WaitUntil([&] { return Ctl<QProgressBar>(page, L::IDC_PROGRESS)->value() == 5; }));
    Click(page, L::IDC_DOWNLOAD);  // "Cancel"
    EXPECT_TRUE(stopSeen.load());
    // Its last report and its failure arrive and are dropped.
    ASSERT_TRUE(WaitForDroppedResults(page.DownloadWorker()));
    EXPECT_EQ(page.State(), L::kIdle);
    EXPECT_EQ(ListRows(page, L::IDC_LIST).size(), 14u);
    EXPECT_EQ(Ctl<QProgressBar>(page, L::IDC_PROGRESS)->value(), 0);
    EXPECT_EQ(TextOf(page, L::IDC_DOWNLOAD), "Server Log");
  });
  EXPECT_EQ(downloads.load(), 2);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(LogPageTest, TheMaximumEditStaysWithinOneTo2047) {
  ASSERT_EQ(Load(), 1);
  RunOnPage([](CSysConfPropSheet&, L& page) {
    auto* edit = Ctl<QLineEdit>(page, L::IDC_MAX_LOG);
    const std::pair<const char*, const char*> cases[] = {
        {"5000", "2047"}, {"0", "1"}, {"12", "12"}, {"", ""}};
    for (const auto& [typed, shown] : cases) {
      edit->clear();
      QTest::keyClicks(edit, typed);
      EXPECT_EQ(edit->text(), shown) << typed;
    }
  });
}

}  // namespace
