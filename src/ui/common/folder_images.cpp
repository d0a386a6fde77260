#include "ui/common/folder_images.h"

#include <QBitmap>
#include <QPainter>
#include <QPainterPath>
#include <array>
#include <functional>

namespace ui {
namespace {

// The palette of the strip (never pure white inside an image: white is the mask).
const QColor kFolderFill(0xF2, 0xC2, 0x4E);
const QColor kFolderFront(0xF8, 0xD8, 0x7A);
const QColor kFolderLine(0x9A, 0x6A, 0x12);
const QColor kMetal(0xB9, 0xC2, 0xCC);
const QColor kMetalDark(0x5C, 0x68, 0x75);
const QColor kLed(0x2E, 0xB8, 0x4A);
const QColor kNetBlue(0x3D, 0x7C, 0xC9);
const QColor kNetDark(0x1F, 0x4E, 0x8A);
const QColor kScreen(0x9F, 0xD0, 0xF5);
const QColor kPaper(0xF4, 0xF6, 0xF8);

using Draw = std::function<void(QPainter&)>;

void Folder(QPainter& p, bool open) {
  QPainterPath back;
  back.moveTo(1.5, 3.5);
  back.lineTo(6.5, 3.5);
  back.lineTo(8, 5);
  back.lineTo(15.5, 5);
  back.lineTo(15.5, 14.5);
  back.lineTo(1.5, 14.5);
  back.closeSubpath();
  p.setPen(QPen(kFolderLine, 1));
  p.setBrush(kFolderFill);
  p.drawPath(back);
  if (open) {
    QPainterPath front;
    front.moveTo(1.5, 14.5);
    front.lineTo(4, 8);
    front.lineTo(16.5, 8);
    front.lineTo(14, 14.5);
    front.closeSubpath();
    p.setBrush(kFolderFront);
    p.drawPath(front);
  } else {
    p.setPen(QPen(kFolderFront, 1));
    p.drawLine(QPointF(2.5, 6.5), QPointF(14.5, 6.5));
  }
}

void DriveBody(QPainter& p) {
  p.setPen(QPen(kMetalDark, 1));
  p.setBrush(kMetal);
  p.drawRoundedRect(QRectF(1.5, 5.5, 14, 7), 1.5, 1.5);
}

void Led(QPainter& p, const QColor& colour) {
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  p.drawEllipse(QRectF(12, 8, 2, 2));
}

void Monitor(QPainter& p, const QRectF& box) {
  p.setPen(QPen(kMetalDark, 1));
  p.setBrush(kScreen);
  p.drawRect(box);
  p.drawLine(QPointF(box.center().x(), box.bottom()),
             QPointF(box.center().x(), box.bottom() + 1.5));
}

void Globe(QPainter& p, const QColor& fill) {
  p.setPen(QPen(kNetDark, 1));
  p.setBrush(fill);
  p.drawEllipse(QRectF(2.5, 1.5, 12, 12));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QRectF(5.5, 1.5, 6, 12));
  p.drawLine(QPointF(2.5, 7.5), QPointF(14.5, 7.5));
}

void Cable(QPainter& p) {
  p.setPen(QPen(kNetDark, 1));
  p.drawLine(QPointF(8.5, 12.5), QPointF(8.5, 15));
  p.drawLine(QPointF(3, 15), QPointF(14, 15));
}

const std::array<Draw, kFolderImageCount>& Images() {
  static const std::array<Draw, kFolderImageCount> images = {{
      [](QPainter& p) { Folder(p, false); },
      [](QPainter& p) { Folder(p, true); },
      [](QPainter& p) {  // removable: a drive with its slot
        DriveBody(p);
        p.setPen(QPen(kMetalDark, 1));
        p.drawLine(QPointF(3.5, 8.5), QPointF(9.5, 8.5));
        Led(p, kLed);
      },
      [](QPainter& p) {  // fixed
        DriveBody(p);
        p.setPen(QPen(kMetalDark, 1));
        p.drawLine(QPointF(3.5, 10.5), QPointF(9.5, 10.5));
        Led(p, kLed);
      },
      [](QPainter& p) {  // remote: a drive on a cable
        p.setPen(QPen(kMetalDark, 1));
        p.setBrush(kMetal);
        p.drawRoundedRect(QRectF(1.5, 3.5, 14, 7), 1.5, 1.5);
        Led(p, kNetBlue);
        Cable(p);
      },
      [](QPainter& p) {  // CD-ROM: a disc
        p.setPen(QPen(kMetalDark, 1));
        p.setBrush(kMetal);
        p.drawEllipse(QRectF(2, 1.5, 13, 13));
        p.setBrush(kScreen);
        p.drawEllipse(QRectF(6.5, 6, 4, 4));
      },
      [](QPainter& p) {  // RAM disk: a chip
        p.setPen(QPen(kMetalDark, 1));
        for (int x = 4; x <= 13; x += 3) {
          p.drawLine(QPointF(x + 0.5, 2), QPointF(x + 0.5, 4));
          p.drawLine(QPointF(x + 0.5, 12), QPointF(x + 0.5, 14));
        }
        p.setBrush(QColor(0x3A, 0x44, 0x50));
        p.drawRect(QRectF(2.5, 4.5, 12, 7));
      },
      [](QPainter& p) { Globe(p, kNetBlue); },  // network, generic
      [](QPainter& p) {                         // domain: two computers
        Monitor(p, QRectF(1.5, 2.5, 7, 5));
        Monitor(p, QRectF(8.5, 7.5, 7, 5));
      },
      [](QPainter& p) {  // server: a tower
        p.setPen(QPen(kMetalDark, 1));
        p.setBrush(kMetal);
        p.drawRect(QRectF(4.5, 1.5, 8, 13));
        p.drawLine(QPointF(6, 4.5), QPointF(11, 4.5));
        p.drawLine(QPointF(6, 6.5), QPointF(11, 6.5));
        Led(p, kLed);
      },
      [](QPainter& p) {  // share: a folder on a cable
        Folder(p, false);
        Cable(p);
      },
      [](QPainter& p) {  // file: a page
        QPainterPath page;
        page.moveTo(3.5, 1.5);
        page.lineTo(10.5, 1.5);
        page.lineTo(13.5, 4.5);
        page.lineTo(13.5, 14.5);
        page.lineTo(3.5, 14.5);
        page.closeSubpath();
        p.setPen(QPen(kMetalDark, 1));
        p.setBrush(kPaper);
        p.drawPath(page);
        p.drawLine(QPointF(10.5, 1.5), QPointF(10.5, 4.5));
        p.drawLine(QPointF(10.5, 4.5), QPointF(13.5, 4.5));
      },
      [](QPainter& p) {  // group: three computers
        Monitor(p, QRectF(0.5, 1.5, 6, 4));
        Monitor(p, QRectF(10.5, 1.5, 6, 4));
        Monitor(p, QRectF(5.5, 9.5, 6, 4));
      },
      [](QPainter& p) { Globe(p, kScreen); },  // network
      [](QPainter& p) {                        // root: a globe on a cable
        Globe(p, kNetBlue);
        Cable(p);
      },
  }};
  return images;
}

}  // namespace

QPixmap FolderImageStrip() {
  static const QPixmap strip = [] {
    QPixmap pixmap(kFolderImageWidth * kFolderImageCount, kFolderImageHeight);
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < kFolderImageCount; ++i) {
      painter.save();
      painter.translate(i * kFolderImageWidth, 0);
      painter.setClipRect(0, 0, kFolderImageWidth, kFolderImageHeight);
      Images()[static_cast<std::size_t>(i)](painter);
      painter.restore();
    }
    return pixmap;
  }();
  return strip;
}

QIcon FolderImage(int index) {
  if (index < 0 || index >= kFolderImageCount)
    return {};
  QPixmap image =
      FolderImageStrip().copy(index * kFolderImageWidth, 0, kFolderImageWidth, kFolderImageHeight);
  image.setMask(image.createMaskFromColor(Qt::white, Qt::MaskInColor));
  return QIcon(image);
}

}  // namespace ui
