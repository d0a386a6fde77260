#include "ui/common/testing/solid_bitmap_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>

#include "ui/common/skin_loader.h"

namespace ui::testing {

SolidBitmapFolder::SolidBitmapFolder() {
  SetSkinBaseFolder(m_dir.path());
}

SolidBitmapFolder::~SolidBitmapFolder() {
  SetSkinBaseFolder(QString());
}

bool SolidBitmapFolder::Add(const QString& skinPath, int width, int height, const QColor& colour) {
  QString relative = skinPath;
  relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
  const QString file = QDir(m_dir.path()).filePath(relative);
  QDir().mkpath(QFileInfo(file).path());
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(colour);
  return image.save(file, "BMP");
}

QColor PixelOf(QWidget& widget, int x, int y) {
  const QImage image = widget.grab().toImage();
  if (!image.valid(x, y))
    return {};
  return image.pixelColor(x, y);
}

}  // namespace ui::testing
