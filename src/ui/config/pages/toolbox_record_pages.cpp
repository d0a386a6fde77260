#include "ui/config/pages/toolbox_record_pages.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/app_data.h"
#include "net/config_record_layout.h"
#include "ui/common/destination_path_dlg.h"
#include "ui/common/modal_runner.h"
#include "ui/common/string_table.h"
#include "ui/config/sheets/sys_conf_sheet_base.h"

namespace syscfg {

QString FirmwareVersionText(const std::uint8_t* version) {
  QStringList parts;
  for (int i = 0; i < 4; ++i) {
    const std::uint8_t c = version[i];
    parts << (c >= 0x20 && c < 0x7F ? QString(QLatin1Char(static_cast<char>(c)))
                                    : QStringLiteral("?"));
  }
  return parts.join(QLatin1Char('.'));
}

QString CompactMacText(const std::uint8_t* mac) {
  QStringList parts;
  for (int i = 0; i < 6; ++i)
    parts << QStringLiteral("%1").arg(mac[i], 2, 16, QLatin1Char('0'));
  return parts.join(QLatin1Char(':'));
}

}  // namespace syscfg

namespace {

// The server's device type has the alarm-sound path (the record page shows and takes it).
bool HasAudioPath() {
  return g_lpApp && g_lpApp->m_byDeviceType.load() == syscfg::kAudioPathDeviceType;
}

}  // namespace

RecordPage::RecordPage()
    : CSysConfPage(QStringLiteral("General::File Path"), syscfg::kRecordPageCode) {}

void RecordPage::CreateControls(QWidget* window) {
  using namespace syscfg;
  ui::ControlRegistry& c = Controls();
  auto* page = new QVBoxLayout(window);
  auto* group = NewGroup(c, 0, QStringLiteral("Local Folders"), window);
  auto* grid = new QGridLayout(group);
  const struct {
    int label;
    const char* text;
    int edit;
    int button;
  } rows[] = {{0, "Record Path : ", IDC_RECORD_PATH, IDC_MODIFY_RECORD},
              {0, "Snapshot Path : ", IDC_SNAPSHOT_PATH, IDC_MODIFY_SNAPSHOT},
              {IDC_AUDIO_LABEL, "Audio Path : ", IDC_AUDIO_PATH, IDC_MODIFY_AUDIO}};
  int line = 0;
  for (const auto& r : rows) {
    grid->addWidget(NewLabel(c, r.label, QString::fromLatin1(r.text), group), line, 0);
    QLineEdit* edit = NewEdit(c, r.edit, group);
    edit->setMinimumWidth(240);
    grid->addWidget(edit, line, 1);
    grid->addWidget(NewButton(c, r.button, QStringLiteral("Modify"), group), line, 2);
    ++line;
  }
  grid->setColumnStretch(1, 1);
  page->addWidget(group);
  page->addStretch(1);
  QObject::connect(c.Get<QPushButton>(IDC_MODIFY_RECORD), &QPushButton::clicked, window,
                   [this] { OnModifyRecordPath(); });
  QObject::connect(c.Get<QPushButton>(IDC_MODIFY_SNAPSHOT), &QPushButton::clicked, window,
                   [this] { OnModifySnapshotPath(); });
  // "Modify" of the audio path does nothing.
  QObject::connect(c.Get<QLineEdit>(IDC_RECORD_PATH), &QLineEdit::textEdited, window,
                   [this](const QString& text) { m_strRecordPath = text; });
  QObject::connect(c.Get<QLineEdit>(IDC_SNAPSHOT_PATH), &QLineEdit::textEdited, window,
                   [this](const QString& text) { m_strSnapshotPath = text; });
}

bool RecordPage::OnInitDialog() {
  if (const CSysConfSheetBase* sheet = GetConfSheet()) {
    m_strRecordPath = sheet->m_Folders.record;
    m_strSnapshotPath = sheet->m_Folders.snapshot;
    m_strAudioPath = sheet->m_Folders.alarmSound;
  }
  const bool audio = HasAudioPath();
  for (int id : {IDC_AUDIO_LABEL, IDC_AUDIO_PATH, IDC_MODIFY_AUDIO}) {
    if (QWidget* control = GetDlgItem(id))
      control->setVisible(audio);
  }
  return CSysConfPage::OnInitDialog();
}

void RecordPage::DoDataExchange(ui::DataExchange& dx) {
  dx.Text(IDC_RECORD_PATH, m_strRecordPath);
  dx.Text(IDC_SNAPSHOT_PATH, m_strSnapshotPath);
  dx.Text(IDC_AUDIO_PATH, m_strAudioPath);
}

SysConfFolders RecordPage::Folders(const SysConfFolders& base) const {
  SysConfFolders folders = base;
  folders.record = m_strRecordPath;
  folders.snapshot = m_strSnapshotPath;
  if (HasAudioPath())
    folders.alarmSound = m_strAudioPath;
  return folders;
}

void RecordPage::Browse(QString& path) {
  CDestinationPathDlg dialog(GetWindow());
  dialog.SetPath(path.toStdString());
  if (ui::RunModal(dialog) != ui::IDOK)
    return;
  path = QString::fromStdString(dialog.GetPath());
  UpdateData(false);
}

void RecordPage::OnModifyRecordPath() {
  Browse(m_strRecordPath);
}

void RecordPage::OnModifySnapshotPath() {
  Browse(m_strSnapshotPath);
}

ToolBoxPropertyPage::ToolBoxPropertyPage() : CPropertyPage(QStringLiteral("ToolBox")) {}

void ToolBoxPropertyPage::CreateControls(QWidget* window) {
  using namespace syscfg;
  ui::ControlRegistry& c = Controls();
  auto* grid = new QGridLayout(window);
  grid->addWidget(NewLabel(c, 0, QStringLiteral("Firmware Version:"), window), 0, 0);
  grid->addWidget(NewLabel(c, IDC_VERSION, QString(), window), 0, 1);
  grid->addWidget(NewLabel(c, 0, QStringLiteral("Mac address :"), window), 1, 0);
  grid->addWidget(NewLabel(c, IDC_MAC, QString(), window), 1, 1);
  grid->addWidget(NewLabel(c, 0, QStringLiteral("Turbo step :"), window), 2, 0);
  QComboBox* turbo = NewCombo(c, IDC_TURBO, window);
  for (int step = 1; step <= 10; ++step)
    turbo->addItem(QString::number(step));
  grid->addWidget(turbo, 2, 1);
  grid->addWidget(NewLabel(c, 0, QStringLiteral("Firmware file path:"), window), 3, 0);
  grid->addWidget(NewEdit(c, IDC_FIRMWARE_PATH, window), 3, 1);
  grid->addWidget(NewButton(c, IDC_FIND, QStringLiteral("Find..."), window), 3, 2);
  auto* progress = new QProgressBar(window);
  progress->setObjectName(QStringLiteral("Progress1"));
  c.Register(IDC_PROGRESS, progress);
  grid->addWidget(progress, 4, 0, 1, 3);
  grid->addWidget(NewButton(c, IDC_UPGRADE, QString(), window), 5, 2);
  grid->setRowStretch(6, 1);
  // "Find..." and the upgrade button do nothing on this page.
}

bool ToolBoxPropertyPage::OnInitDialog() {
  using namespace cfg;
  if (g_lpApp) {
    m_strVersion = syscfg::FirmwareVersionText(g_lpApp->m_InfConfig.data() + inf::kVersion);
    m_strMac = syscfg::CompactMacText(g_lpApp->m_InfConfig.data() + inf::kMac);
    m_strFirmwarePath = QString::fromStdString(g_lpApp->m_SettingINI.m_strUpgradePath);
  }
  if (auto* progress = Controls().Get<QProgressBar>(IDC_PROGRESS)) {
    progress->hide();
    progress->setRange(0, 100);
  }
  if (auto* upgrade = Controls().Get<QPushButton>(IDC_UPGRADE)) {
    const QString text = QString::fromLatin1(kUpgradeText);
    upgrade->setText(m_byState == 2 ? ui::FirstWord(text) : ui::SecondWord(text));
  }
  return CPropertyPage::OnInitDialog();
}

void ToolBoxPropertyPage::DoDataExchange(ui::DataExchange& dx) {
  dx.Text(IDC_FIRMWARE_PATH, m_strFirmwarePath);
  dx.ComboIndex(IDC_TURBO, m_nTurbo);
  if (!dx.Saving()) {
    if (auto* version = Controls().Get<QLabel>(IDC_VERSION))
      version->setText(m_strVersion);
    if (auto* mac = Controls().Get<QLabel>(IDC_MAC))
      mac->setText(m_strMac);
  }
}
