// The plain controls of the dialogs that are not skinned, made from tables: push buttons that
// never become the default button by taking the focus (Enter stays with the dialog), rows of
// such keys, and edits with their labels in a grid. Each control is registered on its dialog by
// id, without a tooltip.
#pragma once

#include <QString>
#include <functional>
#include <span>

class QBoxLayout;
class QGridLayout;
class QPushButton;
class QWidget;

namespace ui {

class UiDialog;

// A push button at least minimumWidth wide.
QPushButton* MakeButton(const QString& text, QWidget* parent, int minimumWidth);

// A key of a row: its id, its text and what a click does.
struct RowKey {
  int id;
  const char* text;
  std::function<void()> onClick;
};
// Adds each key to row as a button of parent, at least minimumWidth wide.
void AddKeyRow(UiDialog& dialog, QBoxLayout& row, QWidget* parent, std::span<const RowKey> keys,
               int minimumWidth);

// An edit with its label: the label at (row, column) of the grid, the edit right of it, taking
// at most chars characters.
struct GridEdit {
  int id;
  const char* label;
  int row;
  int column;
  int chars;
};
// Adds each edit with its label to grid, as children of parent; an edit is at least
// minimumWidth wide (0: as the layout makes it).
void AddGridEdits(UiDialog& dialog, QGridLayout& grid, QWidget* parent,
                  std::span<const GridEdit> edits, int minimumWidth = 0);

}  // namespace ui
