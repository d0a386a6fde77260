// JPEG snapshots written by the snapshot writer, read back by DecodeJpegFrame: same
// orientation (both bottom-up), BGR order, exact size check, and close to the original.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/snapshot.h"
#include "codec/jpeg_frame/jpeg_frame.h"
#include "codec_context/jpeg_test_pictures.h"

namespace {

using namespace jpeg_test;

class SnapshotRoundTripTest : public ::testing::TestWithParam<std::pair<int, int>> {
 protected:
  void SetUp() override {
    m_folder = std::filesystem::temp_directory_path() /
               ("kavelin_jpeg_snapshot_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(m_folder);
    std::filesystem::create_directories(m_folder);
  }
  void TearDown() override { std::filesystem::remove_all(m_folder); }

  std::filesystem::path m_folder;
};

TEST_P(SnapshotRoundTripTest, ReadsBackWhatTheSnapshotWrote) {
  const auto [w, h] = GetParam();
  const std::vector<std::uint8_t> original = SmoothBottomUp(w, h);
  std::string folder = m_folder.string();
  std::string written;
  ASSERT_EQ(MakeSnapshotFileName(folder, original, w, h, 1, platform::LocalTime{2026, 12, 3, 9},
                                 &written),
            1);
  const std::vector<std::uint8_t> jpeg = ReadWhole(written);
  ASSERT_FALSE(jpeg.empty());

  std::vector<std::uint8_t> picture(original.size() + 16, 0xCD);
  ASSERT_EQ(
      DecodeJpegFrame(jpeg, picture, static_cast<std::uint16_t>(w), static_cast<std::uint16_t>(h)),
      1);
  EXPECT_EQ(picture[original.size()], 0xCD);
  EXPECT_GE(Psnr(original.data(), picture.data(), original.size()), 38.0);

  // Corners: buffer row 0 is the picture's bottom; blue grows to the right, green downwards.
  auto at = [&](int row, int x) { return &picture[(static_cast<std::size_t>(row) * w + x) * 3]; };
  EXPECT_LT(at(h - 1, 0)[0], at(h - 1, w - 1)[0] - 100);  // blue: left < right
  EXPECT_LT(at(h - 1, 0)[1], at(0, 0)[1] - 100);          // green: top < bottom
  EXPECT_GT(at(h - 1, 0)[2], at(0, w - 1)[2] + 80);       // red: top left > bottom right

  // The announced size must match exactly.
  std::vector<std::uint8_t> other(static_cast<std::size_t>(w + 1) * (h + 1) * 3, 0xCD);
  EXPECT_EQ(DecodeJpegFrame(jpeg, other, static_cast<std::uint16_t>(w + 1),
                            static_cast<std::uint16_t>(h)),
            0);
  EXPECT_EQ(DecodeJpegFrame(jpeg, other, static_cast<std::uint16_t>(w),
                            static_cast<std::uint16_t>(h + 1)),
            0);
  EXPECT_TRUE(std::all_of(other.begin(), other.end(), [](auto b) { return b == 0xCD; }));
}

INSTANTIATE_TEST_SUITE_P(Sizes, SnapshotRoundTripTest,
                         ::testing::Values(std::pair{64, 48}, std::pair{70, 45},
                                           std::pair{352, 288}, std::pair{704, 576}),
                         [](const auto& info) {
                           return std::to_string(info.param.first) + "x" +
                                  std::to_string(info.param.second);
                         });

}  // namespace
