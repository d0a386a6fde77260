#include "app/snapshot.h"

#include <gtest/gtest.h>

#include "app/bmp_writer.h"
#include "picture_helpers.h"
#include "temp_folder.h"

namespace {

using codec::jpeg::PictureLayout;
using codec::jpeg::PixelOrder;
using codec::jpeg::RowOrder;

const platform::LocalTime kWhen{2026, 12, 1, 7, 21, 39, 5, 312};

// The snapshot's input: bottom-up, blue-green-red, rows packed.
PictureLayout SnapshotLayout(int width, int height) {
  return PictureLayout{width, height, 0, PixelOrder::kBgr, RowOrder::kBottomUp};
}

std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
         (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
std::uint16_t U16(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

// Reads a 24-bit BMP file as a viewer does: positive height means the first stored row is the
// bottom one; pixels are blue, green, red; rows are padded to 4 bytes.
app_test::VisualPicture ParseBmp(const std::vector<std::uint8_t>& file) {
  EXPECT_GE(file.size(), 54u);
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[1], 'M');
  EXPECT_EQ(U32(file, 2), file.size());
  EXPECT_EQ(U32(file, 6), 0u);
  EXPECT_EQ(U32(file, 10), 54u);
  EXPECT_EQ(U32(file, 14), 40u);
  const int width = static_cast<int>(U32(file, 18));
  const int height = static_cast<int>(U32(file, 22));
  EXPECT_EQ(U16(file, 26), 1);
  EXPECT_EQ(U16(file, 28), 24);
  EXPECT_EQ(U32(file, 30), 0u);  // no compression
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
  EXPECT_EQ(file.size(), 54 + stride * height);
  app_test::VisualPicture picture{
      width, height, std::vector<app_test::Rgb>(static_cast<std::size_t>(width) * height)};
  for (int stored = 0; stored < height; ++stored) {
    const std::size_t row = 54 + stored * stride;
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* p = &file[row + x * 3];
      picture.At(x, height - 1 - stored) = {p[2], p[1], p[0]};
    }
    for (std::size_t pad = width * 3; pad < stride; ++pad) {
      EXPECT_EQ(file[row + pad], 0) << "padding of row " << stored;
    }
  }
  return picture;
}

// A picture with a distinct value in every sample, so any shift or swap shows.
app_test::VisualPicture Distinct(int width, int height) {
  app_test::VisualPicture picture{
      width, height, std::vector<app_test::Rgb>(static_cast<std::size_t>(width) * height)};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      picture.At(x, y) = {static_cast<std::uint8_t>(x * 7 + y), static_cast<std::uint8_t>(y * 13),
                          static_cast<std::uint8_t>(x + y * 31 + 1)};
    }
  }
  return picture;
}

TEST(SnapshotNameTest, FollowsTheLocalTimePattern) {
  EXPECT_EQ(SnapshotBaseName(kWhen), "261207T21390512");
  EXPECT_EQ(SnapshotBaseName(platform::LocalTime{2009, 1, 0, 2, 3, 4, 5, 6}), "090102T03040506");
}

TEST(SnapshotBmpTest, WritesPaddedRowsBottomUpInBgrOrder) {
  for (const int width : {1, 2, 3, 4, 5, 8, 13}) {
    const int height = 3;
    SCOPED_TRACE(width);
    app_test::TempFolder folder;
    std::string dir = folder.Dir();
    const auto source = Distinct(width, height);
    std::string path;
    ASSERT_EQ(MakeSnapshotFileName(dir, app_test::LayOut(source, SnapshotLayout(width, height)),
                                   width, height, 0, kWhen, &path),
              1);
    EXPECT_EQ(path, folder.Dir() + "261207T21390512.bmp");
    const auto parsed = ParseBmp(app_test::ReadBytes(path));
    EXPECT_EQ(parsed.width, width);
    EXPECT_EQ(parsed.height, height);
    EXPECT_EQ(parsed.pixels, source.pixels);
  }
}

TEST(SnapshotBmpTest, KeepsTheTopOfThePictureOnTop) {
  app_test::TempFolder folder;
  std::string dir = folder.Dir();
  // Bottom-up BGR input whose last row (the top) is red and first row (the bottom) is blue.
  const std::vector<std::uint8_t> picture = {0xFF, 0, 0,    0xFF, 0, 0,      // bottom row: blue
                                             0,    0, 0xFF, 0,    0, 0xFF};  // top row: red
  std::string path;
  ASSERT_EQ(MakeSnapshotFileName(dir, picture, 2, 2, 0, kWhen, &path), 1);
  const auto parsed = ParseBmp(app_test::ReadBytes(path));
  EXPECT_EQ(parsed.At(0, 0), (app_test::Rgb{255, 0, 0}));
  EXPECT_EQ(parsed.At(1, 1), (app_test::Rgb{0, 0, 255}));
}

TEST(SnapshotJpegTest, WritesAJpegThatDecodesToThePicture) {
  for (const auto& [width, height] : {std::pair{32, 24}, std::pair{30, 18}, std::pair{45, 21}}) {
    SCOPED_TRACE(::testing::Message() << width << "x" << height);
    app_test::TempFolder folder;
    std::string dir = folder.Dir();
    const auto source = app_test::Quadrants(width, height);
    std::string path;
    ASSERT_EQ(MakeSnapshotFileName(dir, app_test::LayOut(source, SnapshotLayout(width, height)),
                                   width, height, 1, kWhen, &path),
              1);
    EXPECT_EQ(path, folder.Dir() + "261207T21390512.jpg");

    codec::jpeg::JpegJob job;
    ASSERT_EQ(job.Init(), codec::jpeg::JpegResult::kOk);
    // Decoded top-down RGB: independent of the layout the snapshot was given in.
    const PictureLayout viewer{width, height, 0, PixelOrder::kRgb, RowOrder::kTopDown};
    std::vector<std::uint8_t> decoded(*viewer.SpanBytes());
    ASSERT_EQ(job.ReadImage(app_test::ReadBytes(path), decoded, viewer),
              codec::jpeg::JpegResult::kOk);
    const auto back = app_test::ReadBack(decoded, viewer);
    EXPECT_LE(app_test::MaxDifferenceAwayFromEdges(back, source, 8), 12);
    // Red stays top left, blue bottom left.
    EXPECT_GT(back.At(1, 1)[0], 235);
    EXPECT_GT(back.At(1, height - 2)[2], 235);
  }
}

TEST(SnapshotTest, AppendsTheSeparatorToTheCallersFolderText) {
  app_test::TempFolder folder;
  const std::vector<std::uint8_t> picture(12, 0x40);
  std::string bare = folder.Path().string();
  ASSERT_EQ(MakeSnapshotFileName(bare, picture, 2, 2, 0, kWhen, nullptr), 1);
  EXPECT_EQ(bare, folder.Dir());
  std::string closed = folder.Dir();
  ASSERT_EQ(MakeSnapshotFileName(closed, picture, 2, 2, 0, kWhen, nullptr), 1);
  EXPECT_EQ(closed, folder.Dir());
}

TEST(SnapshotTest, SnapshotsInTheSameSecondNeverOverwriteEachOther) {
  for (const int format : {0, 1}) {
    app_test::TempFolder folder;
    std::string dir = folder.Dir();
    const char* extension = format == 0 ? ".bmp" : ".jpg";
    std::vector<std::string> paths;
    std::vector<std::vector<std::uint8_t>> contents;
    for (int i = 0; i < 3; ++i) {
      const std::vector<std::uint8_t> picture(8 * 8 * 3, static_cast<std::uint8_t>(40 * i));
      std::string path;
      ASSERT_EQ(MakeSnapshotFileName(dir, picture, 8, 8, format, kWhen, &path), 1);
      paths.push_back(path);
      contents.push_back(app_test::ReadBytes(path));
    }
    const std::string base = folder.Dir() + "261207T21390512";
    EXPECT_EQ(paths[0], base + extension);
    EXPECT_EQ(paths[1], base + "_1" + extension);
    EXPECT_EQ(paths[2], base + "_2" + extension);
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(app_test::ReadBytes(paths[i]), contents[i]) << i;
    }
    EXPECT_NE(contents[0], contents[1]);
  }
}

TEST(SnapshotTest, FailsWithoutLeavingAFile) {
  app_test::TempFolder folder;
  const std::vector<std::uint8_t> picture(4 * 4 * 3, 0x10);
  struct Case {
    const char* name;
    std::string folder;
    int width;
    int height;
    std::size_t bytes;
  };
  const Case cases[] = {
      {"missing folder", folder.Dir() + "missing/", 4, 4, picture.size()},
      {"picture too short", folder.Dir(), 4, 5, picture.size()},
      {"zero width", folder.Dir(), 0, 4, picture.size()},
      {"negative height", folder.Dir(), 4, -4, picture.size()},
  };
  for (const Case& c : cases) {
    for (const int format : {0, 1}) {
      std::string dir = c.folder;
      EXPECT_EQ(MakeSnapshotFileName(dir, std::span(picture).first(c.bytes), c.width, c.height,
                                     format, kWhen, nullptr),
                0)
          << c.name << " format " << format;
    }
  }
  EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

TEST(BmpWriterTest, PadsRowsToFourBytes) {
  const std::vector<std::pair<int, std::size_t>> cases = {
      {1, 4}, {2, 8}, {3, 12}, {4, 12}, {5, 16}};
  for (const auto& [width, stride] : cases) {
    EXPECT_EQ(BmpRowStride(width), stride) << width;
  }
  const std::vector<std::uint8_t> picture(5 * 2 * 3, 0x33);
  const auto file = EncodeBmp24(picture, 5, 2);
  ASSERT_TRUE(file.has_value());
  EXPECT_EQ(file->size(), 54u + 16 * 2);
  EXPECT_FALSE(EncodeBmp24(picture, 5, 3).has_value());
  EXPECT_FALSE(EncodeBmp24(picture, 0, 2).has_value());
}

}  // namespace
