#include "ui/login/address_book_dialog.h"

#include <algorithm>

#include <QLabel>
#include <QListWidget>
#include <QScrollBar>

#include "app/app_seams.h"
#include "ui/common/message_ids.h"
#include "ui/common/qt_message_box.h"

namespace {

constexpr QSize kWindowSize(440, 306);
constexpr int kListTop = 30;
constexpr int kListHeight = 180;
constexpr ui::login::AddressBookPanel kPanel = {
    {IDC_OLDBOOK_ADD, IDC_OLDBOOK_EDIT, IDC_OLDBOOK_DELETE, IDC_OLDBOOK_SELECT, IDC_OLDBOOK_USER,
     IDC_OLDBOOK_ADDRESS, IDC_OLDBOOK_PORT, IDC_OLDBOOK_REMARK, IDC_OLDBOOK_ENTRY_OK, 0},
    QRect(12, 218, 416, 80),
    15,
    QSize(-1, -1)};

struct ListPlace {
  int id;
  const char* heading;
  int x;
  int width;
};
constexpr std::array<ListPlace, 4> kLists = {{{IDC_OLDBOOK_USER_LIST, "User", 12, 100},
                                              {IDC_OLDBOOK_ADDRESS_LIST, "IP Address", 112, 130},
                                              {IDC_OLDBOOK_PORT_LIST, "Port", 242, 60},
                                              {IDC_OLDBOOK_REMARK_LIST, "Remark", 302, 110}}};

}  // namespace

CAddressBookDialog::CAddressBookDialog(std::filesystem::path file, QWidget* parent,
                                       app::CIPRecordFile::Writer writer)
    : AddressBookFrame(std::move(file), std::move(writer), kPanel, parent) {
  setWindowTitle(QStringLiteral("IP Address Book"));
  setFixedSize(kWindowSize);

  for (std::size_t i = 0; i < kLists.size(); ++i) {
    const ListPlace& place = kLists[i];
    auto* heading = new QLabel(QString::fromLatin1(place.heading), this);
    heading->setGeometry(place.x, kListTop - 18, place.width, 16);
    auto* list = new QListWidget(this);
    list->setGeometry(place.x, kListTop, place.width, kListHeight);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    RegisterControl(place.id, list, ui::ControlRegistry::Tooltip::None);
    m_lists[i] = list;
    // A row chosen in one list box is chosen in the other three.
    connect(list, &QListWidget::currentRowChanged, this, [this](int row) {
      if (!m_syncing)
        SelectRow(row);
    });
  }
  m_pScroll = new QScrollBar(Qt::Vertical, this);
  m_pScroll->setGeometry(412, kListTop, 16, kListHeight);
  m_pScroll->setSingleStep(1);
  m_pScroll->setPageStep(5);
  RegisterControl(IDC_OLDBOOK_SCROLL, m_pScroll, ui::ControlRegistry::Tooltip::None);
  connect(m_pScroll, &QScrollBar::valueChanged, this, [this](int row) { ScrollTo(row); });

  MakePanel();
}

CAddressBookDialog::~CAddressBookDialog() = default;

int CAddressBookDialog::SelectedRow() const {
  return m_lists[0]->currentRow();
}

std::array<int, 4> CAddressBookDialog::TopRows() const {
  std::array<int, 4> rows{};
  for (std::size_t i = 0; i < m_lists.size(); ++i) {
    const QListWidgetItem* top = m_lists[i]->itemAt(2, 2);
    rows[i] = top != nullptr ? m_lists[i]->row(top) : -1;
  }
  return rows;
}

bool CAddressBookDialog::OnInitDialog() {
  ShowEntryFields(false);
  switch (m_model.Open()) {
    case app::CIPRecordFile::OpenResult::Opened:
      break;
    case app::CIPRecordFile::OpenResult::Bad:
      app::TraceLine("CAddressBookDialog::OnInitDialog() : Read record file is failed \n");
      EndDialog(ui::login::kAddressBookUnusable);
      return false;
    case app::CIPRecordFile::OpenResult::CannotOpen:
      EndDialog(ui::login::kAddressBookUnusable);
      return false;
  }
  Fill();
  if (m_model.Count() > 0) {
    SelectRow(0);
    FillFields(0);
  }
  UpdateData(false);
  return true;
}

void CAddressBookDialog::Fill() {
  m_syncing = true;
  for (QListWidget* list : m_lists)
    list->clear();
  for (const app::IPRecord& entry : m_model.Entries()) {
    m_lists[0]->addItem(QString::fromStdString(entry.user));
    m_lists[1]->addItem(QString::fromStdString(entry.address));
    m_lists[2]->addItem(ui::login::PortText(entry));
    m_lists[3]->addItem(QString::fromStdString(entry.remark));
  }
  m_syncing = false;
  const int count = m_model.Count();
  m_pScroll->setRange(0, count > 0 ? count - 1 : 0);
  m_pScroll->setEnabled(count >= kOldBookScrollFrom);
}

void CAddressBookDialog::SelectRow(int row) {
  m_syncing = true;
  for (QListWidget* list : m_lists)
    list->setCurrentRow(row);
  m_syncing = false;
  if (row >= 0)
    FillFields(row);
}

void CAddressBookDialog::ScrollTo(int row) {
  row = std::clamp(row, 0, std::max(0, m_model.Count() - 1));
  for (QListWidget* list : m_lists) {
    if (QListWidgetItem* item = list->item(row))
      list->scrollToItem(item, QAbstractItemView::PositionAtTop);
  }
}

void CAddressBookDialog::OnEdit() {
  if (SelectedRow() < 0) {
    ui::MessageBoxById(ui::kMsgSelectASetting);
    return;
  }
  m_mode = Mode::Editing;
  ShowEntryFields(true);
}

void CAddressBookDialog::OnEntryOk() {
  const Mode mode = m_mode;
  m_mode = Mode::Browsing;
  ShowEntryFields(false);
  UpdateData(true);
  const int row = SelectedRow();
  int message = 0;
  if (mode == Mode::Editing)
    message = m_model.Replace(row, m_strUser, m_strAddress, m_strPort, m_strRemark);
  else if (mode == Mode::Adding)
    message = m_model.Add(m_strUser, m_strAddress, m_strPort, m_strRemark);
  if (message != 0) {
    ui::MessageBoxById(message);
    UpdateData(false);
    return;
  }
  Fill();
  SelectRow(mode == Mode::Adding ? m_model.Count() - 1 : row);
}

void CAddressBookDialog::OnDelete() {
  const int row = SelectedRow();
  if (row < 0) {
    ui::MessageBoxById(ui::kMsgSelectASetting);
    return;
  }
  m_model.Remove(row);
  Fill();
  SelectRow(row < m_model.Count() ? row : m_model.Count() - 1);
}
