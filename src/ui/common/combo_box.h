// Index-based calls on a combo box with the results the windows expect: -1 for "no selection"
// and for a failed call, and no insertion past the end.
#pragma once

#include <QComboBox>

namespace ui {

inline constexpr int CB_ERR = -1;

// Appends text; returns its index.
int ComboAddString(QComboBox& combo, const QString& text);
// Inserts text before index (-1 appends); CB_ERR when index is past the end.
int ComboInsertString(QComboBox& combo, int index, const QString& text);
// The selected index, CB_ERR when none.
int ComboGetCurSel(const QComboBox& combo);
// Selects index; -1 or an index past the end clears the selection and gives CB_ERR.
int ComboSetCurSel(QComboBox& combo, int index);
// The text at index, empty when there is no such row.
QString ComboGetText(const QComboBox& combo, int index);

}  // namespace ui
