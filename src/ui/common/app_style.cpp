#include "ui/common/app_style.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>
#include <algorithm>
#include <cmath>

#include "bitmapgen/palette.h"

namespace ui {
namespace {

namespace skin = ::skin::palette;

// The colour a selected row or a focus frame takes, and the text on it.
const QColor kSelection = skin::kAccentDeep;
const QColor kSelectionText(0xff, 0xff, 0xff);

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
  if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
    QApplication::setStyle(fusion);  // the application owns the style from here
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
