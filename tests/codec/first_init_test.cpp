// The first initialisation in a process gives VOPs decoded before any VOL a 4-bit
// vop_time_increment (resolution 15); this binary initialises exactly once before checking.
#include <gtest/gtest.h>

#include "mp4dec_harness.h"

namespace {

TEST(Mp4DecFirstInit, FirstInitialisationSetsResolutionFifteen) {
  DecoderHarness first(64, 48, 3, 0);
  ASSERT_EQ(first.initResult, kMp4DecOk);
  EXPECT_EQ(first.Ctx().vol.vop_time_increment_resolution, 15);
  DecoderHarness second(64, 48, 3, 0);
  EXPECT_EQ(second.Ctx().vol.vop_time_increment_resolution, 0);
}

}  // namespace
