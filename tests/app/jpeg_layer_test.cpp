#include "codec/jpeg/jpeg_layer.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "picture_helpers.h"
#include "temp_folder.h"

namespace {

using codec::jpeg::JpegHeader;
using codec::jpeg::JpegJob;
using codec::jpeg::JpegResult;
using codec::jpeg::PictureLayout;
using codec::jpeg::PixelOrder;
using codec::jpeg::RowOrder;

constexpr int kTolerance = 12;  // per sample, on flat areas, at quality 90 without subsampling

class JpegLayerTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(m_job.Init(), JpegResult::kOk); }

  std::vector<std::uint8_t> EncodeQuadrants(int width, int height) {
    const PictureLayout layout{width, height, 0, PixelOrder::kRgb, RowOrder::kTopDown};
    std::vector<std::uint8_t> jpeg;
    EXPECT_EQ(m_job.Encode(app_test::LayOut(app_test::Quadrants(width, height), layout), layout, 90,
                           jpeg),
              JpegResult::kOk);
    return jpeg;
  }

  JpegJob m_job;
};

TEST_F(JpegLayerTest, RoundTripsInEveryLayout) {
  // Widths whose rows are not a multiple of 4 bytes, and padded pitches.
  struct Case {
    int width;
    int height;
    std::size_t pitch;
    PixelOrder order;
    RowOrder rows;
  };
  const Case cases[] = {
      {32, 16, 0, PixelOrder::kBgr, RowOrder::kBottomUp},
      {30, 18, 0, PixelOrder::kBgr, RowOrder::kBottomUp},
      {30, 18, 92, PixelOrder::kBgr, RowOrder::kTopDown},
      {33, 17, 0, PixelOrder::kRgb, RowOrder::kTopDown},
      {33, 17, 100, PixelOrder::kRgb, RowOrder::kBottomUp},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.width << "x" << c.height << " pitch " << c.pitch);
    const auto source = app_test::Quadrants(c.width, c.height);
    const PictureLayout layout{c.width, c.height, c.pitch, c.order, c.rows};
    std::vector<std::uint8_t> jpeg;
    ASSERT_EQ(m_job.Encode(app_test::LayOut(source, layout), layout, 90, jpeg), JpegResult::kOk);

    JpegHeader header;
    ASSERT_EQ(m_job.ReadHeader(jpeg, header), JpegResult::kOk);
    EXPECT_EQ(header.width, c.width);
    EXPECT_EQ(header.height, c.height);
    EXPECT_EQ(header.channels, 3);

    std::vector<std::uint8_t> decoded(*layout.SpanBytes(), 0x5A);
    ASSERT_EQ(m_job.ReadImage(jpeg, decoded, layout), JpegResult::kOk);
    EXPECT_LE(app_test::MaxDifferenceAwayFromEdges(app_test::ReadBack(decoded, layout), source, 8),
              kTolerance);
    // Padding between rows is left as it was.
    if (layout.Pitch() > layout.RowBytes()) {
      EXPECT_EQ(decoded[layout.RowBytes()], 0x5A);
    }
  }
}

TEST_F(JpegLayerTest, BottomUpBgrPutsTheTopRowLastInBlueGreenRedOrder) {
  const auto jpeg = EncodeQuadrants(32, 16);
  const PictureLayout layout{32, 16, 0, PixelOrder::kBgr, RowOrder::kBottomUp};
  std::vector<std::uint8_t> decoded(*layout.SpanBytes());
  ASSERT_EQ(m_job.ReadImage(jpeg, decoded, layout), JpegResult::kOk);
  // The last buffer row is the top of the picture: red on the left, as B, G, R bytes.
  const std::uint8_t* topLeft = &decoded[15 * 32 * 3];
  EXPECT_LT(topLeft[0], 20);
  EXPECT_LT(topLeft[1], 20);
  EXPECT_GT(topLeft[2], 235);
  // The first buffer row is the bottom: blue on the left.
  EXPECT_GT(decoded[0], 235);
  EXPECT_LT(decoded[2], 20);
}

TEST_F(JpegLayerTest, RefusesBadInputWithoutTouchingThePicture) {
  const auto good = EncodeQuadrants(16, 16);
  std::vector<std::uint8_t> garbage(200);
  for (std::size_t i = 0; i < garbage.size(); ++i) {
    garbage[i] = static_cast<std::uint8_t>(i * 37 + 11);
  }
  std::vector<std::uint8_t> headOnly(good.begin(), good.begin() + 20);
  std::vector<std::uint8_t> otherSize = EncodeQuadrants(16, 8);
  struct Case {
    const char* name;
    std::vector<std::uint8_t> jpeg;
    JpegResult expected;
  };
  const std::vector<Case> cases = {
      {"empty", {}, JpegResult::kCorrupt},
      {"garbage", garbage, JpegResult::kCorrupt},
      {"cut in the header", headOnly, JpegResult::kCorrupt},
      {"another size", otherSize, JpegResult::kSizeMismatch},
  };
  const PictureLayout layout{16, 16, 0, PixelOrder::kBgr, RowOrder::kBottomUp};
  for (const Case& c : cases) {
    std::vector<std::uint8_t> picture(*layout.SpanBytes(), 0x5A);
    EXPECT_EQ(m_job.ReadImage(c.jpeg, picture, layout), c.expected) << c.name;
    EXPECT_TRUE(std::all_of(picture.begin(), picture.end(), [](auto b) { return b == 0x5A; }))
        << c.name;
  }
}

// A damaged JPEG must not spoil the job for the frames after it: the next good picture of a
// stream decodes on the same job.
TEST_F(JpegLayerTest, AGoodPictureDecodesAfterADamagedOne) {
  const auto good = EncodeQuadrants(16, 16);
  std::vector<std::uint8_t> badMarker = good;
  badMarker[3] ^= 0xFF;  // the first marker after SOI no longer names a segment
  std::vector<std::uint8_t> flipped = good;
  for (std::size_t i = 2; i < flipped.size() / 2; i += 7) {
    flipped[i] ^= 0x5A;
  }
  const PictureLayout layout{16, 16, 0, PixelOrder::kBgr, RowOrder::kTopDown};
  std::vector<std::uint8_t> picture(*layout.SpanBytes());
  for (const auto* damaged : {&badMarker, &flipped}) {
    EXPECT_EQ(m_job.ReadImage(*damaged, picture, layout), JpegResult::kCorrupt);
    EXPECT_STRNE(m_job.LastErrorText(), "");
    EXPECT_EQ(m_job.ReadImage(good, picture, layout), JpegResult::kOk);
    EXPECT_STREQ(m_job.LastErrorText(), "");
  }
}

TEST_F(JpegLayerTest, ATruncatedTailStaysInsideThePicture) {
  const auto good = EncodeQuadrants(64, 64);
  const PictureLayout layout{64, 64, 0, PixelOrder::kBgr, RowOrder::kBottomUp};
  for (const std::size_t keep : {good.size() / 2, good.size() - 2, std::size_t{400}}) {
    std::vector<std::uint8_t> cut(good.begin(), good.begin() + static_cast<long>(keep));
    // Exactly the picture's size, so a write past it shows in the sanitizer build.
    std::vector<std::uint8_t> picture(*layout.SpanBytes());
    const JpegResult result = m_job.ReadImage(cut, picture, layout);
    EXPECT_TRUE(result == JpegResult::kOk || result == JpegResult::kCorrupt) << keep;
  }
}

TEST_F(JpegLayerTest, RefusesAPictureBufferThatIsTooSmallOrALayoutThatIsImpossible) {
  const auto jpeg = EncodeQuadrants(16, 16);
  struct Case {
    PictureLayout layout;
    std::size_t bytes;
    JpegResult expected;
  };
  const Case cases[] = {
      {{16, 16, 0, PixelOrder::kBgr, RowOrder::kTopDown},
       16 * 16 * 3 - 1,
       JpegResult::kBufferTooSmall},
      {{16, 16, 64, PixelOrder::kBgr, RowOrder::kTopDown},
       16 * 16 * 3,
       JpegResult::kBufferTooSmall},
      {{0, 16, 0, PixelOrder::kBgr, RowOrder::kTopDown}, 1000, JpegResult::kBadLayout},
      {{16, -1, 0, PixelOrder::kBgr, RowOrder::kTopDown}, 1000, JpegResult::kBadLayout},
      {{16, 16, 47, PixelOrder::kBgr, RowOrder::kTopDown}, 10000, JpegResult::kBadLayout},
      {{70000, 1, 0, PixelOrder::kBgr, RowOrder::kTopDown}, 300000, JpegResult::kBadLayout},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> picture(c.bytes, 0x5A);
    EXPECT_EQ(m_job.ReadImage(jpeg, picture, c.layout), c.expected);
    std::vector<std::uint8_t> out;
    EXPECT_EQ(m_job.Encode(picture, c.layout, 90, out), c.expected);
    EXPECT_TRUE(std::all_of(picture.begin(), picture.end(), [](auto b) { return b == 0x5A; }));
  }
}

// Patches the size in the frame header (FFC0) of a JPEG.
void PatchFrameSize(std::vector<std::uint8_t>& jpeg, int width, int height) {
  for (std::size_t i = 0; i + 8 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
      jpeg[i + 5] = static_cast<std::uint8_t>(height >> 8);
      jpeg[i + 6] = static_cast<std::uint8_t>(height);
      jpeg[i + 7] = static_cast<std::uint8_t>(width >> 8);
      jpeg[i + 8] = static_cast<std::uint8_t>(width);
      return;
    }
  }
  FAIL() << "no frame header";
}

TEST_F(JpegLayerTest, AHugeAnnouncedSizeIsRefusedBeforeDecoding) {
  auto jpeg = EncodeQuadrants(16, 16);
  PatchFrameSize(jpeg, 65000, 65000);
  JpegHeader header;
  ASSERT_EQ(m_job.ReadHeader(jpeg, header), JpegResult::kOk);
  EXPECT_EQ(header.width, 65000);
  const PictureLayout layout{16, 16, 0, PixelOrder::kBgr, RowOrder::kTopDown};
  std::vector<std::uint8_t> picture(*layout.SpanBytes());
  EXPECT_EQ(m_job.ReadImage(jpeg, picture, layout), JpegResult::kSizeMismatch);
}

TEST(JpegJobTest, WorksOnlyBetweenInitAndFree) {
  JpegJob job;
  EXPECT_FALSE(job.IsOpen());
  JpegHeader header;
  const std::vector<std::uint8_t> bytes(10, 0);
  EXPECT_EQ(job.ReadHeader(bytes, header), JpegResult::kNoJob);
  ASSERT_EQ(job.Init(), JpegResult::kOk);
  EXPECT_TRUE(job.IsOpen());
  EXPECT_EQ(job.ReadHeader(bytes, header), JpegResult::kCorrupt);
  EXPECT_STRNE(job.LastErrorText(), "");

  JpegJob moved(std::move(job));
  EXPECT_TRUE(moved.IsOpen());
  EXPECT_FALSE(job.IsOpen());  // NOLINT(bugprone-use-after-move): moved-from state is defined
  moved.Free();
  moved.Free();
  EXPECT_FALSE(moved.IsOpen());
  EXPECT_EQ(moved.ReadHeader(bytes, header), JpegResult::kNoJob);
}

TEST_F(JpegLayerTest, WritesAWholePictureToAFile) {
  app_test::TempFolder folder;
  const PictureLayout layout{30, 20, 0, PixelOrder::kBgr, RowOrder::kBottomUp};
  const auto source = app_test::Quadrants(30, 20);
  const auto path = folder.Path() / "picture.jpg";
  ASSERT_EQ(m_job.WriteImageFile(app_test::LayOut(source, layout), layout, path, 90),
            JpegResult::kOk);
  const auto jpeg = app_test::ReadBytes(path);
  std::vector<std::uint8_t> decoded(*layout.SpanBytes());
  ASSERT_EQ(m_job.ReadImage(jpeg, decoded, layout), JpegResult::kOk);
  EXPECT_LE(app_test::MaxDifferenceAwayFromEdges(app_test::ReadBack(decoded, layout), source, 8),
            kTolerance);

  EXPECT_EQ(m_job.WriteImageFile(app_test::LayOut(source, layout), layout,
                                 folder.Path() / "missing" / "picture.jpg", 90),
            JpegResult::kFileError);
}

}  // namespace
