// The image-adjust dialog's sliders driven by the keys and the mouse: each notification moves
// the value as the dialog's table says, and the edit follows.
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QTimer>
#include <functional>

#include "main_window_fixture.h"
#include "ui/common/slider_ctrl.h"
#include "ui/main/image_adjust_dlg.h"

namespace main_window_test {
namespace {

class ImageAdjustKeysTest : public MainWindowTest {
 protected:
  // Runs the dialog with the starting values; body acts on it once it shows.
  void Run(std::array<int, 4> initial, const std::function<void(CImageAdjustDlg&)>& body) {
    CImageAdjustDlg dialog;
    dialog.m_nInitial = initial;
    QTimer::singleShot(0, &dialog, [&dialog, &body] {
      body(dialog);
      dialog.EndDialog(ui::IDCANCEL);
    });
    dialog.DoModal();
  }
  static QPoint Thumb(const ui::CSliderCtrl& slider) {
    QStyleOptionSlider opt;
    opt.initFrom(&slider);
    opt.orientation = slider.orientation();
    opt.minimum = slider.minimum();
    opt.maximum = slider.maximum();
    opt.sliderPosition = slider.sliderPosition();
    opt.sliderValue = slider.value();
    opt.subControls = QStyle::SC_All;
    return slider.style()
        ->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, &slider)
        .center();
  }
};

TEST_F(ImageAdjustKeysTest, EachKeyMovesTheValueByItsCode) {
  const struct {
    Qt::Key key;
    int start;
    int value;
  } cases[] = {
      {Qt::Key_Left, 100, 99},       // line up (0): the slider's position
      {Qt::Key_Up, 100, 99},         //
      {Qt::Key_Right, 100, 101},     // line down (1)
      {Qt::Key_Down, 100, 101},      //
      {Qt::Key_PageUp, 100, 90},     // page up (2): position - page size
      {Qt::Key_PageUp, 5, 0},        //   kept at 0
      {Qt::Key_PageDown, 100, 110},  // page down (3): position + page size
      {Qt::Key_PageDown, 250, 255},  //   kept at 255
      {Qt::Key_Home, 100, 0},        // top (6)
      {Qt::Key_End, 100, 255},       // bottom (7)
  };
  Run({10, 20, 30, 40}, [&](CImageAdjustDlg& dialog) {
    for (const auto& c : cases) {
      SCOPED_TRACE(testing::Message() << c.key << " at " << c.start);
      for (int row = 0; row < 4; ++row) {
        ui::CSliderCtrl* slider = dialog.Slider(row);
        dialog.Edit(row)->setText(QString::number(c.start));
        ASSERT_EQ(slider->value(), c.start);
        // The key's release (end of the move, 8) leaves the value.
        QTest::keyClick(slider, c.key);
        EXPECT_EQ(slider->value(), c.value) << row;
        EXPECT_EQ(dialog.Edit(row)->text(), QString::number(c.value)) << row;
        EXPECT_EQ(dialog.m_nValue[static_cast<std::size_t>(row)], c.value) << row;
      }
    }
  });
}

TEST_F(ImageAdjustKeysTest, TheThumbDraggedAndLetGoTakesItsPosition) {
  Run({128, 128, 128, 128}, [&](CImageAdjustDlg& dialog) {
    ui::CSliderCtrl* slider = dialog.Slider(2);
    const QPoint from = Thumb(*slider);
    QTest::mousePress(slider, Qt::LeftButton, {}, from);
    QTest::mouseMove(slider, from + QPoint(40, 0));  // thumb track (5)
    const int dragged = slider->value();
    EXPECT_GT(dragged, 128);
    EXPECT_EQ(dialog.Edit(2)->text(), QString::number(dragged));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, from + QPoint(40, 0));  // position (4)
    EXPECT_EQ(slider->value(), dragged);
    EXPECT_EQ(dialog.m_nValue, (std::array<int, 4>{128, 128, dragged, 128}));
  });
}

}  // namespace
}  // namespace main_window_test
