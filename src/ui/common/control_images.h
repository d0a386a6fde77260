// The program's icon resources by id, and the setting of an image on a control: a label shows
// it as its picture, a button as its icon.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <span>

class QWidget;

namespace ui {

// The icon of the program's own resources.
inline constexpr int IDI_PROGRAM = 128;

// The program's icon, drawn (defined with the resources): a camera lens in the skin's accent
// colour on the dark ground.
QPixmap KavelinIconPixmap(int size);

struct IconResource {
  int id;
  QPixmap (*draw)(int size);  // the icon drawn at size x size pixels
};

// Every icon resource, by id (defined with the resources).
std::span<const IconResource> IconResourceEntries();

// The icon resource id at 16, 32 and 48 pixels; a null icon when there is no such resource.
QIcon LoadIconResource(int id);

// Puts image on control: a label's picture, a button's icon at the image's size. False when
// the image is null or the control is neither.
bool SetControlImage(QWidget* control, const QPixmap& image);

}  // namespace ui
