// The Information page against the fake server: the online-user table as listed, its failures
// (one message each), the refresh, the query on the page's worker through the sheet's engine port
// (a stalled server leaves the sheet working, closing the sheet ends the query, a stopped query
// changes nothing later), and the host name the SYSTEM record takes.
#include <QTest>
#include <atomic>

#include "config_fixture.h"
#include "fakes/fake_online_users.h"
#include "media/alarm_db/alarm_database.h"
#include "page_controls.h"
#include "platform/sync.h"
#include "ui/config/pages/online_user_page.h"

namespace {

using namespace config_testing;
using O = COnlineUserPage;

class OnlineUsersTest : public ConfigTest {
 public:
  // Shows the page; with waitForQuery, body runs once the first query has ended.
  int RunOnPage(const std::function<void(CSysConfPropSheet&, O&)>& body, bool waitForQuery = true) {
    return RunSheet([&](CSysConfPropSheet& s) {
      ASSERT_TRUE(s.SetActivePage(&s.m_OnlineUserPage));
      if (waitForQuery) {
        ASSERT_TRUE(WaitQueryEnded(s.m_OnlineUserPage));
      }
      body(s, s.m_OnlineUserPage);
    });
  }
  static bool WaitQueryEnded(O& page) {
    return fakes::WaitUntil([&] { return !page.Querying(); });
  }
  bool WaitForQueries(std::size_t count) const {
    return fakes::WaitUntil(
        [&] { return server->RequestsTo("/GetOnlineUser.cgi").size() >= count; });
  }
  static bool SheetButtonsEnabled(CSysConfPropSheet& s) {
    return s.GetDlgItem(CSysConfPropSheet::IDC_EXIT)->isEnabled() &&
           s.GetDlgItem(CSysConfPropSheet::IDC_APPLY)->isEnabled() &&
           s.GetDlgItem(CSysConfPropSheet::IDC_REBOOT)->isEnabled();
  }
};

TEST(OnlineUserTexts, MediaLevelAndAddress) {
  const char* media[] = {"UNKNOWN", "MPEG4",         "JPEG",         "MPEG4",
                         "AUDIO",   "MPEG4 / AUDIO", "JPEG / AUDIO", "MPEG4 / AUDIO"};
  for (std::uint32_t flags = 0; flags < 8; ++flags)
    EXPECT_EQ(syscfg::OnlineMediaText(flags), media[flags]) << flags;
  EXPECT_EQ(syscfg::OnlineMediaText(0xF5), "MPEG4 / AUDIO");  // other bits are not read
  const std::pair<std::uint32_t, const char*> levels[] = {
      {0, "GUEST"}, {10, "NORMAL USER"}, {20, "HIGH USER"}, {30, "SUPERVISOR"}, {25, ""}};
  for (const auto& [level, text] : levels)
    EXPECT_EQ(syscfg::OnlineLevelText(level), text) << level;
  EXPECT_EQ(syscfg::OnlineAddressText(0x1401A8C0), "192.168.1.20");
  EXPECT_EQ(syscfg::OnlineAddressText(0), "");
  // An entry's fields as the reply holds them: a name filling its 16 bytes has no terminator.
  CAlarmDatabase database;
  const auto entry = fakes::OnlineUserEntry("sixteen-chars-xy", {10, 0, 0, 7}, 20, 0x0105);
  ASSERT_TRUE(database.StoreOnlineUsers(entry));
  const OnlineUser& user = database.OnlineUsers()[0];
  EXPECT_EQ(user.Name(), "sixteen-chars-xy");
  EXPECT_EQ(syscfg::OnlineUserName(user), "sixteen-chars-xy");
  EXPECT_EQ(user.AddressOctets(), (std::array<std::uint8_t, 4>{10, 0, 0, 7}));
  EXPECT_EQ(user.MediaFlags(), 0x0105u);
  EXPECT_EQ(syscfg::OnlineMediaText(user.MediaFlags()), "MPEG4 / AUDIO");
}

TEST_F(OnlineUsersTest, TheTableIsListedByItsValidEntries) {
  std::vector<std::uint8_t> table;
  for (const auto& entry :
       {fakes::OnlineUserEntry("admin", {192, 168, 1, 20}, 30, 5),
        fakes::OnlineUserEntry("", {10, 0, 0, 1}, 30, 1),  // no name: not listed
        fakes::OnlineUserEntry("sixteen-chars-xy", {0, 0, 0, 0}, 20, 6),
        fakes::OnlineUserEntry("odd", {172, 16, 0, 9}, 7, 0)}) {
    table.insert(table.end(), entry.begin(), entry.end());
  }
  server->OnlineUsers().SetTable(table);
  ASSERT_EQ(Load(), 1);
  RunOnPage([](CSysConfPropSheet&, O& page) {
    const std::vector<QStringList> expected = {
        {"admin", "192.168.1.20", "SUPERVISOR", "MPEG4 / AUDIO"},
        {"sixteen-chars-xy", "", "HIGH USER", "JPEG / AUDIO"},
        {"odd", "172.16.0.9", "", "UNKNOWN"}};
    EXPECT_EQ(ListRows(page, O::IDC_LIST), expected);
    EXPECT_EQ(TextOf(page, O::IDC_HOST_NAME), "fake-server");
  });
  const auto requests = server->RequestsTo("/GetOnlineUser.cgi");
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].target, "/GetOnlineUser.cgi?SessionID=S1");
  EXPECT_TRUE(Messages().empty());
}

TEST_F(OnlineUsersTest, AFailedQueryShowsOneMessage) {
  const struct {
    const char* name;
    std::function<void(fakes::FakeOnlineUsers&)> fault;
  } cases[] = {{"refused", [](fakes::FakeOnlineUsers& u) { u.SetStatus(202); }},
               {"281 bytes", [](fakes::FakeOnlineUsers& u) {
                  auto table = fakes::SampleOnlineUsers();
                  table.resize(281, 'z');
                  u.SetTable(table);
                }}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    sheet.reset();
    messages = std::make_shared<platform::testing::FakeMessageBox>();
    scopedBox.reset();
    scopedBox.emplace(messages);
    server->OnlineUsers().SetStatus(200);
    server->OnlineUsers().SetTable(fakes::SampleOnlineUsers());
    c.fault(server->OnlineUsers());
    ASSERT_EQ(Load(), 1);
    RunOnPage([](CSysConfPropSheet&, O& page) {
      EXPECT_TRUE(ListRows(page, O::IDC_LIST).empty());
      EXPECT_EQ(TextOf(page, O::IDC_HOST_NAME), "fake-server");
    });
    EXPECT_EQ(Messages(), std::vector<std::string>{Text(4029)});
  }
  // The oversized reply left the table empty.
  for (const auto& user : g_AlarmDatabase.OnlineUsers())
    EXPECT_EQ(user.szName[0], '\0');
}

TEST_F(OnlineUsersTest, RefreshQueriesAgainAndKeepsTheListOnAFailure) {
  ASSERT_EQ(Load(), 1);
  RunOnPage([this](CSysConfPropSheet&, O& page) {
    EXPECT_EQ(ListRows(page, O::IDC_LIST).size(), 3u);
    EXPECT_TRUE(Enabled(page, O::IDC_REFRESH));
    EXPECT_FALSE(page.QueryWorker().IsRunning());
    server->OnlineUsers().SetTable(fakes::OnlineUserEntry("solo", {1, 2, 3, 4}, 10, 2));
    Click(page, O::IDC_REFRESH);
    EXPECT_TRUE(page.Querying());
    EXPECT_FALSE(Enabled(page, O::IDC_REFRESH));
    ASSERT_TRUE(WaitQueryEnded(page));
    EXPECT_EQ(ListRows(page, O::IDC_LIST),
              (std::vector<QStringList>{{"solo", "1.2.3.4", "NORMAL USER", "JPEG"}}));
    EXPECT_TRUE(Enabled(page, O::IDC_REFRESH));
    server->OnlineUsers().SetStatus(203);
    Click(page, O::IDC_REFRESH);
    ASSERT_TRUE(WaitQueryEnded(page));
    EXPECT_EQ(ListRows(page, O::IDC_LIST).size(), 1u);
    EXPECT_TRUE(Enabled(page, O::IDC_REFRESH));
  });
  EXPECT_EQ(server->RequestsTo("/GetOnlineUser.cgi").size(), 3u);
  EXPECT_EQ(Messages(), std::vector<std::string>{Text(4029)});
}

TEST_F(OnlineUsersTest, AStalledQueryLeavesTheSheetWorkingAndEndsWithIt) {
  ASSERT_EQ(Load(), 1);
  server->OnlineUsers().SetStall(std::chrono::seconds(30));
  CSysConfPropSheet& s = NewSheet();
  const int result = RunOnPage(
      [this](CSysConfPropSheet& sheet, O& page) {
        // Showing the page has returned while the server still holds the query.
        ASSERT_TRUE(WaitForQueries(1));
        EXPECT_TRUE(page.Querying());
        EXPECT_TRUE(page.QueryWorker().IsRunning());
        EXPECT_TRUE(ListRows(page, O::IDC_LIST).empty());
        EXPECT_FALSE(Enabled(page, O::IDC_REFRESH));
        EXPECT_TRUE(SheetButtonsEnabled(sheet));
        // The window answers: the host name takes typing, and another page can be shown.
        Type(page, O::IDC_HOST_NAME, "camera-7");
        EXPECT_EQ(TextOf(page, O::IDC_HOST_NAME), "camera-7");
        // A refresh meanwhile is ignored: no second query.
        page.OnRefresh();
        EXPECT_TRUE(page.QueryWorker().IsRunning());
        EXPECT_EQ(page.QueryWorker().DroppedResults(), 0);
        EXPECT_EQ(server->RequestsTo("/GetOnlineUser.cgi").size(), 1u);
        ASSERT_TRUE(sheet.SetActivePage(&sheet.m_LogPage));
        ASSERT_TRUE(sheet.SetActivePage(&page));
        EXPECT_TRUE(page.Querying());
        sheet.CloseForLostConnection();
        ASSERT_TRUE(fakes::WaitUntil([&] { return !sheet.isVisible(); }));
      },
      false);
  EXPECT_EQ(result, CSysConfPropSheet::kResultClosed);
  EXPECT_FALSE(s.m_OnlineUserPage.Querying());
  EXPECT_FALSE(s.m_OnlineUserPage.QueryWorker().IsRunning());
  EXPECT_EQ(server->RequestsTo("/GetOnlineUser.cgi").size(), 1u);
  // The stopped query reports nothing.
  EXPECT_TRUE(Messages().empty());

  // Reopened, the page queries afresh and lists the answer.
  server->OnlineUsers().SetStall(std::chrono::milliseconds(0));
  RunOnPage([](CSysConfPropSheet&, O& reopened) {
    EXPECT_EQ(ListRows(reopened, O::IDC_LIST).size(), 3u);
    EXPECT_TRUE(Enabled(reopened, O::IDC_REFRESH));
  });
  EXPECT_EQ(server->RequestsTo("/GetOnlineUser.cgi").size(), 2u);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(OnlineUsersTest, TheExitKeyEndsAStalledQuery) {
  ASSERT_EQ(Load(), 1);
  server->OnlineUsers().SetStall(std::chrono::seconds(30));
  CSysConfPropSheet& s = NewSheet();
  const int result = RunOnPage(
      [this](CSysConfPropSheet& sheet, O& page) {
        ASSERT_TRUE(WaitForQueries(1));
        EXPECT_TRUE(page.Querying());
        static_cast<QAbstractButton*>(sheet.GetDlgItem(CSysConfPropSheet::IDC_EXIT))->click();
      },
      false);
  EXPECT_EQ(result, CSysConfPropSheet::kResultClosed);
  EXPECT_FALSE(s.m_OnlineUserPage.QueryWorker().IsRunning());
  EXPECT_TRUE(Messages().empty());
}

// The query goes through the sheet's engine port: the page hands it the session and lists the
// typed reply it answers with; no reply shows 4029 once and leaves the list.
TEST_F(OnlineUsersTest, TheQueryGoesThroughTheSheetsEngineAndListsItsReply) {
  ASSERT_EQ(Load(), 1);
  CSysConfPropSheet& s = NewSheet();
  ports::SysConfEngine engine = RecordingEngine();
  std::vector<std::string> sessions;
  std::optional<std::vector<std::uint8_t>> answer =
      fakes::OnlineUserEntry("port", {9, 8, 7, 6}, 30, 1);
  engine.fetchOnlineUsers = [&](const std::string& session, const platform::StopToken&) {
    sessions.push_back(session);
    return answer;
  };
  s.SetEngine(engine);
  RunOnPage([&](CSysConfPropSheet&, O& page) {
    EXPECT_EQ(ListRows(page, O::IDC_LIST),
              (std::vector<QStringList>{{"port", "9.8.7.6", "SUPERVISOR", "MPEG4"}}));
    answer.reset();
    Click(page, O::IDC_REFRESH);
    ASSERT_TRUE(WaitQueryEnded(page));
    EXPECT_EQ(ListRows(page, O::IDC_LIST).size(), 1u);
    EXPECT_TRUE(Enabled(page, O::IDC_REFRESH));
  });
  EXPECT_EQ(sessions, (std::vector<std::string>{"S1", "S1"}));
  EXPECT_TRUE(server->RequestsTo("/GetOnlineUser.cgi").empty());
  EXPECT_EQ(Messages(), std::vector<std::string>{Text(4029)});
}

// A query still waiting when the sheet closes is stopped through its stop: whatever it ends
// with afterwards reaches nothing, and the reopened page queries afresh.
TEST_F(OnlineUsersTest, AQueryStoppedByTheSheetsCloseChangesNothingLater) {
  ASSERT_EQ(Load(), 1);
  CSysConfPropSheet& s = NewSheet();
  ports::SysConfEngine engine = RecordingEngine();
  std::atomic<int> queries{0};
  std::atomic<bool> stopSeen{false};
  engine.fetchOnlineUsers =
      [&](const std::string&,
          const platform::StopToken& stop) -> std::optional<std::vector<std::uint8_t>> {
    if (++queries == 1) {
      // Held until the stop; then it answers with a reply that must not be listed.
      platform::WaitAny({&stop.StopEvent()}, platform::kInfinite);
      stopSeen = true;
      return fakes::OnlineUserEntry("late", {1, 1, 1, 1}, 0, 1);
    }
    return fakes::OnlineUserEntry("fresh", {2, 2, 2, 2}, 10, 2);
  };
  s.SetEngine(engine);
  RunOnPage(
      [&](CSysConfPropSheet& sheet, O& page) {
        ASSERT_TRUE(fakes::WaitUntil([&] { return queries.load() == 1; }));
        EXPECT_TRUE(page.Querying());
        sheet.CloseForLostConnection();
        ASSERT_TRUE(fakes::WaitUntil([&] { return !sheet.isVisible(); }));
      },
      false);
  O& page = s.m_OnlineUserPage;
  EXPECT_TRUE(stopSeen.load());
  // Its late reply arrives and is dropped.
  ASSERT_TRUE(WaitForDroppedResults(page.QueryWorker()));
  EXPECT_FALSE(page.Querying());
  EXPECT_FALSE(page.QueryWorker().IsRunning());
  RunOnPage([](CSysConfPropSheet&, O& reopened) {
    EXPECT_EQ(ListRows(reopened, O::IDC_LIST),
              (std::vector<QStringList>{{"fresh", "2.2.2.2", "NORMAL USER", "JPEG"}}));
  });
  EXPECT_EQ(queries.load(), 2);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(OnlineUsersTest, TheHostNameGoesToTheSystemRecordWithinItsField) {
  fakes::ConfigRecords records = fakes::SampleConfig();
  // A host name without a terminator shows its first 31 bytes.
  std::fill(records["SYSTEM"].begin() + 4, records["SYSTEM"].end(), 'h');
  ASSERT_EQ(Load(records), 1);
  const auto original = server->ConfigRecord("SYSTEM");
  RunOnPage([](CSysConfPropSheet& s, O& page) {
    EXPECT_EQ(TextOf(page, O::IDC_HOST_NAME), QString(31, 'h'));
    auto* edit = Ctl<QLineEdit>(page, O::IDC_HOST_NAME);
    edit->clear();
    QTest::keyClicks(edit, QString(40, 'n'));
    EXPECT_EQ(edit->text(), QString(31, 'n'));
    config_testing::ApplyAndWait(s);
  });
  EXPECT_EQ(SentOptions(), std::vector<std::string>{"SYSTEM"});
  EXPECT_EQ(Sent("SYSTEM"), Patched(original, {{4, Field(std::string(31, 'n'), 32)}}));
}

TEST_F(OnlineUsersTest, ARefusedSystemRecordShowsTheChangeFailure) {
  ASSERT_EQ(Load(), 1);
  fakes::RefuseSetSysCfg(*server, {"SYSTEM"});
  RunOnPage([](CSysConfPropSheet& s, O& page) {
    Type(page, O::IDC_HOST_NAME, "camera-7");
    config_testing::ApplyAndWait(s);
  });
  EXPECT_EQ(Messages(), std::vector<std::string>{Text(4012)});
}

}  // namespace
