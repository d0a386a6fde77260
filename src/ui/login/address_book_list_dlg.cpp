#include "ui/login/address_book_list_dlg.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ui/common/list_ctrl.h"
#include "ui/common/push_button.h"
#include "ui/common/qt_message_box.h"

namespace {

constexpr int kTextChars = 31;
constexpr int kPortChars = 5;

constexpr QSize kWindowSize(430, 310);
constexpr QRect kListRect(12, 12, 406, 196);
constexpr QRect kPanelRect(12, 216, 406, 84);

constexpr int kButtonWidth = 70;

}  // namespace

CAddressBookListDlg::CAddressBookListDlg(std::filesystem::path file, QWidget* parent,
                                         app::CIPRecordFile::Writer writer)
    : ui::UiDialog(parent),
      m_model(std::move(file), std::move(writer), {kTextChars, kTextChars, kTextChars}) {
  setWindowTitle(QStringLiteral("Address Book"));
  setFixedSize(kWindowSize);

  m_pList = new ui::ListCtrl(this);
  m_pList->setGeometry(kListRect);
  m_pList->SetGridLines(true);
  RegisterControl(IDC_ADDRESS_LIST, m_pList, ui::ControlRegistry::Tooltip::None);
  connect(m_pList, &QTreeWidget::itemClicked, this, [this] { OnListClick(); });
  connect(m_pList, &QTreeWidget::itemDoubleClicked, this, [this] { OnSelect(); });

  // Browsing: the list's buttons in one row.
  auto* browse = new QWidget(this);
  browse->setObjectName(QStringLiteral("browseButtons"));
  browse->setGeometry(kPanelRect);
  auto* row = new QHBoxLayout(browse);
  row->setContentsMargins(0, 24, 0, 24);
  const struct {
    int id;
    const char* text;
    void (CAddressBookListDlg::*handler)();
  } buttons[] = {{IDC_ADDRESS_ADD, "ADD", &CAddressBookListDlg::OnAdd},
                 {IDC_ADDRESS_EDIT, "EDIT", &CAddressBookListDlg::OnEdit},
                 {IDC_ADDRESS_DELETE, "DELETE", &CAddressBookListDlg::OnDelete},
                 {IDC_ADDRESS_SELECT, "SELECT", &CAddressBookListDlg::OnSelect},
                 {IDC_ADDRESS_CLOSE, "CANCEL", &CAddressBookListDlg::OnOK}};
  for (const auto& b : buttons) {
    QPushButton* button = ui::MakeButton(QString::fromLatin1(b.text), browse, kButtonWidth);
    row->addWidget(button);
    RegisterControl(b.id, button, ui::ControlRegistry::Tooltip::None);
    connect(button, &QPushButton::clicked, this, b.handler);
  }

  // Adding or editing: the entry fields with their OK and CANCEL.
  auto* form = new QWidget(this);
  form->setObjectName(QStringLiteral("entryFields"));
  form->setGeometry(kPanelRect);
  auto* grid = new QGridLayout(form);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(4);
  const struct {
    int id;
    const char* label;
    int row;
    int column;
    int chars;
  } fields[] = {{IDC_ADDRESS_USER, "User", 0, 0, kTextChars},
                {IDC_ADDRESS_ADDRESS, "IP Address", 0, 2, kTextChars},
                {IDC_ADDRESS_PORT, "Port", 1, 0, kPortChars},
                {IDC_ADDRESS_REMARK, "Remark", 1, 2, kTextChars}};
  for (const auto& f : fields) {
    auto* edit = new QLineEdit(form);
    edit->setMaxLength(f.chars);
    grid->addWidget(new QLabel(QString::fromLatin1(f.label), form), f.row, f.column);
    grid->addWidget(edit, f.row, f.column + 1);
    RegisterControl(f.id, edit, ui::ControlRegistry::Tooltip::None);
  }
  auto* entryButtons = new QHBoxLayout;
  entryButtons->addStretch();
  QPushButton* ok = ui::MakeButton(QStringLiteral("OK"), form, kButtonWidth);
  QPushButton* cancel = ui::MakeButton(QStringLiteral("CANCEL"), form, kButtonWidth);
  entryButtons->addWidget(ok);
  entryButtons->addWidget(cancel);
  grid->addLayout(entryButtons, 2, 0, 1, 4);
  RegisterControl(IDC_ADDRESS_ENTRY_OK, ok, ui::ControlRegistry::Tooltip::None);
  RegisterControl(IDC_ADDRESS_ENTRY_CANCEL, cancel, ui::ControlRegistry::Tooltip::None);
  connect(ok, &QPushButton::clicked, this, &CAddressBookListDlg::OnEntryOk);
  connect(cancel, &QPushButton::clicked, this, &CAddressBookListDlg::OnEntryCancel);
}

CAddressBookListDlg::~CAddressBookListDlg() = default;

bool CAddressBookListDlg::OnInitDialog() {
  // 1. Columns; the entry fields hidden.
  m_pList->clear();
  m_pList->setColumnCount(0);
  m_pList->InsertColumn(0, QStringLiteral("User"), 80);
  m_pList->InsertColumn(1, QStringLiteral("IP Address"), 140);
  m_pList->InsertColumn(2, QStringLiteral("Port"), 60);
  m_pList->InsertColumn(3, QStringLiteral("Remark"), 120);
  ShowEntryFields(false);
  // 2.-4. The file and its rows.
  if (m_model.Open() != app::CIPRecordFile::OpenResult::Opened) {
    EndDialog(kAddressBookUnusable);
    return false;
  }
  for (int i = 0; i < m_model.Count(); ++i) {
    m_pList->InsertItem(i, QString());
    FillRow(i);
  }
  // 5. The first entry selected and in the fields.
  if (m_model.Count() > 0) {
    m_pList->SelectItem(0);
    m_nSelected = 0;
    FillFields(0);
  }
  UpdateData(false);
  return true;
}

void CAddressBookListDlg::DoDataExchange(ui::DataExchange& dx) {
  dx.Text(IDC_ADDRESS_USER, m_strUser, kTextChars);
  dx.Text(IDC_ADDRESS_ADDRESS, m_strAddress, kTextChars);
  dx.Text(IDC_ADDRESS_PORT, m_strPort, kPortChars);
  dx.Text(IDC_ADDRESS_REMARK, m_strRemark, kTextChars);
}

void CAddressBookListDlg::OnOK() {
  if (m_mode != Mode::Browsing) {
    OnEntryOk();
    return;
  }
  ui::UiDialog::OnOK();
}

void CAddressBookListDlg::FillFields(int row) {
  if (row < 0 || row >= m_model.Count())
    return;
  const app::IPRecord& entry = m_model.Entries()[static_cast<std::size_t>(row)];
  m_strUser = QString::fromStdString(entry.user);
  m_strAddress = QString::fromStdString(entry.address);
  m_strPort = ui::login::PortText(entry);
  m_strRemark = QString::fromStdString(entry.remark);
  m_nPort = entry.port;
  UpdateData(false);
}

void CAddressBookListDlg::FillRow(int row) {
  const app::IPRecord& entry = m_model.Entries()[static_cast<std::size_t>(row)];
  m_pList->SetItemText(row, 0, QString::fromStdString(entry.user));
  m_pList->SetItemText(row, 1, QString::fromStdString(entry.address));
  m_pList->SetItemText(row, 2, ui::login::PortText(entry));
  m_pList->SetItemText(row, 3, QString::fromStdString(entry.remark));
}

void CAddressBookListDlg::ShowEntryFields(bool show) {
  if (QWidget* form = findChild<QWidget*>(QStringLiteral("entryFields")))
    form->setVisible(show);
  if (QWidget* browse = findChild<QWidget*>(QStringLiteral("browseButtons")))
    browse->setVisible(!show);
}

void CAddressBookListDlg::OnListClick() {
  if (m_model.Count() == 0)
    return;
  m_nSelected = m_pList->GetFirstSelected();
  FillFields(m_nSelected);
}

void CAddressBookListDlg::OnAdd() {
  m_mode = Mode::Adding;
  ShowEntryFields(true);
}

void CAddressBookListDlg::OnEdit() {
  if (m_model.Count() == 0)
    return;
  // Editing replaces the selected entry, so there must be one.
  if (m_nSelected < 0) {
    ui::MessageBoxById(ui::login::kMsgSelectAnItem);
    return;
  }
  m_mode = Mode::Editing;
  ShowEntryFields(true);
}

void CAddressBookListDlg::OnEntryCancel() {
  m_mode = Mode::Browsing;
  ShowEntryFields(false);
  UpdateData(false);
}

void CAddressBookListDlg::OnEntryOk() {
  const Mode mode = m_mode;
  m_mode = Mode::Browsing;
  ShowEntryFields(false);
  UpdateData(true);
  if (mode == Mode::Editing) {
    if (const int message =
            m_model.Replace(m_nSelected, m_strUser, m_strAddress, m_strPort, m_strRemark);
        message != 0) {
      ui::MessageBoxById(message);
    } else {
      FillRow(m_nSelected);
    }
  } else if (mode == Mode::Adding) {
    if (const int message = m_model.Add(m_strUser, m_strAddress, m_strPort, m_strRemark);
        message != 0) {
      ui::MessageBoxById(message);
    } else {
      const int row = m_model.Count() - 1;
      m_pList->InsertItem(row, QString());
      FillRow(row);
      if (m_model.Count() == 1) {
        m_pList->SelectItem(0);
        m_pList->EnsureVisible(0);
        m_nSelected = 0;
      }
    }
  }
  UpdateData(false);
}

void CAddressBookListDlg::OnDelete() {
  if (m_model.Count() == 0)
    return;
  if (m_nSelected < 0) {
    ui::MessageBoxById(4086);
    return;
  }
  const int row = m_nSelected;
  m_model.Remove(row);
  m_pList->DeleteItem(row);
  // The row now at the same place, or the one above when the last row went.
  m_nSelected = row < m_model.Count() ? row : m_model.Count() - 1;
  m_pList->SelectItem(m_nSelected);
  FillFields(m_nSelected);
  m_pList->setFocus();
}

void CAddressBookListDlg::OnSelect() {
  if (m_model.Count() == 0) {
    ui::MessageBoxById(4037);
    EndDialog(kAddressBookUnusable);
    return;
  }
  if (m_nSelected < 0) {
    ui::MessageBoxById(ui::login::kMsgSelectAnItem);
    return;
  }
  FillFields(m_nSelected);
  EndDialog(kAddressBookChosen);
}
