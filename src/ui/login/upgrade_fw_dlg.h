// UpgradeFWDlg: uploads a firmware file to the server the connect dialog logged in to. While it
// is open the session is kept alive. Find... picks a ".bin" file; Upgrade reads it whole and a
// worker sends it in 900-byte blocks, posting its progress, its messages and its end; Cancel
// ends the session, stops the upload (cutting the block in flight), then sends the abort
// request and closes. The dialog ends with 0.
#pragma once

#include <QString>
#include <cstdint>

#include "ui/common/ui_dialog.h"
#include "ui/common/worker.h"

class QProgressBar;

namespace ui::login {

inline constexpr int IDC_FW_VERSION = 1385;
inline constexpr int IDC_FW_FIND = 1386;
inline constexpr int IDC_FW_PATH = 1387;
inline constexpr int IDC_FW_UPGRADE = 1388;
inline constexpr int IDC_FW_PROGRESS = 1389;
inline constexpr int IDC_FW_CANCEL = 1392;
inline constexpr int IDC_FW_VERSION_LABEL = 1394;

// Posted by the upload: enable Upgrade, disable it, end the session and the dialog.
inline constexpr std::uint32_t WM_UPGRADEPROGRESS = platform::WM_USER + 40;  // 0x428
inline constexpr std::uint32_t WM_UPGRADE_DISABLE = platform::WM_USER + 41;  // 0x429
inline constexpr std::uint32_t WM_UPGRADE_END = platform::WM_USER + 42;      // 0x42A

// Characters the path edit takes when typed (a chosen path may be longer and is kept whole).
inline constexpr int kFirmwarePathChars = 31;
inline constexpr const char* kFirmwareFilter = "Firmware files (*.bin)";
// How long Cancel and the dialog's end wait for the upload (it ends within a poll slice).
inline constexpr std::uint32_t kUploadStopMs = 2000;

}  // namespace ui::login

class UpgradeFWDlg : public ui::UiDialog {
  Q_OBJECT

 public:
  explicit UpgradeFWDlg(QWidget* parent = nullptr);
  ~UpgradeFWDlg() override;

  // Stops an upload still running when the dialog ends.
  int DoModal() override;

  QString m_strPath;     // 1387
  QString m_strVersion;  // 1385

  bool IsUploading() const { return m_upload.IsRunning(); }
  bool IsCancelling() const { return m_bCancelling; }
  int ProgressValue() const;
  bool IsProgressShown() const;

  // The window as it opens, without a session (for the gallery), and a progress value to show.
  void InitForPicture();
  void ShowProgress(int percent);

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(ui::DataExchange& dx) override;
  // Enter does not close the window: the session would stay open.
  void OnOK() override;
  void OnCancel() override;

 private:
  void OnFind();
  void OnUpgrade();
  void OnPercent(ui::WParam percent, ui::LParam generation);
  void OnReport(ui::WParam stringId, ui::LParam generation);
  void OnUploadEnd(ui::LParam generation);
  void OnAborted();
  void EnableUpgrade(bool enable);
  void HideProgress();
  // Ends the keep-alive and deletes the session object.
  void EndSession();

  QProgressBar* m_pProgress = nullptr;
  ui::Worker m_upload;
  bool m_bCancelling = false;
  bool m_bReporting = false;   // a message of the upload is on screen
  bool m_bEndPending = false;  // the upload's end came while it was
};
