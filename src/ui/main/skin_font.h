// The font of the main window's texts: Arial at 12 pixels where it is installed, else a narrow
// sans face of about its width, so the texts keep to the places the skin tables give them.
#pragma once

#include <QFont>
#include <QStringList>

namespace mainwin {

inline QFont SkinTextFont() {
  QFont font;
  font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans Narrow"),
                    QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans")});
  font.setPixelSize(12);
  font.setWeight(QFont::Normal);
  return font;
}

}  // namespace mainwin
