#include "ui/common/app_style.h"

#include <QApplication>
#include <QPainter>
#include <QProxyStyle>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <algorithm>
#include <cmath>

#include "bitmapgen/key_face.h"
#include "bitmapgen/palette.h"
#include "ui/common/window_placement.h"

namespace ui {
namespace {

namespace pal = ::skin::palette;

// The colour a selected row or a focus frame takes, and the text on it.
const QColor kSelection = pal::kAccentDeep;
const QColor kSelectionText(0xff, 0xff, 0xff);

::skin::KeyState KeyStateOf(const QStyleOption& option) {
  const QStyle::State state = option.state;
  if (!(state & QStyle::State_Enabled))
    return ::skin::KeyState::Disabled;
  if (state & QStyle::State_Sunken)
    return ::skin::KeyState::Down;
  if (state & QStyle::State_MouseOver)
    return ::skin::KeyState::Over;
  return ::skin::KeyState::Normal;
}

::skin::KeyLook KeyLookOf(const QStyleOption& option) {
  return {.state = KeyStateOf(option),
          .active = (option.state & QStyle::State_On) != 0,
          .focus = (option.state & QStyle::State_HasFocus) != 0};
}

// Fusion, dressed in the skin's kit: every push button, tool button and drop-down list takes the
// face of the panel keys (its text in the ink the face gives, the accent under the mouse), check
// boxes and radio buttons take the skin's marks, and no button carries a stock icon, whatever
// the platform's theme asks for.
class SkinStyle final : public QProxyStyle {
 public:
  SkinStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
    switch (element) {
      case PE_IndicatorRadioButton:
      case PE_IndicatorCheckBox: {
        const bool enabled = (option->state & State_Enabled) != 0;
        ::skin::DrawIndicator(
            *painter, option->rect,
            {.radio = element == PE_IndicatorRadioButton,
             .on = (option->state & State_On) != 0,
             .partial = (option->state & State_NoChange) != 0,
             .enabled = enabled,
             .hot = enabled && (option->state & (State_MouseOver | State_HasFocus)) != 0});
        return;
      }
      case PE_PanelButtonCommand: {
        const QRectF bounds(option->rect);
        ::skin::DrawKeyFace(*painter, ::skin::KeyFacePath(bounds), bounds, KeyLookOf(*option));
        return;
      }
      case PE_FrameDefaultButton:
        return;  // the face's outline is the whole frame
      default:
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
  }

  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override {
    if (element == CE_PushButtonLabel) {
      if (const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option)) {
        QStyleOptionButton inked(*button);
        const QColor ink = ::skin::KeyInk(KeyLookOf(*button));
        for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
          inked.palette.setColor(group, QPalette::ButtonText, ink);
        QProxyStyle::drawControl(element, &inked, painter, widget);
        return;
      }
    }
    QProxyStyle::drawControl(element, option, painter, widget);
  }

  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    if (hint == SH_DialogButtonBox_ButtonsHaveIcons)
      return 0;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
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
  palette.setColor(QPalette::Window, pal::kGround);
  palette.setColor(QPalette::Base, pal::kTitle);
  palette.setColor(QPalette::AlternateBase, pal::kKey);
  palette.setColor(QPalette::Button, pal::kKey);
  palette.setColor(QPalette::ToolTipBase, pal::kTitle);
  // The bevel shades Fusion draws edges and grooves with.
  palette.setColor(QPalette::Light, pal::kKeyTop);
  palette.setColor(QPalette::Midlight, pal::kEdgeLight);
  palette.setColor(QPalette::Mid, pal::kTitle);
  palette.setColor(QPalette::Dark, pal::kEdgeDark);
  palette.setColor(QPalette::Shadow, QColor(0, 0, 0));
  // Ink.
  for (const QPalette::ColorRole role :
       {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::ToolTipText}) {
    palette.setColor(role, pal::kInk);
  }
  palette.setColor(QPalette::BrightText, QColor(0xff, 0xff, 0xff));
  palette.setColor(QPalette::PlaceholderText, pal::kInkMuted);
  palette.setColor(QPalette::Link, pal::kAccent);
  palette.setColor(QPalette::LinkVisited, pal::kAccent);
  palette.setColor(QPalette::Highlight, kSelection);
  palette.setColor(QPalette::HighlightedText, kSelectionText);
  // Refused controls: muted ink on the ground, no bright selection.
  for (const QPalette::ColorRole role :
       {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::HighlightedText}) {
    palette.setColor(QPalette::Disabled, role, pal::kInkMuted);
  }
  palette.setColor(QPalette::Disabled, QPalette::Base, pal::kGround);
  palette.setColor(QPalette::Disabled, QPalette::Button, pal::kTitle);
  palette.setColor(QPalette::Disabled, QPalette::Highlight, pal::kKey);
  return palette;
}

void InstallAppStyle(QApplication& application) {
  QApplication::setStyle(new SkinStyle);  // the application owns the style from here
  application.setPalette(AppPalette());
  application.installEventFilter(new DialogPlacer(&application));
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
