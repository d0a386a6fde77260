#include "ui/common/app_style.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QProxyStyle>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <algorithm>
#include <cmath>

#include "bitmapgen/palette.h"

namespace ui {
namespace {

namespace skin = ::skin::palette;

// The colour a selected row or a focus frame takes, and the text on it.
const QColor kSelection = skin::kAccentDeep;
const QColor kSelectionText(0xff, 0xff, 0xff);

// Fusion, with the check boxes' and radio buttons' marks in the skin's accent: Fusion draws them
// in a shade of the text colour, which on the dark ground leaves a chosen radio button hard to
// tell from the others.
class SkinStyle final : public QProxyStyle {
 public:
  SkinStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
    if (element == PE_IndicatorRadioButton || element == PE_IndicatorCheckBox) {
      DrawIndicator(element == PE_IndicatorRadioButton, *option, *painter);
      return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
  }

 private:
  static void DrawIndicator(bool radio, const QStyleOption& option, QPainter& painter) {
    const bool enabled = (option.state & State_Enabled) != 0;
    const bool on = (option.state & State_On) != 0;
    const bool partial = (option.state & State_NoChange) != 0;
    const bool hot = enabled && (option.state & (State_MouseOver | State_HasFocus)) != 0;
    const QColor mark = enabled ? skin::kAccent : skin::kInkMuted;
    const QColor rim = hot ? skin::kAccent : (enabled ? skin::kInkMuted : skin::kEdgeLight);
    const QColor fill =
        option.palette.color(enabled ? QPalette::Active : QPalette::Disabled, QPalette::Base);
    // A square box centred in the indicator's rectangle, on whole pixels plus a half so the
    // one-pixel rim is sharp.
    const int side = std::min(option.rect.width(), option.rect.height()) - 1;
    const QRectF box(option.rect.x() + (option.rect.width() - side) / 2 + 0.5,
                     option.rect.y() + (option.rect.height() - side) / 2 + 0.5, side - 1.0,
                     side - 1.0);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(rim, 1.0));
    painter.setBrush(fill);
    if (radio) {
      painter.drawEllipse(box);
      if (on) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(mark);
        const double inset = box.width() * 0.27;
        painter.drawEllipse(box.adjusted(inset, inset, -inset, -inset));
      }
    } else {
      painter.drawRoundedRect(box, 2.0, 2.0);
      if (partial) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(mark);
        const double inset = box.width() * 0.25;
        painter.drawRect(box.adjusted(inset, box.height() * 0.42, -inset, -box.height() * 0.42));
      } else if (on) {
        QPainterPath tick;
        tick.moveTo(box.left() + box.width() * 0.22, box.top() + box.height() * 0.52);
        tick.lineTo(box.left() + box.width() * 0.42, box.top() + box.height() * 0.72);
        tick.lineTo(box.left() + box.width() * 0.78, box.top() + box.height() * 0.28);
        painter.setPen(QPen(mark, std::max(1.5, box.width() / 7.0), Qt::SolidLine, Qt::RoundCap,
                            Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(tick);
      }
    }
    painter.restore();
  }
};

double Linear(double channel) {
  return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

}  // namespace

QPalette AppPalette() {
  QPalette palette;
  // Surfaces: the window body is the skin's ground, fields and lists are a step lighter like
  // the title bands (so they stand out without drawn frames), buttons have the key faces.
  palette.setColor(QPalette::Window, skin::kGround);
  palette.setColor(QPalette::Base, skin::kTitle);
  palette.setColor(QPalette::AlternateBase, skin::kKey);
  palette.setColor(QPalette::Button, skin::kKey);
  palette.setColor(QPalette::ToolTipBase, skin::kTitle);
  // The bevel shades Fusion draws edges and grooves with.
  palette.setColor(QPalette::Light, skin::kKeyTop);
  palette.setColor(QPalette::Midlight, skin::kEdgeLight);
  palette.setColor(QPalette::Mid, skin::kTitle);
  palette.setColor(QPalette::Dark, skin::kEdgeDark);
  palette.setColor(QPalette::Shadow, QColor(0, 0, 0));
  // Ink.
  for (const QPalette::ColorRole role :
       {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::ToolTipText}) {
    palette.setColor(role, skin::kInk);
  }
  palette.setColor(QPalette::BrightText, QColor(0xff, 0xff, 0xff));
  palette.setColor(QPalette::PlaceholderText, skin::kInkMuted);
  palette.setColor(QPalette::Link, skin::kAccent);
  palette.setColor(QPalette::LinkVisited, skin::kAccent);
  palette.setColor(QPalette::Highlight, kSelection);
  palette.setColor(QPalette::HighlightedText, kSelectionText);
  // Refused controls: muted ink on the ground, no bright selection.
  for (const QPalette::ColorRole role :
       {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::HighlightedText}) {
    palette.setColor(QPalette::Disabled, role, skin::kInkMuted);
  }
  palette.setColor(QPalette::Disabled, QPalette::Base, skin::kGround);
  palette.setColor(QPalette::Disabled, QPalette::Button, skin::kTitle);
  palette.setColor(QPalette::Disabled, QPalette::Highlight, skin::kKey);
  return palette;
}

void InstallAppStyle(QApplication& application) {
  QApplication::setStyle(new SkinStyle);  // the application owns the style from here
  application.setPalette(AppPalette());
}

double RelativeLuminance(const QColor& colour) {
  const QColor rgb = colour.toRgb();
  return 0.2126 * Linear(rgb.redF()) + 0.7152 * Linear(rgb.greenF()) + 0.0722 * Linear(rgb.blueF());
}

double ContrastRatio(const QColor& a, const QColor& b) {
  const double la = RelativeLuminance(a);
  const double lb = RelativeLuminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

}  // namespace ui
