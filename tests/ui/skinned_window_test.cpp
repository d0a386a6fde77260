#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QPushButton>

#include "ui/common/skinned_window.h"

namespace {

TEST(SkinnedWindow, RoundRectRegionCutsTheCorners) {
  const QRegion region = ui::RoundRectRegion(304, 341, 10, 10);
  EXPECT_TRUE(region.contains(QPoint(152, 170)));
  EXPECT_TRUE(region.contains(QPoint(152, 1)));
  EXPECT_TRUE(region.contains(QPoint(1, 170)));
  EXPECT_FALSE(region.contains(QPoint(0, 0)));
  EXPECT_FALSE(region.contains(QPoint(303, 340)));
  EXPECT_FALSE(region.contains(QPoint(304, 170)));
  EXPECT_TRUE(ui::RoundRectRegion(0, 10, 5, 5).isEmpty());
  QWidget window;
  ui::ApplyRoundRectRegion(window, 370, 366, 15, 15);
  EXPECT_FALSE(window.mask().contains(QPoint(0, 0)));
  EXPECT_TRUE(window.mask().contains(QPoint(185, 183)));
  EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint);
}

void Send(QWidget& target, QEvent::Type type, QPoint global, Qt::MouseButtons buttons) {
  const QPointF local = target.mapFromGlobal(QPointF(global));
  QMouseEvent event(type, local, QPointF(global),
                    type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(&target, &event);
}

TEST(SkinnedWindow, LeftPressOnTheSurfaceDragsTheWindow) {
  QWidget window;
  window.setGeometry(100, 100, 200, 150);
  auto* button = new QPushButton(&window);
  button->setGeometry(10, 10, 40, 20);
  auto* dragger = new ui::WindowDragger(window);
  const QPoint start = window.pos() + QPoint(120, 80);
  Send(window, QEvent::MouseButtonPress, start, Qt::LeftButton);
  EXPECT_TRUE(dragger->IsDragging());
  Send(window, QEvent::MouseMove, start + QPoint(30, 20), Qt::LeftButton);
  EXPECT_EQ(window.pos(), QPoint(130, 120));
  Send(window, QEvent::MouseButtonRelease, start + QPoint(30, 20), Qt::NoButton);
  EXPECT_FALSE(dragger->IsDragging());
  Send(window, QEvent::MouseMove, start + QPoint(60, 60), Qt::NoButton);
  EXPECT_EQ(window.pos(), QPoint(130, 120));
  // A press on a control is the control's, not a drag.
  Send(*button, QEvent::MouseButtonPress, window.pos() + QPoint(20, 15), Qt::LeftButton);
  EXPECT_FALSE(dragger->IsDragging());
}

}  // namespace
