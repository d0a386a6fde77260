// The configuration sheets made by a caption's string-table id, and the SMTP record as the
// sheet caches it: texts the server sent filling their whole fields end within them in what the
// pages show and APPLY sends back.
#include <QAbstractButton>
#include <QLineEdit>

#include "config_fixture.h"
#include "ui/config/sheets/my_system_dialog.h"

namespace {

using config_testing::ConfigTest;
using SheetCaptionTest = ConfigTest;

TEST_F(SheetCaptionTest, SheetsByCaptionId) {
  const QString caption = ui::LoadString(4012);
  ASSERT_FALSE(caption.isEmpty());
  CSysConfPropSheet tree(ports::SysConfEngine::Defaults(), 4012);
  EXPECT_EQ(tree.windowTitle(), caption);
  // The same pages as the sheet by caption, in the same order.
  CSysConfPropSheet byText(ports::SysConfEngine::Defaults());
  ASSERT_EQ(tree.GetPageCount(), 14);
  for (int i = 0; i < tree.GetPageCount(); ++i)
    EXPECT_EQ(tree.GetPage(i)->GetCaption(), byText.GetPage(i)->GetCaption()) << i;
  EXPECT_EQ(tree.GetPageIndex(&tree.m_MailPage), byText.GetPageIndex(&byText.m_MailPage));
  EXPECT_EQ(tree.GetTreeWidth(), byText.GetTreeWidth());

  g_lpApp->m_byDeviceType = '2';
  MySystemDialog tabbed(ports::SysConfEngine::Defaults(), 4012);
  EXPECT_EQ(tabbed.windowTitle(), caption);
  EXPECT_EQ(tabbed.GetPageCount(), 0);  // only the sheet by caption text adds pages
}

// A page has no engine of its own: asked outside a configuration sheet it stops the program with
// a message naming it, instead of sending its request through some engine of its own.
TEST(SysConfPageEngine, APageOutsideASheetHasNoEngine) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        CSNTPPage page;
        page.Engine();
      },
      "Network::SNTP.*not in a configuration sheet");
  CSysConfPropSheet sheet(ports::SysConfEngine::Defaults());
  EXPECT_EQ(&sheet.m_SntpPage.Engine(), &sheet.Engine());
}

class SmtpRecordTest : public ConfigTest {
 protected:
  // The sample with the server, sender, user and password texts filling their whole fields.
  static fakes::ConfigRecords FullWidthMail() {
    fakes::ConfigRecords records = fakes::SampleConfig();
    std::vector<std::uint8_t>& smtp = records.at("SMTP");
    const struct {
      std::size_t offset;
      std::size_t width;
      char fill;
    } fields[] = {{4, 64, 'S'}, {68, 64, 'F'}, {452, 32, 'U'}, {484, 32, 'P'}};
    for (const auto& f : fields)
      std::fill_n(smtp.begin() + static_cast<std::ptrdiff_t>(f.offset), f.width, f.fill);
    return records;
  }
  static constexpr std::size_t kEnds[] = {67, 131, 483, 515};
};

TEST_F(SmtpRecordTest, TheCachedRecordEndsItsTextsAndApplySendsThemEnded) {
  const fakes::ConfigRecords records = FullWidthMail();
  ASSERT_EQ(Load(records), 1);
  ASSERT_EQ(g_lpApp->m_SmtpConfig[67], 'S');
  CSysConfPropSheet& s = NewSheet();
  s.SetStartPage(s.GetPageIndex(&s.m_MailPage));
  const int result = RunSheet([&](CSysConfPropSheet& sheet) {
    for (const std::size_t end : kEnds)
      EXPECT_EQ(g_lpApp->m_SmtpConfig[end], 0) << end;
    EXPECT_EQ(g_lpApp->m_SmtpConfig[66], 'S');
    ui::CPropertyPage& mail = sheet.m_MailPage;
    ASSERT_EQ(sheet.GetActivePage(), &mail);
    EXPECT_EQ(mail.Controls().Get<QLineEdit>(MailPropertyPage::IDC_SERVER)->text(),
              QString(63, QLatin1Char('S')));
    EXPECT_EQ(mail.Controls().Get<QLineEdit>(MailPropertyPage::IDC_PASSWORD)->text(),
              QString(31, QLatin1Char('P')));
    // Only the verify choice changes; the record goes back with its texts ended.
    mail.Controls().Get<QAbstractButton>(MailPropertyPage::IDC_VERIFY_NO)->click();
    config_testing::ApplyAndWait(sheet);
  });
  EXPECT_EQ(result, CSysConfPropSheet::kResultApplied);
  const auto sent = Sent("SMTP");
  ASSERT_TRUE(sent);
  std::vector<std::uint8_t> expected = records.at("SMTP");
  for (const std::size_t end : kEnds)
    expected[end] = 0;
  expected[2] = 0;  // verify off
  EXPECT_EQ(*sent, expected);
}

TEST_F(SmtpRecordTest, ViewingTheMailPageSendsNothing) {
  ASSERT_EQ(Load(FullWidthMail()), 1);
  CSysConfPropSheet& s = NewSheet();
  RunSheet([](CSysConfPropSheet& sheet) {
    ASSERT_TRUE(sheet.SetActivePage(&sheet.m_MailPage));
    config_testing::ApplyAndWait(sheet);
  });
  EXPECT_TRUE(SentOptions().empty());
  EXPECT_EQ(s.GetActivePage(), nullptr);
}

}  // namespace
