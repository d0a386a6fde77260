#include "ui/common/clock_st.h"

#include <QPainter>

#include "bitmapgen/palette.h"

namespace {

constexpr int kLargeW = 24, kLargeH = 34, kSmallW = 12, kSmallH = 17;

// Segments a..g of the digits 0..9 (bit 0 = a, top; clockwise; bit 6 = g, middle).
constexpr std::array<std::uint8_t, 10> kSegments = {0x3F, 0x06, 0x5B, 0x4F, 0x66,
                                                    0x6D, 0x7D, 0x07, 0x7F, 0x6F};

void DrawDigit(QPainter& p, int x0, int w, int h, int digit, const QColor& on, const QColor& off) {
  const int t = std::max(2, w / 6);  // stroke
  const int m = 1;                   // margin
  const int half = h / 2;
  const QRect seg[7] = {
      {x0 + m + t, m, w - 2 * (m + t), t},                      // a
      {x0 + w - m - t, m + t, t, half - m - t - t / 2},         // b
      {x0 + w - m - t, half + t / 2, t, half - m - t - t / 2},  // c
      {x0 + m + t, h - m - t, w - 2 * (m + t), t},              // d
      {x0 + m, half + t / 2, t, half - m - t - t / 2},          // e
      {x0 + m, m + t, t, half - m - t - t / 2},                 // f
      {x0 + m + t, half - t / 2, w - 2 * (m + t), t},           // g
  };
  for (int s = 0; s < 7; ++s) {
    p.fillRect(seg[s], (kSegments[static_cast<std::size_t>(digit)] >> s) & 1 ? on : off);
  }
}

// The clock in the skin's palette: lit segments in the accent on the picture well's black, the
// unlit ones only a shade above it, so that a 0 never reads as an 8.
const QColor kClockGround = skin::palette::kWell;
const QColor kClockLit = skin::palette::kAccent;
const QColor kClockUnlit(0x10, 0x14, 0x19);
const QColor kClockRim = skin::palette::kEdgeLight;

QImage DigitStrip(int w, int h) {
  QImage strip(w * 10, h, QImage::Format_RGB32);
  strip.fill(kClockGround);
  QPainter p(&strip);
  for (int d = 0; d < 10; ++d)
    DrawDigit(p, d * w, w, h, d, kClockLit, kClockUnlit);
  return strip;
}

// The date's dashes stand where a small digit's middle segment is, both at one height.
QRect DateDash(int x, int digitsTop) {
  const int stroke = std::max(2, kSmallW / 6);
  return QRect(x, digitsTop + kSmallH / 2 - stroke / 2, 6, stroke);
}

QImage Background() {
  QImage bg(150, 72, QImage::Format_RGB32);
  bg.fill(kClockGround);
  QPainter p(&bg);
  // Separators between the fields the digits leave free.
  constexpr int kDateTop = 5;
  p.fillRect(DateDash(61, kDateTop), kClockLit);  // year-month dash, between 59 and 69
  p.fillRect(DateDash(97, kDateTop), kClockLit);  // month-day dash, between 95 and 105
  p.fillRect(58, 40, 4, 4, kClockLit);            // hour:minute colon
  p.fillRect(58, 56, 4, 4, kClockLit);
  p.setPen(kClockRim);
  p.drawRect(0, 0, bg.width() - 1, bg.height() - 1);
  return bg;
}

}  // namespace

ClockDigits MakeClockDigits(const QDateTime& time) {
  const QDate d = time.date();
  const QTime t = time.time();
  const QString text = QString::asprintf("%02d%02d%02d%04d%02d%02d", t.hour(), t.minute(),
                                         t.second(), d.year(), d.month(), d.day());
  ClockDigits digits{};
  for (std::size_t i = 0; i < digits.size() && i < static_cast<std::size_t>(text.size()); ++i) {
    const int v = text.at(static_cast<qsizetype>(i)).digitValue();
    digits[i] = static_cast<std::uint8_t>(v < 0 ? 0 : v);
  }
  return digits;
}

QImage LoadClockBitmap(int resourceId) {
  switch (resourceId) {
    case IDB_CLOCK_LARGE_DIGITS:
      return DigitStrip(kLargeW, kLargeH);
    case IDB_CLOCK_SMALL_DIGITS:
      return DigitStrip(kSmallW, kSmallH);
    case IDB_CLOCK_BACKGROUND:
      return Background();
    default:
      return {};
  }
}

CClockST::CClockST(QWidget* parent)
    : QWidget(parent),
      m_now([] { return QDateTime::currentDateTime(); }),
      m_bitmaps(&LoadClockBitmap) {
  m_timer.setInterval(1000);
  connect(&m_timer, &QTimer::timeout, this, &CClockST::Update);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

CClockST::~CClockST() {
  m_timer.stop();
}

int CClockST::Create(int backgroundId, int largeDigitsId, int smallDigitsId, const QRect& rect,
                     QWidget* parent) {
  if (m_timer.isActive())
    return 0;
  Release();
  m_smallDigits = m_bitmaps(smallDigitsId);
  m_largeDigits = m_bitmaps(largeDigitsId);
  m_background = m_bitmaps(backgroundId);
  if (m_smallDigits.isNull() || m_largeDigits.isNull() || m_background.isNull()) {
    Release();
    return 1;
  }
  if (parent != nullptr && parentWidget() != parent)
    setParent(parent);
  setGeometry(rect.x(), rect.y(), m_background.width(), m_background.height());
  m_digits = MakeClockDigits(m_now());
  m_picture = Compose();
  m_timer.start();
  update();
  return 0;
}

void CClockST::Update() {
  const ClockDigits digits = MakeClockDigits(m_now());
  if (digits == m_digits && !m_picture.isNull())
    return;
  m_digits = digits;
  m_picture = Compose();
  update();
}

QImage CClockST::Compose() const {
  if (m_background.isNull())
    return {};
  QImage layer = m_background.convertToFormat(QImage::Format_RGB32);
  QPainter p(&layer);
  const auto large = [&](int x, int y, int digit) {
    p.drawImage(QPoint(x, y), m_largeDigits, QRect(kLargeW * digit, 0, kLargeW, kLargeH));
  };
  const auto small = [&](int x, int y, int digit) {
    p.drawImage(QPoint(x, y), m_smallDigits, QRect(kSmallW * digit, 0, kSmallW, kSmallH));
  };
  const auto& d = m_digits;
  large(5, 33, d[0]);
  large(32, 33, d[1]);
  large(65, 33, d[2]);
  large(92, 33, d[3]);
  small(120, 50, d[4]);
  small(134, 50, d[5]);
  small(5, 5, d[6]);
  small(19, 5, d[7]);
  small(33, 5, d[8]);
  small(47, 5, d[9]);
  small(69, 5, d[10]);
  small(83, 5, d[11]);
  small(105, 5, d[12]);
  small(119, 5, d[13]);
  return layer;
}

void CClockST::paintEvent(QPaintEvent* event) {
  if (!m_timer.isActive()) {
    QWidget::paintEvent(event);
    return;
  }
  QPainter p(this);
  p.drawImage(0, 0, m_picture);
}

void CClockST::Release() {
  m_picture = QImage();
  m_background = QImage();
  m_largeDigits = QImage();
  m_smallDigits = QImage();
}
