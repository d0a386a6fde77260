#include <gtest/gtest.h>

#include "ui/common/button_shape.h"
#include "ui/common/vtx_button.h"

namespace {

using Points = std::vector<CShapePoint>;

TEST(ButtonShape, RectangleOutlinesAreInsetAndClosed) {
  CButtonShape shape;
  ASSERT_TRUE(shape.Make(SHAPE_RECTANGLE, 0, 10, 8));
  EXPECT_EQ(shape.Outline(0), (Points{{0, 0}, {0, 7}, {9, 7}, {9, 0}, {0, 0}}));
  EXPECT_EQ(shape.Outline(1), (Points{{1, 1}, {1, 6}, {8, 6}, {8, 1}, {1, 1}}));
  EXPECT_EQ(shape.Outline(3), (Points{{4, 4}, {4, 3}, {5, 3}, {5, 4}, {4, 4}}));
}

TEST(ButtonShape, DiamondIsSquaredAndCentred) {
  CButtonShape shape;
  ASSERT_TRUE(shape.Make(SHAPE_DIAMOND, 0, 21, 11));
  // Client 0..20 x 0..10: the square 10 x 10 starts at x = 5.
  EXPECT_EQ(shape.Outline(0), (Points{{5, 5}, {10, 0}, {15, 5}, {10, 10}, {5, 5}}));
}

TEST(ButtonShape, CircleTakesTheCallersPointCount) {
  CButtonShape shape;
  ASSERT_TRUE(shape.Make(SHAPE_CIRCLE, 4, 21, 21));
  // Centre (10, 10), radius 10: right, bottom, left, top, then closed.
  EXPECT_EQ(shape.Outline(0), (Points{{20, 10}, {10, 20}, {0, 10}, {10, 0}, {20, 10}}));
  EXPECT_EQ(shape.Outline(3).front(), (CShapePoint{16, 10}));
  ASSERT_TRUE(shape.Make(SHAPE_CIRCLE, 0, 21, 21));
  EXPECT_EQ(shape.Outline(0).size(), 11u);  // ten points from the radius, closed
}

TEST(ButtonShape, WideBarStartsAtTheTopOfItsRightEnd) {
  CButtonShape shape;
  ASSERT_TRUE(shape.Make(SHAPE_ROUNDED_BAR, 4, 41, 11));
  const Points& o = shape.Outline(0);
  ASSERT_GE(o.size(), 6u);
  EXPECT_EQ(o.front(), (CShapePoint{35, 0}));
  EXPECT_EQ(o.front(), o.back());
  EXPECT_FALSE(shape.Make(7, 0, 10, 10));
}

TEST(ButtonShape, EdgesFacingTheLightTakeTheFirstColour) {
  const QColor light(255, 255, 255), dark(0, 0, 0);
  // An edge running at 3pi/4 faces the light fully; the opposite direction not at all.
  EXPECT_EQ(CButtonShape::ShadeEdge({10, 0}, {0, 10}, light, dark), light);
  EXPECT_EQ(CButtonShape::ShadeEdge({0, 10}, {10, 0}, light, dark), dark);
}

TEST(ButtonShape, ButtonTakesTheRegion) {
  CVtxButton button;
  button.resize(20, 20);
  ASSERT_TRUE(button.SetShape(SHAPE_CIRCLE, 32));
  EXPECT_TRUE(button.mask().contains(QPoint(10, 10)));
  EXPECT_FALSE(button.mask().contains(QPoint(0, 0)));
  CVtxButton copy;
  copy.resize(20, 20);
  EXPECT_TRUE(copy.SetShapeFrom(button));
  EXPECT_EQ(copy.Shape().Outline(0), button.Shape().Outline(0));
  EXPECT_FALSE(button.SetShape(9));
}

}  // namespace
