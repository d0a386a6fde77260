// For GoogleTest programs of windows: include this in one source file of the test program to
// get one QApplication for the whole program, on the offscreen platform unless the environment
// names another, and waits (WaitUntil) that deliver the queued events while they look.
#pragma once

#include <gtest/gtest.h>
#include <QApplication>

#include "fakes/wait_until.h"

namespace fakes {

// Delivers the events queued so far (and the deletions they asked for), as QTest::qWaitFor
// does. Events posted while they run wait for the next look, so a state they leave behind
// can be seen before the next event changes it.
inline void PumpEvents() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class QtTestEnvironment final : public ::testing::Environment {
 public:
  void SetUp() override {
    SetWaitPump(&PumpEvents);
    if (QApplication::instance() != nullptr)
      return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
      qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "kavelin_gui_tests";
    static char* argv[] = {name, nullptr};
    m_app = new QApplication(argc, argv);
  }
  void TearDown() override {
    SetWaitPump(nullptr);
    delete m_app;
    m_app = nullptr;
  }

 private:
  QApplication* m_app = nullptr;
};

// Registers the environment once per program (the variable's initialiser runs at start-up).
inline ::testing::Environment* const g_qtTestEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtTestEnvironment);

}  // namespace fakes
