// CKavelinDlg: painting (the skin, the status strip with its texts and icons, the server address,
// the picture and the sunken frame round it) and the status text.
#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

#include "app/app_data.h"
#include "app/main_window_state.h"
#include "media/frame_header.h"
#include "ui/common/colorref.h"
#include "ui/main/kavelin_dlg.h"
#include "ui/main/main_window_texts.h"
#include "ui/main/skin_font.h"
#include "ui/main/table_rect_qt.h"

using namespace mainwin;

namespace {

constexpr std::uint32_t kPenDark = 0x333333;
constexpr std::uint32_t kPenMid = 0x666666;
constexpr std::uint32_t kPenWhite = 0xFFFFFF;
constexpr std::uint32_t kAlarmRed = 0x0000FF;
constexpr std::uint32_t kAlarmLightBlue = 0xE6BE00;
constexpr std::uint32_t kAddressCyan = 0xFFFF00;

// Text whose top-left corner is at (x, y), as the strip places its texts.
void DrawTextAt(QPainter& painter, int x, int y, const QString& text) {
  QString line = text;
  line.replace(QLatin1Char('\n'), QLatin1Char(' '));
  painter.drawText(QRect(x, y, 2000, 40), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, line);
}

const CFrameHeader* CurrentHeader(const CAppData& app) {
  const std::uint8_t option = app.m_SettingINI.m_byAvSwitchOption;
  if (option == 2)
    return &app.m_AudioFrameHeader;
  if (option == 1 || option == 3)
    return &app.m_VideoFrameHeader;
  return nullptr;
}

}  // namespace

int CKavelinDlg::ShowStatusText(const QString& text) {
  if (InFullScreen())
    return 1;  // dropped: after full screen the strip shows the text set before it
  m_strStatusText = text;
  m_bRatesShown = false;  // the painter's update says so again after its own text
  update(ToQRect(Skin().Strip()));
  return 1;
}

void CKavelinDlg::ClearStatusText() {
  m_strStatusText.clear();
  m_bRatesShown = false;
}

void CKavelinDlg::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  if (!g_lpApp)
    return;
  const ShownFrame* frame = m_frames.Latest();
  if (InFullScreen()) {
    // Black where the scaled picture does not reach; the picture over the rest.
    const bool shown = frame != nullptr && frame->fullScreen && app::SessionUp(*g_lpApp);
    const QRegion black =
        shown ? QRegion(rect()).subtracted(QRect(QPoint(0, 0), frame->Size())) : QRegion(rect());
    for (const QRect& part : black)
      painter.fillRect(part, Qt::black);
    if (shown)
      m_picturePainter.Paint(painter, QPoint(0, 0), *frame, rect());
    return;
  }
  // A new picture repaints the video rectangle alone: the skin is not drawn where the picture
  // covers it, and the strip's texts are not laid out when nothing of them is to be repainted.
  const QRegion dirty = event->region();
  // Rectangle by rectangle: a plain clip rectangle keeps the bitmaps on the raster engine's
  // straight copy.
  for (const QRect& part : dirty.subtracted(PictureArea(frame))) {
    painter.save();
    painter.setClipRect(part);
    PaintSkin(painter);
    painter.restore();
  }
  // A repaint inside the video rectangle (a new picture) reaches neither the strip nor the
  // sunken frame round the rectangle: their measures are not even taken.
  const bool insideVideo = VideoRect().contains(dirty.boundingRect());
  if (!insideVideo && dirty.intersects(StripTextArea()))
    PaintStatusStrip(painter);
  PaintVideo(painter, frame);
  if (!insideVideo)
    PaintVideoFrame(painter);
}

QRect CKavelinDlg::PictureArea(const ShownFrame* frame) const {
  const CAppData& app = *g_lpApp;
  if (frame == nullptr || frame->fullScreen || !app::SessionUp(app) ||
      app.m_SettingINI.m_byAvSwitchOption == 2) {
    return {};
  }
  const TableRect v = Skin().Video();
  return QRect(QPoint(v.left, v.top), frame->Size()).intersected(ToQRect(v));
}

QRect CKavelinDlg::StripTextArea() const {
  // The texts are single lines from 2 pixels below the strip's or the icon rectangle's top, and
  // from the address anchor; the icons stand at the icon rectangle's top.
  const SkinLayoutRecord& record = Skin();
  const TableRect strip = record.Strip();
  const TableRect icon = record.InfoIcon();
  const int line = QFontMetrics(SkinTextFont()).height();
  int iconHeight = std::max(icon.Height(), 2 + line);
  for (const QPixmap& pixmap : m_InfoIcons)
    iconHeight = std::max(iconHeight, pixmap.height());
  return QRect(0, strip.top, width(), 2 + line)
      .united(QRect(0, icon.top, width(), iconHeight))
      .united(QRect(0, record.AnchorY(), width(), line));
}

void CKavelinDlg::PaintSkin(QPainter& painter) {
  const int skin = g_lpApp->m_wSkinIndex.load() % kSkinCount;
  const SkinLayoutRecord& record = Skin();
  // Background (with the panel open, the extended one over the open window), then the strip.
  const QPixmap& background = m_bPanelOpen ? m_ExtendedBackgrounds[static_cast<std::size_t>(skin)]
                                           : m_Backgrounds[static_cast<std::size_t>(skin)];
  const QRect area = ToQRect(m_bPanelOpen ? record.OpenWindow() : record.Background());
  // The window paints opaquely: what no bitmap covers takes the window colour.
  if (background.isNull() || !area.contains(rect()))
    painter.fillRect(rect(), palette().window());
  if (!background.isNull())
    painter.drawPixmap(area, background);
  const QPixmap& strip = m_StatusBars[static_cast<std::size_t>(skin)];
  if (!strip.isNull())
    painter.drawPixmap(ToQRect(record.Strip()), strip);
}

void CKavelinDlg::PaintStatusStrip(QPainter& painter) {
  const CAppData& app = *g_lpApp;
  const SkinLayoutRecord& record = Skin();
  const TableRect strip = record.Strip();
  painter.setFont(SkinTextFont());
  painter.setPen(Qt::black);
  DrawTextAt(painter, strip.left + 5, strip.top + 2, m_strStatusText);
  if (!m_strHuText.isEmpty())
    DrawTextAt(painter, strip.left + 160, strip.top + 2, m_strHuText);

  // Information icons at the icon rectangle (L, T, R, B).
  const TableRect icon = record.InfoIcon();
  const CFrameHeader* header = CurrentHeader(app);
  const std::uint32_t channel1 = header != nullptr ? header->StateB() : 0;
  const std::uint32_t channel2 = header != nullptr ? header->StateA() : 0;
  if (!m_strChannel1Text.isEmpty()) {
    const bool red = channel1 != 0;
    const QPixmap& alarm = m_InfoIcons[red ? kInfoAlarmRed : kInfoAlarmBlue];
    if (!alarm.isNull())
      painter.drawPixmap(QRect(icon.left - 28, icon.top, icon.Width(), icon.Height()), alarm);
    painter.setPen(ui::FromColorRef(red ? kAlarmRed : kAlarmLightBlue));
    DrawTextAt(painter, icon.right - 25, icon.top + 2, m_strChannel1Text);
  }
  if (!m_strChannel2Text.isEmpty()) {
    const QPixmap& motion = m_InfoIcons[channel2 != 0 ? kInfoMotionRed : kInfoMotionBlue];
    if (!motion.isNull())
      painter.drawPixmap(icon.left - 50, icon.top, motion);
  }
  if (m_strStatusText.startsWith(QLatin1String("FR"))) {
    const QPixmap& online = m_InfoIcons[kInfoOnlineUser];
    if (!online.isNull())
      painter.drawPixmap(icon.left, icon.top, online);
    painter.setPen(Qt::black);
    const int users = header != nullptr ? header->OnlineUserCount() : 0;
    DrawTextAt(painter, icon.right + 4, icon.top + 2, QString::number(users));
    const std::uint8_t mode = app.m_bySkinB.load();
    if ((mode == 1 || mode == 3) && g_bAlarmClear.load() == 0 && header != nullptr &&
        header->TimePresent()) {
      DrawTextAt(painter, strip.left + 500, strip.top + 2,
                 QString::fromStdString(StampTimeText(header->PacketTime())));
    }
  }
  // The server's address in cyan.
  painter.setPen(ui::FromColorRef(kAddressCyan));
  std::string host;
  {
    const std::lock_guard lock(g_lpApp->m_SettingINI.m_TextLock);
    host = app.m_SettingINI.m_strServerName.empty() ? app.m_SettingINI.m_strServerAddress
                                                    : app.m_SettingINI.m_strServerName;
  }
  DrawTextAt(painter, record.AnchorX() - 30, record.AnchorY(),
             QString::fromStdString(AddressText(host)));
}

void CKavelinDlg::PaintVideo(QPainter& painter, const ShownFrame* frame) {
  const CAppData& app = *g_lpApp;
  const TableRect v = Skin().Video();
  const int L = v.left;
  const int T = v.top;
  const int R = v.right;
  const int B = v.bottom;
  // The picture at its own size from the video rectangle's corner, kept inside the rectangle;
  // none while not connected or in audio only.
  if (frame != nullptr && !frame->fullScreen && app::SessionUp(app) &&
      app.m_SettingINI.m_byAvSwitchOption != 2) {
    m_picturePainter.Paint(painter, QPoint(L, T), *frame, ToQRect(v));
  }
  if (app.m_bBlackVideo.load() != 0)
    painter.fillRect(QRect(QPoint(L - 1, T - 1), QPoint(R + 1, B + 1)), Qt::black);
}

void CKavelinDlg::PaintVideoFrame(QPainter& painter) {
  const TableRect v = Skin().Video();
  const int L = v.left;
  const int T = v.top;
  const int R = v.right;
  const int B = v.bottom;
  const auto line = [&painter](std::uint32_t colour, int x1, int y1, int x2, int y2) {
    painter.setPen(QPen(ui::FromColorRef(colour), 1));
    painter.drawLine(x1, y1, x2, y2);
  };
  line(0x000000, L - 2, T - 2, R + 2, T - 2);
  line(0x000000, L - 2, T - 2, L - 2, B + 2);
  line(kPenDark, L - 1, T - 1, R + 1, T - 1);
  line(kPenDark, L - 1, T - 1, L - 1, B + 1);
  line(kPenMid, R, B, R, T - 1);
  line(kPenMid, R, B, L - 1, B);
  line(kPenWhite, R + 1, B + 1, R + 1, T - 2);
  line(kPenWhite, R + 1, B + 1, L - 2, B + 1);
}
