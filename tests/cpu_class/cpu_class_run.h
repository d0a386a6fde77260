// What a test program that runs once per processor class does at start-up and around each
// test: reads the class from its command line, and names the class in every failure.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "cpu_class/cpu_classes.h"

namespace cpu_class {

inline constexpr std::string_view kFlag = "--cpu-class";

struct FlagResult {
  bool ok = true;
  const CpuClass* cpuClass = nullptr;  // null: no class asked for (this machine's forms)
  std::string error;                   // when not ok
};

// Finds "--cpu-class=NAME" (or "--cpu-class NAME") among the arguments and removes it, so the
// test framework sees only its own. An unknown name or a missing one is an error.
FlagResult TakeCpuClassFlag(int& argc, char** argv);

// Prints the class when the program starts, names it after every failure, and checks after each
// test that the test left the class's forms and processor in place (putting them back if not:
// the next test must run the class too).
class ClassListener final : public ::testing::EmptyTestEventListener {
 public:
  ClassListener(const CpuClass& cpuClass, std::FILE* out) : m_class(cpuClass), m_out(out) {}

  void OnTestProgramStart(const ::testing::UnitTest& unitTest) override;
  void OnTestPartResult(const ::testing::TestPartResult& result) override;
  void OnTestEnd(const ::testing::TestInfo& info) override;

  // True once a test left another index or another processor behind.
  bool LeftChanged() const { return m_leftChanged; }

 private:
  const CpuClass& m_class;
  std::FILE* m_out;
  bool m_leftChanged = false;
};

// The program's main: the flag, the forcing (refusing to run when the index is not the
// class's), the listener, the tests. Without the flag the tests run this machine's forms.
int RunTests(int argc, char** argv);

}  // namespace cpu_class
