// The Account page against the fake server: the SECURE record's accounts on the list, the
// entry's ADD, EDIT, DELETE and their refusals, and the SECURE record APPLY sends.
#include <QTest>

#include "config_fixture.h"
#include "page_controls.h"
#include "ui/config/pages/account_page.h"

namespace {

using namespace config_testing;
using A = AccountPropertyPage;

constexpr std::size_t kSlotBytes = 40;
constexpr std::size_t SlotAt(std::size_t slot) {
  return 8 + kSlotBytes * slot;
}

struct Account {
  const char* name;
  const char* password;
  std::uint32_t level, lifeTime;
};

std::vector<std::uint8_t> U32(std::uint32_t v) {
  return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
          static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
}

// A slot's 40 bytes as written: name and password zero-filled, level and life time.
std::vector<Patch> SlotPatches(std::size_t slot, const Account& a) {
  return {{SlotAt(slot), Field(a.name, 16)},
          {SlotAt(slot) + 16, Field(a.password, 16)},
          {SlotAt(slot) + 32, U32(a.level)},
          {SlotAt(slot) + 36, U32(a.lifeTime)}};
}

fakes::ConfigRecords WithAccounts(const std::vector<Account>& accounts, std::uint16_t maxUsers) {
  fakes::ConfigRecords records = fakes::SampleConfig();
  std::vector<std::uint8_t>& secure = records["SECURE"];
  std::fill(secure.begin() + 8, secure.end(), 0);
  secure[4] = static_cast<std::uint8_t>(maxUsers);
  secure[5] = static_cast<std::uint8_t>(maxUsers >> 8);
  for (std::size_t i = 0; i < accounts.size(); ++i)
    secure = Patched(secure, SlotPatches(i, accounts[i]));
  return records;
}

class AccountTest : public ConfigTest {
 public:
  void SetUp() override {
    ConfigTest::SetUp();
    g_lpApp->m_SettingINI.m_strUserName = "admin";
    g_lpApp->m_SettingINI.m_strPassword = "1234";
  }
  // Runs the sheet on the account page; body gets the page.
  int RunOnPage(const std::function<void(CSysConfPropSheet&, A&)>& body) {
    return RunSheet([&](CSysConfPropSheet& s) {
      ASSERT_TRUE(s.SetActivePage(&s.m_AccountPage));
      body(s, s.m_AccountPage);
    });
  }
  static void Fill(A& page, const QString& user, const QString& password, int level, int life) {
    Type(page, A::IDC_USER, user);
    Type(page, A::IDC_PASSWORD, password);
    Pick(page, A::IDC_LEVEL, level);
    Pick(page, A::IDC_LIFE_TIME, life);
  }
};

TEST(AccountTables, LevelsAndLifeTimesMapBothWays) {
  const struct {
    std::uint32_t level;
    int row;
    const char* text;
  } levels[] = {{30, 0, "SUPERVISOR"},
                {20, 1, "HIGH USER"},
                {10, 2, "NORMAL USER"},
                {0, 3, "GUEST"},
                {99, 3, "SUPERVISOR"}};
  for (const auto& l : levels) {
    EXPECT_EQ(syscfg::AccountLevelText(l.level), l.text) << l.level;
    if (l.level != 99) {
      EXPECT_EQ(syscfg::LevelRow(l.level), l.row) << l.level;
      EXPECT_EQ(syscfg::LevelOfRow(l.row), l.level);
    }
  }
  const struct {
    std::uint32_t minutes;
    int row;
    const char* text;
  } lives[] = {{1, 0, "1 MIN"},   {5, 1, "5 MIN"},    {10, 2, "10 MIN"},
               {60, 3, "1 HOUR"}, {1440, 4, "1 DAY"}, {0xFFFFFFFFu, 5, "INFINITY"},
               {30, 5, "30 MIN"}};
  for (const auto& l : lives) {
    EXPECT_EQ(syscfg::AccountLifeTimeText(l.minutes), l.text) << l.minutes;
    EXPECT_EQ(syscfg::LifeTimeRow(l.minutes), l.row) << l.minutes;
  }
  for (int row = 0; row < 6; ++row)
    EXPECT_EQ(syscfg::LifeTimeRow(syscfg::LifeTimeOfRow(row)), row);
  for (const char* text : {"", "a b", "a&b", "a#b", "tab\t", "cr\r"})
    EXPECT_FALSE(syscfg::IsAccountTextSendable(QString::fromLatin1(text))) << text;
  EXPECT_TRUE(syscfg::IsAccountTextSendable("admin_2"));
}

TEST_F(AccountTest, RecordAccountsAreListedWithTheirTexts) {
  auto records = WithAccounts({{"admin", "1234", 30, 0xFFFFFFFFu},
                               {"viewer", "v", 20, 30},
                               {"night", "n", 10, 1440},
                               {"odd", "o", 99, 5}},
                              4);
  // An unterminated 16-byte name is read within its field.
  std::vector<std::uint8_t>& secure = records["SECURE"];
  secure = Patched(
      secure, {{SlotAt(5), std::vector<std::uint8_t>(16, 'x')}, {SlotAt(5) + 16, Field("p", 16)}});
  ASSERT_EQ(Load(records), 1);
  RunOnPage([](CSysConfPropSheet&, A& page) {
    const std::vector<QStringList> expected = {{"admin", "SUPERVISOR", "INFINITY"},
                                               {"viewer", "HIGH USER", "30 MIN"},
                                               {"night", "NORMAL USER", "1 DAY"},
                                               {"odd", "SUPERVISOR", "5 MIN"},
                                               {QString(15, 'x'), "GUEST", "0 MIN"}};
    EXPECT_EQ(ListRows(page, A::IDC_LIST), expected);
    EXPECT_EQ(TextOf(page, A::IDC_MAX_USERS), "4");
    EXPECT_EQ(page.m_nCount, 5);
    for (int id : {A::IDC_USER, A::IDC_PASSWORD, A::IDC_LEVEL, A::IDC_LIFE_TIME, A::IDC_ENTRY_OK,
                   A::IDC_EXIT, A::IDC_USER_LABEL})
      EXPECT_FALSE(Shown(page, id)) << id;
    EXPECT_EQ(page.m_nLoginAccount, 0);
    // The working table holds the listed accounts, then free slots.
    EXPECT_EQ(ReadWorkingAccount(g_lpApp->m_TextPairRecords[1]),
              (WorkingAccount{true, 20, 30, "viewer", "v"}));
    EXPECT_FALSE(ReadWorkingAccount(g_lpApp->m_TextPairRecords[5]).used);
  });
}

TEST_F(AccountTest, AddIsRefusedAtTheMaximumAndAtTenAccounts) {
  const struct {
    const char* name;
    int accounts;
    std::uint16_t maxUsers;
    int message;
  } cases[] = {{"three of three", 3, 3, 4002}, {"ten with a maximum of 12", 10, 12, 4001}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    sheet.reset();
    messages = std::make_shared<platform::testing::FakeMessageBox>();
    scopedBox.reset();
    scopedBox.emplace(messages);
    std::vector<Account> accounts;
    static const char* names[] = {"a0", "a1", "a2", "a3", "a4", "a5", "a6", "a7", "a8", "a9"};
    for (int i = 0; i < c.accounts; ++i)
      accounts.push_back({names[i], "p", 10, 60});
    ASSERT_EQ(Load(WithAccounts(accounts, c.maxUsers)), 1);
    RunOnPage([&](CSysConfPropSheet&, A& page) {
      Click(page, A::IDC_ADD);
      EXPECT_FALSE(Shown(page, A::IDC_USER));
    });
    EXPECT_EQ(Messages(), std::vector<std::string>{Text(c.message)});
  }
}

TEST_F(AccountTest, AnAddedAccountGoesIntoTheFirstFreeSlot) {
  ASSERT_EQ(Load(), 1);
  const auto original = server->ConfigRecord("SECURE");
  RunOnPage([](CSysConfPropSheet& s, A& page) {
    Click(page, A::IDC_ADD);
    EXPECT_TRUE(Shown(page, A::IDC_USER));
    EXPECT_FALSE(Enabled(page, A::IDC_ADD));
    EXPECT_FALSE(Enabled(page, A::IDC_LIST));
    EXPECT_EQ(Row(page, A::IDC_LEVEL), -1);
    Fill(page, "op", "pw", 1, 2);
    Click(page, A::IDC_ENTRY_OK);
    EXPECT_FALSE(Shown(page, A::IDC_USER));
    EXPECT_TRUE(Enabled(page, A::IDC_ADD));
    EXPECT_EQ(ListRows(page, A::IDC_LIST).back(), QStringList({"op", "HIGH USER", "10 MIN"}));
    config_testing::ApplyAndWait(s);
  });
  EXPECT_EQ(SentOptions(), std::vector<std::string>{"SECURE"});
  // The rebuilt slots' texts are written zero-filled.
  auto expected = Patched(original, SlotPatches(0, {"admin", "1234", 30, 0xFFFFFFFFu}));
  expected = Patched(expected, SlotPatches(1, {"guest", "guest", 0, 60}));
  EXPECT_EQ(Sent("SECURE"), Patched(expected, SlotPatches(2, {"op", "pw", 20, 10})));
  EXPECT_TRUE(Messages().empty());
}

TEST_F(AccountTest, DeleteMovesTheLaterAccountsUpAndZeroesTheFreedSlot) {
  auto records = WithAccounts(
      {{"admin", "1234", 30, 0xFFFFFFFFu}, {"guest", "g", 0, 60}, {"op", "o", 20, 5}}, 5);
  ASSERT_EQ(Load(records), 1);
  const auto original = server->ConfigRecord("SECURE");
  RunOnPage([](CSysConfPropSheet& s, A& page) {
    SelectRow(page, A::IDC_LIST, 1);
    Click(page, A::IDC_DELETE);
    EXPECT_EQ(ListRows(page, A::IDC_LIST).size(), 2u);
    config_testing::ApplyAndWait(s);
  });
  // Slot 1 takes op; slot 2 keeps its level and life time bytes but loses name and password.
  auto expected = Patched(original, SlotPatches(1, {"op", "o", 20, 5}));
  expected = Patched(expected, {{SlotAt(2), std::vector<std::uint8_t>(32, 0)}});
  EXPECT_EQ(Sent("SECURE"), expected);
}

TEST_F(AccountTest, TheLoggedInAccountCannotBeDeleted) {
  ASSERT_EQ(Load(), 1);
  RunOnPage([](CSysConfPropSheet& s, A& page) {
    SelectRow(page, A::IDC_LIST, 0);
    Click(page, A::IDC_DELETE);
    EXPECT_EQ(ListRows(page, A::IDC_LIST).size(), 2u);
    config_testing::ApplyAndWait(s);
  });
  EXPECT_EQ(Messages(), std::vector<std::string>{Text(4069)});
  EXPECT_TRUE(SentOptions().empty());
}

TEST_F(AccountTest, DeleteAndEditNeedAccountsAndASelection) {
  ASSERT_EQ(Load(WithAccounts({}, 5)), 1);
  RunOnPage([](CSysConfPropSheet&, A& page) {
    Click(page, A::IDC_DELETE);
    Click(page, A::IDC_EDIT);
  });
  // EDIT without accounts goes on to the missing selection.
  EXPECT_EQ(Messages(), (std::vector<std::string>{Text(4045), Text(4046), Text(4087)}));
  sheet.reset();
  ASSERT_EQ(Load(), 1);
  messages = std::make_shared<platform::testing::FakeMessageBox>();
  scopedBox.reset();
  scopedBox.emplace(messages);
  RunOnPage([](CSysConfPropSheet&, A& page) { Click(page, A::IDC_DELETE); });
  EXPECT_EQ(Messages(), std::vector<std::string>{Text(4086)});
}

TEST_F(AccountTest, TheLoggedInPasswordChangesForTheNextLoginOnceTheServerHasIt) {
  ASSERT_EQ(Load(), 1);
  RunOnPage([](CSysConfPropSheet& s, A& page) {
    SelectRow(page, A::IDC_LIST, 0);
    Click(page, A::IDC_EDIT);
    EXPECT_EQ(TextOf(page, A::IDC_USER), "admin");
    EXPECT_EQ(TextOf(page, A::IDC_PASSWORD), "1234");
    EXPECT_EQ(Row(page, A::IDC_LEVEL), 0);
    EXPECT_EQ(Row(page, A::IDC_LIFE_TIME), 5);
    Type(page, A::IDC_PASSWORD, "n3w");
    Click(page, A::IDC_ENTRY_OK);
    // Not before APPLY.
    EXPECT_EQ(g_lpApp->m_SettingINI.m_strPassword, "1234");
    config_testing::ApplyAndWait(s);
  });
  EXPECT_EQ(SentOptions(), std::vector<std::string>{"SECURE"});
  EXPECT_EQ(g_lpApp->m_SettingINI.m_strUserName, "admin");
  EXPECT_EQ(g_lpApp->m_SettingINI.m_strPassword, "n3w");
}

TEST_F(AccountTest, ARefusedSecureRecordKeepsTheOldPasswordForTheNextLogin) {
  ASSERT_EQ(Load(), 1);
  fakes::RefuseSetSysCfg(*server, {"SECURE"});
  const int result = RunOnPage([](CSysConfPropSheet& s, A& page) {
    SelectRow(page, A::IDC_LIST, 0);
    Click(page, A::IDC_EDIT);
    Type(page, A::IDC_PASSWORD, "n3w");
    Click(page, A::IDC_ENTRY_OK);
    config_testing::ApplyAndWait(s);
  });
  EXPECT_EQ(result, CSysConfPropSheet::kResultApplied);
  EXPECT_EQ(Messages(), std::vector<std::string>{"Set the system config is failed\n"});
  EXPECT_EQ(g_lpApp->m_SettingINI.m_strPassword, "1234");
}

TEST_F(AccountTest, AnIncompleteEntryIsRefused) {
  ASSERT_EQ(Load(), 1);
  RunOnPage([](CSysConfPropSheet&, A& page) {
    Click(page, A::IDC_ADD);
    Fill(page, "op", "", 1, 1);
    Click(page, A::IDC_ENTRY_OK);
    SelectRow(page, A::IDC_LIST, 1);
    Click(page, A::IDC_EDIT);
    Pick(page, A::IDC_LIFE_TIME, -1);
    Click(page, A::IDC_ENTRY_OK);
    EXPECT_EQ(ListRows(page, A::IDC_LIST).size(), 2u);
    EXPECT_FALSE(page.m_bChanged);
  });
  EXPECT_EQ(Messages(), (std::vector<std::string>{Text(4002), Text(4022)}));
}

TEST_F(AccountTest, NamesALoginCannotCarryKeepTheEntryOpen) {
  ASSERT_EQ(Load(), 1);
  for (const char* name : {"a b", "a&b", "a#b"}) {
    SCOPED_TRACE(name);
    RunOnPage([&](CSysConfPropSheet&, A& page) {
      Click(page, A::IDC_ADD);
      Fill(page, QString::fromLatin1(name), "pw", 1, 1);
      Click(page, A::IDC_ENTRY_OK);
      EXPECT_TRUE(Shown(page, A::IDC_USER));
      EXPECT_EQ(ListRows(page, A::IDC_LIST).size(), 2u);
      Click(page, A::IDC_EXIT);
      EXPECT_FALSE(Shown(page, A::IDC_USER));
      EXPECT_EQ(TextOf(page, A::IDC_USER), "");
    });
  }
  EXPECT_EQ(Messages(), std::vector<std::string>(3, A::kUnsendableText));
}

TEST_F(AccountTest, AMaximumOutsideOneToTenRefusesApply) {
  for (const char* value : {"0", "11"}) {
    SCOPED_TRACE(value);
    sheet.reset();
    messages = std::make_shared<platform::testing::FakeMessageBox>();
    scopedBox.reset();
    scopedBox.emplace(messages);
    ASSERT_EQ(Load(), 1);
    const int result = RunOnPage([&](CSysConfPropSheet& s, A& page) {
      Type(page, A::IDC_MAX_USERS, QString::fromLatin1(value));
      config_testing::ApplyAndWait(s);
      EXPECT_EQ(s.GetActivePage(), &page);
    });
    EXPECT_EQ(result, kNotEnded);
    EXPECT_EQ(Messages(), std::vector<std::string>{Text(4043)});
    EXPECT_TRUE(SentOptions().empty());
  }
  // A maximum within the range is sent alone.
  sheet.reset();
  ASSERT_EQ(Load(), 1);
  const auto original = server->ConfigRecord("SECURE");
  RunOnPage([](CSysConfPropSheet& s, A& page) {
    Type(page, A::IDC_MAX_USERS, "7");
    config_testing::ApplyAndWait(s);
  });
  EXPECT_EQ(Sent("SECURE"), Patched(original, {{4, {7, 0}}}));
}

TEST_F(AccountTest, TypingAMaximumOutsideOneToTenWarns) {
  ASSERT_EQ(Load(), 1);
  RunOnPage([](CSysConfPropSheet&, A& page) {
    auto* edit = Ctl<QLineEdit>(page, A::IDC_MAX_USERS);
    edit->clear();
    QTest::keyClicks(edit, "1");  // 1
    QTest::keyClicks(edit, "2");  // 12: warned
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, "0x");  // 0: warned; the letter is not taken
    EXPECT_EQ(edit->text(), "0");
  });
  EXPECT_EQ(Messages(), (std::vector<std::string>{Text(4043), Text(4043)}));
}

}  // namespace
