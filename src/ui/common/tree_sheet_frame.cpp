#include "ui/common/tree_sheet_frame.h"

#include <QFontDatabase>
#include <QPainter>
#include <QPalette>

void CTreeSheetFrame::SetCaptionShown(bool shown) {
  m_bShowCaption = shown;
  InvalidatePart(GetCaptionRect());
}

void CTreeSheetFrame::SetCaptionHeight(int height) {
  m_nCaptionHeight = height;
  InvalidatePart(GetCaptionRect());
}

void CTreeSheetFrame::SetCaption(const QString& text, const QIcon& icon) {
  m_strCaption = text;
  m_hCaptionIcon = icon;
  InvalidatePart(GetCaptionRect());
}

void CTreeSheetFrame::SetMsgText(const QString& text) {
  m_strMsg = text;
  InvalidatePart(GetMsgRect());
}

void CTreeSheetFrame::SetMsgFormat(unsigned format) {
  m_dwMsgFormat = format;
  InvalidatePart(GetMsgRect());
}

void CTreeSheetFrame::DrawFrame(QPainter& painter) {
  if (m_bShowCaption)
    DrawCaptionBar(painter, GetCaptionRect(), m_strCaption, m_hCaptionIcon);
  DrawMsgText(painter, GetMsgRect(), m_strMsg);
}

QRect CTreeSheetFrame::GetMsgRect() const {
  return {};
}

QRect CTreeSheetFrame::GetCaptionRect() const {
  return {};
}

void CTreeSheetFrame::DrawMsgText(QPainter& painter, const QRect& rect, const QString& text) {
  painter.save();
  painter.setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
  int flags = 0;
  flags |= (m_dwMsgFormat & DT_CENTER) ? Qt::AlignHCenter : Qt::AlignLeft;
  flags |= (m_dwMsgFormat & DT_VCENTER) ? Qt::AlignVCenter : Qt::AlignTop;
  if (m_dwMsgFormat & DT_SINGLELINE)
    flags |= Qt::TextSingleLine;
  painter.setPen(QPalette().color(QPalette::WindowText));
  painter.drawText(rect, flags, text);
  painter.restore();
}

void CTreeSheetFrame::DrawCaptionBar(QPainter&, const QRect&, const QString&, const QIcon&) {}

void CTreeSheetFrame::InvalidatePart(const QRect& part) {
  if (QWidget* wnd = GetWnd())
    wnd->update(part);
}

QColor CaptionGradientColour(const QColor& start, const QColor& end, int width, int column) {
  if (width <= 0)
    return start;
  const auto channel = [&](int a, int b) {
    const double step = static_cast<double>(b - a) / width;
    return static_cast<int>(a + step * column);
  };
  return QColor(std::clamp(channel(start.red(), end.red()), 0, 255),
                std::clamp(channel(start.green(), end.green()), 0, 255),
                std::clamp(channel(start.blue(), end.blue()), 0, 255));
}

CTreeSheetFrameWnd::CTreeSheetFrameWnd(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Page Frame"));
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Button);
}

CTreeSheetFrameWnd::~CTreeSheetFrameWnd() = default;

bool CTreeSheetFrameWnd::Create(const QRect& rect, QWidget* parent, int id) {
  if (parent != nullptr)
    setParent(parent);
  m_id = id;
  setGeometry(rect);
  show();
  return true;
}

void CTreeSheetFrameWnd::SetCaption(const QString& text, const QIcon& icon) {
  m_iconImage = QPixmap();
  m_iconSize = QSize();
  if (!icon.isNull()) {
    const QList<QSize> sizes = icon.availableSizes();
    const QSize size = sizes.isEmpty() ? QSize(16, 16) : sizes.front();
    m_iconImage = icon.pixmap(size);
    if (!m_iconImage.isNull())
      m_iconSize = size;
  }
  CTreeSheetFrame::SetCaption(text, icon);
}

QRect CTreeSheetFrameWnd::GetCaptionRect() const {
  QRect r = rect();
  r.setHeight(m_bShowCaption ? m_nCaptionHeight : 0);
  return r;
}

QRect CTreeSheetFrameWnd::GetMsgRect() const {
  QRect r = rect();
  if (m_bShowCaption)
    r.setTop(r.top() + m_nCaptionHeight + 1);
  return r;
}

int CTreeSheetFrameWnd::CaptionTextLeft() const {
  const QRect r = GetCaptionRect();
  int left = r.left();
  if (!m_iconImage.isNull())
    left += 3 + m_iconSize.width();
  return left + 2;
}

void CTreeSheetFrameWnd::DrawCaptionBar(QPainter& painter, const QRect& rect, const QString& text,
                                        const QIcon&) {
  // Qt rectangles hold their right edge; the column count matches the frame's width.
  const int width = rect.width();
  if (width <= 0 || rect.height() <= 0)
    return;
  const QColor start = palette().color(QPalette::Active, QPalette::Highlight);
  // The end colour is what the frame shows at its top right: its background.
  const QColor end = palette().color(backgroundRole());
  for (int x = 0; x < width; ++x) {
    painter.setPen(CaptionGradientColour(start, end, width, x));
    painter.drawLine(rect.left() + x, rect.top(), rect.left() + x, rect.bottom());
  }
  int textLeft = rect.left();
  if (!m_iconImage.isNull()) {
    const int y = rect.center().y() - m_iconSize.height() / 2;
    painter.drawPixmap(rect.left() + 3, y, m_iconImage);
    textLeft += 3 + m_iconSize.width();
  }
  textLeft += 2;
  painter.save();
  painter.setPen(palette().color(QPalette::Active, QPalette::HighlightedText));
  painter.setFont(QFontDatabase::systemFont(QFontDatabase::TitleFont));
  const QRect textRect(textLeft, rect.top(), std::max(0, rect.right() - textLeft + 1),
                       rect.height());
  const QString shown = painter.fontMetrics().elidedText(text, Qt::ElideRight, textRect.width());
  painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
  painter.restore();
}

void CTreeSheetFrameWnd::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  DrawFrame(painter);
}
