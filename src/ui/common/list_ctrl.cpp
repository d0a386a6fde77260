#include "ui/common/list_ctrl.h"

#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

namespace ui {
namespace {

// Paints each cell as the view would, then its right and bottom edges.
class GridDelegate final : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyledItemDelegate::paint(painter, option, index);
    painter->save();
    painter->setPen(option.palette.color(QPalette::Midlight));
    const QRect r = option.rect;
    painter->drawLine(r.topRight(), r.bottomRight());
    painter->drawLine(r.bottomLeft(), r.bottomRight());
    painter->restore();
  }

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return QStyledItemDelegate::sizeHint(option, index) + QSize(0, 4);
  }
};

}  // namespace

ListCtrl::ListCtrl(QWidget* parent) : QTreeWidget(parent) {
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setColumnCount(0);
  header()->setStretchLastSection(false);
}

int ListCtrl::InsertColumn(int index, const QString& heading, int width) {
  const int count = columnCount();
  if (index < 0)
    return -1;
  if (index > count)
    index = count;
  QStringList headings;
  for (int c = 0; c < count; ++c)
    headings << headerItem()->text(c);
  headings.insert(index, heading);
  setColumnCount(count + 1);
  // Existing rows keep their cells: move texts right of the new column.
  for (int r = 0; r < topLevelItemCount(); ++r) {
    QTreeWidgetItem* row = topLevelItem(r);
    for (int c = count; c > index; --c)
      row->setText(c, row->text(c - 1));
    row->setText(index, QString());
  }
  setHeaderLabels(headings);
  setColumnWidth(index, width);
  return index;
}

int ListCtrl::InsertItem(int row, const QString& text) {
  if (row < 0)
    return -1;
  if (row > topLevelItemCount())
    row = topLevelItemCount();
  auto* item = new QTreeWidgetItem;
  item->setText(0, text);
  insertTopLevelItem(row, item);
  return row;
}

bool ListCtrl::SetItemText(int row, int column, const QString& text) {
  QTreeWidgetItem* item = topLevelItem(row);
  if (item == nullptr || column < 0 || column >= columnCount())
    return false;
  item->setText(column, text);
  return true;
}

QString ListCtrl::GetItemText(int row, int column) const {
  const QTreeWidgetItem* item = topLevelItem(row);
  return item == nullptr ? QString() : item->text(column);
}

bool ListCtrl::SetItemData(int row, std::uintptr_t data) {
  QTreeWidgetItem* item = topLevelItem(row);
  if (item == nullptr)
    return false;
  item->setData(0, Qt::UserRole, QVariant::fromValue<qulonglong>(data));
  return true;
}

std::uintptr_t ListCtrl::GetItemData(int row) const {
  const QTreeWidgetItem* item = topLevelItem(row);
  return item == nullptr ? 0
                         : static_cast<std::uintptr_t>(item->data(0, Qt::UserRole).toULongLong());
}

bool ListCtrl::DeleteItem(int row) {
  QTreeWidgetItem* item = takeTopLevelItem(row);
  delete item;  // taken out of the view, so owned here
  return item != nullptr;
}

void ListCtrl::DeleteAllItems() {
  clear();
}

int ListCtrl::GetFirstSelected() const {
  for (int r = 0; r < topLevelItemCount(); ++r) {
    if (topLevelItem(r)->isSelected())
      return r;
  }
  return -1;
}

bool ListCtrl::SelectItem(int row) {
  if (row == -1) {
    clearSelection();
    return true;
  }
  QTreeWidgetItem* item = topLevelItem(row);
  if (item == nullptr)
    return false;
  clearSelection();
  item->setSelected(true);
  setCurrentItem(item);
  return true;
}

void ListCtrl::SetGridLines(bool on) {
  if (on == m_bGridLines)
    return;
  m_bGridLines = on;
  QAbstractItemDelegate* old = itemDelegate();
  setItemDelegate(on ? static_cast<QAbstractItemDelegate*>(new GridDelegate(this))
                     : new QStyledItemDelegate(this));
  if (old != nullptr && old->parent() == this)
    old->deleteLater();
}

void ListCtrl::EnsureVisible(int row) {
  if (QTreeWidgetItem* item = topLevelItem(row))
    scrollToItem(item);
}

}  // namespace ui
