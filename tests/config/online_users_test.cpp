// The Information page against the fake server: the online-user table as listed, its failures
// (one message each), the refresh, and the host name the SYSTEM record takes.
#include <QTest>

#include "config_fixture.h"
#include "fakes/fake_online_users.h"
#include "media/alarm_db/alarm_database.h"
#include "page_controls.h"
#include "ui/config/online_user_page.h"

namespace {

using namespace config_testing;
using O = COnlineUserPage;

class OnlineUsersTest : public ConfigTest {
 public:
  int RunOnPage(const std::function<void(CSysConfPropSheet&, O&)>& body) {
    return RunSheet([&](CSysConfPropSheet& s) {
      ASSERT_TRUE(s.SetActivePage(&s.m_OnlineUserPage));
      body(s, s.m_OnlineUserPage);
    });
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
    server->OnlineUsers().SetTable(fakes::OnlineUserEntry("solo", {1, 2, 3, 4}, 10, 2));
    Click(page, O::IDC_REFRESH);
    EXPECT_EQ(ListRows(page, O::IDC_LIST),
              (std::vector<QStringList>{{"solo", "1.2.3.4", "NORMAL USER", "JPEG"}}));
    server->OnlineUsers().SetStatus(203);
    Click(page, O::IDC_REFRESH);
    EXPECT_EQ(ListRows(page, O::IDC_LIST).size(), 1u);
  });
  EXPECT_EQ(server->RequestsTo("/GetOnlineUser.cgi").size(), 3u);
  EXPECT_EQ(Messages(), std::vector<std::string>{Text(4029)});
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
    s.OnApply();
  });
  EXPECT_EQ(SentOptions(), std::vector<std::string>{"SYSTEM"});
  EXPECT_EQ(Sent("SYSTEM"), Patched(original, {{4, Field(std::string(31, 'n'), 32)}}));
}

TEST_F(OnlineUsersTest, ARefusedSystemRecordShowsTheChangeFailure) {
  ASSERT_EQ(Load(), 1);
  fakes::RefuseSetSysCfg(*server, {"SYSTEM"});
  RunOnPage([](CSysConfPropSheet& s, O& page) {
    Type(page, O::IDC_HOST_NAME, "camera-7");
    s.OnApply();
  });
  EXPECT_EQ(Messages(), std::vector<std::string>{Text(4012)});
}

}  // namespace
