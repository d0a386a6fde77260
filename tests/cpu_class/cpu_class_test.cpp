// The processor classes the per-class test programs force: each class's processor is detected
// as that class, forcing holds when detection runs again, the command-line flag is read and
// removed, and the listener names the class in failures and catches a test that changed it.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cpu_class/cpu_class_run.h"
#include "cpu_class/cpu_classes.h"
#include "prim/prim.h"

namespace {

using namespace cpu_class;

// Keeps the detection source and the index of the test program across one test.
class CpuClassTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_savedIndex = PrimCpuIndex.load();
    m_savedSource = PrimSetCpuSource(nullptr);
    PrimSetCpuSource(m_savedSource);
  }
  void TearDown() override {
    PrimSetCpuSource(m_savedSource);
    PrimCpuIndex.store(m_savedIndex);
  }

 private:
  std::int32_t m_savedIndex = 1;
  const PrimCpuSource* m_savedSource = nullptr;
};

TEST_F(CpuClassTest, EachClassProcessorIsDetectedAsItsClass) {
  const std::vector<std::string> names{"generic", "sse", "sse2", "sse3"};
  ASSERT_EQ(kCpuClasses.size(), names.size());
  for (std::size_t i = 0; i < kCpuClasses.size(); ++i) {
    const CpuClass& c = kCpuClasses[i];
    SCOPED_TRACE(std::string(c.name));
    EXPECT_EQ(c.name, names[i]);
    EXPECT_EQ(c.index, static_cast<std::int32_t>(PrimIndexGeneric + i));
    EXPECT_EQ(FindCpuClass(names[i]), &c);
    EXPECT_EQ(&CpuClassOfByte(static_cast<std::uint8_t>(i + 4 * 7)), &c);
    PrimSetCpuSource(c.cpu);
    EXPECT_EQ(PrimHasCpuid(), 1);
    EXPECT_EQ(PrimIsKnownVendor(), c.index == PrimIndexGeneric ? 0 : 1);
    EXPECT_EQ(PrimGetCpuType(), c.cpuType);
    EXPECT_EQ(PrimIndexFromCpuType(c.cpuType), c.index);
    PrimCpuIndex.store(-5);
    EXPECT_EQ(primStaticInit(), c.index == PrimIndexGeneric ? StsNotKnownCpu : StsNoError);
    EXPECT_EQ(PrimCpuIndex.load(), c.index);
  }
  EXPECT_EQ(FindCpuClass("avx2"), nullptr);
  EXPECT_EQ(FindCpuClass(""), nullptr);
}

// Whatever index and processor were in place, forcing leaves the class's index, also after
// detection runs again (the decoder runs it on every call).
TEST_F(CpuClassTest, ForcingHoldsAcrossDetection) {
  for (const CpuClass& c : kCpuClasses) {
    for (const CpuClass& before : kCpuClasses) {
      SCOPED_TRACE(std::string(before.name) + " then " + std::string(c.name));
      ASSERT_TRUE(ForceCpuClass(before));
      ASSERT_TRUE(ForceCpuClass(c));
      EXPECT_EQ(PrimCpuIndex.load(), c.index);
      (void)primStaticInit();
      EXPECT_EQ(PrimCpuIndex.load(), c.index);
      EXPECT_EQ(PrimSetCpuSource(c.cpu), c.cpu);
    }
  }
}

struct FlagCase {
  std::vector<std::string> args;
  bool ok;
  const char* cpuClass;  // null: none
  std::vector<std::string> left;
};

TEST(CpuClassFlag, IsReadAndRemovedFromTheArguments) {
  const FlagCase cases[] = {
      {{"t", "--cpu-class=sse2"}, true, "sse2", {"t"}},
      {{"t", "--gtest_filter=A.*", "--cpu-class=generic", "x"},
       true,
       "generic",
       {"t", "--gtest_filter=A.*", "x"}},
      {{"t", "--cpu-class", "sse3", "--gtest_brief=1"}, true, "sse3", {"t", "--gtest_brief=1"}},
      {{"t", "--gtest_list_tests"}, true, nullptr, {"t", "--gtest_list_tests"}},
      {{"t"}, true, nullptr, {"t"}},
      {{"t", "--cpu-class=avx512"}, false, nullptr, {"t"}},
      {{"t", "--cpu-class="}, false, nullptr, {"t"}},
      {{"t", "--cpu-class"}, false, nullptr, {"t"}},
      {{"t", "--cpu-classes=sse"}, true, nullptr, {"t", "--cpu-classes=sse"}},
  };
  for (const FlagCase& c : cases) {
    std::string what;
    for (const auto& a : c.args) {
      what += a + " ";
    }
    SCOPED_TRACE(what);
    std::vector<std::string> storage = c.args;
    std::vector<char*> argv;
    for (auto& a : storage) {
      argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    int argc = static_cast<int>(c.args.size());
    const FlagResult result = TakeCpuClassFlag(argc, argv.data());
    EXPECT_EQ(result.ok, c.ok);
    EXPECT_EQ(result.ok, result.error.empty());
    EXPECT_EQ(result.cpuClass, c.cpuClass == nullptr ? nullptr : FindCpuClass(c.cpuClass));
    ASSERT_EQ(argc, static_cast<int>(c.left.size()));
    for (int i = 0; i < argc; ++i) {
      EXPECT_EQ(std::string(argv[static_cast<std::size_t>(i)]),
                c.left[static_cast<std::size_t>(i)]);
    }
    EXPECT_EQ(argv[static_cast<std::size_t>(argc)], nullptr);
  }
}

// What the listener wrote to its file.
std::string Written(std::FILE* file) {
  std::string text;
  std::rewind(file);
  for (int ch = std::fgetc(file); ch != EOF; ch = std::fgetc(file)) {
    text += static_cast<char>(ch);
  }
  return text;
}

TEST_F(CpuClassTest, ListenerNamesTheClassInEachFailure) {
  const CpuClass& sse2 = *FindCpuClass("sse2");
  std::FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  ClassListener listener(sse2, out);
  listener.OnTestProgramStart(*::testing::UnitTest::GetInstance());
  listener.OnTestPartResult(
      ::testing::TestPartResult(::testing::TestPartResult::kSuccess, "a.cpp", 1, "fine"));
  listener.OnTestPartResult(
      ::testing::TestPartResult(::testing::TestPartResult::kNonFatalFailure, "a.cpp", 2, "x"));
  const std::string text = Written(out);
  std::fclose(out);
  EXPECT_NE(text.find("Processor class sse2: the SSE2 forms (index 3)"), std::string::npos) << text;
  EXPECT_NE(text.find("[ sse2     ] the failure above ran the SSE2 forms (--cpu-class=sse2)"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("failure", text.find("failure") + 1), std::string::npos)
      << "one failure, one line: " << text;
}

TEST_F(CpuClassTest, ListenerCatchesATestThatChangedTheClassAndPutsItBack) {
  const CpuClass& sse3 = *FindCpuClass("sse3");
  const ::testing::TestInfo& info = *::testing::UnitTest::GetInstance()->current_test_info();
  struct Change {
    const char* what;
    std::int32_t index;
    const PrimCpuSource* cpu;
    bool reported;
  };
  const Change changes[] = {
      {"nothing", PrimIndexSse3, sse3.cpu, false},
      {"the index", PrimIndexGeneric, sse3.cpu, true},
      {"the processor", PrimIndexSse3, &PrimHardwareCpuSource(), true},
      {"both", PrimIndexSse, FindCpuClass("sse")->cpu, true},
  };
  for (const Change& change : changes) {
    SCOPED_TRACE(change.what);
    ASSERT_TRUE(ForceCpuClass(sse3));
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    ClassListener listener(sse3, out);
    PrimSetCpuSource(change.cpu);
    PrimCpuIndex.store(change.index);
    listener.OnTestEnd(info);
    const std::string text = Written(out);
    std::fclose(out);
    EXPECT_EQ(listener.LeftChanged(), change.reported);
    EXPECT_EQ(text.find(std::string(info.test_suite_name()) + "." + info.name() + " left") !=
                  std::string::npos,
              change.reported)
        << text;
    EXPECT_EQ(PrimCpuIndex.load(), PrimIndexSse3);
    EXPECT_EQ(PrimSetCpuSource(sse3.cpu), sse3.cpu);
  }
}

}  // namespace
