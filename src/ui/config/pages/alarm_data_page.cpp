#include "ui/config/pages/alarm_data_page.h"

#include <unistd.h>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "media/alarm_db/alarm_database.h"
#include "platform/message_box.h"
#include "ui/common/list_ctrl.h"
#include "ui/common/message_ids.h"
#include "ui/common/program_files.h"
#include "ui/common/qt_message_box.h"
#include "ui/common/services.h"
#include "ui/config/sheets/sys_conf_sheet_base.h"

namespace syscfg {

QString AlarmRecordTimeText(const AlarmDataRecord& record) {
  const SystemTime& t = record.StartTime;
  return QString::asprintf("%.4d.%.2d.%.2d %.2d:%.2d:%.2d", t.wYear, t.wMonth, t.wDay, t.wHour,
                           t.wMinute, t.wSecond);
}

bool RecordFileUsable(const std::string& path) {
  return !path.empty() && ::access(path.c_str(), R_OK | W_OK) == 0;
}

}  // namespace syscfg

namespace {

ui::ListCtrl* ListOf(ui::ControlRegistry& c) {
  return c.Get<ui::ListCtrl>(AlarmDataPage::IDC_LIST);
}

}  // namespace

AlarmDataPage::AlarmDataPage()
    : CSysConfPage(QStringLiteral("Information::Event Record List"), syscfg::kAlarmDataPageCode) {}

void AlarmDataPage::CreateControls(QWidget* window) {
  using namespace syscfg;
  ui::ControlRegistry& c = Controls();
  auto* page = new QVBoxLayout(window);
  auto* group = NewGroup(c, 0, QStringLiteral("Event Records"), window);
  auto* records = new QHBoxLayout(group);
  ui::ListCtrl* list = NewList(c, IDC_LIST, group);
  list->InsertColumn(0, QStringLiteral("NO."), 40);
  list->InsertColumn(1, QStringLiteral("IP Address"), 100);
  list->InsertColumn(2, QStringLiteral("Time"), 140);
  list->InsertColumn(3, QStringLiteral("Frame"), 70);
  list->header()->setStretchLastSection(true);
  list->SetGridLines(true);
  records->addWidget(list, 1);
  auto* buttons = new QVBoxLayout;
  QPushButton* play = NewButton(c, IDC_PLAY, QStringLiteral("Play"), group);
  QPushButton* remove = NewButton(c, IDC_DELETE, QStringLiteral("Delete"), group);
  QPushButton* clear = NewButton(c, IDC_CLEAR_ALL, QStringLiteral("Clear All"), group);
  QPushButton* refresh = NewButton(c, IDC_REFRESH, QStringLiteral("Refresh"), group);
  for (QPushButton* button : {play, remove, clear, refresh})
    buttons->addWidget(button);
  buttons->addStretch(1);
  records->addLayout(buttons);
  page->addWidget(group, 1);
  auto* pathRow = new QHBoxLayout;
  pathRow->addWidget(NewLabel(c, 0, QStringLiteral("Path : "), window));
  pathRow->addWidget(NewEdit(c, IDC_PATH, window), 1);
  page->addLayout(pathRow);

  QObject::connect(list, &QTreeWidget::itemClicked, window, [this, list](QTreeWidgetItem* item) {
    OnRowClicked(list->indexOfTopLevelItem(item));
  });
  QObject::connect(
      list, &QTreeWidget::itemDoubleClicked, window,
      [this, list](QTreeWidgetItem* item) { OnRowDoubleClicked(list->indexOfTopLevelItem(item)); });
  QObject::connect(play, &QPushButton::clicked, window, [this] { OnPlay(); });
  QObject::connect(remove, &QPushButton::clicked, window, [this] { OnDelete(); });
  QObject::connect(clear, &QPushButton::clicked, window, [this] { OnClearAll(); });
  QObject::connect(refresh, &QPushButton::clicked, window, [this] { OnRefresh(); });
}

bool AlarmDataPage::OnInitDialog() {
  const bool result = CSysConfPage::OnInitDialog();
  Load();
  return result;
}

void AlarmDataPage::DoDataExchange(ui::DataExchange& dx) {
  dx.Text(IDC_PATH, m_strPath);
}

void AlarmDataPage::Load() {
  ui::ListCtrl* list = ListOf(Controls());
  g_AlarmDatabase.m_List.clear();
  if (list != nullptr)
    list->DeleteAllItems();
  m_strPath.clear();
  AlarmDataError error = AlarmDataError::kNone;
  std::optional<std::vector<AlarmDataRecord>> records = g_AlarmDatabase.LoadListForPage(&error);
  if (!records) {
    // A file that is not a database lists nothing; one that cannot be read is reported.
    if (error != AlarmDataError::kBadMagic)
      platform::ShowMessageBox(syscfg::kReadAlarmDatabaseFailedText);
    UpdateData(false);
    return;
  }
  g_AlarmDatabase.m_List = std::move(*records);
  if (list != nullptr) {
    int row = 0;
    for (const AlarmDataRecord& record : g_AlarmDatabase.m_List) {
      list->InsertItem(row, QString::number(row));
      list->SetItemText(row, 1, QString::fromStdString(record.Server()));
      list->SetItemText(row, 2, syscfg::AlarmRecordTimeText(record));
      list->SetItemText(row, 3, QString::number(record.dwFrames));
      ++row;
    }
  }
  if (g_AlarmDatabase.m_List.empty()) {
    UpdateData(false);
    return;
  }
  ShowFileOf(0);
  if (list != nullptr) {
    list->SelectItem(0);
    list->EnsureVisible(0);
    list->setFocus();
  }
}

void AlarmDataPage::ShowFileOf(int row) {
  const auto& records = g_AlarmDatabase.m_List;
  if (row < 0 || row >= static_cast<int>(records.size()))
    return;
  const std::string file = records[static_cast<std::size_t>(row)].FileName();
  m_strPath = QString::fromStdString(file);
  if (!syscfg::RecordFileUsable(file))
    m_strPath += QLatin1String(syscfg::kFileNotFoundText);
  UpdateData(false);
}

void AlarmDataPage::OnRefresh() {
  const CSysConfSheetBase* sheet = GetConfSheet();
  if (sheet != nullptr && sheet->Engine().alarmRecordRunning &&
      sheet->Engine().alarmRecordRunning()) {
    platform::ShowMessageBox(syscfg::kAlarmStillRecordingText);
    return;
  }
  Load();
}

void AlarmDataPage::OnRowClicked(int row) {
  ShowFileOf(row);
}

void AlarmDataPage::OnRowDoubleClicked(int row) {
  const auto& records = g_AlarmDatabase.m_List;
  if (row < 0 || row >= static_cast<int>(records.size()))
    return;
  Play(records[static_cast<std::size_t>(row)].FileName());
}

void AlarmDataPage::OnPlay() {
  UpdateData(true);
  Play(m_strPath.toStdString());
}

void AlarmDataPage::Play(const std::string& path) {
  if (g_AlarmDatabase.m_List.empty() || !syscfg::RecordFileUsable(path))
    return;
  // The path goes to the player as one argument, whole.
  if (!ui::ProcessLauncher().Launch(ui::PlayerProgramPath(), {QString::fromStdString(path)})) {
    platform::ShowMessageBox(syscfg::kCreateProcessFailedText);
  }
}

void AlarmDataPage::OnDelete() {
  ui::ListCtrl* list = ListOf(Controls());
  auto& records = g_AlarmDatabase.m_List;
  if (list == nullptr)
    return;
  if (records.empty()) {
    ui::MessageBoxById(ui::kMsgNothingToDelete);
    return;
  }
  const int row = list->GetFirstSelected();
  if (row < 0 || row >= static_cast<int>(records.size())) {
    ui::MessageBoxById(ui::kMsgSelectAccountToDelete);
    return;
  }
  g_AlarmDatabase.m_bListChanged = 1;
  list->DeleteItem(row);
  records.erase(records.begin() + row);
  for (int i = row; i < list->GetItemCount(); ++i)
    list->SetItemText(i, 0, QString::number(i));
  if (records.empty()) {
    m_strPath.clear();
    UpdateData(false);
    return;
  }
  const int shown = row > 0 ? row - 1 : 0;
  list->SelectItem(shown);
  ShowFileOf(shown);
}

void AlarmDataPage::OnClearAll() {
  ui::ListCtrl* list = ListOf(Controls());
  if (g_AlarmDatabase.m_List.empty())
    return;
  g_AlarmDatabase.m_bListChanged = 1;
  if (list != nullptr)
    list->DeleteAllItems();
  g_AlarmDatabase.m_List.clear();
  m_strPath.clear();
  UpdateData(false);
}
