#include "ui/login/upgrade_fw_dlg.h"

#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <memory>
#include <vector>

#include "app/login_window_state.h"
#include "app/trace.h"
#include "net/firmware_upload.h"
#include "net/login_session.h"
#include "net/net_environment.h"
#include "ui/common/message_ids.h"
#include "ui/common/plain_controls.h"
#include "ui/common/qt_message_box.h"
#include "ui/common/services.h"

namespace ui::login {
namespace {

constexpr int kButtonWidth = 88;

QString FirmwareVersionText() {
  return QString::fromLatin1(app::FirmwareVersionText());
}

QString UpgradePathSetting() {
  return QString::fromStdString(app::UpgradePath());
}

}  // namespace

net::FirmwareUploadResult UpgradeFirmwareThread(const UpgradeFirmwareContext& context,
                                                const ui::WorkerRun<int>& run) {
  // 1. The blocks are counted by the upload; Upgrade was turned off before the start.
  // 2. The blocks in turn; the window hears of a percentage only when it changes.
  int shown = -1;
  const auto progress = [&](int percent) {
    if (percent == shown)
      return;
    shown = percent;
    run.Report(percent);
  };
  // 3. How the upload ended (finished, a failed block, or stopped).
  return context.upload(*context.data, context.session, progress, run.Token());
}

}  // namespace ui::login

using namespace ui::login;

UpgradeFWDlg::UpgradeFWDlg(ports::LoginEngine engine, QWidget* parent)
    : ui::UiDialog(parent), m_engine(std::move(engine)) {
  setWindowTitle(QStringLiteral("Upgrade Firmware"));
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(16, 16, 16, 14);
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(10);

  auto* versionLabel = new QLabel(QStringLiteral("Firmware Version :"), this);
  auto* version = new QLabel(this);
  version->setTextInteractionFlags(Qt::TextSelectableByMouse);
  grid->addWidget(versionLabel, 0, 0);
  grid->addWidget(version, 0, 1, 1, 2);
  RegisterControl(IDC_FW_VERSION_LABEL, versionLabel, ui::ControlRegistry::Tooltip::None);
  RegisterControl(IDC_FW_VERSION, version, ui::ControlRegistry::Tooltip::None);

  auto* path = new QLineEdit(this);
  path->setMaxLength(kFirmwarePathChars);
  path->setMinimumWidth(320);  // a firmware path under the home folder shows whole
  QPushButton* find = ui::MakeButton(QStringLiteral("Find..."), this, kButtonWidth);
  grid->addWidget(new QLabel(QStringLiteral("File path:"), this), 1, 0);
  grid->addWidget(path, 1, 1);
  grid->addWidget(find, 1, 2);
  RegisterControl(IDC_FW_PATH, path, ui::ControlRegistry::Tooltip::None);
  RegisterControl(IDC_FW_FIND, find, ui::ControlRegistry::Tooltip::None);
  connect(find, &QPushButton::clicked, this, &UpgradeFWDlg::OnFind);

  m_pProgress = new QProgressBar(this);
  m_pProgress->setRange(0, 100);
  m_pProgress->setValue(0);
  // Keeps its place while hidden, so the window does not change its size.
  QSizePolicy keep = m_pProgress->sizePolicy();
  keep.setRetainSizeWhenHidden(true);
  m_pProgress->setSizePolicy(keep);
  m_pProgress->hide();
  grid->addWidget(m_pProgress, 2, 0, 1, 3);
  RegisterControl(IDC_FW_PROGRESS, m_pProgress, ui::ControlRegistry::Tooltip::None);

  auto* row = new QHBoxLayout;
  row->addStretch();
  QPushButton* upgrade = ui::MakeButton(QStringLiteral("Upgrade"), this, kButtonWidth);
  QPushButton* cancel = ui::MakeButton(QStringLiteral("Cancel"), this, kButtonWidth);
  row->addWidget(upgrade);
  row->addWidget(cancel);
  grid->addLayout(row, 3, 0, 1, 3);
  RegisterControl(IDC_FW_UPGRADE, upgrade, ui::ControlRegistry::Tooltip::None);
  RegisterControl(IDC_FW_CANCEL, cancel, ui::ControlRegistry::Tooltip::None);
  connect(upgrade, &QPushButton::clicked, this, &UpgradeFWDlg::OnUpgrade);
  connect(cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
  setFixedSize(sizeHint());
}

UpgradeFWDlg::~UpgradeFWDlg() {
  m_abort.Stop(kUploadStopMs);
  m_upload.Stop(kUploadStopMs);
  EndSession();
}

int UpgradeFWDlg::DoModal() {
  const int result = ui::UiDialog::DoModal();
  m_abort.Stop(kUploadStopMs);
  m_upload.Stop(kUploadStopMs);
  EndSession();
  return result;
}

int UpgradeFWDlg::ProgressValue() const {
  return m_pProgress->value();
}

bool UpgradeFWDlg::IsProgressShown() const {
  return !m_pProgress->isHidden();
}

void UpgradeFWDlg::InitForPicture() {
  m_strPath = UpgradePathSetting();
  m_strVersion = FirmwareVersionText();
  ui::UiDialog::OnInitDialog();
}

void UpgradeFWDlg::ShowProgress(int percent) {
  m_pProgress->setValue(percent);
  m_pProgress->show();
}

bool UpgradeFWDlg::OnInitDialog() {
  // The session is kept alive while the dialog is open.
  if (!m_keepAlive.Start(
          "KeepAliveThread",
          [keepAlive = m_engine.keepAlive](const ui::WorkerRun<>& run) { keepAlive(run.Token()); },
          [] {}))
    DebugPrint("UpgradeFWDlg : create the keep-alive thread failed \n");
  m_pProgress->setRange(0, 100);
  m_strPath = UpgradePathSetting();
  m_strVersion = FirmwareVersionText();
  ui::UiDialog::OnInitDialog();
  return true;
}

void UpgradeFWDlg::DoDataExchange(ui::DataExchange& dx) {
  auto* path = Controls().Get<QLineEdit>(IDC_FW_PATH);
  if (path != nullptr) {
    if (dx.Saving()) {
      m_strPath = path->text();
    } else {
      // A chosen path longer than what can be typed is shown whole.
      path->setMaxLength(std::max<int>(kFirmwarePathChars, static_cast<int>(m_strPath.size())));
      path->setText(m_strPath);
      path->setToolTip(m_strPath);  // the whole path, where it is longer than the field
    }
  }
  if (!dx.Saving()) {
    if (auto* version = Controls().Get<QLabel>(IDC_FW_VERSION))
      version->setText(m_strVersion);
  }
}

void UpgradeFWDlg::OnOK() {}

void UpgradeFWDlg::OnFind() {
  QString start = UpgradePathSetting();
  const QString chosen = ui::FileChooser().OpenFile(this, QStringLiteral("Open Firmware File"),
                                                    start, QString::fromLatin1(kFirmwareFilter));
  if (chosen.isEmpty()) {
    DebugPrint("UpgradeFWDlg : User dont select a file \n");
    return;
  }
  m_strPath = chosen;
  app::StoreUpgradePath(chosen.toStdString());
  UpdateData(false);
}

void UpgradeFWDlg::OnUpgrade() {
  // One upload at a time.
  if (m_upload.IsRunning() || m_bCancelling)
    return;
  UpdateData(true);
  // 1.-2. The file, read whole; an empty or over-large one is refused before anything is sent.
  auto data = std::make_shared<std::vector<std::uint8_t>>();
  switch (net::ReadFirmwareFile(QFile::encodeName(m_strPath).toStdString(), *data)) {
    case net::FirmwareFileStatus::OpenFailed:
      ui::MessageBoxById(ui::kMsgOpenFirmwareFailed);
      return;
    case net::FirmwareFileStatus::ReadFailed:
      ui::MessageBoxById(ui::kMsgReadFirmwareFailed);
      return;
    case net::FirmwareFileStatus::Read:
      break;
  }
  // 3. Upgrade off before the upload starts, the progress at 0 and shown.
  EnableUpgrade(false);
  ShowProgress(0);
  // 4. An older upload thread is waited for briefly, else given up.
  CloseUploadThread(kOlderUploadWaitMs);
  // 5. UpgradeFirmwareThread, on the upload worker.
  UpgradeFirmwareContext context{std::move(data), net::Environment().SessionId(),
                                 m_engine.uploadFirmware};
  const bool started = m_upload.Start<int>(
      "UpgradeFirmwareThread",
      [context = std::move(context)](const ui::WorkerRun<int>& run) {
        return UpgradeFirmwareThread(context, run);
      },
      [this](int percent) { OnPercent(percent); },
      [this](const net::FirmwareUploadResult& result) { OnUploadEnd(result); });
  if (!started) {
    DebugPrint("Fwdlg : Create the UpgradeFirmwareThread failed, error \n");
    EnableUpgrade(true);
    HideProgress();
  }
}

void UpgradeFWDlg::OnPercent(int percent) {
  ++m_nProgressUpdates;
  m_pProgress->setValue(percent);
}

void UpgradeFWDlg::OnUploadEnd(const net::FirmwareUploadResult& result) {
  // The upload worker's thread has ended.
  switch (result.end) {
    case net::FirmwareUploadEnd::Finished:
      // 3. The flash begins: the message, the progress gone, Upgrade on (0x428), then the
      // session and the dialog end (0x42A).
      ui::MessageBoxById(ui::kMsgOverwritingFlash);
      HideProgress();
      EnableUpgrade(true);
      if (!m_bCancelling) {
        EndSession();
        EndDialog(0);
      }
      break;
    case net::FirmwareUploadEnd::BlockFailed:
      // 2. A failed block: the message, Upgrade on again (0x428), the progress gone; the
      // session stays.
      ui::MessageBoxById(ui::kMsgUpgradeFirmwareError);
      EnableUpgrade(true);
      HideProgress();
      break;
    case net::FirmwareUploadEnd::Stopped:
      break;  // Cancel stopped it and goes on by itself
  }
}

void UpgradeFWDlg::OnCancel() {
  if (m_bCancelling)
    return;
  m_bCancelling = true;
  // 1.-2. The session ends; the progress goes.
  EndSession();
  HideProgress();
  EnableUpgrade(false);
  for (const int id : {IDC_FW_FIND, IDC_FW_CANCEL}) {
    if (QWidget* button = GetDlgItem(id))
      button->setEnabled(false);
  }
  // 3. The upload stops between two blocks: a block in flight is cut, and no block follows
  // (so "Finished" is never sent after Cancel).
  CloseUploadThread(kUploadStopMs);
  // 4. Only then the abort, on its own worker; the dialog ends when it has gone out.
  const bool started = m_abort.Start(
      "UpgradeAbort",
      [abort = m_engine.abortFirmware, session = net::Environment().SessionId()](
          const ui::WorkerRun<>& run) { abort(session, run.Token()); },
      [this] { OnAborted(); });
  if (!started)
    OnAborted();
}

void UpgradeFWDlg::OnAborted() {
  EnableUpgrade(true);
  EndDialog(0);
}

void UpgradeFWDlg::CloseUploadThread(std::uint32_t timeoutMs) {
  if (m_upload.IsRunning() && !m_upload.Stop(timeoutMs))
    DebugPrint("UpgradeFWDlg : the upload thread is exit with code 31\n");
}

void UpgradeFWDlg::EnableUpgrade(bool enable) {
  if (QWidget* upgrade = GetDlgItem(IDC_FW_UPGRADE))
    upgrade->setEnabled(enable);
}

void UpgradeFWDlg::HideProgress() {
  m_pProgress->setValue(0);
  m_pProgress->hide();
}

void UpgradeFWDlg::EndSession() {
  if (m_keepAlive.IsRunning() && !m_keepAlive.Stop(net::kSessionStopMs))
    DebugPrint("Login : KeepAliveThread is exit with code 31\n");
}
