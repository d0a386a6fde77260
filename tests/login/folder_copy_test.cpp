// The folder browser on a temporary tree (labels, real-name paths, lazy filling, what selects an
// item and what enables OK, the path taken on close), its image strip, the copy dialog copying
// into a temporary folder, and the login window's copy button.
#include "ui/common/destination_path_dlg.h"
#include "ui/login/copy_program_dlg.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPushButton>
#include <QTreeWidget>
#include <filesystem>

#include "fakes/hand_ticks.h"
#include "login_test_support.h"
#include "ui/common/folder_images.h"
#include "ui/common/program_files.h"
#include "ui/common/testing/scripted_modal_runner.h"
#include "ui/common/vtx_button.h"
#include "ui/login/login_dialog.h"
#include "ui/login/login_layout.h"

namespace {

using login_test::RunModalWith;
using namespace ui;
using namespace ui::login;
namespace fs = std::filesystem;

// The browser's top level at a temporary folder.
class TempRoot final : public IFolderSource {
 public:
  explicit TempRoot(std::string path) : m_path(std::move(path)) {}
  std::vector<FolderRoot> Roots() override {
    return {{QStringLiteral("/"), m_path, kImageFixedDrive}};
  }
  std::vector<std::string> SubFolders(const std::string& path) override {
    return FileSystemFolders()->SubFolders(path);
  }

 private:
  std::string m_path;
};

class FolderBrowserTest : public login_test::LoginUiTest {
 protected:
  void SetUp() override {
    LoginUiTest::SetUp();
    m_root = m_tree.Dir();
    for (const char* folder :
         {"BMP/LOGIN", "Records", "MPEG4 Telvora", "zeta", "alpha", "empty", "caf\xe9"}) {
      fs::create_directories(m_tree.Path() / folder);
    }
    fakes::TempFolder::Write(m_tree / "file.txt", "not a folder");
  }
  std::unique_ptr<CDestinationPathDlg> Browser() {
    return std::make_unique<CDestinationPathDlg>(nullptr, std::make_shared<TempRoot>(m_root));
  }
  static QStringList Labels(QTreeWidgetItem* item) {
    QStringList labels;
    for (int i = 0; i < item->childCount(); ++i)
      labels << item->child(i)->text(0);
    return labels;
  }
  static bool OkEnabled(CDestinationPathDlg& browser) {
    return browser.GetDlgItem(ui::IDOK)->isEnabled();
  }

  fakes::TempFolder m_tree;
  std::string m_root;
};

TEST_F(FolderBrowserTest, LabelsFollowTheirRuleAndPathsTheRealNames) {
  const struct {
    const char* name;
    const char* label;
  } cases[] = {{"BMP", "Bmp"},
               {"LOGIN", "Login"},
               {"MPEG4 Telvora", "MPEG4 Telvora"},
               {"123", "123"},
               {"README.TXT", "Readme.txt"},
               {"", ""},
               {"abc", "abc"},
               {"aBC", "aBC"},
               {"\xc3\x84"
                "BC",
                "\xc3\x84"
                "bc"}};
  for (const auto& c : cases)
    EXPECT_EQ(FolderLabel(QString::fromUtf8(c.name)), QString::fromUtf8(c.label)) << c.name;

  auto browser = Browser();
  browser->InitForPicture();
  QTreeWidget* tree = browser->Tree();
  ASSERT_EQ(tree->topLevelItemCount(), 2);
  EXPECT_EQ(tree->topLevelItem(0)->text(0), QStringLiteral("/"));
  EXPECT_EQ(tree->topLevelItem(1)->text(0), QStringLiteral("Network Neighborhood"));
  EXPECT_EQ(tree->topLevelItem(1), browser->NetworkItem());
  QTreeWidgetItem* root = tree->topLevelItem(0);
  EXPECT_EQ(root->childCount(), 0);  // nothing read before it is opened
  root->setExpanded(true);
  EXPECT_EQ(Labels(root), (QStringList{"alpha", "Bmp", QString::fromUtf8("caf\xef\xbf\xbd"),
                                       "empty", "MPEG4 Telvora", "Records", "zeta"}));
  EXPECT_EQ(browser->PathOf(root), m_root);
  QTreeWidgetItem* bmp = browser->FindChild(root, "BMP");
  ASSERT_NE(bmp, nullptr);
  EXPECT_EQ(browser->PathOf(bmp), m_root + "BMP/");
  bmp->setExpanded(true);
  ASSERT_EQ(Labels(bmp), QStringList{"Login"});
  EXPECT_EQ(browser->PathOf(bmp->child(0)), m_root + "BMP/LOGIN/");
  QTreeWidgetItem* latin1 = browser->FindChild(root, "caf\xe9");
  ASSERT_NE(latin1, nullptr);
  EXPECT_EQ(browser->PathOf(latin1), m_root + "caf\xe9/");
  EXPECT_TRUE(fs::is_directory(browser->PathOf(latin1)));
}

TEST_F(FolderBrowserTest, AFirstExpansionSelectsAndOkFollowsTheSelection) {
  auto browser = Browser();
  browser->InitForPicture();
  QTreeWidgetItem* root = browser->Tree()->topLevelItem(0);
  root->setExpanded(true);
  EXPECT_EQ(browser->SelectedItem(), root);
  // An empty folder: nothing inserted, still selected.
  QTreeWidgetItem* empty = browser->FindChild(root, "empty");
  empty->setExpanded(true);
  EXPECT_EQ(empty->childCount(), 0);
  EXPECT_EQ(browser->SelectedItem(), empty);
  // A folder with children is selected on its first expansion only.
  QTreeWidgetItem* bmp = browser->FindChild(root, "BMP");
  bmp->setExpanded(true);
  EXPECT_EQ(browser->SelectedItem(), bmp);
  QTreeWidgetItem* alpha = browser->FindChild(root, "alpha");
  browser->Tree()->setCurrentItem(alpha);
  bmp->setExpanded(false);
  bmp->setExpanded(true);
  EXPECT_EQ(browser->SelectedItem(), alpha);
  EXPECT_EQ(bmp->childCount(), 1);
  // The network cannot be chosen; opening it shows nothing and selects it.
  EXPECT_TRUE(OkEnabled(*browser));
  browser->NetworkItem()->setExpanded(true);
  EXPECT_EQ(browser->NetworkItem()->childCount(), 0);
  EXPECT_EQ(browser->SelectedItem(), browser->NetworkItem());
  EXPECT_FALSE(OkEnabled(*browser));
  browser->Tree()->setCurrentItem(bmp->child(0));
  EXPECT_TRUE(OkEnabled(*browser));
}

TEST_F(FolderBrowserTest, ThePathIsTakenFromTheSelectionWhenTheDialogEnds) {
  const struct {
    const char* name;
    const char* select;  // nullptr: nothing selected
    int button;
    std::string path;
  } cases[] = {
      {"nothing selected", nullptr, ui::IDOK, "/start/path"},
      {"cancel after a selection", "Records", ui::IDCANCEL, m_root + "Records/"},
      {"ok", "MPEG4 Telvora", ui::IDOK, m_root + "MPEG4 Telvora/"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto browser = Browser();
    browser->SetPath("/start/path");
    const int result = RunModalWith(*browser, [&] {
      QTreeWidgetItem* root = browser->Tree()->topLevelItem(0);
      if (c.select != nullptr) {
        root->setExpanded(true);
        browser->Tree()->setCurrentItem(browser->FindChild(root, c.select));
      }
      qobject_cast<QPushButton*>(browser->GetDlgItem(c.button))->click();
    });
    EXPECT_EQ(result, c.button);
    EXPECT_EQ(browser->GetPath(), c.path);
  }
}

TEST_F(FolderBrowserTest, OpensAtTheStartPathWithoutSelectingIt) {
  auto browser = Browser();
  browser->SetPath(m_root + "BMP/LOGIN");
  const int result = RunModalWith(*browser, [&] {
    QTreeWidgetItem* root = browser->Tree()->topLevelItem(0);
    QTreeWidgetItem* bmp = browser->FindChild(root, "BMP");
    ASSERT_NE(bmp, nullptr);
    EXPECT_TRUE(root->isExpanded());
    EXPECT_TRUE(bmp->isExpanded());
    EXPECT_EQ(browser->Tree()->currentItem(), bmp->child(0));
    EXPECT_EQ(browser->SelectedItem(), nullptr);
    browser->EndDialog(ui::IDCANCEL);
  });
  EXPECT_EQ(result, ui::IDCANCEL);
  EXPECT_EQ(browser->GetPath(), m_root + "BMP/LOGIN");
}

TEST(FolderImagesTest, TheStripHoldsFifteenMaskedImages) {
  const QPixmap strip = FolderImageStrip();
  EXPECT_EQ(strip.size(), QSize(255, 16));
  for (int i = 0; i < kFolderImageCount; ++i) {
    const QImage image = FolderImage(i).pixmap(17, 16).toImage();
    ASSERT_FALSE(image.isNull()) << i;
    EXPECT_EQ(image.size(), QSize(17, 16)) << i;
    int drawn = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x)
        drawn += image.pixelColor(x, y).alpha() > 0 ? 1 : 0;
    }
    // Each image draws something and leaves its white ground transparent.
    EXPECT_GT(drawn, 20) << i;
    EXPECT_LT(drawn, 17 * 16) << i;
  }
  EXPECT_TRUE(FolderImage(15).isNull());
  EXPECT_TRUE(FolderImage(-1).isNull());
}

TEST(CopyProgramTest, PercentagesAndTheirText) {
  const struct {
    std::size_t index;
    std::size_t count;
    int percent;
    const char* text;
  } cases[] = {{0, 720, 0, "  0%"}, {359, 720, 50, " 50%"}, {719, 720, 100, "100%"},
               {0, 3, 33, " 33%"},  {1, 3, 66, " 66%"},     {0, 1, 100, "100%"}};
  for (const auto& c : cases) {
    EXPECT_EQ(CopyPercent(c.index, c.count), c.percent) << c.index << "/" << c.count;
    EXPECT_EQ(CopyPercentText(c.percent), QString::fromLatin1(c.text));
  }
}

TEST(CopyProgramTest, TheListNamesTheProgramItsFilesAndEverySkinBitmap) {
  const std::vector<std::string> files = CopyProgramFileList();
  ASSERT_GT(files.size(), 100u);
  EXPECT_EQ(std::vector<std::string>(files.begin(), files.begin() + 5),
            (std::vector<std::string>{"kavelin", "Setting.ini", "CtrlFile.ini", "IPRecord.dat",
                                      "alarm.wav"}));
  // The skin bitmaps, as the build draws them beside the programs.
  const fs::path programs = QCoreApplication::applicationDirPath().toStdString();
  for (std::size_t i = 5; i < files.size(); ++i) {
    EXPECT_EQ(files[i].find('\\'), std::string::npos) << files[i];
    EXPECT_TRUE(files[i].rfind("BMP/", 0) == 0) << files[i];
    EXPECT_TRUE(fs::exists(programs / files[i])) << files[i];
  }
  EXPECT_NE(std::find(files.begin(), files.end(), "BMP/LOGIN/running.bmp"), files.end());
}

class CopyDialogTest : public login_test::LoginUiTest {
 protected:
  void SetUp() override {
    LoginUiTest::SetUp();
    fs::create_directories(m_source.Path() / "BMP");
    fakes::TempFolder::Write(m_source / "a.txt", "new a");
    fakes::TempFolder::Write(m_source / "b.txt", "new b");
    fakes::TempFolder::Write(m_source.Path() / "BMP" / "c.bmp", "picture");
  }
  // Runs the copy (its timer fired by hand) and closes with OK.
  int RunCopy(CCopyProgramDlg& copy) {
    return RunModalWith(copy, [&] {
      EXPECT_EQ(copy.PercentText(), QStringLiteral("  0%"));
      EXPECT_EQ(copy.ProgressValue(), 0);
      EXPECT_FALSE(copy.GetDlgItem(ui::IDOK)->isEnabled());
      EXPECT_EQ(copy.Timers().Interval(kCopyTimer), 500);
      m_ticks.Fire(copy, kCopyTimer);
      EXPECT_FALSE(copy.Timers().IsRunning(kCopyTimer));
      EXPECT_TRUE(copy.IsDone());
      EXPECT_EQ(copy.PercentText(), QStringLiteral("100%"));
      EXPECT_EQ(copy.ProgressValue(), 100);
      ASSERT_TRUE(copy.GetDlgItem(ui::IDOK)->isEnabled());
      qobject_cast<QPushButton*>(copy.GetDlgItem(ui::IDOK))->click();
    });
  }

  const std::vector<std::string> m_files = {"a.txt", "b.txt", "BMP/c.bmp", "missing.txt"};
  fakes::TempFolder m_source;
  fakes::TempFolder m_destination;
  fakes::HandTicks m_ticks;
};

TEST_F(CopyDialogTest, CopiesOverwritesAndTellsWhatWasNotCopied) {
  fs::create_directories(m_destination.Path() / "BMP");
  fakes::TempFolder::Write(m_destination / "a.txt", "old a, longer than the new one");
  CCopyProgramDlg copy(m_source.Path(), m_destination.Path(), nullptr, m_files);
  EXPECT_EQ(RunCopy(copy), ui::IDOK);
  EXPECT_EQ(fakes::TempFolder::Read(m_destination / "a.txt"), "new a");
  EXPECT_EQ(fakes::TempFolder::Read(m_destination / "b.txt"), "new b");
  EXPECT_EQ(fakes::TempFolder::Read(m_destination.Path() / "BMP" / "c.bmp"), "picture");
  EXPECT_EQ(copy.FailedCount(), 1u);
  EXPECT_EQ(Boxes(),
            std::vector<std::string>{"1 of the 4 files could not be copied.\n\nmissing.txt"});
}

TEST_F(CopyDialogTest, AMissingDestinationStillEndsAt100) {
  CCopyProgramDlg copy(m_source.Path(), m_destination.Path() / "not-there", nullptr, m_files);
  EXPECT_EQ(RunCopy(copy), ui::IDOK);
  EXPECT_EQ(copy.FailedCount(), 4u);
  EXPECT_EQ(Boxes(), std::vector<std::string>{"4 of the 4 files could not be copied.\n\na.txt\n"
                                              "b.txt\nBMP/c.bmp\nmissing.txt"});
}

TEST(CopyProgramTest, TheFailureMessageNamesTheFilesAndCountsBeyondTen) {
  std::vector<std::string> failed;
  for (int i = 1; i <= 12; ++i)
    failed.push_back("BMP/f" + std::to_string(i) + ".bmp");
  EXPECT_EQ(CopyFailureText(422, {"alarm.wav"}),
            QStringLiteral("1 of the 422 files could not be copied.\n\nalarm.wav"));
  EXPECT_EQ(CopyFailureText(422, std::vector<std::string>(failed.begin(), failed.begin() + 10)),
            QStringLiteral("10 of the 422 files could not be copied.\n\nBMP/f1.bmp\nBMP/f2.bmp\n"
                           "BMP/f3.bmp\nBMP/f4.bmp\nBMP/f5.bmp\nBMP/f6.bmp\nBMP/f7.bmp\n"
                           "BMP/f8.bmp\nBMP/f9.bmp\nBMP/f10.bmp"));
  EXPECT_EQ(CopyFailureText(422, failed),
            QStringLiteral("12 of the 422 files could not be copied.\n\nBMP/f1.bmp\nBMP/f2.bmp\n"
                           "BMP/f3.bmp\nBMP/f4.bmp\nBMP/f5.bmp\nBMP/f6.bmp\nBMP/f7.bmp\n"
                           "BMP/f8.bmp\nBMP/f9.bmp\nBMP/f10.bmp\nand 2 more"));
}

// The program folder as the build leaves it: every file of the installation is there but the
// two the program writes when it first saves them, and the copy takes them all, the alarm sound
// too, with no failure told.
TEST_F(CopyDialogTest, TheBuildsProgramFolderCopiesWhole) {
  const fs::path programs = QCoreApplication::applicationDirPath().toStdString();
  const std::vector<std::string> files = CopyProgramFileList();
  std::vector<std::string> absent;
  for (const std::string& file : files) {
    if (!fs::exists(programs / file))
      absent.push_back(file);
  }
  std::vector<std::string> failures;
  for (const std::string& file : absent) {
    EXPECT_TRUE(file == "kavelin" || WrittenOnFirstUse(file)) << file;
    if (!WrittenOnFirstUse(file))
      failures.push_back(file);
  }
  CCopyProgramDlg copy(programs, m_destination.Path(), nullptr, files);
  fs::create_directories(m_destination.Path() / "BMP" / "LOGIN");
  EXPECT_EQ(RunCopy(copy), ui::IDOK);
  EXPECT_EQ(copy.Failed(), failures);
  EXPECT_EQ(fakes::TempFolder::Read(m_destination / "alarm.wav"),
            fakes::TempFolder::Read(programs / "alarm.wav"));
  EXPECT_EQ(Boxes(), failures.empty() ? std::vector<std::string>{}
                                      : std::vector<std::string>{
                                            CopyFailureText(files.size(), failures).toStdString()});
}

// A first run has not saved its settings nor its address book yet: the copy skips them without
// a word, but a settings file that is there and cannot be copied is still told.
TEST_F(CopyDialogTest, FilesNotWrittenYetAreNoFailure) {
  const std::vector<std::string> files = {"a.txt", "Setting.ini", "IPRecord.dat"};
  {
    CCopyProgramDlg copy(m_source.Path(), m_destination.Path(), nullptr, files);
    EXPECT_EQ(RunCopy(copy), ui::IDOK);
    EXPECT_TRUE(copy.Failed().empty());
    EXPECT_TRUE(Boxes().empty());
    EXPECT_FALSE(fs::exists(m_destination / "Setting.ini"));
  }
  fakes::TempFolder::Write(m_source / "Setting.ini", "[ZRC604]\n");
  CCopyProgramDlg copy(m_source.Path(), m_destination.Path() / "not-there", nullptr, files);
  EXPECT_EQ(RunCopy(copy), ui::IDOK);
  EXPECT_EQ(copy.Failed(), (std::vector<std::string>{"a.txt", "Setting.ini"}));
}

TEST_F(CopyDialogTest, TheSourceAsDestinationIsLeftWhole) {
  CCopyProgramDlg copy(m_source.Path(), m_source.Path(), nullptr, m_files);
  EXPECT_EQ(RunCopy(copy), ui::IDOK);
  EXPECT_EQ(fakes::TempFolder::Read(m_source / "a.txt"), "new a");
  EXPECT_EQ(fakes::TempFolder::Read(m_source.Path() / "BMP" / "c.bmp"), "picture");
  EXPECT_EQ(copy.FailedCount(), 1u);  // the missing file only
}

class CopyButtonTest : public login_test::LoginUiTest {
 protected:
  void SetUp() override {
    LoginUiTest::SetUp();
    m_runner->ScriptHandler(QStringLiteral("CDestinationPathDlg"), [this](ui::UiDialog& dialog) {
      auto& browser = static_cast<CDestinationPathDlg&>(dialog);
      m_startPaths.push_back(browser.GetPath());
      browser.SetPath(m_chosen);
      return m_browserResult;
    });
    m_runner->ScriptHandler(QStringLiteral("CCopyProgramDlg"), [this](ui::UiDialog& dialog) {
      auto& copy = static_cast<CCopyProgramDlg&>(dialog);
      m_copies.emplace_back(copy.Source(), copy.Destination());
      return ui::IDOK;
    });
    m_dialog = std::make_unique<LoginDialog>(ports::LoginEngine::Defaults());
    m_dialog->InitForPicture();
  }
  void TearDown() override {
    m_dialog.reset();
    LoginUiTest::TearDown();
  }
  void ClickCopy() {
    auto* button = qobject_cast<CVtxButton*>(m_dialog->GetDlgItem(IDC_TOOL_COPY));
    ASSERT_NE(button, nullptr);
    button->click();
  }

  std::shared_ptr<ui::testing::ScriptedModalRunner> m_runner =
      std::make_shared<ui::testing::ScriptedModalRunner>();
  ui::testing::ScopedModalRunner m_scopedRunner{m_runner};
  std::unique_ptr<LoginDialog> m_dialog;
  fakes::TempFolder m_target;
  std::string m_chosen;
  int m_browserResult = ui::IDOK;
  std::vector<std::string> m_startPaths;
  std::vector<std::pair<fs::path, fs::path>> m_copies;
};

TEST_F(CopyButtonTest, CreatesTheProgramFoldersAndCopiesIntoThem) {
  m_browserResult = ui::IDCANCEL;
  m_chosen = m_target.Dir();
  ClickCopy();
  EXPECT_TRUE(m_copies.empty());
  EXPECT_FALSE(fs::exists(m_target.Path() / "MPEG4 Telvora"));

  m_browserResult = ui::IDOK;
  m_chosen = m_target.Path().string();  // without its "/": one is added
  ClickCopy();
  ClickCopy();  // the folders exist by now: the copy still runs
  EXPECT_EQ(m_startPaths, (std::vector<std::string>{"/", "/", "/"}));
  EXPECT_TRUE(fs::is_directory(m_target.Path() / "MPEG4 Telvora" / "BMP" / "LOGIN"));
  ASSERT_EQ(m_copies.size(), 2u);
  for (const auto& [source, destination] : m_copies) {
    EXPECT_EQ(source, SettingsProgramFolder());
    EXPECT_EQ(destination.string(), m_target.Dir() + "MPEG4 Telvora/");
  }
}

}  // namespace
