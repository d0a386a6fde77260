// The file-path page: the folders the opener gives the sheet, "Modify" through the folder
// browser (start path in, chosen path out on OK only), the audio path of 0x84 servers, and the
// folders APPLY hands back without sending anything.
#include <QTest>

#include "config_fixture.h"
#include "page_controls.h"
#include "ui/common/destination_path_dlg.h"
#include "ui/config/pages/toolbox_record_pages.h"

namespace {

using namespace config_testing;
using R = RecordPage;

const SysConfFolders kFolders{QStringLiteral("/home/op/Record/"), QStringLiteral("/home/op/Snap/"),
                              QStringLiteral("/home/op/Sound/")};

class RecordPageTest : public ConfigTest {
 public:
  int RunOnPage(const std::function<void(CSysConfPropSheet&, R&)>& body) {
    CSysConfPropSheet& s = sheet ? *sheet : NewSheet();
    s.m_Folders = kFolders;
    return RunSheet([&](CSysConfPropSheet& sh) {
      ASSERT_TRUE(sh.SetActivePage(&sh.m_RecordPage));
      body(sh, sh.m_RecordPage);
    });
  }
  // The folder browser answers result after setting its path to chosen; the start paths it was
  // given are kept.
  void AnswerBrowser(int result, const std::string& chosen) {
    runner->ScriptHandler("CDestinationPathDlg", [this, result, chosen](ui::UiDialog& d) {
      auto& dialog = static_cast<CDestinationPathDlg&>(d);
      startPaths.push_back(dialog.GetPath());
      dialog.SetPath(chosen);
      return result;
    });
  }
  std::vector<std::string> startPaths;
};

TEST_F(RecordPageTest, ModifyBrowsesFromTheShownFolderAndTakesTheChoiceOnOk) {
  ASSERT_EQ(Load(), 1);
  const struct {
    const char* name;
    int button;
    int edit;
    int result;
    QString record, snapshot;
  } cases[] = {
      {"record OK", R::IDC_MODIFY_RECORD, R::IDC_RECORD_PATH, ui::IDOK, "/data/alarm clips/",
       kFolders.snapshot},
      {"snapshot OK", R::IDC_MODIFY_SNAPSHOT, R::IDC_SNAPSHOT_PATH, ui::IDOK, kFolders.record,
       "/data/alarm clips/"},
      {"record cancelled", R::IDC_MODIFY_RECORD, R::IDC_RECORD_PATH, ui::IDCANCEL, kFolders.record,
       kFolders.snapshot},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    sheet.reset();
    startPaths.clear();
    AnswerBrowser(c.result, "/data/alarm clips/");
    const int result = RunOnPage([&](CSysConfPropSheet& s, R& page) {
      Click(page, c.button);
      EXPECT_EQ(TextOf(page, R::IDC_RECORD_PATH), c.record);
      EXPECT_EQ(TextOf(page, R::IDC_SNAPSHOT_PATH), c.snapshot);
      config_testing::ApplyAndWait(s);
    });
    EXPECT_EQ(result, CSysConfPropSheet::kResultApplied);
    ASSERT_EQ(startPaths.size(), 1u);
    EXPECT_EQ(startPaths[0],
              (c.edit == R::IDC_RECORD_PATH ? kFolders.record : kFolders.snapshot).toStdString());
    EXPECT_EQ(sheet->m_Folders.record, c.record);
    EXPECT_EQ(sheet->m_Folders.snapshot, c.snapshot);
    EXPECT_EQ(sheet->m_Folders.alarmSound, kFolders.alarmSound);
  }
  // Folders are the client's own: nothing goes to the server.
  EXPECT_TRUE(SentOptions().empty());
  EXPECT_TRUE(Messages().empty());
}

TEST_F(RecordPageTest, TypedFoldersAreTakenBackAtApplyAndExitKeepsTheOldOnes) {
  ASSERT_EQ(Load(), 1);
  EXPECT_EQ(RunOnPage([](CSysConfPropSheet& s, R& page) {
              Type(page, R::IDC_RECORD_PATH, "/mnt/usb/rec/");
              config_testing::ApplyAndWait(s);
            }),
            CSysConfPropSheet::kResultApplied);
  EXPECT_EQ(sheet->m_Folders.record, "/mnt/usb/rec/");
  sheet.reset();
  RunOnPage([](CSysConfPropSheet&, R& page) { Type(page, R::IDC_RECORD_PATH, "/elsewhere/"); });
  EXPECT_EQ(sheet->m_Folders, kFolders);
}

TEST_F(RecordPageTest, TheAudioPathBelongsToServersOfType0x84) {
  ASSERT_EQ(Load(), 1);
  const struct {
    std::uint8_t deviceType;
    bool shown;
    QString sound;
  } cases[] = {{0x84, true, "/mnt/sounds/"}, {0x76, false, kFolders.alarmSound}};
  for (const auto& c : cases) {
    SCOPED_TRACE(int{c.deviceType});
    sheet.reset();
    g_lpApp->m_byDeviceType = c.deviceType;
    RunOnPage([&](CSysConfPropSheet& s, R& page) {
      for (int id : {R::IDC_AUDIO_LABEL, R::IDC_AUDIO_PATH, R::IDC_MODIFY_AUDIO})
        EXPECT_EQ(Shown(page, id), c.shown) << id;
      EXPECT_EQ(TextOf(page, R::IDC_AUDIO_PATH), kFolders.alarmSound);
      // Its "Modify" opens nothing.
      Click(page, R::IDC_MODIFY_AUDIO);
      Type(page, R::IDC_AUDIO_PATH, "/mnt/sounds/");
      config_testing::ApplyAndWait(s);
    });
    EXPECT_EQ(sheet->m_Folders.alarmSound, c.sound);
  }
  EXPECT_TRUE(runner->Runs().empty());
}

}  // namespace
