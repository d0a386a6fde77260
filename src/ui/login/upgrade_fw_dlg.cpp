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

#include "app/app_data.h"
#include "app/trace.h"
#include "net/firmware_upload.h"
#include "net/login_session.h"
#include "net/net_environment.h"
#include "ui/common/qt_message_box.h"
#include "ui/common/services.h"

namespace ui::login {
namespace {

// Posted by the upload worker besides the three messages of the dialog; lParam is the
// worker's generation in all of them.
constexpr std::uint32_t WM_UPGRADE_PERCENT = platform::WM_USER + 0x65;  // wParam: 0..100
constexpr std::uint32_t WM_UPGRADE_REPORT = platform::WM_USER + 0x66;   // wParam: string id
constexpr std::uint32_t WM_UPGRADE_ABORTED = platform::WM_USER + 0x67;
// wParam of WM_UPGRADE_PERCENT that sets the progress to 0 and hides it.
constexpr platform::WParam kHideProgress = 0xFFFF;

constexpr const char* kUnknownPath = "UnKnown";

QPushButton* MakeButton(const QString& text, QWidget* parent) {
  auto* button = new QPushButton(text, parent);
  button->setAutoDefault(false);
  button->setMinimumWidth(88);
  return button;
}

QString FirmwareVersionText() {
  if (!g_lpApp)
    return {};
  // The reply's 20 bytes, which need not end in a terminator.
  const auto& version = g_lpApp->m_szFirmwareVersion;
  std::size_t length = 0;
  while (length < version.size() && version[length] != '\0')
    ++length;
  return QString::fromLatin1(version.data(), static_cast<qsizetype>(length));
}

QString UpgradePathSetting() {
  if (!g_lpApp)
    return {};
  const std::string& path = g_lpApp->m_SettingINI.m_strUpgradePath;
  return path == kUnknownPath ? QString() : QString::fromStdString(path);
}

}  // namespace
}  // namespace ui::login

using namespace ui::login;

UpgradeFWDlg::UpgradeFWDlg(QWidget* parent) : ui::UiDialog(parent) {
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
  QPushButton* find = MakeButton(QStringLiteral("Find..."), this);
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
  QPushButton* upgrade = MakeButton(QStringLiteral("Upgrade"), this);
  QPushButton* cancel = MakeButton(QStringLiteral("Cancel"), this);
  row->addWidget(upgrade);
  row->addWidget(cancel);
  grid->addLayout(row, 3, 0, 1, 3);
  RegisterControl(IDC_FW_UPGRADE, upgrade, ui::ControlRegistry::Tooltip::None);
  RegisterControl(IDC_FW_CANCEL, cancel, ui::ControlRegistry::Tooltip::None);
  connect(upgrade, &QPushButton::clicked, this, &UpgradeFWDlg::OnUpgrade);
  connect(cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
  setFixedSize(sizeHint());

  const auto current = [this](ui::LParam generation) {
    return m_upload.IsCurrent(static_cast<std::uint32_t>(generation));
  };
  OnMessage(WM_UPGRADEPROGRESS, [this, current](ui::WParam, ui::LParam generation) {
    if (current(generation))
      EnableUpgrade(true);
  });
  OnMessage(WM_UPGRADE_DISABLE, [this, current](ui::WParam, ui::LParam generation) {
    if (current(generation))
      EnableUpgrade(false);
  });
  OnMessage(WM_UPGRADE_END, [this](ui::WParam, ui::LParam generation) { OnUploadEnd(generation); });
  OnMessage(WM_UPGRADE_PERCENT,
            [this](ui::WParam percent, ui::LParam generation) { OnPercent(percent, generation); });
  OnMessage(WM_UPGRADE_REPORT,
            [this](ui::WParam id, ui::LParam generation) { OnReport(id, generation); });
  OnMessage(WM_UPGRADE_ABORTED, [this, current](ui::WParam, ui::LParam generation) {
    if (current(generation))
      OnAborted();
  });
}

UpgradeFWDlg::~UpgradeFWDlg() {
  m_upload.Stop(kUploadStopMs);
}

int UpgradeFWDlg::DoModal() {
  const int result = ui::UiDialog::DoModal();
  m_upload.Stop(kUploadStopMs);
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
  if (g_pLogin && g_pLogin->CreateEvents() && g_pLogin->StartKeepAliveThread())
    g_pLogin->m_hStartEvent->Set();
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
  if (g_lpApp)
    g_lpApp->m_SettingINI.m_strUpgradePath = chosen.toStdString();
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
      ui::MessageBoxById(4047);
      return;
    case net::FirmwareFileStatus::ReadFailed:
      ui::MessageBoxById(4057);
      return;
    case net::FirmwareFileStatus::Read:
      break;
  }
  // 3. Upgrade off before the upload starts, the progress at 0 and shown.
  EnableUpgrade(false);
  ShowProgress(0);
  // 5. The upload.
  const platform::WindowHandle window = Handle();
  const std::string session = net::Environment().SessionId();
  const bool started =
      m_upload.Start("UpgradeFirmware",
                     [window, data, session](platform::StopToken stop, std::uint32_t generation) {
                       const auto tag = static_cast<platform::LParam>(generation);
                       const auto post = [&](std::uint32_t msg, platform::WParam wParam) {
                         platform::PostMessage(window, msg, wParam, tag);
                       };
                       post(WM_UPGRADE_DISABLE, 0);
                       const net::FirmwareUploadResult result = net::UploadFirmware(
                           *data, session, net::Environment(), stop,
                           [&](int percent) { post(WM_UPGRADE_PERCENT, percent); });
                       switch (result.end) {
                         case net::FirmwareUploadEnd::Finished:
                           post(WM_UPGRADE_REPORT, 4048);
                           post(WM_UPGRADE_PERCENT, kHideProgress);
                           post(WM_UPGRADEPROGRESS, 0);
                           post(WM_UPGRADE_END, 0);
                           break;
                         case net::FirmwareUploadEnd::BlockFailed:
                           post(WM_UPGRADE_REPORT, 4077);
                           post(WM_UPGRADEPROGRESS, 0);
                           post(WM_UPGRADE_PERCENT, kHideProgress);
                           break;
                         case net::FirmwareUploadEnd::Stopped:
                           break;  // Cancel stopped it and goes on by itself
                       }
                       return 0u;
                     });
  if (!started) {
    DebugPrint("Fwdlg : Create the g_lpApp->h_UpgradeFirmwareThread failed, error \n");
    EnableUpgrade(true);
    HideProgress();
  }
}

void UpgradeFWDlg::OnPercent(ui::WParam percent, ui::LParam generation) {
  if (!m_upload.IsCurrent(static_cast<std::uint32_t>(generation)))
    return;
  if (percent == kHideProgress)
    HideProgress();
  else
    m_pProgress->setValue(static_cast<int>(percent));
}

void UpgradeFWDlg::OnReport(ui::WParam stringId, ui::LParam generation) {
  if (!m_upload.IsCurrent(static_cast<std::uint32_t>(generation)))
    return;
  // The end of the upload may arrive while the message is on screen: it waits for it.
  m_bReporting = true;
  ui::MessageBoxById(static_cast<int>(stringId));
  m_bReporting = false;
  if (m_bEndPending) {
    m_bEndPending = false;
    OnUploadEnd(static_cast<ui::LParam>(m_upload.Generation()));
  }
}

void UpgradeFWDlg::OnUploadEnd(ui::LParam generation) {
  if (!m_upload.IsCurrent(static_cast<std::uint32_t>(generation)) || m_bCancelling)
    return;
  if (m_bReporting) {
    m_bEndPending = true;
    return;
  }
  EndSession();
  EndDialog(0);
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
  // 3. The upload stops; a block in flight is cut, and no block follows.
  if (m_upload.IsRunning() && !m_upload.Stop(kUploadStopMs))
    DebugPrint("UpgradeFWDlg : the upload thread is exit with code 31\n");
  // 4. Only then the abort, on the worker; the dialog ends when it has gone out.
  const platform::WindowHandle window = Handle();
  const std::string session = net::Environment().SessionId();
  const bool started = m_upload.Start("UpgradeAbort", [window, session](platform::StopToken stop,
                                                                        std::uint32_t generation) {
    net::SendFirmwareAbort(session, net::Environment(), &stop);
    platform::PostMessage(window, WM_UPGRADE_ABORTED, 0, static_cast<platform::LParam>(generation));
    return 0u;
  });
  if (!started)
    OnAborted();
}

void UpgradeFWDlg::OnAborted() {
  EnableUpgrade(true);
  EndDialog(0);
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
  if (!g_pLogin)
    return;
  if (g_pLogin->m_hStopEvent)
    g_pLogin->m_hStopEvent->Set();
  g_pLogin->StopKeepAliveThread();
  g_pLogin->CloseEvents();
  DeleteLoginObject();
}
