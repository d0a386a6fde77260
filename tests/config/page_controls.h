// Reaching a page's controls by id in the configuration tests.
#pragma once

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QString>
#include <QStringList>
#include <ostream>
#include <vector>

#include "ui/common/list_ctrl.h"
#include "ui/common/property_page.h"

// Readable failure output of Qt texts.
inline void PrintTo(const QString& text, std::ostream* os) {
  *os << '"' << text.toStdString() << '"';
}

namespace config_testing {

// A control of a page or a dialog.
template <typename T, typename Owner>
T* Ctl(Owner& owner, int id) {
  return owner.Controls().template Get<T>(id);
}
inline QString TextOf(ui::CPropertyPage& page, int id) {
  if (auto* edit = Ctl<QLineEdit>(page, id))
    return edit->text();
  if (auto* label = Ctl<QLabel>(page, id))
    return label->text();
  if (auto* button = Ctl<QAbstractButton>(page, id))
    return button->text();
  return "<none>";
}
inline void Type(ui::CPropertyPage& page, int id, const QString& text) {
  Ctl<QLineEdit>(page, id)->setText(text);
}
inline void Pick(ui::CPropertyPage& page, int id, int row) {
  Ctl<QComboBox>(page, id)->setCurrentIndex(row);
}
inline int Row(ui::CPropertyPage& page, int id) {
  return Ctl<QComboBox>(page, id)->currentIndex();
}
inline void Click(ui::CPropertyPage& page, int id) {
  Ctl<QAbstractButton>(page, id)->click();
}
inline bool Checked(ui::CPropertyPage& page, int id) {
  return Ctl<QAbstractButton>(page, id)->isChecked();
}
inline bool Enabled(ui::CPropertyPage& page, int id) {
  return page.GetDlgItem(id)->isEnabled();
}
inline bool Shown(ui::CPropertyPage& page, int id) {
  return !page.GetDlgItem(id)->isHidden();
}
// The rows of a list control, each as its column texts.
inline std::vector<QStringList> ListRows(ui::CPropertyPage& page, int id) {
  std::vector<QStringList> rows;
  auto* list = Ctl<ui::ListCtrl>(page, id);
  for (int r = 0; r < list->GetItemCount(); ++r) {
    QStringList row;
    for (int c = 0; c < list->GetColumnCount(); ++c)
      row << list->GetItemText(r, c);
    rows.push_back(row);
  }
  return rows;
}
inline void SelectRow(ui::CPropertyPage& page, int id, int row) {
  Ctl<ui::ListCtrl>(page, id)->SelectItem(row);
}

}  // namespace config_testing
