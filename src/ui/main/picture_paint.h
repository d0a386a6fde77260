// Paints a handed-over picture (rows bottom-up, blue-green-red) on the GUI thread. Where the
// painter draws on a 32-bit raster image without scaling (the window's backing store, or a grab
// of the window), the picture's rows are converted straight into that image inside the clip:
// one pass over the picture, instead of a conversion into an image of its own and a copy of
// that. Anywhere else it is converted into an image once per picture and drawn with drawImage.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <cstdint>

#include "ui/main/frame_handoff.h"

class QPainter;

namespace mainwin {

class PicturePainter {
 public:
  // Draws `frame` with its top-left corner at `at` (logical coordinates), inside `clip` and
  // inside the painter's clip.
  void Paint(QPainter& painter, QPoint at, const ShownFrame& frame, const QRect& clip);

  // How the last picture was painted: true when straight into the painter's image.
  bool LastPaintWasDirect() const { return m_lastDirect; }

 private:
  bool PaintDirect(QPainter& painter, QPoint at, const ShownFrame& frame, const QRect& clip);
  void PaintConverted(QPainter& painter, QPoint at, const ShownFrame& frame, const QRect& clip);

  QImage m_converted;  // the picture m_convertedFrame/m_convertedSerial named, as 32-bit pixels
  const ShownFrame* m_convertedFrame = nullptr;
  std::uint32_t m_convertedSerial = 0;
  bool m_lastDirect = false;
};

}  // namespace mainwin
