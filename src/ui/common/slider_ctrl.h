// A horizontal slider that reports every move to its owner the way a trackbar notifies its
// dialog: a notification code with a position. Its keys are a trackbar's: Left and Up move a
// line towards the minimum, Right and Down a line towards the maximum, PageUp a page towards the
// minimum, PageDown a page towards the maximum, Home and End to the ends; letting go of a key or
// of the thumb ends the move. A click in the groove beside the thumb pages towards the click.
//
// Line, Home/End and thumb moves change the position first and then notify with it. A page move
// only notifies, with the position as it stood: the owner moves the value by the page size, so
// that one press moves it by one page.
#pragma once

#include <QSlider>
#include <functional>

namespace ui {

class CSliderCtrl : public QSlider {
  Q_OBJECT

 public:
  // The notification codes.
  enum Code : int {
    kLineUp = 0,         // a line towards the minimum
    kLineDown = 1,       // a line towards the maximum
    kPageUp = 2,         // a page towards the minimum
    kPageDown = 3,       // a page towards the maximum
    kThumbPosition = 4,  // the thumb was let go at the position
    kThumbTrack = 5,     // the thumb is being dragged to the position
    kTop = 6,            // the minimum
    kBottom = 7,         // the maximum
    kEndScroll = 8,      // the key or the thumb was let go
  };
  // Called with the code and the position: the slider's position after a line, Home/End or thumb
  // move, its unchanged position for a page code.
  using Notify = std::function<void(int code, int position)>;

  explicit CSliderCtrl(QWidget* parent = nullptr);

  void SetNotify(Notify notify) { m_notify = std::move(notify); }
  int GetPos() const { return sliderPosition(); }
  // Moves the slider without a notification.
  void SetPos(int position) { setValue(position); }
  int GetPageSize() const { return pageStep(); }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;

 private:
  void OnAction(int action);
  void Send(int code, int position);

  Notify m_notify;
};

}  // namespace ui
