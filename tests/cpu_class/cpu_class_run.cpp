#include "cpu_class/cpu_class_run.h"

#include <gmock/gmock.h>

#include <memory>
#include <string_view>

namespace cpu_class {

FlagResult TakeCpuClassFlag(int& argc, char** argv) {
  FlagResult result;
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    std::string_view name;
    bool named = false;
    if (arg.starts_with(kFlag) && arg.size() > kFlag.size() && arg[kFlag.size()] == '=') {
      name = arg.substr(kFlag.size() + 1);
      named = true;
    } else if (arg == kFlag) {
      if (i + 1 < argc) {
        name = argv[++i];
      }
      named = true;
    }
    if (!named) {
      argv[kept++] = argv[i];
      continue;
    }
    result.cpuClass = FindCpuClass(name);
    if (result.cpuClass == nullptr) {
      result.ok = false;
      result.error =
          "unknown processor class \"" + std::string(name) + "\" (use generic, sse, sse2 or sse3)";
    }
  }
  argc = kept;
  argv[argc] = nullptr;
  return result;
}

void ClassListener::OnTestProgramStart(const ::testing::UnitTest&) {
  std::fprintf(m_out, "Processor class %s: the %s forms (index %d)\n",
               std::string(m_class.name).c_str(), std::string(m_class.formName).c_str(),
               m_class.index);
  std::fflush(m_out);
}

void ClassListener::OnTestPartResult(const ::testing::TestPartResult& result) {
  if (!result.failed()) {
    return;
  }
  std::fprintf(m_out, "[ %-8s ] the failure above ran the %s forms (--cpu-class=%s)\n",
               std::string(m_class.name).c_str(), std::string(m_class.formName).c_str(),
               std::string(m_class.name).c_str());
  std::fflush(m_out);
}

void ClassListener::OnTestEnd(const ::testing::TestInfo& info) {
  const std::int32_t index = PrimCpuIndex.load(std::memory_order_relaxed);
  const PrimCpuSource* source = PrimSetCpuSource(m_class.cpu);
  if (index == m_class.index && source == m_class.cpu) {
    return;
  }
  m_leftChanged = true;
  std::fprintf(m_out,
               "[ %-8s ] %s.%s left %s behind (index %d, class %s is index %d); put back for "
               "the next test\n",
               std::string(m_class.name).c_str(), info.test_suite_name(), info.name(),
               source != m_class.cpu ? "another processor" : "another forms index", index,
               std::string(m_class.name).c_str(), m_class.index);
  std::fflush(m_out);
  (void)ForceCpuClass(m_class);
}

int RunTests(int argc, char** argv) {
  const FlagResult flag = TakeCpuClassFlag(argc, argv);
  if (!flag.ok) {
    std::fprintf(stderr, "%s\n", flag.error.c_str());
    return 2;
  }
  ::testing::InitGoogleMock(&argc, argv);
  if (flag.cpuClass == nullptr) {
    return RUN_ALL_TESTS();
  }
  const CpuClass& cpuClass = *flag.cpuClass;
  if (!ForceCpuClass(cpuClass)) {
    std::fprintf(stderr,
                 "cannot force processor class %s: the forms index is %d, the class's is %d\n",
                 std::string(cpuClass.name).c_str(), PrimCpuIndex.load(), cpuClass.index);
    return 2;
  }
  auto owned = std::make_unique<ClassListener>(cpuClass, stdout);
  const ClassListener& listener = *owned;
  // The framework's listener list owns it from here on, to the end of the program.
  ::testing::UnitTest::GetInstance()->listeners().Append(owned.release());
  const int status = RUN_ALL_TESTS();
  if (listener.LeftChanged()) {
    std::fprintf(stdout, "[ %-8s ] a test changed the processor class it was given\n",
                 std::string(cpuClass.name).c_str());
    return 1;
  }
  return status;
}

}  // namespace cpu_class
