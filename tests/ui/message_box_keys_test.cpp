// The keys that end the program's message box, given as the window system gives them (to the
// window that is up, repeats flagged as the keyboard flags them), and the login road behind the
// "cannot show" box under a key that stays down.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "app/login_pass.h"
#include "platform/testing/fake_message_box.h"
#include "ui/common/qt_message_box.h"
#include "ui/common/ui_dialog.h"
#include "ui/login/login_dialog.h"

namespace {

using platform::testing::ScopedMessageBox;

struct KeyStep {
  QEvent::Type type;
  int key;
  bool repeat = false;
};

constexpr KeyStep Press(int key, bool repeat = false) {
  return {QEvent::KeyPress, key, repeat};
}
constexpr KeyStep Release(int key, bool repeat = false) {
  return {QEvent::KeyRelease, key, repeat};
}

QString TextOf(int key) {
  switch (key) {
    case Qt::Key_Return:
      return QStringLiteral("\r");
    case Qt::Key_Escape:
      return QStringLiteral("\x1b");
    case Qt::Key_Space:
      return QStringLiteral(" ");
    default:
      return {};
  }
}

// To the modal window that is up, through the window system's road (the one QTest's window
// keys take), delivered at once.
void Deliver(const KeyStep& step) {
  QWidget* modal = QApplication::activeModalWidget();
  if (modal == nullptr || modal->windowHandle() == nullptr)
    return;
  qt_handleKeyEvent(modal->windowHandle(), step.type, step.key, Qt::NoModifier, TextOf(step.key),
                    step.repeat);
}

// A key ends the box once it went down and came up while the box was up: repeats, presses
// without their release, and a release whose press came before the box leave it open.
TEST(MessageBoxKeys, AKeyEndsTheBoxOnlyOnceItWentDownAndUpWhileTheBoxWasUp) {
  struct Case {
    const char* name;
    std::vector<KeyStep> steps;
    bool ends;
  };
  const int enter = Qt::Key_Return;
  const Case cases[] = {
      {"Enter pressed and let go", {Press(enter), Release(enter)}, true},
      {"Escape pressed and let go", {Press(Qt::Key_Escape), Release(Qt::Key_Escape)}, true},
      {"Space pressed and let go", {Press(Qt::Key_Space), Release(Qt::Key_Space)}, true},
      {"Enter held, repeated, let go",
       {Press(enter), Release(enter, true), Press(enter, true), Release(enter)},
       true},
      {"one press and no release", {Press(enter)}, false},
      {"the same press twice", {Press(enter), Press(enter)}, false},
      {"only the keyboard's repeats",
       {Press(enter, true), Release(enter, true), Press(enter, true), Release(enter, true)},
       false},
      {"a release whose press came before", {Release(enter)}, false},
  };
  ScopedMessageBox scoped(std::make_shared<ui::QtMessageBox>());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    bool shown = false;
    bool endedByKeys = false;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr)
        return;
      shown = true;
      for (const KeyStep& step : c.steps)
        Deliver(step);
      endedByKeys = !box->isVisible();
      if (!endedByKeys)
        box->button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(ui::MessageBoxById(4085), platform::IDOK);
    EXPECT_TRUE(shown);
    EXPECT_EQ(endedByKeys, c.ends);
  }
}

// The session's picture cannot be shown: its box is up, and the login window comes after it,
// over and over while logins succeed. A synthetic Enter that never gets its release (the key
// then repeats) ends neither the box nor starts a login; only the mouse on OK ends the box.
TEST(MessageBoxKeys, AStuckEnterOnTheCannotShowBoxStartsNoLogins) {
  ScopedMessageBox scoped(std::make_shared<ui::QtMessageBox>());
  std::atomic<int> logins{0};
  ports::LoginEngine engine;
  engine.loginPass = [&](const app::LoginPassInput&, const platform::StopToken&) {
    ++logins;
    app::LoginPassResult result;
    result.code = app::kLoginSucceeded;
    return result;
  };
  LoginDialog login(engine);
  login.m_strUserName = QStringLiteral("user");
  login.m_strPassword = QStringLiteral("password");
  login.m_strHost = QStringLiteral("127.0.0.1");
  login.m_strPort = QStringLiteral("80");

  // The key: one press, then the keyboard's repeats (a release and a press, both flagged), each
  // to the window that is up; then the mouse ends what is up.
  constexpr int kRepeats = 40;
  int delivered = 0;
  int boxesEndedByMouse = 0;
  QTimer stuck;
  stuck.setInterval(0);
  QObject::connect(&stuck, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (delivered == 0) {
      Deliver(Press(Qt::Key_Return));
    } else if (delivered <= kRepeats) {
      Deliver(Release(Qt::Key_Return, true));
      Deliver(Press(Qt::Key_Return, true));
    } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      ++boxesEndedByMouse;
      box->button(QMessageBox::Ok)->click();
    } else if (modal == &login) {
      Deliver(Press(Qt::Key_Escape));  // the login window ends at once
    }
    ++delivered;
  });
  stuck.start();

  const auto cannotShow = [] {
    platform::ShowMessageBox(
        "The video server sends a picture of 800 x 600, which this program cannot show.", {},
        platform::MB_OK | platform::MB_ICONERROR);
  };
  cannotShow();
  int sessions = 0;
  while (sessions < 100 && login.DoModal() == ui::IDOK) {
    ++sessions;
    cannotShow();
  }
  stuck.stop();
  EXPECT_GT(delivered, kRepeats);
  EXPECT_EQ(logins.load(), 0);
  EXPECT_EQ(sessions, 0);
  EXPECT_EQ(boxesEndedByMouse, 1);
}

}  // namespace
