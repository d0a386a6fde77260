#include "ui/login/copy_program_dlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <system_error>

#include "app/ip_record.h"
#include "app/setting_ini.h"
#include "app/trace.h"
#include "platform/message_box.h"
#include "skin/skin_bitmap_list.h"

namespace ui::login {

std::vector<std::string> CopyProgramFileList() {
  std::vector<std::string> files = {kProgramFileName, CSettingINI::kFileName, "CtrlFile.ini",
                                    app::kIPRecordFileName, CSettingINI::kAlarmWavName};
  for (const skin::SkinBitmap& bitmap : skin::AllSkinBitmaps()) {
    std::string name = bitmap.path;
    for (char& c : name) {
      if (c == '\\')
        c = '/';
    }
    files.push_back(std::move(name));
  }
  return files;
}

int CopyPercent(std::size_t index, std::size_t count) {
  return count == 0 ? 100 : static_cast<int>((index + 1) * 100 / count);
}

QString CopyPercentText(int percent) {
  return QStringLiteral("%1%").arg(percent, 3);
}

QString CopyFailureText(std::size_t total, const std::vector<std::string>& failed) {
  QString text =
      QStringLiteral("%1 of the %2 files could not be copied.\n").arg(failed.size()).arg(total);
  const std::size_t listed = std::min(failed.size(), kListedFailures);
  for (std::size_t i = 0; i < listed; ++i)
    text += QStringLiteral("\n") + QString::fromStdString(failed[i]);
  if (failed.size() > listed)
    text += QStringLiteral("\nand %1 more").arg(failed.size() - listed);
  return text;
}

bool WrittenOnFirstUse(const std::string& file) {
  return file == CSettingINI::kFileName || file == app::kIPRecordFileName;
}

}  // namespace ui::login

using namespace ui::login;

CCopyProgramDlg::CCopyProgramDlg(std::filesystem::path source, std::filesystem::path destination,
                                 QWidget* parent, std::vector<std::string> files)
    : ui::UiDialog(parent),
      m_source(std::move(source)),
      m_destination(std::move(destination)),
      m_files(std::move(files)) {
  setWindowTitle(QStringLiteral("Copy Program"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(16, 16, 16, 12);
  layout->setSpacing(10);
  auto* row = new QHBoxLayout;
  m_pProgress = new QProgressBar(this);
  m_pProgress->setRange(0, 100);
  m_pProgress->setTextVisible(false);
  m_pProgress->setMinimumWidth(260);
  m_pPercent = new QLabel(this);
  // Room for "100%" in a fixed-width font, so the text does not move as it counts.
  QFont mono = m_pPercent->font();
  mono.setFamily(QStringLiteral("monospace"));
  mono.setStyleHint(QFont::Monospace);
  m_pPercent->setFont(mono);
  m_pPercent->setMinimumWidth(m_pPercent->fontMetrics().horizontalAdvance(QStringLiteral("100%")));
  row->addWidget(m_pProgress);
  row->addWidget(m_pPercent);
  layout->addLayout(row);
  RegisterControl(IDC_COPY_PROGRESS, m_pProgress, ui::ControlRegistry::Tooltip::None);
  RegisterControl(IDC_COPY_PERCENT, m_pPercent, ui::ControlRegistry::Tooltip::None);

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  RegisterControl(ui::IDOK, ok, ui::ControlRegistry::Tooltip::None);
  connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
  layout->addWidget(buttons);
  setFixedSize(sizeHint());
}

QString CCopyProgramDlg::PercentText() const {
  return m_pPercent->text();
}

int CCopyProgramDlg::ProgressValue() const {
  return m_pProgress->value();
}

void CCopyProgramDlg::InitForPicture(int percent) {
  ui::UiDialog::OnInitDialog();
  ShowPercent(percent);
  if (QWidget* ok = GetDlgItem(ui::IDOK))
    ok->setEnabled(percent >= 100);
}

bool CCopyProgramDlg::OnInitDialog() {
  ui::UiDialog::OnInitDialog();
  // 1.-3. Nothing copied yet; the copy half a second later; OK only after it.
  m_pProgress->setValue(0);
  m_pPercent->setText(QStringLiteral("  0%"));
  SetTimer(kCopyTimer, kCopyDelayMs);
  if (QWidget* ok = GetDlgItem(ui::IDOK))
    ok->setEnabled(false);
  return true;
}

void CCopyProgramDlg::OnTimer(int id) {
  if (id != kCopyTimer)
    return;
  // The copy runs once.
  KillTimer(kCopyTimer);
  Copy();
}

void CCopyProgramDlg::ShowPercent(int percent) {
  m_pPercent->setText(CopyPercentText(percent));
  m_pProgress->setValue(percent);
  // Shown at once: the copy holds the GUI thread until it is done.
  m_pPercent->repaint();
  m_pProgress->repaint();
}

void CCopyProgramDlg::Copy() {
  m_failed.clear();
  for (std::size_t i = 0; i < m_files.size(); ++i) {
    const std::filesystem::path source = m_source / m_files[i];
    const std::filesystem::path destination = m_destination / m_files[i];
    std::error_code error;
    // The settings and the address book exist only once the program has saved them: before
    // that there is nothing of them to copy, which is no failure.
    if (WrittenOnFirstUse(m_files[i]) && !std::filesystem::exists(source, error)) {
      ShowPercent(CopyPercent(i, m_files.size()));
      continue;
    }
    // A destination that is the source itself is already in place: copying it onto itself
    // would truncate it.
    if (!std::filesystem::equivalent(source, destination, error)) {
      error.clear();
      std::filesystem::copy_file(source, destination,
                                 std::filesystem::copy_options::overwrite_existing, error);
      if (error) {
        m_failed.push_back(m_files[i]);
        DebugPrint("CCopyProgramDlg : %s was not copied (%s)\n", m_files[i].c_str(),
                   error.message().c_str());
      }
    }
    ShowPercent(CopyPercent(i, m_files.size()));
  }
  m_bDone = true;
  if (QWidget* ok = GetDlgItem(ui::IDOK))
    ok->setEnabled(true);
  if (!m_failed.empty())
    platform::ShowMessageBox(CopyFailureText(m_files.size(), m_failed).toStdString());
}
