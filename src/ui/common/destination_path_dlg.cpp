#include "ui/common/destination_path_dlg.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "ui/common/folder_images.h"

namespace ui {
namespace {

// Item data: the real name (a root's path), and what the item stands for.
constexpr int kNameRole = Qt::UserRole;
constexpr int kKindRole = Qt::UserRole + 1;
enum ItemKind { kRootItem = 0, kFolderItem = 1, kNetworkItem = 2 };

class FileSystemSource final : public IFolderSource {
 public:
  std::vector<FolderRoot> Roots() override {
    return {{QStringLiteral("/"), "/", kImageFixedDrive}};
  }
  std::vector<std::string> SubFolders(const std::string& path) override {
    std::vector<std::string> names;
    std::error_code error;
    std::filesystem::directory_iterator it(
        path, std::filesystem::directory_options::skip_permission_denied, error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
      std::error_code typeError;
      if (it->is_directory(typeError))
        names.push_back(it->path().filename().native());
    }
    return names;
  }
};

QIcon ItemIcon(int image, int selectedImage) {
  QIcon icon;
  const QSize size(kFolderImageWidth, kFolderImageHeight);
  icon.addPixmap(FolderImage(image).pixmap(size), QIcon::Normal);
  icon.addPixmap(FolderImage(selectedImage).pixmap(size), QIcon::Selected);
  return icon;
}

QByteArray Bytes(const std::string& text) {
  return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

std::string Text(const QByteArray& bytes) {
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace

QString FolderLabel(const QString& name) {
  for (const QChar c : name) {
    if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
      return name;
  }
  QString label = name.toLower();
  if (!label.isEmpty())
    label[0] = label[0].toUpper();
  return label;
}

std::shared_ptr<IFolderSource> FileSystemFolders() {
  return std::make_shared<FileSystemSource>();
}

}  // namespace ui

using namespace ui;

CDestinationPathDlg::CDestinationPathDlg(QWidget* parent, std::shared_ptr<IFolderSource> source)
    : ui::UiDialog(parent), m_source(source ? std::move(source) : FileSystemFolders()) {
  setWindowTitle(QStringLiteral("Destination Path"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(12, 12, 12, 12);
  layout->setSpacing(10);
  m_pTree = new QTreeWidget(this);
  m_pTree->setHeaderHidden(true);
  m_pTree->setSelectionMode(QAbstractItemView::SingleSelection);
  m_pTree->setIconSize(QSize(kFolderImageWidth, kFolderImageHeight));
  m_pTree->setMinimumSize(300, 340);
  layout->addWidget(m_pTree);
  RegisterControl(IDC_DESTINATION_TREE, m_pTree, ui::ControlRegistry::Tooltip::None);
  connect(m_pTree, &QTreeWidget::itemExpanded, this,
          [this](QTreeWidgetItem* item) { OnItemExpanded(item); });
  connect(m_pTree, &QTreeWidget::itemSelectionChanged, this, [this] { OnSelectionChanged(); });

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  QPushButton* cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
  RegisterControl(ui::IDOK, ok, ui::ControlRegistry::Tooltip::None);
  RegisterControl(ui::IDCANCEL, cancel, ui::ControlRegistry::Tooltip::None);
  connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
  connect(cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
  layout->addWidget(buttons);
}

CDestinationPathDlg::~CDestinationPathDlg() = default;

int CDestinationPathDlg::DoModal() {
  const int result = ui::UiDialog::DoModal();
  if (const QTreeWidgetItem* selected = SelectedItem())
    m_strPath = PathOf(selected);
  return result;
}

QTreeWidgetItem* CDestinationPathDlg::AddItem(QTreeWidgetItem* parent, const QString& label,
                                              const std::string& name, int image, int selectedImage,
                                              int kind) {
  auto* item = new QTreeWidgetItem;
  item->setText(0, label);
  item->setIcon(0, ItemIcon(image, selectedImage));
  item->setData(0, kNameRole, Bytes(name));
  item->setData(0, kKindRole, kind);
  // Every item shows that it can be opened until it has been.
  item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
  if (parent != nullptr)
    parent->addChild(item);
  else
    m_pTree->addTopLevelItem(item);
  return item;
}

bool CDestinationPathDlg::OnInitDialog() {
  ui::UiDialog::OnInitDialog();
  m_pTree->clear();
  m_pNetworkItem = nullptr;
  // 2.-3. The top level, sorted by label: the file system's top and the network.
  struct Top {
    QString label;
    std::string name;
    int image;
    int kind;
  };
  std::vector<Top> tops;
  for (const FolderRoot& root : m_source->Roots())
    tops.push_back({root.label, root.path, root.image, kRootItem});
  tops.push_back(
      {QString::fromLatin1(kNetworkNeighborhoodText), std::string(), kImageNetwork, kNetworkItem});
  std::stable_sort(tops.begin(), tops.end(), [](const Top& a, const Top& b) {
    return a.label.compare(b.label, Qt::CaseInsensitive) < 0;
  });
  for (const Top& top : tops) {
    QTreeWidgetItem* item = AddItem(nullptr, top.label, top.name, top.image, top.image, top.kind);
    if (top.kind == kNetworkItem)
      m_pNetworkItem = item;
  }
  OpenAtStartPath();
  return true;
}

void CDestinationPathDlg::OpenAtStartPath() {
  // The top-level item whose path starts the start path, then each part of the rest.
  QTreeWidgetItem* found = nullptr;
  std::string rest;
  for (int i = 0; i < m_pTree->topLevelItemCount(); ++i) {
    QTreeWidgetItem* top = m_pTree->topLevelItem(i);
    if (top->data(0, kKindRole).toInt() != kRootItem)
      continue;
    const std::string path = Text(top->data(0, kNameRole).toByteArray());
    if (!path.empty() && m_strPath.compare(0, path.size(), path) == 0) {
      found = top;
      rest = m_strPath.substr(path.size());
      break;
    }
  }
  if (found == nullptr)
    return;
  m_bOpening = true;
  std::size_t at = 0;
  for (;;) {
    found->setExpanded(true);
    while (at < rest.size() && rest[at] == '/')
      ++at;
    if (at >= rest.size())
      break;
    const std::size_t end = std::min(rest.find('/', at), rest.size());
    QTreeWidgetItem* child = FindChild(found, rest.substr(at, end - at));
    if (child == nullptr)
      break;
    found = child;
    at = end;
  }
  m_bOpening = false;
  m_pTree->setCurrentItem(found, 0, QItemSelectionModel::NoUpdate);
  m_pTree->scrollToItem(found);
}

QTreeWidgetItem* CDestinationPathDlg::FindChild(QTreeWidgetItem* parent,
                                                const std::string& name) const {
  const int count = parent != nullptr ? parent->childCount() : m_pTree->topLevelItemCount();
  for (int i = 0; i < count; ++i) {
    QTreeWidgetItem* child = parent != nullptr ? parent->child(i) : m_pTree->topLevelItem(i);
    if (Text(child->data(0, kNameRole).toByteArray()) == name)
      return child;
  }
  return nullptr;
}

void CDestinationPathDlg::OnItemExpanded(QTreeWidgetItem* item) {
  if (item->childCount() != 0)
    return;
  Fill(item);
  // Still only on a first expansion (one that found the item empty): the item is selected.
  if (!m_bOpening && SelectedItem() != item) {
    m_pTree->setCurrentItem(item);
    item->setSelected(true);
  }
}

void CDestinationPathDlg::Fill(QTreeWidgetItem* item) {
  // The network has nothing to show here (as a failed enumeration fills nothing).
  if (item->data(0, kKindRole).toInt() != kNetworkItem) {
    struct Child {
      QString label;
      std::string name;
    };
    std::vector<Child> children;
    for (std::string& name : m_source->SubFolders(PathOf(item)))
      children.push_back(
          {FolderLabel(QString::fromLocal8Bit(name.data(), name.size())), std::move(name)});
    std::stable_sort(children.begin(), children.end(), [](const Child& a, const Child& b) {
      return a.label.compare(b.label, Qt::CaseInsensitive) < 0;
    });
    for (const Child& child : children)
      AddItem(item, child.label, child.name, kImageClosedFolder, kImageOpenFolder, kFolderItem);
  }
  item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

void CDestinationPathDlg::OnSelectionChanged() {
  const QTreeWidgetItem* selected = SelectedItem();
  // Folders (and the file system's top) can be chosen; the network cannot.
  const bool choosable =
      selected == nullptr || selected->data(0, kKindRole).toInt() != kNetworkItem;
  if (QWidget* ok = GetDlgItem(ui::IDOK))
    ok->setEnabled(choosable);
}

QTreeWidgetItem* CDestinationPathDlg::SelectedItem() const {
  const QList<QTreeWidgetItem*> selected = m_pTree->selectedItems();
  return selected.isEmpty() ? nullptr : selected.front();
}

std::string CDestinationPathDlg::PathOf(const QTreeWidgetItem* item) const {
  std::string path;
  for (; item != nullptr; item = item->parent()) {
    switch (item->data(0, kKindRole).toInt()) {
      case kRootItem:
        path.insert(0, Text(item->data(0, kNameRole).toByteArray()));
        break;
      case kNetworkItem:
        path.insert(0, item->text(0).toStdString() + "/");
        break;
      default:
        path.insert(0, Text(item->data(0, kNameRole).toByteArray()) + "/");
        break;
    }
  }
  return path;
}
