// A report-view list (rows of text columns, whole-row selection) with the index-based calls the
// windows make: insert and delete rows, set a cell, read the first selected row (-1 when none).
#pragma once

#include <QTreeWidget>
#include <cstdint>

namespace ui {

class ListCtrl : public QTreeWidget {
  Q_OBJECT

 public:
  explicit ListCtrl(QWidget* parent = nullptr);

  // Adds column at index with the heading and width; returns its index or -1.
  int InsertColumn(int index, const QString& heading, int width);
  int GetColumnCount() const { return columnCount(); }
  // Inserts a row before row (appends when row is the count or more); returns its index or -1.
  int InsertItem(int row, const QString& text);
  bool SetItemText(int row, int column, const QString& text);
  QString GetItemText(int row, int column) const;
  bool SetItemData(int row, std::uintptr_t data);
  std::uintptr_t GetItemData(int row) const;
  bool DeleteItem(int row);
  void DeleteAllItems();
  int GetItemCount() const { return topLevelItemCount(); }
  // The first selected row, -1 when no row is selected.
  int GetFirstSelected() const;
  // Selects row alone (-1 clears the selection); false when row does not exist.
  bool SelectItem(int row);
  void EnsureVisible(int row);
  // Grid lines between the cells, in the look's rim tone (the palette's midlight), with a little
  // air above and below each row's text.
  void SetGridLines(bool on);
  bool HasGridLines() const { return m_bGridLines; }

 private:
  bool m_bGridLines = false;
};

}  // namespace ui
