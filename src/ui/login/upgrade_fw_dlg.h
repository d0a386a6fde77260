// UpgradeFWDlg: uploads a firmware file to the server the connect dialog logged in to. While it
// is open its keep-alive worker (KeepAliveThread) keeps the session alive. Find... picks a ".bin"
// file; Upgrade reads it whole and the upload worker (UpgradeFirmwareThread) sends it in 900-byte
// blocks, handing the window each new percentage and its end; Cancel ends the session, stops the
// upload between two blocks (cutting the block in flight), then sends the abort request and
// closes. The dialog ends with 0; its end (and its destruction) stops the upload and the
// keep-alive, so no upload outlives the dialog.
#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "net/firmware_upload.h"
#include "ui/common/ui_dialog.h"
#include "ui/common/worker.h"
#include "ui/login/login_engine.h"

class QProgressBar;

namespace ui::login {

inline constexpr int IDC_FW_VERSION = 1385;
inline constexpr int IDC_FW_FIND = 1386;
inline constexpr int IDC_FW_PATH = 1387;
inline constexpr int IDC_FW_UPGRADE = 1388;
inline constexpr int IDC_FW_PROGRESS = 1389;
inline constexpr int IDC_FW_CANCEL = 1392;
inline constexpr int IDC_FW_VERSION_LABEL = 1394;

// Characters the path edit takes when typed (a chosen path may be longer and is kept whole).
inline constexpr int kFirmwarePathChars = 31;
inline constexpr const char* kFirmwareFilter = "Firmware files (*.bin)";
// How long Cancel and the dialog's end wait for the upload (it ends within a poll slice).
inline constexpr std::uint32_t kUploadStopMs = 2000;
// How long a new upload waits for an older upload thread before giving it up.
inline constexpr std::uint32_t kOlderUploadWaitMs = 10;

// The upload context handed to UpgradeFirmwareThread: the file's bytes, the session id and the
// engine's upload.
struct UpgradeFirmwareContext {
  std::shared_ptr<const std::vector<std::uint8_t>> data;
  std::string session;
  decltype(ports::LoginEngine::uploadFirmware) upload;
};

// The upload thread's procedure: 1. the blocks are counted (Upgrade is off already); 2. each
// block is sent in turn, and the percentage reported whenever it changes (at most 101 reports,
// however many blocks); a failed block ends it; 3. it returns how the upload ended. A stop
// request ends it between two blocks (a block in flight is cut): the rest, the "Finished" block
// among them, is never sent.
net::FirmwareUploadResult UpgradeFirmwareThread(const UpgradeFirmwareContext& context,
                                                const ui::WorkerRun<int>& run);

}  // namespace ui::login

class UpgradeFWDlg : public ui::UiDialog {
  Q_OBJECT

 public:
  // engine: the opener's port (the keep-alive, the upload and its abort are run).
  explicit UpgradeFWDlg(ports::LoginEngine engine, QWidget* parent = nullptr);
  ~UpgradeFWDlg() override;

  // Stops an upload still running and ends the session when the dialog ends.
  int DoModal() override;

  QString m_strPath;     // 1387
  QString m_strVersion;  // 1385

  bool IsUploading() const { return m_upload.IsRunning(); }
  bool IsCancelling() const { return m_bCancelling; }
  // True while the session's keep-alive runs (from the opening until the session ends).
  bool IsKeepingAlive() const { return m_keepAlive.IsRunning(); }
  int ProgressValue() const;
  bool IsProgressShown() const;
  // How many percentages the uploads of this dialog handed to the window.
  int ProgressUpdates() const { return m_nProgressUpdates; }

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
  // UpgradeFirmwareThread's reports and end.
  void OnPercent(int percent);
  void OnUploadEnd(const net::FirmwareUploadResult& result);
  void OnAborted();
  // Stops the upload (giving its thread up after timeoutMs).
  void CloseUploadThread(std::uint32_t timeoutMs);
  void EnableUpgrade(bool enable);
  void HideProgress();
  // Ends the keep-alive: it sends its last datagram.
  void EndSession();

  QProgressBar* m_pProgress = nullptr;
  ports::LoginEngine m_engine;
  ui::Worker m_keepAlive;
  ui::Worker m_upload;
  ui::Worker m_abort;
  bool m_bCancelling = false;
  int m_nProgressUpdates = 0;
};
