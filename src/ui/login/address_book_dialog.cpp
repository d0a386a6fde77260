#include "ui/login/address_book_dialog.h"

#include <algorithm>

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>

#include "app/app_seams.h"
#include "ui/common/push_button.h"
#include "ui/common/qt_message_box.h"

namespace {

// The edits' widths in characters.
constexpr int kUserChars = 15;
constexpr int kTextChars = 31;
constexpr int kPortChars = 5;

constexpr QSize kWindowSize(440, 306);
constexpr int kListTop = 30;
constexpr int kListHeight = 180;
constexpr QRect kPanelRect(12, 218, 416, 80);

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

constexpr int kButtonWidth = 70;

}  // namespace

CAddressBookDialog::CAddressBookDialog(std::filesystem::path file, QWidget* parent,
                                       app::CIPRecordFile::Writer writer)
    : ui::UiDialog(parent),
      m_model(std::move(file), std::move(writer), {kUserChars, kTextChars, kTextChars}) {
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

  auto* browse = new QWidget(this);
  browse->setObjectName(QStringLiteral("browseButtons"));
  browse->setGeometry(kPanelRect);
  auto* row = new QHBoxLayout(browse);
  row->setContentsMargins(0, 24, 0, 24);
  const struct {
    int id;
    const char* text;
    void (CAddressBookDialog::*handler)();
  } buttons[] = {{IDC_OLDBOOK_ADD, "ADD", &CAddressBookDialog::OnAdd},
                 {IDC_OLDBOOK_EDIT, "EDIT", &CAddressBookDialog::OnEdit},
                 {IDC_OLDBOOK_DELETE, "DELETE", &CAddressBookDialog::OnDelete},
                 {IDC_OLDBOOK_SELECT, "SELECT", &CAddressBookDialog::OnSelect},
                 {1, "CANCEL", &CAddressBookDialog::OnOK}};
  for (const auto& b : buttons) {
    QPushButton* button = ui::MakeButton(QString::fromLatin1(b.text), browse, kButtonWidth);
    row->addWidget(button);
    RegisterControl(b.id, button, ui::ControlRegistry::Tooltip::None);
    connect(button, &QPushButton::clicked, this, b.handler);
  }

  auto* form = new QWidget(this);
  form->setObjectName(QStringLiteral("entryFields"));
  form->setGeometry(kPanelRect);
  auto* grid = new QGridLayout(form);
  grid->setContentsMargins(0, 0, 0, 0);
  const struct {
    int id;
    const char* label;
    int row;
    int column;
    int chars;
  } fields[] = {{IDC_OLDBOOK_USER, "User", 0, 0, kUserChars},
                {IDC_OLDBOOK_ADDRESS, "IP Address", 0, 2, kTextChars},
                {IDC_OLDBOOK_PORT, "Port", 1, 0, kPortChars},
                {IDC_OLDBOOK_REMARK, "Remark", 1, 2, kTextChars}};
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
  entryButtons->addWidget(ok);
  grid->addLayout(entryButtons, 2, 0, 1, 4);
  RegisterControl(IDC_OLDBOOK_ENTRY_OK, ok, ui::ControlRegistry::Tooltip::None);
  connect(ok, &QPushButton::clicked, this, &CAddressBookDialog::OnEntryOk);
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
      EndDialog(-1);
      return false;
    case app::CIPRecordFile::OpenResult::CannotOpen:
      EndDialog(-1);
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

void CAddressBookDialog::DoDataExchange(ui::DataExchange& dx) {
  dx.Text(IDC_OLDBOOK_USER, m_strUser, kUserChars);
  dx.Text(IDC_OLDBOOK_ADDRESS, m_strAddress, kTextChars);
  dx.Text(IDC_OLDBOOK_PORT, m_strPort, kPortChars);
  dx.Text(IDC_OLDBOOK_REMARK, m_strRemark, kTextChars);
}

void CAddressBookDialog::OnOK() {
  if (m_mode != Mode::Browsing) {
    OnEntryOk();
    return;
  }
  ui::UiDialog::OnOK();
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

void CAddressBookDialog::ShowEntryFields(bool show) {
  if (QWidget* form = findChild<QWidget*>(QStringLiteral("entryFields")))
    form->setVisible(show);
  if (QWidget* browse = findChild<QWidget*>(QStringLiteral("browseButtons")))
    browse->setVisible(!show);
}

void CAddressBookDialog::FillFields(int row) {
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

void CAddressBookDialog::OnAdd() {
  m_mode = Mode::Adding;
  ShowEntryFields(true);
}

void CAddressBookDialog::OnEdit() {
  if (SelectedRow() < 0) {
    ui::MessageBoxById(4052);
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
    ui::MessageBoxById(4052);
    return;
  }
  m_model.Remove(row);
  Fill();
  SelectRow(row < m_model.Count() ? row : m_model.Count() - 1);
}

void CAddressBookDialog::OnSelect() {
  if (m_model.Count() == 0) {
    ui::MessageBoxById(4037);
    EndDialog(-1);
    return;
  }
  const int row = SelectedRow();
  if (row < 0) {
    ui::MessageBoxById(4050);
    return;
  }
  FillFields(row);
  EndDialog(100);
}
