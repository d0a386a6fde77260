// Test support for windows: a temporary program folder of fixture skin bitmaps with one solid
// colour each (made the skin base folder while it lives), and pixel probes of grabbed widgets.
#pragma once

#include <QColor>
#include <QString>
#include <QTemporaryDir>
#include <QWidget>

namespace ui::testing {

class SolidBitmapFolder {
 public:
  SolidBitmapFolder();
  ~SolidBitmapFolder();
  SolidBitmapFolder(const SolidBitmapFolder&) = delete;
  SolidBitmapFolder& operator=(const SolidBitmapFolder&) = delete;

  // Writes skinPath ("BMP\x.bmp") as a width x height bitmap of one colour; false when it
  // could not be written.
  bool Add(const QString& skinPath, int width, int height, const QColor& colour);
  QString Path() const { return m_dir.path(); }

 private:
  QTemporaryDir m_dir;
};

// The colour of pixel (x, y) of the widget as it paints now (invalid outside the widget).
QColor PixelOf(QWidget& widget, int x, int y);

}  // namespace ui::testing
