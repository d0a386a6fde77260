// The Log File page: downloads the server's event log in batches on a worker thread, shows it
// filtered by kind (system, error, user) and can erase the log on the server. The worker fills
// only its own download buffer and hands it, its progress and its end to the page; a worker that
// was stopped or abandoned changes nothing. The download stops when the page's window goes (the
// sheet closing), and the page reopens idle.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "net/server_log.h"
#include "ui/common/worker.h"
#include "ui/config/pages/sys_conf_page.h"

namespace ui {
class ListCtrl;
}  // namespace ui

// How a download or an erase ended: net::kLogDownloaded (with the download), kLogErased or
// kLogFailed.
struct LogOutcome {
  std::uint32_t code = net::kLogFailed;
  std::shared_ptr<const net::LogDownload> download;
};
// A download's progress after a batch.
struct LogProgress {
  std::uint32_t received = 0;
  std::uint32_t toFetch = 0;
};

class CGetLogPPage : public CSysConfPage {
 public:
  enum : int {
    IDC_MAX_LOG = 1040,
    IDC_PROGRESS = 1424,
    IDC_LIST = 1426,
    IDC_SYSTEM = 1427,
    IDC_ERROR = 1428,
    IDC_USER = 1429,
    IDC_DOWNLOAD = 8660,
    IDC_ERASE = 8661,
  };
  enum State : std::uint8_t { kDownloading = 1, kIdle = 2 };
  static constexpr int kDefaultMaxLog = 300;
  static constexpr int kMaxLogLimit = 2047;

  CGetLogPPage();
  ~CGetLogPPage() override;

  bool OnInitDialog() override;
  void DoDataExchange(ui::DataExchange& dx) override;

  // "Server Log" / "Cancel".
  void OnDownload();
  // "Erase": the request runs on the worker; its answer (erased or failed) ends it.
  void OnErase();
  // The check boxes: toggle the kind's bit of the mask and refill from the records held.
  void OnFilter(std::uint32_t kind);
  // Digits only; above 2047 becomes 2047, below 1 becomes 1; empty stays.
  void OnMaxEdited();

  // Downloading while the worker runs a download; idle otherwise.
  std::uint8_t State() const {
    return m_worker.IsRunning() && m_bDownloadRun ? kDownloading : kIdle;
  }
  const ui::Worker& DownloadWorker() const { return m_worker; }

  // The records received last (packed 32-byte records) and their count.
  std::vector<std::uint8_t> m_abyRecords;
  std::uint32_t m_nReceived = 0;
  std::uint32_t m_dwKindMask = 7;
  int m_nMaxLog = kDefaultMaxLog;

 protected:
  void CreateControls(QWidget* window) override;

 private:
  void FillList();
  // After an accepted erase: the list and the records held are emptied.
  void ClearRecords();
  void StopDownload();
  void SetCaption(bool downloading);
  // The worker's end and progress.
  void OnLogDone(const LogOutcome& outcome);
  void OnProgress(const LogProgress& progress);

  // Tied to the page's window: the sheet closing (also after a lost connection) ends a download
  // or an erase, and the page reopens idle.
  ui::Worker m_worker;
  // The worker's run is a download (not an erase).
  bool m_bDownloadRun = false;
};
