#include "ui/login/address_book_frame.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>

#include "ui/common/message_ids.h"
#include "ui/common/plain_controls.h"
#include "ui/common/qt_message_box.h"

namespace ui::login {
namespace {

constexpr int kTextChars = 31;
constexpr int kPortChars = 5;
constexpr int kButtonWidth = 70;

}  // namespace

AddressBookFrame::AddressBookFrame(std::filesystem::path file, app::CIPRecordFile::Writer writer,
                                   const AddressBookPanel& panel, QWidget* parent)
    : ui::UiDialog(parent),
      m_model(std::move(file), std::move(writer), {panel.userChars, kTextChars, kTextChars}),
      m_panel(panel) {}

AddressBookFrame::~AddressBookFrame() = default;

void AddressBookFrame::MakePanel() {
  const AddressBookIds& ids = m_panel.ids;
  // Browsing: the list's keys in one row.
  auto* browse = new QWidget(this);
  browse->setObjectName(QStringLiteral("browseButtons"));
  browse->setGeometry(m_panel.place);
  auto* row = new QHBoxLayout(browse);
  row->setContentsMargins(0, 24, 0, 24);
  const ui::RowKey keys[] = {{ids.add, "ADD", [this] { OnAdd(); }},
                             {ids.edit, "EDIT", [this] { OnEdit(); }},
                             {ids.remove, "DELETE", [this] { OnDelete(); }},
                             {ids.select, "SELECT", [this] { OnSelect(); }},
                             {kAddressBookClose, "CANCEL", [this] { OnOK(); }}};
  ui::AddKeyRow(*this, *row, browse, keys, kButtonWidth);

  // Adding or editing: the entry fields with their OK (and CANCEL).
  auto* form = new QWidget(this);
  form->setObjectName(QStringLiteral("entryFields"));
  form->setGeometry(m_panel.place);
  auto* grid = new QGridLayout(form);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setHorizontalSpacing(m_panel.fieldSpacing.width());
  grid->setVerticalSpacing(m_panel.fieldSpacing.height());
  const ui::GridEdit fields[] = {{ids.user, "User", 0, 0, m_panel.userChars},
                                 {ids.address, "IP Address", 0, 2, kTextChars},
                                 {ids.port, "Port", 1, 0, kPortChars},
                                 {ids.remark, "Remark", 1, 2, kTextChars}};
  ui::AddGridEdits(*this, *grid, form, fields);
  auto* entryButtons = new QHBoxLayout;
  entryButtons->addStretch();
  QPushButton* ok = ui::MakeButton(QStringLiteral("OK"), form, kButtonWidth);
  entryButtons->addWidget(ok);
  RegisterControl(ids.entryOk, ok, ui::ControlRegistry::Tooltip::None);
  connect(ok, &QPushButton::clicked, this, [this] { OnEntryOk(); });
  if (ids.entryCancel != 0) {
    QPushButton* cancel = ui::MakeButton(QStringLiteral("CANCEL"), form, kButtonWidth);
    entryButtons->addWidget(cancel);
    RegisterControl(ids.entryCancel, cancel, ui::ControlRegistry::Tooltip::None);
    connect(cancel, &QPushButton::clicked, this, [this] { OnEntryCancel(); });
  }
  grid->addLayout(entryButtons, 2, 0, 1, 4);
}

void AddressBookFrame::DoDataExchange(ui::DataExchange& dx) {
  const AddressBookIds& ids = m_panel.ids;
  dx.Text(ids.user, m_strUser, m_panel.userChars);
  dx.Text(ids.address, m_strAddress, kTextChars);
  dx.Text(ids.port, m_strPort, kPortChars);
  dx.Text(ids.remark, m_strRemark, kTextChars);
}

void AddressBookFrame::OnOK() {
  if (m_mode != Mode::Browsing) {
    OnEntryOk();
    return;
  }
  ui::UiDialog::OnOK();
}

void AddressBookFrame::ShowEntryFields(bool show) {
  if (QWidget* form = findChild<QWidget*>(QStringLiteral("entryFields")))
    form->setVisible(show);
  if (QWidget* browse = findChild<QWidget*>(QStringLiteral("browseButtons")))
    browse->setVisible(!show);
}

void AddressBookFrame::FillFields(int row) {
  if (row < 0 || row >= m_model.Count())
    return;
  const app::IPRecord& entry = m_model.Entries()[static_cast<std::size_t>(row)];
  m_strUser = QString::fromStdString(entry.user);
  m_strAddress = QString::fromStdString(entry.address);
  m_strPort = PortText(entry);
  m_strRemark = QString::fromStdString(entry.remark);
  m_nPort = entry.port;
  UpdateData(false);
}

void AddressBookFrame::OnAdd() {
  m_mode = Mode::Adding;
  ShowEntryFields(true);
}

void AddressBookFrame::OnSelect() {
  if (m_model.Count() == 0) {
    ui::MessageBoxById(ui::kMsgNothingToSelect);
    EndDialog(kAddressBookUnusable);
    return;
  }
  const int row = SelectedRow();
  if (row < 0) {
    ui::MessageBoxById(kMsgSelectAnItem);
    return;
  }
  FillFields(row);
  EndDialog(kAddressBookChosen);
}

}  // namespace ui::login
