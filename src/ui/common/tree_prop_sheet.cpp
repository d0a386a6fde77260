#include "ui/common/tree_prop_sheet.h"

#include <QApplication>
#include <QBitmap>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QVBoxLayout>

#include "ui/common/control_images.h"
#include "ui/common/string_table.h"

namespace {

int BackslashesBefore(const QString& text, qsizetype pos) {
  int count = 0;
  while (pos - 1 - count >= 0 && text.at(pos - 1 - count) == QLatin1Char('\\'))
    ++count;
  return count;
}

QString UnescapePart(const QString& part) {
  QString out;
  out.reserve(part.size());
  for (qsizetype i = 0; i < part.size(); ++i) {
    if (part.at(i) == QLatin1Char('\\')) {
      if (part.mid(i + 1, 1) == QLatin1String("\\")) {
        out += QLatin1Char('\\');
        i += 1;
        continue;
      }
      if (part.mid(i + 1, 2) == QLatin1String("::")) {
        out += QLatin1String("::");
        i += 2;
        continue;
      }
    }
    out += part.at(i);
  }
  return out;
}

QTreeWidgetItem* DeepestLast(QTreeWidgetItem* item) {
  while (item != nullptr && item->childCount() > 0)
    item = item->child(item->childCount() - 1);
  return item;
}

QTreeWidgetItem* NextSibling(QTreeWidget& tree, QTreeWidgetItem* item) {
  QTreeWidgetItem* parent = item->parent();
  if (parent != nullptr) {
    const int at = parent->indexOfChild(item);
    return at + 1 < parent->childCount() ? parent->child(at + 1) : nullptr;
  }
  const int at = tree.indexOfTopLevelItem(item);
  return at + 1 < tree.topLevelItemCount() ? tree.topLevelItem(at + 1) : nullptr;
}

QTreeWidgetItem* PreviousSibling(QTreeWidget& tree, QTreeWidgetItem* item) {
  QTreeWidgetItem* parent = item->parent();
  const int at = parent != nullptr ? parent->indexOfChild(item) : tree.indexOfTopLevelItem(item);
  if (at <= 0)
    return nullptr;
  return parent != nullptr ? parent->child(at - 1) : tree.topLevelItem(at - 1);
}

}  // namespace

PagePathSplit SplitPagePath(const QString& path) {
  qsizetype from = 0;
  while (true) {
    const qsizetype at = path.indexOf(QLatin1String("::"), from);
    if (at < 0)
      return {UnescapePart(path), std::nullopt};
    if (BackslashesBefore(path, at) % 2 == 0) {
      return {UnescapePart(path.left(at)), path.mid(at + 2)};
    }
    from = at + 1;
  }
}

QString FormatPageText(const QString& format, const QString& text) {
  QString out;
  bool used = false;
  for (qsizetype i = 0; i < format.size(); ++i) {
    if (format.at(i) == QLatin1Char('%') && i + 1 < format.size()) {
      const QChar next = format.at(i + 1);
      if (next == QLatin1Char('%')) {
        out += QLatin1Char('%');
        ++i;
        continue;
      }
      if (next == QLatin1Char('s') && !used) {
        out += text;
        used = true;
        ++i;
        continue;
      }
    }
    out += format.at(i);
  }
  return out;
}

QTreeWidgetItem* NextTreeItem(QTreeWidget& tree, QTreeWidgetItem* item) {
  if (tree.topLevelItemCount() == 0)
    return nullptr;
  if (item == nullptr)
    return tree.topLevelItem(0);
  if (item->childCount() > 0)
    return item->child(0);
  for (QTreeWidgetItem* at = item; at != nullptr; at = at->parent()) {
    if (QTreeWidgetItem* sibling = NextSibling(tree, at))
      return sibling;
  }
  return tree.topLevelItem(0);
}

QTreeWidgetItem* PreviousTreeItem(QTreeWidget& tree, QTreeWidgetItem* item) {
  if (tree.topLevelItemCount() == 0)
    return nullptr;
  if (item != nullptr) {
    if (QTreeWidgetItem* sibling = PreviousSibling(tree, item))
      return DeepestLast(sibling);
    if (item->parent() != nullptr)
      return item->parent();
  }
  return DeepestLast(tree.topLevelItem(tree.topLevelItemCount() - 1));
}

CTreePropSheet::CTreePropSheet(const QString& caption, QWidget* parent, int selectPage)
    : ui::CPropertySheet(caption, parent, selectPage) {}

CTreePropSheet::CTreePropSheet(int captionId, QWidget* parent, int selectPage)
    : CTreePropSheet(ui::LoadString(captionId), parent, selectPage) {}

CTreePropSheet::~CTreePropSheet() {
  OnDestroyWindow();
}

bool CTreePropSheet::SetTreeMode(bool treeMode, bool pageCaption, bool treeImages) {
  if (HasWindow())
    return false;
  m_bTreeViewMode = treeMode;
  if (treeMode) {
    m_bPageCaption = pageCaption;
    m_bTreeImages = treeImages;
  }
  return true;
}

bool CTreePropSheet::SetTreeWidth(int width) {
  if (HasWindow())
    return false;
  m_nPageTreeWidth = width;
  return true;
}

unsigned CTreePropSheet::SetEmptyPageTextFormat(unsigned format) {
  const unsigned previous = m_pFrame ? m_pFrame->GetMsgFormat() : m_pendingMsgFormat;
  m_pendingMsgFormat = format;
  if (m_pFrame)
    m_pFrame->SetMsgFormat(format);
  return previous;
}

bool CTreePropSheet::SetTreeDefaultImages(const QList<QIcon>& images) {
  if (images.size() != 2)
    return false;
  m_DefaultImages = images;
  if (HasWindow() && m_pwndPageTree) {
    RefillPageTree();
    SelectCurrentPageItem();
  }
  return true;
}

bool CTreePropSheet::SetTreeDefaultImages(const QPixmap& strip, int imageWidth,
                                          const QColor& mask) {
  if (strip.isNull() || imageWidth <= 0)
    return false;
  QList<QIcon> images;
  for (int x = 0; x + imageWidth <= strip.width(); x += imageWidth) {
    QPixmap image = strip.copy(x, 0, imageWidth, strip.height());
    image.setMask(image.createMaskFromColor(mask, Qt::MaskInColor));
    images.push_back(QIcon(image));
  }
  return SetTreeDefaultImages(images);
}

bool CTreePropSheet::SetPageIcon(ui::CPropertyPage* page, const QIcon& icon) {
  if (page == nullptr || icon.isNull())
    return false;
  page->SetIcon(icon);
  return true;
}

bool CTreePropSheet::SetPageIcon(ui::CPropertyPage* page, int iconId) {
  return SetPageIcon(page, ui::LoadIconResource(iconId));
}

bool CTreePropSheet::SetPageIcon(ui::CPropertyPage* page, const QList<QIcon>& images, int index) {
  if (index < 0 || index >= images.size())
    return false;
  return SetPageIcon(page, images.at(index));
}

bool CTreePropSheet::DestroyPageIcon(ui::CPropertyPage* page) {
  if (page == nullptr)
    return false;
  if (page->HasIcon())
    page->DestroyIcon();
  return true;
}

QString CTreePropSheet::BuildPageText(const QString& format, const QString& text) {
  return FormatPageText(format, text);
}

QTreeWidget* CTreePropSheet::NewPageTree(QWidget* parent) {
  return new QTreeWidget(parent);
}

CTreeSheetFrame* CTreePropSheet::NewPageFrame(QWidget* parent) {
  return new CTreeSheetFrameWnd(parent);
}

bool CTreePropSheet::OnInitDialog() {
  const bool result = ui::CPropertySheet::OnInitDialog();
  if (m_bTreeViewMode && m_pwndPageTree) {
    RefillPageTree();
    SelectCurrentPageItem();
    UpdateCaption();
    qApp->installEventFilter(this);
  }
  return result;
}

void CTreePropSheet::BuildLayout() {
  if (!m_bTreeViewMode) {
    ui::CPropertySheet::BuildLayout();
    return;
  }
  QTabBar* tabs = GetTabControl();
  tabs->hide();
  tabs->setEnabled(false);
  QWidget* run = GetRunWindow();
  m_pFrame = NewPageFrame(run);
  QWidget* frame = nullptr;
  if (m_pFrame != nullptr && m_pFrame->Create(QRect(), run, kPageFrameId))
    frame = m_pFrame->GetWnd();
  m_frameWnd = frame;
  if (frame == nullptr) {
    // No frame: the sheet stays a tabbed one (a frame object left over goes with the run).
    m_pFrame = nullptr;
    m_bTreeViewMode = false;
    tabs->show();
    tabs->setEnabled(true);
    ui::CPropertySheet::BuildLayout();
    return;
  }
  // The caption is as high as a tab.
  m_pFrame->SetCaptionHeight(tabs->sizeHint().height() > 0 ? tabs->sizeHint().height() : 20);
  m_pFrame->SetCaptionShown(m_bPageCaption);
  m_pFrame->SetMsgFormat(m_pendingMsgFormat);
  GetPageHost()->setParent(frame);
  frame->installEventFilter(this);

  QTreeWidget* tree = NewPageTree(run);
  tree->setParent(run);
  tree->setObjectName(QStringLiteral("PageTree"));
  tree->setHeaderHidden(true);
  tree->setColumnCount(1);
  tree->setRootIsDecorated(true);
  tree->setSelectionMode(QAbstractItemView::SingleSelection);
  tree->setFixedWidth(std::max(0, m_nPageTreeWidth - 5));
  m_pwndPageTree = tree;
  RegisterControl(kPageTreeId, tree, ui::ControlRegistry::Tooltip::None);
  connect(tree, &QTreeWidget::currentItemChanged, this, &CTreePropSheet::OnCurrentItemChanged);

  // The sheet grows by the tree's width, centred over its owner; the run's end restores it.
  m_sizeBeforeRun = size();
  resize(width() + m_nPageTreeWidth, height());
  if (QWidget* owner = parentWidget()) {
    move(owner->geometry().center() - QPoint(width() / 2, height() / 2));
  }
  auto* layout = new QVBoxLayout(run);
  auto* pages = new QHBoxLayout;
  pages->setSpacing(5);
  pages->addWidget(tree);
  pages->addWidget(frame, 1);
  layout->addLayout(pages, 1);
  layout->addWidget(GetButtonBar());
  PlacePageHost();
}

void CTreePropSheet::OnDestroyWindow() {
  if (QCoreApplication* app = QCoreApplication::instance())
    app->removeEventFilter(this);
  // The tree and the frame go with the run window.
  m_pFrame = nullptr;
  ui::CPropertySheet::OnDestroyWindow();
  m_Images.clear();
  if (m_sizeBeforeRun.isValid()) {
    resize(m_sizeBeforeRun);
    m_sizeBeforeRun = QSize();
  }
}

void CTreePropSheet::PlacePageHost() {
  if (!m_pFrame || GetPageHost() == nullptr)
    return;
  GetPageHost()->setGeometry(m_pFrame->GetMsgRect());
}

bool CTreePropSheet::eventFilter(QObject* watched, QEvent* event) {
  if (m_frameWnd && watched == m_frameWnd.data() && event->type() == QEvent::Resize) {
    PlacePageHost();
    return false;
  }
  if (event->type() == QEvent::KeyPress) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget != nullptr && widget->window() == this &&
        OnIsDialogMessage(*static_cast<QKeyEvent*>(event))) {
      return true;
    }
  }
  return ui::CPropertySheet::eventFilter(watched, event);
}

bool CTreePropSheet::OnIsDialogMessage(const QKeyEvent& key) {
  const bool tab = key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab;
  if (!tab || !(key.modifiers() & Qt::ControlModifier))
    return false;
  if ((key.modifiers() & Qt::ShiftModifier) || key.key() == Qt::Key_Backtab) {
    ActivatePreviousPage();
  } else {
    ActivateNextPage();
  }
  return true;
}

void CTreePropSheet::ActivateNextPage() {
  if (m_bTreeViewMode && m_pwndPageTree) {
    QTreeWidgetItem* next = NextTreeItem(*m_pwndPageTree, m_pwndPageTree->currentItem());
    if (next != nullptr)
      m_pwndPageTree->setCurrentItem(next);
    return;
  }
  if (GetPageCount() == 0)
    return;
  SetActivePage((GetActiveIndex() + 1) % GetPageCount());
}

void CTreePropSheet::ActivatePreviousPage() {
  if (m_bTreeViewMode && m_pwndPageTree) {
    QTreeWidgetItem* previous = PreviousTreeItem(*m_pwndPageTree, m_pwndPageTree->currentItem());
    if (previous != nullptr)
      m_pwndPageTree->setCurrentItem(previous);
    return;
  }
  if (GetPageCount() == 0)
    return;
  SetActivePage(GetActiveIndex() <= 0 ? GetPageCount() - 1 : GetActiveIndex() - 1);
}

int CTreePropSheet::TabImageIndex(int pageIndex) const {
  // The tab image list holds the icons of the pages that have one, in page order.
  int index = 0;
  for (int i = 0; i < GetPageCount(); ++i) {
    if (!GetPage(i)->HasIcon())
      continue;
    if (i == pageIndex)
      return index;
    ++index;
  }
  return -1;
}

void CTreePropSheet::RefillPageTree() {
  if (!HasWindow() || !m_pwndPageTree || GetTabControl() == nullptr)
    return;
  const bool wasActive = m_bPageTreeSelChangedActive;
  m_bPageTreeSelChangedActive = true;
  m_pwndPageTree->clear();
  m_Images.clear();
  if (m_bTreeImages) {
    for (int i = 0; i < GetPageCount(); ++i) {
      if (GetPage(i)->HasIcon())
        m_Images.push_back(GetPage(i)->GetIcon());
    }
    if (m_DefaultImages.size() == 2) {
      m_Images.push_back(m_DefaultImages.at(0));
      m_Images.push_back(m_DefaultImages.at(1));
    }
  }
  for (int i = 0; i < GetPageCount(); ++i) {
    QTreeWidgetItem* item = CreatePageTreeItem(GetPage(i)->GetCaption(), nullptr);
    if (item == nullptr)
      continue;
    item->setData(0, Qt::UserRole, i);
    if (m_bTreeImages) {
      const int image = TabImageIndex(i);
      if (image >= 0 && image < m_Images.size()) {
        item->setIcon(0, m_Images.at(image));
      } else if (m_DefaultImages.size() == 2) {
        item->setIcon(0, m_Images.back());
      } else {
        item->setIcon(0, QIcon());
      }
    }
  }
  m_pwndPageTree->expandAll();
  m_bPageTreeSelChangedActive = wasActive;
}

QTreeWidgetItem* CTreePropSheet::CreatePageTreeItem(const QString& path, QTreeWidgetItem* parent) {
  const PagePathSplit split = SplitPagePath(path);
  QTreeWidgetItem* found = nullptr;
  const int count = parent != nullptr ? parent->childCount() : m_pwndPageTree->topLevelItemCount();
  for (int i = 0; i < count && found == nullptr; ++i) {
    QTreeWidgetItem* child = parent != nullptr ? parent->child(i) : m_pwndPageTree->topLevelItem(i);
    if (child->text(0) == split.first)
      found = child;
  }
  if (found == nullptr) {
    found = new QTreeWidgetItem(QStringList{split.first});
    found->setData(0, Qt::UserRole, -1);
    if (parent != nullptr) {
      parent->addChild(found);
    } else {
      m_pwndPageTree->addTopLevelItem(found);
    }
    if (split.rest && m_bTreeImages && m_DefaultImages.size() == 2) {
      found->setIcon(0, m_Images.at(m_Images.size() - 2));
    }
  }
  if (!split.rest)
    return found;
  return CreatePageTreeItem(*split.rest, found);
}

QTreeWidgetItem* CTreePropSheet::FindPageItem(int pageIndex) const {
  if (!m_pwndPageTree || pageIndex < 0 || pageIndex >= GetPageCount())
    return nullptr;
  QTreeWidgetItemIterator it(m_pwndPageTree.data());
  for (; *it != nullptr; ++it) {
    if ((*it)->data(0, Qt::UserRole).toInt() == pageIndex)
      return *it;
  }
  return nullptr;
}

void CTreePropSheet::SelectCurrentPageItem() {
  QTreeWidgetItem* item = FindPageItem(GetActiveIndex());
  if (item == nullptr || !m_pwndPageTree)
    return;
  // The page is already active: select its item without asking the pages again.
  const bool wasActive = m_bPageTreeSelChangedActive;
  m_bPageTreeSelChangedActive = true;
  m_pwndPageTree->setCurrentItem(item);
  m_bPageTreeSelChangedActive = wasActive;
}

void CTreePropSheet::OnPagesChanged() {
  if (!m_bTreeViewMode)
    return;
  RefillPageTree();
  SelectCurrentPageItem();
  UpdateCaption();
}

void CTreePropSheet::OnActivePageSet() {
  if (!m_bTreeViewMode)
    return;
  SelectCurrentPageItem();
  UpdateCaption();
}

void CTreePropSheet::OnCurrentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous) {
  if (m_bPageTreeSelChangedActive)
    return;
  m_bPageTreeSelChangedActive = true;
  const bool refuse = current != nullptr && OnPageTreeSelChanging(current);
  if (refuse)
    m_pwndPageTree->setCurrentItem(previous);
  m_bPageTreeSelChangedActive = false;
  if (!refuse)
    UpdateCaption();
}

bool CTreePropSheet::OnPageTreeSelChanging(QTreeWidgetItem* item) {
  const int page = item->data(0, Qt::UserRole).toInt();
  bool refuse = false;
  if (page >= 0 && page < GetPageCount()) {
    refuse = !ActivatePage(page);
  } else {
    refuse = !DeactivateCurrentPage();
  }
  m_pwndPageTree->setFocus();
  return refuse;
}

void CTreePropSheet::UpdateCaption() {
  if (!m_pFrame || !m_pwndPageTree)
    return;
  const bool pageShown = IsPageShown();
  QTreeWidgetItem* item = m_pwndPageTree->currentItem();
  const QString text = item != nullptr ? item->text(0) : QString();
  if (!pageShown)
    m_pFrame->SetMsgText(BuildPageText(m_strTreeTitle, text));
  if (!m_pFrame->GetShowCaption())
    return;
  QIcon icon;
  if (m_bTreeImages) {
    if (item != nullptr)
      icon = item->icon(0);
  } else if (pageShown && GetActivePage()->HasIcon()) {
    icon = GetActivePage()->GetIcon();
  }
  m_pFrame->SetCaption(text, icon);
}
