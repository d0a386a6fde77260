#include "ui/config/pages/mail_page.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/app_data.h"
#include "net/config_record_layout.h"
#include "net/config_records.h"
#include "net/record_fields.h"
#include "platform/message_box.h"
#include "ui/common/list_ctrl.h"
#include "ui/common/message_ids.h"
#include "ui/common/modal_runner.h"
#include "ui/common/qt_message_box.h"
#include "ui/common/string_table.h"
#include "ui/config/records/config_text.h"

namespace {

constexpr int kAddressBytes = 63;
constexpr int kAccountBytes = 31;
// Row data: the row shows an address loaded from the record in its shown form.
constexpr std::uintptr_t kShownForm = 1;

}  // namespace

QString FormatMailAddress(const QString& text, int mode) {
  if (mode == 0) {
    const qsizetype at = text.indexOf(QLatin1Char('@'));
    const QString name = at < 0 ? text : text.left(at);
    return QStringLiteral("%1 <%2>").arg(name, text);
  }
  const qsizetype open = text.indexOf(QLatin1Char('<'));
  const qsizetype close = text.indexOf(QLatin1Char('>'), open + 1);
  if (open < 0 || close < 0)
    return text;
  return text.mid(open + 1, close - open - 1);
}

// The edit dialog.

CMailAccountEditDlg::CMailAccountEditDlg(QWidget* parent) : UiDialog(parent) {
  setWindowTitle(QStringLiteral("Mail Account Edit"));
  auto* layout = new QVBoxLayout(this);
  auto* prompt = new QLabel(this);
  RegisterControl(IDC_PROMPT, prompt);
  layout->addWidget(prompt);
  auto* address = new QLineEdit(this);
  address->setMinimumWidth(300);
  syscfg::LimitTextBytes(*address, kAddressBytes);
  RegisterControl(IDC_ADDRESS, address);
  layout->addWidget(address);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  RegisterControl(ui::IDOK, buttons->button(QDialogButtonBox::Ok),
                  ui::ControlRegistry::Tooltip::None);
  RegisterControl(ui::IDCANCEL, buttons->button(QDialogButtonBox::Cancel),
                  ui::ControlRegistry::Tooltip::None);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { OnOK(); });
  connect(buttons, &QDialogButtonBox::rejected, this, [this] { OnCancel(); });
  layout->addWidget(buttons);
}

bool CMailAccountEditDlg::OnInitDialog() {
  if (auto* prompt = Controls().Get<QLabel>(IDC_PROMPT))
    prompt->setText(m_strPrompt);
  return UiDialog::OnInitDialog();
}

void CMailAccountEditDlg::DoDataExchange(ui::DataExchange& dx) {
  syscfg::ExchangeText(dx, IDC_ADDRESS, m_strAddress, kAddressBytes);
}

// The page.

MailPropertyPage::MailPropertyPage()
    : CSysConfPage(QStringLiteral("Network::Mail"), syscfg::kMailPageCode) {}

ui::ListCtrl* MailPropertyPage::List() const {
  return const_cast<MailPropertyPage*>(this)->Controls().Get<ui::ListCtrl>(IDC_ADDRESS_LIST);
}

void MailPropertyPage::CreateControls(QWidget* window) {
  using namespace syscfg;
  ui::ControlRegistry& c = Controls();
  auto* page = new QVBoxLayout(window);

  auto* smtpGroup = NewGroup(c, 0, QStringLiteral("SMTP"), window);
  auto* smtp = new QGridLayout(smtpGroup);
  smtp->addWidget(NewLabel(c, 0, QStringLiteral("SMTP Server :"), smtpGroup), 0, 0);
  smtp->addWidget(NewEdit(c, IDC_SERVER, smtpGroup, kAddressBytes), 0, 1, 1, 3);
  smtp->addWidget(NewLabel(c, 0, QStringLiteral("Mail From :"), smtpGroup), 1, 0);
  smtp->addWidget(NewEdit(c, IDC_FROM, smtpGroup, kAddressBytes), 1, 1, 1, 3);
  smtp->addWidget(NewLabel(c, 0, QStringLiteral("Password Verify :"), smtpGroup), 2, 0);
  QRadioButton* yes = NewRadio(c, IDC_VERIFY_YES, QStringLiteral("Yes"), smtpGroup);
  QRadioButton* no = NewRadio(c, IDC_VERIFY_NO, QStringLiteral("No"), smtpGroup);
  auto* verify = new QHBoxLayout;
  verify->addWidget(yes);
  verify->addWidget(no);
  verify->addStretch(1);
  smtp->addLayout(verify, 2, 1, 1, 3);
  smtp->addWidget(NewLabel(c, 0, QStringLiteral("User Name :"), smtpGroup), 3, 0);
  smtp->addWidget(NewEdit(c, IDC_USER, smtpGroup, kAccountBytes), 3, 1, 1, 3);
  smtp->addWidget(NewLabel(c, 0, QStringLiteral("Password :"), smtpGroup), 4, 0);
  smtp->addWidget(NewEdit(c, IDC_PASSWORD, smtpGroup, kAccountBytes, true), 4, 1, 1, 3);
  page->addWidget(smtpGroup);

  auto* listGroup = NewGroup(c, 0, QStringLiteral("Alarm E-mail"), window);
  auto* lists = new QHBoxLayout(listGroup);
  ui::ListCtrl* list = NewList(c, IDC_ADDRESS_LIST, listGroup);
  list->InsertColumn(0, ui::LoadString(3014), 300);
  list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  list->setMinimumHeight(110);
  lists->addWidget(list, 1);
  auto* buttons = new QVBoxLayout;
  QPushButton* add = NewButton(c, IDC_ADD, QStringLiteral("Add"), listGroup);
  QPushButton* edit = NewButton(c, IDC_EDIT, QStringLiteral("Edit"), listGroup);
  QPushButton* remove = NewButton(c, IDC_DELETE, QStringLiteral("Delete"), listGroup);
  buttons->addWidget(add);
  buttons->addWidget(edit);
  buttons->addWidget(remove);
  buttons->addStretch(1);
  lists->addLayout(buttons);
  page->addWidget(listGroup, 1);

  QObject::connect(yes, &QRadioButton::clicked, window, [this] {
    m_byVerify = 2;
    ShowVerify(2);
  });
  QObject::connect(no, &QRadioButton::clicked, window, [this] {
    m_byVerify = 0;
    ShowVerify(0);
  });
  QObject::connect(add, &QPushButton::clicked, window, [this] { OnAdd(); });
  QObject::connect(edit, &QPushButton::clicked, window, [this] { OnEdit(); });
  QObject::connect(remove, &QPushButton::clicked, window, [this] { OnDelete(); });
}

bool MailPropertyPage::OnInitDialog() {
  using namespace cfg;
  QStringList loaded;
  if (const std::span<const std::uint8_t> record = CachedConfigRecord(kConfigSmtp);
      !record.empty()) {
    m_strFrom = syscfg::ShownText(record, smtp::kFrom);
    m_strServer = syscfg::ShownText(record, smtp::kServer);
    m_strUser = syscfg::ShownText(record, smtp::kUser);
    m_strPassword = syscfg::ShownText(record, smtp::kPassword);
    m_byVerify = net::RecordU8(record, smtp::kVerify);
    for (std::size_t slot = 0; slot < smtp::kAddressCount; ++slot) {
      const QString address = syscfg::ShownText(record, smtp::Address(slot));
      if (!address.isEmpty())
        loaded << address;
    }
  }
  m_nCount = 0;
  m_bChanged = false;
  if (ui::ListCtrl* list = List()) {
    for (const QString& address : loaded) {
      const int row = list->InsertItem(m_nCount, FormatMailAddress(address, 0));
      list->SetItemData(row, kShownForm);
      ++m_nCount;
    }
  }
  ShowVerify(m_byVerify);
  return CSysConfPage::OnInitDialog();
}

void MailPropertyPage::ShowVerify(std::uint8_t verify) {
  ui::ControlRegistry& c = Controls();
  if (verify != 0 && verify != 2)
    return;  // the radios stay as they are: no row stands for the value
  syscfg::CheckRadio(c, IDC_VERIFY_YES, verify == 2);
  syscfg::CheckRadio(c, IDC_VERIFY_NO, verify == 0);
  syscfg::EnableControls(c, {IDC_USER, IDC_PASSWORD}, verify == 2);
}

void MailPropertyPage::DoDataExchange(ui::DataExchange& dx) {
  syscfg::ExchangeText(dx, IDC_FROM, m_strFrom, kAddressBytes);
  syscfg::ExchangeText(dx, IDC_SERVER, m_strServer, kAddressBytes);
  syscfg::ExchangeText(dx, IDC_PASSWORD, m_strPassword, kAccountBytes);
  syscfg::ExchangeText(dx, IDC_USER, m_strUser, kAccountBytes);
}

std::optional<QString> MailPropertyPage::EditAddress(int prompt, const QString& text) {
  CMailAccountEditDlg dialog(GetWindow());
  dialog.m_strPrompt = ui::LoadString(prompt);
  dialog.m_strAddress = text;
  if (ui::RunModal(dialog) != ui::IDOK)
    return std::nullopt;
  return dialog.m_strAddress;
}

void MailPropertyPage::OnAdd() {
  ui::ListCtrl* list = List();
  if (list == nullptr)
    return;
  if (m_nCount >= kMaxMailAddresses) {
    ui::MessageBoxById(ui::kMsgMaxMailAddresses);
    return;
  }
  const std::optional<QString> address = EditAddress(CMailAccountEditDlg::kAddPrompt, {});
  if (!address || address->isEmpty())
    return;
  list->InsertItem(m_nCount, *address);
  ++m_nCount;
  m_bChanged = true;
}

void MailPropertyPage::OnEdit() {
  ui::ListCtrl* list = List();
  const int row = list != nullptr ? list->GetFirstSelected() : -1;
  if (row < 0) {
    ui::MessageBoxById(ui::kMsgSelectMailToEdit);
    return;
  }
  const QString before = list->GetItemText(row, 0);
  const std::optional<QString> address = EditAddress(CMailAccountEditDlg::kEditPrompt, before);
  if (!address)
    return;
  if (*address != before) {
    list->SetItemText(row, 0, *address);
    list->SetItemData(row, 0);  // typed: stored as it stands
  }
  m_bChanged = true;
}

void MailPropertyPage::OnDelete() {
  ui::ListCtrl* list = List();
  const int row = list != nullptr ? list->GetFirstSelected() : -1;
  if (row < 0) {
    ui::MessageBoxById(ui::kMsgSelectMailToDelete);
    return;
  }
  list->DeleteItem(row);
  --m_nCount;
  m_bChanged = true;
}

QStringList MailPropertyPage::AddressesToStore() const {
  QStringList addresses;
  const ui::ListCtrl* list = List();
  if (list == nullptr)
    return addresses;
  for (int row = 0; row < list->GetItemCount(); ++row) {
    const QString text = list->GetItemText(row, 0);
    addresses << (list->GetItemData(row) == kShownForm ? FormatMailAddress(text, 1) : text);
  }
  return addresses;
}

bool MailPropertyPage::CheckForApply() {
  if (!CSysConfPage::CheckForApply())
    return false;
  for (const QString& address : AddressesToStore()) {
    if (!syscfg::FitsBytes(address, kAddressBytes)) {
      platform::ShowMessageBox(
          syscfg::TooLongText(QStringLiteral("The address \"%1\"").arg(address), kAddressBytes)
              .toStdString());
      if (QWidget* list = List())
        list->setFocus();
      return false;
    }
  }
  return true;
}
