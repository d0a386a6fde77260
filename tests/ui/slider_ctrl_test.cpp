// The slider's notifications: the code and position each trackbar key, the thumb, a click in
// the groove and the wheel report, and what each leaves the slider at.
#include "ui/common/slider_ctrl.h"

#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QWheelEvent>
#include <utility>
#include <vector>

#include "gui_test_support.h"

namespace {

using Code = ui::CSliderCtrl::Code;
using Notes = std::vector<std::pair<int, int>>;  // code, position

class SliderCtrlTest : public ::testing::Test {
 protected:
  SliderCtrlTest() {
    slider.setGeometry(0, 0, 150, 20);
    slider.setRange(0, 255);
    slider.setPageStep(10);
    slider.SetNotify([this](int code, int position) { notes.emplace_back(code, position); });
    slider.show();
  }
  // The centre of the thumb, as the style places it.
  QPoint Thumb() const {
    QStyleOptionSlider opt;
    opt.initFrom(&slider);
    opt.orientation = slider.orientation();
    opt.minimum = slider.minimum();
    opt.maximum = slider.maximum();
    opt.sliderPosition = slider.sliderPosition();
    opt.sliderValue = slider.value();
    opt.singleStep = slider.singleStep();
    opt.pageStep = slider.pageStep();
    opt.subControls = QStyle::SC_All;
    return slider.style()
        ->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, &slider)
        .center();
  }

  ui::CSliderCtrl slider;
  Notes notes;
};

TEST_F(SliderCtrlTest, TheKeysNotifyTheirCodes) {
  const struct {
    Qt::Key key;
    int start;
    int code;
    int position;  // notified, and where the slider then stands
  } cases[] = {
      {Qt::Key_Left, 100, Code::kLineUp, 99},     {Qt::Key_Up, 100, Code::kLineUp, 99},
      {Qt::Key_Right, 100, Code::kLineDown, 101}, {Qt::Key_Down, 100, Code::kLineDown, 101},
      {Qt::Key_PageUp, 100, Code::kPageUp, 100},  {Qt::Key_PageDown, 250, Code::kPageDown, 250},
      {Qt::Key_Home, 100, Code::kTop, 0},         {Qt::Key_End, 100, Code::kBottom, 255},
      {Qt::Key_Left, 0, Code::kLineUp, 0},        {Qt::Key_End, 255, Code::kBottom, 255},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.key << " at " << c.start);
    slider.SetPos(c.start);
    notes.clear();
    QTest::keyPress(&slider, c.key);
    EXPECT_EQ(notes, (Notes{{c.code, c.position}}));
    EXPECT_EQ(slider.GetPos(), c.position);
    EXPECT_EQ(slider.value(), c.position);
    QTest::keyRelease(&slider, c.key);
    EXPECT_EQ(notes, (Notes{{c.code, c.position}, {Code::kEndScroll, c.position}}));
  }
  // Other keys and SetPos notify nothing.
  notes.clear();
  QTest::keyClick(&slider, Qt::Key_A);
  slider.SetPos(7);
  EXPECT_TRUE(notes.empty());
  EXPECT_EQ(slider.GetPageSize(), 10);
}

TEST_F(SliderCtrlTest, TheThumbTracksAndIsLetGo) {
  slider.SetPos(128);
  const QPoint from = Thumb();
  QTest::mousePress(&slider, Qt::LeftButton, {}, from);
  QTest::mouseMove(&slider, from + QPoint(30, 0));
  ASSERT_FALSE(notes.empty());
  const int dragged = slider.GetPos();
  EXPECT_GT(dragged, 128);
  EXPECT_EQ(notes.back(), std::make_pair(int{Code::kThumbTrack}, dragged));
  notes.clear();
  QTest::mouseRelease(&slider, Qt::LeftButton, {}, from + QPoint(30, 0));
  EXPECT_EQ(notes, (Notes{{Code::kThumbPosition, dragged}, {Code::kEndScroll, dragged}}));
}

TEST_F(SliderCtrlTest, AClickBesideTheThumbPagesAndTheWheelMovesByLines) {
  slider.SetPos(128);
  QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(145, 10));
  QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(145, 10));
  ASSERT_FALSE(notes.empty());
  EXPECT_EQ(notes.front(), std::make_pair(int{Code::kPageDown}, 128));
  EXPECT_EQ(slider.GetPos(), 128);  // the owner moves it
  notes.clear();
  QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(3, 10));
  QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(3, 10));
  ASSERT_FALSE(notes.empty());
  EXPECT_EQ(notes.front(), std::make_pair(int{Code::kPageUp}, 128));

  notes.clear();
  QWheelEvent wheel(QPointF(75, 10), slider.mapToGlobal(QPointF(75, 10)), QPoint(), QPoint(0, 120),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(&slider, &wheel);
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_EQ(notes[0].first, int{Code::kLineDown});
  EXPECT_GT(notes[0].second, 128);
  EXPECT_EQ(slider.GetPos(), notes[0].second);
}

}  // namespace
