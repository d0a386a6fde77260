#include "ui/common/property_page.h"

namespace ui {

CPropertyPage::CPropertyPage(QString caption) : m_caption(std::move(caption)) {}

CPropertyPage::~CPropertyPage() {
  ReleasePageWindow();
}

void CPropertyPage::SetIcon(const QIcon& icon) {
  m_icon = icon;
  m_bUseIcon = !icon.isNull();
}

void CPropertyPage::DestroyIcon() {
  m_icon = QIcon();
  m_bUseIcon = false;
}

bool CPropertyPage::UpdateData(bool saveAndValidate) {
  DataExchange dx(m_controls, saveAndValidate);
  DoDataExchange(dx);
  return !dx.Failed();
}

bool CPropertyPage::OnInitDialog() {
  UpdateData(false);
  return true;
}

bool CPropertyPage::OnSetActive() {
  return true;
}

bool CPropertyPage::OnKillActive() {
  return UpdateData(true);
}

void CPropertyPage::DoDataExchange(DataExchange&) {}

void CPropertyPage::CreateControls(QWidget*) {}

void CPropertyPage::OnControlsCreated(QWidget*) {}

QWidget* CPropertyPage::CreatePageWindow(QWidget* parent) {
  if (m_window)
    return m_window;
  auto* window = new QWidget(parent);
  window->setObjectName(QStringLiteral("page:%1").arg(m_caption));
  window->hide();
  m_window = window;
  m_controls.Clear();
  CreateControls(window);
  OnControlsCreated(window);
  OnInitDialog();
  return window;
}

void CPropertyPage::ForgetPageWindow() {
  m_window.clear();
  m_controls.Clear();
}

void CPropertyPage::ReleasePageWindow() {
  if (m_window) {
    m_window->hide();
    m_window->deleteLater();
  }
  ForgetPageWindow();
}

}  // namespace ui
