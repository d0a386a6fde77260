// CTreePropSheet: a property sheet that, in tree mode, hides its tab bar and shows its pages
// through a tree of their captions on the left and a page frame on the right. A caption is a
// path of parts separated by "::" ("Network::Mail" puts the page Mail under a node Network);
// "\::" stands for a literal "::" and "\\" for a back-slash. Selecting a node that is not a page
// leaves the current page and shows a message built from the node's text in the frame.
// Ctrl+Tab and Ctrl+Shift+Tab walk the tree. Without tree mode it is a plain tabbed sheet.
#pragma once

#include <QIcon>
#include <QList>
#include <QPointer>
#include <QTreeWidget>
#include <optional>

#include "ui/common/property_sheet.h"
#include "ui/common/tree_sheet_frame.h"

class QKeyEvent;

// The first part of a caption path and the rest (absent when the path has no separator).
struct PagePathSplit {
  QString first;
  std::optional<QString> rest;
};
PagePathSplit SplitPagePath(const QString& path);

// format with its first "%s" replaced by text ("%%" gives "%").
QString FormatPageText(const QString& format, const QString& text);

// Tree walking of Ctrl+Tab and Ctrl+Shift+Tab: the item after and before item in the tree's
// page order, wrapping at the ends; null for an empty tree.
QTreeWidgetItem* NextTreeItem(QTreeWidget& tree, QTreeWidgetItem* item);
QTreeWidgetItem* PreviousTreeItem(QTreeWidget& tree, QTreeWidgetItem* item);

inline constexpr int kPageTreeId = 32494;
inline constexpr int kPageFrameId = 0xFFFF;

class CTreePropSheet : public ui::CPropertySheet {
  Q_OBJECT

 public:
  explicit CTreePropSheet(const QString& caption = {}, QWidget* parent = nullptr,
                          int selectPage = 0);
  // The caption is the string-table entry captionId.
  explicit CTreePropSheet(int captionId, QWidget* parent = nullptr, int selectPage = 0);
  ~CTreePropSheet() override;

  // Only while the sheet has no window; false otherwise.
  bool SetTreeMode(bool treeMode, bool pageCaption = false, bool treeImages = false);
  bool SetTreeWidth(int width);
  void SetTreeTitle(const QString& title) { m_strTreeTitle = title; }
  QString GetTreeTitle() const { return m_strTreeTitle; }
  // The frame's message text flags; returns the previous ones.
  unsigned SetEmptyPageTextFormat(unsigned format);
  // Exactly two images (node, page); false otherwise. The second form cuts a strip into images
  // of the given width, with mask as the transparent colour.
  bool SetTreeDefaultImages(const QList<QIcon>& images);
  bool SetTreeDefaultImages(const QPixmap& strip, int imageWidth, const QColor& mask);

  QTreeWidget* GetPageTreeControl() const { return m_pwndPageTree.data(); }
  // The frame of the current run; null outside a run.
  CTreeSheetFrame* GetPageFrame() const { return m_frameWnd ? m_pFrame : nullptr; }
  bool IsTreeMode() const { return m_bTreeViewMode; }
  int GetTreeWidth() const { return m_nPageTreeWidth; }

  static bool SetPageIcon(ui::CPropertyPage* page, const QIcon& icon);
  // The icon resource iconId (false when there is none).
  static bool SetPageIcon(ui::CPropertyPage* page, int iconId);
  static bool SetPageIcon(ui::CPropertyPage* page, const QList<QIcon>& images, int index);
  static bool DestroyPageIcon(ui::CPropertyPage* page);

  // The tree item of page index; null when there is none.
  QTreeWidgetItem* FindPageItem(int pageIndex) const;
  // Ctrl+Tab handling: true when the key was a page switch.
  bool OnIsDialogMessage(const QKeyEvent& key);
  void ActivateNextPage();
  void ActivatePreviousPage();

 protected:
  virtual QString BuildPageText(const QString& format, const QString& text);
  // Both are made as children of parent (the run window), which owns them; a frame belongs to
  // its window.
  virtual QTreeWidget* NewPageTree(QWidget* parent);
  virtual CTreeSheetFrame* NewPageFrame(QWidget* parent);

  bool OnInitDialog() override;
  void BuildLayout() override;
  void OnPagesChanged() override;
  void OnActivePageSet() override;
  void OnDestroyWindow() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

  void RefillPageTree();
  void UpdateCaption();

 private:
  QTreeWidgetItem* CreatePageTreeItem(const QString& path, QTreeWidgetItem* parent);
  void SelectCurrentPageItem();
  void OnCurrentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);
  // True when the change must be refused.
  bool OnPageTreeSelChanging(QTreeWidgetItem* item);
  void PlacePageHost();
  int TabImageIndex(int pageIndex) const;

  bool m_bTreeViewMode = true;
  QPointer<QTreeWidget> m_pwndPageTree;
  CTreeSheetFrame* m_pFrame = nullptr;  // valid while m_frameWnd exists
  QPointer<QWidget> m_frameWnd;
  bool m_bPageTreeSelChangedActive = false;
  bool m_bPageCaption = false;
  bool m_bTreeImages = false;
  QList<QIcon> m_Images;
  QList<QIcon> m_DefaultImages;
  QString m_strTreeTitle;
  int m_nPageTreeWidth = 150;
  QSize m_sizeBeforeRun;
  unsigned m_pendingMsgFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
};
