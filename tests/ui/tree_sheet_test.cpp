#include <gtest/gtest.h>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <optional>

#include "ui/common/control_images.h"
#include "ui/common/string_table.h"
#include "ui/common/tree_prop_sheet.h"
#include "ui/common/tree_sheet_frame.h"

namespace {

struct SplitCase {
  const char* path;
  const char* first;
  std::optional<const char*> rest;
};

TEST(TreePropSheet, CaptionPathGrammar) {
  const SplitCase cases[] = {
      {"A\\::B", "A::B", std::nullopt},
      {"A\\\\::B", "A\\", "B"},
      {"A\\\\\\::B", "A\\::B", std::nullopt},
      {"Network::Mail", "Network", "Mail"},
      {"A::B::C", "A", "B::C"},
      {"Plain", "Plain", std::nullopt},
      {"", "", std::nullopt},
      {"::B", "", "B"},
      {"A::", "A", ""},
      {"A\\B", "A\\B", std::nullopt},
      {"A\\::B::C", "A::B", "C"},
  };
  for (const SplitCase& c : cases) {
    SCOPED_TRACE(c.path);
    const PagePathSplit split = SplitPagePath(QString::fromUtf8(c.path));
    EXPECT_EQ(split.first, QString::fromUtf8(c.first));
    ASSERT_EQ(split.rest.has_value(), c.rest.has_value());
    if (c.rest) {
      EXPECT_EQ(*split.rest, QString::fromUtf8(*c.rest));
    }
  }
}

TEST(TreePropSheet, PageTextFormat) {
  EXPECT_EQ(FormatPageText("Please select a child item of '%s'.", "Network"),
            "Please select a child item of 'Network'.");
  EXPECT_EQ(FormatPageText("100%% of %s and %s", "x"), "100% of x and %s");
  EXPECT_EQ(FormatPageText("", "x"), "");
}

class TestPage final : public ui::CPropertyPage {
 public:
  explicit TestPage(const QString& caption) : CPropertyPage(caption) {}
  bool OnInitDialog() override {
    ++initCount;
    return CPropertyPage::OnInitDialog();
  }
  bool OnKillActive() override {
    ++killCount;
    return mayLeave;
  }
  int initCount = 0;
  int killCount = 0;
  bool mayLeave = true;
};

class TreeSheetTest : public ::testing::Test {
 protected:
  TreeSheetTest() {
    m_sheet.SetTreeTitle("Please select a child item of '%s'.");
    m_sheet.AddPage(&m_mail);
    m_sheet.AddPage(&m_ftp);
    m_sheet.AddPage(&m_accounts);
    m_sheet.resize(500, 300);
  }

  // Runs the sheet modally with body inside the run, then ends it.
  void RunWith(const std::function<void()>& body) {
    QTimer::singleShot(0, &m_sheet, [&] {
      body();
      m_sheet.EndDialog(3);
    });
    EXPECT_EQ(m_sheet.DoModal(), 3);
  }

  QTreeWidget& Tree() { return *m_sheet.GetPageTreeControl(); }
  QString Selected() {
    QTreeWidgetItem* item = Tree().currentItem();
    return item == nullptr ? QString() : item->text(0);
  }
  QTreeWidgetItem* Node(const QString& text) {
    const auto found = Tree().findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.front();
  }
  void CtrlTab(bool shift = false) {
    QTest::keyClick(&Tree(), Qt::Key_Tab,
                    shift ? Qt::ControlModifier | Qt::ShiftModifier : Qt::ControlModifier);
  }

  TestPage m_mail{"Network::Mail"};
  TestPage m_ftp{"Network::FTP"};
  TestPage m_accounts{"Accounts"};
  CTreePropSheet m_sheet;
};

TEST_F(TreeSheetTest, PagesShareTheirNode) {
  RunWith([&] {
    ASSERT_EQ(Tree().topLevelItemCount(), 2);
    QTreeWidgetItem* network = Tree().topLevelItem(0);
    EXPECT_EQ(network->text(0), "Network");
    EXPECT_EQ(network->data(0, Qt::UserRole).toInt(), -1);
    ASSERT_EQ(network->childCount(), 2);
    EXPECT_EQ(network->child(0)->text(0), "Mail");
    EXPECT_EQ(network->child(0)->data(0, Qt::UserRole).toInt(), 0);
    EXPECT_EQ(network->child(1)->text(0), "FTP");
    EXPECT_EQ(Tree().topLevelItem(1)->text(0), "Accounts");
    EXPECT_EQ(Selected(), "Mail");
    EXPECT_EQ(m_sheet.FindPageItem(2), Tree().topLevelItem(1));
    EXPECT_EQ(m_sheet.FindPageItem(3), nullptr);
  });
}

TEST_F(TreeSheetTest, SelectingANodeHidesThePageAndShowsTheTitle) {
  RunWith([&] {
    ASSERT_TRUE(m_mail.GetWindow() != nullptr);
    EXPECT_TRUE(m_mail.GetWindow()->isVisible());
    Tree().setCurrentItem(Node("Network"));
    EXPECT_EQ(Selected(), "Network");
    EXPECT_FALSE(m_mail.GetWindow()->isVisible());
    EXPECT_EQ(m_mail.killCount, 1);
    EXPECT_EQ(m_sheet.GetPageFrame()->GetMsgText(), "Please select a child item of 'Network'.");
    Tree().setCurrentItem(Node("FTP"));
    EXPECT_EQ(m_sheet.GetActivePage(), &m_ftp);
    EXPECT_TRUE(m_ftp.GetWindow()->isVisible());
  });
}

TEST_F(TreeSheetTest, APageThatRefusesToBeLeftKeepsTheSelection) {
  m_mail.mayLeave = false;
  RunWith([&] {
    Tree().setCurrentItem(Node("Accounts"));
    EXPECT_EQ(Selected(), "Mail");
    EXPECT_EQ(m_sheet.GetActivePage(), &m_mail);
    EXPECT_EQ(m_accounts.GetWindow(), nullptr);
    Tree().setCurrentItem(Node("Network"));
    EXPECT_EQ(Selected(), "Mail");
    EXPECT_TRUE(m_mail.GetWindow()->isVisible());
    CtrlTab();
    EXPECT_EQ(Selected(), "Mail");
    m_mail.mayLeave = true;
  });
}

TEST_F(TreeSheetTest, CtrlTabWalksTheTreeBothWays) {
  RunWith([&] {
    const char* forward[] = {"FTP", "Accounts", "Network", "Mail"};
    for (const char* expected : forward) {
      CtrlTab();
      EXPECT_EQ(Selected(), expected);
    }
    const char* backward[] = {"Network", "Accounts", "FTP", "Mail"};
    for (const char* expected : backward) {
      CtrlTab(true);
      EXPECT_EQ(Selected(), expected);
    }
  });
}

TEST_F(TreeSheetTest, SettingsOnlyBeforeTheWindowExists) {
  RunWith([&] {
    EXPECT_FALSE(m_sheet.SetTreeMode(false));
    EXPECT_FALSE(m_sheet.SetTreeWidth(300));
    EXPECT_TRUE(m_sheet.IsTreeMode());
    EXPECT_EQ(m_sheet.GetTreeWidth(), 150);
    EXPECT_EQ(m_sheet.GetPageTreeControl()->width(), 145);
    EXPECT_EQ(m_sheet.width(), 500 + 150);
  });
  EXPECT_EQ(m_sheet.width(), 500);
  EXPECT_TRUE(m_sheet.SetTreeWidth(200));
  EXPECT_EQ(m_sheet.GetTreeWidth(), 200);
}

TEST_F(TreeSheetTest, PageWindowsAreMadeOnFirstActivationInEachRun) {
  RunWith([&] {
    EXPECT_EQ(m_mail.initCount, 1);
    EXPECT_EQ(m_ftp.GetWindow(), nullptr);
    m_sheet.SetActivePage(&m_ftp);
    EXPECT_EQ(Selected(), "FTP");
    m_sheet.SetActivePage(&m_mail);
    m_sheet.SetActivePage(&m_ftp);
    EXPECT_EQ(m_ftp.initCount, 1);
  });
  EXPECT_EQ(m_mail.GetWindow(), nullptr);
  EXPECT_EQ(m_ftp.GetWindow(), nullptr);
  m_sheet.SetStartPage(1);
  RunWith([&] {
    EXPECT_EQ(m_sheet.GetActivePage(), &m_ftp);
    EXPECT_EQ(Selected(), "FTP");
  });
  EXPECT_EQ(m_ftp.initCount, 2);
}

TEST_F(TreeSheetTest, ARunsWidgetsLiveUnderOneChildThatGoesWithTheRun) {
  QPointer<QWidget> run;
  RunWith([&] {
    run = m_sheet.GetRunWindow();
    ASSERT_NE(run, nullptr);
    EXPECT_EQ(run->parentWidget(), &m_sheet);
    for (QWidget* widget : {static_cast<QWidget*>(m_sheet.GetTabControl()),
                            static_cast<QWidget*>(m_sheet.GetButtonBar()),
                            static_cast<QWidget*>(m_sheet.GetPageTreeControl()),
                            m_sheet.GetPageFrame()->GetWnd(), m_mail.GetWindow()}) {
      ASSERT_NE(widget, nullptr);
      EXPECT_TRUE(run->isAncestorOf(widget)) << widget->objectName().toStdString();
    }
  });
  EXPECT_TRUE(run.isNull());
  EXPECT_EQ(m_sheet.GetRunWindow(), nullptr);
  EXPECT_EQ(m_sheet.GetPageFrame(), nullptr);
  EXPECT_TRUE(m_sheet.findChildren<QWidget*>().isEmpty());
}

TEST_F(TreeSheetTest, AddingAPageDuringTheRunRefillsTheTree) {
  TestPage log("Network::Log");
  RunWith([&] {
    m_sheet.AddPage(&log);
    ASSERT_NE(Node("Log"), nullptr);
    EXPECT_EQ(Node("Log")->parent(), Node("Network"));
    EXPECT_EQ(Selected(), "Mail");
    m_sheet.RemovePage(&log);
    EXPECT_EQ(Node("Log"), nullptr);
  });
}

TEST_F(TreeSheetTest, DefaultImagesNeedExactlyTwo) {
  QPixmap one(16, 16);
  one.fill(Qt::red);
  EXPECT_FALSE(m_sheet.SetTreeDefaultImages(QList<QIcon>{QIcon(one)}));
  QPixmap strip(48, 16);
  strip.fill(Qt::blue);
  EXPECT_FALSE(m_sheet.SetTreeDefaultImages(strip, 16, Qt::white));
  QPixmap pair(32, 16);
  pair.fill(Qt::green);
  EXPECT_TRUE(m_sheet.SetTreeDefaultImages(pair, 16, Qt::white));
}

TEST(TreePropSheet, CaptionByIdAndPageIconsByResourceId) {
  CTreePropSheet sheet(4012);
  EXPECT_EQ(sheet.windowTitle(), ui::LoadString(4012));
  EXPECT_TRUE(sheet.IsTreeMode());
  EXPECT_EQ(sheet.GetTreeWidth(), 150);

  TestPage page{"Mail"};
  EXPECT_FALSE(CTreePropSheet::SetPageIcon(&page, 9999));  // no such icon resource
  EXPECT_FALSE(page.HasIcon());
  EXPECT_FALSE(CTreePropSheet::SetPageIcon(nullptr, ui::IDI_PROGRAM));
  ASSERT_TRUE(CTreePropSheet::SetPageIcon(&page, ui::IDI_PROGRAM));
  EXPECT_TRUE(page.HasIcon());
  const QImage shown = page.GetIcon().pixmap(16, 16).toImage();
  EXPECT_EQ(shown.size(), QSize(16, 16));
  EXPECT_EQ(shown, ui::LoadIconResource(ui::IDI_PROGRAM).pixmap(16, 16).toImage());
  EXPECT_TRUE(CTreePropSheet::DestroyPageIcon(&page));
  EXPECT_FALSE(page.HasIcon());
}

TEST(TreePropSheetTabs, WithoutTreeModeCtrlTabCyclesTheTabs) {
  TestPage a("A"), b("B");
  CTreePropSheet sheet;
  ASSERT_TRUE(sheet.SetTreeMode(false));
  sheet.AddPage(&a);
  sheet.AddPage(&b);
  QTimer::singleShot(0, &sheet, [&] {
    EXPECT_EQ(sheet.GetPageTreeControl(), nullptr);
    EXPECT_TRUE(sheet.GetTabControl()->isVisible());
    QKeyEvent ctrlTab(QEvent::KeyPress, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_TRUE(sheet.OnIsDialogMessage(ctrlTab));
    EXPECT_EQ(sheet.GetActiveIndex(), 1);
    EXPECT_TRUE(sheet.OnIsDialogMessage(ctrlTab));
    EXPECT_EQ(sheet.GetActiveIndex(), 0);
    QKeyEvent back(QEvent::KeyPress, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(sheet.OnIsDialogMessage(back));
    EXPECT_EQ(sheet.GetActiveIndex(), 1);
    QKeyEvent plain(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    EXPECT_FALSE(sheet.OnIsDialogMessage(plain));
    sheet.EndDialog(0);
  });
  EXPECT_EQ(sheet.DoModal(), 0);
}

// The page frame.

TEST(TreeSheetFrame, RectanglesFollowTheCaption) {
  QWidget parent;
  CTreeSheetFrameWnd frame;
  ASSERT_TRUE(frame.Create(QRect(0, 0, 200, 100), &parent, kPageFrameId));
  EXPECT_EQ(frame.GetCaptionRect().height(), 0);
  EXPECT_EQ(frame.GetMsgRect(), QRect(0, 0, 200, 100));
  frame.SetCaptionHeight(20);
  EXPECT_EQ(frame.GetMsgRect(), QRect(0, 0, 200, 100));
  frame.SetCaptionShown(true);
  EXPECT_EQ(frame.GetCaptionRect(), QRect(0, 0, 200, 20));
  EXPECT_EQ(frame.GetMsgRect().top(), 21);
  EXPECT_EQ(frame.GetMsgRect().bottom(), 99);
}

TEST(TreeSheetFrame, CaptionTextStartsAfterTheIcon) {
  QWidget parent;
  CTreeSheetFrameWnd frame;
  frame.Create(QRect(0, 0, 200, 100), &parent, kPageFrameId);
  frame.SetCaptionShown(true);
  frame.SetCaptionHeight(20);
  frame.SetCaption("Mail");
  EXPECT_EQ(frame.CaptionIconSize(), QSize());
  EXPECT_EQ(frame.CaptionTextLeft(), 2);
  QPixmap icon(16, 16);
  icon.fill(Qt::red);
  frame.SetCaption("Mail", QIcon(icon));
  EXPECT_EQ(frame.CaptionIconSize(), QSize(16, 16));
  EXPECT_EQ(frame.CaptionTextLeft(), 3 + 16 + 2);
  frame.SetCaption("Mail");
  EXPECT_EQ(frame.CaptionTextLeft(), 2);
}

TEST(TreeSheetFrame, GradientRunsFromStartToEnd) {
  const QColor start(0, 0, 200), end(200, 100, 0);
  EXPECT_EQ(CaptionGradientColour(start, end, 100, 0), start);
  EXPECT_EQ(CaptionGradientColour(start, end, 100, 50), QColor(100, 50, 100));
  EXPECT_EQ(CaptionGradientColour(start, end, 100, 99), QColor(198, 99, 2));
  EXPECT_EQ(CaptionGradientColour(start, end, 0, 0), start);
  EXPECT_EQ(CaptionGradientColour(start, end, -5, 3), start);
}

TEST(TreeSheetFrame, ZeroWidthCaptionDrawsNothing) {
  QWidget parent;
  CTreeSheetFrameWnd frame;
  frame.Create(QRect(0, 0, 0, 40), &parent, kPageFrameId);
  frame.SetCaptionShown(true);
  frame.SetCaptionHeight(20);
  frame.SetCaption("Mail");
  QImage image(10, 40, QImage::Format_RGB32);
  image.fill(Qt::black);
  QPainter painter(&image);
  frame.DrawCaptionBar(painter, QRect(0, 0, 0, 20), "Mail", QIcon());
  painter.end();
  EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::black));
  (void)frame.grab();
}

TEST(TreeSheetFrame, CaptionBarStartsWithTheHighlightColour) {
  QWidget parent;
  CTreeSheetFrameWnd frame;
  frame.Create(QRect(0, 0, 120, 60), &parent, kPageFrameId);
  frame.SetCaptionShown(true);
  frame.SetCaptionHeight(20);
  const QImage shot = frame.grab().toImage();
  EXPECT_EQ(shot.pixelColor(0, 10), frame.palette().color(QPalette::Active, QPalette::Highlight));
  EXPECT_EQ(shot.pixelColor(60, 40), frame.palette().color(frame.backgroundRole()));
}

}  // namespace

namespace {

TEST_F(TreeSheetTest, StandardButtonsByIdAndOkAsksThePage) {
  QTimer::singleShot(0, &m_sheet, [&] {
    for (int id : {ui::IDOK, ui::IDCANCEL, ui::ID_APPLY_NOW, ui::IDHELP}) {
      EXPECT_NE(m_sheet.GetDlgItem(id), nullptr) << id;
    }
    EXPECT_FALSE(m_sheet.GetDlgItem(ui::ID_APPLY_NOW)->isEnabled());
    EXPECT_FALSE(m_sheet.GetDlgItem(ui::IDHELP)->isVisible());
    // A sheet that hides them keeps the row's room for its own buttons.
    const int barHeight = m_sheet.GetButtonBar()->height();
    m_sheet.GetDlgItem(ui::IDOK)->hide();
    EXPECT_EQ(m_sheet.GetButtonBar()->height(), barHeight);
    m_mail.mayLeave = false;
    QTest::mouseClick(static_cast<QPushButton*>(m_sheet.GetDlgItem(ui::IDOK)), Qt::LeftButton);
    m_sheet.GetDlgItem(ui::IDOK)->show();
    static_cast<QPushButton*>(m_sheet.GetDlgItem(ui::IDOK))->click();
    EXPECT_TRUE(m_sheet.isVisible());
    m_mail.mayLeave = true;
    static_cast<QPushButton*>(m_sheet.GetDlgItem(ui::IDOK))->click();
  });
  EXPECT_EQ(m_sheet.DoModal(), ui::IDOK);
  QTimer::singleShot(0, &m_sheet,
                     [&] { static_cast<QPushButton*>(m_sheet.GetDlgItem(ui::IDCANCEL))->click(); });
  EXPECT_EQ(m_sheet.DoModal(), ui::IDCANCEL);
}

}  // namespace
