// CClockST: a control that shows the local date and time with digit bitmaps, updated once a
// second. The update runs from a timer on the GUI thread: when the time has changed it composes
// the picture (the digits copied onto the background) and asks for a repaint; the paint only
// draws that picture.
#pragma once

#include <QDateTime>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>

// Resource ids of the clock's bitmaps, as its host passes them.
inline constexpr int IDB_CLOCK_LARGE_DIGITS = 322;
inline constexpr int IDB_CLOCK_BACKGROUND = 323;
inline constexpr int IDB_CLOCK_SMALL_DIGITS = 324;

// The 14 digits the clock shows: [0..1] hour, [2..3] minute, [4..5] second, [6..9] year,
// [10..11] month, [12..13] day.
using ClockDigits = std::array<std::uint8_t, 14>;
ClockDigits MakeClockDigits(const QDateTime& time);

// The clock's bitmap of a resource id; a null image for an unknown id. The digits are drawn as
// seven-segment figures: large 24 x 34 and small 12 x 17 per digit, ten digits side by side.
QImage LoadClockBitmap(int resourceId);

class CClockST : public QWidget {
  Q_OBJECT

 public:
  using TimeSource = std::function<QDateTime()>;
  using BitmapSource = std::function<QImage(int resourceId)>;

  explicit CClockST(QWidget* parent = nullptr);
  ~CClockST() override;

  // 0 on success (also, doing nothing, when the clock already runs), 1 when a bitmap does not
  // load. The control takes the background's size at rect's position.
  int Create(int backgroundId, int largeDigitsId, int smallDigitsId, const QRect& rect,
             QWidget* parent);
  bool IsRunning() const { return m_timer.isActive(); }
  const ClockDigits& Digits() const { return m_digits; }

  // Tests and the gallery set the time and the bitmaps; the default is the local time and
  // LoadClockBitmap.
  void SetTimeSource(TimeSource source) { m_now = std::move(source); }
  void SetBitmapSource(BitmapSource source) { m_bitmaps = std::move(source); }
  // One update as the timer makes it.
  void Update();
  // The picture the control paints now (null before a successful Create).
  const QImage& Picture() const { return m_picture; }
  // A new picture of the current digits on the background (the update's work).
  QImage Compose() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void Release();

  QTimer m_timer;
  TimeSource m_now;
  BitmapSource m_bitmaps;
  QImage m_background;
  QImage m_largeDigits;
  QImage m_smallDigits;
  ClockDigits m_digits{};
  QImage m_picture;
};
