// The handed-over picture painted on the GUI thread: straight into a 32-bit raster image where
// the painter allows it, converted and drawn by Qt anywhere else; either way the pixels are the
// ones Qt draws from the converted picture, inside the clips only.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QRegion>
#include <cstdint>
#include <vector>

#include "ui/main/frame_handoff.h"
#include "ui/main/picture_paint.h"

namespace main_window_test {
namespace {

using namespace mainwin;

constexpr QRgb kBackground = 0xFF204060u;

ShownFrame Picture(int width, int height, std::uint32_t serial, int seed) {
  ShownFrame frame;
  const auto bytes = frame.Reserve(width, height);
  for (std::size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = static_cast<std::uint8_t>(i * 13 + static_cast<std::size_t>(seed) * 101 + 5);
  frame.serial = serial;
  return frame;
}

struct Scene {
  const char* name;
  QImage::Format format;
  QTransform transform;
  QRegion painterClip;  // empty: none
  QPoint at;
  QRect clip;
  bool direct;  // painted straight into the image
};

// The same scene drawn by Qt from the converted picture.
QImage Reference(const Scene& scene, const ShownFrame& frame, QSize size) {
  QImage converted;
  EXPECT_TRUE(ConvertBottomUpBgr(frame.picture, frame.width, frame.height, converted));
  QImage image(size, scene.format);
  image.fill(kBackground);
  QPainter painter(&image);
  painter.setTransform(scene.transform);
  if (!scene.painterClip.isEmpty())
    painter.setClipRegion(scene.painterClip);
  painter.setClipRect(scene.clip,
                      scene.painterClip.isEmpty() ? Qt::ReplaceClip : Qt::IntersectClip);
  painter.drawImage(scene.at, converted);
  return image;
}

QImage Painted(const Scene& scene, const ShownFrame& frame, QSize size, PicturePainter& pp) {
  QImage image(size, scene.format);
  image.fill(kBackground);
  QPainter painter(&image);
  painter.setTransform(scene.transform);
  if (!scene.painterClip.isEmpty())
    painter.setClipRegion(scene.painterClip);
  pp.Paint(painter, scene.at, frame, scene.clip);
  return image;
}

TEST(PicturePaint, PixelsAreQtsOwnInsideTheClipsOnEveryRoad) {
  const QSize size(64, 48);
  const Scene scenes[] = {
      {"whole picture", QImage::Format_RGB32, {}, {}, {0, 0}, {0, 0, 64, 48}, true},
      {"offset, cut by the clip", QImage::Format_RGB32, {}, {}, {5, 7}, {8, 9, 30, 20}, true},
      {"past the image's edges",
       QImage::Format_RGB32,
       {},
       {},
       {-6, -3},
       {-10, -10, 200, 200},
       true},
      {"translated painter",
       QImage::Format_RGB32,
       QTransform::fromTranslate(3, 4),
       {},
       {1, 2},
       {0, 0, 40, 30},
       true},
      {"painter clip of two rects",
       QImage::Format_ARGB32_Premultiplied,
       {},
       QRegion(2, 2, 10, 30) + QRegion(20, 5, 30, 8),
       {0, 0},
       {0, 0, 64, 48},
       true},
      {"ARGB32 image", QImage::Format_ARGB32, {}, {}, {9, 1}, {0, 0, 64, 48}, true},
      {"16-bit image", QImage::Format_RGB16, {}, {}, {4, 4}, {0, 0, 64, 48}, false},
      {"24-bit image", QImage::Format_RGB888, {}, {}, {4, 4}, {0, 0, 50, 40}, false},
      {"scaled painter",
       QImage::Format_RGB32,
       QTransform::fromScale(2, 2),
       {},
       {1, 1},
       {0, 0, 20, 20},
       false},
      {"half-pixel offset",
       QImage::Format_RGB32,
       QTransform::fromTranslate(0.5, 0),
       {},
       {0, 0},
       {0, 0, 64, 48},
       false},
  };
  for (const int width : {1, 7, 23, 40}) {
    for (const Scene& scene : scenes) {
      SCOPED_TRACE(testing::Message() << scene.name << ", picture width " << width);
      const ShownFrame frame = Picture(width, 31, 1, width);
      PicturePainter painter;
      const QImage painted = Painted(scene, frame, size, painter);
      EXPECT_EQ(painter.LastPaintWasDirect(), scene.direct);
      const QImage reference = Reference(scene, frame, size);
      ASSERT_EQ(painted.format(), reference.format());
      for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
          ASSERT_EQ(painted.pixel(x, y), reference.pixel(x, y)) << "at " << x << "," << y;
        }
      }
    }
  }
}

// Rows long enough for the eight-pixel steps, from every position within eight pixels of the
// image's rows and with clips that cut them short of the picture's ends.
TEST(PicturePaint, LongRowsAreTheSameFromEveryAlignment) {
  const QSize size(300, 12);
  for (const int width : {64, 73, 257}) {
    for (int x = 0; x < 8; ++x) {
      for (const QRect clip : {QRect(0, 0, 300, 12), QRect(x + 5, 2, 180, 7)}) {
        SCOPED_TRACE(testing::Message() << "picture width " << width << " at " << x << ", clip "
                                        << clip.x() << "+" << clip.width());
        const Scene scene{"long rows", QImage::Format_RGB32, {}, {}, {x, 1}, clip, true};
        const ShownFrame frame = Picture(width, 9, 1, x);
        PicturePainter painter;
        const QImage painted = Painted(scene, frame, size, painter);
        EXPECT_TRUE(painter.LastPaintWasDirect());
        EXPECT_EQ(painted, Reference(scene, frame, size));
      }
    }
  }
}

// The converted road converts a picture once, and again for the next picture in the same slot.
TEST(PicturePaint, ConvertedRoadFollowsTheSlotsNewPicture) {
  const Scene scene{"16-bit", QImage::Format_RGB16, {}, {}, {0, 0}, {0, 0, 16, 16}, false};
  PicturePainter painter;
  ShownFrame frame = Picture(16, 16, 1, 1);
  const QImage first = Painted(scene, frame, {16, 16}, painter);
  EXPECT_EQ(first, Reference(scene, frame, {16, 16}));
  EXPECT_EQ(Painted(scene, frame, {16, 16}, painter), first);
  ShownFrame next = Picture(16, 16, 2, 9);
  frame.picture = next.picture;
  frame.serial = 2;
  const QImage second = Painted(scene, frame, {16, 16}, painter);
  EXPECT_NE(second, first);
  EXPECT_EQ(second, Reference(scene, frame, {16, 16}));
}

// A slot without a whole picture paints nothing.
TEST(PicturePaint, ShortOrEmptyPictureLeavesTheImageAlone) {
  for (const bool empty : {true, false}) {
    SCOPED_TRACE(empty ? "empty" : "short");
    ShownFrame frame = empty ? ShownFrame{} : Picture(8, 8, 1, 3);
    if (!empty)
      frame.picture.pop_back();
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(kBackground);
    QImage before = image;
    before.detach();
    {
      QPainter painter(&image);
      PicturePainter pp;
      pp.Paint(painter, {0, 0}, frame, {0, 0, 16, 16});
    }
    EXPECT_EQ(image, before);
  }
}

TEST(FrameHandoffSlots, ReserveKeepsTheSizeAndPublishNumbersEachPicture) {
  FrameHandoff handoff;
  EXPECT_EQ(handoff.Latest(), nullptr);
  std::uint32_t last = 0;
  for (const auto& [w, h] : {std::pair{4, 3}, {1, 1}, {704, 576}, {2, 5}}) {
    ShownFrame& slot = handoff.WriteSlot();
    EXPECT_EQ(slot.Reserve(w, h).size(), static_cast<std::size_t>(w) * h * 3);
    EXPECT_EQ(slot.Size(), QSize(w, h));
    handoff.Publish();
    const ShownFrame* shown = handoff.Latest();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->Size(), QSize(w, h));
    EXPECT_GT(shown->serial, last);
    last = shown->serial;
  }
  ShownFrame bad;
  EXPECT_TRUE(bad.Reserve(0, 5).empty());
  EXPECT_TRUE(bad.Reserve(5, -1).empty());
  EXPECT_EQ(bad.Size(), QSize(0, 0));
}

}  // namespace
}  // namespace main_window_test
