#include "ui/common/combo_box.h"

namespace ui {

int ComboAddString(QComboBox& combo, const QString& text) {
  combo.addItem(text);
  return combo.count() - 1;
}

int ComboInsertString(QComboBox& combo, int index, const QString& text) {
  if (index == -1)
    return ComboAddString(combo, text);
  if (index < 0 || index > combo.count())
    return CB_ERR;
  combo.insertItem(index, text);
  return index;
}

int ComboGetCurSel(const QComboBox& combo) {
  const int index = combo.currentIndex();
  return index < 0 ? CB_ERR : index;
}

int ComboSetCurSel(QComboBox& combo, int index) {
  if (index < 0 || index >= combo.count()) {
    combo.setCurrentIndex(-1);
    return CB_ERR;
  }
  combo.setCurrentIndex(index);
  return index;
}

QString ComboGetText(const QComboBox& combo, int index) {
  if (index < 0 || index >= combo.count())
    return {};
  return combo.itemText(index);
}

}  // namespace ui
