#include "ui/login/address_book_list_dlg.h"

#include "ui/common/list_ctrl.h"
#include "ui/common/message_ids.h"
#include "ui/common/qt_message_box.h"

namespace {

constexpr QSize kWindowSize(430, 310);
constexpr QRect kListRect(12, 12, 406, 196);
constexpr ui::login::AddressBookPanel kPanel = {
    {IDC_ADDRESS_ADD, IDC_ADDRESS_EDIT, IDC_ADDRESS_DELETE, IDC_ADDRESS_SELECT, IDC_ADDRESS_USER,
     IDC_ADDRESS_ADDRESS, IDC_ADDRESS_PORT, IDC_ADDRESS_REMARK, IDC_ADDRESS_ENTRY_OK,
     IDC_ADDRESS_ENTRY_CANCEL},
    QRect(12, 216, 406, 84),
    31,
    QSize(8, 4)};

}  // namespace

CAddressBookListDlg::CAddressBookListDlg(std::filesystem::path file, QWidget* parent,
                                         app::CIPRecordFile::Writer writer)
    : AddressBookFrame(std::move(file), std::move(writer), kPanel, parent) {
  setWindowTitle(QStringLiteral("Address Book"));
  setFixedSize(kWindowSize);

  m_pList = new ui::ListCtrl(this);
  m_pList->setGeometry(kListRect);
  m_pList->SetGridLines(true);
  RegisterControl(IDC_ADDRESS_LIST, m_pList, ui::ControlRegistry::Tooltip::None);
  connect(m_pList, &QTreeWidget::itemClicked, this, [this] { OnListClick(); });
  connect(m_pList, &QTreeWidget::itemDoubleClicked, this, [this] { OnSelect(); });
  MakePanel();
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
    EndDialog(ui::login::kAddressBookUnusable);
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

void CAddressBookListDlg::FillRow(int row) {
  const app::IPRecord& entry = m_model.Entries()[static_cast<std::size_t>(row)];
  m_pList->SetItemText(row, 0, QString::fromStdString(entry.user));
  m_pList->SetItemText(row, 1, QString::fromStdString(entry.address));
  m_pList->SetItemText(row, 2, ui::login::PortText(entry));
  m_pList->SetItemText(row, 3, QString::fromStdString(entry.remark));
}

void CAddressBookListDlg::OnListClick() {
  if (m_model.Count() == 0)
    return;
  m_nSelected = m_pList->GetFirstSelected();
  FillFields(m_nSelected);
}

void CAddressBookListDlg::OnEdit() {
  if (m_model.Count() == 0)
    return;
  // Editing replaces the selected entry, so there must be one.
  if (m_nSelected < 0) {
    ui::MessageBoxById(ui::kMsgSelectAnItem);
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
    ui::MessageBoxById(ui::kMsgSelectAccountToDelete);
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
