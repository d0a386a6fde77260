// Shared support of the window tests: a QApplication on the offscreen platform for the whole
// test program, folders of fixture bitmaps with one solid colour each, and pixel probes of
// grabbed widgets.
#pragma once

#include <QColor>
#include <QString>
#include <QTemporaryDir>
#include <QWidget>

namespace ui::testing {

// A temporary program folder with BMP/ fixture bitmaps, made the skin base folder for the
// fixture's lifetime.
class SolidBitmapFolder {
 public:
  SolidBitmapFolder();
  ~SolidBitmapFolder();
  SolidBitmapFolder(const SolidBitmapFolder&) = delete;
  SolidBitmapFolder& operator=(const SolidBitmapFolder&) = delete;

  // Writes skinPath ("BMP\x.bmp") as a width x height bitmap of one colour.
  void Add(const QString& skinPath, int width, int height, const QColor& colour);
  QString Path() const { return m_dir.path(); }

 private:
  QTemporaryDir m_dir;
};

// The colour of pixel (x, y) of the widget as it paints now.
QColor PixelOf(QWidget& widget, int x, int y);

}  // namespace ui::testing
