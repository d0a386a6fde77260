// Loading of skin bitmaps named the way the windows name them ("BMP\x.bmp",
// "BMP\LOGIN\name.BMP"): the back-slashes become folder separators, the path is taken relative to
// the program folder, and every part of it is matched without regard to letter case, since the
// names the windows use do not always match the files' spelling.
#pragma once

#include <QImage>
#include <QPixmap>
#include <QString>

namespace ui {

// The folder the skin paths are relative to: the folder of the executable unless a test or tool
// set another one. An empty text restores the default.
QString SkinBaseFolder();
void SetSkinBaseFolder(const QString& folder);

// The file a skin path names, found case-insensitively below the base folder; empty when there
// is no such file.
QString ResolveSkinPath(const QString& skinPath);
QString ResolveSkinPath(const QString& skinPath, const QString& baseFolder);

// The bitmap at its own size; a null pixmap or image when the file is missing or unreadable.
QPixmap LoadSkinBitmap(const QString& skinPath);
QImage LoadSkinImage(const QString& skinPath);

}  // namespace ui
