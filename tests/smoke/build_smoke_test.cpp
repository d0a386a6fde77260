#include <gtest/gtest.h>

// Proves that the test tool chain links and runs; the real tests live beside it.
TEST(BuildSmoke, TestRunnerRuns) {
  EXPECT_EQ(1 + 1, 2);
}
