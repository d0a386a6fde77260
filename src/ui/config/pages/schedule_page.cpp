#include "ui/config/pages/schedule_page.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/app_data.h"
#include "app/app_seams.h"
#include "platform/message_box.h"
#include "ui/common/list_ctrl.h"
#include "ui/common/message_ids.h"
#include "ui/common/modal_runner.h"
#include "ui/common/qt_message_box.h"
#include "ui/common/services.h"
#include "ui/config/sheets/sys_conf_sheet_base.h"

namespace syscfg {
namespace {

constexpr std::uint64_t kMinFreeRecordBytes = 100ull << 20;

int UsedCount(const ScheduleTable& table) {
  return static_cast<int>(std::count_if(table.m_Slots.begin(), table.m_Slots.end(),
                                        [](const ScheduleSlot& s) { return s.used != 0; }));
}

}  // namespace

ScheduleCheck CheckNewPeriod(const ScheduleTable& table, std::int64_t start, std::int64_t end) {
  if (start >= end)
    return ScheduleCheck::kWrong;
  for (const ScheduleSlot& slot : table.m_Slots) {
    if (slot.used == 0)
      continue;
    const bool after = start >= slot.end && end > slot.end;
    const bool before = start < slot.start && end <= slot.start;
    if (!after && !before)
      return ScheduleCheck::kCovered;
  }
  return UsedCount(table) < static_cast<int>(kScheduleSlotCount) ? ScheduleCheck::kOk
                                                                 : ScheduleCheck::kTooMany;
}

ScheduleCheck CheckEditedPeriod(const ScheduleTable& table, int index, std::int64_t start,
                                std::int64_t end) {
  if (start >= end)
    return ScheduleCheck::kWrong;
  for (std::size_t i = 0; i < table.m_Slots.size(); ++i) {
    const ScheduleSlot& slot = table.m_Slots[i];
    if (slot.used == 0 || static_cast<int>(i) == index)
      continue;
    const bool after = start > slot.end && end > slot.end;
    const bool before = start < slot.start && end < slot.start;
    if (!after && !before)
      return ScheduleCheck::kCovered;
  }
  return ScheduleCheck::kOk;
}

bool AddPeriod(ScheduleTable& table, std::int64_t start, std::int64_t end) {
  for (ScheduleSlot& slot : table.m_Slots) {
    if (slot.used != 0)
      continue;
    slot = {start, end, 1};
    ++table.m_dwCount;
    SortPeriods(table);
    return true;
  }
  return false;
}

void ReplacePeriod(ScheduleTable& table, int index, std::int64_t start, std::int64_t end) {
  DeletePeriod(table, index);
  AddPeriod(table, start, end);
}

void DeletePeriod(ScheduleTable& table, int index) {
  auto& entries = table.m_Slots;
  if (index < 0 || index >= static_cast<int>(entries.size()) ||
      entries[static_cast<std::size_t>(index)].used == 0)
    return;
  std::move(entries.begin() + index + 1, entries.end(), entries.begin() + index);
  entries.back() = {};
  if (table.m_dwCount > 0)
    --table.m_dwCount;
}

void SortPeriods(ScheduleTable& table) {
  auto used = std::stable_partition(table.m_Slots.begin(), table.m_Slots.end(),
                                    [](const ScheduleSlot& s) { return s.used != 0; });
  std::stable_sort(table.m_Slots.begin(), used,
                   [](const ScheduleSlot& a, const ScheduleSlot& b) { return a.start < b.start; });
}

std::int64_t LocalSeconds(const QDate& date, int hour, int minute, int second) {
  return QDateTime(date, QTime(hour, minute, second)).toSecsSinceEpoch();
}

QDateTime LocalDateTime(std::int64_t seconds) {
  return QDateTime::fromSecsSinceEpoch(seconds);
}

QString ScheduleTimeText(std::int64_t seconds) {
  const QDateTime t = LocalDateTime(seconds);
  return QString::asprintf("%.4d.%.2d.%.2d %.2d:%.2d:%.2d", t.date().year(), t.date().month(),
                           t.date().day(), t.time().hour(), t.time().minute(), t.time().second());
}

}  // namespace syscfg

namespace {

// The schedule the program records by (the page edits it in place); null without a data block.
ScheduleTable* ProgramSchedule() {
  return g_lpApp ? &g_lpApp->m_ScheduleTable : nullptr;
}

}  // namespace

CTimeSettingDlg::CTimeSettingDlg(QWidget* parent) : UiDialog(parent) {
  setWindowTitle(QStringLiteral("Time Setting"));
  auto* layout = new QVBoxLayout(this);
  auto* groups = new QHBoxLayout;
  const struct {
    const char* title;
    int date, hour, minute;
  } parts[] = {{"Start", IDC_START_DATE, IDC_START_HOUR, IDC_START_MINUTE},
               {"End", IDC_END_DATE, IDC_END_HOUR, IDC_END_MINUTE}};
  for (const auto& part : parts) {
    auto* group = new QGroupBox(QString::fromLatin1(part.title), this);
    auto* grid = new QGridLayout(group);
    grid->addWidget(new QLabel(QStringLiteral("Date :"), group), 0, 0);
    auto* date = new QDateEdit(group);
    date->setCalendarPopup(true);
    date->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    RegisterControl(part.date, date, ui::ControlRegistry::Tooltip::None);
    grid->addWidget(date, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Hour :"), group), 1, 0);
    auto* hour = new QComboBox(group);
    for (int h = 0; h < 24; ++h)
      hour->addItem(QString::asprintf("%.2d", h));
    RegisterControl(part.hour, hour, ui::ControlRegistry::Tooltip::None);
    grid->addWidget(hour, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Minute :"), group), 2, 0);
    auto* minute = new QComboBox(group);
    for (int m = 0; m < 60; ++m)
      minute->addItem(QString::asprintf("%.2d", m));
    RegisterControl(part.minute, minute, ui::ControlRegistry::Tooltip::None);
    grid->addWidget(minute, 2, 1);
    groups->addWidget(group);
  }
  layout->addLayout(groups);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { OnOK(); });
  connect(buttons, &QDialogButtonBox::rejected, this, [this] { OnCancel(); });
  layout->addWidget(buttons);
}

void CTimeSettingDlg::SetTimes(std::int64_t start, std::int64_t end) {
  m_tStart = start;
  m_tEnd = end;
}

bool CTimeSettingDlg::OnInitDialog() {
  ScheduleTable* table = ProgramSchedule();
  if (table != nullptr && table->m_dwEditFlag != 0) {
    table->m_dwEditFlag = 0;
  } else {
    const platform::LocalTime now = app::Clock().Now();
    m_tStart =
        syscfg::LocalSeconds(QDate(now.year, now.month, now.day), now.hour, now.minute, now.second);
    m_tEnd = m_tStart + kNewPeriodSeconds;
  }
  const QDateTime start = syscfg::LocalDateTime(m_tStart);
  const QDateTime end = syscfg::LocalDateTime(m_tEnd);
  m_StartDate = start.date();
  m_nStartHour = start.time().hour();
  m_nStartMinute = start.time().minute();
  m_EndDate = end.date();
  m_nEndHour = end.time().hour();
  m_nEndMinute = end.time().minute();
  return UiDialog::OnInitDialog();
}

void CTimeSettingDlg::DoDataExchange(ui::DataExchange& dx) {
  const struct {
    int id;
    QDate* value;
  } dates[] = {{IDC_START_DATE, &m_StartDate}, {IDC_END_DATE, &m_EndDate}};
  for (const auto& d : dates) {
    auto* edit = Controls().Get<QDateEdit>(d.id);
    if (edit == nullptr)
      continue;
    if (dx.Saving()) {
      *d.value = edit->date();
    } else {
      edit->setDate(*d.value);
    }
  }
  dx.ComboIndex(IDC_END_HOUR, m_nEndHour);
  dx.ComboIndex(IDC_END_MINUTE, m_nEndMinute);
  dx.ComboIndex(IDC_START_HOUR, m_nStartHour);
  dx.ComboIndex(IDC_START_MINUTE, m_nStartMinute);
}

void CTimeSettingDlg::OnOK() {
  if (UpdateData(true))
    EndDialog(ui::IDOK);
}

std::int64_t CTimeSettingDlg::StartTime() const {
  return syscfg::LocalSeconds(m_StartDate, m_nStartHour, m_nStartMinute);
}

std::int64_t CTimeSettingDlg::EndTime() const {
  return syscfg::LocalSeconds(m_EndDate, m_nEndHour, m_nEndMinute);
}

CScheduleRecordPage::CScheduleRecordPage()
    : CSysConfPage(QStringLiteral("General::Schedule Record"), syscfg::kSchedulePageCode) {}

void CScheduleRecordPage::CreateControls(QWidget* window) {
  using namespace syscfg;
  ui::ControlRegistry& c = Controls();
  auto* page = new QVBoxLayout(window);
  auto* group = NewGroup(c, 0, QStringLiteral("Schedule Record"), window);
  auto* periods = new QHBoxLayout(group);
  ui::ListCtrl* list = NewList(c, IDC_LIST, group);
  list->InsertColumn(0, QStringLiteral("NO."), 50);
  list->InsertColumn(1, QStringLiteral("Start"), 150);
  list->InsertColumn(2, QStringLiteral("End"), 150);
  list->header()->setStretchLastSection(true);
  periods->addWidget(list, 1);
  auto* buttons = new QVBoxLayout;
  QPushButton* add = NewButton(c, IDC_ADD, QStringLiteral("Add"), group);
  QPushButton* edit = NewButton(c, IDC_EDIT, QStringLiteral("Edit"), group);
  QPushButton* remove = NewButton(c, IDC_DELETE, QStringLiteral("Delete"), group);
  buttons->addWidget(add);
  buttons->addWidget(edit);
  buttons->addWidget(remove);
  buttons->addStretch(1);
  periods->addLayout(buttons);
  page->addWidget(group, 1);
  QObject::connect(add, &QPushButton::clicked, window, [this] { OnAdd(); });
  QObject::connect(edit, &QPushButton::clicked, window, [this] { OnEdit(); });
  QObject::connect(remove, &QPushButton::clicked, window, [this] { OnDelete(); });
}

bool CScheduleRecordPage::OnInitDialog() {
  Refill();
  return CSysConfPage::OnInitDialog();
}

void CScheduleRecordPage::Refill() {
  ui::ListCtrl* list = Controls().Get<ui::ListCtrl>(IDC_LIST);
  const ScheduleTable* table = ProgramSchedule();
  if (list == nullptr || table == nullptr)
    return;
  list->DeleteAllItems();
  int row = 0;
  for (const ScheduleSlot& slot : table->m_Slots) {
    if (slot.used == 0)
      continue;
    list->InsertItem(row, QString::number(row + 1));
    list->SetItemText(row, 1, syscfg::ScheduleTimeText(slot.start));
    list->SetItemText(row, 2, syscfg::ScheduleTimeText(slot.end));
    ++row;
  }
}

void CScheduleRecordPage::Publish() {
  const CSysConfSheetBase* sheet = GetConfSheet();
  if (const ScheduleTable* table = ProgramSchedule();
      sheet != nullptr && sheet->Engine().setSchedule && table != nullptr)
    sheet->Engine().setSchedule(*table);
}

namespace {

void ShowScheduleCheck(syscfg::ScheduleCheck check) {
  switch (check) {
    case syscfg::ScheduleCheck::kWrong:
      platform::ShowMessageBox(syscfg::kTimeWrongText);
      break;
    case syscfg::ScheduleCheck::kCovered:
      platform::ShowMessageBox(syscfg::kTimeCoveredText);
      break;
    case syscfg::ScheduleCheck::kTooMany:
      platform::ShowMessageBox(syscfg::kScheduleTooManyText);
      break;
    case syscfg::ScheduleCheck::kOk:
      break;
  }
}

}  // namespace

void CScheduleRecordPage::OnAdd() {
  if (ProgramSchedule() == nullptr)
    return;
  const CSysConfSheetBase* sheet = GetConfSheet();
  const QString folder = sheet != nullptr ? sheet->m_Folders.record : QString();
  const std::optional<std::uint64_t> free = ui::DiskSpace().FreeBytes(folder);
  if (!free || *free <= syscfg::kMinFreeRecordBytes) {
    ui::MessageBoxById(ui::kMsgDiskFull);
    return;
  }
  CTimeSettingDlg dialog(GetWindow());
  if (ui::RunModal(dialog) != ui::IDOK)
    return;
  ScheduleTable& table = *ProgramSchedule();
  const std::int64_t start = dialog.StartTime();
  const std::int64_t end = dialog.EndTime();
  const syscfg::ScheduleCheck check = syscfg::CheckNewPeriod(table, start, end);
  if (check != syscfg::ScheduleCheck::kOk) {
    ShowScheduleCheck(check);
    return;
  }
  syscfg::AddPeriod(table, start, end);
  Refill();
  Publish();
}

std::optional<int> CScheduleRecordPage::SelectedPeriod() {
  ui::ListCtrl* list = Controls().Get<ui::ListCtrl>(IDC_LIST);
  const ScheduleTable* table = ProgramSchedule();
  if (list == nullptr || table == nullptr)
    return std::nullopt;
  const int row = list->GetFirstSelected();
  if (row < 0 || table->m_Slots[static_cast<std::size_t>(row)].used == 0) {
    ui::MessageBoxById(ui::kMsgSelectAccountToDelete);
    return std::nullopt;
  }
  return row;
}

void CScheduleRecordPage::OnEdit() {
  const std::optional<int> selected = SelectedPeriod();
  if (!selected)
    return;
  const int row = *selected;
  ScheduleTable& table = *ProgramSchedule();
  const ScheduleSlot slot = table.m_Slots[static_cast<std::size_t>(row)];
  table.m_dwEditFlag = 1;
  CTimeSettingDlg dialog(GetWindow());
  dialog.SetTimes(slot.start, slot.end);
  const int result = ui::RunModal(dialog);
  table.m_dwEditFlag = 0;
  if (result != ui::IDOK)
    return;
  const std::int64_t start = dialog.StartTime();
  const std::int64_t end = dialog.EndTime();
  const syscfg::ScheduleCheck check = syscfg::CheckEditedPeriod(table, row, start, end);
  if (check != syscfg::ScheduleCheck::kOk) {
    ShowScheduleCheck(check);
    return;
  }
  syscfg::ReplacePeriod(table, row, start, end);
  Refill();
  Publish();
}

void CScheduleRecordPage::OnDelete() {
  const std::optional<int> selected = SelectedPeriod();
  if (!selected)
    return;
  const int row = *selected;
  ui::ListCtrl* list = Controls().Get<ui::ListCtrl>(IDC_LIST);
  ScheduleTable& table = *ProgramSchedule();
  syscfg::DeletePeriod(table, row);
  Refill();
  const int count = list->GetItemCount();
  if (count > 0)
    list->SelectItem(row < count ? row : 0);
  Publish();
}
