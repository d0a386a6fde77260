#include "ui/main/picture_paint.h"

#include <QPaintEngine>
#include <QPainter>
#include <QRegion>
#include <QTransform>
#include <cmath>

namespace mainwin {

namespace {

// Images whose opaque pixels are 0xFFRRGGBB words.
bool TakesOpaqueWords(QImage::Format format) {
  return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
         format == QImage::Format_ARGB32_Premultiplied;
}

// The raster image the painter writes to, when it writes to one of 32-bit words.
QImage* TargetImage(QPainter& painter) {
  QPaintEngine* engine = painter.paintEngine();
  if (engine == nullptr || engine->type() != QPaintEngine::Raster)
    return nullptr;
  QPaintDevice* device = engine->paintDevice();
  if (device == nullptr || device->devType() != QInternal::Image)
    return nullptr;
  auto* image = static_cast<QImage*>(device);
  return TakesOpaqueWords(image->format()) && !image->isNull() ? image : nullptr;
}

}  // namespace

void PicturePainter::Paint(QPainter& painter, QPoint at, const ShownFrame& frame,
                           const QRect& clip) {
  if (frame.width <= 0 || frame.height <= 0 ||
      frame.picture.size() <
          static_cast<std::size_t>(frame.width) * static_cast<std::size_t>(frame.height) * 3) {
    return;
  }
  m_lastDirect = PaintDirect(painter, at, frame, clip);
  if (!m_lastDirect)
    PaintConverted(painter, at, frame, clip);
}

bool PicturePainter::PaintDirect(QPainter& painter, QPoint at, const ShownFrame& frame,
                                 const QRect& clip) {
  QImage* target = TargetImage(painter);
  if (target == nullptr)
    return false;
  // Logical to image pixels by whole-pixel offsets only; anything else is drawn by Qt.
  const QTransform toDevice = painter.deviceTransform();
  if (toDevice.type() > QTransform::TxTranslate)
    return false;
  const double dx = toDevice.dx();
  const double dy = toDevice.dy();
  if (dx != std::floor(dx) || dy != std::floor(dy) || std::abs(dx) > 1e6 || std::abs(dy) > 1e6)
    return false;
  const QPoint offset(static_cast<int>(dx), static_cast<int>(dy));

  QRegion area(QRect(at, frame.Size()).intersected(clip));
  if (painter.hasClipping())
    area &= painter.clipRegion();
  area.translate(offset);
  const QRegion system = painter.paintEngine()->systemClip();
  if (!system.isEmpty())
    area &= system;
  area &= target->rect();
  if (area.isEmpty())
    return true;

  // The image's rows through one pointer (bits() detaches a shared image once, here).
  std::uint8_t* const rows = target->bits();
  const auto rowBytes = static_cast<std::size_t>(target->bytesPerLine());
  const std::size_t stride = static_cast<std::size_t>(frame.width) * 3;
  const QPoint origin = at + offset;  // the picture's top-left pixel in the image
  for (const QRect& part : area) {
    const int column = part.left() - origin.x();
    for (int y = part.top(); y <= part.bottom(); ++y) {
      const int pictureRow = frame.height - 1 - (y - origin.y());
      const std::uint8_t* source = frame.picture.data() +
                                   stride * static_cast<std::size_t>(pictureRow) +
                                   static_cast<std::size_t>(column) * 3;
      auto* destination =
          reinterpret_cast<std::uint32_t*>(rows + rowBytes * static_cast<std::size_t>(y)) +
          part.left();
      ConvertBgrRow(source, destination, part.width());
    }
  }
  return true;
}

void PicturePainter::PaintConverted(QPainter& painter, QPoint at, const ShownFrame& frame,
                                    const QRect& clip) {
  if (m_convertedFrame != &frame || m_convertedSerial != frame.serial || m_converted.isNull()) {
    if (!ConvertBottomUpBgr(frame.picture, frame.width, frame.height, m_converted))
      return;
    m_convertedFrame = &frame;
    m_convertedSerial = frame.serial;
  }
  painter.save();
  painter.setClipRect(clip, Qt::IntersectClip);
  painter.drawImage(at, m_converted);
  painter.restore();
}

}  // namespace mainwin
