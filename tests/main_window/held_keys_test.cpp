// Keys held down in the main window and the image-adjust dialog it opens: a held key is one
// press, so it starts one command (a panel key held on Space sends one request; Enter, which
// the main window takes for nothing, sends none), and Enter held in the image-adjust dialog
// sends its record once, not once per repeat of the keyboard.
#include <QTimer>
#include <atomic>

#include "commands_fixture.h"
#include "fakes/held_key.h"
#include "scripted_device_port.h"
#include "ui/main/image_adjust_dlg.h"

namespace main_window_test {
namespace {

using fakes::KeyRepeats;
using mainwin::ImgRecord;

constexpr int kRepeats = 12;

class HeldKeysTest : public CommandsTest {
 protected:
  void SetUp() override {
    CommandsTest::SetUp();
    m_engine = port.Bind(m_engine);
    port.Open();
  }
  ScriptedDevicePort port;
};

TEST_F(HeldKeysTest, AKeyHeldOnAPanelKeyStartsOneCommand) {
  struct Case {
    const char* name;
    int key;
    int repeats;
    std::size_t requests;
  };
  const Case cases[] = {
      {"Space held", Qt::Key_Space, kRepeats, 1},
      {"Space pressed once", Qt::Key_Space, 0, 1},
      {"Enter held", Qt::Key_Return, kRepeats, 0},
  };
  CKavelinDlg& window = OpenConnected({.width = 352, .height = 240});
  window.OnPanelUp();
  ProcessEvents();
  std::size_t before = 0;
  for (const KeyRepeats style : fakes::kAllKeyRepeats) {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << c.name << ", " << fakes::KeyRepeatsName(style));
      QWidget* play = window.Button(8232);
      ASSERT_NE(play, nullptr);
      ASSERT_TRUE(play->isVisible());
      play->setFocus();
      ASSERT_EQ(window.focusWidget(), play);
      fakes::HoldKey(window.windowHandle(), c.key, c.repeats, style);
      Settle();
      EXPECT_EQ(port.Requests().size() - before, c.requests);
      before = port.Requests().size();
    }
  }
  EXPECT_TRUE(Messages().empty());
}

TEST_F(HeldKeysTest, EnterHeldInTheImageAdjustDialogSendsTheRecordOnce) {
  std::atomic<int> sends{0};
  m_engine.fetchImageRecord = [](const platform::StopToken&) {
    return std::optional<ImgRecord>(ImgRecord{});
  };
  m_engine.sendImageRecord = [&](const ImgRecord&, const platform::StopToken&) {
    ++sends;
    return 1;
  };
  CKavelinDlg& window = OpenConnected();
  for (const KeyRepeats style : fakes::kAllKeyRepeats) {
    SCOPED_TRACE(fakes::KeyRepeatsName(style));
    sends = 0;
    const std::size_t runs = runner->Runs().size();
    runner->ScriptHandler(QStringLiteral("CImageAdjustDlg"), [style](ui::UiDialog& dialog) {
      QTimer::singleShot(0, &dialog, [&dialog, style] {
        fakes::HoldKey(dialog.windowHandle(), Qt::Key_Return, kRepeats, style);
        dialog.EndDialog(ui::IDCANCEL);
      });
      return dialog.DoModal();
    });
    window.OnCommand(mainwin::IDC_IMAGE_ADJUST);
    ASSERT_TRUE(fakes::WaitUntil([&] { return runner->Runs().size() == runs + 1; }));
    Settle();
    EXPECT_EQ(sends.load(), 1);
  }
  EXPECT_TRUE(Messages().empty());
}

}  // namespace
}  // namespace main_window_test
