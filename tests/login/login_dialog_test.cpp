// The login window offscreen: Enter, Escape and Cancel, the fields it refuses, its result texts,
// version digits and animation, the attempt that a second Connect replaces, a missing skin
// bitmap, and its tool buttons.
#include "ui/login/login_dialog.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "app/ip_record.h"
#include "fakes/fake_video_server.h"
#include "login_test_support.h"
#include "ui/common/services.h"
#include "ui/common/skin_loader.h"
#include "ui/common/testing/scripted_modal_runner.h"
#include "ui/common/testing/solid_bitmap_folder.h"
#include "ui/common/vtx_button.h"
#include "ui/login/address_book_list_dlg.h"
#include "ui/login/login_layout.h"
#include "ui/login/login_look.h"
#include "ui/login/login_setting_dlg.h"

namespace {

using fakes::FakeReply;
using fakes::WaitUntil;
using login_test::kLeftOpen;
using login_test::RunModalWith;
using namespace ui::login;

constexpr const char* kStreamReply =
    "VIDEO-FORMAT=4;USER-LEVEL=30;LIFE-TIME=-1;MPEG4-WIDTH=704;MPEG4-HEIGHT=480;JPEG-WIDTH=352;"
    "JPEG-HEIGHT=240;STREAM-PORT=6001;";

class LoginDialogTest : public login_test::LoginUiTest {
 protected:
  void SetUp() override {
    LoginUiTest::SetUp();
    m_server.SetStreamReply(kStreamReply);
    m_dialog = std::make_unique<LoginDialog>(ports::LoginEngine::Defaults());
    m_dialog->SetLayeredHelper(
        CLayeredWndHelper([this](QWidget*, std::uint32_t, std::uint8_t alpha, std::uint32_t) {
          m_alphas.push_back(alpha);
          return true;
        }));
    m_dialog->m_strHost = QStringLiteral("127.0.0.1");
    m_dialog->m_strUserName = QStringLiteral("admin");
    m_dialog->m_strPassword = QStringLiteral("secret");
    m_dialog->m_strPort = QString::number(m_server.WebPort());
    m_dialog->m_strBitRate = QStringLiteral("1200");
  }
  void TearDown() override {
    m_dialog.reset();
    LoginUiTest::TearDown();
  }

  QLineEdit* Edit(int id) { return qobject_cast<QLineEdit*>(m_dialog->GetDlgItem(id)); }
  void PressEnterIn(int id) {
    QLineEdit* edit = Edit(id);
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
  }
  std::size_t LoginRequests() const { return m_server.RequestsTo("/Login.cgi").size(); }

  fakes::FakeVideoServer m_server;
  std::unique_ptr<LoginDialog> m_dialog;
  std::vector<int> m_alphas;
};

TEST_F(LoginDialogTest, EnterInEachFieldLogsInAndNeverCloses) {
  m_server.SetCredentials("admin", "other");  // every login is refused: 202, "illegal user"
  const int result = RunModalWith(*m_dialog, [&] {
    std::size_t presses = 0;
    for (const int id : {IDC_LOGIN_USER, IDC_LOGIN_PASSWORD, IDC_LOGIN_ADDRESS, IDC_LOGIN_PORT}) {
      SCOPED_TRACE(id);
      PressEnterIn(id);
      ++presses;
      ASSERT_TRUE(WaitUntil(
          [&] { return LoginRequests() == presses && m_dialog->ShownResultText().has_value(); }));
      EXPECT_EQ(m_dialog->ShownResultText(), ui::LoadString(8534));
      EXPECT_FALSE(m_dialog->IsAnimating());
      EXPECT_TRUE(m_dialog->isVisible());
    }
    QTest::keyClick(Edit(IDC_LOGIN_USER), Qt::Key_Escape);
  });
  EXPECT_EQ(result, ui::IDCANCEL);
  EXPECT_EQ(m_server.RequestsTo("/Login.cgi").front().target,
            "/Login.cgi?Username=admin&Password=secret");
  EXPECT_TRUE(m_server.RequestsTo("/RequestStream.cgi").empty());
}

TEST_F(LoginDialogTest, EscapeEndsWithTwoWithoutTheFade) {
  const int result = RunModalWith(*m_dialog, [&] {
    m_alphas.clear();
    QTest::keyClick(Edit(IDC_LOGIN_PASSWORD), Qt::Key_Escape);
  });
  EXPECT_EQ(result, ui::IDCANCEL);
  EXPECT_TRUE(m_alphas.empty());
}

TEST_F(LoginDialogTest, CancelFadesOutIn101StepsThenEndsWithTwo) {
  const int result = RunModalWith(*m_dialog, [&] {
    m_alphas.clear();
    auto* cancel = qobject_cast<CVtxButton*>(m_dialog->GetDlgItem(IDC_CANCEL_LOGIN));
    ASSERT_NE(cancel, nullptr);
    cancel->click();
  });
  EXPECT_EQ(result, ui::IDCANCEL);
  ASSERT_EQ(m_alphas.size(), 101u);
  EXPECT_EQ(m_alphas.front(), 255);
  EXPECT_EQ(m_alphas.back(), 0);
  EXPECT_TRUE(m_server.Requests().empty());
}

TEST_F(LoginDialogTest, ConnectLogsInCommitsAndEndsWithOne) {
  g_lpApp->m_SettingINI.m_byDecodeType = 4;
  const int result = RunModalWith(*m_dialog, [&] {
    auto* connect = qobject_cast<CVtxButton*>(m_dialog->GetDlgItem(IDC_CONNECT));
    ASSERT_NE(connect, nullptr);
    connect->click();
    WaitUntil([&] { return !m_dialog->isVisible(); });
  });
  EXPECT_EQ(result, ui::IDOK);
  EXPECT_EQ(SessionIdBuffer.Get(), "5A3F19C2");
  EXPECT_EQ(g_lpApp->m_wUserLevel.load(), 30);
  EXPECT_EQ(g_lpApp->m_wFrameWidth.load(), 704);
  EXPECT_EQ(g_lpApp->m_SettingINI.m_wWebPort, m_server.WebPort());
  EXPECT_EQ(g_lpApp->m_SettingINI.m_strPassword, "secret");
}

TEST_F(LoginDialogTest, FieldsThatCannotBeSentShowTheirMessage) {
  const struct {
    const char* user;
    const char* password;
    const char* port;  // nullptr: the server's
    std::string message;
  } cases[] = {
      {"", "secret", nullptr, Text(4081)},
      {"admin", "", nullptr, Text(4081)},
      {"admin", "secret", "70000", Text(4053)},
      {"admin", "secret", "0", Text(4053)},
      {"ad min", "secret", nullptr, ""},  // our own text about the characters
      {"admin", "a&b", nullptr, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.user) + "/" + c.password);
    LoginDialog dialog(ports::LoginEngine::Defaults());
    dialog.m_strUserName = QString::fromLatin1(c.user);
    dialog.m_strPassword = QString::fromLatin1(c.password);
    dialog.m_strHost = QStringLiteral("127.0.0.1");
    dialog.m_strPort = c.port ? QString::fromLatin1(c.port) : QString::number(m_server.WebPort());
    const std::size_t before = m_box->Count();
    const int result = RunModalWith(dialog, [&] {
      QTest::keyClick(&dialog, Qt::Key_Return);
      WaitUntil([&] { return m_box->Count() > before; });
      EXPECT_FALSE(dialog.IsAnimating());
      QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    EXPECT_EQ(result, ui::IDCANCEL);
    ASSERT_EQ(m_box->Count(), before + 1);
    if (!c.message.empty())
      EXPECT_EQ(Boxes().back(), c.message);
    else
      EXPECT_NE(Boxes().back().find("'&'"), std::string::npos);
  }
  EXPECT_TRUE(m_server.Requests().empty());
}

TEST(LoginLayout, ResultTexts) {
  const struct {
    int code;
    std::optional<QString> text;
  } cases[] = {{-1, std::nullopt},
               {0, QStringLiteral("Login procedure is failed")},
               {1, QStringLiteral("Login procedure is success")},
               {2, QStringLiteral("Login device is failed")},
               {3, QStringLiteral("Firware is not to be suitable")},
               {4, std::nullopt},
               {9, std::nullopt},
               {16, std::nullopt},
               {17, QStringLiteral("too many user login")},
               {18, QStringLiteral("illegal user")},
               {19, QStringLiteral("no \"Option\" argument for system config")},
               {20, QStringLiteral("rs485 command error")},
               {21, QStringLiteral("Upgrade firmware checksum error")},
               {22, QStringLiteral("None firmware Content Length")},
               {23, QStringLiteral("None firmware buffer")},
               {24, QStringLiteral("Burnning firmware now")},
               {25, QStringLiteral("User level too low")},
               {26, std::nullopt}};
  for (const auto& c : cases)
    EXPECT_EQ(ResultText(c.code), c.text) << c.code;
}

TEST_F(LoginDialogTest, ACodeWithoutTextKeepsTheShownText) {
  m_dialog->InitForPicture();
  m_dialog->ShowResult(18);
  EXPECT_EQ(m_dialog->ShownResultText(), QStringLiteral("illegal user"));
  m_dialog->ShowResult(9);
  EXPECT_EQ(m_dialog->ShownResultText(), QStringLiteral("illegal user"));
  // The firmware road posts its codes without an attempt's tag.
  platform::PostMessage(m_dialog->Handle(), WM_LOGIN_RESULT, 25, 0);
  EXPECT_TRUE(
      WaitUntil([&] { return m_dialog->ShownResultText() != QStringLiteral("illegal user"); }));
  EXPECT_EQ(m_dialog->ShownResultText(), QStringLiteral("User level too low"));
}

// The pixels of the window's picture in a colour, within rect.
int PixelsOf(const QImage& image, const QColor& colour, const QRect& rect) {
  int count = 0;
  for (int y = rect.top(); y <= rect.bottom(); ++y) {
    for (int x = rect.left(); x <= rect.right(); ++x)
      count += image.pixelColor(x, y) == colour ? 1 : 0;
  }
  return count;
}

TEST_F(LoginDialogTest, AFailureReadsAsOneAndSuccessDoesNot) {
  m_dialog->InitForPicture();
  const QRect text(kResultTextX, kResultTextY, kResultTextRight - kResultTextX, kResultTextHeight);
  const QRect mark(30, kResultTextY - 2, 28, 20);  // the icons' column, beside the text
  m_dialog->ShowResult(18);
  QImage shot = m_dialog->grab().toImage();
  EXPECT_GT(PixelsOf(shot, kLookFailureText, text), 20);
  EXPECT_GT(PixelsOf(shot, kLookFailureText, mark), 20);
  m_dialog->ShowResult(1);
  shot = m_dialog->grab().toImage();
  EXPECT_EQ(PixelsOf(shot, kLookFailureText, text), 0);
  EXPECT_EQ(PixelsOf(shot, kLookFailureText, mark), 0);
  EXPECT_GT(PixelsOf(shot, kLookSuccessText, text), 20);
}

class FixedWorkArea final : public ui::IWorkArea {
 public:
  QRect Rect() override { return QRect(0, 0, 1000, 800); }
};

TEST_F(LoginDialogTest, TheWindowOpensCentredOnTheWorkArea) {
  ui::Services services;
  services.workArea = std::make_shared<FixedWorkArea>();
  const ui::Services previous = ui::InstallServices(std::move(services));
  QRect frame;
  QTimer::singleShot(0, m_dialog.get(), [&] {
    frame = m_dialog->frameGeometry();
    m_dialog->EndDialog(2);
  });
  m_dialog->DoModal();
  ui::InstallServices(previous);
  EXPECT_EQ(m_dialog->size(), QSize(kLoginWidth, kLoginHeight));
  EXPECT_EQ(frame.center(), QRect(0, 0, 1000, 800).center());
}

TEST(LoginLayout, VersionGlyphs) {
  EXPECT_EQ(VersionGlyphs("0.1.1.7"), (std::vector<int>{0, 10, 1, 10, 1, 10, 7}));
  EXPECT_EQ(VersionGlyphs("12.34-567.89"), (std::vector<int>{1, 2, 10, 3, 4, 10, 5, 6, 7}));
  EXPECT_TRUE(VersionGlyphs("").empty());
  EXPECT_EQ(GlyphBitmap(7), QStringLiteral("BMP\\LOGIN\\login_7.bmp"));
  EXPECT_EQ(GlyphBitmap(kPointGlyph), QStringLiteral("BMP\\LOGIN\\login_point.bmp"));
}

TEST(LoginLayout, TablesKeepTheirPlaces) {
  ASSERT_EQ(ToolButtons().size(), 8u);
  EXPECT_EQ(ToolButtons()[3].id, IDC_TOOL_UPGRADE);
  EXPECT_EQ(ToolButtons()[3].rect, QRect(150, 50, 34, 34));
  EXPECT_EQ(ToolButtons()[7].rect, QRect(195, 275, 32, 32));
  ASSERT_EQ(IconButtons().size(), 4u);
  EXPECT_EQ(IconButtons()[3].fieldRect, QRect(70, 208, 80, 30));
  ASSERT_EQ(FramePieces().size(), 10u);
  EXPECT_EQ(FramePieces()[0].rect, QRect(0, 0, 304, 341));
  EXPECT_EQ(FramePieces()[5].rect, QRect(0, 34, 21, 285));
  EXPECT_EQ(InitBitmaps().size(), 22u);
  // Every bitmap the window names is among the generated skin files.
  for (const char* name : InitBitmaps())
    EXPECT_FALSE(ui::ResolveSkinPath(QString::fromLatin1(name)).isEmpty()) << name;
  for (const ToolButton& b : ToolButtons()) {
    for (const char* name : {b.flat, b.focus, b.selected})
      EXPECT_FALSE(ui::ResolveSkinPath(QString::fromLatin1(name)).isEmpty()) << name;
  }
}

TEST_F(LoginDialogTest, PortFieldShowsTheLargestPortWhole) {
  m_dialog->InitForPicture();
  QLineEdit* port = Edit(IDC_LOGIN_PORT);
  ASSERT_NE(port, nullptr);
  port->ensurePolished();
  EXPECT_EQ(port->geometry(), IconButtons()[3].fieldRect);
  // The room for text: the contents rectangle the style leaves inside the field's frame and
  // padding, less the line edit's own margin of two pixels a side.
  QStyleOptionFrame option;
  option.initFrom(port);
  option.rect = port->rect();
  option.lineWidth = port->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, port);
  const QRect contents = port->style()->subElementRect(QStyle::SE_LineEditContents, &option, port);
  const int room = contents.width() - 2 * 2;
  const int needed = QFontMetrics(port->font()).horizontalAdvance(QStringLiteral("65535"));
  EXPECT_GE(room, needed) << "field " << port->width() << " px, contents " << contents.width();
  // So the field shows the whole number from its first digit, with the cursor after the last.
  port->setText(QStringLiteral("65535"));
  port->setCursorPosition(5);
  const int cursorX = port->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
  EXPECT_LE(cursorX, contents.right());
  EXPECT_GE(cursorX - needed, contents.left());
}

TEST_F(LoginDialogTest, AnimationStepsWrapAfterSeventeen) {
  EXPECT_EQ(NextAnimationPosition(0), 1);
  EXPECT_EQ(NextAnimationPosition(16), 17);
  EXPECT_EQ(NextAnimationPosition(17), 0);
  m_dialog->InitForPicture();
  EXPECT_FALSE(m_dialog->IsAnimating());
  std::vector<int> positions;
  for (int i = 0; i < 19; ++i) {
    m_dialog->AnimationStep();
    positions.push_back(m_dialog->AnimationPosition());
  }
  EXPECT_TRUE(m_dialog->IsAnimating());
  EXPECT_EQ(positions[16], 17);
  EXPECT_EQ(positions[17], 0);
  EXPECT_EQ(positions[18], 1);
  EXPECT_EQ(AnimationStrip(16, 8), QRect(74, 245, 144, 8));
}

TEST_F(LoginDialogTest, ASecondConnectLeavesOnlyTheSecondAttempt) {
  // The first login reply is held until the test lets it go; the second comes at once. What
  // the server's connection thread waits on outlives the test's frame: that thread is joined
  // only when the server goes.
  struct Held {
    std::mutex lock;
    std::condition_variable released;
    bool release = false;
    std::atomic<int> logins{0};
  };
  const auto held = std::make_shared<Held>();
  m_server.SetHandler("/Login.cgi", [held](const fakes::RecordedRequest&) {
    std::unique_lock guard(held->lock);
    if (++held->logins == 1) {
      held->released.wait_for(guard, std::chrono::seconds(15), [&] { return held->release; });
      return FakeReply::Text("SESSION-ID=first;PRODUCT-ID=604;");
    }
    return FakeReply::Text("SESSION-ID=second;PRODUCT-ID=604;");
  });
  m_server.SetHandler("/RequestStream.cgi", [](const fakes::RecordedRequest& request) {
    const bool first = request.Param("SessionID") == "first";
    return FakeReply::Text(std::string("USER-LEVEL=") + (first ? "10" : "20") +
                           ";MPEG4-WIDTH=" + (first ? "176" : "704") +
                           ";MPEG4-HEIGHT=" + (first ? "144" : "576") + ";");
  });
  const auto letGo = [&] {
    const std::lock_guard guard(held->lock);
    held->release = true;
    held->released.notify_all();
  };
  g_lpApp->m_SettingINI.m_byDecodeType = 4;
  const int result = RunModalWith(*m_dialog, [&] {
    PressEnterIn(IDC_LOGIN_USER);
    ASSERT_TRUE(WaitUntil([&] { return held->logins.load() == 1 && m_dialog->IsAnimating(); }));
    PressEnterIn(IDC_LOGIN_USER);
    WaitUntil([&] { return !m_dialog->isVisible(); });
  });
  letGo();
  EXPECT_EQ(result, ui::IDOK);
  EXPECT_EQ(SessionIdBuffer.Get(), "second");
  EXPECT_EQ(g_lpApp->m_wUserLevel.load(), 20);
  EXPECT_EQ(g_lpApp->m_wFrameWidth.load(), 704);
  // The first attempt answers late; its result is dropped and changes nothing.
  EXPECT_TRUE(WaitUntil([&] { return m_dialog->StaleResults() >= 1; }));
  EXPECT_EQ(SessionIdBuffer.Get(), "second");
  EXPECT_EQ(g_lpApp->m_wUserLevel.load(), 20);
  EXPECT_EQ(g_lpApp->m_wFrameWidth.load(), 704);
  EXPECT_EQ(g_lpApp->m_wStreamMpeg4Height.load(), 576);
  // The given-up attempt never asked for a stream.
  for (const auto& request : m_server.RequestsTo("/RequestStream.cgi"))
    EXPECT_EQ(request.Param("SessionID"), "second");
}

TEST_F(LoginDialogTest, AMissingSkinBitmapStillOpensAndEnterLogsIn) {
  ui::testing::SolidBitmapFolder skin;  // the frame only: the running bitmap is missing
  for (const FramePiece& piece : FramePieces())
    ASSERT_TRUE(skin.Add(QString::fromLatin1(piece.bitmap), 8, 8, QColor(40, 80, 120)));
  const int result = RunModalWith(*m_dialog, [&] {
    EXPECT_FALSE(m_dialog->IsSkinLoaded());
    EXPECT_EQ(m_dialog->GetDlgItem(IDC_CONNECT), nullptr);  // no buttons
    EXPECT_FALSE(m_dialog->grab().isNull());                // painting copes
    PressEnterIn(IDC_LOGIN_PASSWORD);
    WaitUntil([&] { return !m_dialog->isVisible(); });
  });
  EXPECT_EQ(result, ui::IDOK);
}

TEST_F(LoginDialogTest, LoginSettingsAreTakenOnTheirOkOnly) {
  auto runner = std::make_shared<ui::testing::ScriptedModalRunner>();
  ui::testing::ScopedModalRunner scoped(runner);
  int answer = IDC_LOGIN_SETTING_CANCEL;
  runner->ScriptHandler(QStringLiteral("CLoginSettingDlg"), [&](ui::UiDialog& dialog) {
    auto& settings = static_cast<CLoginSettingDlg&>(dialog);
    settings.InitForPicture();
    qobject_cast<CVtxButton*>(settings.GetDlgItem(IDC_RADIO_TCP))->click();
    qobject_cast<CVtxButton*>(settings.GetDlgItem(IDC_RADIO_MPEG4))->click();
    return answer;
  });
  m_dialog->InitForPicture();
  auto* button = qobject_cast<CVtxButton*>(m_dialog->GetDlgItem(IDC_TOOL_LOGIN_SETTING));
  ASSERT_NE(button, nullptr);
  button->click();
  EXPECT_EQ(g_lpApp->m_SettingINI.m_byTransmissionType, 0);
  EXPECT_EQ(g_lpApp->m_SettingINI.m_byDecodeType, 0);
  answer = IDC_LOGIN_SETTING_OK;
  button->click();
  EXPECT_EQ(g_lpApp->m_SettingINI.m_byTransmissionType, 1);
  EXPECT_EQ(g_lpApp->m_SettingINI.m_byDecodeType, 4);
  EXPECT_EQ(runner->Runs().size(), 2u);
}

TEST_F(LoginDialogTest, AChosenAddressBookEntryFillsTheFields) {
  ASSERT_TRUE(platform::WriteFileAtomically(
      m_folder / "IPRecord.dat",
      app::WriteIPRecords(std::vector<app::IPRecord>{{"admin", "10.0.0.1", "", 80},
                                                     {"viewer", "cam.example.org", "", 8080}})));
  auto runner = std::make_shared<ui::testing::ScriptedModalRunner>();
  ui::testing::ScopedModalRunner scoped(runner);
  int chooseRow = -1;  // -1: close without a choice
  runner->ScriptHandler(QStringLiteral("CAddressBookListDlg"), [&](ui::UiDialog& dialog) {
    auto& book = static_cast<CAddressBookListDlg&>(dialog);
    book.InitForPicture();
    if (chooseRow < 0)
      return ui::IDCANCEL;
    auto* list = qobject_cast<QTreeWidget*>(book.GetDlgItem(IDC_ADDRESS_LIST));
    list->setCurrentItem(list->topLevelItem(chooseRow));
    emit list->itemClicked(list->topLevelItem(chooseRow), 0);
    qobject_cast<QAbstractButton*>(book.GetDlgItem(IDC_ADDRESS_SELECT))->click();
    return book.result();
  });
  m_dialog->InitForPicture();
  m_dialog->UpdateData(false);
  auto* button = qobject_cast<CVtxButton*>(m_dialog->GetDlgItem(IDC_TOOL_ADDRESS));
  ASSERT_NE(button, nullptr);
  Edit(IDC_LOGIN_PASSWORD)->setText(QStringLiteral("typed"));
  button->click();
  EXPECT_EQ(Edit(IDC_LOGIN_USER)->text(), QStringLiteral("admin"));
  chooseRow = 1;
  button->click();
  EXPECT_EQ(Edit(IDC_LOGIN_USER)->text(), QStringLiteral("viewer"));
  EXPECT_EQ(Edit(IDC_LOGIN_ADDRESS)->text(), QStringLiteral("cam.example.org"));
  EXPECT_EQ(Edit(IDC_LOGIN_PORT)->text(), QStringLiteral("8080"));
  EXPECT_EQ(Edit(IDC_LOGIN_PASSWORD)->text(), QStringLiteral("typed"));
}

class RecordingLauncher final : public ui::IProcessLauncher {
 public:
  bool Launch(const QString& program, const QStringList& arguments) override {
    programs.push_back(program);
    argumentLists.push_back(arguments);
    return succeed;
  }
  bool succeed = true;
  QStringList programs;
  std::vector<QStringList> argumentLists;
};

TEST_F(LoginDialogTest, PlayerStartsThePlayerProgramOrSaysItCannot) {
  auto launcher = std::make_shared<RecordingLauncher>();
  ui::Services services;
  services.processLauncher = launcher;
  const ui::Services previous = ui::InstallServices(services);
  m_dialog->InitForPicture();
  auto* button = qobject_cast<CVtxButton*>(m_dialog->GetDlgItem(IDC_TOOL_PLAYER));
  ASSERT_NE(button, nullptr);
  button->click();
  ASSERT_EQ(launcher->programs.size(), 1u);
  EXPECT_EQ(launcher->programs[0], QString::fromStdString((m_folder / "Pellix").string()));
  EXPECT_TRUE(launcher->argumentLists[0].isEmpty());
  EXPECT_EQ(m_box->Count(), 0u);
  launcher->succeed = false;
  button->click();
  EXPECT_EQ(Boxes(), std::vector<std::string>{Text(4098)});
  ui::InstallServices(previous);
}

TEST_F(LoginDialogTest, TooltipsComeFromTheStringTable) {
  m_dialog->InitForPicture();
  EXPECT_EQ(m_dialog->toolTip(), QStringLiteral("LOGIN"));
  EXPECT_EQ(m_dialog->GetDlgItem(IDC_TOOL_UPGRADE)->toolTip(), QStringLiteral("Upgrade Firmware"));
  EXPECT_EQ(m_dialog->GetDlgItem(8530)->toolTip(), QStringLiteral("IP"));
  EXPECT_EQ(Edit(IDC_LOGIN_PASSWORD)->echoMode(), QLineEdit::Password);
  EXPECT_EQ(Edit(IDC_LOGIN_PORT)->maxLength(), 5);
  EXPECT_EQ(Edit(IDC_LOGIN_ADDRESS)->maxLength(), 31);
  EXPECT_EQ(Edit(IDC_LOGIN_PORT)->geometry(), QRect(70, 208, 80, 30));
}

}  // namespace
