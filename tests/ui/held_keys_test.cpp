// A key held down is one press, in every window and message box: the keyboard's repeats (in each
// form the window systems give them, to the window that has the keyboard) start nothing, click
// nothing and end no box, also when the key went down in another window before the box came.
// Repeats that type or delete stay.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <optional>

#include "fakes/held_key.h"
#include "gui_test_support.h"
#include "platform/testing/fake_message_box.h"
#include "ui/common/qt_message_box.h"
#include "ui/common/ui_dialog.h"
#include "ui/common/vtx_button.h"

namespace {

using fakes::HeldKey;
using fakes::KeyRepeats;
using platform::testing::ScopedMessageBox;

constexpr int kRepeats = 12;

// A dialog whose OK and Cancel count instead of ending it, with one control of each kind that
// takes keys; each button counts its clicks.
class KeyProbeDialog final : public ui::UiDialog {
 public:
  KeyProbeDialog() {
    resize(320, 200);
    edit = new QLineEdit(this);
    autoDefault = new QPushButton(QStringLiteral("auto default"), this);
    plain = new QPushButton(QStringLiteral("plain"), this);
    plain->setAutoDefault(false);
    bitmap = new CVtxButton(this);
    edit->setGeometry(10, 10, 200, 24);
    autoDefault->setGeometry(10, 50, 120, 28);
    plain->setGeometry(10, 90, 120, 28);
    bitmap->setGeometry(10, 130, 40, 28);
    for (QAbstractButton* button :
         {static_cast<QAbstractButton*>(autoDefault), static_cast<QAbstractButton*>(plain),
          static_cast<QAbstractButton*>(bitmap)}) {
      connect(button, &QAbstractButton::clicked, this, [this] { ++clicks; });
    }
  }

  void OnOK() override { ++oks; }
  void OnCancel() override { ++cancels; }

  QLineEdit* edit;
  QPushButton* autoDefault;
  QPushButton* plain;
  CVtxButton* bitmap;
  int oks = 0;
  int cancels = 0;
  int clicks = 0;
};

// Held on each control, a key acts once, as its single press does; the repeats of keys that type
// or delete still do.
TEST(HeldKeys, AHeldKeyActsOnceInADialogAndStillTypesInAField) {
  enum class Focus { kEdit, kAutoDefault, kPlain, kBitmap };
  struct Case {
    const char* name;
    Focus focus;
    int key;
    Qt::KeyboardModifiers modifiers;
    int repeats;
    int oks;
    int cancels;
    int clicks;
    const char* text;  // the field's text after the key (it starts with "abcdefghij")
  };
  const Qt::KeyboardModifiers none = Qt::NoModifier;
  const Case cases[] = {
      {"Enter in a field", Focus::kEdit, Qt::Key_Return, none, kRepeats, 1, 0, 0, "abcdefghij"},
      {"keypad Enter in a field", Focus::kEdit, Qt::Key_Enter, Qt::KeypadModifier, kRepeats, 1, 0,
       0, "abcdefghij"},
      {"Enter on an auto-default button", Focus::kAutoDefault, Qt::Key_Return, none, kRepeats, 0, 0,
       1, "abcdefghij"},
      {"Enter on a plain button", Focus::kPlain, Qt::Key_Return, none, kRepeats, 0, 0, 1,
       "abcdefghij"},
      {"Enter on a bitmap button", Focus::kBitmap, Qt::Key_Return, none, kRepeats, 1, 0, 0,
       "abcdefghij"},
      {"Escape", Focus::kEdit, Qt::Key_Escape, none, kRepeats, 0, 1, 0, "abcdefghij"},
      {"Space on a button", Focus::kPlain, Qt::Key_Space, none, kRepeats, 0, 0, 1, "abcdefghij"},
      {"Space on a bitmap button", Focus::kBitmap, Qt::Key_Space, none, kRepeats, 0, 0, 1,
       "abcdefghij"},
      {"Enter pressed once", Focus::kEdit, Qt::Key_Return, none, 0, 1, 0, 0, "abcdefghij"},
      {"Escape pressed once", Focus::kEdit, Qt::Key_Escape, none, 0, 0, 1, 0, "abcdefghij"},
      {"Space held in a field types blanks", Focus::kEdit, Qt::Key_Space, none, 3, 0, 0, 0,
       "abcdefghij    "},
      {"Backspace held in a field deletes", Focus::kEdit, Qt::Key_Backspace, none, 3, 0, 0, 0,
       "abcdef"},
      {"a letter held in a field types it", Focus::kEdit, Qt::Key_X, none, 2, 0, 0, 0,
       "abcdefghijxxx"},
  };
  KeyProbeDialog dialog;
  QTimer::singleShot(0, &dialog, [&] {
    for (const KeyRepeats style : fakes::kAllKeyRepeats) {
      for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name << ", " << fakes::KeyRepeatsName(style));
        QWidget* const controls[] = {dialog.edit, dialog.autoDefault, dialog.plain, dialog.bitmap};
        QWidget* focus = controls[static_cast<int>(c.focus)];
        dialog.edit->setText(QStringLiteral("abcdefghij"));
        focus->setFocus();
        ASSERT_EQ(dialog.focusWidget(), focus);
        dialog.oks = dialog.cancels = dialog.clicks = 0;
        fakes::HoldKey(dialog.windowHandle(), c.key, c.repeats, style, c.modifiers);
        EXPECT_EQ(dialog.oks, c.oks);
        EXPECT_EQ(dialog.cancels, c.cancels);
        EXPECT_EQ(dialog.clicks, c.clicks);
        EXPECT_EQ(dialog.edit->text(), QString::fromLatin1(c.text));
      }
    }
    dialog.EndDialog(ui::IDCANCEL);
  });
  dialog.DoModal();
}

// A dialog that OK or Escape ends hands the rest of the key to the window that opened it: the
// repeats reach that window and must not act there.
TEST(HeldKeys, AKeyHeldToEndADialogDoesNotActInTheWindowBehindIt) {
  struct Case {
    const char* name;
    int key;
    int code;
  };
  const Case cases[] = {{"Enter", Qt::Key_Return, ui::IDOK},
                        {"Escape", Qt::Key_Escape, ui::IDCANCEL}};
  for (const KeyRepeats style : fakes::kAllKeyRepeats) {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << c.name << ", " << fakes::KeyRepeatsName(style));
      KeyProbeDialog opener;
      std::optional<int> childCode;
      HeldKey held(c.key, kRepeats, style);
      held.CountRepeatsFrom([&] { return childCode.has_value(); });
      QTimer::singleShot(0, &opener, [&] {
        opener.edit->setFocus();
        ui::UiDialog child(&opener);
        QTimer::singleShot(0, &child, [&] { held.Start(); });
        childCode = child.DoModal();
        ASSERT_TRUE(fakes::WaitUntil([&] { return held.Done(); }));
        opener.EndDialog(ui::IDCANCEL);
      });
      opener.DoModal();
      EXPECT_EQ(childCode, c.code);
      EXPECT_EQ(held.RepeatsSent(), kRepeats);
      EXPECT_EQ(opener.oks, 0);
      EXPECT_EQ(opener.cancels, 0);
    }
  }
}

// A key that went down before a message box came (typing in a field, or the Enter that asked for
// the box) is held while the box is up: its repeats and its release leave the box open, whatever
// the key (Enter and Space click, Escape and the buttons' letters answer); a new press ends it.
TEST(HeldKeys, AKeyHeldFromBeforeAMessageBoxLeavesItOpenUntilANewPress) {
  struct Case {
    const char* name;
    int key;
    Qt::KeyboardModifiers modifiers;
  };
  const Case cases[] = {
      {"Enter", Qt::Key_Return, Qt::NoModifier},
      {"Escape", Qt::Key_Escape, Qt::NoModifier},
      {"Space", Qt::Key_Space, Qt::NoModifier},
      {"the No button's letter", Qt::Key_N, Qt::NoModifier},
      {"the No button's letter with Alt", Qt::Key_N, Qt::AltModifier},
  };
  ScopedMessageBox scoped(std::make_shared<ui::QtMessageBox>());
  for (const KeyRepeats style : fakes::kAllKeyRepeats) {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << c.name << ", " << fakes::KeyRepeatsName(style));
      KeyProbeDialog opener;
      HeldKey held(c.key, kRepeats, style, c.modifiers);
      const auto box = [] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); };
      std::optional<int> answer;
      held.CountRepeatsFrom([&] { return answer.has_value() || box() != nullptr; });
      // Once the key is let go: is the box up with no button pressed? (A button that a key
      // clicks goes down at once and is clicked a moment later.) Then a new Enter ends it.
      bool untouchedAfterRelease = false;
      QTimer afterRelease;
      afterRelease.setInterval(0);
      QObject::connect(&afterRelease, &QTimer::timeout, [&] {
        if (!held.Done())
          return;
        afterRelease.stop();
        const QMessageBox* up = box();
        const auto buttons = up != nullptr ? up->buttons() : QList<QAbstractButton*>();
        untouchedAfterRelease = up != nullptr && std::none_of(buttons.begin(), buttons.end(),
                                                              [](const QAbstractButton* button) {
                                                                return button->isDown();
                                                              });
        if (up != nullptr)
          fakes::HoldKey(fakes::KeyboardWindow(), Qt::Key_Return, 0);
      });
      QTimer::singleShot(0, &opener, [&] {
        opener.edit->setFocus();
        held.Start();
        afterRelease.start();
        // The box comes while the key is down, as a worker's answer brings it.
        ASSERT_TRUE(fakes::WaitUntil([&] { return held.RepeatsSent() >= 2; }));
        answer = ui::MessageBoxById(4085, platform::MB_YESNO | platform::MB_ICONQUESTION);
        ASSERT_TRUE(fakes::WaitUntil([&] { return !afterRelease.isActive(); }));
        opener.EndDialog(ui::IDCANCEL);
      });
      opener.DoModal();
      EXPECT_TRUE(untouchedAfterRelease);
      EXPECT_EQ(answer, platform::IDYES);
      // The key's own press acted in the window it went down in, once.
      EXPECT_EQ(opener.oks, c.key == Qt::Key_Return ? 1 : 0);
      EXPECT_EQ(opener.cancels, c.key == Qt::Key_Escape ? 1 : 0);
    }
  }
}

}  // namespace
