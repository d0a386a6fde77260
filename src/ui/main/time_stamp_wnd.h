// CTimeStampWnd: the 120 x 20 box just above the main window's status strip that shows the date
// and time the stream's packet headers carry, in the skins whose strip does not show it. A child
// of the main window, so it follows the window; it lets the mouse through, so a press on it
// drags the main window as a press on the window's own surface does.
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <optional>

class CTimeStampWnd : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kWidth = 120;
  static constexpr int kHeight = 20;

  explicit CTimeStampWnd(QWidget* parent);

  // The text the box draws now: none in the full-size skins (bitmap set 1 or 3), none without a
  // header for the AV option or while the header has no time stamp.
  static std::optional<QString> CurrentText();
  QString Text() const { return CurrentText().value_or(QString()); }

  // The box's look, the status strip's: its paper, its rim and its ink.
  static QColor PaperColour();
  static QColor BorderColour();
  static QColor InkColour();

 protected:
  void paintEvent(QPaintEvent* event) override;
};
