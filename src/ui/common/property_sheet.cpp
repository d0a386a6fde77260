#include "ui/common/property_sheet.h"

#include <QPushButton>
#include <QResizeEvent>
#include <QVBoxLayout>

namespace ui {

// Keeps the visible page window as large as the host.
class PageHostWidget final : public QWidget {
 public:
  PageHostWidget(CPropertySheet* sheet, QWidget* parent) : QWidget(parent), m_sheet(sheet) {
    setObjectName(QStringLiteral("PageHost"));
  }

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QWidget::resizeEvent(event);
    for (int i = 0; i < m_sheet->GetPageCount(); ++i) {
      if (QWidget* w = m_sheet->GetPage(i)->GetWindow())
        w->setGeometry(rect());
    }
  }

 private:
  CPropertySheet* m_sheet;
};

CPropertySheet::CPropertySheet(const QString& caption, QWidget* parent, int selectPage)
    : UiDialog(parent), m_startPage(selectPage) {
  setWindowTitle(caption);
  // Each run puts its run window into this layout; the window brings its own margins.
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
}

CPropertySheet::~CPropertySheet() {
  OnDestroyWindow();
}

void CPropertySheet::AddPage(CPropertyPage* page) {
  if (page == nullptr || GetPageIndex(page) >= 0)
    return;
  page->m_sheet = this;
  m_pages.push_back(page);
  if (m_windowCreated) {
    FillTabs();
    if (m_active < 0)
      ActivatePage(0);
    OnPagesChanged();
  }
}

void CPropertySheet::RemovePage(int index) {
  CPropertyPage* page = GetPage(index);
  if (page == nullptr)
    return;
  page->ReleasePageWindow();
  if (index == m_active) {
    m_active = -1;
  } else if (index < m_active) {
    --m_active;
  }
  page->m_sheet = nullptr;
  m_pages.erase(m_pages.begin() + index);
  if (m_windowCreated) {
    FillTabs();
    if (m_active < 0 && !m_pages.empty())
      ActivatePage(std::min(index, GetPageCount() - 1));
    OnPagesChanged();
  }
}

CPropertyPage* CPropertySheet::GetPage(int index) const {
  if (index < 0 || index >= GetPageCount())
    return nullptr;
  return m_pages[static_cast<std::size_t>(index)];
}

int CPropertySheet::GetPageIndex(const CPropertyPage* page) const {
  for (int i = 0; i < GetPageCount(); ++i) {
    if (m_pages[static_cast<std::size_t>(i)] == page)
      return i;
  }
  return -1;
}

bool CPropertySheet::SetActivePage(int index) {
  if (GetPage(index) == nullptr)
    return false;
  if (!m_windowCreated) {
    m_startPage = index;
    return true;
  }
  const bool done = ActivatePage(index);
  OnActivePageSet();
  return done;
}

int CPropertySheet::DoModal() {
  const int result = UiDialog::DoModal();
  OnDestroyWindow();
  return result;
}

bool CPropertySheet::OnInitDialog() {
  m_windowCreated = true;
  m_runWindow = std::make_unique<QWidget>(this);
  m_runWindow->setObjectName(QStringLiteral("RunWindow"));
  layout()->addWidget(m_runWindow.get());
  m_tabBar = new QTabBar(m_runWindow.get());
  m_tabBar->setObjectName(QStringLiteral("TabControl"));
  m_tabBar->setExpanding(false);
  m_pageHost = new PageHostWidget(this, m_runWindow.get());
  m_buttonBar = new QDialogButtonBox(m_runWindow.get());
  m_buttonBar->setObjectName(QStringLiteral("ButtonBar"));
  m_buttonBar->setFixedHeight(32);
  const struct {
    int id;
    QDialogButtonBox::StandardButton button;
    const char* text;
  } standard[] = {{IDOK, QDialogButtonBox::Ok, "OK"},
                  {IDCANCEL, QDialogButtonBox::Cancel, "Cancel"},
                  {ID_APPLY_NOW, QDialogButtonBox::Apply, "&Apply"},
                  {IDHELP, QDialogButtonBox::Help, "Help"}};
  for (const auto& b : standard) {
    QPushButton* button = m_buttonBar->addButton(b.button);
    button->setText(tr(b.text));
    button->setAutoDefault(false);
    RegisterControl(b.id, button, ControlRegistry::Tooltip::None);
  }
  connect(m_buttonBar, &QDialogButtonBox::accepted, this, [this] { OnOK(); });
  connect(m_buttonBar, &QDialogButtonBox::rejected, this, [this] { OnCancel(); });
  GetDlgItem(ID_APPLY_NOW)->setEnabled(false);
  GetDlgItem(IDHELP)->hide();
  FillTabs();
  connect(m_tabBar, &QTabBar::currentChanged, this, [this](int index) {
    if (m_syncingTabs || index == m_active)
      return;
    if (!ActivatePage(index)) {
      m_syncingTabs = true;
      m_tabBar->setCurrentIndex(m_active);
      m_syncingTabs = false;
    }
  });
  BuildLayout();
  m_active = -1;
  if (!m_pages.empty()) {
    const int start = (m_startPage >= 0 && m_startPage < GetPageCount()) ? m_startPage : 0;
    ActivatePage(start);
  }
  return UiDialog::OnInitDialog();
}

void CPropertySheet::BuildLayout() {
  auto* layout = new QVBoxLayout(m_runWindow.get());
  layout->addWidget(m_tabBar);
  layout->addWidget(m_pageHost, 1);
  layout->addWidget(m_buttonBar);
}

void CPropertySheet::OnOK() {
  // The page being left checks its data first; a refusal keeps the sheet open.
  CPropertyPage* current = GetActivePage();
  if (current != nullptr && IsPageShown() && !current->OnKillActive())
    return;
  EndDialog(IDOK);
}

void CPropertySheet::OnDestroyWindow() {
  for (CPropertyPage* page : m_pages)
    page->ForgetPageWindow();
  m_active = -1;
  // The page windows, tab bar, page host and buttons go with the run window.
  m_runWindow.reset();
  m_windowCreated = false;
}

bool CPropertySheet::IsPageShown() const {
  const CPropertyPage* page = GetActivePage();
  return page != nullptr && page->GetWindow() != nullptr && !page->GetWindow()->isHidden();
}

bool CPropertySheet::DeactivateCurrentPage() {
  CPropertyPage* current = GetActivePage();
  if (current == nullptr || !IsPageShown())
    return true;
  if (!current->OnKillActive())
    return false;
  current->GetWindow()->hide();
  return true;
}

bool CPropertySheet::ActivatePage(int index) {
  CPropertyPage* next = GetPage(index);
  if (next == nullptr || !m_windowCreated)
    return false;
  if (index == m_active && IsPageShown())
    return true;
  if (!DeactivateCurrentPage())
    return false;
  next->CreatePageWindow(m_pageHost);
  if (!next->OnSetActive()) {
    // The old page's window stays hidden; it is still the current one.
    if (CPropertyPage* old = GetActivePage(); old != nullptr && old->GetWindow() != nullptr) {
      old->GetWindow()->show();
    }
    return false;
  }
  m_active = index;
  PlacePage(next);
  if (m_tabBar) {
    m_syncingTabs = true;
    m_tabBar->setCurrentIndex(index);
    m_syncingTabs = false;
  }
  return true;
}

void CPropertySheet::PlacePage(CPropertyPage* page) {
  QWidget* window = page->GetWindow();
  if (window == nullptr)
    return;
  window->setGeometry(m_pageHost->rect());
  window->show();
  window->raise();
}

void CPropertySheet::FillTabs() {
  if (!m_tabBar)
    return;
  m_syncingTabs = true;
  while (m_tabBar->count() > 0)
    m_tabBar->removeTab(0);
  for (CPropertyPage* page : m_pages) {
    const int tab = m_tabBar->addTab(page->GetCaption());
    if (page->HasIcon())
      m_tabBar->setTabIcon(tab, page->GetIcon());
  }
  if (m_active >= 0)
    m_tabBar->setCurrentIndex(m_active);
  m_syncingTabs = false;
}

}  // namespace ui
