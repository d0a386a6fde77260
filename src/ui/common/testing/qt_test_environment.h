// For GoogleTest programs of windows: include this in one source file of the test program to
// get one QApplication for the whole program, on the offscreen platform unless the environment
// names another.
#pragma once

#include <gtest/gtest.h>
#include <QApplication>

namespace ui::testing {

class QtTestEnvironment final : public ::testing::Environment {
 public:
  void SetUp() override {
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
    delete m_app;
    m_app = nullptr;
  }

 private:
  QApplication* m_app = nullptr;
};

// Registers the environment once per program (the variable's initialiser runs at start-up).
inline ::testing::Environment* const g_qtTestEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtTestEnvironment);

}  // namespace ui::testing
