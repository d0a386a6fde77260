// The Log File page: downloads the server's event log in batches on a worker thread, shows it
// filtered by kind (system, error, user) and can erase the log on the server. The worker writes
// only its own download buffer and reports through posted messages; the page takes the records
// from a download that is still current, so a worker that was abandoned changes nothing. The
// download stops when the page's window goes (the sheet closing), and the page reopens idle.
#pragma once

#include <QPointer>
#include <cstdint>
#include <memory>
#include <vector>

#include "net/server_log.h"
#include "ui/common/worker.h"
#include "ui/config/sys_conf_page.h"

namespace ui {
class MessageBridge;
class ListCtrl;
}  // namespace ui

// Posted by the worker (wParam: 1 downloaded, 2 erased, 4 failed; lParam: the generation).
inline constexpr std::uint32_t WM_GETLOGDONE = 0x400 + 44;  // 0x42C
// Posted after each batch (wParam: received | number to fetch << 16; lParam: the generation).
inline constexpr std::uint32_t WM_GETLOGPROGRESS = 0x400 + 0x53;

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
  static constexpr std::uint32_t kWorkerStopMs = 1000;
  static constexpr int kDefaultMaxLog = 300;
  static constexpr int kMaxLogLimit = 2047;

  CGetLogPPage();
  ~CGetLogPPage() override;

  bool OnInitDialog() override;
  void DoDataExchange(ui::DataExchange& dx) override;

  // "Server Log" / "Cancel".
  void OnDownload();
  // "Erase": the request runs on the worker; its 0x42C (2 or 4) ends it.
  void OnErase();
  // The check boxes: toggle the kind's bit of the mask and refill from the records held.
  void OnFilter(std::uint32_t kind);
  // Digits only; above 2047 becomes 2047, below 1 becomes 1; empty stays.
  void OnMaxEdited();
  void OnLogDone(std::uint32_t code, std::int64_t generation);
  void OnProgress(std::uint32_t packed, std::int64_t generation);

  std::uint8_t State() const { return m_byState; }
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
  void EnableControlsAfter();
  void Post(std::uint32_t code);

  ui::Worker m_worker;
  std::shared_ptr<net::LogDownload> m_pDownload;
  QPointer<ui::MessageBridge> m_pBridge;
  QMetaObject::Connection m_windowGone;
  std::uint8_t m_byState = kIdle;
};
