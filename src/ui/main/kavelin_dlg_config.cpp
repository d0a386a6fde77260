// CKavelinDlg: the SYSTEM CONFIG command around the configuration windows, and the image-adjust
// command.
#include <array>
#include <filesystem>
#include <system_error>

#include "app/app_data.h"
#include "app/app_seams.h"
#include "app/trace.h"
#include "net/config_records.h"
#include "platform/message_box.h"
#include "ui/common/message_ids.h"
#include "ui/common/modal_runner.h"
#include "ui/common/qt_message_box.h"
#include "ui/config/sheets/sys_conf_prop_sheet.h"
#include "ui/config/sheets/system_config_seam.h"
#include "ui/main/image_adjust_dlg.h"
#include "ui/main/kavelin_dlg.h"
#include "ui/main/remote_commands.h"

using namespace mainwin;

namespace {

constexpr int kSheetApplied = 3;

bool MakeFolder(const QString& folder) {
  if (folder.isEmpty())
    return true;
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(folder.toStdString()), error);
  return !error;
}

}  // namespace

void CKavelinDlg::SetSystemConfigWindows(std::unique_ptr<ISystemConfigWindows> windows) {
  m_pSystemConfig = std::move(windows);
  ISystemConfigWindows* installed = m_pSystemConfig.get();
  SetConfigSheetCloser([installed] {
    if (installed != nullptr)
      installed->CloseForLostConnection();
  });
}

ISystemConfigWindows& CKavelinDlg::SystemConfigWindows() {
  if (!m_pSystemConfig)
    SetSystemConfigWindows(CreateSystemConfigWindows(this, m_sysConf));
  return *m_pSystemConfig;
}

void CKavelinDlg::OnSystemConfig() {
  if (!g_lpApp)
    return;
  CAppData& app = *g_lpApp;
  // 1.-2.
  if (!RequireSession())
    return;
  ISystemConfigWindows& windows = SystemConfigWindows();
  if (windows.RunLoadConfigDialog() != 1)
    return;
  // 3.-4. The sheet (made once) on its last page, with the folders of the settings.
  SysConfFolders folders;
  {
    const std::lock_guard lock(app.m_SettingINI.m_TextLock);
    folders.record = QString::fromStdString(app.m_SettingINI.m_strRecordPath);
    folders.snapshot = QString::fromStdString(app.m_SettingINI.m_strSnapshotPath);
    folders.alarmSound = QString::fromStdString(app.m_SettingINI.m_strAlarmWavPath);
  }
  windows.PrepareSheet(QString::fromLatin1(CSysConfPropSheet::kEmptyPageText), folders);
  // 5. The sheet shows each port's own device, not its PTZ type.
  std::array<std::uint8_t, 2> shownType{};
  for (std::size_t port = 0; port < 2; ++port) {
    if (app.m_abPtzControl[port].load() != 0)
      PortDeviceType(port) = app.m_abySavedDeviceType[port].load();
    shownType[port] = PortDeviceType(port);
  }
  // 6.-7.
  const int result = windows.RunSheet();
  const std::uint8_t ptzType = PtzTypeOfServerByte(app.m_byDeviceType.load());
  for (std::size_t port = 0; port < 2; ++port) {
    if (app.m_abPtzControl[port].load() == 0)
      continue;
    if (result == kSheetApplied && PortDeviceType(port) != shownType[port]) {
      app.m_abPtzControl[port] = 0;  // the sheet gave the port another device
    } else {
      PortDeviceType(port) = ptzType;
    }
  }
  if (result == kSheetApplied) {
    const SysConfFolders back = windows.Folders();
    {
      const std::lock_guard lock(app.m_SettingINI.m_TextLock);
      app.m_SettingINI.m_strRecordPath = back.record.toStdString();
      app.m_SettingINI.m_strSnapshotPath = back.snapshot.toStdString();
      app.m_SettingINI.m_strAlarmWavPath = back.alarmSound.toStdString();
    }
    if (!MakeFolder(back.record) || !MakeFolder(back.snapshot))
      ::app::TraceLine("Couldn't create new directory error \n");
  }
  // 8.
  if (windows.DeviceTypeChanged())
    RefreshPanelButtons();
}

void CKavelinDlg::OnImageAdjust() {
  if (!g_lpApp)
    return;
  if (!RequireSession())
    return;
  // The record is fetched in the requests' turn; the dialog opens with its answer.
  if (m_bFetchingImage)
    return;
  m_bFetchingImage = true;
  m_requests.Push<std::optional<ImgRecord>>(
      "GetImageConfig",
      [fetch = m_engine.fetchImageRecord](const platform::StopToken& stop) { return fetch(stop); },
      [](const std::optional<ImgRecord>& fetched) { return !fetched; },
      [this](std::optional<ImgRecord> fetched) { OnImageRecordFetched(fetched); },
      [this](DropCause cause) {
        m_bFetchingImage = false;
        // As a failed fetch says.
        if (DropIsUntold(cause))
          ui::MessageBoxById(ui::kMsgGetConfigError);
      });
}

void CKavelinDlg::OnImageRecordFetched(const std::optional<ImgRecord>& fetched) {
  m_bFetchingImage = false;
  if (!g_lpApp)
    return;
  // A failed fetch keeps the record cached before.
  if (!fetched) {
    ui::MessageBoxById(ui::kMsgGetConfigError);
    return;
  }
  g_lpApp->m_ImgConfig = *fetched;
  CImageAdjustDlg dialog(this);
  for (std::size_t row = 0; row < kImageAdjustRows.size(); ++row)
    dialog.m_nInitial[row] = (*fetched)[static_cast<std::size_t>(kImageAdjustRows[row].recordByte)];
  dialog.SetSender([this](const ImgRecord& record) { QueueImageRecord(record); });
  ui::RunModal(dialog);
}

void CKavelinDlg::QueueImageRecord(const ImgRecord& record) {
  m_requests.Push<int>(
      "SetImageConfig",
      [send = m_engine.sendImageRecord, record](const platform::StopToken& stop) {
        return send(record, stop);
      },
      [](const int& result) { return result != 1; },
      [](int result) {
        if (result != 1)
          platform::ShowMessageBox(CImageAdjustDlg::kSendFailedText);
      },
      [](DropCause cause) {
        if (DropIsUntold(cause))
          platform::ShowMessageBox(CImageAdjustDlg::kSendFailedText);
      });
}
