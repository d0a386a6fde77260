// A property sheet: a dialog that shows one of its pages at a time, chosen by a tab bar. Pages
// are objects kept by the owner; their windows exist only during a modal run, each made when
// its page is first activated in that run. Every widget of a run (tab bar, page host with the
// page windows, button box, and what a derived sheet adds) lives under one child of the sheet,
// replaced as a whole at the end of the run. Leaving a page asks it first (OnKillActive), and a
// page that refuses stays active.
#pragma once

#include <QDialogButtonBox>
#include <QPointer>
#include <QTabBar>
#include <memory>
#include <vector>

#include "ui/common/property_page.h"
#include "ui/common/ui_dialog.h"

namespace ui {

// Ids of the sheet's standard buttons.
inline constexpr int IDHELP = 9;
inline constexpr int ID_APPLY_NOW = 12321;

class CPropertySheet : public UiDialog {
  Q_OBJECT

 public:
  explicit CPropertySheet(const QString& caption = {}, QWidget* parent = nullptr,
                          int selectPage = 0);
  ~CPropertySheet() override;

  // Adds a page (kept by the caller; it must outlive the sheet's use of it).
  void AddPage(CPropertyPage* page);
  void RemovePage(int index);
  void RemovePage(CPropertyPage* page) { RemovePage(GetPageIndex(page)); }
  int GetPageCount() const { return static_cast<int>(m_pages.size()); }
  CPropertyPage* GetPage(int index) const;
  int GetPageIndex(const CPropertyPage* page) const;

  int GetActiveIndex() const { return m_active; }
  CPropertyPage* GetActivePage() const { return GetPage(m_active); }
  // Makes page index the active page; false when the current page refuses to be left or the
  // new one refuses to become active.
  bool SetActivePage(int index);
  bool SetActivePage(CPropertyPage* page) { return SetActivePage(GetPageIndex(page)); }
  // The page the next run starts on.
  void SetStartPage(int index) { m_startPage = index; }

  // The sheet's window (its controls and page windows) exists during a modal run.
  bool HasWindow() const { return m_windowCreated; }
  // The tab bar that holds the page order, texts and icons; null outside a run.
  QTabBar* GetTabControl() const { return m_tabBar.data(); }
  // The widget the page windows are children of.
  QWidget* GetPageHost() const { return m_pageHost.data(); }
  // The row of standard buttons OK (1), Cancel (2), Apply Now (12321, disabled) and Help (9,
  // hidden), registered by id. The row keeps its height when a sheet hides the buttons and puts
  // its own there.
  QDialogButtonBox* GetButtonBar() const { return m_buttonBar.data(); }
  // The one widget all of the run's widgets are children of; null outside a run. It fills the
  // sheet, so its coordinates are the sheet's.
  QWidget* GetRunWindow() const { return m_runWindow.get(); }

  int DoModal() override;

 protected:
  bool OnInitDialog() override;
  // Lays out the tab bar and the page host above the button bar in the run window; a tree sheet
  // lays out its own way.
  virtual void BuildLayout();
  void OnOK() override;
  // After a page was added or removed while the window exists.
  virtual void OnPagesChanged() {}
  // After SetActivePage made a page active.
  virtual void OnActivePageSet() {}
  // Destroys the run's windows (called when a run ends).
  virtual void OnDestroyWindow();

  // Activates index: leaves the current page (which may refuse), makes the new page's window
  // when needed, shows it. Used by the tab bar and the tree.
  bool ActivatePage(int index);
  // Leaves the current page without activating another; false when the page refuses.
  bool DeactivateCurrentPage();
  // True while a page window is visible.
  bool IsPageShown() const;

 private:
  void FillTabs();
  void PlacePage(CPropertyPage* page);

  std::vector<CPropertyPage*> m_pages;
  // A child of the sheet, owned here so that the end of a run removes it at once.
  std::unique_ptr<QWidget> m_runWindow;
  QPointer<QTabBar> m_tabBar;
  QPointer<QWidget> m_pageHost;
  QPointer<QDialogButtonBox> m_buttonBar;
  int m_active = -1;
  int m_startPage = 0;
  bool m_windowCreated = false;
  bool m_syncingTabs = false;

  friend class PageHostWidget;
};

}  // namespace ui
