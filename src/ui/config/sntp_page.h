// The SNTP page: the time server (empty: automatic) and the time zone, loaded from the SNTP
// record; the sheet writes the record back. "Sync Server Time" asks the server to set its clock
// now: the request (up to 5 s per wait) runs on a worker that posts 0x456 with its generation;
// the sheet closing stops it, and the answer of a stopped request changes nothing.
#pragma once

#include <QPointer>
#include <cstdint>

#include "ui/common/worker.h"
#include "ui/config/sys_conf_page.h"

namespace ui {
class MessageBridge;
}  // namespace ui

// Posted by the sync worker (wParam: the sender's result; lParam: the generation).
inline constexpr std::uint32_t WM_SYNCSERVERTIMEDONE = 0x400 + 0x56;

class CSNTPPage : public CSysConfPage {
 public:
  enum : int {
    IDC_TIME_SERVER = 1040,
    IDC_TIME_ZONE = 1195,
    IDC_AUTOMATIC = 1401,
    IDC_MANUAL = 1402,
    IDC_SYNC_SERVER_TIME = 1433,
  };

  static constexpr std::uint32_t kWorkerStopMs = 1000;

  CSNTPPage();
  ~CSNTPPage() override;

  bool OnInitDialog() override;
  void DoDataExchange(ui::DataExchange& dx) override;
  // Sends "/SyncServerTime.cgi" on the worker, the key disabled until it ends; a press while
  // one runs is ignored.
  void OnSyncServerTime();
  // The worker's 0x456: any result but success shows message 4065. Messages of an ended
  // request are ignored.
  void OnSyncDone(int result, std::int64_t generation);

  bool Syncing() const { return m_bSyncing; }
  const ui::Worker& SyncWorker() const { return m_worker; }

  QString m_strTimeServer;
  // Row of the zone list; -1 when the record holds a row the list does not have.
  int m_nTimeZone = -1;

 protected:
  void CreateControls(QWidget* window) override;

 private:
  void ShowManual(bool manual);
  void EndSync();

  ui::Worker m_worker;
  QPointer<ui::MessageBridge> m_pBridge;
  QMetaObject::Connection m_windowGone;
  bool m_bSyncing = false;
};
