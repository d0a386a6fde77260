#include "ui/config/pages/ftp_page.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/app_data.h"
#include "net/config_record_layout.h"
#include "net/config_records.h"
#include "net/record_fields.h"
#include "ui/common/list_ctrl.h"
#include "ui/common/message_ids.h"
#include "ui/common/qt_message_box.h"
#include "ui/config/records/config_text.h"
#include "ui/config/records/sys_conf_mirror.h"

namespace {

constexpr int kServerBytes = 31;
constexpr int kAccountBytes = 15;
constexpr int kDirectoryBytes = 31;
constexpr std::uint32_t kDefaultFtpPort = 21;
constexpr std::initializer_list<int> kEntryControls = {
    FTPPropertyPage::IDC_USER_LABEL,   FTPPropertyPage::IDC_PASSWORD_LABEL,
    FTPPropertyPage::IDC_SERVER_LABEL, FTPPropertyPage::IDC_PORT_LABEL,
    FTPPropertyPage::IDC_USER,         FTPPropertyPage::IDC_PORT,
    FTPPropertyPage::IDC_PASSWORD,     FTPPropertyPage::IDC_SERVER,
    FTPPropertyPage::IDC_ENTRY_OK};

}  // namespace

FTPPropertyPage::FTPPropertyPage()
    : CSysConfPage(QStringLiteral("Network::FTP"), syscfg::kFtpPageCode) {}

ui::ListCtrl* FTPPropertyPage::List() {
  return Controls().Get<ui::ListCtrl>(IDC_SITE_LIST);
}

void FTPPropertyPage::CreateControls(QWidget* window) {
  using namespace syscfg;
  ui::ControlRegistry& c = Controls();
  auto* page = new QVBoxLayout(window);

  auto* siteGroup = NewGroup(c, 0, QStringLiteral("FTP Site"), window);
  auto* sites = new QHBoxLayout(siteGroup);
  ui::ListCtrl* list = NewList(c, IDC_SITE_LIST, siteGroup);
  list->InsertColumn(0, QStringLiteral("Username"), 90);
  list->InsertColumn(1, QStringLiteral("Ftp site"), 150);
  list->InsertColumn(2, QStringLiteral("Port number"), 90);
  list->header()->setSectionResizeMode(1, QHeaderView::Stretch);
  list->setMinimumHeight(90);
  sites->addWidget(list, 1);
  auto* buttons = new QVBoxLayout;
  QPushButton* add = NewButton(c, IDC_ADD, QStringLiteral("Add"), siteGroup);
  QPushButton* edit = NewButton(c, IDC_EDIT, QStringLiteral("Edit"), siteGroup);
  QPushButton* remove = NewButton(c, IDC_DELETE, QStringLiteral("Delete"), siteGroup);
  buttons->addWidget(add);
  buttons->addWidget(edit);
  buttons->addWidget(remove);
  buttons->addStretch(1);
  sites->addLayout(buttons);
  page->addWidget(siteGroup, 1);

  auto* entryGroup = NewGroup(c, 0, QStringLiteral("Site Setting"), window);
  auto* entry = new QGridLayout(entryGroup);
  entry->addWidget(NewLabel(c, IDC_SERVER_LABEL, QStringLiteral("Ftp Site :"), entryGroup), 0, 0);
  entry->addWidget(NewEdit(c, IDC_SERVER, entryGroup, kServerBytes), 0, 1);
  entry->addWidget(NewLabel(c, IDC_PORT_LABEL, QStringLiteral("Port :"), entryGroup), 0, 2);
  QLineEdit* port = NewPortEdit(c, IDC_PORT, entryGroup);
  entry->addWidget(port, 0, 3);
  entry->addWidget(NewLabel(c, IDC_USER_LABEL, QStringLiteral("User Name :"), entryGroup), 1, 0);
  entry->addWidget(NewEdit(c, IDC_USER, entryGroup, kAccountBytes), 1, 1);
  entry->addWidget(NewLabel(c, IDC_PASSWORD_LABEL, QStringLiteral("Password :"), entryGroup), 1, 2);
  QLineEdit* password = NewEdit(c, IDC_PASSWORD, entryGroup, kAccountBytes, true);
  password->setMaximumWidth(120);  // the site's name takes the room
  entry->addWidget(password, 1, 3);
  QPushButton* ok = NewButton(c, IDC_ENTRY_OK, QStringLiteral("OK"), entryGroup);
  entry->addWidget(ok, 2, 3);
  entry->addWidget(NewLabel(c, 0, QStringLiteral("Directory :"), entryGroup), 3, 0);
  entry->addWidget(NewEdit(c, IDC_DIRECTORY, entryGroup, kDirectoryBytes), 3, 1, 1, 3);
  entry->setColumnStretch(1, 1);
  page->addWidget(entryGroup);

  QObject::connect(add, &QPushButton::clicked, window, [this] { OnAdd(); });
  QObject::connect(edit, &QPushButton::clicked, window, [this] { OnEdit(); });
  QObject::connect(remove, &QPushButton::clicked, window, [this] { OnDelete(); });
  QObject::connect(ok, &QPushButton::clicked, window, [this] { OnEntryOk(); });
  QObject::connect(port, &QLineEdit::textEdited, window, [this] { OnPortEdited(); });
}

bool FTPPropertyPage::OnInitDialog() {
  using namespace cfg;
  if (const std::span<const std::uint8_t> record = CachedConfigRecord(kConfigFtp);
      !record.empty()) {
    m_strServer = syscfg::FtpShownText(record, ftp::kServer.offset, ftp::kServer.width);
    m_strPassword = syscfg::FtpShownText(record, ftp::kPassword.offset, ftp::kPassword.width);
    m_strUser = syscfg::FtpShownText(record, ftp::kUser.offset, ftp::kUser.width);
    m_strDirectory = syscfg::FtpShownText(record, ftp::kDirectory.offset, ftp::kDirectory.width);
    m_dwPort = net::RecordU16(record, ftp::kPort);
  }
  m_nRows = 0;
  m_nMode = kAddMode;
  ShowEntry(false);
  return CSysConfPage::OnInitDialog();
}

void FTPPropertyPage::ShowEntry(bool show) {
  ui::ControlRegistry& c = Controls();
  for (int id : kEntryControls) {
    if (QWidget* control = c.Get(id)) {
      control->setVisible(show);
      control->setEnabled(show);
    }
  }
  syscfg::EnableControls(c, {IDC_ADD, IDC_DELETE, IDC_EDIT}, !show);
}

void FTPPropertyPage::DoDataExchange(ui::DataExchange& dx) {
  syscfg::ExchangeText(dx, IDC_SERVER, m_strServer, kServerBytes);
  syscfg::ExchangeText(dx, IDC_PASSWORD, m_strPassword, kAccountBytes);
  dx.Number(IDC_PORT, m_dwPort, 0u, 65535u);
  syscfg::ExchangeText(dx, IDC_USER, m_strUser, kAccountBytes);
  syscfg::ExchangeText(dx, IDC_DIRECTORY, m_strDirectory, kDirectoryBytes);
}

bool FTPPropertyPage::OnKillActive() {
  auto* port = Controls().Get<QLineEdit>(IDC_PORT);
  if (port != nullptr && port->text().trimmed().isEmpty()) {
    ui::MessageBoxById(ui::kMsgTypePort);
    return false;
  }
  return CSysConfPage::OnKillActive();
}

void FTPPropertyPage::OnAdd() {
  ShowEntry(true);
  ui::ControlRegistry& c = Controls();
  for (int id : {IDC_USER, IDC_PASSWORD, IDC_SERVER}) {
    if (auto* edit = c.Get<QLineEdit>(id))
      edit->clear();
  }
  if (auto* port = c.Get<QLineEdit>(IDC_PORT))
    port->setText(QString::number(kDefaultFtpPort));
  m_nMode = kAddMode;
}

void FTPPropertyPage::OnEdit() {
  ui::ListCtrl* list = List();
  if (list == nullptr)
    return;
  if (list->GetItemCount() == 0)
    ui::MessageBoxById(ui::kMsgNothingToEdit);  // and on: without rows there is no selection either
  const int row = list->GetFirstSelected();
  if (row < 0) {
    ui::MessageBoxById(ui::kMsgSelectMailToEdit);
    return;
  }
  ui::ControlRegistry& c = Controls();
  if (auto* user = c.Get<QLineEdit>(IDC_USER))
    user->setText(list->GetItemText(row, 0));
  if (auto* server = c.Get<QLineEdit>(IDC_SERVER))
    server->setText(list->GetItemText(row, 1));
  if (auto* port = c.Get<QLineEdit>(IDC_PORT))
    port->setText(QString::number(list->GetItemText(row, 2).toUInt()));
  ShowEntry(true);
  m_nMode = kEditMode;
}

void FTPPropertyPage::OnDelete() {
  ui::ListCtrl* list = List();
  if (list == nullptr)
    return;
  if (list->GetItemCount() == 0)
    ui::MessageBoxById(
        ui::kMsgNothingToDelete);  // and on: without rows there is no selection either
  const int row = list->GetFirstSelected();
  if (row < 0) {
    ui::MessageBoxById(ui::kMsgSelectMailToDelete);
    return;
  }
  list->DeleteItem(row);
  --m_nRows;
}

void FTPPropertyPage::OnEntryOk() {
  ShowEntry(false);
  if (!UpdateData(true))
    return;
  const bool complete = !m_strServer.isEmpty() && !m_strPassword.isEmpty() &&
                        !m_strUser.isEmpty() && m_dwPort < 65536;
  ui::ListCtrl* list = List();
  if (list == nullptr)
    return;
  const QString port = QString::number(m_dwPort);
  if (m_nMode == kAddMode) {
    if (!complete) {
      ui::MessageBoxById(ui::kMsgAddFtpSiteFailed);
      return;
    }
    const int row = list->InsertItem(m_nRows, m_strUser);
    list->SetItemText(row, 1, m_strServer);
    list->SetItemText(row, 2, port);
    ++m_nRows;
    return;
  }
  const int row = list->GetFirstSelected();
  if (!complete || row < 0) {
    ui::MessageBoxById(ui::kMsgEditFtpSiteFailed);
    return;
  }
  list->SetItemText(row, 0, m_strUser);
  list->SetItemText(row, 1, m_strServer);
  list->SetItemText(row, 2, port);
}

void FTPPropertyPage::OnPortEdited() {
  auto* port = Controls().Get<QLineEdit>(IDC_PORT);
  if (port == nullptr || port->text().isEmpty())
    return;
  const unsigned value = port->text().toUInt();
  if (value == 0 || value > 65535) {
    ui::MessageBoxById(ui::kMsgWrongPort);
    port->setText(QString::number(kDefaultFtpPort));
  }
}
