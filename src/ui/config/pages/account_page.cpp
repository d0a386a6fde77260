#include "ui/config/pages/account_page.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <mutex>

#include "app/app_data.h"
#include "net/cgi_url.h"
#include "net/config_record_layout.h"
#include "net/config_records.h"
#include "net/record_fields.h"
#include "platform/message_box.h"
#include "ui/common/list_ctrl.h"
#include "ui/common/message_ids.h"
#include "ui/common/qt_message_box.h"
#include "ui/common/string_table.h"
#include "ui/config/records/config_text.h"
#include "ui/config/records/user_level_text.h"
#include "ui/config/sheets/sys_conf_sheet_base.h"

namespace syscfg {
namespace {

constexpr std::uint16_t kLevels[] = {30, 20, 10, 0};
constexpr std::uint32_t kLifeTimes[] = {1, 5, 10, 60, 1440, kNoLifeLimit};

}  // namespace

QString AccountLevelText(std::uint32_t level) {
  // An account of a level the client does not know shows as the highest level.
  const QString text = UserLevelText(level);
  return text.isEmpty() ? UserLevelText(kLevels[0]) : text;
}

QString AccountLifeTimeText(std::uint32_t minutes) {
  switch (minutes) {
    case kNoLifeLimit:
      return ui::LoadString(3018);
    case 1440:
      return ui::LoadString(3019);
    case 60:
      return ui::LoadString(3020);
    default:
      return QStringLiteral("%1 %2").arg(minutes).arg(ui::LoadString(3021));
  }
}

int LevelRow(std::uint32_t level) {
  for (int row = 0; row < 3; ++row) {
    if (kLevels[row] == level)
      return row;
  }
  return 3;
}

std::uint16_t LevelOfRow(int row) {
  return row >= 0 && row < 4 ? kLevels[row] : kLevels[3];
}

int LifeTimeRow(std::uint32_t minutes) {
  for (int row = 0; row < 5; ++row) {
    if (kLifeTimes[row] == minutes)
      return row;
  }
  return 5;
}

std::uint32_t LifeTimeOfRow(int row) {
  return row >= 0 && row < 6 ? kLifeTimes[row] : kNoLifeLimit;
}

bool IsAccountTextSendable(const QString& text) {
  return !text.isEmpty() && net::IsSafeCgiValue(text.toStdString());
}

}  // namespace syscfg

namespace {

constexpr std::initializer_list<int> kEntryControls = {
    AccountPropertyPage::IDC_USER_LABEL,  AccountPropertyPage::IDC_PASSWORD_LABEL,
    AccountPropertyPage::IDC_LEVEL_LABEL, AccountPropertyPage::IDC_LIFE_TIME_LABEL,
    AccountPropertyPage::IDC_USER,        AccountPropertyPage::IDC_PASSWORD,
    AccountPropertyPage::IDC_LEVEL,       AccountPropertyPage::IDC_LIFE_TIME,
    AccountPropertyPage::IDC_ENTRY_OK,    AccountPropertyPage::IDC_EXIT};

std::string LoggedInUser() {
  if (!g_lpApp)
    return {};
  const std::lock_guard lock(g_lpApp->m_SettingINI.m_TextLock);
  return g_lpApp->m_SettingINI.m_strUserName;
}

WorkingAccount Working(std::size_t i) {
  return ReadWorkingAccount(g_lpApp->m_TextPairRecords[i]);
}

void SetWorking(std::size_t i, const WorkingAccount& account) {
  WriteWorkingAccount(g_lpApp->m_TextPairRecords[i], account);
}

}  // namespace

AccountPropertyPage::AccountPropertyPage()
    : CSysConfPage(QStringLiteral("General::Account "), syscfg::kAccountPageCode) {}

ui::ListCtrl* AccountPropertyPage::List() {
  return Controls().Get<ui::ListCtrl>(IDC_LIST);
}

void AccountPropertyPage::CreateControls(QWidget* window) {
  using namespace syscfg;
  ui::ControlRegistry& c = Controls();
  auto* page = new QVBoxLayout(window);

  auto* listGroup = NewGroup(c, 0, QStringLiteral("Account"), window);
  auto* accounts = new QHBoxLayout(listGroup);
  ui::ListCtrl* list = NewList(c, IDC_LIST, listGroup);
  const float scale = g_lpApp ? g_lpApp->m_fDisplayScale : 1.0f;
  list->InsertColumn(0, ui::LoadString(3015), static_cast<int>(80 * scale));
  list->InsertColumn(1, ui::LoadString(3016), static_cast<int>(130 * scale));
  list->InsertColumn(2, ui::LoadString(3017), static_cast<int>(130 * scale));
  list->header()->setStretchLastSection(true);
  list->setMinimumHeight(150);
  accounts->addWidget(list, 1);
  auto* buttons = new QVBoxLayout;
  QPushButton* add = NewButton(c, IDC_ADD, QStringLiteral("ADD"), listGroup);
  QPushButton* edit = NewButton(c, IDC_EDIT, QStringLiteral("EDIT"), listGroup);
  QPushButton* remove = NewButton(c, IDC_DELETE, QStringLiteral("DELETE"), listGroup);
  buttons->addWidget(add);
  buttons->addWidget(edit);
  buttons->addWidget(remove);
  buttons->addStretch(1);
  accounts->addLayout(buttons);
  page->addWidget(listGroup, 1);

  auto* entryGroup = NewGroup(c, 0, QStringLiteral("Account Setting"), window);
  auto* entry = new QGridLayout(entryGroup);
  entry->addWidget(NewLabel(c, IDC_USER_LABEL, QStringLiteral("Username :"), entryGroup), 0, 0);
  entry->addWidget(NewEdit(c, IDC_USER, entryGroup, kAccountTextBytes), 0, 1);
  entry->addWidget(NewLabel(c, IDC_PASSWORD_LABEL, QStringLiteral("Password :"), entryGroup), 0, 2);
  entry->addWidget(NewEdit(c, IDC_PASSWORD, entryGroup, kAccountTextBytes, true), 0, 3);
  entry->addWidget(NewLabel(c, IDC_LEVEL_LABEL, QStringLiteral("User level :"), entryGroup), 1, 0);
  QComboBox* level = NewCombo(c, IDC_LEVEL, entryGroup);
  for (int id : {3011, 8332, 3012, 3013})
    level->addItem(ui::LoadString(id));
  entry->addWidget(level, 1, 1);
  entry->addWidget(NewLabel(c, IDC_LIFE_TIME_LABEL, QStringLiteral("Life time :"), entryGroup), 1,
                   2);
  QComboBox* life = NewCombo(c, IDC_LIFE_TIME, entryGroup);
  const QString minutes = ui::LoadString(3021);
  life->addItem(QStringLiteral("1  %1").arg(minutes));
  life->addItem(QStringLiteral("5  %1").arg(minutes));
  life->addItem(QStringLiteral("10 %1").arg(minutes));
  for (int id : {3020, 3019, 3018})
    life->addItem(ui::LoadString(id));
  entry->addWidget(life, 1, 3);
  auto* entryButtons = new QHBoxLayout;
  entryButtons->addStretch(1);
  QPushButton* ok = NewButton(c, IDC_ENTRY_OK, QStringLiteral("OK"), entryGroup);
  QPushButton* exit = NewButton(c, IDC_EXIT, QStringLiteral("EXIT"), entryGroup);
  entryButtons->addWidget(ok);
  entryButtons->addWidget(exit);
  entry->addLayout(entryButtons, 2, 0, 1, 4);
  entry->setColumnStretch(1, 1);
  entry->setColumnStretch(3, 1);
  page->addWidget(entryGroup);

  auto* maxRow = new QHBoxLayout;
  maxRow->addWidget(NewLabel(c, 0, QStringLiteral("Max User(s) :"), window));
  QLineEdit* maxUsers = NewPortEdit(c, IDC_MAX_USERS, window);
  maxRow->addWidget(maxUsers);
  maxRow->addStretch(1);
  page->addLayout(maxRow);

  QObject::connect(add, &QPushButton::clicked, window, [this] { OnAdd(); });
  QObject::connect(edit, &QPushButton::clicked, window, [this] { OnEdit(); });
  QObject::connect(remove, &QPushButton::clicked, window, [this] { OnDelete(); });
  QObject::connect(ok, &QPushButton::clicked, window, [this] { OnEntryOk(); });
  QObject::connect(exit, &QPushButton::clicked, window, [this] { OnEntryExit(); });
  QObject::connect(maxUsers, &QLineEdit::textEdited, window, [this] { OnMaxUsersEdited(); });
}

bool AccountPropertyPage::OnInitDialog() {
  using namespace cfg;
  m_nCount = 0;
  m_nMode = kAddMode;
  m_bChanged = false;
  m_nLoginAccount = -1;
  m_PendingLogin.reset();
  m_nLevel = m_nLifeTime = -1;
  m_strUser.clear();
  m_strPassword.clear();
  ShowEntry(false);
  const std::span<const std::uint8_t> record = CachedConfigRecord(kConfigSecure);
  if (record.empty())
    return CSysConfPage::OnInitDialog();
  m_wMaxUsers = net::RecordU16(record, secure::kMaxUsers);
  for (std::size_t i = 0; i < syscfg::kAccountSlots; ++i)
    SetWorking(i, {});
  const std::string loggedIn = LoggedInUser();
  ui::ListCtrl* list = List();
  for (std::size_t slot = 0; slot < secure::kAccountCount; ++slot) {
    const std::size_t at = secure::kAccounts + secure::kAccountBytes * slot;
    const QString name =
        syscfg::ShownText(record, {at + secure::kAccountName.offset, secure::kAccountName.width});
    if (name.isEmpty())
      continue;
    WorkingAccount account;
    account.used = true;
    account.name = name.toStdString();
    account.password = syscfg::ShownText(record, {at + secure::kAccountPassword.offset,
                                                  secure::kAccountPassword.width})
                           .toStdString();
    account.level = static_cast<std::uint16_t>(net::RecordU32(record, at + secure::kAccountLevel));
    account.lifeTime = net::RecordU32(record, at + secure::kAccountLifeTime);
    const auto index = static_cast<std::size_t>(m_nCount);
    SetWorking(index, account);
    if (m_nLoginAccount < 0 && account.name == loggedIn)
      m_nLoginAccount = m_nCount;
    if (list != nullptr)
      list->InsertItem(m_nCount, name);
    SetRow(m_nCount, account);
    ++m_nCount;
  }
  return CSysConfPage::OnInitDialog();
}

void AccountPropertyPage::SetRow(int row, const WorkingAccount& account) {
  ui::ListCtrl* list = List();
  if (list == nullptr)
    return;
  list->SetItemText(row, 0, QString::fromStdString(account.name));
  list->SetItemText(row, 1, syscfg::AccountLevelText(account.level));
  list->SetItemText(row, 2, syscfg::AccountLifeTimeText(account.lifeTime));
}

void AccountPropertyPage::DoDataExchange(ui::DataExchange& dx) {
  dx.ComboIndex(IDC_LEVEL, m_nLevel);
  syscfg::ExchangeText(dx, IDC_PASSWORD, m_strPassword, syscfg::kAccountTextBytes);
  dx.ComboIndex(IDC_LIFE_TIME, m_nLifeTime);
  syscfg::ExchangeText(dx, IDC_USER, m_strUser, syscfg::kAccountTextBytes);
  if (auto* maxUsers = Controls().Get<QLineEdit>(IDC_MAX_USERS); maxUsers && !dx.Failed()) {
    if (dx.Saving()) {
      m_wMaxUsers = static_cast<std::uint16_t>(std::min(maxUsers->text().toUInt(), 65535u));
    } else {
      maxUsers->setText(QString::number(m_wMaxUsers));
    }
  }
}

bool AccountPropertyPage::CheckForApply() {
  if (!CSysConfPage::CheckForApply())
    return false;
  const CSysConfSheetBase* sheet = GetConfSheet();
  const bool sends = m_bChanged || (sheet != nullptr && m_wMaxUsers != sheet->m_Mirror.maxUsers);
  if (sends && (m_wMaxUsers < 1 || m_wMaxUsers > 10)) {
    ui::MessageBoxById(ui::kMsgMaxUsersRange);
    if (QWidget* maxUsers = GetDlgItem(IDC_MAX_USERS))
      maxUsers->setFocus();
    return false;
  }
  return true;
}

void AccountPropertyPage::ShowEntry(bool show) {
  ui::ControlRegistry& c = Controls();
  // The entry's group goes with its controls.
  if (QWidget* user = c.Get(IDC_USER); user != nullptr && user->parentWidget() != GetWindow())
    user->parentWidget()->setVisible(show);
  for (int id : kEntryControls) {
    if (QWidget* control = c.Get(id)) {
      control->setVisible(show);
      control->setEnabled(show);
    }
  }
  syscfg::EnableControls(c, {IDC_ADD, IDC_DELETE, IDC_EDIT, IDC_LIST}, !show);
}

void AccountPropertyPage::OnAdd() {
  const auto* maxUsers = Controls().Get<QLineEdit>(IDC_MAX_USERS);
  const unsigned maximum = maxUsers != nullptr ? maxUsers->text().toUInt() : m_wMaxUsers;
  // The table has ten slots, whatever the maximum says.
  if (m_nCount >= static_cast<int>(syscfg::kAccountSlots)) {
    ui::MessageBoxById(ui::kMsgAccountMemoryFull);
    return;
  }
  if (static_cast<unsigned>(m_nCount) >= maximum) {
    ui::MessageBoxById(ui::kMsgAddAccountFailed);
    return;
  }
  ShowEntry(true);
  ui::ControlRegistry& c = Controls();
  for (int id : {IDC_USER, IDC_PASSWORD}) {
    if (auto* edit = c.Get<QLineEdit>(id))
      edit->clear();
  }
  for (int id : {IDC_LEVEL, IDC_LIFE_TIME}) {
    if (auto* combo = c.Get<QComboBox>(id))
      combo->setCurrentIndex(-1);
  }
  m_nMode = kAddMode;
}

void AccountPropertyPage::OnEdit() {
  ui::ListCtrl* list = List();
  if (list == nullptr)
    return;
  if (m_nCount == 0)
    ui::MessageBoxById(ui::kMsgNothingToEdit);  // and on: without rows there is no selection either
  const int row = list->GetFirstSelected();
  if (row < 0) {
    ui::MessageBoxById(ui::kMsgSelectAccountToEdit);
    return;
  }
  ShowEntry(true);
  const WorkingAccount account = Working(static_cast<std::size_t>(row));
  ui::ControlRegistry& c = Controls();
  if (auto* level = c.Get<QComboBox>(IDC_LEVEL))
    level->setCurrentIndex(syscfg::LevelRow(account.level));
  if (auto* life = c.Get<QComboBox>(IDC_LIFE_TIME))
    life->setCurrentIndex(syscfg::LifeTimeRow(account.lifeTime));
  if (auto* user = c.Get<QLineEdit>(IDC_USER))
    user->setText(QString::fromStdString(account.name));
  if (auto* password = c.Get<QLineEdit>(IDC_PASSWORD))
    password->setText(QString::fromStdString(account.password));
  m_nMode = kEditMode;
}

void AccountPropertyPage::OnDelete() {
  ui::ListCtrl* list = List();
  if (list == nullptr)
    return;
  if (m_nCount == 0) {
    ui::MessageBoxById(ui::kMsgNothingToDelete);
    return;
  }
  const int row = list->GetFirstSelected();
  if (row < 0) {
    ui::MessageBoxById(ui::kMsgSelectAccountToDelete);
    return;
  }
  if (row == m_nLoginAccount) {
    ui::MessageBoxById(ui::kMsgDeleteOwnAccount);
    return;
  }
  list->DeleteItem(row);
  // The later accounts move up one place; the last used slot becomes free.
  for (int i = row; i + 1 < m_nCount; ++i)
    SetWorking(static_cast<std::size_t>(i), Working(static_cast<std::size_t>(i + 1)));
  SetWorking(static_cast<std::size_t>(m_nCount - 1), {});
  --m_nCount;
  if (m_nLoginAccount > row)
    --m_nLoginAccount;
  m_bChanged = true;
}

void AccountPropertyPage::OnEntryOk() {
  if (!UpdateData(true))
    return;
  const bool complete =
      !m_strUser.isEmpty() && !m_strPassword.isEmpty() && m_nLevel >= 0 && m_nLifeTime >= 0;
  if (complete && (!syscfg::IsAccountTextSendable(m_strUser) ||
                   !syscfg::IsAccountTextSendable(m_strPassword))) {
    // The entry stays open for a name or password that a login could not send.
    platform::ShowMessageBox(kUnsendableText);
    return;
  }
  ShowEntry(false);
  ui::ListCtrl* list = List();
  if (list == nullptr)
    return;
  WorkingAccount account;
  account.used = true;
  account.name = m_strUser.toStdString();
  account.password = m_strPassword.toStdString();
  account.level = syscfg::LevelOfRow(m_nLevel);
  account.lifeTime = syscfg::LifeTimeOfRow(m_nLifeTime);
  if (m_nMode == kEditMode) {
    const int row = list->GetFirstSelected();
    if (!complete || row < 0 || row >= m_nCount) {
      ui::MessageBoxById(ui::kMsgEditAccountFailed);
      return;
    }
    SetWorking(static_cast<std::size_t>(row), account);
    SetRow(row, account);
    m_bChanged = true;
    if (row == m_nLoginAccount)
      m_PendingLogin = std::make_pair(account.name, account.password);
    return;
  }
  if (!complete) {
    ui::MessageBoxById(ui::kMsgAddAccountFailed);
    return;
  }
  if (m_nCount >= static_cast<int>(syscfg::kAccountSlots)) {
    ui::MessageBoxById(ui::kMsgAccountMemoryFull);
    return;
  }
  if (m_nCount >= m_wMaxUsers) {
    ui::MessageBoxById(ui::kMsgAddAccountFailed);
    return;
  }
  SetWorking(static_cast<std::size_t>(m_nCount), account);
  list->InsertItem(m_nCount, m_strUser);
  SetRow(m_nCount, account);
  ++m_nCount;
  m_bChanged = true;
}

void AccountPropertyPage::OnEntryExit() {
  ShowEntry(false);
  ui::ControlRegistry& c = Controls();
  for (int id : {IDC_USER, IDC_PASSWORD}) {
    if (auto* edit = c.Get<QLineEdit>(id))
      edit->clear();
  }
  for (int id : {IDC_LEVEL, IDC_LIFE_TIME}) {
    if (auto* combo = c.Get<QComboBox>(id))
      combo->setCurrentIndex(-1);
  }
  m_strUser.clear();
  m_strPassword.clear();
  m_nLevel = m_nLifeTime = -1;
}

void AccountPropertyPage::OnMaxUsersEdited() {
  const auto* maxUsers = Controls().Get<QLineEdit>(IDC_MAX_USERS);
  if (maxUsers == nullptr || maxUsers->text().isEmpty())
    return;
  const unsigned value = maxUsers->text().toUInt();
  if (value == 0 || value > 10)
    ui::MessageBoxById(ui::kMsgMaxUsersRange);
}
