#include "app/trace.h"

#include <gtest/gtest.h>

#include "temp_folder.h"

namespace {

TEST(DebugPrintTest, CutsALongLineToItsBuffer) {
  const std::string longText(1000, 'x');
  EXPECT_EQ(FormatDebugText("%s", longText.c_str()).size(), kDebugPrintBufferBytes - 1);
  EXPECT_EQ(FormatDebugText("Thread 0x%x is exit with code %d\n", 0x1f, 31),
            "Thread 0x1f is exit with code 31\n");
  DebugPrint("%s and %s\n", longText.c_str(), longText.c_str());  // formatted and dropped
}

TEST(CTraceFileTest, StartTruncatesTheFileAndModeZeroWritesNothing) {
  app_test::TempFolder folder;
  const auto path = folder.Path() / "DebugTrace.log";
  app_test::WriteText(path, "old content of an earlier run\r\n");
  CTraceFile trace;
  ASSERT_EQ(trace.Open(folder.Dir()), 1);
  EXPECT_EQ(trace.Path(), path.string());
  EXPECT_EQ(std::filesystem::file_size(path), 0u);
  EXPECT_EQ(trace.Append(0, "Polling_Net_Connection: start"), 0);
  EXPECT_EQ(trace.Append(2, "other mode"), 0);
  EXPECT_EQ(std::filesystem::file_size(path), 0u);
  EXPECT_EQ(trace.Lines(), 0u);
}

TEST(CTraceFileTest, ModeOneAppendsTheLineWithCarriageReturnAndLineFeed) {
  app_test::TempFolder folder;
  CTraceFile trace;
  ASSERT_EQ(trace.Open(folder.Dir()), 1);
  EXPECT_EQ(trace.Append(1, "first"), 1);
  EXPECT_EQ(trace.Append(1, "second"), 1);
  EXPECT_EQ(trace.Lines(), 2u);
  EXPECT_EQ(app_test::ReadText(folder.Path() / "DebugTrace.log"), "first\r\nsecond\r\n");
  EXPECT_EQ(trace.Close(), 1);
  EXPECT_EQ(trace.Append(1, "after close"), 0);
  EXPECT_EQ(trace.Close(), 1);
  EXPECT_EQ(app_test::ReadText(folder.Path() / "DebugTrace.log"), "first\r\nsecond\r\n");
  EXPECT_EQ(trace.Delete(), 1);
  EXPECT_FALSE(std::filesystem::exists(folder.Path() / "DebugTrace.log"));
}

TEST(CTraceFileTest, OpenFailsInAFolderThatDoesNotExist) {
  app_test::TempFolder folder;
  CTraceFile trace;
  EXPECT_EQ(trace.Open(folder.Dir() + "missing/"), 0);
  EXPECT_EQ(trace.Append(1, "line"), 0);
}

TEST(CTraceFileTest, AppendsFromSeveralThreadsKeepEveryLineWhole) {
  app_test::TempFolder folder;
  CTraceFile trace;
  ASSERT_EQ(trace.Open(folder.Dir()), 1);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&trace, t] {
      for (int i = 0; i < 50; ++i) {
        trace.Append(1, "thread " + std::to_string(t) + " line " + std::to_string(i));
      }
    });
  }
  for (auto& thread : threads) {
    thread.join();
  }
  EXPECT_EQ(trace.Lines(), 200u);
  const std::string text = app_test::ReadText(folder.Path() / "DebugTrace.log");
  std::size_t lines = 0;
  for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += 2) {
    ++lines;
  }
  EXPECT_EQ(lines, 200u);
}

class RollingTraceTest : public ::testing::Test {
 protected:
  void SetUp() override { PrepareRollingTrace(30, m_folder.Dir()); }
  void TearDown() override { ReleaseRollingTrace(); }
  std::filesystem::path File() const { return m_folder.Path() / "trace.log"; }
  app_test::TempFolder m_folder;
};

TEST_F(RollingTraceTest, AppendsLinesAndStaysBounded) {
  EXPECT_EQ(RollingTracePath(), m_folder.Dir() + "trace.log");
  ASSERT_TRUE(AppendRollingTrace("one"));
  ASSERT_TRUE(AppendRollingTrace("two"));
  EXPECT_EQ(app_test::ReadText(File()), "one\r\ntwo\r\n");
  // Short lines and lines longer than a chunk: the file never grows past the kept chunks and
  // one line, and always ends with the newest line.
  for (const std::size_t length : {40u, 250u}) {
    for (int i = 0; i < 200; ++i) {
      const std::string line = std::to_string(i) + std::string(length, 'z');
      ASSERT_TRUE(AppendRollingTrace(line));
      const std::string text = app_test::ReadText(File());
      ASSERT_LE(text.size(), 30 * kRollingTraceChunkBytes + line.size() + 2) << length << " " << i;
      ASSERT_EQ(text.substr(text.size() - line.size() - 2), line + "\r\n");
    }
  }
}

TEST_F(RollingTraceTest, NothingIsWrittenAfterRelease) {
  ReleaseRollingTrace();
  EXPECT_EQ(RollingTracePath(), "");
  EXPECT_FALSE(AppendRollingTrace("late"));
  EXPECT_FALSE(std::filesystem::exists(File()));
}

}  // namespace
