#include "ui/main/time_stamp_wnd.h"

#include <QPainter>

#include "app/app_data.h"
#include "bitmapgen/palette.h"
#include "media/frame_header.h"
#include "ui/main/main_window_texts.h"
#include "ui/main/skin_font.h"

CTimeStampWnd::CTimeStampWnd(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  resize(kWidth, kHeight);
}

std::optional<QString> CTimeStampWnd::CurrentText() {
  if (!g_lpApp)
    return std::nullopt;
  const CAppData& app = *g_lpApp;
  const std::uint8_t option = app.m_SettingINI.m_byAvSwitchOption;
  const CFrameHeader* header = option == 2                  ? &app.m_AudioFrameHeader
                               : option == 1 || option == 3 ? &app.m_VideoFrameHeader
                                                            : nullptr;
  if (header == nullptr || !header->TimePresent())
    return std::nullopt;
  return QString::fromStdString(mainwin::StampTimeText(header->PacketTime()));
}

void CTimeStampWnd::paintEvent(QPaintEvent*) {
  if (!g_lpApp)
    return;
  const std::uint8_t bitmapSet = g_lpApp->m_bySkinA.load();
  if (bitmapSet == 1 || bitmapSet == 3)
    return;  // the full-size skins show the time in their status strip
  // The box is a tab of the status strip's paper over the dark band: the strip's paper, its
  // rim colour and its ink, so the time reads as part of the strip rather than a foreign box.
  QPainter painter(this);
  painter.setPen(BorderColour());
  painter.setBrush(PaperColour());
  painter.drawRect(0, 0, kWidth - 1, kHeight - 1);
  painter.setPen(InkColour());
  const std::optional<QString> text = CurrentText();
  if (!text)
    return;
  painter.setFont(mainwin::SkinTextFont());
  painter.drawText(QRect(2, 2, kWidth - 2, kHeight - 2), Qt::AlignLeft | Qt::AlignTop, *text);
}

QColor CTimeStampWnd::PaperColour() {
  return skin::palette::kPaper;
}

QColor CTimeStampWnd::BorderColour() {
  return QColor::fromRgb(skin::palette::kPaper.darker(135).rgb());  // 8-bit, as painted
}

QColor CTimeStampWnd::InkColour() {
  return skin::palette::kPaperInk;
}
