// CDestinationPathDlg: a folder browser. One tree holds the file system's top ("/") and the
// "Network Neighborhood" (which has nothing to show on this system); folders are read when
// their item is first expanded, and each level is sorted by its labels. The caller sets a start
// path with SetPath, runs the dialog, and after OK reads the chosen folder with GetPath: the
// path of the selected item, always ending in "/". Paths are byte strings as the file system
// names them, so a folder whose name is not UTF-8 still gives its right path.
#pragma once

#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "ui/common/ui_dialog.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace ui {

inline constexpr int IDC_DESTINATION_TREE = 1315;
inline constexpr const char* kNetworkNeighborhoodText = "Network Neighborhood";

// The label of a folder name: a name without a lower-case letter a..z is shown in lower case
// with its first character in upper case ("BMP" shows "Bmp"); any other name is shown as it is.
QString FolderLabel(const QString& name);

// A top-level folder: its label, its path (ending in "/") and its image.
struct FolderRoot {
  QString label;
  std::string path;
  int image = 0;
};

// Where the tree's folders come from.
class IFolderSource {
 public:
  virtual ~IFolderSource() = default;
  virtual std::vector<FolderRoot> Roots() = 0;
  // The names of the folders directly inside path (unsorted); none when it cannot be read.
  virtual std::vector<std::string> SubFolders(const std::string& path) = 0;
};

// The file system: "/" as the one fixed drive, sub-folders from the directory listing.
std::shared_ptr<IFolderSource> FileSystemFolders();

}  // namespace ui

class CDestinationPathDlg : public ui::UiDialog {
  Q_OBJECT

 public:
  explicit CDestinationPathDlg(QWidget* parent = nullptr,
                               std::shared_ptr<ui::IFolderSource> source = {});
  ~CDestinationPathDlg() override;

  void SetPath(const std::string& path) { m_strPath = path; }
  const std::string& GetPath() const { return m_strPath; }

  // Takes the selected item's path when the dialog ends (after OK and Cancel alike).
  int DoModal() override;

  QTreeWidget* Tree() const { return m_pTree; }
  QTreeWidgetItem* NetworkItem() const { return m_pNetworkItem; }
  // The path of an item: the real names from its top-level item down, each followed by "/".
  std::string PathOf(const QTreeWidgetItem* item) const;
  // The selected item; null when none.
  QTreeWidgetItem* SelectedItem() const;
  // The child of parent (a top-level item when parent is null) with this real name.
  QTreeWidgetItem* FindChild(QTreeWidgetItem* parent, const std::string& name) const;

  // Builds the tree as opening does (the gallery shows it without running it).
  void InitForPicture() { OnInitDialog(); }

 protected:
  bool OnInitDialog() override;

 private:
  void OnItemExpanded(QTreeWidgetItem* item);
  void OnSelectionChanged();
  void Fill(QTreeWidgetItem* item);
  // Expands the items along the start path and puts the focus on the last one found, without
  // selecting it.
  void OpenAtStartPath();
  QTreeWidgetItem* AddItem(QTreeWidgetItem* parent, const QString& label, const std::string& name,
                           int image, int selectedImage, int kind);

  std::shared_ptr<ui::IFolderSource> m_source;
  QTreeWidget* m_pTree = nullptr;
  QTreeWidgetItem* m_pNetworkItem = nullptr;
  std::string m_strPath;
  bool m_bOpening = false;
};
