#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "fakes/wait_until.h"
#include "platform/testing/fake_message_box.h"
#include "ui/common/gui_inbox.h"
#include "ui/common/modal_runner.h"
#include "ui/common/qt_message_box.h"
#include "ui/common/services.h"
#include "ui/common/testing/scripted_modal_runner.h"
#include "ui/common/ui_dialog.h"
#include "ui/common/window_placement.h"
#include "ui/common/worker.h"

namespace {

using platform::testing::FakeMessageBox;
using platform::testing::ScopedMessageBox;

class EndsInInit final : public ui::UiDialog {
 public:
  bool OnInitDialog() override {
    EndDialog(-1);
    return true;
  }
};

TEST(UiDialog, EndedDuringInitialisationReturnsItsCodeWithoutShowing) {
  EndsInInit dialog;
  EXPECT_EQ(dialog.DoModal(), -1);
  EXPECT_FALSE(dialog.WasShown());
  EXPECT_FALSE(dialog.isVisible());
}

class EndsFromTimer final : public ui::UiDialog {
 public:
  explicit EndsFromTimer(int code) : m_code(code) {}
  bool OnInitDialog() override {
    SetTimer(7, 1);
    return true;
  }
  void OnTimer(int id) override {
    if (id == 7)
      EndDialog(m_code);
  }

 private:
  int m_code;
};

TEST(UiDialog, AnyCodeEndsTheModalRun) {
  for (int code : {1, 2, 3, 0, 20, 100, 1198, 1410, -1}) {
    EndsFromTimer dialog(code);
    EXPECT_EQ(dialog.DoModal(), code);
    EXPECT_TRUE(dialog.WasShown());
    EXPECT_FALSE(dialog.Timers().IsRunning(7));
  }
}

TEST(UiDialog, EscapeGoesToCancel) {
  ui::UiDialog dialog;
  QTimer::singleShot(0, &dialog, [&] { QTest::keyClick(&dialog, Qt::Key_Escape); });
  EXPECT_EQ(dialog.DoModal(), ui::IDCANCEL);
}

TEST(UiDialog, EnterIsOkUnlessAButtonHasTheFocus) {
  {
    ui::UiDialog dialog;
    auto* edit = new QLineEdit(&dialog);
    QTimer::singleShot(0, &dialog, [&] {
      edit->setFocus();
      QTest::keyClick(edit, Qt::Key_Return);
    });
    EXPECT_EQ(dialog.DoModal(), ui::IDOK);
  }
  {
    ui::UiDialog dialog;
    auto* button = new QPushButton(QStringLiteral("Other"), &dialog);
    QObject::connect(button, &QPushButton::clicked, &dialog, [&] { dialog.EndDialog(1198); });
    QTimer::singleShot(0, &dialog, [&] {
      button->setFocus();
      QTest::keyClick(button, Qt::Key_Enter, Qt::KeypadModifier);
    });
    EXPECT_EQ(dialog.DoModal(), 1198);
  }
}

TEST(WindowPlacement, CentredOnTheOpenerOrTheWorkAreaAndKeptInsideIt) {
  const QRect area(0, 0, 1000, 800);
  struct Case {
    const char* what;
    QSize size;
    QRect opener;
    QPoint expected;
  };
  for (const Case& c : {
           Case{"on the work area", {200, 100}, {}, {400, 350}},
           Case{"on the opener", {200, 100}, {100, 100, 600, 400}, {300, 250}},
           Case{"an opener at the right edge", {300, 100}, {800, 0, 200, 200}, {700, 50}},
           Case{"an opener at the top-left corner", {300, 300}, {0, 0, 100, 100}, {0, 0}},
           Case{"larger than the work area", {1200, 900}, {}, {0, 0}},
       }) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ui::CentredPlace(c.size, c.opener, area), c.expected);
  }
  EXPECT_EQ(ui::CentredPlace({200, 100}, {}, QRect(1920, 40, 1000, 800)), QPoint(2320, 390));
}

class FixedWorkArea final : public ui::IWorkArea {
 public:
  explicit FixedWorkArea(QRect rect) : m_rect(rect) {}
  QRect Rect() override { return m_rect; }

 private:
  QRect m_rect;
};

// With the work area installed for a test's lifetime.
class PlacementTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ui::Services services;
    services.workArea = std::make_shared<FixedWorkArea>(QRect(0, 0, 1000, 800));
    m_previous = ui::InstallServices(std::move(services));
  }
  void TearDown() override { ui::InstallServices(m_previous); }

  // Where dialog shows in its modal run: its frame (the platform may add one).
  static QRect ShownFrame(ui::UiDialog& dialog) {
    QRect frame;
    QTimer::singleShot(0, &dialog, [&] {
      frame = dialog.frameGeometry();
      dialog.EndDialog(0);
    });
    dialog.DoModal();
    return frame;
  }
  static QPoint ShownAt(ui::UiDialog& dialog) { return ShownFrame(dialog).topLeft(); }

  ui::Services m_previous;
};

TEST_F(PlacementTest, ADialogOpensCentredOnItsOpenerOrTheWorkArea) {
  const QPoint areaCentre = QRect(0, 0, 1000, 800).center();
  {
    ui::UiDialog alone;
    alone.setFixedSize(200, 100);
    EXPECT_EQ(ShownFrame(alone).center(), areaCentre);
    // Every showing places it again.
    EXPECT_EQ(ShownFrame(alone).center(), areaCentre);
  }
  QWidget opener;
  opener.setGeometry(100, 120, 600, 400);
  opener.show();
  ui::UiDialog child(&opener);
  child.setFixedSize(200, 100);
  EXPECT_EQ(ShownFrame(child).center(), opener.frameGeometry().center());
  // A dialog opened from a modal one without a parent centres on that one.
  ui::UiDialog outer;
  outer.setFixedSize(400, 300);
  ui::UiDialog inner;
  inner.setFixedSize(100, 100);
  QRect innerFrame;
  QRect outerFrame;
  QTimer::singleShot(0, &outer, [&] {
    outerFrame = outer.frameGeometry();
    innerFrame = ShownFrame(inner);
    outer.EndDialog(0);
  });
  outer.DoModal();
  EXPECT_EQ(outerFrame.center(), areaCentre);
  EXPECT_EQ(innerFrame.center(), outerFrame.center());
}

TEST_F(PlacementTest, ADialogThatPlacesItselfKeepsItsPlace) {
  class PlacesItself final : public ui::UiDialog {
   public:
    bool OnInitDialog() override {
      setFixedSize(200, 100);
      move(20, 30);
      return UiDialog::OnInitDialog();
    }
  } dialog;
  EXPECT_EQ(ShownAt(dialog), QPoint(20, 30));
}

TEST_F(PlacementTest, QtsOwnDialogsAreCentredToo) {
  ui::DialogPlacer placer;
  qApp->installEventFilter(&placer);
  QMessageBox box(QMessageBox::Warning, QStringLiteral("Kavelin"), QStringLiteral("Text"),
                  QMessageBox::Ok);
  QRect frame;
  QTimer::singleShot(0, &box, [&] {
    frame = box.frameGeometry();
    box.done(0);
  });
  box.exec();
  qApp->removeEventFilter(&placer);
  EXPECT_EQ(frame.center(), QRect(0, 0, 1000, 800).center());
}

class Recorder final : public ui::UiDialog {
 public:
  std::vector<std::tuple<std::uint32_t, ui::WParam, ui::LParam>> received;
  std::vector<bool> onGuiThread;
  void OnUserMessage(std::uint32_t msg, ui::WParam w, ui::LParam l) override {
    received.emplace_back(msg, w, l);
    onGuiThread.push_back(QThread::currentThread() == qApp->thread());
  }
};

TEST(MessageBridge, PostedMessagesArriveInOrderOnTheGuiThread) {
  Recorder window;
  const platform::WindowHandle handle = window.Handle();
  std::thread poster([handle] {
    for (int i = 0; i < 50; ++i)
      platform::PostMessage(handle, ui::WM_USER + 27, i, -i);
  });
  poster.join();
  ASSERT_TRUE(fakes::WaitUntil([&] { return window.received.size() == 50; }));
  for (int i = 0; i < 50; ++i) {
    EXPECT_EQ(window.received[static_cast<std::size_t>(i)],
              std::make_tuple(ui::WM_USER + 27, ui::WParam(i), ui::LParam(-i)));
    EXPECT_TRUE(window.onGuiThread[static_cast<std::size_t>(i)]);
  }
}

TEST(MessageBridge, RegisteredHandlerTakesItsMessage) {
  Recorder window;
  int shown = -1;
  window.OnMessage(platform::WM_USER + 0x1B,
                   [&](ui::WParam w, ui::LParam) { shown = static_cast<int>(w); });
  platform::PostMessage(window.Handle(), platform::WM_USER + 0x1B, 5, 0);
  ASSERT_TRUE(fakes::WaitUntil([&] { return shown == 5; }));
  EXPECT_TRUE(window.received.empty());
}

TEST(MessageBridge, PostingToADestroyedWindowIsHarmless) {
  platform::WindowHandle handle = platform::kNoWindow;
  {
    auto window = std::make_unique<Recorder>();
    handle = window->Handle();
    ASSERT_TRUE(platform::IsWindow(handle));
    // Queued but not yet delivered when the window goes.
    EXPECT_TRUE(platform::PostMessage(handle, ui::WM_USER + 1, 1, 1));
  }
  EXPECT_FALSE(platform::IsWindow(handle));
  EXPECT_FALSE(platform::PostMessage(handle, ui::WM_USER + 1, 2, 2));
  std::thread late([handle] {
    for (int i = 0; i < 100; ++i)
      platform::PostMessage(handle, ui::WM_USER + 2, i, 0);
  });
  late.join();
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents();
  SUCCEED();
}

TEST(MessageBridge, WindowDestroyedWhilePostersRun) {
  std::atomic<bool> stop{false};
  std::atomic<platform::WindowHandle> handle{platform::kNoWindow};
  std::thread poster([&] {
    while (!stop)
      platform::PostMessage(handle.load(), ui::WM_USER + 3, 0, 0);
  });
  for (int round = 0; round < 20; ++round) {
    auto window = std::make_unique<Recorder>();
    handle = window->Handle();
    QCoreApplication::processEvents();
    window.reset();
  }
  stop = true;
  poster.join();
  QCoreApplication::processEvents();
  SUCCEED();
}

class RangeDialog final : public ui::UiDialog {
 public:
  RangeDialog() {
    m_edit = new QLineEdit(this);
    RegisterControl(1044, m_edit);
  }
  void DoDataExchange(ui::DataExchange& dx) override { dx.Number(1044, m_port, 1, 65535); }
  QLineEdit* m_edit;
  int m_port = 80;
};

TEST(DataExchange, RangeChecksRefuseAndReport) {
  auto box = std::make_shared<FakeMessageBox>();
  ScopedMessageBox scoped(box);
  RangeDialog dialog;
  dialog.UpdateData(false);
  EXPECT_EQ(dialog.m_edit->text(), "80");
  struct Case {
    const char* text;
    bool accepted;
    int value;
  };
  for (const Case c : {Case{"8080", true, 8080}, Case{"0", false, 8080}, Case{"65536", false, 8080},
                       Case{"abc", false, 8080}, Case{"", false, 8080}, Case{" 21 ", true, 21},
                       Case{"99999999999999999999", false, 21}}) {
    SCOPED_TRACE(c.text);
    const std::size_t before = box->Count();
    dialog.m_edit->setText(c.text);
    EXPECT_EQ(dialog.UpdateData(true), c.accepted);
    EXPECT_EQ(dialog.m_port, c.value);
    EXPECT_EQ(box->Count(), before + (c.accepted ? 0 : 1));
  }
}

TEST(DataExchange, TextLimitCutsLongTexts) {
  ui::ControlRegistry controls;
  QLineEdit edit;
  controls.Register(1040, &edit);
  edit.setText(QString(40, QLatin1Char('x')));
  QString value;
  ui::DataExchange save(controls, true);
  save.Text(1040, value, 31);
  EXPECT_EQ(value.size(), 31);
}

TEST(ControlRegistry, TooltipComesFromTheStringTable) {
  ui::ControlRegistry controls;
  QWidget button;
  controls.Register(1004, &button);
  EXPECT_EQ(button.toolTip(), "SNAPSHOT");
  EXPECT_EQ(button.objectName(), "c1004");
  EXPECT_EQ(controls.Get(1004), &button);
  EXPECT_EQ(controls.IdOf(&button), 1004);
  EXPECT_EQ(controls.Get(1), nullptr);
}

class Nested final : public ui::UiDialog {
  Q_OBJECT
};

TEST(ModalRunner, NestedDialogsFollowTheScript) {
  auto runner = std::make_shared<ui::testing::ScriptedModalRunner>();
  ui::testing::ScopedModalRunner scoped(runner);
  runner->ScriptResult("Nested", 1);
  runner->ScriptHandler("Nested", [](ui::UiDialog&) { return 7; });
  Nested dialog;
  EXPECT_EQ(ui::RunModal(dialog), 1);
  EXPECT_EQ(ui::RunModal(dialog), 7);
  ASSERT_EQ(runner->Runs().size(), 2u);
  EXPECT_EQ(runner->Runs()[0], "Nested");
}

TEST(QtMessageBox, WorkerThreadGetsTheDefaultAndTheBoxShowsLaterOnTheGuiThread) {
  ScopedMessageBox scoped(std::make_shared<ui::QtMessageBox>());
  QString shownText;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      shownText = box->text();
      box->reject();
    }
  });
  closer.start(10);
  int answer = 0;
  std::thread worker([&] {
    answer =
        platform::ShowMessageBox("Get config Error!! Please Try again!!", {}, platform::MB_YESNO);
  });
  worker.join();  // returned without waiting for the GUI thread
  EXPECT_EQ(answer, platform::IDYES);
  ASSERT_TRUE(fakes::WaitUntil([&] { return !shownText.isEmpty(); }));
  EXPECT_EQ(shownText, "Get config Error!! Please Try again!!");
}

TEST(QtMessageBox, GuiThreadGetsTheButtonChosen) {
  ScopedMessageBox scoped(std::make_shared<ui::QtMessageBox>());
  QTimer::singleShot(0, [] {});
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      box->button(QMessageBox::No)->click();
    }
  });
  closer.start(10);
  EXPECT_EQ(ui::MessageBoxById(4085, platform::MB_YESNO), platform::IDNO);
}

TEST(GuiInbox, ItemsFromOtherThreadsRunInOrderOnTheGuiThread) {
  ui::GuiInbox inbox;
  std::vector<int> ran;
  std::vector<std::thread::id> threads;
  std::thread poster([sender = inbox.GetSender(), &ran, &threads] {
    for (int i = 0; i < 5; ++i) {
      EXPECT_TRUE(sender.Post([i, &ran, &threads] {
        ran.push_back(i);
        threads.push_back(std::this_thread::get_id());
      }));
    }
  });
  poster.join();
  EXPECT_TRUE(ran.empty());  // nothing runs on the poster's thread
  QCoreApplication::processEvents();
  EXPECT_EQ(ran, (std::vector<int>{0, 1, 2, 3, 4}));
  for (const std::thread::id id : threads)
    EXPECT_EQ(id, std::this_thread::get_id());
}

// Posts that keep coming while the items run do not hold the GUI thread in the inbox: one turn
// of the event loop runs what was waiting when it began, and the rest follows on later turns.
// (An endless poster once kept processEvents from ever returning.)
TEST(GuiInbox, ATurnRunsOnlyWhatWasWaitingWhenItBegan) {
  ui::GuiInbox inbox;
  int ran = 0;
  std::function<void()> again = [&] {
    ++ran;
    inbox.Post(again);  // each item posts the next, as a poster faster than the GUI would
  };
  inbox.Post(again);
  inbox.Post(again);
  QCoreApplication::processEvents();
  EXPECT_EQ(ran, 2);
  ASSERT_TRUE(fakes::WaitUntil([&] { return ran >= 10; }));
  inbox.Clear();
}

// An item that runs a nested event loop (a modal window) does not hold up the items after it:
// they arrive inside that loop, in order.
TEST(GuiInbox, ItemsBehindANestedLoopArriveInIt) {
  ui::GuiInbox inbox;
  std::vector<std::string> log;
  bool secondRan = false;
  inbox.Post([&] {
    log.push_back("first starts");
    EXPECT_TRUE(fakes::WaitUntil([&] { return secondRan; }));
    log.push_back("first ends");
  });
  inbox.Post([&] {
    log.push_back("second");
    secondRan = true;
  });
  QCoreApplication::processEvents();
  EXPECT_EQ(log, (std::vector<std::string>{"first starts", "second", "first ends"}));
}

// A sender may outlive its inbox: its posts are refused, and what waited is dropped unrun; an
// item may end the inbox it runs from, and the items after it do not run.
TEST(GuiInbox, AGoneInboxRefusesPostsAndRunsNothingMore) {
  auto inbox = std::make_unique<ui::GuiInbox>();
  const ui::GuiInbox::Sender sender = inbox->GetSender();
  int ran = 0;
  EXPECT_TRUE(sender.Post([&] { ++ran; }));
  inbox.reset();
  EXPECT_FALSE(sender.Post([&] { ++ran; }));
  QCoreApplication::processEvents();
  EXPECT_EQ(ran, 0);

  inbox = std::make_unique<ui::GuiInbox>();
  inbox->Post([&] {
    ++ran;
    inbox.reset();
  });
  inbox->Post([&] { ran += 10; });
  QCoreApplication::processEvents();
  EXPECT_EQ(ran, 1);
}

TEST(Worker, ReportsAndTheResultArriveTypedOnTheGuiThreadInOrder) {
  ui::Worker worker;
  std::vector<std::string> seen;
  std::thread::id bodyThread;
  std::thread::id deliveryThread;
  ASSERT_TRUE(worker.Start<std::string>(
      "test",
      [&bodyThread](const ui::WorkerRun<std::string>& run) {
        bodyThread = std::this_thread::get_id();
        run.Report("first");
        run.Report("second");
        return std::vector<int>{1, 2, 3};
      },
      [&](const std::string& report) { seen.push_back(report); },
      [&](std::vector<int> result) {
        deliveryThread = std::this_thread::get_id();
        seen.push_back("result " + std::to_string(result.size()));
        // The run is over when its result arrives: a new one may start from here.
        EXPECT_FALSE(worker.IsRunning());
      }));
  EXPECT_TRUE(worker.IsRunning());
  ASSERT_TRUE(fakes::WaitUntil([&] { return seen.size() == 3; }));
  EXPECT_EQ(seen, (std::vector<std::string>{"first", "second", "result 3"}));
  EXPECT_EQ(deliveryThread, std::this_thread::get_id());
  EXPECT_NE(bodyThread, std::this_thread::get_id());
  EXPECT_FALSE(worker.IsRunning());
  EXPECT_EQ(worker.DroppedResults(), 0);
  // A void body ends in a call without a value.
  bool ended = false;
  ASSERT_TRUE(worker.Start(
      "void", [](const ui::WorkerRun<>&) {}, [&] { ended = true; }));
  ASSERT_TRUE(fakes::WaitUntil([&] { return ended; }));
}

TEST(Worker, StopEndsTheBodyAndNothingOfTheRunArrivesAfter) {
  ui::Worker worker;
  std::atomic<bool> started{false};
  int delivered = 0;
  ASSERT_TRUE(worker.Start<int>(
      "test",
      [&](const ui::WorkerRun<int>& run) {
        started = true;
        while (run.Token().SleepFor(5)) {
        }
        run.Report(1);  // after the stop: dropped
        return 2;
      },
      [&](int) { ++delivered; }, [&](int) { ++delivered; }));
  ASSERT_TRUE(fakes::WaitUntil([&] { return started.load(); }));
  // A second start while the run goes on is refused.
  EXPECT_FALSE(worker.Start(
      "second", [](const ui::WorkerRun<>&) { return 0; }, [](int) {}));
  EXPECT_TRUE(worker.Stop(5000));
  EXPECT_FALSE(worker.IsRunning());
  // The body has ended, so its report and then its result are already in the inbox, in that
  // order: once the result has arrived (and been dropped), the report has come before it.
  ASSERT_TRUE(fakes::WaitUntil([&] { return worker.DroppedResults() == 1; }));
  EXPECT_EQ(delivered, 0);
}

// A body that does not look at its stop is given up; when it answers at last, its result is
// dropped by the worker and the run started after it gets only its own.
TEST(Worker, TheLateResultOfAnAbandonedRunIsDropped) {
  ui::Worker worker;
  std::mutex lock;
  std::condition_variable released;
  bool release = false;
  std::vector<int> results;
  ASSERT_TRUE(worker.Start(
      "stuck",
      [&](const ui::WorkerRun<>&) {
        std::unique_lock guard(lock);
        released.wait(guard, [&] { return release; });
        return 1;
      },
      [&](int result) { results.push_back(result); }));
  EXPECT_FALSE(worker.Stop(10));  // abandoned (exit code 31)
  EXPECT_EQ(worker.ExitCode(), platform::kForcedExitCode);
  std::atomic<bool> secondMayEnd{false};
  ASSERT_TRUE(worker.Start(
      "next",
      [&](const ui::WorkerRun<>&) {
        while (!secondMayEnd.load())
          std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return 2;
      },
      [&](int result) { results.push_back(result); }));
  {
    const std::lock_guard guard(lock);
    release = true;
  }
  released.notify_all();
  ASSERT_TRUE(fakes::WaitUntil([&] { return worker.DroppedResults() == 1; }));
  EXPECT_TRUE(results.empty());
  EXPECT_TRUE(worker.IsRunning());
  secondMayEnd = true;
  ASSERT_TRUE(fakes::WaitUntil([&] { return !results.empty(); }));
  EXPECT_EQ(results, std::vector<int>{2});
}

// The tie is to one object at a time: the object of a replaced tie goes without effect, the
// tied one going stops the run (its body sees the stop) and nothing of the run arrives after.
TEST(Worker, TheTiedObjectGoingStopsTheRunAndNothingOfItArrives) {
  ui::Worker worker;
  auto replaced = std::make_unique<QObject>();
  auto tied = std::make_unique<QObject>();
  worker.TieTo(*replaced);
  worker.TieTo(*tied);
  std::atomic<bool> bodyEnded{false};
  int delivered = 0;
  ASSERT_TRUE(worker.Start<int>(
      "tied",
      [&](const ui::WorkerRun<int>& run) {
        while (run.Token().SleepFor(5)) {
        }
        run.Report(1);
        bodyEnded = true;
        return 2;
      },
      [&](int) { ++delivered; }, [&](int) { ++delivered; }));
  replaced.reset();
  EXPECT_TRUE(worker.IsRunning());
  EXPECT_FALSE(bodyEnded.load());
  tied.reset();
  ASSERT_FALSE(worker.IsRunning());
  ASSERT_TRUE(fakes::WaitUntil([&] { return bodyEnded.load(); }));
  ASSERT_TRUE(fakes::WaitUntil([&] { return worker.DroppedResults() == 1; }));
  EXPECT_EQ(delivered, 0);
}

// While the tied object stays, runs end and deliver as usual; it may go after them, and after
// the worker itself, without touching the worker (what the sanitizer builds look at).
TEST(Worker, RunsEndAsUsualWhileTheTiedObjectStays) {
  auto tied = std::make_unique<QObject>();
  {
    ui::Worker worker;
    worker.TieTo(*tied);
    std::vector<int> results;
    for (const int value : {3, 4}) {
      ASSERT_TRUE(worker.Start(
          "kept", [value](const ui::WorkerRun<>&) { return value; },
          [&](int result) { results.push_back(result); }));
      ASSERT_TRUE(fakes::WaitUntil([&] { return !worker.IsRunning(); }));
    }
    EXPECT_EQ(results, (std::vector<int>{3, 4}));
    EXPECT_EQ(worker.DroppedResults(), 0);
  }
  tied.reset();
}

}  // namespace

#include "dialog_test.moc"
