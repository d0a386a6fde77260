#include "ui/common/slider_ctrl.h"

#include <QKeyEvent>

namespace ui {
namespace {

// The action a trackbar key stands for; SliderNoAction for any other key.
QAbstractSlider::SliderAction KeyAction(int key) {
  switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Up:
      return QAbstractSlider::SliderSingleStepSub;
    case Qt::Key_Right:
    case Qt::Key_Down:
      return QAbstractSlider::SliderSingleStepAdd;
    case Qt::Key_PageUp:
      return QAbstractSlider::SliderPageStepSub;
    case Qt::Key_PageDown:
      return QAbstractSlider::SliderPageStepAdd;
    case Qt::Key_Home:
      return QAbstractSlider::SliderToMinimum;
    case Qt::Key_End:
      return QAbstractSlider::SliderToMaximum;
    default:
      return QAbstractSlider::SliderNoAction;
  }
}

}  // namespace

CSliderCtrl::CSliderCtrl(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
  // Keys, clicks in the groove and the wheel all arrive here before the value follows.
  connect(this, &QAbstractSlider::actionTriggered, this, &CSliderCtrl::OnAction);
  connect(this, &QAbstractSlider::sliderReleased, this, [this] {
    Send(kThumbPosition, GetPos());
    Send(kEndScroll, GetPos());
  });
}

void CSliderCtrl::keyPressEvent(QKeyEvent* event) {
  const SliderAction action = KeyAction(event->key());
  if (action == SliderNoAction) {
    QSlider::keyPressEvent(event);
    return;
  }
  triggerAction(action);
  event->accept();
}

void CSliderCtrl::keyReleaseEvent(QKeyEvent* event) {
  if (KeyAction(event->key()) == SliderNoAction || event->isAutoRepeat()) {
    QSlider::keyReleaseEvent(event);
    return;
  }
  Send(kEndScroll, GetPos());
  event->accept();
}

void CSliderCtrl::OnAction(int action) {
  // The slider's position has moved for the action; its value has not yet.
  const int before = value();
  switch (action) {
    case SliderSingleStepSub:
      Send(kLineUp, GetPos());
      break;
    case SliderSingleStepAdd:
      Send(kLineDown, GetPos());
      break;
    case SliderPageStepSub:
    case SliderPageStepAdd:
      // The owner moves the value by the page from where it stood.
      setSliderPosition(before);
      Send(action == SliderPageStepSub ? kPageUp : kPageDown, before);
      break;
    case SliderToMinimum:
      Send(kTop, GetPos());
      break;
    case SliderToMaximum:
      Send(kBottom, GetPos());
      break;
    case SliderMove:
      if (isSliderDown()) {
        Send(kThumbTrack, GetPos());
      } else if (GetPos() != before) {
        // The wheel moves by lines.
        Send(GetPos() < before ? kLineUp : kLineDown, GetPos());
      }
      break;
    default:
      break;
  }
}

void CSliderCtrl::Send(int code, int position) {
  if (m_notify)
    m_notify(code, position);
}

}  // namespace ui
